#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "math/ColorRGBA.h"
#include "math/Quaternion.h"
#include "math/Vector3.h"
#include "platform/BinaryIO.h"
#include "scene/COGLScene.h"

class COGLTexture2D;

// What an edit of one object can change: placement, material, texture and its
// placement, name and visibility, what its kind adds (3D text, a model's
// animation settings); for a light's marker also the light's values.
struct ObjectState {
    std::string name;
    Vector3 position;
    Vector3 scale;
    Quaternion orientation;
    ColorRGBA ambient;
    ColorRGBA diffuse;
    ColorRGBA specular;
    ColorRGBA emission;
    float shininess = 0.0f;
    bool visible = true;
    bool transparent = false;
    COGLTexture2D* texture = nullptr;
    Vector3 textureRotation;
    Vector3 textureScale;
    Vector3 textureTranslation;
    int textureEnvMode = 0;
    ByteBuffer kind;   // the kind's own record (SaveEditState)
    ByteBuffer light;  // the light record when the object is a light's marker

    bool operator==(const ObjectState& other) const = default;
};

// The scene's own values the sheets and the colour picker edit: the background
// colour and mode, the ambient light, fog and highlight, and the shadow set-up.
struct SceneSettings {
    std::array<float, 3> background{};
    int backgroundMode = 0;
    ColorRGBA ambient;
    RendererSettings renderer;
    bool shadowsEnabled = false;
    std::vector<COGLObject*> shadowPlanes;
    std::vector<COGLLight*> shadowLights;
    bool shadowBlending = false;
    float shadowOpacity = 1.0f;
    std::optional<BackdropSettings> backdrop;  // while the scene has a backdrop

    bool operator==(const SceneSettings& other) const = default;
};

// The editing history of one scene: each step keeps what its change replaced, so
// undoing swaps that back in (and keeps what it replaced for the redo). Objects and
// lights taken out of the scene move into the step that took them, whole, so an
// undo puts the same object back without reading any file again.
//
// The scene must outlive the history (held models give their skins back to it).
class EditHistory {
public:
    EditHistory();
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // --- Changes of objects and of the scene's values in place ---
    // Remembers the object's state as the "before" of its next change (the object
    // a sheet shows, the one a drag starts on).
    void Watch(COGLScene& scene, COGLObject* object);
    // After the watched object changed: a step named `what` with the state it had
    // when watched, and the new state watched from now on. Nothing when it is not
    // the watched object or nothing changed. With `continuing` (the same edit goes
    // on: a slider still dragged) the last step, when it is this object's change
    // named `what`, takes this one in instead.
    void Changed(COGLScene& scene, COGLObject* object, const std::string& what, bool continuing = false);
    // The same for a watched object that now wears `added`, a texture the caller has
    // just appended to the scene's list for it: one step that takes both back.
    void ChangedWithTexture(COGLScene& scene, COGLObject* object, COGLTexture2D* added, const std::string& what);
    // The same for the scene's settings.
    void WatchScene(const COGLScene& scene);
    void SceneChanged(const COGLScene& scene, const std::string& what);

    // --- Changes of the lists ---
    // An object or light the caller has just appended.
    void Added(COGLScene& scene, COGLObject* object, const std::string& what);
    void Added(COGLScene& scene, COGLLight* light, const std::string& what);
    void Added(COGLScene& scene, COGLTexture2D* texture, const std::string& what);
    // An object just appended together with a change of the scene's settings (a new
    // shadow plane): one step, `before` being the settings it replaced.
    void Added(COGLScene& scene, COGLObject* object, const SceneSettings& before, const std::string& what);
    // Takes the object (or the light, for a light's marker) out of the scene into a
    // step; false when it is not in the scene.
    bool Delete(COGLScene& scene, COGLObject* object, const std::string& what);
    // Takes a texture of the scene's list that no object in the scene uses into a
    // step; false when it is not in the list or in use.
    bool DeleteTexture(COGLScene& scene, COGLTexture2D* texture, const std::string& what);
    // Takes the background picture out of the scene into a step, before the caller
    // loads another or leaves it cleared.
    void TakeBackground(COGLScene& scene, const std::string& what);
    // Puts `backdrop` (or none) in place of the scene's backdrop; the one replaced
    // moves into the step.
    void ReplaceBackdrop(COGLScene& scene, std::unique_ptr<SceneBackdrop> backdrop, const std::string& what);
    // Takes every object, light and texture, the background picture and the shadow
    // tables out of the scene into one step.
    void Clear(COGLScene& scene, const std::string& what);
    // `follower` leaves the scene's list and follows `leader` (AdoptFollower); an
    // undo puts it back where it stood. False (no step) when either is not in the
    // list or the leader does not take it.
    bool Follow(COGLScene& scene, COGLObject* leader, COGLObject* follower, const std::string& what);
    // The leader's follower back into the list right after it (ReleaseFollower);
    // nullptr (no step) when it has none.
    COGLObject* Part(COGLScene& scene, COGLObject* leader, const std::string& what);

    // --- Moving through the history ---
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // The name of the step Undo or Redo would take; empty when there is none.
    std::string UndoName() const;
    std::string RedoName() const;
    bool Undo(COGLScene& scene);
    bool Redo(COGLScene& scene);
    // Forgets every step (a new or opened scene); what the steps held is destroyed.
    void Reset();
    std::size_t UndoCount() const { return m_undo.size(); }
    std::size_t RedoCount() const { return m_redo.size(); }

    // Called after every step recorded (not for undo and redo): the document
    // counts each as an unsaved change, however the change was made.
    std::function<void()> onRecorded;

    static ObjectState StateOf(const COGLScene& scene, const COGLObject& object);
    static void Apply(COGLScene& scene, COGLObject& object, const ObjectState& state);
    static SceneSettings SettingsOf(const COGLScene& scene);
    static void Apply(COGLScene& scene, const SceneSettings& settings);

    struct Step;

private:
    static std::unique_ptr<Step> NewStep(const std::string& what);
    void Push(const COGLScene& scene, std::unique_ptr<Step> step);
    // Records that `element` stands at `index` of one of the scene's lists (a step's
    // `list` names which) when it does (index not negative).
    template <typename List, typename T>
    void RecordAdded(const COGLScene& scene, int index, T* element, List Step::*list, const std::string& what);
    bool Flip(COGLScene& scene, std::vector<std::unique_ptr<Step>>& from, std::vector<std::unique_ptr<Step>>& to,
              bool undo);

    std::vector<std::unique_ptr<Step>> m_undo;
    std::vector<std::unique_ptr<Step>> m_redo;
    COGLObject* m_watched = nullptr;
    ObjectState m_before;
    std::optional<SceneSettings> m_sceneBefore;
};
