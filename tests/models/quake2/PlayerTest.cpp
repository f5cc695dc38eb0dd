#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "models/quake2/COGLPlayer.h"
#include "models/ModelFixtures.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "scene/COGLScene.h"

using namespace model_fixtures;

namespace {

// Skins are GL textures, so players are loaded with a context current.
class Player : public GLFixture {
protected:
    void EnableVWep(const std::string& vwepPak = {}) {
        settings_.SetInt(settings_keys::kVWep, settings_keys::kEnabled, 1);
        if (!vwepPak.empty()) {
            settings_.SetString(settings_keys::kVWep, settings_keys::kVWepPakFile, vwepPak);
        }
        scene_.SetUpVisualWeapons();
    }

    std::unique_ptr<COGLPlayer> Load(const std::string& path) {
        auto player = std::make_unique<COGLPlayer>(&scene_);
        EXPECT_TRUE(player->LoadFile(path, false));
        return player;
    }

    static std::vector<std::string> WeaponNames(const COGLPlayer& player) {
        std::vector<std::string> names;
        for (const auto& weapon : player.Weapons()) {
            names.push_back(weapon->Name());
        }
        return names;
    }

    static std::vector<std::string> SkinFiles(const COGLModel& model) {
        std::vector<std::string> names;
        for (const COGLTexture2D* skin : model.Skins()) {
            names.push_back(std::filesystem::path(skin->Path()).filename().string());
        }
        return names;
    }

    TempDir dir_;
    COGLScene scene_;
};

// The files of a knight's folder: four skins of the body and two weapons, each
// with its own picture, the letters of a name in any case.
std::vector<std::pair<std::string, ByteBuffer>> KnightFiles() {
    return {{"tris.md2", AnimatedBox(BodyRuns())},
            {"knight.pcx", Skin(1)},
            {"evil.pcx", Skin(2)},
            {"ctf_r.pcx", Skin(3)},
            {"ctf_b.pcx", Skin(4)},
            {"a_grenades.pcx", Skin(5)},
            {"A_Grenades.md2", AnimatedBox({{"stand", 4}}, {"a_grenades.pcx"})},
            {"W_Blaster.PCX", Skin(6)},
            {"w_blaster.md2", AnimatedBox({{"stand", 2}})}};
}

}  // namespace

TEST_F(Player, SkinsAreThePicturesBesideTheBodyExceptWeaponAndIcons) {
    const PlayerFolder folder = WritePlayerFolder(dir_, "players/male", false);
    auto player = Load(folder.body);
    EXPECT_EQ(SkinFiles(*player), (std::vector<std::string>{"Grunt.PCX", "male.pcx"})) << "sorted without case";
    EXPECT_TRUE(std::find(host_.progressTexts.begin(), host_.progressTexts.end(), msg::kLoadingSkins.text) !=
                host_.progressTexts.end());
    EXPECT_EQ(player->Name(), "male");
    EXPECT_EQ(player->TypeCode(), 13);

    // Only male.pcx of male.pcx, weapon.pcx and grunt_i.pcx is a skin.
    dir_.Write("players/other/tris.md2", AnimatedBox(BodyRuns()));
    dir_.Write("players/other/male.pcx", Skin(1));
    dir_.Write("players/other/WEAPON.pcx", Skin(2));
    dir_.Write("players/other/grunt_I.pcx", Skin(3));
    auto other = Load(dir_.File("players/other/tris.md2"));
    EXPECT_EQ(SkinFiles(*other), (std::vector<std::string>{"male.pcx"}));
}

TEST_F(Player, AWeaponsPictureBesideItsModelIsNotOneOfTheBodysSkins) {
    for (const auto& [name, bytes] : KnightFiles()) {
        dir_.Write("players/knight/" + name, bytes);
    }
    // Visual weapons on or off, the weapons' pictures are theirs.
    for (const bool vwep : {false, true}) {
        if (vwep) {
            EnableVWep();
        }
        auto knight = Load(dir_.File("players/knight/tris.md2"));
        EXPECT_EQ(SkinFiles(*knight), (std::vector<std::string>{"ctf_b.pcx", "ctf_r.pcx", "evil.pcx", "knight.pcx"}));
        ASSERT_TRUE(knight->ApplyFirstSkin());
        EXPECT_EQ(knight->Texture(), knight->Skins().front());
    }

    // A picture named like a weapon with no model of that name beside it stays the body's.
    dir_.Write("players/knight/a_cells.pcx", Skin(7));
    dir_.Write("players/knight/w_rail.pcx", Skin(8));
    dir_.Write("players/knight/w_railgun.md2", AnimatedBox({{"stand", 2}}));
    auto knight = Load(dir_.File("players/knight/tris.md2"));
    EXPECT_EQ(SkinFiles(*knight), (std::vector<std::string>{"a_cells.pcx", "ctf_b.pcx", "ctf_r.pcx", "evil.pcx",
                                                            "knight.pcx", "w_rail.pcx"}));
}

