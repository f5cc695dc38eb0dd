#include "models/sin/SinOpen.h"

#include <memory>

#include "models/ModelOpen.h"
#include "models/sin/COGLSBM.h"
#include "scene/ObjectFactory.h"

COGLSBM* OpenSinModel(COGLDoc& doc, const std::string& path) { return OpenModelFile<COGLSBM>(doc, path); }

COGLSBM* OpenSinModelFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName) {
    return OpenModelEntry<COGLSBM>(doc, pak, entryName);
}

void RegisterSinClasses() {
    RegisterObjectClass(object_type::kSBM, "COGLSBM", [] { return std::unique_ptr<COGLObject>(new COGLSBM()); });
    RegisterExtensionOpeners("def", FileOpener(&OpenSinModel), EntryOpener(&OpenSinModelFromPak));
}
