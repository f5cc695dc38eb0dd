#include "export/GltfWriter.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>
#include <sstream>

#include "math/Vector3.h"
#include "media/PngFile.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"
#include "platform/TextEncoding.h"
#include "platform/Version.h"

namespace {
constexpr int kArrayBuffer = TINYGLTF_TARGET_ARRAY_BUFFER;
constexpr int kElementArrayBuffer = TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER;
constexpr const char* kVariantsExtension = "KHR_materials_variants";
constexpr const char* kLightsExtension = "KHR_lights_punctual";
constexpr const char* kUnlitExtension = "KHR_materials_unlit";

int TypeOf(int components) {
    switch (components) {
        case 1:
            return TINYGLTF_TYPE_SCALAR;
        case 2:
            return TINYGLTF_TYPE_VEC2;
        case 3:
            return TINYGLTF_TYPE_VEC3;
        case 4:
            return TINYGLTF_TYPE_VEC4;
        default:
            return TINYGLTF_TYPE_MAT4;
    }
}

// The picture as a PNG file the right way up: its rows are kept with t = 0
// first, and glTF's first row is its top (v = 0 there, v = 1 - t everywhere).
std::vector<std::uint8_t> EncodeUpright(const ExportImage& image) {
    bool anyAlpha = false;
    for (std::size_t i = 3; i < image.rgba.size(); i += 4) {
        if (image.rgba[i] != 255) {
            anyAlpha = true;
            break;
        }
    }
    PngImage png;
    png.width = image.width;
    png.height = image.height;
    png.channels = anyAlpha ? 4 : 3;
    png.pixels.resize(std::size_t(image.width) * image.height * png.channels);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* from = image.rgba.data() + std::size_t(image.height - 1 - y) * image.width * 4;
        std::uint8_t* to = png.pixels.data() + std::size_t(y) * image.width * png.channels;
        for (int x = 0; x < image.width; ++x) {
            std::memcpy(to + x * png.channels, from + x * 4, static_cast<std::size_t>(png.channels));
        }
    }
    auto encoded = EncodePng(png, true);
    return encoded ? std::move(*encoded) : std::vector<std::uint8_t>{};
}

// glTF is UTF-8 throughout, and names come from game files in 8-bit Windows text:
// every name and text goes through GameTextToUtf8.
tinygltf::Value Text(const std::string& s) { return tinygltf::Value(GameTextToUtf8(s)); }

std::vector<double> Doubles(const float* values, std::size_t count) { return {values, values + count}; }

// A .gltf document serialised without buffers, with its one buffer in the file
// `uri`. tinygltf writes a buffer file only to disk itself, with no check that
// the bytes got there, so the entry is added here as the first member of the
// document's object.
std::string WithBufferFile(std::string document, std::size_t byteLength, const std::string& uri) {
    const std::size_t open = document.find('{');
    document.insert(open + 1, "\n  \"buffers\": [\n    {\n      \"byteLength\": " + std::to_string(byteLength) +
                                  ",\n      \"uri\": \"" + JsonEscape(uri) + "\"\n    }\n  ],");
    return document;
}
}  // namespace

GltfWriter::GltfWriter() : m_model(std::make_unique<tinygltf::Model>()) {
    m_model->asset.version = "2.0";
    m_model->asset.generator = std::string(marovin::kProgramName) + " " + marovin::kVersion;
    m_model->scenes.emplace_back();
    m_model->defaultScene = 0;
}

GltfWriter::~GltfWriter() = default;

int GltfWriter::AddBufferView(const void* data, std::size_t bytes, int target) {
    // Every view starts on a 4-byte boundary, as float and index data need.
    m_buffer.resize((m_buffer.size() + 3) & ~std::size_t(3));
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = m_buffer.size();
    view.byteLength = bytes;
    view.target = target;
    const auto* begin = static_cast<const std::uint8_t*>(data);
    m_buffer.insert(m_buffer.end(), begin, begin + bytes);
    m_model->bufferViews.push_back(view);
    return static_cast<int>(m_model->bufferViews.size() - 1);
}

