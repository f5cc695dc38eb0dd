#pragma once

#include <QColor>
#include <QFormLayout>
#include <QToolButton>
#include <QVariant>
#include <QWidget>

#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>

#include "math/ColorRGBA.h"
#include "math/Vector3.h"
#include "ui/PropertyPage.h"

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QVBoxLayout;

// Small editors the property sheets share. They show a value and report the
// user's edits; they never write to the scene themselves.

// Asks the user for a colour, starting from the current one, with a title naming
// what is being coloured; nullopt on Cancel. The sheets use the standard colour
// dialog unless a test puts its own answer in.
using ColorChooser = std::function<std::optional<QColor>(const QColor& start, const QString& title)>;
ColorChooser StandardColorChooser(QWidget* parent);

QColor ToQColor(const ColorRGBA& color);
QColor ToQColor(float r, float g, float b);
// The chosen colour's red, green and blue with `alpha` (colours keep their own).
ColorRGBA ToColorRGBA(const QColor& color, float alpha);

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

// A row for each of `labels` with a colour button (`buttons[i]`, named `prefix`
// and the label, made in `parent`); a click calls pick(i).
void AddColorRows(QFormLayout* form, std::span<const char* const> labels, const QString& prefix,
                  ColorButton** buttons, QWidget* parent, const std::function<void(int)>& pick);

// Asks for a colour, starting from the one `button` shows, for the thing `shown()`
// gives. The dialog is modal, so the thing is looked up again after it: when a colour
// was chosen and there still is one, set(thing, colour) changes it and the page shows
// and reports the edit.
template <typename Shown, typename Set>
void PickColorFor(PropertyPage& page, const ColorChooser& choose, const ColorButton& button, const QString& title,
                  Shown&& shown, Set&& set) {
    if (shown() == nullptr) {
        return;
    }
    const std::optional<QColor> chosen = choose(button.Color(), title);
    auto* thing = shown();
    if (!chosen || thing == nullptr) {
        return;
    }
    set(*thing, *chosen);
    page.Refresh();
    emit page.changed();
}

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

// Names `widget` and adds it to the form under `label`.
template <typename Widget>
Widget* AddNamedRow(QFormLayout* form, const QString& label, const QString& name, Widget* widget) {
    widget->setObjectName(name);
    form->addRow(label, widget);
    return widget;
}

// A page's column of groups, with the margins every page of the sheets has.
QVBoxLayout* MakePageLayout(QWidget* page);

// A list of which one row at a time is chosen.
QListWidget* MakeList(const QString& name, QWidget* parent);

QPushButton* MakeButton(const QString& text, const QString& name, QWidget* parent);
// Buttons side by side at the right of their row.
QHBoxLayout* MakeButtonRow(std::initializer_list<QWidget*> buttons);
// A choice of names that takes the width it is given but asks for little.
QComboBox* MakeChoiceBox(const QString& name, QWidget* parent);

// A greyed, wrapped line under a page's controls that says what they do.
QLabel* MakeNote(const QString& text, QWidget* parent);

// A greyed, centred text standing where a list or tree has nothing to show.
QLabel* MakePlaceholder(const QString& name, QWidget* parent);

// Applies `edit` to `thing` (what the page shows, looked up afresh) when there is
// one, and reports the edit.
template <typename Thing, typename Edit>
void EditShown(PropertyPage& page, Thing* thing, Edit&& edit) {
    if (thing != nullptr) {
        edit(*thing);
        emit page.changed();
    }
}

// A thing of the scene (object, light, texture, archive) as the data of a list row
// or a choice, and back. The address only names it: before use it is looked up in
// the scene, which may no longer hold it.
inline QVariant ItemData(const void* pointer) { return QVariant::fromValue(reinterpret_cast<quintptr>(pointer)); }
template <typename T>
T* ItemPointer(const QVariant& data) {
    return reinterpret_cast<T*>(data.value<quintptr>());
}
