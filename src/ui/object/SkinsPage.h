#pragma once

#include "ui/object/ObjectSheetPage.h"

class COGLModel;
class QListWidget;

// The "Skins" page of every model with skins: the list, the current one marked;
// choosing one makes it the model's texture.
class SkinsPage : public ObjectSheetPage {
    Q_OBJECT
public:
    explicit SkinsPage(QWidget* parent = nullptr);

    QString Title() const override;
    bool Applies() const override;
    void Refresh() override;

private:
    COGLModel* model_ = nullptr;
    bool showing_ = false;
    QListWidget* skins_ = nullptr;
};
