#include "scene/COGLScene.h"

#include <GL/gl.h>

#include <algorithm>

#include "media/COGLTexture2D.h"
#include "media/OpenArchive.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"
#include "platform/GLContext.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "platform/Settings.h"

namespace {
template <typename T>
int IndexIn(const std::vector<std::unique_ptr<T>>& list, const T* item) {
    if (item == nullptr) {
        return -1;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].get() == item) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

template <typename T>
T* At(const std::vector<std::unique_ptr<T>>& list, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < list.size() ? list[static_cast<std::size_t>(index)].get()
                                                                         : nullptr;
}

// Puts `item` back at `index`, clamped to the list.
template <typename T>
T* InsertAt(std::vector<std::unique_ptr<T>>& list, int index, std::unique_ptr<T> item) {
    if (!item) {
        return nullptr;
    }
    const auto at = static_cast<std::ptrdiff_t>(std::clamp(index, 0, static_cast<int>(list.size())));
    return list.insert(list.begin() + at, std::move(item))->get();
}

// The skins the visual weapons need, with the load option each is read with.
struct VWepSkin {
    const char* name;
    std::uint8_t loadOption;
};
constexpr VWepSkin kVWepSkins[] = {{"models/weapons/g_blast/base.pcx", 1}, {"models/weapons/g_flareg/base.pcx", 1}};
constexpr VWepSkin kCTFSkins[] = {{"players/male/flag1.pcx", 0}, {"players/male/flag2.pcx", 0}};
}  // namespace

COGLScene::COGLScene() = default;

COGLScene::~COGLScene() {
    ClearContents();
    // Models hand their skins back while they are destroyed, so the skins go after them.
    m_skins.clear();
    m_background.reset();
    m_paks.clear();
    m_fileLocator.reset();
}

// --- Lists ---

COGLLight* COGLScene::AddLight(std::unique_ptr<COGLLight> light) {
    if (!light) {
        return nullptr;
    }
    m_lights.push_back(std::move(light));
    return m_lights.back().get();
}

COGLObject* COGLScene::AddObject(std::unique_ptr<COGLObject> object) {
    if (!object) {
        return nullptr;
    }
    m_objects.push_back(std::move(object));
    return m_objects.back().get();
}

COGLTexture2D* COGLScene::AddTexture(std::unique_ptr<COGLTexture2D> texture) {
    if (!texture) {
        return nullptr;
    }
    m_textures.push_back(std::move(texture));
    return m_textures.back().get();
}

COGLTexture2D* COGLScene::AddSkinTexture(std::unique_ptr<COGLTexture2D> texture, const std::string& name) {
    if (!texture) {
        return nullptr;
    }
    std::string key = name.empty() ? texture->Path() : name;
    m_skins.push_back({std::move(key), std::move(texture)});
    return m_skins.back().texture.get();
}

bool COGLScene::RemoveObject(COGLObject* object) {
    // Unlinked before it is destroyed: a model's destructor may reach back into the scene.
    std::unique_ptr<COGLObject> owned = TakeObject(object);
    return owned != nullptr;
}

bool COGLScene::RemoveLight(COGLLight* light) { return TakeLight(light) != nullptr; }

std::unique_ptr<COGLObject> COGLScene::TakeObject(COGLObject* object) {
    const int index = IndexOfObject(object);
    if (index < 0) {
        return nullptr;
    }
    if (m_selected == object) {
        m_selected = nullptr;
    }
    RemoveShadowPlane(object);
    auto owned = std::move(m_objects[static_cast<std::size_t>(index)]);
    m_objects.erase(m_objects.begin() + index);
    return owned;
}

std::unique_ptr<COGLLight> COGLScene::TakeLight(COGLLight* light) {
    const int index = IndexOfLight(light);
    if (index < 0) {
        return nullptr;
    }
    if (m_selected == &light->Marker()) {
        m_selected = nullptr;
    }
    RemoveShadowLight(light);
    auto owned = std::move(m_lights[static_cast<std::size_t>(index)]);
    m_lights.erase(m_lights.begin() + index);
    return owned;
}

COGLObject* COGLScene::InsertObject(int index, std::unique_ptr<COGLObject> object) {
    return InsertAt(m_objects, index, std::move(object));
}

COGLLight* COGLScene::InsertLight(int index, std::unique_ptr<COGLLight> light) {
    return InsertAt(m_lights, index, std::move(light));
}

