#include "models/halflife/StudioFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "platform/FileSystem.h"
#include "platform/Messages.h"

using namespace studio_format;

namespace {
// A file that cannot be used, with the message the user is shown.
class StudioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Refuse(const std::string& detail) { throw StudioError(FormatMessage(msg::kStudioNotValid, detail)); }

std::uint32_t U32At(const std::uint8_t* bytes, std::size_t size, std::size_t offset) {
    if (offset + 4 > size) {
        return 0;
    }
    return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) | (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

std::int32_t I32At(const ByteBuffer& bytes, std::size_t offset) {
    return static_cast<std::int32_t>(U32At(bytes.data(), bytes.size(), offset));
}

// A count/offset pair of the header: the reader is left at the records, and the
// count is known to fit in the file with `recordSize` bytes each.
std::size_t SeekTable(BinaryReader& in, const ByteBuffer& file, std::size_t field, std::size_t recordSize,
                      const char* what) {
    const std::int64_t count = I32At(file, field);
    const std::int64_t offset = I32At(file, field + 4);
    if (count < 0) {
        Refuse(std::string("negative ") + what + " count");
    }
    if (count == 0) {
        return 0;
    }
    if (offset < 0 || static_cast<std::uint64_t>(offset) > file.size()) {
        Refuse(std::string(what) + " table outside the file");
    }
    in.Seek(static_cast<std::size_t>(offset));
    if (static_cast<std::uint64_t>(count) > in.Remaining() / recordSize) {
        Refuse(std::string(what) + " table runs past the end of the file");
    }
    return static_cast<std::size_t>(count);
}

// A reader at `offset` of the file for `count` records of `size` bytes, checked.
BinaryReader RecordsAt(const ByteBuffer& file, std::int64_t offset, std::int64_t count, std::size_t size,
                       const char* what) {
    if (count < 0 || offset < 0 || static_cast<std::uint64_t>(offset) > file.size() ||
        static_cast<std::uint64_t>(count) > (file.size() - static_cast<std::size_t>(offset)) / size) {
        Refuse(std::string(what) + " outside the file");
    }
    BinaryReader in(file);
    in.Seek(static_cast<std::size_t>(offset));
    return in;
}

Vector3 ReadVector(BinaryReader& in) {
    const float x = in.ReadF32();
    const float y = in.ReadF32();
    const float z = in.ReadF32();
    return {x, y, z};
}

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void CheckHeader(const ByteBuffer& file, std::uint32_t ident, const std::string& name) {
    if (file.size() < 8 || U32At(file.data(), file.size(), 0) != ident) {
        Refuse(name + " is not a studio file");
    }
    const std::int32_t version = I32At(file, 4);
    if (version != kVersion) {
        throw StudioError(FormatMessage(msg::kStudioWrongVersion, std::to_string(version)));
    }
    const std::size_t header = ident == kIdent ? kHeaderSize : kSequenceGroupHeaderSize;
    if (file.size() < header) {
        Refuse(name + " is shorter than its header");
    }
}

void ReadBones(const ByteBuffer& file, StudioData& data, std::size_t controllerCount) {
    BinaryReader in(file);
    data.bones.resize(SeekTable(in, file, kBonesField, kBoneSize, "bone"));
    for (std::size_t i = 0; i < data.bones.size(); ++i) {
        StudioBone& bone = data.bones[i];
        bone.name = in.ReadText(kBoneNameSize);
        bone.parent = in.ReadI32();
        in.ReadI32();  // flags
        for (int& c : bone.controller) {
            c = in.ReadI32();
            if (c < -1 || c >= static_cast<int>(controllerCount)) {
                Refuse("bone " + std::to_string(i) + " names a controller that does not exist");
            }
        }
        for (float& v : bone.value) {
            v = in.ReadF32();
        }
        for (float& s : bone.scale) {
            s = in.ReadF32();
        }
        for (int c = 0; c < kChannels; ++c) {
            if (!std::isfinite(bone.value[static_cast<std::size_t>(c)]) ||
                !std::isfinite(bone.scale[static_cast<std::size_t>(c)])) {
                Refuse("bone " + std::to_string(i) + " has values that are not numbers");
            }
        }
        // Bones are set up in order, so a parent must come first.
        if (bone.parent < -1 || bone.parent >= static_cast<int>(i)) {
            Refuse("bone " + std::to_string(i) + " names a parent that does not come before it");
        }
    }
}

void ReadControllers(const ByteBuffer& file, StudioData& data) {
    BinaryReader in(file);
    data.controllers.resize(SeekTable(in, file, kBoneControllersField, kBoneControllerSize, "bone controller"));
    for (StudioBoneController& c : data.controllers) {
        c.bone = in.ReadI32();
        c.type = in.ReadI32();
        c.start = in.ReadF32();
        c.end = in.ReadF32();
        c.rest = in.ReadI32();
        c.index = in.ReadI32();
        if (!std::isfinite(c.start) || !std::isfinite(c.end)) {
            Refuse("a bone controller's range is not a number");
        }
    }
}

// The events of sequence `s`: `count` records at `offset` of the model file. An
// event whose frame lies outside the sequence is left out: playback never passes
// it, so the game never fires it.
void ReadEvents(const ByteBuffer& file, std::int32_t count, std::int32_t offset, StudioSequence& s) {
    if (count == 0) {
        return;
    }
    const std::string which = "events of sequence \"" + s.label + "\"";
    if (count < 0) {
        Refuse("sequence \"" + s.label + "\" has a negative event count");
    }
    BinaryReader in = RecordsAt(file, offset, count, kEventSize, which.c_str());
    for (std::int32_t i = 0; i < count; ++i) {
        StudioEvent e;
        e.frame = in.ReadI32();
        e.event = in.ReadI32();
        e.type = in.ReadI32();
        e.options = in.ReadText(kEventOptionsSize);
        if (e.frame >= 0 && e.frame < s.frameCount) {
            s.events.push_back(std::move(e));
        }
    }
}

void ReadSequences(const ByteBuffer& file, StudioData& data) {
    BinaryReader in(file);
    data.sequences.resize(SeekTable(in, file, kSequencesField, kSequenceSize, "sequence"));
    for (StudioSequence& s : data.sequences) {
        BinaryReader rec = in.Window(in.Tell(), kSequenceSize);
        in.Skip(kSequenceSize);
        s.label = rec.ReadText(kSequenceLabelSize);
        s.fps = rec.ReadF32();
        s.flags = rec.ReadI32();
        s.activity = rec.ReadI32();
        s.activityWeight = rec.ReadI32();
        const std::int32_t eventCount = rec.ReadI32();
        const std::int32_t eventOffset = rec.ReadI32();
        s.frameCount = rec.ReadI32();
        rec.Seek(68);
        s.motionType = rec.ReadI32();
        s.motionBone = rec.ReadI32();
        rec.Seek(96);
        s.bbMin = ReadVector(rec);
        s.bbMax = ReadVector(rec);
        s.blendCount = rec.ReadI32();
        s.animationOffset = rec.ReadI32();
        for (int& t : s.blendType) {
            t = rec.ReadI32();
        }
        for (float& v : s.blendStart) {
            v = rec.ReadF32();
        }
        for (float& v : s.blendEnd) {
            v = rec.ReadF32();
        }
        rec.Seek(156);
        s.group = rec.ReadI32();
        const std::string which = "sequence \"" + s.label + "\"";
        if (s.frameCount < 1) {
            Refuse(which + " has no frames");
        }
        if (s.blendCount < 1 || s.blendCount > kMaxBlends) {
            Refuse(which + " has a blend count out of range");
        }
        if (!std::isfinite(s.fps) || !Finite(s.bbMin) || !Finite(s.bbMax) || !std::isfinite(s.blendStart[0]) ||
            !std::isfinite(s.blendStart[1]) || !std::isfinite(s.blendEnd[0]) || !std::isfinite(s.blendEnd[1])) {
            Refuse(which + " has values that are not numbers");
        }
        if (s.motionBone < 0 || static_cast<std::size_t>(s.motionBone) >= data.bones.size()) {
            s.motionType = 0;  // nothing to take the movement out of
        }
        ReadEvents(file, eventCount, eventOffset, s);
    }
}

void ReadGroups(const ByteBuffer& file, StudioData& data) {
    const std::int32_t count = I32At(file, kSequenceGroupsField);
    if (count > kMaxSequenceGroups) {
        throw StudioError(FormatMessage(msg::kStudioTooManyGroups, std::to_string(count)));
    }
    BinaryReader in(file);
    data.groups.resize(SeekTable(in, file, kSequenceGroupsField, kSequenceGroupSize, "sequence group"));
    for (StudioSequenceGroup& g : data.groups) {
        g.label = in.ReadText(kSequenceGroupLabelSize);
        g.fileName = in.ReadText(kNameSize);
        in.Skip(8);
    }
    for (const StudioSequence& s : data.sequences) {
        if (s.group < 0 || (s.group > 0 && static_cast<std::size_t>(s.group) >= data.groups.size())) {
            Refuse("sequence \"" + s.label + "\" names a sequence group that does not exist");
        }
    }
}

// Finds where every channel of every sequence starts, inside the file its group names.
void LocateAnimations(StudioData& data) {
    const std::size_t bones = data.bones.size();
    for (StudioSequence& s : data.sequences) {
        const ByteBuffer& image = data.images[static_cast<std::size_t>(s.group)];
        const std::size_t blendBytes = bones * kAnimationRecordSize;
        if (s.group > 0 && image.empty()) {
            // Its group file was missing: every channel keeps its default.
            s.channels.assign(static_cast<std::size_t>(s.blendCount) * bones * kChannels, 0);
            continue;
        }
        if (s.animationOffset < 0 || static_cast<std::uint64_t>(s.animationOffset) > image.size() ||
            static_cast<std::uint64_t>(s.blendCount) * blendBytes > image.size() - static_cast<std::size_t>(s.animationOffset)) {
            Refuse("the animation of sequence \"" + s.label + "\" lies outside its file");
        }
        s.channels.assign(static_cast<std::size_t>(s.blendCount) * bones * kChannels, 0);
        for (std::size_t b = 0; b < static_cast<std::size_t>(s.blendCount); ++b) {
            for (std::size_t bone = 0; bone < bones; ++bone) {
                const std::size_t record = static_cast<std::size_t>(s.animationOffset) + b * blendBytes +
                                           bone * kAnimationRecordSize;
                for (std::size_t c = 0; c < kChannels; ++c) {
                    const std::size_t offset = image[record + 2 * c] | (image[record + 2 * c + 1] << 8);
                    if (offset == 0) {
                        continue;
                    }
                    if (record + offset + 2 > image.size()) {
                        Refuse("the animation of sequence \"" + s.label + "\" lies outside its file");
                    }
                    s.channels[(b * bones + bone) * kChannels + c] = static_cast<std::uint32_t>(record + offset);
                }
            }
        }
    }
}

StudioMesh ReadMesh(const ByteBuffer& file, BinaryReader& in, const StudioSubmodel& model) {
    StudioMesh mesh;
    mesh.triangleCount = in.ReadI32();
    const std::int32_t commandOffset = in.ReadI32();
    mesh.skinReference = in.ReadI32();
    in.Skip(8);  // normal count and offset
    if (mesh.skinReference < 0) {
        Refuse("a mesh names a skin reference that does not exist");
    }
    if (commandOffset < 0 || static_cast<std::uint64_t>(commandOffset) >= file.size()) {
        Refuse("a mesh's triangle commands lie outside the file");
    }
    BinaryReader cmd(file);
    cmd.Seek(static_cast<std::size_t>(commandOffset));
    for (;;) {
        const std::int16_t count = cmd.ReadI16();
        mesh.commands.push_back(count);
        if (count == 0) {
            break;
        }
        const int n = count < 0 ? -count : count;
        for (int v = 0; v < n; ++v) {
            const std::int16_t vertex = cmd.ReadI16();
            const std::int16_t normal = cmd.ReadI16();
            const std::int16_t s = cmd.ReadI16();
            const std::int16_t t = cmd.ReadI16();
            if (vertex < 0 || static_cast<std::size_t>(vertex) >= model.vertices.size() || normal < 0 ||
                static_cast<std::size_t>(normal) >= model.normals.size()) {
                Refuse("a triangle command names a vertex or normal that does not exist");
            }
            mesh.commands.insert(mesh.commands.end(), {vertex, normal, s, t});
        }
    }
    return mesh;
}

// `count` points (three floats each) at `offset` and the bone each is bound to (a
// byte each) at `boneOffset`; the caller checks what they hold.
void ReadBoundPoints(const ByteBuffer& file, std::int32_t boneOffset, std::int32_t offset, std::int32_t count,
                     const char* bonesWhat, const char* pointsWhat, std::vector<std::uint8_t>& bones,
                     std::vector<Vector3>& points) {
    BinaryReader bonesOf = RecordsAt(file, boneOffset, count, 1, bonesWhat);
    BinaryReader pointsOf = RecordsAt(file, offset, count, 12, pointsWhat);
    bones.resize(static_cast<std::size_t>(count));
    points.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < bones.size(); ++i) {
        bones[i] = bonesOf.ReadU8();
        points[i] = ReadVector(pointsOf);
    }
}

StudioSubmodel ReadSubmodel(const ByteBuffer& file, BinaryReader& in, std::size_t boneCount) {
    StudioSubmodel model;
    model.name = in.ReadText(kNameSize);
    in.Skip(8);  // type, radius
    const std::int32_t meshCount = in.ReadI32();
    const std::int32_t meshOffset = in.ReadI32();
    const std::int32_t vertexCount = in.ReadI32();
    const std::int32_t vertexBoneOffset = in.ReadI32();
    const std::int32_t vertexOffset = in.ReadI32();
    const std::int32_t normalCount = in.ReadI32();
    const std::int32_t normalBoneOffset = in.ReadI32();
    const std::int32_t normalOffset = in.ReadI32();
    in.Skip(8);

    ReadBoundPoints(file, vertexBoneOffset, vertexOffset, vertexCount, "vertex bones", "vertices", model.vertexBones,
                    model.vertices);
    ReadBoundPoints(file, normalBoneOffset, normalOffset, normalCount, "normal bones", "normals", model.normalBones,
                    model.normals);
    for (const std::uint8_t bone : model.vertexBones) {
        if (bone >= boneCount) {
            Refuse("a vertex names a bone that does not exist");
        }
    }
    for (const std::uint8_t bone : model.normalBones) {
        if (bone >= boneCount) {
            Refuse("a normal names a bone that does not exist");
        }
    }
    for (const Vector3& v : model.vertices) {
        if (!Finite(v)) {
            Refuse("a vertex is not a number");
        }
    }
    for (const Vector3& n : model.normals) {
        if (!Finite(n)) {
            Refuse("a normal is not a number");
        }
    }
    BinaryReader meshes = RecordsAt(file, meshOffset, meshCount, kMeshSize, "meshes");
    for (int i = 0; i < meshCount; ++i) {
        model.meshes.push_back(ReadMesh(file, meshes, model));
    }
    return model;
}

void ReadBodyParts(const ByteBuffer& file, StudioData& data) {
    BinaryReader in(file);
    data.bodyParts.resize(SeekTable(in, file, kBodyPartsField, kBodyPartSize, "body part"));
    for (StudioBodyPart& part : data.bodyParts) {
        part.name = in.ReadText(kNameSize);
        const std::int32_t modelCount = in.ReadI32();
        part.base = in.ReadI32();
        const std::int32_t modelOffset = in.ReadI32();
        if (modelCount < 1 || part.base < 1) {
            Refuse("body part \"" + part.name + "\" has no submodels or no base");
        }
        BinaryReader models = RecordsAt(file, modelOffset, modelCount, kModelSize, "submodels");
        for (int i = 0; i < modelCount; ++i) {
            part.models.push_back(ReadSubmodel(file, models, data.bones.size()));
        }
    }
}

// The header's eye position and boxes, checked to be numbers.
void ReadHeaderPoints(const ByteBuffer& file, StudioData& data) {
    BinaryReader in(file);
    in.Seek(kEyePositionField);
    data.eyePosition = ReadVector(in);
    in.Seek(kClipBoxField);
    data.clipMin = ReadVector(in);
    data.clipMax = ReadVector(in);
    in.Seek(kBoundingBoxField);
    data.boxMin = ReadVector(in);
    data.boxMax = ReadVector(in);
    for (const Vector3* v : {&data.eyePosition, &data.clipMin, &data.clipMax, &data.boxMin, &data.boxMax}) {
        if (!Finite(*v)) {
            Refuse("the header's eye position or boxes are not numbers");
        }
    }
}

// Attachments and hit boxes: each names a bone, which the game uses without a check.
void ReadAttachmentsAndHitBoxes(const ByteBuffer& file, StudioData& data) {
    BinaryReader in(file);
    data.attachments.resize(SeekTable(in, file, kAttachmentsField, kAttachmentSize, "attachment"));
    for (std::size_t i = 0; i < data.attachments.size(); ++i) {
        StudioAttachment& a = data.attachments[i];
        a.name = in.ReadText(kAttachmentNameSize);
        a.type = in.ReadI32();
        a.bone = in.ReadI32();
        a.origin = ReadVector(in);
        in.Skip(36);  // vectors
        if (a.bone < 0 || static_cast<std::size_t>(a.bone) >= data.bones.size()) {
            Refuse("attachment " + std::to_string(i) + " names a bone that does not exist");
        }
        if (!Finite(a.origin)) {
            Refuse("attachment " + std::to_string(i) + " has a place that is not a number");
        }
    }
    BinaryReader boxes(file);
    data.hitBoxes.resize(SeekTable(boxes, file, kHitBoxesField, kHitBoxSize, "hit box"));
    for (std::size_t i = 0; i < data.hitBoxes.size(); ++i) {
        StudioHitBox& h = data.hitBoxes[i];
        h.bone = boxes.ReadI32();
        h.group = boxes.ReadI32();
        h.min = ReadVector(boxes);
        h.max = ReadVector(boxes);
        if (h.bone < 0 || static_cast<std::size_t>(h.bone) >= data.bones.size()) {
            Refuse("hit box " + std::to_string(i) + " names a bone that does not exist");
        }
        if (!Finite(h.min) || !Finite(h.max)) {
            Refuse("hit box " + std::to_string(i) + " has a size that is not a number");
        }
    }
}

// Textures and the skin table of `file` (the model or its texture file).
void ReadTextures(const ByteBuffer& file, StudioData& data) {
    BinaryReader in(file);
    data.textures.resize(SeekTable(in, file, kTexturesField, kTextureSize, "texture"));
    for (StudioTexture& t : data.textures) {
        t.name = in.ReadText(kNameSize);
        t.flags = in.ReadI32();
        t.width = in.ReadI32();
        t.height = in.ReadI32();
        const std::int32_t offset = in.ReadI32();
        if (t.width < 1 || t.height < 1 || t.width > kMaxTextureSide || t.height > kMaxTextureSide) {
            Refuse("texture \"" + t.name + "\" has a size out of range");
        }
        const std::int64_t pixels = static_cast<std::int64_t>(t.width) * t.height;
        BinaryReader px = RecordsAt(file, offset, pixels + 768, 1, "texture pixels");
        t.indexes = px.ReadBytes(static_cast<std::size_t>(pixels));
        px.ReadInto(t.palette.data(), t.palette.size());
    }
    const std::int32_t references = I32At(file, kSkinReferencesField);
    const std::int32_t families = I32At(file, kSkinFamiliesField);
    if (references < 0 || families < 0 || (references > 0 && families > 0x7fffffff / references)) {
        Refuse("the skin table has a size out of range");
    }
    data.skinReferences = references;
    data.skinFamilies = families;
    const std::int64_t entries = static_cast<std::int64_t>(references) * families;
    if (entries > 0) {
        BinaryReader table = RecordsAt(file, I32At(file, kSkinTableField), entries, 2, "skin table");
        data.skinTable.resize(static_cast<std::size_t>(entries));
        for (std::int16_t& entry : data.skinTable) {
            entry = table.ReadI16();
            if (entry < 0 || static_cast<std::size_t>(entry) >= data.textures.size()) {
                Refuse("the skin table names a texture that does not exist");
            }
        }
    }
}

std::string TrimStudioSuffix(const std::string& path, std::size_t suffixLength) {
    return path.size() >= suffixLength ? path.substr(0, path.size() - suffixLength) : std::string();
}
}  // namespace

