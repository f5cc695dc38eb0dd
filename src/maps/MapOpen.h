#pragma once

#include <memory>
#include <string>

class COGLDoc;
class MapBackdrop;

// Makes ".bsp" a file the document opens: from disk or from an entry of one of
// the scene's archives, the map becomes the scene's backdrop (one step of the
// editing history) and the view looks into it. A map that does not read shows
// the reader's message and leaves the scene as it was. Also registers the scene
// file's block that saves the map (MapSceneBlock.h).
void RegisterMapOpeners();

// Puts a read map in place of the document's backdrop, as opening one does.
void SetMapBackdrop(COGLDoc& doc, std::unique_ptr<MapBackdrop> backdrop);
