#include "models/COGLModel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "media/Archive.h"
#include "media/COGLTexture2D.h"
#include "models/AnimationClock.h"
#include "platform/BinaryIO.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "scene/COGLScene.h"
#include "scene/Geometry.h"
#include "scene/SceneFormat.h"

namespace {
constexpr float kLargestFloat = std::numeric_limits<float>::max();
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

ModelAnimation* COGLModel::FindAnimation(const std::string& name) const {
    for (const auto& animation : m_animations) {
        if (animation->name == name) {
            return animation.get();
        }
    }
    return nullptr;
}

int COGLModel::AnimationIndexOf(const ModelAnimation* animation) const {
    for (std::size_t i = 0; i < m_animations.size(); ++i) {
        if (animation != nullptr && m_animations[i].get() == animation) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void COGLModel::AdvanceFrame() {
    if (m_animation != nullptr) {
        AdvanceClock(m_animation->frameCount);
    }
}

bool COGLModel::Play() {
    if (GetFrameCount() > 1) {
        SetAnimating(true);
    }
    return true;
}

int COGLModel::GetFrameCount() const { return m_animation != nullptr ? m_animation->frameCount : 0; }

void COGLModel::SelectAnimationByName(const std::string& name) {
    if (ModelAnimation* animation = FindAnimation(name)) {
        Show();
        SetAnimation(animation);
        return;
    }
    m_animation = nullptr;
    m_frame = 0.0f;
    Hide();
}

void COGLModel::SetAnimation(ModelAnimation* animation) {
    if (animation != nullptr && AnimationIndexOf(animation) < 0) {
        return;
    }
    m_animation = animation;
    ResetAnimation();
}

void COGLModel::WriteClockRecord(BinaryWriter& out) const {
    out.WriteI32(AnimationIndexOf(m_animation));
    out.WriteF32(m_speed);
    out.WriteF32(m_frame);
    out.WriteI32(m_frameIndex);
    out.WriteI32(m_nextFrameIndex);
    out.WriteF32(m_lerp);
    out.WriteU8(m_loop);
    out.WriteU8(m_singleStep);
    out.WriteU8(m_interpolate);
}

void COGLModel::ReadClockRecord(BinaryReader& in, bool withInterpolate) {
    const std::int32_t animationIndex = in.ReadI32();
    if (m_loaded != 0) {
        m_animation = animationIndex >= 0 && static_cast<std::size_t>(animationIndex) < m_animations.size()
                          ? m_animations[static_cast<std::size_t>(animationIndex)].get()
                          : nullptr;
    }
    m_speed = in.ReadF32();
    m_frame = in.ReadF32();
    m_frameIndex = in.ReadI32();
    m_nextFrameIndex = in.ReadI32();
    m_lerp = in.ReadF32();
    m_loop = in.ReadU8();
    m_singleStep = in.ReadU8();
    if (withInterpolate) {
        m_interpolate = in.ReadU8();
    }
    if (!std::isfinite(m_frame) || !std::isfinite(m_lerp)) {
        ResetAnimation();
    }
}

void COGLModel::ReadSavedTexture(BinaryReader& in, int sceneTextureIndex, COGLScene& scene,
                                 const std::vector<SavedSkin>& saved) {
    const std::int32_t skinIndex = in.ReadI32();
    if (m_loaded == 0) {
        return;
    }
    COGLTexture2D* named = nullptr;
    if (skinIndex >= 0 && static_cast<std::size_t>(skinIndex) < saved.size()) {
        const SavedSkin& entry = saved[static_cast<std::size_t>(skinIndex)];
        named = FindSkin(entry.path);
        if (named == nullptr && entry.deferred) {
            named = ReadSavedSkin(entry, scene);
        }
    }
    if (named != nullptr) {
        SetTexture(named);
    } else if (skinIndex >= 0 && static_cast<std::size_t>(skinIndex) < m_skins.size()) {
        SetTexture(m_skins[static_cast<std::size_t>(skinIndex)]);
    } else if (sceneTextureIndex >= 0) {
        SetTexture(scene.TextureAt(sceneTextureIndex));
    } else {
        SetTexture(nullptr);
    }
}

void COGLModel::TakeSourceOf(const COGLModel& source) {
    m_scene = source.m_scene;
    m_path = source.m_path;
    m_directory = source.m_directory;
    m_pak = source.m_pak;
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

void COGLModel::SetLoopPosition(float position) {
    const int count = LoopFrames();
    if (count <= 0 || !std::isfinite(position) || position < 0.0f) {
        position = 0.0f;
    }
    const int index = std::clamp(static_cast<int>(position), 0, std::max(count - 1, 0));
    m_frame = position;
    m_frameIndex = index;
    m_nextFrameIndex = index;
    m_lerp = 0.0f;
    if (m_interpolate != 0 && count > 1) {
        m_nextFrameIndex = (index + 1) % count;
        m_lerp = std::clamp(position - static_cast<float>(index), 0.0f, 1.0f);
    }
}

bool COGLModel::EmitFrame(const ModelAnimation& animation, int frame, GeometrySink& sink) {
    if (AnimationIndexOf(&animation) < 0) {
        return false;
    }
    ModelAnimation* const animationWas = m_animation;
    const float frameWas = m_frame;
    const int indexWas = m_frameIndex;
    const int nextWas = m_nextFrameIndex;
    const float lerpWas = m_lerp;
    const std::uint8_t invertWas = m_invertNormals;
    const Vector3 lowWas = m_boundsMin;
    const Vector3 highWas = m_boundsMax;
    m_animation = m_animations[static_cast<std::size_t>(AnimationIndexOf(&animation))].get();
    m_frameIndex = frame;
    m_nextFrameIndex = frame;
    m_lerp = 0.0f;
    m_invertNormals = 0;
    const bool walked = WalkFrame(sink);
    m_animation = animationWas;
    m_frame = frameWas;
    m_frameIndex = indexWas;
    m_nextFrameIndex = nextWas;
    m_lerp = lerpWas;
    m_invertNormals = invertWas;
    m_boundsMin = lowWas;
    m_boundsMax = highWas;
    return walked;
}

bool COGLModel::WalkFrame(GeometrySink& /*sink*/) { return false; }

void COGLModel::Draw(int flags) {
    DrawGeometry(flags, [this] {
        GLGeometrySink gl;
        WalkFrame(gl);
    });
}

void COGLModel::DrawPickPass() {
    DrawGeometryForPick([this] {
        GLGeometrySink gl;
        WalkFrame(gl);
    });
}

void COGLModel::AdvanceClock(int frameCount) {
    if (frameCount <= 0) {
        return;
    }
    if (StepClockPosition(m_frame, m_speed, static_cast<float>(frameCount), m_loop != 0) == ClockStep::Ended) {
        SetAnimating(false);
        GetHost().RefreshAnimationControls();
        ResetAnimation();
    }
    m_frameIndex = static_cast<int>(m_frame);
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

std::optional<ByteBuffer> COGLModel::ReadSourceFile(const std::string& path) {
    const std::string resolved = fs_util::ResolvePath(path);
    auto bytes = ReadWholeFile(resolved);
    if (bytes) {
        m_pak = nullptr;
        m_path = resolved;
        m_directory = fs_util::DirectoryOf(resolved);
    }
    return bytes;
}

std::optional<ByteBuffer> COGLModel::ReadSourceEntry(Archive* pak, const PakEntry& entry) {
    m_pak = pak;
    m_path = entry.name;
    m_directory = fs_util::DirectoryOf(entry.name);
    return pak != nullptr ? pak->ReadEntry(entry) : std::nullopt;
}

int COGLModel::SkinIndexOf(const COGLTexture2D* texture) const {
    for (std::size_t i = 0; i < m_skins.size(); ++i) {
        if (m_skins[i] == texture) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void COGLModel::WriteSkinEntry(BinaryWriter& out, const COGLTexture2D& skin) {
    out.WriteU8(skin.LoadOption());
    out.WriteText(skin.Path(), scene_format::kPathFieldSize);
}

std::vector<COGLModel::SavedSkin> COGLModel::ReadSkinEntries(BinaryReader& in, std::int64_t count, bool load,
                                                             COGLScene& scene,
                                                             const std::function<bool(const std::string&)>& keep) {
    constexpr std::size_t kSkinEntrySize = 1 + scene_format::kPathFieldSize;
    const std::size_t entries = in.CheckCount(count, kSkinEntrySize);
    std::vector<SavedSkin> saved;
    saved.reserve(entries);
    for (std::size_t i = 0; i < entries; ++i) {
        SavedSkin& entry = saved.emplace_back();
        entry.loadOption = in.ReadU8();
        entry.path = in.ReadText(scene_format::kPathFieldSize);
        if (!load || entry.path.empty() || FindSkin(entry.path) != nullptr) {
            continue;
        }
        if (keep && !keep(entry.path)) {
            entry.deferred = true;
        } else {
            ReadSavedSkin(entry, scene);
        }
    }
    return saved;
}

COGLTexture2D* COGLModel::ReadSavedSkin(SavedSkin saved, COGLScene& scene) {
    // A skin inside the model's own pak needs no search on disk.
    const bool inPak = m_pak != nullptr && m_pak->FindEntry(saved.path) != nullptr;
    const FileLocator* locator = scene.Locator();
    if (!inPak && locator != nullptr && !locator->Locate(saved.path, FileLocator::Skin)) {
        return nullptr;
    }
    COGLTexture2D* skin = scene.LoadSkinTexture(saved.path, m_pak, std::string(), saved.loadOption, false);
    if (skin == nullptr && m_pak != nullptr) {
        skin = scene.LoadSkinTexture(saved.path, nullptr, std::string(), saved.loadOption, false);
    }
    if (skin == nullptr) {
        return nullptr;
    }
    // The list holds one skin of a path: the one adopted, or the one it already had.
    const std::string path = skin->Path();
    AdoptSkin(skin);
    return FindSkin(path);
}

void COGLModel::ShareSkinsOf(const COGLModel& source) {
    m_skins = source.m_skins;
    for (COGLTexture2D* skin : m_skins) {
        skin->AddRef();
    }
}

void COGLModel::CopyClockOf(const COGLModel& source) {
    m_speed = source.m_speed;
    m_frame = source.m_frame;
    m_frameIndex = source.m_frameIndex;
    m_nextFrameIndex = source.m_nextFrameIndex;
    m_lerp = source.m_lerp;
    m_loop = source.m_loop;
    m_verticalOffset = source.m_verticalOffset;
    m_boundsMin = source.m_boundsMin;
    m_boundsMax = source.m_boundsMax;
    m_skinCount = source.m_skinCount;
    m_loaded = source.m_loaded;
    m_ready = 1;
}

bool COGLModel::SetPakSource(Archive* pak, const std::string& path) {
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

void COGLModel::DrawGeometry(int flags, const std::function<void()>& emit) {
    if (!IsVisible()) {
        return;
    }
    const bool transparent = BeginTransparency();
    glPushMatrix();
    ApplyModelTransform();
    glFrontFace(GL_CW);
    const bool textured = (flags & kDrawMaterial) != 0 && m_texture != nullptr && m_texture->IsBound();
    if ((flags & kDrawMaterial) != 0) {
        ApplyMaterial();
    }
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, m_texture->GLName());
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, m_textureEnvMode);
    }
    emit();
    if (textured) {
        glDisable(GL_TEXTURE_2D);
    }
    glFrontFace(GL_CCW);
    glPopMatrix();
    EndTransparency(transparent);
}

bool COGLModel::BeginTransparency() const {
    const bool transparent = IsTransparent();
    if (transparent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
    }
    return transparent;
}

void COGLModel::EndTransparency(bool transparent) {
    if (transparent) {
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }
}

void COGLModel::DrawGeometryForPick(const std::function<void()>& emit) {
    if (PickName() < 0 || !IsVisible()) {
        return;
    }
    glLoadName(static_cast<GLuint>(PickName()));
    glPushMatrix();
    ApplyModelTransform();
    emit();
    glPopMatrix();
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

std::optional<ObjectFacts> COGLModel::Facts() const {
    ObjectFacts facts;
    for (const auto& animation : m_animations) {
        facts.animations.push_back({animation->name, animation->frameCount});
        facts.frames += animation->frameCount;
    }
    facts.skins = m_skinCount;
    if (!m_skins.empty() && m_skins.front() != nullptr) {
        facts.width = m_skins.front()->Width();
        facts.height = m_skins.front()->Height();
    }
    return facts;
}

void COGLModel::SaveEditState(BinaryWriter& out) const {
    out.WriteI32(AnimationIndexOf(m_animation));
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
    BeginSelectionBox();
    glTranslatef(0.0f, m_verticalOffset, 0.0f);  // lifted as the model is drawn
    DrawBoxCorners(GL_LINE_LOOP, m_boundsMin, m_boundsMax, {7, 3, 1, 5});
    DrawBoxCorners(GL_LINE_LOOP, m_boundsMin, m_boundsMax, {6, 4, 0, 2});
    DrawBoxCorners(GL_LINES, m_boundsMin, m_boundsMax, {1, 0, 3, 2, 5, 4, 7, 6});
    DrawAxes();
    EndSelectionBox();
}

void COGLModel::DrawAxes() {
    const Vector3& lo = m_boundsMin;
    const Vector3& hi = m_boundsMax;
    DrawAxisLines({hi.x, hi.y, 0.0f}, {0.0f, lo.y, 0.0f}, {0.0f, hi.y, lo.z}, {5.0f, -5.0f, -5.0f});
}

void COGLModel::DrawAxisLines(const Vector3& xFrom, const Vector3& yFrom, const Vector3& zFrom,
                              const Vector3& lengths) {
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(xFrom.x, xFrom.y, xFrom.z);
    glVertex3f(xFrom.x + lengths.x, xFrom.y, xFrom.z);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(yFrom.x, yFrom.y, yFrom.z);
    glVertex3f(yFrom.x, yFrom.y + lengths.y, yFrom.z);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(zFrom.x, zFrom.y, zFrom.z);
    glVertex3f(zFrom.x, zFrom.y, zFrom.z + lengths.z);
    glEnd();
}
