#include "ui/FollowModelDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "models/halflife/COGLHLModel.h"
#include "scene/COGLScene.h"
#include "ui/DialogButtons.h"
#include "ui/SceneNames.h"

namespace {
bool Carries(const COGLHLModel* model) { return model != nullptr && model->Studio() != nullptr; }
}  // namespace

std::vector<COGLHLModel*> FollowLeadersFor(const COGLScene& scene, const COGLObject* follower) {
    const auto* model = dynamic_cast<const COGLHLModel*>(follower);
    std::vector<COGLHLModel*> leaders;
    if (!Carries(model) || model->Follower() != nullptr) {
        return leaders;
    }
    for (const auto& object : scene.Objects()) {
        auto* leader = dynamic_cast<COGLHLModel*>(object.get());
        if (leader != model && Carries(leader) && leader->Follower() == nullptr) {
            leaders.push_back(leader);
        }
    }
    return leaders;
}

FollowModelDialog::FollowModelDialog(const std::vector<COGLHLModel*>& leaders, QWidget* parent)
    : QDialog(parent), leaders_(leaders) {
    setWindowTitle(QStringLiteral("Follow Model"));
    auto* note = new QLabel(QStringLiteral("The model to follow: each bone takes the place of its namesake in it."),
                            this);
    note->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("leaders"));
    for (const COGLHLModel* leader : leaders_) {
        list_->addItem(GameText(leader->Name()));
    }
    list_->setCurrentRow(leaders_.empty() ? -1 : 0);
    auto* buttons = MakeOkCancel(this);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!leaders_.empty());
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(list_, &QListWidget::currentRowChanged, this,
            [buttons](int row) { buttons->button(QDialogButtonBox::Ok)->setEnabled(row >= 0); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

COGLHLModel* FollowModelDialog::Leader() const {
    const int row = list_->currentRow();
    return row >= 0 && row < static_cast<int>(leaders_.size()) ? leaders_[static_cast<std::size_t>(row)] : nullptr;
}
