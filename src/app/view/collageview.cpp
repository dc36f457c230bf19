#include "collageview.h"

#include "collagerenderer.h"
#include "commandids.h"
#include "dragmode.h"
#include "framehandles.h"
#include "framehittest.h"
#include "messagecatalogue.h"
#include "notificationbus.h"
#include "propmanager.h"
#include "rulers.h"
#include "selection.h"
#include "services.h"
#include "snapper.h"
#include "snapguides.h"
#include "snapsound.h"
#include "surfaces.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>

#include <algorithm>
#include <utility>
#include <cmath>

namespace {

constexpr const char* kUnitSetting = "BaseSystemUnit";
// Margin around a frame's outline that a repaint of the frame covers
// besides what the renderer reports (anti-aliased edges), in pixels.
constexpr qreal kRepaintSlackPixels = 2.0;

} // namespace

CCollageView::CCollageView(CCollageDoc& doc, CServices& services, QWidget* parent)
    : QWidget(parent)
    , m_doc(doc)
    , m_services(services)
    , m_frames(services.frames())
    , m_selection(services.selection())
    , m_undo(services.undo())
    , m_snapper(services.snapper())
    , m_renderer(services.renderer())
    , m_sound(new CSnapSound(this))
    , m_frameTool(*this, m_undo, m_selection, m_frames, m_snapper, m_frameTargets)
    , m_selectBandTool(CBandTool::Purpose::Select, *this, m_undo, m_selection, m_frames)
    , m_drawFrameTool(CBandTool::Purpose::DrawFrame, *this, m_undo, m_selection, m_frames)
    , m_panTool(CViewDragTool::Kind::Pan, *this)
    , m_zoomTool(CViewDragTool::Kind::Zoom, *this)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(1, 1);

    CPropManager& settings = services.settings();
    settings.registerProp(QString::fromLatin1(kWheelReversedSetting), QString(), true, CPropValue::boolean(false));
    if (const auto unit = settings.getValue(QString::fromLatin1(kUnitSetting)))
        m_coords.setUnit(canvasUnitFromPageUnit(unit->toInt()));
    m_coords.setScreenResolution(float(logicalDpiX()), float(logicalDpiY()));
    syncOriginFromDocument();
    m_snapper.SetSnapDistance(CSnapper::snapDistanceForPixelSize(m_coords.pixelWidth()));

    m_doc.addObserver(this);
    m_frames.setObserver(this);
    m_renderer.setDecorator([this](QPainter& painter, const CPicInfo& frame) { decorate(painter, frame); });
    m_selection.setMarkListener([this](const CPicInfo& frame, bool) { invalidateCanvasArea(frameArea(frame)); });
    rebuildFrameState();
}

CCollageView::~CCollageView()
{
    m_doc.removeObserver(this);
    m_frames.setObserver(nullptr);
    m_renderer.setDecorator({});
    m_renderer.clearDragged();
    m_selection.setMarkListener({});
    // A drag under way leaves nothing: its session discards the pending step.
    m_snapper.End();
    m_frameTargets.release();
    m_gridTargets.release();
}

int CCollageView::snapSoundRequests() const { return m_sound->requestCount(); }

QSizeF CCollageView::canvasSize() const { return QSizeF(m_doc.canvasWidth(), m_doc.canvasHeight()); }

void CCollageView::syncOriginFromDocument() { m_coords.setOrigin(m_doc.canvasLeft(), m_doc.canvasTop()); }

void CCollageView::setOrigin(const QPointF& origin)
{
    m_doc.setCanvasPos(float(origin.x()), float(origin.y()), true);
    syncOriginFromDocument();
}

void CCollageView::zoomChangedTo()
{
    // What hint 13 does, done here as well: the document may be holding its hints.
    m_snapper.SetSnapDistance(CSnapper::snapDistanceForPixelSize(m_coords.pixelWidth()));
    m_doc.updateAllViews(DocHint::ZoomChanged);
    emit zoomChanged(m_coords.zoom());
}

