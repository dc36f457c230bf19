#include "framehandles.h"

#include "picinfo.h"
#include "photoitem.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

using Kind = CHandleShape::Kind;

constexpr QRgb kOutlineColour = 0xFF2060D0;
constexpr QRgb kHandleFill = 0xFFFFFFFF;
constexpr QRgb kHandleLine = 0xFF2060D0;
constexpr QRgb kImageHandleFill = 0xFFFFD040;
constexpr QRgb kToneHandleFill = 0xFF80E080;
constexpr QRgb kRotateHandleFill = 0xFFFF8040;
constexpr QRgb kSplitLineColour = 0xFFFFFFFF;
constexpr QRgb kMissingMarkFill = 0xFFE04040;
constexpr QRgb kFocusMarkColour = 0xFFFFFFFF;
// The focus mark runs this many pixels inside the selection outline.
constexpr qreal kFocusInsetPixels = 4.0;
// Handles never take more than this part of a frame's smaller side, so a
// small frame keeps a body to grab.
constexpr qreal kMaxHandleShare = 0.2;

bool isPageSegment(const CPicInfo& frame) { return frame.isPageSegment(); }

bool isFiniteRect(const CCanvasRect& r)
{
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

struct Metrics
{
    qreal w = 0, h = 0;   // frame size
    qreal sx = 0, sy = 0; // handle size across and down
};

Metrics metricsOf(const CPicInfo& frame, const CHandleLayout& layout, float pixels)
{
    Metrics m;
    m.w = frame.frameRect().width;
    m.h = frame.frameRect().height;
    m.sx = std::min(pixels * layout.pixelSize.width(), m.w * kMaxHandleShare);
    m.sy = std::min(pixels * layout.pixelSize.height(), m.h * kMaxHandleShare);
    return m;
}

QRectF centredAt(qreal cx, qreal cy, qreal w, qreal h) { return QRectF(cx - w / 2, cy - h / 2, w, h); }

void addPageIcons(std::vector<CHandleShape>& shapes, const CPicInfo& frame, const CHandleLayout& layout)
{
    const Metrics m = metricsOf(frame, layout, CHandleLayout::kIconPixels);
    shapes.push_back({FrameHandle::PageOrientation, Kind::Icon, centredAt(m.w / 2 - m.sx * 0.6, m.h / 2, m.sx, m.sy)});
}

QRgb circleFill(int handle)
{
    switch (handle) {
    case FrameHandle::ImageTone: return kToneHandleFill;
    case FrameHandle::Rotate: return kRotateHandleFill;
    default: return kImageHandleFill; // image corners and the free pan handle
    }
}

QRectF pageSampleIcon(const CPicInfo& frame, const CHandleLayout& layout)
{
    const Metrics m = metricsOf(frame, layout, CHandleLayout::kIconPixels);
    return centredAt(m.w / 2 + m.sx * 0.6, m.h / 2, m.sx, m.sy);
}

} // namespace

quint16 handleEdges(int handle)
{
    using namespace FrameEdge;
    switch (handle) {
    case FrameHandle::FrameTopLeft:
    case FrameHandle::ImageTopLeft: return Left | Top;
    case FrameHandle::FrameTopRight:
    case FrameHandle::ImageTopRight: return Right | Top;
    case FrameHandle::FrameBottomLeft:
    case FrameHandle::ImageBottomLeft: return Left | Bottom;
    case FrameHandle::FrameBottomRight:
    case FrameHandle::ImageBottomRight: return Right | Bottom;
    case FrameHandle::FrameTop: return Top;
    case FrameHandle::FrameBottom: return Bottom;
    case FrameHandle::FrameLeft: return Left;
    case FrameHandle::FrameRight: return Right;
    default: return 0;
    }
}

quint16 resizeEdges(int handle)
{
    const quint16 edges = handleEdges(handle);
    return edges != 0 ? edges : FrameEdge::kResizeWithoutHandle;
}

QString handleToolTip(int handle)
{
    if (handle >= FrameHandle::FrameTopLeft && handle <= FrameHandle::FrameRight)
        return QStringLiteral("Drag to resize frame");
    if (handle >= FrameHandle::ImageTopLeft && handle <= FrameHandle::ImageBottomRight)
        return QStringLiteral("Drag to crop image");
    if ((handle >= FrameHandle::PanLeft && handle <= FrameHandle::PanDown) || handle == FrameHandle::PanFree)
        return QStringLiteral("Drag to pan image");
    switch (handle) {
    case FrameHandle::Rotate: return QStringLiteral("Drag to rotate image");
    case FrameHandle::Split: return QStringLiteral("Drag to split frame");
    case FrameHandle::PageOrientation: return QStringLiteral("Click to change the printer orientation of this page");
    case FrameHandle::ImageTone:
        return QStringLiteral("Brightness/Contrast/Gamma\r\r(Drag mouse LEFT/RIGHT for Brightness)\r"
                              "(Drag mouse UP/DOWN for Contrast)\r(Hold ALT key and LEFT/RIGHT for Gamma)");
    default: return QString();
    }
}

