#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <string>

#include "math/Angles.h"
#include "scene/COGLText.h"
#include "scene/ObjectFactory.h"
#include "scene/Primitives.h"
#include "support/TestSupport.h"

namespace {

using Recorded = RecordingGeometrySink::RecordedVertex;

// The triangles of whatever primitives the sink recorded, in their drawn winding.
std::vector<std::array<Recorded, 3>> Triangles(const RecordingGeometrySink& sink) {
    std::vector<std::array<Recorded, 3>> out;
    for (const auto& p : sink.Primitives()) {
        const auto& v = p.vertices;
        switch (p.mode) {
            case GL_TRIANGLES:
                for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
                    out.push_back({v[i], v[i + 1], v[i + 2]});
                }
                break;
            case GL_QUADS:
                for (std::size_t i = 0; i + 3 < v.size(); i += 4) {
                    out.push_back({v[i], v[i + 1], v[i + 2]});
                    out.push_back({v[i], v[i + 2], v[i + 3]});
                }
                break;
            case GL_TRIANGLE_STRIP:
                for (std::size_t i = 0; i + 2 < v.size(); ++i) {
                    if (i % 2 == 0) {
                        out.push_back({v[i], v[i + 1], v[i + 2]});
                    } else {
                        out.push_back({v[i + 1], v[i], v[i + 2]});
                    }
                }
                break;
            case GL_TRIANGLE_FAN:
                for (std::size_t i = 1; i + 1 < v.size(); ++i) {
                    out.push_back({v[0], v[i], v[i + 1]});
                }
                break;
            default:
                break;
        }
    }
    return out;
}

// Checks what makes a shape light and texture right: unit normals, front faces
// wound counter-clockwise towards their normals, texture coordinates in 0..1 and
// every vertex inside the half extents.
void ExpectWellFormed(const COGLObject& object, GeometryDetail detail) {
    RecordingGeometrySink sink;
    object.EmitGeometry(sink, detail);
    const auto triangles = Triangles(sink);
    ASSERT_FALSE(triangles.empty());
    const Vector3 h = object.HalfExtents();
    int wound = 0;
    for (const auto& t : triangles) {
        for (const auto& v : t) {
            EXPECT_NEAR(v.normal.Length(), 1.0f, 1e-4f);
            EXPECT_GE(v.s, -1e-5f);
            EXPECT_LE(v.s, 1.0f + 1e-5f);
            EXPECT_GE(v.t, -1e-5f);
            EXPECT_LE(v.t, 1.0f + 1e-5f);
            EXPECT_LE(std::fabs(v.position.x), h.x + 1e-4f);
            EXPECT_LE(std::fabs(v.position.y), h.y + 1e-4f);
            EXPECT_LE(std::fabs(v.position.z), h.z + 1e-4f);
        }
        const Vector3 face = (t[1].position - t[0].position).Cross(t[2].position - t[0].position);
        if (face.Length() < 1e-6f) {
            continue;  // degenerate (pole or apex)
        }
        const Vector3 normal = t[0].normal + t[1].normal + t[2].normal;
        EXPECT_GT(face.Dot(normal), 0.0f) << "triangle wound against its normal";
        ++wound;
    }
    EXPECT_GT(wound, 0);
}

class Objects : public HostFixture {};

}  // namespace

