#include "models/quake1/COGLMDL.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <new>

#include "media/Archive.h"
#include "media/COGLTexture2D.h"
#include "models/FrameNames.h"
#include "models/QuakeNormals.h"
#include "models/SourceRecord.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"
#include "scene/Geometry.h"

namespace {
// The normal table in drawing space, (n.y, n.z, n.x), with "up" appended for
// normal indexes past the table's end.
const std::array<Vector3, kQuakeNormalCount + 1>& DrawingNormals() {
    static const auto table = [] {
        std::array<Vector3, kQuakeNormalCount + 1> t{};
        for (std::size_t i = 0; i < kQuakeNormals.size(); ++i) {
            const Vector3& n = kQuakeNormals[i];
            t[i] = {n.y, n.z, n.x};
        }
        t[kQuakeNormalCount] = {0.0f, 1.0f, 0.0f};
        return t;
    }();
    return table;
}

// The template of an embedded skin's name; its seventh character counts the skins.
constexpr char kSkinNameTemplate[] = "skin   ";
constexpr std::size_t kSkinDigit = 6;

// The walk's triangles as GL receives them, for drawing and for export.
struct SinkAdapter {
    GeometrySink& out;
    void Begin() { out.Begin(GL_TRIANGLES); }
    void Vertex(const Vector3& n, float s, float t, const Vector3& p) {
        out.Normal(n);
        out.TexCoord(s, t);
        out.Vertex(p);
    }
    void End() { out.End(); }
};

struct BoundsOnlySink {
    void Begin() {}
    void Vertex(const Vector3& /*n*/, float /*s*/, float /*t*/, const Vector3& /*p*/) {}
    void End() {}
};
}  // namespace

COGLMDL::COGLMDL(COGLScene* scene) : COGLModel(object_type::kMDL, scene) {
    SetName("MDL");
    m_scale = {0.05f, 0.05f, 0.05f};
    m_diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
}

COGLMDL::~COGLMDL() { FreeModel(); }

void COGLMDL::FreeModel() {
    m_texCoords.clear();
    m_triangles.clear();
    m_frames.clear();
    m_triangleCount = 0;
    m_vertexCount = 0;
    if (m_texture != nullptr && FindSkin(m_texture->Path()) == m_texture) {
        m_texture = nullptr;
    }
    for (const auto& skin : m_embeddedSkins) {
        if (m_texture == skin.get()) {
            m_texture = nullptr;
        }
    }
    // The store gives back the skins it holds; the embedded ones go with the last copy.
    ReleaseSkins();
    m_embeddedSkins.clear();
    m_skinCount = 0;
    m_animation = nullptr;
    m_animations.clear();
    m_ready = 0;
}

// --- Reading ---

bool COGLMDL::LoadFile(const std::string& path) {
    const auto bytes = ReadSourceFile(path);
    if (!bytes) {
        return false;
    }
    BinaryReader in(*bytes);
    m_loaded = ReadMDL(in) ? 1 : 0;
    NameFromFile(m_path);
    return m_loaded != 0;
}

bool COGLMDL::LoadFromPak(Archive* pak, const PakEntry& entry) {
    const auto bytes = ReadSourceEntry(pak, entry);
    if (!bytes) {
        m_loaded = 0;
        return false;
    }
    BinaryReader in(*bytes);
    m_loaded = ReadMDL(in) ? 1 : 0;
    NameFromFile(m_path);
    return m_loaded != 0;
}

bool COGLMDL::ReadMDL(BinaryReader& file) {
    MdlData data;
    bool ok = false;
    try {
        data = ReadMdlData(file);
        ok = true;
    } catch (const ReadError&) {
    } catch (const std::bad_alloc&) {
    }
    FreeModel();
    if (!ok) {
        ShowMessage(msg::kNotValidMdl);
        return false;
    }
    Adopt(std::move(data));
    return true;
}

void COGLMDL::Adopt(MdlData&& data) {
    m_frameScale = data.scale;
    m_origin = data.origin;
    m_skinWidth = data.skinWidth;
    m_skinHeight = data.skinHeight;
    m_skinCount = static_cast<int>(data.skins.size());
    ProgressScope progress(msg::kLoading.text, m_skinCount + 1);
    const int filterMode = m_scene != nullptr ? m_scene->TextureFilterMode() : 1;
    for (std::size_t i = 0; i < data.skins.size(); ++i) {
        auto skin = std::make_shared<COGLTexture2D>();
        BinaryReader pixels(data.skins[i]);
        if (skin->FromIndexed(pixels, m_skinWidth, m_skinHeight, filterMode)) {
            std::string name = kSkinNameTemplate;
            name[kSkinDigit] = static_cast<char>('1' + static_cast<int>(i));
            skin->SetName(name);
            m_skins.push_back(skin.get());
            m_embeddedSkins.push_back(std::move(skin));
        }
        progress.Step();
    }
    m_vertexCount = data.vertexCount;
    m_texCoords = std::move(data.texCoords);
    m_triangles = std::move(data.triangles);
    m_triangleCount = static_cast<int>(m_triangles.size());
    m_frames = std::move(data.frames);
    BuildAnimations();
    m_verticalOffset = 0.0f;
    ResetAnimation();
    m_ready = 1;
    progress.Step();
}

