#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTreeWidget>

#include <cstdlib>

#include "SceneTestSupport.h"
#include "ShellTestSupport.h"
#include "platform/Host.h"
#include "ui/ColorPicker.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/ObjectPropertiesPanel.h"
#include "ui/PropertyWindows.h"
#include "ui/ScenePropertiesPanel.h"
#include "ui/scene/PaksPage.h"
#include "ui/scene/SceneTextures.h"

namespace {
void Pick(MainWindow& window, const QString& target, const QColor& color) {
    QComboBox* targets = window.Colors()->TargetBox();
    targets->setCurrentIndex(targets->findText(target));
    QVERIFY(targets->currentIndex() >= 0);
    window.Colors()->PickColor(color);
}

bool Near(float a, double b) { return std::abs(static_cast<double>(a) - b) < 1e-3; }

QString OutputDirectory() {
    const char* env = std::getenv("MAROVIN_TEST_OUTPUT");
    const QString dir = env != nullptr && env[0] != '\0' ? QString::fromLocal8Bit(env) : QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}
}  // namespace

class PropertyWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void colorPickerTargetsReachTheScene() {
        ShellFixture fixture;
        MainWindow window;
        auto* sheets = new PropertyWindows(window);
        SampleScene s;
        sheets->SetScene(&s.scene);
        int changes = 0;
        sheets->onChanged = [&changes] { ++changes; };

        Pick(window, QStringLiteral("Scene Background"), QColor(255, 128, 0));
        QVERIFY(Near(s.scene.BackgroundColor()[0], 1.0) && Near(s.scene.BackgroundColor()[1], 128 / 255.0) &&
                Near(s.scene.BackgroundColor()[2], 0.0));
        QCOMPARE(sheets->SceneSheet().findChild<ColorButton*>(QStringLiteral("backgroundColor"))->Color(),
                 QColor(255, 128, 0));
        Pick(window, QStringLiteral("Scene Fog"), QColor(0, 0, 255));
        QVERIFY(Near(s.scene.Renderer().fogColor[2], 1.0) && Near(s.scene.Renderer().fogColor[0], 0.0));
        QCOMPARE(changes, 2);

        // Shadows are black and solid, or blended: a grey shadow blends as dark as it is.
        Pick(window, QStringLiteral("Scene Shadow"), QColor(64, 64, 64));
        QVERIFY(s.scene.ShadowBlending());
        QVERIFY(Near(s.scene.ShadowOpacity(), 1.0 - 64 / 255.0));
        QVERIFY(sheets->SceneSheet().findChild<QCheckBox*>(QStringLiteral("shadowBlending"))->isChecked());
        Pick(window, QStringLiteral("Scene Shadow"), Qt::black);
        QVERIFY(!s.scene.ShadowBlending());

        // The material entries colour the selected object and keep its alpha.
        s.box->SetDiffuseAlpha(0.5f);
        s.scene.SetSelectedObject(s.box);
        sheets->PropertyRefresh();
        Pick(window, QStringLiteral(" Diffuse"), QColor(0, 255, 0));
        QVERIFY(s.box->Diffuse() == ColorRGBA(0.0f, 1.0f, 0.0f, 0.5f));
        QCOMPARE(sheets->ObjectSheet().findChild<ColorButton*>(QStringLiteral("Diffuse"))->Color(), QColor(0, 255, 0));
        Pick(window, QStringLiteral(" Emission"), QColor(255, 0, 0));
        QVERIFY(s.box->Emission() == ColorRGBA(1.0f, 0.0f, 0.0f, 1.0f));

        // ...or the selected light, which has no emission.
        s.scene.SetSelectedLight(s.spot);
        sheets->PropertyRefresh();
        Pick(window, QStringLiteral(" Ambient"), QColor(255, 255, 255));
        QVERIFY(s.spot->Ambient() == ColorRGBA(1.0f, 1.0f, 1.0f, 1.0f));
        QVERIFY(s.box->Ambient() == ColorRGBA(0.2f, 0.2f, 0.2f, 1.0f));
        const int before = changes;
        Pick(window, QStringLiteral(" Emission"), QColor(0, 0, 255));
        QCOMPARE(window.statusBar()->currentMessage(), QString("A light has no emission colour."));
        QCOMPARE(changes, before);

