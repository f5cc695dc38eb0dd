// The readers of each picture format COGLImage decodes from a file's bytes.
#include "media/COGLImage.h"

#include <algorithm>
#include <cstring>

#include "media/BmpDecoder.h"
#include "media/JpegDecoder.h"
#include "media/Palette.h"
#include "media/PictureRows.h"
#include "media/PngFile.h"
#include "platform/Diagnostics.h"
#include "platform/Host.h"
#include "platform/Messages.h"

using namespace picture_rows;

namespace {
// PCX: 128-byte header, of which only these fields are used.
//   8  int16 xmax      width  = xmax + 1
//   10 int16 ymax      height = ymax + 1
//   66 uint16 bytesPerLine  decoded bytes per scan line (width plus padding)
//   128 run-length data: a byte with both top bits set is a count (low 6 bits)
//       for the byte after it; any other byte stands for itself
//   the last 768 bytes: the palette, 256 x R, G, B
constexpr std::size_t kPcxHeaderSize = 128;
constexpr std::size_t kPcxPaletteSize = 768;
constexpr int kPcxMaxRun = 63;

// WAL (Quake 2 texture):
//   0 char[32] name   32 int32 width   36 int32 height   40 int32[4] mip offsets
//   mip level 0 holds width x height palette indices, top row first.
constexpr std::size_t kWalSizeOffset = 32;

// SWL (SiN texture), 1236-byte header:
//   64 int32 width   68 int32 height   72 256 x (R, G, B, x) palette
//   1100 int32[4] mip offsets (level 0 first)
constexpr std::size_t kSwlHeaderSize = 1236;
constexpr std::size_t kSwlSizeOffset = 64;
constexpr std::size_t kSwlPaletteOffset = 72;
constexpr std::size_t kSwlMipOffset = 1100;
constexpr int kSwlTransparentIndex = 63;

// TGA: 18-byte header.
//   0 idLength   1 colourMapType   2 imageType (1 mapped, 2 truecolour, 10 RLE truecolour)
//   3 uint16 first map entry   5 uint16 map length   7 map entry bits (24 or 32)
//   8..11 origin   12 uint16 width   14 uint16 height   16 bits per pixel
//   17 descriptor: bit 5 set when the first stored row is the top one
constexpr std::uint8_t kTgaTopLeft = 0x20;
constexpr int kTgaMaxRun = 128;

}  // namespace

bool COGLImage::ReadBmp(BinaryReader in) {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    if (!DecodeBmp(in.Data(), in.Size(), width, height, rgb)) {
        ShowCouldNotLoad();
        return false;
    }
    // No gamma for bitmaps: they are shown as the system draws them.
    if (m_bgrOrder != 0) {
        for (std::size_t i = 0; i < rgb.size(); i += 3) {
            std::swap(rgb[i], rgb[i + 2]);
        }
    }
    m_source.width = width;
    m_source.height = height;
    m_source.bitsPerPixel = 24;
    m_source.pixels = std::move(rgb);
    return true;
}

bool COGLImage::ReadPcx(BinaryReader in, bool defaultPalette) {
    in.Seek(8);
    const int width = in.ReadI16() + 1;
    const int height = in.ReadI16() + 1;
    in.Seek(66);
    const int bytesPerLine = in.ReadU16();
    if (width <= 0 || height <= 0 || in.Size() < kPcxHeaderSize) {
        ShowCouldNotLoad();
        return false;
    }
    if (defaultPalette) {
        m_source.colorTable = (m_gamePalette != nullptr ? *m_gamePalette : DefaultPalette()).Table(m_bgrOrder != 0);
    } else {
        if (in.Size() < kPcxHeaderSize + kPcxPaletteSize) {
            ShowCouldNotLoad();
            return false;
        }
        const ConvertedPalette palette = ConvertPalette(in.Data() + in.Size() - kPcxPaletteSize, 3);
        m_source.colorTable = palette.Table(m_bgrOrder != 0);
    }

    // Rows are decoded by the file's own line length and the padding after the
    // visible width is dropped. A line length shorter than the width cannot be
    // right; the rows are then taken as exactly the width.
    const std::size_t lineBytes = static_cast<std::size_t>(std::max(bytesPerLine, width));
    const std::uint8_t* data = in.Data() + kPcxHeaderSize;
    const std::uint8_t* const end = in.Data() + in.Size();
    if (!FitsRunLength(Area(static_cast<std::int64_t>(lineBytes), height), static_cast<std::size_t>(end - data),
                       kPcxMaxRun)) {
        ShowCouldNotLoad();
        return false;
    }
    m_source.width = width;
    m_source.height = height;
    m_source.bitsPerPixel = 8;
    m_source.pixels.assign(Area(width, height), 0);

    // A run may carry on past the end of a line into the next one.
    int runLeft = 0;
    std::uint8_t runValue = 0;
    bool sawTransparent = false;
    for (int row = 0; row < height; ++row) {
        std::uint8_t* out = m_source.pixels.data() + std::size_t(height - 1 - row) * std::size_t(width);
        for (std::size_t x = 0; x < lineBytes; ++x) {
            while (runLeft == 0) {  // a count of zero stands for nothing
                if (data == end) {
                    ShowCouldNotLoad();
                    return false;
                }
                const std::uint8_t b = *data++;
                if ((b & 0xC0) != 0xC0) {
                    runLeft = 1;
                    runValue = b;
                } else if (data == end) {
                    ShowCouldNotLoad();
                    return false;
                } else {
                    runLeft = b & 0x3F;
                    runValue = *data++;
                }
            }
            --runLeft;
            if (x < static_cast<std::size_t>(width)) {
                out[x] = runValue;
                sawTransparent = sawTransparent || runValue == kTransparentIndex;
            }
        }
    }
    if (sawTransparent) {
        m_hasAlpha = 1;
        SetKeyFromTable(kTransparentIndex);
    }
    return true;
}

