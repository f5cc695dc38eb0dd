#include <QCheckBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolBar>

#include "ShellTestSupport.h"
#include "render/CommandIds.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"
#include "ui/VWepDialog.h"

namespace keys = settings_keys;

namespace {
constexpr int kAccepted = QDialog::Accepted;
constexpr int kRejected = QDialog::Rejected;

bool Has(Settings& settings, const char* section, const char* name) {
    return settings.GetString(section, name, "<none>") != "<none>";
}
}  // namespace

class WindowSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void programOptionsPersistAcrossWindows() {
        ShellFixture fixture;
        {
            MainWindow window;
            window.Start();
            int changes = 0;
            window.Hooks().optionsChanged = [&changes] { ++changes; };
            window.execDialog = [](QDialog& dialog) {
                auto* options = qobject_cast<OptionsDialog*>(&dialog);
                if (options == nullptr) {
                    return kRejected;
                }
                if (options->ForceSoftwareBox()->isEnabled() || options->ForceSoftwareBox()->isChecked()) {
                    return kRejected;
                }
                options->ShowFrameTimeBox()->setChecked(true);
                options->SensitivitySlider()->setValue(7);
                options->GammaSlider()->setValue(30);
                return kAccepted;
            };
            window.RunCommand(cmd::kOptions);
            QCOMPARE(changes, 1);
            QCOMPARE(window.State().gamma, 0.7f);
            window.close();
        }
        Settings& settings = *fixture.settings;
        QCOMPARE(settings.GetInt(keys::kSettings, keys::kShowFrameTime, 0), 1);
        QCOMPARE(settings.GetInt(keys::kSettings, keys::kMouseSensitivity, 1), 7);
        QCOMPARE(settings.GetInt(keys::kSettings, keys::kGamma, 100), 70);

