#include "surfaces.h"

#include <QPaintDevice>
#include <QRectF>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

// Set by the preview quality and by output renders on the user-interface
// thread; read wherever surfaces are made, the thumbnail worker included.
std::atomic<bool> g_highQuality{false};
std::atomic<bool> g_bilinear{false};

constexpr QRgb kMeasuringFill = 0;

} // namespace

CanvasUnit canvasUnitFromPageUnit(int pageUnitCode)
{
    return pageUnitCode == PageUnit::Millimetre ? CanvasUnit::Centimetre : CanvasUnit::Inch;
}

qreal CPageSetup::pixelsPerUnit(qreal deviceDpi) const
{
    if (unit == CanvasUnit::Centimetre)
        return pageScale() * deviceDpi / kMillimetresPerInch;
    return pageScale() * deviceDpi;
}

CRenderQualitySettings RenderQualitySettings(bool highQuality, bool bilinear)
{
    CRenderQualitySettings settings;
    settings.highQualityCompositing = highQuality;
    if (highQuality)
        settings.interpolation = Interpolation::HighQualityBicubic;
    else
        settings.interpolation = bilinear ? Interpolation::Bilinear : Interpolation::NearestNeighbour;
    settings.antialiasing = true;
    settings.halfPixelOffset = true;
    return settings;
}

void ApplyRenderQuality(QPainter& painter, bool highQuality)
{
    const CRenderQualitySettings settings = RenderQualitySettings(highQuality, RenderQuality::isBilinear());
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
                          settings.interpolation != Interpolation::NearestNeighbour);
    painter.setRenderHint(QPainter::LosslessImageRendering,
                          settings.interpolation == Interpolation::HighQualityBicubic);
    painter.setRenderHint(QPainter::Antialiasing, settings.antialiasing);
}

Interpolation InterpolationOf(const QPainter& painter)
{
    const QPainter::RenderHints hints = painter.renderHints();
    if (!hints.testFlag(QPainter::SmoothPixmapTransform))
        return Interpolation::NearestNeighbour;
    return hints.testFlag(QPainter::LosslessImageRendering) ? Interpolation::HighQualityBicubic
                                                            : Interpolation::Bilinear;
}

void DrawImageScaled(QPainter& painter, const QRectF& target, const QImage& image)
{
    if (image.isNull() || target.isEmpty())
        return;
    if (InterpolationOf(painter) == Interpolation::HighQualityBicubic) {
        // Device pixels per image pixel along the image's own axes, whatever
        // the rotation.
        const QTransform t = painter.combinedTransform();
        const qreal scaleX = std::hypot(t.m11(), t.m12()) * target.width() / image.width();
        const qreal scaleY = std::hypot(t.m21(), t.m22()) * target.height() / image.height();
        if (scaleX < 1.0 || scaleY < 1.0) {
            const QSize reduced(std::max(1, int(std::lround(image.width() * std::min(scaleX, 1.0)))),
                                std::max(1, int(std::lround(image.height() * std::min(scaleY, 1.0)))));
            const QImage smaller = image.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (!smaller.isNull()) {
                painter.drawImage(target, smaller);
                return;
            }
        }
    }
    painter.drawImage(target, image);
}

namespace RenderQuality {

QString previewQualityTip(int quality)
{
    switch (quality) {
    case Fast:
        return QStringLiteral("Fast Quality\r(Low quality with fast software speed)");
    case Good:
        return QStringLiteral("Good Quality\r(High quality with fast software speed)");
    case Excellent:
        return QStringLiteral("Excellent Quality\r(High quality with slow software speed)");
    default:
        return {};
    }
}

void setPreviewQuality(int quality) { SwapBilinear(quality == Good || quality == Excellent); }

bool isHighQuality() { return g_highQuality.load(std::memory_order_relaxed); }
void SetHighQuality(bool on) { g_highQuality.store(on, std::memory_order_relaxed); }
bool isBilinear() { return g_bilinear.load(std::memory_order_relaxed); }
bool SwapBilinear(bool on) { return g_bilinear.exchange(on, std::memory_order_relaxed); }

CHighQualityScope::CHighQualityScope(bool on)
    : m_previous(g_highQuality.exchange(on, std::memory_order_relaxed))
{
}

CHighQualityScope::~CHighQualityScope() { SetHighQuality(m_previous); }

} // namespace RenderQuality

// ---------------------------------------------------------------------------
// CSurface

CSurface::CSurface(const CPageSetup& page, std::unique_ptr<QImage> ownDevice)
    : m_page(page)
    , m_ownDevice(std::move(ownDevice))
{
}

CSurface::~CSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool CSurface::begin(QPaintDevice& device, qreal dpiX, qreal dpiY)
{
    if (!m_painter.begin(&device))
        return false;
    m_pixelsPerUnitX = m_page.pixelsPerUnit(dpiX);
    m_pixelsPerUnitY = m_page.pixelsPerUnit(dpiY);
    if (!(m_pixelsPerUnitX > 0.0) || !(m_pixelsPerUnitY > 0.0)) {
        m_painter.end(); // a zero zoom or resolution maps everything to nothing
        return false;
    }
    resetTransform();
    ApplyRenderQuality(m_painter, RenderQuality::isHighQuality());
    return true;
}

void CSurface::resetTransform()
{
    m_painter.setClipping(false);
    m_painter.setWorldTransform(QTransform::fromScale(m_pixelsPerUnitX, m_pixelsPerUnitY));
}

std::unique_ptr<CSurface> CreateSurfaceOnBitmap(QImage& bitmap, const CPageSetup& page)
{
    if (bitmap.isNull())
        return nullptr;
    return CreateSurfaceOnDevice(bitmap, page);
}

std::unique_ptr<CSurface> CreateSurfaceOnDevice(QPaintDevice& device, const CPageSetup& page)
{
    std::unique_ptr<CSurface> surface(new CSurface(page, nullptr));
    const qreal dpiX = page.dpi > 0.0 ? page.dpi : device.logicalDpiX();
    const qreal dpiY = page.dpi > 0.0 ? page.dpi : device.logicalDpiY();
    if (!surface->begin(device, dpiX, dpiY))
        return nullptr;
    return surface;
}

std::unique_ptr<CSurface> CreateMeasuringSurface(const CPageSetup& page)
{
    auto device = std::make_unique<QImage>(1, 1, QImage::Format_ARGB32_Premultiplied);
    if (device->isNull())
        return nullptr;
    device->fill(kMeasuringFill);
    QImage& deviceRef = *device;
    std::unique_ptr<CSurface> surface(new CSurface(page, std::move(device)));
    const qreal dpi = page.dpi > 0.0 ? page.dpi : CPageSetup::kDefaultDpi;
    if (!surface->begin(deviceRef, dpi, dpi))
        return nullptr;
    return surface;
}
