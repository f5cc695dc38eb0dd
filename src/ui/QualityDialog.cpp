#include "ui/QualityDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/DialogButtons.h"

QualityDialog::QualityDialog(int index, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Quality"));
    auto* box = new QGroupBox(QStringLiteral("JPEG Quality"), this);
    auto* boxLayout = new QVBoxLayout(box);
    group_ = new QButtonGroup(this);
    const char* const names[] = {"Minimum", "Medium", "High", "Maximum"};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(names[i]), box);
        group_->addButton(button, i);
        boxLayout->addWidget(button);
    }
    SetIndex(index);
    QDialogButtonBox* buttons = MakeOkCancel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(buttons);
}

int QualityDialog::Index() const { return std::max(group_->checkedId(), 0); }

void QualityDialog::SetIndex(int index) { group_->button(std::clamp(index, 0, 3))->setChecked(true); }
