#include "render/Thumbnails.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "media/ArchiveFile.h"
#include "media/COGLImage.h"
#include "media/GameFolder.h"
#include "media/OpenArchive.h"
#include "media/Palette.h"
#include "models/halflife/COGLHLModel.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "platform/TextEncoding.h"
#include "render/COGLView.h"
#include "render/Framing.h"
#include "render/HeadlessContext.h"
#include "render/HeadlessView.h"
#include "render/ImageOutput.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"

namespace {
constexpr std::size_t kArchivesKept = 4;
constexpr const char* kNotDrawable = "not a model or picture the program reads";
constexpr const char* kEllipsis = "...";

// The first message the quiet host took, else `fallback`, on one line.
std::string ReasonOf(const ThreadHostScope& quiet, const std::string& fallback) {
    const auto& messages = quiet.Recorded().messages;
    std::string text = messages.empty() ? fallback : messages.front().text;
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return text;
}

const char* FamilyOf(int typeCode) {
    switch (typeCode) {
        case object_type::kMD2:
            return "md2";
        case object_type::kPlayer:
            return "player";
        case object_type::kSBM:
            return "sin";
        case object_type::kMDL:
            return "mdl";
        case object_type::kSprite:
            return "sprite";
        case object_type::kHLModel:
            return "halflife";
        default:
            return "model";
    }
}

// The frames of the first animation a strip of at most `wanted` tiles shows,
// spread evenly from its first frame; one frame (0) for a plain thumbnail.
std::vector<int> StripFrames(int animationFrames, int wanted, int size) {
    const int widest = std::max(1, kThumbnailWidestStrip / size);
    const int tiles = std::clamp(std::min(wanted, widest), 1, std::max(animationFrames, 1));
    std::vector<int> frames;
    for (int i = 0; i < tiles; ++i) {
        frames.push_back(static_cast<int>(static_cast<long long>(i) * animationFrames / tiles));
    }
    return frames;
}

void AppendStamp(std::string& stamp, const std::filesystem::path& path) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(path, error);
    if (error) {
        return;
    }
    const auto size = std::filesystem::is_regular_file(path, error) ? std::filesystem::file_size(path, error) : 0;
    stamp += path.filename().string() + ":" + std::to_string(error ? 0 : size) + "@" +
             std::to_string(time.time_since_epoch().count()) + ";";
}

// The archives of `folder` and, `depth` levels down, its folders with theirs, in
// name order: where a game folder keeps its paks, and what a new pak changes.
void AppendFolderStamps(std::string& stamp, const std::filesystem::path& folder, int depth) {
    std::error_code error;
    std::vector<std::pair<std::filesystem::path, bool>> children;  // path, is a folder
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code kind;
        const bool isFolder = it->is_directory(kind);
        if ((isFolder && depth > 1) || (!isFolder && IsArchiveExtension(fs_util::ExtensionOf(it->path().string())))) {
            children.emplace_back(it->path(), isFolder);
        }
    }
    std::sort(children.begin(), children.end());
    for (const auto& [child, isFolder] : children) {
        AppendStamp(stamp, child);
        if (isFolder) {
            AppendFolderStamps(stamp, child, depth - 1);
        }
    }
}
}  // namespace

std::string ThumbnailFactsJson(const ThumbnailFacts& facts) {
    std::string json = "{\"family\":\"" + JsonEscape(facts.family) + "\",\"frames\":" + std::to_string(facts.frames) +
                       ",\"animations\":[";
    for (std::size_t i = 0; i < facts.animations.size(); ++i) {
        json += (i > 0 ? ",\"" : "\"") + JsonEscape(facts.animations[i]) + "\"";
    }
    json += "],\"skins\":" + std::to_string(facts.skins) + ",\"width\":" + std::to_string(facts.width) +
            ",\"height\":" + std::to_string(facts.height) + ",\"tiles\":" + std::to_string(facts.tiles) + "}";
    return json;
}

