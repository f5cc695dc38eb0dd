#include "platform/FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace fs_util {
namespace {
bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::size_t LastSeparator(const std::string& path) {
    const std::size_t a = path.find_last_of("/\\");
    return a;
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
}  // namespace

std::string DirectoryOf(const std::string& path) {
    const std::size_t sep = LastSeparator(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string FileNameOf(const std::string& path) {
    const std::size_t sep = LastSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string FileTitleOf(const std::string& path) {
    std::string name = FileNameOf(path);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ExtensionOf(const std::string& path) {
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string ToLower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), Lower);
    return s;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

bool LessIgnoreCase(const std::string& a, const std::string& b) {
    const int c = ::strcasecmp(a.c_str(), b.c_str());
    return c != 0 ? c < 0 : a < b;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), R_OK) == 0;
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsWritableDirectory(const std::string& path) { return DirectoryExists(path) && ::access(path.c_str(), W_OK) == 0; }

bool MakeDirectories(const std::string& path) {
    if (path.empty() || DirectoryExists(path)) {
        return !path.empty();
    }
    std::string partial;
    for (std::size_t i = 0; i < path.size(); ++i) {
        partial += path[i];
        if ((path[i] == '/' && i > 0) || i + 1 == path.size()) {
            if (!DirectoryExists(partial) && ::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    return DirectoryExists(path);
}

bool GlobMatchIgnoreCase(const std::string& pattern, const std::string& name) {
    // Iterative matcher with single-star backtracking: linear in practice, no recursion.
    std::size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

namespace {
// Entries of a directory (names only), or nothing if it cannot be read.
std::vector<std::string> ListDirectory(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) {
        return names;
    }
    while (const dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
            names.emplace_back(e->d_name);
        }
    }
    ::closedir(d);
    return names;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}
}  // namespace

std::string ResolvePath(const std::string& path) {
    if (path.empty() || PathExists(path)) {
        return path;
    }
    std::string normalized = path;
    std::replace(normalized.begin(), normalized.end(), '\\', '/');
    if (PathExists(normalized)) {
        return normalized;
    }
    std::string resolved = normalized[0] == '/' ? "/" : "";
    std::size_t i = normalized[0] == '/' ? 1 : 0;
    while (i <= normalized.size()) {
        std::size_t next = normalized.find('/', i);
        if (next == std::string::npos) {
            next = normalized.size();
        }
        const std::string component = normalized.substr(i, next - i);
        i = next + 1;
        if (component.empty()) {
            continue;
        }
        std::string candidate = resolved + component;
        if (!PathExists(candidate)) {
            const auto names = ListDirectory(resolved);
            // Prefer the first match in case-insensitive name order so the choice
            // does not depend on the directory's storage order.
            std::string best;
            for (const auto& name : names) {
                if (EqualsIgnoreCase(name, component) && (best.empty() || LessIgnoreCase(name, best))) {
                    best = name;
                }
            }
            if (best.empty()) {
                return path;
            }
            candidate = resolved + best;
        }
        resolved = candidate;
        if (next < normalized.size()) {
            resolved += '/';
        }
    }
    return resolved;
}

std::vector<std::string> FindFiles(const std::string& directory, const std::string& pattern) {
    const std::string dir = ResolvePath(directory);
    std::vector<std::string> names;
    for (auto& name : ListDirectory(dir)) {
        if (GlobMatchIgnoreCase(pattern, name)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), LessIgnoreCase);
    std::string prefix = dir;
    if (!prefix.empty() && !IsSeparator(prefix.back())) {
        prefix += '/';
    }
    std::vector<std::string> files;
    files.reserve(names.size());
    for (const auto& name : names) {
        const std::string full = prefix + name;
        struct stat st {};
        if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            files.push_back(full);
        }
    }
    return files;
}

}  // namespace fs_util

namespace paths {
namespace {
std::string g_programDir;
std::string g_stateDir;
std::string g_dataDir;

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

std::string HomeBased(const char* xdgVariable, const char* fallback) {
    const char* xdg = std::getenv(xdgVariable);
    if (xdg != nullptr && xdg[0] == '/') {
        return WithSlash(xdg) + "marovin/";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return {};
    }
    return WithSlash(home) + fallback + "marovin/";
}
}  // namespace

std::string ProgramDirectory() {
    if (!g_programDir.empty()) {
        return g_programDir;
    }
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0) {
        return {};
    }
    return fs_util::DirectoryOf(std::string(buffer, static_cast<std::size_t>(n)));
}

std::string UserStateDirectory() {
    return g_stateDir.empty() ? HomeBased("XDG_STATE_HOME", ".local/state/") : g_stateDir;
}

std::string UserDataDirectory() {
    return g_dataDir.empty() ? HomeBased("XDG_DATA_HOME", ".local/share/") : g_dataDir;
}

std::string LogDirectory() {
    const std::string program = ProgramDirectory();
    if (fs_util::IsWritableDirectory(program)) {
        return program;
    }
    const std::string state = UserStateDirectory();
    if (!state.empty() && fs_util::MakeDirectories(state) && fs_util::IsWritableDirectory(state)) {
        return state;
    }
    return {};
}

void SetProgramDirectoryForTesting(const std::string& dir) { g_programDir = WithSlash(dir); }

void SetUserDirectoriesForTesting(const std::string& stateDir, const std::string& dataDir) {
    g_stateDir = WithSlash(stateDir);
    g_dataDir = WithSlash(dataDir);
}
}  // namespace paths
