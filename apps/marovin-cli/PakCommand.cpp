// marovin-cli pak list|tree|extract: what the scene sees inside a game archive.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "media/CPakFile.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"

namespace {
constexpr const char* kUsage =
    "usage: marovin-cli pak list PAK\n"
    "       marovin-cli pak tree PAK\n"
    "       marovin-cli pak extract PAK [NAME...] [-C DIR]";

int OpenPak(const std::string& path, CPakFile& pak) {
    if (!fs_util::FileExists(path)) {
        return Fail(kExitFailure, "cannot open '" + path + "'");
    }
    if (!pak.Open(path)) {
        return Fail(kExitFailure, "cannot read '" + path + "': not a pak archive");
    }
    return kExitOk;
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

// An entry name becomes a path below the target directory only when it cannot
// leave it: no absolute names, no ".." components, nothing empty.
std::optional<std::string> SafeRelativePath(const std::string& name) {
    std::string out;
    std::string component;
    const auto flush = [&]() {
        if (component.empty() || component == ".") {
            component.clear();
            return true;
        }
        if (component == "..") {
            return false;
        }
        out += (out.empty() ? "" : "/") + component;
        component.clear();
        return true;
    };
    if (name.empty() || name[0] == '/' || name[0] == '\\') {
        return std::nullopt;
    }
    for (char c : name) {
        if (c == '/' || c == '\\') {
            if (!flush()) {
                return std::nullopt;
            }
        } else {
            component += c;
        }
    }
    if (!flush() || out.empty()) {
        return std::nullopt;
    }
    return out;
}

int Extract(CPakFile& pak, const std::vector<std::string>& names, const std::string& dir) {
    std::vector<const PakEntry*> chosen;
    int status = kExitOk;
    if (names.empty()) {
        for (int i = 0; i < pak.EntryCount(); ++i) {
            chosen.push_back(&pak.Entry(i));
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
        const auto relative = SafeRelativePath(entry->name);
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
        CPakFile pak;
        if (const int status = OpenPak(path, pak); status != kExitOk) {
            return status;
        }
        if (action == "list") {
            for (int i = 0; i < pak.EntryCount(); ++i) {
                const PakEntry& entry = pak.Entry(i);
                std::printf("%s\t%d\t%d\n", entry.name.c_str(), entry.offset, entry.length);
            }
        } else {
            PakTreeNode root;
            pak.BuildDirectoryTree(root);
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
        CPakFile pak;
        if (const int status = OpenPak(path, pak); status != kExitOk) {
            return status;
        }
        if (!fs_util::MakeDirectories(dir)) {
            return Fail(kExitFailure, "cannot create '" + dir + "'");
        }
        return Extract(pak, names, dir);
    }
    return Fail(kExitUsage, kUsage);
}