std::optional<std::string> SourceStamp(const std::string& path) {
    const std::filesystem::path source(path);
    std::error_code error;
    if (std::filesystem::is_regular_file(source, error)) {
        std::string stamp;
        AppendStamp(stamp, source);
        return stamp;
    }
    if (!std::filesystem::is_directory(source, error)) {
        return std::nullopt;
    }
    std::string stamp;
    AppendStamp(stamp, source);
    AppendFolderStamps(stamp, source, 2);
    return stamp;
}

PngImage FitPicture(const COGLImage& image, int size) {
    PngImage out;
    out.width = out.height = size;
    out.channels = 4;
    out.pixels.assign(std::size_t(size) * std::size_t(size) * 4, 0);
    const int width = image.Width();
    const int height = image.Height();
    const int channels = image.BytesPerPixel();
    if (width <= 0 || height <= 0 || image.Pixels().size() < std::size_t(width) * std::size_t(height) * std::size_t(channels)) {
        return out;
    }
    const double scale = std::min(double(size) / width, double(size) / height);
    const int targetWidth = std::clamp(static_cast<int>(width * scale + 0.5), 1, size);
    const int targetHeight = std::clamp(static_cast<int>(height * scale + 0.5), 1, size);
    const int left = (size - targetWidth) / 2;
    const int top = (size - targetHeight) / 2;
    const bool bgr = image.IsBgrOrder();
    // The source columns (or rows) target pixel `t` of `count` covers, at least one.
    const auto span = [](int t, int count, int source) {
        const int first = std::min(static_cast<int>(static_cast<long long>(t) * source / count), source - 1);
        const int last = std::max(first + 1, static_cast<int>(static_cast<long long>(t + 1) * source / count));
        return std::pair<int, int>{first, std::min(last, source)};
    };
    for (int ty = 0; ty < targetHeight; ++ty) {
        // The picture's rows are stored bottom-up; the thumbnail's top-down.
        const auto [rowFirst, rowEnd] = span(ty, targetHeight, height);
        for (int tx = 0; tx < targetWidth; ++tx) {
            const auto [columnFirst, columnEnd] = span(tx, targetWidth, width);
            double red = 0.0, green = 0.0, blue = 0.0, alpha = 0.0;
            int count = 0;
            for (int sy = rowFirst; sy < rowEnd; ++sy) {
                const std::uint8_t* row =
                    image.Pixels().data() + std::size_t(height - 1 - sy) * std::size_t(width) * std::size_t(channels);
                for (int sx = columnFirst; sx < columnEnd; ++sx, ++count) {
                    const std::uint8_t* p = row + std::size_t(sx) * std::size_t(channels);
                    const double a = channels == 4 ? p[3] : 255.0;
                    red += p[bgr ? 2 : 0] * a;
                    green += p[1] * a;
                    blue += p[bgr ? 0 : 2] * a;
                    alpha += a;
                }
            }
            std::uint8_t* target =
                out.pixels.data() + (std::size_t(top + ty) * std::size_t(size) + std::size_t(left + tx)) * 4;
            if (alpha > 0.0) {
                target[0] = static_cast<std::uint8_t>(red / alpha + 0.5);
                target[1] = static_cast<std::uint8_t>(green / alpha + 0.5);
                target[2] = static_cast<std::uint8_t>(blue / alpha + 0.5);
                target[3] = static_cast<std::uint8_t>(alpha / count + 0.5);
            }
        }
    }
    return out;
}

ThumbnailRenderer::ThumbnailRenderer() {
    // The tables the picture readers use, as the program builds them at start-up.
    const ThreadHostScope quiet;  // nothing reaches a box or stderr
    BuildGammaTable(1.0f);
    LoadDefaultPalette();
}

ThumbnailRenderer::~ThumbnailRenderer() {
    if (headless_) {
        // The scene's textures go with the view, in its context.
        headless_->gl->MakeCurrent();
    }
}

