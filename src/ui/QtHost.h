#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

#include "platform/Host.h"

class QMainWindow;
class QLabel;
class QProgressBar;

// Turns a filter in the bar-separated form ("Pak Files (*.pak)|*.pak|...||") into
// Qt's name filters ("Pak Files (*.pak)"), taking the patterns from the pattern
// fields so descriptions without them still filter.
QStringList ToQtNameFilters(const std::string& barSeparated);

// The desktop side of Host: modal message boxes, the status bar and its progress
// bar, the wait cursor, and file prompts, all on the main window.
class QtHost : public Host {
public:
    explicit QtHost(QMainWindow* window);

    MessageResult ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon) override;
    void SetStatusText(const std::string& text) override;
    void BeginProgress(const std::string& text, int steps) override;
    void StepProgress() override;
    void EndProgress() override;
    void SetWaitCursor(bool waiting) override;
    void RequestRepaint() override;
    void MakeViewContextCurrent() override;
    std::optional<std::string> PromptForFile(const std::string& title, const std::string& filter,
                                             const std::string& initialPath) override;
    std::optional<std::string> PromptForFolder(const std::string& title, const std::string& initialPath) override;
    void RefreshPropertyWindows() override;
    void RefreshAnimationControls() override;

    // Hooks the main window fills once its view and docks exist.
    std::function<void()> onRepaint;
    std::function<void()> onMakeCurrent;
    std::function<void()> onRefreshProperties;
    std::function<void()> onRefreshAnimation;

    QProgressBar* ProgressBar() const { return progress_; }

private:
    QPointer<QMainWindow> window_;
    QProgressBar* progress_ = nullptr;
    int progressDepth_ = 0;
};
