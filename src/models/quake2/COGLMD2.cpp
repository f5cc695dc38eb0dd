#include "models/quake2/COGLMD2.h"

#include <GL/gl.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>

#include "media/Archive.h"
#include "media/COGLTexture2D.h"
#include "models/FrameNames.h"
#include "models/QuakeNormals.h"
#include "models/SourceRecord.h"
#include "models/quake2/Md2Reader.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"
#include "scene/Geometry.h"

namespace {
// A normal index above the table's end stands for this entry (see QuakeDrawingNormals).
constexpr int kInvalidNormal = kQuakeNormalCount;
constexpr std::uint8_t kNoNormalFound = 255;
// Frames between two steps of the progress display while normals are rebuilt.
constexpr int kFramesPerProgressStep = 48;

// The walk's strips and fans as GL receives them (s, -t: the file's t runs down
// the skin, whose rows are kept bottom row first), for drawing and for export.
struct SinkAdapter {
    GeometrySink& out;
    void Begin(bool fan) { out.Begin(fan ? GL_TRIANGLE_FAN : GL_TRIANGLE_STRIP); }
    void Vertex(const Vector3& n, float s, float t, const Vector3& p) {
        out.Normal(n);
        out.TexCoord(s, -t);
        out.Vertex(p);
    }
    void End() { out.End(); }
};

struct BoundsOnlySink {
    void Begin(bool /*fan*/) {}
    void Vertex(const Vector3& /*n*/, float /*s*/, float /*t*/, const Vector3& /*p*/) {}
    void End() {}
};
}  // namespace

COGLMD2::COGLMD2(COGLScene* scene) : COGLMD2(object_type::kMD2, scene) {}

COGLMD2::COGLMD2(int typeCode, COGLScene* scene) : COGLModel(typeCode, scene) {
    SetName("md2");
    m_scale = {0.05f, 0.05f, 0.05f};
    COGLObject::Rotate({1.0f, 0.0f, 0.0f}, 180.0f);
    m_diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
}

COGLMD2::~COGLMD2() { FreeModel(); }

void COGLMD2::FreeModel() {
    m_glCommands.clear();
    m_glCommands.shrink_to_fit();
    m_frames.clear();
    m_frames.shrink_to_fit();
    m_glCommandCount = 0;
    m_frameCount = 0;
    m_frameSize = 0;
    m_vertexCount = 0;
    m_triangleCount = 0;
    if (m_texture != nullptr && FindSkin(m_texture->Path()) == m_texture) {
        m_texture = nullptr;
    }
    ReleaseSkins();
    m_skinCount = 0;
    m_animation = nullptr;
    m_animations.clear();
    m_ready = 0;
}

// --- Reading ---

bool COGLMD2::LoadFile(const std::string& path, bool rebuildNormals) {
    const auto bytes = ReadSourceFile(path);
    if (!bytes) {
        return false;
    }
    BinaryReader in(*bytes);
    m_loaded = ReadMD2(in, 0, rebuildNormals) ? 1 : 0;
    SetName(NameFromPath(m_path, Name()));
    return m_loaded != 0;
}

bool COGLMD2::LoadFromPak(Archive* pak, const PakEntry& entry, bool rebuildNormals) {
    const auto bytes = ReadSourceEntry(pak, entry);
    if (!bytes) {
        m_loaded = 0;
        return false;
    }
    BinaryReader in(*bytes);
    m_loaded = ReadMD2(in, 0, rebuildNormals) ? 1 : 0;
    SetName(NameFromPath(m_path, Name()));
    return m_loaded != 0;
}

