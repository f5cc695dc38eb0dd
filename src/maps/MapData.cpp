#include "maps/MapData.h"

#include <charconv>

#include "platform/FileSystem.h"

const char* MapGameName(MapGame game) {
    switch (game) {
        case MapGame::Quake2:
            return "Quake 2";
        case MapGame::Quake1:
            return "Quake";
        case MapGame::HalfLife:
            return "Half-Life";
    }
    return "";
}

int MapFace::StyleCount() const {
    int count = 0;
    while (count < static_cast<int>(styles.size()) && styles[static_cast<std::size_t>(count)] != 255) {
        ++count;
    }
    return count;
}

const std::string& MapEntity::Value(const std::string& key) const {
    static const std::string none;
    for (const auto& [k, v] : pairs) {
        if (fs_util::EqualsIgnoreCase(k, key)) {
            return v;
        }
    }
    return none;
}

bool MapEntity::Has(const std::string& key) const {
    for (const auto& pair : pairs) {
        if (fs_util::EqualsIgnoreCase(pair.first, key)) {
            return true;
        }
    }
    return false;
}

int MapData::BrushModelOf(const MapEntity& entity) const {
    const std::string& value = entity.Value("model");
    if (value.size() < 2 || value[0] != '*') {
        return -1;
    }
    int index = -1;
    const auto [end, error] = std::from_chars(value.data() + 1, value.data() + value.size(), index);
    if (error != std::errc{} || end != value.data() + value.size() || index <= 0 ||
        index >= static_cast<int>(models.size())) {
        return -1;
    }
    return index;
}
