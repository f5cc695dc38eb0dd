#include "models/quake2/COGLPlayer.h"

#include <algorithm>

#include "media/Archive.h"
#include "media/COGLTexture2D.h"
#include "models/quake2/PlayerFolders.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"

namespace {
// Steps of the progress displays, as the loading windows have always shown them.
constexpr int kSkinProgressSteps = 25;
constexpr int kWeaponProgressSteps = 95;
}  // namespace

COGLPlayer::COGLPlayer(COGLScene* scene) : COGLMD2(object_type::kPlayer, scene) {}

COGLPlayer::~COGLPlayer() = default;

void COGLPlayer::ClearWeapons() {
    m_weapon = nullptr;
    m_weapons.clear();
    m_flag.reset();
    m_showFlag = 0;
}

// --- Loading ---

bool COGLPlayer::LoadFile(const std::string& path, bool textureFlag) {
    ClearWeapons();
    m_headerSkinOption = 0;
    if (!COGLMD2::LoadFile(path, false)) {
        return false;
    }
    LoadPlayerSkins(textureFlag ? 1 : 0);
    LoadWeapons();
    return true;
}

bool COGLPlayer::LoadFromPak(Archive* pak, const PakEntry& entry, bool textureFlag) {
    ClearWeapons();
    // The game draws its players' 8-bit skins with its own palette, whatever
    // palette a skin carries (many community skins carry a grey one).
    const std::uint8_t option = pak != nullptr && (pak->Kind() == ArchiveKind::Game || pak->GamePalette() != nullptr)
                                    ? std::uint8_t{1}
                                    : std::uint8_t{textureFlag ? std::uint8_t{1} : std::uint8_t{0}};
    m_headerSkinOption = option;
    if (!COGLMD2::LoadFromPak(pak, entry, false)) {
        return false;
    }
    LoadPlayerSkins(option);
    LoadWeapons();
    return true;
}

std::vector<std::string> COGLPlayer::FindCompanions(const std::string& pattern) const {
    return fs_util::FindFiles(m_directory.empty() ? std::string("./") : m_directory, pattern);
}

std::vector<std::string> COGLPlayer::FindWeaponModels() const {
    if (m_pak != nullptr) {
        std::vector<std::string> models;
        for (const PakEntry* weapon : FindPlayer(*m_pak, m_directory).weapons) {
            if (!fs_util::EqualsIgnoreCase(PlayerWeaponName(weapon->name), kDefaultWeaponName)) {
                models.push_back(weapon->name);
            }
        }
        return models;
    }
    std::vector<std::string> models = FindCompanions("w_*.md2");
    const std::vector<std::string> ammo = FindCompanions("a_*.md2");
    models.insert(models.end(), ammo.begin(), ammo.end());
    return models;
}

bool COGLPlayer::IsBodySkin(const std::string& path, const std::vector<std::string>& weaponModels) {
    const std::string title = fs_util::FileTitleOf(path);
    const bool inventoryIcon = title.size() >= 2 && fs_util::EqualsIgnoreCase(title.substr(title.size() - 2), "_i");
    const bool weaponSkin = std::any_of(weaponModels.begin(), weaponModels.end(), [&](const std::string& model) {
        return fs_util::EqualsIgnoreCase(fs_util::FileTitleOf(model), title);
    });
    return !fs_util::EqualsIgnoreCase(title, "weapon") && !inventoryIcon && !weaponSkin;
}

std::function<bool(const std::string&)> COGLPlayer::SavedSkinFilter() const {
    return [weaponModels = FindWeaponModels()](const std::string& path) { return IsBodySkin(path, weaponModels); };
}

std::vector<std::string> COGLPlayer::FindBodySkins() const {
    std::vector<std::string> skins;
    if (m_pak != nullptr) {
        for (const PakEntry* skin : FindPlayer(*m_pak, m_directory).skins) {
            skins.push_back(skin->name);
        }
        return skins;
    }
    const std::vector<std::string> weaponModels = FindWeaponModels();
    for (const std::string& path : FindCompanions("*.pcx")) {
        if (IsBodySkin(path, weaponModels)) {
            skins.push_back(path);
        }
    }
    return skins;
}

