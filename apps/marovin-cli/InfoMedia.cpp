// The "info" reports for pictures and pak archives.
#include <cstdio>

#include "Commands.h"
#include "Json.h"
#include "media/COGLImage.h"
#include "media/CPakFile.h"
#include "media/GameFolder.h"
#include "media/OpenArchive.h"
#include "platform/FileSystem.h"

bool IsImageExtension(const std::string& extension) {
    return COGLImage::FormatFromExtension(extension).has_value();
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

int RunInfoArchive(const std::string& path) {
    const auto archive = OpenArchive(path);
    if (archive == nullptr) {
        return Fail(kExitFailure, "cannot read '" + path + "': not an archive or game folder");
    }
    JsonWriter json;
    json.BeginObject();
    if (const auto* pak = dynamic_cast<const CPakFile*>(archive.get())) {
        json.Field("kind", "pak").Field("magic", pak->NameLength() == 120 ? "SPAK" : "PACK");
    } else {
        json.Field("kind", ArchiveKindName(archive->Kind()));
    }
    json.Field("entries", archive->EntryCount());
    if (const auto* game = dynamic_cast<const GameFolder*>(archive.get())) {
        const GameFolder::Layout& layout = game->GameLayout();
        json.Field("game", GameKindName(layout.game)).Field("base", layout.baseFolder);
        if (!layout.modFolder.empty()) {
            json.Field("mod", layout.modFolder);
        }
        // The sources as the engine asks them, first asked first.
        json.Key("stack").BeginArray();
        for (int i = 0; i < game->SourceCount(); ++i) {
            const Archive& source = game->Source(i);
            json.BeginObject().Field("path", source.Path()).Field("kind", ArchiveKindName(source.Kind()))
                .Field("entries", source.EntryCount()).EndObject();
        }
        json.EndArray();
    }
    const std::vector<std::string> problems = archive->Problems();
    if (!problems.empty()) {
        json.Key("problems").BeginArray();
        for (const std::string& problem : problems) {
            json.String(problem);
        }
        json.EndArray();
    }
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return kExitOk;
}
