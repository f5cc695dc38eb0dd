#pragma once

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "scene/COGLObject.h"
#include "ui/PropertyPage.h"

class QDoubleSpinBox;
class QLineEdit;
class QToolButton;
class QWidget;

// What the object sheet's pages share: the ranges of their fields, and the name
// field and turn buttons both objects and lights have.

inline constexpr double kPlacementLimit = 100000.0;
inline constexpr double kScaleLimit = 10000.0;
inline constexpr int kMaxNameLength = static_cast<int>(COGLObject::kNameFieldSize) - 1;

// A value as shown with `decimals` places, never as "-0.0".
QString ShownNumber(float value, int decimals);

// The name typed into `edit` when it differs from `current` and the scene can hold
// it; a refused one is put back as it was.
std::optional<std::string> TypedName(QLineEdit& edit, const std::string& current);

// A field for the name of an object or light, as long as the scene can hold.
QLineEdit* MakeNameField(QWidget* parent);
// Shows `name` unless the field says so already (an edit in progress keeps its cursor).
void ShowName(QLineEdit& field, const std::string& name);
// Gives `thing` (the page's object or light) the name typed into `field` when it is
// a new one the scene can hold, and reports the edit.
template <typename Thing>
void Rename(PropertyPage& page, QLineEdit& field, Thing* thing) {
    if (thing == nullptr) {
        return;
    }
    if (const auto name = TypedName(field, thing->Name())) {
        thing->SetName(*name);
        emit page.changed();
    }
}

// The step of a page's turn buttons, in degrees.
QDoubleSpinBox* MakeTurnStep(QWidget* parent);
// Turns `object` by `degrees` about its x, y or z axis (0 to 2).
void TurnAbout(COGLObject& object, int axis, float degrees);

// Buttons "-X", "+X", "-Y", "+Y", "-Z", "+Z" in that order, named `prefix` and the
// text ("turn-X"). `backTip` and `tip` say what a minus and a plus button do, with
// "%1" for the axis. A click calls `turn` with the axis (0 to 2) and the sign of
// the step.
std::array<QToolButton*, 6> MakeTurnButtons(const QString& prefix, const QString& backTip, const QString& tip,
                                            QWidget* parent, const std::function<void(int axis, float sign)>& turn);
