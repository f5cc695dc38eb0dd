#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "platform/BinaryIO.h"
#include "scene/COGLObject.h"

class COGLScene;
class COGLTexture2D;
class Archive;
class GeometrySink;
struct PakEntry;

// One named run of frames of a model, shown in the animation list.
struct ModelAnimation {
    static constexpr std::size_t kNameSize = 64;  // stored names hold at most 63 characters

    ModelAnimation() = default;
    ModelAnimation(std::string animationName, int first, int count)
        : name(std::move(animationName)), firstFrame(first), frameCount(count) {}
    virtual ~ModelAnimation() = default;

    std::string name;
    int firstFrame = 0;  // index in the model's frame table (HL models: the sequence number)
    int frameCount = 0;
};

// The common base of the animated game models that stand in a scene: the
// animations and the position in the current one, the animation clock (speed,
// loop, single step, interpolation), the skins, the file the model came from, and
// the bounding box of the geometry drawn last.
//
// A model keeps a pointer to the scene whose texture store holds its skins: it is
// given at construction (or by LoadFromScene and CopyFrom for models made by the
// object factory, which knows no scene) and must outlive the model. Without a
// scene a model still reads and animates, but loads no skins.
class COGLModel : public COGLObject {
public:
    using AnimationList = std::vector<std::unique_ptr<ModelAnimation>>;

    COGLModel(int typeCode, COGLScene* scene);
    ~COGLModel() override;

    // --- Operations of the model clock; a format changes what it draws differently ---
    // One tick of the animation clock over the current animation.
    virtual void AdvanceFrame();
    // Starts the animation (sets the animating flag where there is something to
    // play); true when it was asked to play.
    virtual bool Play();
    // Makes the animation of that name current and shows the model; with none of
    // that name, no animation is current and the model is hidden.
    virtual void SelectAnimationByName(const std::string& name);
    // Makes `animation` current from its first frame when it is one of
    // Animations() (or nullptr for none); anything else is ignored.
    virtual void SetAnimation(ModelAnimation* animation);
    ModelAnimation* GetAnimation() const { return m_animation; }
    // The frames of the current animation.
    virtual int GetFrameCount() const;
    virtual void SetInvertNormals(bool invert);
    // How many frames the model shows a second in its game: Quake's engines step
    // models ten times a second. A recorded loop lasts as long as it does there.
    virtual float FramesPerSecond() const { return 10.0f; }
    // The frames one loop of the current animation goes through.
    virtual int LoopFrames() const { return m_animation != nullptr ? m_animation->frameCount : 0; }
    // Poses the model `position` frames into one loop of its current animation,
    // as a recording steps it: evenly, and with interpolation blending the last
    // frame towards the first (not with itself, as the clock does), so a
    // recorded loop has no seam.
    virtual void SetLoopPosition(float position);

    // Draws the box of the geometry drawn last, in the object's frame, then the axes.
    virtual void DrawBoundingBox();
    virtual void DrawAxes();

    // The current frame state, walked by WalkFrame, drawn with the placement and
    // material every family shares, and in the pick pass.
    void Draw(int flags) override;
    void DrawPickPass() override;

    // The scene's animation step and the selection box reach the model here.
    void StepAnimation() override { AdvanceFrame(); }
    void DrawSelectionBox() override { DrawBoundingBox(); }
    void DrawAxisMarks() override { DrawAxes(); }
    bool IsLoaded() const override { return m_loaded != 0; }
    // The frame last drawn, lifted by the vertical offset as drawing does.
    bool LocalBounds(Vector3& lo, Vector3& hi) const override;
    // The animations, the skins the file declares and the size of the first skin found.
    std::optional<ObjectFacts> Facts() const override;
    // The animation chosen, its speed and the loop, single step, interpolation
    // and reverse-lighting switches.
    void SaveEditState(BinaryWriter& out) const override;
    void RestoreEditState(BinaryReader& in) override;

