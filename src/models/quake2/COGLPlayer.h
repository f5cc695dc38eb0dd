#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/quake2/COGLMD2.h"

// A Quake 2 player: the body model of a player directory with every skin found
// beside it, the weapon models that follow the body's animation ("weapon.md2" and,
// with visual weapons on, every "w_*.md2" and "a_*.md2"), and the CTF flag from
// the scene's VWep pak. Whatever is done to the body is done to the current weapon
// and the flag too, so the three move and draw as one.
//
// A player read from an archive or a game folder finds its skins and weapons among
// the entries of the same folder, as the game's stack resolves them, and lists its
// visual weapons whatever the VWep option: the game carries them there.
class COGLPlayer : public COGLMD2 {
public:
    static constexpr const char* kDefaultWeaponFile = "weapon.md2";
    static constexpr const char* kDefaultWeaponName = "default";
    static constexpr const char* kFlagModel = "players/male/flag1.md2";
    static constexpr const char* kFlagSkin1 = "players/male/flag1.pcx";
    static constexpr const char* kFlagSkin2 = "players/male/flag2.pcx";

    explicit COGLPlayer(COGLScene* scene = nullptr);
    ~COGLPlayer() override;

    // Reads the body, then its skins (with `textureFlag` as their load option:
    // the default palette for player skins), then lists the weapons.
    bool LoadFile(const std::string& path, bool textureFlag) override;
    bool LoadFromPak(Archive* pak, const PakEntry& entry, bool textureFlag) override;
    void LoadWeapons();
    void LoadVWepWeapons();

    // Makes `weapon` (one of Weapons(), or nullptr for none) current, reading its
    // model first if that has not happened yet. False, with the current weapon
    // left as it was, when it cannot be read.
    bool SetWeapon(COGLMD2* weapon);
    bool SetFirstWeapon();
    // A player opened shows its first weapon.
    void FinishOpening() override { SetFirstWeapon(); }
    // Gives `model` the body's material, placement, visibility, animation and frame.
    void CopyStateTo(COGLMD2& model) const;
    void ShowFlag();
    void HideFlag();
    // What the CTF flag needs: its model, from the VWep pak with visual weapons on,
    // and its two skins, from the scene's CTF pak.
    enum class FlagSource { Ready, NoModel, NoSkins };
    FlagSource FlagAvailability() const;

    const std::vector<std::unique_ptr<COGLMD2>>& Weapons() const { return m_weapons; }
    COGLMD2* CurrentWeapon() const { return m_weapon; }
    COGLMD2* Flag() const { return m_flag.get(); }
    bool FlagShown() const { return m_showFlag != 0; }
    // Position of the current weapon in Weapons(), or -1.
    int CurrentWeaponIndex() const;

    // --- Passed on to the current weapon and the flag after the body ---
    void SetAmbient(float r, float g, float b, float a) override;
    void SetAmbientAlpha(float a) override;
    void SetDiffuse(float r, float g, float b, float a) override;
    void SetDiffuseAlpha(float a) override;
    void SetSpecular(float r, float g, float b, float a) override;
    void SetSpecularAlpha(float a) override;
    void SetEmission(float r, float g, float b, float a) override;
    void SetEmissionAlpha(float a) override;
    void SetShininess(float shininess) override;
    void SetTransparent(bool transparent) override;
    // RotateX, RotateY and RotateZ come here.
    void Rotate(const Vector3& axis, float degrees) override;
    void SetOrientation(const Quaternion& orientation) override;
    // With the weapon shown and the flag.
    void SaveEditState(BinaryWriter& out) const override;
    void RestoreEditState(BinaryReader& in) override;
    void SetScale(float x, float y, float z) override;
    void SetScaleX(float x) override;
    void SetScaleY(float y) override;
    void SetScaleZ(float z) override;
    void MoveBy(float dx, float dy, float dz) override;
    void SetPosition(float x, float y, float z) override;
    void SetPositionX(float x) override;
    void SetPositionY(float y) override;
    void SetPositionZ(float z) override;
    void SetTextureEnvMode(int mode) override;
    // SetVisible comes here.
    void Show() override;
    void Hide() override;
    void SetInvertNormals(bool invert) override;

    void Draw(int flags) override;
    void SetAnimation(ModelAnimation* animation) override;
    void SetTexture(COGLTexture2D* texture) override;
    void AdvanceFrame() override;
    void CopyFrom(const COGLObject& other) override;
    void Save(BinaryWriter& out, int textureIndex) const override;
    bool LoadFromScene(BinaryReader& in, int version, COGLScene& scene) override;

protected:
    // Records written before the weapons' pictures were told apart list them as
    // the body's skins; only the one the body wears comes back.
    std::function<bool(const std::string& path)> SavedSkinFilter() const override;

private:
    // The weapon and the shown flag take the body's frame, or hide past their own end.
    void FollowBody();
    // Forgets the weapons and the flag.
    void ClearWeapons();
    void LoadPlayerSkins(std::uint8_t loadOption);
    // Files of the body's folder on disk matching `pattern`, sorted.
    std::vector<std::string> FindCompanions(const std::string& pattern) const;
    // The body's pictures: the folder's on disk, or the winners of its archive.
    std::vector<std::string> FindBodySkins() const;
    // Where the CTF flag's model comes from: the VWep pak when one is set, else
    // the player's own archive or the first of the scene's list that holds it.
    Archive* FlagArchive() const;
    // Where the flag's two skins come from: the CTF pak when one is set, else the
    // flag model's own archive; nullptr when that lacks them.
    Archive* FlagSkinArchive() const;
    // Lists the flag, hidden, when FlagArchive() has one.
    void AttachFlag();
    // The folder's visual weapon models: every "w_*.md2", then every "a_*.md2".
    std::vector<std::string> FindWeaponModels() const;
    // Whether the picture at `path` is the body's: not "weapon", not an inventory
    // icon ("_i"), and not a weapon's own skin (its title is that of one of
    // `weaponModels`).
    static bool IsBodySkin(const std::string& path, const std::vector<std::string>& weaponModels);
    // A weapon entry for `path` with nothing read yet; nullptr when it does not exist.
    std::unique_ptr<COGLMD2> MakeWeapon(const std::string& path, const std::string& name) const;
    // Reads a weapon's or the flag's model if that has not happened; keeps its name.
    static bool ReadPart(COGLMD2& part);
    // Calls `f` with the current weapon and the flag, those that exist.
    template <typename F>
    void ForEachPart(F f) {
        if (m_weapon != nullptr) {
            f(*m_weapon);
        }
        if (m_flag != nullptr) {
            f(*m_flag);
        }
    }

    std::vector<std::unique_ptr<COGLMD2>> m_weapons;
    std::uint8_t m_showFlag = 0;
    COGLMD2* m_weapon = nullptr;  // one of m_weapons, or none
    std::unique_ptr<COGLMD2> m_flag;
};
