#include "models/sin/SinDef.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/FileSystem.h"

namespace {
bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) {
            ++i;
        }
        if (i > start) {
            words.push_back(line.substr(start, i - start));
        }
    }
    return words;
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string GamePath(const std::string& prefix, std::string_view file) {
    return prefix.empty() ? std::string(file) : prefix + "/" + std::string(file);
}

// The name a skin or an animation takes: its line's first word when the line has
// more than one, else the file's title.
std::string NameOf(const std::vector<std::string_view>& words, std::size_t wordLimit, std::size_t titleLimit) {
    if (words.size() > 1) {
        return std::string(words.front().substr(0, wordLimit));
    }
    return fs_util::FileTitleOf(std::string(words.back())).substr(0, titleLimit);
}

class Parser {
public:
    explicit Parser(SinDefinition& def) : def_(def) {}

    // Drops comments (a block comment may have begun on an earlier line), then
    // handles what is left.
    void Line(std::string_view raw) {
        std::string text;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (inComment_) {
                if (raw.compare(i, 2, "*/") == 0) {
                    inComment_ = false;
                    ++i;
                }
            } else if (raw.compare(i, 2, "/*") == 0) {
                inComment_ = true;
                ++i;
            } else if (raw.compare(i, 2, "//") == 0) {
                break;
            } else {
                text += raw[i];
            }
        }
        Handle(text);
    }

private:
    void Handle(std::string_view line) {
        const std::vector<std::string_view> words = Words(line);
        if (words.empty()) {
            return;
        }
        const std::size_t dot = line.rfind('.');
        const std::string_view extension = dot == std::string_view::npos ? std::string_view() : line.substr(dot, 4);
        if (SameWord(extension, ".sbm")) {
            const std::size_t start = line.find(words.front());
            def_.modelPath = GamePath(def_.prefix, line.substr(start, dot + 4 - start));
        } else if (SameWord(extension, ".tga")) {
            def_.skins.push_back({NameOf(words, sin_def::kMaxSkinName, sin_def::kMaxSkinTitle),
                                  GamePath(def_.prefix, words.back())});
        } else if (SameWord(extension, ".sam")) {
            def_.animations.push_back({NameOf(words, sin_def::kMaxAnimationName, sin_def::kMaxAnimationName),
                                       GamePath(def_.prefix, words.back())});
        } else if (SameWord(words.front(), "scale")) {
            Scale(words);
        } else if (SameWord(words.front(), "path")) {
            def_.prefix = words.size() > 1 ? std::string(words[1]) : std::string();
        } else if (SameWord(words.front(), "id") && words.size() > 1) {
            Group(words);
        }
    }

    void Scale(const std::vector<std::string_view>& words) {
        if (words.size() < 2) {
            return;
        }
        const std::string number(words[1]);
        char* end = nullptr;
        const float value = std::strtof(number.c_str(), &end);
        // A scale that is not a number leaves the model at its size.
        if (end != number.c_str() && std::isfinite(value)) {
            def_.scale = value * sin_def::kScaleUnit;
        }
    }

    void Group(const std::vector<std::string_view>& words) {
        const std::string number(words[1]);
        char* end = nullptr;
        const long id = std::strtol(number.c_str(), &end, 10);
        if (end == number.c_str() || id < 0 || id > 1000000) {
            return;
        }
        SinDefGroup group{static_cast<int>(id), false};
        for (std::size_t i = 2; i < words.size(); ++i) {
            group.twoSided = group.twoSided || SameWord(words[i], "twosided");
        }
        def_.groups.push_back(group);
    }

    SinDefinition& def_;
    bool inComment_ = false;
};
}  // namespace

bool SinDefinition::TwoSided(int groupId) const {
    for (const SinDefGroup& group : groups) {
        if (group.id == groupId && group.twoSided) {
            return true;
        }
    }
    return false;
}

std::optional<SinDefinition> ParseSinDef(const char* text, std::size_t size) {
    if (text == nullptr || size < 4 || std::memcmp(text, sin_def::kIdent, 4) != 0) {
        return std::nullopt;
    }
    // The text ends at its first NUL, as a zero-terminated buffer would.
    const std::string_view all(text, strnlen(text, size));
    SinDefinition def;
    Parser parser(def);
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find("\r\n", start);
        const bool last = end == std::string_view::npos;
        if (last) {
            end = all.size();
        }
        parser.Line(all.substr(start, std::min(end - start, sin_def::kMaxLineLength)));
        start = last ? all.size() : end + 2;
    }
    return def;
}

std::string LocateSinFile(const std::string& definitionDirectory, const std::string& gamePath) {
    if (gamePath.empty()) {
        return {};
    }
    std::vector<std::string> candidates;
    if (gamePath.front() == '/' || gamePath.front() == '\\') {
        candidates.push_back(gamePath);
    } else {
        std::string directory = definitionDirectory;
        for (;;) {
            candidates.push_back(directory + gamePath);
            if (directory.empty() || directory == "/") {
                break;
            }
            // One folder up: drop the trailing separator, then the last component.
            std::string parent = fs_util::DirectoryOf(directory.substr(0, directory.size() - 1));
            if (parent == directory) {
                break;
            }
            directory = std::move(parent);
        }
        candidates.push_back(definitionDirectory + fs_util::FileNameOf(gamePath));
    }
    for (const std::string& candidate : candidates) {
        if (const std::string resolved = fs_util::ResolvePath(candidate); fs_util::FileExists(resolved)) {
            return resolved;
        }
    }
    return {};
}
