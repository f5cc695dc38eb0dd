// Scene behaviour that needs textures and pak archives to really load: the files
// are written here (uncompressed 24-bit TGA, 8-bit PCX, PACK archives).
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SceneFixture.h"
#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/Primitives.h"
#include "scene/SceneFormat.h"
#include "scene/SceneViewLink.h"
#include "support/ArchiveWriters.h"
#include "support/TestSupport.h"

namespace {

// A 24-bit uncompressed TGA of one colour, rows bottom-up.
ByteBuffer MakeTga(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    BinaryWriter out;
    out.WriteU8(0);  // no image id
    out.WriteU8(0);  // no colour map
    out.WriteU8(2);  // true colour, uncompressed
    out.WriteZeros(5);
    out.WriteU16(0);
    out.WriteU16(0);
    out.WriteU16(static_cast<std::uint16_t>(width));
    out.WriteU16(static_cast<std::uint16_t>(height));
    out.WriteU8(24);
    out.WriteU8(0);  // origin bottom-left
    for (int i = 0; i < width * height; ++i) {
        out.WriteU8(b);
        out.WriteU8(g);
        out.WriteU8(r);
    }
    return out.Bytes();
}

// An 8-bit PCX with a 256-colour palette, every pixel colour index 1.
ByteBuffer MakePcx(int width, int height) {
    BinaryWriter out;
    out.WriteU8(10);  // manufacturer
    out.WriteU8(5);   // version
    out.WriteU8(1);   // run-length encoded
    out.WriteU8(8);   // bits per pixel
    out.WriteU16(0);
    out.WriteU16(0);
    out.WriteU16(static_cast<std::uint16_t>(width - 1));
    out.WriteU16(static_cast<std::uint16_t>(height - 1));
    out.WriteU16(72);
    out.WriteU16(72);
    out.WriteZeros(48);
    out.WriteU8(0);
    out.WriteU8(1);  // planes
    out.WriteU16(static_cast<std::uint16_t>(width));  // bytes per line
    out.WriteU16(1);
    out.WriteZeros(58);
    for (int i = 0; i < width * height; ++i) {
        out.WriteU8(1);
    }
    out.WriteU8(12);  // palette follows
    for (int i = 0; i < 256; ++i) {
        out.WriteU8(static_cast<std::uint8_t>(i));
        out.WriteU8(static_cast<std::uint8_t>(255 - i));
        out.WriteU8(128);
    }
    return out.Bytes();
}

// A Quake 2 archive ("PACK") holding the given files.
ByteBuffer MakePak(const std::vector<std::pair<std::string, ByteBuffer>>& files) {
    BinaryWriter out;
    out.WriteBytes("PACK", 4);
    out.WriteI32(0);  // directory offset, patched below
    out.WriteI32(static_cast<std::int32_t>(files.size() * 64));
    std::vector<std::int32_t> offsets;
    for (const auto& [name, data] : files) {
        offsets.push_back(static_cast<std::int32_t>(out.Size()));
        out.WriteBytes(data.data(), data.size());
    }
    out.PatchI32(4, static_cast<std::int32_t>(out.Size()));
    for (std::size_t i = 0; i < files.size(); ++i) {
        out.WriteText(files[i].first, 56);
        out.WriteI32(offsets[i]);
        out.WriteI32(static_cast<std::int32_t>(files[i].second.size()));
    }
    return out.Bytes();
}

class SceneMedia : public GLFixture {
protected:
    void TearDown() override {
        scene_.reset();
        EXPECT_EQ(COGLLight::LightsInUse(), 0);
        GLFixture::TearDown();
    }

    COGLTexture2D* AddFileTexture(const std::string& path) {
        auto texture = std::make_unique<COGLTexture2D>();
        EXPECT_TRUE(texture->SetSource(path, nullptr, 0));
        EXPECT_TRUE(texture->Load(scene_->TextureFilterMode()));
        return scene_->AddTexture(std::move(texture));
    }