bool COGLImage::ReadWal(BinaryReader in) {
    in.Seek(kWalSizeOffset);
    const std::int32_t width = in.ReadI32();
    const std::int32_t height = in.ReadI32();
    const std::int32_t mipOffset = in.ReadI32();
    // A game's own pictures (a map's textures) take the game's palette when asked to.
    return ReadMipLevel(in, width, height, mipOffset, m_gamePalette != nullptr ? *m_gamePalette : Quake2Palette(),
                        kTransparentIndex);
}

bool COGLImage::ReadSwl(BinaryReader in) {
    if (in.Size() < kSwlHeaderSize) {
        ShowCouldNotLoad();
        return false;
    }
    in.Seek(kSwlSizeOffset);
    const std::int32_t width = in.ReadI32();
    const std::int32_t height = in.ReadI32();
    in.Seek(kSwlPaletteOffset);
    const ConvertedPalette palette = ConvertPalette(in.ReadSpan(1024), 4);
    in.Seek(kSwlMipOffset);
    const std::int32_t mipOffset = in.ReadI32();
    return ReadMipLevel(in, width, height, mipOffset, palette, kSwlTransparentIndex);
}

bool COGLImage::ReadMipLevel(const BinaryReader& in, std::int32_t width, std::int32_t height, std::int32_t mipOffset,
                             const ConvertedPalette& palette, int transparentIndex) {
    if (width <= 0 || height <= 0) {
        ShowCouldNotLoad();
        return false;
    }
    // Level 0 is width x height indices; the window refuses one outside the image.
    BinaryReader level = in.WindowSigned(mipOffset, static_cast<std::int64_t>(Area(width, height)));
    m_source.width = width;
    m_source.height = height;
    m_source.bitsPerPixel = 8;
    m_source.colorTable = palette.Table(m_bgrOrder != 0);
    m_source.pixels.assign(level.Data(), level.Data() + level.Size());
    FlipRows(m_source.pixels, static_cast<std::size_t>(width), height);
    if (m_bgrOrder == 0 &&
        std::find(m_source.pixels.begin(), m_source.pixels.end(), transparentIndex) != m_source.pixels.end()) {
        m_hasAlpha = 1;
        SetKeyFromTable(transparentIndex);
    }
    return true;
}

