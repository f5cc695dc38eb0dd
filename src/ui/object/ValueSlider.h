#pragma once

#include <QWidget>

class QAbstractSlider;
class QLabel;

// A slider over a real range with the value shown beside it, in its unit. A
// range that wraps (a full turn) is a dial that goes on past its end; any other
// is a straight slider held between its ends.
class ValueSlider : public QWidget {
    Q_OBJECT
public:
    // `name` names the slider itself, so tests and the keyboard reach it.
    ValueSlider(const QString& name, QWidget* parent = nullptr);

    // From `start` to `end` (either order); a wrapping range is the turn from
    // `start`. The degree sign is the unit of rotations.
    void SetRange(float start, float end, bool wraps, bool degrees);
    // Shows a value without reporting an edit.
    void SetValue(float value);
    float Value() const;
    QAbstractSlider* Slider() const { return slider_; }

signals:
    void edited(float value);

private:
    float ValueAt(int position) const;
    void ShowValue();

    QAbstractSlider* slider_ = nullptr;  // a QSlider or a QDial, made again when the kind changes
    QLabel* value_ = nullptr;
    QString name_;
    float start_ = 0.0f;
    float end_ = 1.0f;
    bool wraps_ = false;
    bool degrees_ = false;
};
