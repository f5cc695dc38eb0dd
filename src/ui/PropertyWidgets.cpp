#include "ui/PropertyWidgets.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

ColorChooser StandardColorChooser(QWidget* parent) {
    return [parent](const QColor& start, const QString& title) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(start, parent, title);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };
}

QColor ToQColor(float r, float g, float b) {
    const auto clamp = [](float value) { return std::clamp(value, 0.0f, 1.0f); };
    return QColor::fromRgbF(clamp(r), clamp(g), clamp(b));
}

QColor ToQColor(const ColorRGBA& color) { return ToQColor(color.red, color.green, color.blue); }

ColorRGBA ToColorRGBA(const QColor& color, float alpha) {
    return {static_cast<float>(color.redF()), static_cast<float>(color.greenF()), static_cast<float>(color.blueF()),
            alpha};
}

ColorButton::ColorButton(QWidget* parent) : QToolButton(parent) {
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIconSize(QSize(28, 16));
    setMinimumWidth(110);
    setToolTip(QStringLiteral("Choose a colour"));
    SetColor(Qt::black);
}

void ColorButton::SetColor(const QColor& color) {
    color_ = color;
    QPixmap swatch(iconSize());
    swatch.fill(Qt::transparent);
    QPainter painter(&swatch);
    painter.setPen(QColor(70, 70, 70));
    painter.setBrush(color);
    painter.drawRect(0, 0, swatch.width() - 1, swatch.height() - 1);
    painter.end();
    setIcon(QIcon(swatch));
    setText(color.name(QColor::HexRgb).toUpper());
}

void AddColorRows(QFormLayout* form, std::span<const char* const> labels, const QString& prefix,
                  ColorButton** buttons, QWidget* parent, const std::function<void(int)>& pick) {
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const QString label = QString::fromLatin1(labels[i]);
        auto* button = new ColorButton(parent);
        button->setObjectName(prefix + label);
        QObject::connect(button, &ColorButton::clicked, button, [pick, i] { pick(static_cast<int>(i)); });
        buttons[i] = button;
        form->addRow(label, button);
    }
}

QDoubleSpinBox* MakeRealBox(double minimum, double maximum, double step, int decimals, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setSingleStep(step);
    box->setDecimals(decimals);
    box->setKeyboardTracking(false);
    box->setAccelerated(true);
    box->setAlignment(Qt::AlignRight);
    box->setMinimumWidth(std::max(64, box->sizeHint().width()));
    return box;
}

QFormLayout* MakeFormGroup(const QString& title, QGroupBox*& group, QWidget* parent) {
    group = new QGroupBox(title, parent);
    auto* form = new QFormLayout(group);
    // Text fields, lists of names and x/y/z rows take the width; single numbers and
    // swatches keep their natural size.
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->setContentsMargins(8, 6, 8, 6);
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(4);
    return form;
}

QVBoxLayout* MakePageLayout(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(8);
    return layout;
}

QListWidget* MakeList(const QString& name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    list->setAlternatingRowColors(true);
    return list;
}

QPushButton* MakeButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

QHBoxLayout* MakeButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* button : buttons) {
        row->addWidget(button);
    }
    return row;
}

QComboBox* MakeChoiceBox(const QString& name, QWidget* parent) {
    auto* choice = new QComboBox(parent);
    choice->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    choice->setObjectName(name);
    choice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    choice->setMinimumContentsLength(12);
    return choice;
}

QLabel* MakeNote(const QString& text, QWidget* parent) {
    auto* note = new QLabel(text, parent);
    note->setWordWrap(true);
    note->setEnabled(false);
    return note;
}

QLabel* MakePlaceholder(const QString& name, QWidget* parent) {
    auto* placeholder = new QLabel(parent);
    placeholder->setObjectName(name);
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setWordWrap(true);
    placeholder->setMargin(12);
    placeholder->setEnabled(false);
    return placeholder;
}

Vector3Editor::Vector3Editor(double minimum, double maximum, double step, int decimals, QWidget* parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    // The colours of the axis marks drawn on the selected object.
    static constexpr const char* kNames[3] = {"X", "Y", "Z"};
    static constexpr const char* kColors[3] = {"#c03030", "#2f9a2f", "#3050d0"};
    for (int axis = 0; axis < 3; ++axis) {
        auto* label = new QLabel(QString::fromLatin1(kNames[axis]), this);
        label->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(QString::fromLatin1(kColors[axis])));
        QDoubleSpinBox* box = MakeRealBox(minimum, maximum, step, decimals, this);
        box->setObjectName(QString::fromLatin1(kNames[axis]));
        row->addWidget(label);
        row->addWidget(box, 1);
        boxes_[static_cast<std::size_t>(axis)] = box;
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { emit edited(Value()); });
    }
}

void Vector3Editor::SetValue(const Vector3& value) {
    const float values[3] = {value.x, value.y, value.z};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const QSignalBlocker block(boxes_[axis]);
        boxes_[axis]->setValue(static_cast<double>(values[axis]));
    }
}

Vector3 Vector3Editor::Value() const {
    return {static_cast<float>(boxes_[0]->value()), static_cast<float>(boxes_[1]->value()),
            static_cast<float>(boxes_[2]->value())};
}

void Vector3Editor::SetAxisEnabled(int axis, bool enabled) { Axis(axis)->setEnabled(enabled); }

void Vector3Editor::SetSuffix(const QString& suffix) {
    for (QDoubleSpinBox* box : boxes_) {
        box->setSuffix(suffix);
    }
}
