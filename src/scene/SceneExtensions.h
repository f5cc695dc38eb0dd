#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/BinaryIO.h"

class COGLObject;
class COGLScene;

// The scene file's extension area: what Marovin stores beyond the layout of
// Part 1.4, after the last object record, where a reader of that layout never
// looks (it stops after the records its counts name).
//
//   char[4] "MVX1"
//   blocks to the end of the file, each:
//     char[4] tag; uint32 payload length; payload
//
// The area is written only when there is at least one block, so a scene that
// uses nothing of it is written exactly as before. Tags:
//   "OBJX"  int32 the object's index among the file's object records (0 the
//           first), then what that object's SaveExtension wrote (written only
//           when it wrote something);
//   others  scene-level blocks registered by the layers above (RegisterSceneBlock).
// A block that does not check (its length runs past the end of the file, its
// payload does not read, its object was not loaded, its tag is not known to this
// program) is skipped and counted among the load's skipped records, so the
// scene is not saved over its file without asking; it never fails the load.
namespace scene_extensions {
inline constexpr char kMagic[5] = "MVX1";
inline constexpr char kObjectTag[5] = "OBJX";
inline constexpr std::size_t kBlockHeaderSize = 8;
}  // namespace scene_extensions

// A scene-level block: the writer says whether it wrote a payload (false: no
// block); the reader gets exactly the payload's bytes.
using SceneBlockWriter = bool (*)(const COGLScene& scene, BinaryWriter& out);
using SceneBlockReader = void (*)(BinaryReader& payload, COGLScene& scene);
// Registers the block `tag` (four characters, not "OBJX"); a second registration
// of a tag replaces the first. Blocks are written in registration order.
void RegisterSceneBlock(const char (&tag)[5], SceneBlockWriter write, SceneBlockReader read);

// Appends the extension area of `scene` to `out`, or nothing when no block has
// anything to say.
void WriteSceneExtensions(const COGLScene& scene, BinaryWriter& out);
// When `in` stands at an extension area, reads it to the end of the bytes;
// `fileObjects` holds for each object record of the file the object it made
// (nullptr for one that was skipped). The blocks that were skipped.
int ReadSceneExtensions(BinaryReader& in, COGLScene& scene, const std::vector<COGLObject*>& fileObjects);
