#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "models/ModelFamilies.h"
#include "models/sprite/COGLSprite.h"
#include "models/sprite/SpriteOpen.h"
#include "models/sprite/SpriteReader.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "scene/SceneViewLink.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"
#include "support/SpriteWriters.h"
#include "support/TestSupport.h"

using namespace fixtures;

namespace {

SprSprite Quake1Sprite() {
    SprSprite s;
    s.frames.push_back({false, {SolidPicture(10, 4, 4, true)}, {}});
    s.frames.push_back({true, {SolidPicture(20, 8, 2), SolidPicture(30), SolidPicture(40)}, {0.1f, 0.3f, 0.4f}});
    return s;
}

SprSprite HalfLifeSprite(int textureFormat) {
    SprSprite s;
    s.version = 2;
    s.textureFormat = textureFormat;
    s.frames.push_back({false, {SolidPicture(200, 4, 4, true)}, {}});
    s.frames.push_back({false, {SolidPicture(100)}, {}});
    return s;
}

class SpriteRead : public HostFixture {};

}  // namespace

// --- Reading ---

TEST_F(SpriteRead, TheThreeKindsAreToldApartByTheirFirstBytes) {
    const auto sp2 = ReadSpriteData(WriteSp2({{32, 16, 16, 12, "sprites/s_explod_0.pcx"}, {8, 8, 4, 4, "x.pcx"}}), true);
    ASSERT_TRUE(sp2.data);
    EXPECT_EQ(sp2.data->format, SpriteFormat::Quake2);
    ASSERT_EQ(sp2.data->pictures.size(), 2u);
    EXPECT_EQ(sp2.data->pictures[0].imageName, "sprites/s_explod_0.pcx");
    // The origin is the picture's pixel standing at the sprite's position.
    EXPECT_EQ(sp2.data->pictures[0].Left(SpriteFormat::Quake2), -16.0f);
    EXPECT_EQ(sp2.data->pictures[0].Top(), 12.0f);

    const auto q1 = ReadSpriteData(WriteSpr(Quake1Sprite()), false);
    ASSERT_TRUE(q1.data);
    EXPECT_EQ(q1.data->format, SpriteFormat::Quake1);
    ASSERT_EQ(q1.data->pictures.size(), 4u);
    EXPECT_EQ(q1.data->pictures[1].width, 8);
    EXPECT_EQ(q1.data->pictures[1].height, 2);
    EXPECT_EQ(q1.data->pictures[1].Left(SpriteFormat::Quake1), -4.0f);
    EXPECT_EQ(q1.data->pictures[0].indexes.front(), 255);

    const auto hl = ReadSpriteData(WriteSpr(HalfLifeSprite(1)), false);
    ASSERT_TRUE(hl.data);
    EXPECT_EQ(hl.data->format, SpriteFormat::HalfLife);
    EXPECT_EQ(hl.data->textureFormat, SpriteTextureFormat::Additive);
    // The file's own palette: entry i is (i, 255 - i, 128).
    EXPECT_EQ(hl.data->palette[4 * 7 + 0], 7);
    EXPECT_EQ(hl.data->palette[4 * 7 + 1], 248);
    EXPECT_EQ(hl.data->palette[4 * 7 + 2], 128);
}

TEST_F(SpriteRead, GroupTimingsAreEndTimesOrEqualSteps) {
    const auto growing = ReadSpriteData(WriteSpr(Quake1Sprite()), false);
    ASSERT_TRUE(growing.data);
    EXPECT_FLOAT_EQ(growing.data->pictures[0].duration, 1.0f);  // a single picture stands one frame
    EXPECT_FLOAT_EQ(growing.data->pictures[1].duration, 1.0f);
    EXPECT_FLOAT_EQ(growing.data->pictures[2].duration, 2.0f);
    EXPECT_FLOAT_EQ(growing.data->pictures[3].duration, 1.0f);

    SprSprite steps = Quake1Sprite();
    steps.frames[1].times = {0.2f, 0.2f, 0.2f};
    const auto equal = ReadSpriteData(WriteSpr(steps), false);
    ASSERT_TRUE(equal.data);
    EXPECT_FLOAT_EQ(equal.data->pictures[2].duration, 2.0f);

    SprSprite hostile = Quake1Sprite();
    hostile.frames[1].times = {-1.0f, std::nanf(""), 1e30f};
    const auto clamped = ReadSpriteData(WriteSpr(hostile), false);
    ASSERT_TRUE(clamped.data);
    for (const SpritePicture& p : clamped.data->pictures) {
        EXPECT_GT(p.duration, 0.0f);
        EXPECT_LE(p.duration, sprite_format::kLongestPicture);
    }
}

