#pragma once

#include <optional>
#include <string>

#include "media/PngFile.h"
#include "render/CapturedImage.h"

// Reads the rectangle (x, y, width, height), y from the bottom, of the current read
// buffer of the current GL context with bytesPerPixel 3 (BGR) or 4 (BGRA). Returns
// false, leaving `out` empty, for a bad size or when GL reports an error.
bool CaptureFramebuffer(int x, int y, int width, int height, int bytesPerPixel, CapturedImage& out);

enum class ImageFormat { Bmp, Jpeg, Png };

// The writer for a file name's extension, ignoring case: "bmp", "jpg" or "jpeg",
// "png". Nothing for any other extension: the caller shows kExtensionNotSupported.
std::optional<ImageFormat> ImageFormatForPath(const std::string& path);

// Every writer encodes the whole picture in memory and writes it through
// WriteFileAtomically: an empty capture, an encoder error, a full disk or a folder
// that takes no files leaves no empty or partial file and keeps what was there.
// Each returns whether the file was written; `error`, when given, says why not.

// A 14-byte file header, the 40-byte information header and the rows as they are in
// memory (24 or 32 bits per pixel, uncompressed).
bool WriteBmp(const CapturedImage& image, const std::string& path, std::string* error = nullptr);

// The libjpeg quality for an index 0..3 ("Minimum", "Medium", "High", "Maximum"):
// 20, 40, 70, 99. Indexes outside the range are clamped into it.
int JpegQualityForIndex(int qualityIndex);
inline constexpr int kDefaultJpegQualityIndex = 1;

// Baseline RGB JPEG, top row first. A library error is written to the error log
// (and shown) and the picture is abandoned.
bool WriteJpeg(const CapturedImage& image, const std::string& path, int qualityIndex,
               std::string* error = nullptr);

// The picture as PNG stores it, top row first: RGB, or with `transparentBackground`
// RGBA where a captured alpha of 0 is transparent and any other fully opaque (see
// WritePngImage). Empty for an inconsistent capture or for transparency asked of a
// 3-byte one.
PngImage CapturedToPng(const CapturedImage& image, bool transparentBackground);

// Lossless PNG. Opaque by default (RGB). With `transparentBackground` the picture
// is written as RGBA and the captured alpha channel says what is background: a
// pixel whose alpha is 0 is fully transparent, every other pixel fully opaque. So
// the renderer clears to alpha 0 and anything it draws (blended shadows included)
// counts as foreground. Transparency needs a 4-byte capture; asking for it with a
// 3-byte one fails.
bool WritePngImage(const CapturedImage& image, const std::string& path, bool transparentBackground = false,
                   std::string* error = nullptr);

// Writes in the given format; the quality index is used by JPEG only, the
// transparency by PNG only.
bool WriteImage(const CapturedImage& image, const std::string& path, ImageFormat format, int qualityIndex,
                bool transparentBackground = false, std::string* error = nullptr);
