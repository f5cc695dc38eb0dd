#pragma once

// Brings an angle into [0, 360) the way rotations and camera angles do (subtract 360
// while above 359, add 360 while negative), safely for huge values. Returns false
// for an angle that is not finite.
bool WrapAngleDegrees(float& degrees);
