#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "ui/PropertyWidgets.h"

class COGLLight;
class COGLObject;
class COGLScene;
class PropertyPage;
class QLabel;
class QStackedWidget;
class QTabWidget;

// The "Object Properties" sheet: the selected object's placement, material,
// texture and text, its animation, skins and weapons where it is a model (a
// Half-Life model's body, controllers and textures too), or the
// selected light's colours, position and spot shape. Each of these is a page of
// its own (ui/object); the sheet shows a tab for each page that applies to the
// scene's current selection, refreshes those pages, and passes on their edits as
// onChanged.
class ObjectPropertiesPanel : public QWidget {
    Q_OBJECT
public:
    explicit ObjectPropertiesPanel(QWidget* parent = nullptr);
    ~ObjectPropertiesPanel() override;

    // The scene whose selection the sheet edits; nullptr shows nothing.
    void SetScene(COGLScene* scene);
    COGLScene* Scene() const { return scene_; }

    // Shows the scene's current selection (a new one, or new values of the old one).
    void Refresh();
    // Only what follows a running animation (frame, playing).
    void RefreshAnimation();

    // Puts a page under a tab of its own, after the others; the sheet owns it.
    void AddPage(std::unique_ptr<PropertyPage> page);

    // What the sheet shows: the selected light, else the selected object (never
    // a light's marker), else nothing.
    COGLLight* CurrentLight() const;
    COGLObject* CurrentObject() const;

    // After every edit: the wiring repaints the view and marks the document modified.
    std::function<void()> onChanged;
    // Asks for a colour (the standard colour dialog by default).
    ColorChooser chooseColor;

    QTabWidget* Tabs() const { return tabs_; }

private:
    struct Tab {
        PropertyPage* page = nullptr;
        QWidget* widget = nullptr;  // what the tab holds: the page in its scroll area
    };

    void ShowTitle(const COGLLight* light, const COGLObject* object);

    COGLScene* scene_ = nullptr;
    // What was shown last, compared by address only (never read through: it may be gone).
    const void* shown_ = nullptr;

    QStackedWidget* stack_ = nullptr;
    QLabel* placeholder_ = nullptr;
    QLabel* title_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::vector<Tab> pages_;
};
