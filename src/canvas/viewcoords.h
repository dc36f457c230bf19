#pragma once
// The canvas view's coordinate state: the canvas unit, the zoom factor, the
// screen resolution, the canvas origin and the size of one device pixel in
// canvas units, with the mapping between device pixels (relative to the
// view's client area) and canvas points.
//
// A plain value: the canvas view owns one and keeps it in step with the
// document (zoom, origin); drawing, hit-testing and the frame commands that
// need a pixel's size read it. It knows no widget, so its arithmetic is
// tested on its own.

#include "canvasunit.h"
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>


class CViewCoords
{
public:
    static constexpr float kMinZoom = 0.06f;
    static constexpr float kMaxZoom = 8.0f;
    static constexpr float kDefaultZoom = 1.0f;
    static constexpr float kDefaultDotsPerInch = 96.0f;
    // Where the canvas's top-left corner sits in a new view, in canvas units
    // from the client area's top-left corner.
    static constexpr float kDefaultOriginX = 0.1f;
    static constexpr float kDefaultOriginY = 0.1f;

    // Page-unit codes of the graphics layer: canvas inches are drawn in
    // inches; canvas centimetres in millimetres with ten times the scale.
    static constexpr int kPageUnitInch = 4;
    static constexpr int kPageUnitMillimetre = 6;
    static constexpr float kMillimetresPerCentimetre = 10.0f;
    static constexpr float kCentimetresPerInch = 2.54f;

    // A zoom step changes the zoom by (kZoomStepAmount / divisor) percent,
    // the divisor being kFineZoomDivisor while Shift is held.
    static constexpr float kZoomStepAmount = 40.0f;
    static constexpr float kZoomDivisor = 6.0f;
    static constexpr float kFineZoomDivisor = 16.0f;
    enum class ZoomDirection { In, Out };

    CViewCoords() = default;
    // A screen resolution that is not a positive finite number is taken as
    // kDefaultDotsPerInch.
    CViewCoords(float dotsPerInchX, float dotsPerInchY);

    CanvasUnit unit() const { return m_unit; }
    // Returns whether the unit changed.
    bool setUnit(CanvasUnit unit);
    int pageUnitCode() const;
    // The page scale a screen graphics object gets: the zoom, times ten for
    // centimetres (drawn in millimetres).
    float pageScale() const;

    float zoom() const { return m_zoom; }
    // Clamped to kMinZoom ... kMaxZoom; a value that is not a number is
    // refused. Returns whether the zoom changed, which is when the view
    // tells the others (a step at a limit changes nothing).
    bool setZoom(float zoom);
    static float clampZoom(float zoom);
    // The zoom one step in or out would set (before clamping).
    float steppedZoom(ZoomDirection direction, bool fine) const;

    float dotsPerInchX() const { return m_dpiX; }
    float dotsPerInchY() const { return m_dpiY; }
    void setScreenResolution(float dotsPerInchX, float dotsPerInchY);

    // The canvas's top-left corner relative to the client area's, canvas units.
    QPointF origin() const { return QPointF(m_originX, m_originY); }
    float originX() const { return m_originX; }
    float originY() const { return m_originY; }
    // Non-finite values are refused. Returns whether the origin changed.
    bool setOrigin(float x, float y);

    // Device pixels per canvas unit at the current zoom.
    double pixelsPerUnitX() const;
    double pixelsPerUnitY() const;
    // One device pixel in canvas units at the current zoom, as 32-bit floats
    // like every canvas coordinate; recomputed whenever zoom, unit or
    // resolution change.
    float pixelWidth() const { return m_pixelWidth; }
    float pixelHeight() const { return m_pixelHeight; }
    QSizeF pixelSize() const { return QSizeF(m_pixelWidth, m_pixelHeight); }

    // px = (cx + origin.x) × zoom × dpi, and back.
    QPointF canvasToDevice(const QPointF& canvas) const;
    QPointF deviceToCanvas(const QPointF& device) const;
    // Both corners are mapped and the result normalised, so a rectangle of
    // negative extent comes back with positive width and height.
    QRectF canvasToDevice(const QRectF& canvas) const;
    QRectF deviceToCanvas(const QRectF& device) const;
    // A canvas rectangle grown by one pixel size in width and height, so that
    // a repaint covers the pixel its right and bottom edges fall into.
    QRectF grownByOnePixel(const QRectF& canvas) const;

    // --- The view's arithmetic

    // The back buffer grows in steps of this many pixels, so that small
    // window size changes do not reallocate it.
    static constexpr int kBufferStep = 400;
    // Each side of the client size rounded up to the next multiple of the
    // step strictly above it (400 gives 800, 401 and 799 give 800); an
    // empty client size gives an empty size (the buffer is kept as it is).
    static QSize backBufferSize(const QSize& client);

    // Sets `zoom` (clamped) keeping the canvas point `anchor` where it is on
    // the screen. The anchor is first clamped into the canvas, so from
    // outside it the nearest edge or corner stays put. Returns whether the
    // zoom changed; when it did not, the origin is left alone too.
    bool zoomAround(float zoom, const QPointF& anchor, const QSizeF& canvas);

    // Reset Zoom: the zoom at which the canvas with a margin on each side
    // fits the client area. A canvas direction without size (or a client
    // direction without pixels) does not constrain the fit.
    static constexpr float kFitMargin = 0.2f;
    float fitZoom(const QSize& client, const QSizeF& canvas) const;
    // Center View: the origin that puts the canvas in the middle of the
    // client area (plus the default origin offset).
    QPointF centredOrigin(const QSize& client, const QSizeF& canvas) const;

    // The zoom drag: one thousandth of zoom per pixel of horizontal
    // movement, the canvas's top-left corner keeping its place on the
    // screen. Returns whether the zoom changed.
    static constexpr float kZoomPerDragPixel = 0.001f;
    bool zoomByDrag(int horizontalPixels);

    // The origin after moving the canvas by that many device pixels on the
    // screen (positive: right, down).
    QPointF pannedOrigin(const QPointF& pixels) const;

private:
    double unitsPerInch() const;
    void recomputePixelSize();

    CanvasUnit m_unit = CanvasUnit::Inch;
    float m_zoom = kDefaultZoom;
    float m_dpiX = kDefaultDotsPerInch;
    float m_dpiY = kDefaultDotsPerInch;
    float m_originX = kDefaultOriginX;
    float m_originY = kDefaultOriginY;
    float m_pixelWidth = 1.0f / kDefaultDotsPerInch;
    float m_pixelHeight = 1.0f / kDefaultDotsPerInch;
};
