#include "collagerenderer.h"

#include "fitrect.h"
#include "photoitem.h"
#include "progress.h"
#include "surfaces.h"

#include <QFileInfo>
#include <QPainter>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <cmath>

namespace {

// Frames whose drawing the clip meets, in stacking order.
std::vector<CPicInfo*> framesToDraw(const CPicInfoManager& frames, const CFrameSelector& selector)
{
    std::vector<CPicInfo*> list;
    for (const auto& frame : frames.frames()) {
        if (frames.isDrawn(*frame) && selector.accepts(*frame))
            list.push_back(frame.get());
    }
    return list;
}

void fillStyles(CFrameDrawContext& context, const CPicInfoManager& frames)
{
    context.border = frames.border();
    context.shadowEnabled = frames.shadow().enabled;
}

} // namespace

// ---------------------------------------------------------------------------

CFrameSelector CFrameSelector::all() { return matching(nullptr); }

CFrameSelector CFrameSelector::only(const CPicInfo* frame)
{
    return matching([frame](const CPicInfo& candidate) { return &candidate == frame; });
}

CFrameSelector CFrameSelector::matching(std::function<bool(const CPicInfo&)> predicate)
{
    CFrameSelector selector;
    selector.m_accepts = std::move(predicate);
    return selector;
}

bool CFrameSelector::accepts(const CPicInfo& frame) const { return !m_accepts || m_accepts(frame); }

// ---------------------------------------------------------------------------

CCollageRenderer::CCollageRenderer(CPicInfoManager& frames, CPhotoImage& images, CProgress* progress)
    : m_frames(frames)
    , m_progress(progress)
    , m_renderer(images, frames.photoCollection())
{
    m_frames.addListListener(this);
}

CCollageRenderer::~CCollageRenderer() { m_frames.removeListListener(this); }

void CCollageRenderer::setDragged(const CPicInfo& frame, bool dragged)
{
    if (dragged)
        m_dragged.insert(&frame);
    else
        m_dragged.erase(&frame);
}

CFrameDrawContext CCollageRenderer::contextFor(QPainter& painter, float zoom, int purpose, const QRectF& clip) const
{
    CFrameDrawContext context;
    context.painter = &painter;
    context.canvasToDevice = painter.worldTransform();
    context.zoom = zoom;
    context.purpose = purpose;
    context.fullResolution = m_fullResolution;
    context.renderFast = m_renderFast;
    context.clip = clip;
    context.palette = m_palette;
    context.decorate = m_decorate;
    fillStyles(context, m_frames);
    return context;
}

