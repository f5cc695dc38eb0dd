#pragma once

#include <memory>

#include "ui/object/ObjectSheetPage.h"

class AnimatedObject;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;

// The "Animation" page of a model or a sprite: which animation, play and stop,
// the frame, the speed, and how it plays.
class AnimationPage : public ObjectSheetPage {
    Q_OBJECT
public:
    explicit AnimationPage(QWidget* parent = nullptr);
    ~AnimationPage() override;

    QString Title() const override;
    bool Applies() const override;
    void Refresh() override;
    void RefreshAnimation() override;

private:
    void ShowFrame();

    std::unique_ptr<AnimatedObject> model_;  // the object shown, as the page drives it
    bool showing_ = false;
    QListWidget* animations_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* stop_ = nullptr;
    QSpinBox* frame_ = nullptr;
    QSlider* speed_ = nullptr;
    QLabel* speedValue_ = nullptr;
    QCheckBox* loop_ = nullptr;
    QCheckBox* singleStep_ = nullptr;
    QCheckBox* interpolate_ = nullptr;
    QCheckBox* reverseLights_ = nullptr;
};
