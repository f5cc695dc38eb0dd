#pragma once

// A writer for Half-Life studio models (".mdl" "IDST" version 10), their texture
// files ("T.mdl") and sequence-group files ("IDSQ"), so tests, benchmarks, fuzz
// seeds and sample assets are made here with every field known. Header-only and
// free of the test framework.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
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

struct StudioEventDef {
    int frame = 0;
    int event = 0;
    int type = 0;
    std::string options;
};

struct StudioSequenceDef {
    std::string label;
    float fps = 30.0f;
    int flags = 0;
    int activity = 0;
    int activityWeight = 0;
    std::vector<StudioEventDef> events;  // written after the sequence table
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

// Attachment: a named point in a bone's space.
struct StudioAttachmentDef {
    std::string name;
    int type = 0;
    int bone = 0;
    Vector3 origin;
};

// Hit box: a box in a bone's space and its hit group.
struct StudioHitBoxDef {
    int bone = 0;
    int group = 0;
    Vector3 min;
    Vector3 max;
};

struct StudioModelDef {
    std::string name = "model.mdl";
    int version = 10;
    // The header's eye position, clipping box (min, max) and bounding box.
    Vector3 eyePosition;
    Vector3 clipMin;
    Vector3 clipMax;
    Vector3 boxMin;
    Vector3 boxMax;
    std::vector<StudioAttachmentDef> attachments;
    std::vector<StudioHitBoxDef> hitBoxes;
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
                             kBodyPartCount = 204, kBodyPartOffset = 208, kEyePosition = 76, kClipBox = 88,
                             kBoundingBox = 112, kHitBoxCount = 156, kHitBoxOffset = 160, kAttachmentCount = 212,
                             kAttachmentOffset = 216;
// Within a sequence record.
inline constexpr std::size_t kSequenceEventCount = 48, kSequenceEventOffset = 52;
}

namespace studio_detail {
inline void Header(BinaryWriter& out, const char* ident, int version, const std::string& name) {
    out.WriteBytes(ident, 4);
    out.WriteI32(version);
    out.WriteText(name, 64);
}

inline void WriteVector(BinaryWriter& out, const Vector3& v) {
    out.WriteF32(v.x);
    out.WriteF32(v.y);
    out.WriteF32(v.z);
}

inline void PatchVector(BinaryWriter& out, std::size_t offset, const Vector3& v) {
    BinaryWriter bytes;
    WriteVector(bytes, v);
    std::copy(bytes.Bytes().begin(), bytes.Bytes().end(), out.Bytes().begin() + static_cast<std::ptrdiff_t>(offset));
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
    PatchVector(out, studio_field::kEyePosition, m.eyePosition);
    PatchVector(out, studio_field::kClipBox, m.clipMin);
    PatchVector(out, studio_field::kClipBox + 12, m.clipMax);
    PatchVector(out, studio_field::kBoundingBox, m.boxMin);
    PatchVector(out, studio_field::kBoundingBox + 12, m.boxMax);

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
        out.WriteI32(s.activity);
        out.WriteI32(s.activityWeight);
        out.WriteI32(static_cast<std::int32_t>(s.events.size()));
        out.WriteI32(0);  // event offset, patched below
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
    for (std::size_t i = 0; i < m.sequences.size(); ++i) {
        if (m.sequences[i].events.empty()) {
            continue;
        }
        out.PatchI32(sequences + i * 176 + studio_field::kSequenceEventOffset, static_cast<std::int32_t>(out.Size()));
        for (const StudioEventDef& e : m.sequences[i].events) {
            out.WriteI32(e.frame);
            out.WriteI32(e.event);
            out.WriteI32(e.type);
            out.WriteText(e.options, 64);
        }
    }
    out.PatchI32(studio_field::kAttachmentCount, static_cast<std::int32_t>(m.attachments.size()));
    out.PatchI32(studio_field::kAttachmentOffset, static_cast<std::int32_t>(out.Size()));
    for (const StudioAttachmentDef& a : m.attachments) {
        out.WriteText(a.name, 32);
        out.WriteI32(a.type);
        out.WriteI32(a.bone);
        WriteVector(out, a.origin);
        out.WriteZeros(36);  // vectors
    }
    out.PatchI32(studio_field::kHitBoxCount, static_cast<std::int32_t>(m.hitBoxes.size()));
    out.PatchI32(studio_field::kHitBoxOffset, static_cast<std::int32_t>(out.Size()));
    for (const StudioHitBoxDef& h : m.hitBoxes) {
        out.WriteI32(h.bone);
        out.WriteI32(h.group);
        WriteVector(out, h.min);
        WriteVector(out, h.max);
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

// A quadrilateral facing +x (the viewer of a model drawn from its front) in
// `bone`'s space at depth `x`, from (y0, z0) to (y1, z1), wound clockwise as seen
// from the front as the studio tools write faces, with one normal along +x; the
// texture spans it.
inline void AddStudioQuad(StudioSubmodelDef& model, int skinReference, std::uint8_t bone, float x, float y0, float z0,
                          float y1, float z1, std::int16_t width = 8, std::int16_t height = 8) {
    const auto first = static_cast<std::int16_t>(model.vertices.size());
    const auto normal = static_cast<std::int16_t>(model.normals.size());
    model.vertices.insert(model.vertices.end(), {{x, y0, z1}, {x, y1, z1}, {x, y0, z0}, {x, y1, z0}});
    model.vertexBones.insert(model.vertexBones.end(), 4, bone);
    model.normals.push_back({1.0f, 0.0f, 0.0f});
    model.normalBones.push_back(bone);
    StudioCommandDef strip;
    strip.vertices = {{first, normal, 0, 0},
                      {static_cast<std::int16_t>(first + 1), normal, width, 0},
                      {static_cast<std::int16_t>(first + 2), normal, 0, height},
                      {static_cast<std::int16_t>(first + 3), normal, width, height}};
    for (StudioMeshDef& mesh : model.meshes) {
        if (mesh.skinReference == skinReference) {
            mesh.commands.push_back(strip);
            return;
        }
    }
    model.meshes.push_back({skinReference, {strip}});
}

// A palette of the grey ramp with `entries` set (index, r, g, b).
inline std::vector<std::uint8_t> StudioPalette(std::initializer_list<std::array<int, 4>> entries) {
    std::vector<std::uint8_t> palette;
    for (int e = 0; e < 256; ++e) {
        palette.insert(palette.end(), {static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(e)});
    }
    for (const auto& entry : entries) {
        for (int c = 0; c < 3; ++c) {
            palette[static_cast<std::size_t>(entry[0] * 3 + c)] = static_cast<std::uint8_t>(entry[static_cast<std::size_t>(c) + 1]);
        }
    }
    return palette;
}

// A model with every table the reader knows, with values simple enough to work
// poses out by hand (a scientist of boxes, seen from its front along +x):
// bones 0 "Bip01" (a root at (0, 0, 36)), 1 "Bip01 Spine" (0, 0, 10) on it,
// 2 "Bip01 Head" (0, 0, 12) on the spine, its yaw on controller 0 (wrapping,
// -180..180), 3 "Bip01 R Hand" (0, -10, 0) on the spine, its pitch on controller 1
// (plain, -30..30), 4 "Bip01 Jaw" (2, 0, 0) on the head, its x on the mouth (0..4).
// Sequences: "idle" (10 frames, looping, activity 1, an event 1004 at frame 3)
// and "aim4" (3 frames, not looping, activity 7 weight 2; four blends moving
// the spine's x by 0, 4, 8 and 16, blended by pitch -90..90 and yaw -45..45;
// events 5001 at frame 0, 5002 at 2 and one at frame 9, past its frames).
// Body parts "body" (body_a, body_b, body_c: torso, hand, and for body_c a
// chrome belt) and "heads" (head_a, head_b: face, jaw, masked hair, additive
// halo). Textures skin (solid), chrome, glow (additive), mask (masked: index
// 255 cut out), skin_dark; skin references skin, chrome, glow, mask; three
// families ({skin, chrome, glow, mask}, {skin_dark, ...}, {skin_dark, skin_dark,
// glow, mask}). Attachments "muzzle" (hand, (6, 0, 0)) and "eyes" (head, (3, 0,
// 4)); hit boxes on the head (group 1), spine (2) and hand (5); eye position
// (0, 0, 60), clipping box (-16, -16, 0)..(16, 16, 72), bounding box (-12, -14,
// 0)..(12, 14, 64).
inline StudioModelDef MakeFullStudioModel() {
    StudioModelDef m;
    m.name = "scientist.mdl";
    const std::array<float, 6> unit{1.0f, 1.0f, 1.0f, 0.01f, 0.01f, 0.01f};
    m.bones = {{"Bip01", -1, {-1, -1, -1, -1, -1, -1}, {0, 0, 36, 0, 0, 0}, unit},
               {"Bip01 Spine", 0, {-1, -1, -1, -1, -1, -1}, {0, 0, 10, 0, 0, 0}, unit},
               {"Bip01 Head", 1, {-1, -1, -1, -1, -1, 0}, {0, 0, 12, 0, 0, 0}, unit},
               {"Bip01 R Hand", 1, {-1, -1, -1, -1, 1, -1}, {0, -10, 0, 0, 0, 0}, unit},
               {"Bip01 Jaw", 2, {2, -1, -1, -1, -1, -1}, {2, 0, 0, 0, 0, 0}, unit}};
    m.controllers = {{2, 0x20 | 0x8000, -180.0f, 180.0f, 0, 0}, {3, 0x10, -30.0f, 30.0f, 0, 1}, {4, 0x1, 0.0f, 4.0f, 0, 4}};

    StudioSequenceDef idle;
    idle.label = "idle";
    idle.fps = 15.0f;
    idle.flags = 1;
    idle.activity = 1;
    idle.activityWeight = 1;
    idle.frames = 10;
    idle.events = {{3, 1004, 0, "common/npc_step1.wav"}};
    idle.bbMin = {-12, -14, 0};
    idle.bbMax = {12, 14, 72};
    StudioSequenceDef aim = idle;
    aim.label = "aim4";
    aim.flags = 0;
    aim.activity = 7;
    aim.activityWeight = 2;
    aim.frames = 3;
    aim.events = {{0, 5001, 0, "10"}, {2, 5002, 0, "20"}, {9, 5003, 0, "never"}};
    aim.blends.assign(4, StudioBlendDef(m.bones.size()));
    const std::int16_t spineX[4] = {0, 4, 8, 16};
    for (std::size_t b = 0; b < 4; ++b) {
        aim.blends[b][1][0] = RunLength({spineX[b], spineX[b], spineX[b]});
    }
    aim.blendType = {0x8, 0x10};
    aim.blendStart = {-90.0f, -45.0f};
    aim.blendEnd = {90.0f, 45.0f};
    m.sequences = {idle, aim};

    enum : int { kSkin = 0, kChrome = 1, kGlow = 2, kMask = 3 };
    StudioBodyPartDef body{"body", 1, {}};
    const float halfWidths[3] = {6.0f, 8.0f, 4.0f};
    const char* bodyNames[3] = {"body_a", "body_b", "body_c"};
    for (int i = 0; i < 3; ++i) {
        StudioSubmodelDef sub;
        sub.name = bodyNames[i];
        AddStudioQuad(sub, kSkin, 1, 3.0f, -halfWidths[i], -16.0f, halfWidths[i], 8.0f);
        AddStudioQuad(sub, kSkin, 3, 3.0f, -2.0f, -2.0f, 2.0f, 2.0f);
        if (i == 2) {
            AddStudioQuad(sub, kChrome, 1, 3.5f, -7.0f, -8.0f, 7.0f, -4.0f, 64, 64);
        }
        body.models.push_back(sub);
    }
    StudioBodyPartDef heads{"heads", 3, {}};
    for (int i = 0; i < 2; ++i) {
        StudioSubmodelDef sub;
        sub.name = i == 0 ? "head_a" : "head_b";
        const float half = i == 0 ? 4.0f : 5.0f;
        AddStudioQuad(sub, kSkin, 2, 4.0f, -half, -2.0f, half, 8.0f);
        AddStudioQuad(sub, kSkin, 4, 2.5f, -3.0f, -2.0f, 3.0f, 0.0f);
        AddStudioQuad(sub, kMask, 2, 4.5f, -half - 1.0f, 6.0f, half + 1.0f, 10.0f);
        AddStudioQuad(sub, kGlow, 2, 4.2f, -6.0f, 10.0f, 6.0f, 13.0f);
        heads.models.push_back(sub);
    }
    m.bodyParts = {body, heads};

    StudioTextureDef skin{"skin.bmp", 0, 8, 8, {}, StudioPalette({{1, 220, 170, 130}})};
    StudioTextureDef chrome{"chrome.bmp", 0x2, 64, 64, {}, {}};
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            chrome.indexes.push_back(static_cast<std::uint8_t>(x * 2 + y * 2));
        }
    }
    StudioTextureDef glow{"glow.bmp", 0x20, 8, 8, {}, StudioPalette({{1, 0, 160, 255}})};
    StudioTextureDef mask{"mask.bmp", 0x40, 8, 8, {}, StudioPalette({{1, 60, 40, 20}})};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            mask.indexes.push_back((x + y) % 2 == 0 ? 1 : 255);
        }
    }
    StudioTextureDef dark{"skin_dark.bmp", 0, 8, 8, {}, StudioPalette({{1, 120, 80, 60}})};
    m.textures = {skin, chrome, glow, mask, dark};
    m.skinFamilies = {{0, 1, 2, 3}, {4, 1, 2, 3}, {4, 4, 2, 3}};

