#include "models/sin/COGLSBM.h"

#include <GL/gl.h>

#include <cmath>
#include <new>
#include <utility>

#include "media/Archive.h"
#include "media/COGLTexture2D.h"
#include "models/QuakeNormals.h"
#include "models/SourceRecord.h"
#include "models/sin/SinAnimFile.h"
#include "models/sin/SinDef.h"
#include "models/sin/SinModelFile.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"
#include "scene/Geometry.h"

SinAnimation::SinAnimation(std::string animationName, std::string filePath, const PakEntry* pakEntry,
                           std::shared_ptr<const SamAnimation> frames)
    : ModelAnimation(std::move(animationName), 0, static_cast<int>(frames->frames.size())),
      path(std::move(filePath)),
      entry(pakEntry),
      data(std::move(frames)) {}

// Everything read from the files, before it replaces the model's data.
struct COGLSBM::Staged {
    std::vector<SinMeshGroup> groups;
    int vertexCount = 0;
    const PakEntry* sbmEntry = nullptr;
    std::string sbmPath;
    AnimationList animations;
};

COGLSBM::COGLSBM(COGLScene* scene) : COGLModel(object_type::kSBM, scene) {
    SetName("sbm");
    m_scale = {sin_def::kScaleUnit, sin_def::kScaleUnit, sin_def::kScaleUnit};
    COGLObject::Rotate({1.0f, 0.0f, 0.0f}, 180.0f);
    m_diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
}

COGLSBM::~COGLSBM() { FreeModel(); }

void COGLSBM::FreeModel() {
    if (m_texture != nullptr && FindSkin(m_texture->Path()) == m_texture) {
        m_texture = nullptr;
    }
    ReleaseSkins();
    m_skinCount = 0;
    m_animation = nullptr;
    m_animations.clear();
    m_groups.clear();
    m_vertexCount = 0;
    m_sbmEntry = nullptr;
    m_sbmPath.clear();
    m_ready = 0;
}

// --- Reading ---

bool COGLSBM::LoadFile(const std::string& path) {
    const auto bytes = ReadSourceFile(path);
    if (!bytes) {
        return false;
    }
    m_loaded = LoadDef(bytes->data(), bytes->size()) ? 1 : 0;
    SetName(fs_util::FileTitleOf(m_path));
    return m_loaded != 0;
}

bool COGLSBM::LoadFromPak(Archive* pak, const PakEntry& entry) {
    const auto bytes = ReadSourceEntry(pak, entry);
    m_loaded = bytes && LoadDef(bytes->data(), bytes->size()) ? 1 : 0;
    SetName(fs_util::FileTitleOf(m_path));
    return m_loaded != 0;
}

bool COGLSBM::LoadDef(const std::uint8_t* text, std::size_t size) {
    FreeModel();
    const auto def = ParseSinDef(reinterpret_cast<const char*>(text), size);
    if (!def) {
        ShowMessage(msg::kNotValidSinDef);
        return false;
    }
    m_prefix = def->prefix;
    Staged staged;
    if (!ReadFiles(*def, staged)) {
        return false;
    }
    m_groups = std::move(staged.groups);
    m_vertexCount = staged.vertexCount;
    m_sbmEntry = staged.sbmEntry;
    m_sbmPath = std::move(staged.sbmPath);
    m_animations = std::move(staged.animations);
    m_animation = m_animations.front().get();
    m_positions.assign(static_cast<std::size_t>(m_vertexCount), Vector3{});
    if (def->scale) {
        m_scale = {*def->scale, *def->scale, *def->scale};
    }
    // The first frame's floor stands on the object's position, as MD2 models do.
    m_verticalOffset = static_cast<const SinAnimation*>(m_animation)->data->frames.front().translate.z;
    ResetAnimation();
    LoadSkins(*def);
    m_skinCount = static_cast<int>(def->skins.size());
    ApplyFirstSkin();
    m_ready = 1;
    return true;
}

std::optional<ByteBuffer> COGLSBM::ReadSource(const std::string& gamePath, const PakEntry** entry,
                                              std::string* path) const {
    if (m_pak != nullptr) {
        const PakEntry* found = m_pak->FindEntry(gamePath);
        if (found == nullptr) {
            return std::nullopt;
        }
        *entry = found;
        *path = found->name;
        return m_pak->ReadEntry(*found);
    }
    std::string file = LocateSinFile(m_directory, gamePath);
    if (file.empty()) {
        return std::nullopt;
    }
    *entry = nullptr;
    *path = file;
    return ReadWholeFile(file);
}

