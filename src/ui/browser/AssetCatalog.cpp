#include "ui/browser/AssetCatalog.h"

#include "media/Archive.h"
#include "media/COGLImage.h"
#include "platform/FileSystem.h"
#include "scene/COGLScene.h"
#include "ui/SceneNames.h"
#include "ui/scene/SceneTextures.h"

namespace {
AssetKind KindOf(const Archive& pak, const PakEntry& entry) {
    const std::string extension = fs_util::ToLower(fs_util::ExtensionOf(entry.name));
    if (extension == "md2" || extension == "mdl" || extension == "def") {
        return AssetKind::Model;
    }
    if (extension == "sp2" || extension == "spr") {
        return AssetKind::Sprite;
    }
    return COGLImage::IsArchivePicture(pak, entry.name) ? AssetKind::Texture : AssetKind::File;
}
}  // namespace

QString AssetKindName(AssetKind kind) {
    switch (kind) {
        case AssetKind::Model:
            return QStringLiteral("model");
        case AssetKind::Sprite:
            return QStringLiteral("sprite");
        case AssetKind::Texture:
            return QStringLiteral("texture");
        case AssetKind::File:
            break;
    }
    return QStringLiteral("file");
}

std::vector<AssetEntry> ListAssets(const COGLScene& scene) {
    std::vector<AssetEntry> assets;
    for (int i = 0; i < scene.PakCount(); ++i) {
        Archive& pak = *scene.PakAt(i);
        const QString archivePath = GameText(pak.Path());
        for (const Archive::Listed& listed : pak.ListedEntries()) {
            AssetEntry asset;
            asset.archive = &pak;
            asset.archivePath = pak.Path();
            asset.name = listed.entry->name;
            asset.title = GameText(listed.text);
            asset.path = GameText(asset.name);
            const Archive::Origin origin = pak.OriginOf(*listed.entry);
            asset.origin = origin.source == &pak ? archivePath : GameText(origin.source->Path());
            asset.kind = KindOf(pak, *listed.entry);
            assets.push_back(std::move(asset));
        }
    }
    return assets;
}

ArchiveList ArchiveListOf(const COGLScene* scene) {
    ArchiveList list;
    for (int i = 0; scene != nullptr && i < scene->PakCount(); ++i) {
        list.emplace_back(scene->PakAt(i), scene->PakAt(i)->Path());
    }
    return list;
}
