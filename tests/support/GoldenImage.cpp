#include "support/GoldenImage.h"

#include <cstdlib>
#include <filesystem>

#include "render/ImageOutput.h"
#include "support/TestSupport.h"

namespace {
bool UpdateRequested() {
    const char* env = std::getenv("MAROVIN_UPDATE_GOLDEN");
    return env != nullptr && std::string(env) == "1";
}

std::string OutputPath(const std::string& name, const std::string& kind) {
    return TestOutputDirectory() + "/" + name + "." + kind + ".png";
}

// Differing pixels in red over the golden picture at a third of its brightness.
PngImage DiffImage(const PngImage& golden, const PngImage& actual, int perChannel, std::size_t& differing) {
    PngImage diff;
    diff.width = golden.width;
    diff.height = golden.height;
    diff.channels = 3;
    diff.pixels.resize(std::size_t(golden.width) * std::size_t(golden.height) * 3);
    differing = 0;
    const std::size_t count = std::size_t(golden.width) * std::size_t(golden.height);
    const auto channels = static_cast<std::size_t>(golden.channels);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* g = golden.pixels.data() + i * channels;
        const std::uint8_t* a = actual.pixels.data() + i * channels;
        bool differs = false;
        for (std::size_t c = 0; c < channels; ++c) {
            differs = differs || std::abs(int(g[c]) - int(a[c])) > perChannel;
        }
        std::uint8_t* d = diff.pixels.data() + i * 3;
        if (differs) {
            ++differing;
            d[0] = 255;
            d[1] = 0;
            d[2] = 0;
        } else {
            const auto grey = static_cast<std::uint8_t>((int(g[0]) + int(g[1]) + int(g[2])) / 9);
            d[0] = d[1] = d[2] = grey;
        }
    }
    return diff;
}
}  // namespace

std::string GoldenImagePath(const std::string& name) {
    return std::string(MAROVIN_SOURCE_DIR) + "/tests/golden/" + name + ".png";
}

std::optional<PngImage> ReadFramebufferImage(int width, int height, int channels) {
    CapturedImage captured;
    if ((channels != 3 && channels != 4) || !CaptureFramebuffer(0, 0, width, height, channels, captured)) {
        return std::nullopt;
    }
    PngImage image;
    image.width = width;
    image.height = height;
    image.channels = channels;
    image.pixels.resize(std::size_t(width) * std::size_t(height) * std::size_t(channels));
    std::uint8_t* target = image.pixels.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = captured.Row(height - 1 - y);
        for (int x = 0; x < width; ++x, source += channels, target += channels) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            if (channels == 4) {
                target[3] = source[3];
            }
        }
    }
    return image;
}

::testing::AssertionResult MatchesGoldenImage(const std::string& name, const PngImage& actual,
                                              GoldenTolerance tolerance) {
    const std::string goldenPath = GoldenImagePath(name);
    if (UpdateRequested()) {
        std::filesystem::create_directories(std::filesystem::path(goldenPath).parent_path());
        if (!WritePng(goldenPath, actual)) {
            return ::testing::AssertionFailure() << "could not write the golden image " << goldenPath;
        }
        return ::testing::AssertionSuccess() << "wrote " << goldenPath;
    }
    const std::string actualPath = OutputPath(name, "actual");
    const std::string diffPath = OutputPath(name, "diff");
    std::filesystem::remove(diffPath);
    const bool actualWritten = WritePng(actualPath, actual);
    const std::string written = actualWritten ? actualPath : std::string("(could not write the actual image)");

    const auto golden = ReadPng(goldenPath);
    if (!golden) {
        return ::testing::AssertionFailure() << "no golden image " << goldenPath << "; actual image: " << written
                                             << " (run with MAROVIN_UPDATE_GOLDEN=1 to create it)";
    }
    if (golden->width != actual.width || golden->height != actual.height || golden->channels != actual.channels) {
        return ::testing::AssertionFailure()
               << "golden image " << goldenPath << " is " << golden->width << "x" << golden->height << "x"
               << golden->channels << " but the actual one is " << actual.width << "x" << actual.height << "x"
               << actual.channels << "; actual image: " << written;
    }
    std::size_t differing = 0;
    const PngImage diff = DiffImage(*golden, actual, tolerance.perChannel, differing);
    const std::size_t count = std::size_t(actual.width) * std::size_t(actual.height);
    if (double(differing) <= tolerance.maxDifferingShare * double(count)) {
        std::filesystem::remove(actualPath);
        return ::testing::AssertionSuccess();
    }
    WritePng(diffPath, diff);
    return ::testing::AssertionFailure() << differing << " of " << count << " pixels differ from " << goldenPath
                                         << " by more than " << tolerance.perChannel << "; actual image: " << written
                                         << ", differences: " << diffPath;
}

::testing::AssertionResult FramebufferMatchesGolden(const std::string& name, int width, int height, int channels,
                                                    GoldenTolerance tolerance) {
    const auto actual = ReadFramebufferImage(width, height, channels);
    if (!actual) {
        return ::testing::AssertionFailure() << "could not read the framebuffer for " << name;
    }
    return MatchesGoldenImage(name, *actual, tolerance);
}
