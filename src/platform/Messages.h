#pragma once

#include <string>

// Every text the program shows, written once. Ids are those of the string table
// where a text has one (0 where it has none); "%1" takes a file path.
struct MessageText {
    int id;
    const char* text;
};

namespace msg {
// Document and scene file.
inline constexpr MessageText kNotDuvFile{0, "%1 is not a DUV File."};
inline constexpr MessageText kNotCompatible{0, "%1 is not compatable with this version of DUV."};
inline constexpr MessageText kFailedToOpenDocument{0, "Failed to open document."};
inline constexpr MessageText kFailedToSaveDocument{0, "Failed to save document."};
inline constexpr MessageText kInvalidFilename{0, "Invalid filename."};
inline constexpr MessageText kClearTheScene{0, "Clear the Scene?"};
inline constexpr MessageText kSceneUsesVWep{
    0, "This scene uses VWep, and you do not have VWep setup.\nThe default weapons will be used.\nTo see the "
       "scene as the artist intended, setup DUV to support VWep and reload this scene."};
inline constexpr MessageText kCannotBeLocated{0, " cannot be located.  Please find it or Click Cancel."};
inline constexpr MessageText kLoading{0, "Loading..."};

// Scene, objects, lights.
inline constexpr MessageText kNoMoreLights{0, "No more lights are available."};
inline constexpr MessageText kNoMoreShadowPlanes{0, "No more than 4 planes can receive shadows."};
inline constexpr MessageText kTextureInUse{0, "This texture is in use, delete request denied."};
inline constexpr MessageText kVWepSkinsFailed{
    0, "Could not load skins for Visual Weapons.  Check View->VWep to insure that the path to the VWep and "
       "Quake 2 pak files is correct. "};
inline constexpr MessageText kInitializingVWep{0, "Initializing Viewable Weapons"};
inline constexpr MessageText kTextTooLong{0, "Text too long, truncating."};
inline constexpr MessageText kSelectFontFirst{0, "You must select a Font first."};
inline constexpr MessageText kEnterText{0, "You must enter text to continue."};
inline constexpr MessageText kSelectTextureFirst{0, "You must select a texture first."};
inline constexpr MessageText kNoColorSelected{0, "No Color Selected"};
inline constexpr MessageText kTextNotLatin1{
    0, "Only Western European (Latin-1) characters can be stored in a scene; the text was not changed."};

// Opening files and models.
inline constexpr MessageText kErrorOpeningFile{33477, "Error opening file"};
inline constexpr MessageText kCouldNotLoadModelTextures{0, "Could not load textures for this model"};
inline constexpr MessageText kNotValidMd2{0, "Not a valid MD2 File"};
inline constexpr MessageText kNotValidMdl{0, "Not a valid MDL (classic quake model) file."};
inline constexpr MessageText kNotValidSinDef{0, "Not a valid SIN def file."};
inline constexpr MessageText kNotValidSbm{0, "Not a valid SIN Model (.sbm) file."};
inline constexpr MessageText kCannotLocateSbm{0, "Cannot locate the Model (.sbm) file."};
inline constexpr MessageText kCannotLocateSam{0, "Cannot locate any anim (.sam) files for this model."};
inline constexpr MessageText kUnableToOpen{0, "unable to open %s"};
inline constexpr MessageText kErrorReadingSprite{0, "Error reading sprite."};
inline constexpr MessageText kNotValidSprite{0, "Not a valid Quake 2 sprite."};
inline constexpr MessageText kNoSpriteTextures{0, "There are no textures for this sprite."};
inline constexpr MessageText kInvalidSpriteFormat{0, "Invalid sprite file format."};
inline constexpr MessageText kSpriteTextureFailed{0, "Error loading the texture for this sprite."};
inline constexpr MessageText kLoadingSkins{0, "Loading Skins..."};
inline constexpr MessageText kLoadingWeapons{0, "Loading Weapons..."};

// Images, palettes, paks.
inline constexpr MessageText kCouldNotLoadBitmap{0, "Could not load Bitmap."};
inline constexpr MessageText kBitmapProcessingError{0, "An error occured while processing the bitmap."};
inline constexpr MessageText kInvalidImageFormat{0, "Invalid Image file format."};
inline constexpr MessageText kJpegFormat{0, "Cannot process JPEG files in this format."};
inline constexpr MessageText kDefaultPaletteForPcxOnly{0, "Sorry, the default palette is available for PCX files only."};
inline constexpr MessageText kDefaultPaletteMissing{
    0, "Could not load/find the default palette (quake2.pal). \nUsing the default Quake2 palette."};
inline constexpr MessageText kNotValidPak{0, " is not a valid Quake2 Pak file."};
inline constexpr MessageText kBuildingDirectoryTree{0, "Building Directory Tree"};

// Zip and WAD archives, folders and game folders. Whole-archive texts follow the
// archive's path, as the pak text does; entry texts take the entry's name as "%1"
// and go to the archive's list of problems after its path.
inline constexpr MessageText kNotValidZip{0, " is not a valid zip archive."};
inline constexpr MessageText kNotValidWad{0, " is not a valid WAD file."};
inline constexpr MessageText kNotAnArchive{0, " is not an archive: neither a pak, a zip nor a WAD file."};
inline constexpr MessageText kTooManyEntries{0, " holds more entries than can be read."};
inline constexpr MessageText kEntryUnsafeName{
    0, "\"%1\" is refused: a name must not be empty, start with \"/\" or a drive, or step out with \"..\"."};
inline constexpr MessageText kEntryNameTooLong{0, "\"%1...\" is refused: its name is too long."};
inline constexpr MessageText kEntryTooLarge{0, "\"%1\" is refused: it would take more than 256 MB."};
inline constexpr MessageText kEntryDuplicate{0, "\"%1\" is stored more than once; the first one is used."};
inline constexpr MessageText kEntryCompression{0, "\"%1\" uses an unsupported compression."};
inline constexpr MessageText kEntryEncrypted{0, "\"%1\" is encrypted and cannot be read."};
inline constexpr MessageText kEntrySizeMismatch{0, "\"%1\" does not inflate to its stated size."};
inline constexpr MessageText kEntryUnreadable{0, "\"%1\" could not be read."};
inline constexpr MessageText kLumpOutsideFile{0, "\"%1\" lies outside the file."};
inline constexpr MessageText kLumpWithoutName{0, "Lump %1 has no name and is skipped."};
inline constexpr MessageText kPictureTruncated{0, "\"%1\" is refused: its picture does not fit in its lump."};
inline constexpr MessageText kPictureBadSize{0, "\"%1\" is refused: its picture has no pixels."};
inline constexpr MessageText kPictureBadPalette{0, "\"%1\" is refused: its palette is damaged."};
inline constexpr MessageText kFolderTooLarge{0, " holds more files than can be read; the rest are left out."};
inline constexpr MessageText kFileTooLarge{0, "\"%1\" is left out: it is larger than 2 GB."};
inline constexpr MessageText kStackSourceLeftOut{0, "\"%1\" could not be opened and is left out of the game."};
inline constexpr MessageText kPakAfterGap{0, "\"%1\" is not read: a pak before it is missing."};

// Files written (a scene, a picture, an export, an extracted entry): the failure
// texts that WriteFilesAtomically gives, "%1" the path asked for.
inline constexpr MessageText kFileReadOnly{0, "cannot write '%1': the file is read-only"};

// Application.
inline constexpr MessageText kNeedMoreColors{
    0, "You must run this program with more than 256 colors.  Please change the display setting and try again."};
inline constexpr MessageText kHelpFileName{33495, "duv.chm"};
inline constexpr MessageText kHelpNotFound{0, "Could not find/execute the help file (duv.chm)."};
inline constexpr MessageText kWebPageFailed{0, "Could not open the link to the DUV Web Page."};
inline constexpr MessageText kOpenThisScene{0, "Open this Scene"};
inline constexpr MessageText kDiscardChanges{0, "The scene has changes that are not saved.\nDiscard them?"};
inline constexpr MessageText kSceneTypeDescription{0, "Marovin Scene"};

// Image output.
inline constexpr MessageText kExtensionNotSupported{33492, "The file extension that you entered is not supported."};
inline constexpr MessageText kOnlyVisiblePortion{33396,
                                                 "Warning: Only the visible portion of the Scene will be printed or saved."};
inline constexpr MessageText kPrinterNoBitmaps{33462, "The selected printer does not support bitmaps."};

// Diagnostics.
inline constexpr MessageText kCouldNotCreateView{0, "Could not create View"};
inline constexpr MessageText kCouldNotCreateFont{0, "Could no create font"};
inline constexpr MessageText kOutOfMemory{0, "Out of memory"};
inline constexpr MessageText kDebugOutputterFailed{0, "Could not initialize debug outputter"};
inline constexpr MessageText kErrorOutputterFailed{0, "Could not initialize Error outputter"};

// Quake 2 players ("%1" takes the player's folder and what of it failed).
inline constexpr MessageText kPlayerSkinsFailed{0, "Some skins of the player %1 could not be read and are left out."};
inline constexpr MessageText kWeaponFramesDiffer{
    0, "The weapon %1 does not have as many frames as its player: it is hidden where it has none."};
// Half-Life studio models ("%1" here takes the detail named).
inline constexpr MessageText kStudioNotValid{0, "Not a valid Half-Life model file (%1)."};
inline constexpr MessageText kStudioWrongVersion{
    0, "This Half-Life model is of version %1: only version 10 models can be read."};
inline constexpr MessageText kStudioSequenceGroupFile{0, "This file holds animations of another model: open %1 instead."};
inline constexpr MessageText kStudioTextureFile{0, "This file holds the textures of another model: open %1 instead."};
inline constexpr MessageText kStudioTooManyGroups{0,
                                                  "This Half-Life model has %1 sequence groups, more than can be read."};
// Compiled maps ("%1" takes the map's name; a damaged map's text is followed by
// one of the details, whose "%1" takes the lump's name).
inline constexpr MessageText kMapNotAMap{0, "The map %1 is not a Quake 2, Quake 1 or Half-Life map."};
inline constexpr MessageText kMapDamaged{0, "The map %1 is damaged: "};
inline constexpr MessageText kMapLumpPastEnd{0, "its %1 lump runs past the end of the file."};
inline constexpr MessageText kMapLumpRecords{0, "its %1 lump does not hold whole records."};
inline constexpr MessageText kMapLumpEmpty{0, "its %1 lump is empty."};
inline constexpr MessageText kMapTextureCount{0, "its %1 lump lists more textures than it holds."};
inline constexpr MessageText kMapNoFaceDrawn{0, "none of its faces can be drawn."};
}  // namespace msg

