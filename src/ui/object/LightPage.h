#pragma once

#include "ui/PropertyWidgets.h"
#include "ui/object/ObjectSheetPage.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

// The "Light" page: the selected light's name, whether it is on, the GL light it
// holds, its position and its colours.
class LightPage : public ObjectSheetPage {
    Q_OBJECT
public:
    // `chooseColor` asks for a colour; the sheet keeps it, the page only calls it.
    explicit LightPage(const ColorChooser& chooseColor, QWidget* parent = nullptr);

    QString Title() const override;
    bool Applies() const override;
    void Refresh() override;

private:
    void PickColor(int which);

    const ColorChooser& chooseColor_;
    QLineEdit* name_ = nullptr;
    QCheckBox* enabled_ = nullptr;
    QLabel* slot_ = nullptr;
    Vector3Editor* position_ = nullptr;
    QDoubleSpinBox* w_ = nullptr;
    ColorButton* colors_[3] = {};
};
