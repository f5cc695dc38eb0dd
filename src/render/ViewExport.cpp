// Where the view's perspective camera stands, for glTF export.
#include "math/Matrix4.h"
#include "math/Quaternion.h"
#include "render/COGLCamera.h"
#include "render/COGLView.h"

namespace {
Matrix4 Translation(const Vector3& v) {
    Matrix4 m;
    m(0, 3) = v.x;
    m(1, 3) = v.y;
    m(2, 3) = v.z;
    return m;
}

Matrix4 Turn(float degrees, const Vector3& axis) { return Quaternion::FromAxisAngle(axis, degrees).ToMatrix(); }
}  // namespace

std::optional<ExportCamera> COGLView::ExportedCamera() const {
    const COGLViewport3D* viewport = ActiveViewport().IsPerspective()
                                         ? static_cast<const COGLViewport3D*>(&ActiveViewport())
                                         : FirstPerspectiveViewport();
    if (viewport == nullptr) {
        return std::nullopt;
    }
    const COGLCamera3D& camera = viewport->Camera3D();
    // The same steps the camera gives GL, from the world into the eye.
    Matrix4 worldToEye = Translation({0.0f, 0.0f, -camera.distance}) * Turn(camera.pitch, {1, 0, 0}) *
                         Turn(camera.yaw, {0, 1, 0}) * Turn(camera.roll, {0, 0, 1}) * Translation(camera.center);
    if (!worldToEye.Invert()) {
        return std::nullopt;
    }
    ExportCamera exported;
    for (int i = 0; i < 16; ++i) {
        exported.cameraToWorld[static_cast<std::size_t>(i)] = static_cast<float>(worldToEye.Data()[i]);
    }
    exported.yfovDegrees = viewport->FieldOfView();
    const PaneRect& rect = viewport->Rect();
    exported.aspect = rect.width > 0 && rect.height > 0 ? float(rect.width) / float(rect.height) : 4.0f / 3.0f;
    exported.znear = static_cast<float>(viewport->NearPlane());
    exported.zfar = static_cast<float>(viewport->FarPlane());
    return exported;
}
