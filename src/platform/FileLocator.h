#pragma once

#include <string>
#include <utility>

// The missing-file check used while a scene file loads: a path saved on another
// machine is tried as written, then by its file name beside the scene file, and
// finally the user is asked to find it (through the host's file prompt).
class FileLocator {
public:
    // What is being looked for; decides the prompt's label and filter.
    // A Folder (a game folder in the scene's archive list) is asked for as a folder.
    enum Kind { Pak = 0, Background = 1, Texture = 2, Md2 = 3, Skin = 4, Mdl = 6, Folder = 7, Other = 99 };

    explicit FileLocator(std::string sceneDirectory) : sceneDirectory_(std::move(sceneDirectory)) {}

    // True when `path` (possibly replaced) names a readable file (a folder for Folder).
    bool Locate(std::string& path, int kind) const;

    static const char* LabelOf(int kind);
    static const char* FilterOf(int kind);
    const std::string& SceneDirectory() const { return sceneDirectory_; }

private:
    std::string sceneDirectory_;
};
