#include "render/ImageOutput.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

#include "media/PngFile.h"
#include "platform/BinaryIO.h"
#include "platform/Diagnostics.h"
#include "platform/FileSystem.h"

std::size_t CapturedImage::RowStride(int width, int bytesPerPixel) {
    if (width <= 0 || bytesPerPixel <= 0) {
        return 0;
    }
    const std::size_t bytes = std::size_t(width) * std::size_t(bytesPerPixel);
    return (bytes + 3) & ~std::size_t(3);
}

namespace {
bool HasConsistentPixels(const CapturedImage& image) {
    return !image.Empty() && (image.bytesPerPixel == 3 || image.bytesPerPixel == 4) &&
           image.pixels.size() == image.Stride() * std::size_t(image.height);
}

// A picture the writers refuse before any file is touched.
bool Refuse(std::string* error, const std::string& path, const char* why) {
    if (error != nullptr) {
        *error = "cannot write '" + path + "': " + why;
    }
    return false;
}

constexpr const char* kNoPicture = "there is no complete picture to write";
}  // namespace

bool CaptureFramebuffer(int x, int y, int width, int height, int bytesPerPixel, CapturedImage& out) {
    out = CapturedImage{};
    if (width <= 0 || height <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4)) {
        return false;
    }
    CapturedImage image;
    image.width = width;
    image.height = height;
    image.bytesPerPixel = bytesPerPixel;
    try {
        image.pixels.resize(image.Stride() * std::size_t(height));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {
        // Errors of earlier drawing are not this read's failure.
    }
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
    glReadPixels(x, y, width, height, bytesPerPixel == 4 ? GL_BGRA : GL_BGR, GL_UNSIGNED_BYTE, image.pixels.data());
    glPopClientAttrib();
    if (glGetError() != GL_NO_ERROR) {
        return false;
    }
    out = std::move(image);
    return true;
}

std::optional<ImageFormat> ImageFormatForPath(const std::string& path) {
    const std::string extension = fs_util::ToLower(fs_util::ExtensionOf(path));
    if (extension == "bmp") {
        return ImageFormat::Bmp;
    }
    if (extension == "jpg" || extension == "jpeg") {
        return ImageFormat::Jpeg;
    }
    if (extension == "png") {
        return ImageFormat::Png;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// BMP

bool WriteBmp(const CapturedImage& image, const std::string& path, std::string* error) {
    if (!HasConsistentPixels(image)) {
        return Refuse(error, path, kNoPicture);
    }
    constexpr std::uint32_t kFileHeaderSize = 14;
    constexpr std::uint32_t kInfoHeaderSize = 40;
    constexpr std::uint32_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize;
    const std::size_t imageSize = image.pixels.size();
    if (imageSize > std::numeric_limits<std::uint32_t>::max() - kPixelOffset) {
        return Refuse(error, path, "the picture is too large for a BMP file");
    }
    BinaryWriter out;
    out.Bytes().reserve(kPixelOffset + imageSize);
    // File header.
    out.WriteU8('B');
    out.WriteU8('M');
    out.WriteU32(static_cast<std::uint32_t>(imageSize) + kPixelOffset);  // whole file
    out.WriteU16(0);                                                       // reserved
    out.WriteU16(0);                                                       // reserved
    out.WriteU32(kPixelOffset);                                            // where the rows start
    // Information header.
    out.WriteU32(kInfoHeaderSize);
    out.WriteI32(image.width);
    out.WriteI32(image.height);  // positive: rows bottom-up
    out.WriteU16(1);             // planes
    out.WriteU16(static_cast<std::uint16_t>(image.bytesPerPixel * 8));
    out.WriteU32(0);  // uncompressed
    out.WriteU32(static_cast<std::uint32_t>(imageSize));
    out.WriteI32(0);  // horizontal pixels per metre: unknown
    out.WriteI32(0);  // vertical pixels per metre
    out.WriteU32(0);  // no colour table
    out.WriteU32(0);  // all colours important
    out.WriteBytes(image.pixels.data(), imageSize);
    return WriteFileAtomically(path, out.Bytes(), error);
}

// ---------------------------------------------------------------------------------------------
// JPEG

int JpegQualityForIndex(int qualityIndex) {
    constexpr std::array<int, 4> kQualities = {20, 40, 70, 99};
    return kQualities[static_cast<std::size_t>(std::clamp(qualityIndex, 0, 3))];
}

namespace {
// libjpeg reports errors by calling error_exit, which must not return. It jumps back
// to the writer; everything between here and there is C or has trivial locals.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void LogJpegMessage(j_common_ptr cinfo, bool error) {
    char buffer[JMSG_LENGTH_MAX] = {};
    (*cinfo->err->format_message)(cinfo, buffer);
    if (error) {
        WriteErrorLog(buffer);
    } else {
        WriteDebugLog(std::string(buffer) + "\n");
    }
}

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
    LogJpegMessage(cinfo, true);
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void JpegOutputMessage(j_common_ptr cinfo) { LogJpegMessage(cinfo, false); }

// Collects the compressed bytes in memory, so nothing reaches the disk unless the
// whole picture was encoded.
struct JpegMemoryDestination {
    jpeg_destination_mgr pub;
    ByteBuffer* out;
    std::array<JOCTET, 16384> block;
};

bool AppendBlock(JpegMemoryDestination* dest, std::size_t count) {
    try {
        dest->out->insert(dest->out->end(), dest->block.data(), dest->block.data() + count);
    } catch (...) {
        return false;
    }
    return true;
}

void JpegInitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->block.data();
    dest->pub.free_in_buffer = dest->block.size();
}

boolean JpegEmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
    if (!AppendBlock(dest, dest->block.size())) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    JpegInitDestination(cinfo);
    return TRUE;
}

void JpegTermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
    if (!AppendBlock(dest, dest->block.size() - dest->pub.free_in_buffer)) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

// All state lives in the caller, so the jump back skips no destructor.
bool CompressJpeg(const CapturedImage& image, int quality, JpegMemoryDestination& destination,
                  std::vector<JSAMPLE>& line) {
    jpeg_compress_struct cinfo{};
    JpegErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JpegErrorExit;
    errors.pub.output_message = JpegOutputMessage;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    destination.pub.init_destination = JpegInitDestination;
    destination.pub.empty_output_buffer = JpegEmptyOutputBuffer;
    destination.pub.term_destination = JpegTermDestination;
    cinfo.dest = &destination.pub;
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPROW row = line.data();
    const std::size_t bytesPerPixel = static_cast<std::size_t>(image.bytesPerPixel);
    while (cinfo.next_scanline < cinfo.image_height) {
        // The top of the picture is the last row in memory.
        const int fromBottom = image.height - 1 - static_cast<int>(cinfo.next_scanline);
        const std::uint8_t* source = image.Row(fromBottom);
        for (int x = 0; x < image.width; ++x, source += bytesPerPixel) {
            line[std::size_t(x) * 3 + 0] = source[2];
            line[std::size_t(x) * 3 + 1] = source[1];
            line[std::size_t(x) * 3 + 2] = source[0];
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}
}  // namespace

bool WriteJpeg(const CapturedImage& image, const std::string& path, int qualityIndex, std::string* error) {
    if (!HasConsistentPixels(image)) {
        return Refuse(error, path, kNoPicture);
    }
    ByteBuffer encoded;
    std::vector<JSAMPLE> line;
    auto destination = std::make_unique<JpegMemoryDestination>();
    try {
        line.resize(std::size_t(image.width) * 3);
    } catch (const std::bad_alloc&) {
        return Refuse(error, path, "out of memory");
    }
    destination->out = &encoded;
    if (!CompressJpeg(image, JpegQualityForIndex(qualityIndex), *destination, line)) {
        return Refuse(error, path, "the JPEG library refused the picture (see the error log)");
    }
    return WriteFileAtomically(path, encoded, error);
}

// ---------------------------------------------------------------------------------------------
// PNG

PngImage CapturedToPng(const CapturedImage& image, bool transparentBackground) {
    PngImage png;
    if (!HasConsistentPixels(image) || (transparentBackground && image.bytesPerPixel != 4)) {
        return png;
    }
    png.width = image.width;
    png.height = image.height;
    png.channels = transparentBackground ? 4 : 3;
    const std::size_t channels = static_cast<std::size_t>(png.channels);
    const std::size_t bytesPerPixel = static_cast<std::size_t>(image.bytesPerPixel);
    png.pixels.resize(std::size_t(image.width) * std::size_t(image.height) * channels);
    std::uint8_t* target = png.pixels.data();
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* source = image.Row(image.height - 1 - y);
        for (int x = 0; x < image.width; ++x, source += bytesPerPixel, target += channels) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            if (transparentBackground) {
                target[3] = source[3] == 0 ? 0 : 255;
            }
        }
    }
    return png;
}

bool WritePngImage(const CapturedImage& image, const std::string& path, bool transparentBackground,
                   std::string* error) {
    if (!HasConsistentPixels(image)) {
        return Refuse(error, path, kNoPicture);
    }
    if (transparentBackground && image.bytesPerPixel != 4) {
        return Refuse(error, path, "a transparent background needs a capture with alpha");
    }
    return WritePng(path, CapturedToPng(image, transparentBackground), error);
}

bool WriteImage(const CapturedImage& image, const std::string& path, ImageFormat format, int qualityIndex,
                bool transparentBackground, std::string* error) {
    switch (format) {
        case ImageFormat::Bmp:
            return WriteBmp(image, path, error);
        case ImageFormat::Jpeg:
            return WriteJpeg(image, path, qualityIndex, error);
        case ImageFormat::Png:
            return WritePngImage(image, path, transparentBackground, error);
    }
    return Refuse(error, path, "unknown picture format");
}
