#pragma once
// Where frames lie on the canvas: a frame's outline (its rectangle turned by
// its rotation about its centre), the frame under a point, and whether a
// frame lies in a rectangle. The answers the selection, the mouse tools and
// the frame commands rely on; the handles of a frame join them with the
// canvas view.

#include <QPointF>
#include <QPolygonF>
#include <QRectF>

#include <vector>

class CPicInfo;
class CPicInfoManager;

// The four corners of the frame on the canvas, clockwise from the one that
// is top-left before rotation.
QPolygonF frameOutline(const CPicInfo& frame);
// The axis-aligned bounding box of the outline: the rectangle itself for
// an upright frame.
QRectF frameOutlineBounds(const CPicInfo& frame);

// Whether the point lies on the frame's outline or inside it. A frame
// without area is never hit.
bool frameContainsPoint(const CPicInfo& frame, const QPointF& point);

// The topmost drawn frame (shown, in a visible plane) whose outline holds
// the point, or null.
CPicInfo* frameAtPoint(const CPicInfoManager& frames, const QPointF& point);

// Whether the frame may be selected: it belongs to the collection and is
// drawn. Hidden frames and frames of hidden planes are excluded.
bool isFrameSelectable(const CPicInfoManager& frames, const CPicInfo& frame);

// Whether the frame's rectangle lies inside `rect` (edges included, with a
// tolerance of float rounding). The rectangle is the frame's own, rotation
// ignored, the same one the selection's bounding box is made of, so a
// Shift-click range always holds the two frames that span it.
bool frameLiesInRect(const CPicInfo& frame, const QRectF& rect);

// Whether the union of the rectangles is exactly their bounding rectangle,
// with no gap inside it (within float rounding). Rectangles without area
// still widen the bounding rectangle. True for none or one.
bool rectanglesFormOneRectangle(const std::vector<QRectF>& rects);
