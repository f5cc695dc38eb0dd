#include "render/MovieWriters.h"

#include <gif_lib.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "media/PngFile.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"
#include "render/ColorQuantizer.h"
#include "render/ImageOutput.h"

namespace {
constexpr int kLargestSide = 16384;
constexpr int kMostFrames = 100000;

// The frame as the encoders take it (top row first, RGB or RGBA), or nothing for
// a frame of another size than the writer was opened for.
std::optional<PngImage> FramePixels(const CapturedImage& frame, const MovieSettings& settings) {
    if (frame.width != settings.width || frame.height != settings.height) {
        return std::nullopt;
    }
    PngImage image = CapturedToPng(frame, settings.transparent);
    if (image.pixels.empty()) {
        return std::nullopt;
    }
    return image;
}

std::string WrongFrame(const MovieSettings& settings) {
    return "a frame is not the " + std::to_string(settings.width) + "x" + std::to_string(settings.height) +
           (settings.transparent ? " picture with alpha" : " picture") + " the moving picture was started with";
}

// --- GIF ---

int WriteGifBytes(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* out = static_cast<AtomicFileStream*>(gif->UserData);
    return length > 0 && out->Write(bytes, static_cast<std::size_t>(length)) ? length : 0;
}

struct GifMap {
    ColorMapObject* map = nullptr;
    explicit GifMap(const std::vector<std::array<std::uint8_t, 3>>& palette) {
        int size = 2;
        while (size < static_cast<int>(palette.size())) {
            size *= 2;
        }
        std::vector<GifColorType> colors(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
        for (std::size_t i = 0; i < palette.size(); ++i) {
            colors[i] = GifColorType{palette[i][0], palette[i][1], palette[i][2]};
        }
        map = GifMakeMapObject(size, colors.data());
    }
    ~GifMap() { GifFreeMapObject(map); }
    GifMap(const GifMap&) = delete;
    GifMap& operator=(const GifMap&) = delete;
};

class GifWriter final : public MovieWriter {
public:
    GifWriter(const MovieSettings& settings) : settings_(settings) {}
    ~GifWriter() override {
        if (gif_ != nullptr) {
            int ignored = 0;
            EGifCloseFile(gif_, &ignored);
        }
    }

    bool Open(const std::string& path, std::string& error) {
        if (!out_.Open(path, &error)) {
            return false;
        }
        int code = 0;
        gif_ = EGifOpen(&out_, WriteGifBytes, &code);
        if (gif_ == nullptr) {
            error = std::string("cannot start a GIF: ") + GifErrorString(code);
            return false;
        }
        EGifSetGifVersion(gif_, true);
        return true;
    }

    bool AddFrame(const CapturedImage& frame, int delayMs) override {
        const auto pixels = FramePixels(frame, settings_);
        if (gif_ == nullptr || !pixels) {
            return Fail(gif_ == nullptr ? "the GIF is already closed" : WrongFrame(settings_));
        }
        QuantizeOptions options;
        options.transparent = settings_.transparent;
        options.dither = settings_.dither;
        const IndexedImage indexed = QuantizeImage(*pixels, options);
        const bool first = global_.empty();
        if (first) {
            global_ = indexed.palette;
            GifMap map(global_);
            if (EGifPutScreenDesc(gif_, settings_.width, settings_.height, 8, 0, map.map) == GIF_ERROR ||
                !PutLoop()) {
                return GifFailed();
            }
        }
        // Frame times are kept in milliseconds and rounded to the GIF's hundredths
        // as they add up, so 15 frames a second stays 15 over the whole loop.
        elapsedMs_ += std::max(delayMs, 0);
        const long shownUntil = std::lround(double(elapsedMs_) / 10.0);
        GraphicsControlBlock control{};
        // A transparent background must not keep the last frame behind it.
        control.DisposalMode = settings_.transparent ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        // Players take delays under two hundredths as a tenth of a second.
        control.DelayTime = static_cast<int>(std::max<long>(shownUntil - shownCentis_, 2));
        shownCentis_ += control.DelayTime;
        control.TransparentColor = indexed.transparentIndex >= 0 ? indexed.transparentIndex : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_ERROR) {
            return GifFailed();
        }
        // Frames whose palette is the first one's use the global table.
        std::optional<GifMap> local;
        if (indexed.palette != global_) {
            local.emplace(indexed.palette);
        }
        if (EGifPutImageDesc(gif_, 0, 0, settings_.width, settings_.height, false, local ? local->map : nullptr) ==
            GIF_ERROR) {
            return GifFailed();
        }
        std::vector<GifPixelType> row(static_cast<std::size_t>(settings_.width));
        for (int y = 0; y < settings_.height; ++y) {
            std::memcpy(row.data(), &indexed.indexes[std::size_t(y) * row.size()], row.size());
            if (EGifPutLine(gif_, row.data(), settings_.width) == GIF_ERROR) {
                return GifFailed();
            }
        }
        return true;
    }

