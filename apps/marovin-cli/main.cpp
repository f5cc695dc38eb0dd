#include <cstdio>
#include <cstring>
#include <string>

#include "Commands.h"
#include "media/ZipArchive.h"
#include "maps/MapOpen.h"
#include "models/ModelFamilies.h"
#include "platform/Host.h"
#include "platform/Version.h"

namespace {
struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {"info", "info FILE|FOLDER     print what the program sees in FILE (or a game folder's stack), as JSON",
     RunInfo},
    {"info", "info ARCHIVE|FOLDER --players  the players a game (or an archive) holds, with their skins, weapons "
             "and flag, as JSON", RunInfo},
    {"info", "info [GAME|ARCHIVE...] MAP.bsp  a map's faces, textures, entities and starts, and the pictures "
             "the game (given before it, or the game folder it lies in) lacks, as JSON", RunInfo},
    {"pak", "pak list|tree ARCHIVE  list an archive's (pak, pk3, WAD, folder, game folder) entries, or the "
            "tree the scene page shows", RunPak},
    {"pak", "pak extract ARCHIVE [NAME...] [-C DIR]  write entries (all by default) below DIR", RunPak},
    {"image", "image IN|ARCHIVE NAME -o OUT.png [--resize] [--default-palette]  write the pixels a texture "
              "uploads", RunImage},
    {"resave", "resave IN.dv OUT.dv  load a scene file and save it again", RunResave},
    {"render", "render [OPTIONS] INPUT... -o OUT.png|.bmp|.jpg  render scenes, archives, game folders and "
               "models (files, or names inside the archives before them) to a picture "
               "(render --help for the options)", RunRender},
    {"animate", "animate INPUT... -o OUT.gif|.webp|.png|.apng|.mp4|.webm [--turntable DEGREES] [--frames N] "
                "[--fps F] [--size WxH] [--animation NAME] [--transparent] [--quality Q] [--dither]  a turntable "
                "or one loop of a model's animation as a moving picture (animate --help)", RunAnimate},
    {"export", "export INPUT... -o OUT.glb|OUT.gltf [--animation NAME] [--skin N] [--scene]  write the model "
               "(or the whole scene) as glTF 2.0 (export --help)", RunExport},
    {"thumbnail", "thumbnail [-s SIZE] INPUT|ARCHIVE NAME OUT.png  a model, sprite or picture framed on a "
                  "transparent square, as file managers ask of a thumbnailer", RunThumbnail},
    {"sheet", "sheet ARCHIVE-OR-FOLDER -o SHEET.png [--filter TEXT] [--columns N] [-s SIZE]  the thumbnails of "
              "everything an archive lists, in a grid with their names", RunSheet},
    {"thumbnail-worker", "thumbnail-worker  answer thumbnail requests on stdin (one a line) on stdout, for the "
                         "window's browser", RunThumbnailWorkerCommand},
};

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: marovin-cli [--version] [--help] COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto& command : kCommands) {
        std::fprintf(out, "  %s\n", command.usage);
    }
}
}  // namespace

int Fail(int code, const std::string& text) {
    std::fprintf(stderr, "marovin-cli: %s\n", text.c_str());
    return code;
}

int main(int argc, char** argv) {
    // Before any thread: a pk3's thousands of entry dates convert without re-reading the zone each time.
    ZipArchive::PinTimeZone();
    if (argc < 2) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string first = argv[1];
    if (first == "--version" || first == "-V") {
        std::printf("marovin-cli %s\n", marovin::kVersion);
        return kExitOk;
    }
    if (first == "--help" || first == "-h" || first == "help") {
        PrintUsage(stdout);
        return kExitOk;
    }
    // Scenes hold models, so every command knows the model classes.
    RegisterModelClasses();
    RegisterMapOpeners();
    for (const auto& command : kCommands) {
        if (first == command.name) {
            return command.run(Args(argv + 2, argv + argc));
        }
    }
    PrintUsage(stderr);
    return Fail(kExitUsage, "unknown command '" + first + "'");
}