    // Position, frame, next frame and blend fraction back to zero.
    void ResetAnimation();
    // The one of Animations() named `name`, or nullptr.
    ModelAnimation* FindAnimation(const std::string& name) const;
    // The position of `animation` in Animations(), or -1.
    int AnimationIndexOf(const ModelAnimation* animation) const;
    // Where the model is read from; SetPakSource always succeeds, SetFilePath only
    // for a file that opens (and then changes nothing else).
    bool SetPakSource(Archive* pak, const std::string& path);
    bool SetFilePath(const std::string& path);
    // Makes the first skin the object's texture; false when there are no skins.
    bool ApplyFirstSkin();
    // What the family adds to a model just opened, once it has its first skin
    // and before it enters the scene; nothing for most.
    virtual void FinishOpening() {}
    // The first skin whose path equals `name` exactly (case-sensitive), or nullptr.
    COGLTexture2D* FindSkin(const std::string& name) const;

    // The animation page's speed slider (0..100) as frames per tick, and back.
    static float SpeedFromSlider(int position);
    static int SliderFromSpeed(float speed);

    // --- State ---
    COGLScene* Scene() const { return m_scene; }
    void SetScene(COGLScene* scene) { m_scene = scene; }
    const AnimationList& Animations() const { return m_animations; }
    const std::vector<COGLTexture2D*>& Skins() const { return m_skins; }
    int SkinCount() const { return m_skinCount; }
    bool IsReady() const { return m_ready != 0; }
    Archive* Pak() const { return m_pak; }
    const std::string& FilePath() const { return m_path; }
    const std::string& Directory() const { return m_directory; }
    const Vector3& BoundsMin() const { return m_boundsMin; }
    const Vector3& BoundsMax() const { return m_boundsMax; }

