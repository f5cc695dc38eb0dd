#pragma once

#include "ui/PropertyPage.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QListWidget;

// The "Shadows" page: whether the scene casts shadows, the planes they fall on,
// the lights that cast them, and how they look.
class ShadowsPage : public PropertyPage {
    Q_OBJECT
public:
    explicit ShadowsPage(QWidget* parent = nullptr);

    QString Title() const override;
    void Refresh() override;

private:
    void AddPlane();
    void AddLight();
    void RemoveEntry(QListWidget* list, bool plane);

    QCheckBox* shadowsEnabled_ = nullptr;
    QListWidget* shadowPlanes_ = nullptr;
    QComboBox* planeChoice_ = nullptr;
    QListWidget* shadowLights_ = nullptr;
    QComboBox* lightChoice_ = nullptr;
    QCheckBox* shadowBlending_ = nullptr;
    QDoubleSpinBox* shadowOpacity_ = nullptr;
};