void COGLPlayer::LoadPlayerSkins(std::uint8_t loadOption) {
    ProgressScope progress(msg::kLoadingSkins.text, kSkinProgressSteps);
    if (m_scene == nullptr) {
        return;
    }
    std::vector<std::string> failed;
    for (const std::string& path : FindBodySkins()) {
        progress.Step();
        const bool named = std::any_of(m_skins.begin(), m_skins.end(), [&](const COGLTexture2D* held) {
            return m_pak != nullptr ? fs_util::EqualsIgnoreCase(held->Path(), path) : held->Path() == path;
        });
        if (named) {
            continue;  // the body's file named it already
        }
        COGLTexture2D* skin = m_scene->LoadSkinTexture(path, m_pak, m_directory, loadOption, false);
        if (skin != nullptr) {
            AdoptSkin(skin);
        } else if (m_pak != nullptr) {
            failed.push_back(fs_util::FileNameOf(path));
        }
    }
    if (!failed.empty()) {
        std::string names;
        for (const std::string& name : failed) {
            names += (names.empty() ? "" : ", ") + name;
        }
        ShowMessage(FormatMessage(msg::kPlayerSkinsFailed, m_directory + " (" + names + ")"));
    }
}

std::unique_ptr<COGLMD2> COGLPlayer::MakeWeapon(const std::string& path, const std::string& name) const {
    auto weapon = std::make_unique<COGLMD2>(m_scene);
    if (m_pak != nullptr) {
        const PakEntry* entry = m_pak->FindEntry(path);
        if (entry == nullptr) {
            return nullptr;
        }
        weapon->SetPakSource(m_pak, entry->name);
        weapon->SetHeaderSkinOption(m_headerSkinOption);  // the body's palette
    } else if (!weapon->SetFilePath(path)) {
        return nullptr;
    }
    weapon->SetName(name);
    weapon->SetTextureFlag(1);
    return weapon;
}

void COGLPlayer::LoadWeapons() {
    ClearWeapons();
    if (m_pak != nullptr) {
        // A player from the game's archives carries its visual weapons there, as
        // the game shows them: no separate set-up is needed for them.
        for (const PakEntry* entry : FindPlayer(*m_pak, m_directory).weapons) {
            if (auto weapon = MakeWeapon(entry->name, PlayerWeaponName(entry->name))) {
                m_weapons.push_back(std::move(weapon));
            }
        }
        AttachFlag();
        return;
    }
    if (auto weapon = MakeWeapon(m_directory + kDefaultWeaponFile, kDefaultWeaponName)) {
        m_weapons.push_back(std::move(weapon));
    }
    LoadVWepWeapons();
}

void COGLPlayer::LoadVWepWeapons() {
    if (m_scene == nullptr || !m_scene->VWepEnabled()) {
        return;
    }
    ProgressScope progress(msg::kLoadingWeapons.text, kWeaponProgressSteps);
    for (const std::string& path : FindWeaponModels()) {
        if (auto weapon = MakeWeapon(path, fs_util::FileTitleOf(path))) {
            m_weapons.push_back(std::move(weapon));
        }
        progress.Step();
    }
    AttachFlag();
}

Archive* COGLPlayer::FlagArchive() const {
    const auto holdsFlag = [](Archive* archive) { return archive != nullptr && archive->FindEntry(kFlagModel) != nullptr; };
    if (m_scene != nullptr && m_scene->VWepEnabled() && m_scene->VWepPak() != nullptr) {
        return holdsFlag(m_scene->VWepPak()) ? m_scene->VWepPak() : nullptr;
    }
    if (holdsFlag(m_pak)) {
        return m_pak;
    }
    // A game in the scene's list that carries the flag serves as the VWep source.
    if (m_scene != nullptr) {
        for (int i = 0; i < m_scene->PakCount(); ++i) {
            if (holdsFlag(m_scene->PakAt(i))) {
                return m_scene->PakAt(i);
            }
        }
    }
    return nullptr;
}

