#include "models/sin/SinAnimFile.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
Vector3 ReadVector(BinaryReader& in) {
    Vector3 v;
    v.x = in.ReadF32();
    v.y = in.ReadF32();
    v.z = in.ReadF32();
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
        throw ReadError("frame scale or translate is not a number");
    }
    return v;
}
}  // namespace

SamAnimation ReadSamFrames(const ByteBuffer& head, std::size_t fileSize) {
    using namespace sam_format;
    SamAnimation animation;
    BinaryReader in(head);
    if (in.ReadU32() != kIdent || in.ReadI32() != kVersion) {
        throw ReadError("not a SAM version 1 animation");
    }
    animation.name = in.ReadText(kNameSize);
    in.Skip(36);  // scale, translate, totaldelta
    animation.totalTime = in.ReadF32();
    const std::int32_t vertexCount = in.ReadI32();
    const std::int32_t frameCount = in.ReadI32();
    const std::int32_t framesOffset = in.ReadI32();
    if (vertexCount < 1 || frameCount < 1) {
        throw ReadError("no vertices or no frames");
    }
    animation.vertexCount = vertexCount;
    in.SeekSigned(framesOffset);
    animation.frames.resize(in.CheckCount(frameCount, kFrameSize));
    const std::size_t vertexBytes = static_cast<std::size_t>(vertexCount) * kVertexSize;
    for (SamFrame& frame : animation.frames) {
        const std::size_t record = in.Tell();
        in.Skip(16);  // movedelta, frametime
        frame.scale = ReadVector(in);
        frame.translate = ReadVector(in);
        const std::int64_t vertices = static_cast<std::int64_t>(record) + in.ReadI32();
        if (vertices < 0 || static_cast<std::uint64_t>(vertices) > fileSize ||
            fileSize - static_cast<std::size_t>(vertices) < vertexBytes) {
            throw ReadError("frame vertices run past the end of the file");
        }
        frame.vertices = static_cast<std::size_t>(vertices);
    }
    return animation;
}

SamAnimation ReadSam(ByteBuffer bytes) {
    SamAnimation animation = ReadSamFrames(bytes, bytes.size());
    animation.bytes = std::move(bytes);
    return animation;
}

SamAnimation ReadSamFramesFromFile(const std::string& path) {
    using namespace sam_format;
    const auto size = FileSize(path);
    const auto header = size ? ReadFileRange(path, 0, std::min<std::uint64_t>(*size, kHeaderSize)) : std::nullopt;
    if (!header) {
        throw ReadError("animation file cannot be read");
    }
    BinaryReader in(*header);
    in.Seek(116);
    const std::int64_t frames = in.ReadI32();
    const std::int64_t framesOffset = in.ReadI32();
    const std::int64_t tableEnd = framesOffset + frames * static_cast<std::int64_t>(kFrameSize);
    if (frames < 1 || framesOffset < 0 || static_cast<std::uint64_t>(tableEnd) > *size) {
        throw ReadError("frame records run past the end of the file");
    }
    const auto table = ReadFileRange(path, 0, static_cast<std::uint64_t>(tableEnd));
    if (!table) {
        throw ReadError("animation file cannot be read");
    }
    return ReadSamFrames(*table, static_cast<std::size_t>(*size));
}
