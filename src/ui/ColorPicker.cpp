#include "ui/ColorPicker.h"

#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstddef>

#include "platform/Host.h"
#include "platform/Messages.h"

namespace {
QIcon Swatch(const QColor& color) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(60, 60, 60));
    painter.setBrush(color);
    painter.drawRect(0, 0, 19, 19);
    return QIcon(pixmap);
}
}  // namespace

QStringList ColorPicker::TargetNames() {
    // The material entries begin with a space: they read as members of the selected object.
    return {QStringLiteral("Scene Shadow"), QStringLiteral("Scene Fog"),      QStringLiteral(" Ambient"),
            QStringLiteral(" Diffuse"),     QStringLiteral(" Specular"),      QStringLiteral(" Emission"),
            QStringLiteral("Scene Background")};
}

const std::vector<ColorPicker::NamedColor>& ColorPicker::NamedColors() {
    static const std::vector<NamedColor> colors{
        {"Black", 0, 0, 0},          {"Dark Grey", 64, 64, 64},       {"Grey", 128, 128, 128},
        {"Light Grey", 192, 192, 192}, {"White", 255, 255, 255},      {"Maroon", 128, 0, 0},
        {"Red", 255, 0, 0},          {"Orange", 255, 128, 0},         {"Yellow", 255, 255, 0},
        {"Olive", 128, 128, 0},      {"Green", 0, 128, 0},            {"Lime", 0, 255, 0},
        {"Teal", 0, 128, 128},       {"Cyan", 0, 255, 255},           {"Sky Blue", 128, 192, 255},
        {"Navy", 0, 0, 128},         {"Blue", 0, 0, 255},             {"Purple", 128, 0, 128},
        {"Magenta", 255, 0, 255},    {"Pink", 255, 160, 192},         {"Brown", 128, 64, 0},
        {"Tan", 210, 180, 140},      {"Flesh", 255, 204, 170},        {"Dusk", 64, 64, 96},
    };
    return colors;
}

ColorPicker::ColorPicker(QWidget* parent) : QWidget(parent) {
    chooseColor = [this](const QColor& start) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(start, this, QStringLiteral("Color"));
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };

    target_ = new QComboBox(this);
    target_->addItems(TargetNames());
    target_->setCurrentIndex(-1);
    target_->setPlaceholderText(QStringLiteral("Apply to..."));

    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    const auto& colors = NamedColors();
    constexpr int kColumns = 6;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const NamedColor& named = colors[i];
        const QColor color(named.red, named.green, named.blue);
        auto* button = new QToolButton(this);
        button->setIcon(Swatch(color));
        button->setIconSize(QSize(20, 20));
        button->setAutoRaise(true);
        button->setToolTip(QString::fromLatin1(named.name));
        button->setObjectName(QString::fromLatin1(named.name));
        connect(button, &QToolButton::clicked, this, [this, color] { PickColor(color); });
        grid->addWidget(button, static_cast<int>(i) / kColumns, static_cast<int>(i) % kColumns);
    }

    preview_ = new QLabel(this);
    preview_->setFixedSize(40, 24);
    preview_->setFrameShape(QFrame::Box);
    previewName_ = new QLabel(this);
    auto* more = new QPushButton(QStringLiteral("More Colors..."), this);
    connect(more, &QPushButton::clicked, this, [this] {
        if (const auto chosen = chooseColor(current_.value_or(Qt::white))) {
            PickColor(*chosen);
        }
    });
    auto* apply = new QPushButton(QStringLiteral("Apply"), this);
    connect(apply, &QPushButton::clicked, this, [this] { Apply(); });

    auto* current = new QHBoxLayout;
    current->addWidget(preview_);
    current->addWidget(previewName_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(more);
    buttons->addWidget(apply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(target_);
    layout->addLayout(grid);
    layout->addLayout(current);
    layout->addLayout(buttons);
    layout->addStretch(1);
    ShowCurrent();
}

void ColorPicker::ShowCurrent() {
    if (!current_) {
        preview_->setStyleSheet({});
        previewName_->setText(QStringLiteral("No colour"));
        return;
    }
    preview_->setStyleSheet(QStringLiteral("background-color: %1;").arg(current_->name()));
    QString name = current_->name(QColor::HexRgb).toUpper();
    for (const NamedColor& named : NamedColors()) {
        if (QColor(named.red, named.green, named.blue) == *current_) {
            name = QString::fromLatin1(named.name);
        }
    }
    previewName_->setText(name);
}

void ColorPicker::PickColor(const QColor& color) {
    current_ = color.toRgb();
    ShowCurrent();
    Apply();
}

bool ColorPicker::Apply() {
    if (target_->currentIndex() < 0 || !current_) {
        GetHost().ShowMessage(msg::kNoColorSelected.text);
        return false;
    }
    emit colorApplied(target_->currentText(), static_cast<float>(current_->redF()),
                      static_cast<float>(current_->greenF()), static_cast<float>(current_->blueF()));
    return true;
}
