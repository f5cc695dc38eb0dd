#pragma once

#include <string>

// Path of the font file fontconfig picks for a family name ("Arial" resolves to a
// metric-compatible face such as Liberation Sans), or empty when none is found.
std::string FindFontFile(const std::string& family, bool bold = false, bool italic = false);
