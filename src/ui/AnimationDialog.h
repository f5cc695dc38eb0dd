#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

// What File > Save Animation records: the camera turning, the selected model's
// animation playing, or both, at a size and rate, as the still picture is drawn.
struct AnimationChoice {
    bool turntable = true;
    float degrees = 360.0f;
    int orbit = 1;  // about the camera's own centre (0), the selection (1) or the whole scene (2)
    bool play = false;
    int frames = 0;  // 0: as long as one loop (36 for a turn alone)
    float fps = 10.0f;
    int width = 480;
    int height = 360;
    bool transparent = false;
    int quality = -1;  // WebP and video; -1 lossless (WebP) or the program's default (video)
    bool dither = false;
};

// "Save Animation": the choices, with a live estimate of what they make (frames,
// size, length) or why they cannot be recorded, which also keeps OK unpressable.
class AnimationDialog : public QDialog {
    Q_OBJECT
public:
    // `estimate` says what a choice makes, or why it cannot be recorded (`ok` false).
    using Estimate = std::function<QString(const AnimationChoice& choice, bool& ok)>;
    AnimationDialog(const AnimationChoice& initial, Estimate estimate, QWidget* parent = nullptr);

    AnimationChoice Choice() const;
    void SetChoice(const AnimationChoice& choice);
    QLabel* EstimateLabel() const { return estimateLabel_; }

private:
    void Refresh();

    Estimate estimate_;
    QCheckBox* turntable_ = nullptr;
    QDoubleSpinBox* degrees_ = nullptr;
    QComboBox* orbit_ = nullptr;
    QCheckBox* play_ = nullptr;
    QSpinBox* frames_ = nullptr;
    QDoubleSpinBox* fps_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QCheckBox* transparent_ = nullptr;
    QSpinBox* quality_ = nullptr;
    QCheckBox* dither_ = nullptr;
    QLabel* estimateLabel_ = nullptr;
    class QPushButton* ok_ = nullptr;
};