DrawStatus CCollageRenderer::Draw(CSurface& surface, const QRectF& clip, const CFrameSelector& selector,
                                  float zoomOverride, int purpose, bool progress, bool force)
{
    QPainter& painter = surface.painter();
    if (!painter.isActive() || clip.isEmpty())
        return DrawStatus::Done;
    painter.save();
    float zoom = surface.page().zoom;
    if (zoomOverride != kKeepZoom && zoomOverride > 0.0f && zoom > 0.0f) {
        // The page scale is the last factor of the world transform, so
        // scaling on the device side changes the zoom and nothing else.
        painter.setWorldTransform(painter.worldTransform() * QTransform::fromScale(zoomOverride / zoom, zoomOverride / zoom));
        zoom = zoomOverride;
    }
    painter.setClipRect(clip, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    const int previousPurpose = m_purpose;
    m_purpose = purpose;
    const bool output = RenderPurpose::isOutput(purpose);

    if (purpose == RenderPurpose::Canvas || purpose == RenderPurpose::Screen)
        painter.fillRect(clip, m_frames.canvasBrush());

    CFrameDrawContext context = contextFor(painter, zoom, purpose, clip);
    const std::vector<CPicInfo*> frames = framesToDraw(m_frames, selector);
    if (output) {
        std::size_t needed = 0;
        const std::vector<CPicInfo*> reads = readOrder(frames, context, clip, needed);
        m_renderer.queueOutputSources(reads, needed, context);
    }

    if (!output && !force) {
        // The frames being dragged draw fast, one at a time, as they go.
        std::vector<CPicInfo*> settled;
        for (CPicInfo* frame : frames) {
            if (!m_dragged.count(frame))
                settled.push_back(frame);
        }
        m_renderer.prepareScreen(settled, context);
    }

    constexpr quint32 kAllCaches = CFrameRenderer::kInvalidSource | CFrameRenderer::kInvalidAdjusted | CFrameRenderer::kInvalidPicture;
    DrawStatus status = DrawStatus::Done;
    const auto drawFrames = [&] {
        for (auto it = frames.begin(); it != frames.end(); ++it) {
            CPicInfo* frame = *it;
            context.dragged = m_dragged.count(frame) != 0;
            const bool meets = m_renderer.drawnBounds(*frame, context).intersects(clip);
            // Output renders work on each frame, its progress step included,
            // with the high-quality flag set.
            RenderQuality::CHighQualityScope highQuality(output || RenderQuality::isHighQuality());
            if (progress && m_progress && meets && frame->photo() && !m_counted.count(frame)) {
                if (m_session)
                    m_counted.insert(frame);
                m_progress->setText(QFileInfo(frame->photo()->path()).fileName());
                if (!m_progress->step()) {
                    status = DrawStatus::Cancelled;
                    break;
                }
            }
            if (force)
                frame->markInvalid(kAllCaches);
            const CFrameRenderer::Result result = m_renderer.draw(*frame, context);
            if (force)
                frame->markInvalid(kAllCaches);
            if (result == CFrameRenderer::Result::OutOfMemory && output) {
                status = DrawStatus::OutOfMemory;
                break;
            }
            // A clip that reaches below a frame is the last to need it (bands
            // run top to bottom; a one-piece render is done with it now); pages
            // in a row need it until the one that reaches its right edge.
            if (output && meets && isLastClipFor(m_renderer.drawnBounds(*frame, context), clip))
                m_renderer.releaseOutputFrame(*frame);
        }
    };
    // Qt's raster engine hands every large draw to the threads of its global
    // pool in stripes of rows and waits for them, unless it is drawing on one
    // of them. For a repaint's many pictures the hand-offs cost more than the
    // stripes spread: about half of a repaint from the caches on two cores.
    // The pictures are ready by now, so they are drawn on one of the pool's
    // threads, the caller waiting: onto a bitmap only (a widget or a pixmap
    // is painted on the user-interface thread), and not while a frame is
    // dragged (its picture is built as it draws, reading its file and
    // telling listeners).
    const bool screen = purpose == RenderPurpose::Canvas || purpose == RenderPurpose::Screen;
    const bool onBitmap = painter.device() && painter.device()->devType() == QInternal::Image;
    if (screen && onBitmap && !force && !progress && m_dragged.empty()) {
        QSemaphore drawn;
        if (QThreadPool::globalInstance()->tryStart([&] {
                drawFrames();
                drawn.release();
            }))
            drawn.acquire();
        else
            drawFrames();
    } else {
        drawFrames();
    }

    if (output && !m_session)
        m_renderer.releaseOutputCaches();
    if (!m_session)
        m_counted.clear();
    m_purpose = previousPurpose;
    painter.restore();
    return status;
}

std::vector<CPicInfo*> CCollageRenderer::readOrder(const std::vector<CPicInfo*>& frames, const CFrameDrawContext& context,
                                                  const QRectF& clip, std::size_t& inClip) const
{
    // This clip's frames in drawing order; in a banded session, then those
    // of the bands below, by where they start.
    std::vector<CPicInfo*> order;
    std::vector<std::pair<qreal, CPicInfo*>> below;
    const bool bands = m_session && m_sessionPages.isEmpty();
    for (CPicInfo* frame : frames) {
        const QRectF bounds = m_renderer.drawnBounds(*frame, context);
        if (bounds.intersects(clip))
            order.push_back(frame);
        else if (bands && bounds.top() >= clip.bottom() && bounds.left() < clip.right() && bounds.right() > clip.left())
            below.emplace_back(bounds.top(), frame);
    }
    inClip = order.size();
    std::stable_sort(below.begin(), below.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : below)
        order.push_back(entry.second);
    return order;
}

bool CCollageRenderer::isLastClipFor(const QRectF& bounds, const QRectF& clip) const
{
    if (m_sessionPages.isEmpty())
        return bounds.bottom() <= clip.bottom();
    return std::min(bounds.bottom(), m_sessionPages.bottom()) <= clip.bottom()
        && std::min(bounds.right(), m_sessionPages.right()) <= clip.right();
}

void CCollageRenderer::beginOutputSession(const QRectF& pages)
{
    m_session = true;
    m_sessionPages = pages;
    m_counted.clear();
}

void CCollageRenderer::endOutputSession()
{
    m_session = false;
    m_sessionPages = QRectF();
    m_counted.clear();
    m_renderer.releaseOutputCaches();
}

void CCollageRenderer::invalidateAll()
{
    for (const auto& frame : m_frames.frames())
        frame->markInvalid(CFrameRenderer::kInvalidSource | CFrameRenderer::kInvalidAdjusted | CFrameRenderer::kInvalidPicture);
}

void CCollageRenderer::frameRemoved(CPicInfo& frame)
{
    m_renderer.releaseFrame(frame);
    m_dragged.erase(&frame);
    m_counted.erase(&frame);
}

void CCollageRenderer::frameHidden(CPicInfo& frame) { m_renderer.releaseFrame(frame); }

void CCollageRenderer::framesCleared()
{
    m_renderer.releaseAll();
    m_dragged.clear();
    m_counted.clear();
}

// ---------------------------------------------------------------------------

QImage renderPreview(const CPicInfoManager& frames, CPhotoImage& images, bool asTemplate, QSizeF canvas, int side)
{
    if (!(canvas.width() > 0.0) || !(canvas.height() > 0.0) || side < 1)
        return {};
    QRectF fitted(QPointF(0, 0), canvas);
    FitRect(fitted, QRectF(0, 0, side, side), FitOption::KeepInside | FitOption::MinimumSizeOne);
    const QSize size(std::clamp(int(std::lround(fitted.width())), 1, side),
                     std::clamp(int(std::lround(fitted.height())), 1, side));
    QImage preview(size, QImage::Format_ARGB32_Premultiplied);
    if (preview.isNull())
        return {};
    preview.fill(QColor::fromRgba(frames.canvasColour()));

    CFrameRenderer renderer(images, frames.photoCollection());
    QPainter painter(&preview);
    CFrameDrawContext context;
    context.painter = &painter;
    context.canvasToDevice = QTransform::fromScale(size.width() / canvas.width(), size.height() / canvas.height());
    context.zoom = float(size.width() / canvas.width() / CPageSetup::kDefaultDpi);
    context.purpose = RenderPurpose::Preview;
    context.clip = QRectF(QPointF(0, 0), canvas);
    context.asTemplate = asTemplate;
    fillStyles(context, frames);
    painter.setWorldTransform(context.canvasToDevice);
    painter.setClipRect(context.clip);
    for (CPicInfo* frame : framesToDraw(frames, CFrameSelector::all()))
        renderer.draw(*frame, context);
    painter.end();
    return preview;
}
