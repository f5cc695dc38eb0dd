#include "render/HeadlessContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <vector>

namespace {
bool HasExtension(const char* list, const char* name) {
    if (list == nullptr) {
        return false;
    }
    const std::size_t len = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += len) {
        if ((p == list || p[-1] == ' ') && (p[len] == ' ' || p[len] == '\0')) {
            return true;
        }
    }
    return false;
}

struct DisplayChoice {
    EGLDisplay display = EGL_NO_DISPLAY;
    std::string platform;
};

EGLDisplay TryInitialize(EGLDisplay display) {
    if (display == EGL_NO_DISPLAY) {
        return EGL_NO_DISPLAY;
    }
    EGLint major = 0, minor = 0;
    if (eglInitialize(display, &major, &minor) != EGL_TRUE) {
        return EGL_NO_DISPLAY;
    }
    return display;
}

// The device platform first (a real GPU where there is one), then Mesa's
// surfaceless platform, then whatever the default display is.
std::vector<DisplayChoice> CandidateDisplays() {
    std::vector<DisplayChoice> out;
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay != nullptr && HasExtension(clientExtensions, "EGL_EXT_platform_device")) {
        auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
        if (queryDevices != nullptr) {
            EGLDeviceEXT devices[8];
            EGLint count = 0;
            if (queryDevices(8, devices, &count) == EGL_TRUE) {
                for (EGLint i = 0; i < count; ++i) {
                    out.push_back({getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr), "device"});
                }
            }
        }
    }
    if (getPlatformDisplay != nullptr && HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        out.push_back({getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr), "surfaceless"});
    }
    out.push_back({eglGetDisplay(EGL_DEFAULT_DISPLAY), "default"});
    return out;
}

EGLContext CreateCompatibilityContext(EGLDisplay display) {
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        return EGL_NO_CONTEXT;
    }
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (eglChooseConfig(display, configAttributes, &config, 1, &configCount) != EGL_TRUE || configCount == 0) {
        config = nullptr;  // EGL_KHR_no_config_context lets the context stand without one
    }
    const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                    EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, compatibility);
    if (context == EGL_NO_CONTEXT) {
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    }
    return context;
}
}  // namespace

std::unique_ptr<HeadlessContext> HeadlessContext::Create(int width, int height, std::string* error) {
    std::string reasons;
    for (const auto& candidate : CandidateDisplays()) {
        EGLDisplay display = TryInitialize(candidate.display);
        if (display == EGL_NO_DISPLAY) {
            reasons += candidate.platform + ": no display; ";
            continue;
        }
        EGLContext context = CreateCompatibilityContext(display);
        if (context == EGL_NO_CONTEXT) {
            reasons += candidate.platform + ": no desktop GL context; ";
            continue;
        }
        if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) != EGL_TRUE) {
            eglDestroyContext(display, context);
            reasons += candidate.platform + ": cannot make current without a surface; ";
            continue;
        }
        std::unique_ptr<HeadlessContext> result(new HeadlessContext());
        result->display_ = display;
        result->context_ = context;
        result->platform_ = candidate.platform;
        if (!result->CreateFramebuffer(width, height)) {
            reasons += candidate.platform + ": framebuffer incomplete; ";
            continue;  // the destructor releases the context
        }
        return result;
    }
    if (error != nullptr) {
        *error = "no headless OpenGL context could be made (" + reasons + ")";
    }
    return nullptr;
}

HeadlessContext::~HeadlessContext() {
    if (context_ != nullptr) {
        MakeCurrent();
        DeleteFramebuffer();
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
    }
}

bool HeadlessContext::MakeCurrent() {
    if (eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) != EGL_TRUE) {
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    return true;
}

bool HeadlessContext::Resize(int width, int height) {
    MakeCurrent();
    DeleteFramebuffer();
    return CreateFramebuffer(width, height);
}

bool HeadlessContext::CreateFramebuffer(int width, int height) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    glGenFramebuffers(1, &fbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glGenRenderbuffers(1, &colorBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
    glGenRenderbuffers(1, &depthStencilBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthStencilBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencilBuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        DeleteFramebuffer();
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width, height);
    width_ = width;
    height_ = height;
    return true;
}

void HeadlessContext::DeleteFramebuffer() {
    if (fbo_ != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo_);
        glDeleteRenderbuffers(1, &colorBuffer_);
        glDeleteRenderbuffers(1, &depthStencilBuffer_);
        fbo_ = colorBuffer_ = depthStencilBuffer_ = 0;
    }
}
