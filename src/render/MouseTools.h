#pragma once

#include <array>
#include <optional>

// The mouse tools, numbered as the view stores them.
enum class MouseTool : int {
    Move = 0,
    Rotate = 1,
    Scale = 2,
    Pan = 3,
    Orbit = 4,
    Zoom = 5,
    Select = 6,
    TextureMove = 7,
    TextureScale = 8,
    TextureRotate = 9,
    FieldOfView = 10,
};
inline constexpr int kMouseToolCount = 11;

// Which of X (left-right), Y (up-down) and Z (in-out) a tool acts along.
struct AxisFlags {
    bool x = false;
    bool y = false;
    bool z = false;

    constexpr bool operator==(const AxisFlags&) const = default;
};

struct MouseToolInfo {
    MouseTool tool;
    const char* name;
    int command;       // the menu and toolbar command that chooses it
    AxisFlags axes;    // the flags it starts with
    // Units per pixel for each step of mouse sensitivity; 0 where the tool has a rule
    // of its own (Rotate takes degrees, Scale divides by the client width, ...).
    float factorPerSensitivity;
};

const std::array<MouseToolInfo, kMouseToolCount>& MouseToolTable();
const MouseToolInfo& ToolInfo(MouseTool tool);
std::optional<MouseTool> ToolForCommand(int command);

// The axis commands toggle the current tool's flags: 0 for X, 1 for Y, 2 for Z.
std::optional<int> AxisForCommand(int command);
// Toggles one axis of `flags`; for Rotate, which turns about exactly one axis, it
// selects that axis instead.
AxisFlags ToggleAxis(MouseTool tool, AxisFlags flags, int axis);

// The mouse sensitivity as the tools use it: 1 to 10.
int ClampSensitivity(int sensitivity);

// A drag step as the tools take it: only the component of larger magnitude is kept
// (X on a tie), the other becomes 0, and it is clamped to +-10 * sensitivity. The
// larger one is judged before clamping, so a fast diagonal drag still follows the
// direction it mostly went.
struct DragDelta {
    int dx = 0;
    int dy = 0;

    constexpr bool operator==(const DragDelta&) const = default;
};
DragDelta DominantDelta(int dx, int dy, int sensitivity);

// factorPerSensitivity * sensitivity: Move 0.01, Pan 0.008, Orbit 0.2 degrees, Zoom
// 0.008, Field of view 0.1, Texture Move 0.001 per pixel at sensitivity 1.
float ToolFactor(MouseTool tool, int sensitivity);

// Rotate turns by at most 10 degrees per event.
float ClampRotateStep(float degrees);
// An angle brought into [0, 360), as the accumulated rotation and the texture
// rotation keep it.
float WrapDegrees(float degrees);
// The perspective field of view stays within 1 to 179 degrees.
float ClampFieldOfView(float degrees);
