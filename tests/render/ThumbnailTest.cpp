// Thumbnails drawn by the core: every family framed in its square, pictures
// scaled with their aspect, strips, facts, and the failures a reader reports.
#include <gtest/gtest.h>

#include <string>

#include "ThumbnailFixtures.h"
#include "media/COGLImage.h"
#include "models/ModelFamilies.h"
#include "render/Thumbnails.h"
#include "support/ArchiveWriters.h"
#include "support/TestSupport.h"

namespace {
using namespace thumbs;

class ThumbnailTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        RegisterModelClasses();
    }

    Thumbnail Draw(const std::string& archive, const std::string& name, int size = 128, int frames = 1) {
        std::string reason;
        std::optional<Thumbnail> drawn = renderer_.Draw({archive, name, size, frames}, reason);
        EXPECT_TRUE(drawn.has_value()) << name << ": " << reason;
        return drawn.value_or(Thumbnail{});
    }
    std::string Refusal(const std::string& archive, const std::string& name) {
        std::string reason;
        EXPECT_FALSE(renderer_.Draw({archive, name, 64, 1}, reason).has_value()) << name;
        return reason;
    }

    TempDir dir_;
    ThumbnailRenderer renderer_;
};

TEST_F(ThumbnailTest, FramesEveryFamilyInTheMiddleOfATransparentSquare) {
    dir_.Write("tube/skin.pcx", SolidPcx(64, 64));
    dir_.Write("players/male/grunt.pcx", SolidPcx(32, 32));
    const std::string files[] = {
        dir_.Write("tube/tris.md2", TubeMd2("models/tube/skin.pcx")),
        dir_.Write("players/male/tris.md2", TubeMd2("")),
        dir_.Write("box.mdl", BoxMdl()),
        dir_.Write("figure.mdl", FigureStudio()),
        dir_.Write("tall.spr", TallSprite()),
        std::string(MAROVIN_SOURCE_DIR) + "/samples/models/sin/figure.def",
    };
    const char* families[] = {"md2", "player", "mdl", "halflife", "sprite", "sin"};
    for (std::size_t i = 0; i < std::size(files); ++i) {
        SCOPED_TRACE(files[i]);
        const Thumbnail thumbnail = Draw("", files[i]);
        ASSERT_EQ(thumbnail.picture.width, 128);
        ASSERT_EQ(thumbnail.picture.height, 128);
        ASSERT_EQ(thumbnail.picture.channels, 4);
        EXPECT_EQ(thumbnail.facts.family, families[i]);
        EXPECT_EQ(Pixel(thumbnail.picture, 0, 0)[3], 0);
        EXPECT_EQ(Pixel(thumbnail.picture, 127, 127)[3], 0);
        ExpectFramed(thumbnail.picture);
        WritePng(TestOutputDirectory() + "/thumbnail-" + families[i] + ".png", thumbnail.picture);
    }
    // Nothing the readers said reached the test's own host.
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(ThumbnailTest, ModelsShowTheirSkinOrDrawLitAndUntexturedWithoutIt) {
    dir_.Write("red/skin.pcx", SolidPcx(64, 64, 1));
    const Thumbnail red = Draw("", dir_.Write("red/tris.md2", TubeMd2("models/red/skin.pcx")));
    const Thumbnail bare = Draw("", dir_.Write("bare/tris.md2", TubeMd2("models/bare/skin.pcx")));

    const std::vector<int> skin = MiddleColour(red.picture);
    EXPECT_GT(skin[0], skin[1] + 60);
    EXPECT_GT(skin[0], skin[2] + 60);
    EXPECT_EQ(red.facts.width, 64);
    EXPECT_EQ(red.facts.skins, 1);

    const std::vector<int> plain = MiddleColour(bare.picture);
    EXPECT_NEAR(plain[0], plain[1], 12);
    EXPECT_NEAR(plain[1], plain[2], 12);
    EXPECT_GT(plain[0], 40);  // lit, not black
    EXPECT_EQ(bare.facts.width, 0);
    EXPECT_EQ(bare.facts.skins, 1);
    // Lit by the view's light: the tube's sides shade away from the middle.
    const AlphaBox box = AlphaBoxOf(bare.picture);
    const int row = static_cast<int>(box.CentreY());
    EXPECT_GT(plain[0], Pixel(bare.picture, box.left + 1, row)[0] + 8);
    ExpectFramed(bare.picture);
}

TEST_F(ThumbnailTest, PicturesKeepTheirAspectAndColours) {
    const Thumbnail wide = Draw("", dir_.Write("wide.pcx", SolidPcx(64, 32, 2)));
    EXPECT_EQ(wide.facts.family, "picture");
    EXPECT_EQ(wide.facts.width, 64);
    EXPECT_EQ(wide.facts.height, 32);
    EXPECT_EQ(wide.facts.tiles, 1);
    const AlphaBox box = AlphaBoxOf(wide.picture);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 127);
    EXPECT_EQ(box.top, 32);
    EXPECT_EQ(box.bottom, 95);
    EXPECT_EQ(MiddleColour(wide.picture), (std::vector<int>{30, 30, 220, 255}));

    // A WAD's texture, a picture only its archive decodes, shrunk into 16 pixels.
    std::vector<std::uint8_t> indices(std::size_t(32) * 64, 7);
    const std::string wad = dir_.Write("textures.wad", fixtures::WadBuilder(true).AddMip("tall", 32, 64, indices).Build());
    const Thumbnail tall = Draw(wad, "tall", 16);
    EXPECT_EQ(tall.facts.family, "picture");
    EXPECT_EQ(tall.facts.width, 32);
    EXPECT_EQ(tall.facts.height, 64);
    const AlphaBox tallBox = AlphaBoxOf(tall.picture);
    EXPECT_EQ(tallBox.Width(), 8);
    EXPECT_EQ(tallBox.Height(), 16);
    EXPECT_EQ(tallBox.left, 4);
}

