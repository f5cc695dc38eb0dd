#include "models/SourceRecord.h"

#include "media/Archive.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"
#include "scene/COGLScene.h"
#include "scene/SceneFormat.h"

void WriteSourceRecord(BinaryWriter& out, const std::string& path, const Archive* pak, const COGLScene* scene) {
    out.WriteText(path, scene_format::kPathFieldSize);
    out.WriteI32(pak != nullptr && scene != nullptr ? scene->PositionOfPak(pak) : -1);
}

void ReadSourceRecord(BinaryReader& in, COGLScene& scene, int kind,
                      const std::function<void(const std::string& path)>& loadFile,
                      const std::function<void(Archive& pak, const PakEntry& entry)>& loadEntry) {
    std::string path = in.ReadText(scene_format::kPathFieldSize);
    const std::int32_t pakIndex = in.ReadI32();
    if (pakIndex < 0) {
        const FileLocator* locator = scene.Locator();
        const bool found =
            locator != nullptr ? locator->Locate(path, kind) : fs_util::FileExists(fs_util::ResolvePath(path));
        if (found) {
            loadFile(path);
        }
    } else if (Archive* pak = scene.PakForFileIndex(pakIndex)) {
        if (const PakEntry* entry = pak->FindEntry(path)) {
            loadEntry(*pak, *entry);
        }
    }
}
