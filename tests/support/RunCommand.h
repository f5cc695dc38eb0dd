#pragma once

// Runs a shell command line, as the tests that check another program's output do.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

struct CommandOutput {
    int exitCode = -1;  // -1 when it could not run or did not exit
    std::string text;   // its standard output (add 2>&1 for its errors too)
};

inline CommandOutput RunCommand(const std::string& command) {
    CommandOutput result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        result.text = "cannot run " + command;
        return result;
    }
    std::array<char, 512> chunk{};
    while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe) != nullptr) {
        result.text += chunk.data();
    }
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