    COGLTexture2D* AddPakTexture(Archive* pak, const std::string& name) {
        auto texture = std::make_unique<COGLTexture2D>();
        EXPECT_TRUE(texture->SetSource(name, pak, 0));
        EXPECT_TRUE(texture->Load(scene_->TextureFilterMode()));
        return scene_->AddTexture(std::move(texture));
    }

    GLint MinFilterOf(const COGLTexture2D& texture) {
        glBindTexture(GL_TEXTURE_2D, texture.GLName());
        GLint filter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        return filter;
    }

    TempDir dir_;
    std::unique_ptr<COGLScene> scene_ = std::make_unique<COGLScene>();
    DefaultViewLink view_;
};

}  // namespace

TEST_F(SceneMedia, TexturesFromFilesAndPaksAreSavedByPositionAndComeBack) {
    const std::string wall = dir_.Write("wall.tga", MakeTga(4, 4, 200, 10, 10));
    const std::string pakPath = dir_.Write("pak0.pak", MakePak({{"textures/floor.tga", MakeTga(8, 2, 10, 200, 10)}}));
    ASSERT_EQ(scene_->AddPak(pakPath), 0);
    ASSERT_EQ(scene_->AddPak(pakPath), 0);  // the same archive is listed once
    COGLTexture2D* a = AddFileTexture(wall);
    COGLTexture2D* b = AddPakTexture(scene_->PakAt(0), "textures/floor.tga");
    ASSERT_TRUE(a->IsBound());
    ASSERT_TRUE(b->IsBound());
    scene_->AddObject(std::make_unique<COGLBox>())->SetTexture(a);
    scene_->AddObject(std::make_unique<COGLFloor>())->SetTexture(b);
    ASSERT_EQ(scene_->ObjectAt(1)->Texture(), b);

    COGLDoc doc(scene_.get(), &view_);
    const std::string path = dir_.File("room.dv");
    ASSERT_TRUE(doc.Save(path));
    const auto bytes = ReadWholeFile(path);
    ASSERT_TRUE(bytes);
    BinaryReader in(*bytes);
    in.Seek(8 + scene_format::kSettingsBlockSize);
    EXPECT_EQ(in.ReadI32(), 1);
    EXPECT_EQ(in.ReadText(260), pakPath);
    EXPECT_EQ(in.ReadU8(), 0);
    in.Skip(56);
    EXPECT_EQ(in.ReadI32(), -1);
    in.Skip(1);
    EXPECT_EQ(in.ReadText(260), wall);
    EXPECT_EQ(in.ReadI32(), 0);
    in.Skip(1);
    EXPECT_EQ(in.ReadText(260), "textures/floor.tga");
    // The floor's texture index, near the end of its common record.
    const std::size_t floorRecord = bytes->size() - (4 + COGLObject::kRecordSize + 1);
    BinaryReader floor(*bytes);
    floor.Seek(floorRecord + 4 + 100 + 64 + 4 + 16 + 12 + 12 + 4 + 3 + 4 + 4);
    EXPECT_EQ(floor.ReadI32(), 1);

    COGLScene loaded;
    DefaultViewLink view;
    COGLDoc reader(&loaded, &view);
    ASSERT_TRUE(reader.Open(path)) << loaded.LastLoadError();
    ASSERT_EQ(loaded.PakCount(), 1);
    ASSERT_EQ(loaded.Textures().size(), 2u);
    EXPECT_EQ(loaded.ObjectAt(0)->Texture(), loaded.TextureAt(0));
    EXPECT_EQ(loaded.ObjectAt(1)->Texture(), loaded.TextureAt(1));
    EXPECT_EQ(loaded.TextureAt(1)->Pak(), loaded.PakAt(0));
    const std::string again = dir_.File("again.dv");
    ASSERT_TRUE(reader.Save(again));
    EXPECT_EQ(ReadWholeFile(again), bytes);
}

