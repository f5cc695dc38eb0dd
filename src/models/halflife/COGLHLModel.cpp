#include "models/halflife/COGLHLModel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "media/Archive.h"
#include "media/COGLTexture2D.h"
#include "models/SourceRecord.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"

COGLHLModel::COGLHLModel(COGLScene* scene) : COGLModel(object_type::kHLModel, scene) {
    SetName("HL-mdl");
    m_scale = {0.05f, 0.05f, 0.05f};
}

COGLHLModel::~COGLHLModel() { FreeModel(); }

void COGLHLModel::FreeModel() {
    if (m_texture != nullptr) {
        for (COGLTexture2D* skin : m_skins) {
            if (skin == m_texture) {
                m_texture = nullptr;
            }
        }
    }
    ReleaseSkins();
    m_skinCount = 0;
    m_studio.reset();
    m_animation = nullptr;
    m_animations.clear();
    m_ready = 0;
}

// --- Reading ---

bool COGLHLModel::LoadFile(const std::string& path) {
    const std::string resolved = fs_util::ResolvePath(path);
    FreeModel();
    m_pak = nullptr;
    m_path = resolved;
    m_directory = fs_util::DirectoryOf(resolved);
    SetName(fs_util::FileTitleOf(resolved));
    auto bytes = ReadWholeFile(resolved);
    if (!bytes) {
        ShowMessage(StudioUnableToOpen(path));
        m_loaded = 0;
        return false;
    }
    // Companions are found beside the model with their letter case matched loosely.
    return Read(std::move(*bytes), [](const std::string& name) { return ReadWholeFile(fs_util::ResolvePath(name)); });
}

bool COGLHLModel::LoadFromPak(Archive* pak, const PakEntry& entry) {
    FreeModel();
    auto bytes = ReadSourceEntry(pak, entry);
    SetName(fs_util::FileTitleOf(entry.name));
    if (!bytes) {
        ShowMessage(StudioUnableToOpen(entry.name));
        m_loaded = 0;
        return false;
    }
    return Read(std::move(*bytes), [pak](const std::string& name) -> std::optional<ByteBuffer> {
        const PakEntry* companion = pak->FindEntry(name);
        return companion != nullptr ? pak->ReadEntry(*companion) : std::nullopt;
    });
}

bool COGLHLModel::Read(ByteBuffer bytes, const CompanionReader& companions) {
    auto studio = std::make_unique<StudioModel>(this);
    const MissingStudioCompanion missing = m_scene != nullptr && m_scene->DrawsWithoutCompanions()
                                               ? MissingStudioCompanion::ReadWithout
                                               : MissingStudioCompanion::Refuse;
    const std::string error = studio->Load(std::move(bytes), m_path, companions, missing);
    if (!error.empty()) {
        ShowMessage(error);
        m_loaded = 0;
        return false;
    }
    m_studio = std::move(studio);
    if (m_scene != nullptr) {
        m_studio->LoadTextures(*m_scene, fs_util::FileTitleOf(m_path), m_skins);
    }
    m_skinCount = static_cast<int>(m_studio->Data()->textures.size());

    m_studio->SetSequence(0);
    for (int i = 0; i < studio_format::kControllerCount; ++i) {
        m_studio->SetController(i, 0.0f);
    }
    m_studio->SetMouth(0.0f);
    m_studio->SetBlending(0, 0.5f);
    m_studio->SetBlending(1, 0.5f);
    const auto& sequences = m_studio->Data()->sequences;
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        m_animations.push_back(std::make_unique<ModelAnimation>(
            sequences[i].label.substr(0, ModelAnimation::kNameSize - 1), static_cast<int>(i), sequences[i].frameCount));
    }
    m_animation = m_animations.empty() ? nullptr : m_animations.front().get();
    ResetAnimation();
    RefreshBounds();
    m_loaded = 1;
    m_ready = 1;
    return true;
}

// --- Drawing ---

void COGLHLModel::RefreshBounds() {
    const StudioSequence* seq = m_studio ? m_studio->CurrentSequence() : nullptr;
    if (seq == nullptr) {
        ResetBounds();
        return;
    }
    // Mapped to drawing space with minima and maxima exchanged; the box drawn is the same.
    m_boundsMin = {seq->bbMax.y, seq->bbMax.z, seq->bbMax.x};
    m_boundsMax = {seq->bbMin.y, seq->bbMin.z, seq->bbMin.x};
    m_verticalOffset = -seq->bbMin.z;
}

bool COGLHLModel::LocalBounds(Vector3& lo, Vector3& hi) const {
    const StudioSequence* seq = m_studio ? m_studio->CurrentSequence() : nullptr;
    if (seq == nullptr) {
        return false;
    }
    const float lift = -seq->bbMin.z;
    lo = {std::min(seq->bbMin.y, seq->bbMax.y), std::min(seq->bbMin.z, seq->bbMax.z) + lift,
          std::min(seq->bbMin.x, seq->bbMax.x)};
    hi = {std::max(seq->bbMin.y, seq->bbMax.y), std::max(seq->bbMin.z, seq->bbMax.z) + lift,
          std::max(seq->bbMin.x, seq->bbMax.x)};
    return true;
}

