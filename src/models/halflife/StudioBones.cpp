#include "models/halflife/StudioBones.h"

#include <algorithm>
#include <array>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "models/halflife/StudioFormat.h"

using namespace studio_format;

namespace {
constexpr float kPi = 3.14159265358979f;

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
    const ByteBuffer& image = data.images[static_cast<std::size_t>(seq.group)];
    const std::uint32_t* starts = seq.channels.data() + static_cast<std::size_t>(blend) * data.bones.size() * kChannels;
    // The game blends frames only when the position lies between them.
    const bool between = s > 0.001f;
    for (std::size_t b = 0; b < data.bones.size(); ++b) {
        const StudioBone& bone = data.bones[b];
        std::array<float, kChannels> a{};
        std::array<float, kChannels> c{};
        for (int ch = 0; ch < kChannels; ++ch) {
            const std::size_t i = static_cast<std::size_t>(ch);
            std::int16_t v1 = 0;
            std::int16_t v2 = 0;
            StudioChannelValues(image.data(), image.size(), starts[b * kChannels + i], frame, next, v1, v2);
            a[i] = bone.value[i] + static_cast<float>(v1) * bone.scale[i];
            c[i] = bone.value[i] + static_cast<float>(v2) * bone.scale[i];
            if (bone.controller[i] >= 0) {
                const float adj = adjust[static_cast<std::size_t>(bone.controller[i])];
                a[i] += adj;
                c[i] += adj;
            }
        }
        const Vector3 angles1{a[3], a[4], a[5]};
        const Vector3 angles2{c[3], c[4], c[5]};
        BoneState& state = out[b];
        state.rotation = !between || angles1 == angles2
                             ? AngleQuaternion(angles1)
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

namespace {
// The sine and cosine of `x` within a few units in the last place (Cephes' single
// precision polynomials on [-pi/4, pi/4] after a Cody-Waite reduction by quarter
// turns), for the many half angles of a bone set-up; the library's beyond |x| 8192
// and for what is not a number.
void SinCos(float x, float& sine, float& cosine) {
    if (!(std::fabs(x) < 8192.0f)) {
        sine = std::sin(x);
        cosine = std::cos(x);
        return;
    }
    const float scaled = x * 0.636619772f;
    const int whole = static_cast<int>(scaled + (scaled < 0.0f ? -0.5f : 0.5f));  // quarter turns, nearest
    const float turns = static_cast<float>(whole);
    const int quadrant = whole & 3;
    // pi / 2 in three parts, the first two short enough that their products with
    // the turns are exact.
    const float r = ((x - turns * 1.5703125f) - turns * 4.837512969970703125e-4f) - turns * 7.54978995489188216e-8f;
    const float r2 = r * r;
    const float s = r + r * r2 * (-1.6666654611e-1f + r2 * (8.3321608736e-3f + r2 * -1.9515295891e-4f));
    const float c = 1.0f - 0.5f * r2 +
                    r2 * r2 * (4.166664568298827e-2f + r2 * (-1.388731625493765e-3f + r2 * 2.443315711809948e-5f));
    switch (quadrant) {
        case 0: sine = s; cosine = c; break;
        case 1: sine = c; cosine = -s; break;
        case 2: sine = -s; cosine = -c; break;
        default: sine = -c; cosine = s; break;
    }
}

#if defined(__SSE2__)
// SinCos of four values at once (the same polynomials and reduction); false, and
// nothing written, when one of them is past its range or not a number.
bool SinCos4(__m128 v, float (&sine)[4], float (&cosine)[4]) {
    const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), v);
    if (_mm_movemask_ps(_mm_cmplt_ps(magnitude, _mm_set1_ps(8192.0f))) != 0xf) {
        return false;
    }
    const __m128i whole = _mm_cvtps_epi32(_mm_mul_ps(v, _mm_set1_ps(0.636619772f)));  // nearest quarter turns
    const __m128 turns = _mm_cvtepi32_ps(whole);
    const __m128 r = _mm_sub_ps(_mm_sub_ps(_mm_sub_ps(v, _mm_mul_ps(turns, _mm_set1_ps(1.5703125f))),
                                           _mm_mul_ps(turns, _mm_set1_ps(4.837512969970703125e-4f))),
                                _mm_mul_ps(turns, _mm_set1_ps(7.54978995489188216e-8f)));
    const __m128 r2 = _mm_mul_ps(r, r);
    __m128 sp = _mm_add_ps(_mm_mul_ps(r2, _mm_set1_ps(-1.9515295891e-4f)), _mm_set1_ps(8.3321608736e-3f));
    sp = _mm_add_ps(_mm_mul_ps(r2, sp), _mm_set1_ps(-1.6666654611e-1f));
    const __m128 s = _mm_add_ps(r, _mm_mul_ps(_mm_mul_ps(r, r2), sp));
    __m128 cp = _mm_add_ps(_mm_mul_ps(r2, _mm_set1_ps(2.443315711809948e-5f)), _mm_set1_ps(-1.388731625493765e-3f));
    cp = _mm_add_ps(_mm_mul_ps(r2, cp), _mm_set1_ps(4.166664568298827e-2f));
    const __m128 c = _mm_add_ps(_mm_sub_ps(_mm_set1_ps(1.0f), _mm_mul_ps(_mm_set1_ps(0.5f), r2)),
                                _mm_mul_ps(_mm_mul_ps(r2, r2), cp));
    // Odd quarter turns exchange sine and cosine; the sine turns negative in
    // quadrants 2 and 3, the cosine in 1 and 2.
    const __m128i one = _mm_set1_epi32(1);
    const __m128 odd = _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(whole, one), one));
    const __m128 sine0 = _mm_or_ps(_mm_and_ps(odd, c), _mm_andnot_ps(odd, s));
    const __m128 cosine0 = _mm_or_ps(_mm_and_ps(odd, s), _mm_andnot_ps(odd, c));
    const __m128i two = _mm_set1_epi32(2);
    const __m128 sineSign = _mm_castsi128_ps(_mm_slli_epi32(_mm_and_si128(whole, two), 30));
    const __m128 cosineSign = _mm_castsi128_ps(_mm_slli_epi32(_mm_and_si128(_mm_add_epi32(whole, one), two), 30));
    _mm_storeu_ps(sine, _mm_xor_ps(sine0, sineSign));
    _mm_storeu_ps(cosine, _mm_xor_ps(cosine0, cosineSign));
    return true;
}
#endif
}  // namespace

