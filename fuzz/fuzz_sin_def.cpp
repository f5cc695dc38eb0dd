// The SiN definition parser over arbitrary text: whatever the input, parsing ends
// without touching memory outside it, and what it accepts keeps to its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "models/sin/SinDef.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    const auto def = ParseSinDef(reinterpret_cast<const char*>(data), size);
    if (!def) {
        return 0;
    }
    for (const SinDefFile& animation : def->animations) {
        if (animation.name.size() > sin_def::kMaxAnimationName || animation.path.empty()) {
            std::abort();
        }
    }
    for (const SinDefFile& skin : def->skins) {
        if (skin.name.size() > sin_def::kMaxSkinName || skin.path.empty()) {
            std::abort();
        }
    }
    for (const SinDefGroup& group : def->groups) {
        (void)def->TwoSided(group.id);
    }
    return 0;
}
