// The inner parts of the selected object drawn over the panes, and the bone
// under the pointer.
#include "render/ViewOverlays.h"

#include "render/COGLView.h"
#include "render/CommandIds.h"
#include "scene/COGLScene.h"

namespace {
// How near the pointer a joint must show to be the one named.
constexpr double kBoneHoverRadius = 8.0;
}  // namespace

int OverlayForCommand(int id) {
    switch (id) {
        case cmd::kShowBones: return object_overlay::kBones;
        case cmd::kShowAttachments: return object_overlay::kAttachments;
        case cmd::kShowHitBoxes: return object_overlay::kHitBoxes;
        case cmd::kShowBoundingBox: return object_overlay::kBoundingBox;
        case cmd::kShowClipBox: return object_overlay::kClipBox;
        case cmd::kShowEyePosition: return object_overlay::kEyePosition;
        default: return 0;
    }
}

COGLObject* COGLView::OverlayObject() const {
    if (!m_scene || m_overlays == 0) {
        return nullptr;
    }
    COGLObject* selected = m_scene->Selected();
    if (selected == nullptr) {
        // A picture taken leaves the selection out, and its overlays only when asked to keep them.
        return m_pictureOverlayObject;
    }
    return selected->IsLightMarker() ? nullptr : selected;
}

void COGLView::ShowBoneNear(int x, int y) {
    std::string bone;
    COGLObject* object = (m_overlays & object_overlay::kBones) != 0 ? OverlayObject() : nullptr;
    const int slot = SlotAt(x, y);
    if (object != nullptr && slot >= 0) {
        const auto labels = object->OverlayLabels(object_overlay::kBones);
        if (const auto* nearest = Viewport(slot).LabelNear(labels, object_overlay::kBones, x, GLRow(y),
                                                           kBoneHoverRadius)) {
            bone = nearest->name;
        }
    }
    if (bone != m_boneShown) {
        m_boneShown = bone;
        SetStatus(bone.empty() ? std::string() : "Bone " + bone);
    }
}