bool COGLMD2::ReadMD2(BinaryReader& file, std::size_t base, bool rebuildNormals) {
    Md2Data parsed;
    try {
        if (base > file.Size()) {
            throw ReadError("model starts past the end of its file");
        }
        BinaryReader in = file.Window(base, file.Size() - base);
        parsed = ReadMd2Data(in);
    } catch (const ReadError&) {
        parsed = {};
    } catch (const std::bad_alloc&) {
        parsed = {};
    }
    if (parsed.frameCount == 0) {
        FreeModel();
        ShowMessage(msg::kNotValidMd2);
        return false;
    }

    FreeModel();
    m_skinCount = static_cast<int>(parsed.skinNames.size());
    ProgressScope progress(msg::kLoading.text, m_skinCount + 3);
    LoadSkins(parsed.skinNames);
    for (std::size_t i = 0; i < parsed.skinNames.size(); ++i) {
        progress.Step();
    }
    m_glCommands = std::move(parsed.commands);
    m_glCommandCount = static_cast<int>(m_glCommands.size());
    progress.Step();
    m_frames = std::move(parsed.frames);
    m_frameSize = parsed.frameSize;
    m_frameCount = parsed.frameCount;
    m_vertexCount = parsed.vertexCount;
    m_triangleCount = parsed.triangleCount;
    progress.Step();
    BuildAnimations();
    m_verticalOffset = ReadMd2FrameTransform(m_frames.data()).translate.z;
    ResetAnimation();
    if (rebuildNormals) {
        RebuildNormals(progress);
    }
    m_ready = 1;
    return true;
}

void COGLMD2::LoadSkins(const std::vector<std::string>& names) {
    if (m_scene == nullptr) {
        return;
    }
    for (const std::string& name : names) {
        COGLTexture2D* skin = m_scene->LoadSkinTexture(name, m_pak, m_directory, m_headerSkinOption, m_textureFlag != 0);
        if (skin == nullptr) {
            continue;  // a skin that cannot be read is left out without a word
        }
        if (FindSkin(skin->Path()) != nullptr) {
            m_scene->ReleaseSkinTexture(skin);  // each texture stands in the list once
            continue;
        }
        m_skins.push_back(skin);
    }
}

std::string COGLMD2::FrameName(int frame) const {
    if (frame < 0 || frame >= m_frameCount) {
        return {};
    }
    return Md2FrameName(m_frames.data() + static_cast<std::size_t>(frame) * static_cast<std::size_t>(m_frameSize));
}

int COGLMD2::NormalIndex(int frame, int vertex) const {
    if (frame < 0 || frame >= m_frameCount || vertex < 0 || vertex >= m_vertexCount) {
        return -1;
    }
    return m_frames[static_cast<std::size_t>(frame) * static_cast<std::size_t>(m_frameSize) +
                    md2_format::kFrameHeaderSize + static_cast<std::size_t>(vertex) * md2_format::kVertexSize +
                    md2_format::kNormalByte];
}

void COGLMD2::BuildAnimations() {
    m_animations.clear();
    m_animation = nullptr;
    std::string current = AnimationNameOf(FrameName(0));
    int first = 0;
    for (int frame = 1; frame <= m_frameCount; ++frame) {
        std::string name = frame < m_frameCount ? AnimationNameOf(FrameName(frame)) : std::string();
        if (frame == m_frameCount || name != current) {
            m_animations.push_back(std::make_unique<ModelAnimation>(current.substr(0, ModelAnimation::kNameSize - 1),
                                                                    first, frame - first));
            current = std::move(name);
            first = frame;
        }
    }
    if (m_animations.size() >= 2) {
        m_animations.push_back(std::make_unique<ModelAnimation>("<all>", 0, m_frameCount));
    }
    m_animation = m_animations.back().get();
}

std::optional<ObjectFacts> COGLMD2::Facts() const {
    std::optional<ObjectFacts> facts = COGLModel::Facts();
    facts->frames = m_frameCount;
    return facts;
}

