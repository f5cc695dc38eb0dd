// marovin-cli pak list|tree|extract: what the scene sees inside a game archive.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "media/OpenArchive.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"

namespace {
constexpr const char* kUsage =
    "usage: marovin-cli pak list ARCHIVE\n"
    "       marovin-cli pak tree ARCHIVE\n"
    "       marovin-cli pak extract ARCHIVE [NAME...] [-C DIR]\n"
    "ARCHIVE: a pak, pk3/zip, WAD, a folder, or a game folder (its stack as the game reads it)";

// The archive, or nothing having said why.
std::unique_ptr<Archive> OpenForCommand(const std::string& path) {
    if (!fs_util::FileExists(path) && !fs_util::DirectoryExists(path)) {
        Fail(kExitFailure, "cannot open '" + path + "'");
        return nullptr;
    }
    auto archive = OpenArchive(path);
    if (archive == nullptr) {
        Fail(kExitFailure, "cannot read '" + path + "': not an archive or game folder");
    }
    return archive;
}

void PrintTree(const PakTreeNode& node, int depth) {
    for (const auto& child : node.children) {
        std::printf("%*s%s", depth * 2, "", child->text.c_str());
        if (child->entry != nullptr) {
            std::printf("  [%s]", child->entry->name.c_str());
        }
        std::printf("\n");
        PrintTree(*child, depth + 1);
    }
}

// The archive's problems (entries refused, names stored twice), on stderr: the
// listing itself stays what it was, and the command still succeeds.
void WarnProblems(const Archive& pak) {
    for (const std::string& problem : pak.Problems()) {
        std::fprintf(stderr, "marovin-cli: warning: %s\n", problem.c_str());
    }
}

int Extract(Archive& pak, const std::vector<std::string>& names, const std::string& dir) {
    std::vector<const PakEntry*> chosen;
    int status = kExitOk;
    if (names.empty()) {
        // Every entry a lookup of its name gives: of a name stored twice, the one
        // the scene would read (the first), not the later one written over it.
        for (int i = 0; i < pak.EntryCount(); ++i) {
            if (pak.IsFoundByName(pak.Entry(i))) {
                chosen.push_back(&pak.Entry(i));
            }
        }
    }
    for (const auto& name : names) {
        const PakEntry* entry = pak.FindEntry(name);
        if (entry == nullptr) {
            status = Fail(kExitFailure, "no entry '" + name + "' in '" + pak.Path() + "'");
            continue;
        }
        chosen.push_back(entry);
    }
    for (const PakEntry* entry : chosen) {
        const auto relative = ExtractionPath(entry->name);
        if (!relative) {
            status = Fail(kExitFailure, "refusing to extract '" + entry->name + "': it would leave '" + dir + "'");
            continue;
        }
        const std::string target = dir + "/" + *relative;
        const auto bytes = pak.ReadEntry(*entry);
        const std::string parent = fs_util::DirectoryOf(target);
        std::string error;
        bool written = false;
        if (!bytes) {
            error = "cannot read '" + entry->name + "' from '" + pak.Path() + "'";
        } else if (!parent.empty() && !fs_util::MakeDirectories(parent)) {
            error = "cannot extract '" + entry->name + "': cannot create '" + parent + "'";
        } else {
            written = WriteFileAtomically(target, *bytes, &error);
        }
        if (!written) {
            status = Fail(kExitFailure, error);
            continue;
        }
        std::printf("%s\n", target.c_str());
    }
    return status;
}
}  // namespace

int RunPak(const Args& args) {
    if (args.size() < 2) {
        return Fail(kExitUsage, kUsage);
    }
    const std::string& action = args[0];
    const std::string& path = args[1];
    if (action == "list" || action == "tree") {
        if (args.size() != 2) {
            return Fail(kExitUsage, kUsage);
        }
        const auto pak = OpenForCommand(path);
        if (pak == nullptr) {
            return kExitFailure;
        }
        WarnProblems(*pak);
        if (action == "list") {
            const bool stacked = pak->Kind() == ArchiveKind::Game;
            for (int i = 0; i < pak->EntryCount(); ++i) {
                const PakEntry& entry = pak->Entry(i);
                std::printf("%s\t%d\t%d", entry.name.c_str(), entry.offset, entry.length);
                if (stacked) {
                    // Which source of the game's stack the entry comes from.
                    std::printf("\t%s", pak->OriginOf(entry).source->Path().c_str());
                }
                std::printf("\n");
            }
        } else {
            PakTreeNode root;
            pak->BuildDirectoryTree(root);
            PrintTree(root, 0);
        }
        return kExitOk;
    }
    if (action == "extract") {
        std::vector<std::string> names;
        std::string dir = ".";
        for (std::size_t i = 2; i < args.size(); ++i) {
            if (args[i] == "-C") {
                if (i + 1 >= args.size()) {
                    return Fail(kExitUsage, kUsage);
                }
                dir = args[++i];
            } else {
                names.push_back(args[i]);
            }
        }
        const auto pak = OpenForCommand(path);
        if (pak == nullptr) {
            return kExitFailure;
        }
        if (!fs_util::MakeDirectories(dir)) {
            return Fail(kExitFailure, "cannot create '" + dir + "'");
        }
        WarnProblems(*pak);
        return Extract(*pak, names, dir);
    }
    return Fail(kExitUsage, kUsage);
}
