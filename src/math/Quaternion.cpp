#include "math/Quaternion.h"

#include <cmath>

Quaternion Quaternion::FromAxisAngle(const Vector3& axis, float degrees) {
    const float half = degrees * kDegreesToRadians * 0.5f;
    const float s = std::sin(half);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(half)};
}

Quaternion Quaternion::operator*(const Quaternion& o) const {
    return {w * o.x + x * o.w + y * o.z - z * o.y,
            w * o.y - x * o.z + y * o.w + z * o.x,
            w * o.z + x * o.y - y * o.x + z * o.w,
            w * o.w - x * o.x - y * o.y - z * o.z};
}

void Quaternion::Rescale() {
    const float sum = x * x + y * y + z * z + w * w;
    if (sum == 0.0f) {
        return;
    }
    x /= sum;
    y /= sum;
    z /= sum;
    w /= sum;
}

Matrix4 Quaternion::ToMatrix() const {
    const double xx = double(x) * x, yy = double(y) * y, zz = double(z) * z;
    const double xy = double(x) * y, xz = double(x) * z, yz = double(y) * z;
    const double wx = double(w) * x, wy = double(w) * y, wz = double(w) * z;
    Matrix4 m;
    m(0, 0) = 1.0 - 2.0 * (yy + zz);
    m(0, 1) = 2.0 * (xy - wz);
    m(0, 2) = 2.0 * (xz + wy);
    m(1, 0) = 2.0 * (xy + wz);
    m(1, 1) = 1.0 - 2.0 * (xx + zz);
    m(1, 2) = 2.0 * (yz - wx);
    m(2, 0) = 2.0 * (xz - wy);
    m(2, 1) = 2.0 * (yz + wx);
    m(2, 2) = 1.0 - 2.0 * (xx + yy);
    return m;
}