    m.attachments = {{"muzzle", 0, 3, {6, 0, 0}}, {"eyes", 0, 2, {3, 0, 4}}};
    m.hitBoxes = {{2, 1, {-4, -4, 0}, {4, 4, 8}}, {1, 2, {-5, -6, -10}, {5, 6, 2}}, {3, 5, {-2, -2, -2}, {6, 2, 2}}};
    m.eyePosition = {0, 0, 60};
    m.clipMin = {-16, -16, 0};
    m.clipMax = {16, 16, 72};
    m.boxMin = {-12, -14, 0};
    m.boxMax = {12, 14, 64};
    return m;
}

// A weapon to follow MakeFullStudioModel (a p_ model): bones "BIP01", "bip01
// spine" and "BIP01 r HAND", the leader's names in other letter cases, and
// "tool_tip" at (8, 0, 0) on the hand, a bone the leader lacks; one sequence
// "idle" of one frame; one part "tool" with a grip on the hand and a block on
// the tip, textured "tool.bmp".
inline StudioModelDef MakeStudioFollower() {
    StudioModelDef m;
    m.name = "p_tool.mdl";
    const std::array<float, 6> unit{1.0f, 1.0f, 1.0f, 0.01f, 0.01f, 0.01f};
    m.bones = {{"BIP01", -1, {-1, -1, -1, -1, -1, -1}, {0, 0, 20, 0, 0, 0}, unit},
               {"bip01 spine", 0, {-1, -1, -1, -1, -1, -1}, {0, 0, 5, 0, 0, 0}, unit},
               {"BIP01 r HAND", 1, {-1, -1, -1, -1, -1, -1}, {0, 5, 0, 0, 0, 0}, unit},
               {"tool_tip", 2, {-1, -1, -1, -1, -1, -1}, {8, 0, 0, 0, 0, 0}, unit}};
    StudioSequenceDef idle;
    idle.label = "idle";
    idle.flags = 1;
    idle.bbMin = {-4, -14, 30};
    idle.bbMax = {14, -6, 50};
    m.sequences = {idle};
    StudioSubmodelDef tool;
    tool.name = "tool";
    AddStudioQuad(tool, 0, 2, 4.0f, -1.0f, -1.0f, 1.0f, 1.0f);
    AddStudioQuad(tool, 0, 3, 0.0f, -1.5f, -1.5f, 1.5f, 1.5f);
    m.bodyParts = {{"tool", 1, {tool}}};
    m.textures = {{"tool.bmp", 0, 8, 8, {}, StudioPalette({{1, 90, 90, 120}})}};
    return m;
}

}  // namespace fixtures