void COGLHLModel::Draw(int flags) {
    if (!IsVisible() || !m_studio) {
        return;
    }
    const bool transparent = BeginTransparency();
    RefreshBounds();
    glPushMatrix();
    ApplyModelTransform();
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glCullFace(GL_FRONT);
    // The frame control and scene files set the position without a tick.
    m_studio->SetFrame(m_frame);
    const bool material = (flags & kDrawMaterial) != 0;
    // A model whose texture file was out of sight has nothing to texture with:
    // it shows its material, lit by the scene's lights, as the other families
    // show a model without its skin.
    if (material && m_studio->Data()->textures.empty()) {
        ApplyMaterial();
        m_studio->Draw(false, m_invertNormals != 0);
    } else if (material) {
        glDisable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, m_textureEnvMode);
        m_studio->Draw(true, m_invertNormals != 0);
    } else {
        m_studio->Draw(false, m_invertNormals != 0);
    }
    glPopAttrib();
    glPopMatrix();
    EndTransparency(transparent);
}

void COGLHLModel::DrawForPick() {
    if (PickName() < 0) {
        return;
    }
    glLoadName(static_cast<GLuint>(PickName()));
    Draw(0);
}

void COGLHLModel::DrawAxes() {
    const Vector3& lo = m_boundsMin;
    const Vector3& hi = m_boundsMax;
    DrawAxisLines({lo.x, hi.y, 0.0f}, {0.0f, lo.y, 0.0f}, {0.0f, hi.y, lo.z}, {5.0f, 5.0f, 5.0f});
}

// --- Posing ---

std::vector<COGLHLModel::BodyPartChoice> COGLHLModel::BodyParts() const {
    std::vector<BodyPartChoice> parts;
    const StudioData* data = m_studio ? m_studio->Data() : nullptr;
    if (data == nullptr) {
        return parts;
    }
    for (std::size_t p = 0; p < data->bodyParts.size(); ++p) {
        BodyPartChoice choice;
        choice.name = data->bodyParts[p].name;
        for (const StudioSubmodel& model : data->bodyParts[p].models) {
            choice.submodels.push_back(model.name);
        }
        choice.chosen = m_studio->Submodel(static_cast<int>(p));
        parts.push_back(std::move(choice));
    }
    return parts;
}

int COGLHLModel::Body() const { return m_studio ? m_studio->Body() : 0; }

void COGLHLModel::SetBody(int body) {
    if (m_studio) {
        m_studio->SetBody(body);
    }
}

int COGLHLModel::Submodel(int part) const { return m_studio ? m_studio->Submodel(part) : 0; }

void COGLHLModel::SetSubmodel(int part, int submodel) {
    if (m_studio) {
        m_studio->SetSubmodel(part, submodel);
    }
}

bool COGLHLModel::SetSubmodelByName(int part, const std::string& name) {
    const StudioData* data = m_studio ? m_studio->Data() : nullptr;
    if (data == nullptr || part < 0 || static_cast<std::size_t>(part) >= data->bodyParts.size()) {
        return false;
    }
    const auto& models = data->bodyParts[static_cast<std::size_t>(part)].models;
    for (std::size_t i = 0; i < models.size(); ++i) {
        if (fs_util::ToLower(models[i].name) == fs_util::ToLower(name)) {
            m_studio->SetSubmodel(part, static_cast<int>(i));
            return true;
        }
    }
    return false;
}

int COGLHLModel::SkinFamilyCount() const {
    const StudioData* data = m_studio ? m_studio->Data() : nullptr;
    return data != nullptr ? data->skinFamilies : 0;
}

int COGLHLModel::SkinFamily() const { return m_studio ? m_studio->SkinFamily() : 0; }

void COGLHLModel::SetSkinFamily(int family) {
    if (m_studio) {
        m_studio->SetSkinFamily(family);
    }
}

const std::vector<StudioBoneController>& COGLHLModel::Controllers() const {
    static const std::vector<StudioBoneController> kNone;
    const StudioData* data = m_studio ? m_studio->Data() : nullptr;
    return data != nullptr ? data->controllers : kNone;
}

void COGLHLModel::SetController(int index, float value) {
    if (m_studio) {
        m_studio->SetController(index, value);
    }
}

float COGLHLModel::Controller(int index) const { return m_studio ? m_studio->Controller(index) : 0.0f; }

void COGLHLModel::SetMouth(float value) {
    if (m_studio) {
        m_studio->SetMouth(value);
    }
}

float COGLHLModel::Mouth() const { return m_studio ? m_studio->Mouth() : 0.0f; }

int COGLHLModel::BlendCount() const { return m_studio ? m_studio->BlendValueCount() : 0; }

COGLHLModel::BlendRange COGLHLModel::BlendRangeOf(int index) const {
    const StudioSequence* seq = m_studio ? m_studio->CurrentSequence() : nullptr;
    if (seq == nullptr || index < 0 || index >= BlendCount()) {
        return {};
    }
    const auto i = static_cast<std::size_t>(index);
    return {seq->blendType[i], seq->blendStart[i], seq->blendEnd[i]};
}

