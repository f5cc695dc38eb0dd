#pragma once

#include <string>

class COGLDoc;
class COGLSprite;
class Archive;

// Adds a sprite from a file, or from an entry of a pak (matched without regard
// to case), to the document's scene, selected and shown. A sprite that does not
// load has said why and adds nothing. Returns the sprite added, or nullptr.
COGLSprite* OpenSprite(COGLDoc& doc, const std::string& path);
COGLSprite* OpenSpriteFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName);

// Registers COGLSprite (type code 17) with the object factory and the ".sp2" and
// ".spr" openers with the document. Safe to call more than once.
void RegisterSpriteClasses();
