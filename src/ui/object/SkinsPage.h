#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

#include "ui/object/ObjectSheetPage.h"

class COGLModel;
class QListWidget;

// The "Skins" page of every model with skins: the list with small pictures, the
// current one marked; choosing one makes it the model's texture (a player's
// weapon follows with its own skin).
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
    // Skin pictures already read, by archive and path: the page refreshes often.
    QHash<QString, QIcon> icons_;
};