void COGLScene::SwapContents(Contents& held) {
    std::swap(m_lights, held.lights);
    std::swap(m_objects, held.objects);
    std::swap(m_textures, held.textures);
    std::swap(m_selected, held.selected);
    std::swap(m_shadowsEnabled, held.shadowsEnabled);
    SwapBackground(held.background);
    SwapBackdrop(held.backdrop);
    std::vector<COGLObject*> planes(m_shadowPlanes.begin(), m_shadowPlanes.begin() + m_shadowPlaneCount);
    std::vector<COGLLight*> lights(m_shadowLights.begin(), m_shadowLights.begin() + m_shadowLightCount);
    std::swap(planes, held.shadowPlanes);
    std::swap(lights, held.shadowLights);
    m_shadowPlanes.fill(nullptr);
    m_shadowLights.fill(nullptr);
    m_shadowPlaneCount = static_cast<int>(std::min(planes.size(), m_shadowPlanes.size()));
    m_shadowLightCount = static_cast<int>(std::min(lights.size(), m_shadowLights.size()));
    std::copy_n(planes.begin(), m_shadowPlaneCount, m_shadowPlanes.begin());
    std::copy_n(lights.begin(), m_shadowLightCount, m_shadowLights.begin());
}

void COGLScene::SwapBackdrop(std::unique_ptr<SceneBackdrop>& held) {
    std::swap(m_backdrop, held);
    m_backdropSelected = false;
    if (m_backdrop != nullptr) {
        m_backdrop->SetAnimationTime(m_backdropSeconds);
    }
}

bool COGLScene::DeleteTexture(COGLTexture2D* texture) {
    const std::unique_ptr<COGLTexture2D> owned = TakeTexture(texture);
    if (!owned) {
        return false;
    }
    owned->ResetRefCount();
    return true;
}

std::unique_ptr<COGLTexture2D> COGLScene::TakeTexture(COGLTexture2D* texture) {
    const int index = IndexOfTexture(texture);
    if (index < 0) {
        return nullptr;
    }
    for (const auto& object : m_objects) {
        if (object->Texture() == texture) {
            return nullptr;
        }
    }
    auto owned = std::move(m_textures[static_cast<std::size_t>(index)]);
    m_textures.erase(m_textures.begin() + index);
    return owned;
}

COGLTexture2D* COGLScene::InsertTexture(int index, std::unique_ptr<COGLTexture2D> texture) {
    return InsertAt(m_textures, index, std::move(texture));
}

COGLLight* COGLScene::LightAt(int index) const { return At(m_lights, index); }
COGLObject* COGLScene::ObjectAt(int index) const { return At(m_objects, index); }
COGLTexture2D* COGLScene::TextureAt(int index) const { return At(m_textures, index); }
int COGLScene::IndexOfLight(const COGLLight* light) const { return IndexIn(m_lights, light); }
int COGLScene::IndexOfObject(const COGLObject* object) const { return IndexIn(m_objects, object); }
int COGLScene::IndexOfTexture(const COGLTexture2D* texture) const { return IndexIn(m_textures, texture); }

// --- Skin textures ---

COGLTexture2D* COGLScene::FindSkinTexture(const std::string& name) {
    for (auto& skin : m_skins) {
        if (skin.name == name) {
            skin.texture->AddRef();
            return skin.texture.get();
        }
    }
    return nullptr;
}

COGLTexture2D* COGLScene::LoadSkinFromPak(const std::string& name, Archive& pak, std::uint8_t loadOption) {
    if (pak.FindEntry(name) == nullptr) {
        return nullptr;
    }
    auto texture = std::make_unique<COGLTexture2D>();
    GetHost().MakeViewContextCurrent();
    if (!texture->SetSource(name, &pak, loadOption) || !texture->Load(m_textureFilterMode) || !texture->IsBound()) {
        return nullptr;
    }
    return AddSkinTexture(std::move(texture), name);
}

COGLTexture2D* COGLScene::LoadSkinFromFile(const std::string& name, const std::string& path, std::uint8_t loadOption) {
    auto texture = std::make_unique<COGLTexture2D>();
    GetHost().MakeViewContextCurrent();
    if (!texture->SetSource(fs_util::ResolvePath(path), nullptr, loadOption) || !texture->Load(m_textureFilterMode) ||
        !texture->IsBound()) {
        return nullptr;
    }
    return AddSkinTexture(std::move(texture), name);
}

