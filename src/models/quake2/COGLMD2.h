#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "models/COGLModel.h"
#include "platform/BinaryIO.h"

class Archive;
class ProgressScope;
struct PakEntry;

// A Quake 2 model in a scene: read from a file or a pak entry, skins through the
// scene's texture store, frames grouped into animations by their names, drawn
// blended between the current and the next frame.
class COGLMD2 : public COGLModel {
public:
    explicit COGLMD2(COGLScene* scene = nullptr);
    ~COGLMD2() override;

    // Reads the model from a file (`rebuildNormals` recomputes the frames' normal
    // indices). On failure the object holds no model data; the result is the
    // loaded flag. The player reads its second argument as the skins' load option.
    virtual bool LoadFile(const std::string& path, bool rebuildNormals);
    // Reads the model from an entry of `pak`.
    virtual bool LoadFromPak(Archive* pak, const PakEntry& entry, bool rebuildNormals);
    // Reads the model starting at `base` of `file` through the MD2 reader. A file
    // that is not a sound MD2 (wrong ident or version, or any count, offset or
    // index that leaves the bytes there) says "Not a valid MD2 File" and leaves
    // no model data.
    bool ReadMD2(BinaryReader& file, std::size_t base, bool rebuildNormals);

    // Every frame of the file, not only the current animation's.
    int GetFrameCount() const override { return m_frameCount; }
    // The frames counted once: "<all>" lists every frame again.
    std::optional<ObjectFacts> Facts() const override;

    void Save(BinaryWriter& out, int textureIndex) const override;
    bool LoadFromScene(BinaryReader& in, int version, COGLScene& scene) override;
    void CopyFrom(const COGLObject& other) override;

    // The object name taken from a model path: the folder holding the file, or
    // the one above it when that folder is "medium". Fewer than two separators
    // leave `name` as it was.
    static std::string NameFromPath(const std::string& path, const std::string& name);

    void RefreshBounds() override;

    std::uint8_t TextureFlag() const { return m_textureFlag; }
    // The load option of the skins the file names (1: the default palette, or the
    // game's for an archive of a game).
    void SetHeaderSkinOption(std::uint8_t option) { m_headerSkinOption = option; }
    void SetTextureFlag(std::uint8_t flag) { m_textureFlag = flag; }
    int VertexCount() const { return m_vertexCount; }
    int TriangleCount() const { return m_triangleCount; }
    int FrameSize() const { return m_frameSize; }
    int GLCommandCount() const { return m_glCommandCount; }
    // The stored name of a frame (empty outside the table).
    std::string FrameName(int frame) const;
    // The normal index vertex `vertex` has in `frame` (-1 outside the table).
    int NormalIndex(int frame, int vertex) const;
    // Bytes of model data held (frames, GL commands, animations), skins excluded.
    std::size_t DataBytes() const;

protected:
    bool WalkFrame(GeometrySink& sink) override;
    // For the player, which is an MD2 model with a type code of its own.
    COGLMD2(int typeCode, COGLScene* scene);

    // Destroys the model data, hands the skins back and forgets the animations.
    void FreeModel();
    void BuildAnimations();
    void RebuildNormals(ProgressScope& progress);
    // Reads the skins' textures through the scene's store.
    void LoadSkins(const std::vector<std::string>& names);
    // Which skins a scene record lists join the skins list when it is read back
    // (empty: all); the one the record names as the texture joins it regardless.
    virtual std::function<bool(const std::string& path)> SavedSkinFilter() const { return {}; }

    // Walks the GL commands of the current frames; `sink` receives Begin(fan),
    // Vertex(normal, s, t, position) and End().
    template <typename Sink>
    void WalkGeometry(Sink& sink);

    int m_glCommandCount = 0;
    std::vector<std::uint32_t> m_glCommands;  // words as read; floats kept as their bits
    std::vector<std::uint8_t> m_frames;       // m_frameCount x m_frameSize bytes as read (see Md2Reader.h)
    int m_frameSize = 0;
    int m_frameCount = 0;
    // Passed with every skin load as "search the scene's paks"; weapons and flags set it.
    std::uint8_t m_textureFlag = 0;
    // The load option of the skins the file names (a player from a game's archives
    // draws them with the game's palette).
    std::uint8_t m_headerSkinOption = 0;
    int m_vertexCount = 0;
    int m_triangleCount = 0;
};