TEST_F(ThumbnailTest, FitPictureAveragesWhenItShrinksAndRepeatsWhenItGrows) {
    // Two columns, black and white, 2 x 1: shrunk to one pixel they average to grey.
    COGLImage image;
    const std::uint8_t rgb[] = {0, 0, 0, 255, 255, 255};
    ASSERT_TRUE(image.FromPixels(rgb, 2, 1));
    const PngImage grown = FitPicture(image, 16);
    EXPECT_EQ(Pixel(grown, 7, 7)[0], 0);
    EXPECT_EQ(Pixel(grown, 8, 7)[0], 255);
    EXPECT_EQ(Pixel(grown, 8, 3)[3], 0);   // above the picture
    EXPECT_EQ(Pixel(grown, 8, 12)[3], 0);  // below it
    const PngImage shrunk = FitPicture(image, 1);
    EXPECT_NEAR(Pixel(shrunk, 0, 0)[0], 128, 1);
    EXPECT_EQ(Pixel(shrunk, 0, 0)[3], 255);
}

TEST_F(ThumbnailTest, StripShowsTheFirstAnimationInTilesThatShareOneFraming) {
    const std::string path =
        dir_.Write("grow/tris.md2", GrowingBoxMd2("models/grow/skin.pcx", {"grow1", "grow2", "grow3", "grow4", "run1", "run2"},
                                                  {8.0f, 16.0f, 24.0f, 32.0f, 64.0f, 64.0f}));
    // Eight asked, four in the first animation.
    const Thumbnail strip = Draw("", path, 48, 8);
    EXPECT_EQ(strip.facts.tiles, 4);
    EXPECT_EQ(strip.facts.frames, 6);
    EXPECT_EQ(strip.facts.animations, (std::vector<std::string>{"grow", "run", "<all>"}));
    ASSERT_EQ(strip.picture.width, 4 * 48);
    ASSERT_EQ(strip.picture.height, 48);
    int lastHeight = 0;
    for (int tile = 0; tile < 4; ++tile) {
        const AlphaBox box = AlphaBoxOf(strip.picture, tile);
        ASSERT_FALSE(box.Empty()) << tile;
        EXPECT_GT(box.Height(), lastHeight) << tile;  // the box grows, the framing does not follow it
        lastHeight = box.Height();
        EXPECT_GT(box.top, 0);
        EXPECT_LT(box.bottom, 47);
    }
    ExpectFramed(strip.picture, 3);
    WritePng(TestOutputDirectory() + "/thumbnail-strip.png", strip.picture);

    // A sprite's strip is its pictures, each in its own colour.
    const Thumbnail sprite = Draw("", dir_.Write("three.spr", TallSprite({10, 120, 240})), 32, 3);
    EXPECT_EQ(sprite.facts.tiles, 3);
    EXPECT_EQ(sprite.facts.frames, 3);
    const std::uint8_t first = Pixel(sprite.picture, 16, 16)[0];
    EXPECT_NE(first, Pixel(sprite.picture, 32 + 16, 16)[0]);
    EXPECT_NE(Pixel(sprite.picture, 32 + 16, 16)[0], Pixel(sprite.picture, 64 + 16, 16)[0]);
}

