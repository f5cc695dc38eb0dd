#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "media/PngFile.h"
#include "render/Thumbnails.h"

// The thumbnails drawn before, on disk, named after a key of what was asked for
// (the source's path, the entry's name, the size, the frame count and
// kThumbnailFormatVersion). Under "<key>.json" lie the facts (one line of JSON),
// the name of the picture's PNG and every file the drawing read (the source, the
// body, its skins, companion files, sprite frames, the base folder of a mod), each
// with the stamp it had then. A thumbnail is current while every one of them has
// its stamp still; otherwise its files go and it is drawn again, its picture under
// a name of its own ("<key>-<stamps>.png") so that nobody who read the old picture
// by its name sees a new one there. A file that does not read back whole is ignored
// and drawn again. The folder is kept within a size limit, the least recently used
// thumbnails going first.
inline constexpr int kThumbnailFormatVersion = 2;
inline constexpr std::uint64_t kThumbnailCacheLimit = 256ull * 1024 * 1024;

// A file a thumbnail was drawn from, and the stamp (SourceStamp, hashed) it had.
struct ThumbnailDependency {
    std::string path;
    std::string stamp;
};
// The dependencies on `paths` as they are now; a path that is gone is left out. A
// path ending in "/" is a folder stamped by its own time alone.
std::vector<ThumbnailDependency> StampDependencies(const std::set<std::string>& paths);

// $XDG_CACHE_HOME/marovin/thumbnails/ (by default ~/.cache/marovin/thumbnails/),
// with a trailing "/"; empty when neither variable is set.
std::string DefaultThumbnailDirectory();

class ThumbnailCache {
public:
    // An empty directory keeps nothing.
    explicit ThumbnailCache(std::string directory, std::uint64_t sizeLimit = kThumbnailCacheLimit)
        : directory_(std::move(directory)), sizeLimit_(sizeLimit) {}

    const std::string& Directory() const { return directory_; }
    // Whether thumbnails can be kept: the folder exists (or is made now) and takes
    // files. Asked once; a folder that cannot be used keeps nothing afterwards.
    bool Usable();
    // The key of the request's files; nothing when its source is not there.
    static std::optional<std::string> KeyOf(const ThumbnailRequest& request);

    struct Entry {
        std::string pngPath;
        std::string facts;  // one line of JSON
        PngImage picture;   // RGBA, top row first
    };
    // The thumbnail kept under `key`, when both its files read back whole, its
    // picture has the size `request` asks for and every file it was drawn from has
    // its stamp still. One that is out of date is removed.
    std::optional<Entry> Find(const std::string& key, const ThumbnailRequest& request);
    // Keeps a thumbnail under `key`, drawn from `dependencies`, both files through
    // WriteFilesAtomically, and removes the picture it replaces; then keeps the
    // folder within its limit. Returns the PNG's path, or nothing with `error`.
    std::optional<std::string> Store(const std::string& key, const PngImage& picture, const std::string& facts,
                                     const std::vector<ThumbnailDependency>& dependencies,
                                     std::string* error = nullptr);
    // Removes the least recently used thumbnails until the folder holds no more
    // than `target` bytes of them, and pictures no facts name (left by a worker
    // that stopped between writing one and removing the one before).
    void Prune(std::uint64_t target);
    std::uint64_t SizeLimit() const { return sizeLimit_; }

private:
    // Removes the thumbnail under `key`: its facts and the picture they name.
    void Remove(const std::string& key, const std::string& pngName);

    std::string directory_;
    std::uint64_t sizeLimit_;
    std::optional<bool> usable_;
    // What the folder holds, counted at the first store and kept up since: the
    // folder is only walked again when that passes the limit.
    std::optional<std::uint64_t> heldBytes_;
};

// Thumbnails from the cache when they are there and current, else drawn and kept.
class Thumbnailer {
public:
    // An empty directory keeps nothing: every request draws.
    explicit Thumbnailer(const std::string& cacheDirectory, std::uint64_t sizeLimit = kThumbnailCacheLimit)
        : cache_(cacheDirectory, sizeLimit) {}

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
