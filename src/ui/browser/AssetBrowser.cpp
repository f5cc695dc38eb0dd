#include "ui/browser/AssetBrowser.h"

#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

#include "media/Archive.h"
#include "models/quake2/PlayerFolders.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "scene/COGLScene.h"
#include "ui/PropertyWidgets.h"
#include "ui/browser/AssetModel.h"
#include "ui/browser/AssetPreview.h"
#include "ui/scene/PakTree.h"
#include "ui/scene/SceneSheetHooks.h"
#include "ui/scene/SceneTextures.h"

namespace {
// How often, at most, the workers are asked again while the view scrolls.
constexpr int kRequestDelayMs = 15;
constexpr int kListIconSize = 24;

QToolButton* Toggle(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setObjectName(name);
    button->setCheckable(true);
    button->setChecked(true);
    button->setAutoRaise(true);
    return button;
}
}  // namespace

AssetBrowser::AssetBrowser(const SceneSheetHooks& hooks, QWidget* parent)
    : PropertyPage(parent), hooks_(hooks), model_(new AssetModel(images_, kThumbnailSize, this)) {
    workers_.onReply = [this](const ThumbnailJobResult& reply) { Replied(reply); };

    QVBoxLayout* layout = MakePageLayout(this);
    auto* bar = new QHBoxLayout;
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("assetFilter"));
    filter_->setPlaceholderText(QStringLiteral("Filter by name, path or archive"));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);
    // Brought forward, the browser is ready for typing.
    setFocusProxy(filter_);
    bar->addWidget(filter_, 1);
    kinds_ = {Toggle(QStringLiteral("Models"), QStringLiteral("showModels"), this),
              Toggle(QStringLiteral("Sprites"), QStringLiteral("showSprites"), this),
              Toggle(QStringLiteral("Textures"), QStringLiteral("showTextures"), this)};
    for (QToolButton* kind : kinds_) {
        bar->addWidget(kind);
        connect(kind, &QToolButton::toggled, this, &AssetBrowser::Narrow);
    }
    listMode_ = Toggle(QStringLiteral("List"), QStringLiteral("listMode"), this);
    listMode_->setChecked(false);
    listMode_->setToolTip(QStringLiteral("Names, kinds and archives instead of thumbnails"));
    bar->addWidget(listMode_);
    layout->addLayout(bar);

    grid_ = new QListView(this);
    grid_->setObjectName(QStringLiteral("assetGrid"));
    grid_->setViewMode(QListView::IconMode);
    grid_->setModel(model_);
    grid_->setIconSize(QSize(kThumbnailSize, kThumbnailSize));
    grid_->setGridSize(QSize(kThumbnailSize + 24, kThumbnailSize + 2 * fontMetrics().height() + 4));
    grid_->setUniformItemSizes(true);
    grid_->setMovement(QListView::Static);
    grid_->setResizeMode(QListView::Adjust);
    grid_->setTextElideMode(Qt::ElideMiddle);
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_ = new QTreeView(this);
    list_->setObjectName(QStringLiteral("assetList"));
    list_->setModel(model_);
    list_->setSelectionModel(grid_->selectionModel());
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setIconSize(QSize(kListIconSize, kListIconSize));
    list_->header()->setSectionResizeMode(QHeaderView::Interactive);
    list_->header()->resizeSection(AssetModel::kNameColumn, 180);
    list_->header()->resizeSection(AssetModel::kKindColumn, 70);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(grid_), static_cast<QAbstractItemView*>(list_)}) {
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setDragEnabled(true);
        view->setDragDropMode(QAbstractItemView::DragOnly);
        view->setDefaultDropAction(Qt::CopyAction);
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, &AssetBrowser::Schedule);
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex& index) { AddRow(index.row()); });
    }
    placeholder_ = MakePlaceholder(QStringLiteral("assetPlaceholder"), this);
    views_ = new QStackedWidget(this);
    views_->addWidget(grid_);
    views_->addWidget(list_);
    views_->addWidget(placeholder_);
    preview_ = new AssetPreview(this);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(views_);
    split->addWidget(preview_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    // Most of the height for the results; the splitter shares out what there is by these.
    split->setSizes({3 * kPreviewSize, 2 * kPreviewSize});
    split->setChildrenCollapsible(false);
    layout->addWidget(split, 1);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("assetCount"));
    // Turns while a large game is listed away from the window's thread.
    listingBar_ = new QProgressBar(this);
    listingBar_->setObjectName(QStringLiteral("assetListing"));
    listingBar_->setRange(0, 0);
    listingBar_->setTextVisible(false);
    listingBar_->setMaximumHeight(count_->sizeHint().height());
    listingBar_->hide();
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(count_, 1);
    countRow->addWidget(listingBar_);
    layout->addLayout(countRow);
    layout->addWidget(MakeNote(QStringLiteral("Double-click, press Enter or drag into the view to add. A picture "
                                              "dropped on an object becomes its texture."),
                               this));

    connect(filter_, &QLineEdit::textChanged, this, &AssetBrowser::Narrow);
    connect(listMode_, &QToolButton::toggled, this, &AssetBrowser::ShowResults);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { Choose(current); });
    connect(model_, &QAbstractItemModel::modelReset, this, &AssetBrowser::ShowResults);
    requestTimer_.setSingleShot(true);
    requestTimer_.setInterval(kRequestDelayMs);
    connect(&requestTimer_, &QTimer::timeout, this, &AssetBrowser::Request);
    ShowResults();
}

