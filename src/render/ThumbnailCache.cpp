#include "render/ThumbnailCache.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

#include "media/GameFolder.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"

namespace {
constexpr const char* kPngExtension = ".png";
constexpr const char* kFactsExtension = ".json";
constexpr std::size_t kKeyLength = 32;
constexpr std::size_t kStampLength = 16;
// Pruned down to this share of the limit, so that the folder is not walked again
// at the next store.
constexpr std::uint64_t kPruneToPercent = 90;

std::uint64_t Fnv1a(const std::string& text, std::uint64_t hash) {
    for (const unsigned char c : text) {
        hash = (hash ^ c) * 0x100000001b3ull;
    }
    return hash;
}

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

bool IsHex(const std::string& text, std::size_t from, std::size_t count) {
    return text.size() >= from + count && text.find_first_not_of("0123456789abcdef", from) >= from + count;
}

// "<key>-<16 hex digits>.png" for a key of ours: the only pictures it removes.
bool IsPictureOf(const std::string& key, const std::string& name) {
    return name.size() == kKeyLength + 1 + kStampLength + 4 && name.compare(0, kKeyLength, key) == 0 &&
           name[kKeyLength] == '-' && IsHex(name, kKeyLength + 1, kStampLength) &&
           name.compare(name.size() - 4, 4, kPngExtension) == 0;
}

// A facts file split into its facts, its picture's name and its dependencies;
// nothing when it is not one we wrote whole.
struct KeptFacts {
    std::string facts;
    std::string pngName;
    std::vector<ThumbnailDependency> dependencies;
};
std::optional<KeptFacts> ParseFacts(const std::string& key, const ByteBuffer& bytes) {
    if (bytes.empty() || bytes.back() != '\n') {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::string line;
    for (const std::uint8_t c : bytes) {
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    // The source at least is among the dependencies.
    if (lines.size() < 3 || lines[0].size() < 2 || lines[0].front() != '{' || !IsPictureOf(key, lines[1])) {
        return std::nullopt;
    }
    KeptFacts kept{std::move(lines[0]), std::move(lines[1]), {}};
    for (std::size_t i = 2; i < lines.size(); ++i) {
        if (lines[i].size() < kStampLength + 2 || !IsHex(lines[i], 0, kStampLength) || lines[i][kStampLength] != '\t') {
            return std::nullopt;
        }
        kept.dependencies.push_back({lines[i].substr(kStampLength + 1), lines[i].substr(0, kStampLength)});
    }
    return kept;
}

std::uint64_t SizeOf(const std::filesystem::path& path) {
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
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
    std::error_code error;
    if (!std::filesystem::exists(source, error)) {
        return std::nullopt;
    }
    const std::string key = "marovin thumbnail " + std::to_string(kThumbnailFormatVersion) + "\n" + source + "\n" +
                            (inArchive ? request.name : std::string()) + "\n" + std::to_string(request.size) + "\n" +
                            std::to_string(request.frames) +
                            (request.studioPose.Empty() ? std::string() : "\n" + request.studioPose.Text());
    return Hex(Fnv1a(key, 0xcbf29ce484222325ull)) + Hex(Fnv1a(key, 0x84222325cbf29ce4ull));
}

std::vector<ThumbnailDependency> StampDependencies(const std::set<std::string>& paths) {
    std::vector<ThumbnailDependency> dependencies;
    for (const std::string& path : paths) {
        std::optional<std::string> stamp;
        if (!path.empty() && path.back() == '/') {
            // A folder a loose file was read from: its own time, which a file joining
            // or leaving it moves, not those of the folders below it.
            std::error_code error;
            const auto time = std::filesystem::last_write_time(path, error);
            if (!error) {
                stamp = std::to_string(time.time_since_epoch().count());
            }
        } else {
            stamp = SourceStamp(path);
        }
        if (stamp) {
            dependencies.push_back({path, Hex(Fnv1a(*stamp, 0xcbf29ce484222325ull))});
        }
    }
    return dependencies;
}

void ThumbnailCache::Remove(const std::string& key, const std::string& pngName) {
    std::error_code ignored;
    std::filesystem::remove(directory_ + key + kFactsExtension, ignored);
    if (IsPictureOf(key, pngName)) {
        std::filesystem::remove(directory_ + pngName, ignored);
    }
}

std::optional<ThumbnailCache::Entry> ThumbnailCache::Find(const std::string& key, const ThumbnailRequest& request) {
    if (!Usable()) {
        return std::nullopt;
    }
    const std::string factsPath = directory_ + key + kFactsExtension;
    const auto bytes = ReadWholeFile(factsPath);
    if (!bytes) {
        return std::nullopt;
    }
    std::optional<KeptFacts> kept = ParseFacts(key, *bytes);
    const std::optional<int> tiles = kept ? TilesOf(kept->facts) : std::nullopt;
    if (!kept || !tiles) {
        return std::nullopt;
    }
    std::set<std::string> paths;
    for (const ThumbnailDependency& dependency : kept->dependencies) {
        paths.insert(dependency.path);
    }
    // Every file it was drawn from, each with the stamp it had then, or it goes:
    // a picture nobody can find again would only fill the folder.
    const std::vector<ThumbnailDependency> now = StampDependencies(paths);
    const bool current = now.size() == kept->dependencies.size() &&
                         std::all_of(kept->dependencies.begin(), kept->dependencies.end(), [&](const auto& was) {
                             return std::any_of(now.begin(), now.end(), [&](const ThumbnailDependency& is) {
                                 return is.path == was.path && is.stamp == was.stamp;
                             });
                         });
    if (!current) {
        Remove(key, kept->pngName);
        return std::nullopt;
    }
    Entry entry;
    entry.facts = std::move(kept->facts);
    entry.pngPath = directory_ + kept->pngName;
    std::optional<PngImage> picture = ReadPng(entry.pngPath);
    if (!picture || picture->channels != 4 || picture->height != request.size ||
        picture->width != request.size * *tiles) {
        return std::nullopt;
    }
    entry.picture = std::move(*picture);
    // Used now: the last to go when the folder is pruned.
    std::error_code ignored;
    std::filesystem::last_write_time(factsPath, std::filesystem::file_time_type::clock::now(), ignored);
    return entry;
}

std::optional<std::string> ThumbnailCache::Store(const std::string& key, const PngImage& picture,
                                                 const std::string& facts,
                                                 const std::vector<ThumbnailDependency>& dependencies,
                                                 std::string* error) {
    if (!Usable()) {
        if (error != nullptr) {
            *error = "cannot keep thumbnails in '" + directory_ + "'";
        }
        return std::nullopt;
    }
    std::string stamps;
    std::string listed;
    for (const ThumbnailDependency& dependency : dependencies) {
        if (dependency.path.find('\n') != std::string::npos || dependency.stamp.size() != kStampLength) {
            if (error != nullptr) {
                *error = "a file it was drawn from has a line break in its name";
            }
            return std::nullopt;
        }
        stamps += dependency.stamp + dependency.path + "\n";
        listed += dependency.stamp + "\t" + dependency.path + "\n";
    }
    const auto png = EncodePng(picture, true);
    if (!png) {
        if (error != nullptr) {
            *error = "cannot encode the thumbnail";
        }
        return std::nullopt;
    }
    const std::string factsPath = directory_ + key + kFactsExtension;
    const auto before = ReadWholeFile(factsPath);
    const std::optional<KeptFacts> replaced = before ? ParseFacts(key, *before) : std::nullopt;

    const std::string pngName = key + "-" + Hex(Fnv1a(stamps + facts, 0xcbf29ce484222325ull)) + kPngExtension;
    const std::string pngPath = directory_ + pngName;
    const std::string lines = facts + "\n" + pngName + "\n" + listed;
    const std::span<const std::uint8_t> factBytes(reinterpret_cast<const std::uint8_t*>(lines.data()), lines.size());
    // The facts last: whoever reads them finds the picture they name.
    if (!WriteFilesAtomically({FileContents{pngPath, *png}, FileContents{factsPath, factBytes}}, error)) {
        return std::nullopt;
    }
    if (replaced && replaced->pngName != pngName) {
        std::error_code ignored;
        std::filesystem::remove(directory_ + replaced->pngName, ignored);
    }
    if (!heldBytes_) {
        heldBytes_ = 0;
        Prune(sizeLimit_);
    } else {
        *heldBytes_ += png->size() + lines.size();
        if (*heldBytes_ > sizeLimit_) {
            Prune(sizeLimit_ / 100 * kPruneToPercent);
        }
    }
    return pngPath;
}

void ThumbnailCache::Prune(std::uint64_t target) {
    struct Kept {
        std::filesystem::file_time_type used{};
        std::uint64_t bytes = 0;
        bool hasFacts = false;
        std::vector<std::string> pictures;
    };
    std::map<std::string, Kept> byKey;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory_, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code kind;
        // Only the files of our own names: another writer's temporary is left alone.
        if (!it->is_regular_file(kind) || name.size() < kKeyLength || !IsHex(name, 0, kKeyLength)) {
            continue;
        }
        const std::string key = name.substr(0, kKeyLength);
        const bool facts = name == key + kFactsExtension;
        if (!facts && !IsPictureOf(key, name)) {
            continue;
        }
        Kept& kept = byKey[key];
        kept.bytes += SizeOf(it->path());
        const auto time = std::filesystem::last_write_time(it->path(), kind);
        if (facts) {
            kept.hasFacts = true;
            kept.used = time;  // the facts are touched whenever the thumbnail is used
        } else {
            kept.pictures.push_back(name);
            if (!kept.hasFacts && !kind && time > kept.used) {
                kept.used = time;
            }
        }
    }
    std::uint64_t total = 0;
    std::vector<std::pair<std::filesystem::file_time_type, std::string>> oldestFirst;
    for (auto& [key, kept] : byKey) {
        // Pictures the facts do not name are nobody's.
        const auto bytes = kept.hasFacts ? ReadWholeFile(directory_ + key + kFactsExtension) : std::nullopt;
        const std::optional<KeptFacts> facts = bytes ? ParseFacts(key, *bytes) : std::nullopt;
        for (const std::string& picture : kept.pictures) {
            if (!facts || facts->pngName != picture) {
                std::error_code ignored;
                const std::uint64_t size = SizeOf(directory_ + picture);
                if (std::filesystem::remove(directory_ + picture, ignored)) {
                    kept.bytes -= std::min(kept.bytes, size);
                }
            }
        }
        total += kept.bytes;
        oldestFirst.emplace_back(kept.used, key);
    }
    std::sort(oldestFirst.begin(), oldestFirst.end());
    for (const auto& [used, key] : oldestFirst) {
        if (total <= target) {
            break;
        }
        const Kept& kept = byKey[key];
        std::error_code ignored;
        std::filesystem::remove(directory_ + key + kFactsExtension, ignored);
        for (const std::string& picture : kept.pictures) {
            std::filesystem::remove(directory_ + picture, ignored);
        }
        total -= kept.bytes;
    }
    heldBytes_ = total;
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
    std::set<std::string> readFrom;
    std::optional<Thumbnail> drawn;
    {
        FileReadLog log;
        drawn = renderer_.Draw(request, result.reason);
        readFrom = log.Paths();
    }
    if (!drawn) {
        return result;
    }
    // The source itself, and for a mod the game's own folder too: a pak that joins
    // either changes what every name finds.
    const std::string source = AbsolutePath(request.archive.empty() ? request.name : request.archive);
    readFrom.insert(source);
    if (!request.archive.empty()) {
        if (const std::optional<GameFolder::Layout> layout = GameFolder::Detect(source)) {
            readFrom.insert(layout->baseFolder);
            if (!layout->modFolder.empty()) {
                readFrom.insert(layout->modFolder);
            }
        }
    }
    result.ok = true;
    result.facts = ThumbnailFactsJson(drawn->facts);
    result.picture = std::move(drawn->picture);
    if (key && cache_.Usable()) {
        // A thumbnail that cannot be kept is still shown; it is drawn again next time.
        result.pngPath =
            cache_.Store(*key, result.picture, result.facts, StampDependencies(readFrom)).value_or(std::string());
    }
    return result;
}
