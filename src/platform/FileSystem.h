#pragma once

#include <string>
#include <vector>

// Path pieces, in the style the scene's classes use them. Both "/" and "\" count
// as separators, since paths stored by other installations may use either.
namespace fs_util {

// Directory part with its trailing separator ("a/b/c.md2" -> "a/b/"), empty when none.
std::string DirectoryOf(const std::string& path);
// File name with extension ("a/b/c.md2" -> "c.md2").
std::string FileNameOf(const std::string& path);
// File name without extension ("a/b/c.md2" -> "c").
std::string FileTitleOf(const std::string& path);
// Extension without the dot ("a/b/c.md2" -> "md2"), empty when none.
std::string ExtensionOf(const std::string& path);
std::string ToLower(std::string s);
bool EqualsIgnoreCase(const std::string& a, const std::string& b);
// Case-insensitive ordering used wherever the program lists files.
bool LessIgnoreCase(const std::string& a, const std::string& b);

bool FileExists(const std::string& path);  // a regular file that can be opened for reading
bool DirectoryExists(const std::string& path);
bool IsWritableDirectory(const std::string& path);
bool MakeDirectories(const std::string& path);

// Game data on Linux comes in any letter case: returns the path as written when it
// exists, else the path whose every component matches case-insensitively, else
// the path unchanged.
std::string ResolvePath(const std::string& path);

// Files of `directory` whose names match `pattern` ("*.pcx", "w_*.md2") without
// regard to case, as full paths, sorted by name case-insensitively. The order is
// part of saved scenes (weapon indexes), so it must not depend on the file system.
std::vector<std::string> FindFiles(const std::string& directory, const std::string& pattern);

// Case-insensitive glob with "*" and "?".
bool GlobMatchIgnoreCase(const std::string& pattern, const std::string& name);

}  // namespace fs_util

// Where the program keeps its files.
namespace paths {
// Directory of the running program, with a trailing "/".
std::string ProgramDirectory();
// $XDG_STATE_HOME/marovin/ (default ~/.local/state/marovin/), with a trailing "/".
std::string UserStateDirectory();
// $XDG_DATA_HOME/marovin/ (default ~/.local/share/marovin/), with a trailing "/".
std::string UserDataDirectory();
// Where "log.txt" and "errors.txt" go: beside the program when that is writable,
// else the per-user state directory (created on demand). Empty if neither works.
std::string LogDirectory();
// Overrides for tests; empty restores the default.
void SetProgramDirectoryForTesting(const std::string& dir);
void SetUserDirectoriesForTesting(const std::string& stateDir, const std::string& dataDir);
}  // namespace paths