int GltfWriter::AddFloatAccessor(const std::vector<float>& values, int components, bool withBounds, int target) {
    tinygltf::Accessor accessor;
    accessor.bufferView = AddBufferView(values.data(), values.size() * sizeof(float), target);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.count = values.size() / static_cast<std::size_t>(components);
    accessor.type = TypeOf(components);
    if (withBounds && accessor.count > 0) {
        accessor.minValues.assign(static_cast<std::size_t>(components), std::numeric_limits<double>::max());
        accessor.maxValues.assign(static_cast<std::size_t>(components), std::numeric_limits<double>::lowest());
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::size_t c = i % static_cast<std::size_t>(components);
            accessor.minValues[c] = std::min(accessor.minValues[c], double(values[i]));
            accessor.maxValues[c] = std::max(accessor.maxValues[c], double(values[i]));
        }
    }
    m_model->accessors.push_back(accessor);
    return static_cast<int>(m_model->accessors.size() - 1);
}

int GltfWriter::AddIndexAccessor(const std::vector<std::uint32_t>& indices, std::size_t vertexCount) {
    tinygltf::Accessor accessor;
    if (vertexCount <= 0xFFFF) {
        std::vector<std::uint16_t> narrow(indices.begin(), indices.end());
        accessor.bufferView = AddBufferView(narrow.data(), narrow.size() * 2, kElementArrayBuffer);
        accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
    } else {
        accessor.bufferView = AddBufferView(indices.data(), indices.size() * 4, kElementArrayBuffer);
        accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
    }
    accessor.count = indices.size();
    accessor.type = TINYGLTF_TYPE_SCALAR;
    m_model->accessors.push_back(accessor);
    return static_cast<int>(m_model->accessors.size() - 1);
}

int GltfWriter::AddTexcoordAccessor(const std::vector<float>& st) {
    std::vector<float> uv(st);
    for (std::size_t i = 1; i < uv.size(); i += 2) {
        uv[i] = 1.0f - uv[i];
    }
    return AddFloatAccessor(uv, 2, false);
}

int GltfWriter::AddTexture(const ExportImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgba.size() != std::size_t(image.width) * std::size_t(image.height) * 4) {
        return -1;
    }
    const std::string key = image.name + "\n" + std::to_string(image.width) + "x" + std::to_string(image.height) +
                            (image.nearest ? "n" : "l");
    if (const auto found = m_textures.find(key); found != m_textures.end()) {
        return found->second;
    }
    std::vector<std::uint8_t> png = EncodeUpright(image);
    if (png.empty()) {
        return -1;
    }
    tinygltf::Image entry;
    entry.name = GameTextToUtf8(image.name);
    entry.mimeType = "image/png";
    m_pngs.push_back(std::move(png));
    m_model->images.push_back(entry);

    tinygltf::Sampler sampler;
    sampler.magFilter = image.nearest ? TINYGLTF_TEXTURE_FILTER_NEAREST : TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.minFilter =
        image.nearest ? TINYGLTF_TEXTURE_FILTER_NEAREST : TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    sampler.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
    sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    m_model->samplers.push_back(sampler);

    tinygltf::Texture texture;
    texture.source = static_cast<int>(m_model->images.size() - 1);
    texture.sampler = static_cast<int>(m_model->samplers.size() - 1);
    m_model->textures.push_back(texture);
    const int index = static_cast<int>(m_model->textures.size() - 1);
    m_textures.emplace(key, index);
    return index;
}

int GltfWriter::AddMaterial(const ExportMaterial& look, const ExportImage* image, int texture) {
    tinygltf::Material material;
    material.name = GameTextToUtf8(image != nullptr ? look.name + " " + image->name : look.name);
    material.pbrMetallicRoughness.baseColorFactor = Doubles(look.baseColor.data(), 4);
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = look.roughness;
    if (texture >= 0) {
        material.pbrMetallicRoughness.baseColorTexture.index = texture;
    }
    material.emissiveFactor = Doubles(look.emissive.data(), 3);
    material.doubleSided = look.doubleSided;
    if (look.blend) {
        material.alphaMode = "BLEND";
    } else if (image != nullptr && image->blend == ExportImage::Blend::Mask) {
        material.alphaMode = "MASK";
        material.alphaCutoff = 0.5;
    }
    if (look.unlit) {
        material.extensions[kUnlitExtension] = tinygltf::Value(tinygltf::Value::Object{});
        m_usesUnlit = true;
    }
    if (image != nullptr && image->blend == ExportImage::Blend::Additive) {
        // glTF has no additive surfaces: say so for the tools that can draw them.
        material.extras = tinygltf::Value(tinygltf::Value::Object{{"additive", tinygltf::Value(true)}});
    }
    m_model->materials.push_back(material);
    return static_cast<int>(m_model->materials.size() - 1);
}

