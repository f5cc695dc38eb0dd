#pragma once

// A writer for Half-Life studio models (".mdl" "IDST" version 10), their texture
// files ("T.mdl") and sequence-group files ("IDSQ"), so tests, benchmarks, fuzz
// seeds and sample assets are made here with every field known. Header-only and
// free of the test framework.

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "platform/BinaryIO.h"

namespace fixtures {

// One run-length record of a channel: `values` are its valid values; frames
// past them inside `total` repeat the last one.
struct StudioRun {
    std::uint8_t total = 1;
    std::vector<std::int16_t> values;
};
// No runs: the channel keeps its bone's default (offset 0).
using StudioChannel = std::vector<StudioRun>;

// The shortest run-length form of one value per frame.
inline StudioChannel RunLength(const std::vector<std::int16_t>& frames) {
    StudioChannel runs;
    std::size_t i = 0;
    while (i < frames.size()) {
        StudioRun run;
        std::size_t end = i;
        while (end < frames.size() && run.values.size() < 255 && run.total < 255) {
            if (!run.values.empty() && frames[end] == run.values.back()) {
                break;
            }
            run.values.push_back(frames[end]);
            ++end;
        }
        run.total = static_cast<std::uint8_t>(run.values.size());
        while (end < frames.size() && frames[end] == run.values.back() && run.total < 255) {
            ++run.total;
            ++end;
        }
        runs.push_back(run);
        i = end;
    }
    return runs;
}

struct StudioBoneDef {
    std::string name;
    int parent = -1;
    std::array<int, 6> controller{-1, -1, -1, -1, -1, -1};
    std::array<float, 6> value{};
    std::array<float, 6> scale{1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
};

struct StudioControllerDef {
    int bone = 0;
    int type = 0;
    float start = 0.0f;
    float end = 0.0f;
    int rest = 0;
    int index = 0;
};

// Per bone six channels (x, y, z, rx, ry, rz).
using StudioBlendDef = std::vector<std::array<StudioChannel, 6>>;

struct StudioSequenceDef {
    std::string label;
    float fps = 30.0f;
    int flags = 0;
    int frames = 1;
    int motionType = 0;
    int motionBone = 0;
    Vector3 bbMin{-16.0f, -16.0f, 0.0f};
    Vector3 bbMax{16.0f, 16.0f, 72.0f};
    std::vector<StudioBlendDef> blends{StudioBlendDef{}};  // bones missing from a blend keep their defaults
    std::array<int, 2> blendType{};
    std::array<float, 2> blendStart{};
    std::array<float, 2> blendEnd{};
    int group = 0;
};

struct StudioCommandDef {
    bool fan = false;
    std::vector<std::array<std::int16_t, 4>> vertices;  // vertex, normal, s, t
};

struct StudioMeshDef {
    int skinReference = 0;
    std::vector<StudioCommandDef> commands;
};

struct StudioSubmodelDef {
    std::string name = "body";
    std::vector<Vector3> vertices;
    std::vector<std::uint8_t> vertexBones;
    std::vector<Vector3> normals;
    std::vector<std::uint8_t> normalBones;
    std::vector<StudioMeshDef> meshes;
};

struct StudioBodyPartDef {
    std::string name = "body";
    int base = 1;
    std::vector<StudioSubmodelDef> models;
};

struct StudioTextureDef {
    std::string name;
    int flags = 0;
    int width = 8;
    int height = 8;
    std::vector<std::uint8_t> indexes;  // width x height (filled with 1 when empty)
    std::vector<std::uint8_t> palette;  // 768 bytes (a grey ramp when empty)
};

struct StudioModelDef {
    std::string name = "model.mdl";
    int version = 10;
    std::vector<StudioBoneDef> bones;
    std::vector<StudioControllerDef> controllers;
    std::vector<StudioSequenceDef> sequences;
    int groupCount = 1;  // group 0 is the model itself
    std::vector<StudioBodyPartDef> bodyParts;
    std::vector<StudioTextureDef> textures;
    std::vector<std::vector<std::int16_t>> skinFamilies;  // rows of texture indexes; one identity row when empty
    bool separateTextures = false;                        // textures go to the "T.mdl" file only
};

namespace studio_field {
inline constexpr std::size_t kVersion = 4, kBoneCount = 140, kBoneOffset = 144, kControllerCount = 148,
                             kSequenceCount = 164, kSequenceOffset = 168, kGroupCount = 172, kTextureCount = 180,
                             kTextureOffset = 184, kSkinRefs = 192, kSkinFamilies = 196, kSkinTable = 200,
                             kBodyPartCount = 204, kBodyPartOffset = 208;
}

namespace studio_detail {
inline void Header(BinaryWriter& out, const char* ident, int version, const std::string& name) {
    out.WriteBytes(ident, 4);
    out.WriteI32(version);
    out.WriteText(name, 64);
}

// Writes every blend of `s` at the writer's position; offsets are counted from each bone's record.
inline void WriteAnimation(BinaryWriter& out, const StudioSequenceDef& s, std::size_t boneCount) {
    const std::size_t base = out.Size();
    out.WriteZeros(s.blends.size() * boneCount * 12);
    for (std::size_t b = 0; b < s.blends.size(); ++b) {
        for (std::size_t bone = 0; bone < boneCount && bone < s.blends[b].size(); ++bone) {
            for (std::size_t c = 0; c < 6; ++c) {
                const StudioChannel& channel = s.blends[b][bone][c];
                if (channel.empty()) {
                    continue;
                }
                const std::size_t record = base + (b * boneCount + bone) * 12;
                const std::size_t offset = out.Size() - record;
                out.Bytes()[record + 2 * c] = static_cast<std::uint8_t>(offset & 0xff);
                out.Bytes()[record + 2 * c + 1] = static_cast<std::uint8_t>(offset >> 8);
                for (const StudioRun& run : channel) {
                    out.WriteU8(static_cast<std::uint8_t>(run.values.size()));
                    out.WriteU8(run.total);
                    for (const std::int16_t v : run.values) {
                        out.WriteI16(v);
                    }
                }
            }
        }
    }
}

// Textures (records, pixels, palettes) and the skin table; the header fields are patched.
inline void WriteTextures(BinaryWriter& out, const StudioModelDef& m) {
    const std::size_t count = m.textures.size();
    out.PatchI32(studio_field::kTextureCount, static_cast<std::int32_t>(count));
    out.PatchI32(studio_field::kTextureOffset, static_cast<std::int32_t>(out.Size()));
    const std::size_t records = out.Size();
    out.WriteZeros(count * 80);
    for (std::size_t i = 0; i < count; ++i) {
        const StudioTextureDef& t = m.textures[i];
        BinaryWriter rec;
        rec.WriteText(t.name, 64);
        rec.WriteI32(t.flags);
        rec.WriteI32(t.width);
        rec.WriteI32(t.height);
        rec.WriteI32(static_cast<std::int32_t>(out.Size()));
        std::copy(rec.Bytes().begin(), rec.Bytes().end(), out.Bytes().begin() + static_cast<std::ptrdiff_t>(records + i * 80));
        std::vector<std::uint8_t> pixels = t.indexes;
        pixels.resize(static_cast<std::size_t>(t.width) * static_cast<std::size_t>(t.height), 1);
        out.WriteBytes(pixels.data(), pixels.size());
        std::vector<std::uint8_t> palette = t.palette;
        if (palette.empty()) {
            for (int e = 0; e < 256; ++e) {
                palette.insert(palette.end(), {static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(e),
                                               static_cast<std::uint8_t>(e)});
            }
        }
        palette.resize(768, 0);
        out.WriteBytes(palette.data(), palette.size());
    }
    std::vector<std::vector<std::int16_t>> families = m.skinFamilies;
    if (families.empty()) {
        families.emplace_back();
        for (std::size_t i = 0; i < count; ++i) {
            families.back().push_back(static_cast<std::int16_t>(i));
        }
    }
    const std::size_t references = families.front().size();
    out.PatchI32(studio_field::kSkinRefs, static_cast<std::int32_t>(references));
    out.PatchI32(studio_field::kSkinFamilies, static_cast<std::int32_t>(references == 0 ? 0 : families.size()));
    out.PatchI32(studio_field::kSkinTable, static_cast<std::int32_t>(out.Size()));
    for (const auto& row : families) {
        for (std::size_t r = 0; r < references; ++r) {
            out.WriteI16(r < row.size() ? row[r] : 0);
        }
    }
}
}  // namespace studio_detail

// The main file: header, bones, controllers, sequences, groups, body parts with
// their submodels and meshes, the textures (unless separate), then the animation
// data of the group 0 sequences.
inline ByteBuffer WriteStudioModel(const StudioModelDef& m) {
    using namespace studio_detail;
    BinaryWriter out;
    Header(out, "IDST", m.version, m.name);
    out.WriteZeros(244 - out.Size());

    out.PatchI32(studio_field::kBoneCount, static_cast<std::int32_t>(m.bones.size()));
    out.PatchI32(studio_field::kBoneOffset, static_cast<std::int32_t>(out.Size()));
    for (const StudioBoneDef& b : m.bones) {
        out.WriteText(b.name, 32);
        out.WriteI32(b.parent);
        out.WriteI32(0);
        for (const int c : b.controller) {
            out.WriteI32(c);
        }
        for (const float v : b.value) {
            out.WriteF32(v);
        }
        for (const float s : b.scale) {
            out.WriteF32(s);
        }
    }
    out.PatchI32(studio_field::kControllerCount, static_cast<std::int32_t>(m.controllers.size()));
    out.PatchI32(studio_field::kControllerCount + 4, static_cast<std::int32_t>(out.Size()));
    for (const StudioControllerDef& c : m.controllers) {
        out.WriteI32(c.bone);
        out.WriteI32(c.type);
        out.WriteF32(c.start);
        out.WriteF32(c.end);
        out.WriteI32(c.rest);
        out.WriteI32(c.index);
    }
    out.PatchI32(studio_field::kSequenceCount, static_cast<std::int32_t>(m.sequences.size()));
    out.PatchI32(studio_field::kSequenceOffset, static_cast<std::int32_t>(out.Size()));
    const std::size_t sequences = out.Size();
    for (const StudioSequenceDef& s : m.sequences) {
        const std::size_t at = out.Size();
        out.WriteText(s.label, 32);
        out.WriteF32(s.fps);
        out.WriteI32(s.flags);
        out.WriteZeros(56 - (out.Size() - at));
        out.WriteI32(s.frames);
        out.WriteZeros(68 - (out.Size() - at));
        out.WriteI32(s.motionType);
        out.WriteI32(s.motionBone);
        out.WriteZeros(96 - (out.Size() - at));
        for (const Vector3& v : {s.bbMin, s.bbMax}) {
            out.WriteF32(v.x);
            out.WriteF32(v.y);
            out.WriteF32(v.z);
        }
        out.WriteI32(static_cast<std::int32_t>(s.blends.size()));
        out.WriteI32(0);  // animation offset, patched below
        out.WriteI32(s.blendType[0]);
        out.WriteI32(s.blendType[1]);
        out.WriteF32(s.blendStart[0]);
        out.WriteF32(s.blendStart[1]);
        out.WriteF32(s.blendEnd[0]);
        out.WriteF32(s.blendEnd[1]);
        out.WriteI32(0);
        out.WriteI32(s.group);
        out.WriteZeros(176 - (out.Size() - at));
    }
    out.PatchI32(studio_field::kGroupCount, m.groupCount);
    out.PatchI32(studio_field::kGroupCount + 4, static_cast<std::int32_t>(out.Size()));
    for (int g = 0; g < m.groupCount; ++g) {
        out.WriteText(g == 0 ? "default" : "group" + std::to_string(g), 32);
        out.WriteText(g == 0 ? std::string() : "models\\group" + std::to_string(g) + ".mdl", 64);
        out.WriteZeros(8);
    }

    out.PatchI32(studio_field::kBodyPartCount, static_cast<std::int32_t>(m.bodyParts.size()));
    out.PatchI32(studio_field::kBodyPartOffset, static_cast<std::int32_t>(out.Size()));
    const std::size_t parts = out.Size();
    out.WriteZeros(m.bodyParts.size() * 76);
    for (std::size_t p = 0; p < m.bodyParts.size(); ++p) {
        const StudioBodyPartDef& part = m.bodyParts[p];
        const std::size_t models = out.Size();
        out.WriteZeros(part.models.size() * 112);
        BinaryWriter rec;
        rec.WriteText(part.name, 64);
        rec.WriteI32(static_cast<std::int32_t>(part.models.size()));
        rec.WriteI32(part.base);
        rec.WriteI32(static_cast<std::int32_t>(models));
        std::copy(rec.Bytes().begin(), rec.Bytes().end(), out.Bytes().begin() + static_cast<std::ptrdiff_t>(parts + p * 76));
        for (std::size_t i = 0; i < part.models.size(); ++i) {
            const StudioSubmodelDef& sub = part.models[i];
            const std::size_t meshes = out.Size();
            out.WriteZeros(sub.meshes.size() * 20);
            for (std::size_t k = 0; k < sub.meshes.size(); ++k) {
                const std::size_t commands = out.Size();
                int triangles = 0;
                for (const StudioCommandDef& c : sub.meshes[k].commands) {
                    const int n = static_cast<int>(c.vertices.size());
                    out.WriteI16(static_cast<std::int16_t>(c.fan ? -n : n));
                    triangles += n - 2;
                    for (const auto& v : c.vertices) {
                        for (const std::int16_t x : v) {
                            out.WriteI16(x);
                        }
                    }
                }
                out.WriteI16(0);
                const std::size_t mesh = meshes + k * 20;
                out.PatchI32(mesh, triangles);
                out.PatchI32(mesh + 4, static_cast<std::int32_t>(commands));
                out.PatchI32(mesh + 8, sub.meshes[k].skinReference);
                out.PatchI32(mesh + 12, static_cast<std::int32_t>(sub.normals.size()));
            }
            const std::size_t vertexBones = out.Size();
            out.WriteBytes(sub.vertexBones.data(), sub.vertexBones.size());
            const std::size_t normalBones = out.Size();
            out.WriteBytes(sub.normalBones.data(), sub.normalBones.size());
            while (out.Size() % 4 != 0) {
                out.WriteU8(0);
            }
            const std::size_t vertices = out.Size();
            for (const Vector3& v : sub.vertices) {
                out.WriteF32(v.x);
                out.WriteF32(v.y);
                out.WriteF32(v.z);
            }
            const std::size_t normals = out.Size();
            for (const Vector3& n : sub.normals) {
                out.WriteF32(n.x);
                out.WriteF32(n.y);
                out.WriteF32(n.z);
            }
            BinaryWriter mrec;
            mrec.WriteText(sub.name, 64);
            mrec.WriteI32(0);
            mrec.WriteF32(0.0f);
            mrec.WriteI32(static_cast<std::int32_t>(sub.meshes.size()));
            mrec.WriteI32(static_cast<std::int32_t>(meshes));
            mrec.WriteI32(static_cast<std::int32_t>(sub.vertices.size()));
            mrec.WriteI32(static_cast<std::int32_t>(vertexBones));
            mrec.WriteI32(static_cast<std::int32_t>(vertices));
            mrec.WriteI32(static_cast<std::int32_t>(sub.normals.size()));
            mrec.WriteI32(static_cast<std::int32_t>(normalBones));
            mrec.WriteI32(static_cast<std::int32_t>(normals));
            mrec.WriteZeros(8);
            std::copy(mrec.Bytes().begin(), mrec.Bytes().end(),
                      out.Bytes().begin() + static_cast<std::ptrdiff_t>(models + i * 112));
        }
    }
    if (!m.separateTextures) {
        WriteTextures(out, m);
    }
    for (std::size_t i = 0; i < m.sequences.size(); ++i) {
        if (m.sequences[i].group != 0) {
            continue;
        }
        out.PatchI32(sequences + i * 176 + 124, static_cast<std::int32_t>(out.Size()));
        WriteAnimation(out, m.sequences[i], m.bones.size());
    }
    // Sequences of other groups record where their data lies in their group's file.
    for (int g = 1; g < m.groupCount; ++g) {
        std::size_t at = 76;
        for (std::size_t i = 0; i < m.sequences.size(); ++i) {
            if (m.sequences[i].group != g) {
                continue;
            }
            out.PatchI32(sequences + i * 176 + 124, static_cast<std::int32_t>(at));
            BinaryWriter probe;
            WriteAnimation(probe, m.sequences[i], m.bones.size());
            at += probe.Size();
        }
    }
    return out.Bytes();
}

// The texture file of a model written with separateTextures.
inline ByteBuffer WriteStudioTextureFile(const StudioModelDef& m) {
    BinaryWriter out;
    studio_detail::Header(out, "IDST", m.version, m.name);
    out.WriteZeros(244 - out.Size());
    studio_detail::WriteTextures(out, m);
    return out.Bytes();
}

// Sequence-group file `group` (1 or more): the animation data of its sequences,
// in sequence order, where WriteStudioModel said it would be.
inline ByteBuffer WriteStudioSequenceGroup(const StudioModelDef& m, int group) {
    BinaryWriter out;
    studio_detail::Header(out, "IDSQ", m.version, m.name);
    out.WriteI32(0);  // length, patched
    for (const StudioSequenceDef& s : m.sequences) {
        if (s.group == group) {
            studio_detail::WriteAnimation(out, s, m.bones.size());
        }
    }
    out.PatchI32(72, static_cast<std::int32_t>(out.Size()));
    return out.Bytes();
}

// The studio fuzz target's input: each file as a little-endian uint32 length and
// its bytes, the main model first, then its companions in the order they are asked for.
inline ByteBuffer FrameStudioFiles(const std::vector<ByteBuffer>& files) {
    BinaryWriter out;
    for (const ByteBuffer& file : files) {
        out.WriteU32(static_cast<std::uint32_t>(file.size()));
        out.WriteBytes(file.data(), file.size());
    }
    return out.Bytes();
}

// A figure for renders and benchmarks: a pelvis root with a spine, a head and
// two arms and legs (`bones` in all, 30 by default), each limb a box of
// quadrilateral strips, three sequences ("idle" looping, "walk" with swinging
// limbs, "aim" blended by its pitch) and one skin texture with a face.
inline StudioModelDef MakeFigure(int boneCount = 30, int segments = 4) {
    StudioModelDef m;
    m.name = "figure.mdl";
    const int limbs = 5;  // spine and head, arms, legs
    const int perLimb = (boneCount - 1) / limbs;
    m.bones.push_back({"pelvis", -1, {-1, -1, -1, -1, -1, -1}, {0.0f, 0.0f, 36.0f, 0.0f, 0.0f, 0.0f},
                       {1.0f, 1.0f, 1.0f, 0.01f, 0.01f, 0.01f}});
    struct Limb {
        Vector3 start;
        Vector3 step;
    };
    const Limb limbDefs[limbs] = {{{0, 0, 2}, {0, 0, 30.0f / perLimb}},
                                  {{0, 8, 28}, {0, 16.0f / perLimb, -24.0f / perLimb}},
                                  {{0, -8, 28}, {0, -16.0f / perLimb, -24.0f / perLimb}},
                                  {{0, 5, -2}, {0, 0, -34.0f / perLimb}},
                                  {{0, -5, -2}, {0, 0, -34.0f / perLimb}}};
    std::vector<int> limbOf{-1};
    for (int l = 0; l < limbs; ++l) {
        for (int k = 0; k < perLimb; ++k) {
            const Vector3 offset = k == 0 ? limbDefs[l].start : limbDefs[l].step;
            const int parent = k == 0 ? 0 : static_cast<int>(m.bones.size()) - 1;
            m.bones.push_back({"bone" + std::to_string(m.bones.size()), parent, {-1, -1, -1, -1, -1, -1},
                               {offset.x, offset.y, offset.z, 0.0f, 0.0f, 0.0f},
                               {1.0f, 1.0f, 1.0f, 0.01f, 0.01f, 0.01f}});
            limbOf.push_back(l);
        }
    }
    while (static_cast<int>(m.bones.size()) < boneCount) {
        m.bones.push_back({"extra", 0, {-1, -1, -1, -1, -1, -1}, {}, {1.0f, 1.0f, 1.0f, 0.01f, 0.01f, 0.01f}});
        limbOf.push_back(-1);
    }
    const std::size_t bones = m.bones.size();
    // The head turns with controller 0, looping all the way round.
    m.controllers.push_back({static_cast<int>(perLimb), 0x20 | 0x8000, -180.0f, 180.0f, 0, 0});
    m.bones[static_cast<std::size_t>(perLimb)].controller[5] = 0;

    // Each bone is a box around the segment to its first child.
    StudioSubmodelDef body;
    StudioMeshDef skin;
    // Half widths: spine, arms, legs; the top of the spine is the head.
    const float halfWidths[limbs] = {4.0f, 2.5f, 2.5f, 3.0f, 3.0f};
    for (std::size_t b = 1; b < bones; ++b) {
        if (limbOf[b] < 0) {
            continue;
        }
        const Vector3 length = limbDefs[limbOf[b]].step;
        const bool head = b == static_cast<std::size_t>(perLimb);
        const float half = head ? 6.0f : halfWidths[limbOf[b]];
        for (int face = 0; face < 4; ++face) {
            // One side face, from the bone to its child, in the bone's frame; the
            // strips wind clockwise seen from outside, as the studio tools write
            // them, whichever way the limb points (the legs and arms hang down).
            const float a0 = static_cast<float>(face) * 1.5707963f + 0.7853982f;
            const float a1 = a0 + 1.5707963f;
            const Vector3 n{std::cos(a0 + 0.7853982f), std::sin(a0 + 0.7853982f), 0.0f};
            StudioCommandDef strip;
            for (int seg = 0; seg <= segments; ++seg) {
                const float f = static_cast<float>(seg) / static_cast<float>(segments);
                const Vector3 along = length * f;
                for (const float a : length.z >= 0.0f ? std::array{a1, a0} : std::array{a0, a1}) {
                    body.vertices.push_back(along + Vector3{half * std::cos(a) * 1.4142f, half * std::sin(a) * 1.4142f, 0.0f});
                    body.vertexBones.push_back(static_cast<std::uint8_t>(b));
                    body.normals.push_back(n);
                    body.normalBones.push_back(static_cast<std::uint8_t>(b));
                    const auto index = static_cast<std::int16_t>(body.vertices.size() - 1);
                    strip.vertices.push_back({index, index, static_cast<std::int16_t>(a == a0 ? face * 16 : face * 16 + 15),
                                              static_cast<std::int16_t>(static_cast<int>(f * 63.0f))});
                }
            }
            skin.commands.push_back(strip);
        }
    }
    body.meshes.push_back(skin);
    m.bodyParts.push_back({"body", 1, {body}});

    StudioTextureDef texture;
    texture.name = "skin.bmp";
    texture.width = 64;
    texture.height = 64;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            texture.indexes.push_back(static_cast<std::uint8_t>(((x / 8 + y / 8) % 2 == 0 ? 1 : 2) + (y < 8 ? 2 : 0)));
        }
    }
    texture.palette.assign(768, 0);
    const std::uint8_t colours[5][3] = {{0, 0, 0}, {200, 120, 60}, {120, 60, 30}, {240, 220, 180}, {220, 200, 160}};
    for (int i = 0; i < 5; ++i) {
        for (int c = 0; c < 3; ++c) {
            texture.palette[static_cast<std::size_t>(i * 3 + c)] = colours[i][c];
        }
    }
    m.textures.push_back(texture);

