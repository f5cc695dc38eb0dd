#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QString>

#include <vector>

#include "ui/browser/AssetCatalog.h"

class ThumbnailImages;

// The browser's entries as rows: its name (with its thumbnail), its kind and the
// archive it comes from, narrowed by a filter. Entries are numbered as they were
// given; rows are the entries the filter lets through, in that order. Thumbnails
// are files (drawn by the workers) whose pictures are read only when a row is
// shown, and kept within the budget of `images`.
class AssetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kNameColumn, kKindColumn, kArchiveColumn, kColumnCount };
    enum class Thumbnail { None, Ready, Failed };

    // `thumbnailSide`: the edge of the thumbnails, which the placeholders take too.
    AssetModel(ThumbnailImages& images, int thumbnailSide, QObject* parent = nullptr);

    // The entries to list, through the filter as it is. One listed before (the same
    // archive and name) keeps its thumbnail.
    void SetEntries(std::vector<AssetEntry> entries);
    int EntryCount() const { return static_cast<int>(entries_.size()); }
    const AssetEntry& Entry(int entry) const { return entries_[static_cast<std::size_t>(entry)]; }

    // Lets through the entries whose path, or the file name of their archive or of
    // the one their bytes come from, holds `text` (in any case) and whose kind is
    // shown; entries of no kind the toggles name always pass.
    void SetFilter(const QString& text, bool models, bool sprites, bool textures);
    int EntryOfRow(int row) const;
    // The row showing the entry, or -1.
    int RowOfEntry(int entry) const;

    Thumbnail StateOf(int entry) const { return slots_[static_cast<std::size_t>(entry)].state; }
    const QString& FailureOf(int entry) const { return slots_[static_cast<std::size_t>(entry)].text; }
    // The thumbnail drawn for the entry, in its file; or why there is none.
    void SetThumbnail(int entry, const QString& png);
    void SetFailed(int entry, const QString& reason);
    // The entry's thumbnail when its picture is in memory now (null otherwise).
    QPixmap ThumbnailOf(int entry) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    struct Slot {
        Thumbnail state = Thumbnail::None;
        QString text;  // the picture's file, or why there is none
    };
    void Narrow();
    void Decoded(const QString& path, bool read);
    void RowChanged(int entry);

    ThumbnailImages& images_;
    std::vector<AssetEntry> entries_;
    std::vector<Slot> slots_;
    QHash<QString, int> entryOfPicture_;
    std::vector<int> rows_;        // the entry of each row
    std::vector<int> rowOfEntry_;  // -1 for an entry filtered out
    QString filter_;
    bool models_ = true;
    bool sprites_ = true;
    bool textures_ = true;
    QIcon waiting_;
    QIcon failed_;
};
