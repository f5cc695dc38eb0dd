#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "platform/BinaryIO.h"

// Layout of a SiN animation (".sam"): the frames of one animation of a base model.
// All integers are little-endian; offsets are in bytes.
namespace sam_format {
inline constexpr std::uint32_t kIdent = 0x204d4153;  // "SAM "
inline constexpr std::int32_t kVersion = 1;
// Header, 128 bytes:
//   0 ident, 4 version,
//   8 char[64] name,
//  72 float[3] scale, 84 float[3] translate: bounds of the whole animation,
//  96 float[3] totaldelta: movement over the animation (the model stays in place here),
// 108 float totaltime: seconds,
// 112 num_xyz: vertices per frame, equal to the base model's,
// 116 num_frames,
// 120 ofs_frames: the frame records, from the start of the file,
// 124 ofs_end: end of the data (not used).
inline constexpr std::size_t kHeaderSize = 128;
inline constexpr std::size_t kNameSize = 64;
// Frame record, 44 bytes, num_frames of them from ofs_frames:
//   0 float[3] movedelta, 12 float frametime (not used),
//  16 float[3] scale, 28 float[3] translate: a vertex is byte * scale + translate,
//  40 ofs_verts: the frame's vertices, from the start of this frame record.
inline constexpr std::size_t kFrameSize = 44;
// Vertex, 4 bytes: uint8 x, y, z, then the index of its normal in the Quake normal table.
inline constexpr std::size_t kVertexSize = 4;
}  // namespace sam_format

struct SamFrame {
    Vector3 scale;
    Vector3 translate;
    std::size_t vertices = 0;  // offset of num_xyz vertices in the file's bytes
};

// An animation as read: the file's bytes are kept and the frames point into them
// (or, read without its vertices, the frames and no bytes).
struct SamAnimation {
    std::string name;
    float totalTime = 0.0f;
    int vertexCount = 0;
    std::vector<SamFrame> frames;
    ByteBuffer bytes;

    // The 4-byte vertices of `frame` (which must be one of frames).
    const std::uint8_t* Vertices(std::size_t frame) const { return bytes.data() + frames[frame].vertices; }
};

// Reads an animation from a whole file. Throws ReadError when the ident or version
// is wrong, it has no frames, or a frame or its vertices leave the bytes there.
SamAnimation ReadSam(ByteBuffer bytes);
// Reads the header and the frame records from the start of a file of `fileSize`
// bytes (`head` holds at least those), every frame's vertices checked against
// fileSize; the vertices are not kept. Throws ReadError as ReadSam does.
SamAnimation ReadSamFrames(const ByteBuffer& head, std::size_t fileSize);
// The same for a file on disk, reading only the bytes up to the last frame record.
SamAnimation ReadSamFramesFromFile(const std::string& path);
