#pragma once

#include <string>
#include <vector>

#include "export/ExportModel.h"
#include "export/GltfWriter.h"

class COGLModel;
class COGLObject;
class COGLSprite;
class COGLTexture2D;
struct ModelAnimation;

// The picture of a texture as drawing gives it to GL (rows from t = 0); an
// uploaded texture is read back from GL, with the view's context made current.
// Empty pixels when there is none.
ExportImage ImageOfTexture(const COGLTexture2D& texture, bool nearest);
ExportMaterial MaterialOf(const COGLObject& object);
ExportPlacement PlacementOf(const COGLObject& object);

// One clip to gather from a vertex-animated model: `frameCount` frames of
// `animation` (one of the model's, or nullptr for a model that lacks it and
// stands still in its first frame meanwhile), exported under `name`.
struct MorphClip {
    std::string name;
    const ModelAnimation* animation = nullptr;
    int frameCount = 0;
};

// Every clip of the model itself, or only the one named `only` (when not empty).
std::vector<MorphClip> ClipsOf(const COGLModel& model, const std::string& only);

// Walks every frame of every clip as drawing does and welds the corners that
// agree in every frame into shared vertices. False (with `error`) when the model
// has nothing to walk.
bool GatherMorphModel(COGLModel& model, const std::vector<MorphClip>& clips, MorphModelExport& out,
                      std::string& error);

// The picture a sprite shows, on its quad, with its blending.
bool GatherSprite(const COGLSprite& sprite, bool nearest, StaticMeshExport& out);

// The shape an object builds for drawing (primitives, text), with its texture.
bool GatherStaticMesh(const COGLObject& object, bool nearest, StaticMeshExport& out);