AssetBrowser::~AssetBrowser() { workers_.onReply = nullptr; }

QString AssetBrowser::Title() const { return QStringLiteral("Assets"); }

void AssetBrowser::SetScene(COGLScene* scene) {
    PropertyPage::SetScene(scene);
    // Another scene's archives may have the addresses of the ones listed.
    listed_.clear();
    stale_ = true;
    Refresh();
}

void AssetBrowser::Refresh() {
    if (!stale_ && ArchiveListOf(Scene()) != listed_) {
        stale_ = true;
    }
    if (stale_ && InSight()) {
        Relist();
    }
}

void AssetBrowser::SetInSight(bool inSight) {
    inSight_ = inSight;
    Refresh();
    Schedule();
}

bool AssetBrowser::InSight() const { return inSight_ && isVisible(); }

void AssetBrowser::SetWorkerCommand(const QString& program, const QStringList& arguments) {
    workers_.SetCommand(program, arguments);
}

QToolButton* AssetBrowser::KindToggle(AssetKind kind) const {
    switch (kind) {
        case AssetKind::Model:
        case AssetKind::Player:
            return kinds_[0];
        case AssetKind::Sprite:
            return kinds_[1];
        case AssetKind::Texture:
            return kinds_[2];
        case AssetKind::File:
            break;
    }
    return nullptr;
}

QAbstractItemView* AssetBrowser::Results() const {
    return listMode_->isChecked() ? static_cast<QAbstractItemView*>(list_) : grid_;
}

void AssetBrowser::showEvent(QShowEvent* event) {
    PropertyPage::showEvent(event);
    Refresh();
    Schedule();
}

void AssetBrowser::Relist() {
    const COGLScene* scene = Scene();
    listed_ = ArchiveListOf(scene);
    stale_ = false;
    ++generation_;
    previewEntry_ = -1;
    previewWanted_ = false;
    preview_->Clear();
    if (scene == nullptr || !ListedApart(*scene)) {
        listing_ = false;
        model_->SetEntries(scene != nullptr ? ListAssets(*scene) : std::vector<AssetEntry>{});
        return;
    }
    // A large game is listed on a thread of its own, from archives of its own, so
    // that the window goes on answering; a listing of an earlier list is dropped.
    listing_ = true;
    model_->SetEntries({});
    using Listing = std::optional<std::vector<AssetEntry>>;
    auto* watcher = new QFutureWatcher<Listing>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation = generation_] {
        watcher->deleteLater();
        if (generation != generation_) {
            return;
        }
        listing_ = false;
        Listing entries = watcher->result();
        const COGLScene* now = Scene();
        if (!entries) {
            entries = now != nullptr ? ListAssets(*now) : std::vector<AssetEntry>{};
        }
        model_->SetEntries(std::move(*entries));
    });
    watcher->setFuture(QtConcurrent::run([list = listed_] { return ListAssetsApart(list); }));
}

