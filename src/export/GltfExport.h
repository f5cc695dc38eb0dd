#pragma once

#include <optional>
#include <string>

#include "export/GltfWriter.h"

class COGLObject;
class COGLScene;

struct GltfExportOptions {
    std::string animation;  // only this animation of each model (empty: all of them)
    int skin = -1;          // the skin a model shows (0 the first; -1 the one it shows now)
    std::optional<ExportCamera> camera;
};

// Vertex-animated models step their frames at this rate.
inline constexpr float kMorphFramesPerSecond = 10.0f;

// Adds `object` (a primitive, a text, a model with its parts) to `writer` as a
// placed node; false with `error` when it has nothing that can be exported.
bool ExportObject(COGLObject& object, COGLScene* scene, GltfWriter& writer, const GltfExportOptions& options,
                  std::string& error);

// Writes one object alone, standing where it stands in the scene.
bool ExportObjectToFile(COGLObject& object, COGLScene* scene, const std::string& path,
                        const GltfExportOptions& options, std::string& error);

// Writes every visible object, the world of the map the scene stands in (as
// drawn, its light in vertex colours), every enabled light and the camera.
bool ExportSceneToFile(COGLScene& scene, const std::string& path, const GltfExportOptions& options,
                       std::string& error);
