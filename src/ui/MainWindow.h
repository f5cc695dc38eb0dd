#pragma once

#include <QMainWindow>

class GLWidget;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    GLWidget* View() const { return view_; }

private:
    GLWidget* view_ = nullptr;
};
