#include <gtest/gtest.h>

#include <cmath>

#include "math/ColorRGBA.h"
#include "math/Matrix4.h"
#include "math/Quaternion.h"
#include "math/Vector3.h"

namespace {
void ExpectNear(const Vector3& a, const Vector3& b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}
}  // namespace

TEST(Vector3, ArithmeticAndProducts) {
    const Vector3 a{1, 2, 3};
    const Vector3 b{4, -5, 6};
    EXPECT_EQ(a + b, Vector3(5, -3, 9));
    EXPECT_EQ(a - b, Vector3(-3, 7, -3));
    EXPECT_EQ(-a, Vector3(-1, -2, -3));
    EXPECT_EQ(a * 2.0f, Vector3(2, 4, 6));
    EXPECT_FLOAT_EQ(a.Dot(b), 12.0f);
    EXPECT_EQ(Vector3(1, 0, 0).Cross(Vector3(0, 1, 0)), Vector3(0, 0, 1));
    EXPECT_FLOAT_EQ(Vector3(3, 4, 0).Length(), 5.0f);
}

TEST(Vector3, NormalizeLeavesZeroVectorAlone) {
    Vector3 zero;
    EXPECT_FALSE(zero.Normalize());
    EXPECT_TRUE(zero.IsZero());
    Vector3 v{0, 3, 4};
    EXPECT_TRUE(v.Normalize());
    ExpectNear(v, {0, 0.6f, 0.8f});
}

TEST(Vector3, SameDirection) {
    EXPECT_TRUE(Vector3(1, 1, 0).SameDirection(Vector3(3, 3, 0)));
    EXPECT_FALSE(Vector3(1, 1, 0).SameDirection(Vector3(-1, -1, 0)));
    EXPECT_FALSE(Vector3(1, 0, 0).SameDirection(Vector3(0, 1, 0)));
    EXPECT_FALSE(Vector3().SameDirection(Vector3(1, 0, 0)));
}

TEST(Vector3, SnapKeepsDominantAxisWithTiesToZThenY) {
    EXPECT_EQ(Vector3(0.2f, -0.9f, 0.1f).SnapToDominantAxis(), Vector3(0, -1, 0));
    EXPECT_EQ(Vector3(-3, 1, 2).SnapToDominantAxis(), Vector3(-1, 0, 0));
    EXPECT_EQ(Vector3(1, 1, 1).SnapToDominantAxis(), Vector3(0, 0, 1));
    EXPECT_EQ(Vector3(1, -1, 0).SnapToDominantAxis(), Vector3(0, -1, 0));
    EXPECT_EQ(Vector3(-2, 0, -2).SnapToDominantAxis(), Vector3(0, 0, -1));
}

TEST(Matrix4, ColumnOrderAndTransforms) {
    Matrix4 t;
    t(0, 3) = 5;
    t(1, 3) = -2;
    EXPECT_EQ(t.Data()[12], 5.0);  // OpenGL keeps the translation in elements 12..14
    ExpectNear(t.TransformPoint({1, 1, 1}), {6, -1, 1});
    ExpectNear(t.TransformVector({1, 1, 1}), {1, 1, 1});
    const Matrix4 m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(m(1, 0), 2.0);
    EXPECT_EQ(m(0, 1), 5.0);
    EXPECT_EQ(Matrix4() * m, m);
    EXPECT_EQ((m + Matrix4())(0, 0), 2.0);
}

TEST(Matrix4, InverseTimesMatrixIsIdentity) {
    Matrix4 m = Quaternion::FromAxisAngle({0, 1, 0}, 30).ToMatrix();
    m(0, 3) = 2;
    m(2, 3) = -7;
    m(1, 1) *= 3;
    Matrix4 inv = m;
    ASSERT_TRUE(inv.Invert());
    const Matrix4 product = m * inv;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(product(r, c), r == c ? 1.0 : 0.0, 1e-9);
        }
    }
}

TEST(Matrix4, PartialPivotingHandlesZeroOnTheDiagonal) {
    // A permutation matrix has zeros where naive elimination would divide.
    Matrix4 m(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    Matrix4 inv = m;
    ASSERT_TRUE(inv.Invert());
    EXPECT_EQ(inv, m);
}

TEST(Matrix4, SingularMatrixIsLeftUnchanged) {
    Matrix4 m(1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1);
    const Matrix4 before = m;
    EXPECT_FALSE(m.Invert());
    EXPECT_EQ(m, before);
}

TEST(ShadowMatrix, FlattensPointsOntoThePlaneAwayFromTheLight) {
    // Floor y = 0 and a point light straight above the origin.
    const ShadowMatrix s({0, 1, 0, 0}, {0, 10, 0, 1});
    EXPECT_EQ(s(0, 0), 10.0);  // dot
    EXPECT_EQ(s(1, 1), 0.0);   // dot - light.y * plane.y
    EXPECT_EQ(s(3, 1), -1.0);  // -light.w * plane.y
    // Project (1, 5, 0): homogeneous (10, 0, 0, 5) -> (2, 0, 0).
    const double x = s(0, 0) * 1 + s(0, 1) * 5;
    const double y = s(1, 0) * 1 + s(1, 1) * 5;
    const double w = s(3, 0) * 1 + s(3, 1) * 5 + s(3, 3);
    EXPECT_NEAR(x / w, 2.0, 1e-9);
    EXPECT_NEAR(y / w, 0.0, 1e-9);
}

TEST(Quaternion, AxisAngleRotatesAsExpected) {
    const Quaternion q = Quaternion::FromAxisAngle({0, 0, 1}, 90);
    ExpectNear(q.ToMatrix().TransformVector({1, 0, 0}), {0, 1, 0});
    const Quaternion twice = q * q;
    ExpectNear(twice.ToMatrix().TransformVector({1, 0, 0}), {-1, 0, 0});
    EXPECT_FLOAT_EQ(kDegreesToRadians, 0.0174532925f);
}

TEST(Quaternion, RescaleDividesBySumOfSquares) {
    Quaternion q{0, 0, 0, 2};
    q.Rescale();
    EXPECT_FLOAT_EQ(q.w, 0.5f);  // 2 / 4, not 2 / 2
    Quaternion u = Quaternion::FromAxisAngle({1, 0, 0}, 40);
    const Quaternion before = u;
    u.Rescale();
    EXPECT_NEAR(u.x, before.x, 1e-6f);
    EXPECT_NEAR(u.w, before.w, 1e-6f);
}

TEST(ColorRGBA, PacksAsFourFloats) {
    const ColorRGBA c{0.1f, 0.2f, 0.3f, 0.4f};
    EXPECT_EQ(c.Data()[2], 0.3f);
    EXPECT_EQ(ColorRGBA().alpha, 1.0f);
}
