#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/BinaryIO.h"
#include "platform/Host.h"
#include "platform/Settings.h"
#include "render/HeadlessContext.h"

struct PakTreeNode;

// A fresh directory under the system's temporary directory, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path of a file inside (not created).
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Writes bytes to a file inside (creating directories) and returns its path.
    std::string Write(const std::string& name, const ByteBuffer& bytes) const;
    std::string Write(const std::string& name, const std::string& text) const;

private:
    std::string path_;
};

// Installs a quiet headless host and in-memory settings for one test, restoring
// the process-wide ones afterwards.
class HostFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HeadlessHost host_;
    MemorySettings settings_;
};

// A headless GL context for tests that draw. It fails the test (never skips) when
// no context can be made: a skipped renderer test would hide a broken install.
class GLFixture : public HostFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    static constexpr int kWidth = 128;
    static constexpr int kHeight = 128;
    std::unique_ptr<HeadlessContext> gl_;
};

// An archive's directory tree as "text[entry name]" lines indented by depth, for
// whole-tree comparisons.
std::string DescribeTree(const PakTreeNode& node, int depth = 0);

// Directory where tests leave output worth looking at (actual and diff images).
std::string TestOutputDirectory();
