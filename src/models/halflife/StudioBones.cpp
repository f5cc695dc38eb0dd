#include "models/halflife/StudioBones.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "models/halflife/StudioFormat.h"
#include "models/halflife/StudioLanes.h"

using namespace studio_format;
using namespace studio_lanes;

namespace {
constexpr float kPi = 3.14159265358979f;

// The axis a controller type moves (0-2 positions, 3-5 rotations), or -1.
int ControllerChannel(int type) {
    switch (type & kControllerTypes) {
        case kControllerX: return 0;
        case kControllerY: return 1;
        case kControllerZ: return 2;
        case kControllerXR: return 3;
        case kControllerYR: return 4;
        case kControllerZR: return 5;
        default: return -1;
    }
}

// Bones four at a time, a lane each; a model's last group may hold fewer.
struct BoneGroup {
    QuaternionLanes rotation;
    Lanes position[3];
};

// One blend of the sequence at whole frame `frame` with fraction `s` towards the next.
void CalcRotations(const StudioData& data, int sequence, int blend, int frame, float s,
                   const std::vector<float>& adjust, std::vector<BoneGroup>& out) {
    const StudioSequence& seq = data.sequences[static_cast<std::size_t>(sequence)];
    const int next = std::min(frame + 1, seq.frameCount - 1);
    const ByteBuffer& image = data.images[static_cast<std::size_t>(seq.group)];
    const std::uint32_t* starts = seq.channels.data() + static_cast<std::size_t>(blend) * data.bones.size() * kChannels;
    // The game blends frames only when the position lies between them.
    const bool between = s > 0.001f;
    const std::size_t count = data.bones.size();
    out.resize((count + 3) / 4);
    for (std::size_t g = 0; g < out.size(); ++g) {
        // Each channel at the frame and at the next, a lane per bone, gathered in
        // memory: inserting into vector registers one lane at a time is slower.
        alignas(16) float atFrame[kChannels][4] = {};
        alignas(16) float atNext[kChannels][4] = {};
        for (std::size_t lane = 0; lane < 4 && g * 4 + lane < count; ++lane) {
            const std::size_t b = g * 4 + lane;
            const StudioBone& bone = data.bones[b];
            for (std::size_t i = 0; i < kChannels; ++i) {
                std::int16_t v1 = 0;
                std::int16_t v2 = 0;
                StudioChannelValues(image.data(), image.size(), starts[b * kChannels + i], frame, next, v1, v2);
                const float adj =
                    bone.controller[i] >= 0 ? adjust[static_cast<std::size_t>(bone.controller[i])] : 0.0f;
                atFrame[i][lane] = bone.value[i] + static_cast<float>(v1) * bone.scale[i] + adj;
                atNext[i][lane] = bone.value[i] + static_cast<float>(v2) * bone.scale[i] + adj;
            }
        }
        Lanes a[kChannels];
        Lanes c[kChannels];
        std::memcpy(a, atFrame, sizeof a);
        std::memcpy(c, atNext, sizeof c);
        BoneGroup& group = out[g];
        group.rotation = AngleQuaternionLanes(a[3], a[4], a[5]);
        if (between) {
            // A bone whose angles hold still keeps its rotation exactly.
            const Mask still = (a[3] == c[3]) & (a[4] == c[4]) & (a[5] == c[5]);
            if (!All(still)) {
                const QuaternionLanes moved = SlerpLanes(group.rotation, AngleQuaternionLanes(c[3], c[4], c[5]), s);
                group.rotation = {Select(still, group.rotation.x, moved.x), Select(still, group.rotation.y, moved.y),
                                  Select(still, group.rotation.z, moved.z), Select(still, group.rotation.w, moved.w)};
            }
        }
        for (std::size_t axis = 0; axis < 3; ++axis) {
            group.position[axis] = a[axis] * Splat(1.0f - s) + c[axis] * Splat(s);
        }
    }
    // Movement through the level is the game's business: the motion bone stays in place.
    if (seq.motionType != 0) {
        const auto motion = static_cast<std::size_t>(seq.motionBone);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            if ((seq.motionType & (kControllerX << axis)) != 0) {
                out[motion / 4].position[axis][motion % 4] = 0.0f;
            }
        }
    }
}
float BlendFraction(float value) { return std::clamp(std::isfinite(value) ? value : 0.0f, 0.0f, 1.0f); }