bool COGLImage::ReadTga(BinaryReader in) {
    const std::uint8_t idLength = in.ReadU8();
    const std::uint8_t mapType = in.ReadU8();
    const std::uint8_t imageType = in.ReadU8();
    in.Skip(2);  // first map entry
    const std::uint16_t mapLength = in.ReadU16();
    const std::uint8_t mapBits = in.ReadU8();
    in.Skip(4);  // origin
    const int width = in.ReadU16();
    const int height = in.ReadU16();
    const std::uint8_t pixelBits = in.ReadU8();
    const std::uint8_t descriptor = in.ReadU8();
    in.Skip(idLength);
    if (width == 0 || height == 0) {
        ShowCouldNotLoad();
        return false;
    }
    const auto& gamma = GammaTable();
    const bool bgr = m_bgrOrder != 0;
    m_source.width = width;
    m_source.height = height;

    if (imageType == 1) {
        if (mapType != 1 || pixelBits != 8 || (mapBits != 24 && mapBits != 32)) {
            ShowCouldNotLoad();
            return false;
        }
        const std::size_t entryBytes = mapBits / 8;
        for (std::size_t i = 0; i < mapLength; ++i) {
            const std::uint8_t* e = in.ReadSpan(entryBytes);
            if (i >= 256) {
                continue;  // only 256 colours can be indexed
            }
            std::uint8_t* out = m_source.colorTable.data() + i * 4;
            out[0] = gamma[bgr ? e[0] : e[2]];
            out[1] = gamma[e[1]];
            out[2] = gamma[bgr ? e[2] : e[0]];
            out[3] = entryBytes == 4 ? e[3] : 0;
        }
        const std::size_t count = in.CheckCount(static_cast<std::int64_t>(Area(width, height)), 1);
        const std::uint8_t* indices = in.ReadSpan(count);
        m_source.bitsPerPixel = 8;
        m_source.pixels.assign(indices, indices + count);
    } else if (imageType == 2 || imageType == 10) {
        if (mapType != 0 || (pixelBits != 24 && pixelBits != 32)) {
            ShowCouldNotLoad();
            return false;
        }
        const std::size_t bytes = pixelBits / 8;
        const std::uint64_t pixelCount = Area(width, height);
        if (imageType == 2) {
            in.CheckCount(static_cast<std::int64_t>(pixelCount), bytes);
        } else if (!FitsRunLength(pixelCount, in.Remaining(), kTgaMaxRun)) {
            ShowCouldNotLoad();
            return false;
        }
        m_source.bitsPerPixel = pixelBits;
        m_source.pixels.assign(pixelCount * bytes, 0);
        std::uint8_t* out = m_source.pixels.data();
        const auto put = [&](const std::uint8_t* p) {
            out[0] = gamma[bgr ? p[0] : p[2]];
            out[1] = gamma[p[1]];
            out[2] = gamma[bgr ? p[2] : p[0]];
            if (bytes == 4) {
                out[3] = p[3];  // alpha as stored, no gamma
            }
            out += bytes;
        };
        if (imageType == 2) {
            const std::uint8_t* p = in.ReadSpan(pixelCount * bytes);
            for (std::uint64_t i = 0; i < pixelCount; ++i, p += bytes) {
                put(p);
            }
        } else {
            // Packets run across rows: a header with the top bit set repeats one
            // pixel (low bits + 1) times, else that many literal pixels follow.
            std::uint64_t done = 0;
            while (done < pixelCount) {
                const std::uint8_t header = in.ReadU8();
                const std::uint64_t count = std::min<std::uint64_t>((header & 0x7F) + 1u, pixelCount - done);
                if ((header & 0x80) != 0) {
                    const std::uint8_t* p = in.ReadSpan(bytes);
                    for (std::uint64_t i = 0; i < count; ++i) {
                        put(p);
                    }
                } else {
                    const std::uint8_t* p = in.ReadSpan(((header & 0x7F) + 1u) * bytes);
                    for (std::uint64_t i = 0; i < count; ++i, p += bytes) {
                        put(p);
                    }
                }
                done += count;
            }
        }
        if (bytes == 4) {
            m_hasAlpha = 1;
            m_fileAlpha = 1;
        }
    } else {
        ShowCouldNotLoad();
        return false;
    }
    if ((descriptor & kTgaTopLeft) != 0) {
        FlipRows(m_source.pixels, std::size_t(width) * std::size_t(m_source.bitsPerPixel / 8), height);
    }
    return true;
}

bool COGLImage::ReadJpeg(BinaryReader in) {
    JpegPixels decoded;
    switch (DecodeJpeg(in.Data(), in.Size(), decoded)) {
        case JpegStatus::NotRgb:
            GetHost().ShowMessage(msg::kJpegFormat.text);
            return false;
        case JpegStatus::Error:
            WriteErrorLog(decoded.error);
            return false;
        case JpegStatus::Ok:
            break;
    }
    const auto& gamma = GammaTable();
    const bool bgr = m_bgrOrder != 0;
    for (std::size_t i = 0; i < decoded.rgb.size(); i += 3) {
        const std::uint8_t r = gamma[decoded.rgb[i]];
        const std::uint8_t b = gamma[decoded.rgb[i + 2]];
        decoded.rgb[i] = bgr ? b : r;
        decoded.rgb[i + 1] = gamma[decoded.rgb[i + 1]];
        decoded.rgb[i + 2] = bgr ? r : b;
    }
    FlipRows(decoded.rgb, std::size_t(decoded.width) * 3, decoded.height);
    m_source.width = decoded.width;
    m_source.height = decoded.height;
    m_source.bitsPerPixel = 24;
    m_source.pixels = std::move(decoded.rgb);
    return true;
}

bool COGLImage::ReadPng(BinaryReader in) {
    auto decoded = DecodePng(in.Data(), in.Size());
    if (!decoded) {
        ShowCouldNotLoad();
        return false;
    }
    // As a truecolour TGA: colours through the gamma table, alpha as stored.
    const auto& gamma = GammaTable();
    const bool bgr = m_bgrOrder != 0;
    const std::size_t bytes = static_cast<std::size_t>(decoded->channels);
    for (std::size_t i = 0; i + bytes <= decoded->pixels.size(); i += bytes) {
        std::uint8_t* p = decoded->pixels.data() + i;
        const std::uint8_t r = gamma[p[0]];
        const std::uint8_t b = gamma[p[2]];
        p[0] = bgr ? b : r;
        p[1] = gamma[p[1]];
        p[2] = bgr ? r : b;
    }
    FlipRows(decoded->pixels, std::size_t(decoded->width) * bytes, decoded->height);
    m_source.width = decoded->width;
    m_source.height = decoded->height;
    m_source.bitsPerPixel = static_cast<int>(bytes * 8);
    m_source.pixels = std::move(decoded->pixels);
    if (bytes == 4) {
        m_hasAlpha = 1;
        m_fileAlpha = 1;
    }
    return true;
}