bool AssetBrowser::ListedApart(const COGLScene& scene) {
    long long entries = 0;
    for (int i = 0; i < scene.PakCount(); ++i) {
        entries += scene.PakAt(i)->EntryCount();
    }
    return entries > kListedApartEntries;
}

void AssetBrowser::Narrow() {
    const int chosen = model_->EntryOfRow(Results()->currentIndex().row());
    model_->SetFilter(filter_->text(), kinds_[0]->isChecked(), kinds_[1]->isChecked(), kinds_[2]->isChecked());
    // The chosen entry stays chosen while the filter lets it through.
    if (const int row = model_->RowOfEntry(chosen); row >= 0) {
        grid_->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                            QItemSelectionModel::Rows);
    }
    ShowResults();
}

void AssetBrowser::ShowResults() {
    const int shown = model_->rowCount();
    const int listed = model_->EntryCount();
    const COGLScene* scene = Scene();
    listingBar_->setVisible(listing_);
    if (listing_) {
        placeholder_->setText(QStringLiteral("Listing the scene's archives..."));
        views_->setCurrentWidget(placeholder_);
        count_->setText(QStringLiteral("Listing..."));
    } else if (listed == 0) {
        placeholder_->setText(
            scene != nullptr && scene->PakCount() > 0
                ? QStringLiteral("The scene's archives hold nothing that can be put into a scene.")
                : NoArchivesText());
        views_->setCurrentWidget(placeholder_);
        count_->clear();
    } else {
        views_->setCurrentWidget(Results());
        count_->setText(shown == listed ? QStringLiteral("%1 entries").arg(listed)
                                        : QStringLiteral("%1 of %2 entries").arg(shown).arg(listed));
    }
    if (Results()->currentIndex().isValid()) {
        Results()->scrollTo(Results()->currentIndex());
    }
    Schedule();
}

void AssetBrowser::Choose(const QModelIndex& index) {
    const int entry = model_->EntryOfRow(index.row());
    if (entry < 0 || entry == previewEntry_) {
        return;
    }
    previewEntry_ = entry;
    previewWanted_ = true;
    preview_->ShowEntry(model_->Entry(entry), model_->ThumbnailOf(entry));
    Schedule();
}

void AssetBrowser::Add(Archive& pak, const std::string& name) {
    COGLScene* scene = Scene();
    if (scene != nullptr && hooks_.addModel && fs_util::ToLower(fs_util::ExtensionOf(name)) == "md2") {
        hooks_.addModel(pak, name, IsPlayerBodyPath(name));
        return;
    }
    if (scene != nullptr && ActivateArchiveEntry(*scene, pak, name, hooks_)) {
        emit changed();
    }
}

void AssetBrowser::AddCurrent() {
    const QModelIndex current = Results()->currentIndex();
    AddRow(current.isValid() ? current.row() : 0);
}

void AssetBrowser::AddRow(int row) {
    const int entry = model_->EntryOfRow(row);
    if (entry < 0) {
        return;
    }
    const AssetEntry& asset = model_->Entry(entry);
    if (Archive* pak = ArchiveOf(asset)) {
        Add(*pak, asset.name);
    } else {
        GetHost().SetStatusText(asset.path.toStdString() + " is in an archive the scene no longer holds.");
    }
}

Archive* AssetBrowser::ArchiveOf(const AssetEntry& entry) const {
    const COGLScene* scene = Scene();
    Archive* pak = scene != nullptr ? scene->PakAt(scene->PositionOfPak(entry.archive)) : nullptr;
    return pak != nullptr && pak->Path() == entry.archivePath ? pak : nullptr;
}

void AssetBrowser::EnterResults() {
    QAbstractItemView* view = Results();
    view->setFocus(Qt::ShortcutFocusReason);
    if (!view->currentIndex().isValid() && model_->rowCount() > 0) {
        view->setCurrentIndex(model_->index(0, 0));
    }
}

