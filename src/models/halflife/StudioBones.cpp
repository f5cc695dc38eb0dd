#include "models/halflife/StudioBones.h"

#include <algorithm>
#include <cmath>

#include "models/halflife/StudioFormat.h"

using namespace studio_format;

namespace {
constexpr float kPi = 3.14159265358979f;
constexpr float kSlerpEpsilon = 1e-6f;

void SetComponent(Vector3& v, int i, float value) { (i == 0 ? v.x : (i == 1 ? v.y : v.z)) = value; }

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

// One blend of the sequence at whole frame `frame` with fraction `s` towards the next.
void CalcRotations(const StudioData& data, int sequence, int blend, int frame, float s,
                   const std::vector<float>& adjust, std::vector<BoneState>& out) {
    const StudioSequence& seq = data.sequences[static_cast<std::size_t>(sequence)];
    const int next = std::min(frame + 1, seq.frameCount - 1);
    for (std::size_t b = 0; b < data.bones.size(); ++b) {
        const StudioBone& bone = data.bones[b];
        const int boneIndex = static_cast<int>(b);
        std::array<float, kChannels> a{};
        std::array<float, kChannels> c{};
        for (int ch = 0; ch < kChannels; ++ch) {
            const std::size_t i = static_cast<std::size_t>(ch);
            const float v1 = data.AnimationValue(sequence, blend, boneIndex, ch, frame);
            const float v2 = data.AnimationValue(sequence, blend, boneIndex, ch, next);
            a[i] = bone.value[i] + v1 * bone.scale[i];
            c[i] = bone.value[i] + v2 * bone.scale[i];
            if (bone.controller[i] >= 0) {
                const float adj = adjust[static_cast<std::size_t>(bone.controller[i])];
                a[i] += adj;
                c[i] += adj;
            }
        }
        const Vector3 angles1{a[3], a[4], a[5]};
        const Vector3 angles2{c[3], c[4], c[5]};
        BoneState& state = out[b];
        state.rotation = angles1 == angles2 ? AngleQuaternion(angles1)
                                            : QuaternionSlerp(AngleQuaternion(angles1), AngleQuaternion(angles2), s);
        state.position = {a[0] * (1.0f - s) + c[0] * s, a[1] * (1.0f - s) + c[1] * s, a[2] * (1.0f - s) + c[2] * s};
    }
    // Movement through the level is the game's business: the motion bone stays in place.
    if (seq.motionType != 0) {
        Vector3& p = out[static_cast<std::size_t>(seq.motionBone)].position;
        for (int axis = 0; axis < 3; ++axis) {
            if ((seq.motionType & (kControllerX << axis)) != 0) {
                SetComponent(p, axis, 0.0f);
            }
        }
    }
}
float BlendFraction(float value) { return std::clamp(std::isfinite(value) ? value : 0.0f, 0.0f, 1.0f); }

// `into` moved towards `other` by `mix`.
void MixInto(std::vector<BoneState>& into, const std::vector<BoneState>& other, float mix) {
    for (std::size_t b = 0; b < into.size(); ++b) {
        into[b].rotation = QuaternionSlerp(into[b].rotation, other[b].rotation, mix);
        into[b].position = into[b].position * (1.0f - mix) + other[b].position * mix;
    }
}
}  // namespace

Quaternion AngleQuaternion(const Vector3& angles) {
    const float sy = std::sin(angles.z * 0.5f), cy = std::cos(angles.z * 0.5f);
    const float sp = std::sin(angles.y * 0.5f), cp = std::cos(angles.y * 0.5f);
    const float sr = std::sin(angles.x * 0.5f), cr = std::cos(angles.x * 0.5f);
    return {sr * cp * cy - cr * sp * sy, cr * sp * cy + sr * cp * sy, cr * cp * sy - sr * sp * cy,
            cr * cp * cy + sr * sp * sy};
}

Quaternion QuaternionSlerp(const Quaternion& p, const Quaternion& qIn, float t) {
    Quaternion q = qIn;
    // q and -q are the same rotation: take the one nearer p.
    const float a = (p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) + (p.z - q.z) * (p.z - q.z) +
                    (p.w - q.w) * (p.w - q.w);
    const float b = (p.x + q.x) * (p.x + q.x) + (p.y + q.y) * (p.y + q.y) + (p.z + q.z) * (p.z + q.z) +
                    (p.w + q.w) * (p.w + q.w);
    if (a > b) {
        q = {-q.x, -q.y, -q.z, -q.w};
    }
    const float cosom = p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w;
    float sclp = 1.0f - t;
    float sclq = t;
    if (1.0f + cosom > kSlerpEpsilon) {
        if (1.0f - cosom > kSlerpEpsilon) {
            const float omega = std::acos(std::clamp(cosom, -1.0f, 1.0f));
            const float sinom = std::sin(omega);
            sclp = std::sin((1.0f - t) * omega) / sinom;
            sclq = std::sin(t * omega) / sinom;
        }
        return {sclp * p.x + sclq * q.x, sclp * p.y + sclq * q.y, sclp * p.z + sclq * q.z, sclp * p.w + sclq * q.w};
    }
    // Opposite rotations: go by way of one at right angles to p.
    const Quaternion r{-p.y, p.x, -p.w, p.z};
    sclp = std::sin((1.0f - t) * 0.5f * kPi);
    sclq = std::sin(t * 0.5f * kPi);
    return {sclp * p.x + sclq * r.x, sclp * p.y + sclq * r.y, sclp * p.z + sclq * r.z, r.w};
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

    CalcRotations(data, sequence, 0, frame, s, adjust, out);
    if (seq.blendCount < 2) {
        return;
    }
    thread_local std::vector<BoneState> second;
    second.resize(data.bones.size());
    CalcRotations(data, sequence, 1, frame, s, adjust, second);
    const float across = BlendFraction(pose.blend[0]);
    MixInto(out, second, across);
    if (seq.blendCount < 4) {
        return;
    }
    thread_local std::vector<BoneState> third;
    third.resize(data.bones.size());
    CalcRotations(data, sequence, 2, frame, s, adjust, third);
    CalcRotations(data, sequence, 3, frame, s, adjust, second);
    MixInto(third, second, across);
    MixInto(out, third, BlendFraction(pose.blend[1]));
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
