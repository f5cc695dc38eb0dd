#include "ui/browser/AssetCatalog.h"

#include <string>
#include <unordered_map>

#include "media/Archive.h"
#include "media/COGLImage.h"
#include "models/quake2/PlayerFolders.h"
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
        case AssetKind::Player:
            return QStringLiteral("player");
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
        const auto add = [&](const PakEntry& entry, const std::string& title) -> AssetEntry& {
            AssetEntry asset;
            asset.archive = &pak;
            asset.archivePath = pak.Path();
            asset.name = entry.name;
            asset.title = GameText(title);
            asset.path = GameText(asset.name);
            const Archive::Origin origin = pak.OriginOf(entry);
            asset.origin = origin.source == &pak ? archivePath : GameText(origin.source->Path());
            asset.kind = KindOf(pak, entry);
            assets.push_back(std::move(asset));
            return assets.back();
        };
        // A player's body stands for its folder, under the player's name.
        const std::vector<PlayerListing> players = ListPlayers(pak);
        std::unordered_map<std::string, const PlayerListing*> bodies;  // by the body's name folded
        for (const PlayerListing& listing : players) {
            bodies.emplace(fs_util::ToLower(listing.body->name), &listing);
        }
        for (const Archive::Listed& listed : pak.ListedEntries()) {
            const auto found = IsPlayerBodyPath(listed.entry->name) ? bodies.find(fs_util::ToLower(listed.entry->name))
                                                                     : bodies.end();
            if (found == bodies.end()) {
                add(*listed.entry, listed.text);
                continue;
            }
            const PlayerListing* player = found->second;
            AssetEntry& asset = add(*listed.entry, player->name);
            asset.kind = AssetKind::Player;
            asset.skins = static_cast<int>(player->skins.size());
            // The archive's tree leaves a player's pictures out: they follow their
            // player here, to be found, filtered and added as any picture. Its
            // weapons stay on the tree, listed as models.
            for (const PakEntry* skin : player->skins) {
                add(*skin, fs_util::FileNameOf(skin->name));
            }
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
