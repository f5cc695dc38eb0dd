#include "ui/object/PageFields.h"

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QToolButton>

#include <cmath>

#include "ui/PropertyWidgets.h"
#include "ui/SceneNames.h"

QString ShownNumber(float value, int decimals) {
    const double shown = std::round(static_cast<double>(value) * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    return QString::number(shown == 0.0 ? 0.0 : shown, 'f', decimals);
}

std::optional<std::string> TypedName(QLineEdit& edit, const std::string& current) {
    const std::optional<std::string> name = ToSceneText(edit.text(), current, kMaxNameLength);
    if (!name) {
        edit.setText(GameText(current));
        return std::nullopt;
    }
    return *name != current ? name : std::nullopt;
}

QLineEdit* MakeNameField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setMaxLength(kMaxNameLength);
    return field;
}

void ShowName(QLineEdit& field, const std::string& name) {
    const QString shown = GameText(name);
    if (field.text() != shown) {
        field.setText(shown);
    }
}

QDoubleSpinBox* MakeTurnStep(QWidget* parent) {
    QDoubleSpinBox* step = MakeRealBox(0.5, 180.0, 5.0, 1, parent);
    step->setSuffix(QStringLiteral("\u00B0"));
    step->setValue(15.0);
    return step;
}

void TurnAbout(COGLObject& object, int axis, float degrees) {
    switch (axis) {
        case 0: object.RotateX(degrees); break;
        case 1: object.RotateY(degrees); break;
        default: object.RotateZ(degrees); break;
    }
}

std::array<QToolButton*, 6> MakeTurnButtons(const QString& prefix, const QString& backTip, const QString& tip,
                                            QWidget* parent, const std::function<void(int axis, float sign)>& turn) {
    static constexpr const char* kAxes[3] = {"X", "Y", "Z"};
    std::array<QToolButton*, 6> buttons{};
    for (int axis = 0; axis < 3; ++axis) {
        const QString name = QString::fromLatin1(kAxes[axis]);
        for (int side = 0; side < 2; ++side) {
            const QString sign = side == 0 ? QStringLiteral("-") : QStringLiteral("+");
            auto* button = new QToolButton(parent);
            button->setText(sign + name);
            button->setToolTip((side == 0 ? backTip : tip).arg(name));
            button->setObjectName(prefix + sign + name);
            button->setMinimumWidth(34);
            const float step = side == 0 ? -1.0f : 1.0f;
            QObject::connect(button, &QToolButton::clicked, parent, [turn, axis, step] { turn(axis, step); });
            buttons[static_cast<std::size_t>(axis * 2 + side)] = button;
        }
    }
    return buttons;
}
