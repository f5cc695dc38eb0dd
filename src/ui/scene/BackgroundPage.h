#pragma once

#include "ui/PropertyPage.h"

class ColorButton;
class QLabel;
class QRadioButton;
struct SceneSheetHooks;

// The "Background" page: the scene's background colour, its picture and how that
// is drawn, and the ambient light.
class BackgroundPage : public PropertyPage {
    Q_OBJECT
public:
    explicit BackgroundPage(const SceneSheetHooks& hooks, QWidget* parent = nullptr);

    QString Title() const override;
    void Refresh() override;

private:
    void LoadBackground();

    const SceneSheetHooks& hooks_;
    ColorButton* backgroundColor_ = nullptr;
    ColorButton* ambient_ = nullptr;
    QLabel* backgroundImage_ = nullptr;
    QRadioButton* backgroundModes_[3] = {};
    QWidget* clearBackground_ = nullptr;
};