std::vector<CHandleShape> frameHandleShapes(const CPicInfo& frame, const CHandleLayout& layout)
{
    std::vector<CHandleShape> shapes;
    const CCanvasRect& rect = frame.frameRect();
    if (rect.isEmpty() || !isFiniteRect(rect))
        return shapes;
    if (isPageSegment(frame)) {
        addPageIcons(shapes, frame, layout);
        return shapes;
    }
    if (!layout.selected)
        return shapes;

    const Metrics m = metricsOf(frame, layout, CHandleLayout::kHandlePixels);
    const qreal w = m.w, h = m.h, sx = m.sx, sy = m.sy;
    const bool hasImage = frame.photo() != nullptr && !frame.imageRect().isEmpty() && isFiniteRect(frame.imageRect());
    const qreal cx = w / 2, cy = h / 2;

    std::vector<CHandleShape> all;
    all.push_back({FrameHandle::Rotate, Kind::Circle, centredAt(cx, sy * 2.5, sx, sy)});
    all.push_back({FrameHandle::Split, Kind::Square, centredAt(w - sx * 2.5, h - sy * 2.5, sx, sy)});
    if (hasImage) {
        all.push_back({FrameHandle::ImageTone, Kind::Circle, centredAt(sx * 2.5, sy * 2.5, sx, sy)});
        const QRectF image = frame.imageRect().toRectF().translated(-rect.x, -rect.y);
        const QPointF corners[4] = {image.topLeft(), image.topRight(), image.bottomLeft(), image.bottomRight()};
        // An image corner is offered only where it can be seen and grabbed:
        // wholly inside the frame.
        const QRectF inside(0, 0, w, h);
        for (int i = 0; i < 4; ++i) {
            const QRectF r = centredAt(corners[i].x(), corners[i].y(), sx, sy);
            if (inside.contains(r))
                all.push_back({FrameHandle::ImageTopLeft + i, Kind::Circle, r});
        }
        const qreal dx = sx * CHandleLayout::kPanSpacing, dy = sy * CHandleLayout::kPanSpacing;
        all.push_back({FrameHandle::PanLeft, Kind::Square, centredAt(cx - dx, cy, sx, sy)});
        all.push_back({FrameHandle::PanRight, Kind::Square, centredAt(cx + dx, cy, sx, sy)});
        all.push_back({FrameHandle::PanUp, Kind::Square, centredAt(cx, cy - dy, sx, sy)});
        all.push_back({FrameHandle::PanDown, Kind::Square, centredAt(cx, cy + dy, sx, sy)});
    }
    all.push_back({FrameHandle::FrameTopLeft, Kind::Square, QRectF(0, 0, sx, sy)});
    all.push_back({FrameHandle::FrameTopRight, Kind::Square, QRectF(w - sx, 0, sx, sy)});
    all.push_back({FrameHandle::FrameBottomLeft, Kind::Square, QRectF(0, h - sy, sx, sy)});
    all.push_back({FrameHandle::FrameBottomRight, Kind::Square, QRectF(w - sx, h - sy, sx, sy)});
    all.push_back({FrameHandle::FrameTop, Kind::Square, QRectF(cx - sx / 2, 0, sx, sy)});
    all.push_back({FrameHandle::FrameBottom, Kind::Square, QRectF(cx - sx / 2, h - sy, sx, sy)});
    all.push_back({FrameHandle::FrameLeft, Kind::Square, QRectF(0, cy - sy / 2, sx, sy)});
    all.push_back({FrameHandle::FrameRight, Kind::Square, QRectF(w - sx, cy - sy / 2, sx, sy)});
    if (hasImage)
        all.push_back({FrameHandle::PanFree, Kind::Circle, centredAt(cx, cy, sx, sy)});

    // Test order, whatever order they were laid out in.
    for (int handle : FrameHandle::kTestOrder) {
        for (const CHandleShape& shape : all) {
            if (shape.handle == handle)
                shapes.push_back(shape);
        }
    }
    return shapes;
}

QRectF missingOriginalMark(const CPicInfo& frame, const CHandleLayout& layout)
{
    const CPhotoItem* photo = frame.photo();
    if (!photo || !photo->isMissing() || frame.frameRect().isEmpty() || !isFiniteRect(frame.frameRect()))
        return QRectF();
    const Metrics m = metricsOf(frame, layout, CHandleLayout::kIconPixels);
    return QRectF(m.w - m.sx, 0, m.sx, m.sy);
}

