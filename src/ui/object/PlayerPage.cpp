#include "ui/object/PlayerPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "models/quake2/COGLPlayer.h"

PlayerPage::PlayerPage(QWidget* parent) : ObjectSheetPage(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Weapons"), this));
    weapons_ = new QListWidget(this);
    layout->addWidget(weapons_, 1);
    flag_ = new QCheckBox(QStringLiteral("Show Flag"), this);
    layout->addWidget(flag_);

    connect(weapons_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (showing_ || player_ == nullptr || row < 0 || row >= static_cast<int>(player_->Weapons().size())) {
            return;
        }
        player_->SetWeapon(player_->Weapons()[static_cast<std::size_t>(row)].get());
        emit changed();
    });
    connect(flag_, &QCheckBox::toggled, this, [this](bool on) {
        if (showing_ || player_ == nullptr) {
            return;
        }
        if (on) {
            player_->ShowFlag();
        } else {
            player_->HideFlag();
        }
        emit changed();
    });
}

QString PlayerPage::Title() const { return QStringLiteral("Player"); }

bool PlayerPage::Applies() const { return dynamic_cast<const COGLPlayer*>(CurrentObject()) != nullptr; }

void PlayerPage::Refresh() {
    player_ = dynamic_cast<COGLPlayer*>(CurrentObject());
    if (player_ == nullptr) {
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
