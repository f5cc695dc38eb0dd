// "marovin-cli info" for a map, as a user runs it: alone, after its game folder,
// and lying in a game folder's maps/, read back by Python's json module.
#include <gtest/gtest.h>

#include <string>

#include "support/MapWriters.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace {
// What "info" printed, as Python writes it back with its keys sorted.
CommandOutput MapInfo(const std::string& arguments) {
    return RunCommand(std::string("'") + MAROVIN_CLI + "' info " + arguments + " | '" + MAROVIN_PYTHON3 +
                      "' -c 'import json, sys; print(json.dumps(json.load(sys.stdin), sort_keys=True))' 2>&1");
}
}  // namespace

TEST(MapInfoCli, ReportsTheRoomAndThePicturesItsGameLacks) {
    TempDir dir;
    const std::string game = fixtures::WriteRoomGame(fixtures::MapKind::Quake2, dir.Path() + "/q2");
    const std::string starts =
        "\"starts\": [{\"class\": \"info_player_start\", \"origin\": [64, 64, 24], \"yaw\": 90}, "
        "{\"class\": \"info_player_deathmatch\", \"origin\": [-64, -32, 24], \"yaw\": 180}]";
    const std::string textures =
        "\"textures\": [\"base/floor\", \"base/wall\", \"sky/space\", \"base/water\", \"base/glass\", \"base/door\", "
        "\"base/nowhere\"]";
    const std::string expected = "{\"entities\": 5, \"faces\": 10, \"game\": \"Quake 2\", \"kind\": \"map\", "
                                 "\"missing\": [\"base/nowhere\"], \"skipped\": 0, \"sky\": true, " +
                                 starts + ", " + textures + ", \"version\": 38}\n";
    // In the game folder's maps/, and given after the game folder.
    const CommandOutput inGame = MapInfo("'" + game + "/maps/room.bsp'");
    EXPECT_EQ(inGame.exitCode, 0);
    EXPECT_EQ(inGame.text, expected);
    const std::string loose = dir.Write("elsewhere/room.bsp", *ReadWholeFile(game + "/maps/room.bsp"));
    const CommandOutput after = MapInfo("'" + game + "' '" + loose + "'");
    EXPECT_EQ(after.text, expected);
    // Alone, nothing of the game is found.
    const CommandOutput alone = MapInfo("'" + loose + "'");
    EXPECT_NE(alone.text.find("\"missing\": [\"base/floor\", \"base/wall\""), std::string::npos) << alone.text;
    EXPECT_NE(alone.text.find("\"sky\": false"), std::string::npos) << alone.text;

    // A Half-Life map inside the game folder's pak-less stack, named as an entry.
    const std::string halfLife = fixtures::WriteRoomGame(fixtures::MapKind::HalfLife, dir.Path() + "/hl");
    const CommandOutput entry = MapInfo("'" + halfLife + "' maps/room.bsp");
    EXPECT_NE(entry.text.find("\"version\": 30"), std::string::npos) << entry.text;
    EXPECT_NE(entry.text.find("\"missing\": [\"door\", \"nowhere\"]"), std::string::npos) << entry.text;

    // A damaged map fails with its message.
    const std::string broken = dir.Write("broken.bsp", std::string("IBSP\x26\0\0\0", 8));
    const CommandOutput refused =
        RunCommand(std::string("'") + MAROVIN_CLI + "' info '" + broken + "' 2>&1");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.text.find("The map " + broken + " is not a Quake 2, Quake 1 or Half-Life map."),
              std::string::npos)
        << refused.text;
}
