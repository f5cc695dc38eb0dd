// marovin-cli export: opens scenes, paks and models the way "render" does and
// writes one model, or the whole scene, as a glTF 2.0 asset.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "Commands.h"
#include "export/GltfExport.h"
#include "models/halflife/COGLHLModel.h"
#include "render/COGLView.h"
#include "render/HeadlessView.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"

namespace {
constexpr const char* kUsage =
    "usage: marovin-cli export INPUT... -o OUT.glb|OUT.gltf [--animation NAME] [--skin N] [--scene]\n"
    "         [--body N] [--controller I=VALUE]... [--mouth V] [--blend A[,B]] [--follow OTHER.mdl]\n"
    "  One model among the inputs is written alone; a scene, a map, or several models are\n"
    "  written whole with their lights and the perspective camera (a map's world as drawn).\n"
    "  --animation NAME  only that animation (sequence) of each model that has it\n"
    "  --skin N          the skin the model shows (0 the first; the others stay as variants); of a\n"
    "                    Half-Life model, its skin family\n"
    "  --scene           write the whole scene even for a single model\n";

struct ExportArguments {
    std::vector<std::string> inputs;
    std::string output;
    GltfExportOptions options;
    StudioPoseSettings pose;
    bool wholeScene = false;
};

std::string ParseArguments(const Args& args, ExportArguments& parsed) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "-o" || arg == "--animation" || arg == "--skin";
        if (takesValue && i + 1 >= args.size()) {
            return arg + " needs a value";
        }
        if (const std::optional<std::string> wrong = ParseHalfLifeOption(args, i, parsed.pose)) {
            if (!wrong->empty()) {
                return *wrong;
            }
        } else if (arg == "-o") {
            parsed.output = args[++i];
        } else if (arg == "--animation") {
            parsed.options.animation = args[++i];
        } else if (arg == "--skin") {
            const std::string& value = args[++i];
            if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos) {
                return "--skin takes a skin number (0 the first)";
            }
            parsed.options.skin = std::atoi(value.c_str());
        } else if (arg == "--scene") {
            parsed.wholeScene = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            parsed.inputs.push_back(arg);
        }
    }
    return MissingInputOrOutput(parsed.inputs, parsed.output, "no input to export", "no output (-o OUT.glb|OUT.gltf)");
}
}  // namespace

int RunExport(const Args& args) {
    ExportArguments parsed;
    const std::string usage = std::string(kUsage) + kHalfLifeOptionsUsage;
    if (const int exit = ParseCommandLine(args, usage.c_str(), [&] { return ParseArguments(args, parsed); });
        exit >= 0) {
        return exit;
    }

    const auto headless = StartCommandView(640, 480);
    if (!headless) {
        return kExitFailure;
    }
    COGLView& view = *headless->view;
    std::string error;
    COGLDoc& document = view.Document();
    COGLScene& scene = *view.Scene();
    std::vector<COGLObject*> models;
    if (const int failed = OpenInputs(document, parsed.inputs, models); failed != kExitOk) {
        return failed;
    }
    // --skin on a Half-Life model chooses its skin family.
    const bool halfLife = std::any_of(models.begin(), models.end(),
                                      [](COGLObject* m) { return dynamic_cast<COGLHLModel*>(m) != nullptr; });
    if (halfLife && parsed.options.skin >= 0) {
        parsed.pose.skinFamily = parsed.options.skin;
        parsed.options.skin = -1;
    }
    if (!parsed.pose.Empty()) {
        if (const int failed = PoseHalfLifeInputs(models, parsed.pose); failed != kExitOk) {
            return failed;
        }
    }
    // Models learn their extent and skins while they draw: one frame first.
    view.Paint();

    const bool oneModel =
        models.size() == 1 && scene.Objects().size() == 1 && scene.Backdrop() == nullptr && !parsed.wholeScene;
    if (oneModel) {
        if (!ExportObjectToFile(*models.front(), &scene, parsed.output, parsed.options, error)) {
            return Fail(kExitFailure, error);
        }
        return kExitOk;
    }
    if (parsed.options.skin >= 0) {
        return Fail(kExitUsage, "--skin needs a single model among the inputs");
    }
    parsed.options.camera = view.ExportedCamera();
    if (!ExportSceneToFile(scene, parsed.output, parsed.options, error)) {
        return Fail(kExitFailure, error);
    }
    return kExitOk;
}
