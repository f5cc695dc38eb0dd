#pragma once

#include <array>
#include <optional>
#include <string>

#include "math/Vector3.h"
#include "render/MouseTools.h"

class COGLLight;
class COGLObject;
class COGLViewport;

// One drag step of a mouse tool as plain values: the tools act on what they are
// handed (a pane, an object) and leave the view's state to the view.
struct ToolStep {
    MouseTool tool = MouseTool::Select;
    AxisFlags axes;
    // In window pixels, already reduced to its dominant component and clamped.
    int dx = 0;
    int dy = 0;
    // The left button works across the screen (X sideways, Y up and down), the
    // right button in and out of it (Z).
    bool rightButton = false;
    int sensitivity = 1;
    // The Scale tools take a step as a share of the window's width.
    int clientWidth = 0;
};

// The world directions that follow the pointer in a pane: right, up and towards
// the viewer.
std::array<Vector3, 3> PointerAxes(const COGLViewport& viewport);

// Each applies the step and returns the status text it leaves; nothing where the
// step does not apply to what it was handed.
//
// Move, Rotate or Scale of `object` as seen in `viewport`, the active pane. Rotate
// adds its step to `rotateAngle` and turns the beam of `markedLight` (the light
// whose marker `object` is, if any) when that is a spot light.
std::optional<std::string> ApplyObjectTool(const ToolStep& step, const COGLViewport& viewport, COGLObject& object,
                                           COGLLight* markedLight, float& rotateAngle);
// Pan, Orbit, Zoom or Field of view on the pane's camera; Orbit and Field of view
// only turn a perspective pane.
std::optional<std::string> ApplyCameraTool(const ToolStep& step, COGLViewport& viewport);
// Texture Move, Texture Scale or Texture Rotate of `object`'s texture.
std::optional<std::string> ApplyTextureTool(const ToolStep& step, COGLObject& object);
