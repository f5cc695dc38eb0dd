#include "render/ViewLayout.h"

#include <algorithm>

namespace {
PaneRect Clamped(int x, int y, int width, int height) { return {x, y, std::max(width, 0), std::max(height, 0)}; }
}  // namespace

std::array<PaneRect, kViewportCount> LayoutPanes(int width, int height, int paneCount, int activeIndex) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const int halfWidth = width / 2;
    const int halfHeight = height / 2;
    const int rightX = halfWidth + 2;
    const int upperY = halfHeight + 1;
    std::array<PaneRect, kViewportCount> panes = {
        Clamped(rightX, upperY, width - rightX, height - upperY),
        Clamped(0, upperY, halfWidth - 1, height - upperY),
        Clamped(0, 0, halfWidth - 1, halfHeight - 2),
        Clamped(rightX, 0, width - rightX, halfHeight - 2),
    };
    if (paneCount == 1 && activeIndex >= 0 && activeIndex < kViewportCount) {
        panes[static_cast<std::size_t>(activeIndex)] = {0, 0, width, height};
    }
    return panes;
}

OrthoExtents OrthographicExtents(int width, int height) {
    OrthoExtents e;
    // An empty pane still gets a finite frustum.
    const double w = std::max(width, 1);
    const double h = std::max(height, 1);
    if (h < w) {
        e.left = -1.5 * w / h;
        e.right = 1.5 * w / h;
        e.bottom = -1.5;
        e.top = 1.5;
    } else {
        e.left = -1.5;
        e.right = 1.5;
        e.bottom = -1.5 * h / w;
        e.top = 1.5 * h / w;
    }
    return e;
}
