#include <gtest/gtest.h>

#include <cstring>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include "media/COGLImage.h"
#include "media/CPakFile.h"
#include "media/Palette.h"
#include "platform/Messages.h"
#include "support/MediaWriters.h"
#include "support/TestSupport.h"

using fixtures::Indices;

namespace {
using Rgb = std::array<int, 3>;
using Rgba = std::array<int, 4>;

// Pixel (x, y) of the final picture, y counted from the top as people see it.
Rgb PixelRgb(const COGLImage& image, int x, int yFromTop) {
    const int bpp = image.BytesPerPixel();
    const std::size_t at =
        (std::size_t(image.Height() - 1 - yFromTop) * std::size_t(image.Width()) + std::size_t(x)) * std::size_t(bpp);
    return {image.Pixels()[at], image.Pixels()[at + 1], image.Pixels()[at + 2]};
}

int Alpha(const COGLImage& image, int x, int yFromTop) {
    const std::size_t at =
        (std::size_t(image.Height() - 1 - yFromTop) * std::size_t(image.Width()) + std::size_t(x)) * 4 + 3;
    return image.Pixels()[at];
}

Rgb PaletteRgb(const fixtures::Palette768& palette, int index) {
    return {palette[std::size_t(index) * 3], palette[std::size_t(index) * 3 + 1], palette[std::size_t(index) * 3 + 2]};
}

Rgb Quake2(int index) {
    const RawPalette& p = BuiltInQuake2Palette();
    return {p[std::size_t(index) * 3], p[std::size_t(index) * 3 + 1], p[std::size_t(index) * 3 + 2]};
}

// JPEG through the same library's compressor: RGB or one grey channel.
ByteBuffer WriteJpeg(int width, int height, int components, const std::function<int(int x, int y, int c)>& value) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width) * std::size_t(components));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < components; ++c) {
                row[std::size_t(x) * std::size_t(components) + std::size_t(c)] = static_cast<JSAMPLE>(value(x, y, c));
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    ByteBuffer bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

class ImageTest : public HostFixture {
protected:
    void TearDown() override {
        BuildGammaTable(1.0f);
        HostFixture::TearDown();
    }

    bool Load(COGLImage& image, const std::string& name, const ByteBuffer& bytes, bool resize = false,
              bool defaultPalette = false) {
        return image.LoadFile(dir_.Write(name, bytes), resize, defaultPalette);
    }

    // Indices that name each pixel: (x * 16 + y), so a misplaced pixel shows.
    static Indices Numbered(int width, int height) {
        Indices out;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                out.push_back(static_cast<std::uint8_t>(x * 16 + y));
            }
        }
        return out;
    }

    void ExpectOnlyMessage(const std::string& text) {
        ASSERT_EQ(host_.messages.size(), 1u);
        EXPECT_EQ(host_.messages[0].text, text);
        host_.Clear();
    }

    TempDir dir_;
    const fixtures::Palette768 palette_ = fixtures::DistinctPalette();
};
}  // namespace

TEST_F(ImageTest, NearestPowerOfTwo) {
    const std::vector<std::pair<int, int>> cases = {{48, 32},  {1, 2},   {0, 2},     {-7, 2},      {3, 2},
                                                    {5, 4},    {6, 4},   {100, 128}, {60, 64},     {768, 512},
                                                    {769, 1024}, {1024, 1024}, {5000, 1024}};
    for (const auto& [n, expected] : cases) {
        EXPECT_EQ(COGLImage::NearestPowerOfTwo(n), expected) << n;
    }
}

