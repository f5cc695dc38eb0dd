#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/BinaryIO.h"

class Archive;
class COGLImage;
class FileLocator;

// Binds `glName` and sets wrapping, filters and the perspective hint for a texture
// filter mode (0 fastest, 1 nearest, 2 mipmapped); other modes leave the filters.
void ApplyTextureParameters(unsigned glName, int filterMode);

// One OpenGL texture made from an image on disk or inside a pak archive. It keeps
// its source so it can be loaded lazily and written to the scene file.
class COGLTexture2D {
public:
    COGLTexture2D();
    virtual ~COGLTexture2D();
    COGLTexture2D(const COGLTexture2D&) = delete;
    COGLTexture2D& operator=(const COGLTexture2D&) = delete;

    // Without a pak the path must open for reading. Nothing is loaded yet.
    bool SetSource(const std::string& path, Archive* pak, std::uint8_t loadOption);
    // Reads the image and uploads it with the given texture filter mode. False when
    // the picture cannot be found or decoded; a second call does nothing more.
    bool Load(int filterMode = 1);
    // Makes the GL texture (with mipmaps) from the pending picture, then frees it.
    bool Upload(int filterMode = 1);
    // Makes an RGB texture from pixels (bottom row first).
    bool FromPixels(const std::uint8_t* rgb, int width, int height, int filterMode = 1);
    // Makes a texture from width x height palette indices read from `in` (top row
    // first): with the built-in Quake 1 palette (model skins), or with a palette of
    // 256 x 4 bytes and a sprite mode 0-3 (see COGLImage::LoadIndexed).
    bool FromIndexed(BinaryReader& in, int width, int height, int filterMode = 1);
    bool FromIndexed(BinaryReader& in, const std::uint8_t* palette, int width, int height, int mode,
                     int filterMode = 1);
    // Takes the other's source; its pending picture is copied and uploaded, or, when
    // it has none left, the picture is read again from the source.
    void Copy(const COGLTexture2D& other, int filterMode = 1);

    void AddRef() { ++m_refCount; }
    // Drops one reference; true when none is left and the owner must destroy it.
    bool Release();
    void ResetRefCount() { m_refCount = 0; }

    // Scene record: pak position (-1 for a plain file), load option byte, 260-byte path.
    static constexpr std::size_t kRecordSize = 265;
    void SaveRecord(BinaryWriter& out, int pakIndex) const;
    // Reads a record; returns whether a source was set. `pakAt` maps a stored pak
    // position to an archive (nullptr when there is none at that position).
    bool LoadRecord(BinaryReader& in, const std::function<Archive*(int)>& pakAt, const FileLocator* locator,
                    int locatorKind);

    unsigned GLName() const { return m_glName; }
    bool IsBound() const { return m_glName != 0; }
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    const std::string& Path() const { return m_path; }
    Archive* Pak() const { return m_pak; }
    std::uint8_t LoadOption() const { return m_loadOption; }
    int RefCount() const { return m_refCount; }
    const COGLImage* Image() const { return m_image.get(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    void DeleteGLName();

    unsigned m_glName = 0;
    std::unique_ptr<COGLImage> m_image;
    std::uint8_t m_loadOption = 0;
    std::string m_name;
    int m_refCount = 0;
    Archive* m_pak = nullptr;
    std::string m_path;
    int m_width = 0;
    int m_height = 0;
};
