#include "scene/SceneFormat.h"

namespace scene_format {
void WriteColor(BinaryWriter& out, const ColorRGBA& c) {
    out.WriteF32(c.red);
    out.WriteF32(c.green);
    out.WriteF32(c.blue);
    out.WriteF32(c.alpha);
}

ColorRGBA ReadColor(BinaryReader& in) {
    ColorRGBA c;
    c.red = in.ReadF32();
    c.green = in.ReadF32();
    c.blue = in.ReadF32();
    c.alpha = in.ReadF32();
    return c;
}

void WriteVector(BinaryWriter& out, const Vector3& v) {
    out.WriteF32(v.x);
    out.WriteF32(v.y);
    out.WriteF32(v.z);
}

Vector3 ReadVector(BinaryReader& in) {
    Vector3 v;
    v.x = in.ReadF32();
    v.y = in.ReadF32();
    v.z = in.ReadF32();
    return v;
}
}  // namespace scene_format
