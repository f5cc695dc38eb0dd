#include "render/COGLCamera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "math/Angles.h"
#include "math/Matrix4.h"
#include "math/Quaternion.h"
#include "models/ChromeVector.h"
#include "platform/BinaryIO.h"

namespace {
constexpr std::array<const char*, COGLCamera::kTypeCount> kTypeNames = {"Perspective", "Top", "Front", "Left",
                                                                        "Right"};
}  // namespace

// ---------------------------------------------------------------------------------------------
// COGLCamera

void COGLCamera::AddDistance(float amount) {
    distance += amount;
    if (!(distance > 0.0f)) {
        distance = 0.0f;
    }
}

const char* COGLCamera::TypeName(std::int32_t cameraType) {
    if (cameraType < 0 || cameraType >= kTypeCount) {
        return "";
    }
    return kTypeNames[static_cast<std::size_t>(cameraType)];
}

const char* COGLCamera::GetTypeName() const { return TypeName(type); }

// ---------------------------------------------------------------------------------------------
// COGLCamera3D

COGLCamera3D::COGLCamera3D() {
    PresetFront();
    // What the first Apply derives for the Front preset, so that a move made before
    // anything was drawn already follows the screen.
    dvUp = up = {0.0f, 1.0f, 0.0f};
    dvRight = {1.0f, 0.0f, 0.0f};
    dvFace = {0.0f, 0.0f, 1.0f};
    eye = {0.0f, 0.0f, kPresetDistance};
}

void COGLCamera3D::Apply() {
    glTranslatef(0.0f, 0.0f, -distance);
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(yaw, 0.0f, 1.0f, 0.0f);
    glRotatef(roll, 0.0f, 0.0f, 1.0f);
    glTranslatef(center.x, center.y, center.z);
    if (!dirty) {
        return;
    }
    dirty = false;
    Matrix4 inverse;
    glGetDoublev(GL_MODELVIEW_MATRIX, inverse.Data());
    inverse.Invert();  // a singular matrix stays as read
    eye = inverse.TransformPoint(center);
    up = inverse.TransformVector({0.0f, 1.0f, 0.0f});
    dvUp = up.SnapToDominantAxis();
    const Vector3 right = inverse.TransformVector({1.0f, 0.0f, 0.0f});
    SetChromeRightVector({right.z, right.x, right.y});
    dvRight = right.SnapToDominantAxis();
    dvFace = inverse.TransformVector({0.0f, 0.0f, 1.0f}).SnapToDominantAxis();
}

void COGLCamera3D::GetPosition(float& x, float& y, float& z) const {
    x = center.x;
    y = center.y;
    z = center.z;
}

float COGLCamera3D::GetZoomPercent() const {
    if (!(distance > 0.0f)) {
        return std::numeric_limits<float>::infinity();
    }
    return kPresetDistance / distance * 100.0f;
}

void COGLCamera3D::SetPreset(std::int32_t presetType, const Vector3& presetCenter, float presetPitch,
                             float presetYaw, float presetRoll) {
    type = presetType;
    distance = kPresetDistance;
    center = presetCenter;
    pitch = presetPitch;
    yaw = presetYaw;
    roll = presetRoll;
    dirty = true;
}

void COGLCamera3D::Preset(std::int32_t presetType) {
    switch (presetType) {
        case kPerspective: SetPreset(kPerspective, {0.0f, -1.0f, 0.0f}, 10.0f, 0.0f, 0.0f); break;
        case kTop: SetPreset(kTop, {}, 90.0f, 0.0f, 0.0f); break;
        case kLeft: SetPreset(kLeft, {}, 0.0f, 90.0f, 0.0f); break;
        case kRight: SetPreset(kRight, {}, 0.0f, 270.0f, 0.0f); break;
        default: SetPreset(kFront, {}, 0.0f, 0.0f, 0.0f); break;
    }
}

void COGLCamera3D::MoveAlong(const Vector3& step) {
    center += step;
    dirty = true;
}

