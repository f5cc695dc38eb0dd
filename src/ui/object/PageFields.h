#pragma once

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "scene/COGLObject.h"

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

// Buttons "-X", "+X", "-Y", "+Y", "-Z", "+Z" in that order, named `prefix` and the
// text ("turn-X"). `backTip` and `tip` say what a minus and a plus button do, with
// "%1" for the axis. A click calls `turn` with the axis (0 to 2) and the sign of
// the step.
std::array<QToolButton*, 6> MakeTurnButtons(const QString& prefix, const QString& backTip, const QString& tip,
                                            QWidget* parent, const std::function<void(int axis, float sign)>& turn);
