// A game folder of 20,000 entries opened in the asset browser: the longest the
// window's event loop waits between two turns while the browser lists it. A timer
// asks for a turn every 5 ms; the goal is no gap of 50 ms or more.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <string>

#include "EventLoopGaps.h"
#include "media/Archive.h"
#include "scene/COGLScene.h"
#include "ui/ArchiveOpening.h"
#include "ui/browser/AssetBrowser.h"
#include "ui/browser/AssetModel.h"
#include "ui/scene/SceneSheetHooks.h"

namespace {
constexpr int kEntries = 20000;

// baseq2 with loose models, each in a folder of its own, a few bytes each: the
// listing goes by name, not by content.
std::string WriteGame(const QTemporaryDir& dir) {
    const std::string game = dir.filePath(QStringLiteral("quake2/baseq2")).toStdString();
    for (int i = 0; i < kEntries; ++i) {
        const std::string folder = game + "/models/m" + std::to_string(i / 100) + "/e" + std::to_string(i % 100);
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/tris.md2") << "IDP2";
    }
    return game;
}

void BM_ListALargeGameFolder(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string game = WriteGame(dir);
    SceneSheetHooks hooks;
    AssetBrowser browser(hooks);
    // Nothing is drawn: what is measured is the listing.
    browser.SetWorkerCommand(QStringLiteral("/bin/true"), {});
    browser.resize(1200, 1000);
    browser.show();
    QApplication::processEvents();

    EventLoopGaps gaps;
    for (auto _ : state) {
        COGLScene scene;
        browser.SetScene(&scene);
        QApplication::processEvents();
        gaps.Start();
        // The game joins the scene's list as the window opens it, and the browser follows.
        QTimer::singleShot(EventLoopGaps::kTurnMs, [&] {
            scene.AddPak(game, OpenArchiveApart(game));
            browser.Refresh();
        });
        while (browser.Model().EntryCount() < kEntries && gaps.Elapsed() < 60000) {
            QApplication::processEvents(QEventLoop::AllEvents, EventLoopGaps::kTurnMs);
        }
        // A few turns more, so that a wait which ended with the listing is counted.
        const qint64 listed = gaps.Elapsed();
        while (gaps.Elapsed() < listed + 6 * EventLoopGaps::kTurnMs) {
            QApplication::processEvents(QEventLoop::AllEvents, EventLoopGaps::kTurnMs);
        }
        gaps.Stop();
        const bool listedAll = browser.Model().EntryCount() >= kEntries;
        browser.SetScene(nullptr);
        if (!listedAll) {
            state.SkipWithError("the game was not listed within a minute");
            break;
        }
    }
    state.counters["entries"] = kEntries;
    gaps.Report(state);
}
BENCHMARK(BM_ListALargeGameFolder)->Iterations(2)->Unit(benchmark::kMillisecond);
}  // namespace
