#include "render/StatusText.h"

#include <cmath>
#include <cstdio>

namespace {
// Wide enough for three of the largest floats printed with "%3.3f".
constexpr std::size_t kBufferSize = 256;
}  // namespace

std::string FormatStatusXYZ(float x, float y, float z) {
    char buffer[kBufferSize];
    std::snprintf(buffer, sizeof(buffer), "X %3.3f, Y %3.3f, Z %3.3f", double(x), double(y), double(z));
    return buffer;
}

std::string FormatStatusAngle(float degrees) {
    char buffer[kBufferSize];
    std::snprintf(buffer, sizeof(buffer), "Angle %3.0f\u00B0", double(degrees));
    return buffer;
}

std::string FormatStatusXY(float x, float y) {
    char buffer[kBufferSize];
    std::snprintf(buffer, sizeof(buffer), "X %3.3f, Y %3.3f", double(x), double(y));
    return buffer;
}

std::string FormatStatusOrbit(float yaw, float pitch, float roll) {
    char buffer[kBufferSize];
    std::snprintf(buffer, sizeof(buffer), "A %3.3f, E %3.3f, T %3.3f", double(yaw), double(pitch), double(roll));
    return buffer;
}

std::string FormatStatusZoom(float percent) {
    if (std::isnan(percent) || percent > kMaximumShownZoom) {
        percent = kMaximumShownZoom;
    }
    char buffer[kBufferSize];
    std::snprintf(buffer, sizeof(buffer), "Zoom %3.3f", double(percent));
    return buffer;
}

std::string FormatStatusValue(float value) {
    char buffer[kBufferSize];
    std::snprintf(buffer, sizeof(buffer), "%3.3f", double(value));
    return buffer;
}

std::string FormatStatusFieldOfView(float degrees) {
    char buffer[kBufferSize];
    std::snprintf(buffer, sizeof(buffer), "FOV %3.3f", double(degrees));
    return buffer;
}
