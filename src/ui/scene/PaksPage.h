#pragma once

#include "ui/PropertyPage.h"

class Archive;
class QComboBox;
class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
struct SceneSheetHooks;

// The "Paks" page: the scene's archives (paks, zips, WADs, folders, whole game
// folders), one at a time, as a tree of what can be put into a scene, with where
// the chosen entry comes from. A double-clicked picture joins the scene's textures (the page
// reports that as a change); any other entry goes to the hooks' onPakItemActivated.
class PaksPage : public PropertyPage {
    Q_OBJECT
public:
    explicit PaksPage(const SceneSheetHooks& hooks, QWidget* parent = nullptr);

    QString Title() const override;
    void SetScene(COGLScene* scene) override;
    // The tree is rebuilt only when the archive to show changed.
    void Refresh() override;
    // Shows the archive at this position of the scene's pak list; false when the
    // scene holds none there.
    bool ShowPak(int position);

    QTreeWidget* Tree() const { return tree_; }
    QLabel* Origin() const { return origin_; }

private:
    void ShowTree(Archive* pak);
    void Activate(const QTreeWidgetItem* item);
    // Where the chosen entry comes from and which entries of the same name it hides.
    void ShowOrigin(const QTreeWidgetItem* item);

    const SceneSheetHooks& hooks_;
    QComboBox* archives_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    QLabel* placeholder_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QLabel* origin_ = nullptr;
    const Archive* shown_ = nullptr;  // whose tree is shown (compared, never read through)
};