TEST_F(Objects, FactoryMakesEveryClassWithItsOwnTypeCode) {
    const std::pair<int, const char*> classes[] = {
        {0, "COGLPlane"}, {1, "COGLFloor"},    {2, "COGLBox"},      {3, "COGLSphere"}, {4, "COGLRightWall"},
        {5, "COGLLeftWall"}, {6, "COGLCeiling"}, {7, "COGLText"}, {8, "COGLRod"},   {9, "COGLCylinder"},
        {10, "COGLCone"},  {11, "COGLDisk"},   {16, "COGLBillboard"}};
    for (const auto& [code, name] : classes) {
        auto object = CreateObject(code);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(object->TypeCode(), code);
        EXPECT_STREQ(ObjectClassName(code), name);
    }
    for (const int unknown : {-1, 12, 17, 18, 19, 1000}) {
        EXPECT_EQ(CreateObject(unknown), nullptr) << unknown;
    }
    EXPECT_NE(dynamic_cast<COGLPlane*>(CreateObject(object_type::kBillboard).get()), nullptr);
    EXPECT_NE(dynamic_cast<COGLCylinder*>(CreateObject(object_type::kCone).get()), nullptr);
    EXPECT_FALSE(RegisterObjectClass(256, "X", []() -> std::unique_ptr<COGLObject> { return nullptr; }));
    UnregisterObjectClass(object_type::kBox);  // built-ins stay
    EXPECT_NE(CreateObject(object_type::kBox), nullptr);
}

TEST_F(Objects, DefaultsAndFreshPickNames) {
    COGLBox a;
    COGLBox b;
    EXPECT_NE(a.PickName(), b.PickName());
    EXPECT_EQ(a.Ambient(), ColorRGBA(0.2f, 0.2f, 0.2f, 1.0f));
    EXPECT_EQ(a.Diffuse(), ColorRGBA(0.8f, 0.8f, 0.8f, 1.0f));
    EXPECT_EQ(a.HalfExtents(), Vector3(1, 1, 1));
    EXPECT_EQ(a.TextureEnvMode(), 8448);
    EXPECT_EQ(a.TextureSetting(), 1);
    EXPECT_TRUE(a.IsVisible());
    EXPECT_FALSE(a.HasDisplayLists());  // nothing is built without a draw
}

TEST_F(Objects, CopyTakesEverythingButNameAndPickName) {
    COGLSphere source;
    source.SetName("Ball");
    source.SetAmbient(0.1f, 0.2f, 0.3f, 0.4f);
    source.SetSpecular(1, 0, 0, 1);
    source.SetShininess(12.0f);
    source.SetScale(2, 3, 4);
    source.SetPosition(5, 6, 7);
    source.SetHalfExtents({0.5f, 0.5f, 0.5f});
    source.SetTransparent(true);
    source.StartAnimation();
    source.SetObjectMode(3);
    source.RotateZ(45.0f);
    source.Hide();
    source.SetTextureRotation({1, 2, 3});
    source.SetTextureScale({4, 5, 6});
    source.SetTextureTranslation({7, 8, 9});
    source.SetTextureEnvMode(7681);
    source.SetTextureSetting(0);

    COGLSphere copy;
    copy.CopyFrom(source);
    EXPECT_EQ(copy.Name(), "Copy of Ball");
    EXPECT_NE(copy.PickName(), source.PickName());
    EXPECT_EQ(copy.Ambient(), source.Ambient());
    EXPECT_EQ(copy.Specular(), source.Specular());
    EXPECT_EQ(copy.Shininess(), 12.0f);
    EXPECT_EQ(copy.Scale(), Vector3(2, 3, 4));
    EXPECT_EQ(copy.Position(), Vector3(5, 6, 7));
    EXPECT_EQ(copy.HalfExtents(), Vector3(0.5f, 0.5f, 0.5f));
    EXPECT_TRUE(copy.IsTransparent());
    EXPECT_TRUE(copy.IsAnimating());
    EXPECT_EQ(copy.ObjectMode(), 3);
    EXPECT_EQ(copy.Orientation(), source.Orientation());
    EXPECT_FALSE(copy.IsVisible());
    EXPECT_EQ(copy.FlagsWord(), COGLObject::kFlagHidden);
    EXPECT_EQ(copy.TextureRotation(), Vector3(1, 2, 3));
    EXPECT_EQ(copy.TextureScale(), Vector3(4, 5, 6));
    EXPECT_EQ(copy.TextureTranslation(), Vector3(7, 8, 9));
    EXPECT_EQ(copy.TextureEnvMode(), 7681);
    EXPECT_EQ(copy.TextureSetting(), 0);

    // The subclasses' own fields come along too.
    COGLFloor floor;
    floor.SetPlaneFlag(4);
    COGLFloor floorCopy;
    floorCopy.CopyFrom(floor);
    EXPECT_EQ(floorCopy.PlaneFlag(), 4);
    COGLText text;
    text.SetText("Sign");
    text.SetItalic(true);
    COGLText textCopy;
    textCopy.CopyFrom(text);
    EXPECT_EQ(textCopy.Text(), "Sign");
    EXPECT_TRUE(textCopy.Italic());
}