bool COGLSBM::ReadFiles(const SinDefinition& def, Staged& staged) {
    std::optional<ByteBuffer> model;
    if (!def.modelPath.empty()) {
        model = ReadSource(def.modelPath, &staged.sbmEntry, &staged.sbmPath);
    }
    if (!model) {
        ShowMessage(msg::kCannotLocateSbm);
        return false;
    }
    // Animations in a pak are read whole; on disk only their frame records now.
    struct Found {
        std::string name;
        std::string path;
        const PakEntry* entry = nullptr;
        ByteBuffer bytes;
    };
    std::vector<Found> found;
    for (const SinDefFile& animation : def.animations) {
        Found f;
        f.name = animation.name;
        if (m_pak != nullptr) {
            if (auto bytes = ReadSource(animation.path, &f.entry, &f.path)) {
                f.bytes = std::move(*bytes);
                found.push_back(std::move(f));
            }
        } else if (f.path = LocateSinFile(m_directory, animation.path); !f.path.empty()) {
            found.push_back(std::move(f));
        }
    }
    if (found.empty()) {
        ShowMessage(msg::kCannotLocateSam);
        return false;
    }
    try {
        const SbmModel sbm = ReadSbm(BinaryReader(*model));
        staged.vertexCount = sbm.vertexCount;
        for (const SbmGroup& group : sbm.groups) {
            SinMeshGroup mesh;
            mesh.id = group.id;
            mesh.twoSided = def.TwoSided(group.id);
            mesh.corners.reserve(group.triangles.size() * 3);
            for (const SbmTriangle& triangle : group.triangles) {
                for (int k = 0; k < 3; ++k) {
                    const auto& st = sbm.st[triangle.st[static_cast<std::size_t>(k)]];
                    mesh.corners.push_back({triangle.xyz[static_cast<std::size_t>(k)], st[0], st[1]});
                }
            }
            staged.groups.push_back(std::move(mesh));
        }
    } catch (const ReadError&) {
        ShowMessage(msg::kNotValidSbm);
        return false;
    } catch (const std::bad_alloc&) {
        ShowMessage(msg::kNotValidSbm);
        return false;
    }
    // A broken animation, or one made for another model, is left out like a missing one.
    for (Found& f : found) {
        try {
            auto frames = std::make_shared<const SamAnimation>(f.entry != nullptr ? ReadSam(std::move(f.bytes))
                                                                                    : ReadSamFramesFromFile(f.path));
            if (frames->vertexCount == staged.vertexCount) {
                staged.animations.push_back(
                    std::make_unique<SinAnimation>(std::move(f.name), std::move(f.path), f.entry, std::move(frames)));
            }
        } catch (const ReadError&) {
        } catch (const std::bad_alloc&) {
        }
    }
    if (staged.animations.empty()) {
        ShowMessage(msg::kCannotLocateSam);
        return false;
    }
    return true;
}

void COGLSBM::LoadSkins(const SinDefinition& def) {
    if (m_scene == nullptr) {
        return;
    }
    for (const SinDefFile& skin : def.skins) {
        COGLTexture2D* texture = nullptr;
        if (m_pak != nullptr) {
            texture = m_scene->LoadSkinTexture(skin.path, m_pak, std::string(), 0, false);
        } else if (const std::string file = LocateSinFile(m_directory, skin.path); !file.empty()) {
            texture = m_scene->LoadSkinTexture(file, nullptr, std::string(), 0, false);
        }
        if (texture != nullptr) {
            texture->SetName(skin.name);
            AdoptSkin(texture);
        }
    }
}

// --- Drawing ---

bool COGLSBM::EnsureVertices(SinAnimation& animation) {
    if (!animation.data->bytes.empty()) {
        return true;
    }
    if (animation.unreadable) {
        return false;
    }
    // The file may have changed since the model loaded: it must still be the same animation.
    animation.unreadable = true;
    auto bytes = animation.entry != nullptr && m_pak != nullptr ? m_pak->ReadEntry(*animation.entry)
                                                                 : ReadWholeFile(animation.path);
    if (!bytes) {
        return false;
    }
    try {
        auto frames = std::make_shared<const SamAnimation>(ReadSam(std::move(*bytes)));
        if (frames->vertexCount != m_vertexCount || frames->frames.size() != animation.data->frames.size()) {
            return false;
        }
        animation.data = std::move(frames);
        animation.unreadable = false;
        return true;
    } catch (const ReadError&) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}

void COGLSBM::WalkGeometry(GeometrySink* sink) { Walk(sink, false); }

