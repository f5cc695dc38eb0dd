// marovin-cli render: opens scenes, paks and models the way the program does and
// writes one rendered frame as a picture, without any window.
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Commands.h"
#include "MapView.h"
#include "media/COGLTexture2D.h"
#include "models/halflife/COGLHLModel.h"
#include "models/quake2/COGLPlayer.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "render/COGLView.h"
#include "render/CommandIds.h"
#include "render/HeadlessView.h"
#include "render/ImageOutput.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"

namespace {
constexpr const char* kUsage =
    "usage: marovin-cli render [--size WxH] [--camera perspective|front|top|left|right] [--viewports 1|4]\n"
    "         [--mode points-fast|points|wireframe-fast|wireframe|flat|shaded] [--quality 0-3] [--transparent]\n"
    "         [--save-scene OUT.dv] [--animation NAME] [--frame F] [--fit]\n"
    "         [--skin NAME|N] [--weapon NAME|none] [--flag] [--body N] [--controller I=VALUE]... [--mouth V]\n"
    "         [--blend A[,B]] [--follow OTHER.mdl] [--at START|X,Y,Z [--yaw D] [--pitch D]]\n"
    "         INPUT... -o OUT.png|.bmp|.jpg\n"
    "  --fit     fit the whole scene into every pane before drawing\n"
    "  --at      with a map (.bsp) among the inputs: look from its start of that index (0 the first;\n"
    "            the eye at a player's height, facing the start's way) or from the point X,Y,Z of the\n"
    "            map; --yaw and --pitch turn the view (degrees as the game counts them: yaw 0 along +X,\n"
    "            90 along +Y; pitch down positive). The models among the inputs stand on the floor\n"
    "            side by side in front of the eye, facing it. Without --at, a map among the inputs\n"
    "            is seen from its first start\n"
    "  --skin    the players among the inputs wear the skin of that name (\"cipher\", \"ctf_r\"); a number\n"
    "            is the skin family of the Half-Life models among them\n"
    "  --weapon  and hold that weapon (\"default\", \"w_railgun\"); --flag shows their CTF flag\n";
constexpr int kMaximumSide = 8192;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

struct RenderOptions {
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    std::optional<int> cameraCommand;
    int viewports = 1;
    std::optional<int> modeCommand;
    int quality = kDefaultJpegQualityIndex;
    bool transparent = false;
    bool fit = false;
    std::string saveScene;
    std::optional<std::string> animation;
    std::optional<float> frame;
    std::optional<std::string> skin;
    std::optional<std::string> weapon;
    bool flag = false;
    StudioPoseSettings pose;
    MapViewOptions mapView;
    std::vector<std::string> inputs;
    std::string output;
};

struct NamedCommand {
    const char* name;
    int command;
};
constexpr NamedCommand kCameras[] = {{"perspective", cmd::kPerspective},
                                     {"front", cmd::kFront},
                                     {"top", cmd::kTop},
                                     {"left", cmd::kLeft},
                                     {"right", cmd::kRight}};
constexpr NamedCommand kModes[] = {{"points-fast", cmd::kPointsFast}, {"points", cmd::kPoints},
                                   {"wireframe-fast", cmd::kWireframeFast}, {"wireframe", cmd::kWireframe},
                                   {"flat", cmd::kFlat}, {"shaded", cmd::kShaded}};

template <std::size_t N>
std::optional<int> CommandNamed(const NamedCommand (&table)[N], const std::string& name) {
    for (const NamedCommand& entry : table) {
        if (name == entry.name) {
            return entry.command;
        }
    }
    return std::nullopt;
}

std::optional<float> ParseFrame(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end == nullptr || *end != '\0' || !(value >= 0.0f) || value > 1.0e6f) {
        return std::nullopt;
    }
    return value;
}

