#include "models/quake1/MdlReader.h"

#include <array>
#include <bit>

namespace {
using namespace mdl_format;

MdlFrame ReadSimpleFrame(BinaryReader& in, std::size_t vertexBytes) {
    in.Skip(kBoundsSize);
    MdlFrame frame;
    frame.name = in.ReadText(kFrameNameSize);
    frame.vertices = in.ReadBytes(vertexBytes);
    return frame;
}
}  // namespace

MdlData ReadMdlData(BinaryReader& in) {
    std::array<std::int32_t, kHeaderFields> header{};
    std::array<float, kHeaderFields> real{};
    for (std::size_t i = 0; i < kHeaderFields; ++i) {
        const std::uint32_t bits = in.ReadU32();
        header[i] = static_cast<std::int32_t>(bits);
        real[i] = std::bit_cast<float>(bits);
    }
    if (static_cast<std::uint32_t>(header[0]) != kIdent || header[1] != kVersion) {
        throw ReadError("not an IDPO version 6 model");
    }
    MdlData data;
    data.scale = {real[2], real[3], real[4]};
    data.origin = {real[5] - real[9], real[6] - real[10], real[7] - real[11]};
    const std::int64_t skinCount = header[12];
    const std::int64_t width = header[13];
    const std::int64_t height = header[14];
    const std::int64_t vertexCount = header[15];
    const std::int64_t triangleCount = header[16];
    const std::int64_t frameCount = header[17];
    if (width <= 0 || height <= 0 || vertexCount < 0 || frameCount < 1) {
        throw ReadError("skin size, vertex count or frame count out of range");
    }
    const std::int64_t skinBytes = width * height;  // both below 2^31: no overflow
    data.skinWidth = static_cast<int>(width);
    data.skinHeight = static_cast<int>(height);
    data.vertexCount = static_cast<int>(vertexCount);

    data.skins.resize(in.CheckCount(skinCount, static_cast<std::size_t>(skinBytes) + 4));
    for (ByteBuffer& skin : data.skins) {
        if (in.ReadI32() != kSingleSkin) {
            throw ReadError("skin groups are not read");
        }
        skin = in.ReadBytes(static_cast<std::size_t>(skinBytes));
    }

    data.texCoords.resize(in.CheckCount(vertexCount, kTexCoordSize));
    for (MdlTexCoord& coord : data.texCoords) {
        coord.onSeam = in.ReadI32();
        coord.s = in.ReadI32();
        coord.t = in.ReadI32();
    }
    data.triangles.resize(in.CheckCount(triangleCount, kTriangleSize));
    for (MdlTriangle& triangle : data.triangles) {
        triangle.facesFront = in.ReadI32();
        for (std::int32_t& vertex : triangle.vertex) {
            vertex = in.ReadI32();
            if (vertex < 0 || vertex >= vertexCount) {
                throw ReadError("triangle names a vertex that does not exist");
            }
        }
    }

    // Each entry says itself whether it is a frame or a group: real files mix
    // them, and one that ends with a group has nothing after it.
    const std::size_t vertexBytes = static_cast<std::size_t>(vertexCount) * kVertexSize;
    const std::size_t simpleSize = kBoundsSize + kFrameNameSize + vertexBytes;
    const std::size_t entries = in.CheckCount(frameCount, 4 + simpleSize);
    for (std::size_t entry = 0; entry < entries; ++entry) {
        if (in.ReadI32() == kSimpleFrame) {
            data.frames.push_back(ReadSimpleFrame(in, vertexBytes));
            continue;
        }
        const std::size_t count = in.CheckCount(in.ReadI32(), simpleSize + 4);
        if (count == 0) {
            throw ReadError("empty frame group");
        }
        in.Skip(kBoundsSize + 4 * count);  // the group's bounds and its intervals
        in.CheckCount(static_cast<std::int64_t>(count), simpleSize);
        for (std::size_t i = 0; i < count; ++i) {
            data.frames.push_back(ReadSimpleFrame(in, vertexBytes));
        }
    }
    return data;
}
