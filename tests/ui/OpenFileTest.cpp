#include <QAction>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QUrl>

#include "ShellTestSupport.h"
#include "render/CommandIds.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"

namespace {
QString MakeFile(const ShellFixture& fixture, const QString& name) {
    const QString path = fixture.Path(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("DUV2");
    return path;
}

QStringList VisibleRecentTexts(const MainWindow& window) {
    QStringList texts;
    for (const QAction* action : window.RecentFileActions()) {
        if (action->isVisible()) {
            texts << action->text();
        }
    }
    return texts;
}

bool Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}
}  // namespace

class OpenFileTest : public QObject {
    Q_OBJECT
private slots:
    void recentListKeepsTheLastFourNewestFirst() {
        ShellFixture fixture;
        QStringList names;
        for (const char* name : {"a.dv", "b.pak", "c.md2", "d.dv", "e.def"}) {
            names << MakeFile(fixture, QString::fromLatin1(name));
        }
        {
            MainWindow window;
            window.Hooks().openFile = [](const QString&) { return true; };
            QVERIFY(VisibleRecentTexts(window).isEmpty());
            for (const QString& path : names) {
                QVERIFY(window.OpenFile(path));
            }
            QCOMPARE(window.RecentFiles().Files(), QStringList({names[4], names[3], names[2], names[1]}));
            // Opening a listed file again moves it to the top, once.
            window.OpenFile(names[2]);
            QCOMPARE(window.RecentFiles().Files(), QStringList({names[2], names[4], names[3], names[1]}));
            // The same file under another spelling of its path is the same entry.
            window.OpenFile(fixture.dir.path() + QStringLiteral("/./b.pak"));
            QCOMPARE(window.RecentFiles().Files(), QStringList({names[1], names[2], names[4], names[3]}));
            QCOMPARE(VisibleRecentTexts(window), QStringList({"&1 " + names[1], "&2 " + names[2], "&3 " + names[4],
                                                              "&4 " + names[3]}));
        }
        // The list survives the window.
        MainWindow window;
        QCOMPARE(window.RecentFiles().Files(), QStringList({names[1], names[2], names[4], names[3]}));
        const QList<QAction*> actions = window.RecentFileActions();
        QCOMPARE(actions.size(), 4);
        for (int i = 0; i < actions.size(); ++i) {
            QCOMPARE(actions[i]->data().toInt(), cmd::kRecentFileFirst + i);
            QCOMPARE(actions[i]->statusTip(), QString("Open this Scene"));
        }
        QStringList opened;
        window.Hooks().openFile = [&opened](const QString& path) {
            opened << path;
            return true;
        };
        actions[2]->trigger();
        QCOMPARE(opened, QStringList({names[4]}));
        QCOMPARE(window.RecentFiles().Files().constFirst(), names[4]);
    }

    void failedOpensStayOffTheList() {
        ShellFixture fixture;
        MainWindow window;
        const QString bad = MakeFile(fixture, QStringLiteral("bad.md2"));
        QVERIFY(!window.OpenFile(bad));  // no core to open it yet
        window.Hooks().openFile = [](const QString&) { return false; };
        QVERIFY(!window.OpenFile(bad));
        QVERIFY(window.RecentFiles().Files().isEmpty());
        QVERIFY(VisibleRecentTexts(window).isEmpty());
    }

    void commandLineAndDroppedFilesGoThroughOpenFile() {
        ShellFixture fixture;
        const QString scene = MakeFile(fixture, QStringLiteral("start.dv"));
        const QString pak = MakeFile(fixture, QStringLiteral("pak0.pak"));
        const QString model = MakeFile(fixture, QStringLiteral("tris.md2"));
        MainWindow window;
        QStringList opened;
        int setUps = 0;
        window.Hooks().setUpVisualWeapons = [&] { ++setUps; };
        window.Hooks().openFile = [&](const QString& path) {
            // Visual weapons are set up before the command line's file opens.
            opened << (setUps == 1 ? path : QStringLiteral("too early"));
            return true;
        };
        window.Start(scene);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(opened, QStringList({scene}));

        QVERIFY(Drop(window.View(), {QUrl::fromLocalFile(pak), QUrl::fromLocalFile(model)}));
        QCOMPARE(opened, QStringList({scene, pak, model}));
        QCOMPARE(window.RecentFiles().Files(), QStringList({model, pak, scene}));
        // Only local files are taken.
        QVERIFY(!Drop(window.View(), {QUrl(QStringLiteral("https://example.org/x.dv"))}));
        QCOMPARE(opened.size(), 3);
    }

    void saveAsNamesTheSceneAndSaveReusesTheName() {
        ShellFixture fixture;
        MainWindow window;
        QStringList saved;
        window.Hooks().saveScene = [&saved](const QString& path) {
            saved << path;
            return true;
        };
        int dialogs = 0;
        window.execDialog = [&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            if (files == nullptr || files->acceptMode() != QFileDialog::AcceptSave ||
                files->nameFilters() != QStringList({"DUV Scene Files (*.dv)"})) {
                return static_cast<int>(QDialog::Rejected);
            }
            ++dialogs;
            files->selectFile(fixture.Path(QStringLiteral("room")));
            return static_cast<int>(QDialog::Accepted);
        };
        window.RunCommand(cmd::kSave);  // no name yet: asks
        window.RunCommand(cmd::kSave);  // named: saves in place
        QCOMPARE(dialogs, 1);
        const QString room = fixture.Path(QStringLiteral("room.dv"));
        QCOMPARE(saved, QStringList({room, room}));
        QCOMPARE(window.RecentFiles().Files(), QStringList({room}));
        window.RunCommand(cmd::kSaveAs);
        QCOMPARE(dialogs, 2);
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    OpenFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "OpenFileTest.moc"
