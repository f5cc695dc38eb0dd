#include "ui/ModelPages.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <type_traits>

#include "media/COGLTexture2D.h"
#include "models/COGLModel.h"
#include "models/quake2/COGLPlayer.h"
#include "models/sprite/COGLSprite.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"

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
QString DisplayName(const std::string& path) { return QString::fromStdString(fs_util::FileNameOf(path)); }

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

AnimationPage::AnimationPage() = default;
AnimationPage::~AnimationPage() = default;

QString AnimationPage::Title() const { return QStringLiteral("Animation"); }

bool AnimationPage::AppliesTo(const COGLObject& object) const {
    return dynamic_cast<const COGLModel*>(&object) != nullptr || dynamic_cast<const COGLSprite*>(&object) != nullptr;
}

QWidget* AnimationPage::CreatePage(ObjectPropertiesPanel& sheet) {
    sheet_ = &sheet;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    animations_ = new QListWidget(page);
    layout->addWidget(animations_, 1);

    auto* buttons = new QHBoxLayout;
    play_ = new QPushButton(QStringLiteral("Play"), page);
    stop_ = new QPushButton(QStringLiteral("Stop"), page);
    buttons->addWidget(play_);
    buttons->addWidget(stop_);
    layout->addLayout(buttons);

    auto* form = new QFormLayout;
    frame_ = new QSpinBox(page);
    form->addRow(QStringLiteral("Frame"), frame_);
    auto* speedRow = new QHBoxLayout;
    speed_ = new QSlider(Qt::Horizontal, page);
    speed_->setRange(0, 100);
    speedValue_ = new QLabel(page);
    speedValue_->setMinimumWidth(40);
    speedRow->addWidget(speed_, 1);
    speedRow->addWidget(speedValue_);
    form->addRow(QStringLiteral("Speed"), speedRow);
    layout->addLayout(form);

    loop_ = new QCheckBox(QStringLiteral("Loop"), page);
    singleStep_ = new QCheckBox(QStringLiteral("Single Step"), page);
    interpolate_ = new QCheckBox(QStringLiteral("Interpolate"), page);
    reverseLights_ = new QCheckBox(QStringLiteral("Reverse effect of lights"), page);
    for (QCheckBox* box : {loop_, singleStep_, interpolate_, reverseLights_}) {
        layout->addWidget(box);
    }
    layout->addStretch();

    QObject::connect(animations_, &QListWidget::currentRowChanged, page, [this](int row) {
        if (showing_ || model_ == nullptr || row < 0 || row >= static_cast<int>(model_->Animations().size())) {
            return;
        }
        model_->SetAnimation(model_->Animations()[static_cast<std::size_t>(row)].get());
        ShowFrame();
        Edited();
    });
    QObject::connect(play_, &QPushButton::clicked, page, [this] {
        if (model_ != nullptr) {
            model_->Play();
            Edited();
        }
    });
    QObject::connect(stop_, &QPushButton::clicked, page, [this] {
        if (model_ != nullptr) {
            model_->SetAnimating(false);
            Edited();
        }
    });
    QObject::connect(frame_, &QSpinBox::valueChanged, page, [this](int frame) {
        if (!showing_ && model_ != nullptr) {
            model_->SetFrame(frame);
            Edited();
        }
    });
    QObject::connect(speed_, &QSlider::valueChanged, page, [this](int position) {
        speedValue_->setText(QString::number(static_cast<double>(COGLModel::SpeedFromSlider(position)), 'f', 3));
        if (!showing_ && model_ != nullptr) {
            model_->SetSpeed(COGLModel::SpeedFromSlider(position));
            Edited();
        }
    });
    QObject::connect(loop_, &QCheckBox::toggled, page, [this](bool on) {
        if (!showing_ && model_ != nullptr) {
            model_->SetLoop(on);
            Edited();
        }
    });
    QObject::connect(singleStep_, &QCheckBox::toggled, page, [this](bool on) {
        if (!showing_ && model_ != nullptr) {
            model_->SetSingleStep(on);
            // Stepping starts from the first frame, with the clock stopped.
            if (on) {
                model_->SetAnimating(false);
                model_->ResetAnimation();
                ShowFrame();
            }
            Edited();
        }
    });
    QObject::connect(interpolate_, &QCheckBox::toggled, page, [this](bool on) {
        if (!showing_ && model_ != nullptr) {
            model_->SetInterpolate(on);
            Edited();
        }
    });
    QObject::connect(reverseLights_, &QCheckBox::toggled, page, [this](bool on) {
        if (!showing_ && model_ != nullptr) {
            model_->SetInvertNormals(on);
            Edited();
        }
    });
    return page;
}

