#pragma once

// The scene file's block for the map a scene stands in ("MAP1" in the extension
// area, written only when the scene has one):
//   int32   position of the archive holding the map in the scene's archive list,
//           -1 for a map on disk
//   uint32  length of the path, then its bytes: the file, or the archive's entry
//   float   brightness; uint8 sky (0 off, 1 on)
//   uint32  count of brush entities, then one uint8 each (1 shown, 0 hidden)
// A map that cannot be found or read again is counted as a skipped record, so
// the shortened scene is not saved over its file unasked.
namespace map_scene_block {
inline constexpr char kTag[5] = "MAP1";
// Longer paths than this are not a path of ours.
inline constexpr unsigned kMaxPath = 4096;
}  // namespace map_scene_block

void RegisterMapSceneBlock();
