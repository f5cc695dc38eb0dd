#pragma once

#include "ui/object/ObjectSheetPage.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;

// The "Text" page of a 3D text: the text and its font, applied together after
// they were checked, and the shape of the letters.
class TextPage : public ObjectSheetPage {
    Q_OBJECT
public:
    explicit TextPage(QWidget* parent = nullptr);

    QString Title() const override;
    bool Applies() const override;
    void Refresh() override;

private:
    void ApplyText();

    QLineEdit* text_ = nullptr;
    QComboBox* font_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QDoubleSpinBox* extrusion_ = nullptr;
    QDoubleSpinBox* spacing_ = nullptr;
    QComboBox* outlineFormat_ = nullptr;
};
