#include "ui/object/StudioSequences.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "models/halflife/COGLHLModel.h"
#include "platform/Host.h"
#include "ui/PropertyWidgets.h"
#include "ui/SceneNames.h"
#include "ui/object/PageFields.h"
#include "ui/object/ValueSlider.h"

namespace {
enum Column { kName, kFrames, kRate, kLoops, kActivity, kOptions, kColumns };
// The sequence of a row, or the frame of an event's row.
constexpr int kNumberRole = Qt::UserRole;

bool RotationBlend(int type) {
    using namespace studio_format;
    return (type & (kControllerXR | kControllerYR | kControllerZR)) != 0;
}

// Whether playback that went from frame `from` to frame `to` passed `frame`: on
// through it, or round the end of the sequence and back to it.
bool Passed(int from, int to, int frame) {
    if (to > from) {
        return frame > from && frame <= to;
    }
    return frame > from || frame <= to;
}
}  // namespace

StudioSequencePanel::StudioSequencePanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    sequences_ = new QTreeWidget(this);
    sequences_->setObjectName(QStringLiteral("sequences"));
    sequences_->setColumnCount(kColumns);
    sequences_->setHeaderLabels({QStringLiteral("Sequence"), QStringLiteral("Frames"), QStringLiteral("FPS"),
                                 QStringLiteral("Loops"), QStringLiteral("Activity"), QStringLiteral("Options")});
    sequences_->headerItem()->setToolTip(kFrames, QStringLiteral("A sequence's frames; the frame an event fires at"));
    sequences_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    sequences_->setUniformRowHeights(true);
    layout->addWidget(sequences_, 1);

    QFormLayout* form = MakeFormGroup(QStringLiteral("Blending"), blendGroup_, this);
    for (std::size_t i = 0; i < blends_.size(); ++i) {
        blends_[i] = new ValueSlider(QStringLiteral("blend%1").arg(i), blendGroup_);
        form->addRow(QStringLiteral("Blend %1").arg(i), blends_[i]);
        connect(blends_[i], &ValueSlider::edited, this,
                [this, i](float value) { emit blendEdited(static_cast<int>(i), value); });
    }
    layout->addWidget(blendGroup_);

    connect(sequences_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (showing_ || item == nullptr) {
            return;
        }
        // Choosing an event chooses the sequence it belongs to.
        const QTreeWidgetItem* row = item->parent() != nullptr ? item->parent() : item;
        emit sequenceChosen(row->data(kName, kNumberRole).toInt());
    });
}

void StudioSequencePanel::Show(const COGLHLModel& model) {
    const StudioData* data = model.Studio() != nullptr ? model.Studio()->Data() : nullptr;
    if (data == nullptr) {
        return;
    }
    const bool wasShowing = showing_;
    showing_ = true;
    if (data != builtFor_) {
        builtFor_ = data;
        marked_ = nullptr;
        sequences_->clear();
        for (std::size_t s = 0; s < data->sequences.size(); ++s) {
            const StudioSequence& seq = data->sequences[s];
            auto* row = new QTreeWidgetItem(sequences_);
            row->setData(kName, kNumberRole, static_cast<int>(s));
            row->setText(kName, GameText(seq.label));
            row->setText(kFrames, QString::number(seq.frameCount));
            row->setText(kRate, ShownNumber(seq.fps, 1));
            row->setText(kLoops, seq.Loops() ? QStringLiteral("yes") : QStringLiteral("no"));
            row->setText(kActivity, QString::number(seq.activity));
            for (const StudioEvent& event : seq.events) {
                auto* child = new QTreeWidgetItem(row);
                child->setData(kName, kNumberRole, event.frame);
                child->setText(kName, QStringLiteral("Event %1").arg(event.event));
                child->setText(kFrames, QString::number(event.frame));
                child->setText(kOptions, GameText(event.options));
            }
        }
    }
    const int current = model.Studio()->Sequence();
    if (QTreeWidgetItem* row = sequences_->topLevelItem(current)) {
        if (sequences_->currentItem() == nullptr || sequences_->currentItem()->parent() != row) {
            sequences_->setCurrentItem(row);
        }
    }
    ShowBlends(model);
    showing_ = wasShowing;
}

void StudioSequencePanel::ShowBlends(const COGLHLModel& model) {
    const int count = model.BlendCount();
    for (int i = 0; i < static_cast<int>(blends_.size()); ++i) {
        ValueSlider* slider = blends_[static_cast<std::size_t>(i)];
        const bool shown = i < count;
        slider->setVisible(shown);
        if (auto* label = qobject_cast<QFormLayout*>(blendGroup_->layout())->labelForField(slider)) {
            label->setVisible(shown);
        }
        if (shown) {
            const COGLHLModel::BlendRange range = model.BlendRangeOf(i);
            slider->SetRange(range.start, range.end, false, RotationBlend(range.type));
            slider->SetValue(model.Blend(i));
        }
    }
    blendGroup_->setVisible(count > 0);
}

void StudioSequencePanel::ShowPlayback(const COGLHLModel& model) {
    const StudioData* data = model.Studio() != nullptr ? model.Studio()->Data() : nullptr;
    if (data == nullptr || data != builtFor_) {
        return;
    }
    const int sequence = model.Studio()->Sequence();
    const int frame = model.FrameIndex();
    if (sequence != lastSequence_ || !model.IsAnimating()) {
        lastSequence_ = sequence;
        lastFrame_ = frame;
        return;
    }
    if (frame == lastFrame_) {
        return;
    }
    QTreeWidgetItem* row = sequences_->topLevelItem(sequence);
    for (int i = 0; row != nullptr && i < row->childCount(); ++i) {
        QTreeWidgetItem* event = row->child(i);
        const int at = event->data(kName, kNumberRole).toInt();
        if (Passed(lastFrame_, frame, at)) {
            Mark(event);
            GetHost().SetStatusText(QStringLiteral("%1 at frame %2").arg(event->text(kName).toLower()).arg(at)
                                        .toStdString());
        }
    }
    lastFrame_ = frame;
}

void StudioSequencePanel::Mark(QTreeWidgetItem* event) {
    if (marked_ != nullptr) {
        for (int c = 0; c < kColumns; ++c) {
            marked_->setBackground(c, {});
        }
    }
    marked_ = event;
    for (int c = 0; c < kColumns; ++c) {
        marked_->setBackground(c, palette().highlight().color().lighter(160));
    }
    marked_->parent()->setExpanded(true);
    sequences_->scrollToItem(marked_);
}
