// The sprite reader over arbitrary bytes, as a Quake 2 sprite and as a ".spr":
// reading ends (accepted or one of the sprite messages) without touching memory
// outside the input, and every accepted picture fits the bytes it came from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "models/sprite/SpriteReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    const ByteBuffer bytes(data, data + size);
    for (const bool quake2 : {true, false}) {
        const SpriteReadResult result = ReadSpriteData(bytes, quake2);
        if (!result.data) {
            continue;
        }
        for (const SpritePicture& picture : result.data->pictures) {
            const bool hasPixels = result.data->format != SpriteFormat::Quake2;
            if (picture.width <= 0 || picture.height <= 0 || !(picture.duration > 0.0f) ||
                (hasPixels && picture.indexes.size() != static_cast<std::size_t>(picture.width) *
                                                             static_cast<std::size_t>(picture.height))) {
                std::abort();
            }
        }
    }
    return 0;
}
