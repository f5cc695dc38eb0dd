#include "maps/MapBackdrop.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "maps/MapCoordinates.h"
#include "maps/MapReader.h"
#include "maps/MapTrace.h"
#include "media/Archive.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"

MapBackdrop::MapBackdrop(std::shared_ptr<const MapData> map, MapPictures pictures, MapSource source, std::string name)
    : m_map(std::move(map)),
      m_source(std::move(source)),
      m_name(std::move(name)),
      m_missing(pictures.missing),
      m_drawing(m_map, std::move(pictures)) {
    constexpr float kHuge = std::numeric_limits<float>::max();
    m_lo = {kHuge, kHuge, kHuge};
    m_hi = {-kHuge, -kHuge, -kHuge};
    for (const MapVertex& v : m_map->vertices) {
        const Vector3 p = MapToScene(v.position);
        m_lo = {std::min(m_lo.x, p.x), std::min(m_lo.y, p.y), std::min(m_lo.z, p.z)};
        m_hi = {std::max(m_hi.x, p.x), std::max(m_hi.y, p.y), std::max(m_hi.z, p.z)};
    }
    m_hasBounds = !m_map->vertices.empty();
    m_settings.brushEntitiesShown.assign(m_drawing.BrushEntities().size(), 1);
}

void MapBackdrop::Draw(Pass pass) { m_drawing.Draw(pass, m_settings); }

bool MapBackdrop::Bounds(Vector3& lo, Vector3& hi) const {
    lo = m_lo;
    hi = m_hi;
    return m_hasBounds;
}

std::vector<BackdropStart> MapBackdrop::Starts() const {
    std::vector<BackdropStart> starts;
    starts.reserve(m_map->starts.size());
    for (const MapStart& start : m_map->starts) {
        starts.push_back({start.className, MapToScene(start.origin), start.yaw});
    }
    return starts;
}

std::optional<BackdropHit> MapBackdrop::Trace(const Vector3& origin, const Vector3& direction,
                                              float maxDistance) const {
    MapTraceOptions options;
    options.brushModels = true;
    const std::optional<MapHit> hit = ::Trace(*m_map, SceneToMap(origin), SceneDirectionToMap(direction),
                                              maxDistance / kMapSceneScale, options);
    if (!hit) {
        return std::nullopt;
    }
    // A hidden door lets the ray through, as it is not drawn.
    if (hit->face >= 0 && static_cast<std::size_t>(hit->face) < m_map->faces.size()) {
        const int model = m_map->faces[static_cast<std::size_t>(hit->face)].model;
        const auto& entities = m_drawing.BrushEntities();
        for (std::size_t i = 0; i < entities.size(); ++i) {
            if (entities[i].model == model && !m_settings.BrushEntityShown(i)) {
                const Vector3 past = origin + direction * (hit->distance * kMapSceneScale + 0.01f);
                const float left = maxDistance - hit->distance * kMapSceneScale - 0.01f;
                return left > 0.0f ? Trace(past, direction, left) : std::nullopt;
            }
        }
    }
    return BackdropHit{MapToScene(hit->point), MapDirectionToScene(hit->normal), hit->distance * kMapSceneScale};
}

std::vector<std::string> MapBackdrop::BrushEntityNames() const {
    std::vector<std::string> names;
    for (const auto& entity : m_drawing.BrushEntities()) {
        names.push_back(entity.name);
    }
    return names;
}

namespace {
std::vector<Archive*> ArchivesOf(const COGLScene& scene, Archive* first) {
    std::vector<Archive*> archives;
    if (first != nullptr) {
        archives.push_back(first);
    }
    for (int i = 0; i < scene.PakCount(); ++i) {
        if (Archive* pak = scene.PakAt(i); pak != first) {
            archives.push_back(pak);
        }
    }
    return archives;
}

std::string BaseName(const std::string& path) { return std::filesystem::path(path).filename().string(); }
}  // namespace

std::unique_ptr<MapBackdrop> LoadMapBackdrop(const COGLScene& scene, const std::string& path, std::string& error) {
    const std::string resolved = fs_util::ResolvePath(path);
    std::optional<ByteBuffer> bytes = ReadWholeFile(resolved);
    if (!bytes) {
        error = FormatMessage(msg::kUnableToOpen, path);
        return nullptr;
    }
    MapReadResult read = ReadMap(std::move(*bytes), path);
    if (!read.data) {
        error = read.error;
        return nullptr;
    }
    // A map lying in a game's maps folder finds its pictures in that game first,
    // as the game itself would, even when the scene has not opened the game.
    const std::unique_ptr<Archive> game = OpenEnclosingGame(resolved);
    MapPictures pictures =
        ResolveMapPictures(*read.data, ArchivesOf(scene, game.get()), std::filesystem::path(resolved).parent_path().string());
    return std::make_unique<MapBackdrop>(std::move(read.data), std::move(pictures), MapSource{path, -1}, BaseName(path));
}

std::unique_ptr<MapBackdrop> LoadMapBackdrop(const COGLScene& scene, Archive& archive, const std::string& entryName,
                                             std::string& error) {
    const PakEntry* entry = archive.FindEntry(entryName);
    std::optional<ByteBuffer> bytes = entry != nullptr ? archive.ReadEntry(*entry) : std::nullopt;
    if (!bytes) {
        error = FormatMessage(msg::kUnableToOpen, entryName);
        return nullptr;
    }
    MapReadResult read = ReadMap(std::move(*bytes), entryName);
    if (!read.data) {
        error = read.error;
        return nullptr;
    }
    // The archive holding the map is asked first: a map's pictures live in its game.
    MapPictures pictures = ResolveMapPictures(*read.data, ArchivesOf(scene, &archive), {});
    return std::make_unique<MapBackdrop>(std::move(read.data), std::move(pictures),
                                         MapSource{entryName, scene.PositionOfPak(&archive)}, BaseName(entryName));
}
