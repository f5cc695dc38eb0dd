#pragma once

#include <span>

#include "render/CommandIds.h"

// How a command shows in the menus and toolbars.
enum class CommandKind {
    Plain,       // runs once
    Toggle,      // checkable on its own
    Layout,      // one of One / Four viewports
    DisplayMode, // one of the six display modes
    Tool,        // one of the mouse tools
};

struct CommandInfo {
    int id;
    const char* text;  // menu text with its mnemonic
    const char* tip;   // status bar and tool tip text
    CommandKind kind;
};

// Every command of the menus and toolbars except the recent-file entries.
std::span<const CommandInfo> AllCommands();
const CommandInfo* FindCommand(int id);

// Commands the view answers (layout, display, cameras, tools, axes, edits of the
// scene); the others belong to the application.
bool IsViewCommand(int id);
