#pragma once

#include <cmath>

// A point or direction in scene space.
struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vector3() = default;
    constexpr Vector3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    constexpr Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Vector3 operator-() const { return {-x, -y, -z}; }
    constexpr Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    constexpr Vector3& operator+=(const Vector3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    constexpr Vector3& operator-=(const Vector3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    constexpr Vector3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    // Exact comparison: callers that need a tolerance say so themselves.
    constexpr bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }

    constexpr float Dot(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
    constexpr Vector3 Cross(const Vector3& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    float Length() const { return std::sqrt(Dot(*this)); }
    constexpr bool IsZero() const { return x == 0.0f && y == 0.0f && z == 0.0f; }

    // Leaves a zero vector as it is and says so.
    bool Normalize();
    // Both non-zero and pointing the same way (parallel, not opposite).
    bool SameDirection(const Vector3& o) const;
    // Keeps the dominant component as +1 or -1 by its sign and zeroes the others;
    // ties go to z, then y, so movements always follow exactly one world axis.
    Vector3 SnapToDominantAxis() const;
};

constexpr Vector3 operator*(float s, const Vector3& v) { return v * s; }