// ---------------------------------------------------------------------------
// Back buffer and painting

void CCollageView::ensureBuffer()
{
    const QSize size = CViewCoords::backBufferSize(this->size());
    if (size.isEmpty() || size == m_buffer.size())
        return;
    m_buffer = QImage(size, QImage::Format_ARGB32_Premultiplied);
    markDirty();
}

void CCollageView::markDirty()
{
    if (!m_inRender)
        m_dirty = true;
}

void CCollageView::invalidateCanvasArea(const QRectF& canvas)
{
    if (canvas.isEmpty() || !canvas.isValid())
        return;
    const QRect device = m_coords.canvasToDevice(canvas).toAlignedRect().adjusted(-1, -1, 1, 1) & rect();
    if (device.isEmpty())
        return;
    m_stale += device;
    update(device);
}

QRectF CCollageView::frameArea(const CPicInfo& frame) const
{
    CFrameDrawContext context;
    context.canvasToDevice = QTransform::fromScale(m_coords.pixelsPerUnitX(), m_coords.pixelsPerUnitY())
                                 .translate(m_coords.originX(), m_coords.originY());
    context.zoom = m_coords.zoom();
    context.border = m_frames.border();
    context.shadowEnabled = m_frames.shadow().enabled;
    const qreal slackX = kRepaintSlackPixels * m_coords.pixelWidth();
    const qreal slackY = kRepaintSlackPixels * m_coords.pixelHeight();
    return m_renderer.frameRenderer()
        .drawnBounds(frame, context)
        .united(frameOutlineBounds(frame))
        .adjusted(-slackX, -slackY, slackX, slackY);
}

void CCollageView::renderRect(const QRect& device)
{
    const QRect target = device & m_buffer.rect();
    if (target.isEmpty())
        return;
    m_inRender = true;
    CPageSetup page;
    page.unit = m_coords.unit();
    page.zoom = m_coords.zoom();
    page.dpi = m_coords.dotsPerInchX();
    const auto surface = CreateSurfaceOnBitmap(m_buffer, page);
    if (surface) {
        QPainter& painter = surface->painter();
        // Surround: everything of the rectangle outside the canvas, with a
        // light line around the canvas.
        const QRectF canvasDevice = m_coords.canvasToDevice(canvasRect());
        if (!canvasDevice.contains(QRectF(target))) {
            painter.save();
            painter.resetTransform();
            painter.setClipRect(target);
            QPainterPath outside;
            outside.addRect(QRectF(target));
            const QRectF line = canvasDevice.adjusted(-1, -1, 1, 1);
            QPainterPath lineRing;
            lineRing.addRect(line);
            painter.fillPath(outside.subtracted(lineRing), QColor::fromRgba(kSurroundColour));
            QPainterPath canvasPath;
            canvasPath.addRect(canvasDevice);
            painter.fillPath(lineRing.subtracted(canvasPath), QColor::fromRgba(kOuterLineColour));
            painter.restore();
        }
        painter.translate(m_coords.originX(), m_coords.originY());
        const QRectF clip = m_coords.deviceToCanvas(QRectF(target)).intersected(canvasRect());
        if (!clip.isEmpty()) {
            painter.save();
            m_renderer.Draw(*surface, clip);
            painter.restore();
            decoratePageSegments(*surface, clip);
            // Grid lines and snap guides over the frames, on the canvas only.
            painter.setClipRect(clip);
            if (m_snapper.settings().drawGridLines.get() && m_snapper.settings().showGrid.get()) {
                painter.setPen(QPen(QColor::fromRgba(kGridLineColour), 0)); // cosmetic: one pixel
                for (const QLineF& line : m_gridTargets.markerLines(canvasSize()))
                    painter.drawLine(line);
            }
            QPen guidePen(QColor::fromRgba(CSnapGuidePen::kColour), CSnapGuidePen::kWidth);
            guidePen.setCapStyle(Qt::RoundCap);
            painter.setPen(guidePen);
            for (const CSnapGuide& guide : snapGuides(m_snapper, clip))
                painter.drawLine(guide.line);
        }
    }
    m_renderedPixels += qint64(target.width()) * target.height();
    m_inRender = false;
}

