#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/Archive.h"

enum class GameKind { Quake2, Quake1, HalfLife, Sin };
const char* GameKindName(GameKind game);  // "Quake 2", "Quake", "Half-Life", "SiN"

// A game's folder as its engine sees it: one archive answering for a stack of
// archives and loose files, each name found in the first source of the stack that
// holds it, as the engine would find it.
//
// Which game is known by the folder's name: "baseq2" (Quake 2), "id1" (Quake),
// "valve" (Half-Life), "base" (SiN, and only when it holds a pak whose magic is
// SiN's "SPAK": a folder called "base" is common). A folder that holds one of them
// (an install root) opens that one; any other folder beside one of them is a mod
// stacked over it, mod first.
//
// The stack of one folder, first asked first:
//   Quake 2, SiN: the other archives of the folder (".pak", ".pk2", ".pk3", ".pkz",
//     ".zip", ".kpf", and ".sin" for SiN) by name ignoring case, the last first;
//     then the numbered paks ("pakN.pak", SiN "pakN.sin") from the highest number
//     down (a missing number is skipped); then the loose files (a pak entry wins
//     over a loose file); then the folder's ".wad" files, whose lump names do not
//     meet paths.
//   Quake: as its engines, only "pak0.pak", "pak1.pak", ... up to the first missing
//     number (no pak after it, no other pak, no zip), the highest first; then the
//     loose files and ".wad" files as above.
//   Half-Life: the loose files, then the folder's ".wad" files; the folders asked
//     are the mod, "<mod>_downloads", "valve" and "valve_downloads".
// Last come the WADs the stack's archives hold, each the one the engine would load
// by that name (Quake's "gfx.wad" in pak0.pak), read into memory, so that their
// pictures are found and listed as a loose WAD's are.
// Archives found directly in the folder are opened as they are, links included, as
// the engine opens them. An archive that fails to open is left out with its own
// message and a problem noted; the rest of the game stays.
//
// One merged index maps each name to its winning source, so a lookup through any
// stack is one hash lookup; each name keeps the sources it hides. Like the zips it
// may hold, a game folder is used from one thread at a time.
class GameFolder : public Archive {
public:
    // A WAD inside an archive is read whole into memory; a larger one is left out.
    static constexpr std::uint64_t kMaxWadInArchive = 256u << 20;

    struct Layout {
        GameKind game;
        std::string baseFolder;  // the game's own folder: baseq2, id1, valve or base
        std::string modFolder;   // the mod stacked over it; empty when none
    };
    // What `folder` is, when it is a game's folder, a mod beside one or a folder
    // holding one; nothing for any other folder.
    static std::optional<Layout> Detect(const std::string& folder);

    GameFolder();

    // False, silently, when the folder is not a game's (see Detect).
    bool Open(const std::string& folder);
    ArchiveKind Kind() const override { return ArchiveKind::Game; }
    const Layout& GameLayout() const { return layout_; }
    // The game, the mod and base folders, and the stack in order, one source a line.
    std::string Description() const override;

    // The sources of the stack, first asked first.
    int SourceCount() const { return static_cast<int>(sources_.size()); }
    const Archive& Source(int position) const { return *sources_[static_cast<std::size_t>(position)]; }

    std::optional<ByteBuffer> ReadEntry(const PakEntry& entry) override;
    std::optional<ByteBuffer> ReadEntryHead(const PakEntry& entry, std::size_t count) override;
    bool IsPicture(const PakEntry& entry) const override;
    bool LoadPicture(const PakEntry& entry, COGLImage& image, bool resize, bool bgrOrder) override;
    Origin OriginOf(const PakEntry& entry) const override;
    std::vector<Origin> HiddenBy(const PakEntry& entry) const override;
    // Its own problems (archives left out), then those of every source.
    std::vector<std::string> Problems() const override;

protected:
    // An entry is listed as its winning source lists it; a WAD's pictures under the
    // WAD's file name.
    Listing ListingOf(const PakEntry& entry) override;
    std::string PictureGroup(const PakEntry& entry) const override;
    void BeginBatch() override;
    void EndBatch() override;

private:
    struct Stacked {
        std::size_t source;
        const PakEntry* entry;       // the source's own entry
        std::vector<Origin> hidden;  // the entries of this name it hides
    };

    // Adds the archives of a Quake 2, Quake or SiN folder in the order they are asked.
    void StackArchives(const std::string& folder);
    void StackLooseFiles(const std::string& folder);
    void StackWads(const std::string& folder);
    void StackFile(const std::string& path);
    // Opens the WADs the stack's paks and zips hold (Quake's gfx.wad in pak0.pak)
    // and stacks them last, after the entries merged so far.
    void StackWadsInArchives();
    // Merges the entries of the sources from `firstSource` on into the index.
    void Merge(std::size_t firstSource);
    const Stacked* StackedOf(const PakEntry& entry) const;

    Layout layout_{};
    std::vector<std::unique_ptr<Archive>> sources_;
    std::vector<Stacked> stacked_;  // per entry position
};
