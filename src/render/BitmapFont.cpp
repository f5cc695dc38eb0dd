#include "render/BitmapFont.h"

#include <GL/gl.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstdint>
#include <vector>

#include "platform/Fonts.h"
#include "platform/Messages.h"
#include "render/GLCheck.h"

namespace {
// Unicode of the codes 0x80..0x9F in Windows-1252 (0 where the code page has none);
// every other code from 0xA0 up is the Latin-1 character of the same number.
constexpr std::array<std::uint16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

unsigned CharacterFor(int code) {
    if (code < 0x20 || code == 0x7F) {
        return 0;
    }
    if (code >= 0x80 && code < 0xA0) {
        return kWindows1252High[static_cast<std::size_t>(code - 0x80)];
    }
    return static_cast<unsigned>(code);
}

bool PixelSet(const FT_Bitmap& bitmap, unsigned x, unsigned rowFromTop) {
    const int pitch = bitmap.pitch;
    const unsigned stride = static_cast<unsigned>(pitch < 0 ? -pitch : pitch);
    // A negative pitch means the buffer starts with the bottom row.
    const unsigned row = pitch < 0 ? bitmap.rows - 1 - rowFromTop : rowFromTop;
    const unsigned char* bytes = bitmap.buffer + std::size_t(row) * stride;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        return (bytes[x / 8] & (0x80u >> (x % 8))) != 0;
    }
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        return bytes[x] >= 128;
    }
    return false;
}

// One list: the glyph as a 1-bit bitmap, rows bottom-up as glBitmap takes them.
void CompileGlyph(FT_Face face, int code, std::vector<GLubyte>& bits) {
    glNewList(BitmapFont::kListBase + static_cast<GLuint>(code), GL_COMPILE);
    const unsigned character = CharacterFor(code);
    if (character != 0 && FT_Load_Char(face, character, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
        const FT_GlyphSlot glyph = face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        const unsigned rowBytes = (bitmap.width + 7) / 8;
        bits.assign(std::size_t(rowBytes) * bitmap.rows, 0);
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            GLubyte* target = bits.data() + std::size_t(bitmap.rows - 1 - row) * rowBytes;
            for (unsigned x = 0; x < bitmap.width; ++x) {
                if (PixelSet(bitmap, x, row)) {
                    target[x / 8] = static_cast<GLubyte>(target[x / 8] | (0x80u >> (x % 8)));
                }
            }
        }
        glBitmap(static_cast<GLsizei>(bitmap.width), static_cast<GLsizei>(bitmap.rows),
                 static_cast<GLfloat>(-glyph->bitmap_left),
                 static_cast<GLfloat>(static_cast<int>(bitmap.rows) - glyph->bitmap_top),
                 static_cast<GLfloat>(glyph->advance.x) / 64.0f, 0.0f, bits.empty() ? nullptr : bits.data());
    }
    glEndList();
}

bool BuildLists(const std::string& fontFile) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return false;
    }
    FT_Face face = nullptr;
    bool ok = FT_New_Face(library, fontFile.c_str(), 0, &face) == 0 &&
              FT_Set_Pixel_Sizes(face, 0, BitmapFont::kPixelHeight) == 0;
    if (ok) {
        while (glGetError() != GL_NO_ERROR) {
            // Errors left by earlier drawing are not this font's.
        }
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
        std::vector<GLubyte> bits;
        for (int code = 0; code < BitmapFont::kCharacterCount; ++code) {
            CompileGlyph(face, code, bits);
        }
        glPopClientAttrib();
        ok = glGetError() == GL_NO_ERROR;
    }
    if (face != nullptr) {
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return ok;
}
}  // namespace

BitmapFont::~BitmapFont() {
    if (created_) {
        Destroy();
    }
}

bool BitmapFont::Create(std::string* error, const std::string& family) {
    if (created_) {
        Destroy();
    }
    const std::string fontFile = FindFontFile(family);
    if (!fontFile.empty() && HasCurrentGLContext()) {
        if (BuildLists(fontFile)) {
            created_ = true;
            return true;
        }
        glDeleteLists(kListBase, kCharacterCount);
    }
    if (error != nullptr) {
        *error = msg::kCouldNotCreateFont.text;
    }
    return false;
}

void BitmapFont::Destroy() {
    if (HasCurrentGLContext()) {
        glDeleteLists(kListBase, kCharacterCount);
    }
    CheckGLErrors("delete lists");
    created_ = false;
}

int BitmapFont::DrawText(int x, int y, std::string_view text) {
    if (text.empty()) {
        return x;
    }
    glPushAttrib(GL_LIST_BIT);
    glListBase(kListBase);
    glRasterPos2i(x, y);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
    glPopAttrib();
    GLint valid = GL_FALSE;
    glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (valid == GL_FALSE) {
        return x;
    }
    GLfloat position[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    return static_cast<int>(position[0] + 0.5f);
}