// `into` moved towards `other` by `mix`.
void MixInto(std::vector<BoneGroup>& into, const std::vector<BoneGroup>& other, float mix) {
    for (std::size_t g = 0; g < into.size(); ++g) {
        into[g].rotation = SlerpLanes(into[g].rotation, other[g].rotation, mix);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            into[g].position[axis] = into[g].position[axis] * Splat(1.0f - mix) + other[g].position[axis] * Splat(mix);
        }
    }
}
}  // namespace

Quaternion AngleQuaternion(const Vector3& angles) {
    const QuaternionLanes q = AngleQuaternionLanes(Splat(angles.x), Splat(angles.y), Splat(angles.z));
    return {q.x[0], q.y[0], q.z[0], q.w[0]};
}

Quaternion QuaternionSlerp(const Quaternion& p, const Quaternion& q, float t) {
    const QuaternionLanes r = SlerpLanes({Splat(p.x), Splat(p.y), Splat(p.z), Splat(p.w)},
                                         {Splat(q.x), Splat(q.y), Splat(q.z), Splat(q.w)}, t);
    return {r.x[0], r.y[0], r.z[0], r.w[0]};
}

BoneMatrix QuaternionMatrix(const Quaternion& q, const Vector3& position) {
    BoneMatrix m{};
    m[0][0] = 1.0f - 2.0f * q.y * q.y - 2.0f * q.z * q.z;
    m[1][0] = 2.0f * q.x * q.y + 2.0f * q.w * q.z;
    m[2][0] = 2.0f * q.x * q.z - 2.0f * q.w * q.y;
    m[0][1] = 2.0f * q.x * q.y - 2.0f * q.w * q.z;
    m[1][1] = 1.0f - 2.0f * q.x * q.x - 2.0f * q.z * q.z;
    m[2][1] = 2.0f * q.y * q.z + 2.0f * q.w * q.x;
    m[0][2] = 2.0f * q.x * q.z + 2.0f * q.w * q.y;
    m[1][2] = 2.0f * q.y * q.z - 2.0f * q.w * q.x;
    m[2][2] = 1.0f - 2.0f * q.x * q.x - 2.0f * q.y * q.y;
    m[0][3] = position.x;
    m[1][3] = position.y;
    m[2][3] = position.z;
    return m;
}

BoneMatrix ConcatTransforms(const BoneMatrix& a, const BoneMatrix& b) {
    BoneMatrix out{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            const auto R = static_cast<std::size_t>(r);
            const auto C = static_cast<std::size_t>(c);
            out[R][C] = a[R][0] * b[0][C] + a[R][1] * b[1][C] + a[R][2] * b[2][C] + (c == 3 ? a[R][3] : 0.0f);
        }
    }
    return out;
}

Vector3 TransformPoint(const BoneMatrix& m, const Vector3& p) { return RotateVector(m, p) + Vector3{m[0][3], m[1][3], m[2][3]}; }

