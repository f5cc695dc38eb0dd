#include "ui/AnimationDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"

namespace {
constexpr int kLargestSide = 2048;
}  // namespace

AnimationDialog::AnimationDialog(const AnimationChoice& initial, Estimate estimate, QWidget* parent)
    : QDialog(parent), estimate_(std::move(estimate)) {
    setWindowTitle(QStringLiteral("Save Animation"));
    turntable_ = new QCheckBox(QStringLiteral("&Turn the camera by"), this);
    degrees_ = new QDoubleSpinBox(this);
    degrees_->setRange(-3600.0, 3600.0);
    degrees_->setDecimals(0);
    degrees_->setSuffix(QStringLiteral(" degrees"));
    orbit_ = new QComboBox(this);
    orbit_->addItems({QStringLiteral("about the camera's centre"), QStringLiteral("about the selection"),
                      QStringLiteral("about the whole scene")});
    auto* turn = new QHBoxLayout;
    turn->addWidget(turntable_);
    turn->addWidget(degrees_);
    turn->addWidget(orbit_, 1);
    play_ = new QCheckBox(QStringLiteral("&Play one loop of the selected model's animation"), this);

    frames_ = new QSpinBox(this);
    frames_->setRange(0, 10000);
    frames_->setSpecialValueText(QStringLiteral("As long as one loop"));
    fps_ = new QDoubleSpinBox(this);
    fps_->setRange(1.0, 100.0);
    fps_->setDecimals(1);
    fps_->setSuffix(QStringLiteral(" frames a second"));
    width_ = new QSpinBox(this);
    height_ = new QSpinBox(this);
    for (QSpinBox* side : {width_, height_}) {
        side->setRange(16, kLargestSide);
    }
    auto* size = new QHBoxLayout;
    size->addWidget(width_);
    size->addWidget(new QLabel(QStringLiteral("x"), this));
    size->addWidget(height_);
    size->addStretch(1);
    transparent_ = new QCheckBox(QStringLiteral("T&ransparent background"), this);
    quality_ = new QSpinBox(this);
    quality_->setRange(-1, 100);
    quality_->setSpecialValueText(QStringLiteral("Lossless"));
    dither_ = new QCheckBox(QStringLiteral("&Dither (GIF)"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Frames:"), frames_);
    form->addRow(QStringLiteral("Rate:"), fps_);
    form->addRow(QStringLiteral("Size:"), size);
    form->addRow(QStringLiteral("Quality (WebP, video):"), quality_);
    estimateLabel_ = new QLabel(this);
    estimateLabel_->setObjectName(QStringLiteral("animationEstimate"));
    estimateLabel_->setWordWrap(true);
    QDialogButtonBox* buttons = MakeOkCancel(this);
    ok_ = buttons->button(QDialogButtonBox::Ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(turn);
    layout->addWidget(play_);
    layout->addLayout(form);
    layout->addWidget(transparent_);
    layout->addWidget(dither_);
    layout->addWidget(estimateLabel_);
    layout->addWidget(buttons);

    SetChoice(initial);
    for (QCheckBox* box : {turntable_, play_, transparent_, dither_}) {
        connect(box, &QCheckBox::toggled, this, &AnimationDialog::Refresh);
    }
    for (QSpinBox* box : {frames_, width_, height_, quality_}) {
        connect(box, &QSpinBox::valueChanged, this, &AnimationDialog::Refresh);
    }
    for (QDoubleSpinBox* box : {degrees_, fps_}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, &AnimationDialog::Refresh);
    }
    connect(orbit_, &QComboBox::currentIndexChanged, this, &AnimationDialog::Refresh);
    Refresh();
}

AnimationChoice AnimationDialog::Choice() const {
    AnimationChoice choice;
    choice.turntable = turntable_->isChecked();
    choice.degrees = static_cast<float>(degrees_->value());
    choice.orbit = orbit_->currentIndex();
    choice.play = play_->isChecked();
    choice.frames = frames_->value();
    choice.fps = static_cast<float>(fps_->value());
    choice.width = width_->value();
    choice.height = height_->value();
    choice.transparent = transparent_->isChecked();
    choice.quality = quality_->value();
    choice.dither = dither_->isChecked();
    return choice;
}

void AnimationDialog::SetChoice(const AnimationChoice& choice) {
    turntable_->setChecked(choice.turntable);
    degrees_->setValue(choice.degrees);
    orbit_->setCurrentIndex(choice.orbit);
    play_->setChecked(choice.play);
    frames_->setValue(choice.frames);
    fps_->setValue(choice.fps);
    width_->setValue(choice.width);
    height_->setValue(choice.height);
    transparent_->setChecked(choice.transparent);
    quality_->setValue(choice.quality);
    dither_->setChecked(choice.dither);
}

void AnimationDialog::Refresh() {
    degrees_->setEnabled(turntable_->isChecked());
    orbit_->setEnabled(turntable_->isChecked());
    bool ok = false;
    estimateLabel_->setText(estimate_ ? estimate_(Choice(), ok) : QString());
    ok_->setEnabled(ok);
}
