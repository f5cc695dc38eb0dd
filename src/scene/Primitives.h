#pragma once

#include "scene/COGLObject.h"

// The primitive shapes. Each is a unit shape centred on its origin that fills the
// default half extents (1, 1, 1): outward normals, texture coordinates running
// 0..1 across each face (or around a round surface), counter-clockwise front faces.

// A cube from -1 to +1 on every axis.
class COGLBox : public COGLObject {
public:
    COGLBox();
    void EmitGeometry(GeometrySink& sink, GeometryDetail detail) const override;
};

// A sphere of radius 1, poles on the z axis.
class COGLSphere : public COGLObject {
public:
    COGLSphere();
    void EmitGeometry(GeometrySink& sink, GeometryDetail detail) const override;
};

// The cylinder family stands on the z axis from z = -1 to z = +1, radius 1, so a
// spot light's cone marker, which is flattened along z and turned half around,
// opens the way the light shines.
class COGLCylinder : public COGLObject {
public:
    COGLCylinder();
    void EmitGeometry(GeometrySink& sink, GeometryDetail detail) const override;

protected:
    explicit COGLCylinder(int typeCode);
};

// An open tube: the cylinder's side without its end caps.
class COGLRod : public COGLCylinder {
public:
    COGLRod();
    void EmitGeometry(GeometrySink& sink, GeometryDetail detail) const override;
};

// A cone with its apex at z = -1 and its base (radius 1, capped) at z = +1.
class COGLCone : public COGLCylinder {
public:
    COGLCone();
    void EmitGeometry(GeometrySink& sink, GeometryDetail detail) const override;
};

// The plane family: one flat square from -1 to +1 in its own plane. The plain
// plane, the billboard and the disk lie in z = 0 and face +z; floor and ceiling lie
// in y = 0 facing up and down; the walls lie in x = 0 facing into the room (the
// right wall faces -x, the left wall +x). Along the axis it faces (its thin axis)
// the shape has no size, so scaling that axis is ignored and reads as 1.
//
// The plane flag byte of its scene record is kept and written back unchanged.
class COGLPlane : public COGLObject {
public:
    static constexpr std::size_t kPlaneRecordSize = 1;

    COGLPlane();

    void EmitGeometry(GeometrySink& sink, GeometryDetail detail) const override;
    void DrawSelectionBox() override;
    void Save(BinaryWriter& out, int textureIndex) const override;
    int Load(BinaryReader& in, int version) override;
    void CopyFrom(const COGLObject& other) override;
    Vector3 GetScale() const override;
    void SetScale(float x, float y, float z) override;
    void SetScaleX(float x) override;
    void SetScaleY(float y) override;
    void SetScaleZ(float z) override;

    std::uint8_t PlaneFlag() const { return m_planeFlag; }
    void SetPlaneFlag(std::uint8_t flag) { m_planeFlag = flag; }
    // 0, 1 or 2: the local axis the plane faces along.
    int ThinAxis() const { return m_thinAxis; }
    // The direction the front face looks to, in object space.
    Vector3 FaceNormal() const { return m_u.Cross(m_v); }

protected:
    // `u` runs along texture s, `v` along t; the plane faces u x v.
    COGLPlane(int typeCode, const Vector3& u, const Vector3& v);

private:
    std::uint8_t m_planeFlag = 0;
    Vector3 m_u;
    Vector3 m_v;
    int m_thinAxis;
};

class COGLFloor : public COGLPlane {
public:
    COGLFloor();
};

class COGLCeiling : public COGLPlane {
public:
    COGLCeiling();
};

class COGLRightWall : public COGLPlane {
public:
    COGLRightWall();
};

class COGLLeftWall : public COGLPlane {
public:
    COGLLeftWall();
};

// Multiplies onto the current GL matrix the rotation that turns an object's
// +z side to the viewer (billboards and sprites).
void TurnToViewer();

// A plane that always faces the viewer: its orientation cancels the rotation of
// the current modelview matrix instead of applying the object's own quaternion.
class COGLBillboard : public COGLPlane {
public:
    COGLBillboard();
    void ApplyOrientation() const override;
};

// A disk of radius 1 in z = 0 facing +z (a member of the plane family).
class COGLDisk : public COGLPlane {
public:
    COGLDisk();
    void EmitGeometry(GeometrySink& sink, GeometryDetail detail) const override;
};
