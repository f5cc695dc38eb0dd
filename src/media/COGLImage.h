#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/BinaryIO.h"

class Archive;
struct ConvertedPalette;
struct PakEntry;

// The picture formats the readers know.
enum class PictureFormat { Bmp, Pcx, Tga, Wal, Swl, Jpg, Png };
const char* PictureFormatName(PictureFormat format);  // "bmp", "pcx", ...

// One picture read from a disk file, an archive entry or raw palette indices,
// turned into 8-bit RGB or RGBA pixels ready for upload or display.
//
// Every reader builds an intermediate picture first (8-bit indices with a colour
// table, or 24- or 32-bit pixels, already in the final byte order and through the
// gamma table where that applies); ConvertTo24 or ConvertTo32 then makes the final
// pixels. Final pixels hold the bottom row first.
class COGLImage {
public:
    COGLImage() = default;
    virtual ~COGLImage() = default;
    COGLImage(const COGLImage&) = delete;
    COGLImage& operator=(const COGLImage&) = delete;

    // Dispatches on the extension ("bmp", "pcx", "tga", "wal", "swl", "jpg", "png",
    // any case); any other extension, or a file that cannot be read, fails quietly.
    // The default-palette flag is for PCX files only.
    bool LoadFile(const std::string& path, bool resize, bool defaultPalette);
    // Reads an archive entry: a picture in the archive's own format (a WAD's) is
    // decoded by the archive, any other by the last three characters of its name
    // ("pcx", "wal", "tga", "jpg", "swl", and, mending the Part, which reads no BMP
    // from archives, "bmp" and a port's "png"), any case, from the entry's bytes.
    // With the default-palette flag a PCX and a WAL take the archive's game palette
    // (Archive::GamePalette) where it has one.
    bool LoadFromArchive(Archive& archive, const PakEntry& entry, bool resize, bool defaultPalette, bool bgrOrder);
    // Decodes bytes already in memory as the given format.
    bool LoadFromMemory(PictureFormat format, const std::uint8_t* data, std::size_t size, bool resize,
                        bool defaultPalette, bool bgrOrder);

    // width x height palette indices (top row first) with the built-in Quake 1
    // palette; the size is resized to powers of two.
    bool LoadIndexed(BinaryReader& in, int width, int height);
    // width x height palette indices (top row first) with a palette of 256 x 4
    // bytes used as given (no gamma). Mode 0 and 1 are opaque, mode 3 keys out
    // entry 255, mode 2 box-filters into RGBA whose alpha is the palette index;
    // a mode above 3 makes nothing and still succeeds.
    bool LoadIndexed(BinaryReader& in, const std::uint8_t* palette, int width, int height, int mode);
    // width x height palette indices (top row first) with a palette already through
    // the gamma table; `transparentIndex` (or -1 for none) keys its colour out when
    // the picture uses it.
    bool LoadPaletted(const std::uint8_t* indices, int width, int height, const ConvertedPalette& palette,
                      int transparentIndex, bool resize, bool bgrOrder);
    // width x height indices (top row first) that are opacities: every pixel takes
    // the colour of `palette` (already through the gamma table) at `tintIndex`, its
    // index its alpha, as Half-Life draws a decal.
    bool LoadTinted(const std::uint8_t* indices, int width, int height, const ConvertedPalette& palette, int tintIndex,
                    bool resize, bool bgrOrder);
    // Wraps RGB pixels (bottom row first) without conversion.
    bool FromPixels(const std::uint8_t* rgb, int width, int height);

    // Copies every field and converts the other image's picture again.
    void Copy(const COGLImage& other);
    void FreePixels();

    // The power of two (2 .. 1024) nearest to n, n first limited to 1024; a tie
    // goes to the smaller one.
    static int NearestPowerOfTwo(int n);
    static std::optional<PictureFormat> FormatFromExtension(const std::string& extension);
    // Whether the archive's entry of that name is a picture: one of the formats
    // above by its extension, or one in the archive's own format (a WAD's).
    static bool IsArchivePicture(const Archive& archive, const std::string& name);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool HasAlpha() const { return m_hasAlpha != 0; }
    bool FileAlpha() const { return m_fileAlpha != 0; }
    int BytesPerPixel() const { return m_hasAlpha != 0 ? 4 : 3; }
    bool IsBgrOrder() const { return m_bgrOrder != 0; }
    // For pictures shown in a window: B, G, R order (LoadFile and the indexed forms).
    void SetBgrOrder(bool bgrOrder) { m_bgrOrder = bgrOrder ? 1 : 0; }
    const std::vector<std::uint8_t>& Pixels() const { return m_pixels; }
    bool HasPixels() const { return !m_pixels.empty(); }
    const std::string& Path() const { return m_path; }
    void SetPath(const std::string& path) { m_path = path; }
    const std::array<std::uint8_t, 3>& KeyColor() const { return m_keyColor; }

private:
    struct Intermediate {
        int width = 0;
        int height = 0;
        int bitsPerPixel = 0;                // 8, 24 or 32
        std::vector<std::uint8_t> pixels;    // bottom row first, rows packed
        std::array<std::uint8_t, 1024> colorTable{};  // 8-bit only: 256 x 4, final order
    };

    // Forgets the last picture and takes the options of the next one.
    void StartDecoding(bool resize, bool bgrOrder);
    bool Decode(PictureFormat format, BinaryReader in, bool defaultPalette);
    bool ReadBmp(BinaryReader in);
    bool ReadPcx(BinaryReader in, bool defaultPalette);
    bool ReadWal(BinaryReader in);
    bool ReadSwl(BinaryReader in);
    // Level 0 of a WAL or SWL picture: width x height indices at mipOffset, top row
    // first, in `palette`; `transparentIndex` marks the pixels a key colour hides.
    bool ReadMipLevel(const BinaryReader& in, std::int32_t width, std::int32_t height, std::int32_t mipOffset,
                      const ConvertedPalette& palette, int transparentIndex);
    bool ReadTga(BinaryReader in);
    bool ReadJpeg(BinaryReader in);
    bool ReadPng(BinaryReader in);
    bool BoxFilterIndexed(const std::uint8_t* indices, const std::uint8_t* palette, int width, int height);
    void SetKeyFromTable(int index);

    bool ConvertTo24();
    bool ConvertTo32();
    bool Convert(int bytesPerPixel);

    std::uint8_t m_resize = 0;
    int m_width = 0;
    int m_height = 0;
    std::string m_path;
    std::vector<std::uint8_t> m_pixels;
    std::uint8_t m_bgrOrder = 0;
    std::uint8_t m_hasAlpha = 0;
    std::uint8_t m_fileAlpha = 0;
    std::array<std::uint8_t, 3> m_keyColor{};
    Intermediate m_source;
    // While an archive's picture decodes: the palette that stands for the default one.
    const ConvertedPalette* m_gamePalette = nullptr;
};
