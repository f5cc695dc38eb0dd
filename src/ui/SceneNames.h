#pragma once

#include <QString>

#include <optional>
#include <string>

class COGLLight;
class COGLObject;

// How the sheets and lists name the things of a scene.

// "Box", "Right Wall", "Player" ... for an object type code; "Object" for a code
// with no class behind it.
QString ObjectKindName(int typeCode);
// The object's name, with its kind after it; the kind alone for an unnamed one.
QString ObjectLabel(const COGLObject& object);
// The light's name, with "point" or "spot" after it.
QString LightLabel(const COGLLight& light);

// Names and 3D text are kept, saved and drawn as 8-bit Latin-1.
QString FromSceneText(const std::string& text);
// The typed text as the scene holds it, cut to `maxBytes`; nothing (after a note
// to the user) when it has a character Latin-1 cannot hold.
std::optional<std::string> ToSceneText(const QString& typed, int maxBytes);
