#pragma once

// Models, skins, player folders and paks for the model tests, written by the
// tests' own writers.

#include <string>
#include <utility>
#include <vector>

#include "support/MediaWriters.h"
#include "support/ModelWriters.h"
#include "support/TestSupport.h"

namespace model_fixtures {

// An 8 x 8 skin of one palette colour.
inline ByteBuffer Skin(std::uint8_t colour = 1) {
    return fixtures::WritePcx(8, 8, fixtures::Indices(64, colour), fixtures::DistinctPalette());
}

// A box model with the given frame names (heights 10, 11, 12, ... by frame).
inline ByteBuffer Box(const std::vector<std::string>& frames, const std::vector<std::string>& skins = {}) {
    std::vector<float> heights;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        heights.push_back(10.0f + static_cast<float>(i));
    }
    fixtures::Md2Model m = fixtures::MakeBoxModel(frames, heights);
    m.skins = skins;
    return fixtures::WriteMd2(m);
}

using Runs = std::vector<std::pair<std::string, int>>;

// A box model whose frames are "<name>01".."<name>NN" for each run.
inline ByteBuffer AnimatedBox(const Runs& runs, const std::vector<std::string>& skins = {}) {
    return Box(fixtures::NumberedFrames(runs), skins);
}

// The body's animations: stand (4 frames), run (3), pain (2).
inline Runs BodyRuns() { return {{"stand", 4}, {"run", 3}, {"pain", 2}}; }

struct PlayerFolder {
    std::string directory;  // with a trailing "/"
    std::string body;       // path of tris.md2
};

// A player folder: the body tris.md2 (no skins named), the skins male.pcx and
// Grunt.PCX, the images weapon.pcx and grunt_i.pcx that are not skins,
// weapon.md2 (stand and run), and with `vwep` w_blaster.md2 (stand only, 2
// frames), W_Shotgun.md2, a_grenades.md2 and the folder's own flag-less extras.
inline PlayerFolder WritePlayerFolder(const TempDir& dir, const std::string& name = "players/male", bool vwep = true) {
    PlayerFolder folder;
    folder.directory = dir.Path() + "/" + name + "/";
    folder.body = dir.Write(name + "/tris.md2", AnimatedBox(BodyRuns()));
    dir.Write(name + "/male.pcx", Skin(1));
    dir.Write(name + "/Grunt.PCX", Skin(2));
    dir.Write(name + "/weapon.pcx", Skin(3));
    dir.Write(name + "/grunt_i.pcx", Skin(4));
    dir.Write(name + "/weapon.md2", AnimatedBox({{"stand", 4}, {"run", 3}}, {"weapon.pcx"}));
    if (vwep) {
        dir.Write(name + "/w_blaster.md2", AnimatedBox({{"stand", 2}}));
        dir.Write(name + "/W_Shotgun.md2", AnimatedBox({{"stand", 4}, {"pain", 2}}));
        dir.Write(name + "/a_grenades.md2", AnimatedBox({{"stand", 4}}));
    }
    return folder;
}

// A VWep pak holding the CTF flag model and its two skins.
inline ByteBuffer FlagPak() {
    fixtures::PakBuilder pak;
    pak.Add("players/male/flag1.md2", AnimatedBox({{"stand", 4}, {"run", 3}}, {"players/male/flag1.pcx"}));
    pak.Add("players/male/flag1.pcx", Skin(5));
    pak.Add("players/male/flag2.pcx", Skin(6));
    return pak.Build();
}

}  // namespace model_fixtures