TEST_F(SpriteRead, EachFaultHasItsOwnMessage) {
    const auto message = [](const ByteBuffer& bytes, bool quake2) {
        return std::string(ReadSpriteData(bytes, quake2).error.text);
    };
    ByteBuffer sp2 = WriteSp2({{8, 8, 4, 4, "a.pcx"}});
    EXPECT_EQ(message(ByteBuffer(sp2.begin(), sp2.end() - 10), true), msg::kErrorReadingSprite.text);
    PatchI32(sp2, 4, 3);
    EXPECT_EQ(message(sp2, true), msg::kNotValidSprite.text);
    EXPECT_EQ(message(WriteSpr(Quake1Sprite()), true), "");  // an ".sp2" that is a Quake 1 sprite still reads
    EXPECT_EQ(message(ByteBuffer(40, 'x'), true), msg::kNotValidSprite.text);
    EXPECT_EQ(message(WriteSp2({}), true), msg::kNoSpriteTextures.text);

    const ByteBuffer spr = WriteSpr(Quake1Sprite());
    for (std::size_t length = 0; length < spr.size(); length += 5) {
        EXPECT_EQ(message(ByteBuffer(spr.begin(), spr.begin() + static_cast<std::ptrdiff_t>(length)), false),
                  msg::kErrorReadingSprite.text)
            << length;
    }
    struct Break {
        const char* what;
        std::size_t offset;
        std::int32_t value;
        const char* expected;
    };
    const std::vector<Break> breaks = {
        {"wrong ident", 0, 0x50534448, msg::kInvalidSpriteFormat.text},
        {"wrong version", 4, 3, msg::kInvalidSpriteFormat.text},
        {"unknown type", 8, 5, msg::kInvalidSpriteFormat.text},
        {"no frames", 24, 0, msg::kNoSpriteTextures.text},
        {"more frames than bytes", 24, 0x7fffffff, msg::kErrorReadingSprite.text},
        {"unknown frame type", 36, 2, msg::kInvalidSpriteFormat.text},
        {"zero width", 36 + 12, 0, msg::kInvalidSpriteFormat.text},
        {"more pixels than bytes", 36 + 12, 0x10000, msg::kErrorReadingSprite.text},
    };
    for (const Break& b : breaks) {
        ByteBuffer bytes = spr;
        PatchI32(bytes, b.offset, b.value);
        EXPECT_EQ(message(bytes, false), b.expected) << b.what;
    }
    ByteBuffer hl = WriteSpr(HalfLifeSprite(0));
    PatchI32(hl, 12, 4);
    EXPECT_EQ(message(hl, false), msg::kInvalidSpriteFormat.text) << "unknown texture format";
    SprSprite tooManyColours = HalfLifeSprite(0);
    tooManyColours.colours = 257;
    EXPECT_EQ(message(WriteSpr(tooManyColours), false), msg::kInvalidSpriteFormat.text);
}

// --- In a scene ---

namespace {
struct Document {
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};

class SpriteScene : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        RegisterModelClasses();
    }
    // The RGBA pixels of a texture (bottom row first).
    static std::vector<std::uint8_t> PixelsOf(const COGLTexture2D& texture) {
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(texture.Width() * texture.Height() * 4));
        glBindTexture(GL_TEXTURE_2D, texture.GLName());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    COGLSprite* Open(Document& d, const std::string& path) {
        host_.Clear();
        if (!d.doc.OpenFile(path).succeeded) {
            return nullptr;
        }
        return dynamic_cast<COGLSprite*>(d.scene.Objects().back().get());
    }
    TempDir dir_;
};
}  // namespace

TEST_F(SpriteScene, AQuake2SpriteFindsItsPicturesUpTheGameFolderOrInThePaks) {
    dir_.Write("baseq2/Sprites/S_Explod_0.PCX", WritePcx(8, 8, Indices(64, 5), DistinctPalette()));
    const std::string path = dir_.Write("baseq2/Sprites/s_explod.sp2",
                                        WriteSp2({{32, 32, 16, 16, "sprites/s_explod_0.pcx"},
                                                  {32, 32, 16, 16, "sprites/s_explod_1.pcx"}}));
    Document d;
    EXPECT_EQ(Open(d, path), nullptr);  // the second picture is nowhere
    EXPECT_EQ(host_.messages.size(), 1u);
    EXPECT_TRUE(host_.HasMessage(msg::kSpriteTextureFailed.text));
    EXPECT_TRUE(d.scene.Objects().empty());

    PakBuilder pak;
    pak.Add("sprites/s_explod_1.pcx", WritePcx(8, 8, Indices(64, 6), DistinctPalette()));
    d.scene.AddPak(dir_.Write("pak0.pak", pak.Build()));
    COGLSprite* sprite = Open(d, path);
    EXPECT_TRUE(host_.messages.empty());
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->Name(), "s_explod");
    EXPECT_EQ(sprite->TypeCode(), 17);
    EXPECT_EQ(sprite->GetFrameCount(), 2);
    ASSERT_EQ(sprite->FrameTextures().size(), 2u);
    EXPECT_TRUE(sprite->FrameTextures()[1]->IsBound());
    EXPECT_EQ(d.scene.Selected(), sprite);
}