void COGLMD2::RebuildNormals(ProgressScope& progress) {
    const Vector3* table = QuakeDrawingNormals(false);
    const std::size_t vertexCount = static_cast<std::size_t>(m_vertexCount);
    std::vector<Vector3> positions(vertexCount);
    std::vector<Vector3> sums(vertexCount);
    std::vector<int> counts(vertexCount);
    std::vector<std::uint32_t> indices;
    for (int frame = 0; frame < m_frameCount; ++frame) {
        std::uint8_t* data = m_frames.data() + static_cast<std::size_t>(frame) * static_cast<std::size_t>(m_frameSize);
        const Md2FrameTransform f = ReadMd2FrameTransform(data);
        for (std::size_t v = 0; v < vertexCount; ++v) {
            positions[v] = QuakeToDrawing(Md2VertexPosition(f, static_cast<std::uint32_t>(v)));
        }
        std::fill(sums.begin(), sums.end(), Vector3{});
        std::fill(counts.begin(), counts.end(), 0);
        const auto addTriangle = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
            Vector3 n = (positions[a] - positions[b]).Cross(positions[c] - positions[b]);
            n.Normalize();
            for (const std::uint32_t v : {a, b, c}) {
                sums[v] += n;
                ++counts[v];
            }
        };
        ForEachMd2Command(m_glCommands, [&](bool fan, const std::uint32_t* vertices, std::size_t n) {
            indices.clear();
            for (std::size_t v = 0; v < n; ++v) {
                indices.push_back(vertices[v * md2_format::kCommandVertexWords + 2]);
            }
            for (std::size_t k = 0; k + 2 < n; ++k) {
                if (fan) {
                    addTriangle(indices[0], indices[k + 1], indices[k + 2]);
                } else if (k % 2 == 0) {
                    addTriangle(indices[k], indices[k + 1], indices[k + 2]);
                } else {
                    addTriangle(indices[k + 1], indices[k], indices[k + 2]);
                }
            }
        });
        for (std::size_t v = 0; v < vertexCount; ++v) {
            if (counts[v] == 0) {
                continue;
            }
            Vector3 average = sums[v] * (1.0f / static_cast<float>(counts[v]));
            average.Normalize();
            std::uint8_t best = kNoNormalFound;
            float bestDot = -999999.0f;
            for (int n = 0; n < kQuakeNormalCount; ++n) {
                const float d = table[n].Dot(average);
                if (d > bestDot) {
                    bestDot = d;
                    best = static_cast<std::uint8_t>(n);
                }
            }
            data[md2_format::kFrameHeaderSize + v * md2_format::kVertexSize + md2_format::kNormalByte] = best;
        }
        if ((frame + 1) % kFramesPerProgressStep == 0) {
            progress.Step();
        }
    }
}

std::string COGLMD2::NameFromPath(const std::string& path, const std::string& name) {
    std::size_t end = std::string::npos;  // where the text ends, after the first separator
    int separators = 0;
    bool skippedMedium = false;
    for (std::size_t i = path.size(); i-- > 0;) {
        if (path[i] != '/' && path[i] != '\\') {
            continue;
        }
        if (++separators >= 2) {
            std::string folder = path.substr(i + 1, end - i - 1);
            if (folder != "medium" || skippedMedium) {
                return folder;
            }
            skippedMedium = true;
        }
        end = i;
    }
    return name;
}

// --- Drawing ---