TEST_F(SceneMedia, DroppedTexturesShiftTheOnesAfterThem) {
    const std::string wall = dir_.Write("wall.tga", MakeTga(2, 2, 1, 2, 3));
    fixture::Scene f;
    f.textures = {{-1, 0, dir_.File("gone.tga")}, {-1, 0, wall}};
    fixture::Object first;
    first.textureIndex = 0;
    fixture::Object second;
    second.textureIndex = 1;
    f.objects = {first, second};
    const std::string path = dir_.Write("shift.dv", fixture::Write(f));
    COGLDoc doc(scene_.get(), &view_);
    ASSERT_TRUE(doc.Open(path));
    ASSERT_EQ(scene_->Textures().size(), 1u);
    EXPECT_EQ(scene_->ObjectAt(0)->Texture(), scene_->TextureAt(0));  // now refers to the wall
    EXPECT_EQ(scene_->ObjectAt(1)->Texture(), nullptr);               // past the end
    EXPECT_EQ(host_.prompts.size(), 1u);
}

TEST_F(SceneMedia, TexturesFoundBesideTheSceneFileAreUsed) {
    dir_.Write("scenes/brick.tga", MakeTga(2, 2, 9, 9, 9));
    fixture::Scene f;
    f.textures = {{-1, 0, "/machine/that/saved/it/brick.tga"}};
    const std::string path = dir_.Write("scenes/moved.dv", fixture::Write(f));
    COGLDoc doc(scene_.get(), &view_);
    ASSERT_TRUE(doc.Open(path));
    ASSERT_EQ(scene_->Textures().size(), 1u);
    EXPECT_EQ(scene_->TextureAt(0)->Path(), dir_.File("scenes/brick.tga"));
    EXPECT_TRUE(host_.prompts.empty());
}

TEST_F(SceneMedia, StoredPakPositionsSurviveMissingAndAlreadyListedPaks) {
    const std::string pakA = dir_.Write("a.pak", MakePak({{"t/a.tga", MakeTga(2, 2, 1, 1, 1)}}));
    const std::string pakB = dir_.Write("b.pak", MakePak({{"t/b.tga", MakeTga(2, 2, 2, 2, 2)}}));
    // B is already listed (as the visual weapons' pak would be) before the scene loads.
    ASSERT_EQ(scene_->AddPak(pakB), 0);
    fixture::Scene f;
    f.paks = {dir_.File("missing.pak"), pakA, pakB};
    f.textures = {{2, 0, "t/b.tga"}, {1, 0, "t/a.tga"}, {0, 0, "t/a.tga"}};
    const std::string path = dir_.Write("paks.dv", fixture::Write(f));
    COGLDoc doc(scene_.get(), &view_);
    ASSERT_TRUE(doc.Open(path));
    EXPECT_EQ(scene_->PakCount(), 2);  // B kept, A added, nothing for the missing one
    ASSERT_EQ(scene_->Textures().size(), 2u);
    EXPECT_EQ(scene_->TextureAt(0)->Pak(), scene_->PakAt(0));
    EXPECT_EQ(scene_->TextureAt(0)->Path(), "t/b.tga");
    EXPECT_EQ(scene_->TextureAt(1)->Pak(), scene_->PakAt(1));
    EXPECT_EQ(scene_->TextureAt(1)->Path(), "t/a.tga");
}

