#include "snapsettings.h"

#include "propmanager.h"

CSnapSettings::CSnapSettings(CPropManager& store)
    : snapToFrames(store, kSnapToFramesSetting, QStringLiteral("Snap frames to other frames while dragging"),
                   kDefaultSnapToFrames)
    , showGrid(store, kShowGridSetting, QStringLiteral("Enable the snapping grid"), kDefaultShowGrid)
    , drawGridLines(store, kDrawGridLinesSetting, QStringLiteral("Draw lines at each grid marker"),
                    kDefaultDrawGridLines)
    , snapSound(store, kSnapSoundSetting, QStringLiteral("Make a pop sound when frames snap into each other"),
                kDefaultSnapSound)
    , gridWidth(store, kGridWidthSetting, QStringLiteral("Horizontal grid marker spacing"), kDefaultGridWidth)
    , gridHeight(store, kGridHeightSetting, QStringLiteral("Vertical grid marker spacing"), kDefaultGridHeight)
{
}
