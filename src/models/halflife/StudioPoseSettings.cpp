#include "models/halflife/StudioPoseSettings.h"

#include <cstdio>
#include <memory>

#include "models/halflife/COGLHLModel.h"
#include "platform/FileSystem.h"

namespace {
std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}
}  // namespace

std::string StudioPoseSettings::Text() const {
    std::string text;
    if (body) {
        text += "body=" + std::to_string(*body) + ";";
    }
    if (skinFamily) {
        text += "skin=" + std::to_string(*skinFamily) + ";";
    }
    for (const auto& [index, value] : controllers) {
        text += "controller" + std::to_string(index) + "=" + Number(value) + ";";
    }
    if (mouth) {
        text += "mouth=" + Number(*mouth) + ";";
    }
    for (std::size_t b = 0; b < blends.size(); ++b) {
        text += "blend" + std::to_string(b) + "=" + Number(blends[b]) + ";";
    }
    if (!follow.empty()) {
        text += "follow=" + fs_util::ResolvePath(follow) + ";";
    }
    return text;
}

bool ApplyStudioPose(COGLHLModel& model, const StudioPoseSettings& pose, std::string& reason) {
    if (pose.body) {
        model.SetBody(*pose.body);
    }
    if (pose.skinFamily) {
        model.SetSkinFamily(*pose.skinFamily);
    }
    for (const auto& [index, value] : pose.controllers) {
        model.SetController(index, value);
    }
    if (pose.mouth) {
        model.SetMouth(*pose.mouth);
    }
    for (std::size_t b = 0; b < pose.blends.size(); ++b) {
        model.SetBlend(static_cast<int>(b), pose.blends[b]);
    }
    if (pose.follow.empty()) {
        return true;
    }
    auto follower = std::make_unique<COGLHLModel>(model.Scene());
    if (!follower->LoadFile(pose.follow)) {
        reason = "cannot read the model '" + pose.follow + "' to follow '" + model.Name() + "'";
        return false;
    }
    if (!model.SetFollower(std::move(follower))) {
        reason = "'" + pose.follow + "' cannot follow '" + model.Name() + "'";
        return false;
    }
    return true;
}
