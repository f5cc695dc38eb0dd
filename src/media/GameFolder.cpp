#include "media/GameFolder.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>

#include "media/ArchiveFile.h"
#include "media/FolderArchive.h"
#include "media/WadArchive.h"
#include "media/ZipArchive.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"

namespace fs = std::filesystem;

namespace {
struct KnownGame {
    const char* folder;
    GameKind game;
};
// In the order a folder holding several is resolved.
constexpr KnownGame kGames[] = {
    {"baseq2", GameKind::Quake2},
    {"id1", GameKind::Quake1},
    {"valve", GameKind::HalfLife},
    {"base", GameKind::Sin},
};

// The folder without the separators it may end with ("/" stays "/").
std::string Trimmed(const std::string& folder) {
    std::string out = folder;
    while (out.size() > 1 && (out.back() == '/' || out.back() == '\\')) {
        out.pop_back();
    }
    return out;
}

std::string FolderName(const std::string& folder) { return fs::path(Trimmed(folder)).filename().string(); }

// Whether `folder` looks like SiN's "base": a name as common as "base" says nothing
// alone, so it must hold a pak (".sin" or ".pak") of SiN's own kind, "SPAK".
bool HoldsSinPaks(const std::string& folder) {
    for (const auto& path : fs_util::FindFiles(folder, "*")) {
        const std::string extension = fs_util::ToLower(fs_util::ExtensionOf(path));
        if (extension != "sin" && extension != "pak") {
            continue;
        }
        const auto magic = ReadFileRange(path, 0, 4);
        if (magic && magic->size() == 4 && std::memcmp(magic->data(), "SPAK", 4) == 0) {
            return true;
        }
    }
    return false;
}

// Whether `folder`, named as a game's folder, is that game's: every name but SiN's
// "base" is taken as it is.
bool IsGameFolder(const std::string& folder, GameKind game) {
    return game != GameKind::Sin || HoldsSinPaks(folder);
}

std::string ParentOf(const std::string& folder) { return fs::path(Trimmed(folder)).parent_path().string(); }

// The sub-folder `name` of `parent` in whatever letter case it has, if there is one.
std::optional<std::string> SubFolder(const std::string& parent, const std::string& name) {
    const std::string path = fs_util::ResolvePath((fs::path(parent.empty() ? "." : parent) / name).string());
    if (fs_util::DirectoryExists(path)) {
        return path;
    }
    return std::nullopt;
}

// The N of "pakN.<extension>", or nothing for any other name.
std::optional<int> PakNumber(const std::string& fileName, const std::string& extension) {
    const std::string name = fs_util::ToLower(fileName);
    const std::string tail = "." + extension;
    if (name.size() <= 3 + tail.size() || name.compare(0, 3, "pak") != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0) {
        return std::nullopt;
    }
    const std::string digits = name.substr(3, name.size() - 3 - tail.size());
    if (digits.size() > 4 || !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(c) != 0; })) {
        return std::nullopt;
    }
    return std::stoi(digits);
}
}  // namespace

const char* GameKindName(GameKind game) {
    switch (game) {
        case GameKind::Quake2: return "Quake 2";
        case GameKind::Quake1: return "Quake";
        case GameKind::HalfLife: return "Half-Life";
        case GameKind::Sin: return "SiN";
    }
    return "";
}

std::optional<GameFolder::Layout> GameFolder::Detect(const std::string& folder) {
    if (!fs_util::DirectoryExists(folder)) {
        return std::nullopt;
    }
    const std::string trimmed = Trimmed(folder);
    const std::string name = FolderName(trimmed);
    for (const KnownGame& known : kGames) {
        if (fs_util::EqualsIgnoreCase(name, known.folder) && IsGameFolder(trimmed, known.game)) {
            return Layout{known.game, trimmed, {}};
        }
    }
    // An install root before a mod: a home folder holding a "base" of something
    // else must not make every folder in it a SiN mod.
    for (const KnownGame& known : kGames) {
        const auto base = SubFolder(trimmed, known.folder);
        if (base && IsGameFolder(*base, known.game)) {
            return Layout{known.game, *base, {}};
        }
    }
    const std::string parent = ParentOf(trimmed);
    for (const KnownGame& known : kGames) {
        const auto base = SubFolder(parent, known.folder);
        if (base && IsGameFolder(*base, known.game)) {
            return Layout{known.game, *base, trimmed};
        }
    }
    return std::nullopt;
}

GameFolder::GameFolder() : Archive(true) {}

