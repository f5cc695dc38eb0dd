#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "math/ColorRGBA.h"
#include "platform/BinaryIO.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/SceneBackdrop.h"

class COGLTexture2D;
class Archive;
class FileLocator;
class SceneViewLink;

// Settings the renderer keeps on the scene; they are not part of the scene file.
// Their defaults are 0, 0 and then the ten reals 0.33, 1, 1, 0.5, 1, 0, 1, 1, 1, 1.
struct RendererSettings {
    int fogEnabled = 0;  // 1: the perspective pass draws with GL_FOG
    int fogMode = 0;     // 0 GL_EXP, 1 GL_EXP2, 2 GL_LINEAR
    float fogDensity = 0.33f;  // GL_FOG_DENSITY of the exponential modes
    // Tint of the selected object while "Highlight Selected" is on (RGBA).
    ColorRGBA highlightColor{1.0f, 1.0f, 0.5f, 1.0f};
    float fogStart = 0.0f;  // linear fog: where it begins, as a fraction of the near..far range
    float fogEnd = 1.0f;    // linear fog: where it is complete, same units
    std::array<float, 3> fogColor{1.0f, 1.0f, 1.0f};  // GL_FOG_COLOR red, green, blue (alpha 1)

    bool operator==(const RendererSettings& other) const = default;
};

// The stretched copy of the background image that background mode 2 draws; the
// renderer fills it and the scene drops it with the background.
struct BackgroundBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    bool IsEmpty() const { return pixels.empty(); }
};

// Everything a document shows: objects, lights, the user's textures, the shared
// skin textures of the models, the pak archives the scene reads from, the
// background, the global ambient light and the shadow configuration. The lists own
// their elements and keep their order, which is the order of drawing, of saving and
// of the indices in the scene file.
class COGLScene {
public:
    static constexpr int kMaxShadowLights = 8;
    static constexpr int kMaxShadowPlanes = 4;

    using LightList = std::vector<std::unique_ptr<COGLLight>>;
    using ObjectList = std::vector<std::unique_ptr<COGLObject>>;
    using TextureList = std::vector<std::unique_ptr<COGLTexture2D>>;

    COGLScene();
    ~COGLScene();
    COGLScene(const COGLScene&) = delete;
    COGLScene& operator=(const COGLScene&) = delete;

    // --- Lists ---
    // Append to the end of their list and return the element (nullptr is ignored).
    COGLLight* AddLight(std::unique_ptr<COGLLight> light);
    COGLObject* AddObject(std::unique_ptr<COGLObject> object);
    COGLTexture2D* AddTexture(std::unique_ptr<COGLTexture2D> texture);
    COGLTexture2D* AddSkinTexture(std::unique_ptr<COGLTexture2D> texture, const std::string& name = {});
    // False when it is not in the list. Otherwise clears the selection if it was
    // selected, takes it out of the shadow table, and destroys it.
    bool RemoveObject(COGLObject* object);
    bool RemoveLight(COGLLight* light);
    // As Remove, but the element is handed to the caller instead of destroyed
    // (nullptr when it is not in the list); Insert puts one back at `index`
    // (clamped to the list), for the editing history.
    std::unique_ptr<COGLObject> TakeObject(COGLObject* object);
    std::unique_ptr<COGLLight> TakeLight(COGLLight* light);
    COGLObject* InsertObject(int index, std::unique_ptr<COGLObject> object);
    COGLLight* InsertLight(int index, std::unique_ptr<COGLLight> light);
    // A texture of the list that no object uses, handed over; nullptr otherwise.
    std::unique_ptr<COGLTexture2D> TakeTexture(COGLTexture2D* texture);
    COGLTexture2D* InsertTexture(int index, std::unique_ptr<COGLTexture2D> texture);

    // The background picture and what is drawn from it, held elsewhere whole.
    struct BackgroundPicture {
        std::unique_ptr<COGLTexture2D> texture;
        std::uint8_t valid = 0;
        BackgroundBitmap bitmap;
    };
    // Exchanges the scene's background picture with `held`.
    void SwapBackground(BackgroundPicture& held);

