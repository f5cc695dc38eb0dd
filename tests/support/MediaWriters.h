#pragma once

// Small writers for the game files the media readers take, so tests and benchmarks
// make their own fixtures with every field known. Header-only and free of the test
// framework, so benchmarks can use them too.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/BinaryIO.h"

namespace fixtures {

using Indices = std::vector<std::uint8_t>;  // palette indices, top row first
using Palette768 = std::array<std::uint8_t, 768>;

// A palette whose entries all differ, so a wrong index shows as a wrong colour.
inline Palette768 DistinctPalette() {
    Palette768 p{};
    for (int i = 0; i < 256; ++i) {
        p[std::size_t(i) * 3 + 0] = static_cast<std::uint8_t>(i * 7);
        p[std::size_t(i) * 3 + 1] = static_cast<std::uint8_t>(i * 13 + 5);
        p[std::size_t(i) * 3 + 2] = static_cast<std::uint8_t>(255 - i * 3);
    }
    return p;
}

// A pak archive. Entries are stored in the order added; raw entries let a test
// write any offset, length or unterminated name into the directory.
class PakBuilder {
public:
    explicit PakBuilder(bool sin = false) : sin_(sin) {}

    int NameLength() const { return sin_ ? 120 : 56; }

    PakBuilder& Add(const std::string& name, const ByteBuffer& bytes) {
        Raw raw;
        raw.name = name;
        raw.bytes = bytes;
        raws_.push_back(raw);
        return *this;
    }
    PakBuilder& Add(const std::string& name, const std::string& text) {
        return Add(name, ByteBuffer(text.begin(), text.end()));
    }
    // A directory entry with the given fields and no data of its own; with
    // `terminated` false the name fills its whole field without a NUL.
    PakBuilder& AddRaw(const std::string& name, std::int32_t offset, std::int32_t length, bool terminated = true) {
        Raw raw;
        raw.name = name;
        raw.offset = offset;
        raw.length = length;
        raw.raw = true;
        raw.terminated = terminated;
        raws_.push_back(raw);
        return *this;
    }

    ByteBuffer Build() const {
        BinaryWriter out;
        out.WriteBytes(sin_ ? "SPAK" : "PACK", 4);
        out.WriteI32(0);
        out.WriteI32(0);
        std::vector<std::int32_t> offsets;
        for (const Raw& raw : raws_) {
            offsets.push_back(static_cast<std::int32_t>(out.Size()));
            out.WriteBytes(raw.bytes.data(), raw.bytes.size());
        }
        const auto dirOffset = static_cast<std::int32_t>(out.Size());
        for (std::size_t i = 0; i < raws_.size(); ++i) {
            const Raw& raw = raws_[i];
            if (raw.terminated) {
                out.WriteText(raw.name, static_cast<std::size_t>(NameLength()));
            } else {
                std::string field = raw.name;
                field.resize(static_cast<std::size_t>(NameLength()), 'x');
                out.WriteBytes(field.data(), field.size());
            }
            out.WriteI32(raw.raw ? raw.offset : offsets[i]);
            out.WriteI32(raw.raw ? raw.length : static_cast<std::int32_t>(raw.bytes.size()));
        }
        out.PatchI32(4, dirOffset);
        out.PatchI32(8, static_cast<std::int32_t>(out.Size()) - dirOffset);
        return out.Bytes();
    }

private:
    struct Raw {
        std::string name;
        ByteBuffer bytes;
        std::int32_t offset = 0;
        std::int32_t length = 0;
        bool raw = false;
        bool terminated = true;
    };
    bool sin_;
    std::vector<Raw> raws_;
};

// The first 12 bytes of a studio model ("IDST", version 10, then the field that
// tells a model from its texture or sequence-group file), which is what the tree
// reads of an ".mdl".
inline ByteBuffer StudioHead(std::int32_t version) {
    BinaryWriter w;
    w.WriteBytes("IDST", 4);
    w.WriteI32(10);
    w.WriteI32(version);
    return w.Bytes();
}

// An 8-bit PCX: run-length coded rows of `bytesPerLine` bytes (the bytes after the
// width are padding, written as `padValue`), then 0x0C and the palette.
inline ByteBuffer WritePcx(int width, int height, const Indices& pixels, const Palette768& palette,
                           int bytesPerLine = 0, std::uint8_t padValue = 0) {
    if (bytesPerLine == 0) {
        bytesPerLine = width + (width & 1);
    }
    BinaryWriter out;
    out.WriteU8(10);  // maker
    out.WriteU8(5);   // version
    out.WriteU8(1);   // run-length coding
    out.WriteU8(8);   // bits per pixel and plane
    out.WriteI16(0);
    out.WriteI16(0);
    out.WriteI16(static_cast<std::int16_t>(width - 1));
    out.WriteI16(static_cast<std::int16_t>(height - 1));
    out.WriteI16(72);
    out.WriteI16(72);
    out.WriteZeros(48);
    out.WriteU8(0);
    out.WriteU8(1);  // planes
    out.WriteI16(static_cast<std::int16_t>(bytesPerLine));
    out.WriteI16(1);
    out.WriteZeros(128 - out.Size());
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint8_t> line(static_cast<std::size_t>(bytesPerLine), padValue);
        for (int x = 0; x < width && x < bytesPerLine; ++x) {
            line[std::size_t(x)] = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
        }
        for (std::size_t x = 0; x < line.size();) {
            std::size_t run = 1;
            while (x + run < line.size() && line[x + run] == line[x] && run < 63) {
                ++run;
            }
            if (run > 1 || line[x] >= 0xC0) {
                out.WriteU8(static_cast<std::uint8_t>(0xC0 | run));
            }
            out.WriteU8(line[x]);
            x += run;
        }
    }
    out.WriteU8(0x0C);
    out.WriteBytes(palette.data(), palette.size());
    return out.Bytes();
}

