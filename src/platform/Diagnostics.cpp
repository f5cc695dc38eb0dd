#include "platform/Diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"

namespace {
struct Log {
    const char* fileName;
    const char* failureText;
    bool prepared = false;
    std::string path;
};

Log g_debugLog{"log.txt", msg::kDebugOutputterFailed.text, false, {}};
Log g_errorLog{"errors.txt", msg::kErrorOutputterFailed.text, false, {}};
FatalHandler g_fatalHandler = nullptr;

// First write of a run: find the directory, remove the previous run's file.
bool Prepare(Log& log) {
    if (log.prepared) {
        return true;
    }
    const std::string dir = paths::LogDirectory();
    if (dir.empty()) {
        GetHost().ShowMessage(log.failureText);
        return false;
    }
    log.path = dir + log.fileName;
    std::remove(log.path.c_str());
    log.prepared = true;
    return true;
}

bool Append(Log& log, const std::string& text) {
    if (!Prepare(log)) {
        return false;
    }
    std::FILE* f = std::fopen(log.path.c_str(), "a+");
    if (f == nullptr) {
        return false;
    }
    std::fputs(text.c_str(), f);
    std::fclose(f);
    return true;
}
}  // namespace

void WriteDebugLog(const std::string& text) { Append(g_debugLog, text); }

void WriteErrorLog(const std::string& text) {
    if (Append(g_errorLog, text)) {
        GetHost().ShowMessage(text, MessageButtons::Ok, MessageIcon::Error);
    }
}

void ReportFatal(const std::string& text) {
    WriteErrorLog(text);
    GetHost().ShowMessage(text, MessageButtons::Ok, MessageIcon::Stop);
    if (g_fatalHandler != nullptr) {
        g_fatalHandler(text);
    }
    std::fflush(nullptr);
    std::abort();
}

std::string IncompatibleDriverMessage(const std::string& callName) {
    std::string text = callName +
                       "\n\nThis error was probably caused by an incompatable version of OpenGL.\nYou can download "
                       "the correct version from your distribution's Mesa or graphics driver packages" +
                       "\n\nCreate a directory for DUV\n    Copy DUV.exe and the OpenGL dlls into this directory "
                       "and try again.\n\nIMPORTANT!! DO NOT put the OpenGL dlls in your system directory.";
    if (text.size() > 1023) {
        text.resize(1023);
    }
    return text;
}

void ReportPlatformFailure(const std::string& callName) { ReportFatal(IncompatibleDriverMessage(callName)); }

void* AllocateOrDie(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        ReportFatal(msg::kOutOfMemory.text);
    }
    return p;
}

std::uint32_t PackColor(float red, float green, float blue) {
    const auto channel = [](float c) { return static_cast<std::uint32_t>(static_cast<int>(c * 255.0f)) & 0xFFu; };
    return channel(red) | (channel(green) << 8) | (channel(blue) << 16);
}

std::string DebugLogPath() { return g_debugLog.prepared ? g_debugLog.path : paths::LogDirectory() + "log.txt"; }

std::string ErrorLogPath() { return g_errorLog.prepared ? g_errorLog.path : paths::LogDirectory() + "errors.txt"; }

void ResetLogsForTesting() {
    g_debugLog.prepared = false;
    g_errorLog.prepared = false;
}

void SetFatalHandlerForTesting(FatalHandler handler) { g_fatalHandler = handler; }
