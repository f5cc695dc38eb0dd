#include "media/Palette.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"

namespace {
// Quake 2's palette (pics/colormap.pcx).
constexpr RawPalette kQuake2Palette = {
      0,   0,   0,  15,  15,  15,  31,  31,  31,  47,  47,  47,
     63,  63,  63,  75,  75,  75,  91,  91,  91, 107, 107, 107,
    123, 123, 123, 139, 139, 139, 155, 155, 155, 171, 171, 171,
    187, 187, 187, 203, 203, 203, 219, 219, 219, 235, 235, 235,
     99,  75,  35,  91,  67,  31,  83,  63,  31,  79,  59,  27,
     71,  55,  27,  63,  47,  23,  59,  43,  23,  51,  39,  19,
     47,  35,  19,  43,  31,  19,  39,  27,  15,  35,  23,  15,
     27,  19,  11,  23,  15,  11,  19,  15,   7,  15,  11,   7,
     95,  95, 111,  91,  91, 103,  91,  83,  95,  87,  79,  91,
     83,  75,  83,  79,  71,  75,  71,  63,  67,  63,  59,  59,
     59,  55,  55,  51,  47,  47,  47,  43,  43,  39,  39,  39,
     35,  35,  35,  27,  27,  27,  23,  23,  23,  19,  19,  19,
    143, 119,  83, 123,  99,  67, 115,  91,  59, 103,  79,  47,
    207, 151,  75, 167, 123,  59, 139, 103,  47, 111,  83,  39,
    235, 159,  39, 203, 139,  35, 175, 119,  31, 147,  99,  27,
    119,  79,  23,  91,  59,  15,  63,  39,  11,  35,  23,   7,
    167,  59,  43, 159,  47,  35, 151,  43,  27, 139,  39,  19,
    127,  31,  15, 115,  23,  11, 103,  23,   7,  87,  19,   0,
     75,  15,   0,  67,  15,   0,  59,  15,   0,  51,  11,   0,
     43,  11,   0,  35,  11,   0,  27,   7,   0,  19,   7,   0,
    123,  95,  75, 115,  87,  67, 107,  83,  63, 103,  79,  59,
     95,  71,  55,  87,  67,  51,  83,  63,  47,  75,  55,  43,
     67,  51,  39,  63,  47,  35,  55,  39,  27,  47,  35,  23,
     39,  27,  19,  31,  23,  15,  23,  15,  11,  15,  11,   7,
    111,  59,  23,  95,  55,  23,  83,  47,  23,  67,  43,  23,
     55,  35,  19,  39,  27,  15,  27,  19,  11,  15,  11,   7,
    179,  91,  79, 191, 123, 111, 203, 155, 147, 215, 187, 183,
    203, 215, 223, 179, 199, 211, 159, 183, 195, 135, 167, 183,
    115, 151, 167,  91, 135, 155,  71, 119, 139,  47, 103, 127,
     23,  83, 111,  19,  75, 103,  15,  67,  91,  11,  63,  83,
      7,  55,  75,   7,  47,  63,   7,  39,  51,   0,  31,  43,
      0,  23,  31,   0,  15,  19,   0,   7,  11,   0,   0,   0,
    139,  87,  87, 131,  79,  79, 123,  71,  71, 115,  67,  67,
    107,  59,  59,  99,  51,  51,  91,  47,  47,  87,  43,  43,
     75,  35,  35,  63,  31,  31,  51,  27,  27,  43,  19,  19,
     31,  15,  15,  19,  11,  11,  11,   7,   7,   0,   0,   0,
    151, 159, 123, 143, 151, 115, 135, 139, 107, 127, 131,  99,
    119, 123,  95, 115, 115,  87, 107, 107,  79,  99,  99,  71,
     91,  91,  67,  79,  79,  59,  67,  67,  51,  55,  55,  43,
     47,  47,  35,  35,  35,  27,  23,  23,  19,  15,  15,  11,
    159,  75,  63, 147,  67,  55, 139,  59,  47, 127,  55,  39,
    119,  47,  35, 107,  43,  27,  99,  35,  23,  87,  31,  19,
     79,  27,  15,  67,  23,  11,  55,  19,  11,  43,  15,   7,
     31,  11,   7,  23,   7,   0,  11,   0,   0,   0,   0,   0,
    119, 123, 207, 111, 115, 195, 103, 107, 183,  99,  99, 167,
     91,  91, 155,  83,  87, 143,  75,  79, 127,  71,  71, 115,
     63,  63, 103,  55,  55,  87,  47,  47,  75,  39,  39,  63,
     35,  31,  47,  27,  23,  35,  19,  15,  23,  11,   7,   7,
    155, 171, 123, 143, 159, 111, 135, 151,  99, 123, 139,  87,
    115, 131,  75, 103, 119,  67,  95, 111,  59,  87, 103,  51,
     75,  91,  39,  63,  79,  27,  55,  67,  19,  47,  59,  11,
     35,  47,   7,  27,  35,   0,  19,  23,   0,  11,  15,   0,
      0, 255,   0,  35, 231,  15,  63, 211,  27,  83, 187,  39,
     95, 167,  47,  95, 143,  51,  95, 123,  51, 255, 255, 255,
    255, 255, 211, 255, 255, 167, 255, 255, 127, 255, 255,  83,
    255, 255,  39, 255, 235,  31, 255, 215,  23, 255, 191,  15,
    255, 171,   7, 255, 147,   0, 239, 127,   0, 227, 107,   0,
    211,  87,   0, 199,  71,   0, 183,  59,   0, 171,  43,   0,
    155,  31,   0, 143,  23,   0, 127,  15,   0, 115,   7,   0,
     95,   0,   0,  71,   0,   0,  47,   0,   0,  27,   0,   0,
    239,   0,   0,  55,  55, 255, 255,   0,   0,   0,   0, 255,
     43,  43,  35,  27,  27,  23,  19,  19,  15, 235, 151, 127,
    195, 115,  83, 159,  87,  51, 123,  63,  27, 235, 211, 199,
    199, 171, 155, 167, 139, 119, 135, 107,  87, 159,  91,  83,};

// Quake's palette (gfx/palette.lmp).
constexpr RawPalette kQuake1Palette = {
      0,   0,   0,  15,  15,  15,  31,  31,  31,  47,  47,  47,
     63,  63,  63,  75,  75,  75,  91,  91,  91, 107, 107, 107,
    123, 123, 123, 139, 139, 139, 155, 155, 155, 171, 171, 171,
    187, 187, 187, 203, 203, 203, 219, 219, 219, 235, 235, 235,
     15,  11,   7,  23,  15,  11,  31,  23,  11,  39,  27,  15,
     47,  35,  19,  55,  43,  23,  63,  47,  23,  75,  55,  27,
     83,  59,  27,  91,  67,  31,  99,  75,  31, 107,  83,  31,
    115,  87,  31, 123,  95,  35, 131, 103,  35, 143, 111,  35,
     11,  11,  15,  19,  19,  27,  27,  27,  39,  39,  39,  51,
     47,  47,  63,  55,  55,  75,  63,  63,  87,  71,  71, 103,
     79,  79, 115,  91,  91, 127,  99,  99, 139, 107, 107, 151,
    115, 115, 163, 123, 123, 175, 131, 131, 187, 139, 139, 203,
      0,   0,   0,   7,   7,   0,  11,  11,   0,  19,  19,   0,
     27,  27,   0,  35,  35,   0,  43,  43,   7,  47,  47,   7,
     55,  55,   7,  63,  63,   7,  71,  71,   7,  75,  75,  11,
     83,  83,  11,  91,  91,  11,  99,  99,  11, 107, 107,  15,
      7,   0,   0,  15,   0,   0,  23,   0,   0,  31,   0,   0,
     39,   0,   0,  47,   0,   0,  55,   0,   0,  63,   0,   0,
     71,   0,   0,  79,   0,   0,  87,   0,   0,  95,   0,   0,
    103,   0,   0, 111,   0,   0, 119,   0,   0, 127,   0,   0,
     19,  19,   0,  27,  27,   0,  35,  35,   0,  47,  43,   0,
     55,  47,   0,  67,  55,   0,  75,  59,   7,  87,  67,   7,
     95,  71,   7, 107,  75,  11, 119,  83,  15, 131,  87,  19,
    139,  91,  19, 151,  95,  27, 163,  99,  31, 175, 103,  35,
     35,  19,   7,  47,  23,  11,  59,  31,  15,  75,  35,  19,
     87,  43,  23,  99,  47,  31, 115,  55,  35, 127,  59,  43,
    143,  67,  51, 159,  79,  51, 175,  99,  47, 191, 119,  47,
    207, 143,  43, 223, 171,  39, 239, 203,  31, 255, 243,  27,
     11,   7,   0,  27,  19,   0,  43,  35,  15,  55,  43,  19,
     71,  51,  27,  83,  55,  35,  99,  63,  43, 111,  71,  51,
    127,  83,  63, 139,  95,  71, 155, 107,  83, 167, 123,  95,
    183, 135, 107, 195, 147, 123, 211, 163, 139, 227, 179, 151,
    171, 139, 163, 159, 127, 151, 147, 115, 135, 139, 103, 123,
    127,  91, 111, 119,  83,  99, 107,  75,  87,  95,  63,  75,
     87,  55,  67,  75,  47,  55,  67,  39,  47,  55,  31,  35,
     43,  23,  27,  35,  19,  19,  23,  11,  11,  15,   7,   7,
    187, 115, 159, 175, 107, 143, 163,  95, 131, 151,  87, 119,
    139,  79, 107, 127,  75,  95, 115,  67,  83, 107,  59,  75,
     95,  51,  63,  83,  43,  55,  71,  35,  43,  59,  31,  35,
     47,  23,  27,  35,  19,  19,  23,  11,  11,  15,   7,   7,
    219, 195, 187, 203, 179, 167, 191, 163, 155, 175, 151, 139,
    163, 135, 123, 151, 123, 111, 135, 111,  95, 123,  99,  83,
    107,  87,  71,  95,  75,  59,  83,  63,  51,  67,  51,  39,
     55,  43,  31,  39,  31,  23,  27,  19,  15,  15,  11,   7,
    111, 131, 123, 103, 123, 111,  95, 115, 103,  87, 107,  95,
     79,  99,  87,  71,  91,  79,  63,  83,  71,  55,  75,  63,
     47,  67,  55,  43,  59,  47,  35,  51,  39,  31,  43,  31,
     23,  35,  23,  15,  27,  19,  11,  19,  11,   7,  11,   7,
    255, 243,  27, 239, 223,  23, 219, 203,  19, 203, 183,  15,
    187, 167,  15, 171, 151,  11, 155, 131,   7, 139, 115,   7,
    123,  99,   7, 107,  83,   0,  91,  71,   0,  75,  55,   0,
     59,  43,   0,  43,  31,   0,  27,  15,   0,  11,   7,   0,
      0,   0, 255,  11,  11, 239,  19,  19, 223,  27,  27, 207,
     35,  35, 191,  43,  43, 175,  47,  47, 159,  47,  47, 143,
     47,  47, 127,  47,  47, 111,  47,  47,  95,  43,  43,  79,
     35,  35,  63,  27,  27,  47,  19,  19,  31,  11,  11,  15,
     43,   0,   0,  59,   0,   0,  75,   7,   0,  95,   7,   0,
    111,  15,   0, 127,  23,   7, 147,  31,   7, 163,  39,  11,
    183,  51,  15, 195,  75,  27, 207,  99,  43, 219, 127,  59,
    227, 151,  79, 231, 171,  95, 239, 191, 119, 247, 211, 139,
    167, 123,  59, 183, 155,  55, 199, 195,  55, 231, 227,  87,
    127, 191, 255, 171, 231, 255, 215, 255, 255, 103,   0,   0,
    139,   0,   0, 179,   0,   0, 215,   0,   0, 255,   0,   0,
    255, 243, 147, 255, 247, 199, 255, 255, 255, 159,  91,  83,};

ConvertedPalette ConvertWith(const std::array<std::uint8_t, 256>& gamma, const std::uint8_t* entries, int stride) {
    ConvertedPalette out;
    for (std::size_t i = 0; i < 256; ++i) {
        const std::uint8_t* e = entries + i * static_cast<std::size_t>(stride);
        const std::uint8_t r = gamma[e[0]];
        const std::uint8_t g = gamma[e[1]];
        const std::uint8_t b = gamma[e[2]];
        const std::uint8_t fourth = stride >= 4 ? e[3] : 0;
        out.rgb[i * 4 + 0] = r;
        out.rgb[i * 4 + 1] = g;
        out.rgb[i * 4 + 2] = b;
        out.rgb[i * 4 + 3] = fourth;
        out.bgr[i * 4 + 0] = b;
        out.bgr[i * 4 + 1] = g;
        out.bgr[i * 4 + 2] = r;
        out.bgr[i * 4 + 3] = fourth;
    }
    return out;
}

struct PaletteState {
    std::array<std::uint8_t, 256> gamma{};
    ConvertedPalette quake2;
    ConvertedPalette quake1;
    ConvertedPalette fromFile;
    bool defaultLoaded = false;

