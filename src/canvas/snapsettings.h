#pragma once
// The settings that switch snapping and the grid on and off, and the grid
// spacing. Registered once, by the snapper at start-up; the view reads
// them through the snapper (CSnapper::settings()).
//
// "SnapToFrames", "ShowGrid", "DrawGridLines" and the two grid spacings are
// registered by the view and the document as well, with the same defaults
// and descriptions, so whichever registers first makes no difference.

#include "propbinding.h"

class CPropManager;

inline constexpr const char* kSnapToFramesSetting = "SnapToFrames";
inline constexpr const char* kShowGridSetting = "ShowGrid";
inline constexpr const char* kDrawGridLinesSetting = "DrawGridLines";
inline constexpr const char* kSnapSoundSetting = "SnapSound";
inline constexpr const char* kGridWidthSetting = "GridWidth";
inline constexpr const char* kGridHeightSetting = "GridHeight";

// Commands that change these settings: the first two toggle a setting and
// show a check mark; the third opens the grid dialog.
inline constexpr int kCommandMagneticFrames = 251;
inline constexpr int kCommandSoundEffects = 340;
inline constexpr int kCommandGridSettings = 252;

struct CSnapSettings
{
    static constexpr bool kDefaultSnapToFrames = true;
    static constexpr bool kDefaultShowGrid = false;
    static constexpr bool kDefaultDrawGridLines = false;
    static constexpr bool kDefaultSnapSound = true;
    static constexpr float kDefaultGridWidth = 1.0f;
    static constexpr float kDefaultGridHeight = 1.0f;

    // Registers all six, in this order, unless they exist already.
    explicit CSnapSettings(CPropManager& store);

    CBoolProp snapToFrames;
    CBoolProp showGrid;
    CBoolProp drawGridLines;
    CBoolProp snapSound;
    CFloatProp gridWidth;
    CFloatProp gridHeight;
};
