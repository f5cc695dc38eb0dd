#include "ui/object/PlayerPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "models/quake2/COGLPlayer.h"
#include "ui/SceneNames.h"

namespace {
// Why the flag cannot be shown, as its control's tooltip; empty when it can.
QString FlagUnavailable(COGLPlayer::FlagSource source) {
    switch (source) {
        case COGLPlayer::FlagSource::NoModel:
            return QStringLiteral("No flag to show: its model comes from the VWep pak file.\n"
                                  "Turn on viewable weapons and choose a VWep pak file\n"
                                  "that holds %1 under View > VWep...")
                .arg(QString::fromLatin1(COGLPlayer::kFlagModel));
        case COGLPlayer::FlagSource::NoSkins:
            return QStringLiteral("No flag to show: its skins come from the CTF pak file.\n"
                                  "Choose a CTF pak file that holds %1\n"
                                  "and %2 under View > VWep...")
                .arg(QString::fromLatin1(COGLPlayer::kFlagSkin1), QString::fromLatin1(COGLPlayer::kFlagSkin2));
        case COGLPlayer::FlagSource::Ready:
            break;
    }
    return {};
}
}  // namespace

PlayerPage::PlayerPage(QWidget* parent) : ObjectSheetPage(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Weapons"), this));
    weapons_ = new QListWidget(this);
    weapons_->setObjectName(QStringLiteral("weapons"));
    layout->addWidget(weapons_, 1);
    flag_ = new QCheckBox(QStringLiteral("Show Flag"), this);
    flag_->setObjectName(QStringLiteral("showFlag"));
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
        weapons_->addItem(GameText(weapon->Name()));
    }
    weapons_->setCurrentRow(player_->CurrentWeaponIndex());
    flag_->setChecked(player_->FlagShown());
    // A flag shown stays free to be hidden.
    const QString unavailable = FlagUnavailable(player_->FlagAvailability());
    flag_->setEnabled(unavailable.isEmpty() || player_->FlagShown());
    flag_->setToolTip(unavailable);
    showing_ = false;
}
