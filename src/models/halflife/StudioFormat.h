#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "media/Palette.h"
#include "platform/BinaryIO.h"

// Layout of a Half-Life studio model. All integers are little-endian; every
// offset counts from the start of the file that holds the record.
//
// name.mdl (ident "IDST", version 10) holds the skeleton, the sequences, the
// meshes and usually the textures; nameT.mdl holds the textures and the skin
// table when the main file has none; name01.mdl, name02.mdl, ... (ident "IDSQ")
// hold the animation data of the sequences of groups 1, 2, ...
namespace studio_format {
inline constexpr std::uint32_t kIdent = 0x54534449;          // "IDST"
inline constexpr std::uint32_t kSequenceIdent = 0x51534449;  // "IDSQ"
inline constexpr std::int32_t kVersion = 10;                 // the only version read
inline constexpr std::size_t kHeaderSize = 244;
// Header fields (byte offsets):
// 0 ident, 4 version, 8 char[64] name, 72 file length (not used),
// 76 eye position, 88 min, 100 max (the clipping box), 112 bbmin, 124 bbmax (the
// bounding box; 3 floats each), 136 flags (not used); then count/offset pairs:
inline constexpr std::size_t kEyePositionField = 76;
inline constexpr std::size_t kClipBoxField = 88;
inline constexpr std::size_t kBoundingBoxField = 112;
inline constexpr std::size_t kBonesField = 140;            // bones
inline constexpr std::size_t kBoneControllersField = 148;  // bone controllers
inline constexpr std::size_t kHitBoxesField = 156;         // hit boxes
inline constexpr std::size_t kSequencesField = 164;       // sequence descriptions
inline constexpr std::size_t kSequenceGroupsField = 172;  // sequence groups (group 0 is this file)
inline constexpr std::size_t kTexturesField = 180;        // texture records, then 188 texture data (not used)
inline constexpr std::size_t kSkinReferencesField = 192;  // int32 columns of the skin table
inline constexpr std::size_t kSkinFamiliesField = 196;    // int32 rows of the skin table
inline constexpr std::size_t kSkinTableField = 200;       // int32 offset of int16 [families][references]
inline constexpr std::size_t kBodyPartsField = 204;       // body parts
inline constexpr std::size_t kAttachmentsField = 212;     // attachments
// 220..232 sound tables, 236 transitions (not used)
inline constexpr std::size_t kNameSize = 64;

// A sequence-group file: ident, version, char[64] name, int32 length; the
// sequences of the group find their animation data at their own offsets in it.
inline constexpr std::size_t kSequenceGroupHeaderSize = 76;
// The most sequence-group files a model may have (real models use up to ten).
inline constexpr int kMaxSequenceGroups = 32;

// Bone, 112 bytes: char[32] name; int32 parent (-1 a root); int32 flags;
// int32 controller[6] (-1 none) for x, y, z, rx, ry, rz; float value[6] (the
// defaults); float scale[6] (what one raw animation step is worth).
inline constexpr std::size_t kBoneSize = 112;
inline constexpr std::size_t kBoneNameSize = 32;
// Bone controller, 24 bytes: int32 bone; int32 type (axis bits, kLoopingController);
// float start, end (degrees for rotations); int32 rest; int32 index (0-3 the
// user controllers, kMouthController the mouth).
inline constexpr std::size_t kBoneControllerSize = 24;
inline constexpr int kControllerX = 0x1, kControllerY = 0x2, kControllerZ = 0x4;
inline constexpr int kControllerXR = 0x8, kControllerYR = 0x10, kControllerZR = 0x20;
inline constexpr int kControllerTypes = 0x7fff;
inline constexpr int kLoopingController = 0x8000;
inline constexpr int kControllerCount = 4;
inline constexpr int kMouthController = 4;
// Sequence description, 176 bytes: 0 char[32] label; 32 float fps; 36 int32
// flags (kLoopingSequence); 40 int32 activity, 44 int32 activity weight, 48
// int32 event count, 52 int32 event offset; 56 int32 frame count; 60 pivots (not used); 68 int32 motion
// type (the kControllerX/Y/Z bits: movement taken out of the motion bone);
// 72 int32 motion bone; 76 linear movement, 88 unused; 96 bbmin, 108 bbmax
// (3 floats each); 120 int32 blend count; 124 int32 animation offset in the
// group's file; 128 int32 blend types[2]; 136 float blend starts[2]; 144 float
// blend ends[2]; 152 blend parent; 156 int32 sequence group; 160.. nodes and
// next sequence (not used).
inline constexpr std::size_t kSequenceSize = 176;
inline constexpr std::size_t kSequenceLabelSize = 32;
inline constexpr int kLoopingSequence = 0x1;
// Sequence event, 76 bytes: int32 frame (the game fires it when playback passes
// it); int32 event number; int32 type; char[64] options.
inline constexpr std::size_t kEventSize = 76;
inline constexpr std::size_t kEventOptionsSize = 64;
// Attachment, 88 bytes: char[32] name; int32 type; int32 bone; 3 floats origin
// (in the bone's space); 3 x 3 floats vectors (not used).
inline constexpr std::size_t kAttachmentSize = 88;
inline constexpr std::size_t kAttachmentNameSize = 32;
// Hit box, 32 bytes: int32 bone; int32 hit group; 3 floats min, 3 floats max (a
// box in its bone's space).
inline constexpr std::size_t kHitBoxSize = 32;
// Sequence group, 104 bytes: char[32] label; char[64] file name (often a
// game-relative path; companions are named from the model's own path); 2 unused.
inline constexpr std::size_t kSequenceGroupSize = 104;
inline constexpr std::size_t kSequenceGroupLabelSize = 32;
// Body part, 76 bytes: char[64] name; int32 model count; int32 base (the
// submodel shown for a body value is (body / base) mod model count); int32
// model offset.
inline constexpr std::size_t kBodyPartSize = 76;
// Model, 112 bytes: char[64] name; int32 type; float radius; int32 mesh count,
// mesh offset; int32 vertex count, vertex-bone offset (a byte per vertex),
// vertex offset (3 floats each); int32 normal count, normal-bone offset, normal
// offset; 2 unused.
inline constexpr std::size_t kModelSize = 112;
// Mesh, 20 bytes: int32 triangle count; int32 command offset; int32 skin
// reference; int32 normal count; int32 normal offset (not used).
inline constexpr std::size_t kMeshSize = 20;
// Triangle commands (int16): a count n, 0 the end, n > 0 a strip of n vertices,
// n < 0 a fan of -n; each vertex is vertex index, normal index, s, t (texels).
inline constexpr std::size_t kCommandVertexShorts = 4;
// Texture, 80 bytes: char[64] name; int32 flags; int32 width, height; int32
// offset of width x height palette indexes followed by 256 x RGB.
inline constexpr std::size_t kTextureSize = 80;
inline constexpr int kTextureFlatShade = 0x1, kTextureChrome = 0x2, kTextureFullBright = 0x4;
inline constexpr int kTextureNoMipmaps = 0x8, kTextureAdditive = 0x20, kTextureMasked = 0x40;
inline constexpr int kMaxTextureSide = 4096;
// Animation data: per blend, per bone, six uint16 offsets (x, y, z, rx, ry, rz)
// counted from that bone's own 12-byte record, 0 for "the default value". Each
// offset leads to run-length records {uint8 valid, uint8 total} followed by
// `valid` int16 values; frames past `valid` inside `total` repeat the last one.
inline constexpr std::size_t kAnimationRecordSize = 12;
inline constexpr int kChannels = 6;
inline constexpr int kMaxBlends = 16;
}  // namespace studio_format

