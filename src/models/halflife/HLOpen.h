#pragma once

#include <string>

class COGLDoc;
class COGLHLModel;
class Archive;

// Adds a Half-Life studio model to the document's scene, as Open Model does: a
// model that does not load (its message shown) adds nothing. Returns the model
// added, or nullptr.
COGLHLModel* OpenHLModel(COGLDoc& doc, const std::string& path);
// The same for an entry of a pak archive, its companions read from the same pak.
COGLHLModel* OpenHLModelFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName);

// Registers COGLHLModel (type code 18) with the object factory and as the ".mdl"
// family that does not start with "IDPO". Safe to call more than once.
void RegisterHalfLifeClasses();
