#pragma once

#include <QOpenGLWidget>

// The OpenGL surface of the main window. It only hosts drawing done by the core
// and translates Qt's events for it.
class GLWidget : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit GLWidget(QWidget* parent = nullptr);

    // The compatibility-profile format the fixed-function renderer needs.
    static QSurfaceFormat RequiredFormat();

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
};
