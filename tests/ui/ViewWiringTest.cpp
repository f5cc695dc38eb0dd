#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QScreen>
#include <QToolBar>
#include <QWheelEvent>

#include <cmath>

#include "ShellTestSupport.h"
#include "platform/Diagnostics.h"
#include "platform/Messages.h"
#include "render/COGLCamera.h"
#include "render/COGLView.h"
#include "render/COGLViewport.h"
#include "render/CommandIds.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/ObjectPropertiesPanel.h"
#include "ui/PropertyWindows.h"
#include "ui/ScenePropertiesPanel.h"
#include "ui/ShellWiring.h"

namespace {
// Where the object shows in the view: the pixels that change when it is hidden.
QRect DrawnArea(GLWidget& view, COGLObject& object) {
    const QImage shown = view.grabFramebuffer();
    object.SetVisible(false);
    const QImage hidden = view.grabFramebuffer();
    object.SetVisible(true);
    QRect area;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixel(x, y) != hidden.pixel(x, y)) {
                area |= QRect(x, y, 1, 1);
            }
        }
    }
    const qreal ratio = view.devicePixelRatioF();
    return {static_cast<int>(area.x() / ratio), static_cast<int>(area.y() / ratio),
            static_cast<int>(area.width() / ratio), static_cast<int>(area.height() / ratio)};
}

