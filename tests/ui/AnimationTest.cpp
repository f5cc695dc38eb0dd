#include "ShellTestSupport.h"
#include "ui/GLWidget.h"

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
}  // namespace

class AnimationTest : public QObject {
    Q_OBJECT
private slots:
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
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    AnimationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "AnimationTest.moc"
