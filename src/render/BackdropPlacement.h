#pragma once

#include <optional>

#include "math/Vector3.h"
#include "scene/SceneBackdrop.h"

class COGLObject;
class COGLScene;
class EditHistory;

// Standing objects inside a scene's backdrop: each change is one step of the
// editing history, named as its command.

// How high above a start the eye of "View from spawn point" is: the games' view
// height of 22 units, at the models' 0.05 scene units a unit.
inline constexpr float kStartEyeHeight = 22.0f * 0.05f;

// Puts `object` at `start` facing its way: upright as a new object of its kind
// stands, turned by the start's yaw, with a model's own origin (the point its
// game counts from) on the start, so a player stands where the game puts one.
// False for a position that is not finite.
bool PlaceAtStart(COGLScene& scene, EditHistory& history, COGLObject& object, const BackdropStart& start);

// Lowers (or raises) `object` so the bottom of its box rests on the backdrop's
// surface below its centre. False without a backdrop, an object without a box or
// nothing below within `maxDrop`.
bool DropToFloor(COGLScene& scene, EditHistory& history, COGLObject& object, float maxDrop = 1000.0f);

// A plane object lying in the face `hit` met, facing the side it was met from,
// added to the scene and to its shadow planes (one step). The new plane, or nullptr
// when the shadow table is full.
COGLObject* AddShadowPlaneAt(COGLScene& scene, EditHistory& history, const BackdropHit& hit);
