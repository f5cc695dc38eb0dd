#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The two text logs beside the program ("log.txt" for debugging, "errors.txt" for
// errors), each started afresh at the first write of a run, and the fatal path.

void WriteDebugLog(const std::string& text);
// Appends to the error log and shows the text (OK button). When the log cannot be
// prepared, shows the preparation failure instead and writes nothing.
void WriteErrorLog(const std::string& text);
// Writes the error log, shows the text with the stop icon, and ends the process.
[[noreturn]] void ReportFatal(const std::string& text);
// The incompatible-driver message with the name of the failed platform call.
std::string IncompatibleDriverMessage(const std::string& callName);
[[noreturn]] void ReportPlatformFailure(const std::string& callName);
// Allocates or ends the program with "Out of memory".
void* AllocateOrDie(std::size_t size);
// A colour reference: red in bits 0-7, green 8-15, blue 16-23.
std::uint32_t PackColor(float red, float green, float blue);

std::string DebugLogPath();
std::string ErrorLogPath();
// Forgets that the logs were prepared, so the next write starts them afresh.
void ResetLogsForTesting();
// Tests replace the ending of the process to observe a fatal report.
using FatalHandler = void (*)(const std::string& text);
void SetFatalHandlerForTesting(FatalHandler handler);