    bool Finish() override {
        if (gif_ == nullptr || global_.empty()) {
            return Fail("a GIF needs at least one frame");
        }
        int code = 0;
        const int closed = EGifCloseFile(gif_, &code);
        gif_ = nullptr;
        if (closed == GIF_ERROR) {
            out_.Abandon();
            return Fail(std::string("cannot finish the GIF: ") + GifErrorString(code));
        }
        std::string error;
        return out_.Commit(&error) || Fail(error);
    }

private:
    // NETSCAPE2.0 with a loop count of 0: play for ever.
    bool PutLoop() {
        const GifByteType loop[3] = {1, 0, 0};
        return EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) != GIF_ERROR &&
               EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") != GIF_ERROR &&
               EGifPutExtensionBlock(gif_, 3, loop) != GIF_ERROR && EGifPutExtensionTrailer(gif_) != GIF_ERROR;
    }
    bool GifFailed() {
        std::string error;
        if (!out_.Close(&error)) {
            return Fail(error);
        }
        return Fail(std::string("cannot write the GIF: ") + GifErrorString(gif_->Error));
    }

    MovieSettings settings_;
    AtomicFileStream out_;
    GifFileType* gif_ = nullptr;
    std::vector<std::array<std::uint8_t, 3>> global_;
    long elapsedMs_ = 0;
    long shownCentis_ = 0;
};

// --- WebP ---

class WebPWriter final : public MovieWriter {
public:
    WebPWriter(const MovieSettings& settings, std::string path) : settings_(settings), path_(std::move(path)) {}
    ~WebPWriter() override { WebPAnimEncoderDelete(encoder_); }

    bool Open(std::string& error) {
        WebPAnimEncoderOptions options;
        if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config_)) {
            error = "this libwebp does not match the one the program was built with";
            return false;
        }
        options.anim_params.loop_count = 0;
        // The encoder keeps every frame since the last key frame until it places
        // the next: a key frame at least every 8 keeps memory from growing with
        // the length of the picture, for a few per cent more bytes.
        options.kmin = 5;
        options.kmax = 8;
        options.anim_params.bgcolor = settings_.transparent ? 0x00000000u : 0xFF000000u;
        if (settings_.quality < 0) {
            // Level 1 of 9: turntables are large flat areas, which compress well
            // without the slower searches.
            WebPConfigLosslessPreset(&config_, 1);
        } else {
            WebPConfigPreset(&config_, WEBP_PRESET_DEFAULT, static_cast<float>(std::clamp(settings_.quality, 0, 100)));
            config_.method = 2;
        }
        encoder_ = WebPAnimEncoderNew(settings_.width, settings_.height, &options);
        if (encoder_ == nullptr || !WebPValidateConfig(&config_)) {
            error = "cannot start a WebP animation of " + std::to_string(settings_.width) + "x" +
                    std::to_string(settings_.height);
            return false;
        }
        // Only the check that the output can be made: libwebp assembles the
        // file in memory from its compressed frames.
        AtomicFileStream probe;
        return probe.Open(path_, &error);
    }

    bool AddFrame(const CapturedImage& frame, int delayMs) override {
        const auto pixels = FramePixels(frame, settings_);
        if (!pixels) {
            return Fail(WrongFrame(settings_));
        }
        WebPPicture picture;
        if (!WebPPictureInit(&picture)) {
            return Fail("cannot make a WebP picture");
        }
        picture.use_argb = 1;
        picture.width = settings_.width;
        picture.height = settings_.height;
        const int stride = settings_.width * pixels->channels;
        const int imported = pixels->channels == 4 ? WebPPictureImportRGBA(&picture, pixels->pixels.data(), stride)
                                                   : WebPPictureImportRGB(&picture, pixels->pixels.data(), stride);
        const bool added = imported != 0 && WebPAnimEncoderAdd(encoder_, &picture, timestampMs_, &config_) != 0;
        WebPPictureFree(&picture);
#ifdef __GLIBC__
        // Each frame's encoding takes large working buffers between the small
        // compressed frames kept for the file; handing the freed pages back keeps
        // the process from growing with every frame.
        malloc_trim(0);
#endif
        if (!added) {
            return Fail(std::string("cannot encode a WebP frame: ") + WebPAnimEncoderGetError(encoder_));
        }
        timestampMs_ += std::max(delayMs, 1);
        ++frames_;
        return true;
    }

    bool Finish() override {
        if (frames_ == 0) {
            return Fail("a WebP animation needs at least one frame");
        }
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAdd(encoder_, nullptr, timestampMs_, nullptr) ||
            !WebPAnimEncoderAssemble(encoder_, &data)) {
            WebPDataClear(&data);
            return Fail(std::string("cannot finish the WebP animation: ") + WebPAnimEncoderGetError(encoder_));
        }
        std::string error;
        const bool written = WriteFileAtomically(path_, {data.bytes, data.size}, &error);
        WebPDataClear(&data);
        return written || Fail(error);
    }