COGLTexture2D* COGLScene::LoadSkinTexture(const std::string& name, Archive* pak, const std::string& directory,
                                          std::uint8_t loadOption, bool searchPaks) {
    if (COGLTexture2D* cached = FindSkinTexture(name)) {
        return cached;
    }
    COGLTexture2D* texture = nullptr;
    if (pak != nullptr) {
        texture = LoadSkinFromPak(name, *pak, loadOption);
    } else if (!directory.empty()) {
        texture = LoadSkinFromFile(name, directory + fs_util::FileNameOf(name), loadOption);
    } else {
        texture = LoadSkinFromFile(name, name, loadOption);
    }
    if (texture == nullptr && searchPaks) {
        for (const auto& candidate : m_paks) {
            if (candidate && candidate->FindEntry(name) != nullptr) {
                return LoadSkinTexture(name, candidate.get(), std::string(), loadOption, false);
            }
        }
    }
    return texture;
}

bool COGLScene::ReleaseSkinTexture(COGLTexture2D* texture) {
    for (auto it = m_skins.begin(); it != m_skins.end(); ++it) {
        if (it->texture.get() == texture) {
            if (texture->Release()) {
                m_skins.erase(it);
            }
            return true;
        }
    }
    return false;
}

COGLTexture2D* COGLScene::SkinTextureAt(std::size_t index) const {
    return index < m_skins.size() ? m_skins[index].texture.get() : nullptr;
}

// --- Paks ---

int COGLScene::AddPak(const std::string& path) { return AddPak(path, nullptr); }

int COGLScene::AddPak(const std::string& path, std::unique_ptr<Archive> opened) {
    if (const Archive* listed = FindPak(path)) {
        return PositionOfPak(listed);
    }
    // Any kind: a pak, a zip, a WAD, a folder or a whole game folder.
    auto pak = opened != nullptr ? std::move(opened) : OpenArchive(path);
    if (pak == nullptr) {
        return -1;
    }
    m_paks.push_back(std::move(pak));
    return static_cast<int>(m_paks.size()) - 1;
}

Archive* COGLScene::PakAt(int position) const { return At(m_paks, position); }

int COGLScene::PositionOfPak(const Archive* pak) const { return IndexIn(m_paks, pak); }

Archive* COGLScene::FindPak(const std::string& path) const {
    for (const auto& pak : m_paks) {
        if (pak && pak->Path() == path) {
            return pak.get();
        }
    }
    return nullptr;
}

Archive* COGLScene::PakForFileIndex(int fileIndex) const {
    if (!m_loading) {
        return PakAt(fileIndex);
    }
    return fileIndex >= 0 && static_cast<std::size_t>(fileIndex) < m_filePaks.size()
               ? m_filePaks[static_cast<std::size_t>(fileIndex)]
               : nullptr;
}

// --- Selection ---

COGLObject* COGLScene::SelectObjectByPickName(int pickName) {
    m_backdropSelected = false;
    for (const auto& object : m_objects) {
        if (object->PickName() == pickName) {
            m_selected = object.get();
            return m_selected;
        }
    }
    m_selected = nullptr;
    return nullptr;
}

COGLLight* COGLScene::SelectLightByPickName(int pickName) {
    m_backdropSelected = false;
    for (const auto& light : m_lights) {
        if (light->Marker().PickName() == pickName) {
            m_selected = &light->Marker();
            return light.get();
        }
    }
    m_selected = nullptr;
    return nullptr;
}

void COGLScene::SetSelectedLight(COGLLight* light) {
    m_selected = light != nullptr ? &light->Marker() : nullptr;
    m_backdropSelected = false;
}

COGLLight* COGLScene::SelectedLight() const {
    if (m_selected == nullptr) {
        return nullptr;
    }
    for (const auto& light : m_lights) {
        if (&light->Marker() == m_selected) {
            return light.get();
        }
    }
    return nullptr;
}

// --- Shadows ---

void COGLScene::AddShadowPlane(COGLObject* plane) {
    if (plane == nullptr || m_shadowPlaneCount >= kMaxShadowPlanes || IndexOfObject(plane) < 0 || IsShadowPlane(plane)) {
        return;
    }
    m_shadowPlanes[static_cast<std::size_t>(m_shadowPlaneCount++)] = plane;
}

