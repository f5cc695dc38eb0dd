#pragma once

#include <string>

// The scene opened when none is named: the demo scene installed beside the
// program (share/marovin/samples) or, run from a build tree, the source tree's.
// Empty when neither is there.
std::string FindDemoScene();

// Without a display: renders the file (scene, pak or model) through the core into
// an off-screen context and writes the picture as PNG. Returns whether it was
// written; failures are printed.
bool RenderPreview(const std::string& input, const std::string& output, int width, int height);
