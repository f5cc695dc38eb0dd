#include "scene/EditHistory.h"

#include <algorithm>
#include <utility>

#include "media/COGLTexture2D.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "scene/SceneFormat.h"

namespace {

COGLLight* LightOfMarker(const COGLScene& scene, const COGLObject& object) {
    if (!object.IsLightMarker()) {
        return nullptr;
    }
    for (const auto& light : scene.Lights()) {
        if (&light->Marker() == &object) {
            return light.get();
        }
    }
    return nullptr;
}

// The steps of one scene stay within this; the oldest go first.
constexpr std::size_t kMaxSteps = 1000;

}  // namespace

struct EditHistory::Step {
    // One element of a list, in the scene (held empty) or in the step (held set);
    // flipping moves it to the other side.
    template <typename T>
    struct Entry {
        int index = 0;
        T* element = nullptr;
        std::unique_ptr<T> held;
    };

    std::string what;
    std::vector<std::pair<COGLObject*, ObjectState>> states;
    std::vector<Entry<COGLObject>> objects;
    std::vector<Entry<COGLLight>> lights;
    std::vector<Entry<COGLTexture2D>> textures;
    std::optional<COGLScene::Contents> contents;
    std::optional<COGLScene::BackgroundPicture> background;
    std::optional<std::unique_ptr<SceneBackdrop>> backdrop;
    // A follower between the scene's list (at `index`, with `state` there) and
    // its leader; `carried` says where it is now.
    struct Follow {
        COGLObject* leader = nullptr;
        COGLObject* follower = nullptr;
        int index = 0;
        bool carried = false;
        ObjectState state;
    };
    std::vector<Follow> follows;
    // Applied after the lists changed, so the shadow tables find their entries.
    std::optional<SceneSettings> settings;
};

EditHistory::EditHistory() = default;

// Held objects are destroyed newest first, before the scene that gave them out.
EditHistory::~EditHistory() { Reset(); }

ObjectState EditHistory::StateOf(const COGLScene& scene, const COGLObject& object) {
    ObjectState state;
    state.name = object.Name();
    state.position = object.Position();
    state.scale = object.Scale();
    state.orientation = object.Orientation();
    state.ambient = object.Ambient();
    state.diffuse = object.Diffuse();
    state.specular = object.Specular();
    state.emission = object.Emission();
    state.shininess = object.Shininess();
    state.visible = object.IsVisible();
    state.transparent = object.IsTransparent();
    state.texture = object.Texture();
    state.textureRotation = object.TextureRotation();
    state.textureScale = object.TextureScale();
    state.textureTranslation = object.TextureTranslation();
    state.textureEnvMode = object.TextureEnvMode();
    BinaryWriter kind;
    object.SaveEditState(kind);
    state.kind = kind.Bytes();
    if (const COGLLight* light = LightOfMarker(scene, object)) {
        BinaryWriter out;
        light->Save(out);
        state.light = out.Bytes();
    }
    return state;
}

void EditHistory::Apply(COGLScene& scene, COGLObject& object, const ObjectState& state) {
    // Through the virtual setters, so a player's weapon and flag follow.
    object.SetName(state.name);
    object.SetPosition(state.position.x, state.position.y, state.position.z);
    object.SetScale(state.scale.x, state.scale.y, state.scale.z);
    object.SetOrientation(state.orientation);
    const auto set = [](const ColorRGBA& c, auto setter) { setter(c.red, c.green, c.blue, c.alpha); };
    set(state.ambient, [&](float r, float g, float b, float a) { object.SetAmbient(r, g, b, a); });
    set(state.diffuse, [&](float r, float g, float b, float a) { object.SetDiffuse(r, g, b, a); });
    set(state.specular, [&](float r, float g, float b, float a) { object.SetSpecular(r, g, b, a); });
    set(state.emission, [&](float r, float g, float b, float a) { object.SetEmission(r, g, b, a); });
    object.SetShininess(state.shininess);
    object.SetVisible(state.visible);
    object.SetTransparent(state.transparent);
    // Every texture a step names is alive: a deleted one waits in its own step.
    object.SetTexture(state.texture);
    object.SetTextureRotation(state.textureRotation);
    object.SetTextureScale(state.textureScale);
    object.SetTextureTranslation(state.textureTranslation);
    object.SetTextureEnvMode(state.textureEnvMode);
    // Both records were written moments ago by the same object; they read back whole.
    try {
        if (!state.kind.empty()) {
            BinaryReader in(state.kind);
            object.RestoreEditState(in);
        }
        if (COGLLight* light = LightOfMarker(scene, object); light != nullptr && !state.light.empty()) {
            BinaryReader in(state.light);
            light->Load(in, scene_format::kVersion);
        }
    } catch (const ReadError&) {
        // Cannot happen for a record of the object's own; the common fields stand.
    }
}

