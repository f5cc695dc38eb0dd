#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <memory>

#include "render/COGLView.h"
#include "scene/COGLLight.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "support/TestSupport.h"

// A view after its first update, sized to the headless context, over in-memory
// settings and a quiet host.
class ViewFixture : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        view_ = std::make_unique<COGLView>();
        view_->Create();
        view_->OnInitialUpdate();
        view_->Resize(kWidth, kHeight);
    }
    void TearDown() override {
        view_.reset();
        GLFixture::TearDown();
    }

    COGLScene& Scene() { return *view_->Scene(); }
    COGLLight& DefaultLight() { return *Scene().LightAt(0); }

    COGLObject* Add(int typeCode, const Vector3& position, float scale = 1.0f) {
        auto object = CreateObject(typeCode);
        object->SetPosition(position.x, position.y, position.z);
        object->SetScale(scale, scale, scale);
        return Scene().AddObject(std::move(object));
    }

    // Resizes the context and the view together.
    void Size(int width, int height) {
        ASSERT_TRUE(gl_->Resize(width, height));
        view_->Resize(width, height);
    }

    // Window events use y from the top.
    static ViewMouseEvent Mouse(MouseButton button, int x, int y, unsigned modifiers = 0) {
        return {button, x, y, modifiers};
    }

    std::array<unsigned char, 4> Pixel(int x, int y) {
        glFinish();
        std::array<unsigned char, 4> rgba{};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    std::unique_ptr<COGLView> view_;
};
