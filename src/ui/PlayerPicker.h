#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Archive;
class COGLScene;
class QPushButton;
class QTreeWidget;
class ThumbnailWorkers;

// One player a game keeps in one of the scene's archives.
struct PlayerRow {
    Archive* archive = nullptr;
    std::string body;  // the body's entry name, as the archive holds it
    QString name;      // the player's folder name
    QString origin;    // the archive file the body comes from, and the game folder it is read through
    int skins = 0;
    int weapons = 0;
};

// The players of every archive and game folder in the scene's list, in the
// scene's order, each archive's by name.
std::vector<PlayerRow> ListScenePlayers(const COGLScene& scene);

// "Add Player": choose one of the scene's players by name instead of finding
// its tris.md2, or browse for a loose player folder on disk.
class PlayerPicker : public QDialog {
    Q_OBJECT
public:
    explicit PlayerPicker(const COGLScene* scene, QWidget* parent = nullptr);
    ~PlayerPicker() override;

    // Set on a row's first column once its thumbnail shows.
    static constexpr int kThumbnailShownRole = Qt::UserRole + 2;

    QTreeWidget* Rows() const { return rows_; }
    QPushButton* BrowseButton() const { return browse_; }
    const std::vector<PlayerRow>& Players() const { return players_; }
    // After Accepted: the row chosen, or nullptr when a body file was browsed for.
    const PlayerRow* Chosen() const;
    const QString& BrowsedFile() const { return browsed_; }

    // Asks for a player's body on disk (the model open dialog by default); empty
    // when nothing was chosen.
    std::function<QString()> chooseFile;

private:
    std::vector<PlayerRow> players_;
    QTreeWidget* rows_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* ok_ = nullptr;
    QString browsed_;
    // Draw each row's body with its weapon out of the window's process.
    std::unique_ptr<ThumbnailWorkers> thumbnails_;
};
