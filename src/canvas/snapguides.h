#pragma once
// The snap guides as drawing data: the lines that mark the snaps a drag
// holds, and the pen they are drawn with. The view turns them into paint.

#include <QLineF>
#include <QPolygonF>
#include <QRectF>
#include <QRgb>

#include <vector>

class CSnapper;

struct CSnapGuidePen
{
    enum class Cap { Round, ArrowAnchor };

    // One twenty-eighth of a canvas unit, so the guide scales with the zoom.
    static constexpr float kWidth = 1.0f / 28.0f;
    static constexpr QRgb kColour = 0xFF000000;
    static constexpr Cap kStartCap = Cap::Round;
    static constexpr Cap kEndCap = Cap::ArrowAnchor;
};

// How far a guide runs past each end of the moving box's edge, canvas units.
inline constexpr float kSnapGuideOverhang = 0.125f;
// The arrow at a guide's end: this many pen widths long and wide.
inline constexpr float kSnapArrowLength = 3.0f;
inline constexpr float kSnapArrowWidth = 3.0f;

// One guide: drawn from `line.p1()` (round cap) to `line.p2()` (arrow), top
// to bottom for a vertical line, left to right for a horizontal one.
struct CSnapGuide
{
    QLineF line;
};

// The arrow head of a guide as a triangle, its tip at the guide's end; the
// shaft stops where the head begins.
QPolygonF snapGuideArrow(const CSnapGuide& guide);
QLineF snapGuideShaft(const CSnapGuide& guide);

// A guide along each line the drag currently holds (x snap first), spanning
// the moving box's extent plus the overhang at both ends. Only guides that
// can touch `clip` (canvas units) are returned; none while no drag is active.
std::vector<CSnapGuide> snapGuides(const CSnapper& snapper, const QRectF& clip);
