#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/MovieWriters.h"

class COGLModel;
class COGLView;

// What a moving picture shows: the active pane's camera turning about its orbit
// centre, one loop of a model's animation, or both at once. Every frame is drawn
// as the still picture is (one pane, no grid, the background or transparent).
struct MovieSpec {
    bool turntable = false;
    float degrees = 360.0f;  // the turn over the whole picture; a full turn ends where it began
    // Where the camera orbits: its own centre, the selection's or the whole scene's.
    enum class Orbit { Camera, Selection, Scene } orbit = Orbit::Camera;
    COGLModel* animated = nullptr;  // plays one loop of its current animation; none: the models stand still
    int frames = 0;                 // 0: as long as the loop at `fps` (36 for a turntable alone)
    float fps = 10.0f;
    int width = 0;
    int height = 0;
    bool transparent = false;
};

// The frames a movie makes: how many, how far each turns the camera and moves
// the model, and how long each is shown.
struct MoviePlan {
    int frames = 0;
    float degreesPerFrame = 0.0f;
    float modelFramesPerFrame = 0.0f;
    std::vector<int> delaysMs;
};

// Nothing, with `error`, for a movie that cannot be recorded (a turntable in an
// orthographic pane, a model with nothing to play, a bad size or rate).
std::optional<MoviePlan> PlanMovie(const COGLView& view, const MovieSpec& movie, std::string& error);

// Told after each frame (frames done, frames in all); false cancels.
using MovieProgress = std::function<bool(int done, int total)>;

// Draws the planned frames into `writer` one by one and finishes it. The view's
// camera and the model's pose come back as they were whatever happens. False with
// `error` on a failure, or with `cancelled` set (and no file) when `progress`
// said stop.
bool RecordMovie(COGLView& view, const MovieSpec& movie, const MoviePlan& plan, MovieWriter& writer,
                 const MovieProgress& progress, std::string& error, bool* cancelled = nullptr);

struct MovieOutput {
    std::string path;
    MovieFormat format = MovieFormat::Gif;
    int quality = -1;
    bool dither = false;
};

// Plans, opens the writer, records and puts the file in place: what the window
// and the command line both do.
bool SaveMovie(COGLView& view, const MovieSpec& movie, const MovieOutput& output, const MovieProgress& progress,
               std::string& error, bool* cancelled = nullptr);
