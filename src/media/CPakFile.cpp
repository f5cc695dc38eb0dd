// Placeholder until the archive reader lands: every archive fails to open.
#include "media/CPakFile.h"

CPakFile::~CPakFile() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    }
}

bool CPakFile::Open(const std::string& path) {
    path_ = path;
    return false;
}

const PakEntry* CPakFile::FindEntry(const std::string& /*name*/) const { return nullptr; }

std::FILE* CPakFile::OpenStream() { return nullptr; }

void CPakFile::CloseStream(std::FILE* /*stream*/) {}

std::optional<ByteBuffer> CPakFile::ReadEntry(const PakEntry& /*entry*/) { return std::nullopt; }

void CPakFile::BuildDirectoryTree(PakTreeNode& /*root*/) {}

bool CPakFile::IsSelectableMdl(const PakEntry& /*entry*/) { return false; }
