#pragma once

// Game files of every family for the thumbnail tests, written by the tests' own
// writers, and what the tests read back from a thumbnail.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "media/PngFile.h"
#include "support/MdlWriters.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"
#include "support/SpriteWriters.h"
#include "support/StudioWriters.h"

namespace thumbs {

// A palette of greys but for entry 1, a strong red, and entry 2, a strong blue.
inline fixtures::Palette768 SkinPalette() {
    fixtures::Palette768 palette{};
    for (int i = 0; i < 256; ++i) {
        palette[std::size_t(i) * 3] = palette[std::size_t(i) * 3 + 1] = palette[std::size_t(i) * 3 + 2] =
            static_cast<std::uint8_t>(i);
    }
    palette[3] = 220, palette[4] = 30, palette[5] = 30;
    palette[6] = 30, palette[7] = 30, palette[8] = 220;
    return palette;
}

// A width x height PCX of one colour (1 red, 2 blue).
inline ByteBuffer SolidPcx(int width, int height, std::uint8_t index = 1) {
    return fixtures::WritePcx(width, height, fixtures::Indices(std::size_t(width) * std::size_t(height), index),
                              SkinPalette());
}

// A tube of 600 triangles whose skin is `skin` (none: a player, whose skins are
// the pictures beside it), with the frames of `runs`.
inline ByteBuffer TubeMd2(const std::string& skin, const std::vector<std::pair<std::string, int>>& runs = {{"stand", 4}}) {
    fixtures::Md2Model model = fixtures::MakeTubeModel(20, 15, fixtures::NumberedFrames(runs));
    if (!skin.empty()) {
        model.skins = {skin};
    }
    return fixtures::WriteMd2(model);
}

// A box whose frames grow from `heights`, so a strip's tiles differ.
inline ByteBuffer GrowingBoxMd2(const std::string& skin, const std::vector<std::string>& frames,
                                const std::vector<float>& heights) {
    fixtures::Md2Model model = fixtures::MakeBoxModel(frames, heights);
    model.skins = {skin};
    return fixtures::WriteMd2(model);
}

inline ByteBuffer BoxMdl() { return fixtures::WriteMdl(fixtures::MakeBoxMdl({{"stand1"}, {"stand2"}, {"walk1"}})); }

inline ByteBuffer FigureStudio() { return fixtures::WriteStudioModel(fixtures::MakeFigure()); }

// A Quake 1 sprite of `indexes.size()` pictures, 32 wide and 48 high.
inline ByteBuffer TallSprite(const std::vector<std::uint8_t>& indexes = {100}) {
    fixtures::SprSprite sprite;
    for (const std::uint8_t index : indexes) {
        sprite.frames.push_back({false, {fixtures::SolidPicture(index, 32, 48)}, {}});
    }
    return fixtures::WriteSpr(sprite);
}

// The smallest box holding every pixel whose alpha is not 0, in one tile of a
// strip; empty (right < left) when there is none.
struct AlphaBox {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool Empty() const { return right < left; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
    double CentreX() const { return (left + right) / 2.0; }
    double CentreY() const { return (top + bottom) / 2.0; }
};

inline const std::uint8_t* Pixel(const PngImage& image, int x, int y) {
    return image.pixels.data() + (std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 4;
}

inline AlphaBox AlphaBoxOf(const PngImage& image, int tile = 0) {
    AlphaBox box{image.height, image.height, -1, -1};
    const int size = image.height;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (Pixel(image, tile * size + x, y)[3] != 0) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

// The thing drawn fills most of its square along its longer side, never touches
// an edge, and stands in the middle.
inline void ExpectFramed(const PngImage& image, int tile = 0) {
    const AlphaBox box = AlphaBoxOf(image, tile);
    const int size = image.height;
    ASSERT_FALSE(box.Empty());
    EXPECT_GE(std::max(box.Width(), box.Height()), size * 6 / 10);
    EXPECT_GT(box.left, 0);
    EXPECT_GT(box.top, 0);
    EXPECT_LT(box.right, size - 1);
    EXPECT_LT(box.bottom, size - 1);
    EXPECT_NEAR(box.CentreX(), (size - 1) / 2.0, size * 0.1);
    EXPECT_NEAR(box.CentreY(), (size - 1) / 2.0, size * 0.1);
}

// The colour the thumbnail has in the middle of what it shows.
inline std::vector<int> MiddleColour(const PngImage& image) {
    const AlphaBox box = AlphaBoxOf(image);
    const std::uint8_t* p = Pixel(image, static_cast<int>(box.CentreX()), static_cast<int>(box.CentreY()));
    return {p[0], p[1], p[2], p[3]};
}

}  // namespace thumbs
