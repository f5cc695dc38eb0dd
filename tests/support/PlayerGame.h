#pragma once

// A Quake 2 installation in miniature whose players live where the game keeps
// them: "baseq2/pak0.pak" holds the game's male player with its visual weapons,
// the CTF flag and the game's palette; "baseq2/duke.pk3" a community player whose
// body names its skin in its header and whose skins carry a grey palette of their
// own; the mod "knightmod" beside baseq2 a third player as loose files. Written
// by the tests' own writers; header-only and free of the test framework, so
// benchmarks and tests share it.

#include <string>
#include <utility>
#include <vector>

#include "support/ArchiveWriters.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"

namespace fixtures {

using PlayerFiles = std::vector<std::pair<std::string, ByteBuffer>>;

// A box model whose frames are "<name>01".."<name>NN" for each run, `width`
// wide, standing `offset` beside the origin (a weapon beside its body).
inline ByteBuffer PlayerBox(const std::vector<std::pair<std::string, int>>& runs,
                            const std::vector<std::string>& skins = {}, float width = 10.0f, float offset = 0.0f) {
    const std::vector<std::string> frames = NumberedFrames(runs);
    std::vector<float> heights;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        heights.push_back(20.0f + static_cast<float>(i));
    }
    Md2Model m = MakeBoxModel(frames, heights, width);
    for (Md2Frame& frame : m.frames) {
        frame.translate[1] += offset;
    }
    m.skins = skins;
    return WriteMd2(m);
}

// The animations every body and weapon of the game has: stand (4), run (3), pain (2).
inline std::vector<std::pair<std::string, int>> PlayerRuns() { return {{"stand", 4}, {"run", 3}, {"pain", 2}}; }

// A palette of greys only, as many community skins carry.
inline Palette768 GreyPalette() {
    Palette768 p{};
    for (int i = 0; i < 256; ++i) {
        p[std::size_t(i) * 3 + 0] = p[std::size_t(i) * 3 + 1] = p[std::size_t(i) * 3 + 2] = static_cast<std::uint8_t>(i);
    }
    return p;
}

// An 8 x 8 skin of one palette index.
inline ByteBuffer PlayerSkin(std::uint8_t index, const Palette768& palette = DistinctPalette()) {
    return WritePcx(8, 8, Indices(64, index), palette);
}

// The game's male player: body (naming "players/male/grunt.pcx"), three body
// skins and two team skins, an inventory icon, the default weapon, two visual
// weapons with their pictures and the ammo model, and the CTF flag with its skins.
inline PlayerFiles MalePlayerFiles() {
    return {{"players/male/tris.md2", PlayerBox(PlayerRuns(), {"players/male/grunt.pcx"})},
            {"players/male/grunt.pcx", PlayerSkin(10)},
            {"players/male/cipher.pcx", PlayerSkin(20)},
            {"players/male/ctf_b.pcx", PlayerSkin(30)},
            {"players/male/ctf_r.pcx", PlayerSkin(40)},
            {"players/male/brian.pcx", PlayerSkin(50)},
            {"players/male/grunt_i.pcx", PlayerSkin(60)},
            {"players/male/weapon.md2", PlayerBox(PlayerRuns(), {"players/male/weapon.pcx"}, 3.0f, 9.0f)},
            {"players/male/weapon.pcx", PlayerSkin(70)},
            {"players/male/w_railgun.md2", PlayerBox(PlayerRuns(), {"players/male/w_railgun.pcx"}, 4.0f, 9.0f)},
            {"players/male/w_railgun.pcx", PlayerSkin(80)},
            {"players/male/w_blaster.md2", PlayerBox(PlayerRuns(), {"players/male/w_blaster.pcx"}, 2.0f, 9.0f)},
            {"players/male/w_blaster.pcx", PlayerSkin(90)},
            {"players/male/a_grenades.md2", PlayerBox(PlayerRuns(), {}, 1.0f, 9.0f)},
            {"players/male/flag1.md2", PlayerBox(PlayerRuns(), {"players/male/flag1.pcx"}, 5.0f, -9.0f)},
            {"players/male/flag1.pcx", PlayerSkin(100)},
            {"players/male/flag2.pcx", PlayerSkin(110)}};
}

// A community player as it comes in a pk3: its body names its skin, its skins
// carry a grey palette, its names come in any case.
inline PlayerFiles DukePlayerFiles() {
    return {{"players/duke/tris.md2", PlayerBox(PlayerRuns(), {"players/duke/duke.pcx"}, 12.0f)},
            {"players/duke/duke.pcx", PlayerSkin(120, GreyPalette())},
            {"players/duke/CTF_R.PCX", PlayerSkin(130, GreyPalette())},
            {"players/duke/Nukem.pcx", PlayerSkin(140, GreyPalette())},
            {"players/duke/WEAPON.MD2", PlayerBox(PlayerRuns(), {"players/duke/weapon.pcx"}, 3.0f, 9.0f)},
            {"players/duke/weapon.pcx", PlayerSkin(150, GreyPalette())},
            {"players/duke/w_blaster.md2", PlayerBox(PlayerRuns(), {}, 2.0f, 9.0f)}};
}

// A player of the mod, as loose files; it names no skin.
inline PlayerFiles KnightPlayerFiles() {
    return {{"players/knight/tris.md2", PlayerBox(PlayerRuns(), {}, 8.0f)},
            {"players/knight/knight.pcx", PlayerSkin(160)},
            {"players/knight/weapon.md2", PlayerBox(PlayerRuns(), {}, 3.0f, 9.0f)}};
}

// The game's palette, "pics/colormap.pcx": the distinct palette, so a skin drawn
// with it shows colours its own grey palette lacks.
inline ByteBuffer ColormapPicture() { return WritePcx(8, 8, Indices(64, 0), DistinctPalette()); }

// Writes the installation below `root` ("root/baseq2", "root/knightmod").
inline bool WritePlayerGame(const std::string& root) {
    PakBuilder pak0;
    for (const auto& [name, bytes] : MalePlayerFiles()) {
        pak0.Add(name, bytes);
    }
    pak0.Add("pics/colormap.pcx", ColormapPicture());
    ZipBuilder duke;
    for (const auto& [name, bytes] : DukePlayerFiles()) {
        duke.Add(name, bytes);
    }
    FolderBuilder folder;
    folder.Add("baseq2/pak0.pak", pak0.Build()).Add("baseq2/duke.pk3", duke.Build());
    for (const auto& [name, bytes] : KnightPlayerFiles()) {
        folder.Add("knightmod/" + name, bytes);
    }
    return folder.Write(root);
}

}  // namespace fixtures
