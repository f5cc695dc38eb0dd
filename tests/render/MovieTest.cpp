// Moving pictures: the quantiser, the recording loop against still captures, and
// what a cancel or a full disk leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "media/PngFile.h"
#include "models/COGLModel.h"
#include "models/ModelFamilies.h"
#include "platform/BinaryIO.h"
#include "render/COGLViewport.h"
#include "render/CommandIds.h"
#include "render/ColorQuantizer.h"
#include "render/MovieCapture.h"
#include "render/MovieWriters.h"
#include "scene/COGLDoc.h"
#include "support/ModelWriters.h"
#include "support/WriteFailure.h"
#include "ViewFixture.h"

using fixtures::MakeBoxModel;
using fixtures::WriteMd2;

namespace {
PngImage Gradient(int width, int height, int channels, int colors) {
    PngImage image{width, height, channels, {}};
    for (int i = 0; i < width * height; ++i) {
        const int c = i % colors;
        image.pixels.push_back(static_cast<std::uint8_t>(c * 37));
        image.pixels.push_back(static_cast<std::uint8_t>(c * 11 + c / 7));
        image.pixels.push_back(static_cast<std::uint8_t>(255 - c));
        if (channels == 4) {
            image.pixels.push_back(i % 7 == 0 ? 0 : 255);
        }
    }
    return image;
}

std::array<std::uint8_t, 3> ColorAt(const IndexedImage& indexed, std::size_t i) {
    return indexed.palette[indexed.indexes[i]];
}
}  // namespace

TEST(ColorQuantizer, KeepsAFewColorsExactlyAndReducesManyClosely) {
    // 256 colours, every one kept as it is.
    const PngImage few = Gradient(64, 32, 3, 256);
    const IndexedImage exact = QuantizeImage(few, {});
    ASSERT_EQ(exact.palette.size(), 256u);
    EXPECT_EQ(exact.transparentIndex, -1);
    for (std::size_t i = 0; i < exact.indexes.size(); ++i) {
        ASSERT_EQ(ColorAt(exact, i), (std::array<std::uint8_t, 3>{few.pixels[i * 3], few.pixels[i * 3 + 1],
                                                                   few.pixels[i * 3 + 2]}))
            << i;
    }
    // With a transparent background 255 colours stay exact beside the transparent index.
    QuantizeOptions clear;
    clear.transparent = true;
    const PngImage cut = Gradient(64, 32, 4, 255);
    const IndexedImage holed = QuantizeImage(cut, clear);
    ASSERT_EQ(holed.palette.size(), 256u);
    for (std::size_t i = 0; i < holed.indexes.size(); ++i) {
        if (cut.pixels[i * 4 + 3] == 0) {
            ASSERT_EQ(holed.indexes[i], holed.transparentIndex) << i;
        } else {
            ASSERT_NE(holed.indexes[i], holed.transparentIndex) << i;
            ASSERT_EQ(ColorAt(holed, i)[0], cut.pixels[i * 4]) << i;
        }
    }
    // 4096 colours come down to 256 that stay near every pixel, dithered or not.
    PngImage many{64, 64, 3, {}};
    for (int i = 0; i < 4096; ++i) {
        many.pixels.insert(many.pixels.end(), {static_cast<std::uint8_t>((i & 15) * 17),
                                               static_cast<std::uint8_t>(((i >> 4) & 15) * 17),
                                               static_cast<std::uint8_t>((i >> 8) * 17)});
    }
    for (const bool dither : {false, true}) {
        QuantizeOptions options;
        options.dither = dither;
        const IndexedImage reduced = QuantizeImage(many, options);
        ASSERT_LE(reduced.palette.size(), 256u);
        double error = 0.0;
        for (std::size_t i = 0; i < reduced.indexes.size(); ++i) {
            for (int c = 0; c < 3; ++c) {
                error += std::abs(int(ColorAt(reduced, i)[std::size_t(c)]) - int(many.pixels[i * 3 + std::size_t(c)]));
            }
        }
        EXPECT_LT(error / (4096.0 * 3.0), dither ? 16.0 : 12.0) << "dither " << dither;
    }
}