struct StudioBone {
    std::string name;
    int parent = -1;  // a bone before this one, or -1 for a root
    std::array<int, 6> controller{-1, -1, -1, -1, -1, -1};
    std::array<float, 6> value{};
    std::array<float, 6> scale{};
};

struct StudioBoneController {
    int bone = 0;
    int type = 0;
    float start = 0.0f;
    float end = 0.0f;
    int rest = 0;
    int index = 0;
    bool Loops() const { return (type & studio_format::kLoopingController) != 0; }
    bool Rotates() const {
        using namespace studio_format;
        return (type & (kControllerXR | kControllerYR | kControllerZR)) != 0;
    }
};

// What a sequence asks the game to do at one of its frames (a footstep sound,
// a muzzle flash): `options` is the event's text argument.
struct StudioEvent {
    int frame = 0;  // within the sequence's frames
    int event = 0;
    int type = 0;
    std::string options;
};

struct StudioSequence {
    std::string label;
    float fps = 0.0f;
    int flags = 0;
    int activity = 0;
    int activityWeight = 0;
    std::vector<StudioEvent> events;  // in file order
    int frameCount = 0;
    int motionType = 0;
    int motionBone = 0;
    Vector3 bbMin;
    Vector3 bbMax;
    int blendCount = 1;
    int animationOffset = 0;
    std::array<int, 2> blendType{};
    std::array<float, 2> blendStart{};
    std::array<float, 2> blendEnd{};
    int group = 0;
    // Where each channel's run-length data starts in the group's file, by blend,
    // bone and channel; 0 for a channel that keeps its bone's default.
    std::vector<std::uint32_t> channels;
    bool Loops() const { return (flags & studio_format::kLoopingSequence) != 0; }
};

