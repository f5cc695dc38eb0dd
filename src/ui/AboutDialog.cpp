#include "ui/AboutDialog.h"

#include <GL/gl.h>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QOpenGLWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>


#include <algorithm>

#include "platform/Version.h"
#include "ui/CommandIcons.h"

namespace {
QString GLText(GLenum name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text != nullptr ? QString::fromLatin1(text) : QString();
}

QString Line(const char* format, const QString& value) {
    // The layouts are printf formats with one %s and tabs for the column.
    QString line = QString::fromLatin1(format);
    return line.replace(QStringLiteral("%s"), value);
}
}  // namespace

QString OpenGLDescription(QOpenGLWidget* view) {
    if (view == nullptr || !view->isValid()) {
        return {};
    }
    view->makeCurrent();
    const QString text = Line("Version:\t\t%s\n", GLText(GL_VERSION)) + Line("Vendor:\t\t%s\n", GLText(GL_VENDOR)) +
                         Line("Renderer:\t%s\n", GLText(GL_RENDERER));
    view->doneCurrent();
    return text;
}

AboutDialog::AboutDialog(QOpenGLWidget* view, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About %1").arg(QString::fromLatin1(marovin::kProgramName)));
    driverText_ = OpenGLDescription(view);

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    auto* title = new QLabel(
        QStringLiteral("<b>%1</b> %2<br>A 3D scene composer for Quake II-era game assets.")
            .arg(QString::fromLatin1(marovin::kProgramName), QString::fromLatin1(marovin::kVersion)),
        this);
    auto* header = new QHBoxLayout;
    header->addWidget(icon);
    header->addWidget(title, 1);

    auto* driver = new QPlainTextEdit(driverText_.isEmpty() ? QStringLiteral("No OpenGL context.") : driverText_, this);
    driver->setReadOnly(true);
    driver->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The lines put two tabs after "Version:" and "Vendor:" and one after the longer
    // "Renderer:"; a tab stop just past the shorter labels lines the values up.
    const QFontMetrics metrics = driver->fontMetrics();
    const int labels = std::max(metrics.horizontalAdvance(QStringLiteral("Version:")),
                                metrics.horizontalAdvance(QStringLiteral("Vendor:"))) + 1;
    driver->setTabStopDistance(std::max(labels, metrics.horizontalAdvance(QStringLiteral("Renderer:")) / 2 + 1));
    driver->setFixedHeight(driver->fontMetrics().lineSpacing() * 4 + 12);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(driver);
    layout->addWidget(buttons);
    // Wide enough for the longest line (the version) after its two tabs.
    const int versionWidth = driver->fontMetrics().horizontalAdvance(driverText_.section(QLatin1Char('\n'), 0, 0)) +
                             static_cast<int>(driver->tabStopDistance()) * 2 + 60;
    setMinimumWidth(std::max(460, versionWidth));
}
