#include "render/GLCheck.h"

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glx.h>

#include <chrono>
#include <cstdio>

#include "platform/Diagnostics.h"

namespace {
const char* ErrorText(GLenum error) {
    const auto* text = reinterpret_cast<const char*>(gluErrorString(error));
    return text != nullptr ? text : "unknown error";
}
}  // namespace

bool CheckGLError(const std::string& label) {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR) {
        return false;
    }
    char buffer[1024];
    std::snprintf(buffer, sizeof(buffer), "%s had error: #(%d) %s\n", label.c_str(), static_cast<int>(error),
                  ErrorText(error));
    WriteDebugLog(buffer);
    return true;
}

bool CheckGLErrors(const std::string& label) {
    char buffer[1024];
    if (!HasCurrentGLContext()) {
        std::snprintf(buffer, sizeof(buffer), "ERROR: No Current Rendering Context at %s\n", label.c_str());
        WriteDebugLog(buffer);
        return true;
    }
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) {
        return false;
    }
    for (int lines = 0; lines < 11 && error != GL_NO_ERROR; ++lines) {
        std::snprintf(buffer, sizeof(buffer), "%s Received an OpenGL Error '%s'\n", label.c_str(), ErrorText(error));
        WriteDebugLog(buffer);
        if (lines + 1 < 11) {
            error = glGetError();
        }
    }
    return true;
}

namespace {
long long NowMicroseconds() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

void FrameTimer::Start() { start_ = NowMicroseconds(); }

void FrameTimer::Stop() {
    last_ = static_cast<double>(NowMicroseconds() - start_);
    total_ += last_;
    ++frames_;
    char buffer[128];
    std::snprintf(buffer, sizeof(buffer), "Timed Interval = %7.0f microseconds\n", last_);
    WriteDebugLog(buffer);
    std::snprintf(buffer, sizeof(buffer), "Average Timed Interval = %7.0f microseconds\n", AverageMicroseconds());
    WriteDebugLog(buffer);
}
