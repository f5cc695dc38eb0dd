#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// A SiN model definition (".def"): text that names the base model, its skins and
// its animations. Layout of the text:
//
//   SDEF                      the first four characters, always
//   path models/crate         directory prefix of the files named after it (a game path)
//   scale 2                   object scale on every axis, times 0.05
//   crate.sbm                 the base model: the line up to and including ".sbm"
//   red crate_red.tga         a skin: optional display name (first word), file (last word)
//   idle idle.sam             an animation: optional name (first word), file (last word);
//                             the first one found is the default
//   id 1 lid twosided         a mesh group's number and name; "twosided" shows both faces
//   origin 0 0 8, "!init:"... lines for the game, ignored here
//
// Lines end at CR LF only (a lone LF stays inside the line) and hold at most 1023
// characters; "/* */" comments may span lines, "//" ends a line. A line is told
// by its extension (text from its last ".", four characters, any case), else by
// its first word. File paths are the prefix, "/", the file name (the file name
// alone under an empty prefix).
namespace sin_def {
inline constexpr const char* kIdent = "SDEF";
inline constexpr std::size_t kMaxLineLength = 1023;
inline constexpr float kScaleUnit = 0.05f;          // a "scale 1" model is drawn at the size MD2 models are
inline constexpr std::size_t kMaxSkinName = 259;    // a skin named by its first word
inline constexpr std::size_t kMaxSkinTitle = 65;    // a skin named by its file title
inline constexpr std::size_t kMaxAnimationName = 63;  // fits the 64-byte animation name
}  // namespace sin_def

struct SinDefFile {
    std::string name;  // display name of a skin, name of an animation
    std::string path;  // game path: prefix + "/" + file
};

struct SinDefGroup {
    int id = 0;
    bool twoSided = false;
};

struct SinDefinition {
    std::string prefix;
    std::optional<float> scale;  // already times 0.05
    std::string modelPath;       // empty when no ".sbm" line was seen
    std::vector<SinDefFile> skins;
    std::vector<SinDefFile> animations;
    std::vector<SinDefGroup> groups;  // from "id" lines

    bool TwoSided(int groupId) const;
};

// Parses definition text; nothing when it does not start with "SDEF".
std::optional<SinDefinition> ParseSinDef(const char* text, std::size_t size);

// The file a definition on disk means by `gamePath`: the nearest folder above (or
// at) `definitionDirectory` under which gamePath exists, letter case matched
// loosely, else the file of that name beside the definition. Empty when none exists.
std::string LocateSinFile(const std::string& definitionDirectory, const std::string& gamePath);
