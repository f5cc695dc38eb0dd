#include "models/sprite/COGLSprite.h"

#include <GL/gl.h>

#include <cmath>

#include "media/Archive.h"
#include "media/COGLTexture2D.h"
#include "models/AnimationClock.h"
#include "models/SourceRecord.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "scene/COGLScene.h"
#include "scene/Geometry.h"
#include "scene/Primitives.h"

namespace {
constexpr char kAllPictures[] = "<all>";
// Sprite modes of the indexed image reader.
constexpr int kOpaqueMode = 1;
constexpr int kIndexAlphaMode = 2;
constexpr int kAlphaTestMode = 3;

int IndexedModeOf(SpriteFormat format, SpriteTextureFormat textureFormat) {
    if (format == SpriteFormat::Quake1) {
        return kAlphaTestMode;  // index 255 is transparent
    }
    switch (textureFormat) {
        case SpriteTextureFormat::Normal:
        case SpriteTextureFormat::Additive: return kOpaqueMode;
        case SpriteTextureFormat::IndexAlpha: return kIndexAlphaMode;
        case SpriteTextureFormat::AlphaTest: break;
    }
    return kAlphaTestMode;
}
}  // namespace

COGLSprite::COGLSprite(COGLScene* scene) : COGLObject(object_type::kSprite), m_scene(scene) {
    SetName("Sprite");
    m_scale = {0.05f, 0.05f, 0.05f};
    m_diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
}

COGLSprite::~COGLSprite() { Free(); }

void COGLSprite::Free() {
    for (const auto& texture : m_textures) {
        if (m_texture == texture.get()) {
            m_texture = nullptr;
        }
    }
    m_textures.clear();
    m_pictures.clear();
    m_animations.clear();
    m_length = 0.0f;
    ResetAnimation();
}

// --- Reading ---

bool COGLSprite::LoadFile(const std::string& path) {
    const std::string resolved = fs_util::ResolvePath(path);
    m_pak = nullptr;
    m_path = resolved;
    m_directory = fs_util::DirectoryOf(resolved);
    SetName(fs_util::FileTitleOf(resolved));
    return ReadSource(ReadWholeFile(resolved));
}

bool COGLSprite::LoadFromPak(Archive* pak, const PakEntry& entry) {
    m_pak = pak;
    m_path = entry.name;
    m_directory = fs_util::DirectoryOf(entry.name);
    SetName(fs_util::FileTitleOf(entry.name));
    return ReadSource(pak != nullptr ? pak->ReadEntry(entry) : std::nullopt);
}

bool COGLSprite::ReadSource(const std::optional<ByteBuffer>& bytes) {
    if (!bytes) {
        Free();
        m_loaded = 0;
        ShowMessage(msg::kErrorReadingSprite);
        return false;
    }
    return ReadSprite(*bytes);
}

bool COGLSprite::ReadSprite(const ByteBuffer& bytes) {
    Free();
    m_loaded = 0;
    SpriteReadResult read = ReadSpriteData(bytes, fs_util::ToLower(fs_util::ExtensionOf(m_path)) == "sp2");
    if (!read.data) {
        ShowMessage(read.error);
        return false;
    }
    if (!MakeTextures(*read.data)) {
        Free();
        ShowMessage(msg::kSpriteTextureFailed);
        return false;
    }
    m_format = read.data->format;
    m_textureFormat = read.data->format == SpriteFormat::Quake1 ? SpriteTextureFormat::AlphaTest
                                                                 : read.data->textureFormat;
    m_pictures = std::move(read.data->pictures);
    for (SpritePicture& picture : m_pictures) {
        m_length += picture.duration;
        picture.indexes = ByteBuffer();  // the textures hold the pixels now
    }
    m_animations.push_back(std::make_unique<ModelAnimation>(kAllPictures, 0, static_cast<int>(m_pictures.size())));
    m_loaded = 1;
    return true;
}

