#pragma once

// The tests' own writer of scene files: every record laid out by hand, field by
// field, independently of the scene's own Save, so both can be checked against it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/BinaryIO.h"

namespace fixture {

struct Texture {
    std::int32_t pakIndex = -1;
    std::uint8_t option = 0;
    std::string path;
};

struct TextBlock {
    std::uint8_t flag = 0;
    float real1 = 0.0f, real2 = 0.2f, real3 = 0.0f;
    std::int32_t setting = 1;
    std::string text = "Text";
    std::string font = "Arial";
    std::uint8_t flag2 = 0;
};

struct Object {
    std::int32_t code = 2;
    bool codeOnly = false;  // just the type code (a code the reader skips)
    std::string name;
    std::array<float, 4> ambient{0.2f, 0.2f, 0.2f, 1.0f};
    std::array<float, 4> diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    std::array<float, 4> specular{0, 0, 0, 1};
    std::array<float, 4> emission{0, 0, 0, 1};
    float shininess = 0.0f;
    std::array<float, 4> orientation{0, 0, 0, 1};
    std::array<float, 3> scale{1, 1, 1};
    std::array<float, 3> position{0, 0, 0};
    std::optional<float> positionXAgain;  // defaults to position[0]
    std::uint8_t visible = 1, transparent = 0, animating = 0;
    std::int32_t mode = 0;
    std::uint32_t flags = 0;
    std::int32_t textureIndex = -1;
    std::array<float, 3> textureRotation{0, 0, 0};
    std::array<float, 3> textureScale{1, 1, 1};
    std::array<float, 3> textureTranslation{0, 0, 0};
    std::int32_t envMode = 8448;
    std::int32_t textureSetting = 1;
    std::optional<std::uint8_t> planeFlag;  // plane family
    std::optional<TextBlock> text;          // text
    ByteBuffer extra;                        // anything else after the record (model records)
};

struct Light {
    std::int32_t kind = 0;
    std::string name = "Point";
    std::array<float, 4> ambient{0, 0, 0, 1};
    std::array<float, 4> diffuse{1, 1, 1, 1};
    std::array<float, 4> specular{1, 1, 1, 1};
    std::array<float, 3> position{0, 1, 3};
    float w = 1.0f;
    std::int32_t shown = 1;
    std::int32_t enabled = 1;
    // Spot lights only.
    std::array<float, 4> orientation{0, 1, 0, 0};
    float cutOff = 30.0f, exponent = 0.0f, constant = 1.0f, linear = 0.0f, quadratic = 0.0f;
};

struct Scene {
    std::uint32_t magic = 0x32565544u;  // "DUV2"
    std::int32_t version = 6;
    std::uint8_t vwep = 0;
    std::array<float, 3> background{0, 0, 0};
    std::array<float, 4> ambient{0.2f, 0.2f, 0.2f, 1.0f};
    std::optional<std::int32_t> lightCount, objectCount, textureCount;  // default: the list sizes
    std::uint8_t shadows = 0;
    std::array<std::int32_t, 8> shadowLights{-1, -1, -1, -1, -1, -1, -1, -1};
    std::array<std::int32_t, 4> shadowPlanes{-1, -1, -1, -1};
    std::uint8_t blending = 0;
    float opacity = 1.0f;
    std::vector<std::string> paks;
    std::optional<Texture> background_image;
    float fieldOfView = 45.0f;  // written only for version 6 and later
    std::array<float, 13> camera{0, -1, 0, 0, 0, 0, 0, 1, 0, 8, 0, 10, 0};
    std::vector<Texture> textures;
    std::vector<Light> lights;
    std::vector<Object> objects;
};

inline void Floats(BinaryWriter& out, const float* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out.WriteF32(values[i]);
    }
}

template <std::size_t N>
void Floats(BinaryWriter& out, const std::array<float, N>& values) {
    Floats(out, values.data(), N);
}

