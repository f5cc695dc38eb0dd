#pragma once

#include "math/Vector3.h"
#include "ui/object/ObjectSheetPage.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class Vector3Editor;

// The "Object" page: the selected object's name, visibility, opacity, position,
// scale and orientation.
class ObjectPage : public ObjectSheetPage {
    Q_OBJECT
public:
    explicit ObjectPage(QWidget* parent = nullptr);

    QString Title() const override;
    bool Applies() const override;
    void Refresh() override;

private:
    void ShowOrientation(const COGLObject& object);
    void Turn(int axis, float sign);
    void ResetRotation();

    QLineEdit* name_ = nullptr;
    Vector3Editor* position_ = nullptr;
    QLabel* orientation_ = nullptr;
    QDoubleSpinBox* rotateStep_ = nullptr;
    Vector3Editor* scale_ = nullptr;
    QCheckBox* visible_ = nullptr;
    QCheckBox* transparent_ = nullptr;
    QDoubleSpinBox* alpha_ = nullptr;
};

// The orientation as angles about x, then the turned y, then the twice-turned z
// (the order of rotating by x, y and z in turn), in degrees within (-180, 180].
Vector3 OrientationAngles(const COGLObject& object);
