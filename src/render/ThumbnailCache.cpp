#include "render/ThumbnailCache.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"

namespace {
constexpr const char* kPngExtension = ".png";
constexpr const char* kFactsExtension = ".json";

std::uint64_t Fnv1a(const std::string& text, std::uint64_t hash) {
    for (const unsigned char c : text) {
        hash = (hash ^ c) * 0x100000001b3ull;
    }
    return hash;
}

// The absolute path, however it was written, so that one source has one key.
std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(fs_util::ResolvePath(path), error);
    return error ? path : absolute.lexically_normal().string();
}

// The number after "tiles": in facts we wrote; nothing when it is not there.
std::optional<int> TilesOf(const std::string& facts) {
    const std::string field = "\"tiles\":";
    const std::size_t at = facts.rfind(field);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    char* end = nullptr;
    const long tiles = std::strtol(facts.c_str() + at + field.size(), &end, 10);
    if (end == nullptr || *end != '}' || tiles < 1 || tiles > kThumbnailWidestStrip / kThumbnailSmallest) {
        return std::nullopt;
    }
    return static_cast<int>(tiles);
}
}  // namespace

std::string DefaultThumbnailDirectory() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') {
        return std::string(cache) + "/marovin/thumbnails/";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.cache/marovin/thumbnails/";
    }
    return {};
}

bool ThumbnailCache::Usable() {
    if (!usable_) {
        usable_ = !directory_.empty() && fs_util::MakeDirectories(directory_) &&
                  fs_util::IsWritableDirectory(directory_);
    }
    return *usable_;
}

std::optional<std::string> ThumbnailCache::KeyOf(const ThumbnailRequest& request) {
    const bool inArchive = !request.archive.empty();
    const std::string source = AbsolutePath(inArchive ? request.archive : request.name);
    std::optional<std::string> stamp = SourceStamp(source);
    if (!stamp) {
        return std::nullopt;
    }
    if (inArchive) {
        // A folder's loose file can change without its folder noticing.
        if (const auto entryStamp = SourceStamp(source + "/" + request.name);
            entryStamp && std::filesystem::is_directory(source)) {
            *stamp += "|" + *entryStamp;
        }
    }
    const std::string key = "marovin thumbnail " + std::to_string(kThumbnailFormatVersion) + "\n" + source + "\n" +
                            *stamp + "\n" + (inArchive ? request.name : std::string()) + "\n" +
                            std::to_string(request.size) + "\n" + std::to_string(request.frames);
    char name[33];
    std::snprintf(name, sizeof name, "%016llx%016llx",
                  static_cast<unsigned long long>(Fnv1a(key, 0xcbf29ce484222325ull)),
                  static_cast<unsigned long long>(Fnv1a(key, 0x84222325cbf29ce4ull)));
    return std::string(name);
}

std::optional<ThumbnailCache::Entry> ThumbnailCache::Find(const std::string& key, const ThumbnailRequest& request) {
    if (!Usable()) {
        return std::nullopt;
    }
    const auto bytes = ReadWholeFile(directory_ + key + kFactsExtension);
    if (!bytes || bytes->size() < 3 || bytes->back() != '\n') {
        return std::nullopt;
    }
    Entry entry;
    entry.facts.assign(bytes->begin(), bytes->end() - 1);
    const std::optional<int> tiles = TilesOf(entry.facts);
    if (entry.facts.front() != '{' || entry.facts.find('\n') != std::string::npos || !tiles) {
        return std::nullopt;
    }
    entry.pngPath = directory_ + key + kPngExtension;
    std::optional<PngImage> picture = ReadPng(entry.pngPath);
    if (!picture || picture->channels != 4 || picture->height != request.size ||
        picture->width != request.size * *tiles) {
        return std::nullopt;
    }
    entry.picture = std::move(*picture);
    return entry;
}

std::optional<std::string> ThumbnailCache::Store(const std::string& key, const PngImage& picture,
                                                 const std::string& facts, std::string* error) {
    if (!Usable()) {
        if (error != nullptr) {
            *error = "cannot keep thumbnails in '" + directory_ + "'";
        }
        return std::nullopt;
    }
    const auto png = EncodePng(picture, true);
    if (!png) {
        if (error != nullptr) {
            *error = "cannot encode the thumbnail";
        }
        return std::nullopt;
    }
    const std::string line = facts + "\n";
    const std::string pngPath = directory_ + key + kPngExtension;
    const std::span<const std::uint8_t> factBytes(reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
    if (!WriteFilesAtomically({FileContents{pngPath, *png}, FileContents{directory_ + key + kFactsExtension, factBytes}},
                              error)) {
        return std::nullopt;
    }
    return pngPath;
}

Thumbnailer::Result Thumbnailer::Get(const ThumbnailRequest& request) {
    Result result;
    const std::optional<std::string> key = cache_.KeyOf(request);
    if (key) {
        if (auto kept = cache_.Find(*key, request)) {
            result.ok = true;
            result.fromCache = true;
            result.pngPath = std::move(kept->pngPath);
            result.facts = std::move(kept->facts);
            result.picture = std::move(kept->picture);
            return result;
        }
    }
    std::optional<Thumbnail> drawn = renderer_.Draw(request, result.reason);
    if (!drawn) {
        return result;
    }
    result.ok = true;
    result.facts = ThumbnailFactsJson(drawn->facts);
    result.picture = std::move(drawn->picture);
    if (key && cache_.Usable()) {
        // A thumbnail that cannot be kept is still shown; it is drawn again next time.
        result.pngPath = cache_.Store(*key, result.picture, result.facts).value_or(std::string());
    }
    return result;
}
