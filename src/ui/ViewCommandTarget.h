#pragma once

// What the shell asks of the view behind its menus and toolbars. Commands are
// named by their numeric ids (render/CommandIds.h). The GL widget implements it
// by forwarding to the core view; until then ShellViewState keeps the state.
class ViewCommandTarget {
public:
    virtual ~ViewCommandTarget() = default;

    // Runs a view, tool or axis command. Clear (cmd::kClear) clears without asking:
    // the shell has already asked "Clear the Scene?". Returns false when the
    // command does not apply now.
    virtual bool Command(int id) = 0;
    // Appends a new light: kind 0 a point light, 1 a spot light.
    virtual bool AddLight(int kind) = 0;
    // Appends a new primitive by its object type code.
    virtual bool AddObject(int typeCode) = 0;

    virtual bool IsChecked(int id) const = 0;
    virtual bool IsEnabled(int id) const = 0;
};