namespace {
// The sines and cosines of the half angles z, y, x.
void HalfAngles(const Vector3& angles, float (&sine)[4], float (&cosine)[4]) {
#if defined(__SSE2__)
    // Made in a register: four scalar stores read back as one vector would stall.
    if (SinCos4(_mm_mul_ps(_mm_setr_ps(angles.z, angles.y, angles.x, 0.0f), _mm_set1_ps(0.5f)), sine, cosine)) {
        return;
    }
#endif
    const float half[4] = {angles.z * 0.5f, angles.y * 0.5f, angles.x * 0.5f, 0.0f};
    for (int i = 0; i < 4; ++i) {
        SinCos(half[i], sine[i], cosine[i]);
    }
}
}  // namespace

Quaternion AngleQuaternion(const Vector3& angles) {
    float sine[4];
    float cosine[4];
    HalfAngles(angles, sine, cosine);
    const float sy = sine[0], cy = cosine[0];
    const float sp = sine[1], cp = cosine[1];
    const float sr = sine[2], cr = cosine[2];
    return {sr * cp * cy - cr * sp * sy, cr * sp * cy + sr * cp * sy, cr * cp * sy - sr * sp * cy,
            cr * cp * cy + sr * sp * sy};
}

Quaternion QuaternionSlerp(const Quaternion& p, const Quaternion& qIn, float t) {
    Quaternion q = qIn;
    float cosom = p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w;
    // q and -q are the same rotation: take the one nearer p (|p - q| > |p + q| exactly when p.q < 0).
    if (cosom < 0.0f) {
        q = {-q.x, -q.y, -q.z, -q.w};
        cosom = -cosom;
    }
    if (cosom < 0.5f) {
        // Far apart (more than a third of a turn between the rotations): the exact weights.
        const float omega = std::acos(cosom);
        const float sinom = std::sin(omega);
        const float weightP = std::sin((1.0f - t) * omega) / sinom;
        const float weightQ = std::sin(t * omega) / sinom;
        return {weightP * p.x + weightQ * q.x, weightP * p.y + weightQ * q.y, weightP * p.z + weightQ * q.z,
                weightP * p.w + weightQ * q.w};
    }
    // Near (as between frames and most blends): sin((1 - t) w) / sin w and
    // sin(t w) / sin w for cos w in [0.5, 1] without trigonometry, by the series of
    // D. Eberly, "A Fast and Accurate Algorithm for Computing SLERP" (2011), its
    // last term tuned for that range: within 1e-7 of the exact weights.
    constexpr int kTerms = 7;
    constexpr float kMu = 1.294f;
    static constexpr std::array<float, kTerms> u = [] {
        std::array<float, kTerms> a{};
        for (int i = 0; i < kTerms; ++i) {
            const float n = static_cast<float>(i + 1);
            a[static_cast<std::size_t>(i)] = 1.0f / (n * (2.0f * n + 1.0f));
        }
        a[kTerms - 1] *= kMu;
        return a;
    }();
    static constexpr std::array<float, kTerms> v = [] {
        std::array<float, kTerms> a{};
        for (int i = 0; i < kTerms; ++i) {
            const float n = static_cast<float>(i + 1);
            a[static_cast<std::size_t>(i)] = n / (2.0f * n + 1.0f);
        }
        a[kTerms - 1] *= kMu;
        return a;
    }();
    const float xm1 = std::min(cosom, 1.0f) - 1.0f;
    const float d = 1.0f - t;
#if defined(__SSE2__)
    // Both weights at once: lane 0 for q (t), lane 1 for p (1 - t).
    const __m128 along = _mm_setr_ps(t, d, 0.0f, 0.0f);
    const __m128 squares = _mm_mul_ps(along, along);
    const __m128 shift = _mm_set1_ps(xm1);
    const __m128 one = _mm_set1_ps(1.0f);
    __m128 weights = one;
    for (int i = kTerms - 1; i >= 0; --i) {
        const auto k = static_cast<std::size_t>(i);
        const __m128 b = _mm_mul_ps(_mm_sub_ps(_mm_mul_ps(_mm_set1_ps(u[k]), squares), _mm_set1_ps(v[k])), shift);
        weights = _mm_add_ps(one, _mm_mul_ps(b, weights));
    }
    float lanes[4];
    _mm_storeu_ps(lanes, _mm_mul_ps(weights, along));
    const float weightQ = lanes[0];
    const float weightP = lanes[1];
#else
    const float tt = t * t;
    const float dd = d * d;
    float weightQ = 1.0f;
    float weightP = 1.0f;
    for (int i = kTerms - 1; i >= 0; --i) {
        const auto k = static_cast<std::size_t>(i);
        weightQ = 1.0f + (u[k] * tt - v[k]) * xm1 * weightQ;
        weightP = 1.0f + (u[k] * dd - v[k]) * xm1 * weightP;
    }
    weightQ *= t;
    weightP *= d;
#endif
    return {weightP * p.x + weightQ * q.x, weightP * p.y + weightQ * q.y, weightP * p.z + weightQ * q.z,
            weightP * p.w + weightQ * q.w};
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
