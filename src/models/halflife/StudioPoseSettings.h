#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

class COGLHLModel;

// A pose asked for from outside the window (marovin-cli's --body, --skin,
// --controller, --mouth, --blend and --follow; a thumbnail request): only what
// is set changes the model.
struct StudioPoseSettings {
    std::optional<int> body;
    std::optional<int> skinFamily;
    std::vector<std::pair<int, float>> controllers;  // index 0-3, value in the controller's units
    std::optional<float> mouth;
    std::vector<float> blends;  // one or two, in the blends' units
    std::string follow;         // a studio model file that follows the model (a p_ weapon)

    bool Empty() const {
        return !body && !skinFamily && controllers.empty() && !mouth && blends.empty() && follow.empty();
    }
    // The settings as one line of text, the same for the same settings (a cache key's part).
    std::string Text() const;
};

// Poses `model` (a follower is read beside it, through its scene); false with
// `reason` when the follower cannot be read or cannot follow.
bool ApplyStudioPose(COGLHLModel& model, const StudioPoseSettings& pose, std::string& reason);