// A Quake 2 WAL: 100-byte header, then mip level 0 (and the three smaller levels,
// filled with zeros).
inline ByteBuffer WriteWal(int width, int height, const Indices& pixels) {
    BinaryWriter out;
    out.WriteText("textures/test", 32);
    out.WriteI32(width);
    out.WriteI32(height);
    const std::int32_t level0 = 100;
    const auto size0 = static_cast<std::int32_t>(width * height);
    out.WriteI32(level0);
    out.WriteI32(level0 + size0);
    out.WriteI32(level0 + size0 + size0 / 4);
    out.WriteI32(level0 + size0 + size0 / 4 + size0 / 16);
    out.WriteZeros(100 - out.Size());
    out.WriteBytes(pixels.data(), pixels.size());
    out.WriteZeros(static_cast<std::size_t>(size0 / 4 + size0 / 16 + size0 / 64));
    return out.Bytes();
}

// A SiN SWL: 1236-byte header with its own 256 x 4 palette, then mip level 0.
inline ByteBuffer WriteSwl(int width, int height, const Indices& pixels, const std::array<std::uint8_t, 1024>& palette) {
    BinaryWriter out;
    out.WriteText("textures/test", 64);
    out.WriteI32(width);
    out.WriteI32(height);
    out.WriteBytes(palette.data(), palette.size());
    out.WriteZeros(1100 - out.Size());
    const std::int32_t level0 = 1236;
    out.WriteI32(level0);
    out.WriteI32(level0 + width * height);
    out.WriteZeros(1236 - out.Size());
    out.WriteBytes(pixels.data(), pixels.size());
    return out.Bytes();
}

struct TgaOptions {
    int type = 2;           // 1 mapped, 2 truecolour, 10 run-length truecolour
    int bits = 24;          // pixel depth: 8 for type 1, else 24 or 32
    bool topLeft = false;   // the first stored row is the top one
    int mapBits = 24;       // type 1: colour map entry size
    int mapLength = 256;
    std::string id = "id";  // skipped by readers
};

