#pragma once

#include <QTimer>

#include <array>
#include <string>
#include <utility>

#include "ui/PropertyPage.h"
#include "ui/browser/AssetCatalog.h"
#include "ui/browser/ThumbnailImages.h"
#include "ui/browser/ThumbnailWorkers.h"

class Archive;
class AssetModel;
class AssetPreview;
class QAbstractItemView;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QLineEdit;
class QListView;
class QModelIndex;
class QStackedWidget;
class QToolButton;
class QTreeView;
struct SceneSheetHooks;

// The "Assets" browser: every entry the scene's archives list (paks, zips, WADs,
// game folders), as thumbnails in a grid or as a list of names, kinds and where
// each comes from; a filter that narrows as you type and toggles for models,
// sprites and textures; a preview of the chosen entry playing its first animation
// with its facts. Adding (a double-click, Enter, a drag into the view) does what a
// double-click on the paks page does. Thumbnails are drawn by worker processes,
// those in sight first, and only while the browser is in sight.
class AssetBrowser : public PropertyPage {
    Q_OBJECT
public:
    static constexpr int kThumbnailSize = 96;
    static constexpr int kPreviewSize = 256;
    static constexpr int kPreviewFrames = 16;
    // Scenes whose archives hold more entries than this are listed on a thread of
    // their own (a few thousand list in a few milliseconds).
    static constexpr int kListedApartEntries = 4000;

    // `hooks`: what adding an entry asks of the shell, the same as the paks page asks.
    explicit AssetBrowser(const SceneSheetHooks& hooks, QWidget* parent = nullptr);
    ~AssetBrowser() override;

    QString Title() const override;
    void SetScene(COGLScene* scene) override;
    // Follows the scene's archive list: the entries are listed again when it changed,
    // at once while the browser is in sight, else when it comes into sight.
    void Refresh() override;
    // Whether the browser can be seen: a dock behind another's tab is shown but not
    // in sight, and lists and draws nothing until it comes forward.
    void SetInSight(bool inSight);
    bool InSight() const;

    // The command that starts a worker (the running program with
    // "--thumbnail-worker" unless set), and how many draw at once.
    void SetWorkerCommand(const QString& program, const QStringList& arguments);
    void SetWorkerCount(int count) { workers_.SetWorkerCount(count); }

    // Adds an entry of one of the scene's archives as a double-click does: a picture
    // joins the scene's textures (reported with `changed`), a model or a sprite goes
    // to the hooks.
    void Add(Archive& pak, const std::string& name);
    // Adds the chosen entry, or the first one shown when none is chosen.
    void AddCurrent();

    QLineEdit* Filter() const { return filter_; }
    QToolButton* KindToggle(AssetKind kind) const;
    QToolButton* ListToggle() const { return listMode_; }
    QListView* Grid() const { return grid_; }
    QTreeView* List() const { return list_; }
    // The grid or the list, whichever shows.
    QAbstractItemView* Results() const;
    QLabel* Count() const { return count_; }
    AssetModel& Model() const { return *model_; }
    AssetPreview& Preview() const { return *preview_; }
    ThumbnailWorkers& Workers() { return workers_; }
    ThumbnailImages& Images() { return images_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Relist();
    // Whether the scene's archives are many enough to be listed away from the window.
    static bool ListedApart(const COGLScene& scene);
    void Narrow();
    void ShowResults();
    void Choose(const QModelIndex& index);
    void AddRow(int row);
    // From the filter into the results: the chosen entry, or the first one.
    void EnterResults();
    bool KeyInResults(QAbstractItemView& view, const QKeyEvent& key);
    // Asks the workers again soon (at most once a turn of scrolling or typing).
    void Schedule();
    void Request();
    // The rows in sight, first to one past the last.
    std::pair<int, int> VisibleRows() const;
    ThumbnailJob RequestFor(int entry, bool preview) const;
    void Replied(const ThumbnailJobResult& reply);
    // The scene's archive the entry was listed from, if it still holds it.
    Archive* ArchiveOf(const AssetEntry& entry) const;

    const SceneSheetHooks& hooks_;
    ThumbnailImages images_;
    ThumbnailWorkers workers_;
    AssetModel* model_ = nullptr;
    QLineEdit* filter_ = nullptr;
    std::array<QToolButton*, 3> kinds_{};
    QToolButton* listMode_ = nullptr;
    QStackedWidget* views_ = nullptr;
    QListView* grid_ = nullptr;
    QTreeView* list_ = nullptr;
    QLabel* placeholder_ = nullptr;
    QLabel* count_ = nullptr;
    QProgressBar* listingBar_ = nullptr;
    AssetPreview* preview_ = nullptr;
    QTimer requestTimer_;
    ArchiveList listed_;  // what the entries were listed from
    bool stale_ = true;
    bool listing_ = false;  // a listing runs on another thread
    bool inSight_ = true;
    quint32 generation_ = 0;  // of the listing: replies for an earlier one are dropped
    int previewEntry_ = -1;
    bool previewWanted_ = false;
};
