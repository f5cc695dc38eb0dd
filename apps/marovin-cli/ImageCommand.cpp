// marovin-cli image: writes the pixels a texture would upload as a PNG file.
#include <cstring>
#include <string>

#include "Commands.h"
#include "media/COGLImage.h"
#include "media/Palette.h"
#include "media/PngFile.h"
#include "platform/FileSystem.h"

namespace {
constexpr const char* kUsage = "usage: marovin-cli image IN -o OUT.png [--resize] [--default-palette]";
}

int RunImage(const Args& args) {
    std::string input;
    std::string output;
    bool resize = false;
    bool defaultPalette = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size()) {
                return Fail(kExitUsage, kUsage);
            }
            output = args[++i];
        } else if (args[i] == "--resize") {
            resize = true;
        } else if (args[i] == "--default-palette") {
            defaultPalette = true;
        } else if (input.empty() && args[i].rfind("-", 0) != 0) {
            input = args[i];
        } else {
            return Fail(kExitUsage, kUsage);
        }
    }
    if (input.empty() || output.empty()) {
        return Fail(kExitUsage, kUsage);
    }
    if (!fs_util::FileExists(fs_util::ResolvePath(input))) {
        return Fail(kExitFailure, "cannot open '" + input + "'");
    }
    if (!COGLImage::FormatFromExtension(fs_util::ExtensionOf(input))) {
        return Fail(kExitFailure, "cannot read '" + input + "': not a picture the program reads");
    }
    BuildGammaTable(1.0f);
    if (defaultPalette) {
        LoadDefaultPalette();
    }
    COGLImage image;
    if (!image.LoadFile(input, resize, defaultPalette)) {
        return Fail(kExitFailure, "cannot read '" + input + "'");
    }
    // Texture pixels hold the bottom row first; PNG wants the top row first.
    PngImage png;
    png.width = image.Width();
    png.height = image.Height();
    png.channels = image.BytesPerPixel();
    const std::size_t row = std::size_t(png.width) * std::size_t(png.channels);
    png.pixels.resize(row * std::size_t(png.height));
    for (int y = 0; y < png.height; ++y) {
        std::memcpy(png.pixels.data() + std::size_t(y) * row,
                    image.Pixels().data() + std::size_t(png.height - 1 - y) * row, row);
    }
    std::string error;
    if (!WritePng(output, png, &error)) {
        return Fail(kExitFailure, error);
    }
    return kExitOk;
}
