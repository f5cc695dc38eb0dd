#pragma once

#include "ui/PropertyPage.h"

class QListWidget;
struct SceneSheetHooks;

// The "Textures" page: the pictures the scene's objects can wear, added from files
// and deleted while no object wears them.
class TexturesPage : public PropertyPage {
    Q_OBJECT
public:
    explicit TexturesPage(const SceneSheetHooks& hooks, QWidget* parent = nullptr);

    QString Title() const override;
    void Refresh() override;

private:
    void AddFromFiles();
    void DeleteChosen();

    const SceneSheetHooks& hooks_;
    QListWidget* textures_ = nullptr;
};
