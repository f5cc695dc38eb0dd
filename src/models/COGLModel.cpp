#include "models/COGLModel.h"

#include <GL/gl.h>

#include <cmath>
#include <limits>

#include "media/COGLTexture2D.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "scene/COGLScene.h"

namespace {
constexpr float kLargestFloat = std::numeric_limits<float>::max();
// Beyond this a position can no longer count single frames; the clock starts over.
constexpr float kLargestFramePosition = 1.0e7f;
}  // namespace

COGLModel::COGLModel(int typeCode, COGLScene* scene) : COGLObject(typeCode), m_scene(scene) {
    ResetAnimation();
    ResetBounds();
}

COGLModel::~COGLModel() { ReleaseSkins(); }

void COGLModel::ReleaseSkins() {
    if (m_scene != nullptr) {
        for (COGLTexture2D* skin : m_skins) {
            m_scene->ReleaseSkinTexture(skin);
        }
    }
    m_skins.clear();
}

void COGLModel::ResetAnimation() {
    m_frame = 0.0f;
    m_frameIndex = 0;
    m_nextFrameIndex = 0;
    m_lerp = 0.0f;
}

void COGLModel::SetFrame(int frame) {
    const ModelAnimation* animation = GetAnimation();
    const int count = animation != nullptr ? animation->frameCount : 0;
    if (frame < 0 || frame >= count) {
        frame = 0;
    }
    m_frame = static_cast<float>(frame);
    m_frameIndex = frame;
    m_nextFrameIndex = frame;
    m_lerp = 0.0f;
}

void COGLModel::AdvanceClock(int frameCount) {
    if (frameCount <= 0) {
        return;
    }
    m_frame += m_speed;
    // A position that is not a number, or too far to count in frames (hostile
    // scene files, absurd speeds), cannot be truncated to an index.
    if (!std::isfinite(m_frame) || m_frame < 0.0f || m_frame > kLargestFramePosition) {
        m_frame = 0.0f;
    }
    m_frameIndex = static_cast<int>(m_frame);
    if (m_frameIndex >= frameCount) {
        if (m_loop != 0) {
            m_frame = 0.0f;
            m_frameIndex = 0;
        } else {
            SetAnimating(false);
            GetHost().RefreshAnimationControls();
            ResetAnimation();
        }
    }
    if (m_interpolate != 0) {
        m_nextFrameIndex = m_frameIndex + 1;
        if (m_nextFrameIndex >= frameCount) {
            // The last frame blends with itself; the extra whole frame makes the
            // next tick wrap (or stop) instead of showing the last frame again.
            m_nextFrameIndex = m_frameIndex;
            m_frame += 1.0f;
        }
        m_lerp = m_frame - static_cast<float>(m_frameIndex);
    } else {
        m_lerp = 0.0f;
        m_nextFrameIndex = m_frameIndex;
    }
}

bool COGLModel::SetPakSource(CPakFile* pak, const std::string& path) {
    m_pak = pak;
    m_path = path;
    return true;
}

bool COGLModel::SetFilePath(const std::string& path) {
    const std::string resolved = fs_util::ResolvePath(path);
    if (!fs_util::FileExists(resolved)) {
        return false;
    }
    m_path = resolved;
    return true;
}

bool COGLModel::ApplyFirstSkin() {
    if (m_skins.empty()) {
        return false;
    }
    SetTexture(m_skins.front());
    return true;
}

void COGLModel::AdoptSkin(COGLTexture2D* skin) {
    if (skin == nullptr) {
        return;
    }
    for (COGLTexture2D* held : m_skins) {
        if (held == skin || held->Path() == skin->Path()) {
            if (m_scene != nullptr) {
                m_scene->ReleaseSkinTexture(skin);
            }
            return;
        }
    }
    m_skins.push_back(skin);
}

COGLTexture2D* COGLModel::FindSkin(const std::string& name) const {
    for (COGLTexture2D* skin : m_skins) {
        if (skin->Path() == name) {
            return skin;
        }
    }
    return nullptr;
}

void COGLModel::SetInvertNormals(bool invert) { m_invertNormals = invert ? 1 : 0; }

float COGLModel::SpeedFromSlider(int position) {
    if (position >= 100) {
        return 1.0f;
    }
    if (position < 0) {
        position = 0;
    }
    return static_cast<float>(position) * 0.004f + 0.025f;
}