TEST_F(Objects, RotationWrapsTheAngleAndKeepsTheQuaternionUnit) {
    COGLBox box;
    box.RotateX(720.0f);
    EXPECT_EQ(box.Orientation(), Quaternion::Identity());
    COGLBox minus;
    COGLBox plus;
    minus.RotateY(-90.0f);
    plus.RotateY(270.0f);
    EXPECT_EQ(minus.Orientation(), plus.Orientation());
    // Huge and non-finite angles neither hang nor spoil the orientation.
    COGLBox odd;
    odd.RotateZ(1e30f);
    odd.RotateZ(std::numeric_limits<float>::infinity());
    odd.RotateZ(std::nanf(""));
    const Quaternion q = odd.Orientation();
    EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w));
    // Many small steps stay a unit quaternion.
    COGLBox spun;
    for (int i = 0; i < 10000; ++i) {
        spun.Rotate({0.6f, 0.8f, 0.0f}, 7.3f);
    }
    const Quaternion s = spun.Orientation();
    EXPECT_NEAR(s.x * s.x + s.y * s.y + s.z * s.z + s.w * s.w, 1.0f, 1e-3f);

    float angle = 359.5f;
    ASSERT_TRUE(WrapAngleDegrees(angle));
    EXPECT_EQ(angle, 359.5f);
    angle = -0.5f;
    ASSERT_TRUE(WrapAngleDegrees(angle));
    EXPECT_EQ(angle, 359.5f);
}

TEST_F(Objects, ShowAndHideKeepBit31InStep) {
    COGLCone cone;
    cone.SetFlagsWord(COGLObject::kFlagLightMarker);
    cone.SetVisible(false);
    EXPECT_FALSE(cone.IsVisible());
    EXPECT_EQ(cone.FlagsWord(), COGLObject::kFlagLightMarker | COGLObject::kFlagHidden);
    cone.SetVisible(true);
    EXPECT_TRUE(cone.IsVisible());
    EXPECT_EQ(cone.FlagsWord(), COGLObject::kFlagLightMarker);
}

TEST_F(Objects, PlanesIgnoreScalingAlongTheAxisTheyFace) {
    COGLFloor floor;
    floor.SetScale(2, 5, 3);
    EXPECT_EQ(floor.Scale(), Vector3(2, 1, 3));
    floor.SetScaleY(9);
    EXPECT_EQ(floor.GetScale(), Vector3(2, 1, 3));
    COGLPlane plane;
    plane.SetScaleZ(4);
    plane.SetScaleX(6);
    EXPECT_EQ(plane.Scale(), Vector3(6, 1, 1));
    COGLRightWall wall;
    wall.SetScaleX(3);
    wall.SetScaleZ(3);
    EXPECT_EQ(wall.Scale(), Vector3(1, 1, 3));
}

TEST_F(Objects, PrimitivesAreWellFormedUnitShapes) {
    for (const int code : {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 16}) {
        SCOPED_TRACE(ObjectClassName(code));
        auto object = CreateObject(code);
        ExpectWellFormed(*object, GeometryDetail::Full);
        ExpectWellFormed(*object, GeometryDetail::Coarse);
    }
}