struct StudioSequenceGroup {
    std::string label;
    std::string fileName;
};

struct StudioMesh {
    int triangleCount = 0;
    int skinReference = 0;
    std::vector<std::int16_t> commands;  // checked, ending with its 0
};

struct StudioSubmodel {
    std::string name;
    std::vector<std::uint8_t> vertexBones;
    std::vector<Vector3> vertices;
    std::vector<std::uint8_t> normalBones;
    std::vector<Vector3> normals;
    std::vector<StudioMesh> meshes;
};

struct StudioBodyPart {
    std::string name;
    int base = 1;
    std::vector<StudioSubmodel> models;
};

struct StudioTexture {
    std::string name;
    int flags = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indexes;  // width x height, top row first
    RawPalette palette{};
};

// A named point carried by a bone (a muzzle, a hand): its world place is the
// bone's matrix times `origin`.
struct StudioAttachment {
    std::string name;
    int type = 0;
    int bone = 0;
    Vector3 origin;
};

// A box in its bone's space that the game tests shots against; `group` says
// what it guards (0 generic, 1 head, 2 chest, 3 stomach, 4 left arm, 5 right
// arm, 6 left leg, 7 right leg, 10 gear).
struct StudioHitBox {
    int bone = 0;
    int group = 0;
    Vector3 min;
    Vector3 max;
};

// A studio model read and checked: every index in it names something that exists.
struct StudioData {
    std::string name;
    // The header's eye position, clipping box (min/max) and bounding box, in model space.
    Vector3 eyePosition;
    Vector3 clipMin;
    Vector3 clipMax;
    Vector3 boxMin;
    Vector3 boxMax;
    std::vector<StudioAttachment> attachments;
    std::vector<StudioHitBox> hitBoxes;
    std::vector<StudioBone> bones;
    std::vector<StudioBoneController> controllers;
    std::vector<StudioSequence> sequences;
    std::vector<StudioSequenceGroup> groups;
    std::vector<StudioBodyPart> bodyParts;
    // From the model, or from its texture file when it has none.
    std::vector<StudioTexture> textures;
    int skinReferences = 0;
    int skinFamilies = 0;
    std::vector<std::int16_t> skinTable;  // [families][references], each a texture index
    bool texturesFromCompanion = false;
    // The files animation data is read from: [0] the model, [g] group file g
    // (empty for a group file that was missing, whose sequences keep the rest pose).
    std::vector<ByteBuffer> images;

    // The raw value of one channel of a bone at `frame` (0 where the channel
    // keeps its default or the data ends early).
    std::int16_t AnimationValue(int sequence, int blend, int bone, int channel, int frame) const;
    // The raw values at `frame` and at `next` (not before `frame`) in one walk of the run-length data.
    void AnimationValues(int sequence, int blend, int bone, int channel, int frame, int next, std::int16_t& atFrame,
                         std::int16_t& atNext) const;
    // The texture a mesh's skin reference shows in `family` (a family the table
    // lacks shows row 0, as the game does), or -1.
    int SkinTexture(int family, int reference) const;
    // The submodel of `part` a body value chooses: (body / base) mod count; a
    // negative body chooses the first of each part.
    int SubmodelFor(int body, int part) const;
    // `body` with `part` set to `submodel` (held to the submodels there are); the
    // result is never negative and saturates at the largest int.
    int BodyWith(int body, int part, int submodel) const;
    // The body value made of each part's submodel for `body`: a value past the
    // parts' range wraps within each part.
    int NormalBody(int body) const;
};