std::int16_t StudioData::AnimationValue(int sequence, int blend, int bone, int channel, int frame) const {
    const StudioSequence& s = sequences[static_cast<std::size_t>(sequence)];
    const std::size_t at =
        ((static_cast<std::size_t>(blend) * bones.size() + static_cast<std::size_t>(bone)) * kChannels) +
        static_cast<std::size_t>(channel);
    const std::size_t start = s.channels[at];
    if (start == 0) {
        return 0;
    }
    const ByteBuffer& image = images[static_cast<std::size_t>(s.group)];
    std::size_t pos = start;
    int k = frame;
    while (pos + 2 <= image.size()) {
        const int valid = image[pos];
        const int total = image[pos + 1];
        if (total == 0) {
            return 0;  // a record that covers no frames would never end the walk
        }
        if (k < total) {
            if (valid == 0) {
                return 0;
            }
            const std::size_t value = pos + 2 + 2 * static_cast<std::size_t>(k < valid ? k : valid - 1);
            if (value + 2 > image.size()) {
                return 0;
            }
            return static_cast<std::int16_t>(image[value] | (image[value + 1] << 8));
        }
        k -= total;
        pos += 2 * (static_cast<std::size_t>(valid) + 1);
    }
    return 0;
}

int StudioData::SkinTexture(int family, int reference) const {
    if (reference < 0 || reference >= skinReferences || skinFamilies < 1) {
        return -1;
    }
    if (family < 0 || family >= skinFamilies) {
        family = 0;
    }
    return skinTable[static_cast<std::size_t>(family) * static_cast<std::size_t>(skinReferences) +
                     static_cast<std::size_t>(reference)];
}

