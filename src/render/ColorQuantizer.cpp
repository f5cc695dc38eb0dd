#include "render/ColorQuantizer.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace {
constexpr std::uint32_t kEmptySlot = 0xFFFFFFFFu;

std::uint32_t PackRgb(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | std::uint32_t(p[2]);
}

bool IsTransparentPixel(const PngImage& image, const QuantizeOptions& options, std::size_t pixel) {
    return options.transparent && image.channels == 4 && image.pixels[pixel * 4 + 3] == 0;
}

// The colours of a picture while there are few of them: open addressing over a
// table four times the palette, so both finding and mapping stay one probe or two.
class ExactColors {
public:
    explicit ExactColors(int limit) : limit_(limit), slots_(1024, kEmptySlot), indexes_(1024, 0) {}

    // False once the picture has more colours than the limit.
    bool Add(std::uint32_t rgb) {
        std::size_t slot = Find(rgb);
        if (slots_[slot] == rgb) {
            return true;
        }
        if (static_cast<int>(colors_.size()) >= limit_) {
            return false;
        }
        slots_[slot] = rgb;
        indexes_[slot] = static_cast<std::uint8_t>(colors_.size());
        colors_.push_back(rgb);
        return true;
    }
    std::uint8_t IndexOf(std::uint32_t rgb) const { return indexes_[Find(rgb)]; }
    const std::vector<std::uint32_t>& Colors() const { return colors_; }

private:
    std::size_t Find(std::uint32_t rgb) const {
        std::size_t slot = (rgb * 2654435761u) >> 22;  // the top 10 bits
        while (slots_[slot] != kEmptySlot && slots_[slot] != rgb) {
            slot = (slot + 1) & 1023;
        }
        return slot;
    }

    int limit_;
    std::vector<std::uint32_t> slots_;
    std::vector<std::uint8_t> indexes_;
    std::vector<std::uint32_t> colors_;
};

// Colours counted in cells of 5 bits a channel, each with the sum of its real
// colours so a palette entry is the mean of what it stands for.
constexpr int kCellBits = 5;
constexpr int kCells = 1 << (3 * kCellBits);

int CellOf(int r, int g, int b) {
    return ((r >> 3) << (2 * kCellBits)) | ((g >> 3) << kCellBits) | (b >> 3);
}

struct Cell {
    std::uint32_t count = 0;
    std::uint64_t sum[3] = {0, 0, 0};
    std::uint8_t mean[3] = {0, 0, 0};
};

struct Box {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::uint64_t pixels = 0;
    int axis = 0;
    int range = 0;
};

void Measure(Box& box, const std::vector<Cell*>& cells) {
    int lo[3] = {255, 255, 255};
    int hi[3] = {0, 0, 0};
    box.pixels = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        box.pixels += cells[i]->count;
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min<int>(lo[c], cells[i]->mean[c]);
            hi[c] = std::max<int>(hi[c], cells[i]->mean[c]);
        }
    }
    box.axis = 0;
    box.range = hi[0] - lo[0];
    for (int c = 1; c < 3; ++c) {
        if (hi[c] - lo[c] > box.range) {
            box.axis = c;
            box.range = hi[c] - lo[c];
        }
    }
}

// Median cut: the box with the most pixels times spread is cut at the pixel
// median of its longest side, until there are `colors` boxes or none can be cut.
std::vector<std::array<std::uint8_t, 3>> MedianCut(std::vector<Cell*>& cells, int colors) {
    std::vector<Box> boxes;
    Box all{0, cells.size()};
    Measure(all, cells);
    boxes.push_back(all);
    while (static_cast<int>(boxes.size()) < colors) {
        std::size_t pick = boxes.size();
        double best = 0.0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const double score = double(boxes[i].pixels) * boxes[i].range;
            if (boxes[i].end - boxes[i].begin > 1 && score > best) {
                best = score;
                pick = i;
            }
        }
        if (pick == boxes.size()) {
            break;
        }
        Box box = boxes[pick];
        const auto first = cells.begin() + static_cast<std::ptrdiff_t>(box.begin);
        const auto last = cells.begin() + static_cast<std::ptrdiff_t>(box.end);
        std::sort(first, last, [axis = box.axis](const Cell* a, const Cell* b) { return a->mean[axis] < b->mean[axis]; });
        std::uint64_t seen = 0;
        std::size_t cut = box.begin + 1;
        for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
            seen += cells[i]->count;
            cut = i + 1;
            if (seen * 2 >= box.pixels) {
                break;
            }
        }
        Box low{box.begin, cut};
        Box high{cut, box.end};
        Measure(low, cells);
        Measure(high, cells);
        boxes[pick] = low;
        boxes.push_back(high);
    }
    std::vector<std::array<std::uint8_t, 3>> palette;
    for (const Box& box : boxes) {
        std::uint64_t sum[3] = {0, 0, 0};
        std::uint64_t count = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            count += cells[i]->count;
            for (int c = 0; c < 3; ++c) {
                sum[c] += cells[i]->sum[c];
            }
        }
        const std::uint64_t n = std::max<std::uint64_t>(count, 1);
        palette.push_back({std::uint8_t((sum[0] + n / 2) / n), std::uint8_t((sum[1] + n / 2) / n),
                           std::uint8_t((sum[2] + n / 2) / n)});
    }
    return palette;
}

