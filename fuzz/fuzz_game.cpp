// Writes a small tree of files (see FileListInput.h) into a scratch folder, opens a
// folder of it as the program opens a folder (a game folder when it is one: its
// paks, zips, WADs and loose files stacked), then finds, reads and lists every
// entry through the stack.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FileListInput.h"
#include "FuzzSupport.h"
#include "media/OpenArchive.h"

namespace {
// The tree's root sits alone in a folder of its own, so that nothing beside it
// (a "baseq2" in /tmp, say) can make the root a mod of some other game.
const std::string& ScratchFolder() {
    static const Scratch scratch("game", Scratch::Kind::Folder);
    static const std::string folder = [] {
        if (scratch.Path().empty()) {
            return std::string();
        }
        std::error_code error;
        std::filesystem::create_directory(scratch.Path() + "/tree", error);
        return error ? std::string() : scratch.Path() + "/tree";
    }();
    return folder;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    const std::string& root = ScratchFolder();
    if (root.empty()) {
        return 0;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    for (const auto& child : fs::directory_iterator(root, error)) {
        fs::remove_all(child.path(), error);
    }
    const file_list::Tree tree = file_list::Decode(data, size);
    for (const auto& [name, bytes] : tree.files) {
        const auto relative = ExtractionPath(name);
        if (!relative) {
            continue;
        }
        const fs::path target = fs::path(root) / *relative;
        fs::create_directories(target.parent_path(), error);
        // A path that clashes with a folder (or a file used as one) is skipped.
        if (!error) {
            WriteScratchFile(target.string(), bytes.data(), bytes.size());
        }
    }
    std::string folder = root;
    if (!tree.open.empty()) {
        const auto relative = ExtractionPath(tree.open);
        if (!relative) {
            return 0;
        }
        folder += "/" + *relative;
    }
    if (auto archive = OpenArchive(folder)) {
        ExerciseArchive(*archive);
    }
    return 0;
}