// Fills `options`; returns an error text for a wrong command line (empty when fine).
std::string ParseArguments(const Args& args, RenderOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "-o" || arg == "--size" || arg == "--camera" || arg == "--viewports" ||
                                arg == "--mode" || arg == "--quality" || arg == "--save-scene" ||
                                arg == "--animation" || arg == "--frame" || arg == "--skin" || arg == "--weapon" ||
                                MapViewOptions::Names(arg);
        if (takesValue && i + 1 >= args.size()) {
            return arg + " needs a value";
        }
        if (const std::optional<std::string> wrong = ParseHalfLifeOption(args, i, options.pose)) {
            if (!wrong->empty()) {
                return *wrong;
            }
        } else if (arg == "-o") {
            options.output = args[++i];
        } else if (arg == "--size") {
            if (!ParseSize(args[++i], kMaximumSide, options.width, options.height)) {
                return "--size takes WIDTHxHEIGHT, each 1 to " + std::to_string(kMaximumSide);
            }
        } else if (arg == "--camera") {
            options.cameraCommand = CommandNamed(kCameras, args[++i]);
            if (!options.cameraCommand) {
                return "unknown camera '" + args[i] + "'";
            }
        } else if (arg == "--viewports") {
            const std::string& value = args[++i];
            if (value != "1" && value != "4") {
                return "--viewports takes 1 or 4";
            }
            options.viewports = value == "4" ? 4 : 1;
        } else if (arg == "--mode") {
            options.modeCommand = CommandNamed(kModes, args[++i]);
            if (!options.modeCommand) {
                return "unknown display mode '" + args[i] + "'";
            }
        } else if (arg == "--quality") {
            const auto quality = ParseInt(args[++i], 0, 3);
            if (!quality) {
                return "--quality takes 0, 1, 2 or 3";
            }
            options.quality = *quality;
        } else if (arg == "--transparent") {
            options.transparent = true;
        } else if (arg == "--save-scene") {
            options.saveScene = args[++i];
        } else if (arg == "--animation") {
            options.animation = args[++i];
        } else if (arg == "--frame") {
            options.frame = ParseFrame(args[++i]);
            if (!options.frame) {
                return "--frame takes a frame number (0 or more)";
            }
        } else if (arg == "--fit") {
            options.fit = true;
        } else if (arg == "--skin") {
            options.skin = args[++i];
        } else if (arg == "--weapon") {
            options.weapon = args[++i];
        } else if (arg == "--flag") {
            options.flag = true;
        } else if (MapViewOptions::Names(arg)) {
            if (std::string error = options.mapView.Take(arg, args[++i]); !error.empty()) {
                return error;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            options.inputs.push_back(arg);
        }
    }
    return MissingInputOrOutput(options.inputs, options.output, "no input to render",
                                "no output picture (-o OUT.png|.bmp|.jpg)");
}
// The skin, weapon and flag asked for, on every player among the inputs.
int DressPlayers(const std::vector<COGLObject*>& models, const RenderOptions& options) {
    int players = 0;
    for (COGLObject* object : models) {
        auto* player = dynamic_cast<COGLPlayer*>(object);
        if (player == nullptr) {
            continue;
        }
        ++players;
        if (options.skin) {
            std::string known;
            COGLTexture2D* chosen = nullptr;
            for (COGLTexture2D* skin : player->Skins()) {
                const std::string title = fs_util::FileTitleOf(skin->Path());
                known += (known.empty() ? "" : ", ") + title;
                if (chosen == nullptr && fs_util::EqualsIgnoreCase(title, *options.skin)) {
                    chosen = skin;
                }
            }
            if (chosen == nullptr) {
                return Fail(kExitFailure, "the player '" + player->Name() + "' has no skin '" + *options.skin +
                                              "' (it has: " + (known.empty() ? "none" : known) + ")");
            }
            player->SetTexture(chosen);
        }
        if (options.weapon) {
            COGLMD2* chosen = nullptr;
            std::string known;
            for (const auto& weapon : player->Weapons()) {
                known += (known.empty() ? "" : ", ") + weapon->Name();
                if (chosen == nullptr && fs_util::EqualsIgnoreCase(weapon->Name(), *options.weapon)) {
                    chosen = weapon.get();
                }
            }
            if (chosen == nullptr && *options.weapon != "none") {
                return Fail(kExitFailure, "the player '" + player->Name() + "' has no weapon '" + *options.weapon +
                                              "' (it has: " + (known.empty() ? "none" : known) + ")");
            }
            if (!player->SetWeapon(chosen)) {
                return Fail(kExitFailure, "cannot read the weapon '" + *options.weapon + "' of '" + player->Name() + "'");
            }
        }
        if (options.flag) {
            player->ShowFlag();
            if (!player->FlagShown()) {
                return Fail(kExitFailure, "no CTF flag for '" + player->Name() +
                                              "': no archive opened holds " + COGLPlayer::kFlagModel);
            }
        }
    }
    return players > 0 ? kExitOk : Fail(kExitUsage, "--skin, --weapon and --flag need a player among the inputs");
}

