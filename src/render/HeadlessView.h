#pragma once

#include <memory>
#include <string>

class COGLView;
class HeadlessContext;

// A view drawing into a headless GL context of its own, as the command-line
// tool, the window's preview without a display and the thumbnails draw.
struct HeadlessView {
    HeadlessView();
    ~HeadlessView();
    HeadlessView(const HeadlessView&) = delete;
    HeadlessView& operator=(const HeadlessView&) = delete;

    std::unique_ptr<HeadlessContext> gl;
    std::unique_ptr<COGLView> view;  // declared after the context, so it goes first
};

// The view after its first update at width x height, with the identity gamma
// table built. Nullptr, with `error`, when no GL context can be had. A font that
// cannot be made fills `warning` (when given): the view still draws, only the
// orthographic panes' texts are missing. Without `font` none is made (the view
// can make it later): pictures without texts start sooner.
std::unique_ptr<HeadlessView> StartHeadlessView(int width, int height, std::string* error,
                                                std::string* warning = nullptr, bool font = true);
