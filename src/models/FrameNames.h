#pragma once

#include <string>

// The name of the animation a frame belongs to: the frame's name without its
// trailing decimal digits ("run12" -> "run"). A name made only of digits keeps
// its first character, so it still names something.
std::string AnimationNameOf(const std::string& frameName);
