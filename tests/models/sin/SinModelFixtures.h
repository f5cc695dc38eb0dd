#pragma once

// SiN models for the model tests: a box with two groups, two animations and two
// skins, written by the tests' own writers to a folder or into a ".sin" archive.

#include <string>
#include <utility>
#include <vector>

#include "support/MediaWriters.h"
#include "support/SinWriters.h"
#include "support/TestSupport.h"

namespace sin_fixtures {

// An 8 x 8 truecolour skin of one colour (R, G, B).
inline ByteBuffer TgaSkin(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    ByteBuffer bgr;
    for (int i = 0; i < 64; ++i) {
        bgr.insert(bgr.end(), {b, g, r});
    }
    return fixtures::WriteTga(8, 8, bgr, fixtures::TgaOptions{});
}

// idle: 3 frames, 10, 11 and 12 high; grow: 2 frames, 20 and 30 high.
inline ByteBuffer IdleAnimation() { return fixtures::WriteSam(fixtures::MakeSinBoxAnimation("idle", {10, 11, 12})); }
inline ByteBuffer GrowAnimation() { return fixtures::WriteSam(fixtures::MakeSinBoxAnimation("grow", {20, 30})); }
inline ByteBuffer BoxModel() { return fixtures::WriteSbm(fixtures::MakeSinBoxModel()); }

// The definition: prefix models/box, scale 2, two skins (the first named "grey"),
// the animations idle, grow and one whose file is missing, group 2 two-sided.
inline std::string BoxDefinition() {
    return fixtures::SinDefText({"// a test box", "path models/box", "scale 2", "box.sbm", "grey box_grey.tga",
                                 "box_red.tga", "idle idle.sam", "grow.sam", "gone gone.sam", "id 1 sides",
                                 "id 2 lids twosided"});
}

// Every file of the box as (game path, bytes).
inline std::vector<std::pair<std::string, ByteBuffer>> BoxFiles() {
    const std::string def = BoxDefinition();
    return {{"models/box/box.def", ByteBuffer(def.begin(), def.end())},
            {"models/box/box.sbm", BoxModel()},
            {"models/box/idle.sam", IdleAnimation()},
            {"models/box/grow.sam", GrowAnimation()},
            {"models/box/box_grey.tga", TgaSkin(128, 128, 128)},
            {"models/box/box_red.tga", TgaSkin(200, 0, 0)}};
}

// Writes the box under `dir` (as an unpacked game folder) and returns the
// definition's path.
inline std::string WriteBoxFolder(const TempDir& dir, const std::string& root = "game") {
    for (const auto& [name, bytes] : BoxFiles()) {
        dir.Write(root + "/" + name, bytes);
    }
    return dir.File(root + "/models/box/box.def");
}

inline ByteBuffer BoxPak() {
    fixtures::PakBuilder pak(true);
    for (const auto& [name, bytes] : BoxFiles()) {
        pak.Add(name, bytes);
    }
    return pak.Build();
}

}  // namespace sin_fixtures