Archive* COGLPlayer::FlagSkinArchive() const {
    const auto holdsSkins = [](const Archive* archive) {
        return archive != nullptr && archive->FindEntry(kFlagSkin1) != nullptr &&
               archive->FindEntry(kFlagSkin2) != nullptr;
    };
    if (m_scene != nullptr && m_scene->CTFPak() != nullptr) {
        return holdsSkins(m_scene->CTFPak()) ? m_scene->CTFPak() : nullptr;
    }
    Archive* flag = m_flag != nullptr ? m_flag->Pak() : nullptr;
    return holdsSkins(flag) ? flag : nullptr;
}

void COGLPlayer::AttachFlag() {
    Archive* source = FlagArchive();
    const PakEntry* entry = source != nullptr ? source->FindEntry(kFlagModel) : nullptr;
    if (entry != nullptr) {
        m_flag = std::make_unique<COGLMD2>(m_scene);
        m_flag->SetPakSource(source, entry->name);
        m_flag->SetTextureFlag(1);
        HideFlag();
    }
}

// --- Weapons and flag ---

bool COGLPlayer::ReadPart(COGLMD2& part) {
    if (part.IsReady()) {
        return true;
    }
    const std::string name = part.Name();
    bool ok = false;
    if (Archive* pak = part.Pak()) {
        const PakEntry* entry = pak->FindEntry(part.FilePath());
        ok = entry != nullptr && part.LoadFromPak(pak, *entry, true);
    } else {
        ok = part.LoadFile(part.FilePath(), true);
    }
    part.SetName(name);
    return ok;
}

bool COGLPlayer::SetWeapon(COGLMD2* weapon) {
    if (weapon == nullptr) {
        m_weapon = nullptr;
        return true;
    }
    if (!ReadPart(*weapon)) {
        return false;
    }
    if (weapon->GetFrameCount() != m_frameCount) {
        // It still follows the body; past its own frames it hides.
        GetHost().SetStatusText(FormatMessage(msg::kWeaponFramesDiffer, weapon->FilePath()));
    }
    m_weapon = weapon;
    CopyStateTo(*weapon);
    return true;
}

bool COGLPlayer::SetFirstWeapon() {
    if (m_weapons.empty()) {
        return false;
    }
    SetWeapon(m_weapons.front().get());
    return true;
}

