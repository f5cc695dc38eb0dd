#include <gtest/gtest.h>

#include <string>

#include "models/sin/SinDef.h"
#include "support/SinWriters.h"
#include "support/TestSupport.h"

namespace {
std::optional<SinDefinition> Parse(const std::string& text) { return ParseSinDef(text.data(), text.size()); }
}  // namespace

TEST(SinDef, OnlyTextStartingWithTheIdentIsADefinition) {
    EXPECT_FALSE(Parse("").has_value());
    EXPECT_FALSE(Parse("SDE").has_value());
    EXPECT_FALSE(Parse("sdef\r\nx.sbm\r\n").has_value()) << "the ident is matched exactly";
    EXPECT_FALSE(Parse(" SDEF\r\n").has_value());
    EXPECT_TRUE(Parse("SDEF").has_value());
}

TEST(SinDef, FilesAreNamedByTheirFirstWordOrTheirTitle) {
    const auto def = Parse(fixtures::SinDefText({"path models/crate", "scale 2", "Crate.SBM", "run1 run.sam",
                                                 "run.sam", "  walk\twalk_fast.SAM  ", "red  crate_red.tga",
                                                 "crate_blue.TGA"}));
    ASSERT_TRUE(def.has_value());
    EXPECT_EQ(def->prefix, "models/crate");
    ASSERT_TRUE(def->scale.has_value());
    EXPECT_FLOAT_EQ(*def->scale, 0.1f) << "scale 2 is 2 x 0.05";
    EXPECT_EQ(def->modelPath, "models/crate/Crate.SBM");
    ASSERT_EQ(def->animations.size(), 3u);
    EXPECT_EQ(def->animations[0].name, "run1");
    EXPECT_EQ(def->animations[0].path, "models/crate/run.sam");
    EXPECT_EQ(def->animations[1].name, "run");
    EXPECT_EQ(def->animations[2].name, "walk");
    EXPECT_EQ(def->animations[2].path, "models/crate/walk_fast.SAM");
    ASSERT_EQ(def->skins.size(), 2u);
    EXPECT_EQ(def->skins[0].name, "red");
    EXPECT_EQ(def->skins[0].path, "models/crate/crate_red.tga");
    EXPECT_EQ(def->skins[1].name, "crate_blue");
}

TEST(SinDef, LinesEndAtCarriageReturnLineFeedOnly) {
    // A lone line feed does not end the line: everything is one line, told by its
    // last extension, and the first word of the whole text names it.
    const auto lone = Parse("SDEF\npath models/x\nx.sbm\nidle.sam\n");
    ASSERT_TRUE(lone.has_value());
    EXPECT_TRUE(lone->modelPath.empty());
    EXPECT_TRUE(lone->prefix.empty());
    ASSERT_EQ(lone->animations.size(), 1u);
    EXPECT_EQ(lone->animations[0].name, "SDEF");

    // The last line needs no line end; a NUL ends the text.
    const std::string text = std::string("SDEF\r\nbox.sbm\r\nidle.sam") + '\0' + "\r\nrun.sam\r\n";
    const auto def = Parse(text);
    ASSERT_TRUE(def.has_value());
    EXPECT_EQ(def->modelPath, "box.sbm") << "no prefix: the file alone";
    ASSERT_EQ(def->animations.size(), 1u);

    // A line longer than 1023 characters is cut there.
    const auto longLine = Parse("SDEF\r\n" + std::string(1020, ' ') + "x.sbm\r\n");
    ASSERT_TRUE(longLine.has_value());
    EXPECT_TRUE(longLine->modelPath.empty());
}

TEST(SinDef, CommentsAreLeftOut) {
    const auto def = Parse(fixtures::SinDefText({"// old.sbm", "/* a block", "gone.sam", "still.tga */ kept.sam",
                                                 "box.sbm // the model", "idle.sam /* inline */", "/* x */ run run.sam",
                                                 "path a/b /* trailing"}));
    ASSERT_TRUE(def.has_value());
    EXPECT_EQ(def->modelPath, "box.sbm");
    EXPECT_TRUE(def->skins.empty());
    ASSERT_EQ(def->animations.size(), 3u);
    EXPECT_EQ(def->animations[0].name, "kept");
    EXPECT_EQ(def->animations[1].name, "idle");
    EXPECT_EQ(def->animations[2].name, "run");
    EXPECT_EQ(def->prefix, "a/b");
}

TEST(SinDef, OtherLinesAreIgnoredAndGroupsRemembered) {
    const auto def = Parse(fixtures::SinDefText({"origin 0,0,8.5", "id 1 body", "id 2 cape TwoSided", "!init:",
                                                 "server flags 0", "scale x", "path", "box.sbm", "idle.sam"}));
    ASSERT_TRUE(def.has_value());
    EXPECT_FALSE(def->scale.has_value()) << "a scale that is not a number changes nothing";
    EXPECT_TRUE(def->prefix.empty());
    EXPECT_EQ(def->modelPath, "box.sbm");
    EXPECT_FALSE(def->TwoSided(1));
    EXPECT_TRUE(def->TwoSided(2));
    EXPECT_FALSE(def->TwoSided(3));

    // The prefix in force when a line is read is the one its file takes.
    const auto order = Parse(fixtures::SinDefText({"a.sam", "path p", "b.sam"}));
    ASSERT_TRUE(order.has_value());
    EXPECT_EQ(order->animations[0].path, "a.sam");
    EXPECT_EQ(order->animations[1].path, "p/b.sam");
}

TEST(SinDef, FilesOnDiskAreFoundUnderTheNearestFolderAbove) {
    TempDir dir;
    dir.Write("game/models/crate/CRATE.sbm", std::string("near"));
    dir.Write("game/models/crate/crate.def", std::string("SDEF"));
    dir.Write("models/crate/crate.sbm", std::string("far"));
    dir.Write("flat/crate.def", std::string("SDEF"));
    dir.Write("flat/crate.sbm", std::string("beside"));
    const std::string defDir = dir.Path() + "/game/models/crate/";
    const std::string found = LocateSinFile(defDir, "models/crate/crate.sbm");
    EXPECT_EQ(found, dir.Path() + "/game/models/crate/CRATE.sbm") << "letter case matched loosely";
    EXPECT_EQ(LocateSinFile(dir.Path() + "/other/", "models/crate/crate.sbm"), dir.Path() + "/models/crate/crate.sbm");
    EXPECT_EQ(LocateSinFile(dir.Path() + "/flat/", "models/elsewhere/crate.sbm"), dir.Path() + "/flat/crate.sbm");
    EXPECT_EQ(LocateSinFile(defDir, "models/crate/none.sbm"), "");
    EXPECT_EQ(LocateSinFile(defDir, ""), "");
}
