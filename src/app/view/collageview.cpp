#include "collageview.h"

#include "collagerenderer.h"
#include "commandids.h"
#include "dragmode.h"
#include "framehandles.h"
#include "framehittest.h"
#include "infotipwindow.h"
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

#include <QCursor>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
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
// What the view hears on the bus: the dropper's changes (its floating
// frame), the cancel of the tool mode, and the tips.
const char* const kChannels[] = {Channel::Dropper, Channel::Application, Channel::Tip};

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
    , m_horizontal(new QScrollBar(Qt::Horizontal, this))
    , m_vertical(new QScrollBar(Qt::Vertical, this))
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

    for (QScrollBar* bar : {m_horizontal, m_vertical}) {
        bar->hide();
        bar->setCursor(Qt::ArrowCursor);
        connect(bar, &QScrollBar::valueChanged, this,
                [this, bar](int value) { scrolled(bar->orientation(), value); });
    }

    m_tips = new CInfoTipWindow(settings, services.catalogue(), this);
    connect(this, &CCollageView::infoTipRequested, m_tips,
            [this](const QString& key) { m_tips->showTip(key, QCursor::pos()); });
    for (const char* channel : kChannels)
        m_services.bus().Register(this, QString::fromLatin1(channel));

    m_doc.addObserver(this);
    m_frames.setObserver(this);
    m_renderer.setDecorator([this](QPainter& painter, const CPicInfo& frame) { decorate(painter, frame); });
    m_selection.setMarkListener([this](const CPicInfo& frame, bool) { invalidateCanvasArea(frameArea(frame)); });
    rebuildFrameState();
}

CCollageView::~CCollageView()
{
    for (const char* channel : kChannels)
        m_services.bus().Unregister(this, QString::fromLatin1(channel));
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

int CCollageView::startupSoundRequests() const { return m_sound->startupRequestCount(); }

QSizeF CCollageView::canvasSize() const { return QSizeF(m_doc.canvasWidth(), m_doc.canvasHeight()); }

void CCollageView::syncOriginFromDocument() { m_coords.setOrigin(m_doc.canvasLeft(), m_doc.canvasTop()); }

void CCollageView::setOrigin(const QPointF& origin)
{
    m_doc.setCanvasPos(float(origin.x()), float(origin.y()), true);
    syncOriginFromDocument();
    updateScrollBars();
}

void CCollageView::playStartupSound() { m_sound->playStartup(); }

// The bars measure the canvas with a margin around it, in pixels; their
// value is how far the canvas has moved left (up) of where the margin
// begins. A canvas panned beyond that range widens it rather than jump back.
void CCollageView::updateScrollBars()
{
    if (m_updatingScrollBars)
        return;
    m_updatingScrollBars = true;
    const QRectF canvas = m_coords.canvasToDevice(canvasRect());
    const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const auto place = [&](QScrollBar* bar, qreal start, qreal extent, int client) {
        const int span = int(std::ceil(extent)) + 2 * kScrollMarginPixels;
        // Needed while part of the canvas is out of sight that way.
        const bool needed = start < 0.0 || start + extent > client;
        if (needed) {
            const int value = int(std::lround(kScrollMarginPixels - start));
            bar->setRange(std::min(0, value), std::max(span - client, value));
            bar->setPageStep(client);
            bar->setSingleStep(std::max(1, client / 20));
            bar->setValue(value);
        }
        bar->setVisible(needed);
    };
    place(m_horizontal, canvas.left(), canvas.width(), width());
    place(m_vertical, canvas.top(), canvas.height(), height());
    const int right = m_vertical->isVisible() ? thickness : 0;
    const int bottom = m_horizontal->isVisible() ? thickness : 0;
    m_horizontal->setGeometry(0, height() - thickness, width() - right, thickness);
    m_vertical->setGeometry(width() - thickness, 0, thickness, height() - bottom);
    m_updatingScrollBars = false;
}

void CCollageView::scrolled(Qt::Orientation orientation, int value)
{
    if (m_updatingScrollBars)
        return;
    const QRectF canvas = m_coords.canvasToDevice(canvasRect());
    const qreal start = kScrollMarginPixels - value;
    const QPointF pixels = orientation == Qt::Horizontal ? QPointF(start - canvas.left(), 0.0)
                                                         : QPointF(0.0, start - canvas.top());
    setOrigin(m_coords.pannedOrigin(pixels));
    markDirty();
    update();
}

void CCollageView::zoomChangedTo()
{
    updateScrollBars();
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
            for (const CSnapGuide& guide : snapGuides(m_snapper, clip))
                drawSnapGuide(painter, guide);
        }
    }
    m_renderedPixels += qint64(target.width()) * target.height();
    m_inRender = false;
}

