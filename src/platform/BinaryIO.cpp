#include "platform/BinaryIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>

#include "platform/Messages.h"

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

namespace {
thread_local FileReadLog* readLog = nullptr;
}  // namespace

FileReadLog::FileReadLog() : outer_(readLog) { readLog = this; }

FileReadLog::~FileReadLog() { readLog = outer_; }

void NoteFileRead(const std::string& path, bool withFolder) {
    if (readLog == nullptr) {
        return;
    }
    readLog->Note(path);
    const std::size_t slash = path.rfind('/');
    if (withFolder && slash != std::string::npos) {
        readLog->Note(path.substr(0, slash + 1));
    }
}

std::optional<ByteBuffer> ReadFileRange(const std::string& path, std::uint64_t offset, std::uint64_t length) {
    NoteFileRead(path, true);
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

namespace {
std::string CannotWrite(const char* what, const std::string& path, int code) {
    return std::string("cannot ") + what + " '" + path + "': " + std::system_category().message(code);
}

// Creates a file of a name no one else holds beside `path`. open() with O_EXCL
// rather than mkstemp, so that the new file gets the mode of new files (umask
// applied) without reading the process-wide umask.
int CreateBeside(const std::string& path, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// Where a write to `path` lands: the file itself, or, for a symbolic link, the file
// it leads to (through every link of a chain; a link to nothing leads to the name
// it holds, which the write creates). Nothing, with errno set, for a chain that
// does not end (ELOOP) or a link that cannot be read.
std::optional<std::string> WriteTarget(const std::string& path) {
    constexpr int kMaxLinks = 40;  // as the kernel's own limit
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;  // a file, a name that is free, or something the write reports
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(n) >= target.size()) {
            errno = ENAMETOOLONG;
            return std::nullopt;
        }
        target.resize(static_cast<std::size_t>(n));
        if (target.empty() || target[0] != '/') {
            // Relative to the folder holding the link.
            const std::size_t slash = current.find_last_of('/');
            target = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + target;
        }
        current = std::move(target);
    }
    errno = ELOOP;
    return std::nullopt;
}

// The folder holding `path`, for its fsync: "." for a bare name.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a rename in `folder` durable. A file system that cannot sync a folder
// (EINVAL, ENOTSUP) has nothing more to do; any other failure is reported.
int SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    int failure = ::fsync(fd) == 0 ? 0 : errno;
    if (failure == EINVAL || failure == ENOTSUP || failure == EOPNOTSUPP) {
        failure = 0;
    }
    ::close(fd);
    return failure;
}

// Writes all of `bytes` to `fd`; 0 or the errno of the failure.
int WriteAll(int fd, const std::uint8_t* p, std::size_t left) {
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n > 0) {
            p += n;
            left -= static_cast<std::size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            return n == 0 ? EIO : errno;
        }
    }
    return 0;
}

// Gives the temporary the mode of the file it replaces, puts it on disk and
// closes it; 0 or the errno of the first failure (`failure` when one came before).
int FinishBeside(int fd, const std::string& path, int failure) {
    struct stat previous {};
    if (failure == 0 && ::stat(path.c_str(), &previous) == 0 && S_ISREG(previous.st_mode) &&
        ::fchmod(fd, previous.st_mode & 07777) != 0) {
        failure = errno;
    }
    if (failure == 0 && ::fsync(fd) != 0) {
        failure = errno;
    }
    if (::close(fd) != 0 && failure == 0) {
        failure = errno;
    }
    return failure;
}

// Writes `bytes` to a new temporary file beside `path` and returns its name, or
// nothing with `error` set (naming `shown`, the name the caller asked for) and no
// file left.
std::optional<std::string> WriteBeside(const std::string& path, const std::string& shown,
                                       std::span<const std::uint8_t> bytes, std::string& error) {
    std::string temporary;
    const int fd = CreateBeside(path, temporary);
    if (fd < 0) {
        error = CannotWrite("write", shown, errno);
        return std::nullopt;
    }
    const int failure = FinishBeside(fd, path, WriteAll(fd, bytes.data(), bytes.size()));
    if (failure != 0) {
        ::unlink(temporary.c_str());
        error = CannotWrite("write", shown, failure);
        return std::nullopt;
    }
    return temporary;
}

// Where a write to `path` goes (see WriteTarget), or nothing with `error` set: a
// chain of links that does not end, or a file that may not be written (no write
// permission for anyone, or none for this user), which is refused rather than
// replaced though its folder would let a rename take its name.
std::optional<std::string> WritableTarget(const std::string& path, std::string& error) {
    const auto target = WriteTarget(path);
    if (!target) {
        error = CannotWrite("write", path, errno);
        return std::nullopt;
    }
    struct stat existing {};
    if (::stat(target->c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target->c_str(), W_OK) != 0)) {
        error = FormatMessage(msg::kFileReadOnly, path);
        return std::nullopt;
    }
    return target;
}
}  // namespace

