#pragma once

#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "ui/browser/ThumbnailImages.h"

class QLabel;
struct AssetEntry;

// The browser's preview of the chosen entry: larger than its thumbnail, playing its
// first animation (a sprite its pictures) as a strip of frames drawn by a worker,
// with the facts the worker read from it. It shows; it never changes the scene.
class AssetPreview : public QWidget {
    Q_OBJECT
public:
    // Frames flipped per second.
    static constexpr int kFramesPerSecond = 10;

    explicit AssetPreview(QWidget* parent = nullptr);

    // Nothing chosen.
    void Clear();
    // The chosen entry while its preview is being drawn, with its thumbnail (null
    // when there is none yet) standing in.
    void ShowEntry(const AssetEntry& entry, const QPixmap& thumbnail);
    // The drawn preview: a strip of tiles side by side in the file, and the facts
    // (the worker's JSON line) about the entry.
    void ShowPreview(const QString& png, const QByteArray& facts);
    void ShowFailure(const QString& reason);

    QLabel* Title() const { return title_; }
    QLabel* Facts() const { return facts_; }
    // The tiles of the strip shown (0 while none), and the one showing now.
    int Tiles() const { return tiles_; }
    int Tile() const { return tile_; }
    bool IsPlaying() const { return timer_.isActive(); }

protected:
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Flips the tiles while there are several and the preview is in sight.
    void Play();

    ImageDecoder decoder_;
    QLabel* title_ = nullptr;
    QLabel* facts_ = nullptr;
    QWidget* picture_ = nullptr;
    QPixmap standIn_;
    QImage strip_;
    int tiles_ = 0;
    int tile_ = 0;
    int skins_ = -1;  // the shown entry's skins when its folder says them
    quint64 shown_ = 0;  // counts the entries shown, so a late read for an earlier one is dropped
    QTimer timer_;
};

// The facts a worker gives (family, frames, animations, skins, size) as lines to read.
// `skins` (when not negative) replaces the count the model's file names: a player's
// skins lie in its folder, not in its body's header.
QString FactsText(const QByteArray& facts, int skins = -1);
