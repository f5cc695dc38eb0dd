#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "media/COGLImage.h"
#include "media/COGLTexture2D.h"
#include "media/GameFolder.h"
#include "media/Palette.h"
#include "models/ModelFamilies.h"
#include "models/quake2/COGLPlayer.h"
#include "models/quake2/MD2Open.h"
#include "models/quake2/PlayerFolders.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/SceneViewLink.h"
#include "support/PlayerGame.h"
#include "support/TestSupport.h"

namespace {

struct Document {
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};

std::vector<std::string> Names(const std::vector<const PakEntry*>& entries) {
    std::vector<std::string> names;
    for (const PakEntry* entry : entries) {
        names.push_back(std::filesystem::path(entry->name).filename().string());
    }
    return names;
}

std::vector<std::string> SkinFiles(const COGLModel& model) {
    std::vector<std::string> names;
    for (const COGLTexture2D* skin : model.Skins()) {
        names.push_back(std::filesystem::path(skin->Path()).filename().string());
    }
    return names;
}

std::vector<std::string> WeaponNames(const COGLPlayer& player) {
    std::vector<std::string> names;
    for (const auto& weapon : player.Weapons()) {
        names.push_back(weapon->Name());
    }
    return names;
}

// Players where the game keeps them: the game's own in pak0, a community one in a
// pk3, a mod's as loose files, all through one game folder in the scene's list.
class PlayerGame : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        RegisterModelClasses();
        SetMD2OpenOptions({});
        ASSERT_TRUE(fixtures::WritePlayerGame(dir_.Path()));
    }
    void TearDown() override {
        SetMD2OpenOptions({});
        GLFixture::TearDown();
    }

    // The mod over the game, listed in the document's scene.
    Archive* OpenGame(Document& d) {
        const int index = d.scene.AddPak(dir_.File("knightmod"));
        EXPECT_GE(index, 0);
        return d.scene.PakAt(index);
    }

    COGLPlayer* Open(Document& d, Archive& archive, const std::string& body) {
        return dynamic_cast<COGLPlayer*>(OpenModelFromPak(d.doc, archive, body));
    }

    TempDir dir_;
};

TEST_F(PlayerGame, EveryPlayerOfTheStackIsListedWithItsSkinsAndWeaponsInTheGamesOrder) {
    Document d;
    Archive* game = OpenGame(d);
    ASSERT_NE(game, nullptr);
    const std::vector<PlayerListing> players = ListPlayers(*game);
    ASSERT_EQ(players.size(), 3u);
    EXPECT_EQ(players[0].name, "duke");
    EXPECT_EQ(players[1].name, "knight");
    EXPECT_EQ(players[2].name, "male");

    EXPECT_EQ(Names(players[2].skins),
              (std::vector<std::string>{"brian.pcx", "cipher.pcx", "grunt.pcx", "ctf_b.pcx", "ctf_r.pcx"}))
        << "no icon, no weapon's or flag's picture, team skins last";
    EXPECT_EQ(Names(players[2].weapons),
              (std::vector<std::string>{"weapon.md2", "w_blaster.md2", "w_railgun.md2", "a_grenades.md2"}));
    EXPECT_EQ(Names(players[0].skins), (std::vector<std::string>{"duke.pcx", "Nukem.pcx", "CTF_R.PCX"}));
    EXPECT_EQ(Names(players[0].weapons), (std::vector<std::string>{"WEAPON.MD2", "w_blaster.md2"}));
    EXPECT_EQ(PlayerWeaponName(players[0].weapons[0]->name), "default");
    EXPECT_EQ(std::filesystem::path(game->OriginOf(*players[0].body).source->Path()).filename(), "duke.pk3");

    // The paths the games load a body from, in any case and either separator.
    EXPECT_TRUE(IsPlayerBodyPath("players/male/tris.md2"));
    EXPECT_TRUE(IsPlayerBodyPath("/home/q/baseq2/Players/Duke/TRIS.MD2"));
    EXPECT_TRUE(IsPlayerBodyPath("C:\\quake2\\baseq2\\players\\duke\\tris.md2"));
    EXPECT_FALSE(IsPlayerBodyPath("players/tris.md2"));
    EXPECT_FALSE(IsPlayerBodyPath("models/monsters/tank/tris.md2"));
    EXPECT_FALSE(IsPlayerBodyPath("players/male/weapon.md2"));
    EXPECT_FALSE(IsPlayerBodyPath("players/male/extra/tris.md2"));
}

