#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "models/COGLModel.h"
#include "models/sprite/SpriteReader.h"
#include "scene/COGLObject.h"

class COGLScene;
class GeometrySink;
class COGLTexture2D;
class Archive;
struct PakEntry;

// A sprite in a scene: a Quake 2 ".sp2", a Quake 1 or a Half-Life ".spr". Each
// picture is a texture of the sprite's own, drawn on a quad of the picture's size
// around the sprite's position, turned to the viewer; the pictures play with the
// model clock (speed, loop, single step), group pictures for their own timings.
//
// Like a model, a sprite keeps a pointer to the scene it belongs to (for its
// paks and the texture filter mode); the scene must outlive it.
class COGLSprite : public COGLObject {
public:
    explicit COGLSprite(COGLScene* scene = nullptr);
    ~COGLSprite() override;

    // Reads the sprite from a file or an entry of `pak`. On failure one message
    // says why and the sprite holds nothing; the result is the loaded flag.
    bool LoadFile(const std::string& path);
    bool LoadFromPak(Archive* pak, const PakEntry& entry);
    // Reads the sprite from its bytes and makes its pictures' textures.
    bool ReadSprite(const ByteBuffer& bytes);

    void Draw(int flags) override;
    void DrawPickPass() override;
    void DrawSelectionBox() override;
    void DrawAxisMarks() override {}
    void ApplyOrientation() const override;
    void StepAnimation() override { AdvanceFrame(); }
    bool IsLoaded() const override { return m_loaded != 0; }
    std::vector<COGLTexture2D*> FrameTextures() const override;
    // The quad of the picture shown, before the turn to the viewer.
    bool LocalBounds(Vector3& lo, Vector3& hi) const override;
    // One animation of every picture; no skins; the first picture's size.
    std::optional<ObjectFacts> Facts() const override;

    void Save(BinaryWriter& out, int textureIndex) const override;
    bool LoadFromScene(BinaryReader& in, int version, COGLScene& scene) override;
    void CopyFrom(const COGLObject& other) override;

    // --- Animation, as the model clock runs it ---
    void AdvanceFrame();
    // Plays when there is more than one picture; true when it was asked to play.
    bool Play();
    // The sprite has one animation, all its pictures.
    const COGLModel::AnimationList& Animations() const { return m_animations; }
    ModelAnimation* GetAnimation() const { return m_animations.empty() ? nullptr : m_animations.front().get(); }
    void SetAnimation(ModelAnimation* animation);
    void SelectAnimationByName(const std::string& name);
    int GetFrameCount() const { return static_cast<int>(m_pictures.size()); }
    // Shows picture `frame` (0 outside the pictures) and holds the clock there.
    void SetFrame(int frame);
    void ResetAnimation();

    float Speed() const { return m_speed; }
    void SetSpeed(float speed) { m_speed = speed; }
    bool Loop() const { return m_loop != 0; }
    void SetLoop(bool loop) { m_loop = loop ? 1 : 0; }
    bool SingleStep() const { return m_singleStep != 0; }
    void SetSingleStep(bool singleStep) { m_singleStep = singleStep ? 1 : 0; }
    bool Interpolate() const { return m_interpolate != 0; }
    void SetInterpolate(bool interpolate) { m_interpolate = interpolate ? 1 : 0; }
    float FramePosition() const { return m_frame; }
    int FrameIndex() const { return m_frameIndex; }

    // --- State ---
    COGLScene* Scene() const { return m_scene; }
    SpriteFormat Format() const { return m_format; }
    SpriteTextureFormat TextureFormat() const { return m_textureFormat; }
    const std::vector<SpritePicture>& Pictures() const { return m_pictures; }
    const std::string& FilePath() const { return m_path; }
    Archive* Pak() const { return m_pak; }
    // The quad of the picture shown, as drawing sends it (facing +z before the
    // turn to the viewer).
    void EmitQuad(GeometrySink& sink) const;

private:
    void Free();
    // Reads the sprite from the bytes of its source; without them, says
    // "Error reading sprite." and holds nothing.
    bool ReadSource(const std::optional<ByteBuffer>& bytes);
    // Makes one texture per picture; false (with its message) when one fails.
    bool MakeTextures(const SpriteData& data);
    // The texture of a Quake 2 picture: in the scene's paks, else on disk.
    std::shared_ptr<COGLTexture2D> LoadPicture(const std::string& gamePath) const;
    // The picture drawn now: the clock's, or the first when the clock is outside them.
    int ShownPicture() const { return m_frameIndex >= 0 && m_frameIndex < GetFrameCount() ? m_frameIndex : 0; }
    // Where picture `index` starts on the clock.
    float StartOf(int index) const;
    // The texture of the picture shown; nullptr where its picture was out of sight.
    const COGLTexture2D* ShownTexture() const {
        return m_textures.empty() ? nullptr : m_textures[static_cast<std::size_t>(ShownPicture())].get();
    }
    void DrawQuad() const;
    // What stands for a picture that was out of sight: its frame, filled and outlined.
    void DrawStandIn() const;

    COGLScene* m_scene = nullptr;  // not owned
    std::string m_path;
    std::string m_directory;
    Archive* m_pak = nullptr;  // not owned
    std::uint8_t m_loaded = 0;
    SpriteFormat m_format = SpriteFormat::Quake2;
    SpriteTextureFormat m_textureFormat = SpriteTextureFormat::AlphaTest;
    std::vector<SpritePicture> m_pictures;  // sizes, origins and timings (no pixels kept)
    // One per picture, shared by copies; nullptr for a picture drawn as a stand-in.
    std::vector<std::shared_ptr<COGLTexture2D>> m_textures;
    COGLModel::AnimationList m_animations;
    float m_length = 0.0f;  // the pictures' durations together, in clock frames

    float m_speed = 0.125f;
    std::uint8_t m_loop = 1;
    std::uint8_t m_singleStep = 0;
    std::uint8_t m_interpolate = 1;  // kept for the animation controls; pictures do not blend
    float m_frame = 0.0f;
    int m_frameIndex = 0;
};
