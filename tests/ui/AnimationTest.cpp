#include <QAction>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "ShellTestSupport.h"
#include "models/COGLModel.h"
#include "models/ModelFamilies.h"
#include "render/CommandIds.h"
#include "scene/Primitives.h"
#include "ui/GLWidget.h"
#include "ui/ObjectPropertiesPanel.h"
#include "ui/PropertyWindows.h"

namespace {
// Counts the frames the view paints, so a test can see it idle.
class CountingView : public GLWidget {
public:
    int paints = 0;

protected:
    void paintGL() override {
        ++paints;
        GLWidget::paintGL();
    }
};

const QString kBanner = QStringLiteral(MAROVIN_SOURCE_DIR "/samples/models/banner/tris.md2");

// The playing banner of the sample models with the Animation page showing it.
struct PlayingBanner {
    Shell shell;
    COGLModel* model = nullptr;
    QPushButton* play = nullptr;
    QPushButton* stop = nullptr;
    QSpinBox* frame = nullptr;

    bool Open() {
        if (!shell.exposed || !shell.window.OpenFile(kBanner)) {
            return false;
        }
        model = dynamic_cast<COGLModel*>(shell.Scene().Selected());
        // The window's host refreshes the sheet on open; the test's host took its place.
        shell.wiring.Properties().PropertyRefresh();
        QWidget* sheet = &shell.wiring.Properties().ObjectSheet();
        play = sheet->findChild<QPushButton*>(QStringLiteral("play"));
        stop = sheet->findChild<QPushButton*>(QStringLiteral("stop"));
        frame = sheet->findChild<QSpinBox*>(QStringLiteral("frame"));
        auto* speed = sheet->findChild<QSlider*>();
        if (model == nullptr || play == nullptr || stop == nullptr || frame == nullptr || speed == nullptr) {
            return false;
        }
        speed->setValue(100);  // a frame a tick
        return true;
    }
    // Whether the model moves on by itself, with no event from the user.
    bool Moves() const {
        const float from = model->FramePosition();
        return QTest::qWaitFor([&] { return model->FramePosition() != from; }, 3000);
    }
    bool StandsStill() const {
        const float at = model->FramePosition();
        QTest::qWait(300);
        return model->FramePosition() == at;
    }
    void Run(int id) { shell.window.Action(id)->trigger(); }
};
}  // namespace

class AnimationTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterModelClasses(); }

    void ticksOncePerFrameUntilNothingAnimates() {
        CountingView view;
        view.resize(320, 240);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::qWait(100);

        int ticks = 0;
        int paintsAtTick = -1;
        bool oneTickPerFrame = true;
        view.SetAnimationTick([&] {
            // Each tick follows a new frame: no two ticks for one painted frame.
            oneTickPerFrame = oneTickPerFrame && view.paints > paintsAtTick;
            paintsAtTick = view.paints;
            return ++ticks < 10;
        });
        QVERIFY(!view.IsAnimating());
        view.SetAnimating(true);
        QTRY_COMPARE(ticks, 10);
        QVERIFY(oneTickPerFrame);
        QVERIFY(!view.IsAnimating());

        // Idle: no more ticks and no more frames.
        const int paints = view.paints;
        QTest::qWait(300);
        QCOMPARE(ticks, 10);
        QCOMPARE(view.paints, paints);
    }

    void turningAnimationOffStopsTheTicks() {
        CountingView view;
        view.resize(320, 240);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        int ticks = 0;
        view.SetAnimationTick([&ticks] {
            ++ticks;
            return true;
        });
        view.SetAnimating(true);
        QTRY_VERIFY(ticks >= 5);
        view.SetAnimating(false);
        QTest::qWait(50);
        const int stopped = ticks;
        QTest::qWait(300);
        QCOMPARE(ticks, stopped);
        // And on again.
        view.SetAnimating(true);
        QTRY_VERIFY(ticks > stopped + 3);
        view.SetAnimating(false);
    }

    // A frame drawn for any reason (here a command) starts the ticks again when the
    // view has something to move; a perspective pane is needed for that.
    void aFrameDrawnWithSomethingToMoveWakesTheTicks() {
        ShellFixture fixture;
        CountingView view;
        view.resize(320, 240);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        int ticks = 0;
        view.SetAnimationTick([&] {
            ++ticks;
            return view.Core().AnimationTick();
        });
        COGLObject* box = view.Core().Scene()->AddObject(std::make_unique<COGLBox>());
        view.update();
        QTest::qWait(200);
        QVERIFY(!view.IsAnimating());
        QCOMPARE(ticks, 0);

        box->SetAnimating(true);
        view.update();
        QTRY_VERIFY(ticks > 3);
        QVERIFY(view.Command(cmd::kFastEdit));
        QTRY_VERIFY(!view.IsAnimating());
        const int stopped = ticks;
        QTest::qWait(300);
        QCOMPARE(ticks, stopped);
        QVERIFY(view.Command(cmd::kPreview));
        QTRY_VERIFY(ticks > stopped + 3);
        box->SetAnimating(false);
        QTRY_VERIFY(!view.IsAnimating());
    }

    // Play and Stop are offered as the model's state allows, and the frame shown
    // moves with the model.
    void theAnimationPageFollowsPlayAndStop() {
        PlayingBanner banner;
        QVERIFY(banner.Open());
        QVERIFY(!banner.model->IsAnimating());
        QVERIFY(banner.play->isEnabled());
        QVERIFY(!banner.stop->isEnabled());

        banner.play->click();
        QVERIFY(banner.model->IsAnimating());
        QVERIFY(!banner.play->isEnabled());
        QVERIFY(banner.stop->isEnabled());
        const int first = banner.frame->value();
        QTRY_VERIFY(banner.frame->value() != first && banner.frame->value() == banner.model->FrameIndex());
        QVERIFY(banner.Moves());

        banner.stop->click();
        QVERIFY(!banner.model->IsAnimating());
        QVERIFY(banner.play->isEnabled());
        QVERIFY(!banner.stop->isEnabled());
        QVERIFY(banner.StandsStill());
        QCOMPARE(banner.frame->value(), banner.model->FrameIndex());

        banner.play->click();
        QVERIFY(banner.stop->isEnabled());
        QVERIFY(banner.Moves());
    }

    // Commands from the menus leave a playing model playing with no click in the
    // view: Preview after Fast Edit, and an undone Delete.
    void playingModelsMoveOnAfterMenuCommands() {
        PlayingBanner banner;
        QVERIFY(banner.Open());
        banner.play->click();
        QVERIFY(banner.Moves());

        // An orthographic pane shows no animation.
        banner.Run(cmd::kFastEdit);
        QVERIFY(banner.StandsStill());
        banner.Run(cmd::kPreview);
        QVERIFY(banner.Moves());

        banner.Run(cmd::kDelete);
        QVERIFY(banner.shell.Scene().Objects().empty());
        QTRY_VERIFY(!banner.shell.View().IsAnimating());
        banner.Run(cmd::kUndo);
        QCOMPARE(banner.shell.Scene().Objects().size(), std::size_t{1});
        QVERIFY(banner.model->IsAnimating());
        QVERIFY(banner.Moves());
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    AnimationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "AnimationTest.moc"
