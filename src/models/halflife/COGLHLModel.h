#pragma once

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "models/COGLModel.h"
#include "models/halflife/StudioModel.h"

class Archive;
struct PakEntry;

// A Half-Life studio model in a scene: one animation per sequence, the bones
// posed by the studio model it owns, drawn standing on the sequence's box.
class COGLHLModel : public COGLModel {
public:
    explicit COGLHLModel(COGLScene* scene = nullptr);
    ~COGLHLModel() override;

    // Reads the model (with its texture and sequence-group files) from disk or
    // from entries of `pak`. A file that is missing or unsound shows its message
    // and leaves the object without a model; the result is the loaded flag.
    bool LoadFile(const std::string& path);
    bool LoadFromPak(Archive* pak, const PakEntry& entry);

    void Draw(int flags) override;
    void DrawPickPass() override { DrawForPick(); }
    void DrawForPick();
    void DrawAxes() override;
    void AdvanceFrame() override;
    bool Play() override;
    // The animation list is chosen by SetAnimation only.
    void SelectAnimationByName(const std::string& name) override;
    // Also makes the animation's sequence the studio model's.
    void SetAnimation(ModelAnimation* animation) override;
    // The frames of the current sequence.
    int GetFrameCount() const override;
    // The sequence's own rate (10 when it names none).
    float FramesPerSecond() const override;
    // A sequence's last frame is its first again: the clock wraps on it.
    int LoopFrames() const override { return std::max(GetFrameCount() - 1, 0); }
    // The studio model blends between frames itself.
    void SetLoopPosition(float position) override;

    void Save(BinaryWriter& out, int textureIndex) const override;
    bool LoadFromScene(BinaryReader& in, int version, COGLScene& scene) override;
    void CopyFrom(const COGLObject& other) override;

    void RefreshBounds() override;
    // The sequence box in order, lifted as drawn (the stored bounds hold it with
    // minima and maxima exchanged).
    bool LocalBounds(Vector3& lo, Vector3& hi) const override;

    StudioModel* Studio() const { return m_studio.get(); }

    // The model's posing (body, skin family, controllers, mouth, blends) goes
    // with the clock into the editing history's record of the object.
    void SaveEditState(BinaryWriter& out) const override;
    void RestoreEditState(BinaryReader& in) override;
    // The pose and the follower, when either differs from a model just opened
    // (see docs/guide: the scene file's extension area).
    void SaveExtension(BinaryWriter& out) const override;
    void LoadExtension(BinaryReader& payload, COGLScene& scene) override;

    // --- Sequences as the game sees them ---
    // The current sequence (activity, events, looping flag), or nullptr.
    const StudioSequence* CurrentSequence() const;
    // The events of the current sequence at `frame` (its whole frame number), in file order.
    std::vector<const StudioEvent*> EventsAt(int frame) const;

    // --- Skeleton overlays (object_overlay bits) ---
    // Bones as lines from each to its parent with a point at each joint,
    // attachments as points, hit boxes as wire boxes coloured by hit group
    // (HitGroupColor), the bounding and clipping boxes and the eye position as a
    // small cross; the follower's bones and attachments too.
    void DrawOverlays(int overlays) override;
    // Bone names at their joints and attachment names at their points, in scene space.
    std::vector<OverlayLabel> OverlayLabels(int overlays) const override;
    // The colour of hit group `group` (RGB, 0..1): the same for every pane.
    static std::array<float, 3> HitGroupColor(int group);

    // --- Followers (a weapon model in a player's hand) ---
    // Makes `follower` follow this model: it draws in this model's placement,
    // each of its bones taking the matrix of this model's bone of the same name
    // (without regard to case), as the game merges a p_ model onto a player;
    // bones without a namesake keep their own pose, which the follower's own
    // current sequence gives at this model's clock. The pair draws, picks,
    // frames, animates, copies and saves as one. False, and nothing changed,
    // when either has no model, or `follower` is this model or has a follower.
    // A follower this model had already is replaced (destroyed).
    bool SetFollower(std::unique_ptr<COGLHLModel> follower);
    COGLHLModel* Follower() const { return m_follower.get(); }
    // Parts the pair: the follower comes back placed where this model stands;
    // nullptr when there was none.
    std::unique_ptr<COGLHLModel> TakeFollower();
    // For each bone of the follower, the bone of this model it takes its matrix
    // from (-1: it keeps its own pose); empty without a follower.
    const std::vector<int>& FollowerBoneMap() const { return m_followerBones; }
    // The generic follower operations of COGLObject (COGLDoc::FollowModel).
    bool AdoptFollower(std::unique_ptr<COGLObject>& follower) override;
    COGLObject* FollowerObject() const override { return m_follower.get(); }
    std::unique_ptr<COGLObject> ReleaseFollower() override;

    // Posing: each setting shows at the next draw, playing or paused. Without a
    // model the lists are empty and settings change nothing.
    struct BodyPartChoice {
        std::string name;
        std::vector<std::string> submodels;
        int chosen = 0;
    };
    std::vector<BodyPartChoice> BodyParts() const;
    // The value the game stores for the parts' choices.
    int Body() const;
    void SetBody(int body);
    int Submodel(int part) const;
    void SetSubmodel(int part, int submodel);
    // By name without regard to case; false (and nothing changed) when the part
    // has no submodel of that name.
    bool SetSubmodelByName(int part, const std::string& name);
    int SkinFamilyCount() const;
    int SkinFamily() const;
    void SetSkinFamily(int family);
    // The controllers of the file: each names its user setting (0-3, or the
    // mouth) by its index, and its range and unit by start, end and type.
    const std::vector<StudioBoneController>& Controllers() const;
    void SetController(int index, float value);
    float Controller(int index) const;
    void SetMouth(float value);
    float Mouth() const;
    // The blend values the current sequence takes (0, 1 or 2) and each one's range.
    struct BlendRange {
        int type = 0;  // the controller axis bits: rotations are in degrees
        float start = 0.0f;
        float end = 0.0f;
    };
    int BlendCount() const;
    BlendRange BlendRangeOf(int index) const;
    void SetBlend(int index, float value);
    float Blend(int index) const;

private:
    using CompanionReader = StudioCompanionReader;
    bool Read(ByteBuffer bytes, const CompanionReader& companions);
    void FreeModel();
    // The follower posed from this model's bones (set up for the current draw).
    void PoseFollower() const;
    void MapFollowerBones();

    std::unique_ptr<StudioModel> m_studio;  // the current animation's first frame is its sequence
    std::unique_ptr<COGLHLModel> m_follower;
    std::vector<int> m_followerBones;
};
