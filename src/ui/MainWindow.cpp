#include "ui/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QDialog>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <cstddef>

#include "platform/Host.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/Version.h"
#include "render/COGLView.h"
#include "render/CommandIds.h"
#include "scene/COGLScene.h"
#include "ui/ColorPicker.h"
#include "ui/CommandIcons.h"
#include "ui/CommandTable.h"
#include "ui/FollowModelDialog.h"
#include "ui/GLWidget.h"
#include "ui/QtHost.h"
#include "ui/ShellViewState.h"

namespace keys = settings_keys;

namespace {
// The asset browser's dock, by the name its place is kept under.
constexpr const char* kAssetsDock = "AssetBrowser";

QWidget* Placeholder(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setMargin(12);
    label->setEnabled(false);
    label->setMinimumWidth(220);
    return label;
}
}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), standIn_(std::make_unique<ShellViewState>()) {
    target_ = standIn_.get();
    execDialog = [](QDialog& dialog) { return dialog.exec(); };
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    setWindowTitle(QString::fromLatin1(marovin::kProgramName));
    setWindowIcon(ProgramIcon());
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);

    view_ = new GLWidget(this);
    setCentralWidget(view_);
    connect(view_, &GLWidget::filesDropped, this, [this](const QStringList& paths) {
        for (const QString& path : paths) {
            OpenFile(path);
        }
    });

    host_ = std::make_unique<QtHost>(this);
    host_->onRepaint = [this] { view_->update(); };
    host_->onMakeCurrent = [this] { view_->makeCurrent(); };
    host_->onRefreshProperties = [this] {
        RefreshCommandStates();
        if (hooks_.refreshProperties) {
            hooks_.refreshProperties();
        }
    };
    host_->onRefreshAnimation = [this] {
        if (hooks_.refreshAnimation) {
            hooks_.refreshAnimation();
        }
    };
    SetHost(host_.get());

    Settings& settings = GetSettings();
    state_.saveSettings = settings.GetInt(keys::kSettings, keys::kSaveSettings, 1) != 0;
    state_.gamma = static_cast<float>(settings.GetInt(keys::kSettings, keys::kGamma, 100)) * 0.01f;
    recent_.Load();

    CreateActions();
    CreateMenus();
    CreateDocks();
    CreateToolBars();
    UpdateRecentFileMenu();
    RefreshCommandStates();
    statusBar()->showMessage(QStringLiteral("Ready"));
    resize(1024, 768);
}

MainWindow::~MainWindow() {
    if (&GetHost() == host_.get()) {
        SetHost(nullptr);
    }
}

QAction* MainWindow::MakeAction(int id) {
    const CommandInfo* info = FindCommand(id);
    auto* action = new QAction(CommandIcon(id), QString::fromLatin1(info->text), this);
    action->setData(id);
    action->setStatusTip(QString::fromLatin1(info->tip));
    action->setToolTip(QString::fromLatin1(info->tip));
    action->setCheckable(info->kind != CommandKind::Plain);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_.insert(id, action);
    return action;
}

void MainWindow::CreateActions() {
    for (const CommandInfo& info : AllCommands()) {
        MakeAction(info.id);
    }
    Action(cmd::kNew)->setShortcut(QKeySequence::New);
    Action(cmd::kOpenScene)->setShortcut(QKeySequence::Open);
    Action(cmd::kSave)->setShortcut(QKeySequence::Save);
    Action(cmd::kSaveAs)->setShortcut(QKeySequence::SaveAs);
    Action(cmd::kCopy)->setShortcut(QKeySequence::Copy);
    Action(cmd::kUndo)->setShortcut(QKeySequence::Undo);
    // Both redo keys the desktops use, whichever the platform's own is.
    Action(cmd::kRedo)->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    Action(cmd::kDelete)->setShortcut(QKeySequence::Delete);
    Action(cmd::kPrint)->setShortcut(QKeySequence::Print);
    Action(cmd::kHelpContents)->setShortcut(QKeySequence::HelpContents);
    // The keys other 3D tools frame with; Ctrl frames every pane.
    Action(cmd::kFrameSelection)->setShortcut(QKeySequence(Qt::Key_F));
    Action(cmd::kFrameAll)->setShortcut(QKeySequence(Qt::Key_Home));
    Action(cmd::kFrameSelectionEveryPane)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    Action(cmd::kFrameAllEveryPane)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Home));
    // Test is a command of the view that does nothing; it keeps its id but no entry.
    Action(cmd::kTest)->setVisible(false);

    const auto group = [this](CommandKind kind) {
        auto* actions = new QActionGroup(this);
        // The view decides what is checked; the group only keeps one mark at a time.
        actions->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        for (const CommandInfo& info : AllCommands()) {
            if (info.kind == kind) {
                actions->addAction(Action(info.id));
            }
        }
    };
    group(CommandKind::Layout);
    group(CommandKind::DisplayMode);
    group(CommandKind::Tool);

    for (int i = 0; i < RecentFileList::kSize; ++i) {
        auto* action = new QAction(this);
        action->setData(cmd::kRecentFileFirst + i);
        action->setStatusTip(QString::fromLatin1(msg::kOpenThisScene.text));
        connect(action, &QAction::triggered, this, [this, i] {
            if (i >= recent_.Files().size()) {
                return;
            }
            const QString path = recent_.Files()[i];
            // A file gone since it was listed has said so; it leaves the list.
            if (!OpenFile(path) && !QFileInfo::exists(path)) {
                recent_.Remove(path);
                UpdateRecentFileMenu();
            }
        });
        recentActions_[static_cast<std::size_t>(i)] = action;
    }
}

