#include <QCheckBox>
#include <QListWidget>

#include "ShellTestSupport.h"
#include "models/ModelFamilies.h"
#include "models/ModelFixtures.h"
#include "models/quake2/COGLPlayer.h"
#include "ui/ObjectPropertiesPanel.h"
#include "ui/PropertyWindows.h"

using namespace model_fixtures;

namespace {
// The shell with a player folder and the paks the flag comes from, written by
// the tests' writers.
struct PlayerShell {
    Shell shell;
    TempDir dir;
    PlayerFolder folder = WritePlayerFolder(dir);

    // Opens the folder's body as a new player, with the sheet showing it.
    COGLPlayer* OpenPlayer() {
        if (!shell.window.OpenFile(QString::fromStdString(folder.body))) {
            return nullptr;
        }
        shell.wiring.Properties().PropertyRefresh();
        return dynamic_cast<COGLPlayer*>(shell.Scene().Selected());
    }
    // The "Viewable Weapons (VWep)" settings, then the scene's set-up with them.
    void SetUpVWep(const std::string& vwepPak, const std::string& ctfPak) {
        Settings& settings = GetSettings();
        settings.SetInt(settings_keys::kVWep, settings_keys::kEnabled, 1);
        settings.SetString(settings_keys::kVWep, settings_keys::kVWepPakFile, vwepPak);
        settings.SetString(settings_keys::kVWep, settings_keys::kCTFPakFile, ctfPak);
        shell.window.Hooks().setUpVisualWeapons();
    }
    QCheckBox* ShowFlag() const {
        return shell.wiring.Properties().ObjectSheet().findChild<QCheckBox*>(QStringLiteral("showFlag"));
    }
};
}  // namespace

class ModelPagesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterModelClasses(); }

    // "Show Flag" is offered only when the flag can be shown, and says what it lacks.
    void theFlagIsGreyedWithWhatItLacks() {
        PlayerShell s;
        QVERIFY(s.shell.exposed);
        QVERIFY(s.OpenPlayer() != nullptr);
        QCheckBox* flag = s.ShowFlag();
        QVERIFY(flag != nullptr);
        QVERIFY(!flag->isEnabled());
        QVERIFY(flag->toolTip().contains(QString::fromLatin1(COGLPlayer::kFlagModel)));

        // The VWep pak gives the model; no CTF pak gives its skins.
        fixtures::PakBuilder vwep;
        vwep.Add(COGLPlayer::kFlagModel, AnimatedBox({{"stand", 4}}, {COGLPlayer::kFlagSkin1}));
        s.SetUpVWep(s.dir.Write("vwep.pak", vwep.Build()), "");
        COGLPlayer* player = s.OpenPlayer();
        QVERIFY(player != nullptr && player->Flag() != nullptr);
        QVERIFY(!flag->isEnabled());
        QVERIFY(flag->toolTip().contains(QString::fromLatin1(COGLPlayer::kFlagSkin2)));

        s.SetUpVWep(s.dir.Write("vwep.pak", vwep.Build()), s.dir.Write("ctf.pak", FlagPak()));
        player = s.OpenPlayer();
        QVERIFY(player != nullptr);
        QVERIFY(flag->isEnabled());
        QVERIFY(flag->toolTip().isEmpty());
        flag->click();
        QVERIFY(player->FlagShown());
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    ModelPagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ModelPagesTest.moc"