int COGLPlayer::CurrentWeaponIndex() const {
    for (std::size_t i = 0; i < m_weapons.size(); ++i) {
        if (m_weapons[i].get() == m_weapon) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void COGLPlayer::CopyStateTo(COGLMD2& model) const {
    model.SetAmbient(m_ambient.red, m_ambient.green, m_ambient.blue, m_ambient.alpha);
    model.SetDiffuse(m_diffuse.red, m_diffuse.green, m_diffuse.blue, m_diffuse.alpha);
    model.SetSpecular(m_specular.red, m_specular.green, m_specular.blue, m_specular.alpha);
    model.SetEmission(m_emission.red, m_emission.green, m_emission.blue, m_emission.alpha);
    model.SetShininess(m_shininess);
    model.SetTransparent(IsTransparent());
    model.SetScale(m_scale.x, m_scale.y, m_scale.z);
    model.SetPosition(m_position.x, m_position.y, m_position.z);
    model.SetOrientation(m_orientation);
    model.SetTextureEnvMode(m_textureEnvMode);
    model.SetVisible(IsVisible());
    model.SetVerticalOffset(m_verticalOffset);
    model.SetInvertNormals(m_invertNormals != 0);
    model.SelectAnimationByName(m_animation != nullptr ? m_animation->name : std::string());
    // Choosing an animation shows the model; a hidden body keeps its parts hidden.
    if (!IsVisible()) {
        model.Hide();
    }
    model.SetFrameState(m_frameIndex, m_nextFrameIndex, m_lerp);
    if (m_texture == nullptr) {
        model.SetTexture(nullptr);
    } else if (model.Texture() == nullptr) {
        model.ApplyFirstSkin();
    }
}

void COGLPlayer::ShowFlag() {
    if (m_flag == nullptr) {
        return;
    }
    if (!m_flag->IsReady()) {
        if (!ReadPart(*m_flag)) {
            return;
        }
        CopyStateTo(*m_flag);
    }
    m_showFlag = 1;
    m_flag->Show();
}

COGLPlayer::FlagSource COGLPlayer::FlagAvailability() const {
    if (m_flag == nullptr) {
        return FlagSource::NoModel;
    }
    return FlagSkinArchive() != nullptr ? FlagSource::Ready : FlagSource::NoSkins;
}

void COGLPlayer::HideFlag() {
    if (m_flag != nullptr) {
        m_showFlag = 0;
        m_flag->Hide();
    }
}

// --- Pass-through operations ---

void COGLPlayer::SetAmbient(float r, float g, float b, float a) {
    COGLMD2::SetAmbient(r, g, b, a);
    ForEachPart([&](COGLMD2& part) { part.SetAmbient(r, g, b, a); });
}

void COGLPlayer::SetAmbientAlpha(float a) {
    COGLMD2::SetAmbientAlpha(a);
    ForEachPart([&](COGLMD2& part) { part.SetAmbientAlpha(a); });
}

void COGLPlayer::SetDiffuse(float r, float g, float b, float a) {
    COGLMD2::SetDiffuse(r, g, b, a);
    ForEachPart([&](COGLMD2& part) { part.SetDiffuse(r, g, b, a); });
}

void COGLPlayer::SetDiffuseAlpha(float a) {
    COGLMD2::SetDiffuseAlpha(a);
    ForEachPart([&](COGLMD2& part) { part.SetDiffuseAlpha(a); });
}

void COGLPlayer::SetSpecular(float r, float g, float b, float a) {
    COGLMD2::SetSpecular(r, g, b, a);
    ForEachPart([&](COGLMD2& part) { part.SetSpecular(r, g, b, a); });
}

void COGLPlayer::SetSpecularAlpha(float a) {
    COGLMD2::SetSpecularAlpha(a);
    ForEachPart([&](COGLMD2& part) { part.SetSpecularAlpha(a); });
}

void COGLPlayer::SetEmission(float r, float g, float b, float a) {
    COGLMD2::SetEmission(r, g, b, a);
    ForEachPart([&](COGLMD2& part) { part.SetEmission(r, g, b, a); });
}

void COGLPlayer::SetEmissionAlpha(float a) {
    COGLMD2::SetEmissionAlpha(a);
    ForEachPart([&](COGLMD2& part) { part.SetEmissionAlpha(a); });
}

void COGLPlayer::SetShininess(float shininess) {
    COGLMD2::SetShininess(shininess);
    ForEachPart([&](COGLMD2& part) { part.SetShininess(shininess); });
}

void COGLPlayer::SetTransparent(bool transparent) {
    COGLMD2::SetTransparent(transparent);
    ForEachPart([&](COGLMD2& part) { part.SetTransparent(transparent); });
}

void COGLPlayer::Rotate(const Vector3& axis, float degrees) {
    COGLMD2::Rotate(axis, degrees);
    ForEachPart([&](COGLMD2& part) { part.Rotate(axis, degrees); });
}

void COGLPlayer::SetScale(float x, float y, float z) {
    COGLMD2::SetScale(x, y, z);
    ForEachPart([&](COGLMD2& part) { part.SetScale(x, y, z); });
}

void COGLPlayer::SetScaleX(float x) {
    COGLMD2::SetScaleX(x);
    ForEachPart([&](COGLMD2& part) { part.SetScaleX(x); });
}

void COGLPlayer::SetScaleY(float y) {
    COGLMD2::SetScaleY(y);
    ForEachPart([&](COGLMD2& part) { part.SetScaleY(y); });
}

void COGLPlayer::SetScaleZ(float z) {
    COGLMD2::SetScaleZ(z);
    ForEachPart([&](COGLMD2& part) { part.SetScaleZ(z); });
}

void COGLPlayer::MoveBy(float dx, float dy, float dz) {
    COGLMD2::MoveBy(dx, dy, dz);
    ForEachPart([&](COGLMD2& part) { part.MoveBy(dx, dy, dz); });
}

void COGLPlayer::SetPosition(float x, float y, float z) {
    COGLMD2::SetPosition(x, y, z);
    ForEachPart([&](COGLMD2& part) { part.SetPosition(x, y, z); });
}

void COGLPlayer::SetPositionX(float x) {
    COGLMD2::SetPositionX(x);
    ForEachPart([&](COGLMD2& part) { part.SetPositionX(x); });
}

void COGLPlayer::SetPositionY(float y) {
    COGLMD2::SetPositionY(y);
    ForEachPart([&](COGLMD2& part) { part.SetPositionY(y); });
}

void COGLPlayer::SetPositionZ(float z) {
    COGLMD2::SetPositionZ(z);
    ForEachPart([&](COGLMD2& part) { part.SetPositionZ(z); });
}

void COGLPlayer::SetTextureEnvMode(int mode) {
    COGLMD2::SetTextureEnvMode(mode);
    ForEachPart([&](COGLMD2& part) { part.SetTextureEnvMode(mode); });
}

void COGLPlayer::Show() {
    COGLMD2::Show();
    ForEachPart([](COGLMD2& part) { part.Show(); });
}

void COGLPlayer::Hide() {
    COGLMD2::Hide();
    ForEachPart([](COGLMD2& part) { part.Hide(); });
}

void COGLPlayer::SetOrientation(const Quaternion& orientation) {
    COGLMD2::SetOrientation(orientation);
    ForEachPart([&](COGLMD2& part) { part.SetOrientation(orientation); });
}

void COGLPlayer::SaveEditState(BinaryWriter& out) const {
    COGLMD2::SaveEditState(out);
    out.WriteI32(CurrentWeaponIndex());
    out.WriteU8(m_showFlag);
}

void COGLPlayer::RestoreEditState(BinaryReader& in) {
    COGLMD2::RestoreEditState(in);
    const int index = in.ReadI32();
    if (index != CurrentWeaponIndex()) {
        // A weapon shown before was read then, so going back to it reads nothing.
        SetWeapon(index >= 0 && static_cast<std::size_t>(index) < m_weapons.size()
                      ? m_weapons[static_cast<std::size_t>(index)].get()
                      : nullptr);
    }
    if (const bool flag = in.ReadU8() != 0; flag != FlagShown()) {
        flag ? ShowFlag() : HideFlag();
    }
}

void COGLPlayer::SetInvertNormals(bool invert) {
    COGLMD2::SetInvertNormals(invert);
    ForEachPart([&](COGLMD2& part) { part.SetInvertNormals(invert); });
}

// --- Drawing and animation ---

void COGLPlayer::Draw(int flags) {
    // The frame may have been set without a tick (the frame control, a pose):
    // the parts take the body's before the three are drawn as one.
    FollowBody();
    COGLMD2::Draw(flags);
    if (m_weapon != nullptr) {
        m_weapon->Draw(flags);
    }
    if (m_flag != nullptr && m_showFlag != 0) {
        m_flag->Draw(flags);
    }
}

void COGLPlayer::SetAnimation(ModelAnimation* animation) {
    COGLMD2::SetAnimation(animation);
    const std::string name = m_animation != nullptr ? m_animation->name : std::string();
    ForEachPart([&](COGLMD2& part) { part.SelectAnimationByName(name); });
}

void COGLPlayer::SetTexture(COGLTexture2D* texture) {
    COGLMD2::SetTexture(texture);
    ForEachPart([&](COGLMD2& part) {
        if (texture != nullptr && !part.Skins().empty()) {
            part.SetTexture(part.Skins().front());
        } else {
            part.SetTexture(nullptr);
        }
    });
}

void COGLPlayer::AdvanceFrame() {
    COGLMD2::AdvanceFrame();
    FollowBody();
}

void COGLPlayer::FollowBody() {
    const auto follow = [this](COGLMD2& part) {
        const ModelAnimation* animation = part.GetAnimation();
        // Past the end of the part's own animation there is nothing of it to show.
        if (animation != nullptr && m_frameIndex < animation->frameCount && IsVisible()) {
            part.Show();
            part.SetFrameState(m_frameIndex, m_nextFrameIndex, m_lerp);
        } else {
            part.Hide();
        }
    };
    if (m_weapon != nullptr) {
        follow(*m_weapon);
    }
    if (m_flag != nullptr && m_showFlag != 0) {
        follow(*m_flag);
    }
}

// --- Copy and scene record ---

void COGLPlayer::CopyFrom(const COGLObject& other) {
    COGLMD2::CopyFrom(other);
    const auto* source = dynamic_cast<const COGLPlayer*>(&other);
    if (source == nullptr || source == this) {
        return;
    }
    ClearWeapons();
    COGLMD2* current = nullptr;
    for (const auto& weapon : source->m_weapons) {
        auto copy = std::make_unique<COGLMD2>(m_scene);
        copy->CopyFrom(*weapon);
        copy->SetName(weapon->Name());
        if (weapon.get() == source->m_weapon) {
            current = copy.get();
        }
        m_weapons.push_back(std::move(copy));
    }
    if (source->m_flag != nullptr) {
        m_flag = std::make_unique<COGLMD2>(m_scene);
        m_flag->CopyFrom(*source->m_flag);
        m_flag->SetName(source->m_flag->Name());
        m_showFlag = source->m_showFlag;
    }
    SetWeapon(current);
}

void COGLPlayer::Save(BinaryWriter& out, int textureIndex) const {
    COGLMD2::Save(out, textureIndex);
    out.WriteU8(m_flag != nullptr ? m_showFlag : 0);
    const COGLTexture2D* flagTexture = m_flag != nullptr ? m_flag->Texture() : nullptr;
    out.WriteU8(flagTexture != nullptr && fs_util::EqualsIgnoreCase(flagTexture->Name(), "flag1") ? 1 : 0);
    out.WriteI32(CurrentWeaponIndex());
}

bool COGLPlayer::LoadFromScene(BinaryReader& in, int version, COGLScene& scene) {
    COGLMD2::LoadFromScene(in, version, scene);
    const std::uint8_t flagShown = in.ReadU8();
    const std::uint8_t firstFlagSkin = in.ReadU8();
    const std::int32_t weaponIndex = in.ReadI32();
    if (m_loaded == 0) {
        return true;
    }
    if (m_flag != nullptr && flagShown != 0) {
        ShowFlag();
        const char* name = firstFlagSkin != 0 ? kFlagSkin1 : kFlagSkin2;
        COGLTexture2D* skin = scene.FindSkinTexture(name);
        if (skin == nullptr && FlagSkinArchive() != nullptr) {
            skin = scene.LoadSkinTexture(name, FlagSkinArchive(), std::string(), 0, false);
        }
        if (skin != nullptr) {
            m_flag->AdoptSkin(skin);
            m_flag->SetTexture(skin);
        }
    }
    if (weaponIndex < 0) {
        SetWeapon(nullptr);
    } else if (static_cast<std::size_t>(weaponIndex) < m_weapons.size()) {
        SetWeapon(m_weapons[static_cast<std::size_t>(weaponIndex)].get());
    } else {
        // Saved with weapons this installation does not list (visual weapons off):
        // the default weapon stands in.
        SetFirstWeapon();
    }
    return true;
}
