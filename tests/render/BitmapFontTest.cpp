#include <gtest/gtest.h>

#include <GL/gl.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "platform/Diagnostics.h"
#include "platform/FileSystem.h"
#include "render/BitmapFont.h"
#include "support/TestSupport.h"

class BitmapFontGL : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        paths::SetProgramDirectoryForTesting(logs_.Path());
        ResetLogsForTesting();
    }
    void TearDown() override {
        paths::SetProgramDirectoryForTesting("");
        ResetLogsForTesting();
        GLFixture::TearDown();
    }
    std::string DebugLog() const {
        std::ifstream in(logs_.File("log.txt"));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static int LitPixels() {
        std::vector<unsigned char> pixels(std::size_t(kWidth) * kHeight * 4);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        int lit = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            lit += pixels[i] > 128;
        }
        return lit;
    }
    TempDir logs_;
};

TEST_F(BitmapFontGL, DrawsOverlayTextFromLists1000To1254) {
    BitmapFont font;
    std::string error;
    ASSERT_TRUE(font.Create(&error)) << error;
    EXPECT_TRUE(glIsList(1000));
    EXPECT_TRUE(glIsList(1000 + 'X'));
    EXPECT_TRUE(glIsList(1254));
    EXPECT_FALSE(glIsList(1255));

    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    glListBase(7);
    BitmapFont::DrawText(10, 20, "+X");
    glFinish();
    const int lit = LitPixels();
    EXPECT_GT(lit, 10);
    EXPECT_LT(lit, 13 * 20);  // two characters of a 13-pixel font, not a filled block

    // The raster position moved by both characters' advances; the list base is restored.
    GLfloat raster[4] = {};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    EXPECT_GT(raster[0], 10 + 10);
    EXPECT_LT(raster[0], 10 + 30);
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 7);

    // Spaces advance without drawing.
    glClear(GL_COLOR_BUFFER_BIT);
    BitmapFont::DrawText(10, 20, "   ");
    EXPECT_EQ(LitPixels(), 0);

    font.Destroy();
    EXPECT_FALSE(glIsList(1000));
    EXPECT_FALSE(glIsList(1254));
    EXPECT_EQ(DebugLog(), "");  // "delete lists" found no GL error
}

TEST_F(BitmapFontGL, CreationWithoutAContextReportsTheFontMessage) {
    gl_.reset();
    BitmapFont font;
    std::string error;
    EXPECT_FALSE(font.Create(&error));
    EXPECT_EQ(error, "Could no create font");
    EXPECT_FALSE(font.IsCreated());
}
