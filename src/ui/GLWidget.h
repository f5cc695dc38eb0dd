#pragma once

#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

#include "render/ViewInput.h"
#include "ui/ViewCommandTarget.h"

class COGLView;
class QMimeData;
class QOpenGLContext;

// The OpenGL surface of the main window. It hosts the core view, which does all
// the drawing, translates Qt's events into the view's input events, runs the
// shell's commands on it, and lends it the pointer for drags.
class GLWidget : public QOpenGLWidget, public ViewCommandTarget, private ViewCursor {
    Q_OBJECT
public:
    explicit GLWidget(QWidget* parent = nullptr);
    ~GLWidget() override;

    // The view with its scene and document. Its scene exists from construction, so
    // files can open before the first frame; its font lists are made once the GL
    // context exists.
    COGLView& Core() const { return *core_; }

    // --- ViewCommandTarget ---
    bool Command(int id) override;
    bool AddLight(int kind) override;
    bool AddObject(int typeCode) override;
    bool IsChecked(int id) const override;
    bool IsEnabled(int id) const override;

    // The compatibility-profile format the fixed-function renderer needs.
    static QSurfaceFormat RequiredFormat();

    // Animation runs one tick per displayed frame while it is on: after each frame
    // reaches the screen the tick steps the scene and the next frame is asked for.
    // The tick returns whether anything still animates; when it says no, or
    // animation is turned off, no more frames are asked for and the program idles.
    // A frame drawn for any other reason turns it on again when the view has
    // something to move.
    void SetAnimationTick(std::function<bool()> tick) { animationTick_ = std::move(tick); }
    void SetAnimating(bool animating);
    // Ticking, or with something to move that the next frame drawn starts ticking.
    bool IsAnimating() const;

signals:
    // Local files dropped on the view, in the order given; the first model among
    // them lands where they were dropped, the others beside it.
    void filesDropped(const QStringList& paths);
    // An archive entry dragged out of the asset browser and dropped at (x, y) in the
    // view's device pixels (y from the top), as the view's picking takes them.
    void assetDropped(const QMimeData* data, int x, int y);

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void OnFrameSwapped();
    ViewKey ViewKeyOf(int key) const;
    ViewMouseEvent Translate(const QMouseEvent& event, MouseButton button) const;
    // A point in the view's device pixels as a global screen position.
    QPoint GlobalOf(int x, int y) const;

    // --- ViewCursor ---
    void BeginDrag() override;
    void EndDrag(int x, int y) override;
    void WarpTo(int x, int y) override;

    std::unique_ptr<COGLView> core_;

    std::function<bool()> animationTick_;
    bool animating_ = false;
    QElapsedTimer flyClock_;
};

// What a widget whose GL surface could not be set up reports on the fatal path:
// "Could not create View" when no context was made for it (the window cannot
// host GL), the driver message for "wglCreateContext" when the context could not
// be created, and for "wglMakeCurrent" when it could not be made current.
std::string UnusableContextMessage(const QOpenGLContext* context);

// The local files a drag carries; empty when it carries none.
QStringList LocalFilesOf(const QMimeData* data);
