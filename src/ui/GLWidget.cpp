#include "ui/GLWidget.h"

#include <GL/gl.h>

#include <QSurfaceFormat>

GLWidget::GLWidget(QWidget* parent) : QOpenGLWidget(parent) {
    setFormat(RequiredFormat());
    setMinimumSize(320, 240);
}

QSurfaceFormat GLWidget::RequiredFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    return format;
}

void GLWidget::initializeGL() {}

void GLWidget::resizeGL(int width, int height) { glViewport(0, 0, width, height); }

void GLWidget::paintGL() {
    glClearColor(0.75f, 0.75f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
