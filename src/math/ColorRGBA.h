#pragma once

// Four floats in 0..1 in the order OpenGL takes them (glMaterialfv, glLightfv).
struct ColorRGBA {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 1.0f;

    constexpr ColorRGBA() = default;
    constexpr ColorRGBA(float r, float g, float b, float a = 1.0f)
        : red(r), green(g), blue(b), alpha(a) {}

    const float* Data() const { return &red; }
    constexpr bool operator==(const ColorRGBA& o) const {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
};

static_assert(sizeof(ColorRGBA) == 4 * sizeof(float), "ColorRGBA must be four packed floats");
