#pragma once

#include <array>
#include <vector>

#include "math/Quaternion.h"
#include "math/Vector3.h"

struct StudioData;

// A bone's place in the model: three rows of rotation with the translation in
// the fourth column.
using BoneMatrix = std::array<std::array<float, 4>, 3>;

// Where a studio model stands in its animation. Controller and mouth values are
// in the controllers' own units (degrees for rotations). blend[0] is the
// fraction of blend 1 mixed into blend 0 (and of 3 into 2 for four blends);
// blend[1] mixes the second pair into the first.
struct StudioPose {
    int sequence = 0;
    float frame = 0.0f;
    std::array<float, 4> controllers{};
    float mouth = 0.0f;
    std::array<float, 2> blend{};
    int body = 0;  // the body value choosing each part's submodel
};

// A bone's place relative to its parent (its model-space place for a root).
struct BoneState {
    Quaternion rotation;
    Vector3 position;
};

// Rotation from angles in radians about x, y and z (applied z, then y, then x).
Quaternion AngleQuaternion(const Vector3& angles);
// Spherical interpolation from p (t = 0) to q (t = 1) along the shorter arc.
Quaternion QuaternionSlerp(const Quaternion& p, const Quaternion& q, float t);
BoneMatrix QuaternionMatrix(const Quaternion& q, const Vector3& position);
BoneMatrix ConcatTransforms(const BoneMatrix& parent, const BoneMatrix& local);
Vector3 TransformPoint(const BoneMatrix& m, const Vector3& p);
Vector3 RotateVector(const BoneMatrix& m, const Vector3& v);
// The vector through the inverse of the rotation (its transpose).
Vector3 InverseRotateVector(const BoneMatrix& m, const Vector3& v);

// The value a controller adds to its bone channel for the pose's setting: a
// looping controller wraps into [start, start + 360), any other is held between
// start and end; rotations come out in radians.
float ControllerAdjustment(const StudioData& data, int controller, const StudioPose& pose);

// Every bone relative to its parent for the pose (the frame is clamped to the
// sequence; two or three blends mix 0 and 1 by blend[0], four or more mix
// (0, 1) and (2, 3) by blend[0] and the two results by blend[1]); identities
// when the model has no sequences.
void PoseBones(const StudioData& data, const StudioPose& pose, std::vector<BoneState>& out);
// The model-space transform of every bone for the pose: PoseBones chained from the roots.
void SetUpBones(const StudioData& data, const StudioPose& pose, std::vector<BoneMatrix>& out);

// SetUpBones for a model that follows another (a weapon on a player): bone b
// takes `leader[map[b]]` where map[b] names one of the leader's bones, and the
// others are chained from their parents (merged or not) as usual. `map` holds a
// value per bone of `data`; an entry outside `leader` counts as -1.
void SetUpMergedBones(const StudioData& data, const StudioPose& pose, const std::vector<BoneMatrix>& leader,
                      const std::vector<int>& map, std::vector<BoneMatrix>& out);
