#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "models/halflife/StudioPoseSettings.h"

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
// Renders a turntable or an animation loop of its inputs as a moving picture.
int RunAnimate(const Args& args);
// Writes its inputs (one model, or the whole scene) as a glTF 2.0 asset.
int RunExport(const Args& args);
// A thumbnail of one model, sprite or picture, as file managers ask for it.
int RunThumbnail(const Args& args);
// A contact sheet of an archive's entries.
int RunSheet(const Args& args);
// The thumbnail worker on stdin and stdout.
int RunThumbnailWorkerCommand(const Args& args);

// Pictures and pak archives for "info".
bool IsImageExtension(const std::string& extension);
int RunInfoImage(const std::string& path);
int RunInfoArchive(const std::string& path);
// "info --players": the players of an archive or game folder, in the stack's order.
int RunInfoPlayers(const std::string& path);
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
// "info [GAME-FOLDER-OR-ARCHIVE...] MAP.bsp" for a compiled map.
bool IsMapPath(const std::string& path);
int RunMapInfo(const Args& args);

class COGLDoc;
class COGLObject;
struct HeadlessView;

// The headless view "render" and "export" open their inputs into, at width x
// height; nullptr (reported) when no GL context can be had.
std::unique_ptr<HeadlessView> StartCommandView(int width, int height);
// Opens every input into the document as the program opens files: scenes, paks,
// models, and entries of the paks opened before them. `models` gets the models
// added (a scene replaces them); `mapOpened`, where given, says whether the scene's
// map is one of the inputs rather than one a scene file brought. kExitOk, or the
// failure code once it is reported.
int OpenInputs(COGLDoc& document, const std::vector<std::string>& inputs, std::vector<COGLObject*>& models,
               bool* mapOpened = nullptr);

// The frame every command with options shares: "--help" alone prints `usage`;
// otherwise `parse` reads the arguments and returns what is wrong with them
// (empty when nothing), which is printed under the usage. -1 means go on, any
// other value is the exit code to return.
int ParseCommandLine(const Args& args, const char* usage, const std::function<std::string()>& parse);
// What a command line without inputs or without an output lacks, else empty.
std::string MissingInputOrOutput(const std::vector<std::string>& inputs, const std::string& output,
                                 const std::string& noInput, const std::string& noOutput);

// A whole decimal number in [low, high], nothing else.
std::optional<int> ParseInt(const std::string& text, int low, int high);
// Any finite number (controllers, blends and angles may be negative).
std::optional<float> ParseValue(const std::string& text);
// "WIDTHxHEIGHT", each side 1 to `maximum`.
bool ParseSize(const std::string& text, int maximum, int& width, int& height);

// The Half-Life posing options (HalfLifeOptions.cpp), as the usage texts tell them.
extern const char* const kHalfLifeOptionsUsage;
// When args[i] is one of --body, --skin-family, --controller, --mouth, --blend
// and --follow, takes it and its value into `pose` (i moves past the value) and
// returns what is wrong with it (empty when nothing); nothing for another argument.
std::optional<std::string> ParseHalfLifeOption(const Args& args, std::size_t& i, StudioPoseSettings& pose);
// --skin's value as a Half-Life skin family: a whole number, 0 or more.
std::optional<int> ParseSkinFamily(const std::string& text);
// Poses every Half-Life model among `models` (--follow: the first one only).
// kExitOk, or the failure code once it is reported.
int PoseHalfLifeInputs(const std::vector<COGLObject*>& models, const StudioPoseSettings& pose);

// Prints "marovin-cli: <text>" to stderr and returns `code`.
int Fail(int code, const std::string& text);