    float Speed() const { return m_speed; }
    void SetSpeed(float speed) { m_speed = speed; }
    bool InvertNormals() const { return m_invertNormals != 0; }
    bool Loop() const { return m_loop != 0; }
    void SetLoop(bool loop) { m_loop = loop ? 1 : 0; }
    bool SingleStep() const { return m_singleStep != 0; }
    void SetSingleStep(bool singleStep) { m_singleStep = singleStep ? 1 : 0; }
    bool Interpolate() const { return m_interpolate != 0; }
    void SetInterpolate(bool interpolate) { m_interpolate = interpolate ? 1 : 0; }
    float VerticalOffset() const { return m_verticalOffset; }
    void SetVerticalOffset(float offset) { m_verticalOffset = offset; }
    float FramePosition() const { return m_frame; }
    int FrameIndex() const { return m_frameIndex; }
    int NextFrameIndex() const { return m_nextFrameIndex; }
    float Lerp() const { return m_lerp; }
    // Sets the position within the current animation (as a single-step control
    // does): frame and next frame both `frame`, no blend.
    void SetFrame(int frame);
    // Follows another model's position (weapons follow their player's body).
    void SetFrameState(int frameIndex, int nextFrameIndex, float lerp) {
        m_frameIndex = frameIndex;
        m_nextFrameIndex = nextFrameIndex;
        m_lerp = lerp;
    }
    // Vertex-animated families: sends frame `frame` of `animation` (one of
    // Animations()) to `sink` as drawing sends it to GL, with the file's own
    // normals, then puts the clock and the bounds back. False where the family
    // has no such frames (and then nothing reached the sink).
    bool EmitFrame(const ModelAnimation& animation, int frame, GeometrySink& sink);
    // Takes a skin that carries one reference for this model into the skins list,
    // or gives the reference back when the list already holds it (or one of its path).
    void AdoptSkin(COGLTexture2D* skin);

protected:
    // Sends the geometry of the current frame state to `sink`; the families
    // that animate vertices override it.
    virtual bool WalkFrame(GeometrySink& sink);
    // The common animation tick over an animation of `frameCount` frames.
    void AdvanceClock(int frameCount);
    // The clock's part of the scene records of the vertex-animated families:
    //   int32 current animation index (-1 none); float speed; float frame position;
    //   int32 frame index; int32 next frame index; float blend;
    //   bytes loop, single step, interpolate (read only `withInterpolate`: the
    //   oldest scene files lack it).
    // Reading always takes every field, so the next record starts right; the
    // animation is taken only by a model that loaded.
    void WriteClockRecord(BinaryWriter& out) const;
    void ReadClockRecord(BinaryReader& in, bool withInterpolate);
    // One skin entry of a scene record as read back.
    struct SavedSkin {
        std::uint8_t loadOption = 0;
        std::string path;
        bool deferred = false;  // not read with the entries: only as the texture the record names
    };
    // The texture a scene record names, read as int32 skin index: skin that
    // index of the model, else the scene's texture `sceneTextureIndex` (one the
    // user gave it), else none. A model that did not load keeps its texture.
    // With `saved`, the record's skin entries when they list every skin in order,
    // the index names the skin of that entry's path, read now when it was deferred:
    // the list the model finds today may hold other skins, or in another order.
    void ReadSavedTexture(BinaryReader& in, int sceneTextureIndex, COGLScene& scene,
                          const std::vector<SavedSkin>& saved = {});
    // A copy's source: the scene, file, folder and pak of `source`.
    void TakeSourceOf(const COGLModel& source);
    // The start every family's copy shares: the object's part, then, when `other`
    // is another model of the same family, this model emptied by `freeModel`
    // (keeping the texture the object copy set, which may be one of the shared
    // skins) and the source's file taken. The source, or nullptr when there is
    // nothing more to copy.
    template <typename Family>
    const Family* BeginCopyFrom(const COGLObject& other, void (Family::*freeModel)()) {
        COGLObject::CopyFrom(other);
        const auto* source = dynamic_cast<const Family*>(&other);
        if (source == nullptr || source == this) {
            return nullptr;
        }
        COGLTexture2D* texture = m_texture;
        (static_cast<Family*>(this)->*freeModel)();
        m_texture = texture;
        TakeSourceOf(*source);
        return source;
    }
    // A whole family's copy: BeginCopyFrom, then `always` (what a copy takes even
    // from a model that never read), and from a ready source its skins shared,
    // `ready` (the family's model data), its animations as `Animation`s (see
    // CopyAnimationsOf), its switches and its clock.
    template <typename Animation, typename Family, typename Always, typename Ready>
    void CopyModelFrom(const COGLObject& other, void (Family::*freeModel)(), bool firstAnimationWhenNone,
                       Always always, Ready ready) {
        const Family* source = BeginCopyFrom(other, freeModel);
        if (source == nullptr) {
            return;
        }
        always(*source);
        if (source->m_ready == 0) {
            return;
        }
        ShareSkinsOf(*source);
        ready(*source);
        CopyAnimationsOf<Animation>(*source, firstAnimationWhenNone);
        m_interpolate = source->m_interpolate;
        m_invertNormals = source->m_invertNormals;
        CopyClockOf(*source);
    }
    // The bytes of a model file, with the model's source set to it (no pak);
    // nothing changes when the file cannot be read.
    std::optional<ByteBuffer> ReadSourceFile(const std::string& path);
    // The bytes of an entry of `pak`, with the model's source set to it whether
    // or not it reads.
    std::optional<ByteBuffer> ReadSourceEntry(Archive* pak, const PakEntry& entry);

