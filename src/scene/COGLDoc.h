#pragma once

#include <functional>
#include <memory>
#include <string>

#include "scene/EditHistory.h"

class COGLObject;
class COGLScene;
class SceneViewLink;

// What Open file did with a path, for the shell: `succeeded` says whether the
// path belongs in the recent-file list (and, for a pak, on the pak page).
enum class OpenedKind { Nothing, Scene, Pak, Model };
struct OpenFileResult {
    OpenedKind kind = OpenedKind::Nothing;
    bool succeeded = false;
    int pakPosition = -1;  // a pak: where it stands in the scene's list (already listed or added)
};

class COGLDoc;
class Archive;
// Opens a model file into the document's scene (create, load, add, select); true
// when the model was added. Registered per extension by the model classes.
using ModelOpener = std::function<bool(const std::string& path, COGLDoc& doc)>;
// The same for a model stored as an entry of one of the scene's paks.
using PakEntryOpener = std::function<bool(Archive& pak, const std::string& entryName, COGLDoc& doc)>;

// The document: it holds no scene data itself, but reads and writes the scene
// file through the scene of its view, and dispatches every opened file by its
// extension. Usable without any window system.
class COGLDoc {
public:
    COGLDoc() { WatchHistory(); }
    COGLDoc(COGLScene* scene, SceneViewLink* view) : m_scene(scene), m_view(view) { WatchHistory(); }

    // The scene and view the document works through (the active view's).
    void AttachView(COGLScene* scene, SceneViewLink* view) {
        m_scene = scene;
        m_view = view;
    }
    COGLScene* Scene() const { return m_scene; }
    SceneViewLink* View() const { return m_view; }

    // Reads a scene file in place of the scene shown. A wrong magic ("%1 is not a
    // DUV File."), a version of 4 or lower ("%1 is not compatable with this version
    // of DUV."), a file that cannot be read ("Invalid filename.") or a short or
    // corrupt one ("Failed to open document.") is shown and reported as failure,
    // and then the scene shown, its camera, its history, its name and its unsaved
    // mark are all as they were. A file read whole replaces the scene and empties
    // the history; when some of its records could not be used (a missing model,
    // picture or archive), the scene is untitled and modified, so a save never
    // writes the shortened scene over the file it came from.
    bool Open(const std::string& path);
    // Writes the header and the scene through WriteFileAtomically; a failure (a
    // full disk, a folder that takes no files) says "Failed to save document.",
    // leaves an existing file as it was and no other file behind.
    bool Save(const std::string& path);
    // Why the last Save failed ("cannot write 'PATH': REASON"); empty after a success.
    const std::string& LastSaveError() const { return m_lastSaveError; }

    // Clear the scene: the scene's clear, the view's default layout, no selection,
    // and the property windows refreshed.
    void ClearScene();

    // The one entry for every file the user opens, chosen by extension (any case):
    // ".dv" opens the scene in place of the one shown (Open); an archive (".pak",
    // ".sin", ".pk3", ".pkz", ".zip", ".kpf", ".wad") or a folder (a game folder,
    // or any folder of loose files) joins the scene's pak list ("Error opening
    // file" when it cannot be opened); a registered model
    // extension goes to its opener; anything else does nothing.
    OpenFileResult OpenFile(const std::string& path);
    // Adds the archive or folder at `path` to the scene's list as opening it does;
    // `opened` is that archive when it was opened already (away from the window).
    OpenFileResult AddArchive(const std::string& path, std::unique_ptr<Archive> opened);

    // Model classes register the extensions they open ("md2", "mdl", "def"), lower case, no dot.
    static void RegisterModelOpener(const std::string& extension, ModelOpener opener);
    static void UnregisterModelOpener(const std::string& extension);

    // Opens `entryName` from the first pak of the scene's pak list that holds it,
    // through the pak entry opener registered for its extension. Nothing when no
    // pak holds it or no opener takes its extension.
    OpenFileResult OpenPakEntry(const std::string& entryName);
    // The same from the given pak (the pak page's double-click).
    OpenFileResult OpenPakEntry(Archive& pak, const std::string& entryName);
    static void RegisterPakEntryOpener(const std::string& extension, PakEntryOpener opener);
    static void UnregisterPakEntryOpener(const std::string& extension);

    // The editing history of the scene; Open empties it, Save keeps it.
    EditHistory& History() { return m_history; }
    const EditHistory& History() const { return m_history; }
    // Undo or redo the last step of the history on the scene: the document counts
    // as modified, the property windows refresh and the view repaints. False when
    // there was no step.
    bool Undo();
    bool Redo();

    // Weapons in hand: `follower` leaves the scene's object list and follows
    // `leader` (COGLObject::AdoptFollower; for Half-Life models, see
    // COGLHLModel::SetFollower), leader selected. One undo step; the document is
    // modified. False, and nothing changed, when either is not in the scene's
    // list or the leader cannot carry it. (Declared over COGLObject so the
    // document stays below the model families; a COGLHLModel* converts.)
    bool FollowModel(COGLObject* leader, COGLObject* follower);
    // Parts the pair: the follower returns to the object list right after the
    // leader, placed where it stands, and is selected. One undo step. The
    // follower, or nullptr when the leader has none (nothing changed).
    COGLObject* PartFollower(COGLObject* leader);

    const std::string& PathName() const { return m_pathName; }
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    // The version of the scene file opened last (0 before any).
    int FileVersion() const { return m_fileVersion; }

private:
    bool HistoryStep(bool undo);
    void WatchHistory();

    COGLScene* m_scene = nullptr;
    SceneViewLink* m_view = nullptr;
    std::string m_pathName;
    std::string m_lastSaveError;
    EditHistory m_history;
    bool m_modified = false;
    int m_fileVersion = 0;
};