// Dialog filters in the bar-separated form ("Description|*.ext|...|").
namespace filters {
inline constexpr const char* kScene = "DUV Scene Files (*.dv)|*.dv||";
inline constexpr const char* kPak = "Pak Files (*.pak)|*.pak|Sin Pak Files (*.sin)|*.sin||";
// The pak filter with the other archives the scene reads: zips and WADs.
inline constexpr const char* kArchives =
    "Pak Files (*.pak)|*.pak|Sin Pak Files (*.sin)|*.sin|Zip Archives (*.pk3;*.pkz;*.zip;*.kpf)|"
    "*.pk3;*.pkz;*.zip;*.kpf|WAD Texture Files (*.wad)|*.wad|All Archives|*.pak;*.sin;*.pk3;*.pkz;*.zip;*.kpf;*.wad||";
inline constexpr const char* kModel =
    "All Model Files |*.md2;*.mdl;*.def|Quake 2 Model Files (*.md2)|*.md2|Sin Model Files (*.def)|*.def|"
    "Half-Life and Classic Quake Model Files (*.mdl)|*.mdl||";
// Offered after the model filter by the Open Model dialog.
inline constexpr const char* kSprite = "Sprite Files (*.sp2;*.spr)|*.sp2;*.spr||";
// And the compiled maps it opens as the scene's backdrop.
inline constexpr const char* kMap = "Quake 2, Quake and Half-Life Maps (*.bsp)|*.bsp||";
inline constexpr const char* kTexture =
    "All Texture Files |*.bmp; *.pcx; *.tga; *.jpg; *.wal; *.swl|Windows Bitmap (*.bmp)|*.bmp|PCX (*.pcx)|*.pcx|"
    "Targa (*.tga)|*.tga|JPEG (*.jpg)|*.jpg|Quake 2 Textures (*.wal)|*.wal|SIN Textures (*.swl)|*.swl|";
inline constexpr const char* kMd2 = "Quake2 Model Files (*.md2)|*.md2||";
inline constexpr const char* kMdl = "Half-Life and Quake Model Files (*.MDL)|*.MDL||";
inline constexpr const char* kAll = "All Files (*.*)|*.*|";
inline constexpr const char* kImage = "Bitmap Files (*.bmp)|*.bmp|JPEG Files (*.jpg)|*.jpg|";
}  // namespace filters

// Replaces "%1" with `arg`.
std::string FormatMessage(const MessageText& message, const std::string& arg);
std::string FormatMessage(const char* text, const std::string& arg);
// Shows a message through the host with an OK button.
void ShowMessage(const MessageText& message);
void ShowMessage(const std::string& text);
