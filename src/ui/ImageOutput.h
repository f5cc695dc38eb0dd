#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

class QPrinter;

// The picture formats Save Image... writes.
enum class ImageFormat { Bmp, Jpeg, Png };

// The format a file name asks for by its extension, whatever its letter case;
// nullopt for any other extension.
std::optional<ImageFormat> ImageFormatOfPath(const QString& path);
// The save dialog's filters: the BMP and JPEG filters, then PNG.
QStringList SaveImageFilters();
// The JPEG quality of a "Quality" dialog index (clamped into 0..3).
int JpegQuality(int qualityIndex);

// Writes the picture through a temporary file that replaces the target only when
// everything was written. Returns false (and leaves any old file alone) on failure.
bool WriteImageFile(const QImage& image, const QString& path, ImageFormat format, int qualityIndex);

// Where a captured picture lands on a printed page: from the top-left corner,
// stretched by the printer's resolution over the screen's, each direction alone,
// so it prints at the size it had on screen. A picture larger than the printable
// page is shrunk, keeping its proportions, until it fits.
QRect PrintedRect(QSize picture, int printerDpiX, int printerDpiY, int screenDpiX, int screenDpiY,
                  QSize page = {});
// Draws the picture onto the printer's page as PrintedRect places it.
bool PrintPicture(QPrinter& printer, const QImage& picture, int screenDpiX, int screenDpiY);
