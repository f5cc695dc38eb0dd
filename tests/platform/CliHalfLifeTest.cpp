// What the command-line tool tells of a Half-Life model (read back by Python's
// json module) and the posing options render, thumbnail and export share.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/BinaryIO.h"
#include "support/RunCommand.h"
#include "support/StudioWriters.h"
#include "support/TestSupport.h"

namespace {
std::string Quoted(const std::string& text) { return "'" + text + "'"; }

CommandOutput Cli(const std::string& arguments) {
    return RunCommand(Quoted(MAROVIN_CLI) + " " + arguments + " 2>&1");
}

// Runs `check` (Python statements over `d`, the parsed JSON) on what info printed;
// the output is "ok" when every assertion holds.
CommandOutput CheckInfo(const TempDir& dir, const std::string& path, const std::string& check) {
    const std::string script =
        dir.Write("check.py", "import json, sys\nd = json.load(sys.stdin.buffer)\n" + check + "\nprint('ok')\n");
    return RunCommand(Quoted(MAROVIN_CLI) + " info " + Quoted(path) + " | " + Quoted(MAROVIN_PYTHON3) + " " +
                      Quoted(script) + " 2>&1");
}

ByteBuffer Bytes(const std::string& path) { return ReadWholeFile(path).value_or(ByteBuffer{}); }
}  // namespace

TEST(CliHalfLife, InfoListsPartsControllersEventsAttachmentsAndHitBoxes) {
    TempDir dir;
    const std::string mdl = dir.Write("models/scientist.mdl", fixtures::WriteStudioModel(fixtures::MakeFullStudioModel()));
    const CommandOutput out = CheckInfo(dir, mdl, R"(
parts = d['body_parts']
assert [p['name'] for p in parts] == ['body', 'heads'], parts
assert [m['name'] for m in parts[0]['models']] == ['body_a', 'body_b', 'body_c'], parts
assert parts[1]['models'][1] == {'name': 'head_b', 'vertices': 16}, parts[1]
assert d['skin_families'] == 3
c = d['controllers']
assert [(x['bone'], x['type'], x['start'], x['end']) for x in c] == [(2, 0x8020, -180, 180), (3, 0x10, -30, 30), (4, 1, 0, 4)], c
assert d['attachments'] == [{'name': 'muzzle', 'bone': 3, 'origin': [6, 0, 0]}, {'name': 'eyes', 'bone': 2, 'origin': [3, 0, 4]}], d['attachments']
assert [(h['bone'], h['group']) for h in d['hitboxes']] == [(2, 1), (1, 2), (3, 5)], d['hitboxes']
s = d['sequences']
assert s[0]['events'] == [{'frame': 3, 'event': 1004, 'options': 'common/npc_step1.wav'}], s[0]
assert [(e['frame'], e['event'], e['options']) for e in s[1]['events']] == [(0, 5001, '10'), (2, 5002, '20')], s[1]
assert (s[1]['looping'], s[1]['activity'], s[1]['activity_weight'], s[1]['blends']) == (False, 7, 2, 4), s[1]
)");
    EXPECT_EQ(out.exitCode, 0) << out.text;
    EXPECT_EQ(out.text, "ok\n");
}

TEST(CliHalfLife, RenderThumbnailAndExportTakeThePoseAndAFollower) {
    TempDir dir;
    const std::string mdl = dir.Write("models/scientist.mdl", fixtures::WriteStudioModel(fixtures::MakeFullStudioModel()));
    const std::string tool = dir.Write("models/p_tool.mdl", fixtures::WriteStudioModel(fixtures::MakeStudioFollower()));
    const std::string render = "render --size 96x96 --camera front --fit " + Quoted(mdl) + " ";

    ASSERT_EQ(Cli(render + "-o " + Quoted(dir.File("plain.png"))).exitCode, 0);
    const struct {
        const char* name;
        const char* options;
    } poses[] = {{"body", "--body 5"},
                 {"skin", "--skin 2"},
                 {"family", "--skin-family 2"},
                 {"posed", "--controller 0=90 --controller 1=-30 --mouth 4 --animation aim4 --blend 60,30"},
                 {"follow", "--follow "}};
    for (const auto& pose : poses) {
        std::string options = pose.options;
        if (options == "--follow ") {
            options += Quoted(tool);
        }
        const CommandOutput out = Cli(render + options + " -o " + Quoted(dir.File(std::string(pose.name) + ".png")));
        ASSERT_EQ(out.exitCode, 0) << pose.name << ": " << out.text;
        EXPECT_NE(Bytes(dir.File(std::string(pose.name) + ".png")), Bytes(dir.File("plain.png"))) << pose.name;
    }
    EXPECT_EQ(Bytes(dir.File("skin.png")), Bytes(dir.File("family.png"))) << "--skin N is the skin family";

    // The pair saved by render opens again with its follower and pose.
    ASSERT_EQ(Cli(render + "--body 5 --follow " + Quoted(tool) + " --save-scene " + Quoted(dir.File("pair.dv")) +
                  " -o " + Quoted(dir.File("pair.png")))
                  .exitCode,
              0);
    ASSERT_EQ(Cli("render --size 96x96 " + Quoted(dir.File("pair.dv")) + " -o " +
                  Quoted(dir.File("pair-again.png")))
                  .exitCode,
              0);
    EXPECT_EQ(Bytes(dir.File("pair-again.png")), Bytes(dir.File("pair.png")));

    // Wrong values are usage errors; a follower that does not read fails.
    EXPECT_EQ(Cli(render + "--skin red -o " + Quoted(dir.File("bad.png"))).exitCode, 2);
    EXPECT_EQ(Cli(render + "--body -1 -o " + Quoted(dir.File("bad.png"))).exitCode, 2);
    EXPECT_EQ(Cli(render + "--blend 1,x -o " + Quoted(dir.File("bad.png"))).exitCode, 2);
    EXPECT_EQ(Cli(render + "--follow " + Quoted(dir.File("none.mdl")) + " -o " + Quoted(dir.File("bad.png"))).exitCode, 1);

    // thumbnail and export pose the model the same way.
    const std::string thumbnail = "thumbnail -s 64 ";
    ASSERT_EQ(Cli(thumbnail + Quoted(mdl) + " " + Quoted(dir.File("t-plain.png"))).exitCode, 0);
    const CommandOutput posedThumb =
        Cli(thumbnail + "--skin 1 --body 4 --follow " + Quoted(tool) + " " + Quoted(mdl) + " " + Quoted(dir.File("t-posed.png")));
    ASSERT_EQ(posedThumb.exitCode, 0) << posedThumb.text;
    EXPECT_NE(Bytes(dir.File("t-posed.png")), Bytes(dir.File("t-plain.png")));
    EXPECT_EQ(Cli(thumbnail + "--skin x " + Quoted(mdl) + " " + Quoted(dir.File("bad.png"))).exitCode, 2);

    ASSERT_EQ(Cli("export " + Quoted(mdl) + " -o " + Quoted(dir.File("plain.glb"))).exitCode, 0);
    const CommandOutput posedExport = Cli("export " + Quoted(mdl) + " --skin 1 --body 5 -o " + Quoted(dir.File("posed.glb")));
    ASSERT_EQ(posedExport.exitCode, 0) << posedExport.text;
    EXPECT_NE(Bytes(dir.File("posed.glb")), Bytes(dir.File("plain.glb")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.png")));
}