void COGLCamera3D::AddDistance(float amount) {
    COGLCamera::AddDistance(amount);
    dirty = true;
}

float COGLCamera3D::WrapAngle(float degrees) { return WrapAngleDegrees(degrees) ? degrees : 0.0f; }

void COGLCamera3D::AddPitch(float amount) {
    pitch = WrapAngle(pitch + amount);
    dirty = true;
    type = kPerspective;
}

void COGLCamera3D::AddYaw(float amount) {
    yaw = WrapAngle(yaw + amount);
    dirty = true;
    type = kPerspective;
}

void COGLCamera3D::AddRoll(float amount) {
    roll = WrapAngle(roll + amount);
    dirty = true;
    type = kPerspective;
}

void COGLCamera3D::Save(BinaryWriter& out) const {
    for (const Vector3* v : {&center, &eye, &up}) {
        out.WriteF32(v->x);
        out.WriteF32(v->y);
        out.WriteF32(v->z);
    }
    out.WriteF32(distance);
    out.WriteF32(roll);
    out.WriteF32(pitch);
    out.WriteF32(yaw);
}

void COGLCamera3D::Load(BinaryReader& in) {
    // Read everything before touching the camera, so a short record changes nothing.
    std::array<float, 13> values{};
    for (float& value : values) {
        value = in.ReadF32();
    }
    center = {values[0], values[1], values[2]};
    eye = {values[3], values[4], values[5]};
    up = {values[6], values[7], values[8]};
    distance = values[9];
    roll = values[10];
    pitch = values[11];
    yaw = values[12];
    dirty = true;
}

