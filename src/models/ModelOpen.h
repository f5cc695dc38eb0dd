#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "scene/COGLDoc.h"

class COGLModel;

// The common end of every model opener: a model that did not load says "Error
// opening file" and is destroyed; one that did gets its first skin ("Could not
// load textures for this model" when it has none), a player its first weapon,
// and then it is appended to the scene, selected and shown. Returns the model
// added, or nullptr.
COGLModel* AddModelToScene(COGLDoc& doc, std::unique_ptr<COGLModel> model);

// ".mdl" names two families, told apart by the first four bytes: "IDPO" is a
// Quake model, anything else a Half-Life studio model. Each family registers its
// openers here; the ".mdl" opener of the document chooses between them.
enum class MdlFamily { Quake, HalfLife };
MdlFamily MdlFamilyOf(const unsigned char* bytes, std::size_t size);
void RegisterMdlFamilyOpener(MdlFamily family, ModelOpener open, PakEntryOpener openFromPak);

// Registers every model and sprite class with the object factory and their
// extensions with the document. Safe to call more than once.
void RegisterModelClasses();