SceneSettings EditHistory::SettingsOf(const COGLScene& scene) {
    SceneSettings settings;
    settings.background = scene.BackgroundColor();
    settings.backgroundMode = scene.BackgroundMode();
    settings.ambient = scene.Ambient();
    settings.renderer = scene.Renderer();
    settings.shadowsEnabled = scene.ShadowsEnabled();
    settings.shadowPlanes.assign(scene.ShadowPlanes().begin(), scene.ShadowPlanes().end());
    settings.shadowLights.assign(scene.ShadowLights().begin(), scene.ShadowLights().end());
    settings.shadowBlending = scene.ShadowBlending();
    settings.shadowOpacity = scene.ShadowOpacity();
    if (const SceneBackdrop* backdrop = scene.Backdrop()) {
        settings.backdrop = backdrop->Settings();
    }
    return settings;
}

void EditHistory::Apply(COGLScene& scene, const SceneSettings& settings) {
    scene.SetBackgroundColor(settings.background[0], settings.background[1], settings.background[2]);
    scene.SetBackgroundMode(settings.backgroundMode);
    scene.SetAmbient(settings.ambient);
    scene.Renderer() = settings.renderer;
    // Through the scene's own checks: an entry no longer in the scene is left out.
    scene.ClearShadowPlanes();
    scene.ClearShadowLights();
    for (COGLObject* plane : settings.shadowPlanes) {
        scene.AddShadowPlane(plane);
    }
    for (COGLLight* light : settings.shadowLights) {
        scene.AddShadowLight(light);
    }
    scene.EnableShadows(settings.shadowsEnabled);
    scene.SetShadowBlending(settings.shadowBlending);
    scene.SetShadowOpacity(settings.shadowOpacity);
    if (SceneBackdrop* backdrop = scene.Backdrop(); backdrop != nullptr && settings.backdrop) {
        backdrop->SetSettings(*settings.backdrop);
    }
}

std::unique_ptr<EditHistory::Step> EditHistory::NewStep(const std::string& what) {
    auto step = std::make_unique<Step>();
    step->what = what;
    return step;
}

void EditHistory::Push(const COGLScene& scene, std::unique_ptr<Step> step) {
    // A new change ends the branch that redo would have followed.
    while (!m_redo.empty()) {
        m_redo.pop_back();
    }
    m_undo.push_back(std::move(step));
    if (m_undo.size() > kMaxSteps) {
        m_undo.erase(m_undo.begin());
    }
    // A change of the lists can change the shadow tables: a sheet's next edit starts from here.
    m_sceneBefore = SettingsOf(scene);
    if (onRecorded) {
        onRecorded();
    }
}

void EditHistory::Watch(COGLScene& scene, COGLObject* object) {
    m_watched = object;
    if (object != nullptr) {
        m_before = StateOf(scene, *object);
    }
}

void EditHistory::Changed(COGLScene& scene, COGLObject* object, const std::string& what, bool continuing) {
    if (object == nullptr || object != m_watched) {
        return;
    }
    ObjectState now = StateOf(scene, *object);
    if (now == m_before) {
        return;
    }
    if (continuing && m_redo.empty() && !m_undo.empty()) {
        const Step& last = *m_undo.back();
        // Only a step of nothing but this object's state: it keeps the state from before the edit began.
        if (last.what == what && last.states.size() == 1 && last.states.front().first == object &&
            last.objects.empty() && last.lights.empty() && last.textures.empty() && !last.contents &&
            !last.background && !last.settings) {
            m_before = std::move(now);
            return;
        }
    }
    auto step = NewStep(what);
    step->states.emplace_back(object, std::move(m_before));
    m_before = std::move(now);
    Push(scene, std::move(step));
}

void EditHistory::ChangedWithTexture(COGLScene& scene, COGLObject* object, COGLTexture2D* added,
                                     const std::string& what) {
    if (object == nullptr || object != m_watched) {
        return;
    }
    ObjectState now = StateOf(scene, *object);
    const int index = scene.IndexOfTexture(added);
    if (now == m_before && index < 0) {
        return;
    }
    auto step = NewStep(what);
    step->states.emplace_back(object, std::move(m_before));
    if (index >= 0) {
        step->textures.push_back({index, added, nullptr});
    }
    m_before = std::move(now);
    Push(scene, std::move(step));
}

