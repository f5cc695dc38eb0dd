// Opens arbitrary bytes as a pak archive, then looks up, reads and lists every entry.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzSupport.h"
#include "media/CPakFile.h"

namespace {
// The archive reader works on files: each input is written to one scratch file.
const std::string& ScratchPath() {
    static const std::string path = [] {
        std::string pattern = "/tmp/marovin-fuzz-pak-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd >= 0) {
            ::close(fd);
        }
        return pattern;
    }();
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) {
        return 0;
    }
    CPakFile pak;
    if (pak.Open(ScratchPath())) {
        for (int i = 0; i < pak.EntryCount(); ++i) {
            const PakEntry& entry = pak.Entry(i);
            pak.FindEntry(entry.name);
            pak.ReadEntry(entry);
            pak.IsSelectableMdl(entry);
        }
        PakTreeNode root;
        pak.BuildDirectoryTree(root);
    }
    return 0;
}
