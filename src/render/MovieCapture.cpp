#include "render/MovieCapture.h"

#include <cmath>

#include "models/COGLModel.h"
#include "render/COGLView.h"
#include "render/COGLViewport.h"
#include "render/Framing.h"
#include "scene/COGLScene.h"

namespace {
constexpr int kTurntableFrames = 36;
constexpr int kLargestSide = 8192;
constexpr int kMostFrames = 10000;
constexpr float kFastestRate = 100.0f;

// Puts back the camera, the model's pose and the animation clock's suspension
// of a recording, however it ends.
class RecordingState {
public:
    RecordingState(COGLView& view, COGLModel* model) : view_(view), model_(model) {
        suspended_ = view.AnimationSuspended();
        view.SuspendAnimation(true);
        transparent_ = view.TransparentBackground();
        if (view.ActiveViewport().IsPerspective()) {
            camera_ = static_cast<COGLViewport3D&>(view.ActiveViewport()).Camera3D();
            hasCamera_ = true;
        }
        if (model_ != nullptr) {
            position_ = model_->FramePosition();
            index_ = model_->FrameIndex();
            next_ = model_->NextFrameIndex();
            lerp_ = model_->Lerp();
        }
    }
    ~RecordingState() {
        if (model_ != nullptr) {
            model_->SetLoopPosition(position_);
            model_->SetFrameState(index_, next_, lerp_);
        }
        if (hasCamera_ && view_.ActiveViewport().IsPerspective()) {
            static_cast<COGLViewport3D&>(view_.ActiveViewport()).Camera3D() = camera_;
        }
        view_.SetTransparentBackground(transparent_);
        view_.SuspendAnimation(suspended_);
    }
    RecordingState(const RecordingState&) = delete;
    RecordingState& operator=(const RecordingState&) = delete;

private:
    COGLView& view_;
    COGLModel* model_;
    bool suspended_ = false;
    bool transparent_ = false;
    COGLCamera3D camera_;
    bool hasCamera_ = false;
    float position_ = 0.0f;
    int index_ = 0;
    int next_ = 0;
    float lerp_ = 0.0f;
};
}  // namespace

std::optional<MoviePlan> PlanMovie(const COGLView& view, const MovieSpec& movie, std::string& error) {
    if (movie.width <= 0 || movie.height <= 0 || movie.width > kLargestSide || movie.height > kLargestSide) {
        error = "a moving picture is 1 to " + std::to_string(kLargestSide) + " pixels a side";
        return std::nullopt;
    }
    if (!(movie.fps > 0.0f) || movie.fps > kFastestRate) {
        error = "the frame rate must be above 0 and at most " + std::to_string(int(kFastestRate));
        return std::nullopt;
    }
    if (movie.frames < 0 || movie.frames > kMostFrames) {
        error = "a moving picture has 1 to " + std::to_string(kMostFrames) + " frames";
        return std::nullopt;
    }
    if (!movie.turntable && movie.animated == nullptr) {
        error = "a moving picture needs a turntable, an animation or both";
        return std::nullopt;
    }
    if (movie.turntable && (!view.ActiveViewport().IsPerspective() || !std::isfinite(movie.degrees))) {
        error = !std::isfinite(movie.degrees) ? "the turntable's angle is not a number"
                                             : "a turntable needs a perspective pane: the active one is flat";
        return std::nullopt;
    }
    MoviePlan plan;
    int loop = 0;
    if (movie.animated != nullptr) {
        loop = movie.animated->LoopFrames();
        if (movie.animated->GetAnimation() == nullptr || movie.animated->GetAnimation()->frameCount < 2 || loop < 1) {
            error = "the model '" + movie.animated->Name() + "' has no animation of two frames or more to play";
            return std::nullopt;
        }
        const float seconds = static_cast<float>(loop) / movie.animated->FramesPerSecond();
        plan.frames = movie.frames > 0 ? movie.frames
                                      : std::clamp(static_cast<int>(std::lround(seconds * movie.fps)), 1, kMostFrames);
        plan.modelFramesPerFrame = static_cast<float>(loop) / static_cast<float>(plan.frames);
    } else {
        plan.frames = movie.frames > 0 ? movie.frames : kTurntableFrames;
    }
    if (movie.turntable) {
        // A whole turn would show its first frame again at the end; a part of one
        // ends on the angle asked for.
        const bool whole = std::fabs(movie.degrees) >= 360.0f;
        plan.degreesPerFrame = whole || plan.frames == 1 ? movie.degrees / static_cast<float>(plan.frames)
                                                         : movie.degrees / static_cast<float>(plan.frames - 1);
    }
    // Each frame ends at the whole millisecond nearest its true time, so the
    // delays add up to the loop's length.
    for (int k = 0; k < plan.frames; ++k) {
        const auto at = [&](int frame) { return std::lround(1000.0 * frame / static_cast<double>(movie.fps)); };
        plan.delaysMs.push_back(static_cast<int>(at(k + 1) - at(k)));
    }
    return plan;
}

