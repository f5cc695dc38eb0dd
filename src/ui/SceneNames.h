#pragma once

#include <QString>

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
