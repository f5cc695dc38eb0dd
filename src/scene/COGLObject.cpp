#include "scene/COGLObject.h"

#include <GL/gl.h>

#include "math/Angles.h"
#include "media/COGLTexture2D.h"
#include "platform/GLContext.h"
#include "scene/COGLScene.h"
#include "scene/SceneFormat.h"

using scene_format::WriteColor;
using scene_format::ReadColor;
using scene_format::WriteVector;
using scene_format::ReadVector;

namespace {
int g_nextPickName = 1;
}  // namespace

int COGLObject::NextPickName() { return g_nextPickName++; }

COGLObject::COGLObject(int typeCode) : m_pickName(NextPickName()), m_typeCode(typeCode) {}

COGLObject::~COGLObject() { InvalidateDisplayLists(); }

void COGLObject::InvalidateDisplayLists() {
    if (m_mainList != 0 && HasCurrentGLContext()) {
        glDeleteLists(m_mainList, 2);
    }
    m_mainList = m_alternateList = m_pickList = 0;
}

void COGLObject::EnsureDisplayLists() {
    if (m_mainList == 0) {
        BuildDisplayLists();
    }
}

void COGLObject::EmitGeometry(GeometrySink& /*sink*/, GeometryDetail /*detail*/) const {}

void COGLObject::BuildDisplayLists() {
    const GLuint base = glGenLists(2);
    if (base == 0) {
        return;
    }
    GLGeometrySink sink;
    glNewList(base, GL_COMPILE);
    EmitGeometry(sink, GeometryDetail::Full);
    glEndList();
    glNewList(base + 1, GL_COMPILE);
    EmitGeometry(sink, GeometryDetail::Coarse);
    glEndList();
    m_mainList = base;
    m_alternateList = base + 1;
    m_pickList = m_pickUsesAlternate ? m_alternateList : m_mainList;
}

void COGLObject::ApplyOrientation() const { glMultMatrixd(m_orientation.ToMatrix().Data()); }

bool COGLObject::LocalBounds(Vector3& lo, Vector3& hi) const {
    lo = -m_halfExtents;
    hi = m_halfExtents;
    return true;
}

void COGLObject::ApplyMaterial() const {
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m_shininess);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m_specular.Data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m_diffuse.Data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m_ambient.Data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, m_emission.Data());
}

void COGLObject::ApplyTransform() const {
    glTranslatef(m_position.x, m_position.y, m_position.z);
    ApplyOrientation();
    glScalef(m_scale.x, m_scale.y, m_scale.z);
}

void COGLObject::Draw(int flags) {
    if (!IsVisible()) {
        return;
    }
    EnsureDisplayLists();
    const bool transparent = IsTransparent();
    if (transparent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
    }
    glPushMatrix();
    ApplyTransform();
    const GLuint list = (flags & kDrawAlternate) != 0 ? m_alternateList : m_mainList;
    if ((flags & kDrawMaterial) != 0) {
        ApplyMaterial();
        if (m_texture != nullptr && m_texture->IsBound()) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, m_texture->GLName());
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, m_textureEnvMode);
            glMatrixMode(GL_TEXTURE);
            glPushMatrix();
            glLoadIdentity();
            glTranslatef(m_textureTranslation.x, m_textureTranslation.y, m_textureTranslation.z);
            glRotatef(m_textureRotation.x, 1.0f, 0.0f, 0.0f);
            glRotatef(m_textureRotation.y, 0.0f, 1.0f, 0.0f);
            glRotatef(m_textureRotation.z, 0.0f, 0.0f, 1.0f);
            glScalef(m_textureScale.x, m_textureScale.y, m_textureScale.z);
            glMatrixMode(GL_MODELVIEW);
            glCallList(list);
            glDisable(GL_TEXTURE_2D);
            glMatrixMode(GL_TEXTURE);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
        } else {
            glCallList(list);
        }
    } else {
        glCallList(list);
    }
    if ((flags & kDrawAxisMarks) != 0) {
        DrawAxisMarks();
    }
    glPopMatrix();
    if (transparent) {
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }
}

void COGLObject::DrawPickPass() {
    // A hidden object takes no part in picking either.
    if (m_pickName < 0 || !IsVisible()) {
        return;
    }
    EnsureDisplayLists();
    glLoadName(static_cast<GLuint>(m_pickName));
    glPushMatrix();
    ApplyTransform();
    glCallList(m_pickList);
    glPopMatrix();
}

