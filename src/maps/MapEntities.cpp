#include "maps/MapEntities.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace {

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

    // The next token, or nothing at the end of the text.
    std::optional<std::string_view> Next() {
        SkipBlanks();
        if (pos_ >= text_.size()) {
            return std::nullopt;
        }
        const char c = text_[pos_];
        if (c == '"') {
            const std::size_t start = ++pos_;
            const std::size_t end = text_.find('"', start);
            if (end == std::string_view::npos) {
                pos_ = text_.size();
                return std::nullopt;  // an open quote: the text ends damaged
            }
            pos_ = end + 1;
            return text_.substr(start, end - start);
        }
        if (c == '{' || c == '}') {
            return text_.substr(pos_++, 1);
        }
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !IsBlank(text_[pos_]) && text_[pos_] != '"' && text_[pos_] != '{' &&
               text_[pos_] != '}') {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

private:
    static bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

    void SkipBlanks() {
        while (pos_ < text_.size()) {
            if (IsBlank(text_[pos_])) {
                ++pos_;
            } else if (text_.substr(pos_, 2) == "//") {
                const std::size_t end = text_.find('\n', pos_);
                pos_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else {
                return;
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Reads up to `count` numbers separated by blanks; missing or bad ones stay 0.
template <std::size_t N>
std::array<float, N> Numbers(const std::string& text) {
    std::array<float, N> values{};
    const char* p = text.data();
    const char* end = p + text.size();
    for (std::size_t i = 0; i < N; ++i) {
        while (p < end && (*p == ' ' || *p == '\t')) {
            ++p;
        }
        float value = 0.0f;
        const auto [next, error] = std::from_chars(p, end, value);
        if (error != std::errc{} || !std::isfinite(value)) {
            break;
        }
        values[i] = value;
        p = next;
    }
    return values;
}

bool IsStartClass(const std::string& name) {
    const std::string lower = fs_util::ToLower(name);
    return lower == "info_player_start" || lower == "info_player_deathmatch" || lower == "info_player_coop" ||
           lower == "info_player_team1" || lower == "info_player_team2";
}

}  // namespace

std::vector<MapEntity> ParseEntities(std::string_view text) {
    std::vector<MapEntity> entities;
    Tokenizer tokens(text);
    while (const auto open = tokens.Next()) {
        if (*open != "{") {
            break;
        }
        MapEntity entity;
        bool closed = false;
        while (const auto key = tokens.Next()) {
            if (*key == "}") {
                closed = true;
                break;
            }
            const auto value = tokens.Next();
            if (!value || *value == "}" || *value == "{") {
                break;
            }
            entity.pairs.emplace_back(std::string(*key), std::string(*value));
        }
        if (!closed) {
            break;
        }
        entities.push_back(std::move(entity));
    }
    return entities;
}

bool LooksLikeEntities(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) > ' ') {
            return c == '{';
        }
    }
    return false;
}

void ReadWorldInfo(MapData& map) {
    for (const MapEntity& entity : map.entities) {
        if (!IsStartClass(entity.Value("classname"))) {
            continue;
        }
        MapStart start;
        start.className = fs_util::ToLower(entity.Value("classname"));
        start.origin = EntityOrigin(entity);
        if (entity.Has("angles")) {
            start.yaw = Numbers<3>(entity.Value("angles"))[1];
        } else {
            start.yaw = Numbers<1>(entity.Value("angle"))[0];
        }
        map.starts.push_back(std::move(start));
    }
    const MapEntity* world = map.Worldspawn();
    if (world == nullptr) {
        return;
    }
    map.skyName = world->Value(map.game == MapGame::HalfLife ? "skyname" : "sky");
    if (map.game != MapGame::HalfLife) {
        return;
    }
    // Full paths from the mapper's machine: only the file name means anything here.
    const std::string& list = world->Value("wad");
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        const std::string name = fs_util::FileNameOf(list.substr(start, end - start));
        if (!name.empty()) {
            map.wads.push_back(name);
        }
        start = end + 1;
    }
}

Vector3 EntityOrigin(const MapEntity& entity) {
    const auto origin = Numbers<3>(entity.Value("origin"));
    return {origin[0], origin[1], origin[2]};
}

std::uint32_t EntityTranslucency(const MapEntity& entity, MapGame game) {
    float opacity = 1.0f;
    if (game == MapGame::HalfLife) {
        // Render modes 2 (texture) and 5 (additive) draw the brush at "renderamt" / 255.
        const int mode = static_cast<int>(Numbers<1>(entity.Value("rendermode"))[0]);
        if (mode == 2 || mode == 5) {
            opacity = Numbers<1>(entity.Value("renderamt"))[0] / 255.0f;
        }
    } else if (entity.Has("alpha")) {
        opacity = Numbers<1>(entity.Value("alpha"))[0];
        if (opacity <= 0.0f) {
            opacity = 1.0f;  // the ports' "not set"
        }
    }
    if (opacity >= 1.0f) {
        return 0;
    }
    return opacity <= 0.5f ? map_surface::kTranslucent33 : map_surface::kTranslucent66;
}
