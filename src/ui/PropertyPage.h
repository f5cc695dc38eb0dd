#pragma once

#include <QString>
#include <QWidget>

class COGLScene;

// One page of a property sheet ("Object Properties" or "Scene Properties"). A page
// builds its widgets when it is made, shows what it edits at every Refresh, changes
// the scene only through the scene's and its objects' own operations, and reports
// each edit with `changed`. The sheet owns its pages: it puts each under a tab with
// its title, shows the tab only while the page applies, and routes `changed` to the
// sheet's onChanged.
class PropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit PropertyPage(QWidget* parent = nullptr);
    ~PropertyPage() override;

    // The tab's title ("Material").
    virtual QString Title() const = 0;

    // The scene the page shows and edits; nullptr shows nothing. The sheet refreshes
    // the page after it. A page that keeps something of the scene it showed forgets
    // it here.
    virtual void SetScene(COGLScene* scene);
    COGLScene* Scene() const { return scene_; }

    // Whether the page belongs on its sheet now: the object sheet's pages answer for
    // the scene's current selection, the scene sheet's always apply.
    virtual bool Applies() const { return true; }
    // Shows the current state of what the page edits; only called while it applies.
    virtual void Refresh() = 0;
    // A page that follows a running animation shows its frame and whether it plays.
    virtual void RefreshAnimation() {}

signals:
    // After every edit the page made to the scene.
    void changed();

private:
    COGLScene* scene_ = nullptr;
};
