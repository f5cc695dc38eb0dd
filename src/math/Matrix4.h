#pragma once

#include <array>

#include "math/Vector3.h"

// 4 x 4 doubles in OpenGL's column order: element (row, col) is m[col * 4 + row],
// so Data() can go straight to glMultMatrixd / glLoadMatrixd.
class Matrix4 {
public:
    Matrix4();  // identity
    explicit Matrix4(const std::array<double, 16>& columnMajor);
    Matrix4(double m0, double m1, double m2, double m3, double m4, double m5, double m6, double m7,
            double m8, double m9, double m10, double m11, double m12, double m13, double m14,
            double m15);

    static Matrix4 Identity() { return Matrix4(); }

    double& operator()(int row, int col) { return m_[col * 4 + row]; }
    double operator()(int row, int col) const { return m_[col * 4 + row]; }
    const double* Data() const { return m_.data(); }
    double* Data() { return m_.data(); }

    Matrix4 operator+(const Matrix4& o) const;
    Matrix4 operator*(const Matrix4& o) const;
    bool operator==(const Matrix4& o) const { return m_ == o.m_; }

    // With translation.
    Vector3 TransformPoint(const Vector3& p) const;
    // Rotation and scale only.
    Vector3 TransformVector(const Vector3& v) const;

    // Gauss-Jordan elimination with partial pivoting. On a zero pivot returns
    // false and leaves the matrix exactly as it was.
    bool Invert();

private:
    std::array<double, 16> m_;
};

// Projects geometry onto a plane (a, b, c, d) away from a light (x, y, z, w):
// element (i, j) = dot * delta(i, j) - light[i] * plane[j].
class ShadowMatrix : public Matrix4 {
public:
    ShadowMatrix(const std::array<float, 4>& plane, const std::array<float, 4>& light);
};
