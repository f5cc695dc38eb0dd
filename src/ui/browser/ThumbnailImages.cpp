#include "ui/browser/ThumbnailImages.h"

#include <QImageReader>
#include <QMetaObject>

#include <utility>

namespace {
// The largest picture read: a preview strip of many big tiles is far below it, and
// a damaged file claiming more is refused before anything is allocated.
constexpr qint64 kMaxPixels = qint64{64} << 20;

QImage ReadPicture(const QString& path) {
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid() || qint64{size.width()} * size.height() > kMaxPixels) {
        return {};
    }
    QImage image = reader.read();
    if (image.isNull()) {
        return {};
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
}  // namespace

ImageDecoder::ImageDecoder(int threads, QObject* parent) : QObject(parent) { pool_.setMaxThreadCount(threads); }

ImageDecoder::~ImageDecoder() {
    pool_.clear();
    pool_.waitForDone();
}

void ImageDecoder::Decode(const QString& path, std::function<void(const QImage& image)> done) {
    pool_.start([this, path, done = std::move(done)]() mutable {
        QImage image = ReadPicture(path);
        // Delivered on this object's thread; dropped if it is gone by then, which the
        // destructor's wait rules out for reads already running.
        QMetaObject::invokeMethod(
            this, [image = std::move(image), done = std::move(done)] { done(image); }, Qt::QueuedConnection);
    });
}

ThumbnailImages::ThumbnailImages(QObject* parent) : QObject(parent), decoder_(1), cache_(kBudget) {}

QPixmap ThumbnailImages::Find(const QString& path) {
    if (const QPixmap* held = cache_.object(path)) {
        return *held;
    }
    if (!reading_.contains(path)) {
        reading_.insert(path);
        decoder_.Decode(path, [this, path](const QImage& image) {
            if (!reading_.remove(path)) {
                return;  // dropped meanwhile; read again when shown again
            }
            // A picture larger than the whole budget is not kept (the cache deletes it).
            const bool held = !image.isNull() &&
                              cache_.insert(path, new QPixmap(QPixmap::fromImage(image)), image.sizeInBytes());
            if (onDecoded) {
                onDecoded(path, held);
            }
        });
    }
    return {};
}

void ThumbnailImages::DropWaiting() {
    decoder_.DropWaiting();
    reading_.clear();
}
