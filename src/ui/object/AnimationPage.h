#pragma once

#include <memory>

#include "ui/object/ObjectSheetPage.h"

class AnimatedObject;
class COGLHLModel;
class StudioSequencePanel;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;

// The "Animation" page of a model or a sprite: which animation, play and stop,
// the frame, the speed, and how it plays. A studio model's sequences are listed
// with what the game knows of them, their events and blends.
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
    // The object shown when it is a studio model.
    COGLHLModel* StudioShown() const;

    std::unique_ptr<AnimatedObject> model_;  // the object shown, as the page drives it
    bool showing_ = false;
    QListWidget* animations_ = nullptr;
    StudioSequencePanel* studio_ = nullptr;  // stands in the list's place for a studio model
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
