#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/Fonts.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "support/TestSupport.h"

class HostSettings : public HostFixture {};

TEST_F(HostSettings, HeadlessHostRecordsMessagesAndAnswersCancel) {
    ShowMessage(msg::kNoMoreLights);
    EXPECT_TRUE(host_.HasMessage("No more lights are available."));
    host_.yesNoAnswer = MessageResult::No;
    EXPECT_EQ(GetHost().ShowMessage(msg::kClearTheScene.text, MessageButtons::YesNo), MessageResult::No);
    EXPECT_FALSE(GetHost().PromptForFile("This PAK file cannot be located.", filters::kPak, "x.pak"));
    ASSERT_EQ(host_.prompts.size(), 1u);
    {
        ProgressScope progress("Loading...", 3);
        progress.Step();
        WaitCursor wait;
        EXPECT_EQ(host_.waitCursorDepth, 1);
    }
    EXPECT_EQ(host_.progressDepth, 0);
    EXPECT_EQ(host_.progressSteps, 1);
    EXPECT_EQ(host_.waitCursorDepth, 0);
}

TEST_F(HostSettings, MessagesTakeTheirPath) {
    EXPECT_EQ(FormatMessage(msg::kNotDuvFile, "/tmp/a.dv"), "/tmp/a.dv is not a DUV File.");
    EXPECT_EQ(msg::kExtensionNotSupported.id, 33492);
}

TEST_F(HostSettings, SettingsKeepDefaultsUntilWritten) {
    Settings& s = GetSettings();
    EXPECT_EQ(s.GetInt(settings_keys::kSettings, settings_keys::kGamma, 100), 100);
    s.SetInt(settings_keys::kSettings, settings_keys::kGamma, 80);
    EXPECT_EQ(s.GetInt(settings_keys::kSettings, settings_keys::kGamma, 100), 80);
    s.SetString(settings_keys::kVWep, settings_keys::kVWepPakFile, "/q2/pak0.pak");
    EXPECT_EQ(s.GetString(settings_keys::kVWep, settings_keys::kVWepPakFile, ""), "/q2/pak0.pak");
    // A string that is not a number reads as the default.
    EXPECT_EQ(s.GetInt(settings_keys::kVWep, settings_keys::kVWepPakFile, 7), 7);
    s.Remove(settings_keys::kSettings, settings_keys::kGamma);
    EXPECT_EQ(s.GetInt(settings_keys::kSettings, settings_keys::kGamma, 100), 100);
}

TEST(Fonts, ArialResolvesToAnInstalledScalableFace) {
    const std::string path = FindFontFile("Arial");
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(fs_util::FileExists(path)) << path;
}