TEST_F(PlayerGame, APlayerFromTheGameIsAWholePlayerInItsOwnSkinWithTheGamesWeaponsFlagAndPalette) {
    Document d;
    Archive* game = OpenGame(d);
    ASSERT_NE(game, nullptr);
    // Both bodies name a skin in their header; VWep is not set up.
    COGLPlayer* male = Open(d, *game, "players/male/tris.md2");
    ASSERT_NE(male, nullptr) << "a body under players/NAME/ is a player whatever its header's skin count";
    EXPECT_EQ(SkinFiles(*male),
              (std::vector<std::string>{"grunt.pcx", "brian.pcx", "cipher.pcx", "ctf_b.pcx", "ctf_r.pcx"}));
    EXPECT_EQ(male->Texture(), male->Skins().front()) << "in its own skin";
    EXPECT_EQ(WeaponNames(*male), (std::vector<std::string>{"default", "w_blaster", "w_railgun", "a_grenades"}));
    ASSERT_NE(male->CurrentWeapon(), nullptr);
    EXPECT_EQ(male->CurrentWeapon()->Name(), "default");
    EXPECT_EQ(male->FlagAvailability(), COGLPlayer::FlagSource::Ready) << "the game's pak serves as VWep source";
    male->ShowFlag();
    EXPECT_TRUE(male->FlagShown());
    ASSERT_NE(male->Flag()->Texture(), nullptr);
    EXPECT_EQ(male->Flag()->Texture()->Name(), "flag1");

    COGLPlayer* duke = Open(d, *game, "players/duke/tris.md2");
    ASSERT_NE(duke, nullptr);
    EXPECT_EQ(SkinFiles(*duke), (std::vector<std::string>{"duke.pcx", "Nukem.pcx", "CTF_R.PCX"}));
    EXPECT_EQ(WeaponNames(*duke), (std::vector<std::string>{"default", "w_blaster"}));
    ASSERT_NE(duke->CurrentWeapon(), nullptr);
    ASSERT_FALSE(duke->CurrentWeapon()->Skins().empty());
    std::vector<const COGLTexture2D*> skins(duke->Skins().begin(), duke->Skins().end());
    skins.push_back(duke->CurrentWeapon()->Skins().front());
    for (const COGLTexture2D* skin : skins) {
        EXPECT_EQ(skin->LoadOption(), 1) << skin->Path() << " is drawn with the game's palette";
    }
    // What that option decodes to: the game's colormap, not the skin's own greys.
    COGLImage image;
    ASSERT_TRUE(image.LoadFromArchive(*game, *game->FindEntry("players/duke/duke.pcx"), false, true, false));
    const RawPalette& expected = fixtures::DistinctPalette();
    ASSERT_GE(image.Pixels().size(), 3u);
    EXPECT_EQ(image.Pixels()[0], GammaTable()[expected[120 * 3 + 0]]);
    EXPECT_EQ(image.Pixels()[1], GammaTable()[expected[120 * 3 + 1]]);
    EXPECT_NE(image.Pixels()[0], image.Pixels()[1]) << "not grey";

    COGLPlayer* knight = Open(d, *game, "players/knight/tris.md2");
    ASSERT_NE(knight, nullptr);
    EXPECT_EQ(SkinFiles(*knight), (std::vector<std::string>{"knight.pcx"}));
    EXPECT_EQ(d.scene.Objects().size(), 3u);
    EXPECT_TRUE(host_.messages.empty()) << host_.messages.front().text;

    // The browser's and the picker's choice stands over the dialog's sticky one.
    SetMD2OpenOptions({.useDefaultPalette = false, .autoDetectPlayer = true, .loadAsPlayer = true});
    COGLMD2* plain = OpenModelFromPak(d.doc, *game, "players/male/w_railgun.md2", MD2OpenAs::Model);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(dynamic_cast<COGLPlayer*>(plain), nullptr);
}

