#pragma once

#include <string>
#include <string_view>

// Names inside game files (textures, sequences, skins, frames, pak entries, scene
// objects) are 8-bit text written on Windows: Windows-1252, of which Latin-1 is
// the larger part. Whatever shows or exports them wants UTF-8.
//
// Text that already is well-formed UTF-8 (plain ASCII included) is kept as it is,
// so a name written by a tool that used UTF-8 stays right. Anything else is read
// byte by byte as Windows-1252: 0x80-0x9F through that code page's table (0x80 is
// the euro sign), the five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) as the Latin-1 characters of the same value, as Windows converts them, so
// no byte is lost, and 0xA0-0xFF as Latin-1.
std::string GameTextToUtf8(std::string_view text);

// The contents of a JSON string holding `text`: made UTF-8 as above, with quotes,
// backslashes and control characters escaped, so the document parses whatever
// the text was.
std::string JsonEscape(std::string_view text);
