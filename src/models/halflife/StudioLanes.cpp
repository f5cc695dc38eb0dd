#include "models/halflife/StudioLanes.h"

#include <array>
#include <cmath>

namespace studio_lanes {

namespace {
const Mask kSignBit = Bits(Splat(-0.0f));
}  // namespace

// Cephes' single precision polynomials on [-pi/4, pi/4] after a Cody-Waite
// reduction by quarter turns; the library's answer beyond |x| 8192 and for what
// is not a number.
void SinCosLanes(Lanes x, Lanes& sine, Lanes& cosine) {
    const Mask inRange = FromBits(Bits(x) & ~kSignBit) < Splat(8192.0f);
    // Adding 1.5 * 2^23 rounds to a whole number of quarter turns and leaves it
    // in the low bits of the sum.
    const Lanes shifter = Splat(12582912.0f);
    const Lanes rounded = x * Splat(0.636619772f) + shifter;
    const Mask whole = Bits(rounded) - Bits(shifter);
    const Lanes turns = rounded - shifter;
    // pi / 2 in three parts, the first two short enough that their products with
    // the turns are exact.
    const Lanes r = ((x - turns * Splat(1.5703125f)) - turns * Splat(4.837512969970703125e-4f)) -
                    turns * Splat(7.54978995489188216e-8f);
    const Lanes r2 = r * r;
    const Lanes s =
        r + r * r2 * (Splat(-1.6666654611e-1f) + r2 * (Splat(8.3321608736e-3f) + r2 * Splat(-1.9515295891e-4f)));
    const Lanes c = Splat(1.0f) - Splat(0.5f) * r2 +
                    r2 * r2 *
                        (Splat(4.166664568298827e-2f) +
                         r2 * (Splat(-1.388731625493765e-3f) + r2 * Splat(2.443315711809948e-5f)));
    // Odd quarter turns exchange sine and cosine; the sine turns negative in
    // quadrants 2 and 3, the cosine in 1 and 2.
    const Mask odd = (whole & 1) != 0;
    const Mask sineNegative = (whole & 2) != 0;
    const Mask cosineNegative = ((whole + 1) & 2) != 0;
    sine = FromBits(Bits(Select(odd, c, s)) ^ (sineNegative & kSignBit));
    cosine = FromBits(Bits(Select(odd, s, c)) ^ (cosineNegative & kSignBit));
    if (Any(~inRange)) {
        for (int i = 0; i < 4; ++i) {
            if (inRange[i] == 0) {
                sine[i] = std::sin(x[i]);
                cosine[i] = std::cos(x[i]);
            }
        }
    }
}

QuaternionLanes AngleQuaternionLanes(Lanes x, Lanes y, Lanes z) {
    const Lanes half = Splat(0.5f);
    Lanes sy, cy, sp, cp, sr, cr;
    SinCosLanes(z * half, sy, cy);
    SinCosLanes(y * half, sp, cp);
    SinCosLanes(x * half, sr, cr);
    return {sr * cp * cy - cr * sp * sy, cr * sp * cy + sr * cp * sy, cr * cp * sy - sr * sp * cy,
            cr * cp * cy + sr * sp * sy};
}

QuaternionLanes SlerpLanes(const QuaternionLanes& p, const QuaternionLanes& qIn, float t) {
    Lanes cosom = p.x * qIn.x + p.y * qIn.y + p.z * qIn.z + p.w * qIn.w;
    // q and -q are the same rotation: take the one nearer p (|p - q| > |p + q| exactly when p.q < 0).
    const Mask flip = Bits(cosom) & kSignBit;
    const QuaternionLanes q{FromBits(Bits(qIn.x) ^ flip), FromBits(Bits(qIn.y) ^ flip), FromBits(Bits(qIn.z) ^ flip),
                            FromBits(Bits(qIn.w) ^ flip)};
    cosom = FromBits(Bits(cosom) ^ flip);

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
    const Lanes one = Splat(1.0f);
    const Lanes xm1 = Select(cosom < one, cosom, one) - one;
    const float d = 1.0f - t;
    const float tt = t * t;
    const float dd = d * d;
    Lanes weightQ = one;
    Lanes weightP = one;
    for (int i = kTerms - 1; i >= 0; --i) {
        const auto k = static_cast<std::size_t>(i);
        weightQ = one + Splat(u[k] * tt - v[k]) * xm1 * weightQ;
        weightP = one + Splat(u[k] * dd - v[k]) * xm1 * weightP;
    }
    weightQ *= Splat(t);
    weightP *= Splat(d);
    // Far apart (more than a third of a turn between the rotations): the exact weights.
    const Mask far = cosom < Splat(0.5f);
    if (Any(far)) {
        for (int i = 0; i < 4; ++i) {
            if (far[i] != 0) {
                const float omega = std::acos(cosom[i]);
                const float sinom = std::sin(omega);
                weightP[i] = std::sin(d * omega) / sinom;
                weightQ[i] = std::sin(t * omega) / sinom;
            }
        }
    }
    return {weightP * p.x + weightQ * q.x, weightP * p.y + weightQ * q.y, weightP * p.z + weightQ * q.z,
            weightP * p.w + weightQ * q.w};
}

}  // namespace studio_lanes
