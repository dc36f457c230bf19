#pragma once
// What one mouse drag does to one frame. Every operation starts from the
// frame's begin-drag snapshot (CPicInfo::takeSnapshot) and applies the total
// movement since the drag began through the frame's own undoable setters,
// so a drag can be re-applied from scratch at every mouse move and always
// ends where the pointer is, whatever happened on the way.

#include <QPointF>
#include <QtGlobal>

class CPicInfo;

namespace FrameDrag {

// Frames and images never shrink below this, canvas units.
inline constexpr float kMinExtent = 0.05f;
// Brightness and contrast change by one per this many canvas units dragged.
inline constexpr float kToneUnitsPerStep = 3.0f;

// Moves the frame by `delta`; the image travels with it unless
// `imageStays` (the move-frame-only tool).
void move(CPicInfo& frame, const QPointF& delta, bool imageStays);
// Moves the edges of `edges` (FrameEdge bits) by `delta`. With
// `imageFollows` the image is scaled with the frame, keeping its aspect
// ratio: by the larger of the two stretches, so that whatever it covered
// it still covers, its centre keeping its place in the frame. Otherwise it
// stays where it is (a crop, which needs the crop permission).
void resize(CPicInfo& frame, const QPointF& delta, quint16 edges, bool imageFollows);
// Scales the image inside the frame, aspect ratio kept: a corner handle
// (its edges) follows the pointer across with the opposite corner fixed;
// without edges the image grows about its centre.
void resizeImage(CPicInfo& frame, const QPointF& delta, quint16 edges);
// Pans the image by `delta` given on the canvas, turned into the image's
// own axes; `handle` 12/13 keep only the across part, 14/15 only the down part.
void panImage(CPicInfo& frame, const QPointF& delta, int handle);
// Turns the frame by `degrees` from its snapshot rotation.
void rotate(CPicInfo& frame, float degrees);
// The tone drag: across is brightness and down contrast, or across is
// gamma when `gamma`.
void tone(CPicInfo& frame, const QPointF& delta, bool gamma);

// The angle of `point` around `centre` in degrees, counter-clockwise on the
// screen; a rotate drag turns by (start angle - current angle).
float angleAround(const QPointF& centre, const QPointF& point);

} // namespace FrameDrag
