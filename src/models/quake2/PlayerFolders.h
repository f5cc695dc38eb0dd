#pragma once

#include <string>
#include <vector>

class Archive;
struct PakEntry;

// The players an archive or a game folder holds: every "players/NAME/" folder
// with a body "tris.md2", the folder's pictures that are the body's skins and
// its weapon models, read from the names alone (nothing is opened). Names match
// without regard to case, as the games find them; a game folder answers with the
// entries that win in its stack.

// The model the games load as a player's body.
inline constexpr const char* kPlayerBodyFile = "tris.md2";

struct PlayerListing {
    std::string name;    // NAME of "players/NAME/", as the archive spells it
    std::string folder;  // "players/NAME/", as the archive spells it
    const PakEntry* body = nullptr;
    // The body's pictures: not "weapon", no inventory icon ("_i"), no weapon's
    // own picture; by name without case, team skins ("ctf_*") after the others.
    std::vector<const PakEntry*> skins;
    // "weapon.md2", then every "w_*.md2", then every "a_*.md2", each by name
    // without case: the order saved scenes count weapons in.
    std::vector<const PakEntry*> weapons;
};

// Whether `path` (an entry name or a file path, either separator) names a body
// "tris.md2" directly inside "players/NAME/".
bool IsPlayerBodyPath(const std::string& path);
// The name a player calls one of its weapon models: "default" for
// "weapon.md2", else the file name without its extension.
std::string PlayerWeaponName(const std::string& path);
// Whether a skin's file title is a team skin, which a player offers last.
bool IsTeamSkin(const std::string& path);

// Every player of `archive`, by name without case; a folder without a body is
// not a player.
std::vector<PlayerListing> ListPlayers(const Archive& archive);
// The player whose folder is `folder` ("players/NAME/", any case); a listing
// with no body when the archive holds no such player.
PlayerListing FindPlayer(const Archive& archive, const std::string& folder);