int GltfWriter::AddNode(const std::string& name) {
    tinygltf::Node node;
    node.name = GameTextToUtf8(name);
    m_model->nodes.push_back(node);
    m_hasParent.push_back(false);
    return static_cast<int>(m_model->nodes.size() - 1);
}

int GltfWriter::AnimationNamed(const std::string& name) {
    if (const auto found = m_animations.find(name); found != m_animations.end()) {
        return found->second;
    }
    tinygltf::Animation animation;
    animation.name = GameTextToUtf8(name);
    m_model->animations.push_back(animation);
    const int index = static_cast<int>(m_model->animations.size() - 1);
    m_animations.emplace(name, index);
    return index;
}

int GltfWriter::AddKeyTimes(int count, float fps, bool holdLast) {
    std::vector<float> times;
    for (int k = 0; k < count; ++k) {
        times.push_back(static_cast<float>(k) / fps);
    }
    if (holdLast) {
        times.push_back(static_cast<float>(count) / fps);
    }
    return AddFloatAccessor(times, 1, true, 0);
}

int GltfWriter::VariantNamed(const std::string& name) {
    const auto found = std::find(m_variants.begin(), m_variants.end(), name);
    if (found != m_variants.end()) {
        return static_cast<int>(found - m_variants.begin());
    }
    m_variants.push_back(name);
    return static_cast<int>(m_variants.size() - 1);
}

int GltfWriter::AddMorphModel(const std::string& name, const MorphModelExport& model, const ExportMaterial& look,
                              float fps) {
    const int node = AddNode(name);
    const std::size_t vertices = model.VertexCount();
    if (model.positions.empty() || vertices == 0 || model.indices.empty()) {
        return node;
    }
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.attributes["POSITION"] = AddFloatAccessor(model.positions[0], 3, true);
    primitive.attributes["NORMAL"] = AddFloatAccessor(model.normals[0], 3, false);
    primitive.attributes["TEXCOORD_0"] = AddTexcoordAccessor(model.texcoords);
    primitive.indices = AddIndexAccessor(model.indices, vertices);
    const std::size_t targets = model.positions.size() - 1;
    std::vector<float> delta(vertices * 3);
    for (std::size_t frame = 1; frame <= targets; ++frame) {
        std::map<std::string, int> target;
        for (std::size_t i = 0; i < delta.size(); ++i) {
            delta[i] = model.positions[frame][i] - model.positions[0][i];
        }
        target["POSITION"] = AddFloatAccessor(delta, 3, true);
        for (std::size_t i = 0; i < delta.size(); ++i) {
            delta[i] = model.normals[frame][i] - model.normals[0][i];
        }
        target["NORMAL"] = AddFloatAccessor(delta, 3, false);
        primitive.targets.push_back(std::move(target));
    }

    // The skin shown is the primitive's material; every skin is a variant.
    const ExportImage* shown = model.image >= 0 && std::size_t(model.image) < model.images.size()
                                   ? &model.images[static_cast<std::size_t>(model.image)]
                                   : nullptr;
    primitive.material = AddMaterial(look, shown, shown != nullptr ? AddTexture(*shown) : -1);
    if (model.images.size() > 1) {
        tinygltf::Value::Array mappings;
        for (const ExportImage& skin : model.images) {
            const int material = &skin == shown ? primitive.material : AddMaterial(look, &skin, AddTexture(skin));
            mappings.push_back(tinygltf::Value(tinygltf::Value::Object{
                {"material", tinygltf::Value(material)},
                {"variants", tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(VariantNamed(skin.name))})}}));
        }
        primitive.extensions[kVariantsExtension] =
            tinygltf::Value(tinygltf::Value::Object{{"mappings", tinygltf::Value(std::move(mappings))}});
    }

    tinygltf::Mesh mesh;
    mesh.name = GameTextToUtf8(name);
    mesh.weights.assign(targets, 0.0);
    mesh.primitives.push_back(std::move(primitive));
    m_model->meshes.push_back(std::move(mesh));
    m_model->nodes[static_cast<std::size_t>(node)].mesh = static_cast<int>(m_model->meshes.size() - 1);

    if (targets == 0) {
        return node;  // one frame: nothing moves
    }
    for (const MorphModelExport::Animation& clip : model.animations) {
        if (clip.frames.empty()) {
            continue;
        }
        // The program shows the last frame for a whole frame's time before it
        // wraps, so each clip ends one frame after its last key, holding it.
        std::vector<float> weights;
        weights.reserve((clip.frames.size() + 1) * targets);
        for (std::size_t k = 0; k <= clip.frames.size(); ++k) {
            const int frame = clip.frames[std::min(k, clip.frames.size() - 1)];
            for (std::size_t t = 1; t <= targets; ++t) {
                weights.push_back(static_cast<int>(t) == frame ? 1.0f : 0.0f);
            }
        }
        tinygltf::Animation& animation = m_model->animations[static_cast<std::size_t>(AnimationNamed(clip.name))];
        tinygltf::AnimationSampler sampler;
        sampler.input = AddKeyTimes(static_cast<int>(clip.frames.size()), fps, true);
        sampler.output = AddFloatAccessor(weights, 1, false, 0);
        sampler.interpolation = "LINEAR";
        animation.samplers.push_back(sampler);
        tinygltf::AnimationChannel channel;
        channel.sampler = static_cast<int>(animation.samplers.size() - 1);
        channel.target_node = node;
        channel.target_path = "weights";
        animation.channels.push_back(channel);
    }
    return node;
}

