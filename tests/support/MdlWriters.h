#pragma once

// Writers for Quake 1 models (".mdl", "IDPO") so tests, benchmarks and fuzz seeds
// are made here with every field known. Header-only and free of the test framework.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/BinaryIO.h"
#include "support/ModelWriters.h"

namespace fixtures {

struct MdlVertex {
    std::uint8_t x = 0, y = 0, z = 0;
    std::uint8_t normal = 0;
};

struct MdlFrameSpec {
    std::string name;  // 16 bytes (longer names fill the field without a NUL)
    std::vector<MdlVertex> vertices;
};

// One entry of the frame list: a simple frame, or a group of frames.
struct MdlEntrySpec {
    bool group = false;
    std::vector<MdlFrameSpec> frames;  // one for a simple frame
};

struct MdlTexCoordSpec {
    std::int32_t onSeam = 0, s = 0, t = 0;
};

struct MdlTriangleSpec {
    std::int32_t facesFront = 1;
    std::array<std::int32_t, 3> vertex{};
};

struct MdlModel {
    std::array<float, 3> scale{1.0f, 1.0f, 1.0f};
    std::array<float, 3> origin{0.0f, 0.0f, 0.0f};
    std::array<float, 3> eye{0.0f, 0.0f, 0.0f};
    std::int32_t skinWidth = 8;
    std::int32_t skinHeight = 8;
    std::vector<std::vector<std::uint8_t>> skins;  // skinWidth x skinHeight indexes each
    std::int32_t skinGroupFlag = 0;                // written before every skin
    std::int32_t vertexCount = 0;
    std::vector<MdlTexCoordSpec> texCoords;  // vertexCount of them
    std::vector<MdlTriangleSpec> triangles;
    std::vector<MdlEntrySpec> entries;
    ByteBuffer trailer;  // bytes some editors append after the frames
};

inline ByteBuffer WriteMdl(const MdlModel& m) {
    BinaryWriter out;
    out.WriteBytes("IDPO", 4);
    out.WriteI32(6);
    for (const float v : m.scale) out.WriteF32(v);
    for (const float v : m.origin) out.WriteF32(v);
    out.WriteF32(32.0f);  // bounding radius
    for (const float v : m.eye) out.WriteF32(v);
    out.WriteI32(static_cast<std::int32_t>(m.skins.size()));
    out.WriteI32(m.skinWidth);
    out.WriteI32(m.skinHeight);
    out.WriteI32(m.vertexCount);
    out.WriteI32(static_cast<std::int32_t>(m.triangles.size()));
    out.WriteI32(static_cast<std::int32_t>(m.entries.size()));
    out.WriteI32(0);  // sync type
    out.WriteI32(0);  // flags
    out.WriteF32(1.0f);  // size
    for (const auto& skin : m.skins) {
        out.WriteI32(m.skinGroupFlag);
        out.WriteBytes(skin.data(), skin.size());
    }
    for (const MdlTexCoordSpec& c : m.texCoords) {
        out.WriteI32(c.onSeam);
        out.WriteI32(c.s);
        out.WriteI32(c.t);
    }
    for (const MdlTriangleSpec& t : m.triangles) {
        out.WriteI32(t.facesFront);
        for (const std::int32_t v : t.vertex) out.WriteI32(v);
    }
    const auto writeFrame = [&](const MdlFrameSpec& f) {
        out.WriteZeros(8);  // bounding vertices
        std::string name = f.name;
        name.resize(16, '\0');
        out.WriteBytes(name.data(), 16);
        for (int i = 0; i < m.vertexCount; ++i) {
            const MdlVertex v = i < static_cast<int>(f.vertices.size()) ? f.vertices[static_cast<std::size_t>(i)] : MdlVertex{};
            out.WriteU8(v.x);
            out.WriteU8(v.y);
            out.WriteU8(v.z);
            out.WriteU8(v.normal);
        }
    };
    for (const MdlEntrySpec& e : m.entries) {
        out.WriteI32(e.group ? 1 : 0);
        if (!e.group) {
            writeFrame(e.frames.front());
            continue;
        }
        out.WriteI32(static_cast<std::int32_t>(e.frames.size()));
        out.WriteZeros(8);
        for (std::size_t i = 0; i < e.frames.size(); ++i) {
            out.WriteF32(0.1f * static_cast<float>(i + 1));
        }
        for (const MdlFrameSpec& f : e.frames) writeFrame(f);
    }
    out.WriteBytes(m.trailer.data(), m.trailer.size());
    return out.Bytes();
}

// A box of 8 corners (corner i: x = bit 0, y = bit 1, z = bit 2, in model space
// with z up), 12 triangles wound clockwise seen from outside, on a skin whose
// left half is `front` and right half `back`. The four corners with x high lie
// on the seam; the triangles of the face with y high face away, so its two seam
// corners take their s from the back half. Each frame is named as given and is
// `width` wide and heights[f] high, standing on z = 0.
inline MdlModel MakeBoxMdl(const std::vector<std::vector<std::string>>& entryNames, std::size_t skinCount = 1,
                           std::uint8_t front = 251, std::uint8_t back = 208, float width = 16.0f) {
    MdlModel m;
    m.skinWidth = 16;
    m.skinHeight = 8;
    for (std::size_t k = 0; k < skinCount; ++k) {
        std::vector<std::uint8_t> skin(16 * 8);
        for (std::size_t i = 0; i < skin.size(); ++i) {
            skin[i] = (i % 16) < 8 ? front : back;
        }
        m.skins.push_back(skin);
    }
    m.vertexCount = 8;
    for (int i = 0; i < 8; ++i) {
        m.texCoords.push_back({(i & 1) != 0 ? 1 : 0, (i & 2) != 0 ? 6 : 2, (i & 4) != 0 ? 2 : 6});
    }
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    const auto corner = [](int i) {
        return std::array<float, 3>{(i & 1) != 0 ? 1.0f : -1.0f, (i & 2) != 0 ? 1.0f : -1.0f, (i & 4) != 0 ? 1.0f : -1.0f};
    };
    for (const auto& face : faces) {
        std::array<int, 4> c{face[0], face[1], face[2], face[3]};
        // Clockwise seen from outside: (v0 - v1) x (v2 - v1) points out.
        const auto a = corner(c[0]), b = corner(c[1]), d = corner(c[2]);
        const std::array<float, 3> u{a[0] - b[0], a[1] - b[1], a[2] - b[2]};
        const std::array<float, 3> v{d[0] - b[0], d[1] - b[1], d[2] - b[2]};
        const std::array<float, 3> n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const std::array<float, 3> centre{(a[0] + d[0]) / 2, (a[1] + d[1]) / 2, (a[2] + d[2]) / 2};
        if (n[0] * centre[0] + n[1] * centre[1] + n[2] * centre[2] < 0.0f) {
            std::swap(c[1], c[3]);
        }
        const std::int32_t facesFront = (c[0] & c[1] & c[2] & 2) != 0 ? 0 : 1;
        m.triangles.push_back({facesFront, {c[0], c[1], c[2]}});
        m.triangles.push_back({facesFront, {c[0], c[2], c[3]}});
    }
    int f = 0;
    for (const auto& names : entryNames) {
        MdlEntrySpec entry;
        entry.group = names.size() > 1;
        for (const std::string& name : names) {
            const float h = 10.0f + static_cast<float>(f++);
            MdlFrameSpec frame;
            frame.name = name;
            for (int i = 0; i < 8; ++i) {
                MdlVertex v;
                v.x = (i & 1) != 0 ? 255 : 0;
                v.y = (i & 2) != 0 ? 255 : 0;
                v.z = (i & 4) != 0 ? static_cast<std::uint8_t>(h) : 0;
                v.normal = NearestNormal({(i & 1) != 0 ? 1.0f : -1.0f, (i & 2) != 0 ? 1.0f : -1.0f,
                                          (i & 4) != 0 ? 1.0f : -1.0f});
                frame.vertices.push_back(v);
            }
            entry.frames.push_back(frame);
        }
        m.entries.push_back(entry);
    }
    m.scale = {width / 255.0f, width / 255.0f, 1.0f};
    m.origin = {-width / 2.0f, -width / 2.0f, 0.0f};
    return m;
}

}  // namespace fixtures