int StudioData::SubmodelFor(int body, int part) const {
    if (part < 0 || static_cast<std::size_t>(part) >= bodyParts.size() || body < 0) {
        return 0;
    }
    const StudioBodyPart& p = bodyParts[static_cast<std::size_t>(part)];
    if (p.base < 1 || p.models.empty()) {
        return 0;
    }
    return (body / p.base) % static_cast<int>(p.models.size());
}

int StudioData::BodyWith(int body, int part, int submodel) const {
    body = std::max(body, 0);
    if (part < 0 || static_cast<std::size_t>(part) >= bodyParts.size()) {
        return body;
    }
    const StudioBodyPart& p = bodyParts[static_cast<std::size_t>(part)];
    if (p.base < 1 || p.models.empty()) {
        return body;
    }
    const std::int64_t chosen = std::clamp(submodel, 0, static_cast<int>(p.models.size()) - 1);
    const std::int64_t value =
        static_cast<std::int64_t>(body) - static_cast<std::int64_t>(SubmodelFor(body, part)) * p.base + chosen * p.base;
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<int>::max()));
}

int StudioData::NormalBody(int body) const {
    std::int64_t value = 0;
    for (std::size_t part = 0; part < bodyParts.size(); ++part) {
        const std::int64_t chosen = SubmodelFor(body, static_cast<int>(part));
        value = std::min<std::int64_t>(value + chosen * std::max(bodyParts[part].base, 1),
                                       std::numeric_limits<int>::max());
    }
    return static_cast<int>(value);
}

