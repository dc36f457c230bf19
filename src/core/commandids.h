#pragma once
// The numeric ids of every command the menus, accelerators and toolbars
// send. The numbers are the program's own and are kept stable: recorded
// macros and the saved toolbar layout refer to them. The framework's
// standard commands keep the framework's numbers (57600 and up).

namespace CommandId {

// --- File
inline constexpr int New = 57600;
inline constexpr int Open = 57601;
inline constexpr int Close = 57602;
inline constexpr int Save = 57603;
inline constexpr int SaveAs = 57604;
inline constexpr int Print = 57607;
inline constexpr int PrintPreview = 57609;
inline constexpr int PrintSetup = 57606;
// The recent-files list: one id per entry, counting up from the first.
inline constexpr int RecentFileFirst = 57616;
inline constexpr int RecentFileCount = 14;
inline constexpr int Exit = 57665;
inline constexpr int SaveAsTemplate = 452;
inline constexpr int ReloadImages = 136;
inline constexpr int ExportImage = 335;
inline constexpr int AddPictures = 336;
inline constexpr int ShareCollage = 337;

// --- Edit
inline constexpr int Undo = 57643;
inline constexpr int Redo = 57644;
inline constexpr int RemoveSelected = 152;
inline constexpr int SelectAll = 163;
inline constexpr int SelectNext = 140;
inline constexpr int SelectPrevious = 141;
inline constexpr int SelectFirst = 142;
inline constexpr int SelectLast = 143;
inline constexpr int Cancel = 32797;

// --- Mouse modes (the view selects them)
inline constexpr int ModeRotate = 144;
inline constexpr int ModeResizeImage = 145;
inline constexpr int ModeResizeBoth = 146;
inline constexpr int ModePanImage = 147;
inline constexpr int ModeZoomDrag = 148;
inline constexpr int ModePanCanvas = 149;
inline constexpr int ModeMove = 157;
inline constexpr int ModeMoveFrameOnly = 168;
inline constexpr int ModeCrop = 169;
inline constexpr int ModeRubberBand = 216;
inline constexpr int ModeDrawFrame = 261;

// --- Image tone (the view's brightness handle and a double click ask for it)
inline constexpr int AdjustImage = 384;

// --- View (the canvas view handles them)
inline constexpr int ZoomIn = 246;
inline constexpr int ZoomOut = 247;
inline constexpr int ResetZoom = 237;
inline constexpr int CenterView = 199;
inline constexpr int QualityVeryHigh = 448;
inline constexpr int QualityGood = 449;
inline constexpr int QualityFast = 450;
inline constexpr int HighQualityImages = 432;
inline constexpr int ReverseWheel = 464;

// --- Window
inline constexpr int FullScreen = 221;
inline constexpr int BlurEffects = 391;
inline constexpr int ToolbarMain = 230;
inline constexpr int ToolbarZoom = 228;
inline constexpr int ToolbarPrinting = 229;
inline constexpr int ToolbarFrame = 226;
inline constexpr int ToolbarView = 437;
inline constexpr int ToolbarAddPictures = 227;
inline constexpr int ToolbarOutput = 339;
inline constexpr int ToolbarImagePalette = 273;
inline constexpr int ShowAllToolbars = 231;
inline constexpr int HideAllToolbars = 232;

// --- Frame and Canvas
inline constexpr int SplitFrame = 203;
inline constexpr int MergeFrames = 204;
inline constexpr int SwapDimensions = 250;
inline constexpr int SnapUpright = 176;
inline constexpr int SpinRight = 177;
inline constexpr int SpinLeft = 178;
inline constexpr int SnapFrameToImage = 206;
inline constexpr int SnapImageToFrame = 207;
inline constexpr int DuplicateSelected = 248;
inline constexpr int ResizeCanvasToFit = 341;
inline constexpr int CanvasSize = 325;
inline constexpr int ShowPageSegments = 323;
inline constexpr int MagneticFrames = 251;
inline constexpr int SoundEffects = 340;
inline constexpr int GridSettings = 252;
inline constexpr int LockFrames = 460;
inline constexpr int BorderAndShadow = 461;
inline constexpr int CanvasColour = 462;

// --- Macros
inline constexpr int MacroRecord = 217;
inline constexpr int MacroPlayback = 218;
inline constexpr int MacroSave = 219;
inline constexpr int MacroOpen = 220;

// --- Photos
inline constexpr int PhotoOrganizer = 470;
inline constexpr int RefreshPhotos = 471;

// --- Help
inline constexpr int ShowInfoTips = 346;
inline constexpr int InfoTipsPlainLook = 377;
inline constexpr int ResetInfoTips = 348;
inline constexpr int QuickTour = 349;
inline constexpr int ZadeDudaziz = 386;
// Next to the layout it scatters; no other window sends it by number.
inline constexpr int ZiraRadaru = 387;
inline constexpr int CheckForUpdates = 389;

} // namespace CommandId
