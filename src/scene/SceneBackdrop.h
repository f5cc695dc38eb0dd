#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "math/Vector3.h"

// What the user sets on a backdrop; part of the scene's settings, so a change is
// one step of the editing history and saves with the scene.
struct BackdropSettings {
    // Lightmaps are multiplied by this (the games brighten them by 2).
    float brightness = 2.0f;
    bool sky = true;
    // One entry per brush entity (a door, a platform) in the order BrushEntityNames
    // lists them: 1 shown, 0 hidden. Shorter than the list means the rest show.
    std::vector<std::uint8_t> brushEntitiesShown;

    bool operator==(const BackdropSettings& other) const = default;
    bool BrushEntityShown(std::size_t index) const {
        return index >= brushEntitiesShown.size() || brushEntitiesShown[index] != 0;
    }
};

// A place the backdrop offers to stand at (a map's player start), in scene
// coordinates; `yaw` turns about the scene's up axis, in degrees, 0 facing +Z and
// 90 facing +X.
struct BackdropStart {
    std::string className;
    Vector3 position;
    float yaw = 0.0f;
};

// Where a ray met the backdrop's surface, in scene coordinates.
struct BackdropHit {
    Vector3 point;
    Vector3 normal;  // of the face hit, unit length, on the side the ray came from
    float distance = 0.0f;
};

// The world a scene is composed in (a game's compiled map): drawn behind and around
// the objects, never one of them. The view, the renderer and the scene file only
// know this; what it is made of stays with the layer that builds it.
class SceneBackdrop {
public:
    // Outline: the edges of what it draws as lines in the current colour, for the
    // flat panes and the line display modes.
    enum class Pass { Opaque, Blended, Outline };

    virtual ~SceneBackdrop() = default;

    // The name the shell shows (the map's file name).
    virtual std::string Name() const = 0;
    // Draws one pass with the camera's modelview and projection applied, setting
    // and putting back the GL state it needs. The blended pass (liquids, glass) comes
    // after the scene's objects.
    virtual void Draw(Pass pass) = 0;
    // The box of everything it draws; false when it draws nothing.
    virtual bool Bounds(Vector3& lo, Vector3& hi) const = 0;
    virtual std::vector<BackdropStart> Starts() const = 0;
    // The nearest surface along `direction` (unit length) from `origin`, within
    // `maxDistance`.
    virtual std::optional<BackdropHit> Trace(const Vector3& origin, const Vector3& direction,
                                             float maxDistance) const = 0;
    // The brush entities BackdropSettings::brushEntitiesShown refers to, as the
    // property page lists them.
    virtual std::vector<std::string> BrushEntityNames() const { return {}; }
    // Pictures it draws as a checker because they were not found.
    virtual std::vector<std::string> MissingPictures() const { return {}; }
    // Whatever moves in it by itself (a map's liquids) stands `seconds` into the
    // scene's animations: 0 until something has played, so still pictures agree.
    virtual void SetAnimationTime(double seconds) { (void)seconds; }

    const BackdropSettings& Settings() const { return m_settings; }
    virtual void SetSettings(const BackdropSettings& settings) { m_settings = settings; }

protected:
    SceneBackdrop() = default;
    SceneBackdrop(const SceneBackdrop&) = delete;
    SceneBackdrop& operator=(const SceneBackdrop&) = delete;

    BackdropSettings m_settings;
};