int handleAt(const CPicInfo& frame, const QPointF& canvasPoint, const CHandleLayout& layout)
{
    bool invertible = false;
    const QTransform toFrame = frame.placementTransform().inverted(&invertible);
    if (!invertible)
        return FrameHandle::None;
    const QPointF local = toFrame.map(canvasPoint);
    for (const CHandleShape& shape : frameHandleShapes(frame, layout)) {
        if (shape.rect.contains(local))
            return shape.handle;
    }
    if (isPageSegment(frame) && !frame.frameRect().isEmpty() && pageSampleIcon(frame, layout).contains(local))
        return FrameHandle::PageSample;
    if (missingOriginalMark(frame, layout).contains(local))
        return FrameHandle::MissingOriginal;
    return FrameHandle::None;
}

void drawFrameDecorations(QPainter& painter, const CPicInfo& frame, const CHandleLayout& layout, QSize splitPreview)
{
    const CCanvasRect& rect = frame.frameRect();
    if (rect.isEmpty() || !isFiniteRect(rect))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const qreal w = rect.width, h = rect.height;

    if (splitPreview.width() > 1 || splitPreview.height() > 1) {
        QPen pen{QColor::fromRgba(kSplitLineColour), 0, Qt::DashLine};
        painter.setPen(pen);
        for (int c = 1; c < splitPreview.width(); ++c)
            painter.drawLine(QPointF(w * c / splitPreview.width(), 0), QPointF(w * c / splitPreview.width(), h));
        for (int r = 1; r < splitPreview.height(); ++r)
            painter.drawLine(QPointF(0, h * r / splitPreview.height()), QPointF(w, h * r / splitPreview.height()));
    }
    if (layout.selected && !isPageSegment(frame)) {
        QPen outline{QColor::fromRgba(kOutlineColour), 0}; // cosmetic: one device pixel at any zoom
        outline.setWidthF(2.0);
        outline.setCosmetic(true);
        painter.setPen(outline);
        painter.setBrush(Qt::NoBrush);
        const qreal inset = layout.pixelSize.width();
        painter.drawRect(QRectF(inset, inset, w - 2 * inset, h - 2 * inset));
        if (layout.focused) {
            QPen focus{QColor::fromRgba(kFocusMarkColour), 1.0, Qt::DashLine};
            focus.setCosmetic(true);
            painter.setPen(focus);
            const qreal fx = kFocusInsetPixels * layout.pixelSize.width();
            const qreal fy = kFocusInsetPixels * layout.pixelSize.height();
            if (w > 2 * fx && h > 2 * fy)
                painter.drawRect(QRectF(fx, fy, w - 2 * fx, h - 2 * fy));
        }
    }
    if (frame.rotation() != 0.0f && !isPageSegment(frame))
        painter.setOpacity(painter.opacity() * CHandleLayout::kRotatedHandleOpacity);
    QPen line{QColor::fromRgba(kHandleLine), 1.0};
    line.setCosmetic(true);
    for (const CHandleShape& shape : frameHandleShapes(frame, layout)) {
        painter.setPen(line);
        switch (shape.kind) {
        case Kind::Square:
            painter.setBrush(QColor::fromRgba(kHandleFill));
            painter.drawRect(shape.rect);
            break;
        case Kind::Circle:
            painter.setBrush(QColor::fromRgba(circleFill(shape.handle)));
            painter.drawEllipse(shape.rect);
            break;
        case Kind::Icon: {
            // A sheet turning between portrait and landscape: the page's
            // present orientation is the filled one.
            const QRectF r = shape.rect;
            const QRectF upright = r.adjusted(r.width() * 0.25, 0, -r.width() * 0.25, 0);
            const QRectF turned = r.adjusted(0, r.height() * 0.25, 0, -r.height() * 0.25);
            const bool landscape = frame.isPageLandscape();
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(landscape ? upright : turned);
            painter.setBrush(QColor::fromRgba(kHandleFill));
            painter.drawRect(landscape ? turned : upright);
            break;
        }
        }
    }
    if (isPageSegment(frame)) {
        const QRectF sample = pageSampleIcon(frame, layout);
        painter.setPen(line);
        painter.setBrush(QColor::fromRgba(kHandleFill));
        painter.drawRect(sample);
        painter.drawLine(sample.topLeft(), sample.bottomRight());
    }
    const QRectF mark = missingOriginalMark(frame, layout);
    if (!mark.isEmpty()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgba(kMissingMarkFill));
        painter.drawEllipse(mark);
    }
    painter.restore();
}