private:
    MovieSettings settings_;
    std::string path_;
    WebPConfig config_{};
    WebPAnimEncoder* encoder_ = nullptr;
    int timestampMs_ = 0;
    int frames_ = 0;
};

// --- APNG ---

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

// The frames are compressed by libpng (filters and zlib) and their image data
// moved into the animation's chunks: IDAT for the first frame, fdAT after it.
class ApngWriter final : public MovieWriter {
public:
    explicit ApngWriter(const MovieSettings& settings) : settings_(settings) {}

    bool Open(const std::string& path, std::string& error) { return out_.Open(path, &error); }

    bool AddFrame(const CapturedImage& frame, int delayMs) override {
        const auto pixels = FramePixels(frame, settings_);
        if (!pixels) {
            return Fail(WrongFrame(settings_));
        }
        if (frames_ >= settings_.frameCount) {
            return Fail("more frames than the " + std::to_string(settings_.frameCount) + " the APNG announced");
        }
        const auto png = EncodePng(*pixels, true);
        if (!png) {
            return Fail("cannot compress an APNG frame");
        }
        std::vector<std::uint8_t> data;
        std::vector<std::uint8_t> header;
        // Our own encoder's output: signature, then chunks of length, type, data, CRC.
        for (std::size_t at = 8; at + 12 <= png->size();) {
            const std::uint32_t length = (std::uint32_t((*png)[at]) << 24) | (std::uint32_t((*png)[at + 1]) << 16) |
                                         (std::uint32_t((*png)[at + 2]) << 8) | std::uint32_t((*png)[at + 3]);
            if (length > png->size() - at - 12) {
                break;
            }
            const char* type = reinterpret_cast<const char*>(&(*png)[at + 4]);
            const auto body = png->begin() + static_cast<std::ptrdiff_t>(at + 8);
            if (std::memcmp(type, "IHDR", 4) == 0) {
                header.assign(body, body + length);
            } else if (std::memcmp(type, "IDAT", 4) == 0) {
                data.insert(data.end(), body, body + length);
            }
            at += 12 + length;
        }
        if (header.size() != 13 || data.empty()) {
            return Fail("cannot compress an APNG frame");
        }
        if (frames_ == 0) {
            static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
            out_.Write(kSignature, sizeof kSignature);
            PutChunk("IHDR", header);
            std::vector<std::uint8_t> control;
            PutU32(control, static_cast<std::uint32_t>(settings_.frameCount));
            PutU32(control, 0);  // plays: for ever
            PutChunk("acTL", control);
        }
        std::vector<std::uint8_t> control;
        PutU32(control, sequence_++);
        PutU32(control, static_cast<std::uint32_t>(settings_.width));
        PutU32(control, static_cast<std::uint32_t>(settings_.height));
        PutU32(control, 0);
        PutU32(control, 0);
        const int delay = std::clamp(delayMs, 0, 65535);
        control.push_back(static_cast<std::uint8_t>(delay >> 8));
        control.push_back(static_cast<std::uint8_t>(delay));
        control.push_back(1000 >> 8);  // the delay is in thousandths
        control.push_back(1000 & 0xFF);
        control.push_back(0);  // dispose: none (every frame covers the whole picture)
        control.push_back(0);  // blend: source, so transparent pixels replace what was there
        PutChunk("fcTL", control);
        if (frames_ == 0) {
            PutChunk("IDAT", data);
        } else {
            std::vector<std::uint8_t> chunk;
            PutU32(chunk, sequence_++);
            chunk.insert(chunk.end(), data.begin(), data.end());
            PutChunk("fdAT", chunk);
        }
        ++frames_;
        return true;
    }

