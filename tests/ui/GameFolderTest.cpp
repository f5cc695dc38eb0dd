// A whole game opened from the File menu: its archives and loose files as one
// tree on the pak page, where each entry says where it comes from, and a model
// added from that tree.
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QTreeWidget>

#include "ShellTestSupport.h"
#include "media/Archive.h"
#include "models/ModelFamilies.h"
#include "models/ModelFixtures.h"
#include "render/CommandIds.h"
#include "scene/COGLDoc.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "support/ArchiveWriters.h"
#include "support/MediaWriters.h"
#include "ui/PropertyWindows.h"
#include "ui/ScenePropertiesPanel.h"
#include "ui/scene/PaksPage.h"

using namespace model_fixtures;

class GameFolderTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterModelClasses(); }

    void opensAGameFolderFromTheMenuAndAddsAModelFromItsTree() {
        Shell shell;
        QVERIFY(shell.exposed);
        const QString root = shell.fixture.Path(QStringLiteral("quake2"));
        fixtures::PakBuilder pak0;
        pak0.Add("models/monsters/tank/tris.md2", AnimatedBox({{"stand", 2}}, {"models/monsters/tank/skin.pcx"}))
            .Add("models/monsters/tank/skin.pcx", Skin(3))
            .Add("textures/base/floor.pcx", Skin(4));
        fixtures::PakBuilder pak1;
        pak1.Add("textures/base/floor.pcx", Skin(5));  // wins over pak0's
        QVERIFY(fixtures::FolderBuilder()
                    .Add("baseq2/pak0.pak", pak0.Build())
                    .Add("baseq2/pak1.pak", pak1.Build())
                    .Add("baseq2/textures/base/floor.pcx", Skin(7))  // a loose file loses to both
                    .Write(root.toStdString()));

        int asked = 0;
        shell.window.execDialog = [&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            if (files == nullptr || files->fileMode() != QFileDialog::Directory) {
                return static_cast<int>(QDialog::Rejected);
            }
            ++asked;
            files->selectFile(root);
            return static_cast<int>(QDialog::Accepted);
        };
        shell.window.RunCommand(cmd::kOpenGameFolder);
        QCOMPARE(asked, 1);
        QCOMPARE(shell.Scene().PakCount(), 1);
        const Archive* game = shell.Scene().PakAt(0);
        QCOMPARE(game->Kind(), ArchiveKind::Game);
        QVERIFY(shell.window.RecentFiles().Files().contains(root));
        // What was found is said, and the game's assets come forward to be browsed.
        QCOMPARE(QString::fromStdString(shell.fixture.host.statusText), QStringLiteral("Opened the Quake 2 game in baseq2: 2 archives."));
        QVERIFY(shell.window.AssetsDock()->isVisible());

        // The whole game is one tree, shown at once.
        PaksPage& page = shell.wiring.Properties().SceneSheet().Paks();
        QTreeWidget* tree = page.Tree();
        const auto found = tree->findItems(QStringLiteral("tank"), Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(found.size(), 1);
        QTreeWidgetItem* tank = found.constFirst();
        const auto floors = tree->findItems(QStringLiteral("floor"), Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(floors.size(), 1);
        tree->setCurrentItem(floors.constFirst());
        QVERIFY(page.Origin()->text().contains(QStringLiteral("pak1.pak")));
        QVERIFY(page.Origin()->text().contains(QStringLiteral("hides")));
        QVERIFY(page.Origin()->text().contains(QStringLiteral("pak0.pak")));
        tree->setCurrentItem(tank);
        QVERIFY(page.Origin()->text().contains(QStringLiteral("pak0.pak")));

        emit tree->itemActivated(tank, 0);
        QCOMPARE(shell.Scene().Objects().size(), std::size_t{1});
        const COGLObject* added = shell.Scene().Selected();
        QVERIFY(added != nullptr);
        QVERIFY(added->Texture() != nullptr);
        QVERIFY(shell.fixture.host.messages.empty());
        QVERIFY(shell.Core().Document().IsModified());
    }
};

QTEST_MAIN(GameFolderTest)
#include "GameFolderTest.moc"
