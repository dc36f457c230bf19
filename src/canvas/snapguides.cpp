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
