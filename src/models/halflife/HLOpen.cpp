#include "models/halflife/HLOpen.h"

#include <memory>

#include "models/ModelOpen.h"
#include "models/halflife/COGLHLModel.h"
#include "scene/ObjectFactory.h"

COGLHLModel* OpenHLModel(COGLDoc& doc, const std::string& path) { return OpenModelFile<COGLHLModel>(doc, path); }

COGLHLModel* OpenHLModelFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName) {
    return OpenModelEntry<COGLHLModel>(doc, pak, entryName);
}

void RegisterHalfLifeClasses() {
    RegisterObjectClass(object_type::kHLModel, "COGLHLModel",
                        [] { return std::unique_ptr<COGLObject>(new COGLHLModel()); });
    RegisterMdlFamilyOpener(MdlFamily::HalfLife, FileOpener(&OpenHLModel), EntryOpener(&OpenHLModelFromPak));
}