void Send(QWidget& target, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at) {
    QMouseEvent event(type, QPointF(at), target.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

// A drag as a user makes it: press, a few moves, release.
void Drag(QWidget& target, Qt::MouseButton button, QPoint from, QPoint by) {
    Send(target, QEvent::MouseButtonPress, button, button, from);
    for (int step = 1; step <= 4; ++step) {
        Send(target, QEvent::MouseMove, Qt::NoButton, button, from + by * step / 4);
    }
    Send(target, QEvent::MouseButtonRelease, button, Qt::NoButton, from + by);
}
}  // namespace

class ViewWiringTest : public QObject {
    Q_OBJECT
private slots:
    void commandsReachTheViewsScene() {
        Shell shell;
        QVERIFY(shell.exposed);
        QCOMPARE(shell.Scene().Lights().size(), std::size_t{1});
        QCOMPARE(shell.Scene().Lights().front()->Name(), std::string("Default"));
        QCOMPARE(&shell.window.CommandTarget(), static_cast<ViewCommandTarget*>(&shell.View()));
        int added = 0;
        for (int type = object_type::kPlane; type <= object_type::kDisk; ++type) {
            QVERIFY2(shell.window.CommandTarget().AddObject(type), qPrintable(QString::number(type)));
            ++added;
        }
        QVERIFY(shell.window.CommandTarget().AddObject(object_type::kBillboard));
        QVERIFY(!shell.window.CommandTarget().AddObject(object_type::kMD2));
        QCOMPARE(shell.Scene().Objects().size(), std::size_t(added + 1));
        QVERIFY(shell.window.CommandTarget().AddLight(0));
        QVERIFY(shell.window.CommandTarget().AddLight(1));
        QCOMPARE(shell.Scene().Lights().size(), std::size_t{3});
        QVERIFY(shell.Scene().Lights().back()->IsSpot());

        // The shell asked already: Clear must not ask again.
        QVERIFY(shell.window.CommandTarget().Command(cmd::kClear));
        QVERIFY(shell.Scene().Objects().empty());
        QVERIFY(shell.fixture.host.messages.empty());

        shell.window.RunCommand(cmd::kFourViewports);
        QCOMPARE(shell.Core().PaneCount(), 4);
        QVERIFY(shell.window.CommandTarget().IsChecked(cmd::kFourViewports));
    }

    void doubleClickPicksWhatIsUnderThePointer() {
        Shell shell;
        QVERIFY(shell.exposed);
        QVERIFY(shell.Core().AddObject(object_type::kBox));
        COGLObject* box = shell.Scene().Objects().back().get();
        // Off the centre upwards and to the right, so a flipped or unscaled
        // pointer position misses it.
        box->SetScale(0.3f, 0.3f, 0.3f);
        box->SetPosition(0.6f, 0.5f, 0.0f);
        shell.Scene().SetSelectedObject(nullptr);
        const QRect area = DrawnArea(shell.View(), *box);
        QVERIFY(area.isValid());
        const QPoint mirrored(area.center().x(), shell.View().height() - area.center().y());
        QVERIFY(!area.contains(mirrored));

        QTest::mouseDClick(&shell.View(), Qt::LeftButton, {}, area.center());
        QCOMPARE(shell.Scene().Selected(), box);
        // Any tool picks.
        shell.window.RunCommand(cmd::kToolMove);
        QTest::mouseDClick(&shell.View(), Qt::LeftButton, {}, mirrored);
        QCOMPARE(shell.Scene().Selected(), nullptr);
    }

    void dragsMoveTheSelectionAndTheCamera() {
        Shell shell;
        QVERIFY(shell.exposed);
        QVERIFY(shell.Core().AddObject(object_type::kBox));
        COGLObject* box = shell.Scene().Objects().back().get();
        shell.Scene().SetSelectedObject(box);
        const QPoint centre(shell.View().width() / 2, shell.View().height() / 2);

        shell.window.RunCommand(cmd::kToolMove);
        const Vector3 before = box->Position();
        Drag(shell.View(), Qt::LeftButton, centre, QPoint(40, 0));
        QVERIFY2(box->Position().x > before.x, qPrintable(QString::number(double(box->Position().x))));
        QVERIFY(!shell.Core().IsDragging());

        shell.window.RunCommand(cmd::kToolRotate);
        const Quaternion turned = box->Orientation();
        Drag(shell.View(), Qt::LeftButton, centre, QPoint(30, 0));
        QVERIFY(std::fabs(box->Orientation().w - turned.w) > 1e-4f || std::fabs(box->Orientation().y - turned.y) > 1e-4f ||
                std::fabs(box->Orientation().x - turned.x) > 1e-4f);

        shell.window.RunCommand(cmd::kToolScale);
        const Vector3 scale = box->Scale();
        Drag(shell.View(), Qt::LeftButton, centre, QPoint(30, -30));
        QVERIFY(box->Scale().x != scale.x || box->Scale().y != scale.y);

        // The camera tools work on the active pane's camera.
        shell.window.RunCommand(cmd::kToolOrbit);
        auto& perspective = static_cast<COGLViewport3D&>(shell.Core().Viewport(0));
        const float yaw = perspective.Camera3D().yaw;
        Drag(shell.View(), Qt::LeftButton, centre, QPoint(30, 0));
        QVERIFY(std::fabs(perspective.Camera3D().yaw - yaw) > 1e-3f);

        shell.window.RunCommand(cmd::kToolZoom);
        const float distance = perspective.Camera().distance;
        Drag(shell.View(), Qt::LeftButton, centre, QPoint(30, 0));
        QVERIFY(perspective.Camera().distance < distance);
    }

    void theEditMenuUndoesAndRedoesWithItsShortcuts() {
        Shell shell;
        QVERIFY(shell.exposed);
        QAction* undo = shell.window.Action(cmd::kUndo);
        QAction* redo = shell.window.Action(cmd::kRedo);
        shell.window.RefreshCommandStates();
        QVERIFY(!undo->isEnabled());
        QVERIFY(!redo->isEnabled());
        QCOMPARE(undo->text(), QString("&Undo"));
        QVERIFY(undo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
        QVERIFY(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
        QVERIFY(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));

        QVERIFY(shell.Core().AddObject(object_type::kBox));
        COGLObject* box = shell.Scene().Objects().back().get();
        shell.Scene().SetSelectedObject(box);
        shell.window.RunCommand(cmd::kToolMove);
        const QPoint centre(shell.View().width() / 2, shell.View().height() / 2);
        const Vector3 start = box->Position();
        Drag(shell.View(), Qt::LeftButton, centre, QPoint(40, 0));
        const Vector3 moved = box->Position();
        QVERIFY(moved.x > start.x);
        shell.window.RefreshCommandStates();
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), QString("&Undo Move"));
        QVERIFY(shell.window.isWindowModified());

        shell.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&shell.window));
        shell.View().setFocus();
        QTest::keyClick(&shell.View(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->Position(), start);
        QCOMPARE(redo->text(), QString("&Redo Move"));
        QTest::keyClick(&shell.View(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(box->Position(), moved);
        QTest::keyClick(&shell.View(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&shell.View(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(box->Position(), moved);

        // Undoing the adding takes the box away; Delete and its undo bring it back and forth.
        shell.window.RunCommand(cmd::kDelete);
        QVERIFY(shell.Scene().Objects().empty());
        shell.window.RunCommand(cmd::kUndo);
        QCOMPARE(shell.Scene().Objects().size(), std::size_t{1});
        QCOMPARE(shell.Scene().Objects().front().get(), box);
        shell.window.RunCommand(cmd::kUndo);
        shell.window.RunCommand(cmd::kUndo);
        QVERIFY(shell.Scene().Objects().empty());
        QVERIFY(!undo->isEnabled());

        // Saving keeps the history and drops the mark; opening a scene empties it.
        const QString path = shell.fixture.Path(QStringLiteral("kept.dv"));
        QVERIFY(shell.window.Hooks().saveScene(path));
        shell.Core().Document().SetModified(false);
        shell.window.RefreshCommandStates();
        QVERIFY(redo->isEnabled());
        QVERIFY(!shell.window.isWindowModified());
        QVERIFY(shell.window.OpenFile(path));
        QVERIFY(!redo->isEnabled());
        QVERIFY(shell.window.windowTitle().startsWith(QStringLiteral("kept.dv")));
    }

    void theSheetsEditsAreStepsOfTheHistory() {
        Shell shell;
        QVERIFY(shell.exposed);
        QVERIFY(shell.Core().AddObject(object_type::kBox));
        COGLObject* box = shell.Scene().Objects().back().get();
        shell.Scene().SetSelectedObject(box);
        shell.window.Hooks().refreshProperties();  // as a pick does: the sheets show the box

        auto* name = shell.wiring.Properties().ObjectSheet().findChild<QLineEdit*>(QStringLiteral("name"));
        QVERIFY(name != nullptr);
        name->setText(QStringLiteral("Crate"));
        emit name->editingFinished();
        QCOMPARE(box->Name(), std::string("Crate"));
        QCOMPARE(shell.window.Action(cmd::kUndo)->text(), QString("&Undo Edit Box"));

        auto* blending = shell.wiring.Properties().SceneSheet().findChild<QCheckBox*>(QStringLiteral("shadowBlending"));
        QVERIFY(blending != nullptr);
        const bool blended = shell.Scene().ShadowBlending();
        blending->setChecked(!blended);
        QCOMPARE(shell.Scene().ShadowBlending(), !blended);
        QCOMPARE(shell.window.Action(cmd::kUndo)->text(), QString("&Undo Edit Scene"));

        shell.window.RunCommand(cmd::kUndo);
        QCOMPARE(shell.Scene().ShadowBlending(), blended);
        shell.window.RunCommand(cmd::kUndo);
        QCOMPARE(box->Name(), std::string());
        shell.window.RunCommand(cmd::kRedo);
        QCOMPARE(box->Name(), std::string("Crate"));
    }

    void unsavedChangesAreAskedAbout() {
        Shell shell;
        QVERIFY(shell.exposed);
        const QString path = shell.fixture.Path(QStringLiteral("other.dv"));
        QVERIFY(shell.window.Hooks().saveScene(path));
        QVERIFY(shell.Core().AddObject(object_type::kBox));
        shell.window.RefreshCommandStates();
        QVERIFY(shell.window.isWindowModified());
        shell.fixture.host.yesNoAnswer = MessageResult::No;
        QVERIFY(!shell.window.OpenFile(path));
        QCOMPARE(shell.fixture.host.messages.back().text, std::string(msg::kDiscardChanges.text));
        QCOMPARE(shell.Scene().Objects().size(), std::size_t{1});
        QVERIFY(!shell.window.close());
        QVERIFY(shell.window.isVisible());
        shell.fixture.host.yesNoAnswer = MessageResult::Yes;
        QVERIFY(shell.window.OpenFile(path));
        QVERIFY(shell.Scene().Objects().empty());
    }

    void theWheelZoomsAndTheMiddleButtonPans() {
        Shell shell;
        QVERIFY(shell.exposed);
        auto& perspective = static_cast<COGLViewport3D&>(shell.Core().Viewport(0));
        const float distance = perspective.Camera().distance;
        const QPointF centre(shell.View().width() / 2.0, shell.View().height() / 2.0);
        QWheelEvent wheel(centre, shell.View().mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&shell.View(), &wheel);
        QCOMPARE(perspective.Camera().distance, distance * 0.9f);

        shell.window.RunCommand(cmd::kToolSelect);
        const Vector3 orbit = perspective.Camera3D().center;
        Drag(shell.View(), Qt::MiddleButton, centre.toPoint(), QPoint(40, 0));
        QVERIFY(!(perspective.Camera3D().center == orbit));
        QVERIFY(!shell.Core().IsDragging());
    }

    void framingFitsTheSceneWithKeysAndMenus() {
        Shell shell;
        QVERIFY(shell.exposed);
        QVERIFY(shell.Core().AddObject(object_type::kBox));
        COGLObject* box = shell.Scene().Objects().back().get();
        box->SetPosition(6.0f, 0.0f, -3.0f);
        shell.Scene().SetSelectedObject(box);
        shell.window.RefreshCommandStates();  // as a pick does
        QCOMPARE(shell.window.Action(cmd::kFrameSelection)->shortcut(), QKeySequence(Qt::Key_F));
        QCOMPARE(shell.window.Action(cmd::kFrameAll)->shortcut(), QKeySequence(Qt::Key_Home));
        QCOMPARE(shell.window.Action(cmd::kFrameAllEveryPane)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Home));
        shell.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&shell.window));
        shell.View().setFocus();
        QTest::keyClick(&shell.View(), Qt::Key_F);
        auto& perspective = static_cast<COGLViewport3D&>(shell.Core().Viewport(0));
        QCOMPARE(perspective.Camera3D().center, (Vector3{-6.0f, 0.0f, 3.0f}));
        QVERIFY(!DrawnArea(shell.View(), *box).isEmpty());  // in view now

        shell.window.RunCommand(cmd::kFourViewports);
        const Vector3 front = shell.Core().Viewport(1).Camera().eye;
        QTest::keyClick(&shell.View(), Qt::Key_Home, Qt::ControlModifier);
        const Vector3 framed = shell.Core().Viewport(1).Camera().eye;
        QVERIFY(!(framed == front));

        // The toolbar button fits the active pane only, or every pane with Ctrl held.
        box->SetPosition(-8.0f, 2.0f, 0.0f);
        auto* bar = shell.window.findChild<QToolBar*>(QStringLiteral("ViewBar"));
        QVERIFY(bar != nullptr);
        QWidget* button = bar->widgetForAction(shell.window.Action(cmd::kFrameSelection));
        QVERIFY(button != nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(shell.Core().Viewport(1).Camera().eye, framed);
        QTest::mouseClick(button, Qt::LeftButton, Qt::ControlModifier);
        QVERIFY(!(shell.Core().Viewport(1).Camera().eye == framed));
    }

    void theFirstStartLeavesTheViewMostOfTheWidth() {
        Shell shell;
        QVERIFY(shell.exposed);
        const QRect available = shell.window.screen()->availableGeometry();
        QCOMPARE(shell.window.geometry().size(), available.size());
        QTRY_VERIFY(shell.View().width() >= shell.window.width() * 55 / 100);
    }

    void theDemoOpensAsAnUntitledCopy() {
        const QTemporaryDir samples;
        const QString demo = samples.filePath(QStringLiteral("demo.dv"));
        {
            Shell first;
            QVERIFY(first.Core().AddObject(object_type::kSphere));
            QVERIFY(first.window.Hooks().saveScene(demo));
            first.Core().Document().SetModified(false);
        }
        ShellFixture fixture;
        MainWindow window;
        ShellWiring wiring(window);
        window.Start(demo, true);
        QCOMPARE(wiring.Core().Scene()->Objects().size(), std::size_t{1});
        QVERIFY(window.ScenePath().isEmpty());
        QVERIFY(window.RecentFiles().Files().isEmpty());
        QVERIFY(window.windowTitle().startsWith(QStringLiteral("Untitled")));
    }

    void anUnusableContextEndsOnTheFatalPath() {
        QCOMPARE(UnusableContextMessage(nullptr), std::string(msg::kCouldNotCreateView.text));
        QOpenGLContext never;
        QCOMPARE(UnusableContextMessage(&never), IncompatibleDriverMessage("wglCreateContext"));
        QOpenGLContext made;
        QVERIFY(made.create());
        QCOMPARE(UnusableContextMessage(&made), IncompatibleDriverMessage("wglMakeCurrent"));
    }
};

QTEST_MAIN(ViewWiringTest)
#include "ViewWiringTest.moc"