void AnimationPage::Edited() {
    if (sheet_ != nullptr) {
        sheet_->NotifyChanged();
    }
}

void AnimationPage::ShowObject(COGLObject& object) {
    model_ = AnimatedObjectOf(object);
    if (model_ == nullptr || animations_ == nullptr) {
        return;
    }
    showing_ = true;
    animations_->clear();
    int current = -1;
    const auto& list = model_->Animations();
    for (std::size_t i = 0; i < list.size(); ++i) {
        animations_->addItem(QString::fromStdString(list[i]->name));
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

void AnimationPage::RefreshAnimation(COGLObject& object) {
    if (model_ != nullptr && &object == &model_->Object()) {
        ShowFrame();
    }
}

QString SkinsPage::Title() const { return QStringLiteral("Skins"); }

bool SkinsPage::AppliesTo(const COGLObject& object) const {
    const auto* model = dynamic_cast<const COGLModel*>(&object);
    return model != nullptr && !model->Skins().empty();
}

QWidget* SkinsPage::CreatePage(ObjectPropertiesPanel& sheet) {
    sheet_ = &sheet;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    skins_ = new QListWidget(page);
    skins_->setObjectName(QStringLiteral("skins"));
    layout->addWidget(skins_, 1);
    QObject::connect(skins_, &QListWidget::currentRowChanged, page, [this](int row) {
        if (showing_ || model_ == nullptr || row < 0 || row >= static_cast<int>(model_->Skins().size())) {
            return;
        }
        GetHost().MakeViewContextCurrent();
        model_->SetTexture(model_->Skins()[static_cast<std::size_t>(row)]);
        sheet_->NotifyChanged();
    });
    return page;
}

void SkinsPage::ShowObject(COGLObject& object) {
    model_ = dynamic_cast<COGLModel*>(&object);
    if (model_ == nullptr || skins_ == nullptr) {
        return;
    }
    showing_ = true;
    skins_->clear();
    int currentSkin = -1;
    for (std::size_t i = 0; i < model_->Skins().size(); ++i) {
        const COGLTexture2D* skin = model_->Skins()[i];
        skins_->addItem(skin != nullptr ? DisplayName(skin->Path().empty() ? skin->Name() : skin->Path())
                                        : QStringLiteral("(none)"));
        if (skin != nullptr && skin == model_->Texture()) {
            currentSkin = static_cast<int>(i);
        }
    }
    skins_->setCurrentRow(currentSkin);
    showing_ = false;
}

QString PlayerPage::Title() const { return QStringLiteral("Player"); }

bool PlayerPage::AppliesTo(const COGLObject& object) const {
    return dynamic_cast<const COGLPlayer*>(&object) != nullptr;
}

QWidget* PlayerPage::CreatePage(ObjectPropertiesPanel& sheet) {
    sheet_ = &sheet;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Weapons"), page));
    weapons_ = new QListWidget(page);
    layout->addWidget(weapons_, 1);
    flag_ = new QCheckBox(QStringLiteral("Show Flag"), page);
    layout->addWidget(flag_);

    QObject::connect(weapons_, &QListWidget::currentRowChanged, page, [this](int row) {
        if (showing_ || player_ == nullptr || row < 0 || row >= static_cast<int>(player_->Weapons().size())) {
            return;
        }
        player_->SetWeapon(player_->Weapons()[static_cast<std::size_t>(row)].get());
        sheet_->NotifyChanged();
    });
    QObject::connect(flag_, &QCheckBox::toggled, page, [this](bool on) {
        if (showing_ || player_ == nullptr) {
            return;
        }
        if (on) {
            player_->ShowFlag();
        } else {
            player_->HideFlag();
        }
        sheet_->NotifyChanged();
    });
    return page;
}

void PlayerPage::ShowObject(COGLObject& object) {
    player_ = dynamic_cast<COGLPlayer*>(&object);
    if (player_ == nullptr || weapons_ == nullptr) {
        return;
    }
    showing_ = true;
    weapons_->clear();
    for (const auto& weapon : player_->Weapons()) {
        weapons_->addItem(QString::fromStdString(weapon->Name()));
    }
    weapons_->setCurrentRow(player_->CurrentWeaponIndex());
    flag_->setChecked(player_->FlagShown());
    showing_ = false;
}
