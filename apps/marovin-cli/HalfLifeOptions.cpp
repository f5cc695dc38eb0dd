// The Half-Life posing options "render", "thumbnail" and "export" share.
#include <cmath>
#include <cstdlib>
#include <limits>

#include "Commands.h"
#include "models/halflife/COGLHLModel.h"

const char* const kHalfLifeOptionsUsage =
    "  --body N, --skin N (or --skin-family N), --controller I=VALUE (I 0-3, repeatable), --mouth V,\n"
    "  --blend A[,B]: every Half-Life model among the inputs shows that body value and skin family,\n"
    "            its controllers, mouth and blends in their own units (degrees for rotations)\n"
    "  --follow OTHER.mdl  that Half-Life model follows the first one (a p_ weapon in a player's hand)";

// Any finite number (controllers and blends may be negative).
std::optional<float> ParseValue(const std::string& text) {
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || end == nullptr || *end != '\0' || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

namespace {
// The same into `value`; false (and `value` as it was) for anything else.
bool ParseValueInto(const std::string& text, float& value) {
    const std::optional<float> parsed = ParseValue(text);
    if (parsed) {
        value = *parsed;
    }
    return parsed.has_value();
}
}  // namespace

std::optional<int> ParseSkinFamily(const std::string& text) { return ParseInt(text, 0, std::numeric_limits<int>::max()); }

std::optional<std::string> ParseHalfLifeOption(const Args& args, std::size_t& i, StudioPoseSettings& pose) {
    const std::string& arg = args[i];
    if (arg != "--body" && arg != "--skin-family" && arg != "--controller" && arg != "--mouth" && arg != "--blend" &&
        arg != "--follow") {
        return std::nullopt;
    }
    if (i + 1 >= args.size()) {
        return arg + " needs a value";
    }
    const std::string& text = args[++i];
    if (arg == "--body" || arg == "--skin-family") {
        const auto value = ParseInt(text, 0, std::numeric_limits<int>::max());
        if (!value) {
            return arg + " takes a whole number (0 or more)";
        }
        (arg == "--body" ? pose.body : pose.skinFamily) = *value;
    } else if (arg == "--controller") {
        const std::size_t equals = text.find('=');
        const std::optional<int> index = ParseInt(text.substr(0, equals), 0, 3);
        float value = 0.0f;
        if (!index || equals == std::string::npos || !ParseValueInto(text.substr(equals + 1), value)) {
            return std::string("--controller takes I=VALUE, I 0 to 3");
        }
        pose.controllers.emplace_back(*index, value);
    } else if (arg == "--mouth") {
        pose.mouth = ParseValue(text);
        if (!pose.mouth) {
            return std::string("--mouth takes a number");
        }
    } else if (arg == "--blend") {
        const std::size_t comma = text.find(',');
        const auto first = ParseValue(text.substr(0, comma));
        const auto second = comma == std::string::npos ? first : ParseValue(text.substr(comma + 1));
        if (!first || !second) {
            return std::string("--blend takes A or A,B");
        }
        pose.blends = {*first};
        if (comma != std::string::npos) {
            pose.blends.push_back(*second);
        }
    } else {
        pose.follow = text;
    }
    return std::string();
}

int PoseHalfLifeInputs(const std::vector<COGLObject*>& models, const StudioPoseSettings& pose) {
    StudioPoseSettings each = pose;
    each.follow.clear();
    COGLHLModel* first = nullptr;
    for (COGLObject* object : models) {
        auto* model = dynamic_cast<COGLHLModel*>(object);
        if (model == nullptr || model->Studio() == nullptr) {
            continue;
        }
        std::string reason;
        ApplyStudioPose(*model, each, reason);
        first = first != nullptr ? first : model;
    }
    if (first == nullptr) {
        return Fail(kExitUsage, "--body, --skin (a number), --skin-family, --controller, --mouth, --blend and "
                                "--follow need a Half-Life model among the inputs");
    }
    if (!pose.follow.empty()) {
        StudioPoseSettings follow;
        follow.follow = pose.follow;
        std::string reason;
        if (!ApplyStudioPose(*first, follow, reason)) {
            return Fail(kExitFailure, reason);
        }
    }
    return kExitOk;
}