class Movie : public ViewFixture {
protected:
    // A box model of four frames growing taller, opened as the program opens it.
    COGLModel& OpenBox() {
        RegisterModelClasses();
        const std::string path =
            dir_.Write("box.md2", WriteMd2(MakeBoxModel({"grow01", "grow02", "grow03", "grow04"}, {8, 16, 24, 32})));
        EXPECT_TRUE(view_->Document().OpenFile(path).succeeded);
        auto* model = dynamic_cast<COGLModel*>(Scene().Selected());
        EXPECT_NE(model, nullptr);
        return *model;
    }
    COGLCamera3D& Camera() { return static_cast<COGLViewport3D&>(view_->ActiveViewport()).Camera3D(); }

    MovieSpec Recording() const {
        MovieSpec movie;
        movie.width = 64;
        movie.height = 48;
        return movie;
    }

    TempDir dir_;
};

// What a writer is handed, frame by frame.
class KeptFrames final : public MovieWriter {
public:
    explicit KeptFrames(const COGLModel* model = nullptr) : model_(model) {}
    bool AddFrame(const CapturedImage& frame, int delayMs) override {
        frames.push_back(frame);
        delays.push_back(delayMs);
        if (model_ != nullptr) {
            poses.push_back({model_->FrameIndex(), model_->NextFrameIndex(), model_->Lerp()});
        }
        return true;
    }
    bool Finish() override {
        finished = true;
        return true;
    }
    struct Pose {
        int index;
        int next;
        float lerp;
    };
    std::vector<CapturedImage> frames;
    std::vector<int> delays;
    std::vector<Pose> poses;
    bool finished = false;

private:
    const COGLModel* model_;
};

TEST_F(Movie, TurntableFramesAreTheStillPicturesOfTheirAnglesAndTheCameraComesBack) {
    Add(object_type::kBox, {0.8f, 0.0f, 0.0f}, 0.5f);
    Camera().AddPitch(20.0f);
    const COGLCamera3D before = Camera();
    MovieSpec movie = Recording();
    movie.turntable = true;
    movie.frames = 4;
    std::string error;
    const auto plan = PlanMovie(*view_, movie, error);
    ASSERT_TRUE(plan) << error;
    EXPECT_FLOAT_EQ(plan->degreesPerFrame, 90.0f);
    KeptFrames kept;
    ASSERT_TRUE(RecordMovie(*view_, movie, *plan, kept, nullptr, error)) << error;
    ASSERT_EQ(kept.frames.size(), 4u);
    EXPECT_TRUE(kept.finished);
    EXPECT_EQ(kept.delays, (std::vector<int>{100, 100, 100, 100}));
    EXPECT_EQ(Camera().yaw, before.yaw);
    EXPECT_EQ(Camera().center.x, before.center.x);

    for (int k = 0; k < 4; ++k) {
        Camera().yaw = COGLCamera3D::WrapAngle(before.yaw + 90.0f * float(k));
        Camera().dirty = true;
        ASSERT_TRUE(view_->Capture(64, 48));
        EXPECT_EQ(view_->Captured().pixels, kept.frames[std::size_t(k)].pixels) << "frame " << k;
    }
    EXPECT_NE(kept.frames[0].pixels, kept.frames[1].pixels);

    // Part of a turn ends on its angle; a flat pane cannot turn.
    movie.degrees = 90.0f;
    EXPECT_FLOAT_EQ(PlanMovie(*view_, movie, error)->degreesPerFrame, 30.0f);
    view_->OnCommand(cmd::kFront);
    view_->OnCommand(cmd::kFastEdit);
    EXPECT_FALSE(PlanMovie(*view_, movie, error));
    EXPECT_NE(error.find("perspective"), std::string::npos) << error;
}

