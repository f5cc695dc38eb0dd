#pragma once

#include <memory>
#include <optional>
#include <string>

#include "render/CapturedImage.h"

// Writers of moving pictures. Frames come one at a time and are encoded (or
// handed on) as they come, so memory does not grow with the frame count; the
// file appears only when Finish succeeds. A writer destroyed before that (a
// cancel, a failed frame) removes everything it wrote and keeps any file that
// was there. None of them needs GL.

enum class MovieFormat {
    Gif,          // ".gif": giflib, our own palettes
    WebP,         // ".webp": libwebp's animation encoder
    Apng,         // ".png" or ".apng": animated PNG
    PngSequence,  // a name holding one "%d" or "%0Nd": one PNG a frame
    Mp4,          // ".mp4" and ".webm": frames piped to an ffmpeg program
    WebM,
};

// By the name: a numbered pattern first, then the extension ignoring case.
// Nothing for other names.
std::optional<MovieFormat> MovieFormatForPath(const std::string& path);
// Whether `path` holds exactly one "%d" (or "%0Nd", N up to 9) and no other "%".
bool IsFramePattern(const std::string& path);
// The name of frame `index` for a frame pattern.
std::string FramePath(const std::string& pattern, int index);
const char* MovieFormatName(MovieFormat format);

struct MovieSettings {
    int width = 0;
    int height = 0;
    int frameCount = 0;  // frames that will be added (APNG writes the count first)
    float fps = 10.0f;   // the video formats run at one rate
    // Pixels whose captured alpha is 0 stay transparent (a 4-byte capture).
    bool transparent = false;
    // WebP: lossy with this quality (0..100); -1 lossless. Video: 0..100 as a
    // quality scale, -1 the program's default.
    int quality = -1;
    bool dither = false;  // GIF: ordered dithering
};

class MovieWriter {
public:
    virtual ~MovieWriter() = default;
    // One frame shown for `delayMs` milliseconds; false with Error() set when it
    // cannot be encoded or written (the writer is then done).
    virtual bool AddFrame(const CapturedImage& frame, int delayMs) = 0;
    // Writes what is left and puts the file in place.
    virtual bool Finish() = 0;
    const std::string& Error() const { return error_; }

protected:
    bool Fail(std::string why) {
        error_ = std::move(why);
        return false;
    }

private:
    std::string error_;
};

// The writer for `format`, its output opened beside `path`; nullptr with `error`
// for a bad size or frame count, an output that cannot be made, or a video format
// without an ffmpeg program (the message says what to install).
std::unique_ptr<MovieWriter> OpenMovieWriter(const std::string& path, MovieFormat format,
                                             const MovieSettings& settings, std::string& error);

// The ffmpeg program on PATH, or empty.
std::string FindFfmpeg();
std::unique_ptr<MovieWriter> OpenFfmpegWriter(const std::string& program, const std::string& path, MovieFormat format,
                                              const MovieSettings& settings, std::string& error);
