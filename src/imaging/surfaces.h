#pragma once
// Drawing surfaces and render quality. A surface is a QPainter whose world
// transform starts as the page set-up: one world unit is one canvas unit
// (inch or centimetre) drawn `zoom` times its real size at the device's
// resolution. Callers translate, rotate and clip on top of that.
//
// The render quality is process-wide: the user's preview quality sets the
// bilinear flag, output renders set the high-quality flag around their work.
// Quality lives in the painter's render hints, so any code holding just a
// QPainter draws images at the quality the surface was given.

#include "canvasunit.h"
#include <QImage>
#include <QPainter>
#include <QSizeF>
#include <QString>

#include <memory>

class QPaintDevice;

// The graphics layer's page-unit codes the settings and project files keep.
namespace PageUnit {
inline constexpr int Inch = 4;
// Centimetre canvases draw in millimetres with the page scale times 10.
inline constexpr int Millimetre = 6;
} // namespace PageUnit

// 6 means centimetres; anything else the inch, the default.
CanvasUnit canvasUnitFromPageUnit(int pageUnitCode);

struct CPageSetup
{
    static constexpr qreal kDefaultDpi = 96.0;
    static constexpr qreal kMillimetresPerInch = 25.4;
    // The page scale multiplier of a centimetre canvas drawn in millimetres.
    static constexpr qreal kMillimetreScale = 10.0;

    CanvasUnit unit = CanvasUnit::Inch;
    float zoom = 1.0f;
    // Device dots per inch; 0 takes the device's own (a bitmap's resolution,
    // 96 unless set) and, for the measuring surface, 96.
    qreal dpi = 0.0;

    int pageUnitCode() const { return unit == CanvasUnit::Centimetre ? PageUnit::Millimetre : PageUnit::Inch; }
    qreal pageScale() const { return unit == CanvasUnit::Centimetre ? zoom * kMillimetreScale : zoom; }
    // Device pixels per canvas unit at a device resolution.
    qreal pixelsPerUnit(qreal deviceDpi) const;
};

enum class Interpolation { NearestNeighbour, Bilinear, HighQualityBicubic };

// The four settings of a render quality. Compositing quality has no Qt
// counterpart (Qt blends linearly either way); it is kept for the record.
// The half-pixel offset is Qt's own convention for images (pixel centres at
// .5), so it is always in force.
struct CRenderQualitySettings
{
    bool highQualityCompositing = false;
    Interpolation interpolation = Interpolation::NearestNeighbour;
    // Edges (outlines, borders, the clip of a turned picture) are smooth at
    // every quality: the quality chooses how pictures are sampled, and a
    // jagged edge saves no time worth having.
    bool antialiasing = true;
    bool halfPixelOffset = true;
};

CRenderQualitySettings RenderQualitySettings(bool highQuality, bool bilinear);

// Puts the settings into the painter's hints (with the bilinear flag as it
// stands when not high quality). High-quality bicubic sampling is marked by
// Qt's lossless-image hint, which asks printers for lossless pictures too.
void ApplyRenderQuality(QPainter& painter, bool highQuality);
// What the painter's hints ask for.
Interpolation InterpolationOf(const QPainter& painter);

// Draws the whole image into `target` (world units) at the painter's
// interpolation. High quality reduces the image first with Qt's smooth
// (area-averaging) scaler to the size it covers on the device; a reduction
// by bilinear sampling alone would skip pixels and alias.
void DrawImageScaled(QPainter& painter, const QRectF& target, const QImage& image);

namespace RenderQuality {

// The user's preview quality.
enum PreviewQuality { Fast = 0, Good = 1, Excellent = 2 };

// The tool-tip text of a preview quality; empty for other values.
QString previewQualityTip(int quality);
// The bilinear flag follows the preview quality (Good and Excellent).
void setPreviewQuality(int quality);
// Excellent draws frames from the full image rather than the working copy.
inline bool previewUsesFullImage(int quality) { return quality == Excellent; }

bool isHighQuality();
void SetHighQuality(bool on);
bool isBilinear();
// Returns the flag's previous value.
bool SwapBilinear(bool on);

// Sets the high-quality flag for its lifetime and restores it after.
class CHighQualityScope
{
public:
    explicit CHighQualityScope(bool on = true);
    ~CHighQualityScope();
    CHighQualityScope(const CHighQualityScope&) = delete;
    CHighQualityScope& operator=(const CHighQualityScope&) = delete;

private:
    bool m_previous;
};

} // namespace RenderQuality

// A painter with its page set-up. Owned by whoever asked for it; the device
// it paints on must outlive it.
class CSurface
{
public:
    ~CSurface();
    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;

    QPainter& painter() { return m_painter; }
    const CPageSetup& page() const { return m_page; }
    // Device pixels per canvas unit, across and down.
    qreal pixelsPerUnitX() const { return m_pixelsPerUnitX; }
    qreal pixelsPerUnitY() const { return m_pixelsPerUnitY; }
    // One device pixel in canvas units.
    QSizeF pixelSize() const { return {1.0 / m_pixelsPerUnitX, 1.0 / m_pixelsPerUnitY}; }
    // Back to the page set-up alone: no translation, rotation or clip.
    void resetTransform();

private:
    friend std::unique_ptr<CSurface> CreateSurfaceOnBitmap(QImage&, const CPageSetup&);
    friend std::unique_ptr<CSurface> CreateSurfaceOnDevice(QPaintDevice&, const CPageSetup&);
    friend std::unique_ptr<CSurface> CreateMeasuringSurface(const CPageSetup&);

    CSurface(const CPageSetup& page, std::unique_ptr<QImage> ownDevice);
    bool begin(QPaintDevice& device, qreal dpiX, qreal dpiY);

    CPageSetup m_page;
    std::unique_ptr<QImage> m_ownDevice; // the measuring surface's stand-in device
    QPainter m_painter;
    qreal m_pixelsPerUnitX = 1.0;
    qreal m_pixelsPerUnitY = 1.0;
};

// Each gives the surface the page set-up and the render quality with the
// high-quality flag as it stands; null when the painter cannot start (a
// null bitmap, a device that refuses).
std::unique_ptr<CSurface> CreateSurfaceOnBitmap(QImage& bitmap, const CPageSetup& page);
std::unique_ptr<CSurface> CreateSurfaceOnDevice(QPaintDevice& device, const CPageSetup& page);
// For unit conversions only; it draws on a one-pixel stand-in.
std::unique_ptr<CSurface> CreateMeasuringSurface(const CPageSetup& page);
