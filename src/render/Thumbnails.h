#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/PngFile.h"
#include "models/halflife/StudioPoseSettings.h"

class Archive;
class COGLImage;
class COGLObject;
struct HeadlessView;

// Thumbnails of the files a modder meets in an archive or on disk: models and
// sprites drawn as the view draws them, pictures scaled, each on a transparent
// square. The browser's workers and marovin-cli draw them through here.

inline constexpr int kThumbnailSmallest = 16;
inline constexpr int kThumbnailLargest = 1024;
inline constexpr int kThumbnailDefaultSize = 128;
// A strip is cut short rather than grow wider than this.
inline constexpr int kThumbnailWidestStrip = 8192;

struct ThumbnailRequest {
    std::string archive;  // an archive or game folder (anything OpenArchive opens); empty: `name` is a file
    std::string name;     // the entry's name in the archive, or the file's path
    int size = kThumbnailDefaultSize;  // edge of one tile in pixels
    int frames = 1;  // 1: a thumbnail; more: up to that many frames of the first animation side by side
    // How a Half-Life model is posed (marovin-cli thumbnail --body ...); nothing for other entries.
    StudioPoseSettings studioPose{};
};

// What a thumbnail tells of its entry besides the picture.
struct ThumbnailFacts {
    std::string family;  // "md2", "player", "mdl", "halflife", "sin", "sprite", "map" or "picture"
    int frames = 0;
    std::vector<std::string> animations;
    int skins = 0;
    int width = 0;  // a picture's or the first skin's size
    int height = 0;
    int tiles = 0;  // pictures in the strip
};
// One line of JSON: {"family":...,"frames":...,"animations":[...],"skins":...,
// "width":...,"height":...,"tiles":...}, names in UTF-8.
std::string ThumbnailFactsJson(const ThumbnailFacts& facts);

struct Thumbnail {
    PngImage picture;  // RGBA, top row first, tiles x size wide and size high
    ThumbnailFacts facts;
};

// What says that a source of thumbnails changed: the size and modification time of
// a file; for a folder its own time, its subfolders' and those of the archives in
// it and in its subfolders (where a game folder keeps its paks). Nothing when the
// path is neither.
std::optional<std::string> SourceStamp(const std::string& path);

// Draws thumbnails with one headless view, made at the first model drawn and kept
// for every later one; the scene is emptied between requests. The last few
// archives asked for stay open (and are opened again once their files change).
// Messages the readers would show go to a quiet host while it draws: the first one
// becomes the reason a thumbnail failed, the others are dropped.
class ThumbnailRenderer {
public:
    ThumbnailRenderer();
    ~ThumbnailRenderer();
    ThumbnailRenderer(const ThumbnailRenderer&) = delete;
    ThumbnailRenderer& operator=(const ThumbnailRenderer&) = delete;

    // The thumbnail, or nothing with `reason` (one line) saying why not.
    std::optional<Thumbnail> Draw(const ThumbnailRequest& request, std::string& reason);
    // The archive or game folder at `path`, kept open among the last few; nullptr
    // with `reason` when it cannot be opened.
    Archive* OpenArchiveAt(const std::string& path, std::string& reason);
    // `text` (8-bit game text) in the view's overlay font, white on transparent,
    // as wide as the text and never wider than `width`: a longer text is cut
    // short and ends in "...". Nothing, with `reason`, without a GL context or font.
    std::optional<PngImage> DrawLabel(const std::string& text, int width, std::string& reason);
    static constexpr int kLabelHeight = 18;

    // Thumbnails drawn (successfully or not) since construction.
    int Draws() const { return draws_; }

private:
    struct KeptArchive {
        std::string path;
        std::string stamp;
        std::unique_ptr<Archive> archive;
    };

    bool StartView(std::string& reason);
    std::optional<Thumbnail> DrawObject(Archive* archive, const std::string& name, const ThumbnailRequest& request,
                                        std::string& reason);
    // Poses `object` at each of `frames` in its first animation and captures one tile each.
    std::optional<PngImage> DrawTiles(COGLObject& object, const std::string& animation, const std::vector<int>& frames,
                                      int size, std::string& reason);
    void EmptyScene();
    // Draws the label line and returns the x where it ended.
    int DrawLabelLine(const std::string& text);

    std::unique_ptr<HeadlessView> headless_;
    bool viewFailed_ = false;
    std::string viewError_;
    bool fontMade_ = false;
    int labelCanvasWidth_ = 0;
    std::list<KeptArchive> archives_;  // most recently used first
    int draws_ = 0;
};

// `image` (any size) scaled to fit a size x size square with its aspect kept and
// centred on a transparent background: RGBA, top row first. Shrinking averages
// the pixels each target pixel covers; growing repeats them, as a pixel-art
// picture wants.
PngImage FitPicture(const COGLImage& image, int size);
