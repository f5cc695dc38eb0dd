#pragma once

#include <string>

#include "platform/GLContext.h"  // HasCurrentGLContext

// Reads one GL error; when there is one, writes it to the debug log and returns true.
bool CheckGLError(const std::string& label);
// Drains up to eleven GL errors into the debug log; reports a missing context
// without calling glGetError.
bool CheckGLErrors(const std::string& label);

// Measures frames with the monotonic clock and writes the last and the average
// frame time in microseconds to the debug log.
class FrameTimer {
public:
    void Start();
    void Stop();
    double LastMicroseconds() const { return last_; }
    double AverageMicroseconds() const { return frames_ == 0 ? 0.0 : total_ / frames_; }

private:
    long long start_ = 0;
    double last_ = 0.0;
    double total_ = 0.0;
    long long frames_ = 0;
};