void COGLScene::AddShadowLight(COGLLight* light) {
    if (light == nullptr || m_shadowLightCount >= kMaxShadowLights || IndexOfLight(light) < 0 || IsShadowLight(light)) {
        return;
    }
    m_shadowLights[static_cast<std::size_t>(m_shadowLightCount++)] = light;
}

namespace {
template <typename T, std::size_t N>
bool RemoveFromTable(std::array<T*, N>& table, int& count, const T* item) {
    for (int i = 0; i < count; ++i) {
        if (table[static_cast<std::size_t>(i)] == item) {
            for (int j = i; j + 1 < count; ++j) {
                table[static_cast<std::size_t>(j)] = table[static_cast<std::size_t>(j + 1)];
            }
            table[static_cast<std::size_t>(--count)] = nullptr;
            return true;
        }
    }
    return false;
}
}  // namespace

void COGLScene::RemoveShadowPlane(COGLObject* plane) {
    if (RemoveFromTable(m_shadowPlanes, m_shadowPlaneCount, plane) && m_shadowPlaneCount == 0) {
        m_shadowsEnabled = 0;
    }
}

void COGLScene::RemoveShadowLight(COGLLight* light) {
    if (RemoveFromTable(m_shadowLights, m_shadowLightCount, light) && m_shadowLightCount == 0) {
        m_shadowsEnabled = 0;
    }
}

bool COGLScene::IsShadowPlane(const COGLObject* plane) const {
    const auto planes = ShadowPlanes();
    return std::find(planes.begin(), planes.end(), plane) != planes.end();
}

bool COGLScene::IsShadowLight(const COGLLight* light) const {
    const auto lights = ShadowLights();
    return std::find(lights.begin(), lights.end(), light) != lights.end();
}

void COGLScene::ClearShadowPlanes() {
    m_shadowPlanes.fill(nullptr);
    m_shadowPlaneCount = 0;
    m_shadowsEnabled = 0;
}

void COGLScene::ClearShadowLights() {
    m_shadowLights.fill(nullptr);
    m_shadowLightCount = 0;
    m_shadowsEnabled = 0;
}

bool COGLScene::EnableShadows(bool enable) {
    m_shadowsEnabled = enable && m_shadowLightCount > 0 && m_shadowPlaneCount > 0 ? 1 : 0;
    return m_shadowsEnabled != 0;
}

// --- Background ---

bool COGLScene::SetBackgroundFromFile(const std::string& path) {
    ClearBackground();
    auto texture = std::make_unique<COGLTexture2D>();
    GetHost().MakeViewContextCurrent();
    if (!texture->SetSource(fs_util::ResolvePath(path), nullptr, 0) || !texture->Load(m_textureFilterMode)) {
        return false;
    }
    if (!texture->IsBound()) {
        ClearBackground();
        return false;
    }
    m_background = std::move(texture);
    m_backgroundValid = 1;
    ApplyTextureParameters(*m_background);
    return true;
}

bool COGLScene::SetBackgroundFromPak(Archive* pak, const std::string& path) {
    ClearBackground();
    if (pak == nullptr) {
        return false;
    }
    auto texture = std::make_unique<COGLTexture2D>();
    GetHost().MakeViewContextCurrent();
    if (!texture->SetSource(path, pak, 0) || !texture->Load(m_textureFilterMode)) {
        return false;
    }
    if (!texture->IsBound()) {
        ClearBackground();
        return false;
    }
    texture->SetName(fs_util::FileTitleOf(path));
    m_background = std::move(texture);
    m_backgroundValid = 1;
    ApplyTextureParameters(*m_background);
    return true;
}

void COGLScene::SwapBackground(BackgroundPicture& held) {
    std::swap(m_background, held.texture);
    std::swap(m_backgroundValid, held.valid);
    std::swap(m_backgroundBitmap, held.bitmap);
}

void COGLScene::ClearBackground() {
    if (m_background) {
        m_background->ResetRefCount();
        m_background.reset();
    }
    m_backgroundBitmap = {};
    m_backgroundValid = 0;
}

// --- Lighting and texture parameters ---

void COGLScene::ApplyAmbientLight() const { glLightModelfv(GL_LIGHT_MODEL_AMBIENT, m_ambient.Data()); }

