#include "ui/ImageOutput.h"

#include <QPainter>
#include <QPrinter>

#include <cstddef>
#include <cstdint>

#include "platform/Messages.h"
#include "ui/QtHost.h"

QStringList SaveImageFilters() { return ToQtNameFilters(filters::kImage) << QStringLiteral("PNG Files (*.png)"); }

QImage ImageFromCapture(const CapturedImage& capture) {
    if (capture.Empty() || (capture.bytesPerPixel != 3 && capture.bytesPerPixel != 4) ||
        capture.pixels.size() < capture.Stride() * static_cast<std::size_t>(capture.height)) {
        return {};
    }
    QImage image(capture.width, capture.height, QImage::Format_RGB32);
    const std::size_t pixelBytes = static_cast<std::size_t>(capture.bytesPerPixel);
    for (int y = 0; y < capture.height; ++y) {
        const std::uint8_t* source = capture.Row(capture.height - 1 - y);
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < capture.width; ++x) {
            const std::uint8_t* pixel = source + pixelBytes * static_cast<std::size_t>(x);
            target[x] = qRgb(pixel[2], pixel[1], pixel[0]);
        }
    }
    return image;
}

CapturedImage CaptureFromImage(const QImage& image) {
    CapturedImage capture;
    if (image.isNull()) {
        return capture;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    capture.width = rgb.width();
    capture.height = rgb.height();
    capture.bytesPerPixel = 3;
    capture.pixels.assign(capture.Stride() * static_cast<std::size_t>(capture.height), 0);
    for (int y = 0; y < capture.height; ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* target = capture.Row(capture.height - 1 - y);
        for (int x = 0; x < capture.width; ++x) {
            target[3 * x] = static_cast<std::uint8_t>(qBlue(source[x]));
            target[3 * x + 1] = static_cast<std::uint8_t>(qGreen(source[x]));
            target[3 * x + 2] = static_cast<std::uint8_t>(qRed(source[x]));
        }
    }
    return capture;
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
