#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "models/quake2/COGLPlayer.h"
#include "models/quake2/MD2Open.h"
#include "models/ModelFamilies.h"
#include "models/ModelFixtures.h"
#include "support/ArchiveWriters.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "scene/SceneViewLink.h"

using namespace model_fixtures;

namespace {

// A document with its scene and a stand-in view, as the program opens files into.
struct Document {
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};

class ModelScene : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        RegisterModelClasses();
        SetMD2OpenOptions({});
        folder_ = WritePlayerFolder(dir_);
        tank_ = dir_.Write("models/tank/tris.md2", AnimatedBox({{"idle", 3}, {"fire", 2}}, {"models/tank/skin.pcx"}));
        dir_.Write("models/tank/skin.pcx", Skin(7));
        settings_.SetInt(settings_keys::kVWep, settings_keys::kEnabled, 1);
        const std::string pak = dir_.Write("vwep.pak", FlagPak());
        settings_.SetString(settings_keys::kVWep, settings_keys::kVWepPakFile, pak);
        settings_.SetString(settings_keys::kVWep, settings_keys::kCTFPakFile, pak);
    }
    void TearDown() override {
        SetMD2OpenOptions({});
        GLFixture::TearDown();
    }

    static ByteBuffer Saved(Document& d, const std::string& path) {
        EXPECT_TRUE(d.doc.Save(path));
        return ReadWholeFile(path).value_or(ByteBuffer{});
    }

    bool Prompted(const std::string& label) const {
        const std::string title = label + msg::kCannotBeLocated.text;
        return std::find(host_.prompts.begin(), host_.prompts.end(), title) != host_.prompts.end();
    }

    TempDir dir_;
    PlayerFolder folder_;
    std::string tank_;
};

}  // namespace

// --- Opening models ---