    // Everything Clear removes, held elsewhere whole.
    struct Contents {
        TextureList textures;  // first, so it goes last: the objects refer to them
        LightList lights;
        ObjectList objects;
        std::vector<COGLObject*> shadowPlanes;
        std::vector<COGLLight*> shadowLights;
        COGLObject* selected = nullptr;
        std::uint8_t shadowsEnabled = 0;
        BackgroundPicture background;
        std::unique_ptr<SceneBackdrop> backdrop;
    };
    // Exchanges the scene's contents with `held` (so swapping twice restores both).
    void SwapContents(Contents& held);
    // False when it is not in the list or an object uses it (the caller then says
    // "This texture is in use, delete request denied.").
    bool DeleteTexture(COGLTexture2D* texture);

    const LightList& Lights() const { return m_lights; }
    const ObjectList& Objects() const { return m_objects; }
    const TextureList& Textures() const { return m_textures; }
    COGLLight* LightAt(int index) const;
    COGLObject* ObjectAt(int index) const;
    COGLTexture2D* TextureAt(int index) const;
    // Position in its list, or -1.
    int IndexOfLight(const COGLLight* light) const;
    int IndexOfObject(const COGLObject* object) const;
    int IndexOfTexture(const COGLTexture2D* texture) const;

    // --- Skin textures (shared by the models, reference-counted) ---
    // The skin asked for by `name` if it is cached, with one more reference.
    COGLTexture2D* FindSkinTexture(const std::string& name);
    // Finds or loads a skin: from `pak` when one is given (only if it holds the
    // name), else from `directory` + the name's file name, else from the name as a
    // path; when that fails and `searchPaks` is set, from the first pak of the pak
    // list that holds the name. The result carries one reference for the caller.
    COGLTexture2D* LoadSkinTexture(const std::string& name, Archive* pak, const std::string& directory,
                                   std::uint8_t loadOption, bool searchPaks);
    // Drops one reference; the texture is destroyed when none is left. False when
    // the texture is not a skin of this scene.
    bool ReleaseSkinTexture(COGLTexture2D* texture);
    std::size_t SkinTextureCount() const { return m_skins.size(); }
    COGLTexture2D* SkinTextureAt(std::size_t index) const;

    // --- Pak archives ---
    // The position of a pak opened from the same path, else the position of a newly
    // opened one, or -1 when it cannot be opened. With `opened` (the archive at
    // `path`, opened elsewhere, a large game folder on another thread), that one is
    // taken instead of opening it again.
    int AddPak(const std::string& path);
    int AddPak(const std::string& path, std::unique_ptr<Archive> opened);
    Archive* PakAt(int position) const;
    int PositionOfPak(const Archive* pak) const;
    // The pak of the list opened from that path, or nullptr.
    Archive* FindPak(const std::string& path) const;
    int PakCount() const { return static_cast<int>(m_paks.size()); }
    // While a scene file loads: the pak the file's pak list has at `fileIndex`
    // (nullptr for a pak that could not be found or opened). Model records use it
    // to resolve their stored pak indices. Outside a load it is PakAt.
    Archive* PakForFileIndex(int fileIndex) const;
    // The missing-file check of the load in progress, or nullptr.
    const FileLocator* Locator() const { return m_fileLocator.get(); }

    // --- Backdrop (at most one: the world the scene stands in) ---
    SceneBackdrop* Backdrop() const { return m_backdrop.get(); }
    // Exchanges the scene's backdrop with `held` (either may be empty).
    void SwapBackdrop(std::unique_ptr<SceneBackdrop>& held);