bool AssetBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && (watched == grid_->viewport() || watched == list_->viewport())) {
        Schedule();
        return false;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (watched == filter_) {
        switch (key.key()) {
            case Qt::Key_Down:
            case Qt::Key_PageDown:
                EnterResults();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                AddCurrent();
                return true;
            default:
                return false;
        }
    }
    if (watched == grid_ || watched == list_) {
        return KeyInResults(*static_cast<QAbstractItemView*>(watched), key);
    }
    return false;
}

bool AssetBrowser::KeyInResults(QAbstractItemView& view, const QKeyEvent& key) {
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        AddCurrent();
        return true;
    }
    // Up from the top line goes back to the filter.
    if (key.key() == Qt::Key_Up) {
        const QModelIndex current = view.currentIndex();
        if (!current.isValid() || view.visualRect(current).top() <= view.visualRect(model_->index(0, 0)).top()) {
            filter_->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
        return false;
    }
    // Typing in the results goes on typing into the filter.
    const QString text = key.text();
    if (!text.isEmpty() && text.at(0).isPrint() &&
        (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0) {
        filter_->setFocus(Qt::ShortcutFocusReason);
        filter_->insert(text);
        return true;
    }
    return false;
}

void AssetBrowser::Schedule() {
    if (!requestTimer_.isActive()) {
        requestTimer_.start();
    }
}

std::pair<int, int> AssetBrowser::VisibleRows() const {
    const QAbstractItemView* view = Results();
    const int rows = model_->rowCount();
    const int height = view->viewport()->height();
    const auto rectOf = [&](int row) { return view->visualRect(model_->index(row, 0)); };
    // Rows are laid out in order from the top, so both ends are found by halving.
    int low = 0;
    int high = rows;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (rectOf(middle).bottom() < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    const int first = low;
    high = rows;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (rectOf(middle).top() < height) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return {first, low};
}

ThumbnailJob AssetBrowser::RequestFor(int entry, bool preview) const {
    const AssetEntry& asset = model_->Entry(entry);
    ThumbnailJob request;
    request.tag = (quint64{generation_} << 32) | (static_cast<quint64>(entry) << 1) | (preview ? 1u : 0u);
    request.size = preview ? kPreviewSize : kThumbnailSize;
    request.frames = preview && asset.kind != AssetKind::Texture ? kPreviewFrames : 1;
    request.archive = QByteArray::fromStdString(asset.archivePath);
    request.name = QByteArray::fromStdString(asset.name);
    return request;
}

void AssetBrowser::Request() {
    std::vector<ThumbnailJob> wanted;
    if (!InSight()) {
        workers_.Want(std::move(wanted));
        return;
    }
    if (previewWanted_) {
        wanted.push_back(RequestFor(previewEntry_, true));
    }
    // Those in sight, then the next screenful, then the one before, nearest first.
    const auto [first, last] = VisibleRows();
    const int page = std::max(last - first, 1);
    const auto want = [&](int row) {
        const int entry = model_->EntryOfRow(row);
        if (entry >= 0 && model_->StateOf(entry) == AssetModel::Thumbnail::None) {
            wanted.push_back(RequestFor(entry, false));
        }
    };
    for (int row = first; row < std::min(last + page, model_->rowCount()); ++row) {
        want(row);
    }
    for (int row = first - 1; row >= std::max(0, first - page); --row) {
        want(row);
    }
    workers_.Want(std::move(wanted));
    // Pictures asked for before the scroll wait no more; those in sight ask again as they are drawn.
    images_.DropWaiting();
    Results()->viewport()->update();
}

void AssetBrowser::Replied(const ThumbnailJobResult& reply) {
    const auto generation = static_cast<quint32>(reply.tag >> 32);
    const auto entry = static_cast<int>((reply.tag & 0xFFFFFFFFu) >> 1);
    if (generation != generation_ || entry >= model_->EntryCount()) {
        return;
    }
    if ((reply.tag & 1u) != 0) {
        if (entry == previewEntry_) {
            previewWanted_ = false;
            if (reply.ok) {
                preview_->ShowPreview(reply.png, reply.facts);
            } else {
                preview_->ShowFailure(reply.reason);
            }
        }
        return;
    }
    if (reply.ok) {
        model_->SetThumbnail(entry, reply.png);
    } else {
        model_->SetFailed(entry, reply.reason);
    }
}
