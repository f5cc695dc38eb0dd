#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "export/ExportModel.h"

namespace tinygltf {
class Model;
}

// How a surface looks, from an object's material: the lit colour, what it gives
// off, how shiny it is, and whether it is see-through.
struct ExportMaterial {
    std::string name;
    std::array<float, 4> baseColor{0.8f, 0.8f, 0.8f, 1.0f};
    std::array<float, 3> emissive{0.0f, 0.0f, 0.0f};
    float roughness = 1.0f;
    bool blend = false;  // drawn see-through with its alpha
    bool doubleSided = false;
    bool unlit = false;  // its picture shows as it is, whatever the lights
};

// A mesh without animation (the primitive shapes), in the object's own frame.
struct StaticMeshExport {
    std::vector<float> positions;  // 3 per vertex
    std::vector<float> normals;    // 3 per vertex
    std::vector<float> texcoords;  // 2 per vertex (s, t as drawn)
    std::vector<float> colors;     // none, or 4 per vertex: linear R, G, B, A the picture is multiplied by
    std::vector<std::uint32_t> indices;
    int image = -1;  // index into images
    std::vector<ExportImage> images;
};

// Where an object stands: glTF's translation, rotation (x, y, z, w) and scale.
struct ExportPlacement {
    std::array<float, 3> translation{0.0f, 0.0f, 0.0f};
    std::array<float, 4> rotation{0.0f, 0.0f, 0.0f, 1.0f};
    std::array<float, 3> scale{1.0f, 1.0f, 1.0f};
};

struct ExportLight {
    enum class Kind { Point, Spot, Directional };
    std::string name;
    Kind kind = Kind::Point;
    std::array<float, 3> color{1.0f, 1.0f, 1.0f};
    float intensity = 1.0f;
    std::array<float, 3> position{0.0f, 0.0f, 0.0f};
    std::array<float, 3> direction{0.0f, 0.0f, -1.0f};  // where it shines (spot and directional)
    float outerConeDegrees = 45.0f;
};

// A perspective camera: where it stands (camera-to-world, column-major, looking
// down its -z with +y up) and its lens.
struct ExportCamera {
    std::array<float, 16> cameraToWorld{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float yfovDegrees = 45.0f;
    float aspect = 4.0f / 3.0f;
    float znear = 0.5f;
    float zfar = 32.0f;
};

// Builds one glTF 2.0 asset from the pieces above and writes it as .glb (one
// file, pictures inside) or .gltf (with its .bin and PNG pictures beside it).
// Node numbers returned by the Add calls may be placed under other nodes;
// anything not placed under another node stands at the top of the scene.
class GltfWriter {
public:
    GltfWriter();
    ~GltfWriter();
    GltfWriter(const GltfWriter&) = delete;
    GltfWriter& operator=(const GltfWriter&) = delete;

    // A node showing the model's first frame, with a morph target per other
    // frame and, for each of its animations, a glTF animation of that name
    // stepping the weights at `fps`. Animations of the same name from several
    // models (a player and its weapon) become one glTF animation.
    int AddMorphModel(const std::string& name, const MorphModelExport& model, const ExportMaterial& material,
                      float fps);
    // A node holding the skeleton under the model's root transform, with one
    // glTF animation per sequence; the skinned mesh is a top-level node of its own.
    int AddSkinnedModel(const std::string& name, const SkinnedModelExport& model, const ExportMaterial& material);
    int AddStaticMesh(const std::string& name, const StaticMeshExport& mesh, const ExportMaterial& material);
    // A node holding nothing itself, to place others under.
    int AddGroup(const std::string& name) { return AddNode(name); }
    int AddLight(const ExportLight& light);
    int AddCamera(const std::string& name, const ExportCamera& camera);
    void Place(int node, const ExportPlacement& placement);
    void AddChild(int parent, int child);
    // Free-form facts about a node, kept in its extras.
    void SetNodeExtra(int node, const std::string& key, const std::string& value);

    // Writes the asset; the form follows the extension (.glb or .gltf). A .gltf,
    // its .bin and its pictures NAME_i.png go in together through
    // WriteFilesAtomically or not at all. On failure `error` says why.
    bool Write(const std::string& path, std::string& error);

    // The asset as built so far (tests read it).
    const tinygltf::Model& Model() const { return *m_model; }

private:
    int AddBufferView(const void* data, std::size_t bytes, int target);
    int AddFloatAccessor(const std::vector<float>& values, int components, bool withBounds, int target = 34962);
    int AddIndexAccessor(const std::vector<std::uint32_t>& indices, std::size_t vertexCount);
    int AddTexcoordAccessor(const std::vector<float>& st);
    int AddTexture(const ExportImage& image);
    int AddMaterial(const ExportMaterial& material, const ExportImage* image, int texture);
    int AddNode(const std::string& name);
    int AnimationNamed(const std::string& name);
    int AddKeyTimes(int count, float fps, bool holdLast);
    int VariantNamed(const std::string& name);

    std::unique_ptr<tinygltf::Model> m_model;
    std::vector<std::uint8_t> m_buffer;
    std::vector<std::vector<std::uint8_t>> m_pngs;  // per image, the file's bytes
    std::map<std::string, int> m_textures;          // by picture name and size
    std::map<std::string, int> m_animations;
    std::vector<std::string> m_variants;
    std::vector<bool> m_hasParent;
    bool m_usesUnlit = false;
};
