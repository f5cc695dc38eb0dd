// marovin-cli image: writes the pixels a texture would upload as a PNG file.
#include <cstring>
#include <string>

#include "Commands.h"
#include "media/COGLImage.h"
#include "media/OpenArchive.h"
#include "media/Palette.h"
#include "media/PngFile.h"
#include "platform/FileSystem.h"

namespace {
constexpr const char* kUsage =
    "usage: marovin-cli image IN -o OUT.png [--resize] [--default-palette]\n"
    "       marovin-cli image ARCHIVE NAME -o OUT.png [--resize] [--default-palette]";

// The picture `name` inside the archive or game folder at `path` (a WAD's
// textures by their lump names), or a message saying why not.
std::string LoadFromArchive(const std::string& path, const std::string& name, bool resize, bool defaultPalette,
                            COGLImage& image) {
    const auto archive = OpenArchive(fs_util::ResolvePath(path));
    if (archive == nullptr) {
        return "cannot read '" + path + "': not an archive or game folder";
    }
    const PakEntry* entry = archive->FindEntry(name);
    if (entry == nullptr) {
        return "no entry '" + name + "' in '" + path + "'";
    }
    if (!image.LoadFromArchive(*archive, *entry, resize, defaultPalette, false)) {
        return "cannot read '" + name + "' in '" + path + "': not a picture the program reads";
    }
    return {};
}
}  // namespace

int RunImage(const Args& args) {
    std::string input;
    std::string entryName;  // with an archive as the input
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
        } else if (entryName.empty() && args[i].rfind("-", 0) != 0) {
            entryName = args[i];
        } else {
            return Fail(kExitUsage, kUsage);
        }
    }
    if (input.empty() || output.empty()) {
        return Fail(kExitUsage, kUsage);
    }
    const std::string resolved = fs_util::ResolvePath(input);
    if (!fs_util::FileExists(resolved) && !(entryName.size() > 0 && fs_util::DirectoryExists(resolved))) {
        return Fail(kExitFailure, "cannot open '" + input + "'");
    }
    if (entryName.empty() && !COGLImage::FormatFromExtension(fs_util::ExtensionOf(input))) {
        return Fail(kExitFailure, "cannot read '" + input + "': not a picture the program reads");
    }
    BuildGammaTable(1.0f);
    if (defaultPalette) {
        LoadDefaultPalette();
    }
    COGLImage image;
    if (!entryName.empty()) {
        if (const std::string error = LoadFromArchive(input, entryName, resize, defaultPalette, image);
            !error.empty()) {
            return Fail(kExitFailure, error);
        }
    } else if (!image.LoadFile(input, resize, defaultPalette)) {
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
