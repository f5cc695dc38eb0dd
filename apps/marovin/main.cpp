#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QScreen>
#include <QSurfaceFormat>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "models/MD2Open.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/Version.h"
#include "ui/Desktop.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/QtSettings.h"

namespace {
bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0') ||
           (platform != nullptr && platform[0] != '\0');
}

// A palette display (256 colours or fewer) cannot show the rendered scene.
bool DisplayHasEnoughColors() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen == nullptr || screen->depth() > 8;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0)) {
        std::printf("%s %s\n", marovin::kProgramName, marovin::kVersion);
        return 0;
    }
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "marovin: no display found (DISPLAY and WAYLAND_DISPLAY are not set), so the window cannot open.\n"
                     "  To run it without a screen:  xvfb-run -a %s\n"
                     "  To render pictures without any window, use marovin-cli (see marovin-cli --help).\n",
                     argv[0]);
        return 2;
    }
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(marovin::kProgramName));
    QApplication::setApplicationVersion(QString::fromLatin1(marovin::kVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A 3D scene composer for Quake II-era game assets."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A scene (.dv), pak (.pak, .sin) or model (.md2, .mdl, .def) to open."));
    parser.process(app);

    if (!DisplayHasEnoughColors()) {
        QMessageBox::critical(nullptr, QString::fromLatin1(marovin::kProgramName),
                              QString::fromLatin1(msg::kNeedMoreColors.text));
        return 1;
    }
    RegisterSceneFileType();
    RegisterMD2Classes();

    QtSettings settings;
    SetSettings(&settings);

    int result = 0;
    {
        MainWindow window;
        const QStringList files = parser.positionalArguments();
        window.Start(files.isEmpty() ? QString() : files.constFirst());
        result = QApplication::exec();
    }
    SetSettings(nullptr);
    return result;
}
