#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "models/halflife/StudioBones.h"
#include "models/halflife/StudioFormat.h"

class COGLHLModel;
class COGLImage;
class COGLScene;
class COGLTexture2D;

// The picture a texture record makes, as GL receives it (rows bottom first;
// masked textures key out their last palette entry); false when none is made.
bool MakeStudioPicture(const StudioTexture& record, COGLImage& image);

// A studio model as its scene object uses it: the checked data of the files,
// where it stands in its animation, and its textures in the scene's store.
class StudioModel {
public:
    explicit StudioModel(COGLHLModel* owner) : m_owner(owner) {}

    // Reads the model and its companions; on failure the message for the user.
    std::string Load(ByteBuffer model, const std::string& modelPath, const StudioCompanionReader& companions,
                     MissingStudioCompanion missing = MissingStudioCompanion::Refuse);
    // Makes every texture of the model through the scene's store, named by the
    // model's base name + the record's name (one the store holds already is
    // shared). Each texture made or shared goes to `skins` with one reference.
    void LoadTextures(COGLScene& scene, const std::string& baseName, std::vector<COGLTexture2D*>& skins);

    // Clamped to the sequences there are; returns the sequence now current.
    int SetSequence(int sequence);
    int Sequence() const { return m_pose.sequence; }
    // A user controller 0-3 or the mouth, in the controller's own units.
    void SetController(int index, float value);
    float Controller(int index) const;
    void SetMouth(float value);
    float Mouth() const { return m_pose.mouth; }
    // Blend value `index` (0 or 1) of the current sequence in the units of its
    // blend type (degrees for rotations): its place between the blend's start
    // and end mixes blend 0 (at the start) into blend 1 (at the end).
    void SetBlending(int index, float value);
    // The value last set, in the blend's units.
    float Blending(int index) const;
    // How many blend values the current sequence takes: 0, 1 (two or three
    // blends) or 2 (four or more).
    int BlendValueCount() const;

    // The body value (each part's submodel, see StudioData::SubmodelFor); a value
    // set is made the sum of its parts' choices.
    int Body() const { return m_pose.body; }
    void SetBody(int body);
    int Submodel(int part) const;
    // Held to the submodels the part has; a part that does not exist changes nothing.
    void SetSubmodel(int part, int submodel);
    // The skin table row meshes take their textures from; one the table lacks shows row 0.
    int SkinFamily() const { return m_skinFamily; }
    void SetSkinFamily(int family) { m_skinFamily = family; }
    void SetFrame(float frame) { m_pose.frame = frame; }
    float Frame() const { return m_pose.frame; }
    const StudioPose& Pose() const { return m_pose; }
    // The current sequence, or nullptr when the model has none.
    const StudioSequence* CurrentSequence() const;

    // The passes of a textured draw, in the game's order: masked meshes (palette
    // index 255 cut out by the alpha test), then solid ones, then additive ones
    // (blended source alpha / one, no depth writes). An untextured draw sends
    // every mesh with the solid pass.
    static constexpr int kPassMasked = 0x1;
    static constexpr int kPassSolid = 0x2;
    static constexpr int kPassAdditive = 0x4;
    static constexpr int kAllPasses = kPassMasked | kPassSolid | kPassAdditive;
    // The pass a texture's flags put its meshes in.
    static int PassOf(int textureFlags);

    // Draws every body part's chosen submodel with the current GL state: textured
    // (flags of each texture honoured: chrome from the normals as the eye sees
    // them, flat shade, full bright, masked, additive; own lighting in the vertex
    // colours) or untextured (normals for the GL lights). Prepare then
    // DrawPrepared(all passes).
    void Draw(bool textured, bool invertNormals);
    // Sets up the bones and places the chosen submodels' vertices and normals.
    void Prepare(bool invertNormals);
    // Draws the meshes of `passes` as Prepare placed them (a pair draws both
    // models' opaque passes before either's additive one).
    void DrawPrepared(bool textured, int passes);
    // The bones of the current pose, in model space (merged onto the leader's
    // bones when following: SetMergeSource).
    const std::vector<BoneMatrix>& SetUpBones();
    // The bones as set up last.
    const std::vector<BoneMatrix>& Bones() const { return m_bones; }
    // Bone merging: with a leader's bones and, for each bone of this model, the
    // leader's bone it copies (-1 none), SetUpBones copies those matrices and
    // chains the others from their parents; nullptr for its own pose. Both stay
    // owned by the caller and must live while they are set.
    void SetMergeSource(const std::vector<BoneMatrix>* leaderBones, const std::vector<int>* map) {
        m_mergeBones = leaderBones;
        m_mergeMap = map;
    }

    // Takes the other's data and pose; the textures are the other's (the owner
    // shares their references).
    void CopyFrom(const StudioModel& other);

    COGLHLModel* Owner() const { return m_owner; }
    void SetOwner(COGLHLModel* owner) { m_owner = owner; }
    const StudioData* Data() const { return m_data.get(); }
    // The texture of each record (nullptr where none could be made).
    const std::vector<COGLTexture2D*>& Textures() const { return m_textures; }

private:
    // One chosen submodel placed for drawing.
    struct PlacedPart {
        const StudioSubmodel* model = nullptr;
        std::vector<Vector3> vertices;     // drawing space
        std::vector<Vector3> normals;      // drawing space, inverted when asked
        std::vector<Vector3> boneNormals;  // model space, for chrome
        std::vector<float> light;
    };
    void PlacePart(PlacedPart& part, bool invertNormals);
    void DrawPart(const PlacedPart& part, bool textured, int passes);
    // The chrome vectors of each bone for the eye in the current GL modelview.
    void PrepareChrome();

    COGLHLModel* m_owner;  // not owned
    std::shared_ptr<const StudioData> m_data;
    StudioPose m_pose;
    std::array<float, 2> m_blending{};
    int m_skinFamily = 0;
    std::vector<COGLTexture2D*> m_textures;  // references held by the owner's skins

    const std::vector<BoneMatrix>* m_mergeBones = nullptr;  // not owned
    const std::vector<int>* m_mergeMap = nullptr;            // not owned

    // Working space of a draw.
    std::vector<BoneMatrix> m_bones;
    std::vector<PlacedPart> m_parts;
    // Per bone: the chrome s and t directions in model space (valid when the
    // bone's stamp equals m_chromeStamp).
    std::vector<std::array<Vector3, 2>> m_chrome;
    std::vector<unsigned> m_chromeAge;
    unsigned m_chromeStamp = 0;
    Vector3 m_eye;       // the eye in model space
    Vector3 m_eyeRight;  // the view's right in model space
};
