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

// --at, --yaw and --pitch, as render and animate take them.
struct MapViewOptions {
    std::optional<std::string> at;
    std::optional<float> yaw;
    std::optional<float> pitch;

    // `arg` is one of the three options (each takes a value).
    static bool Names(const std::string& arg) { return arg == "--at" || arg == "--yaw" || arg == "--pitch"; }
    // Keeps the value of one of them; what is wrong with it, or nothing.
    std::string Take(const std::string& arg, const std::string& value);
    // Looks from the map as asked; without --at, from the map's first start when the
    // map is one of the inputs (a scene file's map keeps the scene's camera).
    // kExitOk, or the failure code once it is reported.
    int Apply(COGLView& view, const std::vector<COGLObject*>& models, bool mapAmongInputs) const;
};
