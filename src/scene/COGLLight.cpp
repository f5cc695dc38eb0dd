#include "scene/COGLLight.h"

#include <GL/gl.h>

#include <array>

#include "math/Matrix4.h"
#include "platform/GLContext.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/Primitives.h"
#include "scene/SceneFormat.h"

using scene_format::WriteColor;
using scene_format::ReadColor;

namespace {
// One entry per GL light, GL_LIGHT0 to GL_LIGHT7, shared by every scene.
std::array<bool, COGLLight::kMaxLights> g_lightInUse{};

// The look every light marker shares: a dim grey that glows a little, drawn with
// its alternate list, pickable through that list, marked in its flags word.
void MakeMarker(COGLObject& marker, float x, float y, float z) {
    marker.SetAmbient(0.1f, 0.1f, 0.1f, 1.0f);
    marker.SetDiffuse(0.25f, 0.25f, 0.25f, 1.0f);
    marker.SetSpecular(1.0f, 1.0f, 1.0f, 1.0f);
    marker.SetEmission(0.2f, 0.2f, 0.2f, 1.0f);
    marker.SetShininess(1.0f);
    marker.SetObjectMode(2);
    marker.SetPickUsesAlternateList(true);
    marker.SetFlagsWord(marker.FlagsWord() | COGLObject::kFlagLightMarker);
    marker.SetPosition(x, y, z);
}
}  // namespace

int COGLLight::LightsInUse() {
    int count = 0;
    for (const bool used : g_lightInUse) {
        count += used ? 1 : 0;
    }
    return count;
}

bool COGLLight::PrepareGL() {
    GetHost().MakeViewContextCurrent();
    return HasCurrentGLContext();
}

COGLLight::COGLLight(const std::string& name) : m_name(name) {
    for (int i = 0; i < kMaxLights; ++i) {
        if (!g_lightInUse[static_cast<std::size_t>(i)]) {
            g_lightInUse[static_cast<std::size_t>(i)] = true;
            m_slot = i;
            m_glLight = GL_LIGHT0 + static_cast<unsigned>(i);
            return;
        }
    }
    ShowMessage(msg::kNoMoreLights);
}

COGLLight::~COGLLight() {
    if (m_slot >= 0) {
        if (PrepareGL()) {
            glDisable(m_glLight);
        }
        g_lightInUse[static_cast<std::size_t>(m_slot)] = false;
    }
}

void COGLLight::ApplyLightColours() const {
    glEnable(m_glLight);
    glLightfv(m_glLight, GL_AMBIENT, m_ambient.Data());
    glLightfv(m_glLight, GL_DIFFUSE, m_diffuse.Data());
    glLightfv(m_glLight, GL_SPECULAR, m_specular.Data());
    const Vector3& p = m_marker->Position();
    const float position[4] = {p.x, p.y, p.z, m_w};
    glLightfv(m_glLight, GL_POSITION, position);
}

void COGLLight::DrawMarker() {
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_NORMALIZE);
    glEnable(GL_COLOR_MATERIAL);
    m_marker->Draw(COGLObject::kDrawAlternate);
    glPopAttrib();
}

void COGLLight::DrawMarkerPlain() { m_marker->Draw(COGLObject::kDrawAlternate); }

void COGLLight::DrawForPicking() {
    const Vector3 p = m_marker->Position();
    m_marker->SetPosition(p.x, p.y, p.z);
    m_marker->DrawPickPass();
}

void COGLLight::Save(BinaryWriter& out) const {
    out.WriteText(m_name, COGLObject::kNameFieldSize);
    WriteColor(out, m_ambient);
    WriteColor(out, m_diffuse);
    WriteColor(out, m_specular);
    const Vector3& p = m_marker->Position();
    out.WriteF32(p.x);
    out.WriteF32(p.y);
    out.WriteF32(p.z);
    out.WriteF32(m_w);
    out.WriteI32(m_marker->IsVisible() ? 1 : 0);
    out.WriteI32(m_enabled);
}

void COGLLight::Load(BinaryReader& in, int /*version*/) {
    m_name = in.ReadText(COGLObject::kNameFieldSize);
    m_ambient = ReadColor(in);
    m_diffuse = ReadColor(in);
    m_specular = ReadColor(in);
    const float x = in.ReadF32();
    const float y = in.ReadF32();
    const float z = in.ReadF32();
    m_marker->SetPosition(x, y, z);
    m_w = 1.0f;
    m_w = in.ReadF32();
    m_marker->SetVisible(in.ReadI32() != 0);
    m_enabled = in.ReadI32();
}

void COGLLight::CopyFrom(const COGLLight& other) {
    m_ambient = other.m_ambient;
    m_diffuse = other.m_diffuse;
    m_specular = other.m_specular;
    m_w = other.m_w;
    const Vector3& p = other.m_marker->Position();
    m_marker->SetPosition(p.x, p.y, p.z);
    m_enabled = other.m_enabled;
    m_name = "Copy of " + other.m_name;
}

// --- Point light ---