Archive* ThumbnailRenderer::OpenArchiveAt(const std::string& path, std::string& reason) {
    const std::string resolved = fs_util::ResolvePath(path);
    std::optional<std::string> stamp = SourceStamp(resolved);
    // A mod's stack changes with its game's folder too.
    if (const auto layout = stamp ? GameFolder::Detect(resolved) : std::nullopt; layout && !layout->modFolder.empty()) {
        *stamp += "|" + SourceStamp(layout->baseFolder).value_or(std::string());
    }
    if (!stamp) {
        reason = "cannot open '" + path + "': no such file or folder";
        return nullptr;
    }
    for (auto it = archives_.begin(); it != archives_.end(); ++it) {
        if (it->path == resolved) {
            if (it->stamp != *stamp) {
                archives_.erase(it);  // changed since: read it again
                break;
            }
            archives_.splice(archives_.begin(), archives_, it);
            return archives_.front().archive.get();
        }
    }
    const ThreadHostScope quiet;  // nothing reaches a box or stderr
    std::unique_ptr<Archive> archive = OpenArchive(resolved);
    if (archive == nullptr) {
        reason = ReasonOf(quiet, "cannot read '" + path + "': not an archive or game folder");
        return nullptr;
    }
    if (archives_.size() >= kArchivesKept) {
        archives_.pop_back();
    }
    archives_.push_front({resolved, *stamp, std::move(archive)});
    return archives_.front().archive.get();
}

std::optional<Thumbnail> ThumbnailRenderer::Draw(const ThumbnailRequest& request, std::string& reason) {
    ++draws_;
    if (request.size < kThumbnailSmallest || request.size > kThumbnailLargest || request.frames < 1) {
        reason = "a thumbnail is " + std::to_string(kThumbnailSmallest) + " to " + std::to_string(kThumbnailLargest) +
                 " pixels and shows one frame or more";
        return std::nullopt;
    }
    Archive* archive = nullptr;
    const PakEntry* entry = nullptr;
    std::string name;  // the entry's name as the archive has it, or the file's path
    if (!request.archive.empty()) {
        archive = OpenArchiveAt(request.archive, reason);
        if (archive == nullptr) {
            return std::nullopt;
        }
        entry = archive->FindEntry(request.name);
        if (entry == nullptr) {
            reason = "no entry '" + GameTextToUtf8(request.name) + "' in '" + request.archive + "'";
            return std::nullopt;
        }
        name = entry->name;
    } else {
        name = fs_util::ResolvePath(request.name);
        if (!fs_util::FileExists(name)) {
            reason = msg::kErrorOpeningFile.text;
            return std::nullopt;
        }
    }

    const std::string extension = fs_util::ToLower(fs_util::ExtensionOf(name));
    const bool picture = entry != nullptr ? COGLImage::IsArchivePicture(*archive, name)
                                          : COGLImage::FormatFromExtension(extension).has_value();
    if (picture) {
        const ThreadHostScope quiet;  // nothing reaches a box or stderr
        COGLImage image;
        const bool read = entry != nullptr ? image.LoadFromArchive(*archive, *entry, false, false, false)
                                           : image.LoadFile(name, false, false);
        if (!read) {
            reason = ReasonOf(quiet, kNotDrawable);
            return std::nullopt;
        }
        Thumbnail thumbnail;
        thumbnail.picture = FitPicture(image, request.size);
        thumbnail.facts = {"picture", 1, {}, 0, image.Width(), image.Height(), 1};
        return thumbnail;
    }
    if (extension == "dv" || IsArchiveExtension(extension)) {
        reason = kNotDrawable;
        return std::nullopt;
    }
    return DrawObject(archive, name, request, reason);
}

