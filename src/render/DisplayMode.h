#pragma once

#include <array>

// How a perspective viewport draws: the value is handed unchanged to the scene
// renderer, and each value stands for one set of GL state.
struct DisplayModeInfo {
    int value;
    const char* menuText;
    int command;            // the view command that chooses it
    unsigned polygonMode;   // GL_POINT, GL_LINE or GL_FILL
    bool lighting;
    unsigned shadeModel;    // GL_FLAT or GL_SMOOTH
    bool cullBackFaces;
    bool depthTest;         // with GL_LESS
};

inline constexpr int kDisplayModePointsFast = 0;
inline constexpr int kDisplayModePoints = 1;
inline constexpr int kDisplayModeWireframeFast = 32;
inline constexpr int kDisplayModeWireframe = 33;
inline constexpr int kDisplayModeFlat = 65;
inline constexpr int kDisplayModeShaded = 129;

const std::array<DisplayModeInfo, 6>& DisplayModeTable();
// Nothing (nullptr) for a value or command outside the table.
const DisplayModeInfo* FindDisplayMode(int value);
const DisplayModeInfo* DisplayModeForCommand(int command);

// Sets the mode's polygon mode, shade model, back-face culling and depth test. With
// lighting it also sets GL_LIGHT_MODEL_LOCAL_VIEWER to 0 and enables GL_AUTO_NORMAL,
// GL_NORMALIZE and GL_LIGHTING (the caller then sets the scene's ambient light);
// without, it disables GL_LIGHTING, GL_LINE_SMOOTH and GL_POINT_SMOOTH. The caller
// pushes the enable, depth, polygon and lighting attributes around it when it
// wants them back.
void ApplyDisplayModeState(const DisplayModeInfo& mode);