void CCollageView::decoratePageSegments(CSurface& surface, const QRectF& clip)
{
    // The renderer decorates photo frames itself; printer pages get their
    // icons here, over everything, the way the renderer draws decorations.
    QPainter& painter = surface.painter();
    const QTransform world = painter.worldTransform();
    painter.save();
    painter.setClipRect(clip);
    for (CPicInfo* frame : m_frames.framesInPlanes(CPicInfo::kPlanePageSegments)) {
        if (frame->isInPlanes(CPicInfo::kPlanePhotos) || !m_frames.isDrawn(*frame) ||
            !frameOutlineBounds(*frame).intersects(clip))
            continue;
        painter.setWorldTransform(frame->placementTransform() * world);
        decorate(painter, *frame);
    }
    painter.restore();
}

void CCollageView::renderPending()
{
    ensureBuffer();
    if (m_buffer.isNull())
        return;
    if (m_dirty) {
        m_dirty = false; // cleared as the render starts
        m_stale = QRegion();
        // Only what the window shows: the buffer's margin beyond it is
        // rendered when a resize uncovers it.
        renderRect(rect());
        m_renderedSize = size();
        return;
    }
    const QRegion stale = std::exchange(m_stale, QRegion());
    for (const QRect& r : stale)
        renderRect(r);
}

void CCollageView::paintEvent(QPaintEvent* event)
{
    const QRegion region = event->region().isEmpty() ? QRegion(event->rect()) : event->region();
    if (region.boundingRect().isEmpty())
        return;
    renderPending();
    if (m_buffer.isNull())
        return;
    // A pan, a zoom drag or an arrow-key scroll moves the whole canvas: the
    // areas being shown are rendered afresh.
    if (m_nudge) {
        for (const QRect& r : region)
            renderRect(r);
    }
    QPainter painter(this);
    for (const QRect& r : region)
        painter.drawImage(r.topLeft(), m_buffer, r);
    if (!m_zoomPending)
        CRulers::draw(painter, m_coords, rect(), m_effective);
}

void CCollageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ensureBuffer();
    if (width() > m_renderedSize.width() || height() > m_renderedSize.height())
        markDirty();
}

void CCollageView::decorate(QPainter& painter, const CPicInfo& frame)
{
    CHandleLayout layout;
    layout.pixelSize = m_coords.pixelSize();
    layout.selected = m_selection.IsSelected(&frame);
    drawFrameDecorations(painter, frame, layout, m_frameTool.splitPreview(frame.id()));
}

// ---------------------------------------------------------------------------
// Document and frame updates

void CCollageView::onDocumentUpdate(int hint, qintptr argument)
{
    if (m_doc.updatesHeld())
        return;
    switch (hint) {
    case DocHint::Generic: update(); break;
    case DocHint::EverythingChanged:
        markDirty();
        syncOriginFromDocument();
        rebuildFrameState();
        if (isVisible())
            update();
        break;
    case DocHint::OriginChanged:
        syncOriginFromDocument();
        update();
        break;
    case DocHint::CenterView: centerView(); break;
    case DocHint::ResetView:
        if (m_dragging)
            std::exchange(m_activeTool, nullptr)->cancel();
        m_pressed = false;
        m_hovered = nullptr;
        m_handle = FrameHandle::None;
        m_mode = DragMode::kDefault;
        m_autoMode = true;
        markDirty();
        update();
        break;
    case DocHint::RegionChanged:
        if (argument != 0)
            invalidateCanvasArea(*reinterpret_cast<const QRectF*>(argument));
        else {
            markDirty();
            update();
        }
        break;
    case DocHint::ReleaseFrameObjects: m_renderer.frameRenderer().releaseScreenCaches(); break;
    case DocHint::FitToWindow: resetZoom(); break;
    case DocHint::OverlayChanged: update(); break;
    case DocHint::SelectionGeometry:
        if (!m_dragging)
            hover();
        break;
    case DocHint::ZoomChanged:
        m_snapper.SetSnapDistance(CSnapper::snapDistanceForPixelSize(m_coords.pixelWidth()));
        break;
    default: break;
    }
}