bool ThumbnailRenderer::StartView(std::string& reason) {
    if (!headless_ && !viewFailed_) {
        // Mesa keeps compiled shaders below the user's cache folder, and where
        // there is none at all says so on stderr: ask it to keep none instead.
        const char* cache = std::getenv("XDG_CACHE_HOME");
        const char* home = std::getenv("HOME");
        if ((cache == nullptr || cache[0] == '\0') && (home == nullptr || home[0] == '\0')) {
            ::setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
        }
        headless_ = StartHeadlessView(kThumbnailDefaultSize, kThumbnailDefaultSize, &viewError_, nullptr, false);
        viewFailed_ = !headless_;
        if (headless_) {
            headless_->view->SetTransparentBackground(true);
            // A file manager's sandbox shows the thumbnailer the file alone: a
            // model whose companions are out of sight still gets a picture.
            headless_->view->Scene()->SetDrawsWithoutCompanions(true);
        }
    }
    if (!headless_) {
        reason = "no OpenGL context: " + viewError_;
        return false;
    }
    headless_->gl->MakeCurrent();
    return true;
}

void ThumbnailRenderer::EmptyScene() {
    COGLView& view = *headless_->view;
    COGLScene& scene = *view.Scene();
    view.Document().History().Reset();
    while (!scene.Objects().empty()) {
        scene.RemoveObject(scene.Objects().back().get());
    }
    std::unique_ptr<SceneBackdrop> none;
    scene.SwapBackdrop(none);
    view.ResetCameras();
}

std::optional<Thumbnail> ThumbnailRenderer::DrawObject(Archive* archive, const std::string& name,
                                                       const ThumbnailRequest& request, std::string& reason) {
    if (!StartView(reason)) {
        return std::nullopt;
    }
    const ThreadHostScope quiet;  // nothing reaches a box or stderr
    EmptyScene();
    COGLView& view = *headless_->view;
    COGLScene& scene = *view.Scene();
    const OpenFileResult opened =
        archive != nullptr ? view.Document().OpenPakEntry(*archive, name) : view.Document().OpenFile(name);
    if (opened.succeeded && scene.Backdrop() != nullptr) {
        // A map shows as its view from the first start.
        view.Resize(request.size, request.size);
        view.ShowBackdrop();
        const bool drawn = view.Capture(request.size, request.size, 4);
        std::optional<Thumbnail> thumbnail;
        if (drawn) {
            thumbnail.emplace();
            thumbnail->picture = CapturedToPng(view.Captured(), true);
            thumbnail->facts.family = "map";
            thumbnail->facts.width = request.size;
            thumbnail->facts.height = request.size;
            thumbnail->facts.tiles = 1;
        } else {
            reason = "cannot draw a " + std::to_string(request.size) + "x" + std::to_string(request.size) + " picture";
        }
        view.Release();
        EmptyScene();
        return thumbnail;
    }
    COGLObject* object = scene.Objects().empty() ? nullptr : scene.Objects().back().get();
    if (opened.kind != OpenedKind::Model || !opened.succeeded || object == nullptr) {
        reason = opened.kind == OpenedKind::Model ? ReasonOf(quiet, msg::kErrorOpeningFile.text) : kNotDrawable;
        EmptyScene();
        return std::nullopt;
    }
    if (auto* studio = dynamic_cast<COGLHLModel*>(object); studio != nullptr && !request.studioPose.Empty()) {
        if (!ApplyStudioPose(*studio, request.studioPose, reason)) {
            EmptyScene();
            return std::nullopt;
        }
    }
    Thumbnail thumbnail;
    thumbnail.facts.family = FamilyOf(object->TypeCode());
    const ObjectFacts facts = object->Facts().value_or(ObjectFacts{});
    const ObjectFacts::Animation first = facts.animations.empty() ? ObjectFacts::Animation{} : facts.animations.front();
    const std::vector<int> frames = StripFrames(first.frames, request.frames, request.size);
    std::optional<PngImage> strip = DrawTiles(*object, first.name, frames, request.size, reason);
    EmptyScene();
    if (!strip) {
        return std::nullopt;
    }
    thumbnail.picture = std::move(*strip);
    thumbnail.facts.frames = facts.frames;
    for (const ObjectFacts::Animation& animation : facts.animations) {
        thumbnail.facts.animations.push_back(animation.name);
    }
    thumbnail.facts.skins = facts.skins;
    thumbnail.facts.width = facts.width;
    thumbnail.facts.height = facts.height;
    thumbnail.facts.tiles = static_cast<int>(frames.size());
    return thumbnail;
}

