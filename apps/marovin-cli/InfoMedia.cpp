// The "info" reports for pictures and pak archives.
#include <cstdio>

#include "Commands.h"
#include "Json.h"
#include "media/COGLImage.h"
#include "media/CPakFile.h"
#include "platform/FileSystem.h"

bool IsImageExtension(const std::string& extension) {
    return COGLImage::FormatFromExtension(extension).has_value();
}

bool IsPakExtension(const std::string& extension) {
    return fs_util::EqualsIgnoreCase(extension, "pak") || fs_util::EqualsIgnoreCase(extension, "sin");
}

int RunInfoImage(const std::string& path) {
    const auto format = COGLImage::FormatFromExtension(fs_util::ExtensionOf(path));
    COGLImage image;
    if (!format || !image.LoadFile(path, false, false)) {
        return Fail(kExitFailure, "cannot read '" + path + "'");
    }
    JsonWriter json;
    json.BeginObject()
        .Field("kind", "image")
        .Field("format", PictureFormatName(*format))
        .Field("width", image.Width())
        .Field("height", image.Height())
        .Field("has_alpha", image.HasAlpha())
        .EndObject();
    std::printf("%s\n", json.Text().c_str());
    return kExitOk;
}

int RunInfoPak(const std::string& path) {
    CPakFile pak;
    if (!pak.Open(path)) {
        return Fail(kExitFailure, "cannot read '" + path + "': not a pak archive");
    }
    JsonWriter json;
    json.BeginObject()
        .Field("kind", "pak")
        .Field("magic", pak.NameLength() == 120 ? "SPAK" : "PACK")
        .Field("entries", pak.EntryCount())
        .EndObject();
    std::printf("%s\n", json.Text().c_str());
    return kExitOk;
}
