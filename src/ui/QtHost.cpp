#include "ui/QtHost.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>

#include "platform/Version.h"
#include "ui/SceneNames.h"

QStringList ToQtNameFilters(const std::string& barSeparated) {
    const QStringList parts = QString::fromStdString(barSeparated).split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1];
        if (description.isEmpty()) {
            break;
        }
        QStringList globs;
        for (const QString& glob : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            globs << glob.trimmed();
        }
        QString name = description;
        const int paren = name.indexOf(QLatin1Char('('));
        if (paren >= 0) {
            name = name.left(paren).trimmed();
        }
        result << QStringLiteral("%1 (%2)").arg(name, globs.join(QLatin1Char(' ')));
    }
    return result;
}

QtHost::QtHost(QMainWindow* window) : window_(window) {
    progress_ = new QProgressBar(window->statusBar());
    progress_->setMaximumWidth(220);
    progress_->setTextVisible(false);
    progress_->hide();
    window->statusBar()->addPermanentWidget(progress_);
}

MessageResult QtHost::ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon) {
    QMessageBox box(window_);
    box.setWindowTitle(QString::fromLatin1(marovin::kProgramName));
    // Messages name files and the things in them.
    box.setText(GameText(text));
    switch (icon) {
        case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case MessageIcon::Error:
        case MessageIcon::Stop: box.setIcon(QMessageBox::Critical); break;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageResult::Ok;
}

void QtHost::SetStatusText(const std::string& text) {
    if (window_ != nullptr) {
        window_->statusBar()->showMessage(GameText(text));
    }
}

void QtHost::BeginProgress(const std::string& text, int steps) {
    ++progressDepth_;
    SetStatusText(text);
    progress_->setRange(0, steps > 0 ? steps : 0);
    progress_->setValue(0);
    progress_->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtHost::StepProgress() {
    if (progress_->value() < progress_->maximum()) {
        progress_->setValue(progress_->value() + 1);
    }
}

void QtHost::EndProgress() {
    if (progressDepth_ > 0 && --progressDepth_ == 0) {
        progress_->hide();
        SetStatusText({});
    }
}

void QtHost::SetWaitCursor(bool waiting) {
    if (waiting) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void QtHost::RequestRepaint() {
    if (onRepaint) {
        onRepaint();
    }
}

void QtHost::MakeViewContextCurrent() {
    if (onMakeCurrent) {
        onMakeCurrent();
    }
}

std::optional<std::string> QtHost::PromptForFile(const std::string& title, const std::string& filter,
                                                 const std::string& initialPath) {
    const QString chosen = QFileDialog::getOpenFileName(window_, GameText(title), GameText(initialPath),
                                                        ToQtNameFilters(filter).join(QStringLiteral(";;")));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

std::optional<std::string> QtHost::PromptForFolder(const std::string& title, const std::string& initialPath) {
    const QString chosen = QFileDialog::getExistingDirectory(window_, GameText(title), GameText(initialPath));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

void QtHost::RefreshPropertyWindows() {
    if (onRefreshProperties) {
        onRefreshProperties();
    }
}

void QtHost::RefreshAnimationControls() {
    if (onRefreshAnimation) {
        onRefreshAnimation();
    }
}
