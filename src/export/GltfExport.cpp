#include "export/GltfExport.h"

#include <algorithm>

#include "export/MapExport.h"
#include "export/ModelExport.h"
#include "export/StudioExport.h"
#include "maps/MapBackdrop.h"
#include "models/quake2/COGLMD2.h"
#include "models/COGLModel.h"
#include "models/quake2/COGLPlayer.h"
#include "models/halflife/COGLHLModel.h"
#include "models/sprite/COGLSprite.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"

namespace {
constexpr float kPi = 3.14159265f;

bool Nearest(const COGLScene* scene) { return scene == nullptr || scene->TextureFilterMode() <= 1; }

// The skins of a vertex-animated model as pictures, and which one it shows.
void AddSkins(const COGLModel& model, const GltfExportOptions& options, bool nearest, MorphModelExport& out) {
    int shown = -1;
    for (std::size_t i = 0; i < model.Skins().size(); ++i) {
        ExportImage image = ImageOfTexture(*model.Skins()[i], nearest);
        if (image.rgba.empty()) {
            continue;
        }
        const bool chosen = options.skin >= 0 ? static_cast<int>(i) == options.skin : model.Skins()[i] == model.Texture();
        if (chosen) {
            shown = static_cast<int>(out.images.size());
        }
        out.images.push_back(std::move(image));
    }
    if (shown < 0 && options.skin < 0 && model.Texture() != nullptr) {
        // A texture the user gave the model, not one of its skins.
        ExportImage image = ImageOfTexture(*model.Texture(), nearest);
        if (!image.rgba.empty()) {
            shown = static_cast<int>(out.images.size());
            out.images.push_back(std::move(image));
        }
    }
    out.image = shown;
}

// A part that follows a player's body: the body's clips, played with the
// part's animations of the same names.
std::vector<MorphClip> FollowingClips(const COGLModel& part, const std::vector<MorphClip>& body) {
    std::vector<MorphClip> clips;
    for (const MorphClip& clip : body) {
        clips.push_back({clip.name, part.FindAnimation(clip.name), clip.frameCount});
    }
    return clips;
}

bool AddMorph(COGLModel& model, const std::string& name, const std::vector<MorphClip>& clips, COGLScene* scene,
              GltfWriter& writer, const GltfExportOptions& options, int& node, std::string& error) {
    MorphModelExport gathered;
    if (!GatherMorphModel(model, clips, gathered, error)) {
        return false;
    }
    AddSkins(model, options, Nearest(scene), gathered);
    node = writer.AddMorphModel(name, gathered, MaterialOf(model), kMorphFramesPerSecond);
    return true;
}

bool ExportPlayer(COGLPlayer& player, COGLScene* scene, GltfWriter& writer, const GltfExportOptions& options,
                  int& node, std::string& error) {
    const std::vector<MorphClip> clips = ClipsOf(player, options.animation);
    if (!AddMorph(player, player.Name(), clips, scene, writer, options, node, error)) {
        return false;
    }
    GltfExportOptions partOptions = options;
    partOptions.skin = -1;  // a part shows its own first skin
    const auto addPart = [&](COGLMD2* part, const char* role) {
        if (part == nullptr) {
            return;
        }
        int partNode = -1;
        std::string ignored;
        const std::string name = player.Name() + " " + role;
        if (AddMorph(*part, name, FollowingClips(*part, clips), scene, writer, partOptions, partNode, ignored)) {
            writer.AddChild(node, partNode);
            writer.SetNodeExtra(partNode, "source", part->FilePath());
        }
    };
    addPart(player.CurrentWeapon(), "weapon");
    if (player.FlagShown()) {
        addPart(player.Flag(), "flag");
    }
    return true;
}
}  // namespace

