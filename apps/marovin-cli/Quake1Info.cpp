// "info" for Quake 1 models (".mdl" starting "IDPO") and sprites (".sp2", ".spr"),
// opened the way Open Model opens them, into a scene of their own.
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "Json.h"
#include "media/COGLTexture2D.h"
#include "models/quake1/COGLMDL.h"
#include "models/quake1/MDLOpen.h"
#include "models/sprite/COGLSprite.h"
#include "models/sprite/SpriteOpen.h"
#include "render/HeadlessContext.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/SceneViewLink.h"

namespace {
// Skins are GL textures: they load only with a context current.
struct InfoScene {
    std::unique_ptr<HeadlessContext> gl = HeadlessContext::Create(64, 64);
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};
}  // namespace

int RunMdlInfo(const std::string& path) {
    InfoScene loaded;
    COGLMDL* model = OpenMDLModel(loaded.doc, path);
    if (model == nullptr) {
        return Fail(kExitFailure, "cannot read '" + path + "'");
    }
    model->RefreshBounds();  // frame 0 as drawn
    const Vector3& lo = model->BoundsMin();
    const Vector3& hi = model->BoundsMax();

    JsonWriter json;
    json.BeginObject();
    json.Field("kind", "mdl");
    json.Field("name", model->Name());
    json.Field("frames", model->TotalFrameCount());
    json.Field("vertices", model->VertexCount());
    json.Field("triangles", model->TriangleCount());
    json.Key("skins").BeginArray();
    for (const COGLTexture2D* skin : model->Skins()) {
        json.BeginObject();
        json.Field("name", skin->Name());
        json.Field("width", model->SkinWidth());
        json.Field("height", model->SkinHeight());
        json.EndObject();
    }
    json.EndArray();
    // "first" is the animation's first frame in the file's frame list.
    json.Key("animations").BeginArray();
    for (const auto& animation : model->Animations()) {
        const auto& frames = static_cast<const MdlAnimation&>(*animation).frames;
        json.BeginObject();
        json.Field("name", animation->name);
        json.Field("first", frames.empty() ? 0 : frames.front());
        json.Field("frames", animation->frameCount);
        json.EndObject();
    }
    json.EndArray();
    json.NumberArray("bounds_min", {lo.x, lo.y, lo.z});
    json.NumberArray("bounds_max", {hi.x, hi.y, hi.z});
    json.EndObject();
    std::fputs(json.Text().c_str(), stdout);
    return kExitOk;
}

int RunSpriteInfo(const std::string& path) {
    InfoScene loaded;
    COGLSprite* sprite = OpenSprite(loaded.doc, path);
    if (sprite == nullptr) {
        return Fail(kExitFailure, "cannot read '" + path + "'");
    }
    const char* format = sprite->Format() == SpriteFormat::Quake2   ? "sp2"
                         : sprite->Format() == SpriteFormat::Quake1 ? "spr"
                                                                    : "spr-half-life";
    static constexpr const char* kTextureFormats[] = {"normal", "additive", "index-alpha", "alpha-test"};
    JsonWriter json;
    json.BeginObject();
    json.Field("kind", "sprite");
    json.Field("name", sprite->Name());
    json.Field("format", format);
    if (sprite->Format() == SpriteFormat::HalfLife) {
        json.Field("texture_format", kTextureFormats[static_cast<int>(sprite->TextureFormat())]);
    }
    json.Key("frames").BeginArray();
    for (const SpritePicture& picture : sprite->Pictures()) {
        json.BeginObject();
        json.Field("width", picture.width);
        json.Field("height", picture.height);
        json.NumberArray("origin", {static_cast<double>(picture.originX), static_cast<double>(picture.originY)});
        if (!picture.imageName.empty()) {
            json.Field("image", picture.imageName);
        }
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    std::fputs(json.Text().c_str(), stdout);
    return kExitOk;
}
