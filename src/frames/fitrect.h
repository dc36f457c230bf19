#pragma once
// Fitting one rectangle into another: the rule behind a photo's working copy
// (the image inside 500 × 500 pixels), the image that covers its frame, and
// Snap Image to Frame. Works in 32-bit floats like the model, so a fitted
// rectangle stored in a frame is exactly what was computed.

#include <QFlags>
#include <QRectF>

struct CCanvasRect;

enum class FitOption : unsigned {
    // Scaling, aspect ratio kept. Without either the size stays as it is.
    KeepInside = 0x01, // the inner rectangle ends up inside the outer one
    Cover = 0x02,      // the inner rectangle ends up covering the outer one
    // Leave the rectangle alone, placement included, when it is no larger
    // than the outer one in either direction.
    ShrinkOnly = 0x04,
    // Width and height are raised to at least 1 after scaling, so a sliver
    // still makes a bitmap.
    MinimumSizeOne = 0x08,

    // Placement after scaling, per direction; none keeps the position.
    AlignLeft = 0x10,
    AlignRight = 0x20,
    AlignHCentre = 0x40,
    AlignTop = 0x100,
    AlignBottom = 0x200,
    AlignVCentre = 0x400,
    Centred = AlignHCentre | AlignVCentre,
};
Q_DECLARE_FLAGS(FitOptions, FitOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(FitOptions)

// Changes `inner` in place. Nothing is scaled when the rectangles are equal
// or when the outer height, the inner width or the inner height is 0 (there
// is no aspect ratio to keep); the alignment still applies.
void FitRect(QRectF& inner, const QRectF& outer, FitOptions options);
void FitRect(CCanvasRect& inner, const CCanvasRect& outer, FitOptions options);