Vector3 RotateVector(const BoneMatrix& m, const Vector3& v) {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

Vector3 InverseRotateVector(const BoneMatrix& m, const Vector3& v) {
    return {m[0][0] * v.x + m[1][0] * v.y + m[2][0] * v.z, m[0][1] * v.x + m[1][1] * v.y + m[2][1] * v.z,
            m[0][2] * v.x + m[1][2] * v.y + m[2][2] * v.z};
}

float ControllerAdjustment(const StudioData& data, int controller, const StudioPose& pose) {
    const StudioBoneController& c = data.controllers[static_cast<std::size_t>(controller)];
    float value = 0.0f;
    if (c.index >= 0 && c.index < kControllerCount) {
        value = pose.controllers[static_cast<std::size_t>(c.index)];
    } else if (c.index == kMouthController) {
        value = pose.mouth;
    } else {
        return 0.0f;  // an index no setting reaches
    }
    if (!std::isfinite(value)) {
        value = c.start;
    }
    if (c.Loops()) {
        value = c.start + std::fmod(std::fmod(value - c.start, 360.0f) + 360.0f, 360.0f);
    } else {
        value = std::clamp(value, std::min(c.start, c.end), std::max(c.start, c.end));
    }
    return c.Rotates() ? value * (kPi / 180.0f) : value;
}

void PoseBones(const StudioData& data, const StudioPose& pose, std::vector<BoneState>& out) {
    out.resize(data.bones.size());
    if (data.sequences.empty() || data.bones.empty()) {
        std::fill(out.begin(), out.end(), BoneState{});
        return;
    }
    const int sequence = std::clamp(pose.sequence, 0, static_cast<int>(data.sequences.size()) - 1);
    const StudioSequence& seq = data.sequences[static_cast<std::size_t>(sequence)];
    float f = std::isfinite(pose.frame) ? pose.frame : 0.0f;
    f = std::clamp(f, 0.0f, static_cast<float>(seq.frameCount - 1));
    const int frame = static_cast<int>(f);
    const float s = f - static_cast<float>(frame);

    // One adjustment per controller of the file, by its place in the table.
    thread_local std::vector<float> adjust;
    adjust.assign(data.controllers.size(), 0.0f);
    for (std::size_t c = 0; c < data.controllers.size(); ++c) {
        if (ControllerChannel(data.controllers[c].type) >= 0) {
            adjust[c] = ControllerAdjustment(data, static_cast<int>(c), pose);
        }
    }

    thread_local std::vector<BoneGroup> first;
    CalcRotations(data, sequence, 0, frame, s, adjust, first);
    if (seq.blendCount >= 2) {
        thread_local std::vector<BoneGroup> second;
        CalcRotations(data, sequence, 1, frame, s, adjust, second);
        const float across = BlendFraction(pose.blend[0]);
        MixInto(first, second, across);
        if (seq.blendCount >= 4) {
            thread_local std::vector<BoneGroup> third;
            CalcRotations(data, sequence, 2, frame, s, adjust, third);
            CalcRotations(data, sequence, 3, frame, s, adjust, second);
            MixInto(third, second, across);
            MixInto(first, third, BlendFraction(pose.blend[1]));
        }
    }
    for (std::size_t b = 0; b < out.size(); ++b) {
        const BoneGroup& group = first[b / 4];
        const std::size_t lane = b % 4;
        out[b].rotation = {group.rotation.x[lane], group.rotation.y[lane], group.rotation.z[lane],
                           group.rotation.w[lane]};
        out[b].position = {group.position[0][lane], group.position[1][lane], group.position[2][lane]};
    }
}

void SetUpBones(const StudioData& data, const StudioPose& pose, std::vector<BoneMatrix>& out) {
    thread_local std::vector<BoneState> local;
    PoseBones(data, pose, local);
    out.resize(local.size());
    for (std::size_t b = 0; b < local.size(); ++b) {
        const BoneMatrix m = QuaternionMatrix(local[b].rotation, local[b].position);
        const int parent = data.bones[b].parent;
        out[b] = parent < 0 ? m : ConcatTransforms(out[static_cast<std::size_t>(parent)], m);
    }
}

void SetUpMergedBones(const StudioData& data, const StudioPose& pose, const std::vector<BoneMatrix>& leader,
                      const std::vector<int>& map, std::vector<BoneMatrix>& out) {
    thread_local std::vector<BoneState> local;
    PoseBones(data, pose, local);
    out.resize(local.size());
    for (std::size_t b = 0; b < local.size(); ++b) {
        const int from = b < map.size() ? map[b] : -1;
        if (from >= 0 && static_cast<std::size_t>(from) < leader.size()) {
            out[b] = leader[static_cast<std::size_t>(from)];
            continue;
        }
        const BoneMatrix m = QuaternionMatrix(local[b].rotation, local[b].position);
        const int parent = data.bones[b].parent;
        out[b] = parent < 0 ? m : ConcatTransforms(out[static_cast<std::size_t>(parent)], m);
    }
}
