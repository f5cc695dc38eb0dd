// "info" for Quake 2 models (".md2"): the model is opened the way Open Model
// opens it (players detected by their header), into a scene of its own.
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "Json.h"
#include "media/COGLTexture2D.h"
#include "models/quake2/COGLMD2.h"
#include "models/quake2/COGLPlayer.h"
#include "models/quake2/MD2Open.h"
#include "platform/Host.h"
#include "render/HeadlessContext.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/SceneViewLink.h"

namespace {
// Skins are GL textures: they load only with a context current.
struct ModelScene {
    std::unique_ptr<HeadlessContext> gl = HeadlessContext::Create(64, 64);
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};
}  // namespace

int RunModelInfo(const std::string& path) {
    ModelScene loaded;
    loaded.scene.SetUpVisualWeapons();
    COGLMD2* model = OpenMD2Model(loaded.doc, path);
    if (model == nullptr) {
        return Fail(kExitFailure, "cannot read '" + path + "'");
    }
    // Frame 0 as drawn: the walk that draws it, without drawing.
    model->RefreshBounds();
    const auto* player = dynamic_cast<const COGLPlayer*>(model);
    const ModelAnimation* current = model->GetAnimation();
    const Vector3& lo = model->BoundsMin();
    const Vector3& hi = model->BoundsMax();

    JsonWriter json;
    json.BeginObject();
    json.Field("kind", player != nullptr ? "player" : "md2");
    json.Field("name", model->Name());
    json.Field("frames", model->GetFrameCount());
    json.Field("vertices", model->VertexCount());
    json.Field("triangles", model->TriangleCount());
    json.Key("animations").BeginArray();
    for (const auto& animation : model->Animations()) {
        json.BeginObject();
        json.Field("name", animation->name);
        json.Field("first", animation->firstFrame);
        json.Field("frames", animation->frameCount);
        json.EndObject();
    }
    json.EndArray();
    json.Field("current_animation", current != nullptr ? current->name : std::string());
    json.Key("skins").BeginArray();
    for (const COGLTexture2D* skin : model->Skins()) {
        json.String(skin->Path());
    }
    json.EndArray();
    json.NumberArray("bounds_min", {lo.x, lo.y, lo.z});
    json.NumberArray("bounds_max", {hi.x, hi.y, hi.z});
    if (player != nullptr) {
        json.Key("weapons").BeginArray();
        for (const auto& weapon : player->Weapons()) {
            json.BeginObject();
            json.Field("name", weapon->Name());
            json.Field("path", weapon->FilePath());
            json.EndObject();
        }
        json.EndArray();
        const COGLMD2* weapon = player->CurrentWeapon();
        json.Field("current_weapon", weapon != nullptr ? weapon->Name() : std::string());
    }
    json.EndObject();
    std::fputs(json.Text().c_str(), stdout);
    return kExitOk;
}