StudioFileKind ClassifyStudioFile(const std::uint8_t* bytes, std::size_t size, int* version) {
    const std::uint32_t ident = bytes != nullptr ? U32At(bytes, size, 0) : 0;
    if (size < 8 || (ident != kIdent && ident != kSequenceIdent)) {
        return StudioFileKind::NotStudio;
    }
    const std::int32_t v = static_cast<std::int32_t>(U32At(bytes, size, 4));
    if (version != nullptr) {
        *version = v;
    }
    if (v != kVersion) {
        return StudioFileKind::OtherVersion;
    }
    if (ident == kSequenceIdent) {
        return StudioFileKind::SequenceGroup;
    }
    // A texture file carries textures and nothing to draw them on.
    const bool noSkeleton = U32At(bytes, size, kBonesField) == 0 && U32At(bytes, size, kBodyPartsField) == 0;
    return noSkeleton && U32At(bytes, size, kTexturesField) != 0 ? StudioFileKind::TextureFile : StudioFileKind::Model;
}

std::string StudioUnableToOpen(const std::string& name) {
    std::string text = msg::kUnableToOpen.text;
    text.replace(text.find("%s"), 2, name);
    return text;
}

std::string StudioCompanionName(const std::string& modelPath, const std::string& suffix) {
    return TrimStudioSuffix(modelPath, 4) + suffix;
}