void COGLObject::BeginSelectionBox() const {
    glPushMatrix();
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_NORMALIZE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_MATERIAL);
    glColor3f(1.0f, 1.0f, 1.0f);
    ApplyTransform();
}

void COGLObject::EndSelectionBox() const {
    glPopAttrib();
    glPopMatrix();
}

void COGLObject::DrawBoxCorners(unsigned mode, const Vector3& lo, const Vector3& hi,
                                std::initializer_list<int> corners) {
    glBegin(mode);
    for (const int c : corners) {
        glVertex3f((c & 4) != 0 ? hi.x : lo.x, (c & 2) != 0 ? hi.y : lo.y, (c & 1) != 0 ? hi.z : lo.z);
    }
    glEnd();
}

void COGLObject::DrawBoxOutline(const Vector3& h) const {
    const Vector3 lo = -h;
    DrawBoxCorners(GL_LINE_LOOP, lo, h, {7, 3, 1, 5});
    DrawBoxCorners(GL_LINE_LOOP, lo, h, {6, 2, 0, 4});
    DrawBoxCorners(GL_LINES, lo, h, {7, 6, 3, 2, 1, 0, 5, 4});
}

void COGLObject::DrawSelectionBox() {
    if (!IsVisible()) {
        return;
    }
    BeginSelectionBox();
    DrawBoxOutline(m_halfExtents);
    DrawAxisMarks();
    EndSelectionBox();
}

void COGLObject::DrawAxisMarks() {
    const Vector3& h = m_halfExtents;
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(h.x, 0.0f, 0.0f);
    glVertex3f(h.x + 0.2f, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, h.y, 0.0f);
    glVertex3f(0.0f, h.y + 0.2f, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, h.z);
    glVertex3f(0.0f, 0.0f, h.z + 0.2f);
    glEnd();
}

void COGLObject::Save(BinaryWriter& out, int textureIndex) const {
    out.WriteText(m_name, kNameFieldSize);
    WriteColor(out, m_ambient);
    WriteColor(out, m_diffuse);
    WriteColor(out, m_specular);
    WriteColor(out, m_emission);
    out.WriteF32(m_shininess);
    out.WriteF32(m_orientation.x);
    out.WriteF32(m_orientation.y);
    out.WriteF32(m_orientation.z);
    out.WriteF32(m_orientation.w);
    WriteVector(out, m_scale);
    WriteVector(out, m_position);
    out.WriteF32(m_position.x);  // the layout repeats x; readers keep this copy
    out.WriteU8(m_visible);
    out.WriteU8(m_transparent);
    out.WriteU8(m_animating);
    out.WriteI32(m_objectMode);
    out.WriteU32(m_flags);
    out.WriteI32(textureIndex);
    WriteVector(out, m_textureRotation);
    WriteVector(out, m_textureScale);
    WriteVector(out, m_textureTranslation);
    out.WriteI32(m_textureEnvMode);
    out.WriteI32(m_textureSetting);
}

int COGLObject::Load(BinaryReader& in, int /*version*/) {
    m_name = in.ReadText(kNameFieldSize);
    m_ambient = ReadColor(in);
    m_diffuse = ReadColor(in);
    m_specular = ReadColor(in);
    m_emission = ReadColor(in);
    m_shininess = in.ReadF32();
    m_orientation.x = in.ReadF32();
    m_orientation.y = in.ReadF32();
    m_orientation.z = in.ReadF32();
    m_orientation.w = in.ReadF32();
    m_scale = ReadVector(in);
    m_position = ReadVector(in);
    m_position.x = in.ReadF32();
    m_visible = in.ReadU8();
    m_transparent = in.ReadU8();
    m_animating = in.ReadU8();
    m_objectMode = in.ReadI32();
    m_flags = in.ReadU32();
    const int textureIndex = in.ReadI32();
    m_textureRotation = ReadVector(in);
    m_textureScale = ReadVector(in);
    m_textureTranslation = ReadVector(in);
    m_textureEnvMode = in.ReadI32();
    m_textureSetting = in.ReadI32();
    return textureIndex;
}

