// Capturing the view's picture and writing it out.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <filesystem>

#include "ViewFixture.h"
#include "media/PngFile.h"
#include "platform/BinaryIO.h"
#include "platform/Messages.h"
#include "render/CommandIds.h"
#include "render/ImageOutput.h"
#include "support/WriteFailure.h"

namespace {

// A red box at the origin under a camera looking down -z at it, the light's
// marker right in front of it, on a green background.
class Capture : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        ASSERT_TRUE(view_->OnCommand(cmd::kFront));
        Scene().SetBackgroundColor(0.0f, 1.0f, 0.0f);
        box_ = Add(object_type::kBox, {}, 0.5f);
        box_->SetEmission(1.0f, 0.0f, 0.0f, 1.0f);
        box_->SetDiffuse(0.0f, 0.0f, 0.0f, 1.0f);
        box_->SetAmbient(0.0f, 0.0f, 0.0f, 1.0f);
        DefaultLight().Marker().SetPosition(0.0f, 0.0f, 2.0f);
    }

    // Blue, green, red of a captured pixel (x, y from the bottom).
    std::array<int, 3> At(const CapturedImage& image, int x, int y) {
        const std::uint8_t* p = image.Row(y) + x * image.bytesPerPixel;
        return {p[0], p[1], p[2]};
    }

    int WhitePixels(const CapturedImage& image) {
        int white = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const auto bgr = At(image, x, y);
                white += bgr[0] > 240 && bgr[1] > 240 && bgr[2] > 240 ? 1 : 0;
            }
        }
        return white;
    }

    COGLObject* box_ = nullptr;
};

bool IsRed(const std::array<int, 3>& bgr) { return bgr[2] > 200 && bgr[1] < 50 && bgr[0] < 50; }

}  // namespace

TEST_F(Capture, LeavesOutGridMarkersAndSelectionAndPutsThemBack) {
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    ASSERT_TRUE(view_->OnCommand(cmd::kGrid));
    ASSERT_TRUE(view_->OnCommand(cmd::kAxisMarkers));
    Scene().SetSelectedObject(box_);
    const int repaints = host_.repaints;

    ASSERT_TRUE(view_->Capture(96, 72));
    const CapturedImage& image = view_->Captured();
    EXPECT_EQ(image.width, 96);
    EXPECT_EQ(image.height, 72);
    EXPECT_EQ(image.bytesPerPixel, 3);
    // The box shows through where the marker would hang in front of it; the
    // corners are the scene's background (one perspective pane).
    EXPECT_TRUE(IsRed(At(image, 48, 36)));
    EXPECT_EQ(At(image, 1, 1), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(At(image, 94, 70), (std::array<int, 3>{0, 255, 0}));
    // No selection box: nothing white anywhere.
    EXPECT_EQ(WhitePixels(image), 0);

    EXPECT_EQ(view_->PaneCount(), 4);
    EXPECT_TRUE(view_->Viewport(0).GridShown());
    EXPECT_TRUE(static_cast<COGLViewport3D&>(view_->Viewport(0)).AxisMarkersShown());
    EXPECT_EQ(Scene().Selected(), box_);
    EXPECT_TRUE(DefaultLight().Marker().IsVisible());
    EXPECT_EQ(view_->Viewport(0).Rect(), LayoutPanes(kWidth, kHeight, 4, 0)[0]);
    EXPECT_GT(host_.repaints, repaints);
    // The window's framebuffer is bound again.
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), gl_->Framebuffer());

    view_->Release();
    EXPECT_TRUE(view_->Captured().Empty());
}

TEST_F(Capture, TheMarkerAndSelectionDoShowInTheWindow) {
    Scene().SetSelectedObject(box_);
    view_->Paint();
    // The marker sphere hides the box's centre.
    EXPECT_EQ(Pixel(kWidth / 2, kHeight / 2)[0], 255);
    EXPECT_GT(Pixel(kWidth / 2, kHeight / 2)[1], 200);
    CapturedImage window;
    ASSERT_TRUE(CaptureFramebuffer(0, 0, kWidth, kHeight, 3, window));
    EXPECT_GT(WhitePixels(window), 10);  // the selection box
}