    // --- The skins in scene records and copies ---
    // The first position of `texture` in the skins list, or -1.
    int SkinIndexOf(const COGLTexture2D* texture) const;
    // One skin entry of a scene record: byte load option, char[260] path.
    static void WriteSkinEntry(BinaryWriter& out, const COGLTexture2D& skin);
    // Reads `count` skin entries (a count the bytes cannot hold fails the read)
    // and, with `load`, takes each skin the list lacks (ReadSavedSkin); a skin not
    // found is left out, one `keep` (when given) refuses is deferred. The entries
    // come back in the record's order.
    std::vector<SavedSkin> ReadSkinEntries(BinaryReader& in, std::int64_t count, bool load, COGLScene& scene,
                                           const std::function<bool(const std::string& path)>& keep = {});
    // A skin a record names: from the model's pak when it is there, else through
    // the missing-file check of the scene's locator (which may find it elsewhere),
    // read from the pak first and then from disk; it joins the skins list.
    // Nullptr when it is not found.
    COGLTexture2D* ReadSavedSkin(SavedSkin saved, COGLScene& scene);
    // A copy takes the source's skins, each with a reference of its own.
    void ShareSkinsOf(const COGLModel& source);
    // A copy takes the source's animations as `Animation`s, its current one
    // included; with `firstWhenNone`, the first one is current when the source
    // had none.
    template <typename Animation>
    void CopyAnimationsOf(const COGLModel& source, bool firstWhenNone) {
        for (const auto& animation : source.m_animations) {
            m_animations.push_back(std::make_unique<Animation>(static_cast<const Animation&>(*animation)));
            if (animation.get() == source.m_animation) {
                m_animation = m_animations.back().get();
            }
        }
        if (firstWhenNone && m_animation == nullptr && !m_animations.empty()) {
            m_animation = m_animations.front().get();
        }
    }
    // A copy takes the source's clock (position, blend, speed and loop),
    // vertical offset, bounds, skin count and loaded flag, and is ready. The
    // switches (interpolation, single step, inverted normals) each family
    // copies as it keeps them.
    void CopyClockOf(const COGLModel& source);
    // Minima to the largest float, maxima to the lowest, before a frame is walked.
    void ResetBounds();
    void GrowBounds(const Vector3& p) {
        if (p.x < m_boundsMin.x) m_boundsMin.x = p.x;
        if (p.y < m_boundsMin.y) m_boundsMin.y = p.y;
        if (p.z < m_boundsMin.z) m_boundsMin.z = p.z;
        if (p.x > m_boundsMax.x) m_boundsMax.x = p.x;
        if (p.y > m_boundsMax.y) m_boundsMax.y = p.y;
        if (p.z > m_boundsMax.z) m_boundsMax.z = p.z;
    }
    // Hands every skin back to the scene's texture store and empties the list.
    void ReleaseSkins();
    // The object transform followed by the vertical offset.
    void ApplyModelTransform() const;
    // The axis marks: red along x from `xFrom`, green along y from `yFrom`, blue
    // along z from `zFrom`, each as long as its component of `lengths` (a
    // negative one runs the other way).
    static void DrawAxisLines(const Vector3& xFrom, const Vector3& yFrom, const Vector3& zFrom, const Vector3& lengths);
    // The drawing every family shares around its geometry, which `emit` sends
    // to GL: placement, clockwise front faces, material and texture (with
    // kDrawMaterial), blending while transparent; and the pick pass's name.
    void DrawGeometry(int flags, const std::function<void()>& emit);
    // Blending on for a transparent model, the depth buffer left as it is, and
    // back; BeginTransparency says whether it was on.
    bool BeginTransparency() const;
    static void EndTransparency(bool transparent);
    void DrawGeometryForPick(const std::function<void()>& emit);

    COGLScene* m_scene = nullptr;  // not owned

    float m_speed = 0.125f;
    std::uint8_t m_invertNormals = 0;
    std::uint8_t m_loop = 1;
    std::uint8_t m_singleStep = 0;  // stored and restored for the animation controls only
    std::uint8_t m_interpolate = 1;
    float m_verticalOffset = 0.0f;
    float m_frame = 0.0f;
    int m_frameIndex = 0;
    int m_nextFrameIndex = 0;
    float m_lerp = 0.0f;
    AnimationList m_animations;
    ModelAnimation* m_animation = nullptr;  // one of m_animations, or none
    std::vector<COGLTexture2D*> m_skins;  // references held in the scene's texture store
    int m_skinCount = 0;
    std::uint8_t m_loaded = 0;
    std::uint8_t m_ready = 0;
    Archive* m_pak = nullptr;  // not owned
    std::string m_path;
    std::string m_directory;
    Vector3 m_boundsMin;
    Vector3 m_boundsMax;
};