bool WriteFilesAtomically(const std::vector<FileContents>& files, std::string* error) {
    std::string why;
    const auto fail = [&](const std::vector<std::string>& temporaries) {
        for (const std::string& written : temporaries) {
            ::unlink(written.c_str());
        }
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };
    // Each name is written where it leads: a link keeps being a link, and the file
    // it points to gets the new bytes. A file that may not be written (no write
    // permission for anyone, or none for this user) is refused, not replaced, even
    // though its folder would let a rename take its name.
    std::vector<std::string> targets;
    targets.reserve(files.size());
    for (const FileContents& file : files) {
        const auto target = WritableTarget(file.path, why);
        if (!target) {
            return fail({});
        }
        targets.push_back(*target);
    }
    std::vector<std::string> temporaries;
    for (std::size_t i = 0; i < files.size(); ++i) {
        auto temporary = WriteBeside(targets[i], files[i].path, files[i].bytes, why);
        if (!temporary) {
            return fail(temporaries);
        }
        temporaries.push_back(std::move(*temporary));
    }
    bool replacedAny = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        struct stat existing {};
        const bool replaces = ::lstat(targets[i].c_str(), &existing) == 0;
        if (::rename(temporaries[i].c_str(), targets[i].c_str()) != 0) {
            why = CannotWrite("replace", files[i].path, errno);
            for (std::size_t j = i; j < files.size(); ++j) {
                ::unlink(temporaries[j].c_str());
            }
            for (std::size_t j = 0; j < i && !replacedAny; ++j) {
                ::unlink(targets[j].c_str());
            }
            if (error != nullptr) {
                *error = why;
            }
            return false;
        }
        replacedAny = replacedAny || replaces;
    }
    // The renames are on disk only once their folders are: each folder synced once.
    std::vector<std::pair<std::string, const std::string*>> folders;  // and the first file written there
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string folder = FolderOf(targets[i]);
        if (std::none_of(folders.begin(), folders.end(), [&](const auto& each) { return each.first == folder; })) {
            folders.emplace_back(std::move(folder), &files[i].path);
        }
    }
    for (const auto& [folder, file] : folders) {
        if (const int failure = SyncFolder(folder); failure != 0) {
            why = CannotWrite("write", *file, failure);
            if (error != nullptr) {
                *error = why;
            }
            return false;
        }
    }
    return true;
}

AtomicFileStream::~AtomicFileStream() { Abandon(); }

bool AtomicFileStream::Open(const std::string& path, std::string* error) {
    Abandon();
    shown_ = path;
    std::string why;
    const auto target = WritableTarget(path, why);
    if (!target) {
        failure_ = EACCES;
        if (error != nullptr) {
            *error = why;
        }
        return false;
    }
    path_ = *target;
    fd_ = CreateBeside(path_, temporary_);
    if (fd_ < 0) {
        temporary_.clear();
        failure_ = errno;
        if (error != nullptr) {
            *error = CannotWrite("write", shown_, failure_);
        }
        return false;
    }
    failure_ = 0;
    return true;
}

bool AtomicFileStream::Write(const void* data, std::size_t size) {
    if (fd_ < 0 || failure_ != 0) {
        return false;
    }
    failure_ = WriteAll(fd_, static_cast<const std::uint8_t*>(data), size);
    return failure_ == 0;
}

bool AtomicFileStream::Close(std::string* error) {
    if (fd_ >= 0) {
        failure_ = FinishBeside(fd_, path_, failure_);
        fd_ = -1;
    }
    if (failure_ != 0 || temporary_.empty()) {
        if (error != nullptr) {
            *error = CannotWrite("write", shown_, failure_ != 0 ? failure_ : EBADF);
        }
        Abandon();
        return false;
    }
    return true;
}

bool AtomicFileStream::Commit(std::string* error) {
    if (!Close(error)) {
        return false;
    }
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        if (error != nullptr) {
            *error = CannotWrite("replace", shown_, errno);
        }
        Abandon();
        return false;
    }
    temporary_.clear();
    if (const int failure = SyncFolder(FolderOf(path_)); failure != 0) {
        if (error != nullptr) {
            *error = CannotWrite("write", shown_, failure);
        }
        return false;
    }
    return true;
}

void AtomicFileStream::Abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}
