#include <QApplication>
#include <QSurfaceFormat>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Version.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"

namespace {
bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0') ||
           (platform != nullptr && platform[0] != '\0');
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
    MainWindow window;
    window.show();
    return QApplication::exec();
}
