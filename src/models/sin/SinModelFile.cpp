#include "models/sin/SinModelFile.h"

#include <limits>

SbmModel ReadSbm(BinaryReader in) {
    using namespace sbm_format;
    if (in.ReadU32() != kIdent || in.ReadI32() != kVersion) {
        throw ReadError("not an SBM version 1 model");
    }
    const std::int32_t vertexCount = in.ReadI32();
    const std::int32_t stCount = in.ReadI32();
    const std::int32_t groupCount = in.ReadI32();
    const std::int32_t stOffset = in.ReadI32();
    in.ReadI32();  // ofs_end
    // Triangles index vertices with signed 16 bits.
    constexpr std::int32_t kMaxIndexed = std::numeric_limits<std::int16_t>::max() + 1;
    if (vertexCount < 1 || vertexCount > kMaxIndexed || stCount < 0 || stCount > kMaxIndexed) {
        throw ReadError("vertex or texture coordinate count out of range");
    }
    SbmModel model;
    model.vertexCount = vertexCount;
    model.groups.resize(in.CheckCount(groupCount, kGroupSize));

    BinaryReader st = in;
    st.SeekSigned(stOffset);
    model.st.resize(st.CheckCount(stCount, kStSize));
    for (auto& coord : model.st) {
        coord[0] = st.ReadF32();
        coord[1] = st.ReadF32();
    }

    for (std::size_t g = 0; g < model.groups.size(); ++g) {
        const std::int64_t recordStart = static_cast<std::int64_t>(kHeaderSize + g * kGroupSize);
        in.Seek(static_cast<std::size_t>(recordStart));
        SbmGroup& group = model.groups[g];
        group.id = in.ReadI32();
        const std::int32_t triangleCount = in.ReadI32();
        in.ReadI32();  // num_glcmds
        in.ReadI32();  // ofs_glcmds
        const std::int32_t trianglesOffset = in.ReadI32();
        BinaryReader tris = in;
        tris.SeekSigned(recordStart + trianglesOffset);
        group.triangles.resize(tris.CheckCount(triangleCount, kTriangleSize));
        for (SbmTriangle& t : group.triangles) {
            for (std::uint16_t& v : t.xyz) {
                const std::int16_t index = tris.ReadI16();
                if (index < 0 || index >= vertexCount) {
                    throw ReadError("triangle names a vertex that does not exist");
                }
                v = static_cast<std::uint16_t>(index);
            }
            for (std::uint16_t& v : t.st) {
                const std::int16_t index = tris.ReadI16();
                if (index < 0 || index >= stCount) {
                    throw ReadError("triangle names a texture coordinate that does not exist");
                }
                v = static_cast<std::uint16_t>(index);
            }
            tris.ReadI32();  // id
        }
    }
    return model;
}