TEST_F(Player, InAPakAWeaponsPictureBesideItsModelIsNotOneOfTheBodysSkins) {
    fixtures::PakBuilder builder;
    for (const auto& [name, bytes] : KnightFiles()) {
        builder.Add("players/knight/" + name, bytes);
    }
    // A weapon of another folder makes no picture here its skin.
    builder.Add("players/knight/w_chain.pcx", Skin(8));
    builder.Add("players/male/w_chain.md2", AnimatedBox({{"stand", 2}}));
    Archive* pak = scene_.PakAt(scene_.AddPak(dir_.Write("pak0.pak", builder.Build())));
    ASSERT_NE(pak, nullptr);
    COGLPlayer knight(&scene_);
    ASSERT_TRUE(knight.LoadFromPak(pak, *pak->FindEntry("players/knight/tris.md2"), false));
    EXPECT_EQ(SkinFiles(knight),
              (std::vector<std::string>{"evil.pcx", "knight.pcx", "w_chain.pcx", "ctf_b.pcx", "ctf_r.pcx"}))
        << "team skins after the others";
    ASSERT_TRUE(knight.ApplyFirstSkin());
    EXPECT_EQ(SkinFiles(knight).front(), "evil.pcx");
}

TEST_F(Player, TheFlagNeedsItsModelAndTheCTFPaksSkins) {
    const PlayerFolder folder = WritePlayerFolder(dir_);
    EXPECT_EQ(Load(folder.body)->FlagAvailability(), COGLPlayer::FlagSource::NoModel) << "visual weapons off";

    // The VWep pak holds the flag's model; its skins come from the CTF pak.
    fixtures::PakBuilder model;
    model.Add(COGLPlayer::kFlagModel, AnimatedBox({{"stand", 4}}, {COGLPlayer::kFlagSkin1}));
    const std::string vwep = dir_.Write("vwep.pak", model.Build());
    fixtures::PakBuilder oneSkin;
    oneSkin.Add(COGLPlayer::kFlagSkin1, Skin(5));
    const std::string lacking = dir_.Write("lacking.pak", oneSkin.Build());
    const std::string ctf = dir_.Write("ctf.pak", FlagPak());
    const auto availability = [&](const std::string& ctfPak) {
        settings_.SetString(settings_keys::kVWep, settings_keys::kCTFPakFile, ctfPak);
        EnableVWep(vwep);
        return Load(folder.body)->FlagAvailability();
    };
    EXPECT_EQ(availability(""), COGLPlayer::FlagSource::NoSkins);
    EXPECT_EQ(availability(lacking), COGLPlayer::FlagSource::NoSkins);
    EXPECT_EQ(availability(ctf), COGLPlayer::FlagSource::Ready);
}

TEST_F(Player, WithoutVisualWeaponsOnlyTheDefaultWeaponIsListed) {
    const PlayerFolder folder = WritePlayerFolder(dir_);
    auto player = Load(folder.body);
    EXPECT_EQ(WeaponNames(*player), (std::vector<std::string>{"default"}));
    EXPECT_FALSE(player->Weapons().front()->IsReady()) << "weapons are read when first chosen";
    EXPECT_EQ(player->Flag(), nullptr);
}

TEST_F(Player, VisualWeaponsFollowInFileSearchOrderAndAreReadWhenChosen) {
    const PlayerFolder folder = WritePlayerFolder(dir_);
    EnableVWep();
    auto player = Load(folder.body);
    EXPECT_EQ(WeaponNames(*player), (std::vector<std::string>{"default", "w_blaster", "W_Shotgun", "a_grenades"}));
    EXPECT_TRUE(std::find(host_.progressTexts.begin(), host_.progressTexts.end(), msg::kLoadingWeapons.text) !=
                host_.progressTexts.end());
    for (const auto& weapon : player->Weapons()) {
        EXPECT_FALSE(weapon->IsReady());
        EXPECT_EQ(weapon->TextureFlag(), 1);
    }
    ASSERT_TRUE(player->SetFirstWeapon());
    EXPECT_EQ(player->CurrentWeaponIndex(), 0);
    EXPECT_TRUE(player->Weapons()[0]->IsReady());
    EXPECT_FALSE(player->Weapons()[1]->IsReady());
    EXPECT_EQ(player->Weapons()[0]->Name(), "default") << "reading keeps the weapon's name";
    EXPECT_EQ(SkinFiles(*player->Weapons()[0]), (std::vector<std::string>{"weapon.pcx"}));

    ASSERT_TRUE(player->SetWeapon(player->Weapons()[2].get()));
    EXPECT_EQ(player->CurrentWeaponIndex(), 2);
    ASSERT_TRUE(player->SetWeapon(nullptr));
    EXPECT_EQ(player->CurrentWeapon(), nullptr);
}

