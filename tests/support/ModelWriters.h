#pragma once

// A writer for Quake 2 models (".md2"), so tests, benchmarks, fuzz seeds and the
// sample assets are made here with every field known. Header-only and free of the
// test framework.

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "models/QuakeNormals.h"
#include "platform/BinaryIO.h"

namespace fixtures {

struct Md2Vertex {
    std::uint8_t x = 0, y = 0, z = 0;
    std::uint8_t normal = 0;  // index into the Quake normal table
};

struct Md2Frame {
    std::array<float, 3> scale{1.0f, 1.0f, 1.0f};
    std::array<float, 3> translate{0.0f, 0.0f, 0.0f};
    std::string name;  // written into 16 bytes (longer names fill the field without a NUL)
    std::vector<Md2Vertex> vertices;
};

struct Md2CommandVertex {
    float s = 0.0f;
    float t = 0.0f;
    std::int32_t index = 0;
};

struct Md2Command {
    bool fan = false;
    std::vector<Md2CommandVertex> vertices;
};

struct Md2Triangle {
    std::array<std::int16_t, 3> vertex{};
    std::array<std::int16_t, 3> st{};
};

struct Md2Model {
    std::int32_t skinWidth = 64;
    std::int32_t skinHeight = 64;
    std::vector<std::string> skins;  // 64-byte names
    std::vector<std::array<std::int16_t, 2>> st;
    std::vector<Md2Triangle> triangles;
    std::vector<Md2Frame> frames;
    std::vector<Md2Command> commands;
    int extraFrameBytes = 0;  // padding after each frame's vertices

    int VertexCount() const { return frames.empty() ? 0 : static_cast<int>(frames.front().vertices.size()); }
    int FrameSize() const { return 40 + 4 * VertexCount() + extraFrameBytes; }
    int CommandWords() const {
        int words = 1;  // the closing 0
        for (const Md2Command& c : commands) {
            words += 1 + 3 * static_cast<int>(c.vertices.size());
        }
        return words;
    }
};

// Byte offsets of the header fields, for tests that break one.
namespace md2_field {
inline constexpr std::size_t kIdent = 0, kVersion = 4, kFrameSize = 16, kSkinCount = 20, kVertexCount = 24,
                             kTriangleCount = 32, kCommandCount = 36, kFrameCount = 40, kSkinsOffset = 44,
                             kFramesOffset = 56, kCommandsOffset = 60, kEndOffset = 64;
}

inline void PatchI32(ByteBuffer& bytes, std::size_t offset, std::int32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
    }
}

inline std::int32_t ReadI32At(const ByteBuffer& bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(bytes[offset + static_cast<std::size_t>(i)]) << (8 * i);
    }
    return static_cast<std::int32_t>(v);
}

// Header, skins, st, triangles, frames, GL commands: the order the Quake tools use.
inline ByteBuffer WriteMd2(const Md2Model& m) {
    const std::int32_t skins = 68;
    const std::int32_t st = skins + 64 * static_cast<std::int32_t>(m.skins.size());
    const std::int32_t tris = st + 4 * static_cast<std::int32_t>(m.st.size());
    const std::int32_t frames = tris + 12 * static_cast<std::int32_t>(m.triangles.size());
    const std::int32_t commands = frames + m.FrameSize() * static_cast<std::int32_t>(m.frames.size());
    const std::int32_t end = commands + 4 * m.CommandWords();

    BinaryWriter out;
    out.WriteBytes("IDP2", 4);
    out.WriteI32(8);
    out.WriteI32(m.skinWidth);
    out.WriteI32(m.skinHeight);
    out.WriteI32(m.FrameSize());
    out.WriteI32(static_cast<std::int32_t>(m.skins.size()));
    out.WriteI32(m.VertexCount());
    out.WriteI32(static_cast<std::int32_t>(m.st.size()));
    out.WriteI32(static_cast<std::int32_t>(m.triangles.size()));
    out.WriteI32(m.CommandWords());
    out.WriteI32(static_cast<std::int32_t>(m.frames.size()));
    for (const std::int32_t offset : {skins, st, tris, frames, commands, end}) {
        out.WriteI32(offset);
    }
    for (const std::string& skin : m.skins) {
        out.WriteText(skin, 64);
    }
    for (const auto& coord : m.st) {
        out.WriteI16(coord[0]);
        out.WriteI16(coord[1]);
    }
    for (const Md2Triangle& t : m.triangles) {
        for (const std::int16_t v : t.vertex) {
            out.WriteI16(v);
        }
        for (const std::int16_t v : t.st) {
            out.WriteI16(v);
        }
    }
    for (const Md2Frame& f : m.frames) {
        for (const float v : f.scale) {
            out.WriteF32(v);
        }
        for (const float v : f.translate) {
            out.WriteF32(v);
        }
        std::string name = f.name;
        name.resize(16, '\0');
        out.WriteBytes(name.data(), 16);
        for (int i = 0; i < m.VertexCount(); ++i) {
            const Md2Vertex v = i < static_cast<int>(f.vertices.size()) ? f.vertices[static_cast<std::size_t>(i)] : Md2Vertex{};
            out.WriteU8(v.x);
            out.WriteU8(v.y);
            out.WriteU8(v.z);
            out.WriteU8(v.normal);
        }
        out.WriteZeros(static_cast<std::size_t>(m.extraFrameBytes));
    }
    for (const Md2Command& c : m.commands) {
        const auto n = static_cast<std::int32_t>(c.vertices.size());
        out.WriteI32(c.fan ? -n : n);
        for (const Md2CommandVertex& v : c.vertices) {
            out.WriteF32(v.s);
            out.WriteF32(v.t);
            out.WriteI32(v.index);
        }
    }
    out.WriteI32(0);
    return out.Bytes();
}