TEST_F(SceneMedia, SkinsAreSearchedInTheirOrderAndCached) {
    const std::string pakPath = dir_.Write("pak0.pak", MakePak({{"players/male/grunt.tga", MakeTga(2, 2, 5, 5, 5)},
                                                                {"players/male/broken.tga", ByteBuffer(40, 0xEE)}}));
    dir_.Write("models/tank/skin.tga", MakeTga(2, 2, 7, 7, 7));
    const std::string plain = dir_.Write("plain.tga", MakeTga(2, 2, 8, 8, 8));
    ASSERT_EQ(scene_->AddPak(pakPath), 0);
    Archive* pak = scene_->PakAt(0);

    // From a pak, only when it holds the name.
    COGLTexture2D* grunt = scene_->LoadSkinTexture("players/male/grunt.tga", pak, "", 0, false);
    ASSERT_NE(grunt, nullptr);
    EXPECT_EQ(grunt->Pak(), pak);
    EXPECT_EQ(grunt->RefCount(), 1);
    EXPECT_EQ(scene_->LoadSkinTexture("players/male/grunt.tga", nullptr, "", 0, false), grunt);
    EXPECT_EQ(grunt->RefCount(), 2);
    EXPECT_EQ(scene_->LoadSkinTexture("players/male/none.tga", pak, "", 0, true), nullptr);
    // An entry that cannot be decoded does not enter the skin list.
    EXPECT_EQ(scene_->LoadSkinTexture("players/male/broken.tga", pak, "", 0, false), nullptr);
    EXPECT_EQ(scene_->SkinTextureCount(), 1u);

    // From a directory: its own file name there.
    COGLTexture2D* tank = scene_->LoadSkinTexture("models/other/skin.tga", nullptr, dir_.File("models/tank/"), 0, false);
    ASSERT_NE(tank, nullptr);
    EXPECT_EQ(tank->Path(), dir_.File("models/tank/skin.tga"));
    // The name as a path.
    EXPECT_NE(scene_->LoadSkinTexture(plain, nullptr, "", 0, false), nullptr);
    // Not found on disk: the scene's paks are searched when asked to.
    EXPECT_EQ(scene_->LoadSkinTexture("players/male/GRUNT.tga", nullptr, "", 0, false), nullptr);
    COGLTexture2D* found = scene_->LoadSkinTexture("players/male/GRUNT.tga", nullptr, "", 0, true);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Pak(), pak);
    EXPECT_EQ(scene_->SkinTextureCount(), 4u);
}

TEST_F(SceneMedia, VisualWeaponsPreloadTheirSkinsAndReportEachMissingOne) {
    const std::string vwep = dir_.Write("vwep.pak", MakePak({{"models/weapons/g_blast/base.pcx", MakePcx(4, 4)}}));
    settings_.SetInt("VWep", "Enabled", 1);
    settings_.SetString("VWep", "VWepPakFile", vwep);
    EXPECT_FALSE(scene_->SetUpVisualWeapons());
    EXPECT_EQ(scene_->VWepPak(), scene_->PakAt(0));
    EXPECT_EQ(scene_->SkinTextureCount(), 1u);
    int failures = 0;
    for (const auto& m : host_.messages) {
        failures += m.text == msg::kVWepSkinsFailed.text ? 1 : 0;
    }
    EXPECT_EQ(failures, 1);
    ASSERT_NE(scene_->FindSkinTexture("models/weapons/g_blast/base.pcx"), nullptr);
    // A scene saved now says visual weapons were on.
    BinaryWriter out;
    scene_->Save(out, view_);
    EXPECT_EQ(out.Bytes()[0], 1);
}

TEST_F(SceneMedia, BackgroundsLoadFromFilesAndPaks) {
    const std::string sky = dir_.Write("sky.tga", MakeTga(4, 4, 0, 0, 255));
    const std::string pakPath = dir_.Write("pak0.pak", MakePak({{"env/unit1_up.tga", MakeTga(2, 2, 1, 1, 1)}}));
    ASSERT_TRUE(scene_->SetBackgroundFromFile(sky));
    EXPECT_TRUE(scene_->BackgroundValid());
    ASSERT_EQ(scene_->AddPak(pakPath), 0);
    ASSERT_TRUE(scene_->SetBackgroundFromPak(scene_->PakAt(0), "env/unit1_up.tga"));
    EXPECT_EQ(scene_->Background()->Name(), "unit1_up");
    EXPECT_FALSE(scene_->SetBackgroundFromPak(scene_->PakAt(0), "env/none.tga"));
    EXPECT_FALSE(scene_->BackgroundValid());

    // The background record comes back through a save and a load.
    ASSERT_TRUE(scene_->SetBackgroundFromPak(scene_->PakAt(0), "env/unit1_up.tga"));
    BinaryWriter out;
    scene_->Save(out, view_);
    COGLScene loaded;
    DefaultViewLink view;
    BinaryReader in(out.Bytes());
    ASSERT_TRUE(loaded.Load(in, view, 6, dir_.File("x.dv")));
    ASSERT_TRUE(loaded.BackgroundValid());
    EXPECT_EQ(loaded.Background()->Pak(), loaded.PakAt(0));
}

