#pragma once

#include "ui/PropertyPage.h"

class QLabel;
class QListWidget;
struct SceneSheetHooks;

// The "Objects" page: the scene's objects and lights, the selected one marked;
// choosing one selects it and tells the hooks' onSelectionChanged.
class ObjectsPage : public PropertyPage {
    Q_OBJECT
public:
    explicit ObjectsPage(const SceneSheetHooks& hooks, QWidget* parent = nullptr);

    QString Title() const override;
    void Refresh() override;

private:
    void SelectFromList(QListWidget* list);

    const SceneSheetHooks& hooks_;
    QListWidget* objects_ = nullptr;
    QListWidget* lights_ = nullptr;
    QLabel* objectsTitle_ = nullptr;
    QLabel* lightsTitle_ = nullptr;
};
