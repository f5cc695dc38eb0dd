// Opening the inputs of "render" and "export": scenes, paks, models and entries
// of the paks opened before them, the way the program opens them.
#include "Commands.h"
#include "media/CPakFile.h"
#include "platform/FileSystem.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"

namespace {
bool HeldByAPak(const COGLScene& scene, const std::string& name) {
    for (int position = 0; position < scene.PakCount(); ++position) {
        const CPakFile* pak = scene.PakAt(position);
        if (pak != nullptr && pak->FindEntry(name) != nullptr) {
            return true;
        }
    }
    return false;
}
}  // namespace

int OpenInputs(COGLDoc& document, const std::vector<std::string>& inputs, std::vector<COGLObject*>& models) {
    COGLScene& scene = *document.Scene();
    for (const std::string& input : inputs) {
        const std::string path = fs_util::ResolvePath(input);
        OpenFileResult result;
        if (fs_util::FileExists(path)) {
            result = document.OpenFile(path);
        } else {
            // Not on disk: an entry of a pak opened by an earlier input.
            result = document.OpenPakEntry(input);
            if (result.kind == OpenedKind::Nothing) {
                return Fail(kExitFailure, "cannot open '" + input + "': " +
                                              (HeldByAPak(scene, input)
                                                   ? "a pak holds it, but it is not a model the program opens"
                                                   : "no such file, and no pak opened before it holds it"));
            }
        }
        if (result.kind == OpenedKind::Nothing) {
            return Fail(kExitFailure, "cannot open '" + input + "': not a scene, pak or model file");
        }
        if (!result.succeeded) {
            return Fail(kExitFailure, "cannot open '" + input + "'");
        }
        if (result.kind == OpenedKind::Scene) {
            models.clear();  // the scene replaced everything
        } else if (result.kind == OpenedKind::Model && scene.Selected() != nullptr) {
            models.push_back(scene.Selected());
        }
    }
    return kExitOk;
}