std::string StudioMainModelName(const std::string& companionPath, StudioFileKind kind) {
    const std::string file = fs_util::FileNameOf(companionPath);
    std::string stem = TrimStudioSuffix(file, 4);
    if (kind == StudioFileKind::TextureFile && !stem.empty() && (stem.back() == 'T' || stem.back() == 't')) {
        stem.pop_back();
    } else if (kind == StudioFileKind::SequenceGroup) {
        while (!stem.empty() && stem.back() >= '0' && stem.back() <= '9') {
            stem.pop_back();
        }
    }
    return stem + (file.size() >= 4 ? file.substr(file.size() - 4) : std::string());
}

StudioReadResult ReadStudioModel(ByteBuffer model, const std::string& modelPath,
                                 const StudioCompanionReader& companions, MissingStudioCompanion missing) {
    const bool readWithout = missing == MissingStudioCompanion::ReadWithout;
    StudioReadResult result;
    try {
        int version = 0;
        const StudioFileKind kind = ClassifyStudioFile(model.data(), model.size(), &version);
        const std::string main = StudioMainModelName(modelPath, kind);
        switch (kind) {
            case StudioFileKind::SequenceGroup:
                throw StudioError(FormatMessage(msg::kStudioSequenceGroupFile, main));
            case StudioFileKind::TextureFile:
                throw StudioError(FormatMessage(msg::kStudioTextureFile, main));
            case StudioFileKind::OtherVersion:
                throw StudioError(FormatMessage(msg::kStudioWrongVersion, std::to_string(version)));
            case StudioFileKind::NotStudio:
                Refuse("its first four bytes are not \"IDST\"");
            case StudioFileKind::Model:
                break;
        }
        CheckHeader(model, kIdent, "the model");
        auto data = std::make_shared<StudioData>();
        data->name = BinaryReader(model.data() + 8, kNameSize).ReadText(kNameSize);
        ReadControllers(model, *data);
        ReadBones(model, *data, data->controllers.size());
        for (const StudioBoneController& c : data->controllers) {
            if (c.bone < 0 || static_cast<std::size_t>(c.bone) >= data->bones.size()) {
                Refuse("a bone controller names a bone that does not exist");
            }
        }
        ReadHeaderPoints(model, *data);
        ReadSequences(model, *data);
        ReadGroups(model, *data);
        ReadBodyParts(model, *data);
        ReadAttachmentsAndHitBoxes(model, *data);

        if (I32At(model, kTexturesField) == 0) {
            const std::string name = StudioCompanionName(modelPath, "T.mdl");
            std::optional<ByteBuffer> textures = companions ? companions(name) : std::nullopt;
            if (textures) {
                CheckHeader(*textures, kIdent, "the texture file");
                ReadTextures(*textures, *data);
                data->texturesFromCompanion = true;
            } else if (!readWithout) {
                throw StudioError(StudioUnableToOpen(name));
            }
        } else {
            ReadTextures(model, *data);
        }
        for (const StudioBodyPart& part : data->bodyParts) {
            for (const StudioSubmodel& sub : part.models) {
                for (const StudioMesh& mesh : sub.meshes) {
                    if (data->skinReferences > 0 && mesh.skinReference >= data->skinReferences) {
                        Refuse("a mesh names a skin reference that does not exist");
                    }
                }
            }
        }

        data->images.push_back(std::move(model));
        for (std::size_t g = 1; g < data->groups.size(); ++g) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%02d.mdl", static_cast<int>(g));
            const std::string name = StudioCompanionName(modelPath, suffix);
            std::optional<ByteBuffer> group = companions ? companions(name) : std::nullopt;
            if (!group && readWithout) {
                data->images.emplace_back();
                continue;
            }
            if (!group) {
                throw StudioError(StudioUnableToOpen(name));
            }
            CheckHeader(*group, kSequenceIdent, "sequence group file " + fs_util::FileNameOf(name));
            data->images.push_back(std::move(*group));
        }
        LocateAnimations(*data);
        result.data = std::move(data);
    } catch (const StudioError& e) {
        result.error = e.what();
    } catch (const ReadError&) {
        result.error = FormatMessage(msg::kStudioNotValid, "a record runs past the end of the file");
    } catch (const std::bad_alloc&) {
        result.error = FormatMessage(msg::kStudioNotValid, "it is too large to read");
    }
    return result;
}
