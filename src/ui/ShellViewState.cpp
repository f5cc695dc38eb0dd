#include "ui/ShellViewState.h"

#include <cstddef>

#include "render/CommandIds.h"
#include "render/ViewOverlays.h"

namespace {
// In tool-number order: Move, Rotate, Scale, Pan, Orbit, Zoom, Select, Texture
// Move, Texture Scale, Texture Rotate, Field of view.
constexpr std::array<int, ShellViewState::kToolCount> kToolCommands{
    cmd::kToolMove,         cmd::kToolRotate,        cmd::kToolScale, cmd::kToolPan,
    cmd::kToolOrbit,        cmd::kToolZoom,          cmd::kToolSelect, cmd::kToolTextureMove,
    cmd::kToolTextureScale, cmd::kToolTextureRotate, cmd::kToolFieldOfView};
constexpr int kToolRotateNumber = 1;
constexpr int kToolSelectNumber = 6;

int AxisOfCommand(int id) {
    switch (id) {
        case cmd::kAxisX:
        case cmd::kAxisX2: return 0;
        case cmd::kAxisY:
        case cmd::kAxisY2: return 1;
        case cmd::kAxisZ:
        case cmd::kAxisZ2: return 2;
        default: return -1;
    }
}

bool IsCameraPreset(int id) {
    return id == cmd::kPerspective || id == cmd::kFront || id == cmd::kTop || id == cmd::kRight || id == cmd::kLeft;
}
}  // namespace

int ToolNumberOfCommand(int id) {
    for (int i = 0; i < ShellViewState::kToolCount; ++i) {
        if (kToolCommands[static_cast<std::size_t>(i)] == id) {
            return i;
        }
    }
    return -1;
}

int CommandOfToolNumber(int tool) {
    return tool >= 0 && tool < ShellViewState::kToolCount ? kToolCommands[static_cast<std::size_t>(tool)] : 0;
}

int DisplayModeOfCommand(int id) {
    switch (id) {
        case cmd::kPointsFast: return 0;
        case cmd::kPoints: return 1;
        case cmd::kWireframeFast: return 32;
        case cmd::kWireframe: return 33;
        case cmd::kFlat: return 65;
        case cmd::kShaded: return 129;
        default: return -1;
    }
}

ShellViewState::ShellViewState() : tool_(kToolSelectNumber) {
    viewports_[0].perspective = true;
    for (std::size_t i = 1; i < viewports_.size(); ++i) {
        viewports_[i].displayMode = 32;
    }
    axes_ = {{{true, true, true},
              {true, false, false},
              {true, true, true},
              {true, true, true},
              {true, true, true},
              {true, false, false},
              {false, false, false},
              {true, true, false},
              {true, true, true},
              {true, false, false},
              {true, true, true}}};
}

void ShellViewState::ToggleAxis(int axis) {
    AxisFlags& flags = axes_[static_cast<std::size_t>(tool_)];
    bool* const values[3] = {&flags.x, &flags.y, &flags.z};
    if (tool_ == kToolRotateNumber) {
        // Rotation turns about one axis at a time: choosing an axis replaces the other.
        for (int i = 0; i < 3; ++i) {
            *values[i] = i == axis;
        }
        return;
    }
    *values[axis] = !*values[axis];
}

bool ShellViewState::AxisChecked(int axis) const {
    const AxisFlags& flags = axes_[static_cast<std::size_t>(tool_)];
    return axis == 0 ? flags.x : axis == 1 ? flags.y : flags.z;
}

bool ShellViewState::Command(int id) {
    if (!IsEnabled(id)) {
        return false;
    }
    if (const int tool = ToolNumberOfCommand(id); tool >= 0) {
        tool_ = tool;
        return true;
    }
    if (const int axis = AxisOfCommand(id); axis >= 0) {
        ToggleAxis(axis);
        return true;
    }
    if (const int mode = DisplayModeOfCommand(id); mode >= 0) {
        Active().displayMode = mode;
        return true;
    }
    if (const int overlay = OverlayForCommand(id)) {
        overlays_ ^= overlay;
        return true;
    }
    switch (id) {
        case cmd::kOneViewport:
            panes_ = 1;
            Active().visible = true;
            return true;
        case cmd::kFourViewports: panes_ = 4; return true;
        case cmd::kVisible: Active().visible = !Active().visible; return true;
        case cmd::kGrid: Active().grid = !Active().grid; return true;
        case cmd::kAxisMarkers: Active().axisMarkers = !Active().axisMarkers; return true;
        case cmd::kPreview:
            Active() = Pane{};
            Active().perspective = true;
            return true;
        case cmd::kFastEdit:
            Active() = Pane{};
            Active().displayMode = 32;
            return true;
        case cmd::kMoveFast: moveFast_ = !moveFast_; return true;
        case cmd::kHighlightSelected: highlight_ = !highlight_; return true;
        case cmd::kOverlaysInPictures: overlaysInPictures_ = !overlaysInPictures_; return true;
        default: return IsCameraPreset(id) || id == cmd::kNew || id == cmd::kClear || id == cmd::kCopy ||
                        id == cmd::kTest;
    }
}

bool ShellViewState::AddLight(int kind) { return kind == 0 || kind == 1; }

bool ShellViewState::AddObject(int typeCode) { return typeCode >= 0 && typeCode <= 18; }

bool ShellViewState::IsChecked(int id) const {
    if (const int tool = ToolNumberOfCommand(id); tool >= 0) {
        return tool == tool_;
    }
    if (const int axis = AxisOfCommand(id); axis >= 0) {
        return AxisChecked(axis);
    }
    if (const int mode = DisplayModeOfCommand(id); mode >= 0) {
        return Active().displayMode == mode;
    }
    if (const int overlay = OverlayForCommand(id)) {
        return (overlays_ & overlay) != 0;
    }
    switch (id) {
        case cmd::kOneViewport: return panes_ == 1;
        case cmd::kFourViewports: return panes_ == 4;
        case cmd::kVisible: return Active().visible;
        case cmd::kGrid: return Active().grid;
        case cmd::kAxisMarkers: return Active().perspective && Active().axisMarkers;
        case cmd::kMoveFast: return moveFast_;
        case cmd::kHighlightSelected: return highlight_;
        case cmd::kOverlaysInPictures: return overlaysInPictures_;
        default: return false;
    }
}

bool ShellViewState::IsEnabled(int id) const {
    if (AxisOfCommand(id) >= 0) {
        return tool_ != kToolSelectNumber;
    }
    switch (id) {
        case cmd::kVisible: return panes_ == 4;
        case cmd::kAxisMarkers:
        case cmd::kPerspective:
        case cmd::kFastEdit: return Active().perspective;
        case cmd::kPreview: return !Active().perspective;
        case cmd::kCopy: return false;  // nothing can be selected without a scene
        default: return true;
    }
}
