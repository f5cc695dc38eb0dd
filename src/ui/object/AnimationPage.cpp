#include "ui/object/AnimationPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <type_traits>

#include "models/COGLModel.h"
#include "models/halflife/COGLHLModel.h"
#include "models/sprite/COGLSprite.h"
#include "ui/PropertyWidgets.h"
#include "ui/SceneNames.h"
#include "ui/object/StudioSequences.h"

// What the page drives: the clock and animations of a model or of a sprite,
// which keep them under the same names without sharing a base.
class AnimatedObject {
public:
    virtual ~AnimatedObject() = default;
    virtual COGLObject& Object() = 0;
    virtual const COGLModel::AnimationList& Animations() const = 0;
    virtual ModelAnimation* GetAnimation() const = 0;
    virtual void SetAnimation(ModelAnimation* animation) = 0;
    virtual void Play() = 0;
    virtual int GetFrameCount() const = 0;
    virtual int FrameIndex() const = 0;
    virtual void SetFrame(int frame) = 0;
    virtual float Speed() const = 0;
    virtual void SetSpeed(float speed) = 0;
    virtual bool Loop() const = 0;
    virtual void SetLoop(bool on) = 0;
    virtual bool SingleStep() const = 0;
    virtual void SetSingleStep(bool on) = 0;
    virtual void ResetAnimation() = 0;
    virtual bool Interpolate() const = 0;
    virtual void SetInterpolate(bool on) = 0;
    // Only models are lit by their normals.
    virtual bool HasNormals() const = 0;
    virtual bool InvertNormals() const = 0;
    virtual void SetInvertNormals(bool on) = 0;
    bool IsAnimating() { return Object().IsAnimating(); }
    void SetAnimating(bool on) { Object().SetAnimating(on); }
};

namespace {
template <typename T>
class AnimatedAs final : public AnimatedObject {
public:
    explicit AnimatedAs(T& object) : o_(object) {}
    COGLObject& Object() override { return o_; }
    const COGLModel::AnimationList& Animations() const override { return o_.Animations(); }
    ModelAnimation* GetAnimation() const override { return o_.GetAnimation(); }
    void SetAnimation(ModelAnimation* animation) override { o_.SetAnimation(animation); }
    void Play() override { o_.Play(); }
    int GetFrameCount() const override { return o_.GetFrameCount(); }
    int FrameIndex() const override { return o_.FrameIndex(); }
    void SetFrame(int frame) override { o_.SetFrame(frame); }
    float Speed() const override { return o_.Speed(); }
    void SetSpeed(float speed) override { o_.SetSpeed(speed); }
    bool Loop() const override { return o_.Loop(); }
    void SetLoop(bool on) override { o_.SetLoop(on); }
    bool SingleStep() const override { return o_.SingleStep(); }
    void SetSingleStep(bool on) override { o_.SetSingleStep(on); }
    void ResetAnimation() override { o_.ResetAnimation(); }
    bool Interpolate() const override { return o_.Interpolate(); }
    void SetInterpolate(bool on) override { o_.SetInterpolate(on); }
    bool HasNormals() const override { return std::is_base_of_v<COGLModel, T>; }
    bool InvertNormals() const override {
        if constexpr (std::is_base_of_v<COGLModel, T>) {
            return o_.InvertNormals();
        }
        return false;
    }
    void SetInvertNormals(bool on) override {
        if constexpr (std::is_base_of_v<COGLModel, T>) {
            o_.SetInvertNormals(on);
        }
    }

private:
    T& o_;
};

std::unique_ptr<AnimatedObject> AnimatedObjectOf(COGLObject& object) {
    if (auto* model = dynamic_cast<COGLModel*>(&object)) {
        return std::make_unique<AnimatedAs<COGLModel>>(*model);
    }
    if (auto* sprite = dynamic_cast<COGLSprite*>(&object)) {
        return std::make_unique<AnimatedAs<COGLSprite>>(*sprite);
    }
    return nullptr;
}
}  // namespace

