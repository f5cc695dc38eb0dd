#include "models/sprite/SpriteOpen.h"

#include <memory>
#include <optional>

#include "media/Archive.h"
#include "models/ModelOpen.h"
#include "models/sprite/COGLSprite.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"

namespace {
COGLSprite* AddSpriteToScene(COGLDoc& doc, std::unique_ptr<COGLSprite> sprite) {
    if (!sprite->IsLoaded()) {
        return nullptr;  // the sprite said why
    }
    COGLScene& scene = *doc.Scene();
    auto* added = static_cast<COGLSprite*>(scene.AddObject(std::move(sprite)));
    doc.History().Added(scene, added, "Open Sprite");
    ShowAddedObject(doc, added);
    return added;
}

// Sprites are not models: their family poses them for the command line.
std::optional<bool> PoseSprite(COGLObject& object, const std::string& animation, float frame) {
    auto* sprite = dynamic_cast<COGLSprite*>(&object);
    if (sprite == nullptr) {
        return std::nullopt;
    }
    if (!animation.empty()) {
        sprite->SelectAnimationByName(animation);
        if (!sprite->IsVisible()) {
            return false;
        }
    }
    if (frame >= 0.0f) {
        sprite->SetFrame(static_cast<int>(frame));
    }
    return true;
}
}  // namespace

COGLSprite* OpenSprite(COGLDoc& doc, const std::string& path) {
    if (doc.Scene() == nullptr) {
        return nullptr;
    }
    auto sprite = std::make_unique<COGLSprite>(doc.Scene());
    sprite->LoadFile(path);
    return AddSpriteToScene(doc, std::move(sprite));
}

COGLSprite* OpenSpriteFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName) {
    const PakEntry* entry = pak.FindEntry(entryName);
    if (doc.Scene() == nullptr || entry == nullptr) {
        ShowMessage(msg::kErrorReadingSprite);
        return nullptr;
    }
    auto sprite = std::make_unique<COGLSprite>(doc.Scene());
    sprite->LoadFromPak(&pak, *entry);
    return AddSpriteToScene(doc, std::move(sprite));
}

void RegisterSpriteClasses() {
    RegisterObjectClass(object_type::kSprite, "COGLSprite",
                        [] { return std::unique_ptr<COGLObject>(new COGLSprite()); });
    for (const char* extension : {"sp2", "spr"}) {
        RegisterExtensionOpeners(extension, FileOpener(&OpenSprite), EntryOpener(&OpenSpriteFromPak));
    }
    RegisterFamilyPoser(&PoseSprite);
}
