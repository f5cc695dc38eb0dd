#include "models/quake2/PlayerFolders.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <unordered_map>

#include "media/Archive.h"
#include "platform/FileSystem.h"

namespace {
constexpr std::string_view kPlayersFolder = "players";

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Where NAME of "players/NAME/FILE" ends in an entry name (the separator before
// FILE), or npos when the name is not a file directly inside a player folder.
std::size_t PlayerFolderEnd(std::string_view name) {
    if (name.size() <= kPlayersFolder.size() + 1 || !SameText(name.substr(0, kPlayersFolder.size()), kPlayersFolder) ||
        !IsSeparator(name[kPlayersFolder.size()])) {
        return std::string_view::npos;
    }
    const std::size_t start = kPlayersFolder.size() + 1;
    std::size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) {
        ++end;
    }
    if (end == start || end + 1 >= name.size()) {
        return std::string_view::npos;
    }
    for (std::size_t i = end + 1; i < name.size(); ++i) {
        if (IsSeparator(name[i])) {
            return std::string_view::npos;
        }
    }
    return end;
}

// The picture formats the games' renderers take for a player's skins.
bool IsSkinPicture(const std::string& file) {
    const std::string extension = fs_util::ExtensionOf(file);
    return fs_util::EqualsIgnoreCase(extension, "pcx") || fs_util::EqualsIgnoreCase(extension, "tga") ||
           fs_util::EqualsIgnoreCase(extension, "jpg");
}

bool Less(const PakEntry* a, const PakEntry* b) { return fs_util::LessIgnoreCase(a->name, b->name); }

bool TitleStartsWith(const std::string& title, std::string_view prefix) {
    return title.size() > prefix.size() && SameText(std::string_view(title).substr(0, prefix.size()), prefix);
}

// Sorts a folder's files into the body, its skins and its weapons.
void Classify(const std::vector<const PakEntry*>& files, PlayerListing& player) {
    std::vector<const PakEntry*> pictures;
    std::vector<const PakEntry*> visual;
    std::vector<const PakEntry*> ammo;
    const PakEntry* defaultWeapon = nullptr;
    bool holdsFlag = false;
    for (const PakEntry* entry : files) {
        const std::string file = fs_util::FileNameOf(entry->name);
        const std::string title = fs_util::FileTitleOf(entry->name);
        const bool model = fs_util::EqualsIgnoreCase(fs_util::ExtensionOf(file), "md2");
        if (model && fs_util::EqualsIgnoreCase(file, kPlayerBodyFile)) {
            player.body = entry;
        } else if (model && fs_util::EqualsIgnoreCase(file, "weapon.md2")) {
            defaultWeapon = entry;
        } else if (model && TitleStartsWith(title, "w_")) {
            visual.push_back(entry);
        } else if (model && TitleStartsWith(title, "a_")) {
            ammo.push_back(entry);
        } else if (model && fs_util::EqualsIgnoreCase(file, "flag1.md2")) {
            holdsFlag = true;
        } else if (IsSkinPicture(file)) {
            pictures.push_back(entry);
        }
    }
    std::sort(visual.begin(), visual.end(), Less);
    std::sort(ammo.begin(), ammo.end(), Less);
    if (defaultWeapon != nullptr) {
        player.weapons.push_back(defaultWeapon);
    }
    player.weapons.insert(player.weapons.end(), visual.begin(), visual.end());
    player.weapons.insert(player.weapons.end(), ammo.begin(), ammo.end());

    std::sort(pictures.begin(), pictures.end(), Less);
    // A port's folder may hold a picture twice (grunt.pcx and grunt.tga): the
    // game's own PCX stands for both.
    std::unordered_map<std::string, std::size_t> byTitle;
    for (const PakEntry* picture : pictures) {
        const std::string title = fs_util::FileTitleOf(picture->name);
        const bool inventoryIcon = title.size() >= 2 && fs_util::EqualsIgnoreCase(title.substr(title.size() - 2), "_i");
        const bool weaponSkin =
            std::any_of(player.weapons.begin(), player.weapons.end(), [&](const PakEntry* weapon) {
                return fs_util::EqualsIgnoreCase(fs_util::FileTitleOf(weapon->name), title);
            });
        // Beside the CTF flag's model (the game's male player), its two skins.
        const bool flagSkin =
            holdsFlag && (fs_util::EqualsIgnoreCase(title, "flag1") || fs_util::EqualsIgnoreCase(title, "flag2"));
        if (fs_util::EqualsIgnoreCase(title, "weapon") || inventoryIcon || weaponSkin || flagSkin) {
            continue;
        }
        const auto [it, added] = byTitle.emplace(fs_util::ToLower(title), player.skins.size());
        if (added) {
            player.skins.push_back(picture);
        } else if (fs_util::EqualsIgnoreCase(fs_util::ExtensionOf(picture->name), "pcx")) {
            player.skins[it->second] = picture;
        }
    }
    std::stable_partition(player.skins.begin(), player.skins.end(),
                          [](const PakEntry* skin) { return !IsTeamSkin(skin->name); });
}
}  // namespace

