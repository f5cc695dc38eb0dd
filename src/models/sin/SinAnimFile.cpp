#include "models/sin/SinAnimFile.h"

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

SamAnimation ReadSam(ByteBuffer bytes) {
    using namespace sam_format;
    SamAnimation animation;
    {
        BinaryReader in(bytes);
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
            if (vertices < 0 || static_cast<std::uint64_t>(vertices) > bytes.size() ||
                bytes.size() - static_cast<std::size_t>(vertices) < vertexBytes) {
                throw ReadError("frame vertices run past the end of the file");
            }
            frame.vertices = static_cast<std::size_t>(vertices);
        }
    }
    animation.bytes = std::move(bytes);
    return animation;
}
