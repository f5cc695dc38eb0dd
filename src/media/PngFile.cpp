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
    const ByteBuffer* bytes;
    std::size_t pos;
};

void ReadFromBuffer(png_structp png, png_bytep data, png_size_t length) {
    auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
    if (length > cursor->bytes->size() - cursor->pos) {
        png_error(png, "truncated PNG");
    }
    std::copy_n(cursor->bytes->data() + cursor->pos, length, data);
    cursor->pos += length;
}
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
    if (!bytes || bytes->size() < 8 || png_sig_cmp(bytes->data(), 0, 8) != 0) {
        return std::nullopt;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return std::nullopt;
    }
    PngImage image;
    ReadCursor cursor{&*bytes, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    png_set_read_fn(png, &cursor, ReadFromBuffer);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    image.channels = png_get_channels(png, info);
    if (image.channels != 3 && image.channels != 4) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    const std::size_t stride = png_get_rowbytes(png, info);
    image.pixels.resize(stride * image.height);
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        rows[static_cast<std::size_t>(y)] = image.pixels.data() + stride * y;
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
}
