#include "models/AnimationClock.h"

#include <cmath>

namespace {
// Beyond this a position can no longer count single frames; the clock starts over.
constexpr float kLargestFramePosition = 1.0e7f;
}  // namespace

ClockStep StepClockPosition(float& position, float speed, float length, bool loop) {
    position += speed;
    if (!std::isfinite(position) || position < 0.0f || position > kLargestFramePosition) {
        position = 0.0f;
    }
    if (position < length) {
        return ClockStep::Running;
    }
    if (loop) {
        position = 0.0f;
        return ClockStep::Wrapped;
    }
    return ClockStep::Ended;
}
