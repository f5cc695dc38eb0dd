#include "maps/MapTextures.h"

#include <memory>
#include <optional>

#include "media/Archive.h"
#include "media/COGLImage.h"
#include "media/GameFolder.h"
#include "media/Palette.h"
#include "media/WadArchive.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"

namespace {

constexpr std::size_t kPaletteBytes = 768;

// The image's pixels (bottom row first, RGB or RGBA) as a picture, top row first.
MapPicture PictureOf(const COGLImage& image) {
    MapPicture picture;
    if (!image.HasPixels() || image.Width() <= 0 || image.Height() <= 0) {
        return picture;
    }
    picture.width = image.Width();
    picture.height = image.Height();
    const std::size_t width = static_cast<std::size_t>(image.Width());
    const std::size_t height = static_cast<std::size_t>(image.Height());
    const std::size_t stride = static_cast<std::size_t>(image.BytesPerPixel());
    picture.rgba.resize(width * height * 4);
    const std::vector<std::uint8_t>& pixels = image.Pixels();
    for (std::size_t row = 0; row < height; ++row) {
        const std::uint8_t* in = pixels.data() + (height - 1 - row) * width * stride;
        std::uint8_t* out = picture.rgba.data() + row * width * 4;
        for (std::size_t x = 0; x < width; ++x, in += stride, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = stride == 4 ? in[3] : 255;
        }
    }
    return picture;
}

// The picture of the first archive holding `name`, decoded as the archive decodes
// it; `gamePalette` lets 8-bit pictures take the game's palette.
std::optional<MapPicture> FindPicture(const std::vector<Archive*>& archives, const std::string& name,
                                      bool gamePalette, bool archivePictureOnly) {
    for (Archive* archive : archives) {
        const PakEntry* entry = archive->FindEntry(name);
        if (entry == nullptr || (archivePictureOnly && !archive->IsPicture(*entry))) {
            continue;
        }
        COGLImage image;
        if (image.LoadFromArchive(*archive, *entry, false, gamePalette, false)) {
            return PictureOf(image);
        }
        return std::nullopt;  // the one the game would take does not decode
    }
    return std::nullopt;
}

ConvertedPalette Quake1GamePalette(const std::vector<Archive*>& archives) {
    for (Archive* archive : archives) {
        const PakEntry* entry = archive->FindEntry("gfx/palette.lmp");
        if (entry == nullptr) {
            continue;
        }
        const auto bytes = archive->ReadEntry(*entry);
        if (bytes && bytes->size() >= kPaletteBytes) {
            return ConvertPalette(bytes->data(), 3);
        }
    }
    return Quake1Palette();
}

std::optional<MapPicture> EmbeddedPicture(const MapTexture& texture, const ConvertedPalette& quake1) {
    if (texture.indexes.empty()) {
        return std::nullopt;
    }
    const bool masked = !texture.name.empty() && texture.name[0] == '{';
    const ConvertedPalette palette = texture.palette ? ConvertPalette(texture.palette->data(), 3) : quake1;
    COGLImage image;
    if (!image.LoadPaletted(texture.indexes.data(), texture.width, texture.height, palette,
                            texture.palette && masked ? 255 : -1, false, false)) {
        return std::nullopt;
    }
    return PictureOf(image);
}

// The WADs a Half-Life worldspawn names, as the archives or the map's folder hold them.
std::vector<std::unique_ptr<Archive>> OpenListedWads(const MapData& map, const std::vector<Archive*>& archives,
                                                     const std::string& mapFolder) {
    std::vector<std::unique_ptr<Archive>> wads;
    for (const std::string& name : map.wads) {
        auto wad = std::make_unique<WadArchive>();
        bool opened = false;
        for (Archive* archive : archives) {
            if (const PakEntry* entry = archive->FindEntry(name)) {
                if (auto bytes = archive->ReadEntry(*entry)) {
                    opened = wad->OpenBytes(archive->Path() + "/" + entry->name, std::move(*bytes));
                }
                break;
            }
        }
        if (!opened && !mapFolder.empty()) {
            const std::string path = fs_util::ResolvePath(mapFolder + "/" + name);
            opened = fs_util::FileExists(path) && wad->Open(path);
        }
        if (opened) {
            wads.push_back(std::move(wad));
        }
    }
    return wads;
}

std::array<MapPicture, 6> FindSky(const MapData& map, const std::vector<Archive*>& archives) {
    std::array<MapPicture, 6> sky;
    if (map.skyName.empty() || map.game == MapGame::Quake1) {
        return sky;
    }
    const std::string stem = (map.game == MapGame::Quake2 ? "env/" : "gfx/env/") + fs_util::ToLower(map.skyName);
    for (std::size_t side = 0; side < kMapSkySides.size(); ++side) {
        std::optional<MapPicture> picture = FindPicture(archives, stem + kMapSkySides[side] + ".tga", false, false);
        if (!picture && map.game == MapGame::Quake2) {
            picture = FindPicture(archives, stem + kMapSkySides[side] + ".pcx", false, false);
        }
        if (!picture || !picture->HasPixels()) {
            return {};
        }
        sky[side] = std::move(*picture);
    }
    return sky;
}

}  // namespace

MapPictures ResolveMapPictures(const MapData& map, const std::vector<Archive*>& archives, const std::string& mapFolder) {
    // A picture that does not decode is listed as missing, never shown as a box.
    const ThreadHostScope quiet;
    MapPictures result;
    result.textures.resize(map.textures.size());
    const ConvertedPalette quake1 = map.game == MapGame::Quake1 ? Quake1GamePalette(archives) : Quake1Palette();
    std::vector<std::unique_ptr<Archive>> listedWads;
    bool wadsOpened = false;
    for (std::size_t i = 0; i < map.textures.size(); ++i) {
        const MapTexture& texture = map.textures[i];
        std::optional<MapPicture> picture;
        if (map.game == MapGame::Quake2) {
            picture = FindPicture(archives, "textures/" + texture.name + ".wal", true, false);
        } else {
            picture = EmbeddedPicture(texture, quake1);
            if (!picture) {
                picture = FindPicture(archives, texture.name, false, true);
            }
            if (!picture && map.game == MapGame::HalfLife) {
                if (!wadsOpened) {
                    listedWads = OpenListedWads(map, archives, mapFolder);
                    wadsOpened = true;
                }
                std::vector<Archive*> wads;
                for (const auto& wad : listedWads) {
                    wads.push_back(wad.get());
                }
                picture = FindPicture(wads, texture.name, false, true);
            }
        }
        if (picture && picture->HasPixels()) {
            result.textures[i] = std::move(*picture);
        } else {
            result.missing.push_back(texture.name);
        }
    }
    result.sky = FindSky(map, archives);
    return result;
}

std::unique_ptr<Archive> OpenEnclosingGame(const std::string& mapPath) {
    std::string folder = fs_util::DirectoryOf(mapPath);
    if (folder.empty()) {
        return nullptr;
    }
    folder.pop_back();
    if (!fs_util::EqualsIgnoreCase(fs_util::FileNameOf(folder), "maps")) {
        return nullptr;
    }
    std::string game = fs_util::DirectoryOf(folder);
    if (game.empty()) {
        return nullptr;
    }
    game.pop_back();
    auto archive = std::make_unique<GameFolder>();
    return archive->Open(game) ? std::move(archive) : nullptr;
}
