#pragma once

#include <QApplication>
#include <QDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "platform/Host.h"
#include "platform/Settings.h"
#include "render/COGLView.h"
#include "scene/COGLScene.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/QtSettings.h"
#include "ui/ShellWiring.h"

// A settings file of the test's own and a host that records messages, so that a
// test drives the shell without touching the user's settings or opening boxes.
struct ShellFixture {
    QTemporaryDir dir;
    std::unique_ptr<QtSettings> settings;
    HeadlessHost host;

    ShellFixture() {
        QStandardPaths::setTestModeEnabled(true);
        settings = std::make_unique<QtSettings>(dir.filePath(QStringLiteral("duv.ini")));
        SetSettings(settings.get());
        host.quiet = true;
    }
    ~ShellFixture() {
        SetHost(nullptr);
        SetSettings(nullptr);
    }
    ShellFixture(const ShellFixture&) = delete;
    ShellFixture& operator=(const ShellFixture&) = delete;

    // The window installs its own host; the test's takes over afterwards.
    void TakeMessages() { SetHost(&host); }
    QString Path(const QString& name) const { return dir.filePath(name); }
};

// The program's window wired to the core, shown, with the test's host taking the
// messages (so the core's refreshes of the property windows do not reach them).
struct Shell {
    ShellFixture fixture;
    MainWindow window;
    ShellWiring wiring{window};
    bool exposed = false;

    // With a size, the window starts at it instead of its own default.
    explicit Shell(QSize size = {}, const QString& commandLineFile = {}) {
        if (size.isValid()) {
            window.resize(size);
        }
        window.Start(commandLineFile);
        exposed = QTest::qWaitForWindowExposed(&window);
        fixture.TakeMessages();
    }
    COGLView& Core() { return wiring.Core(); }
    COGLScene& Scene() { return *wiring.Core().Scene(); }
    GLWidget& View() { return *window.View(); }
};
