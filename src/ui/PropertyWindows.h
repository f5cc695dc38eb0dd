#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class COGLScene;
class Archive;
class MainWindow;
class ObjectPropertiesPanel;
class ScenePropertiesPanel;

// The two property sheets of the main window and what ties them to the scene:
// it puts the "Object Properties" and "Scene Properties" sheets into their docks,
// applies the "Color Picker" colours to the scene, and answers the window's
// refresh requests (which the core makes through Host::RefreshPropertyWindows).
//
// What the wiring connects: SetScene with the view's scene; onChanged with a
// repaint and the document's modified flag; onSelectionChanged with a repaint;
// onPakItemActivated with the models' "add this archive entry" (pictures are
// handled here); ShowPak after a pak opened.
class PropertyWindows : public QObject {
    Q_OBJECT
public:
    explicit PropertyWindows(MainWindow& window);
    ~PropertyWindows() override;

    // The scene both sheets edit; nullptr empties them.
    void SetScene(COGLScene* scene);
    COGLScene* Scene() const { return scene_; }

    // After a scene was opened or cleared, and after an object was added, selected
    // or changed outside the sheets (the view's tools, the Add commands).
    void PropertyRefresh();
    // The models' animation controls follow a running animation.
    void RefreshAnimation();
    // A pak was opened: its tree on the "Scene Properties" pak page.
    void ShowPak(int position);

    // A colour of the "Color Picker" for one of its targets (see the .cpp for what
    // each sets). False when the target does not apply now (no selection, a light's
    // emission); the status bar then says why.
    bool ApplyColor(const QString& target, float r, float g, float b);

    ObjectPropertiesPanel& ObjectSheet() const { return *objectSheet_; }
    ScenePropertiesPanel& SceneSheet() const { return *sceneSheet_; }

    // After every edit made in the sheets or by the colour picker.
    std::function<void()> onChanged;
    // After the scene sheet's lists selected an object or a light.
    std::function<void()> onSelectionChanged;
    // A model or sprite entry of a pak was double-clicked: the models add it and
    // answer true.
    std::function<bool(Archive& pak, const std::string& entryName)> onPakItemActivated;

private:
    void Changed();

    COGLScene* scene_ = nullptr;
    ObjectPropertiesPanel* objectSheet_ = nullptr;  // owned by its dock
    ScenePropertiesPanel* sceneSheet_ = nullptr;    // owned by its dock
};
