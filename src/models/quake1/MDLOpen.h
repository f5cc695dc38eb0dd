#pragma once

#include <string>

class COGLDoc;
class COGLMDL;
class Archive;

// Adds a Quake 1 model from a file, or from an entry of a pak (matched without
// regard to case), to the document's scene through the common opener end.
// Returns the model added, or nullptr.
COGLMDL* OpenMDLModel(COGLDoc& doc, const std::string& path);
COGLMDL* OpenMDLFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName);

// Registers COGLMDL (type code 15) with the object factory and as the Quake
// family of ".mdl". Safe to call more than once.
void RegisterQuake1Classes();
