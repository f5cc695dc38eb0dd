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

// Whether the model at the start of `bytes` would open as a player under
// `options`: always with "Load as a Player", else with "Auto Detect Player" when
// its 68-byte header reads and declares no skins.
bool OpensAsPlayer(const unsigned char* bytes, std::size_t size, const MD2OpenOptions& options);

// Adds a model to the document's scene: a plain model or a player as the options
// decide, loaded, given its first skin ("Could not load textures for this model"
// when it has none), a player's first weapon, then appended, selected and shown.
// A file that does not load says "Error opening file" and adds nothing. Returns
// the model added, or nullptr.
COGLMD2* OpenMD2Model(COGLDoc& doc, const std::string& path);
// The same for an entry of a pak archive (the pak page and the command line);
// `entryName` is matched without regard to case.
COGLMD2* OpenModelFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName);

// Registers COGLMD2 (type code 12) and COGLPlayer (13) with the object factory
// and the ".md2" opener with the document. Safe to call more than once.
void RegisterMD2Classes();
