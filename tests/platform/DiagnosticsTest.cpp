#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/Diagnostics.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {
std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct FatalEnded {
    std::string text;
};

void ThrowInsteadOfAbort(const std::string& text) { throw FatalEnded{text}; }
}  // namespace

class Diagnostics : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        paths::SetProgramDirectoryForTesting(dir_.Path());
        ResetLogsForTesting();
    }
    void TearDown() override {
        paths::SetProgramDirectoryForTesting("");
        ResetLogsForTesting();
        SetFatalHandlerForTesting(nullptr);
        HostFixture::TearDown();
    }
    TempDir dir_;
};

TEST_F(Diagnostics, EachRunStartsTheLogsAfresh) {
    dir_.Write("log.txt", std::string("previous run\n"));
    WriteDebugLog("first\n");
    WriteDebugLog("second\n");
    EXPECT_EQ(Slurp(dir_.File("log.txt")), "first\nsecond\n");
    EXPECT_TRUE(host_.messages.empty());  // the debug log shows nothing

    WriteErrorLog("broken\n");
    EXPECT_EQ(Slurp(dir_.File("errors.txt")), "broken\n");
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].text, "broken\n");
}

TEST_F(Diagnostics, UnpreparableLogShowsItsFailureAndWritesNothing) {
    paths::SetProgramDirectoryForTesting(dir_.Path() + "/missing");
    paths::SetUserDirectoriesForTesting("/proc/no-such/state", "/proc/no-such/data");
    WriteErrorLog("lost");
    paths::SetUserDirectoriesForTesting("", "");
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].text, "Could not initialize Error outputter");
}

TEST_F(Diagnostics, FatalReportShowsTextTwiceThenEnds) {
    SetFatalHandlerForTesting(ThrowInsteadOfAbort);
    try {
        ReportPlatformFailure("eglMakeCurrent");
        FAIL() << "a fatal report returned";
    } catch (const FatalEnded& ended) {
        EXPECT_EQ(ended.text.rfind("eglMakeCurrent\n\nThis error was probably caused by an incompatable version", 0), 0u);
    }
    ASSERT_EQ(host_.messages.size(), 2u);
    EXPECT_EQ(host_.messages[1].icon, MessageIcon::Stop);
    EXPECT_NE(Slurp(dir_.File("errors.txt")).find("IMPORTANT!! DO NOT put the OpenGL dlls"), std::string::npos);
    EXPECT_LE(IncompatibleDriverMessage(std::string(2000, 'x')).size(), 1023u);
}

TEST(DiagnosticsPackColor, PacksLikeAColourReference) {
    EXPECT_EQ(PackColor(1.0f, 0.0f, 0.0f), 0x0000FFu);
    EXPECT_EQ(PackColor(0.0f, 1.0f, 0.5f), 0x7FFF00u);
    EXPECT_EQ(PackColor(0.0f, 0.0f, 1.0f), 0xFF0000u);
    EXPECT_EQ(PackColor(2.0f, 0.0f, 0.0f), 0xFEu);  // masked to 8 bits, not clamped
}
