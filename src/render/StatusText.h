#pragma once

#include <string>

// The status-pane texts the mouse tools show while they run.

// Move (position), Scale (scale), Pan in a perspective pane (the camera centre).
std::string FormatStatusXYZ(float x, float y, float z);
// Rotate: the accumulated angle, followed by a degree sign.
std::string FormatStatusAngle(float degrees);
// Pan in an orthographic pane (eye x and y), Texture Move and Texture Scale.
std::string FormatStatusXY(float x, float y);
// Orbit: yaw, pitch, roll.
std::string FormatStatusOrbit(float yaw, float pitch, float roll);
// Zoom: the camera's zoom percentage, shown as at most 10000.
inline constexpr float kMaximumShownZoom = 10000.0f;
std::string FormatStatusZoom(float percent);
// Texture Rotate.
std::string FormatStatusValue(float value);
// Field of view.
std::string FormatStatusFieldOfView(float degrees);