int GltfWriter::AddSkinnedModel(const std::string& name, const SkinnedModelExport& model, const ExportMaterial& look) {
    const int node = AddNode(name);
    if (model.joints.empty() || model.primitives.empty()) {
        return node;
    }
    const int root = AddNode(name + " skeleton");
    m_model->nodes[static_cast<std::size_t>(root)].matrix = Doubles(model.rootTransform.data(), 16);
    AddChild(node, root);
    std::vector<int> jointNodes;
    std::map<std::string, int> namesTaken;
    for (const ExportJoint& joint : model.joints) {
        // Tools bind joints by name: a name a file repeats gets a number.
        const int seen = namesTaken[joint.name]++;
        const int jointNode = AddNode(seen == 0 ? joint.name : joint.name + "." + std::to_string(seen));
        tinygltf::Node& n = m_model->nodes[static_cast<std::size_t>(jointNode)];
        n.translation = Doubles(joint.translation.data(), 3);
        n.rotation = Doubles(joint.rotation.data(), 4);
        const bool parented = joint.parent >= 0 && std::size_t(joint.parent) < jointNodes.size();
        AddChild(parented ? jointNodes[static_cast<std::size_t>(joint.parent)] : root, jointNode);
        jointNodes.push_back(jointNode);
    }

    tinygltf::Skin skin;
    skin.name = GameTextToUtf8(name);
    skin.skeleton = root;
    skin.joints = jointNodes;
    std::vector<float> inverseBinds;
    for (const ExportJoint& joint : model.joints) {
        inverseBinds.insert(inverseBinds.end(), joint.inverseBind.begin(), joint.inverseBind.end());
    }
    skin.inverseBindMatrices = AddFloatAccessor(inverseBinds, 16, false, 0);
    m_model->skins.push_back(skin);

    tinygltf::Mesh mesh;
    mesh.name = GameTextToUtf8(name);
    std::map<int, int> materials;  // by image
    for (const SkinnedPrimitive& part : model.primitives) {
        const std::size_t vertices = part.positions.size() / 3;
        if (vertices == 0 || part.indices.empty()) {
            continue;
        }
        tinygltf::Primitive primitive;
        primitive.mode = TINYGLTF_MODE_TRIANGLES;
        primitive.attributes["POSITION"] = AddFloatAccessor(part.positions, 3, true);
        primitive.attributes["NORMAL"] = AddFloatAccessor(part.normals, 3, false);
        primitive.attributes["TEXCOORD_0"] = AddTexcoordAccessor(part.texcoords);
        std::vector<std::uint16_t> joints(vertices * 4, 0);
        std::vector<float> weights(vertices * 4, 0.0f);
        for (std::size_t v = 0; v < vertices; ++v) {
            joints[v * 4] = v < part.joints.size() ? part.joints[v] : 0;
            weights[v * 4] = 1.0f;
        }
        tinygltf::Accessor jointAccessor;
        jointAccessor.bufferView = AddBufferView(joints.data(), joints.size() * 2, kArrayBuffer);
        jointAccessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        jointAccessor.count = vertices;
        jointAccessor.type = TINYGLTF_TYPE_VEC4;
        m_model->accessors.push_back(jointAccessor);
        primitive.attributes["JOINTS_0"] = static_cast<int>(m_model->accessors.size() - 1);
        primitive.attributes["WEIGHTS_0"] = AddFloatAccessor(weights, 4, false);
        primitive.indices = AddIndexAccessor(part.indices, vertices);
        auto known = materials.find(part.image);
        if (known == materials.end()) {
            const ExportImage* image = part.image >= 0 && std::size_t(part.image) < model.images.size()
                                           ? &model.images[static_cast<std::size_t>(part.image)]
                                           : nullptr;
            known = materials.emplace(part.image, AddMaterial(look, image, image != nullptr ? AddTexture(*image) : -1))
                        .first;
        }
        primitive.material = known->second;
        mesh.primitives.push_back(std::move(primitive));
    }
    if (mesh.primitives.empty()) {
        return node;
    }
    m_model->meshes.push_back(std::move(mesh));
    const int meshNode = AddNode(name + " mesh");
    m_model->nodes[static_cast<std::size_t>(meshNode)].mesh = static_cast<int>(m_model->meshes.size() - 1);
    m_model->nodes[static_cast<std::size_t>(meshNode)].skin = static_cast<int>(m_model->skins.size() - 1);
    // A skinned mesh follows its joints alone, so it stands at the top of the
    // scene, where no parent's transform seems to move it.

    for (const SkinnedAnimation& sequence : model.animations) {
        if (sequence.frameCount <= 0 || sequence.joints.size() != model.joints.size()) {
            continue;
        }
        tinygltf::Animation& animation = m_model->animations[static_cast<std::size_t>(AnimationNamed(sequence.name))];
        const int times = AddKeyTimes(sequence.frameCount, sequence.fps, false);
        for (std::size_t j = 0; j < sequence.joints.size(); ++j) {
            const JointChannel& keys = sequence.joints[j];
            const std::size_t count = static_cast<std::size_t>(sequence.frameCount);
            const auto addChannel = [&](const std::vector<float>& values, int components, const char* path) {
                if (values.size() != count * static_cast<std::size_t>(components)) {
                    return;
                }
                tinygltf::AnimationSampler sampler;
                sampler.input = times;
                sampler.output = AddFloatAccessor(values, components, false, 0);
                sampler.interpolation = "LINEAR";
                animation.samplers.push_back(sampler);
                tinygltf::AnimationChannel channel;
                channel.sampler = static_cast<int>(animation.samplers.size() - 1);
                channel.target_node = jointNodes[j];
                channel.target_path = path;
                animation.channels.push_back(channel);
            };
            addChannel(keys.translations, 3, "translation");
            addChannel(keys.rotations, 4, "rotation");
        }
    }
    return node;
}