    const auto swing = [&](int frames, float degrees, int phase) {
        std::vector<std::int16_t> values;
        for (int f = 0; f < frames; ++f) {
            values.push_back(static_cast<std::int16_t>(
                std::sin((static_cast<float>(f) / static_cast<float>(frames) + 0.5f * static_cast<float>(phase)) *
                         6.2831853f) *
                degrees * 0.0174533f / 0.01f));
        }
        return RunLength(values);
    };
    StudioSequenceDef idle;
    idle.label = "idle";
    idle.flags = 1;
    idle.frames = 20;
    // Wide enough for the arms held out from the shoulders.
    idle.bbMin = {-16.0f, -28.0f, 0.0f};
    idle.bbMax = {16.0f, 28.0f, 72.0f};
    idle.blends[0].resize(bones);
    idle.blends[0][1][4] = swing(20, 4.0f, 0);
    m.sequences.push_back(idle);
    StudioSequenceDef walk = idle;
    walk.label = "walk";
    walk.frames = 24;
    walk.blends[0].assign(bones, {});
    for (std::size_t b = 1; b < bones; ++b) {
        const std::size_t first = 1 + static_cast<std::size_t>(limbOf[b] >= 0 ? limbOf[b] * perLimb : 0);
        if (limbOf[b] >= 1 && b == first) {
            walk.blends[0][b][4] = swing(24, 35.0f, limbOf[b] % 2);
        }
    }
    m.sequences.push_back(walk);
    StudioSequenceDef aim = idle;
    aim.label = "aim";
    aim.frames = 2;
    aim.blends.assign(2, StudioBlendDef(bones));
    aim.blends[0][1 + static_cast<std::size_t>(perLimb)][4] = RunLength({-78, -78});
    aim.blends[1][1 + static_cast<std::size_t>(perLimb)][4] = RunLength({78, 78});
    aim.blendType[0] = 0x10;
    aim.blendStart[0] = -45.0f;
    aim.blendEnd[0] = 45.0f;
    m.sequences.push_back(aim);
    return m;
}

}  // namespace fixtures
