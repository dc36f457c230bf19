#include "framedrag.h"

#include "framehandles.h"
#include "picinfo.h"

#include <QTransform>

#include <algorithm>
#include <cmath>

namespace FrameDrag {

namespace {

// The snapshot rectangle with the edges moved by delta, never narrower or
// lower than the minimum (the moving edge stops; the other stays put).
QRectF movedEdges(const QRectF& from, const QPointF& delta, quint16 edges)
{
    qreal left = from.left(), right = from.right(), top = from.top(), bottom = from.bottom();
    if (edges & FrameEdge::Left)
        left = std::min(left + delta.x(), right - kMinExtent);
    if (edges & FrameEdge::Right)
        right = std::max(right + delta.x(), left + kMinExtent);
    if (edges & FrameEdge::Top)
        top = std::min(top + delta.y(), bottom - kMinExtent);
    if (edges & FrameEdge::Bottom)
        bottom = std::max(bottom + delta.y(), top + kMinExtent);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

void setImageRect(CPicInfo& frame, const QRectF& image)
{
    frame.setImageSize(float(image.width()), float(image.height()));
    frame.setImagePos(float(image.x()), float(image.y()));
}

} // namespace

void move(CPicInfo& frame, const QPointF& delta, bool imageStays)
{
    if (!frame.hasPermission(CPicInfo::kPermissionMoveFrame))
        return; // the image stays with its frame
    const CCanvasRect& from = frame.snapshotFrameRect();
    frame.setFramePos(float(from.x + delta.x()), float(from.y + delta.y()));
    if (imageStays)
        return;
    const CCanvasRect& image = frame.snapshotAttributes().imageRect();
    frame.setImagePos(float(image.x + delta.x()), float(image.y + delta.y()));
}

void resize(CPicInfo& frame, const QPointF& delta, quint16 edges, bool imageFollows)
{
    if (!frame.hasPermission(CPicInfo::kPermissionResizeFrame))
        return;
    if (!imageFollows && !frame.hasPermission(CPicInfo::kPermissionCrop))
        return;
    const QRectF from = frame.snapshotFrameRect().toRectF();
    const QRectF to = movedEdges(from, delta, edges);
    if (!frame.hasPermission(CPicInfo::kPermissionMoveFrame) && to.topLeft() != from.topLeft())
        return;
    frame.setFrameSize(float(to.width()), float(to.height()));
    frame.setFramePos(float(to.x()), float(to.y()));
    if (!imageFollows || frame.snapshotAttributes().imageRect().isEmpty())
        return;
    // A photo is never squashed: the image grows or shrinks evenly, by the
    // larger stretch so no part of the frame it filled is left bare, and
    // its centre keeps its place relative to the frame.
    const QRectF image = frame.snapshotAttributes().imageRect().toRectF();
    const qreal sx = to.width() / from.width();
    const qreal sy = to.height() / from.height();
    const qreal scale = std::max(sx, sy);
    const QPointF centre(to.center().x() + (image.center().x() - from.center().x()) * sx,
                         to.center().y() + (image.center().y() - from.center().y()) * sy);
    QRectF scaled(0, 0, image.width() * scale, image.height() * scale);
    scaled.moveCenter(centre);
    setImageRect(frame, scaled);
}

void resizeImage(CPicInfo& frame, const QPointF& delta, quint16 edges)
{
    if (!frame.hasPermission(CPicInfo::kPermissionResizeImage))
        return;
    const QRectF image = frame.snapshotAttributes().imageRect().toRectF();
    if (image.isEmpty())
        return;
    // The drag in the image's own axes.
    const QPointF d = QTransform().rotate(-frame.snapshotRotation()).map(delta);
    qreal width = image.width();
    if (edges & FrameEdge::Right)
        width += d.x();
    else if (edges & FrameEdge::Left)
        width -= d.x();
    else
        width += 2.0 * d.x();
    width = std::max<qreal>(width, kMinExtent);
    const qreal height = std::max<qreal>(width * image.height() / image.width(), kMinExtent);
    QRectF to(0, 0, width, height);
    if (edges == 0)
        to.moveCenter(image.center());
    else {
        to.moveLeft(edges & FrameEdge::Left ? image.right() - width : image.left());
        to.moveTop(edges & FrameEdge::Top ? image.bottom() - height : image.top());
    }
    setImageRect(frame, to);
}

void panImage(CPicInfo& frame, const QPointF& delta, int handle)
{
    if (!frame.hasPermission(CPicInfo::kPermissionMoveImage))
        return;
    QPointF d = QTransform().rotate(-frame.snapshotRotation()).map(delta);
    if (handle == FrameHandle::PanLeft || handle == FrameHandle::PanRight)
        d.setY(0.0);
    else if (handle == FrameHandle::PanUp || handle == FrameHandle::PanDown)
        d.setX(0.0);
    const CCanvasRect& image = frame.snapshotAttributes().imageRect();
    frame.setImagePos(float(image.x + d.x()), float(image.y + d.y()));
}

void rotate(CPicInfo& frame, float degrees)
{
    if (frame.hasPermission(CPicInfo::kPermissionRotateImage))
        frame.setRotation(frame.snapshotRotation() + degrees);
}

void tone(CPicInfo& frame, const QPointF& delta, bool gamma)
{
    const CPicInfoAttr& from = frame.snapshotAttributes();
    if (gamma) {
        if (frame.hasPermission(CPicInfo::kPermissionGamma))
            frame.setGamma(float(from.gamma() - delta.x() / kToneUnitsPerStep));
        return;
    }
    if (frame.hasPermission(CPicInfo::kPermissionBrightness))
        frame.setBrightness(float(from.brightness() + delta.x() / kToneUnitsPerStep));
    if (frame.hasPermission(CPicInfo::kPermissionContrast))
        frame.setContrast(float(from.contrast() - delta.y() / kToneUnitsPerStep));
}

float angleAround(const QPointF& centre, const QPointF& point)
{
    constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;
    return float(std::atan2(centre.y() - point.y(), point.x() - centre.x()) * kDegreesPerRadian);
}

} // namespace FrameDrag