bool COGLSprite::MakeTextures(const SpriteData& data) {
    const int filterMode = m_scene != nullptr ? m_scene->TextureFilterMode() : 1;
    const int mode = IndexedModeOf(data.format, data.textureFormat);
    std::vector<std::shared_ptr<COGLTexture2D>> textures;
    for (const SpritePicture& picture : data.pictures) {
        std::shared_ptr<COGLTexture2D> texture;
        if (data.format == SpriteFormat::Quake2) {
            texture = LoadPicture(picture.imageName);
        } else {
            texture = std::make_shared<COGLTexture2D>();
            BinaryReader pixels(picture.indexes);
            if (!texture->FromIndexed(pixels, data.palette.data(), picture.width, picture.height, mode, filterMode)) {
                texture.reset();
            }
        }
        if (texture == nullptr) {
            // A Quake 2 picture out of sight of a scene that draws without
            // companions keeps its frame, drawn as a stand-in of its size.
            const bool standIn = data.format == SpriteFormat::Quake2 && m_scene != nullptr &&
                                 m_scene->DrawsWithoutCompanions();
            if (!standIn) {
                return false;
            }
        } else {
            texture->SetName(fs_util::FileTitleOf(m_path) + " " + std::to_string(textures.size()));
        }
        textures.push_back(std::move(texture));
    }
    m_textures = std::move(textures);
    return true;
}

std::shared_ptr<COGLTexture2D> COGLSprite::LoadPicture(const std::string& gamePath) const {
    const int filterMode = m_scene != nullptr ? m_scene->TextureFilterMode() : 1;
    const auto fromPak = [&](Archive* pak) -> std::shared_ptr<COGLTexture2D> {
        const PakEntry* entry = pak != nullptr ? pak->FindEntry(gamePath) : nullptr;
        if (entry == nullptr) {
            return nullptr;
        }
        auto texture = std::make_shared<COGLTexture2D>();
        if (!texture->SetSource(entry->name, pak, 0) || !texture->Load(filterMode)) {
            return nullptr;
        }
        return texture;
    };
    if (auto texture = fromPak(m_pak)) {
        return texture;
    }
    if (m_scene != nullptr) {
        for (int i = 0; i < m_scene->PakCount(); ++i) {
            if (auto texture = fromPak(m_scene->PakAt(i))) {
                return texture;
            }
        }
    }
    if (m_pak != nullptr) {
        return nullptr;  // a sprite inside a pak has no folder on disk
    }
    // The game path counts from the game folder, somewhere above the sprite's own.
    std::string directory = m_directory;  // with its trailing separator
    while (!directory.empty()) {
        const std::string candidate = fs_util::ResolvePath(directory + gamePath);
        if (fs_util::FileExists(candidate)) {
            auto texture = std::make_shared<COGLTexture2D>();
            if (texture->SetSource(candidate, nullptr, 0) && texture->Load(filterMode)) {
                return texture;
            }
            return nullptr;
        }
        directory = fs_util::DirectoryOf(directory.substr(0, directory.size() - 1));
    }
    return nullptr;
}

std::vector<COGLTexture2D*> COGLSprite::FrameTextures() const {
    std::vector<COGLTexture2D*> textures;
    for (const auto& texture : m_textures) {
        if (texture != nullptr) {  // a stand-in has no texture to reach
            textures.push_back(texture.get());
        }
    }
    return textures;
}

bool COGLSprite::LocalBounds(Vector3& lo, Vector3& hi) const {
    if (m_pictures.empty()) {
        return false;
    }
    const SpritePicture& picture = m_pictures[static_cast<std::size_t>(ShownPicture())];
    const float left = picture.Left(m_format);
    const float top = picture.Top();
    lo = {left, top - static_cast<float>(picture.height), 0.0f};
    hi = {left + static_cast<float>(picture.width), top, 0.0f};
    return true;
}

std::optional<ObjectFacts> COGLSprite::Facts() const {
    ObjectFacts facts;
    for (const auto& animation : m_animations) {
        facts.animations.push_back({animation->name, animation->frameCount});
    }
    facts.frames = GetFrameCount();
    if (!m_pictures.empty()) {
        facts.width = m_pictures.front().width;
        facts.height = m_pictures.front().height;
    }
    return facts;
}

// --- Drawing ---

void COGLSprite::ApplyOrientation() const { TurnToViewer(); }

