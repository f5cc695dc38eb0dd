#include "models/halflife/COGLHLModel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "media/Archive.h"
#include "media/COGLTexture2D.h"
#include "math/Matrix4.h"
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
    // A follower stays, and is mapped again onto the next model read.
    m_followerBones.clear();
    if (m_follower && m_follower->m_studio) {
        m_follower->m_studio->SetMergeSource(nullptr, nullptr);
    }
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
    MapFollowerBones();
    RefreshBounds();
    m_loaded = 1;
    m_ready = 1;
    return true;
}

// --- Drawing ---

namespace {
// The box of the current sequences of a model and its follower, in model space,
// as the file stores it (the follower's box stands in the leader's space).
bool SequenceBox(const StudioModel* studio, const StudioModel* follower, Vector3& lo, Vector3& hi) {
    const StudioSequence* seq = studio != nullptr ? studio->CurrentSequence() : nullptr;
    if (seq == nullptr) {
        return false;
    }
    lo = seq->bbMin;
    hi = seq->bbMax;
    if (const StudioSequence* other = follower != nullptr ? follower->CurrentSequence() : nullptr) {
        // Stored boxes may hold their corners either way round: take each in order.
        for (const Vector3& p : {other->bbMin, other->bbMax}) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
    }
    return true;
}

const StudioModel* StudioOf(const COGLHLModel* model) { return model != nullptr ? model->Studio() : nullptr; }
}  // namespace

void COGLHLModel::RefreshBounds() {
    Vector3 lo;
    Vector3 hi;
    if (!SequenceBox(m_studio.get(), StudioOf(m_follower.get()), lo, hi)) {
        ResetBounds();
        return;
    }
    // Mapped to drawing space with minima and maxima exchanged; the box drawn is the same.
    m_boundsMin = {hi.y, hi.z, hi.x};
    m_boundsMax = {lo.y, lo.z, lo.x};
    // The model stands on its own sequence's floor; a follower is lifted with it.
    m_verticalOffset = -m_studio->CurrentSequence()->bbMin.z;
}