// A guide is a thin black line with a round start and an arrow at its end.
void CCollageView::drawSnapGuide(QPainter& painter, const CSnapGuide& guide)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor::fromRgba(CSnapGuidePen::kColour), CSnapGuidePen::kWidth);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(snapGuideShaft(guide));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(CSnapGuidePen::kColour));
    painter.drawPolygon(snapGuideArrow(guide));
    painter.restore();
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
    drawFloatingFrame(painter);
    if (!m_zoomPending)
        CRulers::draw(painter, m_coords, rect(), m_effective);
}

void CCollageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateScrollBars();
    ensureBuffer();
    if (width() > m_renderedSize.width() || height() > m_renderedSize.height())
        markDirty();
}

void CCollageView::decorate(QPainter& painter, const CPicInfo& frame)
{
    CHandleLayout layout;
    layout.pixelSize = m_coords.pixelSize();
    layout.selected = m_selection.IsSelected(&frame);
    // Marked only among several: one selected frame needs no pointing out.
    layout.focused = m_selection.focusFrame() == &frame && m_selection.Count() > 1;
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
        updateScrollBars();
        if (isVisible())
            update();
        break;
    case DocHint::OriginChanged:
        syncOriginFromDocument();
        updateScrollBars();
        update();
        break;
    case DocHint::CenterView: centerView(); break;
    case DocHint::ResetView:
        m_tips->hideAll();
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

bool CCollageView::OnNotify(const CNotifyMessage& message)
{
    const auto on = [&message](const char* channel) {
        return message.channel.compare(QLatin1String(channel), Qt::CaseInsensitive) == 0;
    };
    if (on(Channel::Tip))
        return showPostedTip(message);
    if (on(Channel::Application)) {
        if (message.event.compare(QLatin1String(Event::CancelMode), Qt::CaseInsensitive) != 0)
            return false;
        cancelMode();
        return true;
    }
    if (on(Channel::Dropper)) {
        // The floating frame may show another photo, in other proportions,
        // or be gone with the tool: what it covered and covers is painted.
        const QRectF now = floatingFrameArea();
        if (!now.isEmpty() || !m_floatingDrawn.isEmpty()) {
            update(m_floatingDrawn.united(now).toAlignedRect());
            return true;
        }
    }
    return false;
}

// The program's own hints, posted on the bus (often with a delay): they
// point at the canvas, or at the widget of another window they are about,
// and wait for a tip on screen to finish.
bool CCollageView::showPostedTip(const CNotifyMessage& message)
{
    if (auto* about = static_cast<QWidget*>(message.parameter)) {
        return m_tips->showTip(message.event, about->mapToGlobal(about->rect().center()),
                               CInfoTipWindow::When::InTurn, about);
    }
    return m_tips->showTip(message.event, mapToGlobal(rect().center()), CInfoTipWindow::When::InTurn);
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
    // Move Frames is the automatic tool: the handles under the mouse pick
    // their tools again. Any other tool stays until another is chosen.
    m_autoMode = mode == DragMode::kDefault;
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
    case CommandId::HighQualityImages:
        m_doc.setHighQualityImages(!m_doc.highQualityImages());
        if (m_doc.highQualityImages())
            emit infoTipRequested(QString::fromLatin1(kHighQualityTip));
        return true;
    case CommandId::MagneticFrames:
        m_snapper.settings().snapToFrames.set(!m_snapper.settings().snapToFrames.get());
        return true;
    case CommandId::SoundEffects: m_snapper.settings().snapSound.set(!m_snapper.settings().snapSound.get()); return true;
    case CommandId::ReverseWheel:
        m_services.settings().setValue(QString::fromLatin1(kWheelReversedSetting), CPropValue::boolean(!wheelReversed()));
        return true;
    case CommandId::SelectAll:
        setFocus();
        m_selection.SelectAll();
        return true;
    case CommandId::SelectNext: m_selection.SelectNext(); return true;
    case CommandId::SelectPrevious: m_selection.SelectPrevious(); return true;
    case CommandId::SelectFirst: m_selection.SelectFirst(); return true;
    case CommandId::SelectLast: m_selection.SelectLast(); return true;
    case CommandId::Cancel:
        // Everything with a tool mode hears it, the view too (cancelMode).
        m_services.bus().Broadcast(QString::fromLatin1(Channel::Application), QString::fromLatin1(Event::CancelMode));
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
    case CommandId::ReverseWheel: return CCommandState{true, wheelReversed()};
    default: return std::nullopt;
    }
}
