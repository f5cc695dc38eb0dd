#pragma once

#include <array>

// A pane of the view in window pixels, y counted from the bottom as GL counts it.
struct PaneRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    constexpr bool operator==(const PaneRect&) const = default;
};

inline constexpr int kViewportCount = 4;

// Where the four viewport slots sit in a window of `width` x `height`.
// Four panes: slot 0 upper right, 1 upper left, 2 lower left, 3 lower right, with
// room between them for the separator lines. One pane: the active slot covers the
// window and the other slots keep their four-pane places (they are not drawn).
// Sizes never go below 0 however small the window.
std::array<PaneRect, kViewportCount> LayoutPanes(int width, int height, int paneCount, int activeIndex);

// The orthographic frustum of a pane, 3 units across its shorter side.
struct OrthoExtents {
    double left = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    double top = 0.0;
    double nearPlane = -10.0;
    double farPlane = 100.0;
};
OrthoExtents OrthographicExtents(int width, int height);