void EditHistory::WatchScene(const COGLScene& scene) { m_sceneBefore = SettingsOf(scene); }

void EditHistory::SceneChanged(const COGLScene& scene, const std::string& what) {
    SceneSettings now = SettingsOf(scene);
    if (!m_sceneBefore || now == *m_sceneBefore) {
        m_sceneBefore = std::move(now);
        return;
    }
    auto step = NewStep(what);
    step->settings = std::move(*m_sceneBefore);
    m_sceneBefore = std::move(now);
    Push(scene, std::move(step));
}

template <typename List, typename T>
void EditHistory::RecordAdded(const COGLScene& scene, int index, T* element, List Step::*list,
                              const std::string& what) {
    if (index >= 0) {
        auto step = NewStep(what);
        ((*step).*list).push_back({index, element, nullptr});
        Push(scene, std::move(step));
    }
}

void EditHistory::Added(COGLScene& scene, COGLObject* object, const std::string& what) {
    RecordAdded(scene, scene.IndexOfObject(object), object, &Step::objects, what);
}

void EditHistory::Added(COGLScene& scene, COGLObject* object, const SceneSettings& before, const std::string& what) {
    const int index = scene.IndexOfObject(object);
    if (index < 0) {
        return;
    }
    auto step = NewStep(what);
    step->objects.push_back({index, object, nullptr});
    step->settings = before;
    Push(scene, std::move(step));
}

void EditHistory::Added(COGLScene& scene, COGLLight* light, const std::string& what) {
    RecordAdded(scene, scene.IndexOfLight(light), light, &Step::lights, what);
}

void EditHistory::Added(COGLScene& scene, COGLTexture2D* texture, const std::string& what) {
    RecordAdded(scene, scene.IndexOfTexture(texture), texture, &Step::textures, what);
}

bool EditHistory::Delete(COGLScene& scene, COGLObject* object, const std::string& what) {
    if (object == nullptr) {
        return false;
    }
    auto step = NewStep(what);
    // Its places in the shadow tables come back with it.
    step->settings = SettingsOf(scene);
    if (COGLLight* light = LightOfMarker(scene, *object)) {
        const int index = scene.IndexOfLight(light);
        step->lights.push_back({index, light, scene.TakeLight(light)});
    } else {
        const int index = scene.IndexOfObject(object);
        auto held = scene.TakeObject(object);
        if (!held) {
            return false;
        }
        step->objects.push_back({index, object, std::move(held)});
    }
    if (m_watched == object) {
        m_watched = nullptr;
    }
    Push(scene, std::move(step));
    return true;
}

bool EditHistory::DeleteTexture(COGLScene& scene, COGLTexture2D* texture, const std::string& what) {
    const int index = scene.IndexOfTexture(texture);
    auto held = scene.TakeTexture(texture);
    if (!held) {
        return false;
    }
    auto step = NewStep(what);
    step->textures.push_back({index, texture, std::move(held)});
    Push(scene, std::move(step));
    return true;
}

void EditHistory::TakeBackground(COGLScene& scene, const std::string& what) {
    auto step = NewStep(what);
    step->background.emplace();
    scene.SwapBackground(*step->background);
    Push(scene, std::move(step));
}

void EditHistory::ReplaceBackdrop(COGLScene& scene, std::unique_ptr<SceneBackdrop> backdrop,
                                  const std::string& what) {
    auto step = NewStep(what);
    step->backdrop = std::move(backdrop);
    scene.SwapBackdrop(*step->backdrop);
    Push(scene, std::move(step));
}

void EditHistory::Clear(COGLScene& scene, const std::string& what) {
    auto step = NewStep(what);
    step->settings = SettingsOf(scene);
    step->contents.emplace();
    scene.SwapContents(*step->contents);
    m_watched = nullptr;
    Push(scene, std::move(step));
}

namespace {
// Moves a follower to the other side: from the list into its leader, or back.
bool FlipFollow(COGLScene& scene, EditHistory::Step& step) {
    for (auto& f : step.follows) {
        if (f.carried) {
            std::unique_ptr<COGLObject> back = f.leader->ReleaseFollower();
            if (!back) {
                return false;
            }
            scene.InsertObject(f.index, std::move(back));
            EditHistory::Apply(scene, *f.follower, f.state);
            f.carried = false;
        } else {
            const int index = scene.IndexOfObject(f.follower);
            if (index < 0) {
                return false;
            }
            f.state = EditHistory::StateOf(scene, *f.follower);
            f.index = index;
            std::unique_ptr<COGLObject> held = scene.TakeObject(f.follower);
            if (!f.leader->AdoptFollower(held)) {
                scene.InsertObject(index, std::move(held));
                return false;
            }
            f.carried = true;
        }
    }
    return true;
}
}  // namespace

