#pragma once

// The studio model the Half-Life tests share, with values simple enough to work
// bone positions out by hand.

#include <cmath>

#include "support/StudioWriters.h"

namespace studio_fixtures {

using namespace fixtures;

inline constexpr float kQuarterTurnPerStep = 1.5707963f / 100.0f;  // raw 100 is a quarter turn

// Bones: 0 "root" (a root at (10, 0, 0)), 1 "child" of root at (0, 5, 0),
// 2 "head" (a second root at (0, 0, 20), its yaw on looping controller 0),
// 3 "jaw" of head at (1, 0, 0), its x on the mouth (0 to 4).
// Sequences: "walk" (5 frames, looping; root x runs 10, 20, 20, 30, 30 by
// repeats), "turn" (2 frames; root yaw 0 then a quarter turn), "aim" (one frame,
// blended by pitch -45..45: child x 0 in blend 0, 8 in blend 1), "g1" and "g2"
// in sequence groups 1 and 2 when `groups` (3 frames; root x 1, 2, 3 and 4, 5, 6).
// Two body parts (a strip and a fan), three textures: chrome, additive, masked,
// and two skin families.
inline StudioModelDef TestModel(bool groups = false) {
    StudioModelDef m;
    m.name = "test.mdl";
    StudioBoneDef root{"root", -1, {-1, -1, -1, -1, -1, -1}, {10, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, kQuarterTurnPerStep}};
    StudioBoneDef child{"child", 0, {-1, -1, -1, -1, -1, -1}, {0, 5, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1}};
    StudioBoneDef head{"head", -1, {-1, -1, -1, -1, -1, 0}, {0, 0, 20, 0, 0, 0}, {1, 1, 1, 1, 1, 1}};
    StudioBoneDef jaw{"jaw", 2, {1, -1, -1, -1, -1, -1}, {1, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1}};
    m.bones = {root, child, head, jaw};
    m.controllers = {{2, 0x20 | 0x8000, 0.0f, 360.0f, 0, 0}, {3, 0x1, 0.0f, 4.0f, 0, 4}};

    StudioSequenceDef walk;
    walk.label = "walk";
    walk.flags = 1;
    walk.frames = 5;
    walk.bbMin = {-8, -6, -2};
    walk.bbMax = {12, 7, 30};
    walk.blends[0].resize(4);
    walk.blends[0][0][0] = {StudioRun{3, {0, 10}}, StudioRun{2, {20}}};  // 0, 10, 10, 20, 20 (+10)
    StudioSequenceDef turn;
    turn.label = "turn";
    turn.frames = 2;
    turn.blends[0].resize(4);
    turn.blends[0][0][5] = RunLength({0, 100});
    StudioSequenceDef aim;
    aim.label = "aim";
    aim.frames = 1;
    aim.blends.assign(2, StudioBlendDef(4));
    aim.blends[1][1][0] = RunLength({8});
    aim.blendType[0] = 0x10;
    aim.blendStart[0] = -45.0f;
    aim.blendEnd[0] = 45.0f;
    m.sequences = {walk, turn, aim};
    if (groups) {
        m.groupCount = 3;
        for (int g = 1; g <= 2; ++g) {
            StudioSequenceDef s;
            s.label = "g" + std::to_string(g);
            s.frames = 3;
            s.group = g;
            s.blends[0].resize(4);
            const auto first = static_cast<std::int16_t>(3 * g - 2);
            s.blends[0][0][0] = RunLength({first, static_cast<std::int16_t>(first + 1), static_cast<std::int16_t>(first + 2)});
            m.sequences.push_back(s);
        }
    }

    StudioSubmodelDef strip;
    strip.name = "strip";
    strip.vertices = {{0, 0, 0}, {0, 4, 0}, {0, 0, 4}, {0, 4, 4}};
    strip.vertexBones = {0, 0, 1, 1};
    strip.normals = {{1, 0, 0}};
    strip.normalBones = {0};
    strip.meshes.push_back({0, {{false, {{0, 0, 0, 0}, {1, 0, 8, 0}, {2, 0, 0, 8}, {3, 0, 8, 8}}}}});
    StudioSubmodelDef fan;
    fan.name = "fan";
    fan.vertices = {{0, 0, 0}, {0, 2, 0}, {0, 2, 2}, {0, 0, 2}};
    fan.vertexBones = {2, 2, 3, 3};
    fan.normals = {{1, 0, 0}, {0, 0, 1}};
    fan.normalBones = {2, 3};
    fan.meshes.push_back({2, {{true, {{0, 0, 0, 0}, {1, 1, 8, 0}, {2, 1, 8, 8}, {3, 0, 0, 8}}}}});
    StudioSubmodelDef fanAlternative = fan;
    fanAlternative.name = "fan2";
    m.bodyParts = {{"body", 1, {strip}}, {"head", 1, {fan, fanAlternative}}};

    m.textures = {{"chrome.bmp", 0x2, 8, 8, {}, {}}, {"glow.bmp", 0x20, 8, 8, {}, {}}, {"mask.bmp", 0x40, 8, 8, {}, {}}};
    m.skinFamilies = {{0, 1, 2}, {2, 1, 0}};
    return m;
}

// The origin of a bone matrix.
template <typename Matrix>
Vector3 Origin(const Matrix& m) {
    return {m[0][3], m[1][3], m[2][3]};
}

}  // namespace studio_fixtures
