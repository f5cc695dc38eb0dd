#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "media/Archive.h"

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "marovin-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const ByteBuffer& bytes) const {
    const std::filesystem::path full = std::filesystem::path(path_) / name;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return full.string();
}

std::string TempDir::Write(const std::string& name, const std::string& text) const {
    return Write(name, ByteBuffer(text.begin(), text.end()));
}

void HostFixture::SetUp() {
    host_.quiet = true;
    SetHost(&host_);
    SetSettings(&settings_);
}

void HostFixture::TearDown() {
    SetHost(nullptr);
    SetSettings(nullptr);
}

void GLFixture::SetUp() {
    HostFixture::SetUp();
    std::string error;
    gl_ = HeadlessContext::Create(kWidth, kHeight, &error);
    ASSERT_NE(gl_, nullptr) << error;
}

void GLFixture::TearDown() {
    gl_.reset();
    HostFixture::TearDown();
}

std::string TestOutputDirectory() {
    const char* env = std::getenv("MAROVIN_TEST_OUTPUT");
    std::string dir = env != nullptr && env[0] != '\0' ? env : (std::string(MAROVIN_BINARY_DIR) + "/tests/output");
    std::filesystem::create_directories(dir);
    return dir;
}

std::string DescribeTree(const PakTreeNode& node, int depth) {
    std::string out;
    for (const auto& child : node.children) {
        out += std::string(std::size_t(depth) * 2, ' ') + child->text;
        if (child->entry != nullptr) {
            out += "[" + child->entry->name + "]";
        }
        out += "\n" + DescribeTree(*child, depth + 1);
    }
    return out;
}
