#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include "ShellTestSupport.h"
#include "models/ModelFamilies.h"
#include "models/halflife/COGLHLModel.h"
#include "render/COGLView.h"
#include "scene/COGLScene.h"
#include "support/TestSupport.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/ObjectPropertiesPanel.h"
#include "ui/PropertyWindows.h"
#include "ui/ShellWiring.h"

namespace {
const QString kFigure = QStringLiteral(MAROVIN_SOURCE_DIR "/samples/models/figure/figure.mdl");
}  // namespace

class HalfLifeModelTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterModelClasses(); }

    // The figure stands textured in the view and its sequences play from the Animation page.
    void theAnimationPagePlaysTheSequences() {
        Shell shell(QSize(1200, 800));
        QVERIFY(shell.exposed);
        QVERIFY(shell.window.OpenFile(kFigure));
        auto* model = dynamic_cast<COGLHLModel*>(shell.Scene().Selected());
        QVERIFY(model != nullptr);
        QVERIFY(shell.fixture.host.messages.empty());

        // The window's host refreshes the sheet on open; the test's host took its place.
        shell.wiring.Properties().PropertyRefresh();
        QWidget* sheet = &shell.wiring.Properties().ObjectSheet();
        QListWidget* list = nullptr;
        for (QListWidget* candidate : sheet->findChildren<QListWidget*>()) {
            list = candidate->count() > 0 ? candidate : list;
        }
        QVERIFY(list != nullptr);
        QStringList labels;
        for (int i = 0; i < list->count(); ++i) {
            labels << list->item(i)->text();
        }
        QCOMPARE(labels, QStringList({"idle", "walk", "aim"}));
        list->setCurrentRow(1);
        QCOMPARE(model->Studio()->Sequence(), 1);
        // By name: the Half-Life page has spin boxes of its own.
        auto* frame = sheet->findChild<QSpinBox*>(QStringLiteral("frame"));
        QVERIFY(frame != nullptr);
        QCOMPARE(frame->maximum(), 23);
        frame->setValue(6);
        QCOMPARE(model->FrameIndex(), 6);
        shell.window.View()->update();
        QTest::qWait(200);
        QCOMPARE(model->Studio()->Frame(), 6.0f);

        // The figure stands in the view: some pixels of the picture are not the background.
        const QImage picture = shell.window.View()->grabFramebuffer();
        const QColor background = picture.pixelColor(2, 2);
        int covered = 0;
        for (int y = 0; y < picture.height(); y += 2) {
            for (int x = 0; x < picture.width(); x += 2) {
                covered += picture.pixelColor(x, y) != background ? 1 : 0;
            }
        }
        QVERIFY(covered > 100);
        shell.window.grab().save(QString::fromStdString(TestOutputDirectory() + "/half-life-figure-window.png"));

        QPushButton* play = nullptr;
        for (QPushButton* button : sheet->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("Play")) {
                play = button;
            }
        }
        QVERIFY(play != nullptr);
        play->click();
        QVERIFY(model->IsAnimating());
        const float start = model->FramePosition();
        QTRY_VERIFY_WITH_TIMEOUT(model->FramePosition() != start, 5000);
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    HalfLifeModelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "HalfLifeModelTest.moc"
