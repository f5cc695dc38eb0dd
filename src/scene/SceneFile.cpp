// The scene's part of the scene file: what follows the document's header.
#include <algorithm>
#include <array>
#include <new>

#include "media/Archive.h"
#include "media/ArchiveFile.h"
#include "media/COGLTexture2D.h"
#include "platform/FileLocator.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "scene/SceneExtensions.h"
#include "scene/SceneFormat.h"
#include "scene/SceneViewLink.h"

using scene_format::WriteColor;
using scene_format::ReadColor;

namespace {
// The fewest bytes a record can take, for refusing counts the file cannot hold.
constexpr std::int64_t kMinLightRecord = 4 + static_cast<std::int64_t>(COGLLight::kRecordSize);
constexpr std::int64_t kMinObjectRecord = 4;  // a type code with no class behind it
constexpr std::int64_t kTextureRecord = static_cast<std::int64_t>(COGLTexture2D::kRecordSize);

}  // namespace

void COGLScene::Save(BinaryWriter& out, const SceneViewLink& view) const {
    // Settings block.
    out.WriteU8(m_vwepEnabled != 0 ? 1 : 0);
    for (const float c : m_backgroundColor) {
        out.WriteF32(c);
    }
    WriteColor(out, m_ambient);
    out.WriteI32(static_cast<std::int32_t>(m_lights.size()));
    out.WriteI32(static_cast<std::int32_t>(m_objects.size()));
    out.WriteI32(static_cast<std::int32_t>(m_textures.size()));
    out.WriteU8(m_shadowsEnabled);
    std::array<std::int32_t, kMaxShadowLights> lightIndices;
    std::array<std::int32_t, kMaxShadowPlanes> planeIndices;
    lightIndices.fill(-1);
    planeIndices.fill(-1);
    if (m_shadowsEnabled != 0) {
        std::size_t slot = 0;
        for (std::size_t i = 0; i < m_lights.size() && slot < lightIndices.size(); ++i) {
            if (IsShadowLight(m_lights[i].get())) {
                lightIndices[slot++] = static_cast<std::int32_t>(i);
            }
        }
        slot = 0;
        for (std::size_t i = 0; i < m_objects.size() && slot < planeIndices.size(); ++i) {
            if (IsShadowPlane(m_objects[i].get())) {
                planeIndices[slot++] = static_cast<std::int32_t>(i);
            }
        }
    }
    for (const std::int32_t index : lightIndices) {
        out.WriteI32(index);
    }
    for (const std::int32_t index : planeIndices) {
        out.WriteI32(index);
    }
    out.WriteU8(m_shadowBlending);
    out.WriteF32(m_shadowOpacity);

    // Pak list.
    out.WriteI32(static_cast<std::int32_t>(m_paks.size()));
    for (const auto& pak : m_paks) {
        out.WriteText(pak ? pak->Path() : std::string(), scene_format::kPathFieldSize);
    }

    // Background image.
    if (m_background && m_backgroundValid != 0) {
        out.WriteU8(1);
        m_background->SaveRecord(out, PositionOfPak(m_background->Pak()));
    } else {
        out.WriteU8(0);
    }

    view.SaveViewRecord(out);

    for (const auto& texture : m_textures) {
        texture->SaveRecord(out, PositionOfPak(texture->Pak()));
    }
    for (const auto& light : m_lights) {
        out.WriteI32(light->IsSpot() ? scene_format::kSpotLightKind : scene_format::kPointLightKind);
        light->Save(out);
    }
    for (const auto& object : m_objects) {
        out.WriteI32(object->TypeCode());
        object->Save(out, IndexOfTexture(object->Texture()));
    }
    // Nothing at all unless something has more to say than the records hold.
    WriteSceneExtensions(*this, out);
}

