#include "models/quake1/MDLOpen.h"

#include <memory>

#include "media/CPakFile.h"
#include "models/ModelOpen.h"
#include "models/quake1/COGLMDL.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/ObjectFactory.h"

COGLMDL* OpenMDLModel(COGLDoc& doc, const std::string& path) {
    if (doc.Scene() == nullptr) {
        return nullptr;
    }
    auto model = std::make_unique<COGLMDL>(doc.Scene());
    model->LoadFile(path);
    return static_cast<COGLMDL*>(AddModelToScene(doc, std::move(model)));
}

COGLMDL* OpenMDLFromPak(COGLDoc& doc, CPakFile& pak, const std::string& entryName) {
    const PakEntry* entry = pak.FindEntry(entryName);
    if (doc.Scene() == nullptr || entry == nullptr) {
        ShowMessage(msg::kErrorOpeningFile);
        return nullptr;
    }
    auto model = std::make_unique<COGLMDL>(doc.Scene());
    model->LoadFromPak(&pak, *entry);
    return static_cast<COGLMDL*>(AddModelToScene(doc, std::move(model)));
}

void RegisterQuake1Classes() {
    RegisterObjectClass(object_type::kMDL, "COGLMDL", [] { return std::unique_ptr<COGLObject>(new COGLMDL()); });
    RegisterMdlFamilyOpener(
        MdlFamily::Quake, [](const std::string& path, COGLDoc& doc) { return OpenMDLModel(doc, path) != nullptr; },
        [](CPakFile& pak, const std::string& entryName, COGLDoc& doc) {
            return OpenMDLFromPak(doc, pak, entryName) != nullptr;
        });
}