int Nearest(const std::vector<std::array<std::uint8_t, 3>>& palette, const std::uint8_t* rgb) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = int(palette[i][0]) - rgb[0];
        const int dg = int(palette[i][1]) - rgb[1];
        const int db = int(palette[i][2]) - rgb[2];
        // Weighted as the eye weighs the channels, roughly.
        const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

// The 8 x 8 Bayer threshold matrix, 0..63.
constexpr std::uint8_t kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
constexpr int kDitherSpread = 24;

IndexedImage ReducedImage(const PngImage& image, const QuantizeOptions& options, int colors, IndexedImage out) {
    std::vector<Cell> table(kCells);
    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    const int channels = image.channels;
    for (std::size_t i = 0; i < count; ++i) {
        if (IsTransparentPixel(image, options, i)) {
            continue;
        }
        const std::uint8_t* p = &image.pixels[i * std::size_t(channels)];
        Cell& cell = table[std::size_t(CellOf(p[0], p[1], p[2]))];
        ++cell.count;
        for (int c = 0; c < 3; ++c) {
            cell.sum[c] += p[c];
        }
    }
    std::vector<Cell*> used;
    for (Cell& cell : table) {
        if (cell.count > 0) {
            for (int c = 0; c < 3; ++c) {
                cell.mean[c] = std::uint8_t((cell.sum[c] + cell.count / 2) / cell.count);
            }
            used.push_back(&cell);
        }
    }
    out.palette = MedianCut(used, colors);
    if (out.transparentIndex >= 0) {
        out.transparentIndex = static_cast<int>(out.palette.size());
    }
    // The nearest entry of each cell, found the first time a pixel needs it.
    std::vector<std::int16_t> nearest(kCells, -1);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(image.width) + std::size_t(x);
            if (IsTransparentPixel(image, options, i)) {
                out.indexes[i] = static_cast<std::uint8_t>(out.transparentIndex);
                continue;
            }
            const std::uint8_t* p = &image.pixels[i * std::size_t(channels)];
            std::uint8_t rgb[3] = {p[0], p[1], p[2]};
            if (options.dither) {
                const int offset = (int(kBayer[y & 7][x & 7]) - 32) * kDitherSpread / 64;
                for (std::uint8_t& c : rgb) {
                    c = static_cast<std::uint8_t>(std::clamp(int(c) + offset, 0, 255));
                }
            }
            const int cell = CellOf(rgb[0], rgb[1], rgb[2]);
            if (nearest[std::size_t(cell)] < 0) {
                // The cell's centre stands for every colour in it.
                const std::uint8_t centre[3] = {std::uint8_t((rgb[0] & 0xF8) | 4), std::uint8_t((rgb[1] & 0xF8) | 4),
                                                std::uint8_t((rgb[2] & 0xF8) | 4)};
                nearest[std::size_t(cell)] = static_cast<std::int16_t>(Nearest(out.palette, centre));
            }
            out.indexes[i] = static_cast<std::uint8_t>(nearest[std::size_t(cell)]);
        }
    }
    return out;
}
}  // namespace

IndexedImage QuantizeImage(const PngImage& image, const QuantizeOptions& options) {
    IndexedImage out;
    const std::size_t count = std::size_t(std::max(image.width, 0)) * std::size_t(std::max(image.height, 0));
    if ((image.channels != 3 && image.channels != 4) || image.pixels.size() < count * std::size_t(image.channels)) {
        return out;
    }
    out.width = image.width;
    out.height = image.height;
    out.indexes.assign(count, 0);
    bool anyTransparent = false;
    for (std::size_t i = 0; i < count && !anyTransparent; ++i) {
        anyTransparent = IsTransparentPixel(image, options, i);
    }
    const int colors = std::clamp(options.maximumColors, 2, 256) - (anyTransparent ? 1 : 0);

    ExactColors exact(colors);
    bool few = true;
    for (std::size_t i = 0; i < count && few; ++i) {
        if (!IsTransparentPixel(image, options, i)) {
            few = exact.Add(PackRgb(&image.pixels[i * std::size_t(image.channels)]));
        }
    }
    if (!few) {
        if (anyTransparent) {
            out.transparentIndex = colors;
        }
        out = ReducedImage(image, options, colors, std::move(out));
    } else {
        for (std::uint32_t rgb : exact.Colors()) {
            out.palette.push_back({std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)});
        }
        if (anyTransparent) {
            out.transparentIndex = static_cast<int>(out.palette.size());
        }
        for (std::size_t i = 0; i < count; ++i) {
            out.indexes[i] = IsTransparentPixel(image, options, i)
                                 ? static_cast<std::uint8_t>(out.transparentIndex)
                                 : exact.IndexOf(PackRgb(&image.pixels[i * std::size_t(image.channels)]));
        }
    }
    if (anyTransparent) {
        out.palette.push_back({0, 0, 0});
    }
    return out;
}
