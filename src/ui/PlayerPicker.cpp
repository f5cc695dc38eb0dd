#include "ui/PlayerPicker.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "media/Archive.h"
#include "models/quake2/PlayerFolders.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"
#include "ui/CommandIcons.h"
#include "ui/CommandTable.h"
#include "ui/DialogButtons.h"
#include "ui/QtHost.h"
#include "ui/SceneNames.h"
#include "ui/browser/ThumbnailWorkers.h"

namespace {
constexpr int kRowRole = Qt::UserRole + 1;
constexpr int kThumbnailSize = 48;

// Where a player's body comes from: its archive's file, and for a game folder
// the folder it is read through, since a player may win from any of its stack.
QString OriginText(const Archive& archive, const PakEntry& body) {
    const Archive* source = archive.OriginOf(body).source;
    const QString file = GameText(fs_util::FileNameOf(source != nullptr ? source->Path() : archive.Path()));
    if (archive.Kind() != ArchiveKind::Game || source == &archive) {
        return file;
    }
    const QString game = GameText(fs_util::FileNameOf(archive.Path()));
    // A mod's own loose files are the game folder itself.
    if (source != nullptr && source->Kind() == ArchiveKind::Folder && file == game) {
        return QStringLiteral("%1 (loose files)").arg(game);
    }
    return QStringLiteral("%1 (game %2)").arg(file, game);
}
}  // namespace

std::vector<PlayerRow> ListScenePlayers(const COGLScene& scene) {
    std::vector<PlayerRow> rows;
    for (int i = 0; i < scene.PakCount(); ++i) {
        Archive* archive = scene.PakAt(i);
        if (archive == nullptr) {
            continue;
        }
        for (const PlayerListing& player : ListPlayers(*archive)) {
            if (player.body == nullptr) {
                continue;
            }
            PlayerRow row;
            row.archive = archive;
            row.body = player.body->name;
            row.name = GameText(player.name);
            row.origin = OriginText(*archive, *player.body);
            row.skins = static_cast<int>(player.skins.size());
            row.weapons = static_cast<int>(player.weapons.size());
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

PlayerPicker::PlayerPicker(const COGLScene* scene, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add Player"));
    if (scene != nullptr) {
        players_ = ListScenePlayers(*scene);
    }
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(players_.empty()
                                ? QStringLiteral("The scene's archives hold no players. Open a game folder or a pak "
                                                 "with a players folder, or browse for a player's tris.md2.")
                                : QStringLiteral("The players of the scene's archives and game folders:"),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);

    rows_ = new QTreeWidget(this);
    rows_->setObjectName(QStringLiteral("playerRows"));
    rows_->setHeaderLabels({QStringLiteral("Player"), QStringLiteral("From"), QStringLiteral("Skins"),
                            QStringLiteral("Weapons")});
    rows_->setRootIsDecorated(false);
    rows_->setUniformRowHeights(true);
    rows_->setAllColumnsShowFocus(true);
    rows_->setIconSize(QSize(kThumbnailSize, kThumbnailSize));
    const QIcon standIn = CommandIcon(cmd::kAddPlayer);
    for (int i = 0; i < static_cast<int>(players_.size()); ++i) {
        const PlayerRow& player = players_[static_cast<std::size_t>(i)];
        auto* item = new QTreeWidgetItem(rows_, {player.name, player.origin, QString::number(player.skins),
                                                 QString::number(player.weapons)});
        item->setIcon(0, standIn);
        item->setData(0, kRowRole, i);
        item->setToolTip(0, GameText(player.body));
    }
    // Until its thumbnail comes, a row shows the command's icon.
    thumbnails_ = std::make_unique<ThumbnailWorkers>();
    thumbnails_->SetWorkerCount(1);
    thumbnails_->onReply = [this](const ThumbnailJobResult& reply) {
        QTreeWidgetItem* item = reply.tag < static_cast<quint64>(rows_->topLevelItemCount())
                                    ? rows_->topLevelItem(static_cast<int>(reply.tag))
                                    : nullptr;
        const QImage picture = reply.ok ? QImage(reply.png) : QImage();
        if (item != nullptr && !picture.isNull()) {
            item->setIcon(0, QIcon(QPixmap::fromImage(picture)));
            item->setData(0, kThumbnailShownRole, true);
        }
    };
    std::vector<ThumbnailJob> wanted;
    for (std::size_t i = 0; i < players_.size(); ++i) {
        wanted.push_back({static_cast<quint64>(i), kThumbnailSize, 1,
                          QByteArray::fromStdString(players_[i].archive->Path()),
                          QByteArray::fromStdString(players_[i].body)});
    }
    thumbnails_->Want(std::move(wanted));
    rows_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    rows_->header()->setStretchLastSection(false);
    rows_->resizeColumnToContents(0);
    rows_->setMinimumSize(560, 240);
    if (rows_->topLevelItemCount() > 0) {
        rows_->setCurrentItem(rows_->topLevelItem(0));
    }
    layout->addWidget(rows_, 1);

    auto* bottom = new QHBoxLayout;
    browse_ = new QPushButton(QStringLiteral("&Browse..."), this);
    browse_->setToolTip(QStringLiteral("Add a player from its folder on disk"));
    bottom->addWidget(browse_);
    bottom->addStretch(1);
    QDialogButtonBox* buttons = MakeOkCancel(this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setEnabled(rows_->currentItem() != nullptr);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);

    connect(rows_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { ok_->setEnabled(current != nullptr); });
    connect(rows_, &QTreeWidget::itemActivated, this, [this] { accept(); });
    chooseFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Player's Body"), QString(),
                                            ToQtNameFilters(filters::kModel).join(QStringLiteral(";;")));
    };
    connect(browse_, &QPushButton::clicked, this, [this] {
        const QString file = chooseFile ? chooseFile() : QString();
        if (!file.isEmpty()) {
            browsed_ = file;
            rows_->setCurrentItem(nullptr);
            accept();
        }
    });
}

PlayerPicker::~PlayerPicker() {
    if (thumbnails_) {
        thumbnails_->onReply = nullptr;
    }
}

const PlayerRow* PlayerPicker::Chosen() const {
    const QTreeWidgetItem* item = browsed_.isEmpty() ? rows_->currentItem() : nullptr;
    if (item == nullptr) {
        return nullptr;
    }
    const int row = item->data(0, kRowRole).toInt();
    return row >= 0 && row < static_cast<int>(players_.size()) ? &players_[static_cast<std::size_t>(row)] : nullptr;
}
