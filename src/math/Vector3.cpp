#include "math/Vector3.h"

bool Vector3::Normalize() {
    const float len = Length();
    if (len == 0.0f) {
        return false;
    }
    x /= len;
    y /= len;
    z /= len;
    return true;
}

bool Vector3::SameDirection(const Vector3& o) const {
    if (IsZero() || o.IsZero()) {
        return false;
    }
    Vector3 a = *this;
    Vector3 b = o;
    a.Normalize();
    b.Normalize();
    return a.Dot(b) > 0.9999f;
}

Vector3 Vector3::SnapToDominantAxis() const {
    const float ax = std::fabs(x);
    const float ay = std::fabs(y);
    const float az = std::fabs(z);
    if (az >= ax && az >= ay) {
        return {0.0f, 0.0f, z < 0.0f ? -1.0f : 1.0f};
    }
    if (ay >= ax) {
        return {0.0f, y < 0.0f ? -1.0f : 1.0f, 0.0f};
    }
    return {x < 0.0f ? -1.0f : 1.0f, 0.0f, 0.0f};
}
