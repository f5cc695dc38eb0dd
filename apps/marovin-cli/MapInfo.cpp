// "info" for a compiled map (".bsp"): what it holds and which of its pictures the
// game given before it (or the game folder it lies in) does not have.
#include <cstdio>
#include <memory>
#include <set>

#include "Commands.h"
#include "Json.h"
#include "maps/MapReader.h"
#include "maps/MapTextures.h"
#include "media/OpenArchive.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"

bool IsMapPath(const std::string& path) { return fs_util::EqualsIgnoreCase(fs_util::ExtensionOf(path), "bsp"); }

int RunMapInfo(const Args& args) {
    const std::string& map = args.back();
    std::vector<std::unique_ptr<Archive>> opened;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        auto archive = OpenArchive(fs_util::ResolvePath(args[i]));
        if (!archive) {
            return Fail(kExitFailure, "cannot open '" + args[i] + "' as a game folder or archive");
        }
        opened.push_back(std::move(archive));
    }
    std::optional<ByteBuffer> bytes;
    std::string mapFolder;
    const std::string path = fs_util::ResolvePath(map);
    if (fs_util::FileExists(path)) {
        bytes = ReadWholeFile(path);
        mapFolder = fs_util::DirectoryOf(path);
        if (opened.empty()) {
            if (auto game = OpenEnclosingGame(path)) {
                opened.push_back(std::move(game));
            }
        }
    } else {
        // Not on disk: an entry of an archive given before it.
        for (const auto& archive : opened) {
            if (const PakEntry* entry = archive->FindEntry(map)) {
                bytes = archive->ReadEntry(*entry);
                break;
            }
        }
    }
    if (!bytes) {
        return Fail(kExitFailure, "cannot open '" + map + "'");
    }
    const MapReadResult read = ReadMap(std::move(*bytes), map);
    if (!read.data) {
        return Fail(kExitFailure, read.error);
    }
    const MapData& data = *read.data;
    std::vector<Archive*> archives;
    for (const auto& archive : opened) {
        archives.push_back(archive.get());
    }
    const MapPictures pictures = ResolveMapPictures(data, archives, mapFolder);

    JsonWriter json;
    json.BeginObject();
    json.Field("kind", "map");
    json.Field("game", MapGameName(data.game));
    json.Field("version", data.version);
    json.Field("faces", data.faceLumpCount);
    json.Field("skipped", data.skippedFaces);
    json.Key("textures").BeginArray();
    for (const MapTexture& texture : data.textures) {
        json.String(texture.name);
    }
    json.EndArray();
    json.Field("entities", static_cast<int>(data.entities.size()));
    json.Key("starts").BeginArray();
    for (const MapStart& start : data.starts) {
        json.BeginObject();
        json.Field("class", start.className);
        json.NumberArray("origin", {start.origin.x, start.origin.y, start.origin.z});
        json.Field("yaw", static_cast<double>(start.yaw));
        json.EndObject();
    }
    json.EndArray();
    json.Key("missing").BeginArray();
    for (const std::string& name : pictures.missing) {
        json.String(name);
    }
    json.EndArray();
    json.Field("sky", pictures.HasSky());
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return kExitOk;
}
