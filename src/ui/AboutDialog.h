#pragma once

#include <QDialog>
#include <QString>

class QOpenGLWidget;

// The OpenGL strings of the widget's context in the about box's layout
// ("Version:\t\t...\n" and so on); empty when the widget has no context yet.
QString OpenGLDescription(QOpenGLWidget* view);

// The about box: program name and version, and the OpenGL driver in use.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QOpenGLWidget* view, QWidget* parent = nullptr);

    QString DriverText() const { return driverText_; }

private:
    QString driverText_;
};
