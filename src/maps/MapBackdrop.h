#pragma once

#include <memory>
#include <string>

#include "maps/MapData.h"
#include "maps/MapDrawing.h"
#include "scene/SceneBackdrop.h"

class Archive;
class COGLScene;

// Where a map was read from, as the scene file keeps it: a path on disk, or an
// entry of the archive at `archivePosition` in the scene's list.
struct MapSource {
    std::string path;  // the file, or the entry's name inside the archive
    int archivePosition = -1;
};

// A compiled map as a scene's backdrop, in scene coordinates (MapCoordinates.h).
class MapBackdrop : public SceneBackdrop {
public:
    MapBackdrop(std::shared_ptr<const MapData> map, MapPictures pictures, MapSource source, std::string name);

    std::string Name() const override { return m_name; }
    void Draw(Pass pass) override;
    bool Bounds(Vector3& lo, Vector3& hi) const override;
    std::vector<BackdropStart> Starts() const override;
    std::optional<BackdropHit> Trace(const Vector3& origin, const Vector3& direction, float maxDistance) const override;
    std::vector<std::string> BrushEntityNames() const override;
    std::vector<std::string> MissingPictures() const override { return m_missing; }
    void SetAnimationTime(double seconds) override { m_drawing.SetAnimationTime(seconds); }

    const MapData& Data() const { return *m_map; }
    const MapSource& Source() const { return m_source; }
    const MapDrawing& Drawing() const { return m_drawing; }

private:
    std::shared_ptr<const MapData> m_map;
    MapSource m_source;
    std::string m_name;
    std::vector<std::string> m_missing;
    Vector3 m_lo;
    Vector3 m_hi;
    bool m_hasBounds = false;
    MapDrawing m_drawing;
};

// Reads the map at `path` (or the entry `entryName` of `archive`) with its pictures
// found through the scene's archives (and, for a file, its folder). Nothing and the
// reader's message in `error` when it does not read.
std::unique_ptr<MapBackdrop> LoadMapBackdrop(const COGLScene& scene, const std::string& path, std::string& error);
std::unique_ptr<MapBackdrop> LoadMapBackdrop(const COGLScene& scene, Archive& archive, const std::string& entryName,
                                             std::string& error);