    bool Finish() override {
        if (frames_ != settings_.frameCount) {
            out_.Abandon();
            return Fail("the APNG got " + std::to_string(frames_) + " of its " + std::to_string(settings_.frameCount) +
                        " frames");
        }
        PutChunk("IEND", {});
        std::string error;
        return out_.Commit(&error) || Fail(error);
    }

private:
    void PutChunk(const char* type, const std::vector<std::uint8_t>& body) {
        std::vector<std::uint8_t> head;
        PutU32(head, static_cast<std::uint32_t>(body.size()));
        head.insert(head.end(), type, type + 4);
        uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(type), 4);
        crc = crc32(crc, body.data(), static_cast<uInt>(body.size()));
        std::vector<std::uint8_t> tail;
        PutU32(tail, static_cast<std::uint32_t>(crc));
        out_.Write(head.data(), head.size());
        out_.Write(body.data(), body.size());
        out_.Write(tail.data(), tail.size());
    }

    MovieSettings settings_;
    AtomicFileStream out_;
    int frames_ = 0;
    std::uint32_t sequence_ = 0;
};

// --- Numbered PNG files ---

// Each frame is written beside its name at once; the names are taken together
// at the end, so a cancelled sequence leaves none of them.
class PngSequenceWriter final : public MovieWriter {
public:
    PngSequenceWriter(const MovieSettings& settings, std::string pattern)
        : settings_(settings), pattern_(std::move(pattern)) {}

    bool AddFrame(const CapturedImage& frame, int /*delayMs*/) override {
        const auto pixels = FramePixels(frame, settings_);
        if (!pixels) {
            return Fail(WrongFrame(settings_));
        }
        const auto png = EncodePng(*pixels);
        if (!png) {
            return Fail("cannot compress a PNG frame");
        }
        auto file = std::make_unique<AtomicFileStream>();
        std::string error;
        if (!file->Open(FramePath(pattern_, static_cast<int>(files_.size())), &error) ||
            !file->Write(png->data(), png->size()) || !file->Close(&error)) {
            return Fail(error.empty() ? "cannot write '" + file->Path() + "'" : error);
        }
        files_.push_back(std::move(file));
        return true;
    }

    bool Finish() override {
        if (files_.empty()) {
            return Fail("a PNG sequence needs at least one frame");
        }
        for (auto& file : files_) {
            std::string error;
            if (!file->Commit(&error)) {
                return Fail(error);
            }
        }
        files_.clear();
        return true;
    }

private:
    MovieSettings settings_;
    std::string pattern_;
    std::vector<std::unique_ptr<AtomicFileStream>> files_;
};

// Where the one "%...d" of a frame pattern is, and its width; false when it has none
// or more than one, or any other "%".
bool FindFrameField(const std::string& path, std::size_t& begin, std::size_t& end) {
    int fields = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '%') {
            continue;
        }
        std::size_t j = i + 1;
        while (j < path.size() && j - i <= 2 && path[j] >= '0' && path[j] <= '9') {
            ++j;
        }
        if (j >= path.size() || path[j] != 'd' || (j - i == 3 && path[i + 1] != '0')) {
            return false;
        }
        begin = i;
        end = j + 1;
        ++fields;
        i = j;
    }
    return fields == 1;
}
}  // namespace

