#pragma once

#include <string>
#include <string_view>

// The font of the viewport overlay texts (camera names, axis labels): one glBitmap
// display list per character code 0..254 at lists 1000..1254, rendered by FreeType
// from the face fontconfig picks for "Arial" at 10 points on a 96 dpi screen. Codes
// 128..159 follow the Windows-1252 layout the overlay texts were written for;
// control codes draw nothing.
class BitmapFont {
public:
    static constexpr unsigned kListBase = 1000;
    static constexpr int kCharacterCount = 255;
    static constexpr int kPixelHeight = 13;  // 10 points at 96 dots per inch

    BitmapFont() = default;
    // Deletes the lists when they were made (the context must still be current).
    ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // Builds the lists in the current GL context from `family`. On failure nothing is
    // left behind and `error` (when given) holds "Could no create font"; the caller
    // reports it.
    bool Create(std::string* error = nullptr, const std::string& family = "Arial");
    // Deletes the lists, checking GL afterwards under the label "delete lists".
    void Destroy();
    bool IsCreated() const { return created_; }

    // Draws one line of text with its baseline starting at the raster position (x, y)
    // of the current projection, in the current colour (set it before calling: GL
    // takes the colour at the raster position). Leaves the list base as it was.
    // Returns the window x where a next character would start (x itself when the
    // raster position is outside the viewport and nothing was drawn).
    static int DrawText(int x, int y, std::string_view text);

private:
    bool created_ = false;
};
