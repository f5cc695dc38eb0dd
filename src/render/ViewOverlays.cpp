#include "render/ViewOverlays.h"

#include "render/CommandIds.h"
#include "scene/COGLObject.h"

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
