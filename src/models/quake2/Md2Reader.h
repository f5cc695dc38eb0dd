#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "platform/BinaryIO.h"

// Layout of a Quake 2 model (".md2"). All integers are 32-bit little-endian and
// every offset counts from the start of the model.
namespace md2_format {
inline constexpr std::uint32_t kIdent = 0x32504449;  // "IDP2"
inline constexpr std::int32_t kVersion = 8;
inline constexpr std::size_t kHeaderSize = 68;  // 17 int32:
// 0 ident, 1 version,
// 2, 3 skin width and height (not used),
// 4 frame size: bytes per frame,
// 5 skin count: names at the skins offset, 64 bytes each (0 for player bodies),
// 6 vertex count: vertices per frame,
// 7 st count (not used), 8 triangle count (reported only),
// 9 GL command count: 32-bit words of the GL command list,
// 10 frame count,
// 11 skins offset, 12 st offset (not used), 13 triangles offset (not used),
// 14 frames offset, 15 GL commands offset, 16 end offset (not used).
inline constexpr std::size_t kSkinCountField = 5;
inline constexpr std::size_t kSkinNameSize = 64;
// A frame: scale (3 floats), translate (3 floats), name (16 chars), then per
// vertex x, y, z (unsigned bytes, position = byte * scale + translate) and the
// index of its normal in the Quake normal table.
inline constexpr std::size_t kFrameHeaderSize = 40;
inline constexpr std::size_t kFrameNameOffset = 24;
inline constexpr std::size_t kFrameNameSize = 16;
inline constexpr std::size_t kVertexSize = 4;
inline constexpr std::size_t kNormalByte = 3;
// GL commands: a count n, then |n| vertices of three words (s and t as floats, a
// vertex index); n > 0 a triangle strip, n < 0 a fan, n = 0 the end.
inline constexpr std::size_t kCommandVertexWords = 3;
}  // namespace md2_format

// A whole model as the file holds it: every count and offset checked against the
// bytes there, every GL command inside the list and naming a vertex that exists.
struct Md2Data {
    int frameSize = 0;
    int frameCount = 0;  // at least 1
    int vertexCount = 0;  // at least 1; every frame holds them all
    int triangleCount = 0;  // as the header says (reported only)
    std::vector<std::string> skinNames;
    std::vector<std::uint32_t> commands;  // words as read; floats kept as their bits
    ByteBuffer frames;                    // frameCount x frameSize bytes as read
};

// Reads the model that fills `in` from its start. A file that is not a sound
// model throws ReadError; the caller shows the message.
Md2Data ReadMd2Data(BinaryReader& in);

// --- Decoding the frames and commands of a model that was read ---

// Scale and translate of a frame, and its first vertex.
struct Md2FrameTransform {
    Vector3 scale;
    Vector3 translate;
    const std::uint8_t* vertices;
};
Md2FrameTransform ReadMd2FrameTransform(const std::uint8_t* frame);
// Vertex `index` of the frame in model space.
Vector3 Md2VertexPosition(const Md2FrameTransform& frame, std::uint32_t index);
// The frame's stored name, up to its first NUL.
std::string Md2FrameName(const std::uint8_t* frame);

// Calls visit(fan, vertices, n) for each strip (fan false) or fan of a command
// list, `vertices` pointing at its n runs of three words, up to the end marker
// or a command that would run past the list.
template <typename Visit>
void ForEachMd2Command(const std::vector<std::uint32_t>& words, Visit&& visit) {
    for (std::size_t i = 0; i < words.size();) {
        const std::int64_t count = static_cast<std::int32_t>(words[i++]);
        if (count == 0) {
            return;
        }
        const std::size_t n = static_cast<std::size_t>(count < 0 ? -count : count);
        if (n > (words.size() - i) / md2_format::kCommandVertexWords) {
            return;
        }
        visit(count < 0, words.data() + i, n);
        i += n * md2_format::kCommandVertexWords;
    }
}
