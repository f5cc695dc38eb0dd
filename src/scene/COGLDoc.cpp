#include "scene/COGLDoc.h"

#include <exception>
#include <map>

#include "media/Archive.h"
#include "media/ArchiveFile.h"
#include "media/COGLTexture2D.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "scene/SceneFormat.h"
#include "scene/SceneViewLink.h"

namespace {
std::map<std::string, ModelOpener>& ModelOpeners() {
    static std::map<std::string, ModelOpener> openers;
    return openers;
}

std::map<std::string, PakEntryOpener>& PakEntryOpeners() {
    static std::map<std::string, PakEntryOpener> openers;
    return openers;
}
}  // namespace

void COGLDoc::RegisterPakEntryOpener(const std::string& extension, PakEntryOpener opener) {
    PakEntryOpeners()[fs_util::ToLower(extension)] = std::move(opener);
}

void COGLDoc::UnregisterPakEntryOpener(const std::string& extension) {
    PakEntryOpeners().erase(fs_util::ToLower(extension));
}

OpenFileResult COGLDoc::OpenPakEntry(const std::string& entryName) {
    if (m_scene == nullptr) {
        return {};
    }
    for (int position = 0; position < m_scene->PakCount(); ++position) {
        Archive* pak = m_scene->PakAt(position);
        if (pak != nullptr && pak->FindEntry(entryName) != nullptr) {
            return OpenPakEntry(*pak, entryName);
        }
    }
    return {};
}

OpenFileResult COGLDoc::OpenPakEntry(Archive& pak, const std::string& entryName) {
    const auto& openers = PakEntryOpeners();
    const auto it = openers.find(fs_util::ToLower(fs_util::ExtensionOf(entryName)));
    if (m_scene == nullptr || it == openers.end() || !it->second) {
        return {};
    }
    return {OpenedKind::Model, it->second(pak, entryName, *this)};
}

void COGLDoc::RegisterModelOpener(const std::string& extension, ModelOpener opener) {
    ModelOpeners()[fs_util::ToLower(extension)] = std::move(opener);
}

void COGLDoc::UnregisterModelOpener(const std::string& extension) { ModelOpeners().erase(fs_util::ToLower(extension)); }

bool COGLDoc::Open(const std::string& path) {
    WaitCursor wait;
    if (m_scene == nullptr || m_view == nullptr) {
        ShowMessage(msg::kFailedToOpenDocument);
        return false;
    }
    const auto bytes = ReadWholeFile(path);
    if (!bytes) {
        ShowMessage(msg::kInvalidFilename);
        return false;
    }
    BinaryReader in(*bytes);
    std::int32_t version = 0;
    try {
        if (in.ReadU32() != scene_format::kMagic) {
            ShowMessage(FormatMessage(msg::kNotDuvFile, path));
            return false;
        }
        version = in.ReadI32();
        if (version <= scene_format::kNewestRefusedVersion) {
            ShowMessage(FormatMessage(msg::kNotCompatible, path));
            return false;
        }
    } catch (const ReadError&) {
        ShowMessage(msg::kFailedToOpenDocument);
        return false;
    }

    // The scene shown waits aside, whole, until the new one has read whole; the
    // camera the file names reaches the view only then.
    COGLScene::Contents shown;
    m_scene->SwapContents(shown);
    DefaultViewLink camera;
    if (!m_scene->Load(in, camera, version, path)) {
        // The failed load took out everything it had added.
        m_scene->SwapContents(shown);
        m_view->Repaint();
        ShowMessage(msg::kFailedToOpenDocument);
        return false;
    }
    BinaryWriter record;
    camera.SaveViewRecord(record);
    BinaryReader replay(record.Bytes());
    m_view->LoadViewRecord(replay, SceneViewLink::kFirstVersionWithViewport);
    // The old scene's steps name its objects: they go before the objects do.
    m_history.Reset();
    m_fileVersion = version;
    const bool whole = m_scene->LoadSkippedRecords() == 0;
    m_pathName = whole ? path : std::string();
    m_modified = !whole;
    m_view->Repaint();
    return true;
}