bool COGLScene::Load(BinaryReader& in, SceneViewLink& view, int version, const std::string& scenePath) {
    m_lastLoadError.clear();
    m_loadSkipped = 0;

    // What the load may change, so that a failed load can take it back.
    const std::size_t lights0 = m_lights.size();
    const std::size_t objects0 = m_objects.size();
    const std::size_t textures0 = m_textures.size();
    const std::size_t paks0 = m_paks.size();
    const auto backgroundColor0 = m_backgroundColor;
    const ColorRGBA ambient0 = m_ambient;
    const auto shadowLights0 = m_shadowLights;
    const int shadowLightCount0 = m_shadowLightCount;
    const auto shadowPlanes0 = m_shadowPlanes;
    const int shadowPlaneCount0 = m_shadowPlaneCount;
    const std::uint8_t shadowsEnabled0 = m_shadowsEnabled;
    const std::uint8_t shadowBlending0 = m_shadowBlending;
    const float shadowOpacity0 = m_shadowOpacity;
    const COGLTexture2D* background0 = m_background.get();

    GetHost().SetStatusText(msg::kLoading.text);
    m_fileLocator = std::make_unique<FileLocator>(fs_util::DirectoryOf(scenePath));
    m_filePaks.clear();
    m_loading = true;
    bool ok = true;
    try {
        LoadRecords(in, view, version);
    } catch (const ReadError& e) {
        ok = false;
        m_lastLoadError = e.what();
    } catch (const std::bad_alloc&) {
        ok = false;
        m_lastLoadError = "out of memory";
    } catch (const std::exception& e) {
        ok = false;
        m_lastLoadError = e.what();
    }
    m_loading = false;
    m_filePaks.clear();
    m_fileLocator.reset();

    if (!ok) {
        m_selected = nullptr;
        m_shadowLights = shadowLights0;
        m_shadowLightCount = shadowLightCount0;
        m_shadowPlanes = shadowPlanes0;
        m_shadowPlaneCount = shadowPlaneCount0;
        m_shadowsEnabled = shadowsEnabled0;
        m_shadowBlending = shadowBlending0;
        m_shadowOpacity = shadowOpacity0;
        m_backgroundColor = backgroundColor0;
        m_ambient = ambient0;
        while (m_objects.size() > objects0) {
            auto object = std::move(m_objects.back());
            m_objects.pop_back();
            object.reset();
        }
        while (m_lights.size() > lights0) {
            m_lights.pop_back();
        }
        while (m_textures.size() > textures0) {
            m_textures.back()->ResetRefCount();
            m_textures.pop_back();
        }
        while (m_paks.size() > paks0) {
            m_paks.pop_back();
        }
        if (m_background.get() != background0) {
            ClearBackground();
        }
    }
    GetHost().SetStatusText("");
    view.Repaint();
    return ok;
}