bool COGLHLModel::LocalBounds(Vector3& lo, Vector3& hi) const {
    Vector3 a;
    Vector3 b;
    if (!SequenceBox(m_studio.get(), StudioOf(m_follower.get()), a, b)) {
        return false;
    }
    const float lift = -m_studio->CurrentSequence()->bbMin.z;
    lo = {std::min(a.y, b.y), std::min(a.z, b.z) + lift, std::min(a.x, b.x)};
    hi = {std::max(a.y, b.y), std::max(a.z, b.z) + lift, std::max(a.x, b.x)};
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
    const bool invert = m_invertNormals != 0;
    m_studio->Prepare(invert);
    COGLHLModel* follower = m_follower && m_follower->m_studio ? m_follower.get() : nullptr;
    if (follower != nullptr) {
        PoseFollower();
        follower->m_studio->Prepare(invert);
    }
    const bool material = (flags & kDrawMaterial) != 0;
    // A model whose texture file was out of sight has nothing to texture with:
    // it shows its material, lit by the scene's lights, as the other families
    // show a model without its skin.
    const auto draw = [material](COGLHLModel& model, int passes) {
        StudioModel& studio = *model.m_studio;
        const bool textured = material && !studio.Data()->textures.empty();
        glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_LIGHTING_BIT);
        if (textured) {
            glDisable(GL_LIGHTING);
            glEnable(GL_TEXTURE_2D);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, model.m_textureEnvMode);
        } else if (material) {
            model.ApplyMaterial();
        }
        studio.DrawPrepared(textured, passes);
        glPopAttrib();
    };
    // Both models' masked and solid meshes before either's additive ones.
    constexpr int kOpaque = StudioModel::kPassMasked | StudioModel::kPassSolid;
    draw(*this, kOpaque);
    if (follower != nullptr) {
        draw(*follower, kOpaque);
    }
    draw(*this, StudioModel::kPassAdditive);
    if (follower != nullptr) {
        draw(*follower, StudioModel::kPassAdditive);
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
        if (const StudioSequence* seq = m_studio->CurrentSequence(); seq != nullptr && !seq->Loops()) {
            // The game holds a sequence that does not loop on its last frame.
            m_frame = static_cast<float>(frameCount - 1);
            m_frameIndex = frameCount - 1;
            m_nextFrameIndex = m_frameIndex;
            SetAnimating(false);
            GetHost().RefreshAnimationControls();
        } else if (m_loop != 0) {
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
    // A sequence that does not loop and stands at its end plays again from its start.
    const StudioSequence* seq = CurrentSequence();
    if (seq != nullptr && !seq->Loops() && seq->frameCount > 1 && m_frame >= static_cast<float>(seq->frameCount - 1)) {
        ResetAnimation();
        m_studio->SetFrame(m_frame);
    }
    SetAnimating(true);
    return true;
}

const StudioSequence* COGLHLModel::CurrentSequence() const { return m_studio ? m_studio->CurrentSequence() : nullptr; }

std::vector<const StudioEvent*> COGLHLModel::EventsAt(int frame) const {
    std::vector<const StudioEvent*> events;
    if (const StudioSequence* seq = CurrentSequence()) {
        for (const StudioEvent& e : seq->events) {
            if (e.frame == frame) {
                events.push_back(&e);
            }
        }
    }
    return events;
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
    m_follower.reset();
    if (source->m_ready == 0 || !source->m_studio) {
        return;
    }
    ShareSkinsOf(*source);
    CopyAnimationsOf<ModelAnimation>(*source, true);
    m_studio = std::make_unique<StudioModel>(this);
    m_studio->CopyFrom(*source->m_studio);
    CopyClockOf(*source);
    // The pair is copied as one.
    if (source->m_follower) {
        auto follower = std::make_unique<COGLHLModel>(m_scene);
        follower->CopyFrom(*source->m_follower);
        SetFollower(std::move(follower));
    }
}

// --- Pose records (editing history and the scene file's extension area) ---

namespace {
// What a model just opened stands in (Read): blending 0.5 as the Part says.
constexpr float kOpenedBlend = 0.5f;
// The layout of the extension block of a Half-Life model (docs/guide: the scene
// file's extension area). Later layouts only append fields.
constexpr std::int32_t kExtensionLayout = 1;

// int32 body; int32 skin family; float controllers[4]; float mouth; float blends[2].
void WritePose(BinaryWriter& out, const StudioModel& studio) {
    out.WriteI32(studio.Body());
    out.WriteI32(studio.SkinFamily());
    for (int i = 0; i < studio_format::kControllerCount; ++i) {
        out.WriteF32(studio.Controller(i));
    }
    out.WriteF32(studio.Mouth());
    out.WriteF32(studio.Blending(0));
    out.WriteF32(studio.Blending(1));
}

struct PoseRecord {
    std::int32_t body = 0;
    std::int32_t skinFamily = 0;
    std::array<float, 4> controllers{};
    float mouth = 0.0f;
    std::array<float, 2> blends{kOpenedBlend, kOpenedBlend};
};

PoseRecord ReadPose(BinaryReader& in) {
    PoseRecord pose;
    pose.body = in.ReadI32();
    pose.skinFamily = in.ReadI32();
    for (float& c : pose.controllers) {
        c = in.ReadF32();
    }
    pose.mouth = in.ReadF32();
    for (float& b : pose.blends) {
        b = in.ReadF32();
    }
    return pose;
}

// A value that is not a number stands for what a model just opened has.
float Sane(float value, float otherwise) { return std::isfinite(value) ? value : otherwise; }

void ApplyPose(StudioModel& studio, const PoseRecord& pose) {
    studio.SetBody(pose.body);
    studio.SetSkinFamily(pose.skinFamily);
    for (int i = 0; i < studio_format::kControllerCount; ++i) {
        studio.SetController(i, Sane(pose.controllers[static_cast<std::size_t>(i)], 0.0f));
    }
    studio.SetMouth(Sane(pose.mouth, 0.0f));
    studio.SetBlending(0, Sane(pose.blends[0], kOpenedBlend));
    studio.SetBlending(1, Sane(pose.blends[1], kOpenedBlend));
}

bool AtOpenedPose(const StudioModel& studio) {
    if (studio.Body() != 0 || studio.SkinFamily() != 0 || studio.Mouth() != 0.0f ||
        studio.Blending(0) != kOpenedBlend || studio.Blending(1) != kOpenedBlend) {
        return false;
    }
    for (int i = 0; i < studio_format::kControllerCount; ++i) {
        if (studio.Controller(i) != 0.0f) {
            return false;
        }
    }
    return true;
}
}  // namespace

void COGLHLModel::SaveEditState(BinaryWriter& out) const {
    COGLModel::SaveEditState(out);
    out.WriteU8(m_studio ? 1 : 0);
    if (m_studio) {
        WritePose(out, *m_studio);
    }
    const bool follower = m_follower && m_follower->m_studio;
    out.WriteU8(follower ? 1 : 0);
    if (follower) {
        out.WriteI32(m_follower->AnimationIndexOf(m_follower->m_animation));
        WritePose(out, *m_follower->m_studio);
    }
}

void COGLHLModel::RestoreEditState(BinaryReader& in) {
    COGLModel::RestoreEditState(in);
    if (in.ReadU8() != 0) {
        const PoseRecord pose = ReadPose(in);
        if (m_studio) {
            ApplyPose(*m_studio, pose);
        }
    }
    if (in.ReadU8() != 0) {
        const std::int32_t animation = in.ReadI32();
        const PoseRecord pose = ReadPose(in);
        if (m_follower && m_follower->m_studio) {
            const auto& list = m_follower->m_animations;
            if (animation >= 0 && static_cast<std::size_t>(animation) < list.size() &&
                list[static_cast<std::size_t>(animation)].get() != m_follower->m_animation) {
                m_follower->SetAnimation(list[static_cast<std::size_t>(animation)].get());
            }
            ApplyPose(*m_follower->m_studio, pose);
        }
    }
    RefreshBounds();
}

void COGLHLModel::SaveExtension(BinaryWriter& out) const {
    if (!m_studio) {
        return;
    }
    const bool follower = m_follower && m_follower->m_studio;
    if (!follower && AtOpenedPose(*m_studio)) {
        return;
    }
    out.WriteI32(kExtensionLayout);
    WritePose(out, *m_studio);
    out.WriteU8(follower ? 1 : 0);
    if (follower) {
        WriteSourceRecord(out, m_follower->m_path, m_follower->m_pak, m_scene);
        out.WriteI32(m_follower->AnimationIndexOf(m_follower->m_animation));
        WritePose(out, *m_follower->m_studio);
    }
}

void COGLHLModel::LoadExtension(BinaryReader& payload, COGLScene& scene) {
    if (payload.ReadI32() < kExtensionLayout) {
        throw ReadError("a Half-Life pose block of an unknown layout");
    }
    const PoseRecord pose = ReadPose(payload);
    if (m_studio) {
        ApplyPose(*m_studio, pose);
    }
    if (payload.ReadU8() == 0) {
        return;
    }
    auto follower = std::make_unique<COGLHLModel>(&scene);
    COGLHLModel* f = follower.get();
    ReadSourceRecord(
        payload, scene, FileLocator::Mdl, [f](const std::string& path) { f->LoadFile(path); },
        [f](Archive& pak, const PakEntry& entry) { f->LoadFromPak(&pak, entry); });
    const std::int32_t animation = payload.ReadI32();
    const PoseRecord followerPose = ReadPose(payload);
    if (!f->IsLoaded() || !f->m_studio) {
        throw ReadError("the follower of " + Name() + " could not be read");
    }
    if (animation >= 0 && static_cast<std::size_t>(animation) < f->m_animations.size()) {
        f->SetAnimation(f->m_animations[static_cast<std::size_t>(animation)].get());
    }
    ApplyPose(*f->m_studio, followerPose);
    if (!SetFollower(std::move(follower))) {
        throw ReadError("the follower of " + Name() + " cannot follow it");
    }
}

// --- Followers ---

void COGLHLModel::MapFollowerBones() {
    m_followerBones.clear();
    const StudioData* leader = m_studio ? m_studio->Data() : nullptr;
    const StudioData* follower = m_follower && m_follower->m_studio ? m_follower->m_studio->Data() : nullptr;
    if (leader == nullptr || follower == nullptr) {
        return;
    }
    // Names as the game compares them: without regard to case; the first namesake wins.
    std::vector<std::string> names;
    names.reserve(leader->bones.size());
    for (const StudioBone& bone : leader->bones) {
        names.push_back(fs_util::ToLower(bone.name));
    }
    for (const StudioBone& bone : follower->bones) {
        const auto it = std::find(names.begin(), names.end(), fs_util::ToLower(bone.name));
        m_followerBones.push_back(it != names.end() ? static_cast<int>(it - names.begin()) : -1);
    }
}

void COGLHLModel::PoseFollower() const {
    StudioModel& follower = *m_follower->m_studio;
    // Its own sequence runs on this model's clock (the merged bones ignore it).
    float frame = m_frame;
    if (const StudioSequence* seq = follower.CurrentSequence(); seq != nullptr && seq->frameCount > 1) {
        const auto last = static_cast<float>(seq->frameCount - 1);
        frame = seq->Loops() ? std::fmod(frame, last) : std::min(frame, last);
    }
    m_follower->m_frame = frame;
    follower.SetFrame(frame);
    follower.SetMergeSource(&m_studio->Bones(), &m_followerBones);
}

bool COGLHLModel::SetFollower(std::unique_ptr<COGLHLModel> follower) {
    if (!follower || follower.get() == this || !m_studio || !follower->m_studio || follower->m_follower) {
        return false;
    }
    follower->SetAnimating(false);
    follower->m_scene = m_scene != nullptr ? m_scene : follower->m_scene;
    m_follower = std::move(follower);
    MapFollowerBones();
    RefreshBounds();
    return true;
}

std::unique_ptr<COGLHLModel> COGLHLModel::TakeFollower() {
    if (!m_follower) {
        return nullptr;
    }
    std::unique_ptr<COGLHLModel> follower = std::move(m_follower);
    m_followerBones.clear();
    if (follower->m_studio) {
        follower->m_studio->SetMergeSource(nullptr, nullptr);
    }
    follower->SetPosition(m_position.x, m_position.y, m_position.z);
    follower->SetOrientation(m_orientation);
    follower->SetScale(m_scale.x, m_scale.y, m_scale.z);
    follower->RefreshBounds();
    RefreshBounds();
    return follower;
}

bool COGLHLModel::AdoptFollower(std::unique_ptr<COGLObject>& follower) {
    auto* model = dynamic_cast<COGLHLModel*>(follower.get());
    if (model == nullptr || model == this || !m_studio || !model->m_studio || model->m_follower) {
        return false;
    }
    follower.release();
    return SetFollower(std::unique_ptr<COGLHLModel>(model));
}

std::unique_ptr<COGLObject> COGLHLModel::ReleaseFollower() { return TakeFollower(); }

// --- Skeleton overlays ---

std::array<float, 3> COGLHLModel::HitGroupColor(int group) {
    switch (group) {
        case 0: return {1.0f, 1.0f, 1.0f};    // generic
        case 1: return {1.0f, 0.25f, 0.25f};  // head
        case 2: return {0.3f, 1.0f, 0.3f};    // chest
        case 3: return {0.35f, 0.55f, 1.0f};  // stomach
        case 4: return {1.0f, 1.0f, 0.3f};    // left arm
        case 5: return {1.0f, 0.6f, 0.1f};    // right arm
        case 6: return {0.3f, 1.0f, 1.0f};    // left leg
        case 7: return {1.0f, 0.35f, 1.0f};   // right leg
        case 10: return {0.6f, 0.6f, 0.6f};   // gear
        default: return {0.8f, 0.75f, 0.5f};
    }
}

namespace {
// Model space (z up, x forward) to drawing space, as the studio model draws.
Vector3 Drawn(const Vector3& p) { return {p.y, p.z, p.x}; }
void Vertex(const Vector3& p) { glVertex3f(p.x, p.y, p.z); }

// The twelve edges of the box from `lo` to `hi` in `bone`'s space (the identity: model space).
void WireBox(const Vector3& lo, const Vector3& hi, const BoneMatrix* bone) {
    Vector3 corners[8];
    for (int c = 0; c < 8; ++c) {
        const Vector3 p{(c & 4) != 0 ? hi.x : lo.x, (c & 2) != 0 ? hi.y : lo.y, (c & 1) != 0 ? hi.z : lo.z};
        corners[c] = Drawn(bone != nullptr ? TransformPoint(*bone, p) : p);
    }
    glBegin(GL_LINES);
    for (int c = 0; c < 8; ++c) {
        for (const int axis : {4, 2, 1}) {
            if ((c & axis) == 0) {
                Vertex(corners[c]);
                Vertex(corners[c | axis]);
            }
        }
    }
    glEnd();
}

Vector3 OriginOf(const BoneMatrix& m) { return {m[0][3], m[1][3], m[2][3]}; }

// Bones as lines to their parents with a point at each joint, and the attachments as points.
void DrawSkeleton(const StudioData& data, const std::vector<BoneMatrix>& bones, int overlays) {
    if ((overlays & object_overlay::kBones) != 0) {
        glColor3f(1.0f, 0.85f, 0.2f);
        glBegin(GL_LINES);
        for (std::size_t b = 0; b < data.bones.size() && b < bones.size(); ++b) {
            if (const int parent = data.bones[b].parent; parent >= 0) {
                Vertex(Drawn(OriginOf(bones[b])));
                Vertex(Drawn(OriginOf(bones[static_cast<std::size_t>(parent)])));
            }
        }
        glEnd();
        glPointSize(5.0f);
        glColor3f(1.0f, 0.35f, 0.1f);
        glBegin(GL_POINTS);
        for (std::size_t b = 0; b < bones.size(); ++b) {
            Vertex(Drawn(OriginOf(bones[b])));
        }
        glEnd();
    }
    if ((overlays & object_overlay::kAttachments) != 0 && !data.attachments.empty()) {
        glPointSize(8.0f);
        glColor3f(0.2f, 1.0f, 0.45f);
        glBegin(GL_POINTS);
        for (const StudioAttachment& a : data.attachments) {
            Vertex(Drawn(TransformPoint(bones[static_cast<std::size_t>(a.bone)], a.origin)));
        }
        glEnd();
    }
}
}  // namespace

void COGLHLModel::DrawOverlays(int overlays) {
    if (!IsVisible() || !m_studio || overlays == 0) {
        return;
    }
    const StudioData& data = *m_studio->Data();
    RefreshBounds();
    m_studio->SetFrame(m_frame);
    const std::vector<BoneMatrix>& bones = m_studio->SetUpBones();
    glPushMatrix();
    ApplyModelTransform();
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POINT_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glLineWidth(1.0f);
    if ((overlays & object_overlay::kHitBoxes) != 0) {
        for (const StudioHitBox& box : data.hitBoxes) {
            const std::array<float, 3> c = HitGroupColor(box.group);
            glColor3f(c[0], c[1], c[2]);
            WireBox(box.min, box.max, &bones[static_cast<std::size_t>(box.bone)]);
        }
    }
    if ((overlays & object_overlay::kBoundingBox) != 0) {
        glColor3f(0.9f, 0.9f, 0.9f);
        WireBox(data.boxMin, data.boxMax, nullptr);
    }
    if ((overlays & object_overlay::kClipBox) != 0) {
        glColor3f(0.3f, 0.8f, 1.0f);
        WireBox(data.clipMin, data.clipMax, nullptr);
    }
    if ((overlays & object_overlay::kEyePosition) != 0) {
        constexpr float kArm = 3.0f;
        const Vector3& e = data.eyePosition;
        glColor3f(1.0f, 0.3f, 1.0f);
        glBegin(GL_LINES);
        for (const Vector3& d : {Vector3{kArm, 0, 0}, Vector3{0, kArm, 0}, Vector3{0, 0, kArm}}) {
            Vertex(Drawn(e - d));
            Vertex(Drawn(e + d));
        }
        glEnd();
    }
    DrawSkeleton(data, bones, overlays);
    if (m_follower && m_follower->m_studio) {
        PoseFollower();
        DrawSkeleton(*m_follower->m_studio->Data(), m_follower->m_studio->SetUpBones(), overlays);
    }
    glPopAttrib();
    glPopMatrix();
}

std::vector<COGLObject::OverlayLabel> COGLHLModel::OverlayLabels(int overlays) const {
    std::vector<OverlayLabel> labels;
    const StudioSequence* seq = CurrentSequence();
    if (seq == nullptr || (overlays & (object_overlay::kBones | object_overlay::kAttachments)) == 0) {
        return labels;
    }
    // The placement Draw applies: translate, orient, scale, then the lift.
    Matrix4 translate;
    translate(0, 3) = m_position.x;
    translate(1, 3) = m_position.y;
    translate(2, 3) = m_position.z;
    Matrix4 scale;
    scale(0, 0) = m_scale.x;
    scale(1, 1) = m_scale.y;
    scale(2, 2) = m_scale.z;
    Matrix4 lift;
    lift(1, 3) = -seq->bbMin.z;
    const Matrix4 world = translate * m_orientation.ToMatrix() * scale * lift;
    const auto add = [&](const StudioData& data, const std::vector<BoneMatrix>& bones) {
        if ((overlays & object_overlay::kBones) != 0) {
            for (std::size_t b = 0; b < data.bones.size() && b < bones.size(); ++b) {
                labels.push_back({data.bones[b].name, world.TransformPoint(Drawn(OriginOf(bones[b]))),
                                  object_overlay::kBones});
            }
        }
        if ((overlays & object_overlay::kAttachments) != 0) {
            for (const StudioAttachment& a : data.attachments) {
                const Vector3 p = TransformPoint(bones[static_cast<std::size_t>(a.bone)], a.origin);
                labels.push_back({a.name, world.TransformPoint(Drawn(p)), object_overlay::kAttachments});
            }
        }
    };
    m_studio->SetFrame(m_frame);
    add(*m_studio->Data(), m_studio->SetUpBones());
    if (m_follower && m_follower->m_studio) {
        PoseFollower();
        add(*m_follower->m_studio->Data(), m_follower->m_studio->SetUpBones());
    }
    return labels;
}
