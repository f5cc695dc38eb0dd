#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

// Runs xdg-mime with the arguments; its standard output, or nullopt when it could
// not be run or failed.
using XdgMimeRunner = std::function<std::optional<QString>(const QStringList& arguments)>;
XdgMimeRunner SystemXdgMime();

// The MIME type of scene files and the desktop entry that opens them.
inline constexpr const char* kSceneMimeType = "application/x-marovin-scene";
inline constexpr const char* kDesktopEntry = "marovin.desktop";

// Makes this program the user's default for scene files unless another program
// already is. Every failure is silent: the program runs the same without it.
// Returns whether it wrote the association.
bool RegisterSceneFileType(const XdgMimeRunner& xdgMime = SystemXdgMime());

// The project's own user guide: installed beside the program
// (../share/doc/marovin), or in the source tree when run from a build tree.
// Empty when none is found.
QString FindUserGuide(const QString& programDirectory);

// The project's home page.
QUrl ProjectPage();
