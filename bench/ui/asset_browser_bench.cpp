// The asset browser with 5,000 thumbnails drawn and waiting on disk (fake 128-pixel
// pictures, as workers leave them in their cache): one scroll through all of them,
// each screenful drawn once its pictures are read, and how much the process's
// resident memory grows at its peak while the decoded pictures come and go within
// the browser's budget (the goal is under 300 MB of growth); and how long the
// window waits while thumbnails land as it scrolls.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <string>
#include <vector>

#include "../PeakMemory.h"
#include "EventLoopGaps.h"
#include "ui/browser/AssetBrowser.h"
#include "ui/browser/AssetModel.h"
#include "ui/scene/SceneSheetHooks.h"

namespace {
constexpr int kThumbnails = 5000;
constexpr int kPictureSide = 128;


// Pictures of one colour each, like thumbnails in a worker's cache.
std::vector<QString> WritePictures(const QTemporaryDir& dir) {
    std::vector<QString> paths;
    QImage picture(kPictureSide, kPictureSide, QImage::Format_ARGB32);
    for (int i = 0; i < kThumbnails; ++i) {
        picture.fill(QColor::fromHsv(i % 360, 200, 128 + i % 100));
        paths.push_back(dir.filePath(QStringLiteral("%1.png").arg(i)));
        picture.save(paths.back());
    }
    return paths;
}

// Entries with nothing drawn yet, one per picture.
std::vector<AssetEntry> MakeEntries() {
    std::vector<AssetEntry> entries(kThumbnails);
    for (int i = 0; i < kThumbnails; ++i) {
        entries[i].title = QStringLiteral("entry %1").arg(i);
        entries[i].path = QStringLiteral("models/m%1/tris.md2").arg(i);
        entries[i].name = entries[i].path.toStdString();
        entries[i].kind = AssetKind::Model;
    }
    return entries;
}

void BM_ScrollThroughThumbnails(benchmark::State& state) {
    QTemporaryDir dir;
    const std::vector<QString> pictures = WritePictures(dir);
    SceneSheetHooks hooks;
    AssetBrowser browser(hooks);
    browser.resize(1200, 1000);
    browser.show();
    QApplication::processEvents();
    AssetModel& model = browser.Model();
    model.SetEntries(MakeEntries());
    for (int i = 0; i < kThumbnails; ++i) {
        model.SetThumbnail(i, pictures[static_cast<std::size_t>(i)]);
    }
    QListView& grid = *browser.Grid();
    QScrollBar& scroll = *grid.verticalScrollBar();
    // Shows the screenful there, waits for its pictures and shows it again with them.
    const auto look = [&](int position) {
        scroll.setValue(position);
        grid.viewport()->repaint();
        while (browser.Images().IsReading()) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        grid.viewport()->repaint();
    };

    look(0);
    ResetPeak();
    const double before = PeakResident();
    for (auto _ : state) {
        for (int position = 0; position <= scroll.maximum(); position += scroll.pageStep()) {
            look(position);
        }
        look(scroll.maximum());
    }
    const double growth = (PeakResident() - before) / kMegabyte;
    state.counters["peak_growth_MB"] = growth;
    state.counters["held_MB"] = static_cast<double>(browser.Images().HeldBytes()) / kMegabyte;
    state.counters["thumbnails"] = kThumbnails;
    if (growth >= 300.0) {
        state.SkipWithError("the peak resident memory grew by 300 MB or more");
    }
}
BENCHMARK(BM_ScrollThroughThumbnails)->Iterations(1)->Unit(benchmark::kMillisecond);

// Thumbnails landing as workers answer (a few every turn) while the grid scrolls a
// third of a page every 40 ms, as a user looking through it: the longest the
// window's event loop waits between two turns. A timer asks for a turn every 5 ms;
// the goal is no gap of 50 ms or more.
void BM_ThumbnailsLandWhileScrolling(benchmark::State& state) {
    constexpr int kLanded = 1000;
    constexpr int kPerTurn = 4;
    QTemporaryDir dir;
    const std::vector<QString> pictures = WritePictures(dir);
    SceneSheetHooks hooks;
    AssetBrowser browser(hooks);
    browser.SetWorkerCommand(QStringLiteral("/bin/true"), {});
    browser.resize(1200, 1000);
    browser.show();
    QApplication::processEvents();
    AssetModel& model = browser.Model();
    QScrollBar& scroll = *browser.Grid()->verticalScrollBar();
    EventLoopGaps gaps;
    for (auto _ : state) {
        model.SetEntries(MakeEntries());
        QApplication::processEvents();
        int landed = 0;
        QTimer answers;
        answers.setInterval(EventLoopGaps::kTurnMs);
        QObject::connect(&answers, &QTimer::timeout, [&] {
            for (int i = 0; i < kPerTurn && landed < kLanded; ++i, ++landed) {
                model.SetThumbnail(landed, pictures[static_cast<std::size_t>(landed)]);
            }
        });
        QTimer scrolling;
        scrolling.setInterval(40);
        QObject::connect(&scrolling, &QTimer::timeout, [&] {
            scroll.setValue(scroll.value() >= scroll.maximum() ? 0 : scroll.value() + scroll.pageStep() / 3);
        });
        gaps.Start();
        answers.start();
        scrolling.start();
        while (landed < kLanded || browser.Images().IsReading()) {
            QApplication::processEvents(QEventLoop::AllEvents, EventLoopGaps::kTurnMs);
        }
        gaps.Stop();
    }
    state.counters["landed"] = kLanded;
    gaps.Report(state);
}
BENCHMARK(BM_ThumbnailsLandWhileScrolling)->Iterations(1)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
    // Without a screen the widgets draw off-screen, which is all a measure needs.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
