#include "maps/MapReader.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <new>
#include <string_view>
#include <unordered_map>

#include "maps/MapEntities.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "scene/SceneFormat.h"

namespace {
using namespace map_format;
using scene_format::ReadVector;  // three reals x, y, z, as every format here stores them

// Why a map is refused: not a map at all, or a damaged one with the detail.
struct Refusal {
    bool notAMap;
    std::string detail;
};

Refusal Damaged(const MessageText& detail, const char* lump) { return {false, FormatMessage(detail, lump)}; }

struct Plane {
    Vector3 normal;
    float distance;
};

struct TextureInfo {
    float s[4];
    float t[4];
    std::uint32_t surface;  // map_surface bits
    bool unlit;             // no lightmap: sky and liquids
    int mip = -1;           // Quake 1 and Half-Life: the mip texture
    std::string name;       // Quake 2: the texture's name, lower case
    int texture = -1;       // into MapData::textures once a face uses it
};

// A mip texture of the texture lump, when its header checks.
struct MipTexture {
    bool present = false;
    MapTexture texture;
};

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool StartsWith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }

std::uint32_t SurfaceOfName(const std::string& name, bool halfLife) {
    if (StartsWith(name, "sky")) {
        return map_surface::kSky;
    }
    if (StartsWith(name, "*") || (halfLife && StartsWith(name, "!"))) {
        return map_surface::kLiquid;
    }
    if (halfLife && StartsWith(name, "{")) {
        return map_surface::kMasked;
    }
    return 0;
}

std::uint32_t SurfaceOfQuake2Flags(std::int32_t flags) {
    std::uint32_t surface = 0;
    surface |= (flags & kQuake2Sky) != 0 ? map_surface::kSky : 0;
    surface |= (flags & kQuake2Warp) != 0 ? map_surface::kLiquid : 0;
    surface |= (flags & kQuake2Translucent33) != 0 ? map_surface::kTranslucent33 : 0;
    surface |= (flags & kQuake2Translucent66) != 0 ? map_surface::kTranslucent66 : 0;
    surface |= (flags & kQuake2Flowing) != 0 ? map_surface::kFlowing : 0;
    surface |= (flags & kQuake2NoDraw) != 0 ? map_surface::kNoDraw : 0;
    surface |= (flags & kQuake2Light) != 0 ? map_surface::kLight : 0;
    return surface;
}

// Whether [first, end) meets one of the disjoint ranges held in `ranges`.
bool Overlaps(const std::map<std::int64_t, std::int64_t>& ranges, std::int64_t first, std::int64_t end) {
    const auto next = ranges.lower_bound(first);
    if (next != ranges.end() && next->first < end) {
        return true;
    }
    return next != ranges.begin() && std::prev(next)->second > first;
}

class Reader {
public:
    Reader(const ByteBuffer& bytes, MapData& map) : file_(bytes), map_(map) {}

