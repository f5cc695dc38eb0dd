#include "media/OpenArchive.h"

#include <filesystem>
#include <system_error>

#include "media/ArchiveFile.h"
#include "media/FolderArchive.h"
#include "media/GameFolder.h"

std::unique_ptr<Archive> OpenArchive(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) {
        return nullptr;
    }
    if (std::filesystem::is_directory(status)) {
        if (GameFolder::Detect(path)) {
            return OpenArchiveAs<GameFolder>(path);
        }
        return OpenArchiveAs<FolderArchive>(path);
    }
    return OpenArchiveFile(path);
}