AnimationPage::AnimationPage(QWidget* parent) : ObjectSheetPage(parent) {
    auto* layout = new QVBoxLayout(this);
    animations_ = new QListWidget(this);
    animations_->setObjectName(QStringLiteral("animations"));
    layout->addWidget(animations_, 1);
    studio_ = new StudioSequencePanel(this);
    studio_->hide();
    layout->addWidget(studio_, 1);

    auto* buttons = new QHBoxLayout;
    play_ = new QPushButton(QStringLiteral("Play"), this);
    stop_ = new QPushButton(QStringLiteral("Stop"), this);
    play_->setObjectName(QStringLiteral("play"));
    stop_->setObjectName(QStringLiteral("stop"));
    buttons->addWidget(play_);
    buttons->addWidget(stop_);
    layout->addLayout(buttons);

    auto* form = new QFormLayout;
    frame_ = new QSpinBox(this);
    frame_->setObjectName(QStringLiteral("frame"));
    form->addRow(QStringLiteral("Frame"), frame_);
    auto* speedRow = new QHBoxLayout;
    speed_ = new QSlider(Qt::Horizontal, this);
    speed_->setRange(0, 100);
    speedValue_ = new QLabel(this);
    speedValue_->setMinimumWidth(40);
    speedRow->addWidget(speed_, 1);
    speedRow->addWidget(speedValue_);
    form->addRow(QStringLiteral("Speed"), speedRow);
    layout->addLayout(form);

    loop_ = new QCheckBox(QStringLiteral("Loop"), this);
    singleStep_ = new QCheckBox(QStringLiteral("Single Step"), this);
    interpolate_ = new QCheckBox(QStringLiteral("Interpolate"), this);
    reverseLights_ = new QCheckBox(QStringLiteral("Reverse effect of lights"), this);
    for (QCheckBox* box : {loop_, singleStep_, interpolate_, reverseLights_}) {
        layout->addWidget(box);
    }
    layout->addStretch();

    connect(animations_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (showing_ || model_ == nullptr || row < 0 || row >= static_cast<int>(model_->Animations().size())) {
            return;
        }
        model_->SetAnimation(model_->Animations()[static_cast<std::size_t>(row)].get());
        if (const COGLHLModel* studio = StudioShown()) {
            studio_->Show(*studio);
        }
        ShowFrame();
        emit changed();
    });
    // A studio model has one animation for each sequence, in the same order.
    connect(studio_, &StudioSequencePanel::sequenceChosen, this,
            [this](int sequence) { animations_->setCurrentRow(sequence); });
    connect(studio_, &StudioSequencePanel::blendEdited, this, [this](int index, float value) {
        EditShown(*this, StudioShown(), [index, value](COGLHLModel& m) { m.SetBlend(index, value); });
    });
    connect(play_, &QPushButton::clicked, this, [this] {
        if (model_ != nullptr) {
            model_->Play();
            ShowFrame();
            // The pressed button is greyed now: the keyboard goes to the one that undoes it.
            if (model_->IsAnimating()) {
                stop_->setFocus();
            }
            emit changed();
        }
    });
    connect(stop_, &QPushButton::clicked, this, [this] {
        if (model_ != nullptr) {
            model_->SetAnimating(false);
            ShowFrame();
            play_->setFocus();
            emit changed();
        }
    });
    // The user's edits, not the page showing the model's state, change the model.
    const auto edited = [this] { return showing_ ? nullptr : model_.get(); };
    connect(frame_, &QSpinBox::valueChanged, this,
            [this, edited](int frame) { EditShown(*this, edited(), [frame](AnimatedObject& m) { m.SetFrame(frame); }); });
    connect(speed_, &QSlider::valueChanged, this, [this, edited](int position) {
        const float speed = COGLModel::SpeedFromSlider(position);
        speedValue_->setText(QString::number(static_cast<double>(speed), 'f', 3));
        EditShown(*this, edited(), [speed](AnimatedObject& m) { m.SetSpeed(speed); });
    });
    connect(loop_, &QCheckBox::toggled, this,
            [this, edited](bool on) { EditShown(*this, edited(), [on](AnimatedObject& m) { m.SetLoop(on); }); });
    connect(singleStep_, &QCheckBox::toggled, this, [this, edited](bool on) {
        EditShown(*this, edited(), [this, on](AnimatedObject& m) {
            m.SetSingleStep(on);
            // Stepping starts from the first frame, with the clock stopped.
            if (on) {
                m.SetAnimating(false);
                m.ResetAnimation();
                ShowFrame();
            }
        });
    });
    connect(interpolate_, &QCheckBox::toggled, this,
            [this, edited](bool on) { EditShown(*this, edited(), [on](AnimatedObject& m) { m.SetInterpolate(on); }); });
    connect(reverseLights_, &QCheckBox::toggled, this,
            [this, edited](bool on) { EditShown(*this, edited(), [on](AnimatedObject& m) { m.SetInvertNormals(on); }); });
}

AnimationPage::~AnimationPage() = default;

QString AnimationPage::Title() const { return QStringLiteral("Animation"); }

COGLHLModel* AnimationPage::StudioShown() const {
    return model_ != nullptr ? dynamic_cast<COGLHLModel*>(&model_->Object()) : nullptr;
}

bool AnimationPage::Applies() const {
    const COGLObject* object = CurrentObject();
    return dynamic_cast<const COGLModel*>(object) != nullptr || dynamic_cast<const COGLSprite*>(object) != nullptr;
}

void AnimationPage::Refresh() {
    COGLObject* object = CurrentObject();
    model_ = object != nullptr ? AnimatedObjectOf(*object) : nullptr;
    if (model_ == nullptr) {
        return;
    }
    showing_ = true;
    animations_->clear();
    int current = -1;
    const auto& list = model_->Animations();
    for (std::size_t i = 0; i < list.size(); ++i) {
        animations_->addItem(GameText(list[i]->name));
        if (list[i].get() == model_->GetAnimation()) {
            current = static_cast<int>(i);
        }
    }
    animations_->setCurrentRow(current);
    speed_->setValue(COGLModel::SliderFromSpeed(model_->Speed()));
    speedValue_->setText(QString::number(static_cast<double>(model_->Speed()), 'f', 3));
    loop_->setChecked(model_->Loop());
    singleStep_->setChecked(model_->SingleStep());
    interpolate_->setChecked(model_->Interpolate());
    reverseLights_->setChecked(model_->InvertNormals());
    reverseLights_->setEnabled(model_->HasNormals());
    const COGLHLModel* studio = StudioShown();
    animations_->setVisible(studio == nullptr);
    studio_->setVisible(studio != nullptr);
    if (studio != nullptr) {
        studio_->Show(*studio);
    }
    showing_ = false;
    ShowFrame();
}

void AnimationPage::ShowFrame() {
    if (model_ == nullptr) {
        return;
    }
    const bool wasShowing = showing_;
    showing_ = true;
    frame_->setRange(0, std::max(0, model_->GetFrameCount() - 1));
    frame_->setValue(model_->FrameIndex());
    play_->setEnabled(!model_->IsAnimating());
    stop_->setEnabled(model_->IsAnimating());
    showing_ = wasShowing;
}

void AnimationPage::RefreshAnimation() {
    if (model_ != nullptr && CurrentObject() == &model_->Object()) {
        ShowFrame();
        if (const COGLHLModel* studio = StudioShown()) {
            studio_->ShowPlayback(*studio);
        }
    }
}
