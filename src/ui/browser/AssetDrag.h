#pragma once

#include <optional>
#include <string>

class QMimeData;

// An archive entry carried by a drag out of the asset browser: the archive as the
// scene lists it and the entry's name, byte for byte.
struct DraggedAsset {
    std::string archivePath;
    std::string name;
};

// The drag's data for other programs too: the entry's path as text.
QMimeData* AssetMimeData(const DraggedAsset& asset);
// The entry a drag carries; nothing when it carries none.
std::optional<DraggedAsset> DraggedAssetOf(const QMimeData* data);
// The type under which the entry travels.
const char* AssetMimeType();