void COGLMDL::BuildAnimations() {
    m_animations.clear();
    MdlAnimation* current = nullptr;
    std::string currentName;
    for (std::size_t i = 0; i < m_frames.size(); ++i) {
        std::string name = AnimationNameOf(m_frames[i].name);
        if (current == nullptr || name != currentName) {
            auto animation = std::make_unique<MdlAnimation>(name.substr(0, ModelAnimation::kNameSize - 1), 0);
            animation->vertexCount = m_vertexCount;
            current = animation.get();
            m_animations.push_back(std::move(animation));
            currentName = std::move(name);
        }
        current->frames.push_back(static_cast<int>(i));
        ++current->frameCount;
    }
    m_animation = m_animations.empty() ? nullptr : m_animations.front().get();
}

void COGLMDL::NameFromFile(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    const std::size_t end = dot == std::string::npos || dot < start ? path.size() : dot;
    SetName(path.substr(start, std::min(end - start, kNameLimit)));
}

std::vector<COGLTexture2D*> COGLMDL::FrameTextures() const {
    std::vector<COGLTexture2D*> textures;
    for (const auto& skin : m_embeddedSkins) {
        textures.push_back(skin.get());
    }
    return textures;
}

// --- Drawing ---

const std::uint8_t* COGLMDL::FrameVertices(int index) const {
    // Frame state may come from a scene file: a position outside the animation
    // shows its first frame.
    const std::vector<int>& frames = Current()->frames;
    const int frame = index >= 0 && static_cast<std::size_t>(index) < frames.size() ? frames[static_cast<std::size_t>(index)]
                                                                                    : frames.front();
    return m_frames[static_cast<std::size_t>(frame)].vertices.data();
}

void COGLMDL::TexCoordOf(int triangle, int corner, float& s, float& t) const {
    const MdlTriangle& tri = m_triangles.at(static_cast<std::size_t>(triangle));
    const MdlTexCoord& coord = m_texCoords[static_cast<std::size_t>(tri.vertex[corner % 3])];
    // Wide enough for any coordinate a file holds plus half the skin.
    std::int64_t sPixels = coord.s;
    // The back half of the skin is drawn beside the front half: a seam vertex of
    // a triangle facing away takes its coordinate from there.
    if (coord.onSeam != 0 && tri.facesFront == 0) {
        sPixels += m_skinWidth / 2;
    }
    s = static_cast<float>(sPixels) / static_cast<float>(m_skinWidth);
    t = -(static_cast<float>(coord.t) / static_cast<float>(m_skinHeight));
}

template <typename Sink>
void COGLMDL::WalkGeometry(Sink& sink) {
    ResetBounds();
    if (m_animation == nullptr || Current()->frames.empty()) {
        return;
    }
    const std::uint8_t* a = FrameVertices(m_frameIndex);
    const std::uint8_t* b = FrameVertices(m_nextFrameIndex);
    const float t = std::isfinite(m_lerp) ? m_lerp : 0.0f;
    const auto& normals = DrawingNormals();
    const auto position = [this](const std::uint8_t* v) {
        return Vector3{v[0] * m_frameScale.x + m_origin.x, v[1] * m_frameScale.y + m_origin.y,
                       v[2] * m_frameScale.z + m_origin.z};
    };
    for (int i = 0; i < m_triangleCount; ++i) {
        sink.Begin();
        for (int corner = 0; corner < 3; ++corner) {
            const std::size_t vertex = static_cast<std::size_t>(m_triangles[static_cast<std::size_t>(i)].vertex[corner]);
            const std::uint8_t* va = a + vertex * mdl_format::kVertexSize;
            const Vector3 pa = position(va);
            const Vector3 pb = position(b + vertex * mdl_format::kVertexSize);
            const Vector3 blended = pa + (pb - pa) * t;
            const Vector3 p{blended.y, blended.z, blended.x};
            GrowBounds(p);
            float s = 0.0f;
            float tc = 0.0f;
            TexCoordOf(i, corner, s, tc);
            sink.Vertex(normals[va[3] < kQuakeNormalCount ? va[3] : kQuakeNormalCount], s, tc, p);
        }
        sink.End();
    }
}

