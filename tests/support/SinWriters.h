#pragma once

// Writers for SiN models: definitions (".def"), base models (".sbm") and
// animations (".sam"), so tests, benchmarks, fuzz seeds and the sample are made
// here with every field known. Header-only and free of the test framework.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "platform/BinaryIO.h"
#include "support/ModelWriters.h"

namespace fixtures {

// Definition text: "SDEF" and then each line, every line ended by CR LF.
inline std::string SinDefText(const std::vector<std::string>& lines) {
    std::string text = "SDEF\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

struct SbmTriangleSpec {
    std::array<std::int16_t, 3> xyz{};
    std::array<std::int16_t, 3> st{};
};

struct SbmGroupSpec {
    std::int32_t id = 1;
    std::vector<SbmTriangleSpec> triangles;
};

struct SbmSpec {
    std::int32_t vertexCount = 0;
    std::vector<std::array<float, 2>> st;
    std::vector<SbmGroupSpec> groups;
};

// Byte offsets of fields, for tests that break one.
namespace sbm_field {
inline constexpr std::size_t kIdent = 0, kVersion = 4, kVertexCount = 8, kStCount = 12, kGroupCount = 16,
                             kStOffset = 20, kGroups = 28, kGroupSize = 24, kGroupTriangleCount = 4,
                             kGroupTrianglesOffset = 16;
}
namespace sam_field {
inline constexpr std::size_t kIdent = 0, kVersion = 4, kVertexCount = 112, kFrameCount = 116, kFramesOffset = 120,
                             kFrames = 128, kFrameSize = 44, kFrameVerticesOffset = 40;
}

// Header, group records, texture coordinates, then each group's triangles.
inline ByteBuffer WriteSbm(const SbmSpec& m) {
    const auto groups = static_cast<std::int32_t>(m.groups.size());
    const std::int32_t stOffset = 28 + 24 * groups;
    std::int32_t position = stOffset + 8 * static_cast<std::int32_t>(m.st.size());
    std::vector<std::int32_t> triangleOffsets;
    for (const SbmGroupSpec& g : m.groups) {
        triangleOffsets.push_back(position);
        position += 16 * static_cast<std::int32_t>(g.triangles.size());
    }
    BinaryWriter out;
    out.WriteBytes("SBM ", 4);
    out.WriteI32(1);
    out.WriteI32(m.vertexCount);
    out.WriteI32(static_cast<std::int32_t>(m.st.size()));
    out.WriteI32(groups);
    out.WriteI32(stOffset);
    out.WriteI32(position);
    for (std::size_t g = 0; g < m.groups.size(); ++g) {
        const std::int32_t record = 28 + 24 * static_cast<std::int32_t>(g);
        const std::int32_t end = triangleOffsets[g] + 16 * static_cast<std::int32_t>(m.groups[g].triangles.size());
        out.WriteI32(m.groups[g].id);
        out.WriteI32(static_cast<std::int32_t>(m.groups[g].triangles.size()));
        out.WriteI32(0);  // no command list
        out.WriteI32(0);
        out.WriteI32(triangleOffsets[g] - record);
        out.WriteI32(end - record);
    }
    for (const auto& coord : m.st) {
        out.WriteF32(coord[0]);
        out.WriteF32(coord[1]);
    }
    for (const SbmGroupSpec& g : m.groups) {
        for (const SbmTriangleSpec& t : g.triangles) {
            for (const std::int16_t v : t.xyz) {
                out.WriteI16(v);
            }
            for (const std::int16_t v : t.st) {
                out.WriteI16(v);
            }
            out.WriteI32(0);
        }
    }
    return out.Bytes();
}

struct SamFrameSpec {
    std::array<float, 3> scale{1.0f, 1.0f, 1.0f};
    std::array<float, 3> translate{0.0f, 0.0f, 0.0f};
    std::vector<Md2Vertex> vertices;
};

struct SamSpec {
    std::string name = "anim";
    float frameTime = 0.1f;
    std::vector<SamFrameSpec> frames;

    std::int32_t VertexCount() const { return frames.empty() ? 0 : static_cast<std::int32_t>(frames[0].vertices.size()); }
};

// Header, frame records, then each frame's vertices.
inline ByteBuffer WriteSam(const SamSpec& a) {
    const std::int32_t vertexCount = a.VertexCount();
    const auto frames = static_cast<std::int32_t>(a.frames.size());
    const std::int32_t verticesStart = 128 + 44 * frames;
    const std::int32_t end = verticesStart + 4 * vertexCount * frames;
    // The whole animation's box, for the header.
    std::array<float, 3> lo{}, hi{};
    for (std::size_t k = 0; k < 3 && !a.frames.empty(); ++k) {
        lo[k] = a.frames[0].translate[k];
        hi[k] = lo[k];
        for (const SamFrameSpec& f : a.frames) {
            lo[k] = std::min(lo[k], f.translate[k]);
            hi[k] = std::max(hi[k], f.translate[k] + 255.0f * f.scale[k]);
        }
    }
    BinaryWriter out;
    out.WriteBytes("SAM ", 4);
    out.WriteI32(1);
    out.WriteText(a.name, 64);
    for (std::size_t k = 0; k < 3; ++k) {
        out.WriteF32((hi[k] - lo[k]) / 255.0f);
    }
    for (std::size_t k = 0; k < 3; ++k) {
        out.WriteF32(lo[k]);
    }
    out.WriteZeros(12);  // totaldelta: in place
    out.WriteF32(a.frameTime * static_cast<float>(frames));
    out.WriteI32(vertexCount);
    out.WriteI32(frames);
    out.WriteI32(128);
    out.WriteI32(end);
    for (std::int32_t f = 0; f < frames; ++f) {
        const SamFrameSpec& frame = a.frames[static_cast<std::size_t>(f)];
        out.WriteZeros(12);  // movedelta
        out.WriteF32(a.frameTime);
        for (const float v : frame.scale) {
            out.WriteF32(v);
        }
        for (const float v : frame.translate) {
            out.WriteF32(v);
        }
        const std::int32_t record = 128 + 44 * f;
        out.WriteI32(verticesStart + 4 * vertexCount * f - record);
    }
    for (const SamFrameSpec& frame : a.frames) {
        for (std::int32_t i = 0; i < vertexCount; ++i) {
            const Md2Vertex v = i < static_cast<std::int32_t>(frame.vertices.size())
                                    ? frame.vertices[static_cast<std::size_t>(i)]
                                    : Md2Vertex{};
            out.WriteU8(v.x);
            out.WriteU8(v.y);
            out.WriteU8(v.z);
            out.WriteU8(v.normal);
        }
    }
    return out.Bytes();
}

// A box standing on its base as a base model of two groups: group 1 the four
// sides, group 2 the top and bottom. Corner i has x = bit 0, y = bit 1, z = bit 2;
// triangles are wound clockwise seen from outside, as model front faces are.
inline SbmSpec MakeSinBoxModel() {
    SbmSpec m;
    m.vertexCount = 8;
    m.st = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    const auto corner = [](int i) {
        return Vector3{(i & 1) != 0 ? 1.0f : -1.0f, (i & 2) != 0 ? 1.0f : -1.0f, (i & 4) != 0 ? 1.0f : -1.0f};
    };
    const int faces[6][4] = {{0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}, {0, 2, 3, 1}, {4, 5, 7, 6}};
    m.groups = {SbmGroupSpec{1, {}}, SbmGroupSpec{2, {}}};
    for (int f = 0; f < 6; ++f) {
        std::array<int, 4> c{faces[f][0], faces[f][1], faces[f][2], faces[f][3]};
        const Vector3 centre = (corner(c[0]) + corner(c[2])) * 0.5f;
        const Vector3 n = (corner(c[0]) - corner(c[1])).Cross(corner(c[2]) - corner(c[1]));
        if (n.Dot(centre) < 0.0f) {
            std::swap(c[1], c[3]);
        }
        const auto v = [&](int k) { return static_cast<std::int16_t>(c[static_cast<std::size_t>(k)]); };
        SbmGroupSpec& g = m.groups[f < 4 ? 0 : 1];
        g.triangles.push_back({{v(0), v(1), v(2)}, {0, 1, 2}});
        g.triangles.push_back({{v(0), v(2), v(3)}, {0, 2, 3}});
    }
    return m;
}

// An animation of the box: frame f is `width` wide and deep and heights[f] high,
// its base at `baseZ`, centred on x = y = 0.
inline SamSpec MakeSinBoxAnimation(const std::string& name, const std::vector<float>& heights, float width = 16.0f,
                                   float baseZ = -24.0f) {
    SamSpec a;
    a.name = name;
    for (const float h : heights) {
        SamFrameSpec frame;
        frame.scale = {width / 255.0f, width / 255.0f, h / 255.0f};
        frame.translate = {-width / 2.0f, -width / 2.0f, baseZ};
        for (int i = 0; i < 8; ++i) {
            Md2Vertex v;
            v.x = (i & 1) != 0 ? 255 : 0;
            v.y = (i & 2) != 0 ? 255 : 0;
            v.z = (i & 4) != 0 ? 255 : 0;
            v.normal = NearestNormal({(i & 1) != 0 ? 1.0f : -1.0f, (i & 2) != 0 ? 1.0f : -1.0f,
                                      (i & 4) != 0 ? 1.0f : -1.0f});
            frame.vertices.push_back(v);
        }
        a.frames.push_back(frame);
    }
    return a;
}

}  // namespace fixtures
