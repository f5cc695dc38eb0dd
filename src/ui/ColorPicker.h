#pragma once

#include <QColor>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QToolButton;

// The "Color Picker" tool window: named colour swatches and a colour dialog, and
// the scene or material colour they are applied to.
class ColorPicker : public QWidget {
    Q_OBJECT
public:
    explicit ColorPicker(QWidget* parent = nullptr);

    // The colours it can set, in the order of its target list.
    static QStringList TargetNames();
    // The swatches, in grid order.
    struct NamedColor {
        const char* name;
        int red, green, blue;
    };
    static const std::vector<NamedColor>& NamedColors();

    // Sets the current colour and applies it to the chosen target.
    void PickColor(const QColor& color);
    // Applies the current colour to the chosen target; with no target (or no colour
    // yet) it says "No Color Selected" and emits nothing.
    bool Apply();

    QComboBox* TargetBox() const { return target_; }
    std::optional<QColor> CurrentColor() const { return current_; }

    // Asks for a free colour (the current one to start from); nullopt on Cancel.
    // Defaults to the standard colour dialog.
    std::function<std::optional<QColor>(const QColor&)> chooseColor;

signals:
    // r, g and b run from 0 to 1; target is one of TargetNames().
    void colorApplied(const QString& target, float r, float g, float b);

private:
    void ShowCurrent();

    QComboBox* target_ = nullptr;
    QLabel* preview_ = nullptr;
    QLabel* previewName_ = nullptr;
    std::optional<QColor> current_;
};