TEST_F(Player, AWeaponThatCannotBeReadLeavesThePreviousOneCurrent) {
    const PlayerFolder folder = WritePlayerFolder(dir_);
    EnableVWep();
    auto player = Load(folder.body);
    player->SetFirstWeapon();
    dir_.Write("players/male/w_blaster.md2", std::string("not a model"));
    host_.Clear();
    EXPECT_FALSE(player->SetWeapon(player->Weapons()[1].get()));
    EXPECT_EQ(player->CurrentWeaponIndex(), 0);
    EXPECT_TRUE(host_.HasMessage(msg::kNotValidMd2.text));
}

TEST_F(Player, AWeaponWithoutTheBodysAnimationHidesUntilOneItHasIsChosen) {
    const PlayerFolder folder = WritePlayerFolder(dir_);
    auto player = Load(folder.body);
    player->SetFirstWeapon();
    COGLMD2& weapon = *player->CurrentWeapon();
    player->SelectAnimationByName("pain");
    EXPECT_TRUE(player->IsVisible());
    EXPECT_FALSE(weapon.IsVisible());
    player->SelectAnimationByName("run");
    EXPECT_TRUE(weapon.IsVisible());
    ASSERT_NE(weapon.GetAnimation(), nullptr);
    EXPECT_EQ(weapon.GetAnimation()->name, "run");
}

TEST_F(Player, TheWeaponFollowsTheBodyAndHidesPastTheEndOfItsAnimation) {
    const PlayerFolder folder = WritePlayerFolder(dir_);
    EnableVWep();
    auto player = Load(folder.body);
    player->SelectAnimationByName("stand");  // 4 frames; the blaster has 2
    ASSERT_TRUE(player->SetWeapon(player->Weapons()[1].get()));
    COGLMD2& blaster = *player->CurrentWeapon();
    player->SetSpeed(1.0f);
    player->SetInterpolate(false);
    std::vector<bool> shown;
    std::vector<int> frames;
    for (int tick = 0; tick < 5; ++tick) {
        player->AdvanceFrame();
        shown.push_back(blaster.IsVisible());
        frames.push_back(blaster.FrameIndex());
    }
    EXPECT_EQ(shown, (std::vector<bool>{true, false, false, true, true}));
    EXPECT_EQ(frames[0], 1);
    EXPECT_EQ(frames[3], 0);
    EXPECT_EQ(frames[4], 1);

    // A frame set without a tick (the frame control, a pose) reaches the weapon when drawn.
    player->SetFrame(1);
    player->Draw(0);
    EXPECT_TRUE(blaster.IsVisible());
    EXPECT_EQ(blaster.FrameIndex(), 1);
    EXPECT_EQ(blaster.NextFrameIndex(), 1);
    player->SetFrame(3);
    player->Draw(0);
    EXPECT_FALSE(blaster.IsVisible());

    // A hidden player keeps its weapon hidden.
    player->Hide();
    player->AdvanceFrame();
    player->AdvanceFrame();
    EXPECT_FALSE(blaster.IsVisible());
}

TEST_F(Player, WhatIsDoneToTheBodyIsDoneToTheWeaponAndTheFlag) {
    const PlayerFolder folder = WritePlayerFolder(dir_);
    const std::string pak = dir_.Write("vwep.pak", FlagPak());
    EnableVWep(pak);
    auto player = Load(folder.body);
    player->SetFirstWeapon();
    ASSERT_NE(player->Flag(), nullptr);
    player->ShowFlag();
    ASSERT_TRUE(player->FlagShown());
    ASSERT_TRUE(player->Flag()->IsReady());
    EXPECT_EQ(player->Flag()->Pak(), scene_.VWepPak());

    player->SetPosition(1.0f, 2.0f, 3.0f);
    player->MoveBy(1.0f, 0.0f, 0.0f);
    player->RotateY(90.0f);
    player->SetScaleZ(0.5f);
    player->SetDiffuse(0.1f, 0.2f, 0.3f, 0.4f);
    player->SetShininess(7.0f);
    player->SetTransparent(true);
    player->SetInvertNormals(true);
    player->SetTextureEnvMode(0x2101);  // GL_DECAL
    for (const COGLMD2* part : {player->CurrentWeapon(), player->Flag()}) {
        EXPECT_EQ(part->Position(), Vector3(2.0f, 2.0f, 3.0f));
        EXPECT_EQ(part->Orientation(), player->Orientation());
        EXPECT_EQ(part->Scale(), player->Scale());
        EXPECT_EQ(part->Diffuse().blue, 0.3f);
        EXPECT_EQ(part->Shininess(), 7.0f);
        EXPECT_TRUE(part->IsTransparent());
        EXPECT_TRUE(part->InvertNormals());
        EXPECT_EQ(part->TextureEnvMode(), 0x2101);
        EXPECT_EQ(part->VerticalOffset(), player->VerticalOffset());
    }
    player->SetVisible(false);
    EXPECT_FALSE(player->CurrentWeapon()->IsVisible());
    EXPECT_FALSE(player->Flag()->IsVisible());
    player->Show();
    EXPECT_TRUE(player->CurrentWeapon()->IsVisible());
    player->HideFlag();
    EXPECT_FALSE(player->FlagShown());
    EXPECT_FALSE(player->Flag()->IsVisible());
}

