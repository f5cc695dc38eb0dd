#include "render/HeadlessView.h"

#include "media/Palette.h"
#include "render/COGLView.h"
#include "render/HeadlessContext.h"

HeadlessView::HeadlessView() = default;
HeadlessView::~HeadlessView() = default;

std::unique_ptr<HeadlessView> StartHeadlessView(int width, int height, std::string* error, std::string* warning,
                                                bool font) {
    BuildGammaTable(1.0f);
    auto headless = std::make_unique<HeadlessView>();
    headless->gl = HeadlessContext::Create(64, 64, error);
    if (!headless->gl) {
        return nullptr;
    }
    headless->view = std::make_unique<COGLView>();
    std::string fontError;
    if (font && !headless->view->Create(&fontError) && warning != nullptr) {
        *warning = fontError;
    }
    headless->view->OnInitialUpdate();
    headless->view->Resize(width, height);
    return headless;
}
