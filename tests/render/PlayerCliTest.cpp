// Players where the game keeps them, through marovin-cli as a modder runs it:
// listed from a game folder, rendered from a pk3 as from the same folder loose,
// dressed with a skin, a weapon and the flag, and drawn as thumbnails.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "media/PngFile.h"
#include "support/PlayerGame.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace {

class PlayerCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fixtures::WritePlayerGame(dir_.Path()));
        fixtures::FolderBuilder loose;
        for (const auto& [name, bytes] : fixtures::DukePlayerFiles()) {
            loose.Add(name, bytes);
        }
        ASSERT_TRUE(loose.Write(dir_.File("loose")));
    }

    CommandOutput Cli(const std::string& arguments) const {
        return RunCommand("XDG_CACHE_HOME=" + dir_.Path() + "/cache " + MAROVIN_CLI + " " + arguments + " 2>&1");
    }

    std::optional<PngImage> Render(const std::string& inputs, const std::string& out) const {
        const CommandOutput run = Cli("render --fit --size 96x96 " + inputs + " -o " + dir_.File(out));
        EXPECT_EQ(run.exitCode, 0) << run.text;
        return ReadPng(dir_.File(out));
    }

    TempDir dir_;
};

TEST_F(PlayerCli, InfoListsTheGamesPlayersInStackOrderWithSkinsWeaponsAndTheFlag) {
    // The report read back by Python's json module, each player on one line.
    const CommandOutput run =
        RunCommand(std::string(MAROVIN_CLI) + " info " + dir_.File("knightmod") +
                   " --players | python3 -c \"import json,sys,os\nfor p in json.load(sys.stdin)['players']: "
                   "print(p['name'], os.path.basename(p['archive']), p['body'], ','.join(p['skins']), "
                   "','.join(p['weapons']), p['flag'])\"");
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.text,
              "knight knightmod players/knight/tris.md2 knight default True\n"
              "duke duke.pk3 players/duke/tris.md2 duke,Nukem,CTF_R default,w_blaster True\n"
              "male pak0.pak players/male/tris.md2 brian,cipher,grunt,ctf_b,ctf_r "
              "default,w_blaster,w_railgun,a_grenades True\n");
    EXPECT_EQ(Cli("info " + dir_.File("baseq2/duke.pk3") + " --players").exitCode, 0);
    EXPECT_EQ(Cli("info " + dir_.File("nowhere") + " --players").exitCode, 1);
}

TEST_F(PlayerCli, APk3PlayerRendersAsTheSameFolderLooseAndDressesAsAsked) {
    const auto packed = Render(dir_.File("baseq2/duke.pk3") + " players/duke/tris.md2", "packed.png");
    const auto loose = Render(dir_.File("loose/players/duke/tris.md2"), "loose.png");
    ASSERT_TRUE(packed && loose);
    EXPECT_EQ(packed->pixels, loose->pixels) << "the same player, the same skin and weapon";

    const std::string male = dir_.File("baseq2") + " players/male/tris.md2";
    const auto plain = Render(male, "male.png");
    const auto dressed = Render("--skin CIPHER --weapon w_railgun --flag " + male, "dressed.png");
    const auto unarmed = Render("--weapon none " + male, "unarmed.png");
    ASSERT_TRUE(plain && dressed && unarmed);
    EXPECT_NE(plain->pixels, dressed->pixels);
    EXPECT_NE(plain->pixels, unarmed->pixels);

    const CommandOutput noSkin = Cli("render --skin evil " + male + " -o " + dir_.File("x.png"));
    EXPECT_EQ(noSkin.exitCode, 1);
    EXPECT_NE(noSkin.text.find("has no skin 'evil' (it has: grunt, brian, cipher, ctf_b, ctf_r)"), std::string::npos)
        << noSkin.text;
    const CommandOutput noWeapon = Cli("render --weapon bfg " + male + " -o " + dir_.File("x.png"));
    EXPECT_EQ(noWeapon.exitCode, 1);
    EXPECT_NE(noWeapon.text.find("has no weapon 'bfg'"), std::string::npos) << noWeapon.text;
    const CommandOutput noFlag =
        Cli("render --flag " + dir_.File("baseq2/duke.pk3") + " players/duke/tris.md2 -o " + dir_.File("x.png"));
    EXPECT_EQ(noFlag.exitCode, 1) << "a lone pk3 carries no flag";
    const CommandOutput noPlayer = Cli("render --skin grunt " + dir_.File("baseq2") +
                                       " players/male/w_railgun.md2 -o " + dir_.File("x.png"));
    EXPECT_EQ(noPlayer.exitCode, 2) << noPlayer.text;
    EXPECT_FALSE(std::filesystem::exists(dir_.File("x.png")));
}

TEST_F(PlayerCli, APlayersThumbnailShowsItsBodyWithItsWeapon) {
    const std::string pk3 = dir_.File("baseq2/duke.pk3");
    ASSERT_EQ(Cli("thumbnail -s 64 " + pk3 + " players/duke/tris.md2 " + dir_.File("duke.png")).exitCode, 0);
    const auto thumbnail = ReadPng(dir_.File("duke.png"));
    ASSERT_TRUE(thumbnail);
    // The weapon stands beside the body: the picture is wider than the body alone.
    fixtures::FolderBuilder bodyOnly;
    bodyOnly.Add("players/duke/tris.md2", fixtures::DukePlayerFiles().front().second);
    ASSERT_TRUE(bodyOnly.Write(dir_.File("alone")));
    ASSERT_EQ(Cli("thumbnail -s 64 " + dir_.File("alone/players/duke/tris.md2") + " " + dir_.File("alone.png")).exitCode,
              0);
    const auto alone = ReadPng(dir_.File("alone.png"));
    ASSERT_TRUE(alone);
    EXPECT_NE(thumbnail->pixels, alone->pixels);
    ASSERT_EQ(Cli("sheet " + dir_.File("baseq2") + " --filter players/ -o " + dir_.File("sheet.png")).exitCode, 0);
    EXPECT_TRUE(ReadPng(dir_.File("sheet.png")));
}

}  // namespace
