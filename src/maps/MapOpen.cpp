#include "maps/MapOpen.h"

#include "maps/MapBackdrop.h"
#include "maps/MapSceneBlock.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/SceneViewLink.h"

void SetMapBackdrop(COGLDoc& doc, std::unique_ptr<MapBackdrop> backdrop) {
    COGLScene& scene = *doc.Scene();
    doc.History().ReplaceBackdrop(scene, std::move(backdrop), "Open Map");
    if (doc.View() != nullptr) {
        doc.View()->ShowBackdrop();
        doc.View()->Repaint();
    }
    GetHost().RefreshPropertyWindows();
}

namespace {
bool Opened(COGLDoc& doc, std::unique_ptr<MapBackdrop> backdrop, const std::string& error) {
    if (!backdrop) {
        ShowMessage(error);
        return false;
    }
    SetMapBackdrop(doc, std::move(backdrop));
    return true;
}
}  // namespace

void RegisterMapOpeners() {
    RegisterMapSceneBlock();
    COGLDoc::RegisterModelOpener("bsp", [](const std::string& path, COGLDoc& doc) {
        if (doc.Scene() == nullptr) {
            return false;
        }
        std::string error;
        std::unique_ptr<MapBackdrop> backdrop = LoadMapBackdrop(*doc.Scene(), path, error);
        return Opened(doc, std::move(backdrop), error);
    });
    COGLDoc::RegisterPakEntryOpener("bsp", [](Archive& archive, const std::string& entryName, COGLDoc& doc) {
        if (doc.Scene() == nullptr) {
            return false;
        }
        std::string error;
        std::unique_ptr<MapBackdrop> backdrop = LoadMapBackdrop(*doc.Scene(), archive, entryName, error);
        return Opened(doc, std::move(backdrop), error);
    });
}