    // --- Selection ---
    COGLObject* SelectObjectByPickName(int pickName);
    COGLLight* SelectLightByPickName(int pickName);
    void SetSelectedObject(COGLObject* object) {
        m_selected = object;
        m_backdropSelected = false;
    }
    // The backdrop chosen as a whole for its properties; choosing an object ends it.
    void SelectBackdrop() {
        m_selected = nullptr;
        m_backdropSelected = m_backdrop != nullptr;
    }
    bool BackdropSelected() const { return m_backdropSelected && m_backdrop != nullptr; }
    void SetSelectedLight(COGLLight* light);
    COGLObject* Selected() const { return m_selected; }
    // The light whose marker is selected, or nullptr.
    COGLLight* SelectedLight() const;

    // --- Shadows ---
    // Ignored for nullptr, for a plane or light not in this scene or already in
    // the table, and beyond four planes or eight lights.
    void AddShadowPlane(COGLObject* plane);
    void AddShadowLight(COGLLight* light);
    // Later entries move up; an empty table turns shadows off.
    void RemoveShadowPlane(COGLObject* plane);
    void RemoveShadowLight(COGLLight* light);
    bool IsShadowPlane(const COGLObject* plane) const;
    bool IsShadowLight(const COGLLight* light) const;
    void ClearShadowPlanes();
    void ClearShadowLights();
    // Shadows go on only when asked and both tables have an entry; returns the state.
    bool EnableShadows(bool enable);
    bool ShadowsEnabled() const { return m_shadowsEnabled != 0; }
    std::span<COGLObject* const> ShadowPlanes() const {
        return {m_shadowPlanes.data(), static_cast<std::size_t>(m_shadowPlaneCount)};
    }
    std::span<COGLLight* const> ShadowLights() const {
        return {m_shadowLights.data(), static_cast<std::size_t>(m_shadowLightCount)};
    }
    // 0: opaque black shadows without lighting; 1: lit and alpha-blended.
    bool ShadowBlending() const { return m_shadowBlending != 0; }
    void SetShadowBlending(bool blending) { m_shadowBlending = blending ? 1 : 0; }
    float ShadowOpacity() const { return m_shadowOpacity; }
    void SetShadowOpacity(float opacity) { m_shadowOpacity = opacity; }

    // --- Background ---
    bool SetBackgroundFromFile(const std::string& path);
    // On success the texture is named after the file (no directory, no extension).
    bool SetBackgroundFromPak(Archive* pak, const std::string& path);
    void ClearBackground();
    COGLTexture2D* Background() const { return m_background.get(); }
    bool BackgroundValid() const { return m_backgroundValid != 0; }
    // 0 textured quad, 1 pixel copy with zoom, 2 pre-stretched bitmap.
    int BackgroundMode() const { return m_backgroundMode; }
    void SetBackgroundMode(int mode) { m_backgroundMode = mode; }
    BackgroundBitmap& StretchedBackground() { return m_backgroundBitmap; }
    const std::array<float, 3>& BackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(float r, float g, float b) { m_backgroundColor = {r, g, b}; }

    // --- Lighting and renderer settings ---
    const ColorRGBA& Ambient() const { return m_ambient; }
    void SetAmbient(const ColorRGBA& ambient) { m_ambient = ambient; }
    // glLightModelfv(GL_LIGHT_MODEL_AMBIENT) with the scene's ambient colour.
    void ApplyAmbientLight() const;
    RendererSettings& Renderer() { return m_renderer; }
    const RendererSettings& Renderer() const { return m_renderer; }

    // --- Texture parameters ---
    // Binds the texture and sets wrapping, filters and the perspective hint for the
    // filter mode, with the view's context made current. Nothing without a context.
    void ApplyTextureParameters(COGLTexture2D& texture) const;
    // Stores the mode and applies it to every texture, skin texture and sprite frame.
    void SetTextureFilterMode(int mode);
    int TextureFilterMode() const { return m_textureFilterMode; }

    // --- A file shown on its own ---
    // A scene that shows one file by itself, out of sight of the files beside it
    // (a file manager's thumbnailer in its sandbox), draws what it can of a model
    // or sprite whose companion files are missing instead of refusing it.
    void SetDrawsWithoutCompanions(bool draws) { m_drawsWithoutCompanions = draws; }
    bool DrawsWithoutCompanions() const { return m_drawsWithoutCompanions; }

