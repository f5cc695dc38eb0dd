#include "media/PngFile.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include "platform/BinaryIO.h"

namespace {
void AppendToBuffer(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<ByteBuffer*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

struct ReadCursor {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

void ReadFromBuffer(png_structp png, png_bytep data, png_size_t length) {
    auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
    if (length > cursor->size - cursor->pos) {
        png_error(png, "truncated PNG");
    }
    std::copy_n(cursor->data + cursor->pos, length, data);
    cursor->pos += length;
}

// libpng reports warnings on stderr unless told otherwise; a damaged picture is
// reported by its reader instead.
void IgnoreWarning(png_structp, png_const_charp) {}
}  // namespace

std::optional<ByteBuffer> EncodePng(const PngImage& image, bool fast) {
    if (image.width <= 0 || image.height <= 0 || (image.channels != 3 && image.channels != 4) ||
        image.pixels.size() != std::size_t(image.width) * image.height * image.channels) {
        return std::nullopt;
    }
    ByteBuffer encoded;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return std::nullopt;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return std::nullopt;
    }
    png_set_write_fn(png, &encoded, AppendToBuffer, FlushNothing);
    if (fast) {
        png_set_compression_level(png, 1);
        png_set_filter(png, 0, PNG_FILTER_SUB);
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 image.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t stride = std::size_t(image.width) * image.channels;
    for (int y = 0; y < image.height; ++y) {
        png_write_row(png, const_cast<png_bytep>(image.pixels.data() + stride * y));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return encoded;
}

bool WritePng(const std::string& path, const PngImage& image, std::string* error) {
    const auto encoded = EncodePng(image);
    if (!encoded) {
        if (error != nullptr) {
            *error = "cannot write '" + path + "': the picture cannot be encoded as PNG";
        }
        return false;
    }
    return WriteFileAtomically(path, *encoded, error);
}

std::optional<PngImage> ReadPng(const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    if (!bytes) {
        return std::nullopt;
    }
    return DecodePng(bytes->data(), bytes->size());
}

std::optional<PngImage> DecodePng(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        return std::nullopt;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, IgnoreWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return std::nullopt;
    }
    PngImage image;
    std::vector<png_bytep> rows;
    ReadCursor cursor{data, size, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    png_set_read_fn(png, &cursor, ReadFromBuffer);
    png_read_info(png, info);
    const std::uint64_t pixels =
        std::uint64_t(png_get_image_width(png, info)) * std::uint64_t(png_get_image_height(png, info));
    if (pixels == 0 || pixels > kMaxPngPixels) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    image.channels = png_get_channels(png, info);
    if (image.channels != 3 && image.channels != 4) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    const std::size_t stride = png_get_rowbytes(png, info);
    image.pixels.resize(stride * static_cast<std::size_t>(image.height));
    rows.resize(static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        rows[static_cast<std::size_t>(y)] = image.pixels.data() + stride * static_cast<std::size_t>(y);
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
}
