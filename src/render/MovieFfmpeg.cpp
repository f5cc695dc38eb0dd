// MP4 and WebM through an ffmpeg program fed raw frames on a pipe: no video
// library is linked, so the program's licence stays its own.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include "platform/BinaryIO.h"
#include "render/ImageOutput.h"
#include "render/MovieWriters.h"

extern char** environ;

namespace {
// Writes to a pipe whose reader may have gone, without the signal that would end
// this program: SIGPIPE is held for this thread and a pending one taken back.
bool WriteToPipe(int fd, const std::uint8_t* p, std::size_t left) {
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    bool ok = true;
    while (left > 0 && ok) {
        const ssize_t n = ::write(fd, p, left);
        if (n > 0) {
            p += n;
            left -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EPIPE) {
            const timespec now{0, 0};
            sigtimedwait(&pipeSignal, nullptr, &now);
            ok = false;
        } else if (n == 0 || errno != EINTR) {
            ok = false;
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return ok;
}

class FfmpegWriter final : public MovieWriter {
public:
    explicit FfmpegWriter(const MovieSettings& settings) : settings_(settings) {}
    ~FfmpegWriter() override {
        if (pipe_ >= 0) {
            ::close(pipe_);
        }
        if (child_ > 0) {
            ::kill(child_, SIGTERM);
            int status = 0;
            ::waitpid(child_, &status, 0);
        }
    }

    bool Start(const std::string& program, const std::string& path, MovieFormat format, std::string& error) {
        if (!out_.Open(path, &error)) {
            return false;
        }
        const std::string size = std::to_string(settings_.width) + "x" + std::to_string(settings_.height);
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.4f", static_cast<double>(settings_.fps));
        std::vector<std::string> args = {program, "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo",
                                         "-pix_fmt", settings_.transparent ? "rgba" : "rgb24", "-video_size", size,
                                         "-framerate", rate, "-i", "pipe:0", "-an"};
        // A quality 0..100 onto the encoders' constant-quality scales (lower is better).
        const bool quality = settings_.quality >= 0;
        const int scale = 100 - std::clamp(settings_.quality, 0, 100);
        if (format == MovieFormat::Mp4) {
            // H.264 in 4:2:0 wants even sides.
            args.insert(args.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-c:v", "libx264", "-pix_fmt", "yuv420p",
                                     "-movflags", "+faststart"});
            if (quality) {
                args.insert(args.end(), {"-crf", std::to_string(10 + scale * 30 / 100)});
            }
            args.insert(args.end(), {"-f", "mp4"});
        } else {
            args.insert(args.end(), {"-c:v", "libvpx-vp9", "-pix_fmt", settings_.transparent ? "yuva420p" : "yuv420p",
                                     "-b:v", "0", "-crf", std::to_string(quality ? 10 + scale * 40 / 100 : 32)});
            args.insert(args.end(), {"-f", "webm"});
        }
        args.push_back(out_.TemporaryPath());

        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const int spawned = posix_spawn(&child_, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[0]);
        pipe_ = fds[1];
        if (spawned != 0) {
            child_ = 0;
            error = "cannot start '" + program + "': " + std::strerror(spawned);
            return false;
        }
        return true;
    }

    bool AddFrame(const CapturedImage& frame, int /*delayMs*/) override {
        if (frame.width != settings_.width || frame.height != settings_.height) {
            return Fail("a frame is not the size the video was started with");
        }
        const PngImage pixels = CapturedToPng(frame, settings_.transparent);
        if (pixels.pixels.empty() || pipe_ < 0) {
            return Fail("a frame cannot be handed to ffmpeg");
        }
        if (!WriteToPipe(pipe_, pixels.pixels.data(), pixels.pixels.size())) {
            return Fail("ffmpeg stopped taking frames (see its message above)");
        }
        return true;
    }

    bool Finish() override {
        ::close(pipe_);
        pipe_ = -1;
        int status = 0;
        const pid_t waited = ::waitpid(child_, &status, 0);
        child_ = 0;
        if (waited < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            out_.Abandon();
            return Fail("ffmpeg could not write the video (see its message above)");
        }
        std::string error;
        return out_.Commit(&error) || Fail(error);
    }

private:
    MovieSettings settings_;
    AtomicFileStream out_;
    pid_t child_ = 0;
    int pipe_ = -1;
};
}  // namespace

std::string FindFfmpeg() {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/ffmpeg";
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

std::unique_ptr<MovieWriter> OpenFfmpegWriter(const std::string& program, const std::string& path, MovieFormat format,
                                              const MovieSettings& settings, std::string& error) {
    auto writer = std::make_unique<FfmpegWriter>(settings);
    return writer->Start(program, path, format, error) ? std::move(writer) : nullptr;
}
