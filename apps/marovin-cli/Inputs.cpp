// What "render" and "export" share: their command lines, and opening their
// inputs (scenes, paks, models and entries of the paks opened before them) the
// way the program opens them.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "Commands.h"
#include "media/Archive.h"
#include "platform/FileSystem.h"
#include "render/HeadlessView.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"

namespace {
bool HeldByAPak(const COGLScene& scene, const std::string& name) {
    for (int position = 0; position < scene.PakCount(); ++position) {
        const Archive* pak = scene.PakAt(position);
        if (pak != nullptr && pak->FindEntry(name) != nullptr) {
            return true;
        }
    }
    return false;
}
}  // namespace

int OpenInputs(COGLDoc& document, const std::vector<std::string>& inputs, std::vector<COGLObject*>& models,
               bool* mapOpened) {
    COGLScene& scene = *document.Scene();
    bool mapAmongInputs = false;
    for (const std::string& input : inputs) {
        const SceneBackdrop* before = scene.Backdrop();
        const std::string path = fs_util::ResolvePath(input);
        OpenFileResult result;
        if (fs_util::FileExists(path) || fs_util::DirectoryExists(path)) {
            result = document.OpenFile(path);
        } else {
            // Not on disk: an entry of an archive or game folder opened by an earlier input.
            result = document.OpenPakEntry(input);
            if (result.kind == OpenedKind::Nothing) {
                return Fail(kExitFailure, "cannot open '" + input + "': " +
                                              (HeldByAPak(scene, input)
                                                   ? "an archive holds it, but it is not a model the program opens"
                                                   : "no such file, and no archive opened before it holds it"));
            }
        }
        if (result.kind == OpenedKind::Nothing) {
            return Fail(kExitFailure, "cannot open '" + input + "': not a scene, pak or model file");
        }
        if (!result.succeeded) {
            return Fail(kExitFailure, "cannot open '" + input + "'");
        }
        if (result.kind == OpenedKind::Scene) {
            models.clear();  // the scene replaced everything
            mapAmongInputs = false;
        } else if (scene.Backdrop() != before) {
            mapAmongInputs = scene.Backdrop() != nullptr;
        } else if (result.kind == OpenedKind::Model && scene.Selected() != nullptr &&
                   std::find(models.begin(), models.end(), scene.Selected()) == models.end()) {
            models.push_back(scene.Selected());
        }
    }
    if (mapOpened != nullptr) {
        *mapOpened = mapAmongInputs;
    }
    return kExitOk;
}

int ParseCommandLine(const Args& args, const char* usage, const std::function<std::string()>& parse) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::printf("%s\n", usage);
        return kExitOk;
    }
    if (const std::string error = parse(); !error.empty()) {
        std::fprintf(stderr, "%s\n", usage);
        return Fail(kExitUsage, error);
    }
    return -1;
}

std::string MissingInputOrOutput(const std::vector<std::string>& inputs, const std::string& output,
                                 const std::string& noInput, const std::string& noOutput) {
    if (inputs.empty()) {
        return noInput;
    }
    if (output.empty()) {
        return noOutput;
    }
    return {};
}

std::unique_ptr<HeadlessView> StartCommandView(int width, int height) {
    std::string error;
    std::string warning;
    auto headless = StartHeadlessView(width, height, &error, &warning);
    if (!headless) {
        Fail(kExitFailure, error);
        return nullptr;
    }
    if (!warning.empty()) {
        // Only the orthographic panes' texts need the font.
        std::fprintf(stderr, "marovin-cli: %s\n", warning.c_str());
    }
    return headless;
}

std::optional<int> ParseInt(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int value = std::atoi(text.c_str());
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

bool ParseSize(const std::string& text, int maximum, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) {
        return false;
    }
    const auto w = ParseInt(text.substr(0, x), 1, maximum);
    const auto h = ParseInt(text.substr(x + 1), 1, maximum);
    if (!w || !h) {
        return false;
    }
    width = *w;
    height = *h;
    return true;
}
