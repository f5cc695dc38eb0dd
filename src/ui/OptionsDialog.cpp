#include "ui/OptionsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/Settings.h"
#include "ui/DialogButtons.h"

namespace keys = settings_keys;

namespace {
QSlider* MakeSlider(int minimum, int maximum, int value, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(minimum, maximum);
    slider->setValue(std::clamp(value, minimum, maximum));
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(maximum > 10 ? 10 : 1);
    slider->setPageStep(maximum > 10 ? 10 : 1);
    return slider;
}

QWidget* WithValue(QSlider* slider, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* value = new QLabel(QString::number(slider->value()), row);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("100")));
    QObject::connect(slider, &QSlider::valueChanged, value, [value](int v) { value->setNum(v); });
    layout->addWidget(slider, 1);
    layout->addWidget(value);
    return row;
}
}  // namespace

OptionsDialog::OptionsDialog(bool saveSettings, bool resetWindowPositions, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Program Options"));
    Settings& settings = GetSettings();

    // Software rendering is never offered: the view always renders through the
    // driver it is given, so the box only shows that the choice is off.
    forceSoftware_ = new QCheckBox(QStringLiteral("Force software rendering"), this);
    forceSoftware_->setChecked(false);
    forceSoftware_->setEnabled(false);
    showFrameTime_ = new QCheckBox(QStringLiteral("Show frame time"), this);
    showFrameTime_->setChecked(settings.GetInt(keys::kSettings, keys::kShowFrameTime, 0) != 0);

    sensitivity_ = MakeSlider(1, 10, settings.GetInt(keys::kSettings, keys::kMouseSensitivity, 1), this);
    // The stored value is 100 minus the slider position.
    gamma_ = MakeSlider(1, 100, 100 - settings.GetInt(keys::kSettings, keys::kGamma, 100), this);
    initialGammaPosition_ = gamma_->value();

    saveSettings_ = new QCheckBox(QStringLiteral("Save settings on exit"), this);
    saveSettings_->setChecked(saveSettings);
    connect(saveSettings_, &QCheckBox::toggled, this, [this](bool on) {
        GetSettings().SetInt(keys::kSettings, keys::kSaveSettings, on ? 1 : 0);
        emit saveSettingsChanged(on);
    });
    resetWindows_ = new QCheckBox(QStringLiteral("Reset window positions"), this);
    resetWindows_->setChecked(resetWindowPositions);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Mouse Sensitivity"), WithValue(sensitivity_, this));
    form->addRow(QStringLiteral("Gamma (not real time)"), WithValue(gamma_, this));

    QDialogButtonBox* buttons = MakeOkCancel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(forceSoftware_);
    layout->addWidget(showFrameTime_);
    layout->addLayout(form);
    layout->addWidget(saveSettings_);
    layout->addWidget(resetWindows_);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void OptionsDialog::WriteSettings() const {
    Settings& settings = GetSettings();
    settings.SetInt(keys::kSettings, keys::kShowFrameTime, showFrameTime_->isChecked() ? 1 : 0);
    settings.SetInt(keys::kSettings, keys::kMouseSensitivity, sensitivity_->value());
    // The slider cannot show the default of 100 (its position would be 0), so an
    // untouched slider leaves the stored value as it was instead of moving it to 99.
    if (gamma_->value() != initialGammaPosition_) {
        settings.SetInt(keys::kSettings, keys::kGamma, 100 - gamma_->value());
    }
}

bool OptionsDialog::SaveSettings() const { return saveSettings_->isChecked(); }

bool OptionsDialog::ResetWindowPositions() const { return resetWindows_->isChecked(); }