TEST_F(Movie, AnAnimationLoopStepsEvenlyAtTheModelsRateAndBlendsBackToItsFirstFrame) {
    COGLModel& model = OpenBox();
    model.SetFrame(2);
    MovieSpec movie = Recording();
    movie.animated = &model;
    movie.fps = 15.0f;
    std::string error;
    const auto plan = PlanMovie(*view_, movie, error);
    ASSERT_TRUE(plan) << error;
    // Four frames at the games' ten a second last 0.4 s: six frames at 15.
    ASSERT_EQ(plan->frames, 6);
    EXPECT_EQ(plan->delaysMs, (std::vector<int>{67, 66, 67, 67, 66, 67}));
    KeptFrames kept(&model);
    ASSERT_TRUE(RecordMovie(*view_, movie, *plan, kept, nullptr, error)) << error;
    ASSERT_EQ(kept.poses.size(), 6u);
    const float step = 4.0f / 6.0f;
    for (std::size_t k = 0; k < 6; ++k) {
        const float at = step * float(k);
        EXPECT_EQ(kept.poses[k].index, int(at)) << k;
        EXPECT_EQ(kept.poses[k].next, (int(at) + 1) % 4) << k;
        EXPECT_NEAR(kept.poses[k].lerp, at - float(int(at)), 1e-4f) << k;
    }
    // The box grows: each frame differs from the one before, the last leads to the first.
    for (std::size_t k = 1; k < 6; ++k) {
        EXPECT_NE(kept.frames[k].pixels, kept.frames[k - 1].pixels) << k;
    }
    EXPECT_EQ(model.FrameIndex(), 2);  // posed as it was

    // Without interpolation frames are shown whole.
    model.SetInterpolate(false);
    KeptFrames whole(&model);
    ASSERT_TRUE(RecordMovie(*view_, movie, *plan, whole, nullptr, error));
    EXPECT_EQ(whole.poses[5].lerp, 0.0f);
    EXPECT_EQ(whole.poses[5].next, whole.poses[5].index);

    // A model with one frame has nothing to play.
    const std::string still = dir_.Write("still.md2", WriteMd2(MakeBoxModel({"still01"}, {8})));
    ASSERT_TRUE(view_->Document().OpenFile(still).succeeded);
    movie.animated = dynamic_cast<COGLModel*>(Scene().Selected());
    EXPECT_FALSE(PlanMovie(*view_, movie, error));
}

TEST_F(Movie, ACancelOrAFullDiskLeavesNothingAndKeepsTheFileThatWasThere) {
    Add(object_type::kBox, {0.0f, 0.0f, 0.0f}, 0.5f);
    MovieSpec movie = Recording();
    movie.turntable = true;
    movie.frames = 6;
    const std::string old = "the picture that was there";
    for (const char* name : {"kept.gif", "kept.webp", "kept.png", "kept_%02d.png"}) {
        const std::string path = dir_.File(name);
        const auto format = MovieFormatForPath(path);
        ASSERT_TRUE(format) << name;
        if (*format != MovieFormat::PngSequence) {
            dir_.Write(name, old);
        }
        const auto before = FolderContents(dir_.Path());
        std::string error;
        bool cancelled = false;
        int calls = 0;
        EXPECT_FALSE(SaveMovie(*view_, movie, {path, *format}, [&](int done, int total) {
            EXPECT_EQ(total, 6);
            ++calls;
            return done < 3;
        }, error, &cancelled)) << name;
        EXPECT_TRUE(cancelled) << name;
        EXPECT_EQ(calls, 3) << name;
        EXPECT_EQ(FolderContents(dir_.Path()), before) << name;

        {
            FileSizeLimit full(200);
            EXPECT_FALSE(SaveMovie(*view_, movie, {path, *format}, nullptr, error, &cancelled)) << name;
        }
        EXPECT_FALSE(cancelled) << name;
        EXPECT_NE(error.find("cannot"), std::string::npos) << name << ": " << error;
        EXPECT_EQ(FolderContents(dir_.Path()), before) << name;

        // And when all goes well the file is there, whole.
        ASSERT_TRUE(SaveMovie(*view_, movie, {path, *format}, nullptr, error)) << name << ": " << error;
    }
    EXPECT_EQ(ReadPng(dir_.File("kept_05.png"))->width, 64);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("kept_06.png")));
}
