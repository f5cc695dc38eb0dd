#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>

#include "ShellTestSupport.h"
#include "render/CommandIds.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/ModelOpenDialog.h"

namespace {
bool BoxesEnabled(const ModelOpenDialog& dialog) {
    const bool palette = dialog.DefaultPaletteBox()->isEnabled();
    const bool detect = dialog.AutoDetectBox()->isEnabled();
    const bool player = dialog.LoadAsPlayerBox()->isEnabled();
    if (palette != detect || detect != player) {
        qWarning("the three boxes disagree");
    }
    return palette && detect && player;
}

bool IsResetState(const ModelOpenDialog& dialog) {
    return !dialog.DefaultPaletteBox()->isChecked() && dialog.AutoDetectBox()->isChecked() &&
           !dialog.LoadAsPlayerBox()->isChecked();
}
}  // namespace

class ModelOpenDialogTest : public QObject {
    Q_OBJECT
private slots:
    void offersTheModelFiltersAndThePlayerOptions() {
        ModelOpenDialog dialog;
        QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog.nameFilters(),
                 QStringList({"All Model Files (*.md2 *.mdl *.def)", "Quake 2 Model Files (*.md2)",
                              "Sin Model Files (*.def)", "Half-Life and Classic Quake Model Files (*.mdl)",
                              "Sprite Files (*.sp2 *.spr)", "Quake 2, Quake and Half-Life Maps (*.bsp)"}));
        QCOMPARE(dialog.PlayerOptionsGroup()->title(), QString("Player Options"));
        QCOMPARE(dialog.DefaultPaletteBox()->text(), QString("Use Default Palette for Player Skins"));
        QCOMPARE(dialog.AutoDetectBox()->text(), QString("Auto Detect Player"));
        QCOMPARE(dialog.LoadAsPlayerBox()->text(), QString("Load as a Player"));
        QVERIFY(IsResetState(dialog));
    }

    // The player options only apply to Quake 2 models: enabled for the first two filters only.
    void boxesFollowTheSelectedFilter() {
        ModelOpenDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QStringList filters = dialog.nameFilters();
        QVERIFY(BoxesEnabled(dialog));
        const bool expected[] = {true, true, false, false, false};
        for (const int index : {2, 1, 3, 0, 4}) {
            dialog.selectNameFilter(filters[index]);
            QCOMPARE(BoxesEnabled(dialog), expected[index]);
        }
        // The user's way: the file-type box of the dialog.
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types != nullptr);
        types->setCurrentIndex(1);
        QVERIFY(BoxesEnabled(dialog));
        types->setCurrentIndex(2);
        QVERIFY(!BoxesEnabled(dialog));
        dialog.hide();
    }

    void everyOpeningStartsFromTheSameChoices() {
        ModelOpenDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.DefaultPaletteBox()->setChecked(true);
        dialog.AutoDetectBox()->setChecked(false);
        dialog.LoadAsPlayerBox()->setChecked(true);
        const ModelOpenOptions chosen = dialog.Options();
        QVERIFY(chosen.useDefaultPalette && !chosen.autoDetectPlayer && chosen.loadAsPlayer);
        dialog.hide();
        dialog.show();
        QVERIFY(IsResetState(dialog));
        dialog.hide();
    }

    // Open Model hands the three choices to the core before the file, and keeps them.
    void openModelPassesOptionsThenOpensTheFile() {
        ShellFixture fixture;
        const QString model = fixture.Path(QStringLiteral("tris.md2"));
        QFile file(model);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("IDP2");
        file.close();

        MainWindow window;
        QStringList events;
        window.Hooks().modelOptionsChosen = [&](const ModelOpenOptions& options) {
            events << QStringLiteral("options %1%2%3")
                          .arg(int{options.useDefaultPalette})
                          .arg(int{options.autoDetectPlayer})
                          .arg(int{options.loadAsPlayer});
        };
        window.Hooks().openFile = [&](const QString& path) {
            events << QStringLiteral("open ") + path;
            return true;
        };
        int opened = 0;
        window.execDialog = [&](QDialog& dialog) {
            auto* models = qobject_cast<ModelOpenDialog*>(&dialog);
            if (models == nullptr) {
                return static_cast<int>(QDialog::Rejected);
            }
            ++opened;
            models->show();  // as exec would
            const bool fresh = IsResetState(*models);
            models->hide();
            if (!fresh) {
                return static_cast<int>(QDialog::Rejected);
            }
            models->LoadAsPlayerBox()->setChecked(true);
            models->AutoDetectBox()->setChecked(false);
            models->selectFile(model);
            return static_cast<int>(QDialog::Accepted);
        };
        window.RunCommand(cmd::kOpenModel);
        QCOMPARE(opened, 1);
        QCOMPARE(events, QStringList({"options 001", "open " + model}));
        QVERIFY(window.State().modelOptions.loadAsPlayer);
        QVERIFY(!window.State().modelOptions.autoDetectPlayer);

        // The next dialog starts from the reset state again, whatever was kept.
        window.RunCommand(cmd::kOpenModel);
        QCOMPARE(opened, 2);
        QCOMPARE(events.size(), 4);

        // Cancel opens nothing and keeps the last choices.
        window.execDialog = [](QDialog&) { return static_cast<int>(QDialog::Rejected); };
        window.RunCommand(cmd::kOpenModel);
        QCOMPARE(events.size(), 4);
        QVERIFY(window.State().modelOptions.loadAsPlayer);
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    ModelOpenDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ModelOpenDialogTest.moc"
