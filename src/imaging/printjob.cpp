#include "printjob.h"

#include "picinfomanager.h"
#include "progress.h"
#include "rendermemory.h"
#include "surfaces.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal kMillimetresPerInch = 25.4;
constexpr qreal kMillimetresPerCentimetre = 10.0;
constexpr const char* kMessageResTooHigh = "ResTooHigh";
constexpr const char* kMessagePrintFailed = "PrintFailed";

qreal millimetresToUnits(qreal millimetres, CanvasUnit unit)
{
    return unit == CanvasUnit::Centimetre ? millimetres / kMillimetresPerCentimetre : millimetres / kMillimetresPerInch;
}

CPrintResult failed(const char* key, int printed)
{
    CPrintResult result;
    result.status = CPrintResult::Status::Failed;
    result.messageKey = QString::fromLatin1(key);
    result.pagesPrinted = printed;
    return result;
}

// Output caches may outlive one page only while every page reads photos at
// the same scale; otherwise each page reads them afresh.
bool sameScaleOnEveryPage(const CPrintJob& job, const std::vector<CPrintPage>& pages)
{
    const qreal first = job.placementOf(pages.front()).scale;
    return std::all_of(pages.begin(), pages.end(),
                       [&](const CPrintPage& page) { return job.placementOf(page).scale == first; });
}

} // namespace

CPrintOptions CPrintOptions::of(const CPicInfoManager& frames, const QSizeF& canvas, CanvasUnit unit)
{
    CPrintOptions options;
    options.canvas = canvas;
    options.unit = unit;
    options.centreOnPage = frames.centresOnPage();
    options.printCanvasColour = frames.printsCanvasColour();
    options.canvasColour = frames.canvasColour();
    return options;
}

CPrintJob::CPrintJob(CCollageRenderer& renderer, const CPrinterSetup& setup, const CPrintOptions& options)
    : m_renderer(renderer)
    , m_setup(setup)
    , m_options(options)
{
}

CPagePlacement CPrintJob::placementOf(const CPrintPage& page) const
{
    const QSizeF printable = CPrintablePage::of(m_setup, m_options.unit).size(page.landscape);
    return placeOnPage(page.region.size(), printable, m_options.centreOnPage);
}

DrawStatus CPrintJob::drawPage(CSurface& surface, const CPrintPage& page, const QPointF& printableOrigin) const
{
    const QRectF clip = page.region.intersected(QRectF(QPointF(0, 0), m_options.canvas));
    if (clip.isEmpty())
        return DrawStatus::Done; // a region beside the canvas prints a blank page
    const CPagePlacement placement = placementOf(page);
    surface.resetTransform();
    QPainter& painter = surface.painter();
    painter.translate(printableOrigin + placement.offset);
    painter.scale(placement.scale, placement.scale);
    painter.translate(-page.region.topLeft());
    if (m_options.printCanvasColour)
        painter.fillRect(clip, QColor::fromRgb(m_options.canvasColour | 0xFF000000));
    return m_renderer.Draw(surface, clip, CFrameSelector::all(), CCollageRenderer::kKeepZoom, RenderPurpose::Print);
}

CPrintResult CPrintJob::print(QPagedPaintDevice& device, const std::vector<CPrintPage>& pages, CProgress* progress,
                              const std::function<void()>& abort)
{
    CPrintResult result;
    if (pages.empty())
        return result;
    if (!device.setPageLayout(m_setup.pageLayout(pages.front().landscape)))
        return failed(kMessagePrintFailed, 0);

    CPageSetup pageSetup;
    pageSetup.unit = m_options.unit;
    std::unique_ptr<CSurface> surface;
    {
        RenderQuality::CHighQualityScope highQuality(true);
        surface = CreateSurfaceOnDevice(device, pageSetup);
    }
    if (!surface)
        return failed(kMessagePrintFailed, 0);

    if (progress) {
        progress->reset();
        progress->setRange(0, int(pages.size()));
        progress->begin();
    }
    const bool session = sameScaleOnEveryPage(*this, pages);
    if (session)
        m_renderer.beginOutputSession(QRectF(QPointF(0, 0), m_options.canvas));
    RenderQuality::CHighQualityScope highQuality(true);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const CPrintPage& page = pages[i];
        if (progress)
            progress->setText(QString::fromLatin1(PrintTexts::kPrintingPage).arg(i + 1).arg(pages.size()));
        // Each page takes its orientation before it starts.
        if (i > 0 && (!device.setPageLayout(m_setup.pageLayout(page.landscape)) || !device.newPage())) {
            result = failed(kMessagePrintFailed, int(i));
            break;
        }
        const DrawStatus drawn = drawPage(*surface, page, QPointF(0, 0));
        if (drawn == DrawStatus::OutOfMemory) {
            result = failed(kMessageResTooHigh, int(i));
            break;
        }
        result.pagesPrinted = int(i) + 1;
        if (drawn == DrawStatus::Cancelled || (progress && !progress->step())) {
            result.status = CPrintResult::Status::Cancelled;
            break;
        }
    }
    if (session)
        m_renderer.endOutputSession();
    if (result.status == CPrintResult::Status::Cancelled && abort)
        abort();
    const bool ended = surface->painter().end();
    surface.reset();
    if (progress)
        progress->end();
    if (result.ok() && !ended)
        return failed(kMessagePrintFailed, result.pagesPrinted);
    return result;
}

QImage CPrintJob::renderPage(const CPrintPage& page, int dpi) const
{
    const QPageLayout layout = m_setup.pageLayout(page.landscape);
    const QSize size = layout.fullRectPixels(dpi).size();
    QImage sheet = RenderMemory::allocateOwnPages(size, QImage::Format_RGB32);
    if (sheet.isNull())
        return sheet;
    sheet.fill(Qt::white);
    CPageSetup pageSetup;
    pageSetup.unit = m_options.unit;
    pageSetup.dpi = dpi;
    RenderQuality::CHighQualityScope highQuality(true);
    const std::unique_ptr<CSurface> surface = CreateSurfaceOnBitmap(sheet, pageSetup);
    if (!surface)
        return {};
    const QPointF margin = layout.paintRect(QPageLayout::Millimeter).topLeft();
    const QPointF origin(millimetresToUnits(margin.x(), m_options.unit), millimetresToUnits(margin.y(), m_options.unit));
    drawPage(*surface, page, origin);
    return sheet;
}
