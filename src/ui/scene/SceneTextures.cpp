#include "ui/scene/SceneTextures.h"

#include <memory>

#include "media/Archive.h"
#include "media/COGLImage.h"
#include "media/COGLTexture2D.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"
#include "ui/SceneNames.h"
#include "ui/scene/SceneSheetHooks.h"

QString TextureLabel(const COGLTexture2D& texture) {
    QString label = GameText(texture.Name());
    if (texture.IsBound()) {
        label += QStringLiteral("  (%1 \u00D7 %2)").arg(texture.Width()).arg(texture.Height());
    }
    return label;
}

QString TextureSource(const COGLTexture2D& texture) {
    if (texture.Pak() != nullptr) {
        return QStringLiteral("%1 in %2").arg(GameText(texture.Path()), GameText(texture.Pak()->Path()));
    }
    return GameText(texture.Path());
}

COGLTexture2D* AddSceneTexture(COGLScene& scene, const std::string& path, Archive* pak, bool* added) {
    if (added != nullptr) {
        *added = false;
    }
    const std::string source = pak == nullptr ? fs_util::ResolvePath(path) : path;
    for (const auto& texture : scene.Textures()) {
        if (texture->Pak() == pak && fs_util::EqualsIgnoreCase(texture->Path(), source)) {
            return texture.get();
        }
    }
    auto texture = std::make_unique<COGLTexture2D>();
    if (!texture->SetSource(source, pak, 0)) {
        ShowMessage(msg::kCouldNotLoadBitmap);
        return nullptr;
    }
    GetHost().MakeViewContextCurrent();
    if (!texture->Load(scene.TextureFilterMode()) || !texture->IsBound()) {
        return nullptr;
    }
    if (added != nullptr) {
        *added = true;
    }
    return scene.AddTexture(std::move(texture));
}

COGLTexture2D* AddArchivePicture(COGLScene& scene, Archive& pak, const std::string& name, bool& added) {
    COGLTexture2D* texture = AddSceneTexture(scene, name, &pak, &added);
    if (texture == nullptr) {
        GetHost().SetStatusText(QStringLiteral("Could not load the texture %1.").arg(GameText(name)).toStdString());
        return nullptr;
    }
    GetHost().SetStatusText((added ? QStringLiteral("Added %1 to the scene's textures.")
                                   : QStringLiteral("%1 is already one of the scene's textures."))
                                .arg(GameText(texture->Name()))
                                .toStdString());
    return texture;
}

bool ActivateArchiveEntry(COGLScene& scene, Archive& pak, const std::string& name, const SceneSheetHooks& hooks) {
    if (!COGLImage::IsArchivePicture(pak, name)) {
        if (hooks.onPakItemActivated) {
            hooks.onPakItemActivated(pak, name);
        }
        return false;
    }
    bool fresh = false;
    COGLTexture2D* texture = AddArchivePicture(scene, pak, name, fresh);
    if (texture == nullptr || !fresh) {
        return false;
    }
    if (hooks.textureAdded) {
        hooks.textureAdded(texture);
    }
    return true;
}
