#pragma once

#include "ui/object/ObjectSheetPage.h"

class COGLPlayer;
class QCheckBox;
class QListWidget;

// The "Player" page of a player model: its weapons and the flag.
class PlayerPage : public ObjectSheetPage {
    Q_OBJECT
public:
    explicit PlayerPage(QWidget* parent = nullptr);

    QString Title() const override;
    bool Applies() const override;
    void Refresh() override;

private:
    COGLPlayer* player_ = nullptr;
    bool showing_ = false;
    QListWidget* weapons_ = nullptr;
    QCheckBox* flag_ = nullptr;
};
