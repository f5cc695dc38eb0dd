#include "export/MapExport.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <span>

#include "export/GltfWriter.h"
#include "maps/MapBackdrop.h"
#include "maps/MapCoordinates.h"

namespace {

// The face's lightmap at luxel coordinates (s, t) (MapVertex::lightS, lightT),
// filtered as drawing filters it, times the brightness: 0..1 per channel, what
// the picture is multiplied by. A face without a lightmap shows its picture as it is.
std::array<float, 3> LightAt(const MapData& map, const MapFace& face, float s, float t, float brightness) {
    const std::size_t luxelBytes = map.greyLighting ? 1 : 3;
    const auto w = static_cast<std::size_t>(face.lightWidth);
    const auto h = static_cast<std::size_t>(face.lightHeight);
    const auto offset = static_cast<std::size_t>(face.lightOffset);
    if (!face.HasLightmap() || w == 0 || h == 0 || offset > map.lighting.size() ||
        w * h * luxelBytes > map.lighting.size() - offset) {
        return {1.0f, 1.0f, 1.0f};
    }
    const auto luxel = [&](std::size_t x, std::size_t y, std::size_t c) {
        const std::uint8_t* p = map.lighting.data() + offset + (y * w + x) * luxelBytes;
        return static_cast<float>(p[luxelBytes == 1 ? 0 : c]);
    };
    // Luxel centres lie at half units.
    const float x = std::clamp(s - 0.5f, 0.0f, static_cast<float>(w - 1));
    const float y = std::clamp(t - 0.5f, 0.0f, static_cast<float>(h - 1));
    const auto x0 = static_cast<std::size_t>(x);
    const auto y0 = static_cast<std::size_t>(y);
    const std::size_t x1 = std::min(x0 + 1, w - 1);
    const std::size_t y1 = std::min(y0 + 1, h - 1);
    const float fx = x - static_cast<float>(x0);
    const float fy = y - static_cast<float>(y0);
    std::array<float, 3> light{};
    for (std::size_t c = 0; c < 3; ++c) {
        const float top = luxel(x0, y0, c) * (1.0f - fx) + luxel(x1, y0, c) * fx;
        const float bottom = luxel(x0, y1, c) * (1.0f - fx) + luxel(x1, y1, c) * fx;
        light[c] = std::min(1.0f, (top * (1.0f - fy) + bottom * fy) / 255.0f * brightness);
    }
    return light;
}

// The games multiply picture and light as stored; glTF multiplies in linear light.
float Linear(float stored) { return std::pow(stored, 2.2f); }

}  // namespace

int ExportMapWorld(const MapBackdrop& backdrop, GltfWriter& writer) {
    const MapData& map = backdrop.Data();
    const MapDrawing& drawing = backdrop.Drawing();
    const MapPictures& pictures = drawing.Pictures();
    const BackdropSettings& settings = backdrop.Settings();
    const float brightness = std::clamp(settings.brightness, 0.0f, 8.0f);
    struct Part {
        StaticMeshExport mesh;
        bool blend = false;   // a face of it is drawn see-through
        bool liquid = false;  // seen from below too
    };
    std::map<int, Part> parts;  // by texture
    for (const MapFace& face : map.faces) {
        if ((face.flags & (map_surface::kNoDraw | map_surface::kSky)) != 0 || face.vertexCount < 3 ||
            face.texture < 0 || static_cast<std::size_t>(face.texture) >= map.textures.size() ||
            !drawing.ModelShown(face.model, settings)) {
            continue;
        }
        const MapTexture& texture = map.textures[static_cast<std::size_t>(face.texture)];
        const MapPicture* picture = static_cast<std::size_t>(face.texture) < pictures.textures.size() &&
                                            pictures.textures[static_cast<std::size_t>(face.texture)].HasPixels()
                                        ? &pictures.textures[static_cast<std::size_t>(face.texture)]
                                        : nullptr;
        const float width = static_cast<float>(picture ? picture->width : std::max(texture.width, 1));
        const float height = static_cast<float>(picture ? picture->height : std::max(texture.height, 1));
        Part& part = parts[face.texture];
        StaticMeshExport& mesh = part.mesh;
        if (mesh.images.empty() && picture != nullptr) {
            ExportImage image;
            image.name = texture.name;
            image.width = picture->width;
            image.height = picture->height;
            image.rgba = picture->rgba;
            image.blend = (face.flags & map_surface::kMasked) != 0 ? ExportImage::Blend::Mask : ExportImage::Blend::Opaque;
            mesh.images.push_back(std::move(image));
            mesh.image = 0;
        }
        const float alpha = MapDrawing::Opacity(face.flags);
        part.blend = part.blend || alpha < 1.0f;
        part.liquid = part.liquid || (face.flags & map_surface::kLiquid) != 0;
        const Vector3 normal = MapDirectionToScene(face.normal);
        const std::span<const MapVertex> polygon = map.Vertices(face);
        const auto first = static_cast<std::uint32_t>(mesh.positions.size() / 3);
        for (const MapVertex& v : polygon) {
            const Vector3 p = MapToScene(v.position);
            mesh.positions.insert(mesh.positions.end(), {p.x, p.y, p.z});
            mesh.normals.insert(mesh.normals.end(), {normal.x, normal.y, normal.z});
            mesh.texcoords.insert(mesh.texcoords.end(), {v.s / width, v.t / height});
            const std::array<float, 3> light = LightAt(map, face, v.lightS, v.lightT, brightness);
            mesh.colors.insert(mesh.colors.end(), {Linear(light[0]), Linear(light[1]), Linear(light[2]), alpha});
        }
        // A fan wound counter-clockwise seen from the side the face looks at.
        const Vector3 e1 = polygon[1].position - polygon[0].position;
        const Vector3 e2 = polygon[2].position - polygon[0].position;
        const bool reversed = e1.Cross(e2).Dot(face.normal) < 0.0f;
        for (std::uint32_t k = 1; k + 1 < face.vertexCount; ++k) {
            mesh.indices.insert(mesh.indices.end(), {first, first + (reversed ? k + 1 : k), first + (reversed ? k : k + 1)});
        }
    }
    if (parts.empty()) {
        return -1;
    }
    const int group = writer.AddGroup(backdrop.Name());
    for (const auto& [index, part] : parts) {
        const StaticMeshExport& mesh = part.mesh;
        const MapTexture& texture = map.textures[static_cast<std::size_t>(index)];
        ExportMaterial look;
        look.name = texture.name;
        look.baseColor = {mesh.images.empty() ? 0.5f : 1.0f, mesh.images.empty() ? 0.5f : 1.0f,
                          mesh.images.empty() ? 0.5f : 1.0f, 1.0f};
        // The faces' own lighting is in their colours: the scene's lights would light them twice.
        look.unlit = true;
        look.blend = part.blend;
        look.doubleSided = part.liquid;
        writer.AddChild(group, writer.AddStaticMesh(backdrop.Name() + " " + texture.name, mesh, look));
    }
    return group;
}
