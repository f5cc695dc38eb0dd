#pragma once

#include <array>

#include "ui/ViewCommandTarget.h"

// The view's command state kept by the shell alone: layout, the active pane's
// display settings, the mouse tool with the axis flags of each tool, and the
// toggles. It serves until a real view is attached, and gives the menus the same
// checked and enabled states the view will.
class ShellViewState : public ViewCommandTarget {
public:
    ShellViewState();

    bool Command(int id) override;
    bool AddLight(int kind) override;
    bool AddObject(int typeCode) override;
    bool IsChecked(int id) const override;
    bool IsEnabled(int id) const override;

    int Tool() const { return tool_; }
    int Panes() const { return panes_; }

    static constexpr int kToolCount = 11;

private:
    struct Pane {
        bool perspective = false;
        bool visible = true;
        bool grid = false;
        bool axisMarkers = false;
        int displayMode = 129;
    };
    struct AxisFlags {
        bool x, y, z;
    };

    Pane& Active() { return viewports_[active_]; }
    const Pane& Active() const { return viewports_[active_]; }
    void ToggleAxis(int axis);
    bool AxisChecked(int axis) const;

    std::array<Pane, 4> viewports_{};
    std::array<AxisFlags, kToolCount> axes_{};
    int active_ = 0;
    int panes_ = 1;
    int tool_;
    bool moveFast_ = true;
    bool highlight_ = false;
    int overlays_ = 0;
    bool overlaysInPictures_ = false;
};

// The tool number of a tool command, or -1.
int ToolNumberOfCommand(int id);
// The command of a tool number, or 0.
int CommandOfToolNumber(int tool);
// The display mode a display-mode command sets, or -1.
int DisplayModeOfCommand(int id);