void COGLSprite::EmitQuad(GeometrySink& sink) const {
    if (m_pictures.empty()) {
        return;
    }
    const int index = ShownPicture();
    const SpritePicture& picture = m_pictures[static_cast<std::size_t>(index)];
    const float left = picture.Left(m_format);
    const float top = picture.Top();
    const float right = left + static_cast<float>(picture.width);
    const float bottom = top - static_cast<float>(picture.height);
    sink.Begin(GL_QUADS);
    sink.Normal({0.0f, 0.0f, 1.0f});
    sink.TexCoord(0.0f, 0.0f);
    sink.Vertex({left, bottom, 0.0f});
    sink.TexCoord(1.0f, 0.0f);
    sink.Vertex({right, bottom, 0.0f});
    sink.TexCoord(1.0f, 1.0f);
    sink.Vertex({right, top, 0.0f});
    sink.TexCoord(0.0f, 1.0f);
    sink.Vertex({left, top, 0.0f});
    sink.End();
}

void COGLSprite::DrawQuad() const {
    GLGeometrySink gl;
    EmitQuad(gl);
}

void COGLSprite::Draw(int flags) {
    if (!IsVisible() || m_pictures.empty()) {
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT |
                 GL_POLYGON_BIT);
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    ApplyTransform();
    if ((flags & kDrawMaterial) != 0) {
        ApplyMaterial();
        // The pictures show as they are: their colours are not lit.
        glDisable(GL_LIGHTING);
        glColor4f(1.0f, 1.0f, 1.0f, m_diffuse.alpha);
        const COGLTexture2D* texture = ShownTexture();
        if (texture != nullptr && texture->IsBound()) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, texture->GLName());
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        }
        const bool additive = m_textureFormat == SpriteTextureFormat::Additive;
        if (additive || m_textureFormat == SpriteTextureFormat::IndexAlpha || IsTransparent()) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
            glDepthMask(GL_FALSE);
        } else {
            glEnable(GL_ALPHA_TEST);
            glAlphaFunc(GL_GREATER, 0.5f);
        }
    }
    if ((flags & kDrawMaterial) != 0 && ShownTexture() == nullptr) {
        DrawStandIn();
    } else {
        DrawQuad();
    }
    glPopMatrix();
    glPopAttrib();
}

void COGLSprite::DrawStandIn() const {
    // A grey card with a darker rim and a cross from corner to corner, so the
    // frame's size and place read at any scale.
    const SpritePicture& picture = m_pictures[static_cast<std::size_t>(ShownPicture())];
    const float left = picture.Left(m_format);
    const float top = picture.Top();
    const float right = left + static_cast<float>(picture.width);
    const float bottom = top - static_cast<float>(picture.height);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glColor4f(0.55f, 0.55f, 0.58f, m_diffuse.alpha);
    DrawQuad();
    glDepthFunc(GL_LEQUAL);
    glLineWidth(2.0f);
    glColor4f(0.2f, 0.2f, 0.22f, m_diffuse.alpha);
    const float corners[4][2] = {{left, bottom}, {right, bottom}, {right, top}, {left, top}};
    glBegin(GL_LINE_LOOP);
    for (const auto& corner : corners) {
        glVertex3f(corner[0], corner[1], 0.0f);
    }
    glEnd();
    glBegin(GL_LINES);
    for (const int corner : {0, 2, 3, 1}) {
        glVertex3f(corners[corner][0], corners[corner][1], 0.0f);
    }
    glEnd();
}

void COGLSprite::DrawPickPass() {
    if (PickName() < 0 || !IsVisible()) {
        return;
    }
    glLoadName(static_cast<GLuint>(PickName()));
    glPushAttrib(GL_POLYGON_BIT);
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    ApplyTransform();
    DrawQuad();
    glPopMatrix();
    glPopAttrib();
}

void COGLSprite::DrawSelectionBox() {
    if (!IsVisible() || m_pictures.empty()) {
        return;
    }
    BeginSelectionBox();
    const int index = ShownPicture();
    const SpritePicture& picture = m_pictures[static_cast<std::size_t>(index)];
    const float left = picture.Left(m_format);
    const float top = picture.Top();
    glBegin(GL_LINE_LOOP);
    glVertex3f(left, top, 0.0f);
    glVertex3f(left + static_cast<float>(picture.width), top, 0.0f);
    glVertex3f(left + static_cast<float>(picture.width), top - static_cast<float>(picture.height), 0.0f);
    glVertex3f(left, top - static_cast<float>(picture.height), 0.0f);
    glEnd();
    EndSelectionBox();
}

// --- Animation ---

void COGLSprite::ResetAnimation() {
    m_frame = 0.0f;
    m_frameIndex = 0;
}

