#pragma once

#include "math/Vector3.h"

// The game's coordinates (Quake units, Z up) in the scene, exactly as the model
// families draw a model's own coordinates: 0.05 scene units a unit, the game's
// (x, y, z) along the scene's (z, x, y), so a model put at a point of the map
// stands where the game would put it, facing the same way.
inline constexpr float kMapSceneScale = 0.05f;

inline constexpr Vector3 MapToScene(const Vector3& game) {
    return {game.y * kMapSceneScale, game.z * kMapSceneScale, game.x * kMapSceneScale};
}
inline constexpr Vector3 SceneToMap(const Vector3& scene) {
    return {scene.z / kMapSceneScale, scene.x / kMapSceneScale, scene.y / kMapSceneScale};
}
// Directions turn alike but keep their length.
inline constexpr Vector3 MapDirectionToScene(const Vector3& game) { return {game.y, game.z, game.x}; }
inline constexpr Vector3 SceneDirectionToMap(const Vector3& scene) { return {scene.z, scene.x, scene.y}; }