int GltfWriter::AddStaticMesh(const std::string& name, const StaticMeshExport& mesh, const ExportMaterial& look) {
    const int node = AddNode(name);
    const std::size_t vertices = mesh.positions.size() / 3;
    if (vertices == 0 || mesh.indices.empty()) {
        return node;
    }
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.attributes["POSITION"] = AddFloatAccessor(mesh.positions, 3, true);
    primitive.attributes["NORMAL"] = AddFloatAccessor(mesh.normals, 3, false);
    primitive.attributes["TEXCOORD_0"] = AddTexcoordAccessor(mesh.texcoords);
    if (mesh.colors.size() == vertices * 4) {
        primitive.attributes["COLOR_0"] = AddFloatAccessor(mesh.colors, 4, false);
    }
    primitive.indices = AddIndexAccessor(mesh.indices, vertices);
    const ExportImage* image = mesh.image >= 0 && std::size_t(mesh.image) < mesh.images.size()
                                   ? &mesh.images[static_cast<std::size_t>(mesh.image)]
                                   : nullptr;
    primitive.material = AddMaterial(look, image, image != nullptr ? AddTexture(*image) : -1);
    tinygltf::Mesh entry;
    entry.name = GameTextToUtf8(name);
    entry.primitives.push_back(std::move(primitive));
    m_model->meshes.push_back(std::move(entry));
    m_model->nodes[static_cast<std::size_t>(node)].mesh = static_cast<int>(m_model->meshes.size() - 1);
    return node;
}