    PaletteState() {
        for (int i = 0; i < 256; ++i) {
            gamma[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
        }
        RebuildBuiltIns();
    }

    void RebuildBuiltIns() {
        quake2 = ConvertWith(gamma, kQuake2Palette.data(), 3);
        quake1 = ConvertWith(gamma, kQuake1Palette.data(), 3);
    }
};

PaletteState& State() {
    static PaletteState state;
    return state;
}

// Reads the next decimal number the way "%ld" does: leading white space skipped.
bool NextNumber(const char*& cursor, long& value) {
    char* end = nullptr;
    value = std::strtol(cursor, &end, 10);
    if (end == cursor) {
        return false;
    }
    cursor = end;
    return true;
}

std::optional<PaletteTable> ParseJasc(const ByteBuffer& bytes) {
    const std::string text(bytes.begin(), bytes.end());  // NUL-terminated copy for strtol
    if (text.rfind("JASC-PAL", 0) != 0) {
        return std::nullopt;
    }
    const std::size_t lineEnd = text.find('\n');
    if (lineEnd == std::string::npos) {
        return std::nullopt;
    }
    const char* cursor = text.c_str() + lineEnd + 1;
    long version = 0;
    long count = 0;
    if (!NextNumber(cursor, version) || !NextNumber(cursor, count) || version != 100 || count != 256) {
        return std::nullopt;
    }
    PaletteTable table{};
    for (std::size_t i = 0; i < 256; ++i) {
        for (std::size_t c = 0; c < 3; ++c) {
            long value = 0;
            if (!NextNumber(cursor, value) || value < 0 || value > 255) {
                return std::nullopt;
            }
            table[i * 4 + c] = static_cast<std::uint8_t>(value);
        }
    }
    return table;
}

// RIFF palette layout:
//   0  "RIFF"   4  chunk size (unused)   8  "PAL "   12 "data"   16 data size (unused)
//   20 uint16 version, must be 768      22 uint16 entry count, must be 256
//   24 256 x (R, G, B, flags)
std::optional<PaletteTable> ParseRiff(const ByteBuffer& bytes) {
    try {
        BinaryReader in(bytes);
        in.Skip(8);
        if (std::memcmp(in.ReadSpan(4), "PAL ", 4) != 0 || std::memcmp(in.ReadSpan(4), "data", 4) != 0) {
            return std::nullopt;
        }
        in.Skip(4);
        if (in.ReadU16() != 768 || in.ReadU16() != 256) {
            return std::nullopt;
        }
        PaletteTable table{};
        in.ReadInto(table.data(), table.size());
        return table;
    } catch (const ReadError&) {
        return std::nullopt;
    }
}
}  // namespace

const std::array<std::uint8_t, 256>& GammaTable() { return State().gamma; }

void BuildGammaTable(float gamma) {
    PaletteState& state = State();
    for (int i = 0; i < 256; ++i) {
        int value = i;
        if (gamma != 1.0f) {
            const double scaled = std::pow((i + 0.5) / 255.5, static_cast<double>(gamma)) * 255.0 + 0.5;
            value = scaled >= 255.0 ? 255 : (scaled <= 0.0 ? 0 : static_cast<int>(scaled));
        }
        state.gamma[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
    }
    state.RebuildBuiltIns();
}

const RawPalette& BuiltInQuake2Palette() { return kQuake2Palette; }
const RawPalette& BuiltInQuake1Palette() { return kQuake1Palette; }
const ConvertedPalette& Quake2Palette() { return State().quake2; }
const ConvertedPalette& Quake1Palette() { return State().quake1; }

const ConvertedPalette& DefaultPalette() {
    const PaletteState& state = State();
    return state.defaultLoaded ? state.fromFile : state.quake2;
}

ConvertedPalette ConvertPalette(const std::uint8_t* entries, int stride) {
    return ConvertWith(State().gamma, entries, stride);
}

std::optional<PaletteTable> ParsePaletteFile(const ByteBuffer& bytes) {
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "JASC", 4) == 0) {
        return ParseJasc(bytes);
    }
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0) {
        return ParseRiff(bytes);
    }
    return std::nullopt;
}

bool LoadDefaultPalette() {
    PaletteState& state = State();
    state.defaultLoaded = false;
    std::optional<PaletteTable> table;
    for (const std::string& dir : {paths::ProgramDirectory(), paths::UserDataDirectory()}) {
        const std::string path = fs_util::ResolvePath(dir + "quake2.pal");
        if (fs_util::FileExists(path)) {
            if (const auto bytes = ReadWholeFile(path)) {
                table = ParsePaletteFile(*bytes);
            }
            break;
        }
    }
    if (!table) {
        GetHost().ShowMessage(msg::kDefaultPaletteMissing.text);
        return false;
    }
    state.fromFile = ConvertPalette(table->data(), 4);
    state.defaultLoaded = true;
    return true;
}

void ResetDefaultPalette() { State().defaultLoaded = false; }
