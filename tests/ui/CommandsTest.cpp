#include <QAction>
#include <QActionGroup>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <vector>

#include "ShellTestSupport.h"
#include "render/CommandIds.h"
#include "ui/AddDialogs.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/ShellViewState.h"

namespace {
// Every command the menus and toolbars must carry, listed here independently of
// the window's own table.
const std::vector<int> kAllCommands{
    cmd::kNew, cmd::kOpenScene, cmd::kOpenPak, cmd::kOpenModel, cmd::kSave, cmd::kSaveAs, cmd::kClear, cmd::kAbout,
    cmd::kHelpContents, cmd::kOnTheWeb, cmd::kOneViewport, cmd::kFourViewports, cmd::kVisible, cmd::kGrid,
    cmd::kAxisMarkers, cmd::kPointsFast, cmd::kPoints, cmd::kWireframeFast, cmd::kWireframe, cmd::kFlat,
    cmd::kShaded, cmd::kPerspective, cmd::kFront, cmd::kTop, cmd::kRight, cmd::kLeft, cmd::kPreview,
    cmd::kFastEdit, cmd::kMoveFast, cmd::kHighlightSelected, cmd::kAddLight, cmd::kAddObject, cmd::kCopy,
    cmd::kOptions, cmd::kVWep, cmd::kTest, cmd::kToolMove, cmd::kToolRotate, cmd::kToolScale, cmd::kToolPan,
    cmd::kToolOrbit, cmd::kToolZoom, cmd::kToolSelect, cmd::kToolTextureMove, cmd::kToolTextureScale,
    cmd::kToolTextureRotate, cmd::kToolFieldOfView, cmd::kAxisX, cmd::kAxisY, cmd::kAxisZ, cmd::kAxisX2,
    cmd::kAxisY2, cmd::kAxisZ2, cmd::kSaveImage, cmd::kPrint, cmd::kPrintPreview};

const std::vector<int> kViewCommands{
    cmd::kOneViewport, cmd::kFourViewports, cmd::kVisible, cmd::kGrid, cmd::kAxisMarkers, cmd::kPointsFast,
    cmd::kPoints, cmd::kWireframeFast, cmd::kWireframe, cmd::kFlat, cmd::kShaded, cmd::kPerspective, cmd::kFront,
    cmd::kTop, cmd::kRight, cmd::kLeft, cmd::kPreview, cmd::kFastEdit, cmd::kMoveFast, cmd::kHighlightSelected,
    cmd::kCopy, cmd::kTest, cmd::kToolMove, cmd::kToolRotate, cmd::kToolScale, cmd::kToolPan, cmd::kToolOrbit,
    cmd::kToolZoom, cmd::kToolSelect, cmd::kToolTextureMove, cmd::kToolTextureScale, cmd::kToolTextureRotate,
    cmd::kToolFieldOfView, cmd::kAxisX, cmd::kAxisY, cmd::kAxisZ, cmd::kAxisX2, cmd::kAxisY2, cmd::kAxisZ2};

// A view that records what it is asked and answers from two sets the test fills.
class RecordingTarget : public ViewCommandTarget {
public:
    bool Command(int id) override {
        commands.push_back(id);
        return true;
    }
    bool AddLight(int kind) override {
        lights.push_back(kind);
        return true;
    }
    bool AddObject(int typeCode) override {
        objects.push_back(typeCode);
        return true;
    }
    bool IsChecked(int id) const override { return checked.contains(id); }
    bool IsEnabled(int id) const override { return !disabled.contains(id); }