TEST_F(SpriteScene, Quake1PicturesKeyOutIndex255AndHalfLifeFormatsDrawTheirWay) {
    Document d;
    COGLSprite* q1 = Open(d, dir_.Write("flame.spr", WriteSpr(Quake1Sprite())));
    ASSERT_NE(q1, nullptr);
    EXPECT_EQ(q1->GetFrameCount(), 4);
    const auto border = PixelsOf(*q1->FrameTextures()[0]);
    EXPECT_EQ(border[3], 0);                           // corner: index 255
    EXPECT_EQ(border[(1 * 4 + 1) * 4 + 3], 255);       // inside: opaque
    EXPECT_EQ(q1->TextureFormat(), SpriteTextureFormat::AlphaTest);

    COGLSprite* alphaTest = Open(d, dir_.Write("hl3.spr", WriteSpr(HalfLifeSprite(3))));
    ASSERT_NE(alphaTest, nullptr);
    const auto keyed = PixelsOf(*alphaTest->FrameTextures()[0]);
    EXPECT_EQ(keyed[3], 0);
    EXPECT_EQ(keyed[(1 * 4 + 1) * 4 + 0], 200);  // the file's palette, entry 200
    EXPECT_EQ(keyed[(1 * 4 + 1) * 4 + 1], 55);

    COGLSprite* indexAlpha = Open(d, dir_.Write("hl2.spr", WriteSpr(HalfLifeSprite(2))));
    ASSERT_NE(indexAlpha, nullptr);
    const auto alpha = PixelsOf(*indexAlpha->FrameTextures()[1]);
    EXPECT_EQ(alpha[3], 100);  // the index is the alpha ...
    EXPECT_EQ(alpha[0], 255);  // ... and the last colour the colour
    EXPECT_EQ(alpha[1], 0);

    COGLSprite* additive = Open(d, dir_.Write("hl1.spr", WriteSpr(HalfLifeSprite(1))));
    ASSERT_NE(additive, nullptr);
    EXPECT_EQ(additive->TextureFormat(), SpriteTextureFormat::Additive);

    // A normal sprite keys nothing out: index 255 is a colour like the others.
    COGLSprite* normal = Open(d, dir_.Write("hl0.spr", WriteSpr(HalfLifeSprite(0))));
    ASSERT_NE(normal, nullptr);
    EXPECT_EQ(normal->TextureFormat(), SpriteTextureFormat::Normal);
    const auto opaque = PixelsOf(*normal->FrameTextures()[0]);
    EXPECT_EQ(opaque[3], 255);
    EXPECT_EQ(opaque[0], 255);  // the file's palette, entry 255
    EXPECT_EQ(opaque[2], 128);
    EXPECT_EQ(d.scene.Objects().size(), 5u);
}

TEST_F(SpriteScene, PicturesPlayWithTheModelClockForTheirOwnTimes) {
    Document d;
    COGLSprite* sprite = Open(d, dir_.Write("flame.spr", WriteSpr(Quake1Sprite())));
    ASSERT_NE(sprite, nullptr);
    sprite->SetSpeed(0.5f);
    ASSERT_TRUE(sprite->Play());
    EXPECT_TRUE(sprite->IsAnimating());
    std::vector<int> shown;
    for (int tick = 0; tick < 11; ++tick) {
        d.scene.StepAnimations();
        shown.push_back(sprite->FrameIndex());
    }
    // Durations 1, 1, 2, 1 frames at half a frame a tick, then round again.
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 1, 2, 2, 2, 2, 3, 3, 0, 0}));

    sprite->SetLoop(false);
    sprite->SetFrame(3);
    sprite->AdvanceFrame();
    sprite->AdvanceFrame();
    EXPECT_FALSE(sprite->IsAnimating());
    EXPECT_EQ(sprite->FrameIndex(), 0);

    COGLSprite* still = Open(d, dir_.Write("still.spr", WriteSpr({1, 0, 0, 0, {{false, {SolidPicture(3)}, {}}}})));
    ASSERT_NE(still, nullptr);
    still->Play();
    EXPECT_FALSE(still->IsAnimating());
}

