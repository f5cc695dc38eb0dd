#pragma once

#include <memory>
#include <string>

class Archive;

// Opens the archive or folder at `path` as the scene would (a game folder of tens
// of thousands of files is walked in a fraction of a second, but a fraction the
// window must not wait), on a thread of its own while the event loop goes on
// turning with a busy bar in the status bar. What the opening reported is shown
// once it is back on the window's thread. Nothing when it cannot be opened.
std::unique_ptr<Archive> OpenArchiveApart(const std::string& path);