std::optional<PngImage> ThumbnailRenderer::DrawTiles(COGLObject& object, const std::string& animation,
                                                     const std::vector<int>& frames, int size, std::string& reason) {
    COGLView& view = *headless_->view;
    COGLScene& scene = *view.Scene();
    const auto pose = [&](int frame) {
        if (!animation.empty()) {
            PoseObject(object, animation, static_cast<float>(frame));
        }
    };
    // Models learn their extent while they draw: every frame of the strip once,
    // so that all its tiles share one framing and the model does not jump.
    view.Resize(size, size);
    std::optional<WorldBox> box;
    for (const int frame : frames) {
        pose(frame);
        view.Paint();
        if (const auto bounds = SceneBounds(scene)) {
            if (box) {
                box->Grow(*bounds);
            } else {
                box = bounds;
            }
        }
    }
    if (box) {
        FrameBox(view.ActiveViewport(), *box);
    }
    scene.SetSelectedObject(nullptr);

    PngImage strip;
    strip.width = size * static_cast<int>(frames.size());
    strip.height = size;
    strip.channels = 4;
    strip.pixels.assign(std::size_t(strip.width) * std::size_t(size) * 4, 0);
    for (std::size_t tile = 0; tile < frames.size(); ++tile) {
        pose(frames[tile]);
        if (!view.Capture(size, size, 4)) {
            reason = "cannot draw a " + std::to_string(size) + "x" + std::to_string(size) + " picture";
            return std::nullopt;
        }
        const PngImage picture = CapturedToPng(view.Captured(), true);
        view.Release();
        const std::size_t row = std::size_t(size) * 4;
        for (int y = 0; y < size; ++y) {
            std::memcpy(strip.pixels.data() + std::size_t(y) * std::size_t(strip.width) * 4 + tile * row,
                        picture.pixels.data() + std::size_t(y) * row, row);
        }
    }
    return strip;
}

int ThumbnailRenderer::DrawLabelLine(const std::string& text) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // One pixel in, for glyphs that reach left of their start.
    return BitmapFont::DrawText(1, 4, text);
}

std::optional<PngImage> ThumbnailRenderer::DrawLabel(const std::string& text, int width, std::string& reason) {
    if (width <= 0 || !StartView(reason)) {
        return std::nullopt;
    }
    if (!fontMade_) {
        std::string error;
        fontMade_ = headless_->view->Create(&error);
        if (!fontMade_) {
            reason = error;
            return std::nullopt;
        }
    }
    HeadlessContext& gl = *headless_->gl;
    // Wide enough to measure the whole text before it is cut short.
    const int canvas = std::max(width, 1024);
    if (labelCanvasWidth_ != canvas || gl.Height() != kLabelHeight) {
        gl.Resize(canvas, kLabelHeight);
        labelCanvasWidth_ = canvas;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, gl.Framebuffer());
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, canvas, kLabelHeight);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, canvas, 0.0, kLabelHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    int drawnWidth = DrawLabelLine(text);
    if (drawnWidth > width) {
        // The longest start of the text that fits with the ellipsis after it.
        std::size_t fits = 0;
        std::size_t tooLong = text.size();
        while (tooLong - fits > 1) {
            const std::size_t middle = (fits + tooLong) / 2;
            if (DrawLabelLine(text.substr(0, middle) + kEllipsis) <= width) {
                fits = middle;
            } else {
                tooLong = middle;
            }
        }
        drawnWidth = std::min(DrawLabelLine(text.substr(0, fits) + kEllipsis), width);
    }
    CapturedImage captured;
    const bool read = CaptureFramebuffer(0, 0, std::max(drawnWidth, 1), kLabelHeight, 4, captured);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    if (!read) {
        reason = "cannot read the label back";
        return std::nullopt;
    }
    return CapturedToPng(captured, true);
}