// --skin N (a number) is the skin family of the Half-Life models among the
// inputs when there are any; any other value is left to the players.
std::string TakeSkinFamily(const std::vector<COGLObject*>& models, RenderOptions& options) {
    bool halfLife = false;
    bool players = false;
    for (COGLObject* object : models) {
        halfLife = halfLife || dynamic_cast<COGLHLModel*>(object) != nullptr;
        players = players || dynamic_cast<COGLPlayer*>(object) != nullptr;
    }
    if (!options.skin || !halfLife) {
        return {};
    }
    if (const std::optional<int> family = ParseSkinFamily(*options.skin)) {
        options.pose.skinFamily = *family;
        options.skin.reset();
        return {};
    }
    return players ? std::string() : "--skin on a Half-Life model takes a skin family number (0 the first)";
}
}  // namespace

int RunRender(const Args& args) {
    RenderOptions options;
    const std::string usage = std::string(kUsage) + kHalfLifeOptionsUsage;
    if (const int exit = ParseCommandLine(args, usage.c_str(), [&] { return ParseArguments(args, options); });
        exit >= 0) {
        return exit;
    }
    const std::optional<ImageFormat> format = ImageFormatForPath(options.output);
    if (!format) {
        return Fail(kExitUsage, msg::kExtensionNotSupported.text);
    }
    if (options.transparent && *format != ImageFormat::Png) {
        return Fail(kExitUsage, "--transparent needs a .png picture");
    }

    const auto headless = StartCommandView(options.width, options.height);
    if (!headless) {
        return kExitFailure;
    }
    COGLView& view = *headless->view;
    COGLDoc& document = view.Document();

    // The models these inputs added, for --animation and --frame.
    std::vector<COGLObject*> models;
    bool mapAmongInputs = false;
    if (const int failed = OpenInputs(document, options.inputs, models, &mapAmongInputs); failed != kExitOk) {
        return failed;
    }

    if (options.animation || options.frame) {
        if (models.empty()) {
            return Fail(kExitUsage, "--animation and --frame need a model among the inputs");
        }
        for (COGLObject* model : models) {
            if (!PoseObject(*model, options.animation.value_or(std::string()), options.frame.value_or(0.0f))) {
                return Fail(kExitFailure, "cannot pose the model '" + model->Name() + "' at animation '" +
                                              options.animation.value_or(std::string()) + "'");
            }
        }
    }

    if (const std::string wrong = TakeSkinFamily(models, options); !wrong.empty()) {
        return Fail(kExitUsage, wrong);
    }
    if (options.skin || options.weapon || options.flag) {
        if (const int failed = DressPlayers(models, options); failed != kExitOk) {
            return failed;
        }
    }

    if (!options.pose.Empty()) {
        if (const int failed = PoseHalfLifeInputs(models, options.pose); failed != kExitOk) {
            return failed;
        }
    }

    if (const int failed = options.mapView.Apply(view, models, mapAmongInputs); failed != kExitOk) {
        return failed;
    }

    if (options.viewports == 4) {
        view.OnCommand(cmd::kFourViewports);
    }
    if (options.cameraCommand) {
        view.OnCommand(*options.cameraCommand);
    }
    if (options.modeCommand) {
        view.OnCommand(*options.modeCommand);
    }
    if (options.fit) {
        // Models learn their extent while they draw: one frame first, then fit.
        view.Paint();
        view.Frame(true, true);
    }
    if (!options.saveScene.empty() && !document.Save(options.saveScene)) {
        return Fail(kExitFailure, document.LastSaveError());
    }

    view.SetTransparentBackground(options.transparent);
    if (!view.Capture(options.width, options.height, options.transparent ? 4 : 3, options.viewports == 4)) {
        return Fail(kExitFailure, "cannot render a " + std::to_string(options.width) + "x" +
                                      std::to_string(options.height) + " picture");
    }
    std::string error;
    if (!WriteImage(view.Captured(), options.output, *format, options.quality, options.transparent, &error)) {
        return Fail(kExitFailure, error);
    }
    return kExitOk;
}
