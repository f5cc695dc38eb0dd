#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

// Size of the GL selection buffer in entries.
inline constexpr std::size_t kPickBufferSize = 512;
// Side of the square region around the cursor that counts as a hit, in pixels.
inline constexpr double kPickRegion = 5.0;

// Reads the hit records GL left in a selection buffer: each is a name count, the
// minimum and maximum depth, then the names. The hit with the smallest minimum depth
// wins, the first one on equal depth; its first name (the one loaded under the
// view's base name) is returned. Nothing when there is no hit with a name.
// `hitCount` is what glRenderMode(GL_RENDER) returned: -1 (the buffer overflowed)
// reads the records that fit, and a record cut off by the end of the buffer, or
// claiming more names than remain, ends the reading.
std::optional<std::uint32_t> FindNearestHit(const std::uint32_t* buffer, std::size_t bufferSize, int hitCount);

// One pick in the current GL context. `viewport` is the pane (x, y, width, height)
// and (x, y) the cursor in GL window coordinates (y from the bottom). Sets up a
// 512-entry selection buffer with one base name, narrows the projection to a 5 x 5
// pixel region around the cursor and multiplies `applyProjection` onto it, then
// runs `drawNames` with the modelview matrix as the caller left it (it applies its
// camera and loads a name with glLoadName before each thing it draws). The
// projection matrix and the matrix mode are restored before returning.
std::optional<std::uint32_t> PickAt(double x, double y, const std::array<int, 4>& viewport,
                                    const std::function<void()>& applyProjection,
                                    const std::function<void()>& drawNames);
