// The "info" reports for pictures, pak archives and the players they hold.
#include <algorithm>
#include <cstdio>

#include "Commands.h"
#include "Json.h"
#include "media/COGLImage.h"
#include "media/CPakFile.h"
#include "media/GameFolder.h"
#include "media/OpenArchive.h"
#include "models/quake2/COGLPlayer.h"
#include "models/quake2/PlayerFolders.h"
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

int RunInfoPlayers(const std::string& path) {
    const auto archive = OpenArchive(path);
    if (archive == nullptr) {
        return Fail(kExitFailure, "cannot read '" + path + "': not an archive or game folder");
    }
    std::vector<PlayerListing> players = ListPlayers(*archive);
    // A game's players come in the order its stack asks its sources.
    const auto sourcePosition = [&](const PlayerListing& player) {
        const Archive* source = archive->OriginOf(*player.body).source;
        if (const auto* game = dynamic_cast<const GameFolder*>(archive.get())) {
            for (int i = 0; i < game->SourceCount(); ++i) {
                if (&game->Source(i) == source) {
                    return i;
                }
            }
        }
        return 0;
    };
    std::stable_sort(players.begin(), players.end(), [&](const PlayerListing& a, const PlayerListing& b) {
        return sourcePosition(a) < sourcePosition(b);
    });
    const bool flag = archive->FindEntry(COGLPlayer::kFlagModel) != nullptr;
    JsonWriter json;
    json.BeginObject().Key("players").BeginArray();
    for (const PlayerListing& player : players) {
        json.BeginObject()
            .Field("name", player.name)
            .Field("archive", archive->OriginOf(*player.body).source->Path())
            .Field("body", player.body->name);
        json.Key("skins").BeginArray();
        for (const PakEntry* skin : player.skins) {
            json.String(fs_util::FileTitleOf(skin->name));
        }
        json.EndArray().Key("weapons").BeginArray();
        for (const PakEntry* weapon : player.weapons) {
            json.String(PlayerWeaponName(weapon->name));
        }
        json.EndArray().Field("flag", flag).EndObject();
    }
    json.EndArray().EndObject();
    std::printf("%s\n", json.Text().c_str());
    return kExitOk;
}
