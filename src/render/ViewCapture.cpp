// Capture of the view's picture for image output.
#include <GL/gl.h>
#include <GL/glext.h>

#include <array>

#include "platform/GLContext.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "render/COGLView.h"
#include "render/ImageOutput.h"
#include "scene/COGLScene.h"

namespace {
// A framebuffer of its own (colour, depth and stencil) for the time of one
// capture. It puts back the framebuffer, buffers and viewport that were in use,
// so the window's (or the widget's) drawing goes on undisturbed.
class OffscreenFramebuffer {
public:
    OffscreenFramebuffer() = default;
    ~OffscreenFramebuffer() { Destroy(); }
    OffscreenFramebuffer(const OffscreenFramebuffer&) = delete;
    OffscreenFramebuffer& operator=(const OffscreenFramebuffer&) = delete;

    bool Create(int width, int height) {
        while (glGetError() != GL_NO_ERROR) {
            // Earlier errors are not this framebuffer's.
        }
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previousDraw_);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previousRead_);
        glGetIntegerv(GL_DRAW_BUFFER, &previousDrawBuffer_);
        glGetIntegerv(GL_READ_BUFFER, &previousReadBuffer_);
        glGetIntegerv(GL_VIEWPORT, previousViewport_.data());
        active_ = true;

        glGenFramebuffers(1, &framebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glGenRenderbuffers(1, &color_);
        glBindRenderbuffer(GL_RENDERBUFFER, color_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color_);
        glGenRenderbuffers(1, &depthStencil_);
        glBindRenderbuffer(GL_RENDERBUFFER, depthStencil_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencil_);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        if (glGetError() != GL_NO_ERROR || glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            return false;
        }
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        return true;
    }

    void Destroy() {
        if (!active_) {
            return;
        }
        active_ = false;
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previousDraw_));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previousRead_));
        glDrawBuffer(static_cast<GLenum>(previousDrawBuffer_));
        glReadBuffer(static_cast<GLenum>(previousReadBuffer_));
        glViewport(previousViewport_[0], previousViewport_[1], previousViewport_[2], previousViewport_[3]);
        if (framebuffer_ != 0) {
            glDeleteFramebuffers(1, &framebuffer_);
        }
        if (color_ != 0) {
            glDeleteRenderbuffers(1, &color_);
        }
        if (depthStencil_ != 0) {
            glDeleteRenderbuffers(1, &depthStencil_);
        }
        framebuffer_ = color_ = depthStencil_ = 0;
    }

private:
    bool active_ = false;
    GLuint framebuffer_ = 0;
    GLuint color_ = 0;
    GLuint depthStencil_ = 0;
    GLint previousDraw_ = 0;
    GLint previousRead_ = 0;
    GLint previousDrawBuffer_ = GL_BACK;
    GLint previousReadBuffer_ = GL_BACK;
    std::array<GLint, 4> previousViewport_{};
};

bool FitsTheContext(int width, int height) {
    GLint maxRenderbuffer = 0;
    GLint maxViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    return width <= maxRenderbuffer && height <= maxRenderbuffer && width <= maxViewport[0] &&
           height <= maxViewport[1];
}
}  // namespace

bool COGLView::RenderOffscreen(int width, int height, int bytesPerPixel, CapturedImage& out) {
    out = {};
    if (width <= 0 || height <= 0 || !HasCurrentGLContext() || !FitsTheContext(width, height)) {
        return false;
    }
    OffscreenFramebuffer target;
    if (!target.Create(width, height)) {
        return false;
    }
    const int clientWidth = m_clientWidth;
    const int clientHeight = m_clientHeight;
    Resize(width, height);
    Paint();
    const bool captured = CaptureFramebuffer(0, 0, width, height, bytesPerPixel, out);
    Resize(clientWidth, clientHeight);
    return captured;
}

bool COGLView::Capture(int width, int height, int bytesPerPixel, bool allPanes) {
    Release();
    // What the picture leaves out, remembered to be put back in reverse order.
    const int paneCount = m_paneCount;
    COGLViewport& active = ActiveViewport();
    const bool activeVisible = active.IsVisible();
    const bool activeGrid = active.GridShown();
    auto* perspective = active.IsPerspective() ? static_cast<COGLViewport3D*>(&active) : nullptr;
    const bool axisMarkers = perspective != nullptr && perspective->AxisMarkersShown();
    if (!allPanes) {
        if (m_paneCount == 4) {
            m_paneCount = 1;
            active.SetVisible(true);
        }
        active.SetGridShown(false);
        if (perspective != nullptr) {
            perspective->SetAxisMarkersShown(false);
        }
    }
    COGLObject* selected = nullptr;
    std::uint32_t hiddenMarkers = 0;
    if (m_scene) {
        selected = m_scene->Selected();
        // Only when asked: a picture is of the scene, not of the tools for seeing into it.
        m_pictureOverlayObject = m_overlaysInPictures ? OverlayObject() : nullptr;
        m_scene->SetSelectedObject(nullptr);
        hiddenMarkers = m_scene->HideLightMarkers();
    }

    const bool captured = RenderOffscreen(width, height, bytesPerPixel, m_captured);

    m_pictureOverlayObject = nullptr;
    if (m_scene) {
        m_scene->RestoreLightMarkers(hiddenMarkers);
        m_scene->SetSelectedObject(selected);
    }
    if (perspective != nullptr) {
        perspective->SetAxisMarkersShown(axisMarkers);
    }
    active.SetGridShown(activeGrid);
    active.SetVisible(activeVisible);
    m_paneCount = paneCount;
    Layout();
    Repaint();
    return captured;
}

bool COGLView::SaveImage(const std::string& path, int qualityIndex, bool transparentBackground, int width,
                         int height) {
    const std::optional<ImageFormat> format = ImageFormatForPath(path);
    if (!format) {
        ShowMessage(msg::kExtensionNotSupported);
        return false;
    }
    WaitCursor wait;
    const bool transparent = transparentBackground && *format == ImageFormat::Png;
    const bool wasTransparent = m_transparentBackground;
    m_transparentBackground = transparent;
    const bool captured = Capture(width > 0 ? width : m_clientWidth, height > 0 ? height : m_clientHeight,
                                  transparent ? 4 : 3);
    m_transparentBackground = wasTransparent;
    bool written = false;
    if (captured) {
        written = WriteImage(m_captured, path, *format, qualityIndex, transparent);
        // A JPEG library error has shown its own message already, but a full disk
        // under a JPEG has not: every failed write says so.
        if (!written) {
            ShowMessage(msg::kErrorOpeningFile);
        }
    }
    Release();
    return written;
}