TEST_F(ImageTest, PcxRowsFollowTheLineLengthAndAreNotWidened) {
    // 5 x 3 with three bytes of padding per line, the padding holding index 255:
    // neither its colour nor its transparency may show.
    const Indices pixels = Numbered(5, 3);
    COGLImage image;
    ASSERT_TRUE(Load(image, "odd.pcx", fixtures::WritePcx(5, 3, pixels, palette_, 8, 255)));
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_FALSE(image.HasAlpha());
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(PixelRgb(image, x, y), PaletteRgb(palette_, x * 16 + y)) << x << "," << y;
        }
    }
    EXPECT_TRUE(host_.messages.empty());

    // Long runs (split at 63) and literal bytes of 0xC0 and above.
    Indices runs(100 * 2, 0xC7);
    runs[150] = 255;
    ASSERT_TRUE(Load(image, "runs.pcx", fixtures::WritePcx(100, 2, runs, palette_)));
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(PixelRgb(image, 99, 0), PaletteRgb(palette_, 0xC7));
    EXPECT_EQ(Alpha(image, 99, 0), 255);
    EXPECT_EQ(Alpha(image, 50, 1), 0);
    const Rgb key = PaletteRgb(palette_, 255);
    EXPECT_EQ(image.KeyColor(), (std::array<std::uint8_t, 3>{std::uint8_t(key[0]), std::uint8_t(key[1]), std::uint8_t(key[2])}));
}

TEST_F(ImageTest, PcxResizeAndPaletteChoices) {
    COGLImage image;
    ASSERT_TRUE(Load(image, "big.pcx", fixtures::WritePcx(100, 60, Indices(6000, 3), palette_), true));
    EXPECT_EQ(image.Width(), 128);
    EXPECT_EQ(image.Height(), 64);
    ASSERT_TRUE(Load(image, "big.pcx", fixtures::WritePcx(100, 60, Indices(6000, 3), palette_), false));
    EXPECT_EQ(image.Width(), 100);
    EXPECT_EQ(image.Height(), 60);

    // The default palette replaces the file's (the built-in Quake 2 one when no
    // palette file was loaded); the file's goes through the gamma table.
    ASSERT_TRUE(Load(image, "small.pcx", fixtures::WritePcx(2, 1, {16, 1}, palette_), false, true));
    EXPECT_EQ(PixelRgb(image, 0, 0), Quake2(16));
    BuildGammaTable(0.5f);
    ASSERT_TRUE(Load(image, "small.pcx", fixtures::WritePcx(2, 1, {16, 1}, palette_)));
    const Rgb raw = PaletteRgb(palette_, 16);
    const auto& gamma = GammaTable();
    EXPECT_EQ(PixelRgb(image, 0, 0), (Rgb{gamma[std::size_t(raw[0])], gamma[std::size_t(raw[1])], gamma[std::size_t(raw[2])]}));

    // Nearest-pixel scaling repeats whole columns and rows: 7 x 1 -> 8 x 2 doubles
    // column 0 and the only row.
    BuildGammaTable(1.0f);
    ASSERT_TRUE(Load(image, "seven.pcx", fixtures::WritePcx(7, 1, {10, 20, 30, 40, 50, 60, 70}, palette_), true));
    ASSERT_EQ(image.Width(), 8);
    ASSERT_EQ(image.Height(), 2);
    EXPECT_EQ(PixelRgb(image, 0, 0), PaletteRgb(palette_, 10));
    EXPECT_EQ(PixelRgb(image, 1, 0), PaletteRgb(palette_, 10));
    EXPECT_EQ(PixelRgb(image, 2, 1), PaletteRgb(palette_, 20));
    EXPECT_EQ(PixelRgb(image, 7, 1), PaletteRgb(palette_, 70));
    // ... and drops them when shrinking: 5 -> 4 loses the last column.
    ASSERT_TRUE(Load(image, "five.pcx", fixtures::WritePcx(5, 1, {10, 20, 30, 40, 50}, palette_), true));
    ASSERT_EQ(image.Width(), 4);
    EXPECT_EQ(PixelRgb(image, 3, 0), PaletteRgb(palette_, 40));
}