int COGLModel::SliderFromSpeed(float speed) {
    if (!(speed < 1.0f)) {
        return 100;
    }
    const int position = static_cast<int>(std::lround((speed - 0.025f) / 0.004f));
    return position < 0 ? 0 : (position > 99 ? 99 : position);
}

void COGLModel::ResetBounds() {
    m_boundsMin = {kLargestFloat, kLargestFloat, kLargestFloat};
    m_boundsMax = {-kLargestFloat, -kLargestFloat, -kLargestFloat};
}

void COGLModel::ApplyModelTransform() const {
    ApplyTransform();
    glTranslatef(0.0f, m_verticalOffset, 0.0f);
}

bool COGLModel::LocalBounds(Vector3& lo, Vector3& hi) const {
    if (!(m_boundsMin.x <= m_boundsMax.x && m_boundsMin.y <= m_boundsMax.y && m_boundsMin.z <= m_boundsMax.z)) {
        return false;
    }
    const Vector3 lift{0.0f, m_verticalOffset, 0.0f};
    lo = m_boundsMin + lift;
    hi = m_boundsMax + lift;
    return true;
}

void COGLModel::SaveEditState(BinaryWriter& out) const {
    int animation = -1;
    for (std::size_t i = 0; i < m_animations.size(); ++i) {
        if (m_animations[i].get() == GetAnimation()) {
            animation = static_cast<int>(i);
        }
    }
    out.WriteI32(animation);
    out.WriteF32(m_speed);
    out.WriteU8(m_loop);
    out.WriteU8(m_singleStep);
    out.WriteU8(m_interpolate);
    out.WriteU8(m_invertNormals);
}

void COGLModel::RestoreEditState(BinaryReader& in) {
    const int index = in.ReadI32();
    const bool known = index >= 0 && static_cast<std::size_t>(index) < m_animations.size();
    ModelAnimation* animation = known ? m_animations[static_cast<std::size_t>(index)].get() : nullptr;
    // Choosing an animation starts it from its first frame: only when it differs.
    if (animation != GetAnimation()) {
        SetAnimation(animation);
    }
    m_speed = in.ReadF32();
    m_loop = in.ReadU8();
    m_singleStep = in.ReadU8();
    m_interpolate = in.ReadU8();
    if (const bool invert = in.ReadU8() != 0; invert != InvertNormals()) {
        SetInvertNormals(invert);
    }
}

void COGLModel::DrawBoundingBox() {
    if (!IsVisible()) {
        return;
    }
    glPushMatrix();
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_NORMALIZE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_MATERIAL);
    glColor3f(1.0f, 1.0f, 1.0f);
    ApplyModelTransform();
    const Vector3& lo = m_boundsMin;
    const Vector3& hi = m_boundsMax;
    glBegin(GL_LINE_LOOP);
    glVertex3f(hi.x, hi.y, hi.z);
    glVertex3f(lo.x, hi.y, hi.z);
    glVertex3f(lo.x, lo.y, hi.z);
    glVertex3f(hi.x, lo.y, hi.z);
    glEnd();
    glBegin(GL_LINE_LOOP);
    glVertex3f(hi.x, hi.y, lo.z);
    glVertex3f(hi.x, lo.y, lo.z);
    glVertex3f(lo.x, lo.y, lo.z);
    glVertex3f(lo.x, hi.y, lo.z);
    glEnd();
    glBegin(GL_LINES);
    glVertex3f(lo.x, lo.y, hi.z);
    glVertex3f(lo.x, lo.y, lo.z);
    glVertex3f(lo.x, hi.y, hi.z);
    glVertex3f(lo.x, hi.y, lo.z);
    glVertex3f(hi.x, lo.y, hi.z);
    glVertex3f(hi.x, lo.y, lo.z);
    glVertex3f(hi.x, hi.y, hi.z);
    glVertex3f(hi.x, hi.y, lo.z);
    glEnd();
    DrawAxes();
    glPopAttrib();
    glPopMatrix();
}

void COGLModel::DrawAxes() {
    const Vector3& lo = m_boundsMin;
    const Vector3& hi = m_boundsMax;
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(hi.x, hi.y, 0.0f);
    glVertex3f(hi.x + 5.0f, hi.y, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, lo.y, 0.0f);
    glVertex3f(0.0f, lo.y - 5.0f, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, hi.y, lo.z);
    glVertex3f(0.0f, hi.y, lo.z - 5.0f);
    glEnd();
}
