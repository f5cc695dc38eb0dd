#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

#include "ui/scene/SceneSheetHooks.h"

class COGLScene;
class PaksPage;
class PropertyPage;
class QTabWidget;

// The "Scene Properties" sheet: the scene's objects and lights (choosing one
// selects it), its background and ambient light, its shadows, its textures and
// the pak archives it reads from. Each of these is a page of its own (ui/scene);
// the sheet hosts them under their tabs, refreshes them, and passes on their edits
// as onChanged. What the pages ask of the shell (colours, picture files, deleting
// a texture, a chosen archive entry) are the hooks the sheet holds for them.
class ScenePropertiesPanel : public QWidget, public SceneSheetHooks {
    Q_OBJECT
public:
    // The pages, in tab order.
    enum Page { kObjectsPage, kBackgroundPage, kShadowsPage, kTexturesPage, kPaksPage };

    explicit ScenePropertiesPanel(QWidget* parent = nullptr);
    ~ScenePropertiesPanel() override;

    void SetScene(COGLScene* scene);
    COGLScene* Scene() const { return scene_; }

    // Shows the scene's current state on every page. The pak tree is rebuilt only
    // when the chosen archive changed.
    void Refresh();
    // Opens the pak page on the archive at this position of the scene's pak list.
    void ShowPak(int position);

    // After every edit of the scene: the wiring repaints and marks the document modified.
    std::function<void()> onChanged;

    QTabWidget* Tabs() const { return tabs_; }
    PaksPage& Paks() const { return *paks_; }

private:
    void AddPage(PropertyPage* page);

    COGLScene* scene_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::vector<PropertyPage*> pages_;  // owned by their tabs
    PaksPage* paks_ = nullptr;
    QString lastDirectory_;
};
