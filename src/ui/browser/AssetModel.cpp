#include "ui/browser/AssetModel.h"

#include <QApplication>
#include <QMimeData>
#include <QPainter>
#include <QPalette>
#include <QStyle>

#include <utility>

#include "ui/browser/AssetDrag.h"
#include "ui/browser/ThumbnailImages.h"

namespace {
// Placeholders fill the whole thumbnail's square, as the thumbnails do, so every
// cell of the grid has the same height and its name shows under it.

// A frame where a thumbnail will be: quiet, so a grid filling in does not flicker.
QIcon WaitingIcon(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor frame = QApplication::palette().color(QPalette::Mid);
    frame.setAlpha(110);
    painter.setPen(QPen(frame, 2));
    const qreal inset = side / 8.0;
    painter.drawRoundedRect(QRectF(inset, inset, side - 2 * inset, side - 2 * inset), 6, 6);
    return QIcon(pixmap);
}

// The style's warning sign in the middle of the square.
QIcon FailedIcon(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const int sign = side / 2;
    QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).paint(
        &painter, QRect((side - sign) / 2, (side - sign) / 2, sign, sign));
    return QIcon(pixmap);
}

QString Key(const AssetEntry& entry) {
    return QString::fromStdString(entry.archivePath) + QChar(u'\n') + QString::fromStdString(entry.name);
}
}  // namespace

AssetModel::AssetModel(ThumbnailImages& images, int thumbnailSide, QObject* parent)
    : QAbstractTableModel(parent),
      images_(images),
      waiting_(WaitingIcon(thumbnailSide)),
      failed_(FailedIcon(thumbnailSide)) {
    images_.onDecoded = [this](const QString& path, bool read) { Decoded(path, read); };
}

void AssetModel::SetEntries(std::vector<AssetEntry> entries) {
    QHash<QString, Slot> known;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (slots_[i].state != Thumbnail::None) {
            known.insert(Key(entries_[i]), slots_[i]);
        }
    }
    beginResetModel();
    entries_ = std::move(entries);
    slots_.assign(entries_.size(), Slot{});
    entryOfPicture_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const auto it = known.constFind(Key(entries_[i]));
        if (it != known.constEnd()) {
            slots_[i] = *it;
            if (it->state == Thumbnail::Ready) {
                entryOfPicture_.insert(it->text, static_cast<int>(i));
            }
        }
    }
    Narrow();
    endResetModel();
}

void AssetModel::SetFilter(const QString& text, bool models, bool sprites, bool textures) {
    beginResetModel();
    filter_ = text;
    models_ = models;
    sprites_ = sprites;
    textures_ = textures;
    Narrow();
    endResetModel();
}

void AssetModel::Narrow() {
    const auto shown = [this](AssetKind kind) {
        switch (kind) {
            case AssetKind::Model:
            case AssetKind::Player:
                return models_;
            case AssetKind::Sprite:
                return sprites_;
            case AssetKind::Texture:
                return textures_;
            case AssetKind::File:
                break;
        }
        return true;
    };
    rows_.clear();
    rowOfEntry_.assign(entries_.size(), -1);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const AssetEntry& entry = entries_[i];
        if (shown(entry.kind) && (filter_.isEmpty() || entry.path.contains(filter_, Qt::CaseInsensitive) ||
                                  entry.archiveNames.contains(filter_, Qt::CaseInsensitive))) {
            rowOfEntry_[i] = static_cast<int>(rows_.size());
            rows_.push_back(static_cast<int>(i));
        }
    }
}

int AssetModel::EntryOfRow(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<std::size_t>(row)] : -1;
}

int AssetModel::RowOfEntry(int entry) const {
    return entry >= 0 && entry < EntryCount() ? rowOfEntry_[static_cast<std::size_t>(entry)] : -1;
}

void AssetModel::SetThumbnail(int entry, const QString& png) {
    Slot& slot = slots_[static_cast<std::size_t>(entry)];
    if (slot.state == Thumbnail::Ready) {
        entryOfPicture_.remove(slot.text);
    }
    slot = {Thumbnail::Ready, png};
    entryOfPicture_.insert(png, entry);
    RowChanged(entry);
}

void AssetModel::SetFailed(int entry, const QString& reason) {
    Slot& slot = slots_[static_cast<std::size_t>(entry)];
    if (slot.state == Thumbnail::Ready) {
        entryOfPicture_.remove(slot.text);
    }
    slot = {Thumbnail::Failed, reason};
    RowChanged(entry);
}

QPixmap AssetModel::ThumbnailOf(int entry) const {
    const Slot& slot = slots_[static_cast<std::size_t>(entry)];
    return slot.state == Thumbnail::Ready ? images_.Find(slot.text) : QPixmap();
}

void AssetModel::Decoded(const QString& path, bool read) {
    const int entry = entryOfPicture_.value(path, -1);
    if (entry < 0) {
        return;
    }
    if (read) {
        RowChanged(entry);
    } else {
        SetFailed(entry, QStringLiteral("its thumbnail %1 could not be read").arg(path));
    }
}

void AssetModel::RowChanged(int entry) {
    const int row = RowOfEntry(entry);
    if (row >= 0) {
        emit dataChanged(index(row, kNameColumn), index(row, kNameColumn), {Qt::DecorationRole, Qt::ToolTipRole});
    }
}

int AssetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int AssetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant AssetModel::data(const QModelIndex& index, int role) const {
    const int entry = EntryOfRow(index.row());
    if (entry < 0) {
        return {};
    }
    const AssetEntry& asset = Entry(entry);
    const Slot& slot = slots_[static_cast<std::size_t>(entry)];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case kNameColumn:
                return asset.title;
            case kKindColumn:
                return AssetKindName(asset.kind);
            case kArchiveColumn:
                return asset.origin;
            default:
                return {};
        }
    }
    if (role == Qt::ToolTipRole) {
        return slot.state == Thumbnail::Failed ? slot.text
                                               : QStringLiteral("%1\nfrom %2").arg(asset.path, asset.origin);
    }
    if (role == Qt::DecorationRole && index.column() == kNameColumn) {
        if (slot.state == Thumbnail::Failed) {
            return failed_;
        }
        const QPixmap picture = slot.state == Thumbnail::Ready ? images_.Find(slot.text) : QPixmap();
        return picture.isNull() ? waiting_ : QIcon(picture);
    }
    return {};
}

QVariant AssetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case kNameColumn:
            return QStringLiteral("Name");
        case kKindColumn:
            return QStringLiteral("Kind");
        case kArchiveColumn:
            return QStringLiteral("Archive");
        default:
            return {};
    }
}

Qt::ItemFlags AssetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList AssetModel::mimeTypes() const { return {QString::fromLatin1(AssetMimeType())}; }

QMimeData* AssetModel::mimeData(const QModelIndexList& indexes) const {
    for (const QModelIndex& index : indexes) {
        const int entry = EntryOfRow(index.row());
        if (entry >= 0) {
            return AssetMimeData({Entry(entry).archivePath, Entry(entry).name});
        }
    }
    return nullptr;
}
