#pragma once

#include <memory>
#include <string>

#include "scene/COGLObject.h"

// Creates objects by their type code: the scene file loader, the view's Add Object
// and Copy commands all go through here. The primitives and the text are known
// from the start; the model and sprite classes (codes 12 to 18), which live in a
// higher layer, register themselves at start-up with RegisterObjectClass. A code
// with no class behind it is unknown: CreateObject returns nullptr.
using ObjectCreator = std::unique_ptr<COGLObject> (*)();

std::unique_ptr<COGLObject> CreateObject(int typeCode);

// Adds or replaces the class for a type code. Codes outside 0..255 are refused.
bool RegisterObjectClass(int typeCode, const char* className, ObjectCreator create);
// Forgets a registered class (tests); the built-in classes cannot be removed.
void UnregisterObjectClass(int typeCode);

// The class name for a type code ("COGLBox"), or nullptr when none is registered.
const char* ObjectClassName(int typeCode);

// Puts a model object into one frame of a named animation (an empty name keeps
// its current animation). The model classes register the one function that knows
// them; it returns false for an object or an animation it does not know.
using ObjectPoser = bool (*)(COGLObject& object, const std::string& animation, float frame);
void RegisterObjectPoser(ObjectPoser poser);
// False when no poser is registered or it refuses the object.
bool PoseObject(COGLObject& object, const std::string& animation, float frame);
