#pragma once

#include "ui/PropertyWidgets.h"
#include "ui/object/ObjectSheetPage.h"

class QDoubleSpinBox;

// The "Material" page: the selected object's four material colours and its shininess.
class MaterialPage : public ObjectSheetPage {
    Q_OBJECT
public:
    // `chooseColor` asks for a colour; the sheet keeps it, the page only calls it.
    explicit MaterialPage(const ColorChooser& chooseColor, QWidget* parent = nullptr);

    QString Title() const override;
    bool Applies() const override;
    void Refresh() override;

private:
    void PickColor(int which);

    const ColorChooser& chooseColor_;
    ColorButton* colors_[4] = {};
    QDoubleSpinBox* shininess_ = nullptr;
};
