// marovin-cli animate: a turntable of the scene, or one loop of a model's
// animation, or both, drawn headless frame by frame into a moving picture.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "MapView.h"
#include "models/COGLModel.h"
#include "render/COGLView.h"
#include "render/HeadlessView.h"
#include "render/MovieCapture.h"
#include "render/MovieWriters.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"

namespace {
constexpr const char* kUsage =
    "usage: marovin-cli animate INPUT... -o OUT.gif|.webp|.png|.apng|FRAME_%04d.png|.mp4|.webm\n"
    "         [--turntable DEGREES] [--frames N] [--fps F] [--size WxH] [--animation NAME] [--play]\n"
    "         [--transparent] [--quality Q] [--dither] [--fit] [--at START|X,Y,Z [--yaw D] [--pitch D]]\n"
    "  --turntable  turn the camera about its centre by DEGREES over the picture (360: a whole turn)\n"
    "  --animation  play one loop of that animation of the last model (--play: its current one);\n"
    "               with --turntable both at once. Without either, a model with an animation plays\n"
    "               it, anything else turns 360 degrees\n"
    "  --frames     frames in all (default: the loop's length at --fps, or 36 for a turntable)\n"
    "  --fps        frames a second, above 0 up to 100 (default 10, the games' own rate)\n"
    "  --quality    0-100: lossy WebP (lossless without it), or the video's quality\n"
    "  --dither     ordered dithering of GIF colours\n"
    "  --fit        fit the whole scene into the pane first and orbit its centre\n"
    "  --at         with a map (.bsp) among the inputs: look from that start (or point) of it, the\n"
    "               models standing in front of the eye, as render --at does (without it, from\n"
    "               the map's first start)\n"
    "  a .png or .apng name writes an animated PNG; a name with %d (or %04d) one PNG a frame;\n"
    "  .mp4 and .webm need the ffmpeg program";
constexpr int kMaximumSide = 2048;
constexpr int kDefaultWidth = 480;
constexpr int kDefaultHeight = 360;

struct AnimateOptions {
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    std::optional<float> turntable;
    std::optional<std::string> animation;
    bool play = false;
    int frames = 0;
    float fps = 10.0f;
    bool transparent = false;
    int quality = -1;
    bool dither = false;
    bool fit = false;
    MapViewOptions mapView;
    std::vector<std::string> inputs;
    std::string output;
};

std::optional<float> ParseReal(const std::string& text, float low, float high) {
    if (text.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end == nullptr || *end != '\0' || !std::isfinite(value) || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::string ParseArguments(const Args& args, AnimateOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "-o" || arg == "--size" || arg == "--turntable" || arg == "--frames" ||
                                arg == "--fps" || arg == "--animation" || arg == "--quality" || MapViewOptions::Names(arg);
        if (takesValue && i + 1 >= args.size()) {
            return arg + " needs a value";
        }
        if (arg == "-o") {
            options.output = args[++i];
        } else if (arg == "--size") {
            if (!ParseSize(args[++i], kMaximumSide, options.width, options.height)) {
                return "--size takes WIDTHxHEIGHT, each 1 to " + std::to_string(kMaximumSide);
            }
        } else if (arg == "--turntable") {
            options.turntable = ParseReal(args[++i], -3600.0f, 3600.0f);
            if (!options.turntable) {
                return "--turntable takes an angle in degrees (-3600 to 3600)";
            }
        } else if (arg == "--frames") {
            const auto frames = ParseInt(args[++i], 1, 10000);
            if (!frames) {
                return "--frames takes 1 to 10000";
            }
            options.frames = *frames;
        } else if (arg == "--fps") {
            const auto fps = ParseReal(args[++i], 0.0f, 100.0f);
            if (!fps || !(*fps > 0.0f)) {
                return "--fps takes a rate above 0, up to 100";
            }
            options.fps = *fps;
        } else if (arg == "--animation") {
            options.animation = args[++i];
        } else if (arg == "--play") {
            options.play = true;
        } else if (arg == "--quality") {
            const auto quality = ParseInt(args[++i], 0, 100);
            if (!quality) {
                return "--quality takes 0 to 100";
            }
            options.quality = *quality;
        } else if (arg == "--transparent") {
            options.transparent = true;
        } else if (arg == "--dither") {
            options.dither = true;
        } else if (arg == "--fit") {
            options.fit = true;
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
    return MissingInputOrOutput(options.inputs, options.output, "no input to animate",
                                "no output (-o OUT.gif|.webp|.png|.apng|.mp4|.webm)");
}

// The model an animation plays: the last one the inputs added, else the scene's
// selection, else its first model.
COGLModel* ModelToAnimate(const COGLScene& scene, const std::vector<COGLObject*>& models) {
    for (auto it = models.rbegin(); it != models.rend(); ++it) {
        if (auto* model = dynamic_cast<COGLModel*>(*it)) {
            return model;
        }
    }
    if (auto* selected = dynamic_cast<COGLModel*>(scene.Selected())) {
        return selected;
    }
    for (const auto& object : scene.Objects()) {
        if (auto* model = dynamic_cast<COGLModel*>(object.get())) {
            return model;
        }
    }
    return nullptr;
}
}  // namespace

int RunAnimate(const Args& args) {
    AnimateOptions options;
    if (const int exit = ParseCommandLine(args, kUsage, [&] { return ParseArguments(args, options); }); exit >= 0) {
        return exit;
    }
    const std::optional<MovieFormat> format = MovieFormatForPath(options.output);
    if (!format) {
        return Fail(kExitUsage, "'" + options.output +
                                    "': write .gif, .webp, .png or .apng, a numbered .png (frame_%04d.png), .mp4 "
                                    "or .webm");
    }
    if ((*format == MovieFormat::Mp4 || *format == MovieFormat::WebM) && FindFfmpeg().empty()) {
        // Said before anything is drawn.
        return Fail(kExitFailure, std::string(MovieFormatName(*format)) +
                                      " needs the ffmpeg program, which is not on PATH: install ffmpeg (Debian: "
                                      "apt install ffmpeg), or write .gif, .webp or .png");
    }

    const auto headless = StartCommandView(options.width, options.height);
    if (!headless) {
        return kExitFailure;
    }
    COGLView& view = *headless->view;
    COGLDoc& document = view.Document();
    std::vector<COGLObject*> models;
    bool mapAmongInputs = false;
    if (const int failed = OpenInputs(document, options.inputs, models, &mapAmongInputs); failed != kExitOk) {
        return failed;
    }

    if (const int failed = options.mapView.Apply(view, models, mapAmongInputs); failed != kExitOk) {
        return failed;
    }

    MovieSpec movie;
    movie.width = options.width;
    movie.height = options.height;
    movie.fps = options.fps;
    movie.frames = options.frames;
    movie.transparent = options.transparent;
    COGLModel* model = ModelToAnimate(*document.Scene(), models);
    const bool askedToPlay = options.animation.has_value() || options.play;
    if (askedToPlay) {
        if (model == nullptr) {
            return Fail(kExitUsage, "--animation and --play need a model among the inputs");
        }
        if (options.animation && !PoseObject(*model, *options.animation, 0.0f)) {
            return Fail(kExitFailure, "the model '" + model->Name() + "' has no animation '" + *options.animation + "'");
        }
        movie.animated = model;
    } else if (!options.turntable && model != nullptr && model->GetAnimation() != nullptr &&
               model->GetAnimation()->frameCount >= 2) {
        movie.animated = model;
    }
    movie.turntable = options.turntable.has_value() || movie.animated == nullptr;
    movie.degrees = options.turntable.value_or(360.0f);
    if (options.fit) {
        // Models learn their extent while they draw: one frame first, then fit.
        view.Paint();
        view.Frame(true, true);
        movie.orbit = MovieSpec::Orbit::Scene;
    }

    MovieOutput output;
    output.path = options.output;
    output.format = *format;
    output.quality = options.quality;
    output.dither = options.dither;
    std::string error;
    if (!SaveMovie(view, movie, output, nullptr, error)) {
        return Fail(kExitFailure, error);
    }
    return kExitOk;
}