COGLPointLight::COGLPointLight(float x, float y, float z) : COGLLight("Point") {
    m_marker = std::make_unique<COGLSphere>();
    MakeMarker(*m_marker, x, y, z);
    m_marker->SetScale(0.15f, 0.15f, 0.15f);
    m_w = 1.0f;
}

COGLPointLight::~COGLPointLight() = default;

void COGLPointLight::Apply() {
    if (m_slot >= 0) {
        if (IsEnabled()) {
            ApplyLightColours();
        } else {
            glDisable(m_glLight);
        }
    }
    DrawMarker();
}

// --- Spot light ---

COGLSpotLight::COGLSpotLight(float x, float y, float z) : COGLLight("Spot Light") {
    m_marker = std::make_unique<COGLCone>();
    MakeMarker(*m_marker, x, y, z);
    m_marker->SetScale(0.4f, 0.4f, 0.2f);
    m_marker->RotateY(180.0f);
    ComputeDirection();
    m_w = 1.0f;
}

COGLSpotLight::~COGLSpotLight() {
    if (m_slot >= 0 && PrepareGL()) {
        static const float kDefaultDirection[3] = {0.0f, 0.0f, -1.0f};
        glLightf(m_glLight, GL_SPOT_EXPONENT, 0.0f);
        glLightf(m_glLight, GL_SPOT_CUTOFF, 180.0f);
        glLightf(m_glLight, GL_CONSTANT_ATTENUATION, 1.0f);
        glLightf(m_glLight, GL_LINEAR_ATTENUATION, 0.0f);
        glLightf(m_glLight, GL_QUADRATIC_ATTENUATION, 0.0f);
        glLightfv(m_glLight, GL_SPOT_DIRECTION, kDefaultDirection);
    }
}

void COGLSpotLight::ComputeDirection() {
    const Vector3 forward{0.0f, 0.0f, 1.0f};
    Vector3 direction;
    if (HasCurrentGLContext()) {
        GLint mode = GL_MODELVIEW;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        m_marker->ApplyOrientation();
        Matrix4 rotation;
        glGetDoublev(GL_MODELVIEW_MATRIX, rotation.Data());
        glPopMatrix();
        glMatrixMode(static_cast<GLenum>(mode));
        direction = rotation.TransformVector(forward);
    } else {
        direction = m_marker->Orientation().ToMatrix().TransformVector(forward);
    }
    // A degenerate orientation (all zero) gives no direction: keep the last one.
    if (direction.Normalize()) {
        m_direction = direction;
    }
}

void COGLSpotLight::Apply() {
    DrawMarker();
    if (m_slot < 0) {
        return;
    }
    if (!IsEnabled()) {
        glDisable(m_glLight);
        return;
    }
    ApplyLightColours();
    const float direction[3] = {m_direction.x, m_direction.y, m_direction.z};
    glLightfv(m_glLight, GL_SPOT_DIRECTION, direction);
    glLightf(m_glLight, GL_SPOT_EXPONENT, m_exponent);
    glLightf(m_glLight, GL_SPOT_CUTOFF, m_cutOff);
    glLightf(m_glLight, GL_CONSTANT_ATTENUATION, m_constantAttenuation);
    glLightf(m_glLight, GL_LINEAR_ATTENUATION, m_linearAttenuation);
    glLightf(m_glLight, GL_QUADRATIC_ATTENUATION, m_quadraticAttenuation);
}

void COGLSpotLight::Save(BinaryWriter& out) const {
    COGLLight::Save(out);
    const Quaternion& q = m_marker->Orientation();
    out.WriteF32(q.x);
    out.WriteF32(q.y);
    out.WriteF32(q.z);
    out.WriteF32(q.w);
    out.WriteF32(m_cutOff);
    out.WriteF32(m_exponent);
    out.WriteF32(m_constantAttenuation);
    out.WriteF32(m_linearAttenuation);
    out.WriteF32(m_quadraticAttenuation);
}

void COGLSpotLight::Load(BinaryReader& in, int version) {
    COGLLight::Load(in, version);
    Quaternion q;
    q.x = in.ReadF32();
    q.y = in.ReadF32();
    q.z = in.ReadF32();
    q.w = in.ReadF32();
    m_marker->SetOrientation(q);
    m_cutOff = in.ReadF32();
    m_exponent = in.ReadF32();
    m_constantAttenuation = in.ReadF32();
    m_linearAttenuation = in.ReadF32();
    m_quadraticAttenuation = in.ReadF32();
    ComputeDirection();
}

void COGLSpotLight::CopyFrom(const COGLLight& other) {
    COGLLight::CopyFrom(other);
    m_marker->SetOrientation(other.Marker().Orientation());
    ComputeDirection();
    if (const auto* spot = dynamic_cast<const COGLSpotLight*>(&other)) {
        m_cutOff = spot->m_cutOff;
        m_exponent = spot->m_exponent;
        m_constantAttenuation = spot->m_constantAttenuation;
        m_linearAttenuation = spot->m_linearAttenuation;
        m_quadraticAttenuation = spot->m_quadraticAttenuation;
    }
}
