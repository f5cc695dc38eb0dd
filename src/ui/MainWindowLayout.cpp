// Start-up, exit, and the saved positions of the window and its tool windows.
#include <QCloseEvent>
#include <QDataStream>
#include <QDockWidget>
#include <QIODevice>
#include <QScreen>
#include <QStatusBar>

#include "platform/Host.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "render/CommandIds.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"

namespace keys = settings_keys;

namespace {
// The toolbar layout lives under "Bars"; its format version guards against
// restoring a layout written by a build with other bars.
constexpr const char* kBarsState = "State";
constexpr int kBarsVersion = 1;
constexpr qint32 kDockRecordVersion = 1;
// The share of the window's width the tool column takes at the first start.
constexpr double kFirstDockShare = 0.26;

std::string Encode(const QByteArray& bytes) { return bytes.toBase64().toStdString(); }

QByteArray Decode(const std::string& text) {
    return QByteArray::fromBase64(QByteArray::fromStdString(text), QByteArray::AbortOnBase64DecodingErrors);
}

// A tool window's place: its side, whether it floats or shows, and its floating geometry.
QByteArray DockRecord(const QMainWindow& window, QDockWidget& dock) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kDockRecordVersion << static_cast<qint32>(window.dockWidgetArea(&dock)) << dock.isFloating()
        << !dock.isHidden() << dock.saveGeometry();
    return bytes;
}

void RestoreDock(QMainWindow& window, QDockWidget& dock, const QByteArray& record) {
    QDataStream in(record);
    qint32 version = 0;
    qint32 area = 0;
    bool floating = false;
    bool visible = true;
    QByteArray geometry;
    in >> version >> area >> floating >> visible >> geometry;
    if (in.status() != QDataStream::Ok || version != kDockRecordVersion) {
        return;
    }
    const auto side = static_cast<Qt::DockWidgetArea>(area);
    if (dock.isAreaAllowed(side) && window.dockWidgetArea(&dock) != side) {
        window.addDockWidget(side, &dock);
    }
    dock.setFloating(floating);
    if (floating) {
        dock.restoreGeometry(geometry);
    }
    dock.setVisible(visible);
}

}  // namespace

void MainWindow::Start(const QString& commandLineFile, bool untitledCopy) {
    RunCommand(cmd::kNew);
    if (RestoreWindowState()) {
        show();
    } else {
        // The first start fills the screen's available area, and the tool column
        // leaves the view most of the width.
        if (const QScreen* screen = this->screen()) {
            setGeometry(screen->availableGeometry());
        }
        show();
        resizeDocks({objectDock_}, {static_cast<int>(width() * kFirstDockShare)}, Qt::Horizontal);
    }
    statusBar()->showMessage(QString::fromLatin1(msg::kInitializingVWep.text));
    if (hooks_.setUpVisualWeapons) {
        hooks_.setUpVisualWeapons();
    }
    statusBar()->showMessage(QStringLiteral("Ready"));
    if (untitledCopy && !commandLineFile.isEmpty() && hooks_.openFile) {
        // Read as a starting point only: its path is not kept, so nothing is ever
        // written back into the samples.
        hooks_.openFile(commandLineFile);
    } else if (!commandLineFile.isEmpty()) {
        OpenFile(commandLineFile);
    }
    RefreshCommandStates();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!MayDiscardChanges()) {
        event->ignore();
        return;
    }
    if (state_.saveSettings) {
        SaveWindowState();
    }
    if (state_.resetWindowPositions) {
        ForgetWindowState();
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::SaveWindowState() {
    Settings& settings = GetSettings();
    settings.SetString(keys::kSettings, keys::kSceneWindow, Encode(saveGeometry()));
    for (QDockWidget* dock : Docks()) {
        settings.SetString(keys::kSettings, dock->objectName().toStdString(), Encode(DockRecord(*this, *dock)));
    }
    settings.SetString(keys::kBars, kBarsState, Encode(saveState(kBarsVersion)));
}

void MainWindow::ForgetWindowState() {
    Settings& settings = GetSettings();
    for (const QDockWidget* dock : Docks()) {
        settings.Remove(keys::kSettings, dock->objectName().toStdString());
    }
    settings.Remove(keys::kSettings, keys::kSceneWindow);
    settings.SetInt(keys::kSettings, keys::kIgnoreToolbarLoad, 1);
}

bool MainWindow::RestoreWindowState() {
    Settings& settings = GetSettings();
    if (settings.GetInt(keys::kSettings, keys::kIgnoreToolbarLoad, 0) != 0) {
        // The positions were reset at the last exit: this start uses the defaults,
        // and the next one reads whatever this one saves.
        settings.Remove(keys::kSettings, keys::kIgnoreToolbarLoad);
        settings.Remove(keys::kBars, kBarsState);
    } else {
        const QByteArray bars = Decode(settings.GetString(keys::kBars, kBarsState, ""));
        if (!bars.isEmpty()) {
            restoreState(bars, kBarsVersion);
        }
    }
    for (QDockWidget* dock : Docks()) {
        const QByteArray record = Decode(settings.GetString(keys::kSettings, dock->objectName().toStdString(), ""));
        if (!record.isEmpty()) {
            RestoreDock(*this, *dock, record);
        }
    }
    const QByteArray geometry = Decode(settings.GetString(keys::kSettings, keys::kSceneWindow, ""));
    return !geometry.isEmpty() && restoreGeometry(geometry);
}