        s.scene.SetSelectedObject(nullptr);
        Pick(window, QStringLiteral(" Specular"), QColor(0, 0, 255));
        QCOMPARE(window.statusBar()->currentMessage(), QString("Select an object or a light first."));
        QVERIFY(s.sphere->Specular() == ColorRGBA(0.0f, 0.0f, 0.0f, 1.0f));
        QCOMPARE(changes, before);
    }

    void theCoresRefreshReachesBothSheets() {
        ShellFixture fixture;
        MainWindow window;
        auto* sheets = new PropertyWindows(window);
        QCOMPARE(window.ObjectPropertiesDock()->widget(), &sheets->ObjectSheet());
        QCOMPARE(window.ScenePropertiesDock()->widget(), &sheets->SceneSheet());
        SampleScene s;
        sheets->SetScene(&s.scene);
        auto* objects = sheets->SceneSheet().findChild<QListWidget*>(QStringLiteral("objects"));
        QCOMPARE(objects->count(), 5);
        QVERIFY(objects->selectedItems().isEmpty());

        // A pick in the view selects through the scene and asks for a refresh.
        s.scene.SetSelectedObject(s.sphere);
        s.sphere->SetPosition(4.0f, 0.5f, -2.0f);
        GetHost().RefreshPropertyWindows();
        QCOMPARE(sheets->ObjectSheet().CurrentObject(), s.sphere);
        auto* position = sheets->ObjectSheet().findChild<Vector3Editor*>(QStringLiteral("position"));
        QCOMPARE(position->Value(), Vector3(4.0f, 0.5f, -2.0f));
        QCOMPARE(objects->selectedItems().size(), 1);
        QCOMPARE(objects->row(objects->selectedItems().constFirst()), 3);

        // An edit on the object sheet renames the row on the scene sheet too.
        auto* name = sheets->ObjectSheet().findChild<QLineEdit*>(QStringLiteral("name"));
        name->setText(QStringLiteral("Beach ball"));
        emit name->editingFinished();
        QCOMPARE(s.sphere->Name(), std::string("Beach ball"));
        QCOMPARE(objects->item(3)->text(), QString("Beach ball (Sphere)"));

        // Clearing leaves nothing to show, and nothing dangling.
        s.scene.Clear();
        GetHost().RefreshPropertyWindows();
        QCOMPARE(sheets->ObjectSheet().CurrentObject(), nullptr);
        QCOMPARE(objects->count(), 0);
        QVERIFY(!sheets->ObjectSheet().findChild<QStackedWidget*>()->currentWidget()->isAncestorOf(position));
    }

    // Looks at the window as a user sees it: the sheets in their docks, every label
    // whole, and a picture of it all for a person to check.
    void sheetsFitTheirDocks() {
        ShellFixture fixture;
        QTemporaryDir dir;
        MainWindow window;
        auto* sheets = new PropertyWindows(window);
        window.resize(1400, 920);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        SampleScene s;
        sheets->SetScene(&s.scene);
        // The GL widget's context is current now: textures go there.
        QVERIFY(AddSceneTexture(s.scene, WriteBytes(dir.filePath("stone.bmp"), Picture(16, 16)), nullptr));
        QVERIFY(AddSceneTexture(s.scene, WriteBytes(dir.filePath("planks.bmp"), Picture(32, 16)), nullptr));
        s.box->SetTexture(s.scene.TextureAt(0));
        s.box->RotateY(30.0f);
        s.scene.AddShadowPlane(s.floor);
        s.scene.AddShadowLight(s.point);
        s.scene.EnableShadows(true);
        fixtures::PakBuilder pak;
        pak.Add("players/male/tris.md2", std::string("IDP2"))
            .Add("players/male/w_railgun.md2", std::string("IDP2"))
            .Add("models/monsters/tank/tris.md2", std::string("IDP2"))
            .Add("env/unit1_up.tga", std::string("TGA"))
            .Add("textures/e1u1/metal1_1.wal", std::string("WAL"));
        QCOMPARE(s.scene.AddPak(WriteBytes(dir.filePath("pak0.pak"), pak.Build())), 0);
        s.scene.SetSelectedObject(s.box);
        sheets->PropertyRefresh();

        QWidget* docks[2] = {window.ObjectPropertiesDock()->widget(), window.ScenePropertiesDock()->widget()};
        QTabWidget* sheetTabs[2] = {sheets->ObjectSheet().Tabs(), sheets->SceneSheet().Tabs()};
        for (int sheet = 0; sheet < 2; ++sheet) {
            for (int tab = 0; tab < sheetTabs[sheet]->count(); ++tab) {
                if (!sheetTabs[sheet]->isTabVisible(tab)) {
                    continue;
                }
                sheetTabs[sheet]->setCurrentIndex(tab);
                QCoreApplication::processEvents();
                for (QWidget* widget : docks[sheet]->findChildren<QWidget*>()) {
                    if (!widget->isVisible()) {
                        continue;
                    }
                    const auto* label = qobject_cast<QLabel*>(widget);
                    const auto* button = qobject_cast<QAbstractButton*>(widget);
                    const bool wraps = label != nullptr && label->wordWrap();
                    const QString text =
                        label != nullptr ? label->text() : button != nullptr ? button->text() : QString();
                    const bool field = qobject_cast<QAbstractSpinBox*>(widget) != nullptr ||
                                       qobject_cast<QLineEdit*>(widget) != nullptr;
                    if (field || !text.isEmpty()) {
                        // Inside the dock, not cut off at its edge.
                        const QRect inDock(widget->mapTo(docks[sheet], QPoint(0, 0)), widget->size());
                        QVERIFY2(inDock.right() <= docks[sheet]->width(),
                                 qPrintable(QStringLiteral("%1 \"%2\" on %3 ends at %4, the sheet at %5")
                                                .arg(QString::fromLatin1(widget->metaObject()->className()),
                                                     text.isEmpty() ? widget->objectName() : text,
                                                     sheetTabs[sheet]->tabText(tab))
                                                .arg(inDock.right())
                                                .arg(docks[sheet]->width())));
                    }
                    if (!text.isEmpty()) {
                        const int needed = wraps ? widget->minimumSizeHint().width() : widget->sizeHint().width();
                        QVERIFY2(widget->width() >= needed,
                                 qPrintable(QStringLiteral("%1 \"%2\" on %3 is %4 wide, needs %5")
                                                .arg(QString::fromLatin1(widget->metaObject()->className()), text,
                                                     sheetTabs[sheet]->tabText(tab))
                                                .arg(widget->width())
                                                .arg(needed)));
                    }
                }
            }
        }

        sheetTabs[0]->setCurrentIndex(TabIndex(sheetTabs[0], QStringLiteral("Object")));
        sheetTabs[1]->setCurrentIndex(ScenePropertiesPanel::kObjectsPage);
        QCoreApplication::processEvents();
        const QString shot = OutputDirectory() + QStringLiteral("/property-sheets.png");
        QVERIFY(window.grab().save(shot));
        sheetTabs[0]->setCurrentIndex(TabIndex(sheetTabs[0], QStringLiteral("Texture")));
        sheetTabs[1]->setCurrentIndex(ScenePropertiesPanel::kShadowsPage);
        QCoreApplication::processEvents();
        QVERIFY(window.grab().save(OutputDirectory() + QStringLiteral("/property-sheets-2.png")));
        s.scene.SetSelectedLight(s.spot);
        sheets->PropertyRefresh();
        sheetTabs[1]->setCurrentIndex(ScenePropertiesPanel::kBackgroundPage);
        QCoreApplication::processEvents();
        QVERIFY(window.grab().save(OutputDirectory() + QStringLiteral("/property-sheets-3.png")));
        s.scene.SetSelectedObject(s.text);
        sheets->PropertyRefresh();
        sheetTabs[0]->setCurrentIndex(TabIndex(sheetTabs[0], QStringLiteral("Text")));
        sheets->ShowPak(0);
        sheets->SceneSheet().Paks().Tree()->expandAll();
        QCoreApplication::processEvents();
        QVERIFY(window.grab().save(OutputDirectory() + QStringLiteral("/property-sheets-4.png")));
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    PropertyWindowsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PropertyWindowsTest.moc"