void CCollageView::frameChanged(quint32 frameId, const CCanvasRect& oldArea)
{
    // Where it was: its old rectangle turned any way fits in the circle
    // around it; plus the margin its drawing takes beyond its outline now.
    QRectF area;
    const CPicInfo* frame = m_frames.findFrame(frameId);
    qreal marginX = kRepaintSlackPixels * m_coords.pixelWidth(), marginY = marginX;
    if (frame) {
        const QRectF now = frameArea(*frame);
        const QRectF outline = frameOutlineBounds(*frame);
        marginX = std::max(marginX, std::max(outline.left() - now.left(), now.right() - outline.right()));
        marginY = std::max(marginY, std::max(outline.top() - now.top(), now.bottom() - outline.bottom()));
        area = now;
    }
    if (!oldArea.isEmpty()) {
        const QRectF old = oldArea.toRectF();
        const qreal radius = std::hypot(old.width(), old.height()) / 2.0;
        const QRectF circle(old.center() - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
        area = area.united(circle.adjusted(-marginX, -marginY, marginX, marginY));
    }
    invalidateCanvasArea(area);
}

void CCollageView::canvasChanged()
{
    markDirty();
    update();
}

void CCollageView::rebuildFrameState()
{
    m_gridTargets.rebuild(m_snapper, m_snapper.settings().showGrid.get(), canvasSize(), m_doc.gridWidth(),
                          m_doc.gridHeight());
    m_frameTargets.rebuild(m_frames, m_snapper);
}

// ---------------------------------------------------------------------------
// Zoom and view

void CCollageView::startZoomPending()
{
    m_renderer.setRenderFast(true);
    m_settleTimer.start(kSettleTimerMs, this);
    m_zoomPending = true;
}

void CCollageView::zoomStep(bool zoomIn)
{
    startZoomPending();
    const auto direction = zoomIn ? CViewCoords::ZoomDirection::In : CViewCoords::ZoomDirection::Out;
    if (!m_coords.zoomAround(m_coords.steppedZoom(direction, shiftHeld()), m_effective, canvasSize()))
        return;
    zoomChangedTo();
    setOrigin(m_coords.origin());
    markDirty();
    update();
}

void CCollageView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_settleTimer.timerId() && m_zoomPending && !m_dragging)
        settleZoom();
    else
        QWidget::timerEvent(event);
}

void CCollageView::settleZoom()
{
    m_settleTimer.stop();
    m_zoomPending = false;
    m_renderer.setRenderFast(false);
    markDirty();
    update();
    showPanZoomTipIfClipped();
}

void CCollageView::showPanZoomTipIfClipped()
{
    if (!QRectF(rect()).contains(m_coords.canvasToDevice(canvasRect())))
        emit infoTipRequested(QString::fromLatin1(kPanZoomTip));
}

void CCollageView::resetZoom()
{
    if (size().isEmpty())
        return; // nothing to fit into yet
    if (m_coords.setZoom(m_coords.fitZoom(size(), canvasSize())))
        zoomChangedTo();
    centerView();
    showPanZoomTipIfClipped();
}

void CCollageView::centerView()
{
    setOrigin(m_coords.centredOrigin(size(), canvasSize()));
    hover();
    markDirty();
    update();
}

