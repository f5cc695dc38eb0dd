#pragma once

#include "ui/object/ObjectSheetPage.h"

class COGLSpotLight;
class QDoubleSpinBox;
class QLabel;

// The "Spot" page of a spot light: its cone, where it points (turned by steps
// about the marker's axes) and how it falls off with distance.
class SpotPage : public ObjectSheetPage {
    Q_OBJECT
public:
    explicit SpotPage(QWidget* parent = nullptr);

    QString Title() const override;
    bool Applies() const override;
    void Refresh() override;

private:
    // The light shown, when it is a spot.
    COGLSpotLight* CurrentSpot() const;
    void Aim(int axis, float sign);

    QDoubleSpinBox* cutOff_ = nullptr;
    QDoubleSpinBox* exponent_ = nullptr;
    QDoubleSpinBox* attenuation_[3] = {};
    QLabel* direction_ = nullptr;
    QDoubleSpinBox* step_ = nullptr;
};
