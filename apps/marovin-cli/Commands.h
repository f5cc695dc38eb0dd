#pragma once

#include <string>
#include <vector>

// Exit codes of every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the input could not be read or the output written
inline constexpr int kExitUsage = 2;    // the command line was wrong

using Args = std::vector<std::string>;

int RunInfo(const Args& args);
int RunPak(const Args& args);
int RunImage(const Args& args);
// Renders its inputs headless and writes one picture.
int RunRender(const Args& args);
// Writes its inputs (one model, or the whole scene) as a glTF 2.0 asset.
int RunExport(const Args& args);

// Pictures and pak archives for "info".
bool IsImageExtension(const std::string& extension);
bool IsPakExtension(const std::string& extension);
int RunInfoImage(const std::string& path);
int RunInfoPak(const std::string& path);
int RunResave(const Args& args);
// "info" for a scene file (".dv").
int RunSceneInfo(const std::string& path);
// "info" for a Quake 2 model (".md2"), plain or player.
int RunModelInfo(const std::string& path);
// "info" for a SiN model definition (".def").
int RunSinInfo(const std::string& path);
// "info" for a Half-Life studio model (".mdl" not starting with "IDPO").
int RunHalfLifeInfo(const std::string& path);
// "info" for a Quake 1 model (".mdl" starting "IDPO").
int RunMdlInfo(const std::string& path);
// "info" for a sprite (".sp2", ".spr").
int RunSpriteInfo(const std::string& path);

class COGLDoc;
class COGLObject;
// Opens every input into the document as the program opens files: scenes, paks,
// models, and entries of the paks opened before them. `models` gets the models
// added (a scene replaces them). kExitOk, or the failure code once it is reported.
int OpenInputs(COGLDoc& document, const std::vector<std::string>& inputs, std::vector<COGLObject*>& models);

// Prints "marovin-cli: <text>" to stderr and returns `code`.
int Fail(int code, const std::string& text);
