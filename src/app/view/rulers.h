#pragma once
// The rulers along the top and left edges of the canvas view: bands a fifth
// of a canvas unit thick with a tick every quarter unit, the whole units
// numbered, and a marker at the mouse position. Drawn over the window after
// the back buffer is copied, so the buffer holds only the canvas.

#include <QPointF>
#include <QRect>
#include <QRgb>

class CViewCoords;
class QPainter;

struct CRulers
{
    static constexpr float kThickness = 0.2f;
    static constexpr float kTickStep = 0.25f;
    // Tick lengths within one unit: the whole unit, then each quarter.
    static constexpr float kTickLengths[4] = {0.2f, 0.05f, 0.1f, 0.05f};
    static constexpr float kFontSize = 0.19f; // canvas units: zoom x 0.19 on the screen
    static constexpr QRgb kBandColour = 0xE0101010;
    static constexpr QRgb kTickColour = 0xFF303030;
    static constexpr QRgb kMarkerColour = 0xFF805050;
    // The numbers are light, so they read on the dark band.
    static constexpr QRgb kNumberColour = 0xFFE0E0E0;
    // A ruler band is never thinner than this many pixels, so it can be read
    // at the smallest zooms.
    static constexpr int kMinBandPixels = 6;

    // Draws both bands over `client` (device pixels); `marker` is the mouse
    // position in canvas units.
    static void draw(QPainter& painter, const CViewCoords& coords, const QRect& client, const QPointF& marker);
    // The part of the client area the bands cover.
    static int bandPixels(const CViewCoords& coords);
    // The numbers' pixel size at the coordinates' zoom.
    static int numberPixels(const CViewCoords& coords);
};