void MainWindow::CreateMenus() {
    const auto menu = [this](const QString& title) {
        QMenu* created = menuBar()->addMenu(title);
        connect(created, &QMenu::aboutToShow, this, &MainWindow::RefreshCommandStates);
        menus_ << created;
        return created;
    };
    const auto add = [this](QMenu* to, std::initializer_list<int> ids) {
        for (const int id : ids) {
            if (id == 0) {
                to->addSeparator();
            } else {
                to->addAction(Action(id));
            }
        }
    };

    QMenu* file = menu(QStringLiteral("&File"));
    add(file, {cmd::kNew, cmd::kOpenScene, cmd::kOpenPak, cmd::kOpenGameFolder, cmd::kOpenModel, 0, cmd::kSave, cmd::kSaveAs, 0,
               cmd::kSaveImage, cmd::kSaveAnimation, cmd::kExportGltf, cmd::kPrint, cmd::kPrintPreview});
    recentSeparator_ = file->addSeparator();
    for (QAction* action : recentActions_) {
        file->addAction(action);
    }
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    exit->setShortcut(QKeySequence::Quit);
    exit->setStatusTip(QStringLiteral("Quit the program"));

    QMenu* edit = menu(QStringLiteral("&Edit"));
    add(edit, {cmd::kUndo, cmd::kRedo, 0, cmd::kCopy, cmd::kDelete, cmd::kClear, 0, cmd::kAddLight, cmd::kAddObject,
               cmd::kAddPlayer, 0, cmd::kFollowModel, cmd::kPartFollower});

    QMenu* view = menu(QStringLiteral("&View"));
    windowsMenu_ = view->addMenu(QStringLiteral("&Windows"));
    // In sight or not, rather than the Windows entry's shown or hidden: a browser
    // behind another tab is brought forward.
    assetsAction_ = view->addAction(QStringLiteral("&Assets"));
    assetsAction_->setCheckable(true);
    assetsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    assetsAction_->setStatusTip(QStringLiteral("Browse the models, sprites and pictures of the scene's archives"));
    view->addSeparator();
    add(view, {cmd::kFrameSelection, cmd::kFrameAll, cmd::kFrameSelectionEveryPane, cmd::kFrameAllEveryPane, 0,
               cmd::kOneViewport, cmd::kFourViewports, cmd::kVisible, 0, cmd::kGrid, cmd::kAxisMarkers});
    QMenu* display = view->addMenu(QStringLiteral("&Display"));
    connect(display, &QMenu::aboutToShow, this, &MainWindow::RefreshCommandStates);
    add(display, {cmd::kPointsFast, cmd::kPoints, cmd::kWireframeFast, cmd::kWireframe, cmd::kFlat, cmd::kShaded});
    QMenu* camera = view->addMenu(QStringLiteral("&Camera"));
    connect(camera, &QMenu::aboutToShow, this, &MainWindow::RefreshCommandStates);
    add(camera, {cmd::kPerspective, cmd::kFront, cmd::kTop, cmd::kRight, cmd::kLeft, 0, cmd::kPreview,
                 cmd::kFastEdit});
    QMenu* overlays = view->addMenu(QStringLiteral("O&verlays"));
    connect(overlays, &QMenu::aboutToShow, this, &MainWindow::RefreshCommandStates);
    add(overlays, {cmd::kShowBones, cmd::kShowAttachments, cmd::kShowHitBoxes, cmd::kShowBoundingBox,
                   cmd::kShowClipBox, cmd::kShowEyePosition, 0, cmd::kOverlaysInPictures});
    QMenu* map = view->addMenu(QStringLiteral("&Map"));
    connect(map, &QMenu::aboutToShow, this, &MainWindow::RefreshCommandStates);
    add(map, {cmd::kFlyCamera, cmd::kFlySpeed, cmd::kViewFromStart, 0, cmd::kPlaceAt, cmd::kDropToFloor,
              cmd::kShadowPlaneFromFace});
    add(view, {0, cmd::kMoveFast, cmd::kHighlightSelected, 0, cmd::kOptions, cmd::kVWep, cmd::kTest});

    QMenu* tools = menu(QStringLiteral("&Tools"));
    add(tools, {cmd::kToolSelect, cmd::kToolMove, cmd::kToolRotate, cmd::kToolScale, 0, cmd::kToolPan,
                cmd::kToolOrbit, cmd::kToolZoom, cmd::kToolFieldOfView, 0, cmd::kToolTextureMove,
                cmd::kToolTextureScale, cmd::kToolTextureRotate, 0, cmd::kAxisX, cmd::kAxisY, cmd::kAxisZ});

    QMenu* help = menu(QStringLiteral("&Help"));
    add(help, {cmd::kHelpContents, cmd::kOnTheWeb, 0, cmd::kAbout});
}

