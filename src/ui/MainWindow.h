#pragma once

#include <QHash>
#include <QMainWindow>
#include <QUrl>

#include <array>
#include <functional>
#include <memory>

#include "ui/RecentFileList.h"
#include "ui/ShellHooks.h"

class ColorPicker;
class GLWidget;
class QAction;
class QDialog;
class QDockWidget;
class QMenu;
class QtHost;
class ShellViewState;
class ViewCommandTarget;

// The application's state that outlives dialogs.
struct ApplicationState {
    bool saveSettings = true;           // "SaveSettings": window positions are written at exit
    bool resetWindowPositions = false;  // acted on at exit
    float gamma = 1.0f;                 // "Gamma" x 0.01
    bool newDone = false;               // later New commands do nothing
    ModelOpenOptions modelOptions;      // last "Player Options"
    int jpegQualityIndex = 1;           // last "Quality" choice
    AnimationChoice animation;          // last "Save Animation" choices
};

// The main window: the GL view in the middle, menus and toolbars carrying every
// command by its numeric id, the three tool windows, and the status bar.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The rest of start-up once the window exists: New, the saved window and tool
    // window positions (the screen's available area without them), showing the
    // window, visual-weapon set-up, then the file named on the command line (if
    // any). With `untitledCopy` (the demo scene) that file opens as a new, unnamed
    // scene: Save asks for a name and it never enters the recent-file list.
    void Start(const QString& commandLineFile = {}, bool untitledCopy = false);

    // The one entry for every file the user opens.
    bool OpenFile(const QString& path);
    // Runs a command by its id as its menu entry would.
    void RunCommand(int id);
    // Re-reads every action's checked and enabled state from the view, the names
    // of the Undo and Redo entries, and the title.
    void RefreshCommandStates();
    // The scene's name (or "Untitled") and a mark while there are unsaved changes.
    void UpdateTitle();
    const QString& ScenePath() const { return scenePath_; }

    // The view behind the view, tool and axis commands; nullptr restores the
    // shell's own stand-in. Not owned.
    void SetViewCommandTarget(ViewCommandTarget* target);
    ViewCommandTarget& CommandTarget() const { return *target_; }

    ShellHooks& Hooks() { return hooks_; }
    ApplicationState& State() { return state_; }
    RecentFileList& RecentFiles() { return recent_; }
    QtHost& DesktopHost() const { return *host_; }

    GLWidget* View() const { return view_; }
    QAction* Action(int id) const { return actions_.value(id, nullptr); }
    QList<QAction*> RecentFileActions() const;
    QDockWidget* ObjectPropertiesDock() const { return objectDock_; }
    QDockWidget* ScenePropertiesDock() const { return sceneDock_; }
    QDockWidget* ColorPickerDock() const { return colorDock_; }
    QDockWidget* AssetsDock() const { return assetsDock_; }
    // View, Assets: shows the browser (brought forward) or hides it.
    QAction* AssetsAction() const { return assetsAction_; }
    ColorPicker* Colors() const { return colorPicker_; }
    // The property sheets replace the placeholder pages; the window takes ownership.
    void SetObjectPropertiesPage(QWidget* page);
    void SetScenePropertiesPage(QWidget* page);
    // The asset browser replaces the placeholder of the "Assets" dock.
    void SetAssetsPage(QWidget* page);

    // Runs a modal dialog and answers its result code. Every dialog the window
    // opens goes through it, so tests can answer in place of a user.
    std::function<int(QDialog&)> execDialog;
    // Opens a link or a local document in the desktop's viewer.
    std::function<bool(const QUrl&)> openUrl;

signals:
    // A colour of the "Color Picker" was applied: target is one of its target
    // names, r, g and b run from 0 to 1.
    void colorApplied(const QString& target, float r, float g, float b);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateDocks();
    QAction* MakeAction(int id);

    void OnViewCommand(int id);
    bool HasUnsavedChanges() const;
    // Asks before unsaved changes are lost; true to go on.
    bool MayDiscardChanges();
    void NewScene();
    void OpenWithDialog(const QString& title, const char* filter);
    void OpenModel();
    bool SaveScene(bool askForName);
    void OpenGameFolder();
    void ClearScene();
    void AddLight();
    void AddObject();
    // The player picker; true when a player was added.
    bool AddPlayer();
    // The selected Half-Life model follows one the user chooses; parting gives it back to the scene.
    void FollowModel();
    void PartFollower();
    void ShowOptions();
    void ShowVWep();
    // Inside a map (MainWindowMap.cpp): the fly speed asked for; a start chosen for
    // Place At or View from Spawn Point (`id`).
    void AskFlySpeed();
    void AtStart(int id);
    bool SaveImage();
    bool SaveAnimation();
    bool ExportGltf();
    void PrintPicture(bool preview);
    void ShowHelp();
    void ShowWebPage();
    void ShowAbout();
    void UpdateRecentFileMenu();

    void SaveWindowState();
    bool RestoreWindowState();
    void ForgetWindowState();
    // The tool windows whose places are kept between runs.
    QList<QDockWidget*> Docks() const;

    GLWidget* view_ = nullptr;
    std::unique_ptr<QtHost> host_;
    std::unique_ptr<ShellViewState> standIn_;
    ViewCommandTarget* target_ = nullptr;
    ShellHooks hooks_;
    ApplicationState state_;
    RecentFileList recent_;
    QString scenePath_;
    QString lastDirectory_;

    QHash<int, QAction*> actions_;
    std::array<QAction*, RecentFileList::kSize> recentActions_{};
    QAction* recentSeparator_ = nullptr;
    QList<QMenu*> menus_;
    QMenu* windowsMenu_ = nullptr;
    QDockWidget* objectDock_ = nullptr;
    QDockWidget* sceneDock_ = nullptr;
    QDockWidget* colorDock_ = nullptr;
    QDockWidget* assetsDock_ = nullptr;
    QAction* assetsAction_ = nullptr;
    ColorPicker* colorPicker_ = nullptr;
};
