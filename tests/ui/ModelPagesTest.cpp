#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
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

    // Names inside game files are Windows-1252: the pages show the letters they
    // stand for, and showing a name never changes its bytes.
    void namesFromGameFilesShowAsTheirLetters() {
        Shell shell;
        QVERIFY(shell.exposed);
        TempDir dir;
        // "\xFC" is the Windows letter u with two dots.
        const std::string skin = "models/can/B\xFC" "chse.pcx";
        dir.Write(skin, Skin(1));
        const std::string path = dir.Write("models/can/tris.md2", AnimatedBox({{"Bier\xFC", 2}, {"wave", 2}}, {skin}));
        QVERIFY(shell.window.OpenFile(QString::fromStdString(path)));
        auto* model = dynamic_cast<COGLModel*>(shell.Scene().Selected());
        QVERIFY(model != nullptr);
        QCOMPARE(model->Skins().size(), std::size_t{1});
        shell.wiring.Properties().PropertyRefresh();
        QWidget* sheet = &shell.wiring.Properties().ObjectSheet();
        auto* animations = sheet->findChild<QListWidget*>(QStringLiteral("animations"));
        auto* skins = sheet->findChild<QListWidget*>(QStringLiteral("skins"));
        QVERIFY(animations != nullptr && skins != nullptr);
        QCOMPARE(animations->item(0)->text(), QStringLiteral("Bier\u00FC"));
        QCOMPARE(skins->item(0)->text(), QStringLiteral("B\u00FC" "chse.pcx"));

        // A name as a scene file or another tool left it: in Windows letters, with a
        // euro sign Latin-1 has not, or in UTF-8.
        auto* name = sheet->findChild<QLineEdit*>(QStringLiteral("name"));
        auto* title = sheet->findChild<QLabel*>(QStringLiteral("title"));
        QVERIFY(name != nullptr && title != nullptr);
        for (const auto& [bytes, shown] : {std::pair{std::string("Bier \x80" "2"), QStringLiteral("Bier \u20AC" "2")},
                                          std::pair{std::string("M\xC3\xBC" "ller"), QStringLiteral("M\u00FC" "ller")}}) {
            model->SetName(bytes);
            shell.wiring.Properties().PropertyRefresh();
            QCOMPARE(name->text(), shown);
            QVERIFY(title->text().startsWith(shown));
            emit name->editingFinished();
            QCOMPARE(model->Name(), bytes);
        }
        QVERIFY(shell.fixture.host.messages.empty());
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    ModelPagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ModelPagesTest.moc"
