// marovin-cli thumbnail, sheet and thumbnail-worker: pictures of models, sprites
// and pictures for file managers, mod pages and the window's browser.
#include <cstdio>
#include <optional>
#include <string>

#include "Commands.h"
#include "media/PngFile.h"
#include "platform/FileSystem.h"
#include "render/ContactSheet.h"
#include "render/ThumbnailCache.h"
#include "render/ThumbnailWorker.h"

namespace {
constexpr const char* kThumbnailUsage =
    "usage: marovin-cli thumbnail [-s SIZE] [Half-Life options] INPUT OUT.png\n"
    "       marovin-cli thumbnail [-s SIZE] [Half-Life options] ARCHIVE NAME OUT.png\n"
    "  A model, sprite or picture framed on a transparent SIZE x SIZE square (default 128, 16 to 1024),\n"
    "  as file managers ask of a thumbnailer. Of a Half-Life model:\n";
constexpr const char* kSheetUsage =
    "usage: marovin-cli sheet ARCHIVE-OR-FOLDER -o SHEET.png [--filter TEXT] [--columns N] [-s SIZE]\n"
    "  The thumbnails of every model, sprite and picture the archive lists, in a grid with their names.\n"
    "  --filter TEXT  only entries whose path holds TEXT (any case)\n"
    "  --columns N    thumbnails in a row (default 8)\n"
    "  -s SIZE        edge of one thumbnail (default 128, 16 to 1024)";
constexpr int kMostColumns = 256;

std::optional<int> WholeNumber(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int value = std::stoi(text);
    return value >= low && value <= high ? std::optional<int>(value) : std::nullopt;
}

std::string SizeError() {
    return "-s takes a size of " + std::to_string(kThumbnailSmallest) + " to " + std::to_string(kThumbnailLargest);
}
}  // namespace

int RunThumbnail(const Args& args) {
    ThumbnailRequest request;
    std::vector<std::string> positional;
    const auto parse = [&]() -> std::string {
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "-s" || args[i] == "--size") {
                const auto size = i + 1 < args.size() ? WholeNumber(args[i + 1], kThumbnailSmallest, kThumbnailLargest)
                                                      : std::nullopt;
                if (!size) {
                    return SizeError();
                }
                request.size = *size;
                ++i;
            } else if (const std::optional<std::string> wrong = ParseHalfLifeOption(args, i, request.studioPose)) {
                if (!wrong->empty()) {
                    return *wrong;
                }
            } else if (args[i] == "--skin") {
                const auto family = i + 1 < args.size() ? ParseSkinFamily(args[i + 1]) : std::nullopt;
                if (!family) {
                    return "--skin takes a skin family number (0 the first)";
                }
                request.studioPose.skinFamily = *family;
                ++i;
            } else if (args[i].size() > 1 && args[i][0] == '-') {
                return "unknown option '" + args[i] + "'";
            } else {
                positional.push_back(args[i]);
            }
        }
        return positional.size() == 2 || positional.size() == 3 ? std::string()
                                                                : "give an input (or an archive and a name) and an output";
    };
    const std::string usage = std::string(kThumbnailUsage) + kHalfLifeOptionsUsage;
    if (const int exit = ParseCommandLine(args, usage.c_str(), parse); exit >= 0) {
        return exit;
    }
    if (positional.size() == 3) {
        request.archive = positional[0];
    }
    request.name = positional[positional.size() - 2];
    const std::string& output = positional.back();
    const std::string& source = positional.front();
    const std::string resolved = fs_util::ResolvePath(source);
    if (!fs_util::FileExists(resolved) && !(positional.size() == 3 && fs_util::DirectoryExists(resolved))) {
        return Fail(kExitFailure, "cannot open '" + source + "'");
    }

    // Without a cache folder (a sandbox may give none) every thumbnail is drawn.
    Thumbnailer thumbnailer(DefaultThumbnailDirectory());
    const Thumbnailer::Result thumbnail = thumbnailer.Get(request);
    if (!thumbnail.ok) {
        return Fail(kExitFailure, "cannot draw '" + request.name + "': " + thumbnail.reason);
    }
    std::string error;
    if (!WritePng(output, thumbnail.picture, &error)) {
        return Fail(kExitFailure, error);
    }
    return kExitOk;
}

int RunSheet(const Args& args) {
    ContactSheetOptions options;
    std::string input;
    std::string output;
    const auto parse = [&]() -> std::string {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            const bool takesValue = arg == "-o" || arg == "--filter" || arg == "--columns" || arg == "-s" || arg == "--size";
            if (takesValue && i + 1 >= args.size()) {
                return arg + " needs a value";
            }
            if (arg == "-o") {
                output = args[++i];
            } else if (arg == "--filter") {
                options.filter = args[++i];
            } else if (arg == "--columns") {
                const auto columns = WholeNumber(args[++i], 1, kMostColumns);
                if (!columns) {
                    return "--columns takes 1 to " + std::to_string(kMostColumns);
                }
                options.columns = *columns;
            } else if (arg == "-s" || arg == "--size") {
                const auto size = WholeNumber(args[++i], kThumbnailSmallest, kThumbnailLargest);
                if (!size) {
                    return SizeError();
                }
                options.size = *size;
            } else if (arg.size() > 1 && arg[0] == '-') {
                return "unknown option '" + arg + "'";
            } else if (input.empty()) {
                input = arg;
            } else {
                return "one archive or folder only";
            }
        }
        if (const std::string missing =
                MissingInputOrOutput(input.empty() ? std::vector<std::string>{} : std::vector<std::string>{input},
                                     output, "no archive or folder", "no output picture (-o SHEET.png)");
            !missing.empty()) {
            return missing;
        }
        return fs_util::ToLower(fs_util::ExtensionOf(output)) == "png" ? std::string()
                                                                      : "the sheet is a PNG picture (-o SHEET.png)";
    };
    if (const int exit = ParseCommandLine(args, kSheetUsage, parse); exit >= 0) {
        return exit;
    }

    Thumbnailer thumbnailer(DefaultThumbnailDirectory());
    std::string reason;
    const std::optional<ContactSheet> sheet = MakeContactSheet(thumbnailer, input, options, reason);
    if (!sheet) {
        return Fail(kExitFailure, reason);
    }
    for (const ContactSheet::Failure& failure : sheet->failures) {
        std::fprintf(stderr, "marovin-cli: %s: %s\n", failure.name.c_str(), failure.reason.c_str());
    }
    if (!sheet->labelProblem.empty()) {
        std::fprintf(stderr, "marovin-cli: the names are left out: %s\n", sheet->labelProblem.c_str());
    }
    std::string error;
    if (!WritePng(output, sheet->picture, &error)) {
        return Fail(kExitFailure, error);
    }
    return kExitOk;
}

int RunThumbnailWorkerCommand(const Args& args) {
    if (!args.empty()) {
        std::printf("usage: marovin-cli thumbnail-worker  (requests on stdin, answers on stdout)\n");
        return args.size() == 1 && (args[0] == "--help" || args[0] == "-h") ? kExitOk : kExitUsage;
    }
    LimitWorkerMemory();
    return RunThumbnailWorker(stdin, stdout);
}