bool ExportObject(COGLObject& object, COGLScene* scene, GltfWriter& writer, const GltfExportOptions& options,
                  std::string& error) {
    int node = -1;
    auto* model = dynamic_cast<COGLModel*>(&object);
    if (model != nullptr) {
        if (!options.animation.empty() && model->FindAnimation(options.animation) == nullptr) {
            error = "'" + object.Name() + "' has no animation named '" + options.animation + "'";
            return false;
        }
        const std::size_t skins = model->Skins().size();
        if (options.skin >= 0 && dynamic_cast<const COGLHLModel*>(model) != nullptr) {
            error = "'" + object.Name() + "' is a Half-Life model: it exports its first skin family, not a skin";
            return false;
        }
        if (options.skin >= static_cast<int>(skins)) {
            error = "'" + object.Name() + "' has " + std::to_string(skins) + (skins == 1 ? " skin" : " skins");
            return false;
        }
    }
    if (auto* player = dynamic_cast<COGLPlayer*>(&object)) {
        if (!ExportPlayer(*player, scene, writer, options, node, error)) {
            return false;
        }
    } else if (auto* studio = dynamic_cast<COGLHLModel*>(&object)) {
        SkinnedModelExport gathered;
        if (!BuildStudioExport(*studio, gathered, &error)) {
            return false;
        }
        if (!options.animation.empty()) {
            std::erase_if(gathered.animations,
                          [&](const SkinnedAnimation& sequence) { return sequence.name != options.animation; });
        }
        node = writer.AddSkinnedModel(object.Name(), gathered, MaterialOf(object));
        if (!studio->FilePath().empty()) {
            writer.SetNodeExtra(node, "source", studio->FilePath());
        }
    } else if (model != nullptr) {
        const std::vector<MorphClip> clips = ClipsOf(*model, options.animation);
        if (!AddMorph(*model, object.Name(), clips, scene, writer, options, node, error)) {
            return false;
        }
        if (!model->FilePath().empty()) {
            writer.SetNodeExtra(node, "source", model->FilePath());
        }
    } else if (const auto* sprite = dynamic_cast<const COGLSprite*>(&object)) {
        StaticMeshExport mesh;
        if (!GatherSprite(*sprite, Nearest(scene), mesh)) {
            error = "'" + object.Name() + "' has no picture to export";
            return false;
        }
        ExportMaterial look = MaterialOf(object);
        look.baseColor = {1.0f, 1.0f, 1.0f, look.baseColor[3]};
        look.emissive = {0.0f, 0.0f, 0.0f};
        look.unlit = true;
        look.doubleSided = true;
        look.blend = look.blend || sprite->TextureFormat() == SpriteTextureFormat::IndexAlpha ||
                     sprite->TextureFormat() == SpriteTextureFormat::Additive;
        node = writer.AddStaticMesh(object.Name(), mesh, look);
    } else {
        StaticMeshExport mesh;
        if (!GatherStaticMesh(object, Nearest(scene), mesh)) {
            error = "'" + object.Name() + "' has no surface to export";
            return false;
        }
        node = writer.AddStaticMesh(object.Name(), mesh, MaterialOf(object));
    }
    writer.Place(node, PlacementOf(object));
    return true;
}

bool ExportObjectToFile(COGLObject& object, COGLScene* scene, const std::string& path,
                        const GltfExportOptions& options, std::string& error) {
    GltfWriter writer;
    return ExportObject(object, scene, writer, options, error) && writer.Write(path, error);
}

bool ExportSceneToFile(COGLScene& scene, const std::string& path, const GltfExportOptions& options,
                       std::string& error) {
    GltfWriter writer;
    Vector3 centre;
    int placed = 0;
    for (const auto& object : scene.Objects()) {
        if (!object->IsVisible() || object->IsLightMarker()) {
            continue;
        }
        std::string skipped;
        GltfExportOptions objectOptions = options;
        objectOptions.skin = -1;
        // An animation asked for plays where a model has it; the others keep all theirs.
        if (auto* model = dynamic_cast<COGLModel*>(object.get());
            model != nullptr && !options.animation.empty() && model->FindAnimation(options.animation) == nullptr) {
            objectOptions.animation.clear();
        }
        if (ExportObject(*object, &scene, writer, objectOptions, skipped)) {
            centre += object->Position();
            ++placed;
        }
    }
    const auto* map = dynamic_cast<const MapBackdrop*>(scene.Backdrop());
    const bool withMap = map != nullptr && ExportMapWorld(*map, writer) >= 0;
    if (placed == 0 && !withMap) {
        error = "the scene has nothing visible to export";
        return false;
    }
    centre *= 1.0f / static_cast<float>(std::max(placed, 1));
    for (const auto& light : scene.Lights()) {
        if (!light->IsEnabled()) {
            continue;
        }
        ExportLight exported;
        exported.name = light->Name();
        const ColorRGBA& c = light->Diffuse();
        exported.color = {std::clamp(c.red, 0.0f, 1.0f), std::clamp(c.green, 0.0f, 1.0f),
                          std::clamp(c.blue, 0.0f, 1.0f)};
        const Vector3& p = light->Position();
        exported.position = {p.x, p.y, p.z};
        if (light->W() == 0.0f) {
            // A light at infinity shines from its position toward the origin.
            exported.kind = ExportLight::Kind::Directional;
            exported.direction = {-p.x, -p.y, -p.z};
        } else if (const auto* spot = dynamic_cast<const COGLSpotLight*>(light.get())) {
            exported.kind = ExportLight::Kind::Spot;
            exported.direction = {spot->Direction().x, spot->Direction().y, spot->Direction().z};
            exported.outerConeDegrees = spot->CutOff();
        }
        // A fixed-function light at full strength lights a white surface facing
        // it white, wherever it stands. glTF viewers show white where a light
        // gives pi lux, and glTF's point and spot lights fade with the square of
        // the distance: so pi lux, reached at the middle of the scene.
        exported.intensity = kPi;
        if (exported.kind != ExportLight::Kind::Directional) {
            const Vector3 d = p - centre;
            exported.intensity = kPi * std::max(1.0f, d.Dot(d));
        }
        writer.AddLight(exported);
    }
    if (options.camera) {
        writer.AddCamera("Camera", *options.camera);
    }
    return writer.Write(path, error);
}