TEST_F(PlayerGame, PlayersFromThePakThePk3AndTheModReopenAsTheSamePlayers) {
    Document first;
    Archive* game = OpenGame(first);
    ASSERT_NE(game, nullptr);
    const int pk3 = first.scene.AddPak(dir_.File("baseq2/duke.pk3"));
    ASSERT_GE(pk3, 0);

    COGLPlayer* male = Open(first, *game, "players/male/tris.md2");
    ASSERT_NE(male, nullptr);
    male->SetTexture(male->Skins()[2]);  // cipher
    ASSERT_TRUE(male->SetWeapon(male->Weapons()[2].get()));
    male->ShowFlag();
    COGLPlayer* duke = Open(first, *first.scene.PakAt(pk3), "players/duke/tris.md2");
    ASSERT_NE(duke, nullptr);
    duke->SetTexture(duke->Skins()[1]);
    ASSERT_TRUE(duke->SetWeapon(duke->Weapons()[1].get()));
    COGLPlayer* knight = Open(first, *game, "players/knight/tris.md2");
    ASSERT_NE(knight, nullptr);
    knight->SetWeapon(nullptr);

    ASSERT_TRUE(first.doc.Save(dir_.File("players.dv")));
    const auto saved = ReadWholeFile(dir_.File("players.dv"));
    ASSERT_TRUE(saved);

    Document second;
    ASSERT_TRUE(second.doc.OpenFile(dir_.File("players.dv")).succeeded);
    ASSERT_EQ(second.scene.Objects().size(), 3u);
    auto* male2 = dynamic_cast<COGLPlayer*>(second.scene.Objects()[0].get());
    auto* duke2 = dynamic_cast<COGLPlayer*>(second.scene.Objects()[1].get());
    auto* knight2 = dynamic_cast<COGLPlayer*>(second.scene.Objects()[2].get());
    ASSERT_TRUE(male2 != nullptr && duke2 != nullptr && knight2 != nullptr);
    EXPECT_EQ(male2->Pak(), second.scene.PakAt(0));
    EXPECT_EQ(male2->FilePath(), "players/male/tris.md2");
    EXPECT_EQ(std::filesystem::path(male2->Texture()->Path()).filename(), "cipher.pcx");
    ASSERT_NE(male2->CurrentWeapon(), nullptr);
    EXPECT_EQ(male2->CurrentWeapon()->Name(), "w_railgun");
    EXPECT_TRUE(male2->FlagShown());
    EXPECT_EQ(duke2->Pak(), second.scene.PakAt(1));
    EXPECT_EQ(std::filesystem::path(duke2->Texture()->Path()).filename(), "Nukem.pcx");
    EXPECT_EQ(duke2->CurrentWeapon()->Name(), "w_blaster");
    EXPECT_EQ(knight2->CurrentWeapon(), nullptr);
    EXPECT_EQ(SkinFiles(*male2), SkinFiles(*male));

    ASSERT_TRUE(second.doc.Save(dir_.File("again.dv")));
    EXPECT_EQ(ReadWholeFile(dir_.File("again.dv")), saved);
}

TEST_F(PlayerGame, BadPlayerFoldersSayWhatFailedAndAddNothingHalfBuilt) {
    fixtures::PakBuilder pak;
    pak.Add("players/nobody/skin.pcx", fixtures::PlayerSkin(1));  // no body: no player
    pak.Add("players/broken/tris.md2", std::string("IDP2 but not a model"));
    pak.Add("players/patchy/tris.md2", fixtures::PlayerBox(fixtures::PlayerRuns()));
    pak.Add("players/patchy/good.pcx", fixtures::PlayerSkin(2));
    pak.Add("players/patchy/torn.pcx", std::string("not a picture"));
    pak.Add("players/patchy/weapon.md2", fixtures::PlayerBox({{"stand", 2}}));
    pak.Add("players/patchy/w_bad.md2", std::string("IDP2"));
    // The same name twice in one archive: the first stands, once.
    pak.Add("players/patchy/good.pcx", fixtures::PlayerSkin(3));
    Document d;
    Archive* archive = d.scene.PakAt(d.scene.AddPak(dir_.Write("bad.pak", pak.Build())));
    ASSERT_NE(archive, nullptr);

    const std::vector<PlayerListing> players = ListPlayers(*archive);
    ASSERT_EQ(players.size(), 2u);
    EXPECT_EQ(players[0].name, "broken");
    EXPECT_EQ(players[1].name, "patchy");

    EXPECT_EQ(OpenModelFromPak(d.doc, *archive, "players/broken/tris.md2", MD2OpenAs::Player), nullptr);
    EXPECT_TRUE(host_.HasMessage(msg::kNotValidMd2.text));
    EXPECT_TRUE(d.scene.Objects().empty());

    host_.Clear();
    COGLPlayer* patchy = Open(d, *archive, "players/patchy/tris.md2");
    ASSERT_NE(patchy, nullptr);
    EXPECT_EQ(SkinFiles(*patchy), (std::vector<std::string>{"good.pcx"}));
    EXPECT_TRUE(host_.HasMessage(FormatMessage(msg::kPlayerSkinsFailed, "players/patchy/ (torn.pcx)")));
    EXPECT_EQ(WeaponNames(*patchy), (std::vector<std::string>{"default", "w_bad"}));
    EXPECT_EQ(host_.statusText, FormatMessage(msg::kWeaponFramesDiffer, "players/patchy/weapon.md2"));
    COGLMD2* weapon = patchy->CurrentWeapon();
    EXPECT_FALSE(patchy->SetWeapon(patchy->Weapons()[1].get())) << "a weapon that fails to read";
    EXPECT_EQ(patchy->CurrentWeapon(), weapon);
    EXPECT_EQ(d.scene.Objects().size(), 1u);
}

}  // namespace
