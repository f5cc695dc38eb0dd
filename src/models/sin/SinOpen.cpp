#include "models/sin/SinOpen.h"

#include <memory>

#include "media/CPakFile.h"
#include "models/ModelOpen.h"
#include "models/sin/COGLSBM.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/ObjectFactory.h"

COGLSBM* OpenSinModel(COGLDoc& doc, const std::string& path) {
    if (doc.Scene() == nullptr) {
        return nullptr;
    }
    auto model = std::make_unique<COGLSBM>(doc.Scene());
    model->LoadFile(path);
    return static_cast<COGLSBM*>(AddModelToScene(doc, std::move(model)));
}

COGLSBM* OpenSinModelFromPak(COGLDoc& doc, CPakFile& pak, const std::string& entryName) {
    const PakEntry* entry = pak.FindEntry(entryName);
    if (doc.Scene() == nullptr || entry == nullptr) {
        ShowMessage(msg::kErrorOpeningFile);
        return nullptr;
    }
    auto model = std::make_unique<COGLSBM>(doc.Scene());
    model->LoadFromPak(&pak, *entry);
    return static_cast<COGLSBM*>(AddModelToScene(doc, std::move(model)));
}

void RegisterSinClasses() {
    RegisterObjectClass(object_type::kSBM, "COGLSBM", [] { return std::unique_ptr<COGLObject>(new COGLSBM()); });
    COGLDoc::RegisterModelOpener("def", [](const std::string& path, COGLDoc& doc) {
        return OpenSinModel(doc, path) != nullptr;
    });
    COGLDoc::RegisterPakEntryOpener("def", [](CPakFile& pak, const std::string& entryName, COGLDoc& doc) {
        return OpenSinModelFromPak(doc, pak, entryName) != nullptr;
    });
}