TEST_F(ImageTest, BadPcxFilesFailWithTheMessageAndLeaveNoPixels) {
    const ByteBuffer good = fixtures::WritePcx(8, 8, Numbered(8, 8), palette_);
    ByteBuffer truncated(good.begin(), good.begin() + 140);  // runs out of pixel data
    ByteBuffer negative = good;
    negative[8] = 0xFE;  // xmax = -2
    negative[9] = 0xFF;
    ByteBuffer huge = good;
    huge[8] = huge[10] = 0xFF;  // 32768 x 32768 from a few hundred bytes
    huge[9] = huge[11] = 0x7F;
    const ByteBuffer headerOnly(good.begin(), good.begin() + 60);
    for (const auto& [label, bytes] : std::vector<std::pair<std::string, ByteBuffer>>{
             {"truncated", truncated}, {"negative", negative}, {"huge", huge}, {"header only", headerOnly}}) {
        COGLImage image;
        EXPECT_FALSE(Load(image, "bad.pcx", bytes)) << label;
        EXPECT_FALSE(image.HasPixels()) << label;
        ExpectOnlyMessage("Could not load Bitmap.");
    }
}

TEST_F(ImageTest, WalUsesTheQuake2PaletteAndKeysIndex255) {
    COGLImage image;
    ASSERT_TRUE(Load(image, "wall.wal", fixtures::WriteWal(4, 2, {1, 2, 3, 4, 5, 6, 7, 16})));
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(image.BytesPerPixel(), 3);
    EXPECT_EQ(image.Pixels().size(), 4u * 2u * 3u);
    EXPECT_EQ(PixelRgb(image, 0, 0), Quake2(1));
    EXPECT_EQ(PixelRgb(image, 3, 1), Quake2(16));

    ASSERT_TRUE(Load(image, "fence.wal", fixtures::WriteWal(2, 2, {255, 16, 16, 255})));
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(Alpha(image, 0, 0), 0);
    EXPECT_EQ(Alpha(image, 1, 0), 255);

    // Pictures read for a window keep B, G, R order and are never keyed.
    CPakFile pak;
    ASSERT_TRUE(pak.Open(dir_.Write("walls.pak", fixtures::PakBuilder().Add("textures/fence.wal", fixtures::WriteWal(2, 2, {255, 16, 16, 255})).Build())));
    ASSERT_TRUE(image.LoadFromArchive(pak, *pak.FindEntry("textures/fence.wal"), false, false, true));
    EXPECT_FALSE(image.HasAlpha());
    const Rgb q = Quake2(16);
    EXPECT_EQ(PixelRgb(image, 1, 0), (Rgb{q[2], q[1], q[0]}));

    ByteBuffer outside = fixtures::WriteWal(4, 4, Indices(16, 1));
    outside[40] = 0xF0;  // level 0 starts past the end
    EXPECT_FALSE(Load(image, "outside.wal", outside));
    ExpectOnlyMessage("Could not load Bitmap.");
    const ByteBuffer whole = fixtures::WriteWal(4, 4, Indices(16, 1));
    EXPECT_FALSE(Load(image, "short.wal", ByteBuffer(whole.begin(), whole.begin() + 110)));
    ExpectOnlyMessage("Could not load Bitmap.");
}

TEST_F(ImageTest, SwlUsesItsOwnPaletteAndKeysIndex63) {
    std::array<std::uint8_t, 1024> palette{};
    for (std::size_t i = 0; i < 256; ++i) {
        palette[i * 4] = static_cast<std::uint8_t>(i);
        palette[i * 4 + 1] = static_cast<std::uint8_t>(100);
        palette[i * 4 + 2] = static_cast<std::uint8_t>(255 - i);
        palette[i * 4 + 3] = 9;
    }
    COGLImage image;
    ASSERT_TRUE(Load(image, "sin.swl", fixtures::WriteSwl(2, 2, {63, 1, 2, 3}, palette)));
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(Alpha(image, 0, 0), 0);
    EXPECT_EQ(PixelRgb(image, 1, 0), (Rgb{1, 100, 254}));
    EXPECT_EQ(PixelRgb(image, 1, 1), (Rgb{3, 100, 252}));
    EXPECT_EQ(Alpha(image, 1, 1), 255);
    ASSERT_TRUE(Load(image, "opaque.swl", fixtures::WriteSwl(2, 1, {255, 0}, palette)));
    EXPECT_FALSE(image.HasAlpha());

    EXPECT_FALSE(Load(image, "short.swl", ByteBuffer(1200, 0)));
    ExpectOnlyMessage("Could not load Bitmap.");
}

