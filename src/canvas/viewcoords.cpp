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
