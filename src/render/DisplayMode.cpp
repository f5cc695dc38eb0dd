#include "render/DisplayMode.h"

#include <GL/gl.h>

#include "render/CommandIds.h"

namespace {
constexpr std::array<DisplayModeInfo, 6> kModes = {{
    {kDisplayModePointsFast, "Points Fast", cmd::kPointsFast, GL_POINT, false, GL_FLAT, false, false},
    {kDisplayModePoints, "Points", cmd::kPoints, GL_POINT, true, GL_SMOOTH, false, false},
    {kDisplayModeWireframeFast, "Wireframe Fast", cmd::kWireframeFast, GL_LINE, false, GL_FLAT, false, true},
    {kDisplayModeWireframe, "Wireframe", cmd::kWireframe, GL_LINE, true, GL_SMOOTH, false, true},
    {kDisplayModeFlat, "Flat", cmd::kFlat, GL_FILL, true, GL_FLAT, true, true},
    {kDisplayModeShaded, "Shaded", cmd::kShaded, GL_FILL, true, GL_SMOOTH, true, true},
}};

void SetEnabled(GLenum capability, bool enabled) {
    if (enabled) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
}
}  // namespace

const std::array<DisplayModeInfo, 6>& DisplayModeTable() { return kModes; }

const DisplayModeInfo* FindDisplayMode(int value) {
    for (const DisplayModeInfo& mode : kModes) {
        if (mode.value == value) {
            return &mode;
        }
    }
    return nullptr;
}

const DisplayModeInfo* DisplayModeForCommand(int command) {
    for (const DisplayModeInfo& mode : kModes) {
        if (mode.command == command) {
            return &mode;
        }
    }
    return nullptr;
}

void ApplyDisplayModeState(const DisplayModeInfo& mode) {
    SetEnabled(GL_DEPTH_TEST, mode.depthTest);
    if (mode.depthTest) {
        glDepthFunc(GL_LESS);
    }
    SetEnabled(GL_CULL_FACE, mode.cullBackFaces);
    if (mode.cullBackFaces) {
        glCullFace(GL_BACK);
    }
    glShadeModel(mode.shadeModel);
    glPolygonMode(GL_FRONT_AND_BACK, mode.polygonMode);
    if (mode.lighting) {
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
        glEnable(GL_AUTO_NORMAL);
        glEnable(GL_NORMALIZE);
        glEnable(GL_LIGHTING);
    } else {
        glDisable(GL_LIGHTING);
        glDisable(GL_LINE_SMOOTH);
        glDisable(GL_POINT_SMOOTH);
    }
}