int GltfWriter::AddLight(const ExportLight& light) {
    tinygltf::Light entry;
    entry.name = GameTextToUtf8(light.name);
    entry.color = Doubles(light.color.data(), 3);
    entry.intensity = light.intensity;
    switch (light.kind) {
        case ExportLight::Kind::Point:
            entry.type = "point";
            break;
        case ExportLight::Kind::Spot:
            entry.type = "spot";
            entry.spot.innerConeAngle = 0.0;
            entry.spot.outerConeAngle = std::clamp(double(light.outerConeDegrees), 0.01, 90.0) * M_PI / 180.0;
            break;
        case ExportLight::Kind::Directional:
            entry.type = "directional";
            break;
    }
    m_model->lights.push_back(entry);
    const int node = AddNode(light.name);
    tinygltf::Node& n = m_model->nodes[static_cast<std::size_t>(node)];
    n.extensions[kLightsExtension] = tinygltf::Value(
        tinygltf::Value::Object{{"light", tinygltf::Value(static_cast<int>(m_model->lights.size() - 1))}});
    if (light.kind != ExportLight::Kind::Directional) {
        n.translation = Doubles(light.position.data(), 3);
    }
    if (light.kind != ExportLight::Kind::Point) {
        // A light shines down its node's -z: turn -z onto the direction.
        Vector3 d{light.direction[0], light.direction[1], light.direction[2]};
        if (!d.Normalize()) {
            d = {0.0f, 0.0f, -1.0f};
        }
        const Vector3 from{0.0f, 0.0f, -1.0f};
        const float dot = from.Dot(d);
        Vector3 axis = from.Cross(d);
        double qx = axis.x, qy = axis.y, qz = axis.z, qw = 1.0 + dot;
        if (qw < 1e-6) {  // straight up +z: half a turn about x
            qx = 1.0;
            qy = qz = qw = 0.0;
        }
        const double length = std::sqrt(qx * qx + qy * qy + qz * qz + qw * qw);
        n.rotation = {qx / length, qy / length, qz / length, qw / length};
    }
    return node;
}

int GltfWriter::AddCamera(const std::string& name, const ExportCamera& camera) {
    tinygltf::Camera entry;
    entry.name = GameTextToUtf8(name);
    entry.type = "perspective";
    entry.perspective.yfov = std::clamp(double(camera.yfovDegrees), 1.0, 179.0) * M_PI / 180.0;
    entry.perspective.aspectRatio = camera.aspect > 0.0f ? camera.aspect : 1.0;
    entry.perspective.znear = camera.znear > 0.0f ? camera.znear : 0.1;
    entry.perspective.zfar = camera.zfar > entry.perspective.znear ? camera.zfar : entry.perspective.znear * 1000.0;
    m_model->cameras.push_back(entry);
    const int node = AddNode(name);
    m_model->nodes[static_cast<std::size_t>(node)].camera = static_cast<int>(m_model->cameras.size() - 1);
    m_model->nodes[static_cast<std::size_t>(node)].matrix = Doubles(camera.cameraToWorld.data(), 16);
    return node;
}

void GltfWriter::Place(int node, const ExportPlacement& placement) {
    tinygltf::Node& n = m_model->nodes[static_cast<std::size_t>(node)];
    n.translation = Doubles(placement.translation.data(), 3);
    std::array<float, 4> q = placement.rotation;
    const float length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (length > 0.0f && std::isfinite(length)) {
        for (float& c : q) {
            c /= length;
        }
    } else {
        q = {0.0f, 0.0f, 0.0f, 1.0f};
    }
    n.rotation = Doubles(q.data(), 4);
    n.scale = Doubles(placement.scale.data(), 3);
}

void GltfWriter::AddChild(int parent, int child) {
    m_model->nodes[static_cast<std::size_t>(parent)].children.push_back(child);
    m_hasParent[static_cast<std::size_t>(child)] = true;
}

