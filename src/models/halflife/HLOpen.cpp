#include "models/halflife/HLOpen.h"

#include <memory>

#include "media/CPakFile.h"
#include "models/ModelOpen.h"
#include "models/halflife/COGLHLModel.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/ObjectFactory.h"

COGLHLModel* OpenHLModel(COGLDoc& doc, const std::string& path) {
    if (doc.Scene() == nullptr) {
        return nullptr;
    }
    auto model = std::make_unique<COGLHLModel>(doc.Scene());
    model->LoadFile(path);
    return static_cast<COGLHLModel*>(AddModelToScene(doc, std::move(model)));
}

COGLHLModel* OpenHLModelFromPak(COGLDoc& doc, CPakFile& pak, const std::string& entryName) {
    const PakEntry* entry = pak.FindEntry(entryName);
    if (doc.Scene() == nullptr || entry == nullptr) {
        ShowMessage(msg::kErrorOpeningFile);
        return nullptr;
    }
    auto model = std::make_unique<COGLHLModel>(doc.Scene());
    model->LoadFromPak(&pak, *entry);
    return static_cast<COGLHLModel*>(AddModelToScene(doc, std::move(model)));
}

void RegisterHalfLifeClasses() {
    RegisterObjectClass(object_type::kHLModel, "COGLHLModel",
                        [] { return std::unique_ptr<COGLObject>(new COGLHLModel()); });
    RegisterMdlFamilyOpener(
        MdlFamily::HalfLife, [](const std::string& path, COGLDoc& doc) { return OpenHLModel(doc, path) != nullptr; },
        [](CPakFile& pak, const std::string& entryName, COGLDoc& doc) {
            return OpenHLModelFromPak(doc, pak, entryName) != nullptr;
        });
}
