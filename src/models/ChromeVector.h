#pragma once

#include "math/Vector3.h"

// The right vector of the most recently applied perspective camera, unsnapped and
// stored as (right.z, right.x, right.y). Chrome skins of studio models take their
// texture coordinates from it, so models read it here instead of reaching up into
// the view for its camera. Zero until a perspective camera has been applied.
const Vector3& ChromeRightVector();
void SetChromeRightVector(const Vector3& value);
