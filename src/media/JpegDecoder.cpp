#include "media/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {
// The library reports a fatal error by calling error_exit, which must not return:
// it jumps back to the decode call, which then cleans up. Only plain C state lives
// in the frame that calls setjmp.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (a truncated stream, say) are not errors: the decoder goes on.
void IgnoreMessage(j_common_ptr) {}

bool RunDecode(jpeg_decompress_struct* info, JpegPixels* out, bool* notRgb) {
    jpeg_read_header(info, TRUE);
    if (info->out_color_space != JCS_RGB) {
        *notRgb = true;
        return false;
    }
    if (info->image_width == 0 || info->image_height == 0 ||
        std::uint64_t(info->image_width) * info->image_height > kMaxJpegPixels) {
        out->error = "image too large";
        return false;
    }
    jpeg_start_decompress(info);
    if (info->output_components != 3) {
        *notRgb = true;
        return false;
    }
    out->width = static_cast<int>(info->output_width);
    out->height = static_cast<int>(info->output_height);
    const std::size_t stride = std::size_t(info->output_width) * 3;
    out->rgb.assign(stride * info->output_height, 0);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = out->rgb.data() + std::size_t(info->output_scanline) * stride;
        if (jpeg_read_scanlines(info, &row, 1) != 1) {
            out->error = "no scan lines";
            return false;
        }
    }
    jpeg_finish_decompress(info);
    return true;
}
}  // namespace

JpegStatus DecodeJpeg(const std::uint8_t* data, std::size_t size, JpegPixels& out) {
    out = JpegPixels{};
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.output_message = IgnoreMessage;
    errors.message[0] = '\0';
    bool notRgb = false;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        out.rgb.clear();
        out.error = errors.message;
        return JpegStatus::Error;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    const bool ok = RunDecode(&info, &out, &notRgb);
    jpeg_destroy_decompress(&info);
    if (ok) {
        return JpegStatus::Ok;
    }
    out.rgb.clear();
    return notRgb ? JpegStatus::NotRgb : JpegStatus::Error;
}
