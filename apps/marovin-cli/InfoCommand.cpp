#include <cstdio>

#include "Commands.h"
#include "Json.h"
#include "media/Archive.h"
#include "media/ArchiveFile.h"
#include "models/ModelOpen.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"

int RunInfo(const Args& args) {
    if (args.size() == 2 && (args[0] == "--players" || args[1] == "--players")) {
        return RunInfoPlayers(args[0] == "--players" ? args[1] : args[0]);
    }
    if (!args.empty() && IsMapPath(args.back())) {
        return RunMapInfo(args);
    }
    if (args.size() != 1) {
        return Fail(kExitUsage, "usage: marovin-cli info FILE | info ARCHIVE-OR-GAME-FOLDER --players | "
                                "info [GAME-FOLDER-OR-ARCHIVE...] MAP.bsp");
    }
    const std::string& path = args[0];
    if (fs_util::DirectoryExists(path)) {
        return RunInfoArchive(path);  // a game folder, or a folder of loose files
    }
    if (!fs_util::FileExists(path)) {
        return Fail(kExitFailure, "cannot open '" + path + "'");
    }
    const std::string ext = fs_util::ToLower(fs_util::ExtensionOf(path));
    if (IsImageExtension(ext)) {
        return RunInfoImage(path);
    }
    if (IsArchiveExtension(ext)) {
        return RunInfoArchive(path);
    }
    if (ext == "dv") {
        return RunSceneInfo(path);
    }
    if (ext == "md2") {
        return RunModelInfo(path);
    }
    if (ext == "def") {
        return RunSinInfo(path);
    }
    if (ext == "sp2" || ext == "spr") {
        return RunSpriteInfo(path);
    }
    if (ext == "mdl") {
        const auto head = ReadFileRange(path, 0, 4);
        return MdlFamilyOf(head ? head->data() : nullptr, head ? head->size() : 0) == MdlFamily::Quake
                   ? RunMdlInfo(path)
                   : RunHalfLifeInfo(path);
    }
    return Fail(kExitFailure, "cannot read '" + path + "': no reader for " +
                                  (ext.empty() ? std::string("files without an extension") : "\"." + ext + "\" files"));
}
