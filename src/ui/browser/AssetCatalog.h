#pragma once

#include <QString>

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class Archive;
class COGLScene;

// What the browser lists an entry as; its toggles narrow the list by these.
// A player is its folder's body "tris.md2", listed under the player's name; the
// Models toggle shows it with the other models.
enum class AssetKind { Model, Sprite, Texture, File, Player };
// "model", "sprite", "texture", "file", "player".
QString AssetKindName(AssetKind kind);

// One entry of one of the scene's archives that can be put into a scene.
struct AssetEntry {
    const Archive* archive = nullptr;  // names it only: looked up in the scene before use
    std::string archivePath;           // the archive as the scene lists it (what a worker opens)
    std::string name;                  // the entry's name as the archive holds it
    QString title;                     // its name on the archive's tree (a model folder's for its tris.md2)
    QString path;                      // the name as letters, which the filter searches
    QString origin;                    // the archive its bytes come from (one of a game folder's stack)
    QString archiveNames;  // the file names of the archive and of its origin, which the filter searches too
    AssetKind kind = AssetKind::File;
    int skins = -1;  // a player's skins as the game finds them; -1 for anything else
};

// Every entry the scene's archives list on their trees, archive by archive in the
// scene's order, each in its tree's order (folders first in name order, as shown).
// An entry whose bytes come from where an earlier one's do (the same file of the
// same archive, however its path was written: a mod opened after its game lists
// the game's own entries again) is listed once, the first time.
std::vector<AssetEntry> ListAssets(const COGLScene& scene);

// The scene's archive list as it stands: compared with an earlier one to tell
// whether the list changed.
using ArchiveList = std::vector<std::pair<const Archive*, std::string>>;
ArchiveList ArchiveListOf(const COGLScene* scene);

// ListAssets for a list of archives, each opened anew from its path, so that a
// thread other than the window's can list a large game while the window goes on
// using the scene's own archives. Entries name the listed archive. Nothing when
// one of them can no longer be opened: the window then lists the scene's itself.
std::optional<std::vector<AssetEntry>> ListAssetsApart(const ArchiveList& list);

// Lists archive after archive into one list, each entry once (as ListAssets says).
class AssetLister {
public:
    // The entries of `pak`, named as coming from `listedAs` (the scene's archive
    // that `pak` was opened as).
    void Add(const Archive* listedAs, Archive& pak);
    std::vector<AssetEntry> Take() { return std::move(assets_); }

private:
    const std::string& IdentityOf(const Archive& source);

    std::vector<AssetEntry> assets_;
    // Where each listed entry's bytes come from: the origin's file and the entry's
    // name there without regard to case.
    std::unordered_map<const Archive*, std::string> identities_;
    std::unordered_set<std::string> listed_;
};
