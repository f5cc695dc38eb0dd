#include <QApplication>
#include <QMenuBar>
#include <QStatusBar>
#include <QSurfaceFormat>
#include <QtTest>

#include "render/COGLView.h"
#include "scene/COGLScene.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithTitleAndGreyView() {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QString("Untitled[*] - Marovin"));
        QVERIFY(!window.isWindowModified());
        QVERIFY(window.statusBar() != nullptr);
        QVERIFY(window.menuBar() != nullptr);

        GLWidget* view = window.View();
        QVERIFY(view->isValid());
        // The core view draws the scene's background into the widget's framebuffer.
        view->Core().Scene()->SetBackgroundColor(0.75f, 0.75f, 0.75f);
        QCOMPARE(view->format().profile(), QSurfaceFormat::CompatibilityProfile);
        const QImage image = view->grabFramebuffer();
        QVERIFY(!image.isNull());
        const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
        QVERIFY2(qAbs(centre.red() - 191) <= 1 && qAbs(centre.green() - 191) <= 1 && qAbs(centre.blue() - 191) <= 1,
                 qPrintable(centre.name()));
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainWindowTest.moc"
