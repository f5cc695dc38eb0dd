#pragma once

#include <memory>

#include "ui/ObjectPropertiesPanel.h"

class AnimatedObject;
class COGLModel;
class COGLPlayer;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;

// The "Animation" page of a model or a sprite: which animation, play and stop,
// the frame, the speed, and how it plays.
class AnimationPage : public ObjectPageExtension {
public:
    AnimationPage();
    ~AnimationPage() override;
    QString Title() const override;
    bool AppliesTo(const COGLObject& object) const override;
    QWidget* CreatePage(ObjectPropertiesPanel& sheet) override;
    void ShowObject(COGLObject& object) override;
    void RefreshAnimation(COGLObject& object) override;

    QListWidget* AnimationList() const { return animations_; }
    QPushButton* PlayButton() const { return play_; }
    QPushButton* StopButton() const { return stop_; }
    QSpinBox* FrameBox() const { return frame_; }
    QSlider* SpeedSlider() const { return speed_; }
    QCheckBox* LoopBox() const { return loop_; }
    QCheckBox* SingleStepBox() const { return singleStep_; }
    QCheckBox* InterpolateBox() const { return interpolate_; }
    QCheckBox* ReverseLightsBox() const { return reverseLights_; }

private:
    void Edited();
    void ShowFrame();

    ObjectPropertiesPanel* sheet_ = nullptr;
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

// The "Skins" page of every model with skins: the list, the current one marked;
// choosing one makes it the model's texture.
class SkinsPage : public ObjectPageExtension {
public:
    QString Title() const override;
    bool AppliesTo(const COGLObject& object) const override;
    QWidget* CreatePage(ObjectPropertiesPanel& sheet) override;
    void ShowObject(COGLObject& object) override;

    QListWidget* SkinList() const { return skins_; }

private:
    ObjectPropertiesPanel* sheet_ = nullptr;
    COGLModel* model_ = nullptr;
    bool showing_ = false;
    QListWidget* skins_ = nullptr;
};

// The "Player" page of a player model: its weapons and the flag.
class PlayerPage : public ObjectPageExtension {
public:
    QString Title() const override;
    bool AppliesTo(const COGLObject& object) const override;
    QWidget* CreatePage(ObjectPropertiesPanel& sheet) override;
    void ShowObject(COGLObject& object) override;

    QListWidget* WeaponList() const { return weapons_; }
    QCheckBox* FlagBox() const { return flag_; }

private:
    ObjectPropertiesPanel* sheet_ = nullptr;
    COGLPlayer* player_ = nullptr;
    bool showing_ = false;
    QListWidget* weapons_ = nullptr;
    QCheckBox* flag_ = nullptr;
};
