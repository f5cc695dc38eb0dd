#pragma once

#include <memory>
#include <string>

// A desktop OpenGL compatibility context without any window, drawing into a
// framebuffer object of a chosen size (colour, depth and stencil). Used by the
// tests and by marovin-cli. Mesa's llvmpipe serves where there is no GPU.
class HeadlessContext {
public:
    // Makes the context and leaves it current with its framebuffer bound.
    // Returns nullptr and fills `error` when no context can be made.
    static std::unique_ptr<HeadlessContext> Create(int width, int height, std::string* error = nullptr);
    ~HeadlessContext();
    HeadlessContext(const HeadlessContext&) = delete;
    HeadlessContext& operator=(const HeadlessContext&) = delete;

    bool MakeCurrent();
    // Reallocates the framebuffer's storage; the contents are undefined afterwards.
    bool Resize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    unsigned Framebuffer() const { return fbo_; }
    // Which EGL platform gave the display: "device", "surfaceless" or "default".
    const std::string& PlatformName() const { return platform_; }

private:
    HeadlessContext() = default;
    bool CreateFramebuffer(int width, int height);
    void DeleteFramebuffer();

    void* display_ = nullptr;
    void* context_ = nullptr;
    unsigned fbo_ = 0;
    unsigned colorBuffer_ = 0;
    unsigned depthStencilBuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::string platform_;
};