bool IsFramePattern(const std::string& path) {
    std::size_t begin = 0;
    std::size_t end = 0;
    // Only the file's name is numbered, not a folder above it.
    return FindFrameField(path, begin, end) && path.find_first_of("/\\", end) == std::string::npos;
}

std::string FramePath(const std::string& pattern, int index) {
    std::size_t begin = 0;
    std::size_t end = 0;
    if (!FindFrameField(pattern, begin, end)) {
        return pattern;
    }
    // "%d", "%Nd" (padded with spaces) or "%0Nd" (with zeros).
    const bool zeros = end - begin > 2 && pattern[begin + 1] == '0';
    const std::size_t width = end - begin > 2 ? std::stoul(pattern.substr(begin + 1, end - begin - 2)) : 0;
    std::string number = std::to_string(index);
    if (number.size() < width) {
        number.insert(number.begin(), width - number.size(), zeros ? '0' : ' ');
    }
    return pattern.substr(0, begin) + number + pattern.substr(end);
}

std::optional<MovieFormat> MovieFormatForPath(const std::string& path) {
    if (IsFramePattern(path)) {
        return fs_util::EqualsIgnoreCase(fs_util::ExtensionOf(path), "png") ? std::optional(MovieFormat::PngSequence)
                                                                           : std::nullopt;
    }
    const std::string extension = fs_util::ToLower(fs_util::ExtensionOf(path));
    if (extension == "gif") {
        return MovieFormat::Gif;
    }
    if (extension == "webp") {
        return MovieFormat::WebP;
    }
    if (extension == "png" || extension == "apng") {
        return MovieFormat::Apng;
    }
    if (extension == "mp4") {
        return MovieFormat::Mp4;
    }
    if (extension == "webm") {
        return MovieFormat::WebM;
    }
    return std::nullopt;
}

const char* MovieFormatName(MovieFormat format) {
    switch (format) {
        case MovieFormat::Gif:
            return "GIF";
        case MovieFormat::WebP:
            return "WebP";
        case MovieFormat::Apng:
            return "APNG";
        case MovieFormat::PngSequence:
            return "PNG sequence";
        case MovieFormat::Mp4:
            return "MP4";
        case MovieFormat::WebM:
            return "WebM";
    }
    return "";
}

std::unique_ptr<MovieWriter> OpenMovieWriter(const std::string& path, MovieFormat format,
                                             const MovieSettings& settings, std::string& error) {
    if (settings.width <= 0 || settings.height <= 0 || settings.width > kLargestSide ||
        settings.height > kLargestSide || settings.frameCount <= 0 || settings.frameCount > kMostFrames ||
        !(settings.fps > 0.0f)) {
        error = "a moving picture needs a size, a frame count (1 to " + std::to_string(kMostFrames) +
                ") and a frame rate";
        return nullptr;
    }
    switch (format) {
        case MovieFormat::Gif: {
            auto writer = std::make_unique<GifWriter>(settings);
            return writer->Open(path, error) ? std::move(writer) : nullptr;
        }
        case MovieFormat::WebP: {
            auto writer = std::make_unique<WebPWriter>(settings, path);
            return writer->Open(error) ? std::move(writer) : nullptr;
        }
        case MovieFormat::Apng: {
            auto writer = std::make_unique<ApngWriter>(settings);
            return writer->Open(path, error) ? std::move(writer) : nullptr;
        }
        case MovieFormat::PngSequence:
            if (!IsFramePattern(path)) {
                error = "'" + path + "' holds no frame number pattern such as %04d";
                return nullptr;
            }
            return std::make_unique<PngSequenceWriter>(settings, path);
        case MovieFormat::Mp4:
        case MovieFormat::WebM: {
            const std::string program = FindFfmpeg();
            if (program.empty()) {
                error = std::string(MovieFormatName(format)) +
                        " needs the ffmpeg program, which is not on PATH: install ffmpeg (Debian: apt install "
                        "ffmpeg), or write .gif, .webp or .png";
                return nullptr;
            }
            return OpenFfmpegWriter(program, path, format, settings, error);
        }
    }
    error = "unknown moving picture format";
    return nullptr;
}
