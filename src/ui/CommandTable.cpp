#include "ui/CommandTable.h"

#include <array>

#include "render/CommandIds.h"

namespace {
using K = CommandKind;

constexpr std::array kCommands{
    // File.
    CommandInfo{cmd::kNew, "&New", "Create the scene", K::Plain},
    CommandInfo{cmd::kOpenScene, "&Open Scene...", "Open a scene file", K::Plain},
    CommandInfo{cmd::kOpenPak, "Open &Pak File...", "Add a pak, pk3 or WAD archive to the scene", K::Plain},
    CommandInfo{cmd::kOpenGameFolder, "Open &Game Folder...",
                "Add a game's folder (baseq2, id1, valve, base or a mod beside one) as the game reads it", K::Plain},
    CommandInfo{cmd::kOpenModel, "Open &Model...", "Add a model to the scene", K::Plain},
    CommandInfo{cmd::kSave, "&Save", "Save the scene", K::Plain},
    CommandInfo{cmd::kSaveAs, "Save &As...", "Save the scene under a new name", K::Plain},
    CommandInfo{cmd::kSaveImage, "Save &Image...", "Save the picture as a BMP, JPEG or PNG file", K::Plain},
    CommandInfo{cmd::kSaveAnimation, "Save A&nimation...",
                "Save a turn of the camera or a model's animation as GIF, WebP, animated PNG or video", K::Plain},
    CommandInfo{cmd::kExportGltf, "&Export...",
                "Write the selected model or the whole scene as glTF 2.0, with its animations", K::Plain},
    CommandInfo{cmd::kPrint, "&Print...", "Print the picture", K::Plain},
    CommandInfo{cmd::kPrintPreview, "Print Pre&view", "Show the printed page", K::Plain},
    // Edit.
    CommandInfo{cmd::kUndo, "&Undo", "Undo the last change", K::Plain},
    CommandInfo{cmd::kRedo, "&Redo", "Redo the change undone last", K::Plain},
    CommandInfo{cmd::kDelete, "&Delete", "Remove the selected object or light", K::Plain},
    CommandInfo{cmd::kCopy, "&Copy", "Duplicate the selected object or light", K::Plain},
    CommandInfo{cmd::kClear, "C&lear", "Remove everything from the scene", K::Plain},
    CommandInfo{cmd::kAddLight, "Add &Light...", "Add a point or spot light", K::Plain},
    CommandInfo{cmd::kAddObject, "Add &Object...", "Add a primitive object", K::Plain},
    CommandInfo{cmd::kAddPlayer, "Add &Player...", "Add one of the players the scene's games and archives keep",
                K::Plain},
    CommandInfo{cmd::kFollowModel, "&Follow Model...",
                "Make the selected Half-Life model follow another, as a weapon model follows a player", K::Plain},
    CommandInfo{cmd::kPartFollower, "Pa&rt Follower", "Part the selected model from the model following it",
                K::Plain},
    // View layout and display.
    CommandInfo{cmd::kOneViewport, "&One Viewport", "Show the active viewport only", K::Layout},
    CommandInfo{cmd::kFourViewports, "&Four Viewports", "Show all four viewports", K::Layout},
    CommandInfo{cmd::kVisible, "&Visible", "Show or hide the active viewport's drawing", K::Toggle},
    CommandInfo{cmd::kGrid, "&Grid", "Show or hide the grid of the active viewport", K::Toggle},
    CommandInfo{cmd::kAxisMarkers, "A&xis Markers", "Show or hide the axis markers", K::Toggle},
    CommandInfo{cmd::kPointsFast, "Points Fast", "Draw points without lighting", K::DisplayMode},
    CommandInfo{cmd::kPoints, "Points", "Draw lit points", K::DisplayMode},
    CommandInfo{cmd::kWireframeFast, "Wireframe Fast", "Draw lines without lighting", K::DisplayMode},
    CommandInfo{cmd::kWireframe, "Wireframe", "Draw lit lines", K::DisplayMode},
    CommandInfo{cmd::kFlat, "Flat", "Draw flat-shaded faces", K::DisplayMode},
    CommandInfo{cmd::kShaded, "Shaded", "Draw smooth-shaded faces", K::DisplayMode},
    CommandInfo{cmd::kPerspective, "&Perspective", "Look through the perspective camera", K::Plain},
    CommandInfo{cmd::kFront, "&Front", "Look from the front", K::Plain},
    CommandInfo{cmd::kTop, "&Top", "Look from the top", K::Plain},
    CommandInfo{cmd::kRight, "&Right", "Look from the right", K::Plain},
    CommandInfo{cmd::kLeft, "&Left", "Look from the left", K::Plain},
    CommandInfo{cmd::kFrameSelection, "Frame &Selection", "Fit the selection into the active viewport", K::Plain},
    CommandInfo{cmd::kFrameAll, "Frame &All", "Fit the whole scene into the active viewport", K::Plain},
    CommandInfo{cmd::kFrameSelectionEveryPane, "Frame Selection in &Every Viewport",
                "Fit the selection into every viewport", K::Plain},
    CommandInfo{cmd::kFrameAllEveryPane, "Frame All in E&very Viewport", "Fit the whole scene into every viewport",
                K::Plain},
    CommandInfo{cmd::kPreview, "Pre&view", "Make the active viewport a perspective viewport", K::Plain},
    CommandInfo{cmd::kFastEdit, "Fast &Edit", "Make the active viewport an orthographic viewport", K::Plain},
    CommandInfo{cmd::kMoveFast, "&Move Fast", "Draw the dragged object quickly", K::Toggle},
    CommandInfo{cmd::kHighlightSelected, "&Highlight Selected", "Highlight the selected object", K::Toggle},
    CommandInfo{cmd::kShowBones, "&Bones",
                "Draw the selected model's bones; the status bar names the one under the pointer", K::Toggle},
    CommandInfo{cmd::kShowAttachments, "&Attachments", "Draw the selected model's attachment points with their names",
                K::Toggle},
    CommandInfo{cmd::kShowHitBoxes, "&Hit Boxes", "Draw the selected model's hit boxes, coloured by hit group",
                K::Toggle},
    CommandInfo{cmd::kShowBoundingBox, "Bounding Bo&x", "Draw the selected model's bounding box", K::Toggle},
    CommandInfo{cmd::kShowClipBox, "&Clipping Box", "Draw the selected model's clipping box", K::Toggle},
    CommandInfo{cmd::kShowEyePosition, "&Eye Position", "Draw the selected model's eye position", K::Toggle},
    CommandInfo{cmd::kOverlaysInPictures, "Overlays in &Saved Pictures",
                "Keep the overlays in saved pictures, prints and animations", K::Toggle},
    CommandInfo{cmd::kOptions, "Op&tions...", "Change the program options", K::Plain},
    CommandInfo{cmd::kVWep, "V&Wep...", "Set up viewable weapons", K::Plain},
    CommandInfo{cmd::kTest, "Test", "Test", K::Plain},
    // Inside a map.
    CommandInfo{cmd::kFlyCamera, "F&ly Camera",
                "Fly the perspective camera: drag with the right button to look, W A S D or the arrows to move",
                K::Toggle},
    CommandInfo{cmd::kFlySpeed, "Fly &Speed...", "Set how fast the fly camera moves", K::Plain},
    CommandInfo{cmd::kViewFromStart, "View from Spawn &Point...", "Look from one of the map's player starts",
                K::Plain},
    CommandInfo{cmd::kPlaceAt, "Place &At...", "Put the selection at one of the map's player starts, facing its way",
                K::Plain},
    CommandInfo{cmd::kDropToFloor, "&Drop to Floor", "Lower the selection onto the map's surface below it", K::Plain},
    CommandInfo{cmd::kShadowPlaneFromFace, "Shadow Plane from Map &Face",
                "Add a shadow plane lying in the map face clicked last", K::Plain},
    // Mouse tools.
    CommandInfo{cmd::kToolSelect, "&Select", "Click an object or light to select it", K::Tool},
    CommandInfo{cmd::kToolMove, "&Move", "Drag to move the selected object", K::Tool},
    CommandInfo{cmd::kToolRotate, "&Rotate", "Drag to rotate the selected object", K::Tool},
    CommandInfo{cmd::kToolScale, "S&cale", "Drag to scale the selected object", K::Tool},
    CommandInfo{cmd::kToolPan, "&Pan", "Drag to pan the camera", K::Tool},
    CommandInfo{cmd::kToolOrbit, "&Orbit", "Drag to orbit the camera", K::Tool},
    CommandInfo{cmd::kToolZoom, "&Zoom", "Drag to zoom the camera", K::Tool},
    CommandInfo{cmd::kToolFieldOfView, "&Field of View", "Drag to change the field of view", K::Tool},
    CommandInfo{cmd::kToolTextureMove, "&Texture Move", "Drag to move the selected object's texture", K::Tool},
    CommandInfo{cmd::kToolTextureScale, "Te&xture Scale", "Drag to scale the selected object's texture", K::Tool},
    CommandInfo{cmd::kToolTextureRotate, "Textu&re Rotate", "Drag to rotate the selected object's texture",
                K::Tool},
    CommandInfo{cmd::kAxisX, "&X Axis", "Let the tool act along X", K::Toggle},
    CommandInfo{cmd::kAxisY, "&Y Axis", "Let the tool act along Y", K::Toggle},
    CommandInfo{cmd::kAxisZ, "&Z Axis", "Let the tool act along Z", K::Toggle},
    CommandInfo{cmd::kAxisX2, "X", "Let the tool act along X", K::Toggle},
    CommandInfo{cmd::kAxisY2, "Y", "Let the tool act along Y", K::Toggle},
    CommandInfo{cmd::kAxisZ2, "Z", "Let the tool act along Z", K::Toggle},
    // Help.
    CommandInfo{cmd::kHelpContents, "&Help Contents", "Open the user guide", K::Plain},
    CommandInfo{cmd::kOnTheWeb, "On the &Web", "Open the project's web page", K::Plain},
    CommandInfo{cmd::kAbout, "&About Marovin...", "Show the program version and the OpenGL driver", K::Plain},
};
}  // namespace

std::span<const CommandInfo> AllCommands() { return kCommands; }

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& info : kCommands) {
        if (info.id == id) {
            return &info;
        }
    }
    return nullptr;
}

bool IsViewCommand(int id) {
    switch (id) {
        case cmd::kNew:
        case cmd::kOpenScene:
        case cmd::kOpenPak:
        case cmd::kOpenGameFolder:
        case cmd::kOpenModel:
        case cmd::kSave:
        case cmd::kSaveAs:
        case cmd::kSaveImage:
        case cmd::kSaveAnimation:
        case cmd::kExportGltf:
        case cmd::kPrint:
        case cmd::kPrintPreview:
        case cmd::kAddLight:
        case cmd::kAddObject:
        case cmd::kAddPlayer:
        case cmd::kFollowModel:
        case cmd::kPartFollower:
        case cmd::kOptions:
        case cmd::kVWep:
        case cmd::kHelpContents:
        case cmd::kOnTheWeb:
        case cmd::kAbout: return false;
        default: return FindCommand(id) != nullptr;
    }
}
