#include "render/ContactSheet.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>

#include "media/Archive.h"
#include "platform/FileSystem.h"
#include "render/ThumbnailCache.h"

namespace {
constexpr int kMargin = 12;
constexpr int kGap = 12;
constexpr int kLabelGap = 3;
// The most pixels a sheet may have (a quarter of a gigabyte of RGBA).
constexpr long long kLargestSheet = 64LL * 1024 * 1024;

using Color = std::array<std::uint8_t, 4>;
constexpr Color kBackground{44, 46, 50, 255};
constexpr Color kLabelColor{226, 228, 232, 255};
constexpr Color kPlaceholderFrame{96, 99, 106, 255};
constexpr Color kPlaceholderCross{176, 72, 64, 255};

std::uint8_t* PixelAt(PngImage& image, int x, int y) {
    return image.pixels.data() + (std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 4;
}

void Fill(PngImage& image, int x, int y, int width, int height, const Color& color) {
    for (int row = std::max(y, 0); row < std::min(y + height, image.height); ++row) {
        for (int column = std::max(x, 0); column < std::min(x + width, image.width); ++column) {
            std::copy(color.begin(), color.end(), PixelAt(image, column, row));
        }
    }
}

// `picture` (RGBA) laid over the sheet at (x, y); with `tint`, its colour
// replaced by the tint where it is not transparent.
void Composite(PngImage& sheet, const PngImage& picture, int x, int y, const Color* tint = nullptr) {
    for (int row = 0; row < picture.height && y + row < sheet.height; ++row) {
        for (int column = 0; column < picture.width && x + column < sheet.width; ++column) {
            const std::uint8_t* source =
                picture.pixels.data() + (std::size_t(row) * std::size_t(picture.width) + std::size_t(column)) * 4;
            const unsigned alpha = source[3];
            if (alpha == 0 || x + column < 0 || y + row < 0) {
                continue;
            }
            std::uint8_t* target = PixelAt(sheet, x + column, y + row);
            for (int c = 0; c < 3; ++c) {
                const unsigned value = tint != nullptr ? (*tint)[static_cast<std::size_t>(c)] : source[c];
                target[c] = static_cast<std::uint8_t>((value * alpha + target[c] * (255 - alpha) + 127) / 255);
            }
        }
    }
}

// A frame with a cross through it where a thumbnail could not be drawn.
void DrawPlaceholder(PngImage& sheet, int x, int y, int size) {
    const int inset = size / 8;
    const int side = size - 2 * inset;
    const int thickness = std::max(1, size / 64);
    Fill(sheet, x + inset, y + inset, side, thickness, kPlaceholderFrame);
    Fill(sheet, x + inset, y + inset + side - thickness, side, thickness, kPlaceholderFrame);
    Fill(sheet, x + inset, y + inset, thickness, side, kPlaceholderFrame);
    Fill(sheet, x + inset + side - thickness, y + inset, thickness, side, kPlaceholderFrame);
    const int crossInset = size / 3;
    for (int i = 0; i <= size - 2 * crossInset; ++i) {
        Fill(sheet, x + crossInset + i, y + crossInset + i, thickness, thickness, kPlaceholderCross);
        Fill(sheet, x + size - crossInset - i - thickness, y + crossInset + i, thickness, thickness,
             kPlaceholderCross);
    }
}
}  // namespace

namespace {
std::vector<std::string> FoldersOf(const std::string& name) {
    std::vector<std::string> folders;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos <= name.size(); ++pos) {
        if (pos == name.size() || name[pos] == '/' || name[pos] == '\\') {
            if (pos > start) {
                folders.push_back(name.substr(start, pos - start));
            }
            start = pos + 1;
        }
    }
    if (!folders.empty()) {
        folders.pop_back();  // the file itself
    }
    return folders;
}

// Names that the tree shows alike (every player's "weapon") get as many of the
// folders above them as tell them apart, nearest first: "male/weapon".
void TellLabelsApart(std::vector<SheetEntry>& entries) {
    struct Tail {
        std::vector<std::string> folders;  // above what the label names
        std::size_t used = 0;
    };
    std::vector<Tail> tails;
    tails.reserve(entries.size());
    for (const SheetEntry& entry : entries) {
        Tail tail{FoldersOf(entry.name)};
        // A model folder's label is the folder's own name: it is not above itself.
        if (!tail.folders.empty() && fs_util::ToLower(tail.folders.back()) == fs_util::ToLower(entry.label)) {
            tail.folders.pop_back();
        }
        tails.push_back(std::move(tail));
    }
    const auto shown = [&](std::size_t i) {
        std::string text = entries[i].label;
        const std::vector<std::string>& folders = tails[i].folders;
        for (std::size_t k = 0; k < tails[i].used; ++k) {
            text = folders[folders.size() - 1 - k] + "/" + text;
        }
        return fs_util::ToLower(text);
    };
    for (bool grew = true; grew;) {
        grew = false;
        std::unordered_map<std::string, std::vector<std::size_t>> alike;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            alike[shown(i)].push_back(i);
        }
        for (const auto& [text, group] : alike) {
            if (group.size() < 2) {
                continue;
            }
            for (const std::size_t i : group) {
                if (tails[i].used < tails[i].folders.size()) {
                    ++tails[i].used;
                    grew = true;
                }
            }
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::vector<std::string>& folders = tails[i].folders;
        for (std::size_t k = 0; k < tails[i].used; ++k) {
            entries[i].label = folders[folders.size() - 1 - k] + "/" + entries[i].label;
        }
    }
}
}  // namespace