// A TGA from stored pixels: B, G, R(, A) bytes (or indices for type 1) in stored
// row order. Run-length packets may run across rows.
inline ByteBuffer WriteTga(int width, int height, const ByteBuffer& stored, const TgaOptions& options,
                           const ByteBuffer& colourMap = {}) {
    BinaryWriter out;
    out.WriteU8(static_cast<std::uint8_t>(options.id.size()));
    out.WriteU8(options.type == 1 ? 1 : 0);
    out.WriteU8(static_cast<std::uint8_t>(options.type));
    out.WriteU16(0);
    out.WriteU16(static_cast<std::uint16_t>(options.type == 1 ? options.mapLength : 0));
    out.WriteU8(static_cast<std::uint8_t>(options.type == 1 ? options.mapBits : 0));
    out.WriteU16(0);
    out.WriteU16(0);
    out.WriteU16(static_cast<std::uint16_t>(width));
    out.WriteU16(static_cast<std::uint16_t>(height));
    out.WriteU8(static_cast<std::uint8_t>(options.bits));
    out.WriteU8(static_cast<std::uint8_t>((options.topLeft ? 0x20 : 0) | (options.bits == 32 ? 8 : 0)));
    out.WriteBytes(options.id.data(), options.id.size());
    out.WriteBytes(colourMap.data(), colourMap.size());
    if (options.type != 10) {
        out.WriteBytes(stored.data(), stored.size());
        return out.Bytes();
    }
    const std::size_t bytes = static_cast<std::size_t>(options.bits / 8);
    const std::size_t count = stored.size() / bytes;
    const auto same = [&](std::size_t a, std::size_t b) {
        return std::equal(stored.begin() + static_cast<std::ptrdiff_t>(a * bytes),
                          stored.begin() + static_cast<std::ptrdiff_t>((a + 1) * bytes),
                          stored.begin() + static_cast<std::ptrdiff_t>(b * bytes));
    };
    for (std::size_t i = 0; i < count;) {
        std::size_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run)) {
            ++run;
        }
        if (run > 1) {
            out.WriteU8(static_cast<std::uint8_t>(0x80 | (run - 1)));
            out.WriteBytes(stored.data() + i * bytes, bytes);
            i += run;
            continue;
        }
        std::size_t literal = 1;
        while (i + literal < count && literal < 128 && !(i + literal + 1 < count && same(i + literal, i + literal + 1))) {
            ++literal;
        }
        out.WriteU8(static_cast<std::uint8_t>(literal - 1));
        out.WriteBytes(stored.data() + i * bytes, literal * bytes);
        i += literal;
    }
    return out.Bytes();
}

// A 24-bit uncompressed BMP from R, G, B pixels, bottom row first.
inline ByteBuffer WriteBmp24(int width, int height, const ByteBuffer& rgbBottomUp) {
    const std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
    BinaryWriter out;
    out.WriteBytes("BM", 2);
    out.WriteU32(static_cast<std::uint32_t>(54 + stride * std::size_t(height)));
    out.WriteU32(0);
    out.WriteU32(54);
    out.WriteU32(40);
    out.WriteI32(width);
    out.WriteI32(height);
    out.WriteU16(1);
    out.WriteU16(24);
    out.WriteU32(0);
    out.WriteU32(static_cast<std::uint32_t>(stride * std::size_t(height)));
    out.WriteI32(2835);
    out.WriteI32(2835);
    out.WriteU32(0);
    out.WriteU32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = rgbBottomUp.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
            out.WriteU8(p[2]);
            out.WriteU8(p[1]);
            out.WriteU8(p[0]);
        }
        out.WriteZeros(stride - std::size_t(width) * 3);
    }
    return out.Bytes();
}

// A run-length encoded palette bitmap (4 or 8 bits), rows bottom-up, each row
// written as runs of one index so both encodings' run paths are exercised.
inline ByteBuffer WriteBmpRle(int bits, int width, int height, const Palette768& palette, const Indices& bottomUp) {
    BinaryWriter pixels;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bottomUp.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width;) {
            int run = 1;
            while (x + run < width && run < 255 && row[x + run] == row[x]) {
                ++run;
            }
            pixels.WriteU8(static_cast<std::uint8_t>(run));
            pixels.WriteU8(bits == 4 ? static_cast<std::uint8_t>(row[x] << 4 | row[x]) : row[x]);
            x += run;
        }
        pixels.WriteU8(0);
        pixels.WriteU8(y + 1 == height ? 1 : 0);  // end of bitmap, or end of line
    }
    const std::uint32_t colours = 1u << bits;
    const std::uint32_t offset = 54 + colours * 4;
    const ByteBuffer data = pixels.Bytes();
    BinaryWriter out;
    out.WriteBytes("BM", 2);
    out.WriteU32(static_cast<std::uint32_t>(offset + data.size()));
    out.WriteU32(0);
    out.WriteU32(offset);
    out.WriteU32(40);
    out.WriteI32(width);
    out.WriteI32(height);
    out.WriteU16(1);
    out.WriteU16(static_cast<std::uint16_t>(bits));
    out.WriteU32(bits == 4 ? 2 : 1);  // BI_RLE4, BI_RLE8
    out.WriteU32(static_cast<std::uint32_t>(data.size()));
    out.WriteI32(2835);
    out.WriteI32(2835);
    out.WriteU32(colours);
    out.WriteU32(0);
    for (std::uint32_t i = 0; i < colours; ++i) {
        out.WriteU8(palette[i * 3 + 2]);
        out.WriteU8(palette[i * 3 + 1]);
        out.WriteU8(palette[i * 3 + 0]);
        out.WriteU8(0);
    }
    out.WriteBytes(data.data(), data.size());
    return out.Bytes();
}

}  // namespace fixtures
