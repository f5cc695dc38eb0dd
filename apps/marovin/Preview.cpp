#include "Preview.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "maps/MapOpen.h"
#include "models/ModelFamilies.h"
#include "platform/FileSystem.h"
#include "render/COGLView.h"
#include "render/HeadlessView.h"
#include "render/ImageOutput.h"
#include "scene/COGLDoc.h"

std::string FindDemoScene() {
    const std::string candidates[] = {
        paths::ProgramDirectory() + "../share/marovin/samples/scenes/demo.dv",
        std::string(MAROVIN_SOURCE_SAMPLES) + "/scenes/demo.dv",
    };
    for (const std::string& candidate : candidates) {
        if (fs_util::FileExists(candidate)) {
            std::error_code ignored;
            const std::filesystem::path canonical = std::filesystem::weakly_canonical(candidate, ignored);
            return canonical.empty() ? candidate : canonical.string();
        }
    }
    return {};
}

bool RenderPreview(const std::string& input, const std::string& output, int width, int height) {
    std::string error;
    std::string warning;
    const auto headless = StartHeadlessView(width, height, &error, &warning);
    if (!headless) {
        std::fprintf(stderr, "marovin: no OpenGL context could be made for a picture either: %s\n", error.c_str());
        return false;
    }
    if (!warning.empty()) {
        std::fprintf(stderr, "marovin: %s\n", warning.c_str());
    }
    RegisterModelClasses();
    RegisterMapOpeners();
    COGLView& view = *headless->view;
    if (!input.empty() && !view.Document().OpenFile(input).succeeded) {
        std::fprintf(stderr, "marovin: cannot open '%s'\n", input.c_str());
        return false;
    }
    if (!view.Capture(width, height, 3) || !WriteImage(view.Captured(), output, ImageFormat::Png, 0)) {
        std::fprintf(stderr, "marovin: cannot write '%s'\n", output.c_str());
        return false;
    }
    return true;
}