std::vector<SheetEntry> SheetEntries(Archive& archive, const std::string& filter) {
    const std::string lowered = fs_util::ToLower(filter);
    std::vector<SheetEntry> entries;
    for (const Archive::Listed& listed : archive.ListedEntries()) {
        if (fs_util::ToLower(listed.entry->name).find(lowered) != std::string::npos) {
            entries.push_back({listed.entry->name, listed.text});
        }
    }
    TellLabelsApart(entries);
    return entries;
}

std::optional<ContactSheet> MakeContactSheet(Thumbnailer& thumbnailer, const std::string& path,
                                             const ContactSheetOptions& options, std::string& reason) {
    Archive* archive = thumbnailer.Renderer().OpenArchiveAt(path, reason);
    if (archive == nullptr) {
        return std::nullopt;
    }
    const std::vector<SheetEntry> entries = SheetEntries(*archive, options.filter);
    if (entries.empty()) {
        reason = "'" + path + "' lists nothing" + (options.filter.empty() ? "" : " whose name holds '" + options.filter + "'");
        return std::nullopt;
    }
    const int size = options.size;
    const int columns = std::clamp(options.columns, 1, static_cast<int>(entries.size()));
    const int rows = (static_cast<int>(entries.size()) + columns - 1) / columns;
    const int cellHeight = size + kLabelGap + ThumbnailRenderer::kLabelHeight;
    const long long width = 2LL * kMargin + static_cast<long long>(columns) * size + (columns - 1LL) * kGap;
    const long long height = 2LL * kMargin + static_cast<long long>(rows) * cellHeight + (rows - 1LL) * kGap;
    if (width * height > kLargestSheet) {
        reason = "a sheet of " + std::to_string(entries.size()) + " entries would be " + std::to_string(width) + "x" +
                 std::to_string(height) + " pixels: too large (choose fewer with --filter, or a smaller size)";
        return std::nullopt;
    }

    ContactSheet sheet;
    sheet.picture.width = static_cast<int>(width);
    sheet.picture.height = static_cast<int>(height);
    sheet.picture.channels = 4;
    sheet.picture.pixels.resize(std::size_t(width) * std::size_t(height) * 4);
    Fill(sheet.picture, 0, 0, sheet.picture.width, sheet.picture.height, kBackground);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int x = kMargin + static_cast<int>(i % std::size_t(columns)) * (size + kGap);
        const int y = kMargin + static_cast<int>(i / std::size_t(columns)) * (cellHeight + kGap);
        const Thumbnailer::Result thumbnail = thumbnailer.Get({archive->Path(), entries[i].name, size, 1});
        if (thumbnail.ok) {
            Composite(sheet.picture, thumbnail.picture, x, y);
        } else {
            DrawPlaceholder(sheet.picture, x, y, size);
            sheet.failures.push_back({entries[i].name, thumbnail.reason});
        }
        if (!sheet.labelProblem.empty()) {
            continue;
        }
        if (const auto label = thumbnailer.Renderer().DrawLabel(entries[i].label, size, sheet.labelProblem)) {
            Composite(sheet.picture, *label, x + (size - label->width) / 2, y + size + kLabelGap, &kLabelColor);
        }
    }
    return sheet;
}
