#include "ui/object/ValueSlider.h"

#include <QDial>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <cmath>

#include "ui/object/PageFields.h"

namespace {
// A straight slider's steps from start to end: fine enough for a tenth of a
// degree over the widest ranges models use.
constexpr int kSteps = 1000;
// A dial turns in tenths of a degree.
constexpr int kTurnSteps = 3600;
constexpr float kTurn = 360.0f;
}  // namespace

ValueSlider::ValueSlider(const QString& name, QWidget* parent) : QWidget(parent), name_(name) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    value_ = new QLabel(this);
    value_->setObjectName(name + QStringLiteral("Value"));
    value_->setMinimumWidth(value_->fontMetrics().horizontalAdvance(QStringLiteral("-0000.0\u00B0")));
    value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(value_);
    SetRange(0.0f, 1.0f, false, false);
}

void ValueSlider::SetRange(float start, float end, bool wraps, bool degrees) {
    start_ = std::isfinite(start) ? start : 0.0f;
    end_ = std::isfinite(end) ? end : start_;
    degrees_ = degrees;
    if (slider_ == nullptr || wraps != wraps_) {
        delete slider_;
        if (wraps) {
            auto* dial = new QDial(this);
            dial->setWrapping(true);
            dial->setNotchesVisible(true);
            dial->setRange(0, kTurnSteps - 1);
            dial->setPageStep(kTurnSteps / 24);
            dial->setFixedSize(48, 48);
            slider_ = dial;
        } else {
            auto* slider = new QSlider(Qt::Horizontal, this);
            slider->setRange(0, kSteps);
            slider->setPageStep(kSteps / 10);
            slider_ = slider;
        }
        slider_->setObjectName(name_);
        static_cast<QHBoxLayout*>(layout())->insertWidget(0, slider_, 1);
        connect(slider_, &QAbstractSlider::valueChanged, this, [this](int position) {
            ShowValue();
            emit edited(ValueAt(position));
        });
    }
    wraps_ = wraps;
    ShowValue();
}

float ValueSlider::ValueAt(int position) const {
    if (wraps_) {
        return start_ + static_cast<float>(position) * kTurn / static_cast<float>(kTurnSteps);
    }
    return start_ + (end_ - start_) * static_cast<float>(position) / static_cast<float>(kSteps);
}

float ValueSlider::Value() const { return ValueAt(slider_->value()); }

void ValueSlider::SetValue(float value) {
    if (!std::isfinite(value)) {
        value = start_;
    }
    int position = 0;
    if (wraps_) {
        const float turned = std::fmod(std::fmod(value - start_, kTurn) + kTurn, kTurn);
        position = static_cast<int>(std::lround(turned * static_cast<float>(kTurnSteps) / kTurn)) % kTurnSteps;
    } else if (end_ != start_) {
        const float share = (value - start_) / (end_ - start_);
        position = static_cast<int>(std::lround(std::clamp(share, 0.0f, 1.0f) * static_cast<float>(kSteps)));
    }
    const QSignalBlocker block(slider_);
    slider_->setValue(position);
    ShowValue();
}

void ValueSlider::ShowValue() {
    value_->setText(ShownNumber(Value(), 1) + (degrees_ ? QStringLiteral("\u00B0") : QString()));
}
