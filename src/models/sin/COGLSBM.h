#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "models/COGLModel.h"
#include "platform/BinaryIO.h"

class Archive;
class GeometrySink;
struct PakEntry;
struct SamAnimation;
struct SinDefinition;

// One animation of a SiN model: its ".sam" file (an archive entry or a file on
// disk) and the frames read from it. A file on disk is read in two steps: its
// frame records when the model loads (so a broken file is left out then), its
// vertices when the animation is first drawn.
struct SinAnimation : ModelAnimation {
    SinAnimation(std::string animationName, std::string filePath, const PakEntry* pakEntry,
                 std::shared_ptr<const SamAnimation> frames);

    std::string path;                          // game path in a pak, file path on disk
    const PakEntry* entry = nullptr;           // the archive's entry, or none
    std::shared_ptr<const SamAnimation> data;  // shared by copies of the model
    bool unreadable = false;                   // the vertices could not be read later: nothing to draw
};

// A mesh group of the base model, ready to draw: three corners per triangle.
struct SinMeshGroup {
    struct Corner {
        std::uint16_t vertex;
        float s, t;
    };
    int id = 0;
    bool twoSided = false;  // drawn without culling ("twosided" on the definition's id line)
    std::vector<Corner> corners;
};

// A SiN model in a scene: a definition (".def") that names a base model
// (".sbm"), its skins (".tga") and its animations (".sam"), read from disk or
// from a ".sin" archive; drawn blended between the current and the next frame.
//
// Scene record, after the common object record (all integers little-endian):
//   char[260] definition path (file path, or the entry's name in the pak)
//   int32     pak index in the scene's pak list, -1 for a plain file
//   int32     index of the current animation, -1 for none
//   float     speed
//   float     frame position, int32 frame index, int32 next frame index, float blend
//   byte      loop, byte single step, byte interpolate (the last only in version 6 and later)
//   int32     index of the object's texture among the skins, -1 for none or a scene texture
//   byte      invert normals
// The skins and the animations come back from the definition when it is read again.
class COGLSBM : public COGLModel {
public:
    explicit COGLSBM(COGLScene* scene = nullptr);
    ~COGLSBM() override;

    // Reads a definition from disk; its files are looked for above it (LocateSinFile).
    bool LoadFile(const std::string& path);
    // Reads a definition from an entry of `pak`; its files are entries of the same pak.
    bool LoadFromPak(Archive* pak, const PakEntry& entry);
    // Reads the definition text, the base model and the animations, then loads the
    // skins and applies the first. Each failure shows its message and leaves the
    // object without model data (not ready); the result is whether all succeeded.
    bool LoadDef(const std::uint8_t* text, std::size_t size);

    void Draw(int flags) override;

    void Save(BinaryWriter& out, int textureIndex) const override;
    bool LoadFromScene(BinaryReader& in, int version, COGLScene& scene) override;
    void CopyFrom(const COGLObject& other) override;

    // The current frame (blended) in drawing space, group after group as
    // GL_TRIANGLES; refreshes the bounds. `sink` may be nullptr for the bounds only.
    void WalkGeometry(GeometrySink* sink);
    void RefreshBounds() override { WalkGeometry(nullptr); }

    const std::string& Prefix() const { return m_prefix; }
    const std::string& ModelPath() const { return m_sbmPath; }
    const std::vector<SinMeshGroup>& Groups() const { return m_groups; }
    int VertexCount() const { return m_vertexCount; }

protected:
    bool WalkFrame(GeometrySink& sink) override {
        WalkGeometry(&sink);
        return !m_groups.empty();
    }

private:
    struct Staged;

    void FreeModel();
    // Everything but the skins, into `staged`; false (with its message) on failure.
    bool ReadFiles(const SinDefinition& def, Staged& staged);
    std::optional<ByteBuffer> ReadSource(const std::string& gamePath, const PakEntry** entry, std::string* path) const;
    void LoadSkins(const SinDefinition& def);
    // Reads the vertices of an animation loaded without them; false when there are none to draw.
    bool EnsureVertices(SinAnimation& animation);
    // `drawing` turns culling off around two-sided groups.
    void Walk(GeometrySink* sink, bool drawing);

    std::string m_prefix;                // the definition's "path"
    const PakEntry* m_sbmEntry = nullptr;  // the base model's entry in m_pak, or none
    std::string m_sbmPath;               // prefix + "/" + the base model's file
    std::vector<SinMeshGroup> m_groups;
    int m_vertexCount = 0;
    std::vector<Vector3> m_positions;  // scratch: the blended vertices of the frame drawn
};