bool COGLDoc::Save(const std::string& path) {
    WaitCursor wait;
    m_lastSaveError = "cannot write '" + path + "': there is no scene to save";
    bool ok = m_scene != nullptr && m_view != nullptr;
    if (ok) {
        try {
            BinaryWriter out;
            out.WriteU32(scene_format::kMagic);
            out.WriteI32(scene_format::kVersion);
            m_scene->Save(out, *m_view);
            ok = WriteFileAtomically(path, out.Bytes(), &m_lastSaveError);
        } catch (const std::exception& e) {
            m_lastSaveError = "cannot write '" + path + "': " + e.what();
            ok = false;
        }
    }
    if (!ok) {
        ShowMessage(msg::kFailedToSaveDocument);
        return false;
    }
    m_lastSaveError.clear();
    m_pathName = path;
    m_modified = false;
    return true;
}

void COGLDoc::ClearScene() {
    if (m_scene != nullptr) {
        m_scene->Clear();
        m_scene->SetSelectedObject(nullptr);
    }
    if (m_view != nullptr) {
        m_view->ResetViewports();
    }
    GetHost().RefreshPropertyWindows();
}

void COGLDoc::WatchHistory() {
    m_history.onRecorded = [this] { m_modified = true; };
}

bool COGLDoc::Undo() { return HistoryStep(true); }

bool COGLDoc::Redo() { return HistoryStep(false); }

bool COGLDoc::HistoryStep(bool undo) {
    // A step may give back textures and 3D text, which rebuild in the view's context.
    GetHost().MakeViewContextCurrent();
    if (m_scene == nullptr || !(undo ? m_history.Undo(*m_scene) : m_history.Redo(*m_scene))) {
        return false;
    }
    m_modified = true;
    GetHost().RefreshPropertyWindows();
    if (m_view != nullptr) {
        m_view->Repaint();
    }
    return true;
}

OpenFileResult COGLDoc::AddArchive(const std::string& path, std::unique_ptr<Archive> opened) {
    const int listed = m_scene != nullptr ? m_scene->PakCount() : 0;
    const int position = m_scene != nullptr ? m_scene->AddPak(path, std::move(opened)) : -1;
    if (position < 0) {
        ShowMessage(msg::kErrorOpeningFile);
    } else if (m_scene->PakCount() > listed) {
        // The scene file lists its archives: a new one is an unsaved change.
        m_modified = true;
    }
    return {OpenedKind::Pak, position >= 0, position};
}

OpenFileResult COGLDoc::OpenFile(const std::string& path) {
    const std::string extension = fs_util::ToLower(fs_util::ExtensionOf(path));
    if (extension == "dv") {
        const bool ok = Open(path);
        GetHost().RefreshPropertyWindows();
        return {OpenedKind::Scene, ok};
    }
    if (IsArchiveExtension(extension) || fs_util::DirectoryExists(path)) {
        return AddArchive(path, nullptr);
    }
    const auto& openers = ModelOpeners();
    if (const auto it = openers.find(extension); it != openers.end() && it->second) {
        return {OpenedKind::Model, it->second(path, *this)};
    }
    return {};
}

bool COGLDoc::FollowModel(COGLObject* leader, COGLObject* follower) {
    if (m_scene == nullptr || !m_history.Follow(*m_scene, leader, follower, "Follow Model")) {
        return false;
    }
    m_scene->SetSelectedObject(leader);
    GetHost().RefreshPropertyWindows();
    if (m_view != nullptr) {
        m_view->Repaint();
    }
    return true;
}

COGLObject* COGLDoc::PartFollower(COGLObject* leader) {
    COGLObject* follower = m_scene != nullptr ? m_history.Part(*m_scene, leader, "Part Models") : nullptr;
    if (follower == nullptr) {
        return nullptr;
    }
    m_scene->SetSelectedObject(follower);
    GetHost().RefreshPropertyWindows();
    if (m_view != nullptr) {
        m_view->Repaint();
    }
    return follower;
}
