#pragma once

#include <QStringList>

#include <functional>
#include <string>

#include "ui/PropertyWidgets.h"

class COGLTexture2D;
class Archive;

// What the "Scene Properties" pages ask of the shell around them. The sheet holds
// the one set (the wiring and the tests fill it in) and its pages read it, so a
// page never reaches back into the sheet.
struct SceneSheetHooks {
    // Asks for a colour (the standard colour dialog by default).
    ColorChooser chooseColor;
    // Asks for picture files (the open dialog with the texture filter by default).
    std::function<QStringList(const QString& title, bool several)> choosePictures;
    // Just before the background picture is replaced or cleared, with what happens.
    std::function<void(const std::string& what)> beforeBackgroundChange;
    // Deletes a texture of the scene's list; false when an object uses it. Empty:
    // the scene deletes it outright.
    std::function<bool(COGLTexture2D* texture)> deleteTexture;
    // After a picture was added to the scene's textures (not when the scene had it
    // already): the wiring makes it a step of the history.
    std::function<void(COGLTexture2D* texture)> textureAdded;
    // After the lists selected an object or a light: the wiring refreshes the object
    // sheet and repaints.
    std::function<void()> onSelectionChanged;
    // A double-clicked archive entry that is not a picture (a model, a sprite). True
    // when it was used; the models add the model to the scene.
    std::function<bool(Archive& pak, const std::string& entryName)> onPakItemActivated;
    // The browser's add of a Quake 2 model: a player's body as a player, any other
    // as a plain model, whatever the open dialog's sticky options say. Empty: the
    // browser goes to onPakItemActivated.
    std::function<bool(Archive& pak, const std::string& entryName, bool asPlayer)> addModel;
};
