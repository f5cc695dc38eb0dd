#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "scene/COGLDoc.h"

class COGLModel;
class COGLObject;
class Archive;
struct PakEntry;

// What the model base offers the families for opening their files. The base
// knows no family: each registers its openers here, and ModelFamilies.h holds
// the one list of families that register.

// The common end of every model opener: a model that did not load says "Error
// opening file" and is destroyed; one that did gets its first skin ("Could not
// load textures for this model" when it has none) and what its family adds
// (COGLModel::FinishOpening), and then it is appended to the scene as one undo
// step, selected and shown. Returns the model added, or nullptr.
COGLModel* AddModelToScene(COGLDoc& doc, std::unique_ptr<COGLModel> model);
// Shows an object just appended to the document's scene: the property windows
// refreshed, the object selected, placed by the view and the view repainted.
void ShowAddedObject(COGLDoc& doc, COGLObject* added);

// The entry of `pak` an opener reads (matched without regard to case); nullptr,
// having said "Error opening file", when the document has no scene or the pak
// lacks the entry.
const PakEntry* FindEntryToOpen(COGLDoc& doc, Archive& pak, const std::string& entryName);

// The openers of the families whose model reads with LoadFile(path) and
// LoadFromPak(pak, entry): made for the document's scene, loaded, and added
// through AddModelToScene. Return the model added, or nullptr.
template <typename Model>
Model* OpenModelFile(COGLDoc& doc, const std::string& path) {
    if (doc.Scene() == nullptr) {
        return nullptr;
    }
    auto model = std::make_unique<Model>(doc.Scene());
    model->LoadFile(path);
    return static_cast<Model*>(AddModelToScene(doc, std::move(model)));
}
template <typename Model>
Model* OpenModelEntry(COGLDoc& doc, Archive& pak, const std::string& entryName) {
    const PakEntry* entry = FindEntryToOpen(doc, pak, entryName);
    if (entry == nullptr) {
        return nullptr;
    }
    auto model = std::make_unique<Model>(doc.Scene());
    model->LoadFromPak(&pak, *entry);
    return static_cast<Model*>(AddModelToScene(doc, std::move(model)));
}

// A family's opener of a file or of a pak entry, as the document calls it:
// true when it added something.
template <typename Object>
ModelOpener FileOpener(Object* (*open)(COGLDoc& doc, const std::string& path)) {
    return [open](const std::string& path, COGLDoc& doc) { return open(doc, path) != nullptr; };
}
template <typename Object>
PakEntryOpener EntryOpener(Object* (*open)(COGLDoc& doc, Archive& pak, const std::string& entryName)) {
    return [open](Archive& pak, const std::string& entryName, COGLDoc& doc) {
        return open(doc, pak, entryName) != nullptr;
    };
}
// Registers a family's openers of files and pak entries named `extension`
// (without its dot) with the document.
void RegisterExtensionOpeners(const std::string& extension, ModelOpener open, PakEntryOpener openFromPak);

// ".mdl" names two families, told apart by the first four bytes: "IDPO" is a
// Quake model, anything else a Half-Life studio model. Each of the two
// registers its openers here; the ".mdl" opener of the base chooses between them.
enum class MdlFamily { Quake, HalfLife };
MdlFamily MdlFamilyOf(const unsigned char* bytes, std::size_t size);
void RegisterMdlFamilyOpener(MdlFamily family, ModelOpener open, PakEntryOpener openFromPak);

// The command-line poser puts an object opened there into the animation and
// frame asked for. Models it poses itself; a family whose objects are not
// models registers a poser that answers for its own objects (true posed, false
// no such animation) and with nothing for any other object. Registering the
// same poser again changes nothing.
using FamilyPoser = std::optional<bool> (*)(COGLObject& object, const std::string& animation, float frame);
void RegisterFamilyPoser(FamilyPoser poser);

// Registers what the base itself serves: the ".mdl" opener and the command-line
// poser. Safe to call more than once.
void RegisterModelBase();
