#pragma once

#include <QDialog>

class QButtonGroup;

// "Quality": the JPEG quality index 0 to 3 ("Minimum" to "Maximum").
class QualityDialog : public QDialog {
    Q_OBJECT
public:
    explicit QualityDialog(int index = 1, QWidget* parent = nullptr);

    int Index() const;
    void SetIndex(int index);

private:
    QButtonGroup* group_ = nullptr;
};