TEST_F(SceneMedia, FilterModeReachesTexturesAndSkinsAlreadyLoaded) {
    const std::string wall = dir_.Write("wall.tga", MakeTga(4, 4, 1, 2, 3));
    COGLTexture2D* texture = AddFileTexture(wall);
    COGLTexture2D* skin = scene_->LoadSkinTexture(wall, nullptr, "", 0, false);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(MinFilterOf(*texture), GL_NEAREST);
    scene_->SetTextureFilterMode(2);
    EXPECT_EQ(MinFilterOf(*texture), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(MinFilterOf(*skin), GL_LINEAR_MIPMAP_NEAREST);
    // A texture loaded afterwards takes the scene's mode.
    EXPECT_EQ(MinFilterOf(*AddFileTexture(wall)), GL_LINEAR_MIPMAP_NEAREST);
}

TEST_F(SceneMedia, TexturedObjectsDrawWithTheirTexture) {
    const std::string red = dir_.Write("red.tga", MakeTga(4, 4, 255, 0, 0));
    COGLObject* plane = scene_->AddObject(std::make_unique<COGLPlane>());
    plane->SetTexture(AddFileTexture(red));
    plane->SetTextureEnvMode(GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    plane->Draw(COGLObject::kDrawMaterial);
    glFinish();
    std::array<unsigned char, 4> centre{};
    glReadPixels(kWidth / 2, kHeight / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre.data());
    EXPECT_GT(centre[0], 200);
    EXPECT_LT(centre[1], 30);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    // A texture still in use cannot be deleted.
    EXPECT_FALSE(scene_->DeleteTexture(scene_->TextureAt(0)));
}

// Every kind of archive joins the pak list by its path and comes back from a saved
// scene: a pk3, a WAD and a whole game folder, with textures taken from each.
TEST_F(SceneMedia, ZipsWadsAndGameFoldersAreSavedByPathAndComeBackWithTheirTextures) {
    const std::string zip = dir_.Write(
        "textures.pk3", fixtures::ZipBuilder().Add("textures/wall.tga", MakeTga(4, 4, 200, 10, 10)).Build());
    const std::string wad = dir_.Write(
        "quake.wad", fixtures::WadBuilder(false).AddMip("stone", 8, 8, std::vector<std::uint8_t>(64, 1)).Build());
    const std::string game = dir_.Path() + "/quake2/baseq2";
    ASSERT_TRUE(fixtures::FolderBuilder()
                    .Add("pak0.pak", MakePak({{"textures/floor.pcx", MakePcx(8, 8)}}))
                    .Add("textures/floor.pcx", MakePcx(2, 2))  // hidden by the pak's
                    .Write(game));
    for (const std::string& path : {zip, wad, game}) {
        ASSERT_GE(scene_->AddPak(path), 0) << path;
    }
    ASSERT_EQ(scene_->PakCount(), 3);
    EXPECT_EQ(scene_->PakAt(0)->Kind(), ArchiveKind::Zip);
    EXPECT_EQ(scene_->PakAt(1)->Kind(), ArchiveKind::Wad);
    EXPECT_EQ(scene_->PakAt(2)->Kind(), ArchiveKind::Game);
    AddPakTexture(scene_->PakAt(0), "textures/wall.tga");
    COGLTexture2D* stone = AddPakTexture(scene_->PakAt(1), "stone");
    COGLTexture2D* floor = AddPakTexture(scene_->PakAt(2), "textures/floor.pcx");
    EXPECT_EQ(stone->Width(), 8);
    EXPECT_EQ(floor->Width(), 8);  // the pak's picture wins over the loose one
    scene_->AddObject(std::make_unique<COGLBox>())->SetTexture(stone);

    COGLDoc doc(scene_.get(), &view_);
    const std::string path = dir_.File("kinds.dv");
    ASSERT_TRUE(doc.Save(path));
    COGLScene loaded;
    DefaultViewLink view;
    COGLDoc reader(&loaded, &view);
    ASSERT_TRUE(reader.Open(path)) << loaded.LastLoadError();
    EXPECT_EQ(reader.PathName(), path);  // read whole
    ASSERT_EQ(loaded.PakCount(), 3);
    EXPECT_EQ(loaded.PakAt(2)->Path(), game);
    EXPECT_EQ(loaded.PakAt(2)->Kind(), ArchiveKind::Game);
    ASSERT_EQ(loaded.Textures().size(), 3u);
    EXPECT_EQ(loaded.TextureAt(1)->Pak(), loaded.PakAt(1));
    EXPECT_EQ(loaded.TextureAt(1)->Path(), "stone");
    EXPECT_TRUE(loaded.TextureAt(1)->IsBound());
    EXPECT_EQ(loaded.ObjectAt(0)->Texture(), loaded.TextureAt(1));
    EXPECT_EQ(loaded.TextureAt(2)->Width(), 8);
    const std::string again = dir_.File("again.dv");
    ASSERT_TRUE(reader.Save(again));
    EXPECT_EQ(ReadWholeFile(again), ReadWholeFile(path));
}

// A game folder that is gone is asked for as a folder; cancelled, the scene opens
// without it, untitled, so a save cannot shorten the file it came from; pointed at
// where the game moved, the scene opens with it and its textures come back.
TEST_F(SceneMedia, AMissingGameFolderIsAskedForAsAFolder) {
    const std::string game = dir_.Path() + "/q2/baseq2";
    ASSERT_TRUE(fixtures::FolderBuilder().Add("pics/a.pcx", MakePcx(2, 2)).Write(game));
    ASSERT_GE(scene_->AddPak(game), 0);
    COGLDoc doc(scene_.get(), &view_);
    const std::string path = dir_.File("game.dv");
    ASSERT_TRUE(doc.Save(path));
    const std::string moved = dir_.Path() + "/games/quake2/baseq2";
    std::filesystem::create_directories(dir_.Path() + "/games/quake2");
    std::filesystem::rename(game, moved);
    std::filesystem::remove_all(dir_.Path() + "/q2");

    {
        COGLScene loaded;
        DefaultViewLink view;
        COGLDoc reader(&loaded, &view);
        ASSERT_TRUE(reader.Open(path));
        EXPECT_EQ(loaded.PakCount(), 0);
        ASSERT_EQ(host_.prompts.size(), 1u);
        EXPECT_EQ(host_.prompts[0], std::string("This folder") + msg::kCannotBeLocated.text);
        EXPECT_TRUE(reader.PathName().empty());
        EXPECT_TRUE(reader.IsModified());
    }
    // A file is no answer to a folder's prompt.
    host_.Clear();
    host_.promptAnswer = path;
    {
        COGLScene loaded;
        DefaultViewLink view;
        COGLDoc reader(&loaded, &view);
        ASSERT_TRUE(reader.Open(path));
        EXPECT_EQ(loaded.PakCount(), 0);
    }
    host_.Clear();
    host_.promptAnswer = moved;
    COGLScene loaded;
    DefaultViewLink view;
    COGLDoc reader(&loaded, &view);
    ASSERT_TRUE(reader.Open(path));
    ASSERT_EQ(loaded.PakCount(), 1);
    EXPECT_EQ(loaded.PakAt(0)->Path(), moved);
    EXPECT_EQ(loaded.PakAt(0)->Kind(), ArchiveKind::Game);
    EXPECT_NE(loaded.PakAt(0)->FindEntry("pics/a.pcx"), nullptr);
}
