#include "ui/GLWidget.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QResizeEvent>
#include <QSurfaceFormat>
#include <QUrl>
#include <QWheelEvent>

#include <cmath>
#include <string>

#include "platform/Diagnostics.h"
#include "platform/Messages.h"
#include "render/COGLView.h"
#include "render/CommandIds.h"
#include "ui/browser/AssetDrag.h"

namespace {
unsigned ModifiersOf(Qt::KeyboardModifiers modifiers) {
    unsigned result = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        result |= kModifierShift;
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        result |= kModifierControl;
    }
    return result;
}

MouseButton ButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return MouseButton::Left;
        case Qt::RightButton:
            return MouseButton::Right;
        case Qt::MiddleButton:
            return MouseButton::Middle;
        default:
            return MouseButton::None;
    }
}

ViewKey KeyOf(int key) {
    switch (key) {
        case Qt::Key_Left:
            return ViewKey::Left;
        case Qt::Key_Right:
            return ViewKey::Right;
        case Qt::Key_Up:
            return ViewKey::Up;
        case Qt::Key_Down:
            return ViewKey::Down;
        case Qt::Key_Shift:
            return ViewKey::Shift;
        case Qt::Key_Control:
            return ViewKey::Control;
        default:
            return ViewKey::Other;
    }
}

// The fly camera's own keys, only taken while the view flies.
ViewKey FlyKeyOf(int key) {
    switch (key) {
        case Qt::Key_W:
            return ViewKey::W;
        case Qt::Key_A:
            return ViewKey::A;
        case Qt::Key_S:
            return ViewKey::S;
        case Qt::Key_D:
            return ViewKey::D;
        case Qt::Key_PageUp:
            return ViewKey::PageUp;
        case Qt::Key_PageDown:
            return ViewKey::PageDown;
        default:
            return ViewKey::Other;
    }
}
}  // namespace

GLWidget::GLWidget(QWidget* parent) : QOpenGLWidget(parent), core_(std::make_unique<COGLView>()) {
    setFormat(RequiredFormat());
    setMinimumSize(320, 240);
    setAcceptDrops(true);
    // Moves without a button reach the view too: it names the bone under the pointer.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QOpenGLWidget::frameSwapped, this, &GLWidget::OnFrameSwapped);
    // The first update needs no GL: the scene and its "Default" light exist before
    // the first frame, so a file named on the command line can open into them.
    core_->OnInitialUpdate();
    core_->SetCursor(this);
    core_->SetPlacesAddedObjects(true);
}

GLWidget::~GLWidget() {
    // Textures and display lists belong to this widget's context.
    if (isValid()) {
        makeCurrent();
    }
    core_.reset();
    if (isValid()) {
        doneCurrent();
    }
}

bool GLWidget::Command(int id) {
    // The shell has already asked "Clear the Scene?"; the view would ask again.
    if (id == cmd::kClear) {
        core_->ClearScene();
        update();
        return true;
    }
    const bool done = core_->OnCommand(id);
    update();
    return done;
}

bool GLWidget::AddLight(int kind) {
    const bool added = core_->AddLight(kind);
    update();
    return added;
}

bool GLWidget::AddObject(int typeCode) {
    const bool added = core_->AddObject(typeCode);
    update();
    return added;
}

bool GLWidget::IsChecked(int id) const { return core_->IsChecked(id); }

bool GLWidget::IsEnabled(int id) const { return core_->IsEnabled(id); }

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

bool GLWidget::IsAnimating() const { return animating_ || core_->HasAnimation(); }

void GLWidget::OnFrameSwapped() {
    // Held fly keys move the eye by the time since the last frame.
    if (core_->FlyKeysHeld()) {
        const double seconds = flyClock_.isValid() ? static_cast<double>(flyClock_.restart()) / 1000.0 : 0.0;
        if (!flyClock_.isValid()) {
            flyClock_.start();
        }
        core_->FlyTick(seconds);
        update();
    } else {
        flyClock_.invalidate();
    }
    // Whatever drew this frame (a command, an edit, a file, an undo) may have left
    // something to move, so the clock wakes here and no path has to remember to.
    if (!animating_ && !core_->HasAnimation()) {
        return;
    }
    animating_ = true;
    if (animationTick_ && animationTick_()) {
        update();
    } else {
        animating_ = false;
    }
}

void GLWidget::initializeGL() {
    std::string error;
    if (!core_->Create(&error)) {
        ReportFatal(error);
    }
    core_->OnInitialUpdate();
}

void GLWidget::resizeEvent(QResizeEvent* event) {
    // Qt sets up the context on the first resize to a real size; when that fails it
    // only warns and the view would stay blank, so the failure ends here instead.
    QOpenGLWidget::resizeEvent(event);
    if (!event->size().isEmpty() && !isValid()) {
        ReportFatal(UnusableContextMessage(context()));
    }
}

std::string UnusableContextMessage(const QOpenGLContext* context) {
    if (context == nullptr) {
        return msg::kCouldNotCreateView.text;
    }
    return IncompatibleDriverMessage(context->isValid() ? "wglMakeCurrent" : "wglCreateContext");
}

