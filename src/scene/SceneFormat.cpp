#include "scene/SceneFormat.h"

#include <array>
#include <cstddef>

namespace scene_format {
namespace {
template <std::size_t N>
void WriteReals(BinaryWriter& out, const std::array<float, N>& reals) {
    for (const float real : reals) {
        out.WriteF32(real);
    }
}

template <std::size_t N>
std::array<float, N> ReadReals(BinaryReader& in) {
    std::array<float, N> reals{};
    for (float& real : reals) {
        real = in.ReadF32();
    }
    return reals;
}
}  // namespace

void WriteColor(BinaryWriter& out, const ColorRGBA& c) { WriteReals<4>(out, {c.red, c.green, c.blue, c.alpha}); }

ColorRGBA ReadColor(BinaryReader& in) {
    const auto c = ReadReals<4>(in);
    return {c[0], c[1], c[2], c[3]};
}

void WriteVector(BinaryWriter& out, const Vector3& v) { WriteReals<3>(out, {v.x, v.y, v.z}); }

Vector3 ReadVector(BinaryReader& in) {
    const auto v = ReadReals<3>(in);
    return {v[0], v[1], v[2]};
}
}  // namespace scene_format
