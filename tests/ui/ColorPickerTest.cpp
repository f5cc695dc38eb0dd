#include <QComboBox>
#include <QDockWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

#include "ShellTestSupport.h"
#include "ui/ColorPicker.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"

class ColorPickerTest : public QObject {
    Q_OBJECT
private slots:
    void targetsAreTheSceneAndMaterialColours() {
        ColorPicker picker;
        QStringList items;
        for (int i = 0; i < picker.TargetBox()->count(); ++i) {
            items << picker.TargetBox()->itemText(i);
        }
        QCOMPARE(items, QStringList({"Scene Shadow", "Scene Fog", " Ambient", " Diffuse", " Specular", " Emission",
                                     "Scene Background"}));
        QCOMPARE(picker.TargetBox()->currentIndex(), -1);
    }

    void applyingWithoutATargetOrColourSaysSo() {
        ShellFixture fixture;
        fixture.TakeMessages();
        ColorPicker picker;
        QSignalSpy applied(&picker, &ColorPicker::colorApplied);
        picker.findChild<QToolButton*>(QStringLiteral("Red"))->click();
        QCOMPARE(fixture.host.messages.size(), size_t{1});
        QCOMPARE(fixture.host.messages[0].text, std::string("No Color Selected"));
        QCOMPARE(applied.count(), 0);

        // A target but no colour yet is the same.
        ColorPicker fresh;
        QSignalSpy freshApplied(&fresh, &ColorPicker::colorApplied);
        fresh.TargetBox()->setCurrentIndex(0);
        QVERIFY(!fresh.Apply());
        QCOMPARE(fixture.host.messages.size(), size_t{2});
        QCOMPARE(freshApplied.count(), 0);
    }

    void swatchesAndTheDialogApplyToTheTarget() {
        ShellFixture fixture;
        fixture.TakeMessages();
        ColorPicker picker;
        QSignalSpy applied(&picker, &ColorPicker::colorApplied);
        picker.TargetBox()->setCurrentIndex(3);
        picker.findChild<QToolButton*>(QStringLiteral("Orange"))->click();
        QCOMPARE(applied.count(), 1);
        QCOMPARE(applied[0][0].toString(), QString(" Diffuse"));
        QCOMPARE(applied[0][1].toFloat(), 1.0f);
        QCOMPARE(applied[0][2].toFloat(), 128.0f / 255.0f);
        QCOMPARE(applied[0][3].toFloat(), 0.0f);

        // More Colors... starts from the current colour; Cancel applies nothing.
        QColor offered;
        picker.chooseColor = [&offered](const QColor& start) -> std::optional<QColor> {
            offered = start;
            return std::nullopt;
        };
        QPushButton* more = nullptr;
        QPushButton* apply = nullptr;
        for (QPushButton* button : picker.findChildren<QPushButton*>()) {
            (button->text() == QStringLiteral("Apply") ? apply : more) = button;
        }
        QVERIFY(more != nullptr && apply != nullptr);
        more->click();
        QCOMPARE(offered, QColor(255, 128, 0));
        QCOMPARE(applied.count(), 1);
        picker.chooseColor = [](const QColor&) -> std::optional<QColor> { return QColor(0, 51, 255); };
        picker.TargetBox()->setCurrentText(QStringLiteral("Scene Background"));
        more->click();
        QCOMPARE(applied.count(), 2);
        QCOMPARE(applied[1][0].toString(), QString("Scene Background"));
        QCOMPARE(applied[1][2].toFloat(), 0.2f);
        apply->click();
        QCOMPARE(applied.count(), 3);
        QVERIFY(fixture.host.messages.empty());
    }

    void theWindowPassesAppliedColoursOn() {
        ShellFixture fixture;
        MainWindow window;
        QCOMPARE(window.ColorPickerDock()->widget(), window.Colors());
        QSignalSpy applied(&window, &MainWindow::colorApplied);
        window.Colors()->TargetBox()->setCurrentIndex(0);
        window.Colors()->PickColor(Qt::black);
        QCOMPARE(applied.count(), 1);
        QCOMPARE(applied[0][0].toString(), QString("Scene Shadow"));
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    ColorPickerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ColorPickerTest.moc"
