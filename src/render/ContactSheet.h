#pragma once

#include <optional>
#include <string>
#include <vector>

#include "media/PngFile.h"
#include "render/Thumbnails.h"

class Archive;
class Thumbnailer;

// A contact sheet: the thumbnails of an archive's entries in a grid, each with
// its name under it, for a mod's page or a pack's readme.

struct ContactSheetOptions {
    int size = kThumbnailDefaultSize;  // edge of one thumbnail
    int columns = 8;
    std::string filter;  // only entries whose name holds it, without regard to case
};

struct SheetEntry {
    std::string name;   // the entry's name in the archive
    std::string label;  // what the archive's tree shows for it, with folders to tell alike ones apart
};
// Every entry the archive's tree lists (a model folder stands for its tris.md2),
// in the tree's order, whose name holds `filter` without regard to case. Entries
// the tree names alike are labelled with the shortest tail of their paths that
// tells them apart ("male/weapon", "female/weapon").
std::vector<SheetEntry> SheetEntries(Archive& archive, const std::string& filter);

struct ContactSheet {
    PngImage picture;  // RGBA, top row first, on an opaque background
    struct Failure {
        std::string name;
        std::string reason;
    };
    std::vector<Failure> failures;  // entries shown by a placeholder
    std::string labelProblem;       // why the names are missing, when they are
};
// The sheet of the archive or game folder at `path` through `thumbnailer` (and
// its cache). Nothing, with `reason`, when the archive cannot be opened, lists
// nothing that matches, or the sheet would be too large to hold.
std::optional<ContactSheet> MakeContactSheet(Thumbnailer& thumbnailer, const std::string& path,
                                             const ContactSheetOptions& options, std::string& reason);
