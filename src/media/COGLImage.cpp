#include "media/COGLImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "media/Archive.h"
#include "media/Palette.h"
#include "media/PictureRows.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"

namespace picture_rows {
void FlipRows(std::vector<std::uint8_t>& pixels, std::size_t rowBytes, int height) {
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(std::size_t(top) * rowBytes),
                         pixels.begin() + static_cast<std::ptrdiff_t>(std::size_t(top + 1) * rowBytes),
                         pixels.begin() + static_cast<std::ptrdiff_t>(std::size_t(bottom) * rowBytes));
    }
}

void ShowCouldNotLoad() { GetHost().ShowMessage(msg::kCouldNotLoadBitmap.text); }
}  // namespace picture_rows

using namespace picture_rows;

namespace {
bool SuffixIs(const std::string& name, const char* suffix) {
    return name.size() >= 3 && fs_util::EqualsIgnoreCase(name.substr(name.size() - 3), suffix);
}

}  // namespace

const char* PictureFormatName(PictureFormat format) {
    switch (format) {
        case PictureFormat::Bmp: return "bmp";
        case PictureFormat::Pcx: return "pcx";
        case PictureFormat::Tga: return "tga";
        case PictureFormat::Wal: return "wal";
        case PictureFormat::Swl: return "swl";
        case PictureFormat::Jpg: return "jpg";
        case PictureFormat::Png: return "png";
    }
    return "";
}

std::optional<PictureFormat> COGLImage::FormatFromExtension(const std::string& extension) {
    static constexpr std::pair<const char*, PictureFormat> kOrder[] = {
        {"BMP", PictureFormat::Bmp}, {"PCX", PictureFormat::Pcx}, {"TGA", PictureFormat::Tga},
        {"WAL", PictureFormat::Wal}, {"SWL", PictureFormat::Swl}, {"JPG", PictureFormat::Jpg},
        {"PNG", PictureFormat::Png},
    };
    for (const auto& [name, format] : kOrder) {
        if (fs_util::EqualsIgnoreCase(extension, name)) {
            return format;
        }
    }
    return std::nullopt;
}

bool COGLImage::IsArchivePicture(const Archive& archive, const std::string& name) {
    if (FormatFromExtension(fs_util::ExtensionOf(name))) {
        return true;
    }
    const PakEntry* entry = archive.FindEntry(name);
    return entry != nullptr && archive.IsPicture(*entry);
}

int COGLImage::NearestPowerOfTwo(int n) {
    n = std::min(n, 1024);
    int best = 2;
    for (int candidate = 4; candidate <= 1024; candidate *= 2) {
        // Strictly closer only: on a tie the smaller power stays.
        if (std::abs(candidate - n) < std::abs(best - n)) {
            best = candidate;
        }
    }
    return best;
}

void COGLImage::FreePixels() {
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    m_source = Intermediate{};
}

void COGLImage::Copy(const COGLImage& other) {
    m_resize = other.m_resize;
    m_width = other.m_width;
    m_height = other.m_height;
    m_path = other.m_path;
    m_bgrOrder = other.m_bgrOrder;
    m_hasAlpha = other.m_hasAlpha;
    m_fileAlpha = other.m_fileAlpha;
    m_keyColor = other.m_keyColor;
    // The conversion is a pure function of the fields just copied, so converting
    // the other picture again gives exactly its pixels.
    m_pixels = other.m_pixels;
    m_source = Intermediate{};
}

bool COGLImage::LoadFile(const std::string& path, bool resize, bool defaultPalette) {
    FreePixels();
    m_path = path;
    m_resize = resize ? 1 : 0;
    const auto format = FormatFromExtension(fs_util::ExtensionOf(path));
    if (!format) {
        return false;
    }
    if (*format == PictureFormat::Bmp && defaultPalette) {
        GetHost().ShowMessage(msg::kDefaultPaletteForPcxOnly.text);
    }
    const auto bytes = ReadWholeFile(fs_util::ResolvePath(path));
    if (!bytes) {
        return false;
    }
    return LoadFromMemory(*format, bytes->data(), bytes->size(), resize, defaultPalette && *format == PictureFormat::Pcx,
                          m_bgrOrder != 0);
}