bool GameFolder::Open(const std::string& folder) {
    ClearEntries();
    ClearProblems();
    sources_.clear();
    stacked_.clear();
    const auto layout = Detect(folder);
    if (!layout) {
        return false;
    }
    SetPath(folder);
    layout_ = *layout;

    std::vector<std::string> folders;
    if (layout_.game == GameKind::HalfLife) {
        const std::string base = FolderName(layout_.baseFolder);
        const std::string parent = ParentOf(layout_.baseFolder);
        if (!layout_.modFolder.empty()) {
            const std::string mod = FolderName(layout_.modFolder);
            folders.push_back(layout_.modFolder);
            if (const auto downloads = SubFolder(parent, mod + "_downloads")) {
                folders.push_back(*downloads);
            }
        }
        folders.push_back(layout_.baseFolder);
        if (const auto downloads = SubFolder(parent, base + "_downloads")) {
            folders.push_back(*downloads);
        }
        for (const auto& each : folders) {
            StackLooseFiles(each);
            StackWads(each);
        }
    } else {
        if (!layout_.modFolder.empty()) {
            folders.push_back(layout_.modFolder);
        }
        folders.push_back(layout_.baseFolder);
        for (const auto& each : folders) {
            StackArchives(each);
            StackLooseFiles(each);
            StackWads(each);
        }
    }
    Merge(0);
    StackWadsInArchives();
    return true;
}

void GameFolder::StackFile(const std::string& path) {
    auto archive = OpenArchiveFile(path);
    if (archive == nullptr) {
        NoteProblem(msg::kStackSourceLeftOut, path);
        return;
    }
    sources_.push_back(std::move(archive));
}

void GameFolder::StackArchives(const std::string& folder) {
    const bool sin = layout_.game == GameKind::Sin;
    const bool quake = layout_.game == GameKind::Quake1;
    const std::string numberedExtension = sin ? "sin" : "pak";
    std::map<int, std::string> numbered;
    std::vector<std::string> others;  // sorted by name without regard to case
    for (const auto& path : fs_util::FindFiles(folder, "*")) {
        const std::string fileName = fs_util::FileNameOf(path);
        const std::string extension = fs_util::ToLower(fs_util::ExtensionOf(fileName));
        const auto number = PakNumber(fileName, numberedExtension);
        if (number && quake &&
            fs_util::ToLower(fileName) != "pak" + std::to_string(*number) + ".pak") {
            continue;  // Quake asks for "pak%i.pak": "pak01.pak" is no pak of its
        }
        if (number) {
            numbered.emplace(*number, path);  // of "pak1.pak" and "PAK1.PAK" the first by name
        } else if (extension == "pak" || extension == "pk2" || ZipArchive::IsZipExtension(extension) ||
                   (sin && extension == "sin")) {
            others.push_back(path);
        }
    }
    std::vector<std::string> added;  // in the order the engine adds them
    int expected = 0;
    for (const auto& [number, path] : numbered) {
        if (quake && number != expected) {
            NoteProblem(msg::kPakAfterGap, fs_util::FileNameOf(path));
            continue;
        }
        added.push_back(path);
        ++expected;
    }
    // Quake's engines read "pakN.pak" and nothing else: another pak or a zip beside
    // them is a loose file to it, not an archive.
    if (!quake) {
        added.insert(added.end(), others.begin(), others.end());
    }
    // The one added last is asked first.
    for (auto it = added.rbegin(); it != added.rend(); ++it) {
        StackFile(*it);
    }
}

void GameFolder::StackLooseFiles(const std::string& folder) {
    auto loose = std::make_unique<FolderArchive>();
    if (loose->Open(folder)) {
        sources_.push_back(std::move(loose));
    }
}

void GameFolder::StackWads(const std::string& folder) {
    for (const auto& path : fs_util::FindFiles(folder, "*.wad")) {
        StackFile(path);
    }
}

void GameFolder::StackWadsInArchives() {
    // The WADs the engine would load by name: the winning entry of each ".wad" name,
    // where it comes from an archive (a loose WAD is stacked with its folder).
    const std::size_t merged = sources_.size();
    for (int i = 0; i < EntryCount(); ++i) {
        const PakEntry& entry = Entry(i);
        const Stacked& stacked = stacked_[static_cast<std::size_t>(i)];
        Archive& source = *sources_[stacked.source];
        if (!fs_util::EqualsIgnoreCase(fs_util::ExtensionOf(entry.name), "wad") ||
            (source.Kind() != ArchiveKind::Pak && source.Kind() != ArchiveKind::Zip)) {
            continue;
        }
        const std::string path = source.Path() + "/" + stacked.entry->name;
        if (static_cast<std::uint64_t>(stacked.entry->length) > kMaxWadInArchive) {
            NoteProblem(msg::kStackSourceLeftOut, path);
            continue;
        }
        auto bytes = source.ReadEntry(*stacked.entry);
        auto wad = std::make_unique<WadArchive>();
        if (!bytes || !wad->OpenBytes(path, std::move(*bytes))) {
            NoteProblem(msg::kStackSourceLeftOut, path);
            continue;
        }
        sources_.push_back(std::move(wad));
    }
    Merge(merged);
}

