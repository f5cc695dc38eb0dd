#pragma once

#include <QDialog>

#include <vector>

class COGLHLModel;
class COGLObject;
class COGLScene;
class QListWidget;

// "Follow Model": which of the scene's other Half-Life models the selected one
// follows (a weapon model goes onto a player).
class FollowModelDialog : public QDialog {
    Q_OBJECT
public:
    FollowModelDialog(const std::vector<COGLHLModel*>& leaders, QWidget* parent = nullptr);

    // The leader chosen, or nullptr.
    COGLHLModel* Leader() const;
    QListWidget* List() const { return list_; }

private:
    std::vector<COGLHLModel*> leaders_;
    QListWidget* list_ = nullptr;
};

// The models of the scene `follower` may follow: every other Half-Life model with
// a model and no follower of its own, in list order; none when `follower` is not
// such a model itself.
std::vector<COGLHLModel*> FollowLeadersFor(const COGLScene& scene, const COGLObject* follower);
