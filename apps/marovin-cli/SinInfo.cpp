// "info" for SiN models (".def"): the definition is opened the way Open Model
// opens it, into a scene of its own.
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "Json.h"
#include "media/COGLTexture2D.h"
#include "models/sin/COGLSBM.h"
#include "models/sin/SinOpen.h"
#include "render/HeadlessContext.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/SceneViewLink.h"

namespace {
// Skins are GL textures: they load only with a context current.
struct SinScene {
    std::unique_ptr<HeadlessContext> gl = HeadlessContext::Create(64, 64);
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};
}  // namespace

int RunSinInfo(const std::string& path) {
    SinScene loaded;
    COGLSBM* model = OpenSinModel(loaded.doc, path);
    if (model == nullptr) {
        return Fail(kExitFailure, "cannot read '" + path + "'");
    }
    // Frame 0 of the first animation, as drawn.
    model->RefreshBounds();
    const Vector3& lo = model->BoundsMin();
    const Vector3& hi = model->BoundsMax();

    JsonWriter json;
    json.BeginObject();
    json.Field("kind", "sin");
    json.Field("name", model->Name());
    json.Field("vertices", model->VertexCount());
    json.Key("groups").BeginArray();
    for (const SinMeshGroup& group : model->Groups()) {
        json.BeginObject();
        json.Field("id", group.id);
        json.Field("triangles", static_cast<int>(group.corners.size() / 3));
        json.Field("two_sided", group.twoSided);
        json.EndObject();
    }
    json.EndArray();
    json.Key("skins").BeginArray();
    for (const COGLTexture2D* skin : model->Skins()) {
        json.BeginObject();
        json.Field("name", skin->Name());
        json.Field("path", skin->Path());
        json.EndObject();
    }
    json.EndArray();
    json.Key("animations").BeginArray();
    for (const auto& animation : model->Animations()) {
        json.BeginObject();
        json.Field("name", animation->name);
        json.Field("frames", animation->frameCount);
        json.EndObject();
    }
    json.EndArray();
    json.Field("scale", static_cast<double>(model->Scale().x));
    json.NumberArray("bounds_min", {lo.x, lo.y, lo.z});
    json.NumberArray("bounds_max", {hi.x, hi.y, hi.z});
    json.EndObject();
    std::fputs(json.Text().c_str(), stdout);
    return kExitOk;
}