void COGLHLModel::SetBlend(int index, float value) {
    if (m_studio) {
        m_studio->SetBlending(index, value);
    }
}

float COGLHLModel::Blend(int index) const { return m_studio ? m_studio->Blending(index) : 0.0f; }

// --- Animation ---

int COGLHLModel::GetFrameCount() const {
    const StudioSequence* seq = m_studio ? m_studio->CurrentSequence() : nullptr;
    return seq != nullptr ? seq->frameCount : 0;
}

float COGLHLModel::FramesPerSecond() const {
    const StudioSequence* seq = m_studio ? m_studio->CurrentSequence() : nullptr;
    return seq != nullptr && seq->fps > 0.0f && seq->fps <= 1000.0f ? seq->fps : COGLModel::FramesPerSecond();
}

void COGLHLModel::SetLoopPosition(float position) {
    const float loop = static_cast<float>(LoopFrames());
    m_frame = std::isfinite(position) && position >= 0.0f && position < loop ? position : 0.0f;
    m_frameIndex = static_cast<int>(m_frame);
    m_nextFrameIndex = m_frameIndex;
    if (m_studio) {
        m_studio->SetFrame(m_frame);
    }
}

void COGLHLModel::AdvanceFrame() {
    const int frameCount = GetFrameCount();
    if (frameCount < 2) {
        return;
    }
    m_frame += m_speed;
    if (!std::isfinite(m_frame) || m_frame < 0.0f) {
        m_frame = 0.0f;
    }
    m_frameIndex = m_frame < static_cast<float>(frameCount) ? static_cast<int>(m_frame) : frameCount;
    if (m_frameIndex >= frameCount - 1) {
        if (m_loop != 0) {
            m_frame = 0.0f;
            m_frameIndex = 0;
        } else {
            SetAnimating(false);
            GetHost().RefreshAnimationControls();
            ResetAnimation();
        }
    }
    m_studio->SetFrame(m_frame);
}

bool COGLHLModel::Play() {
    SetAnimating(true);
    return true;
}

void COGLHLModel::SelectAnimationByName(const std::string& /*name*/) {}

void COGLHLModel::SetAnimation(ModelAnimation* animation) {
    if (AnimationIndexOf(animation) < 0 || !m_studio) {
        return;
    }
    m_animation = animation;
    m_studio->SetSequence(animation->firstFrame);
}

// --- Scene record ---

void COGLHLModel::Save(BinaryWriter& out, int textureIndex) const {
    COGLObject::Save(out, textureIndex);
    WriteSourceRecord(out, m_path, m_pak, m_scene);
    out.WriteI32(AnimationIndexOf(m_animation));
    out.WriteF32(m_speed);
    out.WriteF32(m_frame);
    out.WriteI32(m_frameIndex);
    out.WriteI32(m_nextFrameIndex);
    out.WriteU8(m_loop);
    out.WriteU8(m_singleStep);
}

bool COGLHLModel::LoadFromScene(BinaryReader& in, int version, COGLScene& scene) {
    m_scene = &scene;
    COGLObject::Load(in, version);
    const std::string savedName = Name();
    ReadSourceRecord(
        in, scene, FileLocator::Mdl, [this](const std::string& path) { LoadFile(path); },
        [this](Archive& pak, const PakEntry& entry) { LoadFromPak(&pak, entry); });
    // The rest of the record is read whatever happened, so the next record starts right.
    const std::int32_t animationIndex = in.ReadI32();
    const float speed = in.ReadF32();
    const float frame = in.ReadF32();
    const std::int32_t frameIndex = in.ReadI32();
    const std::int32_t nextFrameIndex = in.ReadI32();
    const std::uint8_t loop = in.ReadU8();
    const std::uint8_t singleStep = in.ReadU8();
    SetName(savedName);
    if (m_loaded == 0) {
        return true;
    }
    if (animationIndex >= 0 && static_cast<std::size_t>(animationIndex) < m_animations.size()) {
        SetAnimation(m_animations[static_cast<std::size_t>(animationIndex)].get());
    }
    m_speed = speed;
    m_frame = std::isfinite(frame) && frame >= 0.0f ? frame : 0.0f;
    m_frameIndex = frameIndex;
    m_nextFrameIndex = nextFrameIndex;
    m_loop = loop;
    m_singleStep = singleStep;
    m_studio->SetFrame(m_frame);
    m_loaded = 1;
    m_ready = 1;
    return true;
}

// --- Copy ---

void COGLHLModel::CopyFrom(const COGLObject& other) {
    const COGLHLModel* source = BeginCopyFrom(other, &COGLHLModel::FreeModel);
    if (source == nullptr) {
        return;
    }
    if (source->m_ready == 0 || !source->m_studio) {
        return;
    }
    ShareSkinsOf(*source);
    CopyAnimationsOf<ModelAnimation>(*source, true);
    m_studio = std::make_unique<StudioModel>(this);
    m_studio->CopyFrom(*source->m_studio);
    CopyClockOf(*source);
}
