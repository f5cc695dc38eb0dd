#include "ui/MainWindow.h"

#include <QMenuBar>
#include <QStatusBar>

#include "platform/Version.h"
#include "ui/GLWidget.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QString::fromLatin1(marovin::kProgramName));
    view_ = new GLWidget(this);
    setCentralWidget(view_);
    menuBar();
    statusBar()->showMessage(tr("Ready"));
    resize(1024, 768);
}
