#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <functional>

// Reads picture files on threads of its own, so the window's thread never waits on
// a file or a decoder.
class ImageDecoder : public QObject {
    Q_OBJECT
public:
    explicit ImageDecoder(int threads, QObject* parent = nullptr);
    // Drops what has not started and waits for what has.
    ~ImageDecoder() override;

    // Reads the file; `done` runs on this object's thread with the picture
    // (premultiplied ARGB; null when it could not be read), unless the read was
    // dropped first.
    void Decode(const QString& path, std::function<void(const QImage& image)> done);
    // Drops the reads not started yet: their `done` never runs.
    void DropWaiting() { pool_.clear(); }

private:
    QThreadPool pool_;
};

// The decoded thumbnails the browser shows, at most a budget of bytes of them: the
// least recently shown go first, and come back from their files when shown again.
class ThumbnailImages : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kBudget = qint64{64} << 20;

    explicit ThumbnailImages(QObject* parent = nullptr);

    // The picture of that file when it is held, which makes it the most recently
    // shown; else a null pixmap, and the file is read (once) off the window's
    // thread, onDecoded telling when.
    QPixmap Find(const QString& path);
    // Forgets the reads not started (for pictures no longer in sight); the next
    // Find of them reads again.
    void DropWaiting();
    bool IsReading() const { return !reading_.isEmpty(); }

    qint64 HeldBytes() const { return cache_.totalCost(); }

    // After a read: whether the file held a picture that fits the budget (it is
    // then held).
    std::function<void(const QString& path, bool read)> onDecoded;

private:
    ImageDecoder decoder_;
    QCache<QString, QPixmap> cache_;
    QSet<QString> reading_;
};
