#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdio>

#include "media/COGLImage.h"
#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "platform/FileLocator.h"
#include "support/MediaWriters.h"
#include "support/TestSupport.h"

using fixtures::Indices;

namespace {
class TextureTest : public GLFixture {
protected:
    GLint TexParameter(unsigned name, GLenum parameter) {
        glBindTexture(GL_TEXTURE_2D, name);
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
        return value;
    }

    GLint LevelParameter(unsigned name, GLint level, GLenum parameter) {
        glBindTexture(GL_TEXTURE_2D, name);
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
        return value;
    }

    std::vector<std::uint8_t> LevelZero(unsigned name, int width, int height, GLenum format, int bytes) {
        glBindTexture(GL_TEXTURE_2D, name);
        std::vector<std::uint8_t> out(std::size_t(width) * std::size_t(height) * std::size_t(bytes));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
        return out;
    }

    TempDir dir_;
    const fixtures::Palette768 palette_ = fixtures::DistinctPalette();
};
}  // namespace

TEST_F(TextureTest, LoadsFromDiskOnceWithMipmapsAndTheFilterMode) {
    Indices pixels(6 * 3, 4);
    pixels[0] = 255;
    const std::string path = dir_.Write("skins/Skin.PCX", fixtures::WritePcx(6, 3, pixels, palette_));
    COGLTexture2D texture;
    EXPECT_FALSE(texture.SetSource(dir_.File("skins/missing.pcx"), nullptr, 0));
    ASSERT_TRUE(texture.SetSource(path, nullptr, 0));
    EXPECT_EQ(texture.Name(), "Skin");
    EXPECT_EQ(texture.GLName(), 0u);

    ASSERT_TRUE(texture.Load(2));
    const unsigned name = texture.GLName();
    ASSERT_NE(name, 0u);
    EXPECT_TRUE(glIsTexture(name));
    EXPECT_EQ(texture.RefCount(), 1);
    EXPECT_EQ(texture.Image(), nullptr);  // the picture is freed once uploaded
    EXPECT_EQ(texture.Width(), 4);        // resized to powers of two
    EXPECT_EQ(texture.Height(), 2);  // 3 lies as near 2 as 4: the smaller wins
    EXPECT_EQ(LevelParameter(name, 0, GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(LevelParameter(name, 2, GL_TEXTURE_WIDTH), 1);  // mipmaps down to 1 x 1
    EXPECT_EQ(LevelParameter(name, 0, GL_TEXTURE_ALPHA_SIZE) > 0, true);
    EXPECT_EQ(TexParameter(name, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(TexParameter(name, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(TexParameter(name, GL_TEXTURE_WRAP_S), GL_REPEAT);
    GLint rowLength = -1;
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    EXPECT_EQ(rowLength, 0);  // the upload leaves the unpack state as it found it

    ASSERT_TRUE(texture.Load(2));  // a second load makes nothing new
    EXPECT_EQ(texture.GLName(), name);
    EXPECT_EQ(texture.RefCount(), 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureTest, FilterModesSetTheParametersAndTheHint) {
    COGLTexture2D texture;
    const std::uint8_t rgb[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_TRUE(texture.FromPixels(rgb, 2, 2, 1));
    const unsigned name = texture.GLName();
    GLint hint = 0;
    ApplyTextureParameters(name, 0);
    EXPECT_EQ(TexParameter(name, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(TexParameter(name, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
    EXPECT_EQ(hint, GL_FASTEST);
    ApplyTextureParameters(name, 1);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST);
    EXPECT_EQ(TexParameter(name, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    ApplyTextureParameters(name, 2);
    ApplyTextureParameters(name, 7);  // unknown: filters stay, wrapping is still set
    EXPECT_EQ(TexParameter(name, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(TexParameter(name, GL_TEXTURE_WRAP_T), GL_REPEAT);
    // The uploaded pixels are the given ones, as stored.
    EXPECT_EQ(LevelZero(name, 2, 2, GL_RGB, 3), std::vector<std::uint8_t>(std::begin(rgb), std::end(rgb)));
}

TEST_F(TextureTest, LoadsFromAPakAndKeepsTheSharedStreamPosition) {
    const ByteBuffer wal = fixtures::WriteWal(4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
    ByteBuffer broken = fixtures::WriteWal(4, 2, Indices(8, 1));
    broken[32] = 0xFF;  // width -1
    CPakFile pak;
    ASSERT_TRUE(pak.Open(dir_.Write("tex.pak", fixtures::PakBuilder()
                                                   .Add("textures/e1/wall.wal", wal)
                                                   .Add("textures/e1/broken.wal", broken)
                                                   .Build())));
    std::FILE* stream = pak.OpenStream();
    std::fseek(stream, 9, SEEK_SET);

    COGLTexture2D texture;
    ASSERT_TRUE(texture.SetSource("TEXTURES/E1/WALL.WAL", &pak, 0));
    ASSERT_TRUE(texture.Load(1));
    EXPECT_NE(texture.GLName(), 0u);
    EXPECT_EQ(texture.Pak(), &pak);
    EXPECT_EQ(texture.Name(), "WALL");
    EXPECT_EQ(std::ftell(stream), 9);
    EXPECT_EQ(pak.OpenCount(), 1);
    EXPECT_TRUE(host_.messages.empty());

    // A picture that cannot be decoded fails the load and leaves no GL name.
    COGLTexture2D bad;
    ASSERT_TRUE(bad.SetSource("textures/e1/broken.wal", &pak, 0));
    EXPECT_FALSE(bad.Load(1));
    EXPECT_EQ(bad.GLName(), 0u);
    EXPECT_EQ(bad.RefCount(), 0);
    EXPECT_TRUE(host_.HasMessage("Could not load Bitmap."));
    EXPECT_EQ(std::ftell(stream), 9);
    EXPECT_EQ(pak.OpenCount(), 1);

    COGLTexture2D missing;
    ASSERT_TRUE(missing.SetSource("textures/e1/none.wal", &pak, 0));  // not checked until loaded
    EXPECT_FALSE(missing.Load(1));
    pak.CloseStream(stream);
    EXPECT_EQ(pak.OpenCount(), 0);
}

TEST_F(TextureTest, IndexedDataReferenceCountsAndDestruction) {
    const ByteBuffer indices = {16, 17, 18, 19};
    BinaryReader in(indices);
    auto texture = std::make_unique<COGLTexture2D>();
    ASSERT_TRUE(texture->FromIndexed(in, 2, 2, 1));
    const unsigned name = texture->GLName();
    ASSERT_NE(name, 0u);
    EXPECT_EQ(texture->RefCount(), 1);
    texture->AddRef();
    EXPECT_FALSE(texture->Release());
    EXPECT_TRUE(texture->Release());  // the last reference: the owner destroys it
    texture.reset();
    EXPECT_FALSE(glIsTexture(name));

    std::array<std::uint8_t, 1024> palette{};
    palette[255 * 4] = 200;
    const ByteBuffer sprite = {255, 1, 1, 1};
    BinaryReader spriteIn(sprite);
    COGLTexture2D keyed;
    ASSERT_TRUE(keyed.FromIndexed(spriteIn, palette.data(), 2, 2, 3, 1));
    EXPECT_GT(LevelParameter(keyed.GLName(), 0, GL_TEXTURE_ALPHA_SIZE), 0);
    BinaryReader nothing(sprite);
    COGLTexture2D none;
    EXPECT_FALSE(none.FromIndexed(nothing, palette.data(), 2, 2, 9, 1));  // a mode that makes no picture
    BinaryReader shortIn(sprite.data(), 2);
    EXPECT_FALSE(none.FromIndexed(shortIn, 2, 2, 1));
    EXPECT_EQ(none.GLName(), 0u);
}

TEST_F(TextureTest, CopyReadsTheSourceAgainAndRecordsRoundTrip) {
    const std::string path = dir_.Write("pic.wal", fixtures::WriteWal(2, 2, {1, 2, 3, 4}));
    COGLTexture2D original;
    ASSERT_TRUE(original.SetSource(path, nullptr, 1));
    ASSERT_TRUE(original.Load(1));
    COGLTexture2D copy;
    copy.Copy(original, 1);
    EXPECT_NE(copy.GLName(), 0u);
    EXPECT_NE(copy.GLName(), original.GLName());
    EXPECT_EQ(copy.Path(), path);
    EXPECT_EQ(copy.LoadOption(), 1);

    CPakFile pak;
    ASSERT_TRUE(pak.Open(dir_.Write("r.pak", fixtures::PakBuilder().Add("pics/a.wal", "x").Build())));
    COGLTexture2D inPak;
    ASSERT_TRUE(inPak.SetSource("pics/a.wal", &pak, 0));
    BinaryWriter out;
    original.SaveRecord(out, -1);
    inPak.SaveRecord(out, 0);
    ASSERT_EQ(out.Size(), 2 * COGLTexture2D::kRecordSize);

    BinaryReader in(out.Bytes());
    const auto pakAt = [&](int index) { return index == 0 ? &pak : nullptr; };
    COGLTexture2D fromDisk;
    ASSERT_TRUE(fromDisk.LoadRecord(in, pakAt, nullptr, FileLocator::Texture));
    EXPECT_EQ(fromDisk.Path(), path);
    EXPECT_EQ(fromDisk.Pak(), nullptr);
    EXPECT_EQ(fromDisk.LoadOption(), 1);
    COGLTexture2D fromPak;
    ASSERT_TRUE(fromPak.LoadRecord(in, pakAt, nullptr, FileLocator::Texture));
    EXPECT_EQ(fromPak.Pak(), &pak);
    EXPECT_EQ(fromPak.Path(), "pics/a.wal");
}