void MainWindow::CreateToolBars() {
    const auto bar = [this](const QString& title, const QString& name, Qt::ToolBarArea area,
                            std::initializer_list<int> ids) {
        auto* toolBar = new QToolBar(title, this);
        toolBar->setObjectName(name);
        toolBar->setIconSize(QSize(22, 22));
        for (const int id : ids) {
            if (id == 0) {
                toolBar->addSeparator();
            } else {
                toolBar->addAction(Action(id));
            }
        }
        addToolBar(area, toolBar);
        windowsMenu_->addAction(toolBar->toggleViewAction());
    };
    bar(QStringLiteral("Standard"), QStringLiteral("StandardBar"), Qt::TopToolBarArea,
        {cmd::kNew, cmd::kOpenScene, cmd::kOpenPak, cmd::kOpenModel, cmd::kSave, 0, cmd::kCopy, cmd::kClear,
         cmd::kAddLight, cmd::kAddObject, 0, cmd::kSaveImage, cmd::kPrint, 0, cmd::kHelpContents});
    bar(QStringLiteral("View"), QStringLiteral("ViewBar"), Qt::TopToolBarArea,
        {cmd::kFrameSelection, cmd::kFrameAll, 0, cmd::kOneViewport, cmd::kFourViewports, cmd::kVisible, 0,
         cmd::kGrid, cmd::kAxisMarkers, 0, cmd::kPointsFast, cmd::kPoints, cmd::kWireframeFast, cmd::kWireframe,
         cmd::kFlat, cmd::kShaded, 0,
         cmd::kPerspective, cmd::kFront, cmd::kTop, cmd::kRight, cmd::kLeft, 0, cmd::kPreview, cmd::kFastEdit, 0,
         cmd::kMoveFast, cmd::kHighlightSelected});
    bar(QStringLiteral("Tools"), QStringLiteral("ToolsBar"), Qt::LeftToolBarArea,
        {cmd::kToolSelect, cmd::kToolMove, cmd::kToolRotate, cmd::kToolScale, 0, cmd::kToolPan, cmd::kToolOrbit,
         cmd::kToolZoom, cmd::kToolFieldOfView, 0, cmd::kToolTextureMove, cmd::kToolTextureScale,
         cmd::kToolTextureRotate, 0, cmd::kAxisX2, cmd::kAxisY2, cmd::kAxisZ2});
    windowsMenu_->addSeparator();
    QAction* statusToggle = windowsMenu_->addAction(QStringLiteral("&Status Bar"));
    statusToggle->setCheckable(true);
    statusToggle->setChecked(true);
    connect(statusToggle, &QAction::toggled, statusBar(), &QWidget::setVisible);
}

