#include "models/FrameNames.h"

std::string AnimationNameOf(const std::string& frameName) {
    std::size_t end = frameName.size();
    while (end > 1 && frameName[end - 1] >= '0' && frameName[end - 1] <= '9') {
        --end;
    }
    return frameName.substr(0, end);
}
