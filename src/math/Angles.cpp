#include "math/Angles.h"

#include <cmath>

bool WrapAngleDegrees(float& degrees) {
    if (!std::isfinite(degrees)) {
        return false;
    }
    // An angle from a hostile scene file could be so large that subtracting 360 no
    // longer changes it (or takes forever); bring it near the range first so the
    // loops below end.
    if (std::fabs(degrees) >= 3600.0f) {
        degrees = std::fmod(degrees, 360.0f);
    }
    while (degrees > 359.0f) {
        degrees -= 360.0f;
    }
    while (degrees < 0.0f) {
        degrees += 360.0f;
    }
    return true;
}
