#include "ui/ModelOpenDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Messages.h"
#include "ui/QtHost.h"

ModelOpenDialog::ModelOpenDialog(QWidget* parent) : QFileDialog(parent) {
    // The extra group needs the dialog Qt draws itself; a desktop dialog cannot carry it.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setWindowTitle(QStringLiteral("Open Model"));
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters(ToQtNameFilters(filters::kModel) + ToQtNameFilters(filters::kSprite) + ToQtNameFilters(filters::kMap));

    group_ = new QGroupBox(QStringLiteral("Player Options"), this);
    defaultPalette_ = new QCheckBox(QStringLiteral("Use Default Palette for Player Skins"), group_);
    autoDetect_ = new QCheckBox(QStringLiteral("Auto Detect Player"), group_);
    loadAsPlayer_ = new QCheckBox(QStringLiteral("Load as a Player"), group_);
    auto* groupLayout = new QVBoxLayout(group_);
    groupLayout->addWidget(defaultPalette_);
    groupLayout->addWidget(autoDetect_);
    gamePlayers_ = new QPushButton(QStringLiteral("Game Players..."), group_);
    gamePlayers_->setToolTip(QStringLiteral("Choose one of the players the scene's games and archives keep"));
    auto* playerRow = new QHBoxLayout;
    playerRow->addWidget(loadAsPlayer_);
    playerRow->addStretch(1);
    playerRow->addWidget(gamePlayers_);
    groupLayout->addLayout(playerRow);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(group_, grid->rowCount(), 0, 1, grid->columnCount());
    } else if (layout() != nullptr) {
        layout()->addWidget(group_);
    }

    connect(loadAsPlayer_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    connect(gamePlayers_, &QPushButton::clicked, this, [this] {
        if (choosePlayer && choosePlayer()) {
            reject();
        }
    });
    connect(this, &QFileDialog::filterSelected, this, [this] { UpdateEnabled(); });
    // Choosing a filter in the type box does not always pass through filterSelected.
    if (auto* types = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
        connect(types, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });
    }
    ResetOptions();
}

void ModelOpenDialog::ResetOptions() {
    defaultPalette_->setChecked(false);
    autoDetect_->setChecked(true);
    loadAsPlayer_->setChecked(false);
    UpdateEnabled();
}

void ModelOpenDialog::UpdateEnabled() {
    const int index = nameFilters().indexOf(selectedNameFilter());
    const bool quake2 = index == 0 || index == 1;
    defaultPalette_->setEnabled(quake2);
    autoDetect_->setEnabled(quake2);
    loadAsPlayer_->setEnabled(quake2);
    gamePlayers_->setEnabled(quake2 && loadAsPlayer_->isChecked());
}

void ModelOpenDialog::showEvent(QShowEvent* event) {
    ResetOptions();
    QFileDialog::showEvent(event);
}

ModelOpenOptions ModelOpenDialog::Options() const {
    return {defaultPalette_->isChecked(), autoDetect_->isChecked(), loadAsPlayer_->isChecked()};
}