TEST_F(Player, TheWeaponTakesItsOwnSkinWhenTheBodyIsTextured) {
    const PlayerFolder folder = WritePlayerFolder(dir_);
    auto player = Load(folder.body);
    ASSERT_TRUE(player->ApplyFirstSkin());
    player->SetFirstWeapon();
    COGLMD2& weapon = *player->CurrentWeapon();
    ASSERT_FALSE(weapon.Skins().empty());
    EXPECT_EQ(weapon.Texture(), weapon.Skins().front());
    player->SetTexture(nullptr);
    EXPECT_EQ(weapon.Texture(), nullptr);
    player->SetTexture(player->Skins().back());
    EXPECT_EQ(player->Texture(), player->Skins().back());
    EXPECT_EQ(weapon.Texture(), weapon.Skins().front());
}

TEST_F(Player, ACopyHasItsOwnWeaponsWithTheSameOneCurrent) {
    const PlayerFolder folder = WritePlayerFolder(dir_);
    const std::string pak = dir_.Write("vwep.pak", FlagPak());
    EnableVWep(pak);
    auto player = Load(folder.body);
    player->ApplyFirstSkin();
    player->SetWeapon(player->Weapons()[2].get());
    player->ShowFlag();

    COGLPlayer copy(&scene_);
    copy.CopyFrom(*player);
    EXPECT_EQ(WeaponNames(copy), WeaponNames(*player));
    EXPECT_EQ(copy.CurrentWeaponIndex(), 2);
    EXPECT_NE(copy.CurrentWeapon(), player->CurrentWeapon());
    EXPECT_TRUE(copy.CurrentWeapon()->IsReady());
    EXPECT_FALSE(copy.Weapons()[1]->IsReady()) << "weapons never read stay unread";
    ASSERT_NE(copy.Flag(), nullptr);
    EXPECT_TRUE(copy.FlagShown());
    EXPECT_EQ(copy.Skins(), player->Skins()) << "skins are shared";
    const int references = player->Skins().front()->RefCount();
    player.reset();
    EXPECT_EQ(copy.Skins().front()->RefCount(), references - 1);
    copy.SetPositionX(5.0f);
    EXPECT_EQ(copy.CurrentWeapon()->Position().x, 5.0f);
}

TEST_F(Player, APlayerInAPakFindsItsSkinsAndWeaponsBesideIt) {
    fixtures::PakBuilder builder;
    builder.Add("players/cyborg/tris.md2", AnimatedBox(BodyRuns()));
    builder.Add("players/cyborg/oni911.pcx", Skin(1));
    builder.Add("players/cyborg/Borg_i.pcx", Skin(2));
    builder.Add("players/cyborg/weapon.md2", AnimatedBox({{"stand", 4}}));
    builder.Add("players/cyborg/weapon.pcx", Skin(3));
    builder.Add("players/cyborg/ps9000.pcx", Skin(4));
    builder.Add("players/cyborgs/other.pcx", Skin(5));
    builder.Add("players/male/tris.md2", AnimatedBox(BodyRuns()));
    const int index = scene_.AddPak(dir_.Write("pak0.pak", builder.Build()));
    Archive* pak = scene_.PakAt(index);
    ASSERT_NE(pak, nullptr);
    COGLPlayer player(&scene_);
    ASSERT_TRUE(player.LoadFromPak(pak, *pak->FindEntry("players/cyborg/tris.md2"), false));
    EXPECT_EQ(player.Name(), "cyborg");
    EXPECT_EQ(SkinFiles(player), (std::vector<std::string>{"oni911.pcx", "ps9000.pcx"}));
    EXPECT_EQ(WeaponNames(player), (std::vector<std::string>{"default"}));
    ASSERT_TRUE(player.SetFirstWeapon());
    EXPECT_EQ(player.CurrentWeapon()->Pak(), pak);
    EXPECT_EQ(player.CurrentWeapon()->FilePath(), "players/cyborg/weapon.md2");
}
