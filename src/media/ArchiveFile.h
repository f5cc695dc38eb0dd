#pragma once

#include <memory>
#include <string>

#include "media/Archive.h"

// Opens an archive file by its magic ("PACK" and "SPAK" paks, "WAD2" and "WAD3",
// zip signatures), its extension only deciding which kind reports a file of no
// known magic. Nothing, silently, when it cannot be read at all; nothing, with the
// kind's message, when it is not an archive or its kind cannot read it.
std::unique_ptr<Archive> OpenArchiveFile(const std::string& path);
// Whether files named with this extension (no dot, any case) are archives the
// program opens: "pak", "sin", "wad" and the zip kinds ("pk3", "pkz", "zip", "kpf").
bool IsArchiveExtension(const std::string& extension);
