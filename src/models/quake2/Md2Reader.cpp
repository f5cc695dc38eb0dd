#include "models/quake2/Md2Reader.h"

#include <array>
#include <bit>
#include <cstring>

namespace {
using namespace md2_format;

float LoadF32(const std::uint8_t* p) {
    const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return std::bit_cast<float>(bits);
}

// Whether [a, a + alen) and [b, b + blen) share a byte.
bool Overlaps(std::int64_t a, std::int64_t alen, std::int64_t b, std::int64_t blen) {
    return alen > 0 && blen > 0 && a < b + blen && b < a + alen;
}
}  // namespace

Md2Data ReadMd2Data(BinaryReader& in) {
    in.Seek(0);
    std::array<std::int32_t, kHeaderSize / 4> header{};
    for (std::int32_t& field : header) {
        field = in.ReadI32();
    }
    if (static_cast<std::uint32_t>(header[0]) != kIdent || header[1] != kVersion) {
        throw ReadError("not an IDP2 version 8 model");
    }
    const std::int64_t frameSize = header[4];
    const std::int64_t skinCount = header[kSkinCountField];
    const std::int64_t vertexCount = header[6];
    const std::int64_t commandCount = header[9];
    const std::int64_t frameCount = header[10];
    const std::int64_t skinsOffset = header[11];
    const std::int64_t framesOffset = header[14];
    const std::int64_t commandsOffset = header[15];

    // A model with nothing to draw has no bounds either (they would stay at ±FLT_MAX).
    if (vertexCount < 1 || frameCount < 1 ||
        frameSize < static_cast<std::int64_t>(kFrameHeaderSize) + static_cast<std::int64_t>(kVertexSize) * vertexCount) {
        throw ReadError("frame size, frame count or vertex count out of range");
    }
    if (Overlaps(framesOffset, frameCount * frameSize, commandsOffset, commandCount * 4)) {
        throw ReadError("frames and GL commands overlap");
    }

    Md2Data data;
    if (skinCount != 0) {
        in.SeekSigned(skinsOffset);
    }
    data.skinNames.resize(in.CheckCount(skinCount, kSkinNameSize));
    for (std::string& name : data.skinNames) {
        name = in.ReadTerminatedText(kSkinNameSize);
    }

    in.SeekSigned(framesOffset);
    const std::size_t frames = in.CheckCount(frameCount, static_cast<std::size_t>(frameSize));
    data.frames = in.ReadBytes(frames * static_cast<std::size_t>(frameSize));

    if (commandCount != 0) {
        in.SeekSigned(commandsOffset);
    }
    data.commands.resize(in.CheckCount(commandCount, 4));
    for (std::uint32_t& word : data.commands) {
        word = in.ReadU32();
    }
    // Every command must fit in the list and name vertices that exist.
    for (std::size_t i = 0; i < data.commands.size();) {
        const std::int64_t count = static_cast<std::int32_t>(data.commands[i++]);
        if (count == 0) {
            break;
        }
        const std::uint64_t vertices = static_cast<std::uint64_t>(count < 0 ? -count : count);
        if (vertices > (data.commands.size() - i) / kCommandVertexWords) {
            throw ReadError("GL command runs past the end of the list");
        }
        for (std::uint64_t v = 0; v < vertices; ++v, i += kCommandVertexWords) {
            if (data.commands[i + 2] >= static_cast<std::uint64_t>(vertexCount)) {
                throw ReadError("GL command names a vertex that does not exist");
            }
        }
    }
    data.frameSize = static_cast<int>(frameSize);
    data.frameCount = static_cast<int>(frameCount);
    data.vertexCount = static_cast<int>(vertexCount);
    data.triangleCount = header[8];
    return data;
}

Md2FrameTransform ReadMd2FrameTransform(const std::uint8_t* frame) {
    return {{LoadF32(frame), LoadF32(frame + 4), LoadF32(frame + 8)},
            {LoadF32(frame + 12), LoadF32(frame + 16), LoadF32(frame + 20)},
            frame + kFrameHeaderSize};
}

Vector3 Md2VertexPosition(const Md2FrameTransform& frame, std::uint32_t index) {
    const std::uint8_t* v = frame.vertices + static_cast<std::size_t>(index) * kVertexSize;
    return {v[0] * frame.scale.x + frame.translate.x, v[1] * frame.scale.y + frame.translate.y,
            v[2] * frame.scale.z + frame.translate.z};
}

std::string Md2FrameName(const std::uint8_t* frame) {
    const std::uint8_t* p = frame + kFrameNameOffset;
    const void* nul = std::memchr(p, 0, kFrameNameSize);
    const std::size_t length =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - p) : kFrameNameSize;
    return std::string(reinterpret_cast<const char*>(p), length);
}
