#include "scene/ObjectFactory.h"

#include <array>

#include "scene/COGLText.h"
#include "scene/Primitives.h"

namespace {
struct ClassEntry {
    const char* name = nullptr;
    ObjectCreator create = nullptr;
    bool builtIn = false;
};

constexpr int kMaxTypeCode = 255;

template <typename T>
std::unique_ptr<COGLObject> Make() {
    return std::make_unique<T>();
}

std::array<ClassEntry, kMaxTypeCode + 1>& Registry() {
    static std::array<ClassEntry, kMaxTypeCode + 1> registry = [] {
        std::array<ClassEntry, kMaxTypeCode + 1> r{};
        auto add = [&r](int code, const char* name, ObjectCreator create) {
            r[static_cast<std::size_t>(code)] = {name, create, true};
        };
        add(object_type::kPlane, "COGLPlane", &Make<COGLPlane>);
        add(object_type::kFloor, "COGLFloor", &Make<COGLFloor>);
        add(object_type::kBox, "COGLBox", &Make<COGLBox>);
        add(object_type::kSphere, "COGLSphere", &Make<COGLSphere>);
        add(object_type::kRightWall, "COGLRightWall", &Make<COGLRightWall>);
        add(object_type::kLeftWall, "COGLLeftWall", &Make<COGLLeftWall>);
        add(object_type::kCeiling, "COGLCeiling", &Make<COGLCeiling>);
        add(object_type::kText, "COGLText", &Make<COGLText>);
        add(object_type::kRod, "COGLRod", &Make<COGLRod>);
        add(object_type::kCylinder, "COGLCylinder", &Make<COGLCylinder>);
        add(object_type::kCone, "COGLCone", &Make<COGLCone>);
        add(object_type::kDisk, "COGLDisk", &Make<COGLDisk>);
        add(object_type::kBillboard, "COGLBillboard", &Make<COGLBillboard>);
        return r;
    }();
    return registry;
}

bool InRange(int typeCode) { return typeCode >= 0 && typeCode <= kMaxTypeCode; }
}  // namespace

std::unique_ptr<COGLObject> CreateObject(int typeCode) {
    if (!InRange(typeCode)) {
        return nullptr;
    }
    const ClassEntry& entry = Registry()[static_cast<std::size_t>(typeCode)];
    return entry.create != nullptr ? entry.create() : nullptr;
}

bool RegisterObjectClass(int typeCode, const char* className, ObjectCreator create) {
    if (!InRange(typeCode) || create == nullptr) {
        return false;
    }
    Registry()[static_cast<std::size_t>(typeCode)] = {className, create, false};
    return true;
}

void UnregisterObjectClass(int typeCode) {
    if (InRange(typeCode) && !Registry()[static_cast<std::size_t>(typeCode)].builtIn) {
        Registry()[static_cast<std::size_t>(typeCode)] = {};
    }
}

const char* ObjectClassName(int typeCode) {
    return InRange(typeCode) ? Registry()[static_cast<std::size_t>(typeCode)].name : nullptr;
}

namespace {
ObjectPoser g_poser = nullptr;
}  // namespace

void RegisterObjectPoser(ObjectPoser poser) { g_poser = poser; }

bool PoseObject(COGLObject& object, const std::string& animation, float frame) {
    return g_poser != nullptr && g_poser(object, animation, frame);
}
