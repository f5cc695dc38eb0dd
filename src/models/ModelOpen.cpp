#include "models/ModelOpen.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/Archive.h"
#include "models/COGLModel.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "scene/SceneViewLink.h"

COGLModel* AddModelToScene(COGLDoc& doc, std::unique_ptr<COGLModel> model) {
    if (model == nullptr || doc.Scene() == nullptr || !model->IsLoaded()) {
        ShowMessage(msg::kErrorOpeningFile);
        return nullptr;
    }
    if (!model->ApplyFirstSkin()) {
        ShowMessage(msg::kCouldNotLoadModelTextures);
    }
    model->FinishOpening();
    COGLScene& scene = *doc.Scene();
    auto* added = static_cast<COGLModel*>(scene.AddObject(std::move(model)));
    doc.History().Added(scene, added, "Open Model");
    ShowAddedObject(doc, added);
    return added;
}

void ShowAddedObject(COGLDoc& doc, COGLObject* added) {
    GetHost().RefreshPropertyWindows();
    doc.Scene()->SetSelectedObject(added);
    if (doc.View() != nullptr) {
        doc.View()->PlaceAdded(*added);
        doc.View()->Repaint();
    } else {
        GetHost().RequestRepaint();
    }
}

const PakEntry* FindEntryToOpen(COGLDoc& doc, Archive& pak, const std::string& entryName) {
    const PakEntry* entry = pak.FindEntry(entryName);
    if (doc.Scene() == nullptr || entry == nullptr) {
        ShowMessage(msg::kErrorOpeningFile);
        return nullptr;
    }
    return entry;
}

void RegisterExtensionOpeners(const std::string& extension, ModelOpener open, PakEntryOpener openFromPak) {
    COGLDoc::RegisterModelOpener(extension, std::move(open));
    COGLDoc::RegisterPakEntryOpener(extension, std::move(openFromPak));
}

namespace {
struct MdlOpeners {
    ModelOpener open;
    PakEntryOpener openFromPak;
};
MdlOpeners g_mdlOpeners[2];

MdlOpeners& OpenersOf(MdlFamily family) { return g_mdlOpeners[family == MdlFamily::Quake ? 0 : 1]; }

bool OpenMdl(const std::string& path, COGLDoc& doc) {
    const auto head = ReadFileRange(fs_util::ResolvePath(path), 0, 4);
    const MdlOpeners& openers = OpenersOf(MdlFamilyOf(head ? head->data() : nullptr, head ? head->size() : 0));
    if (!openers.open) {
        ShowMessage(msg::kErrorOpeningFile);
        return false;
    }
    return openers.open(path, doc);
}

bool OpenMdlFromPak(Archive& pak, const std::string& entryName, COGLDoc& doc) {
    const PakEntry* entry = pak.FindEntry(entryName);
    const auto bytes = entry != nullptr ? pak.ReadEntry(*entry) : std::nullopt;
    const MdlOpeners& openers = OpenersOf(MdlFamilyOf(bytes ? bytes->data() : nullptr, bytes ? bytes->size() : 0));
    if (entry == nullptr || !openers.openFromPak) {
        ShowMessage(msg::kErrorOpeningFile);
        return false;
    }
    return openers.openFromPak(pak, entryName, doc);
}

std::vector<FamilyPoser>& FamilyPosers() {
    static std::vector<FamilyPoser> posers;
    return posers;
}

bool PoseOpenedObject(COGLObject& object, const std::string& animation, float frame) {
    for (FamilyPoser poser : FamilyPosers()) {
        if (const std::optional<bool> posed = poser(object, animation, frame)) {
            return *posed;
        }
    }
    auto* model = dynamic_cast<COGLModel*>(&object);
    if (model == nullptr) {
        return false;
    }
    if (!animation.empty()) {
        model->SelectAnimationByName(animation);
        // Families whose animations are not chosen by name (studio models) are
        // posed through the animation list itself.
        if (model->GetAnimation() == nullptr || model->GetAnimation()->name != animation) {
            ModelAnimation* found = model->FindAnimation(animation);
            if (found == nullptr) {
                return false;
            }
            model->SetAnimation(found);
        }
    }
    if (frame >= 0.0f) {
        model->SetFrame(static_cast<int>(frame));
    }
    return true;
}
}  // namespace

MdlFamily MdlFamilyOf(const unsigned char* bytes, std::size_t size) {
    return bytes != nullptr && size >= 4 && std::memcmp(bytes, "IDPO", 4) == 0 ? MdlFamily::Quake
                                                                                : MdlFamily::HalfLife;
}

void RegisterMdlFamilyOpener(MdlFamily family, ModelOpener open, PakEntryOpener openFromPak) {
    OpenersOf(family) = MdlOpeners{std::move(open), std::move(openFromPak)};
}

void RegisterFamilyPoser(FamilyPoser poser) {
    std::vector<FamilyPoser>& posers = FamilyPosers();
    if (std::find(posers.begin(), posers.end(), poser) == posers.end()) {
        posers.push_back(poser);
    }
}

void RegisterModelBase() {
    RegisterExtensionOpeners("mdl", OpenMdl, OpenMdlFromPak);
    RegisterObjectPoser(PoseOpenedObject);
}