void CCollageView::panByPixels(const QPointF& pixels)
{
    m_nudge = true;
    setOrigin(m_coords.pannedOrigin(pixels));
    update();
}

void CCollageView::zoomByPixels(int pixels)
{
    m_nudge = true;
    startZoomPending();
    if (m_coords.zoomByDrag(pixels)) {
        zoomChangedTo();
        setOrigin(m_coords.origin());
    }
    update();
}

// ---------------------------------------------------------------------------
// Commands

void CCollageView::setMode(int mode)
{
    m_mode = mode;
    m_modeKey = holdKeyForMode(mode);
    m_autoMode = false;
    updateCursor();
}

bool CCollageView::onCommand(int id)
{
    const int mode = modeForCommand(id);
    if (mode >= 0) {
        setMode(mode);
        return true;
    }
    switch (id) {
    case CommandId::ZoomIn: zoomStep(true); return true;
    case CommandId::ZoomOut: zoomStep(false); return true;
    case CommandId::ResetZoom: resetZoom(); return true;
    case CommandId::CenterView: centerView(); return true;
    case CommandId::QualityVeryHigh: m_doc.setPreviewQuality(RenderQuality::Excellent, true); return true;
    case CommandId::QualityGood: m_doc.setPreviewQuality(RenderQuality::Good, true); return true;
    case CommandId::QualityFast: m_doc.setPreviewQuality(RenderQuality::Fast, true); return true;
    case CommandId::HighQualityImages: m_doc.setHighQualityImages(!m_doc.highQualityImages()); return true;
    case CommandId::MagneticFrames:
        m_snapper.settings().snapToFrames.set(!m_snapper.settings().snapToFrames.get());
        return true;
    case CommandId::SoundEffects: m_snapper.settings().snapSound.set(!m_snapper.settings().snapSound.get()); return true;
    case CommandId::SelectAll:
        setFocus();
        m_selection.SelectAll();
        return true;
    case CommandId::SelectNext: m_selection.SelectNext(); return true;
    case CommandId::SelectPrevious: m_selection.SelectPrevious(); return true;
    case CommandId::SelectFirst: m_selection.SelectFirst(); return true;
    case CommandId::SelectLast: m_selection.SelectLast(); return true;
    case CommandId::Cancel:
        m_services.bus().Broadcast(QString::fromLatin1(Channel::Application), QString::fromLatin1(Event::CancelMode));
        cancel();
        return true;
    default: return false;
    }
}

std::optional<CCommandState> CCollageView::commandState(int id) const
{
    const int mode = modeForCommand(id);
    if (mode >= 0)
        return CCommandState{true, m_mode == mode};
    switch (id) {
    case CommandId::ZoomIn: return CCommandState{m_coords.zoom() < CViewCoords::kMaxZoom, false};
    case CommandId::ZoomOut: return CCommandState{m_coords.zoom() > CViewCoords::kMinZoom, false};
    case CommandId::ResetZoom:
    case CommandId::CenterView:
    case CommandId::SelectAll:
    case CommandId::SelectFirst:
    case CommandId::SelectLast:
    case CommandId::SelectNext:
    case CommandId::SelectPrevious: return CCommandState{true, false};
    case CommandId::Cancel: return CCommandState{true, false};
    case CommandId::QualityVeryHigh: return CCommandState{true, m_doc.previewQuality() == RenderQuality::Excellent};
    case CommandId::QualityGood: return CCommandState{true, m_doc.previewQuality() == RenderQuality::Good};
    case CommandId::QualityFast: return CCommandState{true, m_doc.previewQuality() == RenderQuality::Fast};
    case CommandId::HighQualityImages: return CCommandState{true, m_doc.highQualityImages()};
    case CommandId::MagneticFrames: return CCommandState{true, m_snapper.settings().snapToFrames.get()};
    case CommandId::SoundEffects: return CCommandState{true, m_snapper.settings().snapSound.get()};
    default: return std::nullopt;
    }
}