    void Read() {
        ReadHeader();
        const bool halfLife = map_.game == MapGame::HalfLife;
        BinaryReader entities = RawLump(positions_.entities, "entity");
        BinaryReader planes = RawLump(positions_.planes, "plane");
        if (halfLife) {
            const auto text = [](const BinaryReader& lump) {
                return std::string_view(reinterpret_cast<const char*>(lump.Data()), lump.Size());
            };
            if (!LooksLikeEntities(text(entities)) && LooksLikeEntities(text(planes))) {
                std::swap(entities, planes);
            }
        }
        CheckRecords(planes, kPlaneSize, "plane");
        map_.entities = ParseEntities(std::string_view(reinterpret_cast<const char*>(entities.Data()), entities.Size()));

        ReadPlanes(planes);
        ReadVertices(Lump(positions_.vertices, "vertex", kVertexSize));
        ReadEdges(Lump(positions_.edges, "edge", kEdgeSize));
        ReadSurfaceEdges(Lump(positions_.surfaceEdges, "surface edge", kSurfaceEdgeSize));
        if (positions_.textures >= 0) {
            ReadMipTextures(RawLump(positions_.textures, "texture"));
        }
        ReadTextureInfo(Lump(positions_.textureInfo, "texture info",
                             map_.game == MapGame::Quake2 ? kQuake2TextureInfoSize : kQuake1TextureInfoSize));
        BinaryReader lighting = RawLump(positions_.lighting, "lighting");
        map_.lighting.assign(lighting.Data(), lighting.Data() + lighting.Size());
        map_.greyLighting = map_.game == MapGame::Quake1;

        BinaryReader faces = Lump(positions_.faces, "face", kFaceSize);
        map_.faceLumpCount = static_cast<int>(faces.Size() / kFaceSize);
        ReadModels(Lump(positions_.models, "model", map_.game == MapGame::Quake2 ? kQuake2ModelSize : kQuake1ModelSize));
        ReadWorldInfo(map_);
        ReadFaces(faces);
        if (map_.faces.empty()) {
            throw Refusal{false, msg::kMapNoFaceDrawn.text};
        }
        PlaceModels();
    }

private:
    void ReadHeader() {
        if (file_.Size() < 8) {
            throw Refusal{true, {}};
        }
        int lumpCount = 0;
        if (file_.ReadU32() == kQuake2Ident) {
            if (file_.ReadI32() != kQuake2Version) {
                throw Refusal{true, {}};
            }
            map_.game = MapGame::Quake2;
            map_.version = kQuake2Version;
            positions_ = kQuake2Lumps;
            lumpCount = kQuake2LumpCount;
        } else {
            file_.Seek(0);
            const std::int32_t version = file_.ReadI32();
            if (version != kQuake1Version && version != kHalfLifeVersion) {
                throw Refusal{true, {}};
            }
            map_.game = version == kQuake1Version ? MapGame::Quake1 : MapGame::HalfLife;
            map_.version = version;
            positions_ = kQuake1Lumps;
            lumpCount = kQuake1LumpCount;
        }
        directory_ = file_.Tell();
        if (file_.Remaining() < static_cast<std::size_t>(lumpCount) * 8) {
            throw Refusal{true, {}};
        }
    }

