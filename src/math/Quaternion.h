#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

// Degrees to radians with the factor the scene file's stored orientations were made with.
inline constexpr float kDegreesToRadians = 0.0174532925f;

struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    constexpr Quaternion() = default;
    constexpr Quaternion(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}

    static constexpr Quaternion Identity() { return {}; }
    static Quaternion FromAxisAngle(const Vector3& axis, float degrees);

    Quaternion operator*(const Quaternion& o) const;
    constexpr bool operator==(const Quaternion& o) const {
        return x == o.x && y == o.y && z == o.z && w == o.w;
    }

    // Divides every component by the sum of the squares of all four; applied after
    // each rotation step so accumulated drift does not grow the quaternion.
    void Rescale();

    Matrix4 ToMatrix() const;
};
