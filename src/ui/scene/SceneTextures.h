#pragma once

#include <QString>

#include <string>

class COGLScene;
class COGLTexture2D;
class Archive;
struct SceneSheetHooks;

// The scene's textures as the scene sheet shows and adds them: from picture files
// (the textures page) and from archive entries (the paks page).

// The texture's name, with its size once it is loaded.
QString TextureLabel(const COGLTexture2D& texture);
// Where the picture comes from: its file, or its entry and the archive holding it.
QString TextureSource(const COGLTexture2D& texture);


// Adds a picture to the scene's textures: from disk when `pak` is nullptr, else
// the archive's entry of that name. The scene's own copy when one with the same
// source is already there; nullptr when it cannot be loaded (the readers say why).
// `added`, when given, says whether the texture is a new one of the list.
COGLTexture2D* AddSceneTexture(COGLScene& scene, const std::string& path, Archive* pak, bool* added = nullptr);
// The same for an archive's picture, saying on the status bar what became of it.
COGLTexture2D* AddArchivePicture(COGLScene& scene, Archive& pak, const std::string& name, bool& added);

// Puts an archive entry into the scene as a double-click on it does (on the paks
// page and in the asset browser): a picture joins the scene's textures, the hooks'
// textureAdded told when it is new; anything else goes to onPakItemActivated. True
// when a picture joined the textures, which the caller reports as its change.
bool ActivateArchiveEntry(COGLScene& scene, Archive& pak, const std::string& name, const SceneSheetHooks& hooks);
