// What the command-line tool reports of names read from game files: 8-bit
// Windows text in the files, UTF-8 JSON on its output, read back by Python's
// json module (which refuses anything that is not UTF-8).
#include <gtest/gtest.h>

#include <string>

#include "support/ModelWriters.h"
#include "support/RunCommand.h"
#include "support/StudioWriters.h"
#include "support/TestSupport.h"

namespace {
// What "info" printed, as Python's json module writes it back: plain ASCII, other
// letters as \uXXXX.
CommandOutput InfoThroughPython(const std::string& path) {
    return RunCommand(std::string("'") + MAROVIN_CLI + "' info '" + path + "' | '" + MAROVIN_PYTHON3 +
                      "' -c 'import json, sys; print(json.dumps(json.load(sys.stdin.buffer)))' 2>&1");
}
}  // namespace

TEST(CliNames, InfoReportsWindowsTextNamesAsUtf8Json) {
    TempDir dir;
    fixtures::StudioModelDef studio = fixtures::MakeFigure();
    studio.textures[0].name = "BierB\xFC" "chse1.bmp";
    studio.sequences[0].label = "\x80uro";
    studio.bodyParts[0].name = "K\xF6rper";
    const std::string mdl = dir.Write("models/figure.mdl", fixtures::WriteStudioModel(studio));
    const CommandOutput halfLife = InfoThroughPython(mdl);
    ASSERT_EQ(halfLife.exitCode, 0) << halfLife.text;
    EXPECT_NE(halfLife.text.find("\"BierB\\u00fcchse1.bmp\""), std::string::npos) << halfLife.text;
    EXPECT_NE(halfLife.text.find("\"\\u20acuro\""), std::string::npos) << halfLife.text;
    EXPECT_NE(halfLife.text.find("\"K\\u00f6rper\""), std::string::npos) << halfLife.text;

    const std::string md2 = dir.Write("models/can/tris.md2",
                                      fixtures::WriteMd2(fixtures::MakeBoxModel({"\xFC" "ber1", "\x80uro1"}, {})));
    const CommandOutput quake2 = InfoThroughPython(md2);
    ASSERT_EQ(quake2.exitCode, 0) << quake2.text;
    EXPECT_NE(quake2.text.find("\"\\u00fcber\""), std::string::npos) << quake2.text;
    EXPECT_NE(quake2.text.find("\"\\u20acuro\""), std::string::npos) << quake2.text;
}
