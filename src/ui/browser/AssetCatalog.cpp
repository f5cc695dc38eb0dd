#include "ui/browser/AssetCatalog.h"

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "media/Archive.h"
#include "media/COGLImage.h"
#include "media/OpenArchive.h"
#include "models/quake2/PlayerFolders.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "scene/COGLScene.h"
#include "ui/SceneNames.h"
#include "ui/scene/SceneTextures.h"

namespace {
AssetKind KindOf(const Archive& pak, const PakEntry& entry) {
    const std::string extension = fs_util::ToLower(fs_util::ExtensionOf(entry.name));
    // A map (".bsp") opens as the scene's backdrop, the way a model opens.
    if (extension == "md2" || extension == "mdl" || extension == "def" || extension == "bsp") {
        return AssetKind::Model;
    }
    if (extension == "sp2" || extension == "spr") {
        return AssetKind::Sprite;
    }
    return COGLImage::IsArchivePicture(pak, entry.name) ? AssetKind::Texture : AssetKind::File;
}

// One name for a file however its path was written (relative, through a link).
std::string FileIdentity(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(fs_util::ResolvePath(path), error);
    return error ? path : canonical.string();
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


const std::string& AssetLister::IdentityOf(const Archive& source) {
    auto found = identities_.find(&source);
    if (found == identities_.end()) {
        found = identities_.emplace(&source, FileIdentity(source.Path())).first;
    }
    return found->second;
}

void AssetLister::Add(const Archive* listedAs, Archive& pak) {
    const QString archivePath = GameText(pak.Path());
    const QString archiveName = GameText(fs_util::FileNameOf(pak.Path()));
    // Whether the entry's bytes were listed already; notes them when not.
    const auto seen = [&](const PakEntry& entry) {
        const Archive::Origin origin = pak.OriginOf(entry);
        const Archive& source = origin.source != nullptr ? *origin.source : pak;
        const PakEntry& own = origin.entry != nullptr ? *origin.entry : entry;
        return !listed_.insert(IdentityOf(source) + '\n' + fs_util::ToLower(own.name)).second;
    };
    const auto add = [&](const PakEntry& entry, const std::string& title) -> AssetEntry& {
        AssetEntry asset;
        asset.archive = listedAs;
        asset.archivePath = pak.Path();
        asset.name = entry.name;
        asset.title = GameText(title);
        asset.path = GameText(asset.name);
        const Archive::Origin origin = pak.OriginOf(entry);
        asset.origin = origin.source == &pak ? archivePath : GameText(origin.source->Path());
        asset.archiveNames = archiveName;
        if (origin.source != &pak) {
            asset.archiveNames += QChar(u'\n') + GameText(fs_util::FileNameOf(origin.source->Path()));
        }
        asset.kind = KindOf(pak, entry);
        assets_.push_back(std::move(asset));
        return assets_.back();
    };
    // A player's body stands for its folder, under the player's name.
    const std::vector<PlayerListing> players = ListPlayers(pak);
    std::unordered_map<std::string, const PlayerListing*> bodies;  // by the body's name folded
    for (const PlayerListing& listing : players) {
        bodies.emplace(fs_util::ToLower(listing.body->name), &listing);
    }
    for (const Archive::Listed& entry : pak.ListedEntries()) {
        const bool again = seen(*entry.entry);
        const auto found = IsPlayerBodyPath(entry.entry->name) ? bodies.find(fs_util::ToLower(entry.entry->name))
                                                                : bodies.end();
        if (found == bodies.end()) {
            if (!again) {
                add(*entry.entry, entry.text);
            }
            continue;
        }
        const PlayerListing* player = found->second;
        if (!again) {
            AssetEntry& asset = add(*entry.entry, player->name);
            asset.kind = AssetKind::Player;
            asset.skins = static_cast<int>(player->skins.size());
        }
        // The archive's tree leaves a player's pictures out: they follow their
        // player here, to be found, filtered and added as any picture. Its
        // weapons stay on the tree, listed as models. A mod's new skins for a
        // player of its game are listed though the player was already.
        for (const PakEntry* skin : player->skins) {
            if (!seen(*skin)) {
                add(*skin, fs_util::FileNameOf(skin->name));
            }
        }
    }
}

std::vector<AssetEntry> ListAssets(const COGLScene& scene) {
    AssetLister lister;
    for (int i = 0; i < scene.PakCount(); ++i) {
        lister.Add(scene.PakAt(i), *scene.PakAt(i));
    }
    return lister.Take();
}

std::optional<std::vector<AssetEntry>> ListAssetsApart(const ArchiveList& list) {
    // Nothing the reading reports may reach the window from this thread.
    const ThreadHostScope quiet;
    std::vector<std::unique_ptr<Archive>> opened;  // held while the identities point at them
    AssetLister lister;
    for (const auto& [listedAs, path] : list) {
        opened.push_back(OpenArchive(path));
        if (opened.back() == nullptr) {
            return std::nullopt;
        }
        lister.Add(listedAs, *opened.back());
    }
    return lister.Take();
}

ArchiveList ArchiveListOf(const COGLScene* scene) {
    ArchiveList list;
    for (int i = 0; scene != nullptr && i < scene->PakCount(); ++i) {
        list.emplace_back(scene->PakAt(i), scene->PakAt(i)->Path());
    }
    return list;
}
