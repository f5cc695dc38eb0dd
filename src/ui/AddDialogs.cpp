#include "ui/AddDialogs.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

#include "ui/DialogButtons.h"

namespace {
struct Primitive {
    const char* name;
    int typeCode;
};

// The primitives a user can add, by the object type codes the scene file stores.
constexpr std::array kPrimitives{
    Primitive{"Box", 2},        Primitive{"Sphere", 3},     Primitive{"Cylinder", 9},  Primitive{"Rod", 8},
    Primitive{"Cone", 10},      Primitive{"Plane", 0},      Primitive{"Floor", 1},     Primitive{"Ceiling", 6},
    Primitive{"Right Wall", 4}, Primitive{"Left Wall", 5},  Primitive{"Billboard", 16}, Primitive{"Disk", 11},
    Primitive{"Text", 7},
};
}  // namespace

LightTypeDialog::LightTypeDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Select a Light Type to Add"));
    auto* group = new QGroupBox(QStringLiteral("Light Type"), this);
    point_ = new QRadioButton(QStringLiteral("Point"), group);
    spot_ = new QRadioButton(QStringLiteral("Spot"), group);
    point_->setChecked(true);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(point_);
    groupLayout->addWidget(spot_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(MakeOkCancel(this));
}

int LightTypeDialog::Kind() const { return spot_->isChecked() ? 1 : 0; }

void LightTypeDialog::SetKind(int kind) { (kind == 1 ? spot_ : point_)->setChecked(true); }

ObjectTypeDialog::ObjectTypeDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Select an Object Type to Add"));
    list_ = new QListWidget(this);
    for (const Primitive& primitive : kPrimitives) {
        auto* item = new QListWidgetItem(QString::fromLatin1(primitive.name), list_);
        item->setData(Qt::UserRole, primitive.typeCode);
    }
    list_->setCurrentRow(0);
    list_->setMinimumHeight(list_->sizeHintForRow(0) * static_cast<int>(kPrimitives.size()) + 8);
    auto* buttons = MakeOkCancel(this);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(list_, &QListWidget::currentRowChanged, this,
            [buttons](int row) { buttons->button(QDialogButtonBox::Ok)->setEnabled(row >= 0); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

int ObjectTypeDialog::TypeCode() const {
    const QListWidgetItem* item = list_->currentItem();
    return item != nullptr ? item->data(Qt::UserRole).toInt() : -1;
}

bool ObjectTypeDialog::SelectTypeCode(int typeCode) {
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->data(Qt::UserRole).toInt() == typeCode) {
            list_->setCurrentRow(row);
            return true;
        }
    }
    return false;
}
