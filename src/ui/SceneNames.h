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

// A name or text from a game file or the scene (objects, skins, animations,
// weapons, textures, archive entries, paths) as the letters it stands for: the
// 8-bit Windows-1252 of the games, or UTF-8 where a tool wrote that. Every name
// the window shows goes through here.
QString GameText(const std::string& text);
// What the user typed into a field that showed `current`, as the scene is to hold
// it. Unchanged text gives back `current` itself, so a name is never altered by
// being shown and committed (GameText does not say which bytes it came from).
// Changed text is kept as 8-bit Latin-1, as 3D text is drawn, cut to `maxBytes`;
// nothing (after a note to the user) when it has a character Latin-1 cannot hold.
std::optional<std::string> ToSceneText(const QString& typed, const std::string& current, int maxBytes);