namespace {
// glRotatef's turns (right-handed, about one axis), so the eye can be worked out
// without a GL context.
Vector3 TurnX(const Vector3& v, float degrees) {
    const float a = degrees * kDegreesToRadians;
    const float c = std::cos(a);
    const float s = std::sin(a);
    return {v.x, v.y * c - v.z * s, v.y * s + v.z * c};
}
Vector3 TurnY(const Vector3& v, float degrees) {
    const float a = degrees * kDegreesToRadians;
    const float c = std::cos(a);
    const float s = std::sin(a);
    return {v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
}
Vector3 TurnZ(const Vector3& v, float degrees) {
    const float a = degrees * kDegreesToRadians;
    const float c = std::cos(a);
    const float s = std::sin(a);
    return {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}

// A kept pitch as a signed angle, -180 to 180.
float SignedPitch(float degrees) {
    const float wrapped = COGLCamera3D::WrapAngle(degrees);
    return wrapped > 180.0f ? wrapped - 360.0f : wrapped;
}

// A pitch within the flying camera's range, back in [0, 360).
float FlyPitch(float signedDegrees) {
    return COGLCamera3D::WrapAngle(
        std::clamp(signedDegrees, -COGLCamera3D::kMaxFlyPitch, COGLCamera3D::kMaxFlyPitch));
}
}  // namespace

// The modelview is T(0, 0, -distance) R T(center) with R = Rx(pitch) Ry(yaw) Rz(roll);
// a view-space vector reaches the world through R's transpose.
Vector3 COGLCamera3D::EyePosition() const {
    return TurnZ(TurnY(TurnX({0.0f, 0.0f, distance}, -pitch), -yaw), -roll) - center;
}

Vector3 COGLCamera3D::ViewDirection() const {
    return TurnZ(TurnY(TurnX({0.0f, 0.0f, -1.0f}, -pitch), -yaw), -roll);
}

Vector3 COGLCamera3D::ViewRight() const {
    return TurnZ(TurnY(TurnX({1.0f, 0.0f, 0.0f}, -pitch), -yaw), -roll);
}

void COGLCamera3D::FlyTo(const Vector3& eyePosition, float yawDegrees, float pitchDegrees) {
    yaw = WrapAngle(yawDegrees);
    pitch = FlyPitch(SignedPitch(pitchDegrees));
    roll = 0.0f;
    distance = 0.0f;
    center = -eyePosition;
    type = kPerspective;
    dirty = true;
}

void COGLCamera3D::FlyTurn(float yawAmount, float pitchAmount) {
    // Clamped before wrapping, so a long drag stops at straight down instead of going over.
    const float turned = std::clamp(SignedPitch(pitch) + pitchAmount, -kMaxFlyPitch, kMaxFlyPitch);
    FlyTo(EyePosition(), yaw + yawAmount, turned);
}

void COGLCamera3D::FlyMove(float forward, float rightward, float upward) {
    const Vector3 eyeNow = EyePosition();
    const Vector3 step = ViewDirection() * forward + ViewRight() * rightward + Vector3{0.0f, upward, 0.0f};
    distance = 0.0f;
    center = -(eyeNow + step);
    type = kPerspective;
    dirty = true;
}

void COGLCamera3D::OrbitAhead(float orbitDistance) {
    const Vector3 eyeNow = EyePosition();
    distance = orbitDistance > 0.0f ? orbitDistance : kPresetDistance;
    center = -(eyeNow + ViewDirection() * distance);
    dirty = true;
}

// ---------------------------------------------------------------------------------------------
// COGLCamera2D

COGLCamera2D::COGLCamera2D() {
    PresetFront();
    distance = 8.0f;
    scale = 1.0f;
}

void COGLCamera2D::Apply() {
    gluLookAt(eye.x, eye.y, eye.z, center.x, center.y, center.z, up.x, up.y, up.z);
    if (distance == kUnscaledDistance) {
        return;
    }
    if (distance > 0.0f) {
        scale = kUnscaledDistance / distance;
    }
    // A distance at or below 0 (or not a number) would give a negative or infinite
    // scale: draw at the closest zoom instead and keep the distance that gives it.
    if (!(distance > 0.0f) || !(scale > 0.0f) || scale > kMaximumScale) {
        scale = kMaximumScale;
        distance = kMinimumDistance;
    }
    glScalef(scale, scale, scale);
}

void COGLCamera2D::GetPosition(float& x, float& y, float& z) const {
    x = eye.x;
    y = eye.y;
    z = distance;
}

float COGLCamera2D::GetZoomPercent() const { return scale * 100.0f; }

void COGLCamera2D::SetPreset(std::int32_t presetType, const Vector3& presetEye, const Vector3& presetUp,
                             const Vector3& presetDvUp, const Vector3& presetDvRight, const Vector3& presetDvFace) {
    type = presetType;
    eye = presetEye;
    up = presetUp;
    dvUp = presetDvUp;
    dvRight = presetDvRight;
    dvFace = presetDvFace;
    center = {};
}

void COGLCamera2D::Preset(std::int32_t presetType) {
    switch (presetType) {
        case kTop:
            SetPreset(kTop, {0.0f, 5.0f, 0.0f}, {0.0f, 0.0f, -1.0f}, {0.0f, 0.0f, 1.0f}, {-1.0f, 0.0f, 0.0f},
                      {0.0f, 1.0f, 0.0f});
            break;
        case kLeft:
            SetPreset(kLeft, {-5.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f},
                      {-1.0f, 0.0f, 0.0f});
            break;
        case kRight:
            SetPreset(kRight, {5.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, 1.0f},
                      {1.0f, 0.0f, 0.0f});
            break;
        default:
            SetPreset(kFront, {0.0f, 0.0f, 5.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, -1.0f, 0.0f}, {-1.0f, 0.0f, 0.0f},
                      {0.0f, 0.0f, -1.0f});
            break;
    }
}

void COGLCamera2D::MoveAlong(const Vector3& step) {
    center += step;
    eye += step;
}

void COGLCamera2D::MoveFace(float) {}

void COGLCamera2D::AddDistance(float amount) {
    distance += amount;
    if (!(distance > kMinimumDistance)) {
        distance = kMinimumDistance;
    }
}