void COGLSBM::Walk(GeometrySink* sink, bool drawing) {
    ResetBounds();
    auto* animation = static_cast<SinAnimation*>(m_animation);
    if (animation == nullptr || m_groups.empty() || !EnsureVertices(*animation)) {
        return;
    }
    const SamAnimation& data = *animation->data;
    // Frame state may come from a scene file: anything outside the animation
    // shows its first frame.
    const auto frameAt = [&data](int index) {
        return index >= 0 && static_cast<std::size_t>(index) < data.frames.size() ? static_cast<std::size_t>(index) : 0;
    };
    const std::size_t a = frameAt(m_frameIndex);
    const std::size_t b = frameAt(m_nextFrameIndex);
    const SamFrame& fa = data.frames[a];
    const SamFrame& fb = data.frames[b];
    const std::uint8_t* va = data.Vertices(a);
    const std::uint8_t* vb = data.Vertices(b);
    const float t = std::isfinite(m_lerp) ? m_lerp : 0.0f;
    m_positions.resize(static_cast<std::size_t>(m_vertexCount));
    for (std::size_t v = 0; v < m_positions.size(); ++v) {
        const std::uint8_t* pa = va + v * sam_format::kVertexSize;
        const std::uint8_t* pb = vb + v * sam_format::kVertexSize;
        const Vector3 from{pa[0] * fa.scale.x + fa.translate.x, pa[1] * fa.scale.y + fa.translate.y,
                           pa[2] * fa.scale.z + fa.translate.z};
        const Vector3 to{pb[0] * fb.scale.x + fb.translate.x, pb[1] * fb.scale.y + fb.translate.y,
                         pb[2] * fb.scale.z + fb.translate.z};
        m_positions[v] = QuakeToDrawing(from + (to - from) * t);
    }
    const Vector3* normals = QuakeDrawingNormals(m_invertNormals != 0);
    for (const SinMeshGroup& group : m_groups) {
        const bool uncull = drawing && group.twoSided;
        if (uncull) {
            glPushAttrib(GL_ENABLE_BIT);
            glDisable(GL_CULL_FACE);
        }
        if (sink != nullptr) {
            sink->Begin(GL_TRIANGLES);
        }
        for (const SinMeshGroup::Corner& corner : group.corners) {
            const Vector3& p = m_positions[corner.vertex];
            GrowBounds(p);
            if (sink != nullptr) {
                const std::uint8_t normal = va[static_cast<std::size_t>(corner.vertex) * sam_format::kVertexSize + 3];
                sink->Normal(normals[normal < kQuakeNormalCount ? normal : kQuakeNormalCount]);
                sink->TexCoord(corner.s, -corner.t);
                sink->Vertex(p);
            }
        }
        if (sink != nullptr) {
            sink->End();
        }
        if (uncull) {
            glPopAttrib();
        }
    }
}

void COGLSBM::Draw(int flags) {
    DrawGeometry(flags, [this] {
        GLGeometrySink sink;
        Walk(&sink, true);
    });
}

// --- Scene record ---

void COGLSBM::Save(BinaryWriter& out, int textureIndex) const {
    COGLObject::Save(out, textureIndex);
    WriteSourceRecord(out, m_path, m_pak, m_scene);
    WriteClockRecord(out);
    out.WriteI32(SkinIndexOf(m_texture));
    out.WriteU8(m_invertNormals);
}

bool COGLSBM::LoadFromScene(BinaryReader& in, int version, COGLScene& scene) {
    m_scene = &scene;
    const int sceneTextureIndex = COGLObject::Load(in, version);
    // Reading the definition sets both from the files; the scene's own win.
    const std::string savedName = Name();
    const Vector3 savedScale = m_scale;
    ReadSourceRecord(
        in, scene, FileLocator::Other, [this](const std::string& path) { LoadFile(path); },
        [this](Archive& pak, const PakEntry& entry) { LoadFromPak(&pak, entry); });

    // The rest of the record is read whatever happened, so the next record starts right.
    ReadClockRecord(in, version > 5);
    ReadSavedTexture(in, sceneTextureIndex, scene);
    m_invertNormals = in.ReadU8();
    SetName(savedName);
    m_scale = savedScale;
    return true;
}

// --- Copy ---

void COGLSBM::CopyFrom(const COGLObject& other) {
    CopyModelFrom<SinAnimation>(
        other, &COGLSBM::FreeModel, false, [this](const COGLSBM& source) { m_prefix = source.m_prefix; },
        [this](const COGLSBM& source) {
            m_sbmEntry = source.m_sbmEntry;
            m_sbmPath = source.m_sbmPath;
            m_groups = source.m_groups;
            m_vertexCount = source.m_vertexCount;
            m_positions.assign(static_cast<std::size_t>(m_vertexCount), Vector3{});
        });
}
