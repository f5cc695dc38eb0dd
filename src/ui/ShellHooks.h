#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <string>

#include "ui/AnimationDialog.h"
#include "ui/ImageOutput.h"
#include "ui/ModelOpenDialog.h"

class Archive;
class COGLScene;

// What the shell asks of the program's core. Each hook may be left empty; the
// shell then does what it can alone (noted per hook).
struct ShellHooks {
    // Opens any file the user names: a command's dialog, the recent-file list, the
    // command line or a drop on the view. True when the file counts as opened (it
    // then enters the recent-file list). Empty: nothing opens.
    std::function<bool(const QString& path)> openFile;
    // The "Player Options" chosen in the model open dialog, given before the model
    // is opened through openFile.
    std::function<void(const ModelOpenOptions& options)> modelOptionsChosen;
    // The scene whose archives the player picker lists. Empty: it lists none.
    std::function<const COGLScene*()> scene;
    // Adds a player: `archive`'s body entry, or with no archive the body file on
    // disk; true when one was added. Empty: Add Player does nothing.
    std::function<bool(Archive* archive, const std::string& body)> addPlayer;
    // Saves the scene to the path; true on success. Empty: Save does nothing.
    std::function<bool(const QString& path)> saveScene;

    // Captures the view's picture for printing (and for saving when saveImage is
    // empty); a null image when the capture failed. Empty: the GL widget's frame.
    std::function<QImage()> capturePicture;
    // Captures and writes the picture; reports its own failures. Empty: the
    // captured picture is written by the shell.
    std::function<bool(const QString& path, ImageFormat format, int qualityIndex)> saveImage;

    // The selected object's name (empty when nothing is selected), and the glTF
    // export of it or of the whole scene; the export reports its own failures.
    // Empty exportGltf: Export does nothing.
    std::function<QString()> selectedName;
    std::function<bool(const QString& path, bool wholeScene)> exportGltf;
    // What a "Save Animation" choice would record (or why it cannot be, `ok`
    // false), and the recording itself, with its progress and Cancel; it reports
    // its own failures. Empty saveAnimation: Save Animation does nothing.
    std::function<QString(const AnimationChoice& choice, bool& ok)> estimateAnimation;
    std::function<bool(const QString& path, const AnimationChoice& choice)> saveAnimation;

    // After "Program Options" was accepted and its settings written.
    std::function<void()> optionsChanged;
    // At start-up and after the "Viewable Weapons (VWep)" settings changed.
    std::function<void()> setUpVisualWeapons;
    // The names of the steps Undo and Redo would take (empty when there is none).
    // Empty: the entries say only "Undo" and "Redo".
    std::function<QString()> undoName;
    std::function<QString()> redoName;
    // Whether the scene has changes not saved. Empty: never.
    std::function<bool()> isModified;
    // Where the scene just opened will be saved: its file, or empty when it must
    // be saved under a new name (a file that could not be read whole). Empty
    // hook: the file opened.
    std::function<QString()> documentPath;
    // The property windows and the animation controls must show the core's state.
    std::function<void()> refreshProperties;
    std::function<void()> refreshAnimation;
};
