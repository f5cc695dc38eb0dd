#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What glTF export takes from a model: plain arrays in the program's drawing
// space, gathered by one builder per family and written by one writer.
//
// Conventions shared by every builder:
// - Positions are the model's own frame as drawing sends them (the object's
//   placement not applied, the model's vertical offset applied).
// - Texture coordinates are the (s, t) drawing gives GL, and images hold their
//   rows in the order GL receives them (row 0 is t = 0); the writer turns both
//   to glTF's top-left origin together.
// - Triangles list counter-clockwise front faces.

// A picture a material samples: RGBA, width x height, row 0 at t = 0.
struct ExportImage {
    enum class Blend { Opaque, Mask, Additive };

    std::string name;  // the skin or texture name the program shows
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    Blend blend = Blend::Opaque;  // Mask: alpha tested; Additive: drawn adding its colour
    bool nearest = false;         // sampled without filtering
};

// --- Vertex-animated models (Quake 2, Quake 1, SiN) ---

// Every frame holds the same vertices in the same order; the first frame is the
// base mesh and each later one a morph target.
struct MorphModelExport {
    struct Animation {
        std::string name;
        std::vector<int> frames;  // indexes into positions/normals, played in order
    };

    std::vector<float> texcoords;               // 2 per vertex (s, t as drawn)
    std::vector<std::vector<float>> positions;  // per frame, 3 per vertex
    std::vector<std::vector<float>> normals;    // per frame, 3 per vertex
    std::vector<std::uint32_t> indices;         // triangles, counter-clockwise
    std::vector<Animation> animations;
    std::vector<ExportImage> images;  // the skins; the mesh shows `image`, the others are its variants
    int image = -1;                   // -1: untextured

    std::size_t VertexCount() const { return texcoords.size() / 2; }
};

// --- Skeletal models (Half-Life studio models) ---

struct ExportJoint {
    std::string name;
    int parent = -1;  // index into the joints; every parent comes before its children
    // The rest pose relative to the parent (rotation as x, y, z, w).
    std::array<float, 3> translation{0.0f, 0.0f, 0.0f};
    std::array<float, 4> rotation{0.0f, 0.0f, 0.0f, 1.0f};
    // The inverse of the joint's rest transform in drawing space (the root
    // transform below times the chain of rest transforms), column-major.
    std::array<float, 16> inverseBind{};
};

struct SkinnedPrimitive {
    int image = -1;                    // index into SkinnedModelExport::images, -1 untextured
    std::vector<float> positions;      // 3 per vertex, rest pose in drawing space
    std::vector<float> normals;        // 3 per vertex, unit length
    std::vector<float> texcoords;      // 2 per vertex (s, t as drawn)
    std::vector<std::uint16_t> joints;  // 1 per vertex: the joint it follows entirely
    std::vector<std::uint32_t> indices;  // triangles, counter-clockwise
};

// One joint's keys in one animation; every joint has one channel per animation,
// with the same key times.
struct JointChannel {
    std::vector<float> translations;  // 3 per key, relative to the parent
    std::vector<float> rotations;     // 4 per key (x, y, z, w)
};

struct SkinnedAnimation {
    std::string name;
    float fps = 10.0f;
    int frameCount = 0;                 // keys at 0, 1/fps, 2/fps ...
    std::vector<JointChannel> joints;   // one per joint, in joint order
};

struct SkinnedModelExport {
    std::vector<ExportJoint> joints;
    // Turns the joints' space into drawing space (the axis remap and the vertical
    // offset); the writer puts it on a node above the root joints. Column-major.
    std::array<float, 16> rootTransform{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::vector<SkinnedPrimitive> primitives;
    std::vector<ExportImage> images;
    std::vector<SkinnedAnimation> animations;
};