bool COGLObject::LoadFromScene(BinaryReader& in, int version, COGLScene& scene) {
    const int textureIndex = Load(in, version);
    if (textureIndex >= 0 && static_cast<std::size_t>(textureIndex) < scene.Textures().size()) {
        SetTexture(scene.Textures()[static_cast<std::size_t>(textureIndex)].get());
    }
    return true;
}

void COGLObject::CopyFrom(const COGLObject& other) {
    m_ambient = other.m_ambient;
    m_diffuse = other.m_diffuse;
    m_specular = other.m_specular;
    m_emission = other.m_emission;
    m_shininess = other.m_shininess;
    m_scale = other.m_scale;
    m_position = other.m_position;
    m_halfExtents = other.m_halfExtents;
    m_name = "Copy of " + other.m_name;
    m_pickName = NextPickName();
    m_visible = other.m_visible;
    m_transparent = other.m_transparent;
    m_animating = other.m_animating;
    m_objectMode = other.m_objectMode;
    m_typeCode = other.m_typeCode;
    m_orientation = other.m_orientation;
    m_flags = other.m_flags;
    m_texture = other.m_texture;
    m_textureRotation = other.m_textureRotation;
    m_textureScale = other.m_textureScale;
    m_textureTranslation = other.m_textureTranslation;
    m_textureEnvMode = other.m_textureEnvMode;
    m_textureSetting = other.m_textureSetting;
}

void COGLObject::SetAmbient(float r, float g, float b, float a) { m_ambient = {r, g, b, a}; }
void COGLObject::SetAmbientAlpha(float a) { m_ambient.alpha = a; }
void COGLObject::SetDiffuse(float r, float g, float b, float a) { m_diffuse = {r, g, b, a}; }
void COGLObject::SetDiffuseAlpha(float a) { m_diffuse.alpha = a; }
void COGLObject::SetSpecular(float r, float g, float b, float a) { m_specular = {r, g, b, a}; }
void COGLObject::SetSpecularAlpha(float a) { m_specular.alpha = a; }
void COGLObject::SetEmission(float r, float g, float b, float a) { m_emission = {r, g, b, a}; }
void COGLObject::SetEmissionAlpha(float a) { m_emission.alpha = a; }
void COGLObject::SetShininess(float shininess) { m_shininess = shininess; }

void COGLObject::SetVisible(bool visible) {
    if (visible) {
        Show();
    } else {
        Hide();
    }
}

void COGLObject::Show() {
    m_visible = 1;
    m_flags &= ~kFlagHidden;
}

void COGLObject::Hide() {
    m_visible = 0;
    m_flags |= kFlagHidden;
}

void COGLObject::SetTransparent(bool transparent) { m_transparent = transparent ? 1 : 0; }
void COGLObject::StartAnimation() { m_animating = 1; }

void COGLObject::Rotate(const Vector3& axis, float degrees) {
    if (!WrapAngleDegrees(degrees)) {
        return;
    }
    m_orientation = m_orientation * Quaternion::FromAxisAngle(axis, degrees);
    m_orientation.Rescale();
}

void COGLObject::RotateX(float degrees) { Rotate({1.0f, 0.0f, 0.0f}, degrees); }
void COGLObject::RotateY(float degrees) { Rotate({0.0f, 1.0f, 0.0f}, degrees); }
void COGLObject::RotateZ(float degrees) { Rotate({0.0f, 0.0f, 1.0f}, degrees); }

Vector3 COGLObject::GetScale() const { return m_scale; }
void COGLObject::SetScale(float x, float y, float z) { m_scale = {x, y, z}; }
void COGLObject::SetScaleX(float x) { m_scale.x = x; }
void COGLObject::SetScaleY(float y) { m_scale.y = y; }
void COGLObject::SetScaleZ(float z) { m_scale.z = z; }

void COGLObject::MoveBy(float dx, float dy, float dz) { m_position += Vector3{dx, dy, dz}; }
void COGLObject::SetPosition(float x, float y, float z) { m_position = {x, y, z}; }
void COGLObject::SetPositionX(float x) { m_position.x = x; }
void COGLObject::SetPositionY(float y) { m_position.y = y; }
void COGLObject::SetPositionZ(float z) { m_position.z = z; }

void COGLObject::SetTexture(COGLTexture2D* texture) {
    m_texture = texture != nullptr && texture->IsBound() ? texture : nullptr;
}

void COGLObject::SetTextureEnvMode(int mode) { m_textureEnvMode = mode; }
