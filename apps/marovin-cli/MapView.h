#pragma once

#include <optional>
#include <string>
#include <vector>

class COGLObject;
class COGLView;

// render --at: the perspective pane looks from a start of the scene's map (its
// index) or from a point of it ("X,Y,Z" in the map's units), turned by `yaw` and
// `pitch` where given; `models` stand on the floor in a row in front of the eye,
// facing it. kExitOk, or the failure code once it is reported.
int LookFromMapPoint(COGLView& view, const std::vector<COGLObject*>& models, const std::string& at,
                     std::optional<float> yaw, std::optional<float> pitch);