TEST_F(SpriteScene, SpritesSurviveASaveAndLoadCopyAndTakeTheFilterMode) {
    Document first;
    PakBuilder pak;
    pak.Add("sprites/glow.spr", WriteSpr(HalfLifeSprite(1)));
    first.scene.AddPak(dir_.Write("pak0.pak", pak.Build()));
    COGLSprite* flame = Open(first, dir_.Write("progs/flame.spr", WriteSpr(Quake1Sprite())));
    ASSERT_NE(flame, nullptr);
    flame->SetFrame(2);
    flame->SetSpeed(0.3f);
    flame->SetLoop(false);
    flame->SetPosition(1.0f, 2.0f, 3.0f);
    flame->SetName("torch");
    ASSERT_TRUE(first.doc.OpenPakEntry("sprites/GLOW.spr").succeeded);

    auto copy = CreateObject(flame->TypeCode());
    ASSERT_NE(copy, nullptr);
    copy->CopyFrom(*flame);
    auto* copied = dynamic_cast<COGLSprite*>(copy.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->FrameTextures(), flame->FrameTextures());
    EXPECT_EQ(copied->FrameIndex(), 2);
    first.scene.AddObject(std::move(copy));

    first.scene.SetTextureFilterMode(2);
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, flame->FrameTextures()[0]->GLName());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_NEAREST);

    ASSERT_TRUE(first.doc.Save(dir_.File("scene.dv")));
    const ByteBuffer saved = ReadWholeFile(dir_.File("scene.dv")).value();
    Document second;
    ASSERT_TRUE(second.doc.OpenFile(dir_.File("scene.dv")).succeeded);
    ASSERT_EQ(second.scene.Objects().size(), 3u);
    auto* flame2 = dynamic_cast<COGLSprite*>(second.scene.Objects()[0].get());
    ASSERT_NE(flame2, nullptr);
    EXPECT_EQ(flame2->Name(), "torch");
    EXPECT_EQ(flame2->FrameIndex(), 2);
    EXPECT_FLOAT_EQ(flame2->Speed(), 0.3f);
    EXPECT_FALSE(flame2->Loop());
    EXPECT_EQ(flame2->Position(), Vector3(1.0f, 2.0f, 3.0f));
    auto* glow2 = dynamic_cast<COGLSprite*>(second.scene.Objects()[1].get());
    ASSERT_NE(glow2, nullptr);
    EXPECT_NE(glow2->Pak(), nullptr);
    EXPECT_EQ(glow2->Format(), SpriteFormat::HalfLife);
    ASSERT_TRUE(second.doc.Save(dir_.File("again.dv")));
    EXPECT_EQ(ReadWholeFile(dir_.File("again.dv")).value(), saved);
}

TEST_F(SpriteScene, TheSpriteFacesTheCameraAndPicks) {
    Document d;
    SprSprite s;
    s.frames.push_back({false, {SolidPicture(79, 16, 16)}, {}});
    COGLSprite* sprite = Open(d, dir_.Write("square.spr", WriteSpr(s)));
    ASSERT_NE(sprite, nullptr);
    sprite->SetScale(1.0f / 16.0f, 1.0f / 16.0f, 1.0f / 16.0f);
    ASSERT_TRUE(gl_->Resize(64, 64));
    glViewport(0, 0, 64, 64);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);  // looking along the sprite's plane
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    sprite->Draw(COGLObject::kDrawMaterial);
    std::uint8_t pixel[4] = {};
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_GT(pixel[0] + pixel[1] + pixel[2], 0);  // turned to the viewer, it still covers the centre
    glReadPixels(2, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0] + pixel[1] + pixel[2], 0);  // half a unit around its origin
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SpriteScene, TheCommandLinePosesASpriteByItsOneAnimation) {
    Document d;
    COGLSprite* sprite = Open(d, dir_.Write("flame.spr", WriteSpr(Quake1Sprite())));
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(PoseObject(*sprite, "<all>", 2.0f));
    EXPECT_EQ(sprite->FrameIndex(), 2);
    EXPECT_TRUE(sprite->IsVisible());
    EXPECT_TRUE(PoseObject(*sprite, "", 3.0f));  // no animation named: the picture only
    EXPECT_EQ(sprite->FrameIndex(), 3);
    EXPECT_FALSE(PoseObject(*sprite, "walk", 0.0f));
    EXPECT_FALSE(sprite->IsVisible());
}
