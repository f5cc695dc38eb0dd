#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/BinaryIO.h"

class COGLImage;
struct ConvertedPalette;
struct MessageText;

// One file inside an archive. Entries live as long as their archive.
struct PakEntry {
    std::string name;     // as stored, "/" separators (a few tools write "\")
    std::int32_t offset;  // where its bytes start in the archive file (pak, WAD); 0 for kinds that compress
                          // or keep files apart (zip, folder, game)
    std::int32_t length;  // its size once read, in bytes
    int index;            // position in the archive's own directory
};

// A node of the directory tree shown on the scene page: a directory, or a file
// that can be put into a scene (a directory carries its tris.md2 as its entry).
struct PakTreeNode {
    std::string text;
    const PakEntry* entry = nullptr;
    std::vector<std::unique_ptr<PakTreeNode>> children;  // sorted by text
};

enum class ArchiveKind { Pak, Zip, Wad, Folder, Game };
const char* ArchiveKindName(ArchiveKind kind);  // "pak", "zip", "wad", "folder", "game"

// Read access to a set of named files: a pak, a zip, a WAD, a folder's files or a
// game folder stacking several of them. Every kind finds entries without regard
// to case, reads them whole and lists them for the scene page by the same rules.
class Archive {
public:
    virtual ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // The file or folder it was opened from; also its name in lists and scene files.
    const std::string& Path() const { return path_; }
    virtual ArchiveKind Kind() const = 0;
    // One line or a few for a listing: the kind, its entry count and, for a game, its stack.
    virtual std::string Description() const;

    // Entries that were accepted; a refused entry is not counted.
    int EntryCount() const { return static_cast<int>(entries_.size()); }
    const PakEntry& Entry(int position) const { return entries_[static_cast<std::size_t>(position)]; }
    // The first entry whose name equals `name` without regard to case, or nullptr.
    // Kinds whose names are paths of their own (all but paks) also take "\" for "/".
    const PakEntry* FindEntry(const std::string& name) const;
    // Whether lookups of the entry's name find this entry: false for a later entry
    // of a name stored twice, which stays in the entry list but is never found
    // (it is noted among the problems, left out of the tree and not extracted).
    bool IsFoundByName(const PakEntry& entry) const { return FindEntry(entry.name) == &entry; }

    // The whole entry, or nothing (and nothing half-read) when it cannot be read.
    virtual std::optional<ByteBuffer> ReadEntry(const PakEntry& entry) = 0;
    // At most `count` bytes from the entry's start, without reading the rest where
    // the kind allows it (a zip inflates only what they need).
    virtual std::optional<ByteBuffer> ReadEntryHead(const PakEntry& entry, std::size_t count) = 0;

    // Adds the files that can be put into a scene below `root`, by directory, with
    // every level sorted by text. Pictures of a WAD are listed by their whole name.
    // Extensions and directory prefixes are matched without regard to case (game
    // data comes in any case: "MODELS/X/TRIS.MD2" is listed as "models/x/tris.md2"
    // is); an entry that lookups of its name do not find is left out.
    void BuildDirectoryTree(PakTreeNode& root);
    // An entry the tree lists, with the text the tree shows for it.
    struct Listed {
        const PakEntry* entry;
        std::string text;
    };
    // Every entry the tree lists, in the tree's order (each level before the
    // levels below it), for lists that show the tree's entries without its levels.
    std::vector<Listed> ListedEntries();
    // A ".mdl" entry is worth listing when it holds a Quake model or a studio model
    // with a model of its own (not a texture or sequence-group file).
    bool IsSelectableMdl(const PakEntry& entry);

    // Whether the entry is a picture in the archive's own format (a WAD's textures),
    // which only the archive can decode.
    virtual bool IsPicture(const PakEntry& entry) const;
    // Decodes such a picture into `image`; false (with a message) when it cannot.
    virtual bool LoadPicture(const PakEntry& entry, COGLImage& image, bool resize, bool bgrOrder);