TEST_F(Objects, NormalsPointOutwardAndRoomPlanesFaceIntoTheRoom) {
    // Closed shapes: every normal points away from the centre.
    for (const int code : {object_type::kBox, object_type::kSphere, object_type::kCylinder, object_type::kCone}) {
        SCOPED_TRACE(ObjectClassName(code));
        RecordingGeometrySink sink;
        CreateObject(code)->EmitGeometry(sink, GeometryDetail::Full);
        for (const auto& p : sink.Primitives()) {
            for (const auto& v : p.vertices) {
                if (v.position.Length() > 1e-4f) {
                    EXPECT_GT(v.normal.Dot(v.position), 0.0f);
                }
            }
        }
    }
    const std::pair<int, Vector3> facing[] = {{object_type::kPlane, {0, 0, 1}},     {object_type::kBillboard, {0, 0, 1}},
                                              {object_type::kDisk, {0, 0, 1}},      {object_type::kFloor, {0, 1, 0}},
                                              {object_type::kCeiling, {0, -1, 0}},  {object_type::kRightWall, {-1, 0, 0}},
                                              {object_type::kLeftWall, {1, 0, 0}}};
    for (const auto& [code, normal] : facing) {
        SCOPED_TRACE(ObjectClassName(code));
        RecordingGeometrySink sink;
        auto object = CreateObject(code);
        object->EmitGeometry(sink, GeometryDetail::Full);
        for (const auto& p : sink.Primitives()) {
            for (const auto& v : p.vertices) {
                EXPECT_EQ(v.normal, normal);
            }
        }
        EXPECT_EQ(dynamic_cast<COGLPlane&>(*object).FaceNormal(), normal);
    }
    // The rod is an open tube: no cap normals along z.
    RecordingGeometrySink rod;
    COGLRod().EmitGeometry(rod, GeometryDetail::Full);
    for (const auto& p : rod.Primitives()) {
        for (const auto& v : p.vertices) {
            EXPECT_EQ(v.normal.z, 0.0f);
        }
    }
}

TEST_F(Objects, TextBuildsClosedExtrudedGlyphsFromTheFont) {
    COGLText text;
    text.SetText("Ob8");
    ASSERT_TRUE(text.UpdateOutlines()) << "no outline font found through fontconfig";
    const Vector3 h = text.HalfExtents();
    EXPECT_GT(h.x, h.y);  // three letters are wider than tall
    EXPECT_NEAR(h.z, 0.2f, 1e-5f);  // 0.2 em deep, one em being two units
    ExpectWellFormed(text, GeometryDetail::Full);
    // Front and back caps, each facing out.
    RecordingGeometrySink sink;
    text.EmitGeometry(sink, GeometryDetail::Full);
    int front = 0;
    int back = 0;
    for (const auto& t : Triangles(sink)) {
        if (t[0].normal.z > 0.5f) {
            ++front;
            EXPECT_NEAR(t[0].position.z, h.z, 1e-5f);
        } else if (t[0].normal.z < -0.5f) {
            ++back;
            EXPECT_NEAR(t[0].position.z, -h.z, 1e-5f);
        }
    }
    EXPECT_GT(front, 0);
    EXPECT_EQ(front, back);
    // The outline form and the alternate list are line loops only.
    text.SetOutlineFormat(COGLText::kOutlineLines);
    ASSERT_TRUE(text.UpdateOutlines());
    RecordingGeometrySink lines;
    text.EmitGeometry(lines, GeometryDetail::Full);
    RecordingGeometrySink coarse;
    text.EmitGeometry(coarse, GeometryDetail::Coarse);
    for (const auto* s : {&lines, &coarse}) {
        ASSERT_FALSE(s->Primitives().empty());
        for (const auto& p : s->Primitives()) {
            EXPECT_EQ(p.mode, static_cast<unsigned>(GL_LINE_LOOP));
        }
    }
    EXPECT_EQ(lines.Primitives().size(), 2 * coarse.Primitives().size());
    // A text of blanks has nothing to draw and keeps its extents.
    COGLText blank;
    blank.SetText("   ");
    EXPECT_FALSE(blank.UpdateOutlines());
    EXPECT_EQ(blank.HalfExtents(), Vector3(1, 1, 1));
}
