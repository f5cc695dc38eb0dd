// The asset browser in the window: finding entries, previewing them, adding them
// every way there is, and thumbnails drawn by workers without holding the window up.
// The workers are this program again, run as a fake worker (see FakeWorker below).
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QProgressBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "ShellTestSupport.h"
#include "models/ModelFamilies.h"
#include "media/Archive.h"
#include "models/ModelFixtures.h"
#include "render/CommandIds.h"
#include "scene/COGLDoc.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "scene/EditHistory.h"
#include "scene/Primitives.h"
#include "support/ArchiveWriters.h"
#include "support/MediaWriters.h"
#include "support/SpriteWriters.h"
#include "ui/ArchiveOpening.h"
#include "ui/browser/AssetBrowser.h"
#include "ui/browser/AssetModel.h"
#include "ui/browser/AssetPreview.h"
#include "ui/browser/ThumbnailImages.h"
#include "ui/scene/SceneSheetHooks.h"

using namespace model_fixtures;

namespace {
constexpr const char* kFakeWorkerFlag = "--fake-worker";
constexpr int kModelFrames = 12;

// Speaks the workers' protocol without drawing anything: each request is answered,
// after `delayMs`, with a picture of one colour per name in `folder` (a strip of
// tiles for a preview of a model or a sprite), "fail" for names holding "broken",
// the worker's own end for names holding "crash" and no answer for a minute for
// names holding "hang". Every name asked for is appended to <folder>/requests.log
// as it is read.
int FakeWorker(const std::string& folder, int delayMs) {
    std::string line;
    while (std::getline(std::cin, line)) {
        const QList<QByteArray> fields = QByteArray::fromStdString(line).split('\t');
        if (fields.size() != 5) {
            std::printf("fail\t0\tmalformed\n");
            std::fflush(stdout);
            continue;
        }
        const std::string id = fields[0].toStdString();
        const std::string name = fields[4].toStdString();
        if (FILE* log = std::fopen((folder + "/requests.log").c_str(), "a")) {
            std::fprintf(log, "%s\n", name.c_str());
            std::fclose(log);
        }
        if (name.find("crash") != std::string::npos) {
            std::raise(SIGKILL);
        }
        if (name.find("hang") != std::string::npos) {
            std::this_thread::sleep_for(std::chrono::minutes(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        if (name.find("broken") != std::string::npos) {
            std::printf("fail\t%s\tbroken on purpose\n", id.c_str());
            std::fflush(stdout);
            continue;
        }
        const bool picture = name.size() > 4 && name.compare(name.size() - 4, 4, ".pcx") == 0;
        const bool sprite = name.find(".sp2") != std::string::npos;
        const int size = fields[1].toInt();
        const int tiles = picture ? 1 : std::min(fields[2].toInt(), sprite ? 2 : 4);
        QImage image(size * tiles, size, QImage::Format_ARGB32);
        image.fill(QColor::fromRgb(static_cast<QRgb>(qHash(QByteArray::fromStdString(name)))));
        const std::string png = folder + "/" + id + ".png";
        if (!image.save(QString::fromStdString(png))) {
            std::printf("fail\t%s\tcannot write\n", id.c_str());
        } else if (picture) {
            std::printf("ok\t%s\t%s\t{\"family\": \"picture\", \"frames\": 1, \"animations\": [], \"skins\": 0, "
                        "\"width\": 8, \"height\": 8, \"tiles\": 1}\n",
                        id.c_str(), png.c_str());
        } else {
            std::printf("ok\t%s\t%s\t{\"family\": \"%s\", \"frames\": %d, \"animations\": [\"stand\", \"run\"], "
                        "\"skins\": 2, \"width\": 64, \"height\": 64, \"tiles\": %d}\n",
                        id.c_str(), png.c_str(), sprite ? "sprite" : "md2", sprite ? 2 : kModelFrames, tiles);
        }
        std::fflush(stdout);
    }
    return 0;
}

bool WriteBytes(const QString& path, const ByteBuffer& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

std::string ModelPath(const std::string& name) { return "models/" + name + "/tris.md2"; }

// A pak of models (each with its skin), a sprite and two textures.
ByteBuffer AssetPak(const std::vector<std::string>& models) {
    fixtures::PakBuilder pak;
    for (const std::string& model : models) {
        const std::string skin = "models/" + model + "/skin.pcx";
        pak.Add(ModelPath(model), AnimatedBox({{"stand", 2}}, {skin})).Add(skin, Skin(3));
    }
    fixtures::Sp2Frame frame;
    frame.image = "sprites/flame.pcx";
    pak.Add("sprites/flame.sp2", fixtures::WriteSp2({frame, frame})).Add("sprites/flame.pcx", Skin(5));
    pak.Add("textures/base/floor.pcx", Skin(6)).Add("textures/base/Wall.pcx", Skin(7));
    return pak.Build();
}

// The window with its browser in sight, over a pak written for the test, drawing
// thumbnails with fake workers.
struct BrowserShell {
    QTemporaryDir workers;  // outlives the window, whose workers write into it
    Shell shell;
    AssetBrowser& browser;
    AssetModel& model;

    // `worker`: the program and arguments of the workers; a fake one when empty.
    explicit BrowserShell(const std::vector<std::string>& models, int delayMs = 0, const QStringList& worker = {})
        : browser(shell.wiring.Browser()), model(browser.Model()) {
        if (worker.isEmpty()) {
            browser.SetWorkerCommand(QCoreApplication::applicationFilePath(),
                                     {QString::fromLatin1(kFakeWorkerFlag), workers.path(), QString::number(delayMs)});
        } else {
            browser.SetWorkerCommand(worker.front(), worker.mid(1));
        }
        const QString pak = shell.fixture.Path(QStringLiteral("assets.pak"));
        opened = WriteBytes(pak, AssetPak(models)) && shell.window.OpenFile(pak);
        shell.Core().Document().SetModified(false);
        shell.window.AssetsAction()->trigger();
        shown = QTest::qWaitFor([&] { return browser.isVisible() && model.EntryCount() > 0; });
    }

    int Row(const QString& title) const {
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.index(row, AssetModel::kNameColumn).data().toString() == title) {
                return row;
            }
        }
        return -1;
    }
    int Entry(const QString& title) const { return model.EntryOfRow(Row(title)); }
    QModelIndex Index(const QString& title) const { return model.index(Row(title), AssetModel::kNameColumn); }
    QStringList Titles() const {
        QStringList titles;
        for (int row = 0; row < model.rowCount(); ++row) {
            titles << model.index(row, AssetModel::kNameColumn).data().toString();
        }
        return titles;
    }
    // The names the workers were asked for, in the order they read them.
    QStringList Requested() const {
        QFile log(workers.filePath(QStringLiteral("requests.log")));
        if (!log.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    std::size_t Steps() { return shell.Core().Document().History().UndoCount(); }
    bool opened = false;
    bool shown = false;
};

// Drags the entry onto the view and drops it at `at`, as a drag out of the browser would.
void DropOnView(GLWidget& view, const AssetModel& model, const QModelIndex& index, QPoint at) {
    std::unique_ptr<QMimeData> data(model.mimeData({index}));
    QVERIFY(data != nullptr);
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &drop);
    QVERIFY(drop.isAccepted());
}
}  // namespace

class AssetBrowserTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterModelClasses(); }

    void theFilterAndTheKindTogglesNarrowTheEntries() {
        BrowserShell ui({"monsters/tank", "monsters/Tanker", "items/armor"});
        QVERIFY(ui.opened);
        QVERIFY(ui.shown);
        QCOMPARE(ui.Titles(), QStringList({"armor", "tank", "Tanker", "flame", "floor", "Wall"}));
        QCOMPARE(ui.model.index(ui.Row("tank"), AssetModel::kKindColumn).data().toString(), QString("model"));
        QCOMPARE(ui.model.index(ui.Row("flame"), AssetModel::kKindColumn).data().toString(), QString("sprite"));
        QCOMPARE(ui.model.index(ui.Row("Wall"), AssetModel::kKindColumn).data().toString(), QString("texture"));
        QCOMPARE(ui.model.index(ui.Row("tank"), AssetModel::kArchiveColumn).data().toString(),
                 ui.shell.fixture.Path(QStringLiteral("assets.pak")));

        // Any case, anywhere in the path, narrowing with each letter.
        QTest::keyClicks(ui.browser.Filter(), QStringLiteral("MONST"));
        QCOMPARE(ui.Titles(), QStringList({"tank", "Tanker"}));
        QTest::keyClicks(ui.browser.Filter(), QStringLiteral("ers/tanke"));
        QCOMPARE(ui.Titles(), QStringList({"Tanker"}));
        QCOMPARE(ui.browser.Count()->text(), QString("1 of 6 entries"));
        ui.browser.Filter()->clear();
        QTest::keyClicks(ui.browser.Filter(), QStringLiteral("wall.PCX"));
        QCOMPARE(ui.Titles(), QStringList({"Wall"}));
        ui.browser.Filter()->clear();

        ui.browser.KindToggle(AssetKind::Model)->click();
        QCOMPARE(ui.Titles(), QStringList({"flame", "floor", "Wall"}));
        ui.browser.KindToggle(AssetKind::Texture)->click();
        QCOMPARE(ui.Titles(), QStringList({"flame"}));
        ui.browser.KindToggle(AssetKind::Sprite)->click();
        QVERIFY(ui.Titles().isEmpty());
        QCOMPARE(ui.browser.Count()->text(), QString("0 of 6 entries"));
        ui.browser.KindToggle(AssetKind::Model)->click();
        QCOMPARE(ui.Titles(), QStringList({"armor", "tank", "Tanker"}));

        // A second archive joins the list as it is opened.
        fixtures::PakBuilder more;
        more.Add("models/extra/tris.md2", AnimatedBox({{"stand", 2}}));
        const QString second = ui.shell.fixture.Path(QStringLiteral("more.pak"));
        QVERIFY(WriteBytes(second, more.Build()));
        QVERIFY(ui.shell.window.OpenFile(second));
        QCOMPARE(ui.Titles(), QStringList({"armor", "tank", "Tanker", "extra"}));
        QCOMPARE(ui.model.index(ui.Row("extra"), AssetModel::kArchiveColumn).data().toString(), second);
    }

    void keysStepThroughTheResultsAndThePreviewChangesNothing() {
        BrowserShell ui({"monsters/tank", "items/armor"});
        QVERIFY(ui.opened);
        QVERIFY(ui.shown);
        const std::size_t steps = ui.Steps();

        QTest::keyClicks(ui.browser.Filter(), QStringLiteral("s/"));
        QTest::keyClick(ui.browser.Filter(), Qt::Key_Down);
        QCOMPARE(ui.browser.Grid()->currentIndex().row(), 0);
        QTest::keyClick(ui.browser.Grid(), Qt::Key_Right);
        QCOMPARE(ui.browser.Grid()->currentIndex(), ui.Index("tank"));

        // The preview plays the strip the worker drew and tells its facts.
        AssetPreview& preview = ui.browser.Preview();
        QVERIFY(preview.Title()->text().contains(QStringLiteral("models/monsters/tank/tris.md2")));
        QTRY_COMPARE(preview.Tiles(), 4);
        QVERIFY(preview.IsPlaying());
        const int tile = preview.Tile();
        QTRY_VERIFY(preview.Tile() != tile);
        const QString facts = preview.Facts()->text();
        QVERIFY2(facts.contains(QStringLiteral("Quake 2 model")), qPrintable(facts));
        QVERIFY(facts.contains(QStringLiteral("Frames: 12")));
        QVERIFY(facts.contains(QStringLiteral("Animations: stand, run")));
        QVERIFY(facts.contains(QStringLiteral("Skins: 2")));
        QVERIFY(facts.contains(QStringLiteral("Skin size: 64 \u00D7 64")));

        // The list shows the same results and keeps the choice; the keys move it.
        ui.browser.ListToggle()->click();
        QCOMPARE(ui.browser.Results(), static_cast<QAbstractItemView*>(ui.browser.List()));
        QCOMPARE(ui.browser.List()->currentIndex(), ui.Index("tank"));
        QTest::keyClick(ui.browser.List(), Qt::Key_Up);
        QCOMPARE(ui.browser.List()->currentIndex(), ui.Index("armor"));
        // Up from the top goes back to the filter, and typing there goes on narrowing.
        QTest::keyClick(ui.browser.List(), Qt::Key_Up);
        QTest::keyClicks(ui.browser.List(), QStringLiteral("ar"));
        QCOMPARE(ui.browser.Filter()->text(), QString("s/ar"));
        QCOMPARE(ui.Titles(), QStringList({"armor"}));
        QCOMPARE(ui.browser.List()->currentIndex(), ui.Index("armor"));

        // Looking changed nothing.
        QVERIFY(ui.shell.Scene().Objects().empty());
        QCOMPARE(ui.Steps(), steps);
        QVERIFY(!ui.shell.Core().Document().IsModified());
    }

    void enterDoubleClickAndADropEachAddOneStep() {
        BrowserShell ui({"monsters/tank", "items/armor"});
        QVERIFY(ui.opened);
        QVERIFY(ui.shown);
        COGLScene& scene = ui.shell.Scene();
        std::size_t steps = ui.Steps();

        // Enter from the filter adds the first result.
        QTest::keyClicks(ui.browser.Filter(), QStringLiteral("tank"));
        QTest::keyClick(ui.browser.Filter(), Qt::Key_Return);
        QCOMPARE(scene.Objects().size(), std::size_t{1});
        QCOMPARE(ui.Steps(), ++steps);
        QVERIFY(ui.shell.Core().Document().IsModified());
        ui.browser.Filter()->clear();

        // Enter in the results adds the chosen one.
        ui.browser.Grid()->setCurrentIndex(ui.Index("armor"));
        QTest::keyClick(ui.browser.Grid(), Qt::Key_Enter);
        QCOMPARE(scene.Objects().size(), std::size_t{2});
        QCOMPARE(ui.Steps(), ++steps);

        // A double-click on a sprite.
        QListView* grid = ui.browser.Grid();
        const QRect flame = grid->visualRect(ui.Index("flame"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, flame.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, flame.center());
        QCOMPARE(scene.Objects().size(), std::size_t{3});
        QCOMPARE(ui.Steps(), ++steps);

        // A picture joins the scene's textures.
        ui.shell.Core().Document().SetModified(false);
        grid->setCurrentIndex(ui.Index("floor"));
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(scene.Textures().size(), std::size_t{1});
        QCOMPARE(ui.Steps(), ++steps);
        QVERIFY(ui.shell.Core().Document().IsModified());

        // A model dropped on the view.
        const QPoint centre(ui.shell.View().width() / 2, ui.shell.View().height() / 2);
        DropOnView(ui.shell.View(), ui.model, ui.Index("tank"), centre);
        QCOMPARE(scene.Objects().size(), std::size_t{4});
        QCOMPARE(ui.Steps(), ++steps);
        QVERIFY(ui.shell.Core().Document().Undo());
        QCOMPARE(scene.Objects().size(), std::size_t{3});
        QVERIFY(ui.shell.fixture.host.messages.empty());
    }

    void aPictureDroppedOnAnObjectBecomesItsTexture() {
        BrowserShell ui({"items/armor"});
        QVERIFY(ui.opened);
        QVERIFY(ui.shown);
        COGLScene& scene = ui.shell.Scene();
        ui.shell.View().makeCurrent();
        QVERIFY(ui.shell.Core().AddObject(object_type::kBox));
        COGLObject* box = scene.Objects().back().get();
        scene.SetSelectedObject(nullptr);
        ui.shell.View().repaint();
        const std::size_t steps = ui.Steps();

        const QPoint centre(ui.shell.View().width() / 2, ui.shell.View().height() / 2);
        DropOnView(ui.shell.View(), ui.model, ui.Index("Wall"), centre);
        QVERIFY(box->Texture() != nullptr);
        QCOMPARE(scene.Textures().size(), std::size_t{1});
        QCOMPARE(box->Texture(), scene.TextureAt(0));
        QCOMPARE(scene.Selected(), nullptr);  // the drop lands; it does not select
        QCOMPARE(ui.Steps(), steps + 1);
        QVERIFY(ui.shell.Core().Document().IsModified());

        // One undo takes the texture off the object and out of the scene's list.
        QVERIFY(ui.shell.Core().Document().Undo());
        QCOMPARE(box->Texture(), nullptr);
        QVERIFY(scene.Textures().empty());
        QVERIFY(ui.shell.Core().Document().Redo());
        QCOMPARE(box->Texture(), scene.TextureAt(0));

        // Dropped beside every object, a picture only joins the textures.
        DropOnView(ui.shell.View(), ui.model, ui.Index("floor"), QPoint(3, 3));
        QCOMPARE(scene.Textures().size(), std::size_t{2});
        QCOMPARE(box->Texture(), scene.TextureAt(0));
        QCOMPARE(ui.Steps(), steps + 2);
    }

    void aFailedEntryShowsWhyAndACrashedWorkerIsReplaced() {
        BrowserShell ui({"items/armor", "items/broken_box", "items/crash_box", "items/helmet"});
        QVERIFY(ui.opened);
        QVERIFY(ui.shown);
        const int broken = ui.Entry(QStringLiteral("broken_box"));
        const int crashed = ui.Entry(QStringLiteral("crash_box"));
        QTRY_COMPARE(ui.model.StateOf(broken), AssetModel::Thumbnail::Failed);
        QCOMPARE(ui.Index("broken_box").data(Qt::ToolTipRole).toString(), QString("broken on purpose"));
        QTRY_COMPARE(ui.model.StateOf(crashed), AssetModel::Thumbnail::Failed);
        QCOMPARE(ui.Index("crash_box").data(Qt::ToolTipRole).toString(), ThumbnailWorkers::StoppedReason());
        // Every other entry is drawn by the workers that took the crashed one's place.
        for (const char* title : {"armor", "helmet", "flame", "floor", "Wall"}) {
            QTRY_COMPARE(ui.model.StateOf(ui.Entry(QString::fromLatin1(title))), AssetModel::Thumbnail::Ready);
            QTRY_VERIFY(!ui.model.ThumbnailOf(ui.Entry(QString::fromLatin1(title))).isNull());
        }
        QVERIFY(ui.Index("armor").data(Qt::ToolTipRole).toString().contains(QStringLiteral("models/items/armor")));

        // Its preview says so too.
        ui.browser.Grid()->setCurrentIndex(ui.Index("broken_box"));
        QTRY_COMPARE(ui.browser.Preview().Facts()->text(), QString("No preview: broken on purpose"));

        // A program that ends without answering stops on each entry it is given, until
        // it has done so three times in a row: then it is no worker at all.
        ui.browser.SetWorkerCommand(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 0")});
        for (const char* title : {"armor", "helmet", "flame"}) {
            ui.browser.Grid()->setCurrentIndex(ui.Index(QString::fromLatin1(title)));
            QTRY_COMPARE(ui.browser.Preview().Facts()->text(), "No preview: " + ThumbnailWorkers::StoppedReason());
        }
        ui.browser.Grid()->setCurrentIndex(ui.Index("floor"));
        QTRY_COMPARE(ui.browser.Preview().Facts()->text(),
                     QString("No preview: the thumbnail worker ends without answering (/bin/sh)"));
        // One that cannot be started fails the entries with its reason at once.
        const QString missing = ui.shell.fixture.Path(QStringLiteral("no-such-worker"));
        ui.browser.SetWorkerCommand(missing, {});
        ui.browser.Grid()->setCurrentIndex(ui.Index("Wall"));
        QTRY_COMPARE(ui.browser.Preview().Facts()->text(),
                     QStringLiteral("No preview: the thumbnail worker could not be started (%1)").arg(missing));
    }

    void crashesAndOverrunsFailTheirOwnEntriesAndThumbnailsStayOn() {
        BrowserShell ui({"items/crash_a", "items/crash_b", "items/crash_c", "items/hang_box", "items/armor"});
        QVERIFY(ui.opened);
        QVERIFY(ui.shown);
        // Started again with a short time limit, so the hanging entry overruns it soon.
        ui.browser.Workers().SetTimeLimit(300);
        ui.browser.SetWorkerCommand(QCoreApplication::applicationFilePath(),
                                    {QString::fromLatin1(kFakeWorkerFlag), ui.workers.path(), QStringLiteral("0")});
        for (const char* title : {"crash_a", "crash_b", "crash_c"}) {
            QTRY_COMPARE(ui.model.StateOf(ui.Entry(QString::fromLatin1(title))), AssetModel::Thumbnail::Failed);
            QCOMPARE(ui.Index(QString::fromLatin1(title)).data(Qt::ToolTipRole).toString(),
                     ThumbnailWorkers::StoppedReason());
        }
        QTRY_COMPARE(ui.model.StateOf(ui.Entry(QStringLiteral("hang_box"))), AssetModel::Thumbnail::Failed);
        QCOMPARE(ui.Index("hang_box").data(Qt::ToolTipRole).toString(),
                 QString("drawing it took longer than 0.3 seconds"));
        // Three crashes in a row name their entries, not the worker: the rest are drawn.
        for (const char* title : {"armor", "flame", "floor", "Wall"}) {
            QTRY_COMPARE(ui.model.StateOf(ui.Entry(QString::fromLatin1(title))), AssetModel::Thumbnail::Ready);
        }
        ui.browser.Grid()->setCurrentIndex(ui.Index("armor"));
        QTRY_COMPARE(ui.browser.Preview().Tiles(), 4);
    }

    void aModOpenedAfterItsGameListsEachEntryOnceAndTheFilterKnowsArchives() {
        BrowserShell ui({"items/armor"});
        QVERIFY(ui.opened);
        QVERIFY(ui.shown);
        const QString root = ui.shell.fixture.Path(QStringLiteral("quake2"));
        QVERIFY(fixtures::FolderBuilder()
                    .Add("baseq2/pak0.pak", AssetPak({"monsters/tank"}))
                    .Add("mymod/models/extra/tris.md2", AnimatedBox({{"stand", 2}}))
                    .Write(root.toStdString()));
        QVERIFY(ui.shell.window.OpenFile(root + QStringLiteral("/baseq2")));
        QVERIFY(ui.shell.window.OpenFile(root + QStringLiteral("/mymod")));
        QCOMPARE(ui.shell.Scene().PakCount(), 3);
        // The game's entries under the game, the mod's own under the mod; pictures of
        // the same names in another archive are other files.
        QCOMPARE(ui.Titles(),
                 QStringList({"armor", "flame", "floor", "Wall", "tank", "flame", "floor", "Wall", "extra"}));

        // The filter finds entries by their archive's name and by their origin's.
        QTest::keyClicks(ui.browser.Filter(), QStringLiteral("PAK0"));
        QCOMPARE(ui.Titles(), QStringList({"tank", "flame", "floor", "Wall"}));
        ui.browser.Filter()->clear();
        QTest::keyClicks(ui.browser.Filter(), QStringLiteral("assets.pak"));
        QCOMPARE(ui.Titles(), QStringList({"armor", "flame", "floor", "Wall"}));
        ui.browser.Filter()->clear();
        QTest::keyClicks(ui.browser.Filter(), QStringLiteral("mymod"));
        QCOMPARE(ui.Titles(), QStringList({"extra"}));
    }

    void requestsNoLongerWantedAreNeverSent() {
        std::vector<std::string> models;
        for (int i = 0; i < 200; ++i) {
            models.push_back(QStringLiteral("set/m%1").arg(i, 3, 10, QLatin1Char('0')).toStdString());
        }
        models.push_back("zz/wanted");  // listed last
        BrowserShell ui(models, 40);
        QVERIFY(ui.opened);
        QVERIFY(ui.shown);
        ui.browser.SetWorkerCount(1);
        QTRY_VERIFY(!ui.Requested().isEmpty());
        ui.browser.Filter()->setText(QStringLiteral("wanted"));
        const int before = static_cast<int>(ui.Requested().size());
        QTRY_COMPARE(ui.model.StateOf(ui.Entry(QStringLiteral("wanted"))), AssetModel::Thumbnail::Ready);
        const QStringList after = ui.Requested().mid(before);
        // At most the one being drawn when the filter changed is read after it.
        QVERIFY2(!after.isEmpty() && after.size() <= 2, qPrintable(after.join(QLatin1Char(' '))));
        QCOMPARE(after.constLast(), QString("models/zz/wanted/tris.md2"));
        QVERIFY(ui.Requested().size() < 10);
    }

    // How long the window waits meanwhile is measured by the browser's benchmark.
    void thumbnailsFillInWhileTheGridScrolls() {
        std::vector<std::string> models;
        for (int i = 0; i < 320; ++i) {
            models.push_back(QStringLiteral("many/m%1").arg(i, 3, 10, QLatin1Char('0')).toStdString());
        }
        BrowserShell ui(models, 1);
        QVERIFY(ui.opened);
        QVERIFY(ui.shown);
        QDockWidget* dock = ui.shell.window.AssetsDock();
        dock->setFloating(true);
        dock->resize(900, 700);
        QVERIFY(QTest::qWaitForWindowExposed(dock));

        // The view scrolls down a little at a time, as a user looking through it, and
        // from the top again: what it passed before being drawn is asked for anew.
        QScrollBar* scroll = ui.browser.Grid()->verticalScrollBar();
        QTimer scrolling;
        scrolling.setInterval(40);
        connect(&scrolling, &QTimer::timeout, this, [&] {
            scroll->setValue(scroll->value() == scroll->maximum() ? 0 : scroll->value() + scroll->pageStep() / 3);
        });
        const auto ready = [&] {
            int count = 0;
            for (int entry = 0; entry < ui.model.EntryCount(); ++entry) {
                count += ui.model.StateOf(entry) == AssetModel::Thumbnail::Ready ? 1 : 0;
            }
            return count;
        };
        scrolling.start();
        QVERIFY(QTest::qWaitFor([&] { return ready() >= 300; }, 60000));
        scrolling.stop();
        QVERIFY(ui.browser.Images().HeldBytes() <= ThumbnailImages::kBudget);
    }

    // A game too large to list at once is listed on a thread of its own: the browser
    // says so meanwhile, then holds what listing on the window's thread gives, each
    // entry naming the scene's own archive (so that it can be added).
    void aLargeGameIsListedAwayFromTheWindow() {
        QTemporaryDir dir;
        const std::string game = dir.filePath(QStringLiteral("quake2/baseq2")).toStdString();
        fixtures::FolderBuilder folder;
        const int count = AssetBrowser::kListedApartEntries + 10;
        for (int i = 0; i < count; ++i) {
            folder.Add("models/m" + std::to_string(i / 100) + "/e" + std::to_string(i % 100) + "/tris.md2",
                       std::string("IDP2"));
        }
        QVERIFY(folder.Write(game));
        SceneSheetHooks hooks;
        AssetBrowser browser(hooks);
        browser.SetWorkerCommand(QStringLiteral("/bin/true"), {});
        browser.show();
        COGLScene scene;
        browser.SetScene(&scene);
        scene.AddPak(game, OpenArchiveApart(game));
        browser.Refresh();
        QCOMPARE(browser.Count()->text(), QStringLiteral("Listing..."));
        QVERIFY(browser.findChild<QProgressBar*>(QStringLiteral("assetListing"))->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(browser.Model().EntryCount(), count, 30000);
        QVERIFY(!browser.findChild<QProgressBar*>(QStringLiteral("assetListing"))->isVisible());
        const std::vector<AssetEntry> here = ListAssets(scene);
        QCOMPARE(static_cast<std::size_t>(browser.Model().EntryCount()), here.size());
        for (int i = 0; i < browser.Model().EntryCount(); i += 997) {
            const AssetEntry& entry = browser.Model().Entry(i);
            QCOMPARE(entry.name, here[static_cast<std::size_t>(i)].name);
            QCOMPARE(entry.archive, static_cast<const Archive*>(scene.PakAt(0)));
        }
        browser.SetScene(nullptr);
    }

    // The window's own program as the worker, the way users run it: both ends of the
    // real protocol, the drawing and the user's cache.
    void theProgramItselfDrawsTheThumbnailsIntoTheUsersCache() {
        QTemporaryDir cache;
        const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
        {
            BrowserShell ui({"monsters/tank"}, 0, {QStringLiteral(MAROVIN_APP), QStringLiteral("--thumbnail-worker")});
            QVERIFY(ui.opened);
            QVERIFY(ui.shown);
            for (const QString title : {"tank", "flame", "floor"}) {
                QTRY_VERIFY_WITH_TIMEOUT(ui.model.StateOf(ui.Entry(title)) == AssetModel::Thumbnail::Ready, 30000);
            }
            // Framed on a clear ground: the model fills the middle, the corners stay empty.
            QTRY_VERIFY(!ui.model.ThumbnailOf(ui.Entry("tank")).isNull());
            const QImage tank = ui.model.ThumbnailOf(ui.Entry("tank")).toImage();
            QCOMPARE(qAlpha(tank.pixel(0, 0)), 0);
            QVERIFY(qAlpha(tank.pixel(tank.width() / 2, tank.height() / 2)) > 0);

            // Choosing it plays the frames the worker drew, with the facts it read.
            ui.browser.Grid()->setCurrentIndex(ui.Index("tank"));
            QTRY_VERIFY_WITH_TIMEOUT(ui.browser.Preview().Tiles() > 1, 30000);
            QVERIFY(ui.browser.Preview().Facts()->text().contains(QStringLiteral("Frames: 2\nAnimations: stand")));
        }
        const QStringList kept =
            QDir(cache.filePath(QStringLiteral("marovin/thumbnails"))).entryList({QStringLiteral("*.png")}, QDir::Files);
        if (oldCache.isNull()) {
            qunsetenv("XDG_CACHE_HOME");
        } else {
            qputenv("XDG_CACHE_HOME", oldCache);
        }
        QVERIFY(kept.size() >= 3);
    }

    void decodedThumbnailsStayWithinTheirBudgetAndComeBackFromTheirFiles() {
        QTemporaryDir dir;
        ThumbnailImages images;
        QStringList decoded;
        images.onDecoded = [&](const QString& path, bool read) {
            QVERIFY(read);
            decoded << path;
        };
        // Pictures of 4 MB each, twice the budget's worth.
        constexpr int kSide = 1024;
        const int count = static_cast<int>(2 * ThumbnailImages::kBudget / (qint64{kSide} * kSide * 4));
        QImage picture(kSide, kSide, QImage::Format_ARGB32);
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            picture.fill(QColor::fromHsv(i * 10, 255, 255));
            paths << dir.filePath(QStringLiteral("%1.png").arg(i));
            QVERIFY(picture.save(paths.constLast()));
            QVERIFY(images.Find(paths.constLast()).isNull());  // read off the window's thread
        }
        QTRY_COMPARE(decoded.size(), count);
        QVERIFY(images.HeldBytes() <= ThumbnailImages::kBudget);
        QVERIFY(!images.Find(paths.constLast()).isNull());
        // The first ones made room; asked for again, they are read again.
        QVERIFY(images.Find(paths.constFirst()).isNull());
        QTRY_COMPARE(decoded.size(), count + 1);
        QCOMPARE(images.Find(paths.constFirst()).toImage().pixel(0, 0), QColor::fromHsv(0, 255, 255).rgb());
        QVERIFY(images.HeldBytes() <= ThumbnailImages::kBudget);
    }

    void theDockIsAViewEntryAndKeepsItsPlace() {
        ShellFixture fixture;
        {
            MainWindow window;
            window.Start();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QDockWidget* dock = window.AssetsDock();
            QCOMPARE(dock->windowTitle(), QString("Assets"));
            QVERIFY(!window.AssetsAction()->isChecked());  // behind the other tabs
            window.AssetsAction()->trigger();
            QTRY_VERIFY(dock->isVisible());
            QVERIFY(window.AssetsAction()->isChecked());
            window.addDockWidget(Qt::BottomDockWidgetArea, dock);
            window.close();
        }
        MainWindow window;
        window.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.dockWidgetArea(window.AssetsDock()), Qt::BottomDockWidgetArea);
        QTRY_VERIFY(window.AssetsDock()->isVisible());
        window.AssetsAction()->trigger();
        QVERIFY(window.AssetsDock()->isHidden());
    }
};

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], kFakeWorkerFlag) == 0) {
        return FakeWorker(argv[2], std::atoi(argv[3]));
    }
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    AssetBrowserTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "AssetBrowserTest.moc"
