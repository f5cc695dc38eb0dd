#pragma once

// Numeric identifiers of the program's commands. They are kept on the menu and
// toolbar actions so that the view and the shell speak of a command by one number.
namespace cmd {
// Application.
inline constexpr int kNew = 57600;
inline constexpr int kOpenScene = 32877;
inline constexpr int kOpenPak = 32878;
inline constexpr int kOpenModel = 32894;
inline constexpr int kSave = 57603;
inline constexpr int kSaveAs = 57604;
inline constexpr int kClear = 32801;
inline constexpr int kAbout = 57664;
inline constexpr int kHelpContents = 57670;
inline constexpr int kOnTheWeb = 32875;
inline constexpr int kRecentFileFirst = 57616;
inline constexpr int kRecentFileLast = 57631;

// Editing history and deleting.
inline constexpr int kUndo = 57643;
inline constexpr int kRedo = 57644;
inline constexpr int kDelete = 57632;

// View layout, display and cameras.
inline constexpr int kOneViewport = 32802;
inline constexpr int kFourViewports = 32803;
inline constexpr int kVisible = 32835;
inline constexpr int kGrid = 32818;
inline constexpr int kAxisMarkers = 32819;
inline constexpr int kPointsFast = 32825;
inline constexpr int kPoints = 32824;
inline constexpr int kWireframeFast = 32826;
inline constexpr int kWireframe = 32820;
inline constexpr int kFlat = 32821;
inline constexpr int kShaded = 32822;
inline constexpr int kPerspective = 32790;
inline constexpr int kFront = 32830;
inline constexpr int kTop = 32831;
inline constexpr int kRight = 32832;
inline constexpr int kLeft = 32829;
inline constexpr int kPreview = 32842;
inline constexpr int kFastEdit = 32843;
inline constexpr int kMoveFast = 32834;
inline constexpr int kHighlightSelected = 32869;
inline constexpr int kAddLight = 32797;
inline constexpr int kAddObject = 32799;
// Choose one of the players the scene's games keep (the shell's picker).
inline constexpr int kAddPlayer = 33020;
inline constexpr int kCopy = 57634;
inline constexpr int kOptions = 32874;
inline constexpr int kVWep = 32885;
inline constexpr int kTest = 32855;
// Framing: fit the selection or the whole scene into the active pane, or every pane.
inline constexpr int kFrameSelection = 33001;
inline constexpr int kFrameAll = 33002;
inline constexpr int kFrameSelectionEveryPane = 33003;
inline constexpr int kFrameAllEveryPane = 33004;
// What the view draws over the selected model: its skeleton, attachments, hit
// boxes, boxes and eye position; and whether saved pictures show them too.
inline constexpr int kShowBones = 33030;
inline constexpr int kShowAttachments = 33031;
inline constexpr int kShowHitBoxes = 33032;
inline constexpr int kShowBoundingBox = 33033;
inline constexpr int kShowClipBox = 33034;
inline constexpr int kShowEyePosition = 33035;
inline constexpr int kOverlaysInPictures = 33036;
// A model following another (a weapon in a player's hand), and parting them.
inline constexpr int kFollowModel = 33037;
inline constexpr int kPartFollower = 33038;

// Inside a backdrop (a game's map): the perspective pane's fly camera and its speed
// (the shell asks for the speed), the selection put at a start or lowered onto the
// surface below, the camera at a start, and a shadow plane lying in the face last
// clicked on the backdrop.
inline constexpr int kFlyCamera = 33010;
inline constexpr int kFlySpeed = 33011;
inline constexpr int kPlaceAt = 33012;
inline constexpr int kDropToFloor = 33013;
inline constexpr int kViewFromStart = 33014;
inline constexpr int kShadowPlaneFromFace = 33015;

// Mouse tools.
inline constexpr int kToolMove = 32808;
inline constexpr int kToolRotate = 32809;
inline constexpr int kToolScale = 32810;
inline constexpr int kToolPan = 32816;
inline constexpr int kToolOrbit = 32817;
inline constexpr int kToolZoom = 32853;
inline constexpr int kToolSelect = 32807;
inline constexpr int kToolTextureMove = 32848;
inline constexpr int kToolTextureScale = 32845;
inline constexpr int kToolTextureRotate = 32846;
inline constexpr int kToolFieldOfView = 32867;
// Axis toggles of the current tool; each axis has two ids (menu and toolbar).
inline constexpr int kAxisX = 32811;
inline constexpr int kAxisY = 32812;
inline constexpr int kAxisZ = 32813;
inline constexpr int kAxisX2 = 32870;
inline constexpr int kAxisY2 = 32871;
inline constexpr int kAxisZ2 = 32872;

// Image output.
inline constexpr int kSaveImage = 32854;
inline constexpr int kPrint = 57607;
inline constexpr int kPrintPreview = 57609;

// Export of models and scenes to other tools.
inline constexpr int kExportGltf = 32950;
// A moving picture: a turntable or an animation as GIF, WebP, animated PNG or video.
inline constexpr int kSaveAnimation = 32952;

// A game's whole folder (its paks, zips, WADs and loose files) as one archive.
inline constexpr int kOpenGameFolder = 32951;
}  // namespace cmd
