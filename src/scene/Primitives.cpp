#include "scene/Primitives.h"

#include <GL/gl.h>

#include <cmath>

#include "math/Matrix4.h"

namespace {
// Fine versions give per-vertex lighting enough points; coarse ones are for markers
// and for drawing while an object is dragged.
struct Detail {
    int gridDivisions;
    int slices;
    int stacks;
    int rings;
};

Detail DetailOf(GeometryDetail detail) {
    return detail == GeometryDetail::Full ? Detail{8, 32, 16, 2} : Detail{1, 12, 6, 1};
}

int DominantAxis(const Vector3& n) {
    const float ax = std::fabs(n.x);
    const float ay = std::fabs(n.y);
    const float az = std::fabs(n.z);
    if (ax >= ay && ax >= az) {
        return 0;
    }
    return ay >= az ? 1 : 2;
}

float& Component(Vector3& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }
}  // namespace

// --- Box ---

COGLBox::COGLBox() : COGLObject(object_type::kBox) {}

void COGLBox::EmitGeometry(GeometrySink& sink, GeometryDetail detail) const {
    const int divisions = DetailOf(detail).gridDivisions;
    // Each face: s axis, t axis; it faces s x t and sits one unit out that way.
    const Vector3 faces[6][2] = {
        {{0, 0, -1}, {0, 1, 0}},  // +x
        {{0, 0, 1}, {0, 1, 0}},   // -x
        {{1, 0, 0}, {0, 0, -1}},  // +y
        {{1, 0, 0}, {0, 0, 1}},   // -y
        {{1, 0, 0}, {0, 1, 0}},   // +z
        {{-1, 0, 0}, {0, 1, 0}},  // -z
    };
    for (const auto& face : faces) {
        geometry::EmitGridFace(sink, face[0], face[1], face[0].Cross(face[1]), divisions);
    }
}

// --- Sphere ---

COGLSphere::COGLSphere() : COGLObject(object_type::kSphere) {}

void COGLSphere::EmitGeometry(GeometrySink& sink, GeometryDetail detail) const {
    const Detail d = DetailOf(detail);
    geometry::EmitSphere(sink, d.slices, d.stacks);
}

// --- Cylinder family ---

COGLCylinder::COGLCylinder() : COGLObject(object_type::kCylinder) {}
COGLCylinder::COGLCylinder(int typeCode) : COGLObject(typeCode) {}

void COGLCylinder::EmitGeometry(GeometrySink& sink, GeometryDetail detail) const {
    const Detail d = DetailOf(detail);
    geometry::EmitTube(sink, 1.0f, 1.0f, d.slices, d.stacks / 4 + 1);
    geometry::EmitDisk(sink, 1.0f, false, d.slices, d.rings);
    geometry::EmitDisk(sink, -1.0f, true, d.slices, d.rings);
}

COGLRod::COGLRod() : COGLCylinder(object_type::kRod) {}

void COGLRod::EmitGeometry(GeometrySink& sink, GeometryDetail detail) const {
    const Detail d = DetailOf(detail);
    geometry::EmitTube(sink, 1.0f, 1.0f, d.slices, d.stacks / 4 + 1);
}

COGLCone::COGLCone() : COGLCylinder(object_type::kCone) {}

void COGLCone::EmitGeometry(GeometrySink& sink, GeometryDetail detail) const {
    const Detail d = DetailOf(detail);
    geometry::EmitTube(sink, 0.0f, 1.0f, d.slices, d.stacks / 4 + 1);
    geometry::EmitDisk(sink, 1.0f, false, d.slices, d.rings);
}

// --- Plane family ---

COGLPlane::COGLPlane() : COGLPlane(object_type::kPlane, {1, 0, 0}, {0, 1, 0}) {}

COGLPlane::COGLPlane(int typeCode, const Vector3& u, const Vector3& v)
    : COGLObject(typeCode), m_u(u), m_v(v), m_thinAxis(DominantAxis(u.Cross(v))) {}