void COGLScene::ApplyTextureParameters(COGLTexture2D& texture) const {
    GetHost().MakeViewContextCurrent();
    if (texture.IsBound() && HasCurrentGLContext()) {
        ::ApplyTextureParameters(texture.GLName(), m_textureFilterMode);
    }
}

void COGLScene::SetTextureFilterMode(int mode) {
    m_textureFilterMode = mode;
    for (const auto& texture : m_textures) {
        ApplyTextureParameters(*texture);
    }
    for (const auto& skin : m_skins) {
        ApplyTextureParameters(*skin.texture);
    }
    for (const auto& object : m_objects) {
        for (COGLTexture2D* frame : object->FrameTextures()) {
            if (frame != nullptr) {
                ApplyTextureParameters(*frame);
            }
        }
    }
}

// --- Animation and markers ---

bool COGLScene::StepAnimations() {
    // A step is a frame of the view: a model at its usual speed (an eighth of a
    // frame a step) shows the games' ten frames a second at 80 steps a second.
    constexpr double kStepSeconds = 1.0 / 80.0;
    bool stepped = false;
    for (const auto& object : m_objects) {
        if (object->IsAnimating()) {
            object->StepAnimation();
            stepped = true;
        }
    }
    if (stepped && m_backdrop != nullptr) {
        m_backdropSeconds += kStepSeconds;
        m_backdrop->SetAnimationTime(m_backdropSeconds);
    }
    return stepped;
}

void COGLScene::StartAnimations() {
    for (const auto& object : m_objects) {
        object->StartAnimation();
    }
}

std::uint32_t COGLScene::HideLightMarkers() {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < m_lights.size() && i < 32; ++i) {
        COGLObject& marker = m_lights[i]->Marker();
        if (marker.IsVisible()) {
            marker.Hide();
            mask |= 1u << i;
        }
    }
    return mask;
}

void COGLScene::RestoreLightMarkers(std::uint32_t mask) {
    for (std::size_t i = 0; i < m_lights.size() && i < 32; ++i) {
        COGLObject& marker = m_lights[i]->Marker();
        if (!marker.IsVisible() && (mask & (1u << i)) != 0) {
            marker.Show();
        }
    }
}

// --- Visual weapons ---

bool COGLScene::SetUpVisualWeapons() {
    Settings& settings = GetSettings();
    m_vwepEnabled = settings.GetInt(settings_keys::kVWep, settings_keys::kEnabled, 0) != 0 ? 1 : 0;
    if (m_vwepEnabled == 0) {
        return true;
    }
    WaitCursor wait;
    m_vwepPak = nullptr;
    m_ctfPak = nullptr;
    const std::string vwepPath = settings.GetString(settings_keys::kVWep, settings_keys::kVWepPakFile, "");
    const std::string ctfPath = settings.GetString(settings_keys::kVWep, settings_keys::kCTFPakFile, "");
    if (!vwepPath.empty()) {
        m_vwepPak = PakAt(AddPak(vwepPath));
    }
    if (!ctfPath.empty()) {
        m_ctfPak = PakAt(AddPak(ctfPath));
    }
    bool ok = true;
    auto preload = [&](Archive* pak, std::span<const VWepSkin> skins) {
        if (pak == nullptr) {
            return;
        }
        for (const VWepSkin& skin : skins) {
            if (LoadSkinTexture(skin.name, pak, std::string(), skin.loadOption, false) == nullptr) {
                ok = false;
            }
        }
    };
    preload(m_vwepPak, kVWepSkins);
    preload(m_ctfPak, kCTFSkins);
    // One set-up, one message: the advice is the same for every skin that failed.
    if (!ok) {
        ShowMessage(msg::kVWepSkinsFailed);
    }
    return ok;
}

// --- Clear ---

void COGLScene::Clear() {
    ClearContents();
    GetHost().RequestRepaint();
}

void COGLScene::ClearContents() {
    m_selected = nullptr;
    ClearShadowLights();
    ClearShadowPlanes();
    // Taken out of the lists first: an object's destructor may reach back into the scene.
    LightList lights = std::move(m_lights);
    ObjectList objects = std::move(m_objects);
    m_lights.clear();
    m_objects.clear();
    lights.clear();
    objects.clear();
    for (auto& texture : m_textures) {
        texture->ResetRefCount();
    }
    m_textures.clear();
    ClearBackground();
    m_backdropSelected = false;
    m_backdrop.reset();
    m_backdropSeconds = 0.0;
}
