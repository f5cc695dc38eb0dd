#pragma once

#include <QOpenGLWidget>
#include <QStringList>

#include <functional>

class QMimeData;

// The OpenGL surface of the main window. It only hosts drawing done by the core
// and translates Qt's events for it.
class GLWidget : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit GLWidget(QWidget* parent = nullptr);

    // The compatibility-profile format the fixed-function renderer needs.
    static QSurfaceFormat RequiredFormat();

    // Animation runs one tick per displayed frame while it is on: after each frame
    // reaches the screen the tick steps the scene and the next frame is asked for.
    // The tick returns whether anything still animates; when it says no, or
    // animation is turned off, no more frames are asked for and the program idles.
    void SetAnimationTick(std::function<bool()> tick) { animationTick_ = std::move(tick); }
    void SetAnimating(bool animating);
    bool IsAnimating() const { return animating_; }

signals:
    // Local files dropped on the view, in the order given.
    void filesDropped(const QStringList& paths);

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnFrameSwapped();

    std::function<bool()> animationTick_;
    bool animating_ = false;
};

// The local files a drag carries; empty when it carries none.
QStringList LocalFilesOf(const QMimeData* data);