void MainWindow::CreateDocks() {
    const auto dock = [this](const QString& title, const QString& name, QWidget* content, Qt::DockWidgetArea area) {
        auto* created = new QDockWidget(title, this);
        created->setObjectName(name);
        created->setWidget(content);
        created->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        addDockWidget(area, created);
        windowsMenu_->addAction(created->toggleViewAction());
        return created;
    };
    objectDock_ = dock(QStringLiteral("Object Properties"), QString::fromLatin1(keys::kObjectProperties),
                       Placeholder(QStringLiteral("Select an object or a light to see its properties."), this),
                       Qt::RightDockWidgetArea);
    sceneDock_ = dock(QStringLiteral("Scene Properties"), QString::fromLatin1(keys::kSceneSelector),
                      Placeholder(QStringLiteral("The scene's background, shadows, textures, paks, objects and "
                                                 "lights."),
                                  this),
                      Qt::RightDockWidgetArea);
    colorPicker_ = new ColorPicker(this);
    connect(colorPicker_, &ColorPicker::colorApplied, this, &MainWindow::colorApplied);
    colorDock_ = dock(QStringLiteral("Color Picker"), QString::fromLatin1(keys::kColorPicker), colorPicker_,
                      Qt::RightDockWidgetArea);
    assetsDock_ = dock(QStringLiteral("Assets"), QString::fromLatin1(kAssetsDock),
                       Placeholder(QStringLiteral("Every model, sprite and picture of the scene's archives."), this),
                       Qt::RightDockWidgetArea);
    // A grid of thumbnails also fits below the view.
    assetsDock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    connect(assetsDock_, &QDockWidget::visibilityChanged, assetsAction_, &QAction::setChecked);
    connect(assetsAction_, &QAction::triggered, this, [this](bool show) {
        if (!show) {
            assetsDock_->hide();
            return;
        }
        assetsDock_->show();
        assetsDock_->raise();
        assetsDock_->widget()->setFocus(Qt::ShortcutFocusReason);
    });
    // The view comes first: the sheets and the browser share one column as tabs.
    tabifyDockWidget(objectDock_, sceneDock_);
    tabifyDockWidget(sceneDock_, colorDock_);
    tabifyDockWidget(colorDock_, assetsDock_);
    objectDock_->raise();
    windowsMenu_->addSeparator();
}

void MainWindow::SetObjectPropertiesPage(QWidget* page) {
    QWidget* old = objectDock_->widget();
    objectDock_->setWidget(page);
    delete old;
}

void MainWindow::SetScenePropertiesPage(QWidget* page) {
    QWidget* old = sceneDock_->widget();
    sceneDock_->setWidget(page);
    delete old;
}

void MainWindow::SetAssetsPage(QWidget* page) {
    QWidget* old = assetsDock_->widget();
    assetsDock_->setWidget(page);
    delete old;
}

QList<QDockWidget*> MainWindow::Docks() const { return {objectDock_, sceneDock_, colorDock_, assetsDock_}; }

QList<QAction*> MainWindow::RecentFileActions() const {
    return QList<QAction*>(recentActions_.begin(), recentActions_.end());
}

void MainWindow::UpdateRecentFileMenu() {
    const QStringList& files = recent_.Files();
    for (int i = 0; i < RecentFileList::kSize; ++i) {
        QAction* action = recentActions_[static_cast<std::size_t>(i)];
        if (i < files.size()) {
            QString shown = files[i];
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
    recentSeparator_->setVisible(!files.isEmpty());
}

void MainWindow::SetViewCommandTarget(ViewCommandTarget* target) {
    target_ = target != nullptr ? target : standIn_.get();
    RefreshCommandStates();
}

void MainWindow::UpdateTitle() {
    const QString name = scenePath_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(scenePath_).fileName();
    setWindowTitle(QStringLiteral("%1[*] - %2").arg(name, QString::fromLatin1(marovin::kProgramName)));
    setWindowModified(HasUnsavedChanges());
}

bool MainWindow::HasUnsavedChanges() const { return hooks_.isModified && hooks_.isModified(); }

bool MainWindow::MayDiscardChanges() {
    return !HasUnsavedChanges() ||
           GetHost().ShowMessage(msg::kDiscardChanges.text, MessageButtons::YesNo, MessageIcon::Warning) ==
               MessageResult::Yes;
}

void MainWindow::RefreshCommandStates() {
    const auto named = [](QAction* action, const char* verb, const std::function<QString()>& name) {
        const QString step = name ? name() : QString();
        const QString text = QString::fromLatin1(verb);
        action->setText(step.isEmpty() ? text : QStringLiteral("%1 %2").arg(text, step));
    };
    named(Action(cmd::kUndo), "&Undo", hooks_.undoName);
    named(Action(cmd::kRedo), "&Redo", hooks_.redoName);
    UpdateTitle();
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        if (!IsViewCommand(it.key())) {
            continue;
        }
        QAction* action = it.value();
        action->setEnabled(target_->IsEnabled(it.key()));
        if (action->isCheckable()) {
            action->setChecked(target_->IsChecked(it.key()));
        }
    }
    // Followers are the scene's, not the view's: only a model with somewhere to go may follow.
    const COGLScene* scene = view_ != nullptr ? view_->Core().Scene() : nullptr;
    const COGLObject* selected = scene != nullptr ? scene->Selected() : nullptr;
    Action(cmd::kFollowModel)->setEnabled(scene != nullptr && !FollowLeadersFor(*scene, selected).empty());
    Action(cmd::kPartFollower)->setEnabled(selected != nullptr && selected->FollowerObject() != nullptr);
}
