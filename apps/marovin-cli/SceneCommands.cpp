// "info" for scene files and "resave": both read through the same loader the
// program uses, so what they report is what the program sees.
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "Json.h"
#include "platform/Host.h"
#include "render/HeadlessContext.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "scene/SceneViewLink.h"

namespace {
// Lights and textures talk to GL while a scene loads; without a context they
// still load, they just touch nothing.
struct LoadedScene {
    std::unique_ptr<HeadlessContext> gl = HeadlessContext::Create(64, 64);
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};
}  // namespace

int RunSceneInfo(const std::string& path) {
    LoadedScene loaded;
    if (!loaded.doc.Open(path)) {
        const std::string& reason = loaded.scene.LastLoadError();
        return Fail(kExitFailure, "cannot read '" + path + "'" + (reason.empty() ? "" : ": " + reason));
    }
    const COGLScene& scene = loaded.scene;
    JsonWriter json;
    json.BeginObject();
    json.Field("kind", "scene");
    json.Field("version", loaded.doc.FileVersion());
    json.Field("lights", static_cast<long long>(scene.Lights().size()));
    json.Field("objects", static_cast<long long>(scene.Objects().size()));
    json.Field("textures", static_cast<long long>(scene.Textures().size()));
    json.Field("paks", scene.PakCount());
    json.Field("shadows_enabled", scene.ShadowsEnabled());
    json.Key("objects_list").BeginArray();
    for (const auto& object : scene.Objects()) {
        const char* className = ObjectClassName(object->TypeCode());
        const Vector3& p = object->Position();
        json.BeginObject();
        json.Field("type", object->TypeCode());
        json.Field("class", className != nullptr ? className : "");
        json.Field("name", object->Name());
        json.NumberArray("position", {p.x, p.y, p.z});
        json.Field("texture_index", scene.IndexOfTexture(object->Texture()));
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    std::fputs(json.Text().c_str(), stdout);
    return kExitOk;
}

int RunResave(const Args& args) {
    if (args.size() != 2) {
        return Fail(kExitUsage, "usage: marovin-cli resave IN.dv OUT.dv");
    }
    LoadedScene loaded;
    if (!loaded.doc.Open(args[0])) {
        const std::string& reason = loaded.scene.LastLoadError();
        return Fail(kExitFailure, "cannot read '" + args[0] + "'" + (reason.empty() ? "" : ": " + reason));
    }
    if (!loaded.doc.Save(args[1])) {
        return Fail(kExitFailure, loaded.doc.LastSaveError());
    }
    return kExitOk;
}