bool COGLImage::LoadFromArchive(Archive& archive, const PakEntry& entry, bool resize, bool defaultPalette,
                                bool bgrOrder) {
    FreePixels();
    m_path = entry.name;
    m_resize = resize ? 1 : 0;
    m_bgrOrder = bgrOrder ? 1 : 0;
    if (archive.IsPicture(entry)) {
        return archive.LoadPicture(entry, *this, resize, bgrOrder);
    }
    std::optional<PictureFormat> format;
    for (PictureFormat candidate : {PictureFormat::Pcx, PictureFormat::Wal, PictureFormat::Tga, PictureFormat::Jpg,
                                  PictureFormat::Swl, PictureFormat::Bmp, PictureFormat::Png}) {
        if (SuffixIs(entry.name, PictureFormatName(candidate))) {
            format = candidate;
            break;
        }
    }
    if (!format) {
        GetHost().ShowMessage(msg::kInvalidImageFormat.text);
        return false;
    }
    const auto bytes = archive.ReadEntry(entry);
    if (!bytes) {
        ShowCouldNotLoad();
        return false;
    }
    // An archive of a game draws its 8-bit pictures with that game's palette.
    m_gamePalette = defaultPalette ? archive.GamePalette() : nullptr;
    const bool ok = LoadFromMemory(*format, bytes->data(), bytes->size(), resize, defaultPalette, bgrOrder);
    m_gamePalette = nullptr;
    return ok;
}

void COGLImage::StartDecoding(bool resize, bool bgrOrder) {
    FreePixels();
    m_resize = resize ? 1 : 0;
    m_bgrOrder = bgrOrder ? 1 : 0;
    m_hasAlpha = 0;
    m_fileAlpha = 0;
    m_keyColor = {};
    m_width = m_height = 0;
}

bool COGLImage::LoadFromMemory(PictureFormat format, const std::uint8_t* data, std::size_t size, bool resize,
                               bool defaultPalette, bool bgrOrder) {
    StartDecoding(resize, bgrOrder);
    if (!Decode(format, BinaryReader(data, size), defaultPalette)) {
        FreePixels();
        m_width = m_height = 0;
        return false;
    }
    const bool ok = m_hasAlpha != 0 ? ConvertTo32() : ConvertTo24();
    m_source = Intermediate{};
    return ok;
}

bool COGLImage::Decode(PictureFormat format, BinaryReader in, bool defaultPalette) {
    try {
        switch (format) {
            case PictureFormat::Bmp: return ReadBmp(in);
            case PictureFormat::Pcx: return ReadPcx(in, defaultPalette);
            case PictureFormat::Tga: return ReadTga(in);
            case PictureFormat::Wal: return ReadWal(in);
            case PictureFormat::Swl: return ReadSwl(in);
            case PictureFormat::Jpg: return ReadJpeg(in);
            case PictureFormat::Png: return ReadPng(in);
        }
    } catch (const ReadError&) {
    } catch (const std::bad_alloc&) {
    }
    ShowCouldNotLoad();
    return false;
}

void COGLImage::SetKeyFromTable(int index) {
    const std::uint8_t* entry = m_source.colorTable.data() + index * 4;
    m_keyColor = {entry[0], entry[1], entry[2]};
}

bool COGLImage::LoadIndexed(BinaryReader& in, int width, int height) {
    FreePixels();
    m_resize = 1;
    m_hasAlpha = 0;
    m_fileAlpha = 0;
    m_width = m_height = 0;
    try {
        if (width <= 0 || height <= 0) {
            throw ReadError("empty indexed picture");
        }
        const std::size_t count = in.CheckCount(static_cast<std::int64_t>(Area(width, height)), 1);
        const std::uint8_t* indices = in.ReadSpan(count);
        m_source.width = width;
        m_source.height = height;
        m_source.bitsPerPixel = 8;
        m_source.colorTable = Quake1Palette().Table(m_bgrOrder != 0);
        m_source.pixels.assign(indices, indices + count);
        FlipRows(m_source.pixels, static_cast<std::size_t>(width), height);
    } catch (const ReadError&) {
        ShowCouldNotLoad();
        FreePixels();
        return false;
    }
    const bool ok = ConvertTo24();
    m_source = Intermediate{};
    return ok;
}