void COGLPlane::EmitGeometry(GeometrySink& sink, GeometryDetail detail) const {
    // A single square would light as one flat colour under a spot light.
    const int divisions = detail == GeometryDetail::Full ? 16 : 1;
    geometry::EmitGridFace(sink, m_u, m_v, {}, divisions);
}

void COGLPlane::DrawSelectionBox() {
    if (!IsVisible()) {
        return;
    }
    BeginSelectionBox();
    const Vector3& h = m_halfExtents;
    auto corner = [&](float a, float b) {
        const Vector3 p = m_u * a + m_v * b;
        glVertex3f(p.x * h.x, p.y * h.y, p.z * h.z);
    };
    glBegin(GL_LINE_LOOP);
    corner(1, 1);
    corner(-1, 1);
    corner(-1, -1);
    corner(1, -1);
    glEnd();
    DrawAxisMarks();
    EndSelectionBox();
}

void COGLPlane::Save(BinaryWriter& out, int textureIndex) const {
    COGLObject::Save(out, textureIndex);
    out.WriteU8(m_planeFlag);
}

int COGLPlane::Load(BinaryReader& in, int version) {
    const int textureIndex = COGLObject::Load(in, version);
    m_planeFlag = in.ReadU8();
    return textureIndex;
}

void COGLPlane::CopyFrom(const COGLObject& other) {
    COGLObject::CopyFrom(other);
    if (const auto* plane = dynamic_cast<const COGLPlane*>(&other)) {
        m_planeFlag = plane->m_planeFlag;
    }
}

Vector3 COGLPlane::GetScale() const {
    Vector3 scale = m_scale;
    Component(scale, m_thinAxis) = 1.0f;
    return scale;
}

void COGLPlane::SetScale(float x, float y, float z) {
    Vector3 scale{x, y, z};
    Component(scale, m_thinAxis) = Component(m_scale, m_thinAxis);
    m_scale = scale;
}

void COGLPlane::SetScaleX(float x) {
    if (m_thinAxis != 0) {
        m_scale.x = x;
    }
}

void COGLPlane::SetScaleY(float y) {
    if (m_thinAxis != 1) {
        m_scale.y = y;
    }
}

void COGLPlane::SetScaleZ(float z) {
    if (m_thinAxis != 2) {
        m_scale.z = z;
    }
}

COGLFloor::COGLFloor() : COGLPlane(object_type::kFloor, {1, 0, 0}, {0, 0, -1}) {}
COGLCeiling::COGLCeiling() : COGLPlane(object_type::kCeiling, {1, 0, 0}, {0, 0, 1}) {}
COGLRightWall::COGLRightWall() : COGLPlane(object_type::kRightWall, {0, 0, 1}, {0, 1, 0}) {}
COGLLeftWall::COGLLeftWall() : COGLPlane(object_type::kLeftWall, {0, 0, -1}, {0, 1, 0}) {}

COGLBillboard::COGLBillboard() : COGLPlane(object_type::kBillboard, {1, 0, 0}, {0, 1, 0}) {}

void COGLBillboard::ApplyOrientation() const { TurnToViewer(); }

void TurnToViewer() {
    // Undo the rotation of everything applied so far (camera and parents), keeping
    // its uniform scale, so the front stays turned to the viewer.
    Matrix4 modelView;
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView.Data());
    const double length =
        std::sqrt(modelView(0, 0) * modelView(0, 0) + modelView(1, 0) * modelView(1, 0) + modelView(2, 0) * modelView(2, 0));
    if (length == 0.0 || !std::isfinite(length)) {
        return;
    }
    Matrix4 inverseRotation;  // the transpose of the rotation part
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            inverseRotation(row, col) = modelView(col, row) / length;
        }
    }
    glMultMatrixd(inverseRotation.Data());
}

COGLDisk::COGLDisk() : COGLPlane(object_type::kDisk, {1, 0, 0}, {0, 1, 0}) {}

void COGLDisk::EmitGeometry(GeometrySink& sink, GeometryDetail detail) const {
    const Detail d = DetailOf(detail);
    geometry::EmitDisk(sink, 0.0f, false, d.slices, d.rings * 2);
}
