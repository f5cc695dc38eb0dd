#include "models/sprite/SpriteOpen.h"

#include <memory>

#include "media/CPakFile.h"
#include "models/sprite/COGLSprite.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "scene/SceneViewLink.h"

namespace {
COGLSprite* AddSpriteToScene(COGLDoc& doc, std::unique_ptr<COGLSprite> sprite) {
    if (!sprite->IsLoaded()) {
        return nullptr;  // the sprite said why
    }
    COGLScene& scene = *doc.Scene();
    auto* added = static_cast<COGLSprite*>(scene.AddObject(std::move(sprite)));
    GetHost().RefreshPropertyWindows();
    scene.SetSelectedObject(added);
    if (doc.View() != nullptr) {
        doc.View()->Repaint();
    } else {
        GetHost().RequestRepaint();
    }
    return added;
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

COGLSprite* OpenSpriteFromPak(COGLDoc& doc, CPakFile& pak, const std::string& entryName) {
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
        COGLDoc::RegisterModelOpener(extension, [](const std::string& path, COGLDoc& doc) {
            return OpenSprite(doc, path) != nullptr;
        });
        COGLDoc::RegisterPakEntryOpener(extension, [](CPakFile& pak, const std::string& entryName, COGLDoc& doc) {
            return OpenSpriteFromPak(doc, pak, entryName) != nullptr;
        });
    }
}
