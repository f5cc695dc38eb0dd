#pragma once

#include <array>

#include <QWidget>

class COGLHLModel;
class QGroupBox;
class QTreeWidget;
class QTreeWidgetItem;
class ValueSlider;
struct StudioData;

// What the Animation page adds for a studio model: its sequences as the game
// sees them (frames, rate, looping, activity, and the events under each), the
// event the playback passed marked, and the blend sliders of the current
// sequence. It shows and reports; the page makes the changes.
class StudioSequencePanel : public QWidget {
    Q_OBJECT
public:
    explicit StudioSequencePanel(QWidget* parent = nullptr);

    // The model's sequences with its current one chosen, and its blends.
    void Show(const COGLHLModel& model);
    // While it plays: marks the events whose frames the playback passed since the last call.
    void ShowPlayback(const COGLHLModel& model);

    QTreeWidget* Sequences() const { return sequences_; }

signals:
    void sequenceChosen(int sequence);
    void blendEdited(int index, float value);

private:
    void ShowBlends(const COGLHLModel& model);
    void Mark(QTreeWidgetItem* event);

    const StudioData* builtFor_ = nullptr;  // compared only, never read through
    bool showing_ = false;
    QTreeWidget* sequences_ = nullptr;
    QGroupBox* blendGroup_ = nullptr;
    std::array<ValueSlider*, 2> blends_{};
    QTreeWidgetItem* marked_ = nullptr;  // an item of sequences_
    int lastSequence_ = -1;
    int lastFrame_ = -1;
};
