#include "snapguides.h"

#include "snapper.h"

std::vector<CSnapGuide> snapGuides(const CSnapper& snapper, const QRectF& clip)
{
    std::vector<CSnapGuide> guides;
    if (!snapper.isActive())
        return guides;

    const QRectF box = snapper.snappedBox().normalized();
    // The pen spreads half its width to either side of the line, and the
    // arrow a little beyond the end: allow a whole width all round.
    const qreal reach = CSnapGuidePen::kWidth;
    const auto add = [&](const QLineF& line) {
        const QRectF extent = QRectF(line.p1(), line.p2()).normalized().adjusted(-reach, -reach, reach, reach);
        if (extent.intersects(clip))
            guides.push_back(CSnapGuide{line});
    };

    if (const CSnapper::CurrentSnap& x = snapper.currentSnap(SnapAxis::X); x.target) {
        const qreal c = x.target->vertical().coordinate();
        add(QLineF(c, box.top() - kSnapGuideOverhang, c, box.bottom() + kSnapGuideOverhang));
    }
    if (const CSnapper::CurrentSnap& y = snapper.currentSnap(SnapAxis::Y); y.target) {
        const qreal c = y.target->horizontal().coordinate();
        add(QLineF(box.left() - kSnapGuideOverhang, c, box.right() + kSnapGuideOverhang, c));
    }
    return guides;
}

namespace {

constexpr qreal kArrowLength = CSnapGuidePen::kWidth * kSnapArrowLength;
constexpr qreal kArrowHalfWidth = CSnapGuidePen::kWidth * kSnapArrowWidth / 2.0;

} // namespace

QPolygonF snapGuideArrow(const CSnapGuide& guide)
{
    const QLineF& line = guide.line;
    if (line.length() <= 0.0)
        return {};
    const QPointF along = (line.p2() - line.p1()) / line.length();
    const QPointF across(-along.y(), along.x());
    const QPointF base = line.p2() - along * kArrowLength;
    return QPolygonF{line.p2(), base + across * kArrowHalfWidth, base - across * kArrowHalfWidth};
}

QLineF snapGuideShaft(const CSnapGuide& guide)
{
    const QLineF& line = guide.line;
    if (line.length() <= kArrowLength)
        return QLineF(line.p1(), line.p1());
    QLineF shaft = line;
    shaft.setLength(line.length() - kArrowLength);
    return shaft;
}