void COGLMDL::RefreshBounds() {
    BoundsOnlySink sink;
    WalkGeometry(sink);
}

bool COGLMDL::WalkFrame(GeometrySink& sink) {
    SinkAdapter adapter{sink};
    WalkGeometry(adapter);
    return !m_frames.empty();
}

void COGLMDL::DrawAxes() {
    const Vector3& lo = m_boundsMin;
    const Vector3& hi = m_boundsMax;
    DrawAxisLines({hi.x, lo.y, 0.0f}, {0.0f, lo.y, 0.0f}, {0.0f, lo.y, lo.z}, {5.0f, -5.0f, -5.0f});
}

// --- Animation ---

void COGLMDL::AdvanceFrame() {
    if (m_animation == nullptr) {
        return;
    }
    AdvanceClock(m_animation->frameCount);
    // The last frame is shown as it is, not blended with itself.
    if (m_nextFrameIndex == m_frameIndex) {
        m_lerp = 0.0f;
    }
}

// --- Scene record ---
//
// After the common record:
//   char[260] model path; int32 pak position (-1 a plain file);
//   int32 current animation index (-1 none); float speed;
//   float frame position, int32 frame index, int32 next frame index, float blend;
//   bytes loop, single step, interpolate;
//   int32 skin total: the embedded skins plus those loaded later by the user;
//   one entry (byte load option, char[260] path) per skin loaded later;
//   int32 index of the current skin (-1 none).

void COGLMDL::Save(BinaryWriter& out, int textureIndex) const {
    COGLObject::Save(out, textureIndex);
    WriteSourceRecord(out, m_path, m_pak, m_scene);
    WriteClockRecord(out);
    // The total counts the file's skins as the file declares them, so that the
    // reader, which re-reads the file, knows how many entries follow.
    std::vector<const COGLTexture2D*> loadedLater;
    for (const COGLTexture2D* skin : m_skins) {
        if (!skin->Path().empty()) {
            loadedLater.push_back(skin);
        }
    }
    out.WriteI32(m_skinCount + static_cast<std::int32_t>(loadedLater.size()));
    for (const COGLTexture2D* skin : loadedLater) {
        WriteSkinEntry(out, *skin);
    }
    out.WriteI32(SkinIndexOf(m_texture));
}

bool COGLMDL::LoadFromScene(BinaryReader& in, int version, COGLScene& scene) {
    m_scene = &scene;
    const int sceneTextureIndex = COGLObject::Load(in, version);
    const std::string savedName = Name();
    ReadSourceRecord(
        in, scene, FileLocator::Mdl, [this](const std::string& path) { LoadFile(path); },
        [this](Archive& pak, const PakEntry& entry) { LoadFromPak(&pak, entry); });

    // The rest of the record is read whatever happened, so the next record starts right.
    ReadClockRecord(in, true);

    // Entries stand for the skins past the file's own. Without the file its
    // skin count is unknown; a model that did not load has its later skins
    // taken as none, the usual case.
    const std::int32_t total = in.ReadI32();
    const std::int64_t entries = m_loaded != 0 ? static_cast<std::int64_t>(total) - m_skinCount : 0;
    ReadSkinEntries(in, entries < 0 ? 0 : entries, true, scene);
    ReadSavedTexture(in, sceneTextureIndex, scene);
    SetName(savedName);
    return true;
}

// --- Copy ---

void COGLMDL::CopyFrom(const COGLObject& other) {
    const COGLMDL* source = BeginCopyFrom(other, &COGLMDL::FreeModel);
    if (source == nullptr) {
        return;
    }
    if (source->m_ready == 0) {
        return;
    }
    m_embeddedSkins = source->m_embeddedSkins;
    m_skins = source->m_skins;
    for (COGLTexture2D* skin : m_skins) {
        if (skin->Path().empty()) {
            continue;  // embedded: shared through m_embeddedSkins
        }
        skin->AddRef();
    }
    m_frameScale = source->m_frameScale;
    m_origin = source->m_origin;
    m_skinWidth = source->m_skinWidth;
    m_skinHeight = source->m_skinHeight;
    m_vertexCount = source->m_vertexCount;
    m_triangleCount = source->m_triangleCount;
    m_texCoords = source->m_texCoords;
    m_triangles = source->m_triangles;
    m_frames = source->m_frames;
    CopyAnimationsOf<MdlAnimation>(*source, false);
    m_singleStep = source->m_singleStep;
    m_interpolate = source->m_interpolate;
    CopyClockOf(*source);
}