void GltfWriter::SetNodeExtra(int node, const std::string& key, const std::string& value) {
    tinygltf::Value& extras = m_model->nodes[static_cast<std::size_t>(node)].extras;
    tinygltf::Value::Object object;
    if (extras.IsObject()) {
        object = extras.Get<tinygltf::Value::Object>();
    }
    object[key] = Text(value);
    extras = tinygltf::Value(std::move(object));
}

bool GltfWriter::Write(const std::string& path, std::string& error) {
    const std::string extension = fs_util::ToLower(fs_util::ExtensionOf(path));
    const bool binary = extension == "glb";
    if (!binary && extension != "gltf") {
        error = "the export must be named .glb or .gltf";
        return false;
    }
    tinygltf::Model model = *m_model;
    model.scenes[0].nodes.clear();
    for (std::size_t n = 0; n < m_hasParent.size(); ++n) {
        if (!m_hasParent[n]) {
            model.scenes[0].nodes.push_back(static_cast<int>(n));
        }
    }
    const std::string stem = fs_util::FileTitleOf(path);
    const std::string folder = fs_util::DirectoryOf(path);
    std::vector<std::string> pictures;
    std::vector<std::uint8_t> buffer = m_buffer;
    for (std::size_t i = 0; i < model.images.size(); ++i) {
        tinygltf::Image& image = model.images[i];
        if (binary) {
            buffer.resize((buffer.size() + 3) & ~std::size_t(3));
            tinygltf::BufferView view;
            view.buffer = 0;
            view.byteOffset = buffer.size();
            view.byteLength = m_pngs[i].size();
            buffer.insert(buffer.end(), m_pngs[i].begin(), m_pngs[i].end());
            model.bufferViews.push_back(view);
            image.bufferView = static_cast<int>(model.bufferViews.size() - 1);
        } else {
            image.uri = stem + "_" + std::to_string(i) + ".png";
            pictures.push_back(image.uri);
        }
    }
    // A .gltf's buffer is named in its document afterwards (WithBufferFile).
    if (binary && !buffer.empty()) {
        tinygltf::Buffer entry;
        entry.data = std::move(buffer);
        model.buffers.push_back(std::move(entry));
    }
    if (!m_variants.empty()) {
        tinygltf::Value::Array variants;
        for (const std::string& name : m_variants) {
            variants.push_back(tinygltf::Value(tinygltf::Value::Object{{"name", Text(name)}}));
        }
        model.extensions[kVariantsExtension] =
            tinygltf::Value(tinygltf::Value::Object{{"variants", tinygltf::Value(std::move(variants))}});
        model.extensionsUsed.push_back(kVariantsExtension);
    }
    if (m_usesUnlit) {
        model.extensionsUsed.push_back(kUnlitExtension);
    }
    if (!model.animations.empty()) {
        // Animations that gathered no channel (a clip of a one-frame part) say nothing.
        model.animations.erase(std::remove_if(model.animations.begin(), model.animations.end(),
                                              [](const tinygltf::Animation& a) { return a.channels.empty(); }),
                               model.animations.end());
    }

    tinygltf::TinyGLTF gltf;
    // The pictures are already PNG files (or buffer views): nothing to encode.
    gltf.SetImageWriter(
        [](const std::string*, const std::string*, const tinygltf::Image*, bool, std::string*, void*) { return false; },
        nullptr);
    std::ostringstream serialised;
    bool encoded = false;
    try {
        encoded = gltf.WriteGltfSceneToStream(&model, serialised, !binary, binary) && serialised.good();
    } catch (const std::exception&) {
        encoded = false;
    }
    if (!encoded) {
        error = "cannot write '" + path + "': the asset cannot be encoded";
        return false;
    }
    std::string document = std::move(serialised).str();

    // Everything is in memory now. The files go in together, the document last:
    // a failure leaves no part of this export and no change to what an earlier
    // export wrote under these names.
    std::vector<FileContents> files;
    if (!binary) {
        if (!buffer.empty()) {
            const std::string bin = stem + ".bin";
            document = WithBufferFile(std::move(document), buffer.size(), bin);
            files.push_back({folder + bin, buffer});
        }
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            files.push_back({folder + pictures[i], m_pngs[i]});
        }
    }
    files.push_back({path, std::span(reinterpret_cast<const std::uint8_t*>(document.data()), document.size())});
    return WriteFilesAtomically(files, &error);
}
