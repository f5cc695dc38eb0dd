#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/COGLModel.h"
#include "models/quake1/MdlReader.h"
#include "platform/BinaryIO.h"

class Archive;
struct PakEntry;

// An animation of a Quake 1 model: the frames it plays, as indexes into the
// model's frame table (simple frames and the frames of groups alike). Its first
// frame stays 0: the frames it holds are its own.
struct MdlAnimation : ModelAnimation {
    MdlAnimation(std::string animationName, int count) : ModelAnimation(std::move(animationName), 0, count) {}
    std::vector<int> frames;
    int vertexCount = 0;
};

// A Quake 1 model in a scene: skins embedded in the file, frames grouped into
// animations by their names, drawn one triangle at a time, blended between the
// current and the next frame.
class COGLMDL : public COGLModel {
public:
    static constexpr std::size_t kNameLimit = 260;

    explicit COGLMDL(COGLScene* scene = nullptr);
    ~COGLMDL() override;

    // Reads the model from a file, or from an entry of `pak`; the result is the
    // loaded flag. A file that cannot be opened changes nothing.
    bool LoadFile(const std::string& path);
    bool LoadFromPak(Archive* pak, const PakEntry& entry);
    // Reads the model at the reader's position. A file that is not a sound model
    // says "Not a valid MDL (classic quake model) file." and leaves no model data.
    bool ReadMDL(BinaryReader& file);

    void DrawAxes() override;
    void AdvanceFrame() override;
    // The embedded skins are the model's own: the texture filter mode reaches them here.
    std::vector<COGLTexture2D*> FrameTextures() const override;

    void Save(BinaryWriter& out, int textureIndex) const override;
    bool LoadFromScene(BinaryReader& in, int version, COGLScene& scene) override;
    void CopyFrom(const COGLObject& other) override;

    // The object name taken from a model path: the file name without its
    // extension, at most 260 characters.
    void NameFromFile(const std::string& path);

    void RefreshBounds() override;

    int VertexCount() const { return m_vertexCount; }
    int TriangleCount() const { return m_triangleCount; }
    int SkinWidth() const { return m_skinWidth; }
    int SkinHeight() const { return m_skinHeight; }
    // Simple frames and the frames of groups, in file order.
    int TotalFrameCount() const { return static_cast<int>(m_frames.size()); }
    // The texture coordinates vertex `corner` (0-2) of `triangle` is drawn with.
    void TexCoordOf(int triangle, int corner, float& s, float& t) const;

protected:
    bool WalkFrame(GeometrySink& sink) override;

private:
    void FreeModel();
    // Takes what the reader produced: skins become textures, frames animations.
    void Adopt(MdlData&& data);
    void BuildAnimations();
    const std::uint8_t* FrameVertices(int index) const;
    // The current animation: every one of m_animations is an MdlAnimation.
    const MdlAnimation* Current() const { return static_cast<const MdlAnimation*>(m_animation); }

    template <typename Sink>
    void WalkGeometry(Sink& sink);

    int m_triangleCount = 0;
    int m_vertexCount = 0;
    std::vector<MdlTexCoord> m_texCoords;
    std::vector<MdlTriangle> m_triangles;
    // The header's scale (the object's own scale is COGLObject::m_scale).
    Vector3 m_frameScale{};
    Vector3 m_origin{};
    int m_skinWidth = 0;
    int m_skinHeight = 0;
    std::vector<MdlFrame> m_frames;
    // The embedded skins, shared by copies; m_skins holds them too, first.
    std::vector<std::shared_ptr<COGLTexture2D>> m_embeddedSkins;
};