bool COGLImage::LoadIndexed(BinaryReader& in, const std::uint8_t* palette, int width, int height, int mode) {
    FreePixels();
    m_resize = 1;
    m_hasAlpha = 0;
    m_fileAlpha = 0;
    m_width = m_height = 0;
    if (mode < 0 || mode > 3) {
        return true;
    }
    const std::uint8_t* indices = nullptr;
    try {
        if (width <= 0 || height <= 0 || palette == nullptr) {
            throw ReadError("empty indexed picture");
        }
        const std::size_t count = in.CheckCount(static_cast<std::int64_t>(Area(width, height)), 1);
        indices = in.ReadSpan(count);
    } catch (const ReadError&) {
        ShowCouldNotLoad();
        return false;
    }
    if (mode == 2) {
        return BoxFilterIndexed(indices, palette, width, height);
    }
    m_source.width = width;
    m_source.height = height;
    m_source.bitsPerPixel = 8;
    std::copy_n(palette, m_source.colorTable.size(), m_source.colorTable.begin());
    m_source.pixels.assign(indices, indices + std::size_t(width) * std::size_t(height));
    FlipRows(m_source.pixels, static_cast<std::size_t>(width), height);
    bool ok = false;
    if (mode == 3) {
        m_hasAlpha = 1;
        SetKeyFromTable(kTransparentIndex);
        ok = ConvertTo32();
    } else {
        ok = ConvertTo24();
    }
    m_source = Intermediate{};
    return ok;
}

bool COGLImage::BoxFilterIndexed(const std::uint8_t* indices, const std::uint8_t* palette, int width, int height) {
    const auto target = [](int n) {
        int size = 1;
        while (size < n && size < 256) {
            size *= 2;
        }
        return size;
    };
    const int outWidth = target(width);
    const int outHeight = target(height);
    std::vector<int> cols(std::size_t(outWidth) * 2);
    std::vector<int> rows(std::size_t(outHeight) * 2);
    for (int i = 0; i < outWidth; ++i) {
        const double step = static_cast<double>(width) / outWidth;
        cols[std::size_t(i) * 2] = static_cast<int>(step * (i + 0.25));
        cols[std::size_t(i) * 2 + 1] = static_cast<int>(step * (i + 0.75));
    }
    for (int j = 0; j < outHeight; ++j) {
        const double step = static_cast<double>(height) / outHeight;
        rows[std::size_t(j) * 2] = static_cast<int>(step * (j + 0.25));
        rows[std::size_t(j) * 2 + 1] = static_cast<int>(step * (j + 0.75));
    }
    try {
        m_pixels.assign(std::size_t(outWidth) * std::size_t(outHeight) * 4, 0);
    } catch (const std::bad_alloc&) {
        GetHost().ShowMessage(msg::kBitmapProcessingError.text);
        return false;
    }
    for (int j = 0; j < outHeight; ++j) {
        const std::uint8_t* row0 = indices + std::size_t(rows[std::size_t(j) * 2]) * std::size_t(width);
        const std::uint8_t* row1 = indices + std::size_t(rows[std::size_t(j) * 2 + 1]) * std::size_t(width);
        // The picture's top row is written last: rows run bottom to top.
        std::uint8_t* out = m_pixels.data() + std::size_t(outHeight - 1 - j) * std::size_t(outWidth) * 4;
        for (int i = 0; i < outWidth; ++i, out += 4) {
            const int c0 = cols[std::size_t(i) * 2];
            const int c1 = cols[std::size_t(i) * 2 + 1];
            const std::uint8_t* p[4] = {palette + row0[c0] * 4, palette + row0[c1] * 4, palette + row1[c0] * 4,
                                        palette + row1[c1] * 4};
            for (int c = 0; c < 3; ++c) {
                out[c] = static_cast<std::uint8_t>((p[0][c] + p[1][c] + p[2][c] + p[3][c]) >> 2);
            }
            out[3] = row0[c0];
        }
    }
    m_width = outWidth;
    m_height = outHeight;
    m_hasAlpha = 1;
    return true;
}

bool COGLImage::LoadPaletted(const std::uint8_t* indices, int width, int height, const ConvertedPalette& palette,
                             int transparentIndex, bool resize, bool bgrOrder) {
    StartDecoding(resize, bgrOrder);
    if (indices == nullptr || width <= 0 || height <= 0) {
        ShowCouldNotLoad();
        return false;
    }
    try {
        m_source.width = width;
        m_source.height = height;
        m_source.bitsPerPixel = 8;
        m_source.colorTable = palette.Table(bgrOrder);
        m_source.pixels.assign(indices, indices + Area(width, height));
    } catch (const std::bad_alloc&) {
        FreePixels();
        ShowCouldNotLoad();
        return false;
    }
    FlipRows(m_source.pixels, static_cast<std::size_t>(width), height);
    if (transparentIndex >= 0 && transparentIndex <= kTransparentIndex &&
        std::find(m_source.pixels.begin(), m_source.pixels.end(), transparentIndex) != m_source.pixels.end()) {
        m_hasAlpha = 1;
        SetKeyFromTable(transparentIndex);
    }
    const bool ok = m_hasAlpha != 0 ? ConvertTo32() : ConvertTo24();
    m_source = Intermediate{};
    return ok;
}

