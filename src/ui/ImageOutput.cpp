#include "ui/ImageOutput.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cstddef>

#include "platform/Messages.h"
#include "ui/QtHost.h"

std::optional<ImageFormat> ImageFormatOfPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("bmp")) {
        return ImageFormat::Bmp;
    }
    if (suffix == QLatin1String("jpg")) {
        return ImageFormat::Jpeg;
    }
    if (suffix == QLatin1String("png")) {
        return ImageFormat::Png;
    }
    return std::nullopt;
}

QStringList SaveImageFilters() { return ToQtNameFilters(filters::kImage) << QStringLiteral("PNG Files (*.png)"); }

int JpegQuality(int qualityIndex) {
    constexpr std::array kQualities{20, 40, 70, 99};
    return kQualities[static_cast<std::size_t>(std::clamp(qualityIndex, 0, 3))];
}

bool WriteImageFile(const QImage& image, const QString& path, ImageFormat format, int qualityIndex) {
    if (image.isNull()) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const char* name = format == ImageFormat::Bmp ? "bmp" : format == ImageFormat::Jpeg ? "jpg" : "png";
    QImageWriter writer(&file, name);
    if (format == ImageFormat::Jpeg) {
        writer.setQuality(JpegQuality(qualityIndex));
    }
    // Every format here stores colour without alpha the way the view shows it.
    if (!writer.write(image.convertToFormat(QImage::Format_RGB888))) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QRect PrintedRect(QSize picture, int printerDpiX, int printerDpiY, int screenDpiX, int screenDpiY, QSize page) {
    QSizeF size(picture);
    if (screenDpiX > 0 && screenDpiY > 0) {
        size = QSizeF(size.width() * printerDpiX / screenDpiX, size.height() * printerDpiY / screenDpiY);
    }
    if (page.isValid() && !page.isEmpty() && (size.width() > page.width() || size.height() > page.height())) {
        // A picture cut off at the page edge is not what anyone prints for.
        size.scale(QSizeF(page), Qt::KeepAspectRatio);
    }
    return QRect(0, 0, static_cast<int>(size.width()), static_cast<int>(size.height()));
}

bool PrintPicture(QPrinter& printer, const QImage& picture, int screenDpiX, int screenDpiY) {
    if (picture.isNull()) {
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect target = PrintedRect(picture.size(), printer.logicalDpiX(), printer.logicalDpiY(), screenDpiX,
                                     screenDpiY, QSize(printer.width(), printer.height()));
    painter.drawImage(target, picture);
    return painter.end();
}