    // The lump at `position` of the directory, checked to lie inside the file.
    BinaryReader RawLump(int position, const char* name) {
        BinaryReader entry = file_.Window(directory_ + static_cast<std::size_t>(position) * 8, 8);
        const std::int64_t offset = entry.ReadI32();
        const std::int64_t length = entry.ReadI32();
        if (offset < 0 || length < 0 || offset + length > static_cast<std::int64_t>(file_.Size())) {
            throw Damaged(msg::kMapLumpPastEnd, name);
        }
        return file_.Window(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }

    static void CheckRecords(const BinaryReader& lump, std::size_t recordSize, const char* name) {
        if (lump.Size() % recordSize != 0) {
            throw Damaged(msg::kMapLumpRecords, name);
        }
        if (lump.Size() == 0) {
            throw Damaged(msg::kMapLumpEmpty, name);
        }
    }

    BinaryReader Lump(int position, const char* name, std::size_t recordSize) {
        BinaryReader lump = RawLump(position, name);
        CheckRecords(lump, recordSize, name);
        return lump;
    }

    void ReadPlanes(BinaryReader in) {
        planes_.resize(in.Size() / kPlaneSize);
        for (Plane& plane : planes_) {
            plane.normal = ReadVector(in);
            plane.distance = in.ReadF32();
            in.Skip(4);
        }
    }

    void ReadVertices(BinaryReader in) {
        vertices_.resize(in.Size() / kVertexSize);
        for (Vector3& vertex : vertices_) {
            vertex = ReadVector(in);
        }
    }

    void ReadEdges(BinaryReader in) {
        edges_.resize(in.Size() / kEdgeSize);
        for (auto& edge : edges_) {
            edge[0] = in.ReadU16();
            edge[1] = in.ReadU16();
        }
    }

    void ReadSurfaceEdges(BinaryReader in) {
        surfaceEdges_.resize(in.Size() / kSurfaceEdgeSize);
        for (std::int32_t& edge : surfaceEdges_) {
            edge = in.ReadI32();
        }
    }

    void ReadMipTextures(BinaryReader lump) {
        if (lump.Size() == 0) {
            return;  // every texture lives in a WAD, none named: faces find none and are left out
        }
        if (lump.Size() < 4) {
            throw Damaged(msg::kMapTextureCount, "texture");
        }
        const std::int32_t count = lump.ReadI32();
        if (count < 0 || static_cast<std::uint64_t>(count) > lump.Remaining() / 4) {
            throw Damaged(msg::kMapTextureCount, "texture");
        }
        mips_.resize(static_cast<std::size_t>(count));
        for (MipTexture& mip : mips_) {
            const std::int32_t offset = lump.ReadI32();
            if (offset < 0 || static_cast<std::size_t>(offset) > lump.Size() ||
                lump.Size() - static_cast<std::size_t>(offset) < kMipTextureHeaderSize) {
                continue;
            }
            ReadMipTexture(lump.Window(static_cast<std::size_t>(offset), lump.Size() - static_cast<std::size_t>(offset)),
                           mip);
        }
    }

    void ReadMipTexture(BinaryReader in, MipTexture& mip) {
        MapTexture& texture = mip.texture;
        texture.name = fs_util::ToLower(in.ReadText(kMipNameSize));
        const std::uint32_t width = in.ReadU32();
        const std::uint32_t height = in.ReadU32();
        std::uint32_t levels[kMipLevels];
        for (std::uint32_t& level : levels) {
            level = in.ReadU32();
        }
        if (texture.name.empty() || width == 0 || height == 0 || width > kMaxTextureSide || height > kMaxTextureSide) {
            return;
        }
        mip.present = true;
        texture.width = static_cast<int>(width);
        texture.height = static_cast<int>(height);
        if (std::all_of(std::begin(levels), std::end(levels), [](std::uint32_t level) { return level == 0; })) {
            return;  // the picture lives in a WAD
        }
        std::uint64_t end = 0;
        for (int level = 0; level < kMipLevels; ++level) {
            const std::uint64_t area = static_cast<std::uint64_t>(width >> level) * (height >> level);
            end = static_cast<std::uint64_t>(levels[level]) + area;
            if (end > in.Size()) {
                return;  // a level past the texture: the picture is looked for elsewhere
            }
        }
        if (map_.game == MapGame::HalfLife) {
            // The palette follows the last level: int16 colour count, then the colours.
            if (end + 2 > in.Size()) {
                return;
            }
            in.Seek(static_cast<std::size_t>(end));
            const std::uint16_t colours = in.ReadU16();
            if (colours > kPaletteColours || in.Remaining() < static_cast<std::size_t>(colours) * 3) {
                return;
            }
            std::array<std::uint8_t, 768> palette{};
            in.ReadInto(palette.data(), static_cast<std::size_t>(colours) * 3);
            texture.palette = palette;
        }
        in.Seek(levels[0]);
        texture.indexes = in.ReadBytes(static_cast<std::size_t>(width) * height);
    }

    void ReadTextureInfo(BinaryReader in) {
        const bool quake2 = map_.game == MapGame::Quake2;
        const std::size_t size = quake2 ? kQuake2TextureInfoSize : kQuake1TextureInfoSize;
        textureInfo_.resize(in.Size() / size);
        for (TextureInfo& info : textureInfo_) {
            for (float& v : info.s) {
                v = in.ReadF32();
            }
            for (float& v : info.t) {
                v = in.ReadF32();
            }
            if (quake2) {
                const std::int32_t flags = in.ReadI32();
                in.Skip(4);  // value: the light a surface gives, for the compiler
                info.name = fs_util::ToLower(in.ReadText(kQuake2TextureNameSize));
                in.Skip(4);  // next frame of an animation: the first is drawn
                info.surface = SurfaceOfQuake2Flags(flags);
                info.unlit = (flags & (kQuake2Sky | kQuake2Warp)) != 0;
            } else {
                info.mip = in.ReadI32();
                const std::int32_t flags = in.ReadI32();
                info.unlit = (flags & kQuake1NoLightmap) != 0;
                info.surface = 0;
                if (info.mip >= 0 && static_cast<std::size_t>(info.mip) < mips_.size() &&
                    mips_[static_cast<std::size_t>(info.mip)].present) {
                    info.surface = SurfaceOfName(mips_[static_cast<std::size_t>(info.mip)].texture.name,
                                                 map_.game == MapGame::HalfLife);
                }
                info.unlit = info.unlit || (info.surface & (map_surface::kSky | map_surface::kLiquid)) != 0;
            }
        }
    }

    // The texture index of a texture info once a face uses it, or -1 when it names none.
    int TextureOf(TextureInfo& info) {
        if (info.texture >= 0) {
            return info.texture;
        }
        MapTexture texture;
        if (map_.game == MapGame::Quake2) {
            if (info.name.empty()) {
                return -1;
            }
            texture.name = info.name;
        } else {
            if (info.mip < 0 || static_cast<std::size_t>(info.mip) >= mips_.size() ||
                !mips_[static_cast<std::size_t>(info.mip)].present) {
                return -1;
            }
            texture = mips_[static_cast<std::size_t>(info.mip)].texture;
        }
        const auto found = textureByName_.find(texture.name);
        if (found != textureByName_.end()) {
            info.texture = found->second;
        } else {
            info.texture = static_cast<int>(map_.textures.size());
            textureByName_.emplace(texture.name, info.texture);
            map_.textures.push_back(std::move(texture));
        }
        return info.texture;
    }

    void ReadModels(BinaryReader in) {
        const bool quake2 = map_.game == MapGame::Quake2;
        const std::size_t count = in.Size() / (quake2 ? kQuake2ModelSize : kQuake1ModelSize);
        map_.models.resize(count);
        faceModel_.assign(static_cast<std::size_t>(map_.faceLumpCount), -1);
        std::map<std::int64_t, std::int64_t> claimed;  // first face -> end, of the models that hold faces
        for (std::size_t m = 0; m < count; ++m) {
            MapBrushModel& model = map_.models[m];
            model.mins = ReadVector(in);
            model.maxs = ReadVector(in);
            model.origin = ReadVector(in);
            in.Skip(quake2 ? 4 : 20);  // head node(s) and visible leaves: the hit tests walk faces
            const std::int64_t first = in.ReadI32();
            const std::int64_t faces = in.ReadI32();
            // A model claims its faces only when they are in the lump and no other model holds them.
            if (first < 0 || faces <= 0 || first + faces > map_.faceLumpCount || Overlaps(claimed, first, first + faces)) {
                continue;
            }
            claimed.emplace(first, first + faces);
            std::fill(faceModel_.begin() + first, faceModel_.begin() + first + faces, static_cast<int>(m));
        }
    }

    void ReadFaces(BinaryReader in) {
        std::vector<std::uint32_t> modelSurface(map_.models.size(), 0);
        modelOffset_.assign(map_.models.size(), Vector3{});
        for (const MapEntity& entity : map_.entities) {
            const int model = map_.BrushModelOf(entity);
            if (model > 0) {
                modelSurface[static_cast<std::size_t>(model)] |= EntityTranslucency(entity, map_.game);
                // A brush built round an origin brush (a rotating door) is stored about
                // the map's origin and stands where its entity's origin says.
                modelOffset_[static_cast<std::size_t>(model)] = EntityOrigin(entity);
            }
        }
        map_.faces.reserve(static_cast<std::size_t>(map_.faceLumpCount));
        map_.vertices.reserve(surfaceEdges_.size());
        for (int i = 0; i < map_.faceLumpCount; ++i) {
            if (!ReadFace(in, faceModel_[static_cast<std::size_t>(i)], modelSurface)) {
                ++map_.skippedFaces;
            }
        }
    }

    bool ReadFace(BinaryReader& in, int model, const std::vector<std::uint32_t>& modelSurface) {
        const std::uint16_t planeIndex = in.ReadU16();
        const std::int16_t side = in.ReadI16();
        const std::int64_t firstEdge = in.ReadI32();
        const std::int16_t edgeCount = in.ReadI16();
        const std::int16_t infoIndex = in.ReadI16();
        MapFace face;
        in.ReadInto(face.styles.data(), face.styles.size());
        const std::int32_t lightOffset = in.ReadI32();

        if (model < 0 || planeIndex >= planes_.size() || edgeCount < 3 || edgeCount > kMaxFaceEdges ||
            firstEdge < 0 || firstEdge + edgeCount > static_cast<std::int64_t>(surfaceEdges_.size()) || infoIndex < 0 ||
            static_cast<std::size_t>(infoIndex) >= textureInfo_.size()) {
            return false;
        }
        TextureInfo& info = textureInfo_[static_cast<std::size_t>(infoIndex)];
        const Plane& plane = planes_[planeIndex];
        if (!Finite(plane.normal) || !std::isfinite(plane.distance)) {
            return false;
        }

        const std::size_t firstVertex = map_.vertices.size();
        double minS = INFINITY, maxS = -INFINITY, minT = INFINITY, maxT = -INFINITY;
        for (std::int64_t k = 0; k < edgeCount; ++k) {
            const std::int64_t edge = surfaceEdges_[static_cast<std::size_t>(firstEdge + k)];
            const std::uint64_t edgeIndex = static_cast<std::uint64_t>(edge >= 0 ? edge : -edge);
            if (edgeIndex >= edges_.size()) {
                map_.vertices.resize(firstVertex);
                return false;
            }
            const std::uint16_t vertexIndex = edges_[edgeIndex][edge >= 0 ? 0 : 1];
            if (vertexIndex >= vertices_.size() || !Finite(vertices_[vertexIndex])) {
                map_.vertices.resize(firstVertex);
                return false;
            }
            MapVertex vertex;
            vertex.position = vertices_[vertexIndex];
            const Vector3& p = vertex.position;
            const double s = static_cast<double>(p.x) * info.s[0] + static_cast<double>(p.y) * info.s[1] +
                             static_cast<double>(p.z) * info.s[2] + info.s[3];
            const double t = static_cast<double>(p.x) * info.t[0] + static_cast<double>(p.y) * info.t[1] +
                             static_cast<double>(p.z) * info.t[2] + info.t[3];
            if (!std::isfinite(s) || !std::isfinite(t)) {
                map_.vertices.resize(firstVertex);
                return false;
            }
            vertex.s = static_cast<float>(s);
            vertex.t = static_cast<float>(t);
            minS = std::min(minS, s);
            maxS = std::max(maxS, s);
            minT = std::min(minT, t);
            maxT = std::max(maxT, t);
            map_.vertices.push_back(vertex);
        }

        face.texture = TextureOf(info);
        if (face.texture < 0 || !PlaceLightmap(face, info, lightOffset, minS, maxS, minT, maxT)) {
            map_.vertices.resize(firstVertex);
            return false;
        }
        const std::span<MapVertex> polygon(map_.vertices.data() + firstVertex, static_cast<std::size_t>(edgeCount));
        for (MapVertex& vertex : polygon) {
            if (face.HasLightmap()) {
                vertex.lightS = (vertex.s - face.lightOriginS + kLuxelTexels / 2.0f) / kLuxelTexels;
                vertex.lightT = (vertex.t - face.lightOriginT + kLuxelTexels / 2.0f) / kLuxelTexels;
            }
        }
        face.model = model;
        face.firstVertex = static_cast<std::uint32_t>(firstVertex);
        face.vertexCount = static_cast<std::uint32_t>(edgeCount);
        face.flags = info.surface | modelSurface[static_cast<std::size_t>(model)];
        face.normal = side != 0 ? -plane.normal : plane.normal;
        face.distance = side != 0 ? -plane.distance : plane.distance;
        const Vector3& offset = modelOffset_[static_cast<std::size_t>(model)];
        if (!offset.IsZero()) {
            for (MapVertex& vertex : polygon) {
                vertex.position = vertex.position + offset;
                if (!Finite(vertex.position)) {
                    map_.vertices.resize(firstVertex);
                    return false;
                }
            }
            face.distance += face.normal.Dot(offset);
        }
        map_.faces.push_back(face);
        return true;
    }

    // Sizes the face's luxel grid and checks its lightmaps lie in the lighting lump;
    // false for a grid the games would refuse or lightmaps past the lump.
    bool PlaceLightmap(MapFace& face, const TextureInfo& info, std::int32_t offset, double minS, double maxS,
                       double minT, double maxT) const {
        if (offset < 0 || face.styles[0] == 255 || info.unlit) {
            face.lightOffset = -1;
            return true;
        }
        const double lowS = std::floor(minS / kLuxelTexels);
        const double lowT = std::floor(minT / kLuxelTexels);
        const double width = std::ceil(maxS / kLuxelTexels) - lowS + 1;
        const double height = std::ceil(maxT / kLuxelTexels) - lowT + 1;
        if (width > kMaxLuxels || height > kMaxLuxels) {
            return false;
        }
        face.lightWidth = static_cast<int>(width);
        face.lightHeight = static_cast<int>(height);
        face.lightOriginS = static_cast<float>(lowS * kLuxelTexels);
        face.lightOriginT = static_cast<float>(lowT * kLuxelTexels);
        const std::uint64_t bytes = static_cast<std::uint64_t>(face.StyleCount()) *
                                    static_cast<std::uint64_t>(face.lightWidth * face.lightHeight) *
                                    (map_.greyLighting ? 1u : 3u);
        if (static_cast<std::uint64_t>(offset) + bytes > map_.lighting.size()) {
            return false;
        }
        face.lightOffset = offset;
        return true;
    }

    // Each model's range of kept faces; a model's lump range is one run, so its kept
    // faces are one run too.
    void PlaceModels() {
        std::vector<bool> seen(map_.models.size(), false);
        for (std::size_t i = 0; i < map_.faces.size(); ++i) {
            MapBrushModel& model = map_.models[static_cast<std::size_t>(map_.faces[i].model)];
            if (!seen[static_cast<std::size_t>(map_.faces[i].model)]) {
                seen[static_cast<std::size_t>(map_.faces[i].model)] = true;
                model.firstFace = static_cast<std::uint32_t>(i);
            }
            ++model.faceCount;
        }
    }

    BinaryReader file_;
    MapData& map_;
    std::vector<Vector3> modelOffset_;  // per brush model, where its entity stands it
    LumpPositions positions_{};
    std::size_t directory_ = 0;
    std::vector<Plane> planes_;
    std::vector<Vector3> vertices_;
    std::vector<std::array<std::uint16_t, 2>> edges_;
    std::vector<std::int32_t> surfaceEdges_;
    std::vector<MipTexture> mips_;
    std::vector<TextureInfo> textureInfo_;
    std::unordered_map<std::string, int> textureByName_;
    std::vector<int> faceModel_;  // per face of the lump: the model that holds it, -1 none
};

}  // namespace

MapReadResult ReadMap(ByteBuffer bytes, const std::string& name) {
    MapReadResult result;
    try {
        auto map = std::make_shared<MapData>();
        Reader(bytes, *map).Read();
        result.data = std::move(map);
    } catch (const Refusal& refusal) {
        result.error = refusal.notAMap ? FormatMessage(msg::kMapNotAMap, name)
                                       : FormatMessage(msg::kMapDamaged, name) + refusal.detail;
    } catch (const ReadError&) {
        // Every read above is checked first; one that still runs short is a damaged header.
        result.error = FormatMessage(msg::kMapNotAMap, name);
    } catch (const std::bad_alloc&) {
        result.error = msg::kOutOfMemory.text;
    }
    return result;
}
