#pragma once

#include <optional>
#include <string>
#include <vector>

// What the core asks of the desktop around it. The Qt shell implements it with
// real windows; HeadlessHost serves the command-line tools and the tests.
enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { Information, Warning, Error, Stop };
enum class MessageResult { Ok, Yes, No };

class Host {
public:
    virtual ~Host() = default;

    virtual MessageResult ShowMessage(const std::string& text, MessageButtons buttons = MessageButtons::Ok,
                                      MessageIcon icon = MessageIcon::Warning) = 0;
    virtual void SetStatusText(const std::string& text) = 0;

    virtual void BeginProgress(const std::string& text, int steps) = 0;
    virtual void StepProgress() = 0;
    virtual void EndProgress() = 0;

    virtual void SetWaitCursor(bool waiting) = 0;
    virtual void RequestRepaint() = 0;
    // The view's GL context must be current around texture and light calls.
    virtual void MakeViewContextCurrent() = 0;

    // Asks the user to locate a file; an empty result means Cancel.
    virtual std::optional<std::string> PromptForFile(const std::string& title, const std::string& filter,
                                                     const std::string& initialPath) = 0;
    // Asks the user to locate a folder (a game folder that moved); empty means Cancel.
    virtual std::optional<std::string> PromptForFolder(const std::string& title, const std::string& initialPath) = 0;

    virtual void RefreshPropertyWindows() = 0;
    virtual void RefreshAnimationControls() = 0;
};

// Messages go to stderr (unless quiet) and to a list the tests read; prompts answer
// Cancel; Yes/No questions take the configured answer.
class HeadlessHost : public Host {
public:
    struct Message {
        std::string text;
        MessageButtons buttons;
        MessageIcon icon;
    };

    MessageResult ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon) override;
    void SetStatusText(const std::string& text) override;
    void BeginProgress(const std::string& text, int steps) override;
    void StepProgress() override;
    void EndProgress() override;
    void SetWaitCursor(bool waiting) override;
    void RequestRepaint() override;
    void MakeViewContextCurrent() override {}
    std::optional<std::string> PromptForFile(const std::string& title, const std::string& filter,
                                             const std::string& initialPath) override;
    std::optional<std::string> PromptForFolder(const std::string& title, const std::string& initialPath) override;
    void RefreshPropertyWindows() override { ++refreshes; }
    void RefreshAnimationControls() override { ++animationRefreshes; }

    // Test inspection and control.
    std::vector<Message> messages;
    std::vector<std::string> progressTexts;
    std::vector<std::string> prompts;  // titles of file and folder prompts asked
    std::string statusText;
    int progressSteps = 0;
    int progressDepth = 0;
    int repaints = 0;
    int refreshes = 0;
    int animationRefreshes = 0;
    int waitCursorDepth = 0;
    bool quiet = false;
    MessageResult yesNoAnswer = MessageResult::Yes;
    std::optional<std::string> promptAnswer;  // what a file or folder prompt returns (default Cancel)

    bool HasMessage(const std::string& text) const;
    void Clear();
};

// The process-wide host. Until one is installed, a HeadlessHost serves.
Host& GetHost();
void SetHost(Host* host);  // nullptr restores the built-in headless host

// While one of these lives, its thread answers to a quiet host of its own: work
// done off the window's thread must never reach the window's dialogs, and a
// thumbnail's failures become its reason rather than a box or a line on stderr.
// Its messages are kept for whoever wants them.
class ThreadHostScope {
public:
    ThreadHostScope();
    ~ThreadHostScope();
    ThreadHostScope(const ThreadHostScope&) = delete;
    ThreadHostScope& operator=(const ThreadHostScope&) = delete;
    const HeadlessHost& Recorded() const { return host_; }

private:
    HeadlessHost host_;
    Host* previous_;
};

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    WaitCursor() { GetHost().SetWaitCursor(true); }
    ~WaitCursor() { GetHost().SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Begins a progress display and ends it however the scope is left.
class ProgressScope {
public:
    ProgressScope(const std::string& text, int steps) { GetHost().BeginProgress(text, steps); }
    ~ProgressScope() { GetHost().EndProgress(); }
    void Step() { GetHost().StepProgress(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
};