// The table entry closest to a direction in model space.
inline std::uint8_t NearestNormal(Vector3 direction) {
    direction.Normalize();
    int best = 0;
    float bestDot = -2.0f;
    for (int i = 0; i < kQuakeNormalCount; ++i) {
        const float d = kQuakeNormals[static_cast<std::size_t>(i)].Dot(direction);
        if (d > bestDot) {
            bestDot = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// A box standing on its base, as the model's frames: corner i has x = bit 0,
// y = bit 1, z = bit 2 (0 low, 255 high); each frame is `width` wide and deep and
// `heights[f]` high, its base at `baseZ`, centred on x = y = 0. Each face is a fan
// wound clockwise seen from outside, as the model's front faces are.
inline Md2Model MakeBoxModel(const std::vector<std::string>& frameNames, const std::vector<float>& heights,
                             float width = 16.0f, float baseZ = -24.0f) {
    Md2Model m;
    for (std::size_t f = 0; f < frameNames.size(); ++f) {
        Md2Frame frame;
        const float h = f < heights.size() ? heights[f] : 32.0f;
        frame.scale = {width / 255.0f, width / 255.0f, h / 255.0f};
        frame.translate = {-width / 2.0f, -width / 2.0f, baseZ};
        frame.name = frameNames[f];
        for (int i = 0; i < 8; ++i) {
            Md2Vertex v;
            v.x = (i & 1) != 0 ? 255 : 0;
            v.y = (i & 2) != 0 ? 255 : 0;
            v.z = (i & 4) != 0 ? 255 : 0;
            v.normal = NearestNormal({(i & 1) != 0 ? 1.0f : -1.0f, (i & 2) != 0 ? 1.0f : -1.0f, (i & 4) != 0 ? 1.0f : -1.0f});
            frame.vertices.push_back(v);
        }
        m.frames.push_back(frame);
    }
    const auto corner = [](int i) {
        return Vector3{(i & 1) != 0 ? 1.0f : -1.0f, (i & 2) != 0 ? 1.0f : -1.0f, (i & 4) != 0 ? 1.0f : -1.0f};
    };
    // Faces as cycles of corners; each is turned so that (v0 - v1) x (v2 - v1)
    // points outwards (clockwise seen from outside).
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    const float st[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (const auto& face : faces) {
        std::array<int, 4> cycle{face[0], face[1], face[2], face[3]};
        const Vector3 centre = (corner(cycle[0]) + corner(cycle[2])) * 0.5f;
        const Vector3 n = (corner(cycle[0]) - corner(cycle[1])).Cross(corner(cycle[2]) - corner(cycle[1]));
        if (n.Dot(centre) < 0.0f) {
            std::swap(cycle[1], cycle[3]);
        }
        Md2Command c;
        c.fan = true;
        for (int k = 0; k < 4; ++k) {
            c.vertices.push_back({st[k][0], st[k][1], cycle[static_cast<std::size_t>(k)]});
        }
        m.commands.push_back(c);
        m.triangles.push_back({{static_cast<std::int16_t>(cycle[0]), static_cast<std::int16_t>(cycle[1]),
                                static_cast<std::int16_t>(cycle[2])},
                               {0, 1, 2}});
        m.triangles.push_back({{static_cast<std::int16_t>(cycle[0]), static_cast<std::int16_t>(cycle[2]),
                                static_cast<std::int16_t>(cycle[3])},
                               {0, 2, 3}});
    }
    m.st = {{0, 0}, {63, 0}, {63, 63}, {0, 63}};
    return m;
}

// A tube without caps, `segments` around and `rings` high (2 x segments x rings
// triangles), one triangle strip per ring band wound clockwise seen from outside.
// Frame f bulges by a sine of f, so consecutive frames differ everywhere.
inline Md2Model MakeTubeModel(int segments, int rings, const std::vector<std::string>& frameNames,
                              float radius = 16.0f, float height = 48.0f) {
    Md2Model m;
    const float pi = 3.14159265f;
    const auto position = [&](int frame, int segment, int ring) {
        const float a = 2.0f * pi * static_cast<float>(segment) / static_cast<float>(segments);
        const float v = static_cast<float>(ring) / static_cast<float>(rings);
        const float r = radius * (1.0f + 0.2f * std::sin(pi * v) * std::sin(0.3f * static_cast<float>(frame)));
        return Vector3{r * std::cos(a), r * std::sin(a), height * v};
    };
    const int around = segments + 1;  // the seam is doubled so s runs 0..1
    for (std::size_t f = 0; f < frameNames.size(); ++f) {
        Md2Frame frame;
        const float extent = radius * 1.25f;
        frame.scale = {2.0f * extent / 255.0f, 2.0f * extent / 255.0f, height / 255.0f};
        frame.translate = {-extent, -extent, 0.0f};
        frame.name = frameNames[f];
        for (int ring = 0; ring <= rings; ++ring) {
            for (int s = 0; s < around; ++s) {
                const Vector3 p = position(static_cast<int>(f), s % segments, ring);
                Md2Vertex v;
                v.x = static_cast<std::uint8_t>(std::lround((p.x + extent) / frame.scale[0]));
                v.y = static_cast<std::uint8_t>(std::lround((p.y + extent) / frame.scale[1]));
                v.z = static_cast<std::uint8_t>(std::lround(p.z / frame.scale[2]));
                v.normal = NearestNormal({p.x, p.y, 0.0f});
                frame.vertices.push_back(v);
            }
        }
        m.frames.push_back(frame);
    }
    const auto index = [&](int s, int ring) { return ring * around + s; };
    // Which of a band's two rows leads decides the winding; pick the clockwise one.
    const Vector3 b0 = position(0, 0, 0), t0 = position(0, 0, 1), b1 = position(0, 1, 0);
    const bool bottomFirst = (b0 - t0).Cross(b1 - t0).Dot(Vector3{b0.x, b0.y, 0.0f}) > 0.0f;
    for (int ring = 0; ring < rings; ++ring) {
        Md2Command c;
        for (int s = 0; s < around; ++s) {
            const float u = static_cast<float>(s) / static_cast<float>(segments);
            const Md2CommandVertex bottom{u, 1.0f - static_cast<float>(ring) / static_cast<float>(rings), index(s, ring)};
            const Md2CommandVertex top{u, 1.0f - static_cast<float>(ring + 1) / static_cast<float>(rings),
                                       index(s, ring + 1)};
            c.vertices.push_back(bottomFirst ? bottom : top);
            c.vertices.push_back(bottomFirst ? top : bottom);
            if (s + 1 < around) {
                const auto lo = static_cast<std::int16_t>(index(s, ring));
                const auto hi = static_cast<std::int16_t>(index(s, ring + 1));
                const auto lo1 = static_cast<std::int16_t>(index(s + 1, ring));
                const auto hi1 = static_cast<std::int16_t>(index(s + 1, ring + 1));
                m.triangles.push_back({{lo, hi, lo1}, {0, 0, 0}});
                m.triangles.push_back({{hi, hi1, lo1}, {0, 0, 0}});
            }
        }
        m.commands.push_back(c);
    }
    m.st = {{0, 0}};
    return m;
}

// Frame names "<name>01".."<name>NN" for each (name, count), in order.
inline std::vector<std::string> NumberedFrames(const std::vector<std::pair<std::string, int>>& runs) {
    std::vector<std::string> names;
    for (const auto& [name, count] : runs) {
        for (int i = 1; i <= count; ++i) {
            names.push_back(name + (i < 10 ? "0" : "") + std::to_string(i));
        }
    }
    return names;
}

}  // namespace fixtures