void COGLScene::LoadRecords(BinaryReader& in, SceneViewLink& view, int version) {
    // Settings block: the colours go straight into the scene, the rest into locals.
    const std::uint8_t vwep = in.ReadU8();
    if (vwep == 1 && m_vwepEnabled == 0) {
        ShowMessage(msg::kSceneUsesVWep);
    }
    for (float& c : m_backgroundColor) {
        c = in.ReadF32();
    }
    m_ambient = ReadColor(in);
    const std::int32_t lightCount = in.ReadI32();
    const std::int32_t objectCount = in.ReadI32();
    const std::int32_t textureCount = in.ReadI32();
    const std::uint8_t shadows = in.ReadU8();
    std::array<std::int32_t, kMaxShadowLights> lightIndices{};
    std::array<std::int32_t, kMaxShadowPlanes> planeIndices{};
    for (std::int32_t& index : lightIndices) {
        index = in.ReadI32();
    }
    for (std::int32_t& index : planeIndices) {
        index = in.ReadI32();
    }
    m_shadowBlending = in.ReadU8();
    m_shadowOpacity = in.ReadF32();

    // Counts the rest of the file cannot hold are refused before anything is made.
    if (lightCount < 0 || objectCount < 0 || textureCount < 0) {
        throw ReadError("negative record count");
    }
    const std::int64_t viewRecord =
        static_cast<std::int64_t>(SceneViewLink::kCameraRecordSize) +
        (version >= SceneViewLink::kFirstVersionWithViewport ? SceneViewLink::kViewportRecordSize : 0);
    const std::int64_t least = 4 + 1 + viewRecord + textureCount * kTextureRecord + lightCount * kMinLightRecord +
                               objectCount * kMinObjectRecord;
    if (least > static_cast<std::int64_t>(in.Remaining())) {
        throw ReadError("record counts exceed the " + std::to_string(in.Remaining()) + " bytes left");
    }

    ProgressScope progress(msg::kLoading.text, textureCount + lightCount + objectCount + 4);
    progress.Step();

    // Pak list: the file's positions map to archives through m_filePaks, so the
    // stored indices stay right even when an archive is missing or was already listed.
    const std::size_t pakCount = in.CheckCount(in.ReadI32(), scene_format::kPathFieldSize);
    m_filePaks.reserve(pakCount);
    for (std::size_t i = 0; i < pakCount; ++i) {
        std::string path = in.ReadText(scene_format::kPathFieldSize);
        Archive* pak = nullptr;
        // A name without an archive's extension was a game folder, and is asked for as one.
        const int kind = IsArchiveExtension(fs_util::ExtensionOf(path)) ? FileLocator::Pak : FileLocator::Folder;
        if (!path.empty() && m_fileLocator->Locate(path, kind)) {
            pak = PakAt(AddPak(path));
        }
        if (pak == nullptr && !path.empty()) {
            ++m_loadSkipped;
        }
        m_filePaks.push_back(pak);
    }
    progress.Step();

    const auto pakAt = [this](int index) { return PakForFileIndex(index); };

    // Background image.
    if (in.ReadU8() == 1) {
        auto texture = std::make_unique<COGLTexture2D>();
        const bool found = texture->LoadRecord(in, pakAt, m_fileLocator.get(), FileLocator::Background);
        GetHost().MakeViewContextCurrent();
        if (found && texture->Load(m_textureFilterMode) && texture->IsBound()) {
            ClearBackground();
            m_background = std::move(texture);
            m_backgroundValid = 1;
            ApplyTextureParameters(*m_background);
        } else {
            ClearBackground();
            ++m_loadSkipped;
        }
    }
    progress.Step();

    view.LoadViewRecord(in, version);
    progress.Step();

    for (std::int32_t i = 0; i < textureCount; ++i) {
        auto texture = std::make_unique<COGLTexture2D>();
        if (texture->LoadRecord(in, pakAt, m_fileLocator.get(), FileLocator::Texture)) {
            GetHost().MakeViewContextCurrent();
            if (texture->Load(m_textureFilterMode) && texture->IsBound()) {
                AddTexture(std::move(texture));
            }
        }
        if (texture != nullptr) {
            ++m_loadSkipped;
        }
        progress.Step();
    }

    for (std::int32_t i = 0; i < lightCount; ++i) {
        const std::int32_t kind = in.ReadI32();
        // Made where a new light would stand, then overwritten by its record.
        std::unique_ptr<COGLLight> light;
        if (kind == scene_format::kPointLightKind) {
            light = std::make_unique<COGLPointLight>(0.0f, 1.0f, 3.0f);
        } else {
            light = std::make_unique<COGLSpotLight>(0.0f, 1.0f, 3.0f);
        }
        light->Load(in, version);
        AddLight(std::move(light));
        progress.Step();
    }

    // What each object record of the file made, for the extension area's blocks.
    std::vector<COGLObject*> fileObjects;
    fileObjects.reserve(static_cast<std::size_t>(objectCount));
    for (std::int32_t i = 0; i < objectCount; ++i) {
        const std::int32_t code = in.ReadI32();
        // A code with no class is skipped; nothing more of its record is read.
        auto object = CreateObject(code);
        if (object != nullptr && object->LoadFromScene(in, version, *this) && object->IsLoaded()) {
            fileObjects.push_back(AddObject(std::move(object)));
        } else {
            fileObjects.push_back(nullptr);
            ++m_loadSkipped;
        }
        progress.Step();
    }
    m_loadSkipped += ReadSceneExtensions(in, *this, fileObjects);

    // Indices past the end of the lists find nothing and are ignored.
    for (const std::int32_t index : lightIndices) {
        if (index >= 0) {
            AddShadowLight(LightAt(index));
        }
    }
    for (const std::int32_t index : planeIndices) {
        if (index >= 0) {
            AddShadowPlane(ObjectAt(index));
        }
    }
    EnableShadows(shadows == 1);
}
