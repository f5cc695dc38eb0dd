#include "scene/SceneExtensions.h"

#include <cstring>
#include <exception>
#include <string>

#include "scene/COGLObject.h"
#include "scene/COGLScene.h"

namespace {
struct SceneBlock {
    std::string tag;
    SceneBlockWriter write = nullptr;
    SceneBlockReader read = nullptr;
};

std::vector<SceneBlock>& SceneBlocks() {
    static std::vector<SceneBlock> blocks;
    return blocks;
}

void WriteTag(BinaryWriter& out, const char* tag) { out.WriteBytes(tag, 4); }

// One block: tag, length, payload.
void WriteBlock(BinaryWriter& out, const char* tag, const ByteBuffer& payload) {
    WriteTag(out, tag);
    out.WriteU32(static_cast<std::uint32_t>(payload.size()));
    out.WriteBytes(payload.data(), payload.size());
}
}  // namespace

void RegisterSceneBlock(const char (&tag)[5], SceneBlockWriter write, SceneBlockReader read) {
    auto& blocks = SceneBlocks();
    for (SceneBlock& block : blocks) {
        if (block.tag == tag) {
            block.write = write;
            block.read = read;
            return;
        }
    }
    blocks.push_back({tag, write, read});
}

void WriteSceneExtensions(const COGLScene& scene, BinaryWriter& out) {
    BinaryWriter area;
    bool any = false;
    for (const SceneBlock& block : SceneBlocks()) {
        BinaryWriter payload;
        if (block.write != nullptr && block.write(scene, payload)) {
            WriteBlock(area, block.tag.c_str(), payload.Bytes());
            any = true;
        }
    }
    const auto& objects = scene.Objects();
    for (std::size_t i = 0; i < objects.size(); ++i) {
        BinaryWriter own;
        objects[i]->SaveExtension(own);
        if (own.Size() == 0) {
            continue;
        }
        BinaryWriter payload;
        payload.WriteI32(static_cast<std::int32_t>(i));
        payload.WriteBytes(own.Bytes().data(), own.Size());
        WriteBlock(area, scene_extensions::kObjectTag, payload.Bytes());
        any = true;
    }
    if (any) {
        WriteTag(out, scene_extensions::kMagic);
        out.WriteBytes(area.Bytes().data(), area.Size());
    }
}

int ReadSceneExtensions(BinaryReader& in, COGLScene& scene, const std::vector<COGLObject*>& fileObjects) {
    if (in.Remaining() < 4 || std::memcmp(in.Data() + in.Tell(), scene_extensions::kMagic, 4) != 0) {
        return 0;
    }
    in.Skip(4);
    int skipped = 0;
    while (in.Remaining() > 0) {
        if (in.Remaining() < scene_extensions::kBlockHeaderSize) {
            // A cut block header: nothing more can be read.
            in.Skip(in.Remaining());
            return skipped + 1;
        }
        char tag[5] = {};
        in.ReadInto(tag, 4);
        const std::uint32_t length = in.ReadU32();
        if (length > in.Remaining()) {
            in.Skip(in.Remaining());
            return skipped + 1;
        }
        BinaryReader payload = in.Window(in.Tell(), length);
        in.Skip(length);
        try {
            if (std::strcmp(tag, scene_extensions::kObjectTag) == 0) {
                const std::int32_t index = payload.ReadI32();
                COGLObject* object = index >= 0 && static_cast<std::size_t>(index) < fileObjects.size()
                                         ? fileObjects[static_cast<std::size_t>(index)]
                                         : nullptr;
                if (object == nullptr) {
                    ++skipped;
                    continue;
                }
                BinaryReader own = payload.Window(payload.Tell(), payload.Remaining());
                object->LoadExtension(own, scene);
                continue;
            }
            bool known = false;
            for (const SceneBlock& block : SceneBlocks()) {
                if (block.tag == tag && block.read != nullptr) {
                    block.read(payload, scene);
                    known = true;
                    break;
                }
            }
            if (!known) {
                ++skipped;
            }
        } catch (const std::exception&) {
            // ReadError for a payload shorter than its reader wants, or anything its reader threw.
            ++skipped;
        }
    }
    return skipped;
}
