// A new user's ways of losing work: a failed open over a saved scene, additions
// that were not changes, and a recent file that is gone.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTreeWidget>


#include "ShellTestSupport.h"
#include "models/ModelFamilies.h"
#include "render/COGLView.h"
#include "render/CommandIds.h"
#include "scene/COGLDoc.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "support/MediaWriters.h"
#include "support/SpriteWriters.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/PropertyWindows.h"
#include "ui/ScenePropertiesPanel.h"
#include "ui/ShellWiring.h"
#include "ui/scene/PaksPage.h"

namespace {
const QString kDemo = QStringLiteral(MAROVIN_SOURCE_DIR "/samples/scenes/demo.dv");
const QString kBanner = QStringLiteral(MAROVIN_SOURCE_DIR "/samples/models/banner/tris.md2");

QString Write(Shell& shell, const QString& name, const ByteBuffer& bytes) {
    const QString path = shell.fixture.Path(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    return path;
}

ByteBuffer Contents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    return ByteBuffer(bytes.begin(), bytes.end());
}

QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& text) {
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.constFirst();
}
}  // namespace

class NothingLostTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterModelClasses(); }

    // Saved, then a damaged or foreign file chosen: the message, and the saved
    // scene still shown under its name, unmodified, its history kept; the next
    // Save writes the same scene again.
    void aFailedOpenLeavesTheSavedSceneAsItWas() {
        Shell shell;
        QVERIFY(shell.exposed);
        // The demo with the pictures and model it names beside it, so it reads whole.
        for (const QFileInfo& file : QDir(QFileInfo(kDemo).absolutePath()).entryInfoList(QDir::Files)) {
            QVERIFY(QFile::copy(file.filePath(), shell.fixture.Path(file.fileName())));
        }
        const QString saved = shell.fixture.Path(QStringLiteral("room.dv"));
        QVERIFY(QFile::rename(shell.fixture.Path(QStringLiteral("demo.dv")), saved));
        QVERIFY(shell.window.OpenFile(saved));
        QVERIFY(shell.window.OpenFile(kBanner));  // a change worth saving, and a step to undo
        shell.window.RunCommand(cmd::kSave);
        QVERIFY(!shell.Core().Document().IsModified());
        const ByteBuffer good = Contents(saved);
        const std::size_t objects = shell.Scene().Objects().size();
        const COGLObject* first = shell.Scene().ObjectAt(0);
        const std::string undo = shell.Core().Document().History().UndoName();

        ByteBuffer cut = good;
        cut.resize(cut.size() / 2);
        ByteBuffer foreign = good;
        foreign[3] = '1';
        ByteBuffer old = good;
        old[4] = 4;
        for (const QString& bad : {Write(shell, QStringLiteral("cut.dv"), cut),
                                   Write(shell, QStringLiteral("foreign.dv"), foreign),
                                   Write(shell, QStringLiteral("old.dv"), old), shell.fixture.Path("gone.dv")}) {
            shell.fixture.host.Clear();
            QVERIFY(!shell.window.OpenFile(bad));
            QCOMPARE(shell.fixture.host.messages.size(), std::size_t{1});
            QCOMPARE(shell.Scene().Objects().size(), objects);
            QCOMPARE(shell.Scene().ObjectAt(0), first);
            QCOMPARE(shell.window.ScenePath(), saved);
            QVERIFY(!shell.Core().Document().IsModified());
            QVERIFY(!shell.window.isWindowModified());
            QVERIFY(shell.window.windowTitle().startsWith(QStringLiteral("room.dv")));
            QCOMPARE(shell.Core().Document().History().UndoName(), undo);
            QVERIFY(!shell.window.RecentFiles().Files().contains(bad));
        }
        shell.window.RunCommand(cmd::kSave);
        QVERIFY(Contents(saved) == good);
    }

    // A scene that opens without one of its models is not the file it came from:
    // it is untitled and unsaved, so Save asks for a name.
    void aScenePartlyReadIsUntitledAndModified() {
        Shell shell;
        QVERIFY(shell.exposed);
        const QString model = shell.fixture.Path(QStringLiteral("banner.md2"));
        QVERIFY(QFile::copy(kBanner, model));
        QVERIFY(shell.window.OpenFile(model));
        const QString saved = shell.fixture.Path(QStringLiteral("with-banner.dv"));
        QVERIFY(shell.window.Hooks().saveScene(saved));
        QVERIFY(QFile::remove(model));
        shell.Core().Document().SetModified(false);

        shell.fixture.host.Clear();
        QVERIFY(shell.window.OpenFile(saved));  // the missing model is asked for; the prompt is cancelled
        QVERIFY(!shell.fixture.host.prompts.empty());
        QVERIFY(shell.Scene().Objects().empty());
        QVERIFY(shell.window.ScenePath().isEmpty());
        QVERIFY(shell.Core().Document().IsModified());
        QVERIFY(shell.window.windowTitle().startsWith(QStringLiteral("Untitled")));
    }

    // Every way of adding to the scene marks it modified and is one step Undo takes back.
    void everyAdditionIsAChangeAndAnUndoStep() {
        const QTemporaryDir data;
        // The banner and its skin: at start-up a missing skin would ask in a box.
        const QString commandLineModel = data.filePath(QStringLiteral("tris.md2"));
        QVERIFY(QFile::copy(kBanner, commandLineModel));
        QVERIFY(QFile::copy(QFileInfo(kBanner).absolutePath() + QStringLiteral("/skin.pcx"),
                            data.filePath(QStringLiteral("skin.pcx"))));
        Shell shell({}, commandLineModel);
        QVERIFY(shell.exposed);
        COGLDoc& doc = shell.Core().Document();
        QCOMPARE(shell.Scene().Objects().size(), std::size_t{1});
        QVERIFY(doc.IsModified());
        QCOMPARE(doc.History().UndoCount(), std::size_t{1});

        fixtures::SprSprite flame;
        flame.frames = {{false, {fixtures::SolidPicture(100)}, {}}};
        const QString sprite = Write(shell, QStringLiteral("flame.spr"), fixtures::WriteSpr(flame));
        const ByteBuffer banner = Contents(kBanner);
        const QString pak = Write(shell, 
            QStringLiteral("pak0.pak"),
            fixtures::PakBuilder()
                .Add("models/flag/tris.md2", banner)
                .Add("sprites/flame.spr", fixtures::WriteSpr(flame))
                .Add("textures/stone.pcx", fixtures::WritePcx(8, 8, fixtures::Indices(64, 7), fixtures::DistinctPalette()))
                .Build());

        std::size_t steps = doc.History().UndoCount();
        const auto expectOneStep = [&](const char* how) {
            if (!doc.IsModified() || doc.History().UndoCount() != steps + 1) {
                QFAIL(qPrintable(QStringLiteral("%1: modified %2, steps %3 -> %4")
                                     .arg(QString::fromLatin1(how))
                                     .arg(doc.IsModified())
                                     .arg(steps)
                                     .arg(doc.History().UndoCount())));
            }
            steps = doc.History().UndoCount();
            doc.SetModified(false);
        };
        doc.SetModified(false);

        QVERIFY(shell.window.OpenFile(kBanner));  // File > Open and Open Model
        expectOneStep("open a model");
        QVERIFY(shell.window.OpenFile(sprite));
        expectOneStep("open a sprite");
        emit shell.window.View()->filesDropped({kBanner});
        expectOneStep("drop a model");

        QVERIFY(shell.window.OpenFile(pak));
        QVERIFY(doc.IsModified());  // the scene now lists the archive
        doc.SetModified(false);
        QTreeWidget* tree = shell.wiring.Properties().SceneSheet().Paks().Tree();
        for (const char* entry : {"flag", "flame", "stone"}) {
            QTreeWidgetItem* item = FindItem(tree, QString::fromLatin1(entry));
            QVERIFY2(item != nullptr, entry);
            emit tree->itemActivated(item, 0);
            expectOneStep(entry);
        }
        QCOMPARE(shell.Scene().Objects().size(), std::size_t{6});
        QCOMPARE(shell.Scene().Textures().size(), std::size_t{1});

        while (doc.Undo()) {
        }
        QVERIFY(shell.Scene().Objects().empty());
        QVERIFY(shell.Scene().Textures().empty());
        QVERIFY(doc.IsModified());
    }

    // A recent scene that is gone says so and leaves the list.
    void aMissingRecentFileLeavesTheList() {
        Shell shell;
        QVERIFY(shell.exposed);
        const QString path = shell.fixture.Path(QStringLiteral("soon-gone.dv"));
        QVERIFY(QFile::copy(kDemo, path));
        QVERIFY(shell.window.OpenFile(path));
        QVERIFY(shell.window.RecentFiles().Files().contains(path));
        const std::size_t shown = shell.Scene().Objects().size();
        QVERIFY(QFile::remove(path));
        shell.fixture.host.Clear();
        QAction* recent = shell.window.RecentFileActions().constFirst();
        QVERIFY(recent->isVisible());
        recent->trigger();
        QVERIFY(shell.fixture.host.HasMessage("Invalid filename."));
        QVERIFY(!shell.window.RecentFiles().Files().contains(path));
        QCOMPARE(shell.Scene().Objects().size(), shown);  // the scene shown stays
    }
};

QTEST_MAIN(NothingLostTest)
#include "NothingLostTest.moc"
