#pragma once

#include <QColor>
#include <QToolButton>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

#include "math/ColorRGBA.h"
#include "math/Vector3.h"

class QDoubleSpinBox;
class QFormLayout;
class QGroupBox;
class QLabel;

// Small editors the property sheets share. They show a value and report the
// user's edits; they never write to the scene themselves.

// Asks the user for a colour, starting from the current one, with a title naming
// what is being coloured; nullopt on Cancel. The sheets use the standard colour
// dialog unless a test puts its own answer in.
using ColorChooser = std::function<std::optional<QColor>(const QColor& start, const QString& title)>;
ColorChooser StandardColorChooser(QWidget* parent);

QColor ToQColor(const ColorRGBA& color);
QColor ToQColor(float r, float g, float b);

// A swatch of the colour it shows, with the colour's hex code beside it.
class ColorButton : public QToolButton {
    Q_OBJECT
public:
    explicit ColorButton(QWidget* parent = nullptr);
    void SetColor(const QColor& color);
    QColor Color() const { return color_; }

private:
    QColor color_;
};

// Three spin boxes for x, y and z, labelled in the colours of the axis marks.
// Edits are reported when a value is committed (Enter, focus leaving, the arrows),
// not on every keystroke.
class Vector3Editor : public QWidget {
    Q_OBJECT
public:
    Vector3Editor(double minimum, double maximum, double step, int decimals, QWidget* parent = nullptr);

    void SetValue(const Vector3& value);  // without reporting an edit
    Vector3 Value() const;
    // An axis the value cannot change along (a plane's thin axis) is shown disabled.
    void SetAxisEnabled(int axis, bool enabled);
    void SetSuffix(const QString& suffix);
    QDoubleSpinBox* Axis(int axis) const { return boxes_[static_cast<std::size_t>(axis)]; }

signals:
    void edited(const Vector3& value);

private:
    std::array<QDoubleSpinBox*, 3> boxes_{};
};

// A spin box for one real value with the sheets' common settings.
QDoubleSpinBox* MakeRealBox(double minimum, double maximum, double step, int decimals, QWidget* parent);

// A group box with a form layout that labels its rows on the left.
QFormLayout* MakeFormGroup(const QString& title, QGroupBox*& group, QWidget* parent);