    // --- Animation and light markers ---
    // Steps every animating object, and the backdrop's own motion with them; true
    // when any was stepped.
    bool StepAnimations();
    void StartAnimations();
    // Hides the visible markers of the first 32 lights; bit i set for each light i hidden.
    std::uint32_t HideLightMarkers();
    void RestoreLightMarkers(std::uint32_t mask);

    // --- Visual weapons ---
    // Reads the "VWep" settings, adds the VWep and CTF paks and preloads their skins.
    // False when a skin could not be loaded (each one says so).
    bool SetUpVisualWeapons();
    bool VWepEnabled() const { return m_vwepEnabled != 0; }
    Archive* VWepPak() const { return m_vwepPak; }
    Archive* CTFPak() const { return m_ctfPak; }

    // Removes all lights, objects and textures, the selection, both shadow tables,
    // the background and the backdrop, and asks for a repaint. Skins and paks stay.
    void Clear();

    // --- Scene file (after the document's header) ---
    void Save(BinaryWriter& out, const SceneViewLink& view) const;
    // Reads the scene of a file of `version` (5 or later); `scenePath` is where the
    // file lives, for the missing-file check. True when every record was read. A
    // short or inconsistent file stops the load: everything it had added is taken
    // out again and the reason is kept in LastLoadError.
    bool Load(BinaryReader& in, SceneViewLink& view, int version, const std::string& scenePath);
    const std::string& LastLoadError() const { return m_lastLoadError; }
    // How many records of the last load could not be used (an archive, a picture
    // or a model that was missing or unreadable); the scene holds the rest.
    int LoadSkippedRecords() const { return m_loadSkipped; }

private:
    struct SkinEntry {
        std::string name;  // the name the skin was asked for, which later requests repeat
        std::unique_ptr<COGLTexture2D> texture;
    };

    // Clear without the repaint (the destructor must not reach for the view).
    void ClearContents();
    void LoadRecords(BinaryReader& in, SceneViewLink& view, int version);
    COGLTexture2D* LoadSkinFromPak(const std::string& name, Archive& pak, std::uint8_t loadOption);
    COGLTexture2D* LoadSkinFromFile(const std::string& name, const std::string& path, std::uint8_t loadOption);

    std::array<float, 3> m_backgroundColor{0.0f, 0.0f, 0.0f};
    RendererSettings m_renderer;
    ColorRGBA m_ambient{0.2f, 0.2f, 0.2f, 1.0f};
    LightList m_lights;
    ObjectList m_objects;
    TextureList m_textures;
    std::vector<SkinEntry> m_skins;
    std::vector<std::unique_ptr<Archive>> m_paks;
    COGLObject* m_selected = nullptr;
    int m_textureFilterMode = 1;
    bool m_drawsWithoutCompanions = false;
    int m_backgroundMode = 0;
    std::uint8_t m_shadowsEnabled = 0;
    std::array<COGLLight*, kMaxShadowLights> m_shadowLights{};
    int m_shadowLightCount = 0;
    std::array<COGLObject*, kMaxShadowPlanes> m_shadowPlanes{};
    int m_shadowPlaneCount = 0;
    std::uint8_t m_shadowBlending = 0;
    float m_shadowOpacity = 1.0f;
    std::unique_ptr<COGLTexture2D> m_background;
    std::uint8_t m_backgroundValid = 0;
    BackgroundBitmap m_backgroundBitmap;
    std::unique_ptr<SceneBackdrop> m_backdrop;
    bool m_backdropSelected = false;
    double m_backdropSeconds = 0.0;  // how far the backdrop's motion has played
    std::unique_ptr<FileLocator> m_fileLocator;
    std::vector<Archive*> m_filePaks;  // pak of each file position, while loading
    bool m_loading = false;
    Archive* m_vwepPak = nullptr;
    Archive* m_ctfPak = nullptr;
    std::uint8_t m_vwepEnabled = 0;
    std::string m_lastLoadError;
    int m_loadSkipped = 0;
};