bool RecordMovie(COGLView& view, const MovieSpec& movie, const MoviePlan& plan, MovieWriter& writer,
                 const MovieProgress& progress, std::string& error, bool* cancelled) {
    if (cancelled != nullptr) {
        *cancelled = false;
    }
    RecordingState restore(view, movie.animated);
    view.SetTransparentBackground(movie.transparent);
    COGLCamera3D* camera = nullptr;
    if (movie.turntable) {
        camera = &static_cast<COGLViewport3D&>(view.ActiveViewport()).Camera3D();
        std::optional<WorldBox> box;
        if (movie.orbit == MovieSpec::Orbit::Scene && view.Scene() != nullptr) {
            box = SceneBounds(*view.Scene());
        } else if (movie.orbit == MovieSpec::Orbit::Selection && view.Scene() != nullptr &&
                   view.Scene()->Selected() != nullptr) {
            box = WorldBoundsOf(*view.Scene()->Selected());
        }
        if (box) {
            camera->center = -box->Center();
            camera->dirty = true;
        }
    }
    const float startYaw = camera != nullptr ? camera->yaw : 0.0f;
    for (int k = 0; k < plan.frames; ++k) {
        if (camera != nullptr) {
            // Each angle from the start, so rounding does not add up over the turn.
            camera->yaw = COGLCamera3D::WrapAngle(startYaw + plan.degreesPerFrame * static_cast<float>(k));
            camera->dirty = true;
        }
        if (movie.animated != nullptr) {
            movie.animated->SetLoopPosition(plan.modelFramesPerFrame * static_cast<float>(k));
            // The map's liquids move on with the model, at the picture's own time.
            if (SceneBackdrop* backdrop = view.Scene() != nullptr ? view.Scene()->Backdrop() : nullptr) {
                backdrop->SetAnimationTime(static_cast<double>(k) / static_cast<double>(movie.fps));
            }
        }
        if (!view.Capture(movie.width, movie.height, movie.transparent ? 4 : 3)) {
            error = "cannot render a " + std::to_string(movie.width) + "x" + std::to_string(movie.height) + " frame";
            return false;
        }
        const bool added = writer.AddFrame(view.Captured(), plan.delaysMs[static_cast<std::size_t>(k)]);
        view.Release();
        if (!added) {
            error = writer.Error();
            return false;
        }
        if (progress && !progress(k + 1, plan.frames)) {
            if (cancelled != nullptr) {
                *cancelled = true;
            }
            error = "cancelled";
            return false;
        }
    }
    if (!writer.Finish()) {
        error = writer.Error();
        return false;
    }
    return true;
}

bool SaveMovie(COGLView& view, const MovieSpec& movie, const MovieOutput& output, const MovieProgress& progress,
               std::string& error, bool* cancelled) {
    if (cancelled != nullptr) {
        *cancelled = false;
    }
    const std::optional<MoviePlan> plan = PlanMovie(view, movie, error);
    if (!plan) {
        return false;
    }
    MovieSettings settings;
    settings.width = movie.width;
    settings.height = movie.height;
    settings.frameCount = plan->frames;
    settings.fps = movie.fps;
    settings.transparent = movie.transparent;
    settings.quality = output.quality;
    settings.dither = output.dither;
    std::unique_ptr<MovieWriter> writer = OpenMovieWriter(output.path, output.format, settings, error);
    return writer != nullptr && RecordMovie(view, movie, *plan, *writer, progress, error, cancelled);
}
