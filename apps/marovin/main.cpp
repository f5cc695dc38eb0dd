#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QScreen>
#include <QSurfaceFormat>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Preview.h"
#include "media/Palette.h"
#include "media/ZipArchive.h"
#include "maps/MapOpen.h"
#include "models/ModelFamilies.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/Version.h"
#include "render/ThumbnailWorker.h"
#include "ui/Desktop.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/QtSettings.h"
#include "ui/ShellWiring.h"

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
// Without a screen the window cannot open, but the scene can still be seen: it is
// rendered off-screen into a picture beside the working directory.
int RunWithoutDisplay(int argc, char** argv) {
    std::string input;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-') {
            input = argv[i];
            break;
        }
    }
    if (input.empty()) {
        input = FindDemoScene();
    }
    const std::string output = "marovin-preview.png";
    std::fprintf(stderr, "marovin: no display found (DISPLAY and WAYLAND_DISPLAY are not set), so the window cannot open.\n");
    const bool written = RenderPreview(input, output, 800, 600);
    if (written) {
        std::printf("marovin: rendered %s to ./%s\n", input.empty() ? "an empty scene" : input.c_str(),
                    output.c_str());
    }
    std::fprintf(stderr,
                 "  To open the window without a screen:  xvfb-run -a -s \"-screen 0 1600x1000x24\" %s%s%s\n"
                 "  To render more pictures without any window, use marovin-cli (see marovin-cli render --help).\n",
                 argv[0], input.empty() ? "" : " ", input.c_str());
    return written ? 0 : 2;
}
}  // namespace

int main(int argc, char** argv) {
    // Before any thread: a pk3's thousands of entry dates convert without re-reading the zone each time.
    ZipArchive::PinTimeZone();
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0)) {
        std::printf("%s %s\n", marovin::kProgramName, marovin::kVersion);
        return 0;
    }
    // The window's browser starts its thumbnail workers from its own binary: no Qt
    // object, no display, only requests on stdin and answers on stdout.
    if (argc > 1 && std::strcmp(argv[1], "--thumbnail-worker") == 0) {
        RegisterModelClasses();
        RegisterMapOpeners();
        LimitWorkerMemory();
        return RunThumbnailWorker(stdin, stdout);
    }
    if (!HasDisplay()) {
        return RunWithoutDisplay(argc, argv);
    }
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(marovin::kProgramName));
    QApplication::setApplicationVersion(QString::fromLatin1(marovin::kVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A 3D scene composer for Quake II-era game assets."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Scenes (.dv), archives and game folders, maps (.bsp), models (.md2, .mdl, .def) "
                                                "or sprites (.sp2, .spr) to open, in order: a map and the models to stand in it."),
                                 QStringLiteral("[files...]"));
    parser.process(app);

    if (!DisplayHasEnoughColors()) {
        QMessageBox::critical(nullptr, QString::fromLatin1(marovin::kProgramName),
                              QString::fromLatin1(msg::kNeedMoreColors.text));
        return 1;
    }
    RegisterSceneFileType();

    QtSettings settings;
    SetSettings(&settings);
    BuildGammaTable(static_cast<float>(settings.GetInt(settings_keys::kSettings, settings_keys::kGamma, 100)) * 0.01f);
    LoadDefaultPalette();
    RegisterModelClasses();
    RegisterMapOpeners();

    int result = 0;
    {
        MainWindow window;
        ShellWiring wiring(window);
        const QStringList files = parser.positionalArguments();
        // Without a file the demo opens as an untitled copy of itself.
        if (files.isEmpty()) {
            window.Start(QString::fromStdString(FindDemoScene()), true);
        } else {
            window.Start(files.constFirst());
            for (qsizetype i = 1; i < files.size(); ++i) {
                window.OpenFile(files[i]);
            }
        }
        result = QApplication::exec();
    }
    SetSettings(nullptr);
    return result;
}