        MainWindow again;
        QCOMPARE(again.State().gamma, 0.7f);
        bool shown = false;
        again.execDialog = [&shown](QDialog& dialog) {
            auto* options = qobject_cast<OptionsDialog*>(&dialog);
            shown = options != nullptr && options->ShowFrameTimeBox()->isChecked() &&
                    options->SensitivitySlider()->value() == 7 && options->GammaSlider()->value() == 30;
            return kRejected;
        };
        again.RunCommand(cmd::kOptions);
        QVERIFY(shown);
    }

    // The slider cannot show the default gamma of 100; accepting without touching it keeps 100.
    void untouchedGammaSliderKeepsTheStoredGamma() {
        ShellFixture fixture;
        MainWindow window;
        window.execDialog = [](QDialog&) { return kAccepted; };
        window.RunCommand(cmd::kOptions);
        QCOMPARE(fixture.settings->GetInt(keys::kSettings, keys::kGamma, -1), -1);
        QCOMPARE(window.State().gamma, 1.0f);
    }

    void saveSettingsIsWrittenAtOnceEvenOnCancel() {
        ShellFixture fixture;
        MainWindow window;
        QVERIFY(window.State().saveSettings);
        window.execDialog = [&fixture](QDialog& dialog) {
            auto* options = qobject_cast<OptionsDialog*>(&dialog);
            if (options == nullptr || !options->SaveSettingsBox()->isChecked()) {
                return kRejected;
            }
            options->SaveSettingsBox()->setChecked(false);
            const bool written = fixture.settings->GetInt(keys::kSettings, keys::kSaveSettings, 1) == 0;
            return written ? kRejected : kAccepted;
        };
        window.RunCommand(cmd::kOptions);
        QVERIFY(!window.State().saveSettings);
        QCOMPARE(fixture.settings->GetInt(keys::kSettings, keys::kSaveSettings, 1), 0);

        // With saving off, exit leaves no window positions behind.
        window.Start();
        window.close();
        QVERIFY(!Has(*fixture.settings, keys::kSettings, keys::kSceneWindow));
        QVERIFY(!Has(*fixture.settings, keys::kBars, "State"));
    }

    void toolWindowPlacesPersist() {
        ShellFixture fixture;
        QRect floatingGeometry;
        {
            MainWindow window;
            window.Start();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(window.ObjectPropertiesDock()->objectName(), QString("ObjectProperties"));
            QCOMPARE(window.ScenePropertiesDock()->objectName(), QString("SceneSelector"));
            QCOMPARE(window.ColorPickerDock()->objectName(), QString("ColorPicker"));
            QCOMPARE(window.ScenePropertiesDock()->windowTitle(), QString("Scene Properties"));
            window.ColorPickerDock()->hide();
            window.addDockWidget(Qt::LeftDockWidgetArea, window.ObjectPropertiesDock());
            window.ScenePropertiesDock()->setFloating(true);
            window.ScenePropertiesDock()->setGeometry(300, 200, 250, 330);
            QTest::qWait(50);
            floatingGeometry = window.ScenePropertiesDock()->geometry();
            window.close();
        }
        for (const char* name : {keys::kSceneWindow, keys::kObjectProperties, keys::kSceneSelector, keys::kColorPicker}) {
            QVERIFY2(Has(*fixture.settings, keys::kSettings, name), name);
        }
        QVERIFY(Has(*fixture.settings, keys::kBars, "State"));

        MainWindow window;
        window.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.ColorPickerDock()->isHidden());
        QCOMPARE(window.dockWidgetArea(window.ObjectPropertiesDock()), Qt::LeftDockWidgetArea);
        QVERIFY(window.ScenePropertiesDock()->isFloating());
        QCOMPARE(window.ScenePropertiesDock()->size(), floatingGeometry.size());
    }

    void resetWindowPositionsTakesEffectAtTheNextStart() {
        ShellFixture fixture;
        {
            MainWindow window;
            window.Start();
            window.ColorPickerDock()->hide();
            window.execDialog = [](QDialog& dialog) {
                auto* options = qobject_cast<OptionsDialog*>(&dialog);
                if (options == nullptr) {
                    return kRejected;
                }
                options->ResetWindowsBox()->setChecked(true);
                return kAccepted;
            };
            window.RunCommand(cmd::kOptions);
            QVERIFY(window.State().resetWindowPositions);
            window.close();
        }
        Settings& settings = *fixture.settings;
        for (const char* name : {keys::kObjectProperties, keys::kColorPicker, keys::kSceneSelector, keys::kSceneWindow}) {
            QVERIFY2(!Has(settings, keys::kSettings, name), name);
        }
        QCOMPARE(settings.GetInt(keys::kSettings, keys::kIgnoreToolbarLoad, 0), 1);

        {
            MainWindow window;
            window.Start();
            QVERIFY(!window.ColorPickerDock()->isHidden());  // the default arrangement
            QCOMPARE(window.dockWidgetArea(window.ColorPickerDock()), Qt::RightDockWidgetArea);
            QVERIFY(!window.State().resetWindowPositions);
            QCOMPARE(settings.GetInt(keys::kSettings, keys::kIgnoreToolbarLoad, 0), 0);
            window.ColorPickerDock()->hide();
            window.close();
        }
        // After the reset start, positions are saved and restored again.
        MainWindow window;
        window.Start();
        QVERIFY(window.ColorPickerDock()->isHidden());
    }

    void vwepSettingsAreEditedAndSetUpAgain() {
        ShellFixture fixture;
        fixture.settings->SetString(keys::kVWep, keys::kCTFPakFile, "/games/ctf/pak0.pak");
        MainWindow window;
        int setUps = 0;
        window.Hooks().setUpVisualWeapons = [&setUps] { ++setUps; };
        window.Start();
        QCOMPARE(setUps, 1);
        const QString chosen = fixture.Path(QStringLiteral("vwep.pak"));
        window.execDialog = [&chosen](QDialog& dialog) {
            auto* vwep = qobject_cast<VWepDialog*>(&dialog);
            if (vwep == nullptr || vwep->windowTitle() != QStringLiteral("Viewable Weapons (VWep)") ||
                vwep->CTFPakEdit()->text() != QStringLiteral("/games/ctf/pak0.pak") || vwep->EnabledBox()->isChecked()) {
                return kRejected;
            }
            vwep->browse = [&chosen](const QString&, const QString&) { return chosen; };
            for (QPushButton* button : vwep->findChildren<QPushButton*>()) {
                if (button->text() == QStringLiteral("Browse...")) {
                    button->click();
                    break;  // the first row is the VWep pak
                }
            }
            vwep->EnabledBox()->setChecked(true);
            return kAccepted;
        };
        window.RunCommand(cmd::kVWep);
        QCOMPARE(setUps, 2);
        QCOMPARE(fixture.settings->GetInt(keys::kVWep, keys::kEnabled, 0), 1);
        QCOMPARE(QString::fromStdString(fixture.settings->GetString(keys::kVWep, keys::kVWepPakFile, "")), chosen);
        QCOMPARE(fixture.settings->GetString(keys::kVWep, keys::kCTFPakFile, ""), std::string("/games/ctf/pak0.pak"));

        window.execDialog = [](QDialog&) { return kRejected; };
        window.RunCommand(cmd::kVWep);
        QCOMPARE(setUps, 2);
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    WindowSettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowSettingsTest.moc"
