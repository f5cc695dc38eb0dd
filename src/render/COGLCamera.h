#pragma once

#include <cstdint>

#include "math/Vector3.h"

class BinaryReader;
class BinaryWriter;

// Sets up the view transformation of one viewport and offers the movements the
// mouse tools apply to it. The viewport loads an identity modelview matrix and then
// calls Apply; changes made between frames take effect at the next Apply.
class COGLCamera {
public:
    // Values of `type`: the preset the camera was last set to.
    enum Type : std::int32_t { kPerspective = 0, kTop = 1, kFront = 2, kLeft = 3, kRight = 4 };
    static constexpr int kTypeCount = 5;

    virtual ~COGLCamera() = default;

    virtual void Apply() {}
    virtual void GetPosition(float& x, float& y, float& z) const = 0;
    virtual float GetZoomPercent() const = 0;
    // Turns the camera to the preset view of `presetType` (a Type).
    virtual void Preset(std::int32_t presetType) = 0;
    void PresetRight() { Preset(kRight); }
    void PresetLeft() { Preset(kLeft); }
    void PresetTop() { Preset(kTop); }
    void PresetFront() { Preset(kFront); }
    // Each moves the camera along its movement vector of that name.
    void MoveUp(float amount) { MoveAlong(amount * dvUp); }
    void MoveRight(float amount) { MoveAlong(amount * dvRight); }
    virtual void MoveFace(float amount) { MoveAlong(amount * dvFace); }
    // The zoom tool works on either kind: distance grows by `amount` and never drops to 0 or below
    // (where the rule of each kind says what happens there).
    virtual void AddDistance(float amount);

    // "Perspective", "Top", "Front", "Left" or "Right" by `type`; empty for a value outside the table.
    const char* GetTypeName() const;
    static const char* TypeName(std::int32_t type);

    Vector3 dvUp;
    Vector3 dvRight;
    Vector3 dvFace;
    Vector3 center;
    Vector3 eye;
    Vector3 up;
    std::int32_t type = kFront;
    float distance = 8.0f;

protected:
    COGLCamera() = default;
    COGLCamera(const COGLCamera&) = default;
    virtual void MoveAlong(const Vector3& step) = 0;
    COGLCamera& operator=(const COGLCamera&) = default;
};

// The orbiting camera of perspective viewports: the world is turned by pitch, yaw and
// roll about the orbit centre and pushed `distance` away. Its movement vectors are
// the world axes nearest to the screen's up, right and facing directions, so pans
// always follow exactly one world axis.
class COGLCamera3D : public COGLCamera {
public:
    static constexpr float kPresetDistance = 8.0f;

    COGLCamera3D();

    void Apply() override;
    void GetPosition(float& x, float& y, float& z) const override;
    // 8 / distance as a percentage; infinite at distance 0 (the status text caps it).
    float GetZoomPercent() const override;
    void Preset(std::int32_t presetType) override;
    void AddDistance(float amount) override;

    void PresetPerspective() { Preset(kPerspective); }
    // Each turns the camera away from any preset, so `type` becomes Perspective.
    void AddPitch(float amount);
    void AddYaw(float amount);
    void AddRoll(float amount);

    // --- Flying: the eye moves and the view turns about it ---
    // A flying camera is an orbit of distance 0 about the eye, so it saves, loads
    // and draws as every perspective camera does. Positive yaw turns right, positive
    // pitch looks down (as the games count a view's pitch).
    // Where the eye stands in the world, worked out from the angles (no GL).
    Vector3 EyePosition() const;
    // The unit vectors the eye looks along and that point to the screen's right.
    Vector3 ViewDirection() const;
    Vector3 ViewRight() const;
    // The eye at `eyePosition` with the view turned to `yawDegrees` and `pitchDegrees`, level.
    void FlyTo(const Vector3& eyePosition, float yawDegrees, float pitchDegrees);
    // Turns the view about the eye; the pitch stops short of straight up and down.
    void FlyTurn(float yawAmount, float pitchAmount);
    // Moves the eye along the view, the screen's right and the world's up.
    void FlyMove(float forward, float rightward, float upward);
    // Back to orbiting: about the point `orbitDistance` ahead, the view unchanged.
    void OrbitAhead(float orbitDistance);
    // The steepest the flying view looks up or down, in degrees.
    static constexpr float kMaxFlyPitch = 89.0f;

    // Thirteen reals: center, eye, up, distance, roll, pitch, yaw. A short read throws
    // ReadError to the caller; a loaded camera rebuilds its movement vectors at the
    // next Apply.
    void Save(BinaryWriter& out) const;
    void Load(BinaryReader& in);

    // An angle brought into the range the camera keeps: above 359 loses 360, below 0
    // gains 360 (so 359.5 stays as it is); an angle that is not finite becomes 0.
    static float WrapAngle(float degrees);

    float roll = 0.0f;
    float pitch = 0.0f;
    float yaw = 0.0f;
    bool dirty = true;

protected:
    void MoveAlong(const Vector3& step) override;

private:
    void SetPreset(std::int32_t presetType, const Vector3& presetCenter, float presetPitch, float presetYaw,
                   float presetRoll);
};

// The look-at camera of orthographic viewports, zoomed by a uniform scale of
// 5 / distance. Its movement vectors point against the screen's up and right, so
// MoveUp(+a) moves the content the same way as on a perspective camera.
class COGLCamera2D : public COGLCamera {
public:
    // The distance at which the content is drawn unscaled.
    static constexpr float kUnscaledDistance = 5.0f;
    // The nearest the camera may come: a scale of 500 (distance 0 would be infinite).
    static constexpr float kMinimumDistance = 0.01f;
    static constexpr float kMaximumScale = 500.0f;

    COGLCamera2D();

    void Apply() override;
    // Eye x, eye y and the distance.
    void GetPosition(float& x, float& y, float& z) const override;
    float GetZoomPercent() const override;
    void Preset(std::int32_t presetType) override;
    // The flat view has no depth to move in.
    void MoveFace(float amount) override;
    void AddDistance(float amount) override;

    float scale = 1.0f;

protected:
    // The eye moves with the centre, so the view keeps its direction.
    void MoveAlong(const Vector3& step) override;

private:
    void SetPreset(std::int32_t presetType, const Vector3& presetEye, const Vector3& presetUp,
                   const Vector3& presetDvUp, const Vector3& presetDvRight, const Vector3& presetDvFace);
};
