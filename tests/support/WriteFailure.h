#pragma once

// Writes made to fail on purpose, the way a full disk makes them fail, for the
// tests of every writer: what was there must stay byte for byte, and nothing
// else may appear beside it.

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

#include "platform/BinaryIO.h"

// While it lives, a write that would make any file of this process larger than
// `bytes` fails with EFBIG (SIGXFSZ ignored), as on a disk that is full. Only the
// soft limit moves, so the old one comes back afterwards. Tests run as root in CI,
// where permission bits stop nothing; a size limit stops root as well.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        if (::getrlimit(RLIMIT_FSIZE, &previous_) != 0) {
            throw std::runtime_error("cannot read the file size limit");
        }
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = previous_;
        lowered.rlim_cur = bytes;
        if (::setrlimit(RLIMIT_FSIZE, &lowered) != 0) {
            std::signal(SIGXFSZ, previousHandler_);
            throw std::runtime_error("cannot lower the file size limit");
        }
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

// Everything below `dir` by its path relative to it: a file with its bytes, a
// folder with a "/" after its name. To compare a folder before and after a
// write that failed.
inline std::map<std::string, ByteBuffer> FolderContents(const std::string& dir) {
    std::map<std::string, ByteBuffer> contents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        const std::string relative = std::filesystem::relative(entry.path(), dir).string();
        if (entry.is_directory()) {
            contents[relative + "/"] = {};
        } else {
            contents[relative] = ReadWholeFile(entry.path().string()).value_or(ByteBuffer{});
        }
    }
    return contents;
}