    // Where an entry's bytes come from: the archive itself, or for a game folder the
    // archive of its stack that wins, with that archive's own entry.
    struct Origin {
        const Archive* source;
        const PakEntry* entry;
    };
    virtual Origin OriginOf(const PakEntry& entry) const;
    // The entries of the same name that the winning one hides, first asked first.
    virtual std::vector<Origin> HiddenBy(const PakEntry& entry) const;

    // The game's own palette, from its "pics/colormap.pcx" (through the stack for a
    // game folder), passed through the gamma table when first asked for; nullptr
    // when the archive holds none that reads.
    const ConvertedPalette* GamePalette();

    // Entries refused when it was opened and entries that failed to read, each a
    // sentence starting with the archive's path.
    virtual std::vector<std::string> Problems() const { return problems_; }

protected:
    // `slashesAlike`: "\" and "/" name the same entry (every kind but the pak).
    explicit Archive(bool slashesAlike);

    enum class Listing { Skip, ByPath, AsPicture };
    // How the tree lists an entry. By default the pak rules: models, sprites, sky
    // and texture pictures, by path.
    virtual Listing ListingOf(const PakEntry& entry);
    // The top-level directory a picture is listed under (none: the top level).
    virtual std::string PictureGroup(const PakEntry& entry) const;
    // Around many reads (the tree's): a kind may keep its file open meanwhile.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}

    void SetPath(const std::string& path) { path_ = path; }
    // "1 entry", "2 entries".
    std::string EntryCountText() const;
    void ClearEntries();
    void ReserveEntries(std::size_t count);
    // Appends an entry; a name already present stays found as the first one. True
    // when the name was new, false when an earlier entry already holds it.
    bool AddEntry(PakEntry entry);
    // Appends an entry as AddEntry does, noting a name stored twice as a problem of
    // the archive ("... is stored more than once; the first one is used.").
    void AddEntryNotingDuplicate(PakEntry entry);
    // Position of the first entry of that name, or -1.
    int FindPosition(const std::string& name) const;
    // Position of an entry of this archive (nothing for an entry of another one).
    std::optional<std::size_t> PositionOf(const PakEntry& entry) const;
    // Notes a refused or unreadable entry: "<path>: <message with arg>".
    void NoteProblem(const MessageText& message, const std::string& arg);
    // Notes a problem of the whole archive: "<path><message>".
    void NoteProblem(const MessageText& message);
    void ClearProblems() { problems_.clear(); }

private:
    friend class GameFolder;  // asks its sources how to list their entries

    // Names to positions, without regard to case, in open addressing over the hash
    // of the folded name: no copy of any name is kept, so a large archive's index
    // costs eight bytes a slot.
    class NameIndex {
    public:
        explicit NameIndex(bool slashesAlike) : slashesAlike_(slashesAlike) {}
        void Clear();
        void Reserve(std::size_t count);
        // Adds the entry at `position` unless its name is already there (false then).
        bool Insert(const std::vector<PakEntry>& entries, int position);
        int Find(const std::vector<PakEntry>& entries, const std::string& name) const;

    private:
        struct Slot {
            std::uint32_t hash;
            std::int32_t position;  // -1: empty
        };
        std::uint32_t Hash(const std::string& name) const;
        bool Same(const std::string& a, const std::string& b) const;
        void Rehash(std::size_t slotCount);

        bool slashesAlike_;
        std::vector<Slot> slots_;
        std::size_t used_ = 0;
    };

    std::string path_;
    std::vector<PakEntry> entries_;
    NameIndex index_;
    std::vector<std::string> problems_;
    bool paletteLookedFor_ = false;
    std::unique_ptr<ConvertedPalette> palette_;
};

// A new archive of that kind opened on `path`, or nothing when it cannot be.
template <typename Kind>
std::unique_ptr<Archive> OpenArchiveAs(const std::string& path) {
    auto archive = std::make_unique<Kind>();
    if (!archive->Open(path)) {
        return nullptr;
    }
    return archive;
}

// The relative path ("/" separators) under which an entry named `name` may be
// written below a target folder, or nothing when it could land elsewhere or name
// nothing: empty, absolute ("/x", "\x"), a drive ("c:x"), a "." or ".." component,
// an empty component ("a//b", "a/"), or a control character.
std::optional<std::string> ExtractionPath(const std::string& name);