TEST_F(ModelScene, AModelFileIsAddedSkinnedAndSelected) {
    Document d;
    const OpenFileResult result = d.doc.OpenFile(dir_.File("models/tank/TRIS.Md2"));
    EXPECT_EQ(result.kind, OpenedKind::Model);
    ASSERT_TRUE(result.succeeded);
    ASSERT_EQ(d.scene.Objects().size(), 1u);
    auto* tank = dynamic_cast<COGLMD2*>(d.scene.Objects().front().get());
    ASSERT_NE(tank, nullptr);
    EXPECT_EQ(tank->TypeCode(), 12) << "skins named in the file: not a player";
    EXPECT_EQ(tank->Name(), "tank");
    ASSERT_EQ(tank->Skins().size(), 1u);
    EXPECT_EQ(tank->Texture(), tank->Skins().front());
    EXPECT_EQ(d.scene.Selected(), tank);
    EXPECT_GE(host_.refreshes, 1);
    EXPECT_EQ(d.view.RepaintCount(), 1);
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(ModelScene, TheOptionsDecideBetweenModelAndPlayer) {
    Document d;
    d.scene.SetUpVisualWeapons();
    ASSERT_TRUE(d.doc.OpenFile(folder_.body).succeeded);
    auto* player = dynamic_cast<COGLPlayer*>(d.scene.Objects().back().get());
    ASSERT_NE(player, nullptr) << "no skins named: auto-detected as a player";
    EXPECT_EQ(player->CurrentWeaponIndex(), 0) << "the first weapon is set up";
    EXPECT_EQ(player->Texture(), player->Skins().front());
    EXPECT_EQ(player->Skins().front()->LoadOption(), 0);

    SetMD2OpenOptions({.useDefaultPalette = false, .autoDetectPlayer = false, .loadAsPlayer = false});
    ASSERT_TRUE(d.doc.OpenFile(folder_.body).succeeded);
    EXPECT_EQ(d.scene.Objects().back()->TypeCode(), 12);

    SetMD2OpenOptions({.useDefaultPalette = true, .autoDetectPlayer = true, .loadAsPlayer = true});
    ASSERT_TRUE(d.doc.OpenFile(tank_).succeeded);
    EXPECT_EQ(d.scene.Objects().back()->TypeCode(), 13);

    // Skins already in the store are shared; a fresh folder shows the palette option.
    WritePlayerFolder(dir_, "players/female", false);
    ASSERT_TRUE(d.doc.OpenFile(dir_.File("players/female/tris.md2")).succeeded);
    auto* female = dynamic_cast<COGLPlayer*>(d.scene.Objects().back().get());
    ASSERT_NE(female, nullptr);
    EXPECT_EQ(female->Skins().front()->LoadOption(), 1);
}

TEST_F(ModelScene, AFileThatDoesNotLoadAddsNothing) {
    Document d;
    const std::string bad = dir_.Write("models/bad/tris.md2", std::string("IDP2 but nothing else"));
    const OpenFileResult result = d.doc.OpenFile(bad);
    EXPECT_FALSE(result.succeeded);
    EXPECT_TRUE(d.scene.Objects().empty());
    ASSERT_EQ(host_.messages.size(), 2u);
    EXPECT_EQ(host_.messages[0].text, msg::kNotValidMd2.text);
    EXPECT_EQ(host_.messages[1].text, msg::kErrorOpeningFile.text);

    host_.Clear();
    EXPECT_FALSE(d.doc.OpenFile(dir_.File("models/none/tris.md2")).succeeded);
    EXPECT_TRUE(host_.HasMessage(msg::kErrorOpeningFile.text));

    // Cut anywhere, a model file is refused and nothing enters the scene.
    const ByteBuffer whole = ReadWholeFile(tank_).value();
    for (std::size_t length = 0; length < whole.size(); length += 7) {
        dir_.Write("models/cut/tris.md2", ByteBuffer(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
        EXPECT_FALSE(d.doc.OpenFile(dir_.File("models/cut/tris.md2")).succeeded) << length;
    }
    EXPECT_TRUE(d.scene.Objects().empty());
    EXPECT_EQ(d.scene.SkinTextureCount(), 0u) << "no skin is kept for a refused file";
}

TEST_F(ModelScene, AModelWithoutSkinsIsAddedWithAMessage) {
    Document d;
    const std::string path = dir_.Write("models/plain/tris.md2", AnimatedBox({{"idle", 2}}, {"models/plain/gone.pcx"}));
    ASSERT_TRUE(d.doc.OpenFile(path).succeeded);
    EXPECT_TRUE(host_.HasMessage(msg::kCouldNotLoadModelTextures.text));
    ASSERT_EQ(d.scene.Objects().size(), 1u);
    EXPECT_EQ(d.scene.Objects().front()->Texture(), nullptr);
}

TEST_F(ModelScene, AModelInAPakOpensFromItsEntry) {
    Document d;
    fixtures::PakBuilder builder;
    builder.Add("models/monsters/soldier/medium/tris.md2", AnimatedBox({{"stand", 2}}, {"models/monsters/soldier/skin.pcx"}));
    builder.Add("models/monsters/soldier/skin.pcx", Skin(2));
    Archive* pak = d.scene.PakAt(d.scene.AddPak(dir_.Write("pak1.pak", builder.Build())));
    ASSERT_NE(pak, nullptr);
    COGLMD2* soldier = OpenModelFromPak(d.doc, *pak, "MODELS/monsters/soldier/medium/tris.md2");
    ASSERT_NE(soldier, nullptr);
    EXPECT_EQ(soldier->Name(), "soldier");
    EXPECT_EQ(soldier->Pak(), pak);
    EXPECT_EQ(soldier->FilePath(), "models/monsters/soldier/medium/tris.md2");
    EXPECT_EQ(soldier->Texture(), soldier->Skins().front());
    EXPECT_EQ(OpenModelFromPak(d.doc, *pak, "models/none/tris.md2"), nullptr);
    EXPECT_TRUE(host_.HasMessage(msg::kErrorOpeningFile.text));
}

// A game's data is spread over its archives: a model in pak0 finds its skin in a
// pk3 of the same game folder, and the mod stacked over the game finds both.
TEST_F(ModelScene, AModelInAGameFolderFindsItsSkinInAnotherArchiveOfTheGame) {
    Document d;
    fixtures::PakBuilder models;
    models.Add("models/monsters/tank/tris.md2", AnimatedBox({{"stand", 2}}, {"models/monsters/tank/skin.pcx"}));
    const std::string root = dir_.Path() + "/quake2";
    ASSERT_TRUE(fixtures::FolderBuilder()
                    .Add("baseq2/pak0.pak", models.Build())
                    .Add("baseq2/skins.pk3", fixtures::ZipBuilder().Add("models/monsters/tank/skin.pcx", Skin(4)).Build())
                    .Add("mymod/readme.txt", std::string("a mod"))
                    .Write(root));
    Archive* game = d.scene.PakAt(d.scene.AddPak(root + "/mymod"));
    ASSERT_NE(game, nullptr);
    ASSERT_EQ(game->Kind(), ArchiveKind::Game);
    const OpenFileResult opened = d.doc.OpenPakEntry("models/monsters/tank/tris.md2");
    ASSERT_TRUE(opened.succeeded);
    auto* tank = dynamic_cast<COGLMD2*>(d.scene.Selected());
    ASSERT_NE(tank, nullptr);
    ASSERT_FALSE(tank->Skins().empty());
    EXPECT_EQ(tank->Texture(), tank->Skins().front());
    EXPECT_TRUE(tank->Texture()->IsBound());
    EXPECT_FALSE(host_.HasMessage(msg::kCouldNotLoadModelTextures.text));
}

// Game data comes in any case: a model stored as MODELS/BOX/TRIS.MD2, with a skin
// named in upper case too, is listed and opens from what the list gives.
TEST_F(ModelScene, AModelNamedInUpperCaseIsListedAndOpensFromTheList) {
    Document d;
    fixtures::PakBuilder builder;
    builder.Add("MODELS/BOX/TRIS.MD2", AnimatedBox({{"stand", 2}}, {"models/box/skin.pcx"}));
    builder.Add("MODELS/BOX/SKIN.PCX", Skin(3));
    Archive* pak = d.scene.PakAt(d.scene.AddPak(dir_.Write("upper.pak", builder.Build())));
    ASSERT_NE(pak, nullptr);
    const std::vector<Archive::Listed> listed = pak->ListedEntries();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].entry->name, "MODELS/BOX/TRIS.MD2");
    EXPECT_EQ(listed[0].text, "BOX");
    const OpenFileResult opened = d.doc.OpenPakEntry(*pak, listed[0].entry->name);
    ASSERT_TRUE(opened.succeeded);
    auto* box = dynamic_cast<COGLMD2*>(d.scene.Selected());
    ASSERT_NE(box, nullptr);
    ASSERT_FALSE(box->Skins().empty());
    EXPECT_FALSE(host_.HasMessage(msg::kCouldNotLoadModelTextures.text));
}

// --- The scene file ---

TEST_F(ModelScene, ModelsAndPlayersSurviveASaveAndLoadUnchanged) {
    Document first;
    first.scene.SetUpVisualWeapons();
    fixtures::PakBuilder builder;
    builder.Add("models/items/box/tris.md2", AnimatedBox({{"spin", 4}}, {"models/items/box/skin.pcx"}));
    builder.Add("models/items/box/skin.pcx", Skin(9));
    Archive* pak = first.scene.PakAt(first.scene.AddPak(dir_.Write("items.pak", builder.Build())));

    ASSERT_TRUE(first.doc.OpenFile(tank_).succeeded);
    auto* tank = static_cast<COGLMD2*>(first.scene.Objects().back().get());
    tank->SelectAnimationByName("fire");
    tank->SetSpeed(0.3f);
    tank->SetLoop(false);
    tank->SetSingleStep(true);
    tank->AdvanceFrame();
    tank->SetInvertNormals(true);
    tank->SetName("the tank");
    tank->SetPosition(1.0f, 2.0f, 3.0f);

    ASSERT_TRUE(first.doc.OpenFile(folder_.body).succeeded);
    auto* player = static_cast<COGLPlayer*>(first.scene.Objects().back().get());
    player->SelectAnimationByName("run");
    player->SetWeapon(player->Weapons()[3].get());
    player->ShowFlag();
    player->SetTexture(player->Skins().back());
    player->StartAnimation();

    ASSERT_NE(OpenModelFromPak(first.doc, *pak, "models/items/box/tris.md2"), nullptr);
    auto* box = static_cast<COGLMD2*>(first.scene.Objects().back().get());
    box->SetInterpolate(false);

    const ByteBuffer saved = Saved(first, dir_.File("scene.dv"));
    Document second;
    second.scene.SetUpVisualWeapons();
    ASSERT_TRUE(second.doc.OpenFile(dir_.File("scene.dv")).succeeded);
    ASSERT_EQ(second.scene.Objects().size(), 3u);

    auto* tank2 = dynamic_cast<COGLMD2*>(second.scene.Objects()[0].get());
    ASSERT_NE(tank2, nullptr);
    EXPECT_EQ(tank2->Name(), "the tank");
    EXPECT_EQ(tank2->GetAnimation()->name, "fire");
    EXPECT_FLOAT_EQ(tank2->Speed(), 0.3f);
    EXPECT_EQ(tank2->FramePosition(), tank->FramePosition());
    EXPECT_FALSE(tank2->Loop());
    EXPECT_TRUE(tank2->SingleStep());
    EXPECT_TRUE(tank2->InvertNormals());
    EXPECT_EQ(tank2->Position(), Vector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(tank2->Texture(), tank2->Skins().front());

    auto* player2 = dynamic_cast<COGLPlayer*>(second.scene.Objects()[1].get());
    ASSERT_NE(player2, nullptr);
    EXPECT_EQ(player2->CurrentWeaponIndex(), 3);
    EXPECT_EQ(player2->CurrentWeapon()->Name(), "a_grenades");
    EXPECT_TRUE(player2->FlagShown());
    ASSERT_NE(player2->Flag()->Texture(), nullptr);
    EXPECT_EQ(player2->Flag()->Texture()->Name(), "flag1");
    EXPECT_EQ(player2->Texture(), player2->Skins().back());
    EXPECT_EQ(player2->GetAnimation()->name, "run");
    EXPECT_TRUE(player2->IsAnimating());

    auto* box2 = dynamic_cast<COGLMD2*>(second.scene.Objects()[2].get());
    ASSERT_NE(box2, nullptr);
    EXPECT_EQ(box2->Pak(), second.scene.PakAt(second.scene.PakCount() - 1));
    EXPECT_FALSE(box2->Interpolate());

    EXPECT_EQ(Saved(second, dir_.File("again.dv")), saved);
}

TEST_F(ModelScene, TheSecondFlagSkinIsRemembered) {
    Document first;
    first.scene.SetUpVisualWeapons();
    ASSERT_TRUE(first.doc.OpenFile(folder_.body).succeeded);
    auto* player = static_cast<COGLPlayer*>(first.scene.Objects().back().get());
    player->ShowFlag();
    COGLTexture2D* second = first.scene.LoadSkinTexture(COGLPlayer::kFlagSkin2, first.scene.VWepPak(), "", 0, false);
    ASSERT_NE(second, nullptr);
    player->Flag()->AdoptSkin(second);
    player->Flag()->SetTexture(second);
    Saved(first, dir_.File("flag.dv"));

    Document again;
    again.scene.SetUpVisualWeapons();
    ASSERT_TRUE(again.doc.OpenFile(dir_.File("flag.dv")).succeeded);
    auto* player2 = dynamic_cast<COGLPlayer*>(again.scene.Objects().back().get());
    ASSERT_NE(player2, nullptr);
    ASSERT_NE(player2->Flag()->Texture(), nullptr);
    EXPECT_EQ(player2->Flag()->Texture()->Name(), "flag2");
}

// A scene that saved weapons' pictures among the body's skins, one of them as its
// texture (written when no models of those weapons lay beside them) opens in
// that picture, though the body's own skins no longer list the weapons'.
TEST_F(ModelScene, ABodyWearingAWeaponsPictureWearsItAgainWhenReopened) {
    const std::string body = dir_.Write("players/knight/tris.md2", AnimatedBox(BodyRuns()));
    dir_.Write("players/knight/knight.pcx", Skin(1));
    dir_.Write("players/knight/ctf_b.pcx", Skin(2));
    dir_.Write("players/knight/a_grenades.pcx", Skin(3));
    dir_.Write("players/knight/w_blaster.pcx", Skin(4));
    const auto fileOf = [](const COGLTexture2D* texture) {
        return texture != nullptr ? std::filesystem::path(texture->Path()).filename().string() : std::string();
    };
    Document first;
    ASSERT_TRUE(first.doc.OpenFile(body).succeeded);
    auto* knight = static_cast<COGLPlayer*>(first.scene.Objects().back().get());
    ASSERT_EQ(knight->Skins().size(), 4u);
    EXPECT_EQ(fileOf(knight->Texture()), "a_grenades.pcx") << "first by name";
    Saved(first, dir_.File("knight.dv"));

    dir_.Write("players/knight/a_grenades.md2", AnimatedBox({{"stand", 4}}));
    dir_.Write("players/knight/w_blaster.md2", AnimatedBox({{"stand", 2}}));
    Document second;
    ASSERT_TRUE(second.doc.OpenFile(dir_.File("knight.dv")).succeeded);
    auto* again = dynamic_cast<COGLPlayer*>(second.scene.Objects().back().get());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(fileOf(again->Texture()), "a_grenades.pcx");
    std::vector<std::string> skins;
    for (const COGLTexture2D* skin : again->Skins()) {
        skins.push_back(fileOf(skin));
    }
    EXPECT_EQ(skins, (std::vector<std::string>{"ctf_b.pcx", "knight.pcx", "a_grenades.pcx"}))
        << "the body's own skins, then the one it wears";
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_TRUE(host_.prompts.empty());
}

TEST_F(ModelScene, AMissingModelFileIsAskedForAndLeftOutOnCancel) {
    Document first;
    ASSERT_TRUE(first.doc.OpenFile(tank_).succeeded);
    ASSERT_TRUE(first.doc.OpenFile(folder_.body).succeeded);
    Saved(first, dir_.File("scene.dv"));
    std::filesystem::remove(tank_);

    Document second;
    ASSERT_TRUE(second.doc.OpenFile(dir_.File("scene.dv")).succeeded);
    EXPECT_TRUE(Prompted("This MD2 file"));
    ASSERT_EQ(second.scene.Objects().size(), 1u) << "the player, read after the missing model, is still there";
    EXPECT_EQ(second.scene.Objects().front()->TypeCode(), 13);
}

TEST_F(ModelScene, AMissingSkinIsAskedForAndTheModelStays) {
    Document first;
    ASSERT_TRUE(first.doc.OpenFile(tank_).succeeded);
    Saved(first, dir_.File("scene.dv"));
    std::filesystem::remove(dir_.File("models/tank/skin.pcx"));

    Document second;
    ASSERT_TRUE(second.doc.OpenFile(dir_.File("scene.dv")).succeeded);
    EXPECT_TRUE(Prompted("This SKIN file"));
    ASSERT_EQ(second.scene.Objects().size(), 1u);
    auto* tank = static_cast<COGLMD2*>(second.scene.Objects().front().get());
    EXPECT_TRUE(tank->Skins().empty());
    EXPECT_EQ(tank->Texture(), nullptr);
}

TEST_F(ModelScene, ASceneTextureGivenToAModelIsKept) {
    Document first;
    ASSERT_TRUE(first.doc.OpenFile(tank_).succeeded);
    auto texture = std::make_unique<COGLTexture2D>();
    ASSERT_TRUE(texture->SetSource(dir_.Write("wall.pcx", Skin(11)), nullptr, 0));
    ASSERT_TRUE(texture->Load());
    COGLTexture2D* wall = first.scene.AddTexture(std::move(texture));
    first.scene.Objects().front()->SetTexture(wall);
    Saved(first, dir_.File("scene.dv"));

    Document second;
    ASSERT_TRUE(second.doc.OpenFile(dir_.File("scene.dv")).succeeded);
    ASSERT_EQ(second.scene.Objects().size(), 1u);
    EXPECT_EQ(second.scene.Objects().front()->Texture(), second.scene.TextureAt(0));
}

TEST_F(ModelScene, CopiesAreMadeByTypeCode) {
    Document d;
    d.scene.SetUpVisualWeapons();
    ASSERT_TRUE(d.doc.OpenFile(folder_.body).succeeded);
    const COGLObject& player = *d.scene.Objects().front();
    auto copy = CreateObject(player.TypeCode());
    ASSERT_NE(copy, nullptr);
    copy->CopyFrom(player);
    auto* copied = dynamic_cast<COGLPlayer*>(copy.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->Name(), "Copy of male");
    EXPECT_EQ(copied->Weapons().size(), 4u);
    EXPECT_EQ(copied->CurrentWeaponIndex(), 0);
    EXPECT_EQ(copied->Scene(), &d.scene);
    d.scene.AddObject(std::move(copy));
    EXPECT_TRUE(d.doc.Save(dir_.File("copies.dv")));
}

TEST_F(ModelScene, ADeletedModelWaitsInTheHistoryWithItsSkins) {
    Document d;
    ASSERT_TRUE(d.doc.OpenFile(tank_).succeeded);
    auto* tank = dynamic_cast<COGLModel*>(d.scene.Selected());
    ASSERT_NE(tank, nullptr);
    COGLTexture2D* skin = tank->Texture();
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(d.doc.History().UndoName(), "Open Model");
    const std::size_t skins = d.scene.SkinTextureCount();

    ASSERT_TRUE(d.doc.History().Delete(d.scene, tank, "Delete"));
    EXPECT_TRUE(d.scene.Objects().empty());
    EXPECT_EQ(d.scene.SkinTextureCount(), skins);  // still held by the model in the history
    // Nothing is read again on the way back: the file may be gone.
    std::filesystem::remove(tank_);
    ASSERT_TRUE(d.doc.Undo());
    ASSERT_EQ(d.scene.Objects().size(), 1u);
    EXPECT_EQ(d.scene.ObjectAt(0), tank);
    EXPECT_EQ(tank->Texture(), skin);
    EXPECT_TRUE(tank->IsReady());
    ASSERT_TRUE(d.doc.Undo());  // the opening itself
    EXPECT_TRUE(d.scene.Objects().empty());
    d.doc.History().Reset();  // the model goes, giving its skin back
    EXPECT_EQ(d.scene.SkinTextureCount(), skins - 1);
}

TEST_F(ModelScene, APlayersAnimationSettingsAndWeaponComeBack) {
    Document d;
    d.scene.SetUpVisualWeapons();
    ASSERT_TRUE(d.doc.OpenFile(folder_.body).succeeded);
    auto* player = dynamic_cast<COGLPlayer*>(d.scene.Objects().front().get());
    ASSERT_NE(player, nullptr);
    ASSERT_GE(player->Weapons().size(), 2u);
    const ModelAnimation* animation = player->GetAnimation();
    const float speed = player->Speed();
    const int weapon = player->CurrentWeaponIndex();

    d.doc.History().Watch(d.scene, player);
    player->SelectAnimationByName("run");
    ASSERT_NE(player->GetAnimation(), animation);
    player->SetSpeed(speed * 2.0f);
    player->SetLoop(!player->Loop());
    ASSERT_TRUE(player->SetWeapon(player->Weapons()[static_cast<std::size_t>(weapon + 1)].get()));
    d.doc.History().Changed(d.scene, player, "Edit Player");

    ASSERT_TRUE(d.doc.Undo());
    EXPECT_EQ(player->GetAnimation(), animation);
    EXPECT_EQ(player->Speed(), speed);
    EXPECT_EQ(player->CurrentWeaponIndex(), weapon);
    ASSERT_TRUE(d.doc.Redo());
    ASSERT_NE(player->GetAnimation(), nullptr);
    EXPECT_EQ(player->GetAnimation()->name, "run");
    EXPECT_EQ(player->CurrentWeaponIndex(), weapon + 1);
}
