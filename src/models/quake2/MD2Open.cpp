#include "models/quake2/MD2Open.h"

#include <memory>

#include "media/Archive.h"
#include "models/ModelOpen.h"
#include "models/quake2/COGLMD2.h"
#include "models/quake2/COGLPlayer.h"
#include "models/quake2/Md2Reader.h"
#include "models/quake2/PlayerFolders.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"
#include "scene/COGLDoc.h"
#include "scene/ObjectFactory.h"

namespace {
MD2OpenOptions g_options;

std::unique_ptr<COGLMD2> MakeModel(bool player, COGLScene* scene) {
    if (player) {
        return std::make_unique<COGLPlayer>(scene);
    }
    return std::make_unique<COGLMD2>(scene);
}
}  // namespace

const MD2OpenOptions& GetMD2OpenOptions() { return g_options; }
void SetMD2OpenOptions(const MD2OpenOptions& options) { g_options = options; }

bool OpensAsPlayer(const std::string& path, const unsigned char* bytes, std::size_t size,
                   const MD2OpenOptions& options) {
    if (options.loadAsPlayer) {
        return true;
    }
    if (!options.autoDetectPlayer) {
        return false;
    }
    if (IsPlayerBodyPath(path)) {
        return true;
    }
    if (bytes == nullptr || size < md2_format::kHeaderSize) {
        return false;
    }
    BinaryReader in(bytes, size);
    in.Seek(md2_format::kSkinCountField * 4);
    return in.ReadI32() == 0;
}

COGLMD2* OpenMD2Model(COGLDoc& doc, const std::string& path, MD2OpenAs as) {
    if (doc.Scene() == nullptr) {
        return nullptr;
    }
    const std::string resolved = fs_util::ResolvePath(path);
    const auto header = ReadFileRange(resolved, 0, md2_format::kHeaderSize);
    const bool player = as == MD2OpenAs::Options ? OpensAsPlayer(resolved, header ? header->data() : nullptr,
                                                                 header ? header->size() : 0, g_options)
                                                 : as == MD2OpenAs::Player;
    auto model = MakeModel(player, doc.Scene());
    model->LoadFile(resolved, player && g_options.useDefaultPalette);
    return static_cast<COGLMD2*>(AddModelToScene(doc, std::move(model)));
}

COGLMD2* OpenModelFromPak(COGLDoc& doc, Archive& pak, const std::string& entryName, MD2OpenAs as) {
    const PakEntry* entry = FindEntryToOpen(doc, pak, entryName);
    if (entry == nullptr) {
        return nullptr;
    }
    bool player = as == MD2OpenAs::Player;
    if (as == MD2OpenAs::Options) {
        const auto head = pak.ReadEntryHead(*entry, md2_format::kHeaderSize);
        player = OpensAsPlayer(entry->name, head ? head->data() : nullptr, head ? head->size() : 0, g_options);
    }
    auto model = MakeModel(player, doc.Scene());
    model->LoadFromPak(&pak, *entry, player && g_options.useDefaultPalette);
    return static_cast<COGLMD2*>(AddModelToScene(doc, std::move(model)));
}

void RegisterMD2Classes() {
    RegisterObjectClass(object_type::kMD2, "COGLMD2", [] { return std::unique_ptr<COGLObject>(new COGLMD2()); });
    RegisterObjectClass(object_type::kPlayer, "COGLPlayer",
                        [] { return std::unique_ptr<COGLObject>(new COGLPlayer()); });
    RegisterExtensionOpeners(
        "md2", [](const std::string& path, COGLDoc& doc) { return OpenMD2Model(doc, path) != nullptr; },
        [](Archive& pak, const std::string& entryName, COGLDoc& doc) {
            return OpenModelFromPak(doc, pak, entryName) != nullptr;
        });
}
