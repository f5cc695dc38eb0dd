#include "platform/Host.h"

#include <algorithm>
#include <cstdio>

MessageResult HeadlessHost::ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon) {
    messages.push_back({text, buttons, icon});
    if (!quiet) {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    return buttons == MessageButtons::YesNo ? yesNoAnswer : MessageResult::Ok;
}

void HeadlessHost::SetStatusText(const std::string& text) { statusText = text; }

void HeadlessHost::BeginProgress(const std::string& text, int /*steps*/) {
    progressTexts.push_back(text);
    ++progressDepth;
}

void HeadlessHost::StepProgress() { ++progressSteps; }

void HeadlessHost::EndProgress() {
    if (progressDepth > 0) {
        --progressDepth;
    }
}

void HeadlessHost::SetWaitCursor(bool waiting) { waitCursorDepth += waiting ? 1 : -1; }

void HeadlessHost::RequestRepaint() { ++repaints; }

std::optional<std::string> HeadlessHost::PromptForFile(const std::string& title, const std::string& /*filter*/,
                                                       const std::string& /*initialPath*/) {
    prompts.push_back(title);
    return promptAnswer;
}

std::optional<std::string> HeadlessHost::PromptForFolder(const std::string& title, const std::string& /*initialPath*/) {
    prompts.push_back(title);
    return promptAnswer;
}

bool HeadlessHost::HasMessage(const std::string& text) const {
    return std::any_of(messages.begin(), messages.end(), [&](const Message& m) { return m.text == text; });
}

void HeadlessHost::Clear() {
    messages.clear();
    progressTexts.clear();
    prompts.clear();
    statusText.clear();
    progressSteps = progressDepth = repaints = refreshes = animationRefreshes = waitCursorDepth = 0;
}

namespace {
HeadlessHost& BuiltInHost() {
    static HeadlessHost host;
    return host;
}
Host* g_host = nullptr;
thread_local Host* t_threadHost = nullptr;
}  // namespace

Host& GetHost() {
    if (t_threadHost != nullptr) {
        return *t_threadHost;
    }
    return g_host != nullptr ? *g_host : BuiltInHost();
}

ThreadHostScope::ThreadHostScope() : previous_(t_threadHost) {
    host_.quiet = true;
    t_threadHost = &host_;
}

ThreadHostScope::~ThreadHostScope() { t_threadHost = previous_; }

void SetHost(Host* host) { g_host = host; }
