#include "viewcoords.h"

#include <algorithm>
#include <cmath>

namespace {

float validResolution(float dotsPerInch)
{
    return std::isfinite(dotsPerInch) && dotsPerInch > 0.0f ? dotsPerInch : CViewCoords::kDefaultDotsPerInch;
}

} // namespace

CViewCoords::CViewCoords(float dotsPerInchX, float dotsPerInchY)
{
    setScreenResolution(dotsPerInchX, dotsPerInchY);
}

bool CViewCoords::setUnit(CanvasUnit unit)
{
    if (unit == m_unit)
        return false;
    m_unit = unit;
    recomputePixelSize();
    return true;
}

int CViewCoords::pageUnitCode() const { return m_unit == CanvasUnit::Inch ? kPageUnitInch : kPageUnitMillimetre; }

float CViewCoords::pageScale() const
{
    return m_unit == CanvasUnit::Inch ? m_zoom : m_zoom * kMillimetresPerCentimetre;
}

float CViewCoords::clampZoom(float zoom) { return std::clamp(zoom, kMinZoom, kMaxZoom); }

bool CViewCoords::setZoom(float zoom)
{
    if (std::isnan(zoom))
        return false;
    const float clamped = clampZoom(zoom);
    if (clamped == m_zoom)
        return false;
    m_zoom = clamped;
    recomputePixelSize();
    return true;
}

float CViewCoords::steppedZoom(ZoomDirection direction, bool fine) const
{
    const float amount = direction == ZoomDirection::In ? kZoomStepAmount : -kZoomStepAmount;
    const float divisor = fine ? kFineZoomDivisor : kZoomDivisor;
    return m_zoom + m_zoom * (amount / divisor) / 100.0f;
}

void CViewCoords::setScreenResolution(float dotsPerInchX, float dotsPerInchY)
{
    m_dpiX = validResolution(dotsPerInchX);
    m_dpiY = validResolution(dotsPerInchY);
    recomputePixelSize();
}

bool CViewCoords::setOrigin(float x, float y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    if (x == m_originX && y == m_originY)
        return false;
    m_originX = x;
    m_originY = y;
    return true;
}

double CViewCoords::unitsPerInch() const { return m_unit == CanvasUnit::Inch ? 1.0 : kCentimetresPerInch; }

double CViewCoords::pixelsPerUnitX() const { return double(m_zoom) * m_dpiX / unitsPerInch(); }

double CViewCoords::pixelsPerUnitY() const { return double(m_zoom) * m_dpiY / unitsPerInch(); }

void CViewCoords::recomputePixelSize()
{
    m_pixelWidth = float(1.0 / pixelsPerUnitX());
    m_pixelHeight = float(1.0 / pixelsPerUnitY());
}

QPointF CViewCoords::canvasToDevice(const QPointF& canvas) const
{
    return QPointF((canvas.x() + m_originX) * pixelsPerUnitX(), (canvas.y() + m_originY) * pixelsPerUnitY());
}

QPointF CViewCoords::deviceToCanvas(const QPointF& device) const
{
    return QPointF(device.x() / pixelsPerUnitX() - m_originX, device.y() / pixelsPerUnitY() - m_originY);
}

QRectF CViewCoords::canvasToDevice(const QRectF& canvas) const
{
    return QRectF(canvasToDevice(canvas.topLeft()), canvasToDevice(canvas.bottomRight())).normalized();
}

QRectF CViewCoords::deviceToCanvas(const QRectF& device) const
{
    return QRectF(deviceToCanvas(device.topLeft()), deviceToCanvas(device.bottomRight())).normalized();
}

QRectF CViewCoords::grownByOnePixel(const QRectF& canvas) const
{
    return canvas.adjusted(0.0, 0.0, m_pixelWidth, m_pixelHeight);
}

QSize CViewCoords::backBufferSize(const QSize& client)
{
    if (client.width() <= 0 || client.height() <= 0)
        return QSize();
    const auto roundUp = [](int pixels) { return (pixels / kBufferStep + 1) * kBufferStep; };
    return QSize(roundUp(client.width()), roundUp(client.height()));
}

bool CViewCoords::zoomAround(float zoom, const QPointF& anchor, const QSizeF& canvas)
{
    // Where the anchor lies across the canvas, as a fraction; a canvas
    // without extent in a direction counts the anchor at its far side.
    const auto fraction = [](qreal point, qreal extent) {
        return extent > 0.0 ? std::clamp(point, 0.0, extent) / extent : 1.0;
    };
    const qreal fx = fraction(anchor.x(), canvas.width());
    const qreal fy = fraction(anchor.y(), canvas.height());
    const qreal oldScaleX = pixelsPerUnitX();
    const qreal oldScaleY = pixelsPerUnitY();
    if (!setZoom(zoom))
        return false;
    // The canvas rectangle in device pixels at the old zoom, back in canvas
    // units at the new one.
    const qreal shrinkX = oldScaleX / pixelsPerUnitX();
    const qreal shrinkY = oldScaleY / pixelsPerUnitY();
    const qreal x = m_originX * shrinkX;
    const qreal y = m_originY * shrinkY;
    const qreal w = canvas.width() * shrinkX;
    const qreal h = canvas.height() * shrinkY;
    setOrigin(float(x + (w - canvas.width()) * fx), float(y + (h - canvas.height()) * fy));
    return true;
}

float CViewCoords::fitZoom(const QSize& client, const QSizeF& canvas) const
{
    const auto ratio = [](qreal clientPixels, qreal canvasExtent, qreal scale) {
        const qreal canvasPixels = (canvasExtent + 2.0 * kFitMargin) * scale;
        if (!(canvasExtent > 0.0) || !(canvasPixels > 0.0) || clientPixels <= 0.0)
            return 100.0;
        return clientPixels * 100.0 / canvasPixels;
    };
    const qreal rx = ratio(client.width(), canvas.width(), pixelsPerUnitX());
    const qreal ry = ratio(client.height(), canvas.height(), pixelsPerUnitY());
    return clampZoom(float(std::min(rx, ry) * m_zoom / 100.0));
}

QPointF CViewCoords::centredOrigin(const QSize& client, const QSizeF& canvas) const
{
    const qreal clientWidth = client.width() * qreal(m_pixelWidth);
    const qreal clientHeight = client.height() * qreal(m_pixelHeight);
    return QPointF((clientWidth - canvas.width()) / 2.0 + kDefaultOriginX,
                   (clientHeight - canvas.height()) / 2.0 + kDefaultOriginY);
}

bool CViewCoords::zoomByDrag(int horizontalPixels)
{
    const float oldZoom = m_zoom;
    if (!setZoom(m_zoom + horizontalPixels * kZoomPerDragPixel))
        return false;
    const float keep = oldZoom / m_zoom;
    setOrigin(m_originX * keep, m_originY * keep);
    return true;
}

QPointF CViewCoords::pannedOrigin(const QPointF& pixels) const
{
    return QPointF(m_originX + pixels.x() * m_pixelWidth, m_originY + pixels.y() * m_pixelHeight);
}