    std::vector<int> commands, lights, objects;
    QSet<int> checked, disabled;
};

bool InSomeMenu(const QMenuBar* bar, const QAction* wanted) {
    QList<QMenu*> pending;
    for (QAction* top : bar->actions()) {
        if (top->menu() != nullptr) {
            pending << top->menu();
        }
    }
    while (!pending.isEmpty()) {
        const QMenu* menu = pending.takeFirst();
        for (QAction* action : menu->actions()) {
            if (action == wanted) {
                return true;
            }
            if (action->menu() != nullptr) {
                pending << action->menu();
            }
        }
    }
    return false;
}

int Count(const std::vector<int>& ids, int id) { return static_cast<int>(std::count(ids.begin(), ids.end(), id)); }
}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void everyCommandHasAnActionCarryingItsId() {
        ShellFixture fixture;
        MainWindow window;
        for (const int id : kAllCommands) {
            QAction* action = window.Action(id);
            QVERIFY2(action != nullptr, qPrintable(QString::number(id)));
            QCOMPARE(action->data().toInt(), id);
            QVERIFY2(!action->statusTip().isEmpty(), qPrintable(QString::number(id)));
            // The toolbar's axis ids live on the toolbar only; all others are in a menu.
            const bool toolbarAxis = id == cmd::kAxisX2 || id == cmd::kAxisY2 || id == cmd::kAxisZ2;
            QCOMPARE(InSomeMenu(window.menuBar(), action), !toolbarAxis);
        }
        QVERIFY(!window.Action(cmd::kTest)->isVisible());
        for (const int id : {cmd::kAxisX2, cmd::kAxisY2, cmd::kAxisZ2, cmd::kToolOrbit, cmd::kShaded}) {
            bool onToolBar = false;
            for (QToolBar* bar : window.findChildren<QToolBar*>()) {
                onToolBar = onToolBar || bar->actions().contains(window.Action(id));
            }
            QVERIFY2(onToolBar, qPrintable(QString::number(id)));
        }
    }

    void standardShortcutsAndGroups() {
        ShellFixture fixture;
        MainWindow window;
        QCOMPARE(window.Action(cmd::kNew)->shortcut(), QKeySequence(QKeySequence::New));
        QCOMPARE(window.Action(cmd::kOpenScene)->shortcut(), QKeySequence(QKeySequence::Open));
        QCOMPARE(window.Action(cmd::kSave)->shortcut(), QKeySequence(QKeySequence::Save));
        QCOMPARE(window.Action(cmd::kCopy)->shortcut(), QKeySequence(QKeySequence::Copy));
        QCOMPARE(window.Action(cmd::kPrint)->shortcut(), QKeySequence(QKeySequence::Print));

        const auto groupOf = [&window](int id) { return window.Action(id)->actionGroup(); };
        QActionGroup* tools = groupOf(cmd::kToolMove);
        QVERIFY(tools != nullptr && tools->isExclusive());
        QCOMPARE(tools->actions().size(), 11);
        QActionGroup* modes = groupOf(cmd::kShaded);
        QVERIFY(modes != nullptr && modes != tools);
        QCOMPARE(modes->actions().size(), 6);
        QCOMPARE(groupOf(cmd::kOneViewport), groupOf(cmd::kFourViewports));
        QVERIFY(groupOf(cmd::kOneViewport) != nullptr);
        for (const int toggle : {cmd::kGrid, cmd::kAxisMarkers, cmd::kMoveFast, cmd::kHighlightSelected, cmd::kVisible,
                                 cmd::kAxisX, cmd::kAxisY, cmd::kAxisZ, cmd::kAxisX2}) {
            QVERIFY(window.Action(toggle)->isCheckable());
            QVERIFY(groupOf(toggle) == nullptr);
        }
        QVERIFY(!window.Action(cmd::kFront)->isCheckable());
    }

    // Without a view attached the shell keeps the state itself, and the menus show it.
    void standInStateShowsInTheActions() {
        ShellFixture fixture;
        MainWindow window;
        QVERIFY(window.Action(cmd::kToolSelect)->isChecked());
        QVERIFY(window.Action(cmd::kShaded)->isChecked());
        QVERIFY(window.Action(cmd::kOneViewport)->isChecked());
        QVERIFY(window.Action(cmd::kMoveFast)->isChecked());
        QVERIFY(!window.Action(cmd::kVisible)->isEnabled());  // only with four panes
        QVERIFY(!window.Action(cmd::kAxisX)->isEnabled());     // Select has no axes

        window.Action(cmd::kToolRotate)->trigger();
        QVERIFY(window.Action(cmd::kToolRotate)->isChecked());
        QVERIFY(!window.Action(cmd::kToolSelect)->isChecked());
        QVERIFY(window.Action(cmd::kAxisX)->isChecked() && window.Action(cmd::kAxisX2)->isChecked());
        // Rotation has one axis: choosing Y from the toolbar takes X's place in both places.
        window.Action(cmd::kAxisY2)->trigger();
        QVERIFY(window.Action(cmd::kAxisY)->isChecked() && window.Action(cmd::kAxisY2)->isChecked());
        QVERIFY(!window.Action(cmd::kAxisX)->isChecked() && !window.Action(cmd::kAxisX2)->isChecked());
        // Other tools toggle each axis on its own and keep their own flags.
        window.Action(cmd::kToolMove)->trigger();
        QVERIFY(window.Action(cmd::kAxisX)->isChecked() && window.Action(cmd::kAxisZ)->isChecked());
        window.Action(cmd::kAxisZ)->trigger();
        QVERIFY(!window.Action(cmd::kAxisZ2)->isChecked() && window.Action(cmd::kAxisY)->isChecked());
        window.Action(cmd::kToolRotate)->trigger();
        QVERIFY(window.Action(cmd::kAxisY)->isChecked() && !window.Action(cmd::kAxisZ)->isChecked());

        window.Action(cmd::kFourViewports)->trigger();
        QVERIFY(window.Action(cmd::kVisible)->isEnabled());
        window.Action(cmd::kVisible)->trigger();
        QVERIFY(!window.Action(cmd::kVisible)->isChecked());
        window.Action(cmd::kOneViewport)->trigger();  // the only pane is always shown
        QVERIFY(window.Action(cmd::kVisible)->isChecked());

        window.Action(cmd::kWireframe)->trigger();
        QVERIFY(window.Action(cmd::kWireframe)->isChecked() && !window.Action(cmd::kShaded)->isChecked());
        QVERIFY(!window.Action(cmd::kPreview)->isEnabled());
        window.Action(cmd::kFastEdit)->trigger();
        QVERIFY(window.Action(cmd::kPreview)->isEnabled());
        QVERIFY(!window.Action(cmd::kPerspective)->isEnabled() && !window.Action(cmd::kAxisMarkers)->isEnabled());
    }

    void viewCommandsReachTheTargetAndItsStateComesBack() {
        ShellFixture fixture;
        MainWindow window;
        RecordingTarget target;
        window.SetViewCommandTarget(&target);
        for (const int id : kViewCommands) {
            window.Action(id)->trigger();
        }
        QCOMPARE(target.commands, kViewCommands);

        target.checked = {cmd::kGrid, cmd::kToolZoom, cmd::kFlat};
        target.disabled = {cmd::kCopy, cmd::kAxisZ};
        QMenu* edit = window.menuBar()->actions().at(1)->menu();
        QVERIFY(edit != nullptr);
        emit edit->aboutToShow();  // menus re-read the view's state as they open
        QVERIFY(window.Action(cmd::kGrid)->isChecked());
        QVERIFY(window.Action(cmd::kToolZoom)->isChecked() && !window.Action(cmd::kToolMove)->isChecked());
        QVERIFY(window.Action(cmd::kFlat)->isChecked() && !window.Action(cmd::kShaded)->isChecked());
        QVERIFY(!window.Action(cmd::kCopy)->isEnabled() && !window.Action(cmd::kAxisZ)->isEnabled());
        QVERIFY(window.Action(cmd::kOpenScene)->isEnabled());

        window.SetViewCommandTarget(nullptr);  // back to the shell's own state
        QVERIFY(!window.Action(cmd::kGrid)->isChecked());
    }

    void newRunsOnceAndClearAsksFirst() {
        ShellFixture fixture;
        MainWindow window;
        RecordingTarget target;
        window.SetViewCommandTarget(&target);
        fixture.TakeMessages();
        window.Start();
        window.Action(cmd::kNew)->trigger();
        QCOMPARE(Count(target.commands, cmd::kNew), 1);

        fixture.host.yesNoAnswer = MessageResult::No;
        window.Action(cmd::kClear)->trigger();
        QCOMPARE(fixture.host.messages.size(), size_t{1});
        QCOMPARE(fixture.host.messages[0].text, std::string("Clear the Scene?"));
        QVERIFY(fixture.host.messages[0].buttons == MessageButtons::YesNo);
        QCOMPARE(Count(target.commands, cmd::kClear), 0);
        fixture.host.yesNoAnswer = MessageResult::Yes;
        window.Action(cmd::kClear)->trigger();
        QCOMPARE(Count(target.commands, cmd::kClear), 1);
    }

    void addDialogsAnswerTheKindAndTypeCode() {
        ShellFixture fixture;
        MainWindow window;
        RecordingTarget target;
        window.SetViewCommandTarget(&target);
        QString title;
        window.execDialog = [&](QDialog& dialog) {
            title = dialog.windowTitle();
            if (auto* lights = qobject_cast<LightTypeDialog*>(&dialog)) {
                lights->SetKind(1);
                return static_cast<int>(QDialog::Accepted);
            }
            if (auto* objects = qobject_cast<ObjectTypeDialog*>(&dialog)) {
                const auto found = objects->List()->findItems(QStringLiteral("Right Wall"), Qt::MatchExactly);
                if (found.size() != 1) {
                    return static_cast<int>(QDialog::Rejected);
                }
                objects->List()->setCurrentItem(found.first());
                return static_cast<int>(QDialog::Accepted);
            }
            return static_cast<int>(QDialog::Rejected);
        };
        window.Action(cmd::kAddLight)->trigger();
        QCOMPARE(title, QString("Select a Light Type to Add"));
        window.Action(cmd::kAddObject)->trigger();
        QCOMPARE(title, QString("Select an Object Type to Add"));
        QCOMPARE(target.lights, std::vector<int>{1});
        QCOMPARE(target.objects, std::vector<int>{4});

        window.execDialog = [](QDialog&) { return static_cast<int>(QDialog::Rejected); };
        window.Action(cmd::kAddLight)->trigger();
        window.Action(cmd::kAddObject)->trigger();
        QCOMPARE(target.lights.size(), size_t{1});
        QCOMPARE(target.objects.size(), size_t{1});
    }

    void objectTypesCoverEveryPrimitive() {
        ObjectTypeDialog dialog;
        const std::vector<std::pair<QString, int>> expected{
            {"Box", 2},        {"Sphere", 3},     {"Cylinder", 9},   {"Rod", 8},        {"Cone", 10},
            {"Plane", 0},      {"Floor", 1},      {"Ceiling", 6},    {"Right Wall", 4}, {"Left Wall", 5},
            {"Billboard", 16}, {"Disk", 11},      {"Text", 7}};
        QCOMPARE(dialog.List()->count(), static_cast<int>(expected.size()));
        for (const auto& [name, code] : expected) {
            const auto found = dialog.List()->findItems(name, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            dialog.List()->setCurrentItem(found.first());
            QCOMPARE(dialog.TypeCode(), code);
        }
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    CommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CommandsTest.moc"
