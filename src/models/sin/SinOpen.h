#pragma once

#include <string>

class COGLDoc;
class COGLSBM;
class Archive;

// Adds a SiN model to the document's scene from a definition on disk, or from a
// definition entry of a ".sin" archive (`entryName` matched without regard to
// case). A definition that does not load says its message, then "Error opening
// file", and adds nothing. Returns the model added, or nullptr.
COGLSBM* OpenSinModel(COGLDoc& doc, const std::string& path);
COGLSBM* OpenSinModelFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName);

// Registers COGLSBM (type code 14) with the object factory and the ".def"
// openers with the document. Safe to call more than once.
void RegisterSinClasses();
