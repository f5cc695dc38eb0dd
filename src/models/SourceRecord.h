#pragma once

#include <functional>
#include <string>

#include "platform/BinaryIO.h"

class COGLScene;
class Archive;
struct PakEntry;

// The part of the scene record of every model and sprite that says where it
// was read from, right after the object's own part:
//   char[260] the file's path (the entry name when it came from a pak);
//   int32 the position of that pak in the scene's list (-1 a plain file).
void WriteSourceRecord(BinaryWriter& out, const std::string& path, const Archive* pak, const COGLScene* scene);

// Reads that part and loads from where it points: a plain file through the
// missing-file check of the scene's locator (`kind` chooses its prompt; without
// a locator, a file that exists), else the named entry of the scene's pak. A
// file the check does not find, or an entry that is not there, loads nothing.
void ReadSourceRecord(BinaryReader& in, COGLScene& scene, int kind,
                      const std::function<void(const std::string& path)>& loadFile,
                      const std::function<void(Archive& pak, const PakEntry& entry)>& loadEntry);
