#include "maps/MapSceneBlock.h"

#include <memory>
#include <string>

#include "maps/MapBackdrop.h"
#include "platform/BinaryIO.h"
#include "scene/COGLScene.h"
#include "scene/SceneExtensions.h"

namespace {
bool WriteMapBlock(const COGLScene& scene, BinaryWriter& out) {
    const auto* map = dynamic_cast<const MapBackdrop*>(scene.Backdrop());
    if (map == nullptr) {
        return false;
    }
    const MapSource& source = map->Source();
    out.WriteI32(source.archivePosition);
    out.WriteU32(static_cast<std::uint32_t>(source.path.size()));
    out.WriteBytes(source.path.data(), source.path.size());
    const BackdropSettings& settings = map->Settings();
    out.WriteF32(settings.brightness);
    out.WriteU8(settings.sky ? 1 : 0);
    out.WriteU32(static_cast<std::uint32_t>(settings.brushEntitiesShown.size()));
    for (const std::uint8_t shown : settings.brushEntitiesShown) {
        out.WriteU8(shown != 0 ? 1 : 0);
    }
    return true;
}

void ReadMapBlock(BinaryReader& payload, COGLScene& scene) {
    const std::int32_t position = payload.ReadI32();
    const std::uint32_t length = payload.ReadU32();
    if (length == 0 || length > map_scene_block::kMaxPath || length > payload.Remaining()) {
        throw ReadError("map path of " + std::to_string(length) + " bytes");
    }
    std::string path(length, '\0');
    payload.ReadInto(path.data(), length);
    BackdropSettings settings;
    settings.brightness = payload.ReadF32();
    settings.sky = payload.ReadU8() != 0;
    const std::uint32_t count = payload.ReadU32();
    if (count > payload.Remaining()) {
        throw ReadError("more brush entities than bytes");
    }
    settings.brushEntitiesShown.resize(count);
    for (std::uint8_t& shown : settings.brushEntitiesShown) {
        shown = payload.ReadU8() != 0 ? 1 : 0;
    }
    std::string error;
    std::unique_ptr<MapBackdrop> map;
    if (position < 0) {
        map = LoadMapBackdrop(scene, path, error);
    } else if (Archive* archive = scene.PakForFileIndex(position)) {
        map = LoadMapBackdrop(scene, *archive, path, error);
    }
    if (!map) {
        throw ReadError("the map '" + path + "' did not open again" + (error.empty() ? "" : ": " + error));
    }
    if (!(settings.brightness >= 0.0f && settings.brightness <= 8.0f)) {
        settings.brightness = BackdropSettings{}.brightness;
    }
    // The saved scene may predate a map rebuilt with other doors; the rest show.
    settings.brushEntitiesShown.resize(map->BrushEntityNames().size(), 1);
    map->SetSettings(settings);
    std::unique_ptr<SceneBackdrop> held = std::move(map);
    scene.SwapBackdrop(held);
}
}  // namespace

void RegisterMapSceneBlock() { RegisterSceneBlock(map_scene_block::kTag, WriteMapBlock, ReadMapBlock); }
