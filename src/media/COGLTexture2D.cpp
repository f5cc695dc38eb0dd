#include "media/COGLTexture2D.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#include "media/Archive.h"
#include "media/COGLImage.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"

void ApplyTextureParameters(unsigned glName, int filterMode) {
    GetHost().MakeViewContextCurrent();
    glBindTexture(GL_TEXTURE_2D, glName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    switch (filterMode) {
        case 0:
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
            break;
        case 1:
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
            break;
        case 2:
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
            break;
        default:
            break;
    }
}

COGLTexture2D::COGLTexture2D() = default;

COGLTexture2D::~COGLTexture2D() { DeleteGLName(); }

void COGLTexture2D::DeleteGLName() {
    if (m_glName != 0) {
        GetHost().MakeViewContextCurrent();
        const GLuint name = m_glName;
        glDeleteTextures(1, &name);
        m_glName = 0;
    }
}

bool COGLTexture2D::SetSource(const std::string& path, Archive* pak, std::uint8_t loadOption) {
    // Game data comes in any letter case; a disk path is matched without regard to it.
    const std::string source = pak == nullptr ? fs_util::ResolvePath(path) : path;
    if (pak == nullptr && !fs_util::FileExists(source)) {
        return false;
    }
    m_path = source;
    m_name = fs_util::FileTitleOf(source);
    m_pak = pak;
    m_loadOption = loadOption;
    return true;
}

bool COGLTexture2D::Load(int filterMode) {
    // A pending picture, or one already uploaded, is not read again.
    if (m_image != nullptr || m_glName != 0) {
        return true;
    }
    auto image = std::make_unique<COGLImage>();
    if (m_pak == nullptr) {
        if (!image->LoadFile(m_path, true, m_loadOption != 0)) {
            return false;
        }
        m_image = std::move(image);
        return Upload(filterMode);
    }

    const PakEntry* entry = m_pak->FindEntry(m_path);
    if (entry == nullptr) {
        return false;
    }
    bool ok = image->LoadFromArchive(*m_pak, *entry, true, m_loadOption != 0, false);
    if (ok) {
        image->SetPath(entry->name);
        m_image = std::move(image);
        ok = Upload(filterMode);
    }
    // A picture that cannot be decoded is a failed load, from a pak as from disk.
    return ok;
}

bool COGLTexture2D::Upload(int filterMode) {
    if (m_image == nullptr || !m_image->HasPixels()) {
        return false;
    }
    GetHost().MakeViewContextCurrent();
    DeleteGLName();
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0) {
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, name);

    const int width = m_image->Width();
    const int height = m_image->Height();
    const bool alpha = m_image->HasAlpha();
    const GLint components = alpha ? 4 : 3;
    const GLenum format = alpha ? GL_RGBA : GL_RGB;
    const std::uint8_t* pixels = m_image->Pixels().data();
    // The unpack state is restored afterwards so that later pixel transfers of
    // other passes are not read with this picture's row length.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, 0);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, components, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels);
    glPopClientAttrib();

    m_glName = name;
    m_width = width;
    m_height = height;
    ApplyTextureParameters(name, filterMode);
    ++m_refCount;
    m_image.reset();
    return true;
}

bool COGLTexture2D::FromPixels(const std::uint8_t* rgb, int width, int height, int filterMode) {
    auto image = std::make_unique<COGLImage>();
    if (!image->FromPixels(rgb, width, height)) {
        return false;
    }
    m_image = std::move(image);
    return Upload(filterMode);
}

bool COGLTexture2D::FromIndexed(BinaryReader& in, int width, int height, int filterMode) {
    auto image = std::make_unique<COGLImage>();
    if (!image->LoadIndexed(in, width, height)) {
        return false;
    }
    m_image = std::move(image);
    return Upload(filterMode);
}

bool COGLTexture2D::FromIndexed(BinaryReader& in, const std::uint8_t* palette, int width, int height, int mode,
                                int filterMode) {
    auto image = std::make_unique<COGLImage>();
    if (!image->LoadIndexed(in, palette, width, height, mode) || !image->HasPixels()) {
        return false;
    }
    m_image = std::move(image);
    return Upload(filterMode);
}

void COGLTexture2D::Copy(const COGLTexture2D& other, int filterMode) {
    m_path = other.m_path;
    m_name = other.m_name;
    m_pak = other.m_pak;
    m_loadOption = other.m_loadOption;
    if (other.m_image != nullptr) {
        m_image = std::make_unique<COGLImage>();
        m_image->Copy(*other.m_image);
        Upload(filterMode);
    } else if (!m_path.empty()) {
        // The other's picture went to the GL when it was uploaded: read it again.
        DeleteGLName();
        Load(filterMode);
    }
}

bool COGLTexture2D::Release() {
    --m_refCount;
    return m_refCount <= 0;
}

void COGLTexture2D::SaveRecord(BinaryWriter& out, int pakIndex) const {
    out.WriteI32(pakIndex);
    out.WriteU8(m_loadOption);
    out.WriteText(m_path, 260);
}

bool COGLTexture2D::LoadRecord(BinaryReader& in, const std::function<Archive*(int)>& pakAt,
                               const FileLocator* locator, int locatorKind) {
    const int pakIndex = in.ReadI32();
    const std::uint8_t option = in.ReadU8();
    std::string path = in.ReadText(260);
    if (pakIndex == -1) {
        if (locator != nullptr ? !locator->Locate(path, locatorKind) : !fs_util::FileExists(path)) {
            return false;
        }
        return SetSource(path, nullptr, option);
    }
    Archive* pak = pakAt ? pakAt(pakIndex) : nullptr;
    if (pak == nullptr || pak->FindEntry(path) == nullptr) {
        return false;
    }
    return SetSource(path, pak, option);
}
