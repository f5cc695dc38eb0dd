#include "ui/GLWidget.h"

#include <GL/gl.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSurfaceFormat>
#include <QUrl>

GLWidget::GLWidget(QWidget* parent) : QOpenGLWidget(parent) {
    setFormat(RequiredFormat());
    setMinimumSize(320, 240);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QOpenGLWidget::frameSwapped, this, &GLWidget::OnFrameSwapped);
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

void GLWidget::SetAnimating(bool animating) {
    if (animating == animating_) {
        return;
    }
    animating_ = animating;
    if (animating_) {
        update();
    }
}

void GLWidget::OnFrameSwapped() {
    if (!animating_) {
        return;
    }
    if (animationTick_ && animationTick_()) {
        update();
    } else {
        animating_ = false;
    }
}

void GLWidget::initializeGL() {}

void GLWidget::resizeGL(int width, int height) { glViewport(0, 0, width, height); }

void GLWidget::paintGL() {
    glClearColor(0.75f, 0.75f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

QStringList LocalFilesOf(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) {
            paths << url.toLocalFile();
        }
    }
    return paths;
}

void GLWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFilesOf(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void GLWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (!LocalFilesOf(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void GLWidget::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFilesOf(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}