float COGLSprite::StartOf(int index) const {
    float start = 0.0f;
    for (int i = 0; i < index && i < GetFrameCount(); ++i) {
        start += m_pictures[static_cast<std::size_t>(i)].duration;
    }
    return start;
}

void COGLSprite::AdvanceFrame() {
    if (m_pictures.empty()) {
        return;
    }
    if (StepClockPosition(m_frame, m_speed, m_length, m_loop != 0) == ClockStep::Ended) {
        SetAnimating(false);
        GetHost().RefreshAnimationControls();
        ResetAnimation();
    }
    // The picture whose time the position falls in.
    float end = 0.0f;
    m_frameIndex = GetFrameCount() - 1;
    for (int i = 0; i < GetFrameCount(); ++i) {
        end += m_pictures[static_cast<std::size_t>(i)].duration;
        if (m_frame < end) {
            m_frameIndex = i;
            break;
        }
    }
}

bool COGLSprite::Play() {
    if (GetFrameCount() > 1) {
        SetAnimating(true);
    }
    return true;
}

void COGLSprite::SetFrame(int frame) {
    if (frame < 0 || frame >= GetFrameCount()) {
        frame = 0;
    }
    m_frameIndex = frame;
    m_frame = StartOf(frame);
}

void COGLSprite::SetAnimation(ModelAnimation* animation) {
    if (animation == GetAnimation()) {
        ResetAnimation();
    }
}

void COGLSprite::SelectAnimationByName(const std::string& name) {
    if (GetAnimation() != nullptr && GetAnimation()->name == name) {
        Show();
        ResetAnimation();
    } else {
        Hide();
    }
}

// --- Scene record ---
//
// After the common record:
//   char[260] sprite path; int32 pak position (-1 a plain file);
//   int32 picture shown; float speed; float clock position;
//   bytes loop, single step, interpolate.

void COGLSprite::Save(BinaryWriter& out, int textureIndex) const {
    COGLObject::Save(out, textureIndex);
    WriteSourceRecord(out, m_path, m_pak, m_scene);
    out.WriteI32(m_frameIndex);
    out.WriteF32(m_speed);
    out.WriteF32(m_frame);
    out.WriteU8(m_loop);
    out.WriteU8(m_singleStep);
    out.WriteU8(m_interpolate);
}

bool COGLSprite::LoadFromScene(BinaryReader& in, int version, COGLScene& scene) {
    m_scene = &scene;
    COGLObject::Load(in, version);
    const std::string savedName = Name();
    m_loaded = 0;
    ReadSourceRecord(
        in, scene, FileLocator::Other, [this](const std::string& path) { LoadFile(path); },
        [this](Archive& pak, const PakEntry& entry) { LoadFromPak(&pak, entry); });
    const std::int32_t picture = in.ReadI32();
    m_speed = in.ReadF32();
    const float position = in.ReadF32();
    m_loop = in.ReadU8();
    m_singleStep = in.ReadU8();
    m_interpolate = in.ReadU8();
    SetFrame(picture);
    // A saved position inside the picture's own time resumes there.
    const float duration = m_pictures.empty() ? 0.0f : m_pictures[static_cast<std::size_t>(m_frameIndex)].duration;
    if (std::isfinite(position) && position >= m_frame && position < m_frame + duration) {
        m_frame = position;
    }
    SetTexture(nullptr);  // the pictures are the sprite's own textures
    SetName(savedName);
    return true;
}

// --- Copy ---

void COGLSprite::CopyFrom(const COGLObject& other) {
    COGLObject::CopyFrom(other);
    const auto* source = dynamic_cast<const COGLSprite*>(&other);
    if (source == nullptr || source == this) {
        return;
    }
    Free();
    m_scene = source->m_scene;
    m_path = source->m_path;
    m_directory = source->m_directory;
    m_pak = source->m_pak;
    m_loaded = source->m_loaded;
    m_format = source->m_format;
    m_textureFormat = source->m_textureFormat;
    m_pictures = source->m_pictures;
    m_textures = source->m_textures;
    m_length = source->m_length;
    for (const auto& animation : source->m_animations) {
        m_animations.push_back(std::make_unique<ModelAnimation>(*animation));
    }
    m_speed = source->m_speed;
    m_loop = source->m_loop;
    m_singleStep = source->m_singleStep;
    m_interpolate = source->m_interpolate;
    m_frame = source->m_frame;
    m_frameIndex = source->m_frameIndex;
}
