#pragma once

// Mouse and keyboard input as the view takes it. The window system's side only
// translates its own events into these, so tests can drive clicks and drags
// directly.

// The middle button pans with any tool.
enum class MouseButton { None, Left, Right, Middle };

// One notch of a mouse wheel, in the units window systems report (eighths of a degree).
inline constexpr int kWheelNotch = 120;

inline constexpr unsigned kModifierShift = 0x1;
inline constexpr unsigned kModifierControl = 0x2;

// A position in window pixels with y counted from the top, as window systems
// report it; the view turns it into GL's bottom-up rows itself.
struct ViewMouseEvent {
    MouseButton button = MouseButton::None;
    int x = 0;
    int y = 0;
    unsigned modifiers = 0;
};

// W, A, S, D and Page Up/Down move the flying camera (the arrows too).
enum class ViewKey { Other, Left, Right, Up, Down, Shift, Control, W, A, S, D, PageUp, PageDown };

struct ViewKeyEvent {
    ViewKey key = ViewKey::Other;
    unsigned modifiers = 0;
};

// The pointer services a drag needs from the window. Without a window (tests, the
// command-line renderer) nothing is done.
class ViewCursor {
public:
    virtual ~ViewCursor() = default;
    // Capture the mouse and hide the pointer: a drag runs on deltas, not positions.
    virtual void BeginDrag() {}
    // Show the pointer again at (x, y) and release the mouse.
    virtual void EndDrag(int /*x*/, int /*y*/) {}
    // Put the pointer at (x, y); used when a drag runs out of the window.
    virtual void WarpTo(int /*x*/, int /*y*/) {}
};
