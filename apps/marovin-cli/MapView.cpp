#include "MapView.h"

#include <cmath>
#include <cstdlib>

#include "Commands.h"
#include "maps/MapCoordinates.h"
#include "math/Quaternion.h"
#include "render/BackdropPlacement.h"
#include "render/COGLView.h"
#include "scene/COGLScene.h"

namespace {
// How far in front of the eye the models stand, and how far apart, in map units.
constexpr float kModelsAhead = 56.0f;
constexpr float kModelSpacing = 32.0f;

std::optional<Vector3> ParsePoint(const std::string& text) {
    Vector3 p;
    float* parts[3] = {&p.x, &p.y, &p.z};
    const char* at = text.c_str();
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        *parts[i] = std::strtof(at, &end);
        if (end == at || !std::isfinite(*parts[i]) || (i < 2 ? *end != ',' : *end != '\0')) {
            return std::nullopt;
        }
        at = end + 1;
    }
    return p;
}
}  // namespace

int LookFromMapPoint(COGLView& view, const std::vector<COGLObject*>& models, const std::string& at,
                     std::optional<float> yaw, std::optional<float> pitch) {
    COGLScene& scene = *view.Scene();
    if (scene.Backdrop() == nullptr) {
        return Fail(kExitUsage, "--at needs a map (.bsp) among the inputs");
    }
    const std::vector<BackdropStart> starts = view.Starts();
    BackdropStart eye;
    if (const auto index = ParseInt(at, 0, 1 << 20)) {
        if (*index >= static_cast<int>(starts.size())) {
            return Fail(kExitUsage, "the map has " + std::to_string(starts.size()) + " starts: --at " + at +
                                        " is not one of them");
        }
        eye = starts[static_cast<std::size_t>(*index)];
        eye.position += Vector3{0.0f, kStartEyeHeight, 0.0f};
    } else if (const auto point = ParsePoint(at)) {
        eye.position = MapToScene(*point);
    } else {
        return Fail(kExitUsage, "--at takes a start's index or X,Y,Z");
    }
    if (yaw) {
        eye.yaw = *yaw;
    }
    view.SetFlying(true);
    auto& camera = static_cast<COGLViewport3D&>(view.Viewport(0)).Camera3D();
    // The camera's yaw 0 looks along the scene's -Z, a start's along +Z.
    camera.FlyTo(eye.position, 180.0f - eye.yaw, pitch.value_or(0.0f));

    // In a row across the view, level with the eye, then down onto the floor.
    const float radians = eye.yaw * kDegreesToRadians;
    const Vector3 ahead{std::sin(radians), 0.0f, std::cos(radians)};
    const Vector3 across{ahead.z, 0.0f, -ahead.x};
    for (std::size_t i = 0; i < models.size(); ++i) {
        const float side = (static_cast<float>(i) - 0.5f * static_cast<float>(models.size() - 1)) * kModelSpacing;
        BackdropStart stand;
        stand.position = eye.position + (ahead * kModelsAhead + across * side) * kMapSceneScale;
        stand.yaw = eye.yaw + 180.0f;
        PlaceAtStart(scene, view.Document().History(), *models[i], stand);
        view.Paint();  // a model learns its box while it draws
        DropToFloor(scene, view.Document().History(), *models[i]);
    }
    return kExitOk;
}

std::string MapViewOptions::Take(const std::string& arg, const std::string& value) {
    if (arg == "--at") {
        at = value;
        return {};
    }
    std::optional<float>& angle = arg == "--yaw" ? yaw : pitch;
    angle = ParseValue(value);
    return angle ? std::string() : arg + " takes a number of degrees";
}

int MapViewOptions::Apply(COGLView& view, const std::vector<COGLObject*>& models, bool mapAmongInputs) const {
    if (at) {
        return LookFromMapPoint(view, models, *at, yaw, pitch);
    }
    // Framed from outside, a map shows the back of its walls and hides the models
    // in it: a map given without a place to look from is seen from its first start.
    if (mapAmongInputs && !view.Starts().empty()) {
        return LookFromMapPoint(view, models, "0", yaw, pitch);
    }
    if (yaw || pitch) {
        return Fail(kExitUsage, "--yaw and --pitch need --at");
    }
    return kExitOk;
}
