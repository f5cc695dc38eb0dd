// Players where the game keeps them: picked by name from the scene's game
// folders and archives, shown as one item in the Assets window, and each added as
// a player while any other model the browser adds stays a plain model.
#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

#include "ShellTestSupport.h"
#include "media/COGLTexture2D.h"
#include "models/ModelFamilies.h"
#include "models/quake2/COGLPlayer.h"
#include "models/quake2/MD2Open.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/EditHistory.h"
#include "support/PlayerGame.h"
#include "ui/CommandTable.h"
#include "ui/ModelOpenDialog.h"
#include "ui/ObjectPropertiesPanel.h"
#include "ui/PlayerPicker.h"
#include "ui/PropertyWindows.h"
#include "ui/browser/AssetBrowser.h"
#include "ui/browser/AssetModel.h"
#include "ui/browser/AssetPreview.h"

namespace {
// The window over the miniature game, its baseq2 and its mod opened as game folders.
struct GameShell {
    Shell shell;
    QString root = shell.fixture.Path(QStringLiteral("quake2"));
    bool opened = fixtures::WritePlayerGame(root.toStdString()) &&
                  shell.window.OpenFile(root + QStringLiteral("/baseq2")) &&
                  shell.window.OpenFile(root + QStringLiteral("/knightmod"));

    COGLPlayer* SelectedPlayer() { return dynamic_cast<COGLPlayer*>(shell.Scene().Selected()); }
    std::vector<std::string> SkinNames(const COGLModel& model) const {
        std::vector<std::string> names;
        for (const COGLTexture2D* skin : model.Skins()) {
            names.push_back(skin != nullptr ? fs_util::ToLower(fs_util::FileNameOf(skin->Path())) : std::string());
        }
        return names;
    }
};

QStringList RowTexts(const QTreeWidget& rows, int column) {
    QStringList texts;
    for (int i = 0; i < rows.topLevelItemCount(); ++i) {
        texts << rows.topLevelItem(i)->text(column);
    }
    return texts;
}
}  // namespace

class PlayerPickerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterModelClasses(); }

    // The picker lists every game's players with where each comes from; the row
    // chosen (through Add Player, or the open dialog's "Game Players...") adds a
    // player with the game's skins and weapons, and choosing a skin on its page is
    // one step back.
    void picksAPlayerByNameAndChoosesItsSkin() {
        GameShell g;
        QVERIFY(g.shell.exposed);
        QVERIFY(g.opened);
        QCOMPARE(g.shell.Scene().PakCount(), 2);

        // The rows' thumbnails come from the program itself as the worker.
        const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
        const QByteArray oldWorker = qgetenv("MAROVIN_THUMBNAIL_WORKER");
        qputenv("XDG_CACHE_HOME", g.shell.fixture.Path(QStringLiteral("cache")).toUtf8());
        qputenv("MAROVIN_THUMBNAIL_WORKER", MAROVIN_APP " --thumbnail-worker");
        PlayerPicker listing(&g.shell.Scene());
        QTreeWidget& rows = *listing.Rows();
        QTRY_VERIFY_WITH_TIMEOUT(rows.topLevelItem(1)->data(0, PlayerPicker::kThumbnailShownRole).toBool(), 60000);
        oldWorker.isNull() ? qunsetenv("MAROVIN_THUMBNAIL_WORKER") : qputenv("MAROVIN_THUMBNAIL_WORKER", oldWorker);
        oldCache.isNull() ? qunsetenv("XDG_CACHE_HOME") : qputenv("XDG_CACHE_HOME", oldCache);
        // baseq2 first, then the mod, which sees its own player and baseq2's.
        QCOMPARE(RowTexts(rows, 0), QStringList({"duke", "male", "duke", "knight", "male"}));
        QCOMPARE(RowTexts(rows, 1), QStringList({"duke.pk3 (game baseq2)", "pak0.pak (game baseq2)",
                                                 "duke.pk3 (game knightmod)", "knightmod (loose files)",
                                                 "pak0.pak (game knightmod)"}));
        // Skins with the team skins, and weapons, as the game finds them.
        QCOMPARE(RowTexts(rows, 2), QStringList({"3", "5", "3", "1", "5"}));
        QCOMPARE(RowTexts(rows, 3), QStringList({"2", "4", "2", "1", "4"}));

        // Add Player with the pk3's player chosen.
        int pickers = 0;
        g.shell.window.execDialog = [&](QDialog& dialog) {
            auto* picker = qobject_cast<PlayerPicker*>(&dialog);
            if (picker == nullptr) {
                return static_cast<int>(QDialog::Rejected);
            }
            ++pickers;
            picker->Rows()->setCurrentItem(picker->Rows()->topLevelItem(0));
            return static_cast<int>(QDialog::Accepted);
        };
        g.shell.window.RunCommand(cmd::kAddPlayer);
        QCOMPARE(pickers, 1);
        COGLPlayer* duke = g.SelectedPlayer();
        QVERIFY(duke != nullptr);
        QCOMPARE(duke->Pak(), g.shell.Scene().PakAt(0));
        QCOMPARE(g.SkinNames(*duke), std::vector<std::string>({"duke.pcx", "nukem.pcx", "ctf_r.pcx"}));
        QCOMPARE(duke->Weapons().size(), std::size_t{2});
        QVERIFY(duke->CurrentWeapon() != nullptr);

        // The skins page shows each skin's picture; choosing one is one step back.
        g.shell.wiring.Properties().PropertyRefresh();
        auto* skins = g.shell.wiring.Properties().ObjectSheet().findChild<QListWidget*>(QStringLiteral("skins"));
        QVERIFY(skins != nullptr);
        QCOMPARE(skins->count(), 3);
        for (int i = 0; i < skins->count(); ++i) {
            QVERIFY(!skins->item(i)->icon().isNull());
        }
        COGLTexture2D* first = duke->Texture();
        QCOMPARE(first, duke->Skins().front());
        EditHistory& history = g.shell.Core().Document().History();
        const std::size_t steps = history.UndoCount();
        skins->setCurrentRow(1);
        QCOMPARE(duke->Texture(), duke->Skins()[1]);
        QCOMPARE(history.UndoCount(), steps + 1);
        QVERIFY(history.Undo(g.shell.Scene()));
        auto* undone = g.SelectedPlayer();
        QVERIFY(undone != nullptr);
        QCOMPARE(undone->Texture()->Path(), first->Path());

        // The open dialog offers the picker only while "Load as a Player" is ticked;
        // a player picked there closes it with nothing left to open.
        ModelOpenDialog dialog;
        QCOMPARE(dialog.LoadAsPlayerBox()->text(), QStringLiteral("Load as a Player"));
        QVERIFY(!dialog.GamePlayersButton()->isEnabled());
        dialog.LoadAsPlayerBox()->setChecked(true);
        QVERIFY(dialog.GamePlayersButton()->isEnabled());
        int asked = 0;
        dialog.choosePlayer = [&] { return ++asked == 2; };
        dialog.show();
        dialog.LoadAsPlayerBox()->setChecked(true);
        dialog.GamePlayersButton()->click();
        QVERIFY(dialog.isVisible());
        dialog.GamePlayersButton()->click();
        QCOMPARE(asked, 2);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), static_cast<int>(QDialog::Rejected));
    }

    // A player's folder is one "player" item whose preview counts its skins; its
    // skins and weapons stay listed. The item adds a player, any other model a
    // plain one, whatever the open dialog's sticky "Load as a Player" says.
    void theAssetsWindowAddsAPlayerAsOneItem() {
        GameShell g;
        QVERIFY(g.shell.exposed);
        QVERIFY(g.opened);
        AssetBrowser& browser = g.shell.wiring.Browser();
        browser.SetWorkerCommand(QStringLiteral("/bin/true"), {});
        // The opened game brought its assets forward.
        QVERIFY(g.shell.window.AssetsDock()->isVisible());
        AssetModel& model = browser.Model();
        QVERIFY(QTest::qWaitFor([&] { return browser.isVisible() && model.EntryCount() > 0; }));

        int male = -1;
        int players = 0;
        bool skinListed = false;
        bool weaponListed = false;
        for (int i = 0; i < model.EntryCount(); ++i) {
            const AssetEntry& entry = model.Entry(i);
            if (entry.archive != g.shell.Scene().PakAt(0)) {
                continue;
            }
            players += entry.kind == AssetKind::Player ? 1 : 0;
            if (entry.kind == AssetKind::Player && entry.title == QStringLiteral("male")) {
                male = i;
                QCOMPARE(entry.skins, 5);
                QCOMPARE(model.index(model.RowOfEntry(i), AssetModel::kKindColumn).data().toString(),
                         QStringLiteral("player"));
            }
            skinListed = skinListed || (entry.path.endsWith(QStringLiteral("male/cipher.pcx")) &&
                                        entry.kind == AssetKind::Texture);
            weaponListed = weaponListed || (entry.path.endsWith(QStringLiteral("male/w_railgun.md2")) &&
                                            entry.kind == AssetKind::Model);
        }
        QCOMPARE(players, 2);
        QVERIFY(male >= 0);
        QVERIFY(skinListed && weaponListed);
        browser.Preview().ShowEntry(model.Entry(male), {});
        browser.Preview().ShowPreview(QString(), R"({"family":"md2","frames":9,"skins":1})");
        QVERIFY(browser.Preview().Facts()->text().contains(QStringLiteral("Skins: 5")));

        // The sticky option of an earlier Open Model says "player" for any model.
        MD2OpenOptions sticky = GetMD2OpenOptions();
        sticky.loadAsPlayer = true;
        SetMD2OpenOptions(sticky);
        Archive& game = *g.shell.Scene().PakAt(0);
        browser.Add(game, "players/male/w_railgun.md2");
        const COGLObject* weapon = g.shell.Scene().Selected();
        QVERIFY(weapon != nullptr);
        QVERIFY(dynamic_cast<const COGLMD2*>(weapon) != nullptr);
        QVERIFY(dynamic_cast<const COGLPlayer*>(weapon) == nullptr);

        browser.Add(game, model.Entry(male).name);
        COGLPlayer* player = g.SelectedPlayer();
        QVERIFY(player != nullptr);
        QCOMPARE(player->Skins().size(), std::size_t{5});
        QCOMPARE(player->Weapons().size(), std::size_t{4});
        QCOMPARE(g.shell.Scene().Objects().size(), std::size_t{2});
        sticky.loadAsPlayer = false;
        SetMD2OpenOptions(sticky);

        // A VWep pak without the weapons' skins says so once a set-up, and is
        // listed once however often it is set up.
        Settings& settings = GetSettings();
        settings.SetInt(settings_keys::kVWep, settings_keys::kEnabled, 1);
        settings.SetString(settings_keys::kVWep, settings_keys::kVWepPakFile,
                           (g.root + QStringLiteral("/baseq2/pak0.pak")).toStdString());
        for (int setUp = 1; setUp <= 2; ++setUp) {
            g.shell.window.Hooks().setUpVisualWeapons();
            const auto failures = std::count_if(
                g.shell.fixture.host.messages.begin(), g.shell.fixture.host.messages.end(),
                [](const auto& message) { return message.text == msg::kVWepSkinsFailed.text; });
            QCOMPARE(failures, setUp);
            QCOMPARE(g.shell.Scene().PakCount(), 3);
        }
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    PlayerPickerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PlayerPickerTest.moc"
