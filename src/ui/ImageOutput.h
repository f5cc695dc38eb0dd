#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include "render/ImageOutput.h"

class QPrinter;

// The save dialog's filters: the BMP and JPEG filters, then PNG. The formats and
// their writers are the core's (render/ImageOutput.h).
QStringList SaveImageFilters();

// The view's capture as a picture Qt can print (top row first); null when empty.
QImage ImageFromCapture(const CapturedImage& capture);
// A picture in the capture's layout (bottom-up BGR), for the core's writers.
CapturedImage CaptureFromImage(const QImage& image);

// Where a captured picture lands on a printed page: from the top-left corner,
// stretched by the printer's resolution over the screen's, each direction alone,
// so it prints at the size it had on screen. A picture larger than the printable
// page is shrunk, keeping its proportions, until it fits.
QRect PrintedRect(QSize picture, int printerDpiX, int printerDpiY, int screenDpiX, int screenDpiY,
                  QSize page = {});
// Draws the picture onto the printer's page as PrintedRect places it.
bool PrintPicture(QPrinter& printer, const QImage& picture, int screenDpiX, int screenDpiY);
