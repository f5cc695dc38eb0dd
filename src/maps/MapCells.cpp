#include "maps/MapCells.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kCell = 64.0f;
constexpr float kMostCellsAcross = 32.0f;
// A cut leaves at least this much on both sides.
constexpr float kSmallestCut = 8.0f;

float AxisOf(const Vector3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

MapVertex Between(const MapVertex& a, const MapVertex& b, float f) {
    MapVertex v;
    v.position = a.position + (b.position - a.position) * f;
    v.s = a.s + (b.s - a.s) * f;
    v.t = a.t + (b.t - a.t) * f;
    v.lightS = a.lightS + (b.lightS - a.lightS) * f;
    v.lightT = a.lightT + (b.lightT - a.lightT) * f;
    return v;
}
}  // namespace

std::vector<std::vector<MapVertex>> CutIntoCells(std::span<const MapVertex> polygon, std::size_t& budget) {
    if (polygon.empty()) {
        return {};
    }
    Vector3 lo = polygon[0].position;
    Vector3 hi = lo;
    for (const MapVertex& v : polygon) {
        lo = {std::min(lo.x, v.position.x), std::min(lo.y, v.position.y), std::min(lo.z, v.position.z)};
        hi = {std::max(hi.x, v.position.x), std::max(hi.y, v.position.y), std::max(hi.z, v.position.z)};
    }
    const float widest = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z});
    const float cell = std::max(kCell, widest / kMostCellsAcross);
    std::vector<std::vector<MapVertex>> done;
    std::vector<std::vector<MapVertex>> pending{{polygon.begin(), polygon.end()}};
    while (!pending.empty()) {
        std::vector<MapVertex> piece = std::move(pending.back());
        pending.pop_back();
        bool cut = false;
        for (int axis = 0; axis < 3 && !cut && budget > 0; ++axis) {
            float low = AxisOf(piece[0].position, axis);
            float high = low;
            for (const MapVertex& v : piece) {
                low = std::min(low, AxisOf(v.position, axis));
                high = std::max(high, AxisOf(v.position, axis));
            }
            const float at = cell * std::floor((low + high) * 0.5f / cell + 0.5f);
            if (!std::isfinite(at) || at - low < kSmallestCut || high - at < kSmallestCut) {
                continue;
            }
            std::vector<MapVertex> below;
            std::vector<MapVertex> above;
            for (std::size_t k = 0; k < piece.size(); ++k) {
                const MapVertex& a = piece[k];
                const MapVertex& b = piece[(k + 1) % piece.size()];
                const float da = AxisOf(a.position, axis) - at;
                const float db = AxisOf(b.position, axis) - at;
                if (da <= 0.0f) {
                    below.push_back(a);
                }
                if (da >= 0.0f) {
                    above.push_back(a);
                }
                if ((da < 0.0f && db > 0.0f) || (da > 0.0f && db < 0.0f)) {
                    const MapVertex v = Between(a, b, da / (da - db));
                    below.push_back(v);
                    above.push_back(v);
                }
            }
            if (below.size() >= 3 && above.size() >= 3) {
                pending.push_back(std::move(below));
                pending.push_back(std::move(above));
                --budget;
                cut = true;
            }
        }
        if (!cut) {
            done.push_back(std::move(piece));
        }
    }
    return done;
}