// The raw values at `frame` and at `next` (not before `frame`) of the run-length
// data starting at `start` of `image` (0: the channel keeps its default, 0 both),
// in one walk; data that ends early or covers no frames gives 0. Inline: bone
// set-up walks six channels of every bone of every blend each frame.
[[gnu::always_inline]] inline void StudioChannelValues(const std::uint8_t* image, std::size_t size, std::size_t start, int frame, int next,
                                std::int16_t& atFrame, std::int16_t& atNext) {
    atFrame = 0;
    atNext = 0;
    if (start == 0) {
        return;
    }
    const auto valueAt = [image, size](std::size_t pos, int k, int valid) -> std::int16_t {
        const std::size_t value = pos + 2 + 2 * static_cast<std::size_t>(k < valid ? k : valid - 1);
        return value + 2 <= size ? static_cast<std::int16_t>(image[value] | (image[value + 1] << 8)) : std::int16_t{0};
    };
    // Most often both frames lie among the first record's values.
    if (start + 2 <= size) {
        const int valid = image[start];
        const std::size_t values = start + 2;
        if (next < valid && next < image[start + 1] && frame >= 0 &&
            values + 2 * static_cast<std::size_t>(valid) <= size) {
            atFrame = static_cast<std::int16_t>(image[values + 2 * frame] | (image[values + 2 * frame + 1] << 8));
            atNext = static_cast<std::int16_t>(image[values + 2 * next] | (image[values + 2 * next + 1] << 8));
            return;
        }
    }
    std::size_t pos = start;
    int k = frame;
    bool found = false;
    while (pos + 2 <= size) {
        const int valid = image[pos];
        const int total = image[pos + 1];
        if (total == 0) {
            return;  // a record that covers no frames would never end the walk
        }
        if (k < total && !found) {
            atFrame = valid == 0 ? std::int16_t{0} : valueAt(pos, k, valid);
            found = true;
            k += next - frame;
        }
        if (k < total) {
            atNext = valid == 0 ? std::int16_t{0} : valueAt(pos, k, valid);
            return;
        }
        k -= total;
        pos += 2 * (static_cast<std::size_t>(valid) + 1);
    }
}

// What kind of studio file a file is, read from its first eight bytes and header.
enum class StudioFileKind { Model, TextureFile, SequenceGroup, OtherVersion, NotStudio };
StudioFileKind ClassifyStudioFile(const std::uint8_t* bytes, std::size_t size, int* version = nullptr);

// Reads the companion named (a path or a pak entry); nothing when it is not there.
using StudioCompanionReader = std::function<std::optional<ByteBuffer>(const std::string& name)>;

struct StudioReadResult {
    std::shared_ptr<const StudioData> data;  // none on failure
    std::string error;                       // the message for the user on failure
};

// "unable to open" naming the file.
std::string StudioUnableToOpen(const std::string& name);
// The name of a companion: `modelPath` with its last four characters replaced by
// `suffix` ("T.mdl", "01.mdl").
std::string StudioCompanionName(const std::string& modelPath, const std::string& suffix);
// The main model a texture or sequence-group file belongs to ("fooT.mdl" and
// "foo01.mdl" belong to "foo.mdl").
std::string StudioMainModelName(const std::string& companionPath, StudioFileKind kind);

// What a read does when a texture or sequence-group file is not there: refuse
// the model ("unable to open"), or read it without them: no textures, and the
// rest pose for the sequences of a missing group.
enum class MissingStudioCompanion { Refuse, ReadWithout };

// Reads a main model file and the companions it needs (through `companions`).
StudioReadResult ReadStudioModel(ByteBuffer model, const std::string& modelPath,
                                 const StudioCompanionReader& companions,
                                 MissingStudioCompanion missing = MissingStudioCompanion::Refuse);
