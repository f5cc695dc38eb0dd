#include "ui/object/ObjectSheetPage.h"

#include "scene/COGLObject.h"
#include "scene/COGLScene.h"

COGLLight* ObjectSheetPage::LightShownIn(const COGLScene* scene) {
    return scene != nullptr ? scene->SelectedLight() : nullptr;
}

COGLObject* ObjectSheetPage::ObjectShownIn(const COGLScene* scene) {
    if (scene == nullptr || scene->SelectedLight() != nullptr) {
        return nullptr;
    }
    COGLObject* selected = scene->Selected();
    // A marker whose light is gone is not an object of the scene either.
    return selected != nullptr && scene->IndexOfObject(selected) >= 0 ? selected : nullptr;
}
