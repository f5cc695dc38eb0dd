#include "render/MouseTools.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "render/CommandIds.h"

namespace {
constexpr std::array<MouseToolInfo, kMouseToolCount> kTools = {{
    {MouseTool::Move, "Move", cmd::kToolMove, {true, true, true}, 0.01f},
    {MouseTool::Rotate, "Rotate", cmd::kToolRotate, {true, false, false}, 0.0f},
    {MouseTool::Scale, "Scale", cmd::kToolScale, {true, true, true}, 0.0f},
    {MouseTool::Pan, "Pan", cmd::kToolPan, {true, true, true}, 0.008f},
    {MouseTool::Orbit, "Orbit", cmd::kToolOrbit, {true, true, true}, 0.2f},
    {MouseTool::Zoom, "Zoom", cmd::kToolZoom, {true, false, false}, 0.008f},
    {MouseTool::Select, "Select", cmd::kToolSelect, {false, false, false}, 0.0f},
    {MouseTool::TextureMove, "Texture Move", cmd::kToolTextureMove, {true, true, false}, 0.001f},
    {MouseTool::TextureScale, "Texture Scale", cmd::kToolTextureScale, {true, true, true}, 0.0f},
    {MouseTool::TextureRotate, "Texture Rotate", cmd::kToolTextureRotate, {true, false, false}, 0.0f},
    {MouseTool::FieldOfView, "Field of view", cmd::kToolFieldOfView, {true, true, true}, 0.1f},
}};

// Two commands per axis: the menu's and the toolbar's.
constexpr std::array<std::array<int, 2>, 3> kAxisCommands = {{{cmd::kAxisX, cmd::kAxisX2}, {cmd::kAxisY, cmd::kAxisY2}, {cmd::kAxisZ, cmd::kAxisZ2}}};
}  // namespace

const std::array<MouseToolInfo, kMouseToolCount>& MouseToolTable() { return kTools; }

const MouseToolInfo& ToolInfo(MouseTool tool) {
    const int index = std::clamp(static_cast<int>(tool), 0, kMouseToolCount - 1);
    return kTools[static_cast<std::size_t>(index)];
}

std::optional<MouseTool> ToolForCommand(int command) {
    for (const MouseToolInfo& info : kTools) {
        if (info.command == command) {
            return info.tool;
        }
    }
    return std::nullopt;
}

std::optional<int> AxisForCommand(int command) {
    for (std::size_t axis = 0; axis < kAxisCommands.size(); ++axis) {
        if (kAxisCommands[axis][0] == command || kAxisCommands[axis][1] == command) {
            return static_cast<int>(axis);
        }
    }
    return std::nullopt;
}

AxisFlags ToggleAxis(MouseTool tool, AxisFlags flags, int axis) {
    if (tool == MouseTool::Rotate) {
        return {axis == 0, axis == 1, axis == 2};
    }
    switch (axis) {
        case 0:
            flags.x = !flags.x;
            break;
        case 1:
            flags.y = !flags.y;
            break;
        case 2:
            flags.z = !flags.z;
            break;
        default:
            break;
    }
    return flags;
}

int ClampSensitivity(int sensitivity) { return std::clamp(sensitivity, 1, 10); }

DragDelta DominantDelta(int dx, int dy, int sensitivity) {
    const int limit = 10 * ClampSensitivity(sensitivity);
    // The larger component is chosen before clamping: a fast drag clamps both to the
    // limit, and the tie that leaves must not turn a mostly vertical drag sideways.
    const long long ax = std::llabs(static_cast<long long>(dx));
    const long long ay = std::llabs(static_cast<long long>(dy));
    if (ax >= ay) {
        return {std::clamp(dx, -limit, limit), 0};
    }
    return {0, std::clamp(dy, -limit, limit)};
}

float ToolFactor(MouseTool tool, int sensitivity) {
    return ToolInfo(tool).factorPerSensitivity * static_cast<float>(ClampSensitivity(sensitivity));
}

float ClampRotateStep(float degrees) { return std::clamp(degrees, -10.0f, 10.0f); }

float WrapDegrees(float degrees) {
    if (!std::isfinite(degrees)) {
        return 0.0f;
    }
    float wrapped = std::fmod(degrees, 360.0f);
    if (wrapped < 0.0f) {
        wrapped += 360.0f;
    }
    // A tiny negative angle can round up to exactly 360.
    return wrapped >= 360.0f ? 0.0f : wrapped;
}

float ClampFieldOfView(float degrees) {
    if (std::isnan(degrees)) {
        return 1.0f;
    }
    return std::clamp(degrees, 1.0f, 179.0f);
}
