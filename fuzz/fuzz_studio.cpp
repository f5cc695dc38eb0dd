// The studio reader over arbitrary bytes, companions included: the input is a
// run of files, each a little-endian uint32 length and its bytes (the main model
// first, then the companions in the order the reader asks for them; a short
// length takes what is left). Whatever the input, reading ends (accepted or with
// a message) without touching memory outside it, and an accepted model poses
// every sequence, blended and with its controllers, within its own data; its
// attachments, hit boxes and events name bones and frames that exist, and bone
// merging stays within both bone lists.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"
#include "models/halflife/StudioBones.h"
#include "models/halflife/StudioFormat.h"
#include "platform/BinaryIO.h"

namespace {
std::vector<ByteBuffer> Split(const std::uint8_t* data, std::size_t size) {
    std::vector<ByteBuffer> files;
    std::size_t pos = 0;
    while (pos + 4 <= size && files.size() < 40) {
        const std::uint32_t length = static_cast<std::uint32_t>(data[pos]) | (static_cast<std::uint32_t>(data[pos + 1]) << 8) |
                                     (static_cast<std::uint32_t>(data[pos + 2]) << 16) |
                                     (static_cast<std::uint32_t>(data[pos + 3]) << 24);
        pos += 4;
        const std::size_t take = length < size - pos ? length : size - pos;
        files.emplace_back(data + pos, data + pos + take);
        pos += take;
    }
    return files;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    std::vector<ByteBuffer> files = Split(data, size);
    if (files.empty()) {
        return 0;
    }
    std::size_t next = 1;
    const StudioCompanionReader companions = [&](const std::string&) -> std::optional<ByteBuffer> {
        if (next >= files.size()) {
            return std::nullopt;
        }
        return files[next++];
    };
    const StudioReadResult read = ReadStudioModel(files.front(), "models/fuzz.mdl", companions);
    if (!read.data) {
        if (read.error.empty()) {
            std::abort();  // a refusal always says why
        }
        return 0;
    }
    const StudioData& model = *read.data;
    std::vector<BoneMatrix> bones;
    for (std::size_t s = 0; s < model.sequences.size() && s < 8; ++s) {
        StudioPose pose;
        pose.sequence = static_cast<int>(s);
        pose.controllers = {30.0f, -400.0f, 1e30f, 0.0f};
        pose.mouth = 12.0f;
        pose.blend = {0.5f, 0.25f};
        for (const float frame : {0.0f, 0.5f, static_cast<float>(model.sequences[s].frameCount) - 0.5f}) {
            pose.frame = frame;
            SetUpBones(model, pose, bones);
            if (bones.size() != model.bones.size()) {
                std::abort();
            }
        }
    }
    // The tables beside the skeleton name bones and frames that exist.
    for (const StudioAttachment& a : model.attachments) {
        if (a.bone < 0 || static_cast<std::size_t>(a.bone) >= model.bones.size()) {
            std::abort();
        }
        if (bones.size() == model.bones.size()) {
            TransformPoint(bones[static_cast<std::size_t>(a.bone)], a.origin);
        }
    }
    for (const StudioHitBox& h : model.hitBoxes) {
        if (h.bone < 0 || static_cast<std::size_t>(h.bone) >= model.bones.size()) {
            std::abort();
        }
    }
    for (const StudioSequence& s : model.sequences) {
        for (const StudioEvent& e : s.events) {
            if (e.frame < 0 || e.frame >= s.frameCount) {
                std::abort();
            }
        }
    }
    // A follower merged onto itself by a map with indexes out of range ignores them.
    if (!model.sequences.empty()) {
        std::vector<int> map(model.bones.size());
        for (std::size_t b = 0; b < map.size(); ++b) {
            map[b] = static_cast<int>(b % 3 == 0 ? b : b + 1000);
        }
        std::vector<BoneMatrix> merged;
        SetUpMergedBones(model, StudioPose{}, bones, map, merged);
        if (merged.size() != model.bones.size()) {
            std::abort();
        }
    }
    for (const StudioBodyPart& part : model.bodyParts) {
        for (const StudioSubmodel& sub : part.models) {
            for (const StudioMesh& mesh : sub.meshes) {
                model.SkinTexture(0, mesh.skinReference);
                model.SkinTexture(model.skinFamilies, mesh.skinReference);  // a family past the table
            }
        }
    }
    return 0;
}