inline void WriteTexture(BinaryWriter& out, const Texture& t) {
    out.WriteI32(t.pakIndex);
    out.WriteU8(t.option);
    out.WriteText(t.path, 260);
}

inline void WriteObject(BinaryWriter& out, const Object& o) {
    out.WriteI32(o.code);
    if (o.codeOnly) {
        return;
    }
    out.WriteText(o.name, 100);
    Floats(out, o.ambient);
    Floats(out, o.diffuse);
    Floats(out, o.specular);
    Floats(out, o.emission);
    out.WriteF32(o.shininess);
    Floats(out, o.orientation);
    Floats(out, o.scale);
    Floats(out, o.position);
    out.WriteF32(o.positionXAgain.value_or(o.position[0]));
    out.WriteU8(o.visible);
    out.WriteU8(o.transparent);
    out.WriteU8(o.animating);
    out.WriteI32(o.mode);
    out.WriteU32(o.flags);
    out.WriteI32(o.textureIndex);
    Floats(out, o.textureRotation);
    Floats(out, o.textureScale);
    Floats(out, o.textureTranslation);
    out.WriteI32(o.envMode);
    out.WriteI32(o.textureSetting);
    if (o.planeFlag) {
        out.WriteU8(*o.planeFlag);
    }
    if (o.text) {
        const TextBlock& t = *o.text;
        out.WriteU8(t.flag);
        out.WriteF32(t.real1);
        out.WriteF32(t.real2);
        out.WriteF32(t.real3);
        out.WriteI32(t.setting);
        out.WriteText(t.text, 32);
        out.WriteText(t.font, 32);
        out.WriteU8(t.flag2);
    }
    out.WriteBytes(o.extra.data(), o.extra.size());
}

inline void WriteLight(BinaryWriter& out, const Light& l) {
    out.WriteI32(l.kind);
    out.WriteText(l.name, 100);
    Floats(out, l.ambient);
    Floats(out, l.diffuse);
    Floats(out, l.specular);
    Floats(out, l.position);
    out.WriteF32(l.w);
    out.WriteI32(l.shown);
    out.WriteI32(l.enabled);
    if (l.kind != 0) {
        Floats(out, l.orientation);
        out.WriteF32(l.cutOff);
        out.WriteF32(l.exponent);
        out.WriteF32(l.constant);
        out.WriteF32(l.linear);
        out.WriteF32(l.quadratic);
    }
}

inline ByteBuffer Write(const Scene& s) {
    BinaryWriter out;
    out.WriteU32(s.magic);
    out.WriteI32(s.version);
    out.WriteU8(s.vwep);
    Floats(out, s.background);
    Floats(out, s.ambient);
    out.WriteI32(s.lightCount.value_or(static_cast<std::int32_t>(s.lights.size())));
    out.WriteI32(s.objectCount.value_or(static_cast<std::int32_t>(s.objects.size())));
    out.WriteI32(s.textureCount.value_or(static_cast<std::int32_t>(s.textures.size())));
    out.WriteU8(s.shadows);
    for (const auto i : s.shadowLights) {
        out.WriteI32(i);
    }
    for (const auto i : s.shadowPlanes) {
        out.WriteI32(i);
    }
    out.WriteU8(s.blending);
    out.WriteF32(s.opacity);
    out.WriteI32(static_cast<std::int32_t>(s.paks.size()));
    for (const auto& p : s.paks) {
        out.WriteText(p, 260);
    }
    out.WriteU8(s.background_image ? 1 : 0);
    if (s.background_image) {
        WriteTexture(out, *s.background_image);
    }
    if (s.version >= 6) {
        out.WriteF32(s.fieldOfView);
    }
    Floats(out, s.camera);
    for (const auto& t : s.textures) {
        WriteTexture(out, t);
    }
    for (const auto& l : s.lights) {
        WriteLight(out, l);
    }
    for (const auto& o : s.objects) {
        WriteObject(out, o);
    }
    return out.Bytes();
}

}  // namespace fixture