TEST_F(Capture, AllPanesKeepsTheLayout) {
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    ASSERT_TRUE(view_->Capture(100, 80, 3, true));
    const CapturedImage& image = view_->Captured();
    // The separator's face colour runs down the middle.
    EXPECT_EQ(At(image, 50, 10), (std::array<int, 3>{200, 208, 212}));
    EXPECT_EQ(view_->ClientWidth(), kWidth);
}

TEST_F(Capture, AnActiveOrthographicPaneIsCapturedAlone) {
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    view_->SetActiveViewport(2);
    ASSERT_TRUE(view_->Capture(64, 64));
    // One grey pane without its grid: the middle row away from the box is grey.
    EXPECT_EQ(At(view_->Captured(), 3, 5), (std::array<int, 3>{191, 191, 191}));
    EXPECT_EQ(view_->ActiveIndex(), 2);
    EXPECT_TRUE(view_->Viewport(2).GridShown());
}

TEST_F(Capture, ASizeBeyondTheContextFailsAndWritesNothing) {
    EXPECT_FALSE(view_->Capture(100000, 16));
    EXPECT_TRUE(view_->Captured().Empty());
    EXPECT_FALSE(view_->Capture(0, 16));

    TempDir dir;
    const std::string previous = "previous picture";
    const std::string path = dir.Write("kept.png", previous);
    EXPECT_FALSE(view_->SaveImage(path, 1, false, 100000, 16));
    EXPECT_EQ(*ReadWholeFile(path), ByteBuffer(previous.begin(), previous.end()));
    EXPECT_FALSE(view_->SaveImage(dir.File("new.bmp"), 1, false, 100000, 16));
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.bmp")));
    // Still fine afterwards.
    EXPECT_TRUE(view_->Capture(16, 16));
}

TEST_F(Capture, AFullDiskSaysSoInEveryFormatAndKeepsTheOldPicture) {
    TempDir dir;
    for (const char* name : {"kept.bmp", "kept.jpg", "kept.png"}) {
        dir.Write(name, std::string("previous"));
    }
    const auto before = FolderContents(dir.Path());
    for (const char* name : {"kept.bmp", "kept.jpg", "kept.png"}) {
        host_.Clear();
        {
            FileSizeLimit limit(40);  // less than the headers of any picture
            EXPECT_FALSE(view_->SaveImage(dir.File(name), 1)) << name;
        }
        ASSERT_EQ(host_.messages.size(), 1u) << name;
        EXPECT_EQ(host_.messages[0].text, "Error opening file");
    }
    EXPECT_EQ(FolderContents(dir.Path()), before);
}

TEST_F(Capture, SaveImageWritesByTheExtension) {
    TempDir dir;
    EXPECT_FALSE(view_->SaveImage(dir.File("picture.gif"), 1));
    EXPECT_TRUE(host_.HasMessage("The file extension that you entered is not supported."));
    EXPECT_FALSE(std::filesystem::exists(dir.File("picture.gif")));

    ASSERT_TRUE(view_->SaveImage(dir.File("picture.bmp"), 1));
    const auto bmp = ReadWholeFile(dir.File("picture.bmp"));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->size(), 54u + CapturedImage::RowStride(kWidth, 3) * kHeight);
    EXPECT_EQ((*bmp)[0], 'B');

    ASSERT_TRUE(view_->SaveImage(dir.File("picture.JPG"), 3));
    const auto jpeg = ReadWholeFile(dir.File("picture.JPG"));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ((*jpeg)[0], 0xFF);
    EXPECT_EQ((*jpeg)[1], 0xD8);
    EXPECT_TRUE(view_->Captured().Empty());  // released after writing
}

TEST_F(Capture, TransparentPngsLeaveTheBackgroundOut) {
    TempDir dir;
    ASSERT_TRUE(view_->SaveImage(dir.File("cut.png"), 1, true, 40, 30));
    const auto png = ReadPng(dir.File("cut.png"));
    ASSERT_TRUE(png);
    ASSERT_EQ(png->channels, 4);
    EXPECT_EQ(png->width, 40);
    const auto alpha = [&](int x, int y) { return png->pixels[(std::size_t(y) * 40 + std::size_t(x)) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(20, 15), 255);
    EXPECT_FALSE(view_->TransparentBackground());

    // Without transparency the same picture is opaque RGB.
    ASSERT_TRUE(view_->SaveImage(dir.File("full.png"), 1, false, 40, 30));
    EXPECT_EQ(ReadPng(dir.File("full.png"))->channels, 3);
}
