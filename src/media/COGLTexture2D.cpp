// Placeholder until the image readers land: sources and records work, loading fails.
#include "media/COGLTexture2D.h"

#include "media/CPakFile.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"

class COGLImage {};

void ApplyTextureParameters(unsigned /*glName*/, int /*filterMode*/) {}

COGLTexture2D::COGLTexture2D() = default;
COGLTexture2D::~COGLTexture2D() = default;

bool COGLTexture2D::SetSource(const std::string& path, CPakFile* pak, std::uint8_t loadOption) {
    if (pak == nullptr && !fs_util::FileExists(path)) {
        return false;
    }
    m_path = path;
    m_name = fs_util::FileTitleOf(path);
    m_pak = pak;
    m_loadOption = loadOption;
    return true;
}

bool COGLTexture2D::Load(int /*filterMode*/) { return false; }
bool COGLTexture2D::Upload(int /*filterMode*/) { return false; }
bool COGLTexture2D::FromPixels(const std::uint8_t*, int, int, int) { return false; }
void COGLTexture2D::Copy(const COGLTexture2D& other, int /*filterMode*/) {
    SetSource(other.m_path, other.m_pak, other.m_loadOption);
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

bool COGLTexture2D::LoadRecord(BinaryReader& in, const std::function<CPakFile*(int)>& pakAt,
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
    CPakFile* pak = pakAt ? pakAt(pakIndex) : nullptr;
    if (pak == nullptr || pak->FindEntry(path) == nullptr) {
        return false;
    }
    return SetSource(path, pak, option);
}
