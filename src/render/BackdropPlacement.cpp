#include "render/BackdropPlacement.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "math/Quaternion.h"
#include "models/COGLModel.h"
#include "render/Framing.h"
#include "scene/COGLScene.h"
#include "scene/EditHistory.h"
#include "scene/ObjectFactory.h"
#include "scene/Primitives.h"

namespace {
bool IsFinite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The orientation a new object of the kind starts with: what "upright" means for it
// (a Quake 2 model is turned over to stand on its feet).
Quaternion UprightOrientation(const COGLObject& object) {
    const std::unique_ptr<COGLObject> fresh = CreateObject(object.TypeCode());
    return fresh ? fresh->Orientation() : Quaternion::Identity();
}

// The point a model's game counts its coordinates from, relative to the object's
// position: models stand on their feet, lifted by their vertical offset.
Vector3 GameOriginOffset(const COGLObject& object, const Quaternion& orientation) {
    const auto* model = dynamic_cast<const COGLModel*>(&object);
    if (model == nullptr) {
        return {};
    }
    const Vector3 scale = object.Scale();
    return orientation.ToMatrix().TransformVector({0.0f, model->VerticalOffset() * scale.y, 0.0f});
}
}  // namespace

bool PlaceAtStart(COGLScene& scene, EditHistory& history, COGLObject& object, const BackdropStart& start) {
    const Quaternion facing = Quaternion::FromAxisAngle({0.0f, 1.0f, 0.0f}, start.yaw) * UprightOrientation(object);
    const Vector3 position = start.position - GameOriginOffset(object, facing);
    if (!IsFinite(position)) {
        return false;
    }
    history.Watch(scene, &object);
    object.SetOrientation(facing);
    object.SetPosition(position.x, position.y, position.z);
    history.Changed(scene, &object, "Place At");
    return true;
}

bool DropToFloor(COGLScene& scene, EditHistory& history, COGLObject& object, float maxDrop) {
    const SceneBackdrop* backdrop = scene.Backdrop();
    if (backdrop == nullptr) {
        return false;
    }
    object.RefreshBounds();
    const std::optional<WorldBox> box = WorldBoundsOf(object);
    if (!box) {
        return false;
    }
    // From the box's centre, so an object sunk into the floor finds it too.
    const Vector3 centre = box->Center();
    const std::optional<BackdropHit> hit = backdrop->Trace(centre, {0.0f, -1.0f, 0.0f}, maxDrop + (centre.y - box->lo.y));
    if (!hit) {
        return false;
    }
    const float rise = hit->point.y - box->lo.y;
    const Vector3& p = object.Position();
    if (!std::isfinite(rise)) {
        return false;
    }
    history.Watch(scene, &object);
    object.SetPosition(p.x, p.y + rise, p.z);
    history.Changed(scene, &object, "Drop to Floor");
    return true;
}

COGLObject* AddShadowPlaneAt(COGLScene& scene, EditHistory& history, const BackdropHit& hit) {
    if (static_cast<int>(scene.ShadowPlanes().size()) >= COGLScene::kMaxShadowPlanes || !IsFinite(hit.point)) {
        return nullptr;
    }
    auto plane = std::make_unique<COGLFloor>();
    // The turn that brings the floor's face onto the face that was hit.
    const Vector3 from = plane->FaceNormal();
    Vector3 axis = from.Cross(hit.normal);
    const float cosine = std::clamp(from.Dot(hit.normal), -1.0f, 1.0f);
    if (!axis.Normalize()) {
        axis = {1.0f, 0.0f, 0.0f};  // parallel: none, or a half turn when opposite
    }
    const float degrees = std::acos(cosine) / kDegreesToRadians;
    plane->SetOrientation(Quaternion::FromAxisAngle(axis, degrees));
    // Just off the face, and unseen itself: it only catches the shadows.
    const Vector3 p = hit.point + hit.normal * 0.002f;
    plane->SetPosition(p.x, p.y, p.z);
    plane->SetName("Shadow Plane");
    plane->SetTransparent(true);
    plane->SetDiffuseAlpha(0.0f);
    plane->SetAmbientAlpha(0.0f);
    const SceneSettings before = EditHistory::SettingsOf(scene);
    COGLObject* added = scene.AddObject(std::move(plane));
    scene.AddShadowPlane(added);
    history.Added(scene, added, before, "Shadow Plane from Map Face");
    return added;
}
