#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "ui/PropertyWidgets.h"

class COGLScene;
class COGLTexture2D;
class CPakFile;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
struct PakTreeNode;

// The "Scene Properties" sheet: the scene's objects and lights (choosing one
// selects it), its background and ambient light, its shadows, its textures and
// the pak archives it reads from. Everything is changed through the scene's own
// operations; every edit ends in onChanged.
class ScenePropertiesPanel : public QWidget {
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

    // Adds a picture to the scene's textures: from disk when `pak` is nullptr, else
    // the archive's entry of that name. The scene's own copy when one with the same
    // source is already there; nullptr when it cannot be loaded (the readers say why).
    COGLTexture2D* AddTexture(const std::string& path, CPakFile* pak);
    // Entry names of pictures the pak page turns into textures (".pcx", ".tga",
    // ".wal", ".jpg", ".swl" and ".bmp", any case).
    static bool IsTextureEntry(const std::string& name);

    // After every edit of the scene: the wiring repaints and marks the document modified.
    std::function<void()> onChanged;
    // Just before the background picture is replaced or cleared, with what happens.
    std::function<void(const std::string& what)> beforeBackgroundChange;
    // Deletes a texture of the scene's list; false when an object uses it. Empty:
    // the scene deletes it outright.
    std::function<bool(COGLTexture2D* texture)> deleteTexture;
    // After the lists selected an object or a light: the wiring refreshes the object
    // sheet and repaints.
    std::function<void()> onSelectionChanged;
    // A double-clicked archive entry that is not a picture (a model, a sprite). True
    // when it was used; the models add the model to the scene.
    std::function<bool(CPakFile& pak, const std::string& entryName)> onPakItemActivated;

    // Asks for a colour (standard colour dialog by default) and for picture files
    // (the open dialog with the texture filter by default); tests answer instead.
    ColorChooser chooseColor;
    std::function<QStringList(const QString& title, bool several)> choosePictures;

    QTabWidget* Tabs() const { return tabs_; }
    QTreeWidget* PakTree() const { return pakTree_; }

private:
    void BuildObjectsPage();
    void BuildBackgroundPage();
    void BuildShadowsPage();
    void BuildTexturesPage();
    void BuildPaksPage();

    void RefreshSelectionLists();
    void RefreshBackground();
    void RefreshShadows();
    void RefreshTextures();
    void RefreshPaks();
    void ShowPakTree(CPakFile* pak);

    void SelectFromList(QListWidget* list);
    void AddShadowPlane();
    void AddShadowLight();
    void RemoveShadowEntry(QListWidget* list, bool plane);
    void LoadBackground();
    void AddTexturesFromFiles();
    void DeleteTexture();
    void ActivatePakItem(QTreeWidgetItem* item);
    void Changed();

    COGLScene* scene_ = nullptr;
    QTabWidget* tabs_ = nullptr;

    QListWidget* objects_ = nullptr;
    QListWidget* lights_ = nullptr;
    QLabel* objectsTitle_ = nullptr;
    QLabel* lightsTitle_ = nullptr;

    ColorButton* backgroundColor_ = nullptr;
    ColorButton* ambient_ = nullptr;
    QLabel* backgroundImage_ = nullptr;
    QRadioButton* backgroundModes_[3] = {};
    QWidget* clearBackground_ = nullptr;

    QCheckBox* shadowsEnabled_ = nullptr;
    QListWidget* shadowPlanes_ = nullptr;
    QComboBox* planeChoice_ = nullptr;
    QListWidget* shadowLights_ = nullptr;
    QComboBox* lightChoice_ = nullptr;
    QCheckBox* shadowBlending_ = nullptr;
    QDoubleSpinBox* shadowOpacity_ = nullptr;

    QListWidget* textures_ = nullptr;

    QComboBox* paks_ = nullptr;
    QStackedWidget* pakStack_ = nullptr;
    QLabel* pakPlaceholder_ = nullptr;
    QTreeWidget* pakTree_ = nullptr;
    const CPakFile* shownPak_ = nullptr;  // whose tree is shown (compared, never read through)
    std::unique_ptr<PakTreeNode> pakRoot_;
    QString lastDirectory_;
};