template <typename Sink>
void COGLMD2::WalkGeometry(Sink& sink) {
    ResetBounds();
    if (m_animation == nullptr || m_frameCount <= 0) {
        return;
    }
    // Frame state may come from a scene file: anything outside the table shows the
    // animation's first frame rather than memory that is not a frame.
    const auto frameAt = [this](int index) {
        const int frame = m_animation->firstFrame + index;
        const int safe = frame >= 0 && frame < m_frameCount ? frame
                         : m_animation->firstFrame >= 0 && m_animation->firstFrame < m_frameCount ? m_animation->firstFrame
                                                                                                  : 0;
        return m_frames.data() + static_cast<std::size_t>(safe) * static_cast<std::size_t>(m_frameSize);
    };
    const Md2FrameTransform a = ReadMd2FrameTransform(frameAt(m_frameIndex));
    const Md2FrameTransform b = ReadMd2FrameTransform(frameAt(m_nextFrameIndex));
    const float t = std::isfinite(m_lerp) ? m_lerp : 0.0f;
    const Vector3* normals = QuakeDrawingNormals(m_invertNormals != 0);
    ForEachMd2Command(m_glCommands, [&](bool fan, const std::uint32_t* vertices, std::size_t n) {
        sink.Begin(fan);
        for (std::size_t v = 0; v < n; ++v) {
            const std::uint32_t* words = vertices + v * md2_format::kCommandVertexWords;
            const std::uint32_t index = words[2];
            const Vector3 pa = Md2VertexPosition(a, index);
            const Vector3 pb = Md2VertexPosition(b, index);
            const Vector3 p = QuakeToDrawing(pa + (pb - pa) * t);
            GrowBounds(p);
            const std::uint8_t normal =
                a.vertices[static_cast<std::size_t>(index) * md2_format::kVertexSize + md2_format::kNormalByte];
            sink.Vertex(normals[normal < kQuakeNormalCount ? normal : kInvalidNormal], std::bit_cast<float>(words[0]),
                        std::bit_cast<float>(words[1]), p);
        }
        sink.End();
    });
}

void COGLMD2::RefreshBounds() {
    BoundsOnlySink sink;
    WalkGeometry(sink);
}

bool COGLMD2::WalkFrame(GeometrySink& sink) {
    SinkAdapter adapter{sink};
    WalkGeometry(adapter);
    return m_frameCount > 0;
}

// --- Scene record ---

void COGLMD2::Save(BinaryWriter& out, int textureIndex) const {
    COGLObject::Save(out, textureIndex);
    WriteSourceRecord(out, m_path, m_pak, m_scene);
    WriteClockRecord(out);
    out.WriteI32(static_cast<std::int32_t>(m_skins.size()));
    for (const COGLTexture2D* skin : m_skins) {
        WriteSkinEntry(out, *skin);
    }
    out.WriteI32(SkinIndexOf(m_texture));
    out.WriteU8(m_invertNormals);
}

bool COGLMD2::LoadFromScene(BinaryReader& in, int version, COGLScene& scene) {
    m_scene = &scene;
    const int sceneTextureIndex = COGLObject::Load(in, version);
    const std::string savedName = Name();
    ReadSourceRecord(
        in, scene, FileLocator::Md2, [this](const std::string& path) { LoadFile(path, false); },
        [this](Archive& pak, const PakEntry& entry) { LoadFromPak(&pak, entry, false); });

    // The rest of the record is read whatever happened, so the next record starts right.
    ReadClockRecord(in, version > 5);
    // The entries list every skin the model had, in order, so the texture index counts them.
    const std::vector<SavedSkin> saved = ReadSkinEntries(in, in.ReadI32(), m_loaded != 0, scene, SavedSkinFilter());
    ReadSavedTexture(in, sceneTextureIndex, scene, saved);
    m_invertNormals = in.ReadU8();
    SetName(savedName);
    return true;
}

// --- Copy ---

void COGLMD2::CopyFrom(const COGLObject& other) {
    CopyModelFrom<ModelAnimation>(
        other, &COGLMD2::FreeModel, true, [this](const COGLMD2& source) { m_textureFlag = source.m_textureFlag; },
        [this](const COGLMD2& source) {
            m_glCommands = source.m_glCommands;
            m_glCommandCount = source.m_glCommandCount;
            m_frames = source.m_frames;
            m_frameSize = source.m_frameSize;
            m_frameCount = source.m_frameCount;
            m_vertexCount = source.m_vertexCount;
            m_triangleCount = source.m_triangleCount;
        });
}

std::size_t COGLMD2::DataBytes() const {
    std::size_t bytes = m_frames.capacity() + m_glCommands.capacity() * sizeof(std::uint32_t);
    for (const auto& animation : m_animations) {
        bytes += sizeof(animation) + sizeof(ModelAnimation) + animation->name.capacity() + 1;
    }
    return bytes;
}
