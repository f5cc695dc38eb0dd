#include "math/Matrix4.h"

#include <cmath>
#include <utility>

Matrix4::Matrix4() : m_{} {
    for (int i = 0; i < 4; ++i) {
        (*this)(i, i) = 1.0;
    }
}

Matrix4::Matrix4(const std::array<double, 16>& columnMajor) : m_(columnMajor) {}

Matrix4::Matrix4(double m0, double m1, double m2, double m3, double m4, double m5, double m6,
                 double m7, double m8, double m9, double m10, double m11, double m12, double m13,
                 double m14, double m15)
    : m_{m0, m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12, m13, m14, m15} {}

Matrix4 Matrix4::operator+(const Matrix4& o) const {
    Matrix4 r(*this);
    for (int i = 0; i < 16; ++i) {
        r.m_[i] += o.m_[i];
    }
    return r;
}

Matrix4 Matrix4::operator*(const Matrix4& o) const {
    Matrix4 r;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += (*this)(row, k) * o(k, col);
            }
            r(row, col) = sum;
        }
    }
    return r;
}

Vector3 Matrix4::TransformPoint(const Vector3& p) const {
    const Matrix4& m = *this;
    return {static_cast<float>(m(0, 0) * p.x + m(0, 1) * p.y + m(0, 2) * p.z + m(0, 3)),
            static_cast<float>(m(1, 0) * p.x + m(1, 1) * p.y + m(1, 2) * p.z + m(1, 3)),
            static_cast<float>(m(2, 0) * p.x + m(2, 1) * p.y + m(2, 2) * p.z + m(2, 3))};
}

Vector3 Matrix4::TransformVector(const Vector3& v) const {
    const Matrix4& m = *this;
    return {static_cast<float>(m(0, 0) * v.x + m(0, 1) * v.y + m(0, 2) * v.z),
            static_cast<float>(m(1, 0) * v.x + m(1, 1) * v.y + m(1, 2) * v.z),
            static_cast<float>(m(2, 0) * v.x + m(2, 1) * v.y + m(2, 2) * v.z)};
}

bool Matrix4::Invert() {
    Matrix4 a(*this);
    Matrix4 inv;
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row) {
            if (std::fabs(a(row, col)) > std::fabs(a(pivot, col))) {
                pivot = row;
            }
        }
        if (a(pivot, col) == 0.0) {
            return false;
        }
        if (pivot != col) {
            for (int k = 0; k < 4; ++k) {
                std::swap(a(pivot, k), a(col, k));
                std::swap(inv(pivot, k), inv(col, k));
            }
        }
        const double p = a(col, col);
        for (int k = 0; k < 4; ++k) {
            a(col, k) /= p;
            inv(col, k) /= p;
        }
        for (int row = 0; row < 4; ++row) {
            if (row == col) {
                continue;
            }
            const double f = a(row, col);
            if (f == 0.0) {
                continue;
            }
            for (int k = 0; k < 4; ++k) {
                a(row, k) -= f * a(col, k);
                inv(row, k) -= f * inv(col, k);
            }
        }
    }
    *this = inv;
    return true;
}

ShadowMatrix::ShadowMatrix(const std::array<float, 4>& plane, const std::array<float, 4>& light) {
    const double dot = double(plane[0]) * light[0] + double(plane[1]) * light[1] +
                       double(plane[2]) * light[2] + double(plane[3]) * light[3];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            (*this)(i, j) = (i == j ? dot : 0.0) - double(light[i]) * plane[j];
        }
    }
}