void GameFolder::Merge(std::size_t firstSource) {
    std::size_t total = static_cast<std::size_t>(EntryCount());
    for (std::size_t s = firstSource; s < sources_.size(); ++s) {
        total += static_cast<std::size_t>(sources_[s]->EntryCount());
    }
    ReserveEntries(total);
    stacked_.reserve(total);
    for (std::size_t s = firstSource; s < sources_.size(); ++s) {
        const Archive& source = *sources_[s];
        for (int i = 0; i < source.EntryCount(); ++i) {
            const PakEntry& entry = source.Entry(i);
            const int position = FindPosition(entry.name);
            if (position >= 0) {
                stacked_[static_cast<std::size_t>(position)].hidden.push_back(Origin{&source, &entry});
                continue;
            }
            AddEntry(PakEntry{entry.name, entry.offset, entry.length, EntryCount()});
            stacked_.push_back(Stacked{s, &entry, {}});
        }
    }
}

const GameFolder::Stacked* GameFolder::StackedOf(const PakEntry& entry) const {
    const auto position = PositionOf(entry);
    return position ? &stacked_[*position] : nullptr;
}

std::string GameFolder::Description() const {
    std::string text = std::string(GameKindName(layout_.game)) + " game: ";
    if (!layout_.modFolder.empty()) {
        text += FolderName(layout_.modFolder) + " over ";
    }
    text += FolderName(layout_.baseFolder) + ", " + EntryCountText() + "\n";
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        text += "  " + std::to_string(i + 1) + ". " + sources_[i]->Path() + " (" + sources_[i]->Description() + ")\n";
    }
    return text;
}

std::optional<ByteBuffer> GameFolder::ReadEntry(const PakEntry& entry) {
    const Stacked* stacked = StackedOf(entry);
    if (stacked == nullptr) {
        return std::nullopt;
    }
    return sources_[stacked->source]->ReadEntry(*stacked->entry);
}

std::optional<ByteBuffer> GameFolder::ReadEntryHead(const PakEntry& entry, std::size_t count) {
    const Stacked* stacked = StackedOf(entry);
    if (stacked == nullptr) {
        return std::nullopt;
    }
    return sources_[stacked->source]->ReadEntryHead(*stacked->entry, count);
}

bool GameFolder::IsPicture(const PakEntry& entry) const {
    const Stacked* stacked = StackedOf(entry);
    return stacked != nullptr && sources_[stacked->source]->IsPicture(*stacked->entry);
}

bool GameFolder::LoadPicture(const PakEntry& entry, COGLImage& image, bool resize, bool bgrOrder) {
    const Stacked* stacked = StackedOf(entry);
    return stacked != nullptr && sources_[stacked->source]->LoadPicture(*stacked->entry, image, resize, bgrOrder);
}

Archive::Origin GameFolder::OriginOf(const PakEntry& entry) const {
    const Stacked* stacked = StackedOf(entry);
    if (stacked == nullptr) {
        return Archive::OriginOf(entry);
    }
    return Origin{sources_[stacked->source].get(), stacked->entry};
}

std::vector<Archive::Origin> GameFolder::HiddenBy(const PakEntry& entry) const {
    const Stacked* stacked = StackedOf(entry);
    return stacked != nullptr ? stacked->hidden : std::vector<Origin>{};
}

std::vector<std::string> GameFolder::Problems() const {
    std::vector<std::string> all = Archive::Problems();
    for (const auto& source : sources_) {
        const auto theirs = source->Problems();
        all.insert(all.end(), theirs.begin(), theirs.end());
    }
    return all;
}

Archive::Listing GameFolder::ListingOf(const PakEntry& entry) {
    const Stacked* stacked = StackedOf(entry);
    return stacked != nullptr ? sources_[stacked->source]->ListingOf(*stacked->entry) : Listing::Skip;
}

std::string GameFolder::PictureGroup(const PakEntry& entry) const {
    const Stacked* stacked = StackedOf(entry);
    return stacked != nullptr ? fs_util::FileNameOf(sources_[stacked->source]->Path()) : std::string();
}

void GameFolder::BeginBatch() {
    for (auto& source : sources_) {
        source->BeginBatch();
    }
}

void GameFolder::EndBatch() {
    for (auto& source : sources_) {
        source->EndBatch();
    }
}
