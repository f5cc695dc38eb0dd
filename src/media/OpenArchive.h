#pragma once

#include <memory>
#include <string>

#include "media/Archive.h"

// Opens whatever `path` is: a folder as a game folder when it is one (or holds one,
// or is a mod beside one), else as a plain folder; a file as OpenArchiveFile does.
// Nothing, silently, when the path does not exist.
std::unique_ptr<Archive> OpenArchive(const std::string& path);
