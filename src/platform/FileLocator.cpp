#include "platform/FileLocator.h"

#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"

const char* FileLocator::LabelOf(int kind) {
    switch (kind) {
        case Pak: return "This PAK file";
        case Background: return "BACKGROUND";
        case Texture: return "This TEXTURE";
        case Md2: return "This MD2 file";
        case Skin: return "This SKIN file";
        case Mdl: return "This MDL file";
        case Folder: return "This folder";
        default: return "This file";
    }
}

const char* FileLocator::FilterOf(int kind) {
    switch (kind) {
        case Pak: return filters::kArchives;
        case Background:
        case Texture:
        case Skin: return filters::kTexture;
        case Md2: return filters::kMd2;
        case Mdl: return filters::kMdl;
        default: return filters::kAll;
    }
}

namespace {
// Where a folder dialog starts for a folder that is gone: the nearest folder above
// it that is still there, so the user begins beside where the game used to be.
std::string NearestFolderOf(const std::string& path) {
    std::string folder = fs_util::ResolvePath(path);
    while (!folder.empty() && !fs_util::DirectoryExists(folder)) {
        while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) {
            folder.pop_back();
        }
        const std::string up = fs_util::DirectoryOf(folder);
        if (up.empty() || up.size() >= folder.size()) {
            return {};
        }
        folder = up;
    }
    return folder;
}
}  // namespace

bool FileLocator::Locate(std::string& path, int kind) const {
    // The scene's archives may be whole folders: a game folder, or loose files.
    const auto there = [kind](const std::string& candidate) {
        if (kind == Folder) {
            return fs_util::DirectoryExists(candidate);
        }
        return fs_util::FileExists(candidate) || (kind == Pak && fs_util::DirectoryExists(candidate));
    };
    if (!path.empty()) {
        const std::string resolved = fs_util::ResolvePath(path);
        if (there(resolved)) {
            path = resolved;
            return true;
        }
        const std::string beside = fs_util::ResolvePath(sceneDirectory_ + fs_util::FileNameOf(path));
        if (!sceneDirectory_.empty() && !fs_util::FileNameOf(path).empty() && there(beside)) {
            path = beside;
            return true;
        }
    }
    const std::string title = std::string(LabelOf(kind)) + msg::kCannotBeLocated.text;
    auto chosen = kind == Folder ? GetHost().PromptForFolder(title, NearestFolderOf(path))
                                 : GetHost().PromptForFile(title, FilterOf(kind), path);
    if (chosen && kind == Folder && !fs_util::DirectoryExists(*chosen)) {
        return false;
    }
    if (!chosen || chosen->empty()) {
        return false;
    }
    path = *chosen;
    return true;
}