void GLWidget::resizeGL(int width, int height) {
    // Qt passes device-independent pixels; the view works in the framebuffer's.
    const qreal ratio = devicePixelRatioF();
    core_->Resize(static_cast<int>(std::lround(width * ratio)), static_cast<int>(std::lround(height * ratio)));
}

void GLWidget::paintGL() { core_->Paint(); }

ViewMouseEvent GLWidget::Translate(const QMouseEvent& event, MouseButton button) const {
    const qreal ratio = devicePixelRatioF();
    ViewMouseEvent out;
    out.button = button;
    out.x = static_cast<int>(std::lround(event.position().x() * ratio));
    out.y = static_cast<int>(std::lround(event.position().y() * ratio));
    out.modifiers = ModifiersOf(event.modifiers());
    return out;
}

QPoint GLWidget::GlobalOf(int x, int y) const {
    const qreal ratio = devicePixelRatioF();
    return mapToGlobal(QPoint(static_cast<int>(std::lround(x / ratio)), static_cast<int>(std::lround(y / ratio))));
}

void GLWidget::mousePressEvent(QMouseEvent* event) {
    const MouseButton button = ButtonOf(event->button());
    if (button == MouseButton::None) {
        QOpenGLWidget::mousePressEvent(event);
        return;
    }
    makeCurrent();
    core_->MouseDown(Translate(*event, button));
    update();
}

void GLWidget::mouseMoveEvent(QMouseEvent* event) {
    const MouseButton button = event->buttons().testFlag(Qt::LeftButton)     ? MouseButton::Left
                               : event->buttons().testFlag(Qt::RightButton)  ? MouseButton::Right
                               : event->buttons().testFlag(Qt::MiddleButton) ? MouseButton::Middle
                                                                              : MouseButton::None;
    makeCurrent();
    core_->MouseMove(Translate(*event, button));
}

void GLWidget::mouseReleaseEvent(QMouseEvent* event) {
    const MouseButton button = ButtonOf(event->button());
    if (button == MouseButton::None) {
        QOpenGLWidget::mouseReleaseEvent(event);
        return;
    }
    makeCurrent();
    core_->MouseUp(Translate(*event, button));
    update();
}

void GLWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    const MouseButton button = ButtonOf(event->button());
    if (button == MouseButton::None) {
        QOpenGLWidget::mouseDoubleClickEvent(event);
        return;
    }
    // Picking reads the depth of the drawn scene, so it needs the view's context.
    makeCurrent();
    core_->DoubleClick(Translate(*event, button));
    update();
}

void GLWidget::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        QOpenGLWidget::wheelEvent(event);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    ViewMouseEvent at;
    at.x = static_cast<int>(std::lround(event->position().x() * ratio));
    at.y = static_cast<int>(std::lround(event->position().y() * ratio));
    at.modifiers = ModifiersOf(event->modifiers());
    core_->Wheel(at, delta);
    update();
    event->accept();
}

ViewKey GLWidget::ViewKeyOf(int key) const {
    const ViewKey flyKey = core_->Flying() ? FlyKeyOf(key) : ViewKey::Other;
    return flyKey != ViewKey::Other ? flyKey : KeyOf(key);
}

void GLWidget::keyPressEvent(QKeyEvent* event) {
    const ViewKey key = ViewKeyOf(event->key());
    if (key == ViewKey::Other) {
        QOpenGLWidget::keyPressEvent(event);
        return;
    }
    makeCurrent();
    core_->KeyDown(ViewKeyEvent{key, ModifiersOf(event->modifiers())});
    update();
}

void GLWidget::keyReleaseEvent(QKeyEvent* event) {
    const ViewKey key = ViewKeyOf(event->key());
    if (key == ViewKey::Other || event->isAutoRepeat()) {
        QOpenGLWidget::keyReleaseEvent(event);
        return;
    }
    makeCurrent();
    core_->KeyUp(ViewKeyEvent{key, ModifiersOf(event->modifiers())});
    update();
}

void GLWidget::BeginDrag() {
    grabMouse();
    setCursor(Qt::BlankCursor);
}

void GLWidget::EndDrag(int x, int y) {
    QCursor::setPos(GlobalOf(x, y));
    unsetCursor();
    releaseMouse();
}

void GLWidget::WarpTo(int x, int y) { QCursor::setPos(GlobalOf(x, y)); }

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

namespace {
// Files to open, or an entry of the scene's archives to add.
bool Droppable(const QMimeData* data) { return !LocalFilesOf(data).isEmpty() || DraggedAssetOf(data).has_value(); }
}  // namespace

void GLWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (Droppable(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void GLWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (Droppable(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void GLWidget::dropEvent(QDropEvent* event) {
    const qreal ratio = devicePixelRatioF();
    const int x = static_cast<int>(std::lround(event->position().x() * ratio));
    const int y = static_cast<int>(std::lround(event->position().y() * ratio));
    if (DraggedAssetOf(event->mimeData())) {
        event->acceptProposedAction();
        emit assetDropped(event->mimeData(), x, y);
        return;
    }
    const QStringList paths = LocalFilesOf(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    core_->SetDropPoint(x, y);
    emit filesDropped(paths);
    core_->ClearDropPoint();
}