bool EditHistory::Follow(COGLScene& scene, COGLObject* leader, COGLObject* follower, const std::string& what) {
    if (leader == nullptr || follower == nullptr || leader == follower || scene.IndexOfObject(leader) < 0 ||
        scene.IndexOfObject(follower) < 0) {
        return false;
    }
    auto step = NewStep(what);
    step->settings = SettingsOf(scene);
    step->follows.push_back({leader, follower, scene.IndexOfObject(follower), false, {}});
    if (!FlipFollow(scene, *step)) {
        return false;
    }
    if (m_watched == follower) {
        m_watched = nullptr;
    }
    Push(scene, std::move(step));
    return true;
}

COGLObject* EditHistory::Part(COGLScene& scene, COGLObject* leader, const std::string& what) {
    const int at = scene.IndexOfObject(leader);
    COGLObject* follower = leader != nullptr ? leader->FollowerObject() : nullptr;
    if (at < 0 || follower == nullptr) {
        return nullptr;
    }
    auto step = NewStep(what);
    step->settings = SettingsOf(scene);
    std::unique_ptr<COGLObject> back = leader->ReleaseFollower();
    if (!back) {
        return nullptr;
    }
    scene.InsertObject(at + 1, std::move(back));
    step->follows.push_back({leader, follower, at + 1, false, StateOf(scene, *follower)});
    Push(scene, std::move(step));
    return follower;
}

std::string EditHistory::UndoName() const { return m_undo.empty() ? std::string() : m_undo.back()->what; }
std::string EditHistory::RedoName() const { return m_redo.empty() ? std::string() : m_redo.back()->what; }

bool EditHistory::Undo(COGLScene& scene) { return Flip(scene, m_undo, m_redo, true); }
bool EditHistory::Redo(COGLScene& scene) { return Flip(scene, m_redo, m_undo, false); }

bool EditHistory::Flip(COGLScene& scene, std::vector<std::unique_ptr<Step>>& from,
                       std::vector<std::unique_ptr<Step>>& to, bool undo) {
    if (from.empty()) {
        return false;
    }
    std::unique_ptr<Step> step = std::move(from.back());
    from.pop_back();
    // Each part swaps what the scene has now with what the step keeps, so the same
    // step serves the way back.
    for (auto& [object, state] : step->states) {
        ObjectState now = StateOf(scene, *object);
        Apply(scene, *object, state);
        state = std::move(now);
    }
    const auto flip = [](auto& entries, auto take, auto insert) {
        for (auto& entry : entries) {
            if (entry.held) {
                insert(entry.index, std::move(entry.held));
            } else {
                entry.held = take(entry.element);
            }
        }
    };
    if (undo) {
        std::reverse(step->objects.begin(), step->objects.end());
        std::reverse(step->lights.begin(), step->lights.end());
    }
    flip(step->textures, [&](COGLTexture2D* t) { return scene.TakeTexture(t); },
         [&](int i, std::unique_ptr<COGLTexture2D> t) { scene.InsertTexture(i, std::move(t)); });
    flip(step->objects, [&](COGLObject* o) { return scene.TakeObject(o); },
         [&](int i, std::unique_ptr<COGLObject> o) { scene.InsertObject(i, std::move(o)); });
    flip(step->lights, [&](COGLLight* l) { return scene.TakeLight(l); },
         [&](int i, std::unique_ptr<COGLLight> l) { scene.InsertLight(i, std::move(l)); });
    if (undo) {
        std::reverse(step->objects.begin(), step->objects.end());
        std::reverse(step->lights.begin(), step->lights.end());
    }
    FlipFollow(scene, *step);
    if (step->contents) {
        scene.SwapContents(*step->contents);
    }
    if (step->background) {
        scene.SwapBackground(*step->background);
    }
    if (step->backdrop) {
        scene.SwapBackdrop(*step->backdrop);
    }
    if (step->settings) {
        SceneSettings now = SettingsOf(scene);
        Apply(scene, *step->settings);
        step->settings = std::move(now);
    }
    m_sceneBefore = SettingsOf(scene);
    m_watched = nullptr;
    to.push_back(std::move(step));
    return true;
}

void EditHistory::Reset() {
    m_watched = nullptr;
    m_sceneBefore.reset();
    while (!m_redo.empty()) {
        m_redo.pop_back();
    }
    while (!m_undo.empty()) {
        m_undo.pop_back();
    }
}
