#pragma once

#include <optional>
#include <string>

#include "media/PngFile.h"
#include "render/Thumbnails.h"

// The thumbnails drawn before, on disk: one PNG per thumbnail and its facts (one
// line of JSON) beside it, named after a key of the source's path, size and
// modification time (SourceStamp), the entry's name, the size, the frame count
// and kThumbnailFormatVersion. A source that changed gets new keys, so its old
// thumbnails are never found again; a file that does not read back whole is
// ignored and drawn again.
inline constexpr int kThumbnailFormatVersion = 1;

// $XDG_CACHE_HOME/marovin/thumbnails/ (by default ~/.cache/marovin/thumbnails/),
// with a trailing "/"; empty when neither variable is set.
std::string DefaultThumbnailDirectory();

class ThumbnailCache {
public:
    // An empty directory keeps nothing.
    explicit ThumbnailCache(std::string directory) : directory_(std::move(directory)) {}

    const std::string& Directory() const { return directory_; }
    // Whether thumbnails can be kept: the folder exists (or is made now) and takes
    // files. Asked once; a folder that cannot be used keeps nothing afterwards.
    bool Usable();
    // The name (without extension) of the request's files; nothing when its source
    // is not there.
    static std::optional<std::string> KeyOf(const ThumbnailRequest& request);

    struct Entry {
        std::string pngPath;
        std::string facts;  // one line of JSON
        PngImage picture;   // RGBA, top row first
    };
    // The thumbnail kept under `key`, when both its files read back whole and its
    // picture has the size `request` asks for.
    std::optional<Entry> Find(const std::string& key, const ThumbnailRequest& request);
    // Keeps a thumbnail under `key`, both files through WriteFilesAtomically;
    // returns the PNG's path, or nothing with `error`.
    std::optional<std::string> Store(const std::string& key, const PngImage& picture, const std::string& facts,
                                     std::string* error = nullptr);

private:
    std::string directory_;
    std::optional<bool> usable_;
};

// Thumbnails from the cache when they are there and current, else drawn and kept.
class Thumbnailer {
public:
    // An empty directory keeps nothing: every request draws.
    explicit Thumbnailer(const std::string& cacheDirectory) : cache_(cacheDirectory) {}

    struct Result {
        bool ok = false;
        std::string reason;   // why not (one line)
        std::string pngPath;  // in the cache; empty when the cache keeps nothing
        std::string facts;    // one line of JSON
        PngImage picture;     // RGBA, top row first
        bool fromCache = false;
    };
    Result Get(const ThumbnailRequest& request);

    ThumbnailRenderer& Renderer() { return renderer_; }
    ThumbnailCache& Cache() { return cache_; }

private:
    ThumbnailCache cache_;
    ThumbnailRenderer renderer_;
};