TEST_F(ThumbnailTest, EntriesOfArchivesDrawAsFilesDo) {
    const std::string pak = dir_.Write("models.pk3", fixtures::ZipBuilder()
                                                         .Add("models/tube/tris.md2", TubeMd2("models/tube/skin.pcx"))
                                                         .Add("models/tube/skin.pcx", SolidPcx(64, 64))
                                                         .Add("sprites/tall.spr", TallSprite())
                                                         .Build());
    const Thumbnail tube = Draw(pak, "MODELS/Tube/tris.md2");
    EXPECT_EQ(tube.facts.width, 64);  // its skin came from the same archive
    ExpectFramed(tube.picture);
    const Thumbnail skin = Draw(pak, "models/tube/skin.pcx", 32);
    EXPECT_EQ(MiddleColour(skin.picture), (std::vector<int>{220, 30, 30, 255}));
    EXPECT_EQ(Draw(pak, "sprites/tall.spr").facts.family, "sprite");
}

TEST_F(ThumbnailTest, RefusalsSayWhyOnOneLine) {
    ByteBuffer broken = TubeMd2("x.pcx");
    broken.resize(100);
    EXPECT_EQ(Refusal("", dir_.Write("broken.md2", broken)), "Not a valid MD2 File");
    EXPECT_EQ(Refusal("", dir_.Write("notes.txt", std::string("hello"))), "not a model or picture the program reads");
    EXPECT_EQ(Refusal("", std::string(MAROVIN_SOURCE_DIR) + "/samples/scenes/demo.dv"),
              "not a model or picture the program reads");
    EXPECT_EQ(Refusal("", dir_.File("missing.md2")), "Error opening file");
    EXPECT_EQ(Refusal(dir_.Path(), "nothing.md2"), "no entry 'nothing.md2' in '" + dir_.Path() + "'");
    EXPECT_EQ(Refusal(dir_.File("nowhere.pak"), "x.md2"),
              "cannot open '" + dir_.File("nowhere.pak") + "': no such file or folder");
    std::string reason;
    EXPECT_FALSE(renderer_.Draw({"", dir_.Path() + "/x.pcx", 8, 1}, reason));
    EXPECT_TRUE(host_.messages.empty());
    // A refusal leaves nothing behind: the next model draws alone.
    dir_.Write("tube/skin.pcx", SolidPcx(64, 64));
    ExpectFramed(Draw("", dir_.Write("tube/tris.md2", TubeMd2("models/tube/skin.pcx"))).picture);
}

TEST_F(ThumbnailTest, FactsAreOneLineOfJsonInUtf8) {
    ThumbnailFacts facts{"md2", 12, {"stand", "caf\xe9 \"1\""}, 2, 256, 128, 4};
    EXPECT_EQ(ThumbnailFactsJson(facts),
              "{\"family\":\"md2\",\"frames\":12,\"animations\":[\"stand\",\"caf\xc3\xa9 \\\"1\\\"\"],\"skins\":2,"
              "\"width\":256,\"height\":128,\"tiles\":4}");
    EXPECT_EQ(ThumbnailFactsJson({"picture", 1, {}, 0, 8, 8, 1}),
              "{\"family\":\"picture\",\"frames\":1,\"animations\":[],\"skins\":0,\"width\":8,\"height\":8,\"tiles\":1}");
}

TEST_F(ThumbnailTest, LabelsAreCutShortToTheirWidth) {
    std::string reason;
    const auto shortLabel = renderer_.DrawLabel("tank", 128, reason);
    ASSERT_TRUE(shortLabel.has_value()) << reason;
    EXPECT_EQ(shortLabel->height, ThumbnailRenderer::kLabelHeight);
    EXPECT_GT(shortLabel->width, 10);
    EXPECT_LT(shortLabel->width, 60);
    const auto longLabel = renderer_.DrawLabel(std::string(80, 'W'), 100, reason);
    ASSERT_TRUE(longLabel.has_value()) << reason;
    EXPECT_LE(longLabel->width, 100);
    EXPECT_GT(longLabel->width, 80);
    // The ellipsis ends it: its three dots sit on one row in the last columns.
    int inkAtEnd = 0;
    for (int x = longLabel->width - 12; x < longLabel->width; ++x) {
        for (int y = 0; y < longLabel->height; ++y) {
            inkAtEnd += Pixel(*longLabel, x, y)[3] != 0 ? 1 : 0;
        }
    }
    EXPECT_GT(inkAtEnd, 0);
    EXPECT_LT(inkAtEnd, 20);
}

}  // namespace