bool COGLImage::LoadTinted(const std::uint8_t* indices, int width, int height, const ConvertedPalette& palette,
                           int tintIndex, bool resize, bool bgrOrder) {
    StartDecoding(resize, bgrOrder);
    if (indices == nullptr || width <= 0 || height <= 0 || tintIndex < 0 || tintIndex > kTransparentIndex) {
        ShowCouldNotLoad();
        return false;
    }
    const std::uint8_t* tint = palette.Table(bgrOrder).data() + std::size_t(tintIndex) * 4;
    try {
        m_source.pixels.resize(Area(width, height) * 4);
    } catch (const std::bad_alloc&) {
        FreePixels();
        ShowCouldNotLoad();
        return false;
    }
    m_source.width = width;
    m_source.height = height;
    m_source.bitsPerPixel = 32;
    std::uint8_t* out = m_source.pixels.data();
    for (std::uint64_t i = 0; i < Area(width, height); ++i, out += 4) {
        out[0] = tint[0];
        out[1] = tint[1];
        out[2] = tint[2];
        out[3] = indices[i];
    }
    FlipRows(m_source.pixels, std::size_t(width) * 4, height);
    m_hasAlpha = 1;
    m_fileAlpha = 1;
    const bool ok = ConvertTo32();
    m_source = Intermediate{};
    return ok;
}

bool COGLImage::FromPixels(const std::uint8_t* rgb, int width, int height) {
    FreePixels();
    m_hasAlpha = 0;
    m_fileAlpha = 0;
    if (rgb == nullptr || width <= 0 || height <= 0) {
        m_width = m_height = 0;
        return false;
    }
    m_width = width;
    m_height = height;
    m_pixels.assign(rgb, rgb + std::size_t(width) * std::size_t(height) * 3);
    return true;
}

bool COGLImage::ConvertTo24() { return Convert(3); }
bool COGLImage::ConvertTo32() { return Convert(4); }

bool COGLImage::Convert(int bytesPerPixel) {
    const Intermediate& src = m_source;
    if (src.width <= 0 || src.height <= 0) {
        GetHost().ShowMessage(msg::kBitmapProcessingError.text);
        return false;
    }
    const int width = m_resize != 0 ? NearestPowerOfTwo(src.width) : src.width;
    const int height = m_resize != 0 ? NearestPowerOfTwo(src.height) : src.height;
    const std::size_t outBytes = static_cast<std::size_t>(bytesPerPixel);
    const std::size_t inBytes = static_cast<std::size_t>(src.bitsPerPixel / 8);
    // Same size and layout, no key to apply: the intermediate already is the result.
    if (width == src.width && height == src.height && inBytes == outBytes &&
        (outBytes == 3 || m_fileAlpha != 0)) {
        m_pixels = std::move(m_source.pixels);
        m_width = width;
        m_height = height;
        return true;
    }
    std::vector<std::size_t> columns;
    try {
        m_pixels.assign(std::size_t(width) * std::size_t(height) * outBytes, 0);
        columns.resize(static_cast<std::size_t>(width));
    } catch (const std::bad_alloc&) {
        m_pixels.clear();
        GetHost().ShowMessage(msg::kBitmapProcessingError.text);
        return false;
    }
    // Nearest-pixel scaling: whole source rows and columns are dropped or repeated.
    for (int x = 0; x < width; ++x) {
        columns[std::size_t(x)] = static_cast<std::size_t>(std::int64_t(x) * src.width / width);
    }
    const bool keyed = bytesPerPixel == 4 && !(m_fileAlpha != 0 && inBytes == 4);
    std::uint8_t* out = m_pixels.data();
    for (int y = 0; y < height; ++y) {
        const std::size_t sy = static_cast<std::size_t>(std::int64_t(y) * src.height / height);
        const std::uint8_t* row = src.pixels.data() + sy * std::size_t(src.width) * inBytes;
        for (int x = 0; x < width; ++x, out += outBytes) {
            const std::uint8_t* p = inBytes == 1 ? src.colorTable.data() + std::size_t(row[columns[std::size_t(x)]]) * 4
                                                 : row + columns[std::size_t(x)] * inBytes;
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
            if (bytesPerPixel == 4) {
                if (keyed) {
                    const bool isKey = p[0] == m_keyColor[0] && p[1] == m_keyColor[1] && p[2] == m_keyColor[2];
                    out[3] = isKey ? 0 : 255;
                } else {
                    out[3] = p[3];
                }
            }
        }
    }
    m_width = width;
    m_height = height;
    return true;
}