TEST_F(ImageTest, TrueColourTgaInEveryLayout) {
    // Stored bottom row first: B, G, R(, A).
    const ByteBuffer stored24 = {1, 2, 3, 4, 5, 6, /* top: */ 7, 8, 9, 10, 11, 12};
    COGLImage image;
    ASSERT_TRUE(Load(image, "a.tga", fixtures::WriteTga(2, 2, stored24, {})));
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(PixelRgb(image, 0, 1), (Rgb{3, 2, 1}));
    EXPECT_EQ(PixelRgb(image, 1, 0), (Rgb{12, 11, 10}));

    // The top-left origin bit flips the rows.
    fixtures::TgaOptions topLeft;
    topLeft.topLeft = true;
    ASSERT_TRUE(Load(image, "b.tga", fixtures::WriteTga(2, 2, stored24, topLeft)));
    EXPECT_EQ(PixelRgb(image, 0, 0), (Rgb{3, 2, 1}));
    EXPECT_EQ(PixelRgb(image, 1, 1), (Rgb{12, 11, 10}));

    // 32-bit: alpha as stored, with no key and no gamma; colours through the gamma table.
    fixtures::TgaOptions rgba;
    rgba.bits = 32;
    const ByteBuffer stored32 = {0, 0, 0, 7, 40, 50, 60, 200};
    BuildGammaTable(0.5f);
    const auto& gamma = GammaTable();
    ASSERT_TRUE(Load(image, "c.tga", fixtures::WriteTga(2, 1, stored32, rgba)));
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_TRUE(image.FileAlpha());
    EXPECT_EQ(PixelRgb(image, 0, 0), (Rgb{gamma[0], gamma[0], gamma[0]}));
    EXPECT_EQ(Alpha(image, 0, 0), 7);
    EXPECT_EQ(PixelRgb(image, 1, 0), (Rgb{gamma[60], gamma[50], gamma[40]}));
    EXPECT_EQ(Alpha(image, 1, 0), 200);
    BuildGammaTable(1.0f);

    // Run-length packets, both kinds, running across rows.
    fixtures::TgaOptions rle;
    rle.type = 10;
    rle.bits = 32;
    rle.topLeft = true;
    ByteBuffer stored;
    for (int i = 0; i < 15; ++i) {
        const int v = i < 5 ? 9 : i;  // a run of five crossing from row 0 into row 1
        stored.insert(stored.end(), {std::uint8_t(v), std::uint8_t(v + 1), std::uint8_t(v + 2), std::uint8_t(v * 3)});
    }
    ASSERT_TRUE(Load(image, "d.tga", fixtures::WriteTga(3, 5, stored, rle)));
    EXPECT_EQ(PixelRgb(image, 2, 0), (Rgb{11, 10, 9}));
    EXPECT_EQ(PixelRgb(image, 1, 1), (Rgb{11, 10, 9}));
    EXPECT_EQ(PixelRgb(image, 2, 1), (Rgb{7, 6, 5}));
    EXPECT_EQ(Alpha(image, 2, 4), 42);
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(ImageTest, ColourMappedTga) {
    ByteBuffer map24;
    ByteBuffer map32;
    for (int i = 0; i < 256; ++i) {
        map24.insert(map24.end(), {std::uint8_t(i), std::uint8_t(i / 2), std::uint8_t(255 - i)});
        map32.insert(map32.end(), {std::uint8_t(i), std::uint8_t(i / 2), std::uint8_t(255 - i), std::uint8_t(0)});
    }
    fixtures::TgaOptions mapped;
    mapped.type = 1;
    mapped.bits = 8;
    COGLImage image;
    ASSERT_TRUE(Load(image, "m.tga", fixtures::WriteTga(2, 1, {10, 255}, mapped, map24)));
    EXPECT_FALSE(image.HasAlpha());  // mapped pictures are never transparent
    EXPECT_EQ(PixelRgb(image, 0, 0), (Rgb{245, 5, 10}));
    EXPECT_EQ(PixelRgb(image, 1, 0), (Rgb{0, 127, 255}));
    mapped.mapBits = 32;
    ASSERT_TRUE(Load(image, "m32.tga", fixtures::WriteTga(2, 1, {10, 255}, mapped, map32)));
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(PixelRgb(image, 0, 0), (Rgb{245, 5, 10}));
    // A short map leaves the other entries black.
    mapped.mapBits = 24;
    mapped.mapLength = 4;
    ASSERT_TRUE(Load(image, "short-map.tga", fixtures::WriteTga(2, 1, {3, 200}, mapped, ByteBuffer(map24.begin(), map24.begin() + 12))));
    EXPECT_EQ(PixelRgb(image, 0, 0), (Rgb{252, 1, 3}));
    EXPECT_EQ(PixelRgb(image, 1, 0), (Rgb{0, 0, 0}));
}

TEST_F(ImageTest, BadTgaFilesFailWithTheMessage) {
    fixtures::TgaOptions grey;
    grey.type = 3;
    grey.bits = 8;
    fixtures::TgaOptions depth16;
    depth16.bits = 16;
    fixtures::TgaOptions rle;
    rle.type = 10;
    ByteBuffer withMap = fixtures::WriteTga(1, 1, {1, 2, 3}, {});
    withMap[1] = 1;  // truecolour with a colour map
    ByteBuffer huge = fixtures::WriteTga(1, 1, {1, 2, 3}, rle);
    huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;
    const std::vector<std::pair<std::string, ByteBuffer>> bad = {
        {"greyscale", fixtures::WriteTga(1, 1, {1}, grey)},
        {"16-bit", fixtures::WriteTga(1, 1, {1, 2}, depth16)},
        {"colour map", withMap},
        {"truncated", fixtures::WriteTga(4, 4, ByteBuffer(40, 1), {})},
        {"truncated run", [&] { ByteBuffer b = fixtures::WriteTga(4, 4, ByteBuffer(48, 1), rle); b.pop_back(); return b; }()},
        {"huge", huge},
        {"zero width", fixtures::WriteTga(0, 4, {}, {})},
        {"empty", ByteBuffer{}},
    };
    for (const auto& [label, bytes] : bad) {
        COGLImage image;
        EXPECT_FALSE(Load(image, "bad.tga", bytes)) << label;
        EXPECT_FALSE(image.HasPixels());
        ExpectOnlyMessage("Could not load Bitmap.");
    }
}

TEST_F(ImageTest, JpegThroughTheLibrary) {
    // Red on top, blue below: the first stored row must be the bottom, blue one.
    const ByteBuffer jpeg = WriteJpeg(16, 16, 3, [](int, int y, int c) {
        return y < 8 ? (c == 0 ? 255 : 0) : (c == 2 ? 255 : 0);
    });
    COGLImage image;
    ASSERT_TRUE(Load(image, "photo.JPG", jpeg));
    EXPECT_EQ(image.Width(), 16);
    EXPECT_FALSE(image.HasAlpha());
    const Rgb top = PixelRgb(image, 4, 2);
    const Rgb bottom = PixelRgb(image, 4, 13);
    EXPECT_GT(top[0], 240);
    EXPECT_LT(top[2], 15);
    EXPECT_GT(bottom[2], 240);
    EXPECT_LT(bottom[0], 15);

    const ByteBuffer grey = WriteJpeg(8, 8, 1, [](int x, int, int) { return x * 30; });
    EXPECT_FALSE(Load(image, "grey.jpg", grey));
    ExpectOnlyMessage("Cannot process JPEG files in this format.");

    // A library error reaches the error reporter with the library's own text.
    EXPECT_FALSE(Load(image, "junk.jpg", ByteBuffer{'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}));
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].text.rfind("Not a JPEG file", 0), 0u) << host_.messages[0].text;
    EXPECT_EQ(host_.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(image.HasPixels());
}

TEST_F(ImageTest, BitmapsAreReadWithoutGamma) {
    const ByteBuffer rgb = {10, 20, 30, 40, 50, 60, 70, 80, 90, /* top row: */ 1, 2, 3, 4, 5, 6, 7, 8, 9};
    BuildGammaTable(0.5f);
    COGLImage image;
    ASSERT_TRUE(Load(image, "pic.bmp", fixtures::WriteBmp24(3, 2, rgb)));
    EXPECT_EQ(image.Pixels(), std::vector<std::uint8_t>(rgb.begin(), rgb.end()));

    // The default palette does not apply: said, then loaded all the same.
    ASSERT_TRUE(Load(image, "pic.bmp", fixtures::WriteBmp24(3, 2, rgb), false, true));
    ExpectOnlyMessage("Sorry, the default palette is available for PCX files only.");
    EXPECT_EQ(image.Width(), 3);

    image.SetBgrOrder(true);
    ASSERT_TRUE(image.LoadFile(dir_.File("pic.bmp"), false, false));
    EXPECT_EQ(PixelRgb(image, 0, 1), (Rgb{30, 20, 10}));

    EXPECT_FALSE(Load(image, "bad.bmp", ByteBuffer{'B', 'M', 1, 2, 3}));
    ExpectOnlyMessage("Could not load Bitmap.");
}

TEST_F(ImageTest, RunLengthEncodedBitmapsOpen) {
    const fixtures::Palette768 palette = fixtures::DistinctPalette();
    // Bottom row first: 1 1 1 2 / 3 3 0 0 / 5 5 5 5 (top).
    const fixtures::Indices indices = {1, 1, 1, 2, 3, 3, 0, 0, 5, 5, 5, 5};
    for (const int bits : {8, 4}) {
        SCOPED_TRACE(bits);
        COGLImage image;
        ASSERT_TRUE(Load(image, "rle.bmp", fixtures::WriteBmpRle(bits, 4, 3, palette, indices)));
        EXPECT_EQ(image.Width(), 4);
        EXPECT_EQ(image.Height(), 3);
        EXPECT_EQ(PixelRgb(image, 0, 0), PaletteRgb(palette, 5));
        EXPECT_EQ(PixelRgb(image, 1, 1), PaletteRgb(palette, 3));
        EXPECT_EQ(PixelRgb(image, 3, 1), PaletteRgb(palette, 0));
        EXPECT_EQ(PixelRgb(image, 2, 2), PaletteRgb(palette, 1));
        EXPECT_EQ(PixelRgb(image, 3, 2), PaletteRgb(palette, 2));
    }

    // A header claiming sides no real picture has is refused before anything is allocated.
    ByteBuffer huge = fixtures::WriteBmpRle(8, 4, 3, palette, indices);
    huge[18] = 0xFF;
    huge[19] = 0xFF;
    huge[20] = 0xFF;
    huge[21] = 0x7F;
    COGLImage image;
    EXPECT_FALSE(Load(image, "huge.bmp", huge));
    ExpectOnlyMessage("Could not load Bitmap.");

    // So is a run-length picture larger than any texture: its runs could skip
    // to the end in a few bytes, but decoding it takes the whole size.
    ByteBuffer wide = fixtures::WriteBmpRle(8, 4, 3, palette, indices);
    const std::int32_t side = 16384;
    std::memcpy(wide.data() + 18, &side, 4);
    std::memcpy(wide.data() + 22, &side, 4);
    EXPECT_FALSE(Load(image, "wide.bmp", wide));
    ExpectOnlyMessage("Could not load Bitmap.");
}

// Uncompressed rows that the file does not hold are refused, not decoded as a
// blank picture of the claimed size (a 54-byte file claimed 22784 x 10240).
TEST_F(ImageTest, BitmapRowsMustAllBeInTheFile) {
    ByteBuffer claimed = fixtures::WriteBmp24(4, 4, ByteBuffer(48, 7));
    const std::int32_t width = 3000;
    const std::int32_t height = 2000;
    std::memcpy(claimed.data() + 18, &width, 4);
    std::memcpy(claimed.data() + 22, &height, 4);
    COGLImage image;
    EXPECT_FALSE(Load(image, "claimed.bmp", claimed));
    ExpectOnlyMessage("Could not load Bitmap.");
    ByteBuffer whole = fixtures::WriteBmp24(4, 4, ByteBuffer(48, 7));
    EXPECT_TRUE(Load(image, "whole.bmp", whole));
    whole.pop_back();  // one byte of the last row missing
    EXPECT_FALSE(Load(image, "short.bmp", whole));
}

TEST_F(ImageTest, DispatchByExtensionAndEntryName) {
    COGLImage image;
    EXPECT_FALSE(Load(image, "picture.gif", ByteBuffer(10, 0)));
    EXPECT_FALSE(image.LoadFile(dir_.File("missing.pcx"), false, false));
    EXPECT_TRUE(host_.messages.empty());  // neither says anything
    ASSERT_TRUE(Load(image, "UPPER.WAL", fixtures::WriteWal(2, 1, {1, 2})));
    EXPECT_EQ(image.Path(), dir_.File("UPPER.WAL"));

    CPakFile pak;
    ASSERT_TRUE(pak.Open(dir_.Write("pics.pak", fixtures::PakBuilder()
                                                     .Add("pics/colormap.PCX", fixtures::WritePcx(2, 2, {1, 2, 3, 4}, palette_))
                                                     .Add("pics/x.bmp", fixtures::WriteBmp24(1, 1, {1, 2, 3}))
                                                     .Add("pics/x.gif", "GIF89a")
                                                     .Add("pics/xpcx", fixtures::WritePcx(1, 1, {5}, palette_))
                                                     .Build())));
    std::FILE* stream = pak.OpenStream();
    std::fseek(stream, 3, SEEK_SET);
    ASSERT_TRUE(image.LoadFromArchive(pak, *pak.FindEntry("pics/colormap.pcx"), true, false, false));
    EXPECT_EQ(image.Path(), "pics/colormap.PCX");
    EXPECT_EQ(PixelRgb(image, 1, 1), PaletteRgb(palette_, 4));
    EXPECT_EQ(std::ftell(stream), 3);  // the shared stream's position is kept
    EXPECT_EQ(pak.OpenCount(), 1);
    EXPECT_TRUE(image.LoadFromArchive(pak, *pak.FindEntry("pics/xpcx"), false, false, false));  // the last three characters decide
    // Mending the Part, which reads no BMP from archives (and the browser listed
    // one it then could not open): a bitmap decodes from the entry's bytes.
    ASSERT_TRUE(image.LoadFromArchive(pak, *pak.FindEntry("PICS/X.BMP"), false, false, false));
    EXPECT_EQ(PixelRgb(image, 0, 0), (Rgb{1, 2, 3}));
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_FALSE(image.LoadFromArchive(pak, *pak.FindEntry("pics/x.gif"), false, false, false));
    ExpectOnlyMessage("Invalid Image file format.");
    pak.CloseStream(stream);
}

TEST_F(ImageTest, IndexedPicturesForModelSkins) {
    ByteBuffer bytes = {16, 17, 18, /* second row */ 255, 0, 1, /* what follows */ 77};
    BinaryReader in(bytes);
    COGLImage image;
    ASSERT_TRUE(image.LoadIndexed(in, 3, 2));
    EXPECT_EQ(in.Tell(), 6u);  // the reader stops after the pixels
    EXPECT_EQ(image.Width(), 2);  // resized: 3 -> 2, 2 -> 2
    EXPECT_EQ(image.Height(), 2);
    EXPECT_FALSE(image.HasAlpha());
    const RawPalette& q1 = BuiltInQuake1Palette();
    EXPECT_EQ(PixelRgb(image, 0, 0), (Rgb{q1[48], q1[49], q1[50]}));
    EXPECT_EQ(PixelRgb(image, 0, 1), (Rgb{159, 91, 83}));

    BinaryReader shortReader(bytes.data(), 4);
    EXPECT_FALSE(image.LoadIndexed(shortReader, 3, 2));
    ExpectOnlyMessage("Could not load Bitmap.");
}

TEST_F(ImageTest, IndexedPicturesForSpritesInEveryMode) {
    std::array<std::uint8_t, 1024> palette{};
    for (std::size_t i = 0; i < 256; ++i) {
        palette[i * 4] = static_cast<std::uint8_t>(i);
        palette[i * 4 + 1] = static_cast<std::uint8_t>(i + 1);
        palette[i * 4 + 2] = static_cast<std::uint8_t>(i + 2);
    }
    palette[7 * 4 + 0] = 255;  // index 7 shares the colour of index 255 (255, 0, 1)
    palette[7 * 4 + 1] = 0;
    palette[7 * 4 + 2] = 1;
    const ByteBuffer indices = {10, 20, 30, 40, 50, 60};  // 3 x 2, top row first
    BuildGammaTable(0.5f);  // sprite palettes are used as given

    COGLImage image;
    BinaryReader opaque(indices);
    ASSERT_TRUE(image.LoadIndexed(opaque, palette.data(), 3, 2, 1));
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(PixelRgb(image, 0, 0), (Rgb{10, 11, 12}));

    const ByteBuffer keyed = {255, 7, 1, 2};
    BinaryReader keyedReader(keyed);
    ASSERT_TRUE(image.LoadIndexed(keyedReader, palette.data(), 2, 2, 3));
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(Alpha(image, 0, 0), 0);
    EXPECT_EQ(Alpha(image, 1, 0), 0);  // the key is a colour, not an index
    EXPECT_EQ(Alpha(image, 0, 1), 255);

    // Box filter: 3 x 2 -> 4 x 2; column samples (0,0) (0,1) (1,2) (2,2); alpha is
    // the index itself.
    BinaryReader boxReader(indices);
    ASSERT_TRUE(image.LoadIndexed(boxReader, palette.data(), 3, 2, 2));
    ASSERT_TRUE(image.HasAlpha());
    ASSERT_EQ(image.Width(), 4);
    ASSERT_EQ(image.Height(), 2);
    EXPECT_EQ(PixelRgb(image, 0, 0), (Rgb{10, 11, 12}));
    EXPECT_EQ(Alpha(image, 0, 0), 10);
    EXPECT_EQ(PixelRgb(image, 1, 0), (Rgb{15, 16, 17}));  // (10 + 20 + 10 + 20) / 4
    EXPECT_EQ(Alpha(image, 1, 0), 10);
    EXPECT_EQ(PixelRgb(image, 2, 1), (Rgb{55, 56, 57}));
    EXPECT_EQ(Alpha(image, 3, 1), 60);

    std::vector<std::uint8_t> wide(300, 9);
    BinaryReader wideReader(wide);
    ASSERT_TRUE(image.LoadIndexed(wideReader, palette.data(), 300, 1, 2));
    EXPECT_EQ(image.Width(), 256);
    EXPECT_EQ(image.Height(), 1);

    BinaryReader ignored(indices);
    EXPECT_TRUE(image.LoadIndexed(ignored, palette.data(), 3, 2, 4));
    EXPECT_FALSE(image.HasPixels());
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(ImageTest, CopyAndFree) {
    COGLImage image;
    ASSERT_TRUE(Load(image, "fence.wal", fixtures::WriteWal(2, 2, {255, 16, 16, 255})));
    COGLImage copy;
    copy.Copy(image);
    EXPECT_EQ(copy.Pixels(), image.Pixels());
    EXPECT_EQ(copy.HasAlpha(), image.HasAlpha());
    EXPECT_EQ(copy.KeyColor(), image.KeyColor());
    EXPECT_EQ(copy.Path(), image.Path());
    image.FreePixels();
    EXPECT_FALSE(image.HasPixels());
    EXPECT_TRUE(copy.HasPixels());
}
