#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QMetaObject>
#include <QString>

class AssetBrowser;
class COGLView;
class GameFolder;
class GLWidget;
class MainWindow;
class PropertyWindows;
class QMimeData;

// Connects the main window to the core: the GL widget's view runs the window's
// commands, the document opens and saves what the window names, the property
// windows edit the view's scene, the asset browser adds from the scene's archives
// (and into the view, by a drop), and image output captures through the view.
// Made once, after the window and before its start-up; it lives as long as the
// window.
class ShellWiring {
public:
    explicit ShellWiring(MainWindow& window);
    // Gives the window back its own stand-ins, so nothing calls into a wiring gone.
    ~ShellWiring();
    ShellWiring(const ShellWiring&) = delete;
    ShellWiring& operator=(const ShellWiring&) = delete;

    COGLView& Core() const;
    PropertyWindows& Properties() const { return *properties_; }
    AssetBrowser& Browser() const { return *browser_; }

    // The active pane alone at the view's size: what printing and saving show.
    QImage CapturePicture();

private:
    bool OpenFile(const QString& path);
    // After a game folder opened: its game, folder and archive count in the status
    // bar, and the Assets window in front.
    void AnnounceGame(const GameFolder& game);
    // An entry dragged out of the browser and dropped at (x, y) of the view: a picture
    // dropped on an object becomes its texture, anything else is added where it fell.
    void DropAsset(const QMimeData* data, int x, int y);
    // The selection's state as the "before" of the next edit on the sheets.
    void WatchSelection();

    // How soon an edit made with a mouse button held must follow the one before to
    // continue its step.
    static constexpr qint64 kContinuedEditMs = 500;

    MainWindow& window_;
    GLWidget& view_;
    PropertyWindows* properties_ = nullptr;  // owned by the window
    AssetBrowser* browser_ = nullptr;        // owned by its dock
    QMetaObject::Connection browserChanged_;
    QMetaObject::Connection browserInSight_;
    QMetaObject::Connection assetDropped_;
    QElapsedTimer lastEdit_;                 // since the last edit of the selection on a sheet
};
