#pragma once

#include <cstddef>
#include <string>

class COGLDoc;
class COGLMD2;
class Archive;

// The "Player Options" of the model open dialog, kept by the application between
// dialogs: each Open Model copies the dialog's boxes here before the file opens.
struct MD2OpenOptions {
    bool useDefaultPalette = false;  // "Use Default Palette for Player Skins"
    bool autoDetectPlayer = true;    // "Auto Detect Player": no skins named in the file
    bool loadAsPlayer = false;       // "Load as a Player"
};

const MD2OpenOptions& GetMD2OpenOptions();
void SetMD2OpenOptions(const MD2OpenOptions& options);

// Whether the model at `path` (a file or an entry name), whose first bytes are
// `bytes`, would open as a player under `options`: always with "Load as a
// Player"; else, with "Auto Detect Player", when it is a player's body
// "players/NAME/tris.md2" (most name a skin in their header) or its 68-byte
// header reads and declares no skins.
bool OpensAsPlayer(const std::string& path, const unsigned char* bytes, std::size_t size,
                   const MD2OpenOptions& options);

// How an opener decides between a plain model and a player: as the open
// dialog's options say, or as the caller knows (the asset browser and the
// player picker, whatever the dialog's sticky choice).
enum class MD2OpenAs { Options, Model, Player };

// Adds a model to the document's scene: a plain model or a player as the options
// decide, loaded, given its first skin ("Could not load textures for this model"
// when it has none), a player's first weapon, then appended, selected and shown.
// A file that does not load says "Error opening file" and adds nothing. Returns
// the model added, or nullptr.
COGLMD2* OpenMD2Model(COGLDoc& doc, const std::string& path, MD2OpenAs as = MD2OpenAs::Options);
// The same for an entry of an archive (the pak page, the browser, the player
// picker and the command line); `entryName` is matched without regard to case.
COGLMD2* OpenModelFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName,
                          MD2OpenAs as = MD2OpenAs::Options);

// Registers COGLMD2 (type code 12) and COGLPlayer (13) with the object factory
// and the ".md2" opener with the document. Safe to call more than once.
void RegisterMD2Classes();
