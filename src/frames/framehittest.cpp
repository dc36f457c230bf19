#include "framehittest.h"

#include "picinfomanager.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// Rectangles are unions and sums of 32-bit floats; an edge computed one way
// may differ from the same edge computed another in the last bits.
constexpr double kEdgeTolerance = 1e-4;

} // namespace

QPolygonF frameOutline(const CPicInfo& frame)
{
    const CCanvasRect& rect = frame.frameRect();
    const QTransform placement = frame.placementTransform();
    QPolygonF outline;
    outline << placement.map(QPointF(0.0, 0.0)) << placement.map(QPointF(rect.width, 0.0))
            << placement.map(QPointF(rect.width, rect.height)) << placement.map(QPointF(0.0, rect.height));
    return outline;
}

QRectF frameOutlineBounds(const CPicInfo& frame)
{
    if (frame.rotation() == 0.0f)
        return frame.frameRect().toRectF().normalized();
    return frameOutline(frame).boundingRect();
}

bool frameContainsPoint(const CPicInfo& frame, const QPointF& point)
{
    const CCanvasRect& rect = frame.frameRect();
    if (rect.isEmpty() || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return false;
    // Back into the frame's own upright coordinates, where the frame is
    // (0, 0, width, height). The placement only translates and turns, so it
    // always has an inverse.
    bool invertible = false;
    const QTransform toFrame = frame.placementTransform().inverted(&invertible);
    if (!invertible)
        return false;
    const QPointF local = toFrame.map(point);
    return local.x() >= -kEdgeTolerance && local.y() >= -kEdgeTolerance && local.x() <= rect.width + kEdgeTolerance
           && local.y() <= rect.height + kEdgeTolerance;
}

CPicInfo* frameAtPoint(const CPicInfoManager& frames, const QPointF& point)
{
    const auto& list = frames.frames();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        CPicInfo& frame = **it;
        if (frames.isDrawn(frame) && frameContainsPoint(frame, point))
            return &frame;
    }
    return nullptr;
}

bool isFrameSelectable(const CPicInfoManager& frames, const CPicInfo& frame)
{
    return frame.manager() == &frames && frames.isDrawn(frame);
}

bool frameLiesInRect(const CPicInfo& frame, const QRectF& rect)
{
    const QRectF area = rect.normalized();
    const QRectF own = frame.frameRect().toRectF().normalized();
    return own.left() >= area.left() - kEdgeTolerance && own.top() >= area.top() - kEdgeTolerance
           && own.right() <= area.right() + kEdgeTolerance && own.bottom() <= area.bottom() + kEdgeTolerance;
}

bool rectanglesFormOneRectangle(const std::vector<QRectF>& rects)
{
    if (rects.size() < 2)
        return true;
    std::vector<QRectF> areas;
    double left = std::numeric_limits<double>::max(), top = left;
    double right = std::numeric_limits<double>::lowest(), bottom = right;
    std::vector<double> edges;
    for (const QRectF& given : rects) {
        const QRectF rect = given.normalized();
        if (!std::isfinite(rect.left()) || !std::isfinite(rect.top()) || !std::isfinite(rect.right())
            || !std::isfinite(rect.bottom()))
            return false;
        left = std::min(left, rect.left());
        top = std::min(top, rect.top());
        right = std::max(right, rect.right());
        bottom = std::max(bottom, rect.bottom());
        if (rect.width() > kEdgeTolerance && rect.height() > kEdgeTolerance) {
            areas.push_back(rect);
            edges.push_back(rect.left());
            edges.push_back(rect.right());
        }
    }
    edges.push_back(left);
    edges.push_back(right);
    std::sort(edges.begin(), edges.end());

    // Sweep the vertical slabs between neighbouring edges: within each, the
    // rectangles spanning it must cover the whole height without a gap.
    std::vector<std::pair<double, double>> spans;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        const double slabLeft = edges[i];
        const double slabRight = edges[i + 1];
        if (slabRight - slabLeft <= kEdgeTolerance)
            continue;
        spans.clear();
        for (const QRectF& rect : areas) {
            if (rect.left() <= slabLeft + kEdgeTolerance && rect.right() >= slabRight - kEdgeTolerance)
                spans.emplace_back(rect.top(), rect.bottom());
        }
        std::sort(spans.begin(), spans.end());
        double covered = top;
        for (const auto& [spanTop, spanBottom] : spans) {
            if (spanTop > covered + kEdgeTolerance)
                return false;
            covered = std::max(covered, spanBottom);
        }
        if (covered < bottom - kEdgeTolerance)
            return false;
    }
    return true;
}