bool IsPlayerBodyPath(const std::string& path) {
    // The last three components: "players", NAME and the body's file.
    std::size_t fileStart = path.size();
    while (fileStart > 0 && !IsSeparator(path[fileStart - 1])) {
        --fileStart;
    }
    if (fileStart < 2 || !fs_util::EqualsIgnoreCase(path.substr(fileStart), kPlayerBodyFile)) {
        return false;
    }
    std::size_t nameStart = fileStart - 1;
    while (nameStart > 0 && !IsSeparator(path[nameStart - 1])) {
        --nameStart;
    }
    if (nameStart + 1 >= fileStart || nameStart == 0) {
        return false;  // no NAME, or nothing above it
    }
    std::size_t playersStart = nameStart - 1;
    while (playersStart > 0 && !IsSeparator(path[playersStart - 1])) {
        --playersStart;
    }
    return SameText(std::string_view(path).substr(playersStart, nameStart - 1 - playersStart), kPlayersFolder);
}

std::string PlayerWeaponName(const std::string& path) {
    return fs_util::EqualsIgnoreCase(fs_util::FileNameOf(path), "weapon.md2") ? std::string("default")
                                                                                : fs_util::FileTitleOf(path);
}

bool IsTeamSkin(const std::string& path) { return TitleStartsWith(fs_util::FileTitleOf(path), "ctf_"); }

std::vector<PlayerListing> ListPlayers(const Archive& archive) {
    // One pass over the names, each player folder's files gathered under its name folded.
    std::unordered_map<std::string, std::size_t> folders;
    std::vector<std::vector<const PakEntry*>> files;
    std::vector<PlayerListing> players;
    for (int i = 0; i < archive.EntryCount(); ++i) {
        const PakEntry& entry = archive.Entry(i);
        const std::size_t end = PlayerFolderEnd(entry.name);
        if (end == std::string_view::npos) {
            continue;
        }
        const auto [it, added] = folders.emplace(fs_util::ToLower(entry.name.substr(0, end)), players.size());
        if (added) {
            PlayerListing player;
            player.name = entry.name.substr(kPlayersFolder.size() + 1, end - kPlayersFolder.size() - 1);
            player.folder = entry.name.substr(0, end + 1);
            players.push_back(std::move(player));
            files.emplace_back();
        }
        files[it->second].push_back(&entry);
    }
    std::vector<PlayerListing> found;
    for (std::size_t i = 0; i < players.size(); ++i) {
        Classify(files[i], players[i]);
        if (players[i].body != nullptr) {
            found.push_back(std::move(players[i]));
        }
    }
    std::sort(found.begin(), found.end(),
              [](const PlayerListing& a, const PlayerListing& b) { return fs_util::LessIgnoreCase(a.name, b.name); });
    return found;
}

PlayerListing FindPlayer(const Archive& archive, const std::string& folder) {
    PlayerListing player;
    std::vector<const PakEntry*> files;
    const std::string wanted = fs_util::DirectoryOf(folder + (folder.empty() || IsSeparator(folder.back()) ? "" : "/"));
    for (int i = 0; i < archive.EntryCount(); ++i) {
        const PakEntry& entry = archive.Entry(i);
        const std::size_t end = PlayerFolderEnd(entry.name);
        if (end != std::string_view::npos && end + 1 == wanted.size() &&
            fs_util::EqualsIgnoreCase(entry.name.substr(0, end), wanted.substr(0, end))) {
            if (files.empty()) {
                player.name = entry.name.substr(kPlayersFolder.size() + 1, end - kPlayersFolder.size() - 1);
                player.folder = entry.name.substr(0, end + 1);
            }
            files.push_back(&entry);
        }
    }
    Classify(files, player);
    return player;
}
