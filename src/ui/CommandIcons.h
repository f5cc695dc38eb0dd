#pragma once

#include <QIcon>

// The icon of a command, drawn when first asked for; a null icon for commands
// shown as text only.
QIcon CommandIcon(int id);

// The program's own icon for the window title bar.
QIcon ProgramIcon();
