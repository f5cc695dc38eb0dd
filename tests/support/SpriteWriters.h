#pragma once

// Writers for the three sprite files (Quake 2 ".sp2", Quake 1 and Half-Life
// ".spr"), so tests, benchmarks and fuzz seeds are made here with every field
// known. Header-only and free of the test framework.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/BinaryIO.h"

namespace fixtures {

struct Sp2Frame {
    std::int32_t width = 8, height = 8, originX = 4, originY = 4;
    std::string image;  // the picture's game path
};

inline ByteBuffer WriteSp2(const std::vector<Sp2Frame>& frames) {
    BinaryWriter out;
    out.WriteBytes("IDS2", 4);
    out.WriteI32(2);
    out.WriteI32(static_cast<std::int32_t>(frames.size()));
    for (const Sp2Frame& f : frames) {
        out.WriteI32(f.width);
        out.WriteI32(f.height);
        out.WriteI32(f.originX);
        out.WriteI32(f.originY);
        out.WriteText(f.image, 64);
    }
    return out.Bytes();
}

struct SprPicture {
    std::int32_t originX = -2, originY = 2, width = 4, height = 4;
    std::vector<std::uint8_t> indexes;  // width x height, top row first
};

// A frame: one picture, or a group of pictures with their timings.
struct SprFrame {
    bool group = false;
    std::vector<SprPicture> pictures;
    std::vector<float> times;  // one per picture of a group
};

struct SprSprite {
    int version = 1;        // 1 Quake 1, 2 Half-Life
    std::int32_t type = 2;  // faces the viewer's plane
    std::int32_t textureFormat = 0;  // Half-Life only
    std::int32_t colours = 256;      // Half-Life only: palette entries written
    std::vector<SprFrame> frames;
};

// A picture of one index, or of `index` with a border of 255 (transparent).
inline SprPicture SolidPicture(std::uint8_t index, std::int32_t width = 4, std::int32_t height = 4, bool border = false) {
    SprPicture p;
    p.width = width;
    p.height = height;
    p.originX = -width / 2;
    p.originY = height / 2;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            p.indexes.push_back(border && edge ? 255 : index);
        }
    }
    return p;
}

// Half-Life palettes from the writer: entry i is (i, 255 - i, 128).
inline ByteBuffer WriteSpr(const SprSprite& s) {
    BinaryWriter out;
    out.WriteBytes("IDSP", 4);
    out.WriteI32(s.version);
    out.WriteI32(s.type);
    if (s.version == 2) {
        out.WriteI32(s.textureFormat);
    }
    out.WriteF32(16.0f);  // bounding radius
    out.WriteI32(16);     // largest width and height
    out.WriteI32(16);
    out.WriteI32(static_cast<std::int32_t>(s.frames.size()));
    out.WriteF32(0.0f);  // beam length
    out.WriteI32(0);     // sync type
    if (s.version == 2) {
        out.WriteI16(static_cast<std::int16_t>(s.colours));
        for (int i = 0; i < s.colours; ++i) {
            out.WriteU8(static_cast<std::uint8_t>(i));
            out.WriteU8(static_cast<std::uint8_t>(255 - i));
            out.WriteU8(128);
        }
    }
    const auto writePicture = [&](const SprPicture& p) {
        out.WriteI32(p.originX);
        out.WriteI32(p.originY);
        out.WriteI32(p.width);
        out.WriteI32(p.height);
        out.WriteBytes(p.indexes.data(), p.indexes.size());
    };
    for (const SprFrame& f : s.frames) {
        out.WriteI32(f.group ? 1 : 0);
        if (!f.group) {
            writePicture(f.pictures.front());
            continue;
        }
        out.WriteI32(static_cast<std::int32_t>(f.pictures.size()));
        for (const float t : f.times) {
            out.WriteF32(t);
        }
        for (const SprPicture& p : f.pictures) {
            writePicture(p);
        }
    }
    return out.Bytes();
}

}  // namespace fixtures
