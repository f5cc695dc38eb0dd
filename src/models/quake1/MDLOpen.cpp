#include "models/quake1/MDLOpen.h"

#include <memory>

#include "models/ModelOpen.h"
#include "models/quake1/COGLMDL.h"
#include "scene/ObjectFactory.h"

COGLMDL* OpenMDLModel(COGLDoc& doc, const std::string& path) { return OpenModelFile<COGLMDL>(doc, path); }

COGLMDL* OpenMDLFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName) {
    return OpenModelEntry<COGLMDL>(doc, pak, entryName);
}

void RegisterQuake1Classes() {
    RegisterObjectClass(object_type::kMDL, "COGLMDL", [] { return std::unique_ptr<COGLObject>(new COGLMDL()); });
    RegisterMdlFamilyOpener(MdlFamily::Quake, FileOpener(&OpenMDLModel), EntryOpener(&OpenMDLFromPak));
}
