#pragma once

#include <fstream>
#include <string>

// The peak resident size of the process so far, in bytes (VmHWM).
inline double PeakResident() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) * 1024.0;
        }
    }
    return 0.0;
}

// Starts the peak over from the resident size now, where the kernel allows it.
inline void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

inline constexpr double kMegabyte = 1024.0 * 1024.0;
