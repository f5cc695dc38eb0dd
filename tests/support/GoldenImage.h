#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "media/PngFile.h"

// Golden-image checks: a picture rendered by a test is compared with a checked-in
// PNG under tests/golden/. On a mismatch, or when the golden file is missing,
// <name>.actual.png and <name>.diff.png (differing pixels red over a dimmed copy of
// the golden picture) go to TestOutputDirectory() and the check fails naming them.
// Run with MAROVIN_UPDATE_GOLDEN=1 to write or overwrite the golden files instead;
// look at every one before committing it.

struct GoldenTolerance {
    int perChannel = 3;               // largest difference of one channel that still matches
    double maxDifferingShare = 0.002; // share of pixels allowed to differ beyond it
};

// tests/golden/<name>.png in the source tree.
std::string GoldenImagePath(const std::string& name);

// The bottom-left width x height pixels of the current GL read buffer, top row
// first, as RGB (channels 3) or RGBA (channels 4).
std::optional<PngImage> ReadFramebufferImage(int width, int height, int channels = 3);

::testing::AssertionResult MatchesGoldenImage(const std::string& name, const PngImage& actual,
                                              GoldenTolerance tolerance = {});
// Reads the framebuffer as above and compares it.
::testing::AssertionResult FramebufferMatchesGolden(const std::string& name, int width, int height,
                                                    int channels = 3, GoldenTolerance tolerance = {});
