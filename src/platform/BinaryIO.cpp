#include "platform/BinaryIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

void BinaryReader::Require(std::size_t count) const {
    if (count > size_ - pos_) {
        throw ReadError("read of " + std::to_string(count) + " bytes at " + std::to_string(pos_) +
                        " runs past the end (" + std::to_string(size_) + " bytes)");
    }
}

void BinaryReader::Seek(std::size_t pos) {
    if (pos > size_) {
        throw ReadError("seek to " + std::to_string(pos) + " beyond the end (" + std::to_string(size_) + " bytes)");
    }
    pos_ = pos;
}

void BinaryReader::SeekSigned(std::int64_t pos) {
    if (pos < 0) {
        throw ReadError("seek to a negative offset");
    }
    Seek(static_cast<std::size_t>(pos));
}

void BinaryReader::Skip(std::size_t count) {
    Require(count);
    pos_ += count;
}

std::uint8_t BinaryReader::ReadU8() {
    Require(1);
    return data_[pos_++];
}

std::uint16_t BinaryReader::ReadU16() {
    Require(2);
    const std::uint8_t* p = data_ + pos_;
    pos_ += 2;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t BinaryReader::ReadU32() {
    Require(4);
    const std::uint8_t* p = data_ + pos_;
    pos_ += 4;
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

float BinaryReader::ReadF32() { return std::bit_cast<float>(ReadU32()); }

void BinaryReader::ReadInto(void* out, std::size_t count) {
    Require(count);
    if (count != 0) {
        std::memcpy(out, data_ + pos_, count);
    }
    pos_ += count;
}

ByteBuffer BinaryReader::ReadBytes(std::size_t count) {
    Require(count);
    ByteBuffer out(data_ + pos_, data_ + pos_ + count);
    pos_ += count;
    return out;
}

const std::uint8_t* BinaryReader::ReadSpan(std::size_t count) {
    Require(count);
    const std::uint8_t* p = data_ + pos_;
    pos_ += count;
    return p;
}

std::string BinaryReader::ReadText(std::size_t width) {
    const std::uint8_t* p = ReadSpan(width);
    const void* nul = width != 0 ? std::memchr(p, 0, width) : nullptr;
    const std::size_t len = nul != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - p) : width;
    return std::string(reinterpret_cast<const char*>(p), len);
}

std::string BinaryReader::ReadTerminatedText(std::size_t width) {
    Require(width);
    if (width == 0 || std::memchr(data_ + pos_, 0, width) == nullptr) {
        throw ReadError("text field at " + std::to_string(pos_) + " has no terminator");
    }
    return ReadText(width);
}

BinaryReader BinaryReader::Window(std::size_t offset, std::size_t length) const {
    if (offset > size_ || length > size_ - offset) {
        throw ReadError("window [" + std::to_string(offset) + ", +" + std::to_string(length) +
                        ") lies outside " + std::to_string(size_) + " bytes");
    }
    return BinaryReader(data_ + offset, length);
}

BinaryReader BinaryReader::WindowSigned(std::int64_t offset, std::int64_t length) const {
    if (offset < 0 || length < 0) {
        throw ReadError("negative window offset or length");
    }
    return Window(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

std::size_t BinaryReader::CheckCount(std::int64_t count, std::size_t elementSize) const {
    if (count < 0) {
        throw ReadError("negative count " + std::to_string(count));
    }
    const auto n = static_cast<std::uint64_t>(count);
    if (elementSize != 0 && n > Remaining() / elementSize) {
        throw ReadError("count " + std::to_string(count) + " of " + std::to_string(elementSize) +
                        "-byte elements exceeds the " + std::to_string(Remaining()) + " bytes left");
    }
    return static_cast<std::size_t>(n);
}

void BinaryWriter::WriteU16(std::uint16_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void BinaryWriter::WriteU32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void BinaryWriter::WriteF32(float v) { WriteU32(std::bit_cast<std::uint32_t>(v)); }

void BinaryWriter::WriteBytes(const void* data, std::size_t count) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + count);
}

void BinaryWriter::WriteText(std::string_view text, std::size_t width) {
    if (width == 0) {
        return;
    }
    const std::size_t len = std::min(text.size(), width - 1);
    WriteBytes(text.data(), len);
    WriteZeros(width - len);
}

void BinaryWriter::PatchI32(std::size_t offset, std::int32_t v) {
    if (offset + 4 > bytes_.size()) {
        throw std::out_of_range("PatchI32 outside the written bytes");
    }
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) {
        bytes_[offset + i] = static_cast<std::uint8_t>(u >> (8 * i));
    }
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<ByteBuffer> ReadFileRange(const std::string& path, std::uint64_t offset, std::uint64_t length) {
    const auto size = FileSize(path);
    if (!size || offset > *size || length > *size - offset) {
        return std::nullopt;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return std::nullopt;
    }
    ByteBuffer bytes(static_cast<std::size_t>(length));
    bool ok = fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
    if (ok && length != 0) {
        ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    }
    std::fclose(f);
    if (!ok) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<ByteBuffer> ReadWholeFile(const std::string& path) {
    const auto size = FileSize(path);
    if (!size) {
        return std::nullopt;
    }
    return ReadFileRange(path, 0, *size);
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    const auto* p = static_cast<const char*>(data);
    std::size_t left = size;
    bool ok = true;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // mkstemp makes the file private; a saved scene or picture gets the usual mode.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ok = ok && ::fchmod(fd, 0666 & ~mask) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) {
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}
