#pragma once

#include <QFileDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QPushButton;

// The choices of the "Player Options" group, kept by the application between dialogs.
struct ModelOpenOptions {
    bool useDefaultPalette = false;
    bool autoDetectPlayer = true;
    bool loadAsPlayer = false;
};

// The open dialog for models: the standard (Qt-drawn) file dialog with the model
// filter and a "Player Options" group. The player options only mean something for
// Quake 2 models, so they are enabled only while the chosen filter can show them.
class ModelOpenDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit ModelOpenDialog(QWidget* parent = nullptr);

    ModelOpenOptions Options() const;

    QGroupBox* PlayerOptionsGroup() const { return group_; }
    QCheckBox* DefaultPaletteBox() const { return defaultPalette_; }
    QCheckBox* AutoDetectBox() const { return autoDetect_; }
    QCheckBox* LoadAsPlayerBox() const { return loadAsPlayer_; }
    // "Game Players...": offered while "Load as a Player" is ticked, it asks
    // choosePlayer for one of the scene's players instead of a file; the dialog
    // closes (rejected, nothing left to open) when a player was added.
    QPushButton* GamePlayersButton() const { return gamePlayers_; }
    std::function<bool()> choosePlayer;

    // Every time the dialog opens the boxes start from the same state.
    void ResetOptions();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateEnabled();

    QGroupBox* group_ = nullptr;
    QCheckBox* defaultPalette_ = nullptr;
    QCheckBox* autoDetect_ = nullptr;
    QCheckBox* loadAsPlayer_ = nullptr;
    QPushButton* gamePlayers_ = nullptr;
};
