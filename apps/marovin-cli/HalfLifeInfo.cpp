// "info" for Half-Life studio models (".mdl" that do not start with "IDPO"): the
// model is opened the way Open Model opens it, companions included, into a scene
// of its own.
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "Json.h"
#include "models/halflife/COGLHLModel.h"
#include "models/halflife/HLOpen.h"
#include "render/HeadlessContext.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/SceneViewLink.h"

namespace {
// Textures are GL textures: they load only with a context current.
struct StudioScene {
    std::unique_ptr<HeadlessContext> gl = HeadlessContext::Create(64, 64);
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};
}  // namespace

int RunHalfLifeInfo(const std::string& path) {
    StudioScene loaded;
    const COGLHLModel* model = OpenHLModel(loaded.doc, path);
    if (model == nullptr || model->Studio() == nullptr) {
        return Fail(kExitFailure, "cannot read '" + path + "'");
    }
    const StudioData& data = *model->Studio()->Data();
    JsonWriter json;
    json.BeginObject();
    json.Field("kind", "half-life");
    json.Field("name", model->Name());
    json.Field("bones", static_cast<int>(data.bones.size()));
    json.Field("bone_controllers", static_cast<int>(data.controllers.size()));
    json.Key("sequences").BeginArray();
    for (const StudioSequence& s : data.sequences) {
        json.BeginObject();
        json.Field("label", s.label);
        json.Field("frames", s.frameCount);
        json.Field("fps", static_cast<double>(s.fps));
        json.Field("looping", s.Loops());
        json.Field("blends", s.blendCount);
        json.Field("group", s.group);
        json.Field("activity", s.activity);
        json.Field("activity_weight", s.activityWeight);
        json.Key("events").BeginArray();
        for (const StudioEvent& e : s.events) {
            json.BeginObject();
            json.Field("frame", e.frame);
            json.Field("event", e.event);
            json.Field("options", e.options);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.Key("textures").BeginArray();
    for (const StudioTexture& t : data.textures) {
        json.BeginObject();
        json.Field("name", t.name);
        json.Field("width", t.width);
        json.Field("height", t.height);
        json.Field("flags", t.flags);
        json.EndObject();
    }
    json.EndArray();
    json.Key("body_parts").BeginArray();
    for (const StudioBodyPart& part : data.bodyParts) {
        json.BeginObject();
        json.Field("name", part.name);
        json.Field("submodels", static_cast<int>(part.models.size()));
        json.Key("models").BeginArray();
        for (const StudioSubmodel& submodel : part.models) {
            json.BeginObject();
            json.Field("name", submodel.name);
            json.Field("vertices", static_cast<int>(submodel.vertices.size()));
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.Field("skin_families", data.skinFamilies);
    json.Key("controllers").BeginArray();
    for (const StudioBoneController& c : data.controllers) {
        json.BeginObject();
        json.Field("bone", c.bone);
        json.Field("type", c.type);
        json.Field("start", static_cast<double>(c.start));
        json.Field("end", static_cast<double>(c.end));
        json.Field("index", c.index);
        json.EndObject();
    }
    json.EndArray();
    json.Key("attachments").BeginArray();
    for (const StudioAttachment& a : data.attachments) {
        json.BeginObject();
        json.Field("name", a.name);
        json.Field("bone", a.bone);
        json.NumberArray("origin", {a.origin.x, a.origin.y, a.origin.z});
        json.EndObject();
    }
    json.EndArray();
    json.Key("hitboxes").BeginArray();
    for (const StudioHitBox& h : data.hitBoxes) {
        json.BeginObject();
        json.Field("bone", h.bone);
        json.Field("group", h.group);
        json.NumberArray("min", {h.min.x, h.min.y, h.min.z});
        json.NumberArray("max", {h.max.x, h.max.y, h.max.z});
        json.EndObject();
    }
    json.EndArray();
    json.NumberArray("eye_position", {data.eyePosition.x, data.eyePosition.y, data.eyePosition.z});
    json.Field("sequence_groups", static_cast<int>(data.groups.size()));
    // The current sequence's box in drawing space (y, z, x), smallest corner first.
    const StudioSequence* current = model->Studio()->CurrentSequence();
    const Vector3 lo = current != nullptr ? Vector3{current->bbMin.y, current->bbMin.z, current->bbMin.x} : Vector3{};
    const Vector3 hi = current != nullptr ? Vector3{current->bbMax.y, current->bbMax.z, current->bbMax.x} : Vector3{};
    json.NumberArray("bounds_min", {lo.x, lo.y, lo.z});
    json.NumberArray("bounds_max", {hi.x, hi.y, hi.z});
    json.EndObject();
    std::fputs(json.Text().c_str(), stdout);
    return kExitOk;
}
