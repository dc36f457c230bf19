#include "framerenderer.h"

#include "myphotos.h"
#include "photoitem.h"
#include "picinfo.h"
#include "rendermemory.h"
#include "shadowmask.h"
#include "shadowplane.h"
#include "surfaces.h"

#include <QPainter>
#include <QPainterPath>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Pictures the renderer makes are premultiplied ARGB: frames may be partly
// transparent, and the enlargement and the shadow need an alpha channel.
constexpr QImage::Format kPictureFormat = QImage::Format_ARGB32_Premultiplied;
// Rows and columns beyond the ones a region needs, so that smooth sampling
// at the region's edges reads real neighbours.
constexpr int kSamplingSlack = 2;
// A source read for the screen at high quality is read again only when
// the size wanted grows past it or falls below this share of it.
constexpr double kSourceShrinkReuse = 0.5;
// A decoded source this close to the size wanted (a rounding) is drawn
// straight rather than reduced first.
constexpr double kNearlyUnscaled = 0.98;
// Output draws take their photos straight from a reduced JPEG decode, up to
// the decoder's next scale larger than wanted: sampled bilinearly at three
// quarters or more, no source pixel is skipped.
constexpr double kOutputStraightScale = 1.0 / PhotoDecoder::kDecoderStepSlack;
constexpr int kChannelMax = 255;
// An output photo is cut down to the part its frame shows only when that
// part is less than this share of it.
constexpr double kCropWorthShare = 0.75;
constexpr int kBytesPerPixel = 4;
// A picture is kept on the device's pixel grid while that takes at most
// this many times its own pixels (a turned frame's box takes up to twice).
constexpr qint64 kAlignedAreaShare = 3;
// Output renders read a photo ahead of the draw that needs it only while the
// photos they hold and those being read stay within this much memory: a
// 300 dpi poster's row of frames and the next row's reads.
constexpr qint64 kOutputSourceBytes = qint64(128) << 20;

bool sameAdjustment(const CColourAdjustment& a, const CColourAdjustment& b)
{
    return a.alpha == b.alpha && a.brightness == b.brightness && a.contrast == b.contrast && a.gamma == b.gamma;
}

CColourAdjustment adjustmentOf(const CPicInfo& frame)
{
    const CPicInfoAttr& attr = frame.attributes();
    CColourAdjustment adjustment;
    adjustment.alpha = attr.alpha();
    adjustment.brightness = attr.brightness();
    adjustment.contrast = attr.contrast();
    adjustment.gamma = attr.gamma();
    return adjustment;
}

// Where the frame's image goes, canvas units. A photo whose size was never
// known (a file that never decoded) has no image rectangle; its stand-in
// then fills the frame rather than vanish.
QRectF imageTargetOf(const CPicInfo& frame)
{
    const CCanvasRect& image = frame.imageRect();
    return image.isEmpty() ? frame.frameRect().toRectF() : image.toRectF();
}

// A frame moved or dragged carries its image along, but the two rectangles'
// single-precision corners round apart by a few units in the last place, and
// the image's place in the frame then seems to change on every move. What
// this allows is under a tenth of a pixel at the highest zoom.
constexpr double kImagePlaceTolerance = 1e-4; // canvas units (inches)

bool sameImagePlace(const QRectF& a, const QRectF& b)
{
    const auto close = [](double x, double y) { return std::abs(x - y) <= kImagePlaceTolerance; };
    return close(a.x(), b.x()) && close(a.y(), b.y()) && close(a.width(), b.width()) && close(a.height(), b.height());
}

// Pixel counts of anything a damaged or absurd project asks for stay in a
// range that int arithmetic and the allocators can take; what large a
// picture then cannot be had is refused by the memory budget.
constexpr double kMaxPixelCoordinate = double(1 << 24);

int clampedInt(double value)
{
    if (!(value == value))
        return 0;
    return int(std::clamp(value, -kMaxPixelCoordinate, kMaxPixelCoordinate));
}

int ceilToInt(double value) { return clampedInt(std::ceil(value - 1e-6)); }
int floorToInt(double value) { return clampedInt(std::floor(value)); }

QSize atLeastOne(QSize size) { return size.expandedTo(QSize(1, 1)); }

// Draws the image into `target` (canvas units). A picture read at about the
// size it covers (at `straightFrom` of its size or more) is drawn straight:
// reducing it first would change little but cost a copy of it.
void drawSource(QPainter& painter, const QRectF& target, const QImage& image, double straightFrom)
{
    const QTransform t = painter.combinedTransform();
    const qreal scaleX = std::hypot(t.m11(), t.m12()) * target.width() / image.width();
    const qreal scaleY = std::hypot(t.m21(), t.m22()) * target.height() / image.height();
    if (scaleX >= straightFrom && scaleY >= straightFrom)
        painter.drawImage(target, image);
    else
        DrawImageScaled(painter, target, image);
}

// The picture over its shadow, shifted by `shift` pixels, in a bitmap `pad`
// pixels larger on every side. Done by hand in one pass: the shadow is
// black, so it only adds coverage where the picture lets it through, and a
// painter would hand these small draws to its worker threads for more than
// they cost.
QImage composeShadow(const QImage& picture, const QImage& shadow, QPointF shift, int pad)
{
    QImage out = RenderMemory::allocate(picture.size() + QSize(2 * pad, 2 * pad), kPictureFormat, false);
    if (out.isNull())
        return out;
    const int width = out.width();
    const int height = out.height();
    // The shadow's alpha placed in the output's grid, one pixel of zeros
    // around it, so that every bilinear read below stays inside.
    const double originX = pad + shift.x();
    const double originY = pad + shift.y();
    const int baseX = int(std::floor(originX));
    const int baseY = int(std::floor(originY));
    const int fx = int(std::lround((originX - baseX) * 256));
    const int fy = int(std::lround((originY - baseY) * 256));
    const int planeWidth = width + 1;
    std::vector<quint16> plane(std::size_t(planeWidth) * std::size_t(height + 1), 0);
    const int shadowWidth = shadow.width();
    const int shadowHeight = shadow.height();
    const int firstX = std::max(0, -(baseX + 1));
    const int lastX = std::min(shadowWidth, width - baseX); // exclusive: px = x + baseX + 1 <= width
    for (int y = 0; y < shadowHeight; ++y) {
        const int py = y + baseY + 1;
        if (py < 0 || py > height)
            continue;
        const QRgb* in = reinterpret_cast<const QRgb*>(shadow.constScanLine(y));
        quint16* row = plane.data() + std::size_t(py) * planeWidth + baseX + 1;
        for (int x = firstX; x < lastX; ++x)
            row[x] = quint16(qAlpha(in[x]));
    }
    const int pictureWidth = picture.width();
    const int pictureHeight = picture.height();
    for (int oy = 0; oy < height; ++oy) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(oy));
        // Plane row r holds what lands on output row r - 1.
        const quint16* above = plane.data() + std::size_t(oy) * planeWidth;
        const quint16* here = above + planeWidth;
        const int pictureY = oy - pad;
        const bool pictureRow = pictureY >= 0 && pictureY < pictureHeight;
        const QRgb* pictureLine = pictureRow ? reinterpret_cast<const QRgb*>(picture.constScanLine(pictureY)) : nullptr;
        for (int ox = 0; ox < width; ++ox) {
            const int pictureX = ox - pad;
            const QRgb over = pictureRow && pictureX >= 0 && pictureX < pictureWidth ? pictureLine[pictureX] : 0;
            if (qAlpha(over) == kChannelMax) {
                line[ox] = over; // nothing shows through
                continue;
            }
            // Output pixel ox reads the shadow between what landed on ox - 1 and ox.
            const int top = above[ox] * fx + above[ox + 1] * (256 - fx);
            const int bottom = here[ox] * fx + here[ox + 1] * (256 - fx);
            const int below = (top * fy + bottom * (256 - fy) + (1 << 15)) >> 16;
            const int alpha = qAlpha(over) + (below * (kChannelMax - qAlpha(over)) + kChannelMax / 2) / kChannelMax;
            line[ox] = (over & 0x00FFFFFF) | (QRgb(alpha) << 24);
        }
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------

struct CFrameRenderer::Geometry
{
    QRectF frame;               // canvas units
    QTransform localToDevice;   // the frame's own coordinates to the device
    double pixelsPerUnitX = 1;  // device
    double pixelsPerUnitY = 1;
    QSize picture;              // the frame picture, pixels
    QPointF half;               // the enlargement, frame units
    bool shadow = false;
    bool transparency = false;
    int margin = 0;             // shadow margin, picture pixels; 0 without shadow
    QPointF shadowOffset;       // frame units, turned so that it points down-right on the page
    bool highQuality = false;

    // Picture pixels (margin not counted) to the frame's own coordinates,
    // for a picture of `size` pixels.
    QRectF pictureToLocal(const QRectF& pixels, QSize size) const
    {
        const qreal sx = (frame.width() + 2 * half.x()) / size.width();
        const qreal sy = (frame.height() + 2 * half.y()) / size.height();
        return QRectF(-half.x() + pixels.x() * sx, -half.y() + pixels.y() * sy, pixels.width() * sx,
                      pixels.height() * sy);
    }
};

struct CFrameRenderer::FrameCache
{
    // Source copy.
    QImage source;
    const CPhotoItem* sourcePhoto = nullptr;
    bool sourceFull = false;
    qint64 sourceImageKey = 0;
    int sourceTurns = 0;
    QSizeF sourceRatio{1.0, 1.0};
    QSizeF settledImageSize;
    bool sourceWhole = false; // read at the file's own size: nothing larger to be had

    // Adjusted copy.
    QImage adjusted;
    CColourAdjustment adjustedFor;
    bool adjustedValid = false;

    // Frame picture with its shadow, padded by the margin.
    QImage picture;
    QImage shadow;
    // The two as the screen draws them: the shadow under the picture, in
    // one bitmap padded by `drawnPad` more pixels, so a repaint draws each
    // frame with one call.
    QImage drawn;
    int drawnPad = 0;
    QPointF drawnShift;
    // The drawn picture as it lands on the device's pixel grid: made from
    // that picture, under that transform (the box's corner at 0, 0) and hints.
    QImage aligned;
    qint64 alignedFrom = 0;
    QTransform alignedTransform;
    QPainter::RenderHints alignedHints;
    QSize pictureSize;
    int pictureMargin = 0;
    int shadowBand = 0; // the band's weights and threshold: what the zoom changes in the shadow's look
    struct Content
    {
        QRectF imageInFrame;
        bool highQuality = false;
        bool shadow = false;
        bool transparency = false;
        bool showsPhoto = false;
        QRgb frameBack = 0;
        friend bool operator==(const Content& a, const Content& b)
        {
            return sameImagePlace(a.imageInFrame, b.imageInFrame) && a.highQuality == b.highQuality
                && a.shadow == b.shadow && a.transparency == b.transparency && a.showsPhoto == b.showsPhoto
                && a.frameBack == b.frameBack;
        }
    } content;

    // Output.
    bool outputPrepared = false;
    QImage outputImage;       // the photo as drawn: turned, adjusted, cropped to what shows
    QRectF outputTarget;      // where it goes, canvas units
    CShadowPlane plane;
    // The photo's read on a worker thread, once started (prefetchDone).
    QFuture<std::optional<CDecodedPhoto>> prefetched;
    qint64 prefetchBytes = 0;
    bool prefetchDone = false;

    FrameCache() = default;
    FrameCache(const FrameCache&) = delete;
    FrameCache& operator=(const FrameCache&) = delete;
    FrameCache(FrameCache&&) = default;
    FrameCache& operator=(FrameCache&&) = default;
    // A read not started yet is dropped; one under way finishes unheeded.
    ~FrameCache() { prefetched.cancel(); }
};

// ---------------------------------------------------------------------------

CFrameRenderer::CFrameRenderer(CPhotoImage& images, CMyPhotos* photos)
    : m_images(images)
    , m_photos(photos)
{
    m_readers.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

bool CFrameRenderer::checkFile(CPhotoItem& photo) { return !m_photos || m_photos->CheckFile(photo); }

CFrameRenderer::~CFrameRenderer() { releaseAll(); }

std::optional<CDecodedPhoto> CFrameRenderer::decodeSource(const CSourceRequest& request)
{
    const bool sideways = ((request.quarterTurns % 4) + 4) % 4 % 2 != 0;
    const QSize box = sideways ? request.needed.transposed() : request.needed;
    std::optional<CDecodedPhoto> decoded = PhotoDecoder::decode(request.path, atLeastOne(box), request.fit);
    if (!decoded)
        return std::nullopt;
    RotateQuarterTurns(&decoded->image, nullptr, 0, request.quarterTurns);
    if (sideways)
        decoded->fullSize.transpose();
    return decoded;
}

CFrameRenderer::FrameCache& CFrameRenderer::cacheFor(const CPicInfo& frame, bool output)
{
    auto& slot = (output ? m_output : m_screen)[&frame];
    if (!slot)
        slot = std::make_unique<FrameCache>();
    return *slot;
}

bool CFrameRenderer::showsPhoto(const CPicInfo& frame, const CFrameDrawContext& context) const
{
    return frame.photo() && !context.asTemplate;
}

CFrameRenderer::Geometry CFrameRenderer::geometryOf(const CPicInfo& frame, const CFrameDrawContext& context) const
{
    Geometry g;
    g.frame = frame.frameRect().toRectF();
    g.localToDevice = frame.placementTransform() * context.canvasToDevice;
    const QTransform& t = context.canvasToDevice;
    g.pixelsPerUnitX = std::hypot(t.m11(), t.m12());
    g.pixelsPerUnitY = std::hypot(t.m21(), t.m22());

    const double widthPixels = g.frame.width() * g.pixelsPerUnitX;
    const double heightPixels = g.frame.height() * g.pixelsPerUnitY;
    double cap = 1.0;
    const double measure = std::max(widthPixels, heightPixels);
    if (!RenderPurpose::isOutput(context.purpose) && measure > kScreenPictureCap)
        cap = kScreenPictureCap / measure;
    g.picture = atLeastOne(QSize(clampedInt(std::round(widthPixels * cap)), clampedInt(std::round(heightPixels * cap))));
    g.half = QPointF(kEnlargementPixels / g.pixelsPerUnitX, kEnlargementPixels / g.pixelsPerUnitY);

    const CPhotoItem* photo = showsPhoto(frame, context) ? frame.photo() : nullptr;
    g.transparency = frame.attributes().alpha() < CPicInfoAttr::kMaxAlpha
        || (photo && photo->hasFlag(CPhotoItem::kFlagHasTransparency));
    g.shadow = context.shadowEnabled && frame.drawsShadow();
    if (g.shadow) {
        // The margin is counted in picture pixels: a capped picture has a
        // proportionally narrower shadow, drawn scaled up with it.
        g.margin = CShadowPlane::marginFor(context.zoom, g.transparency);
        g.shadowOffset = QTransform().rotate(-frame.rotation()).map(QPointF(kShadowOffset, kShadowOffset));
    }
    const bool output = RenderPurpose::isOutput(context.purpose);
    g.highQuality = !context.dragged
        && (output || context.fullResolution || context.purpose == RenderPurpose::Preview);
    return g;
}

QRectF CFrameRenderer::drawnBounds(const CPicInfo& frame, const CFrameDrawContext& context) const
{
    const Geometry g = geometryOf(frame, context);
    QRectF local(-g.half.x(), -g.half.y(), g.frame.width() + 2 * g.half.x(), g.frame.height() + 2 * g.half.y());
    if (g.shadow) {
        const QRectF padded = g.pictureToLocal(QRectF(-g.margin, -g.margin, g.picture.width() + 2 * g.margin,
                                                      g.picture.height() + 2 * g.margin),
                                               g.picture);
        local = local.united(padded.translated(g.shadowOffset));
    }
    return frame.placementTransform().mapRect(local);
}

// ---------------------------------------------------------------------------
// Drawing one frame

CFrameRenderer::Result CFrameRenderer::draw(CPicInfo& frame, const CFrameDrawContext& context)
{
    const CCanvasRect& rect = frame.frameRect();
    if (!context.painter || !frame.isShown() || !(rect.width >= kMinFrameExtent) || !(rect.height >= kMinFrameExtent))
        return Result::NotDrawn;
    if (frame.isInPlanes(CPicInfo::kPlanePageSegments) && !frame.isInPlanes(CPicInfo::kPlanePhotos)) {
        // Printer page segments are a screen aid; they never print or export.
        if (RenderPurpose::isOutput(context.purpose) || context.purpose == RenderPurpose::Preview)
            return Result::NotDrawn;
        if (!frame.placementTransform().mapRect(QRectF(0, 0, rect.width, rect.height)).intersects(context.clip))
            return Result::NotDrawn;
        QPainter& painter = *context.painter;
        painter.save();
        painter.setWorldTransform(frame.placementTransform() * context.canvasToDevice);
        QColor fill = context.palette.pageSegment;
        fill.setAlpha(kChannelMax / 8);
        painter.fillRect(QRectF(0, 0, rect.width, rect.height), fill);
        QPen pen(context.palette.pageSegment, 0, Qt::DashLine); // cosmetic: one device pixel
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(0, 0, rect.width, rect.height));
        painter.restore();
        return Result::Drawn;
    }
    if (!drawnBounds(frame, context).intersects(context.clip))
        return Result::NotDrawn;

    const Geometry geometry = geometryOf(frame, context);
    QPainter& painter = *context.painter;
    const QPainter::RenderHints hints = painter.renderHints();
    const QTransform world = painter.worldTransform();
    if (geometry.highQuality)
        ApplyRenderQuality(painter, true);
    const Result result = RenderPurpose::isOutput(context.purpose) ? drawOutput(frame, context, geometry)
                                                                   : drawScreen(frame, context, geometry);
    if (result == Result::Drawn) {
        drawBorderAndOutline(frame, context, geometry);
        if (context.purpose == RenderPurpose::Canvas && context.decorate) {
            painter.setWorldTransform(frame.placementTransform() * context.canvasToDevice);
            context.decorate(painter, frame);
        }
    }
    painter.setWorldTransform(world);
    painter.setRenderHints(painter.renderHints(), false);
    painter.setRenderHints(hints, true);
    return result;
}

// The border lies inside the frame, along its edges (out to the half-pixel
// enlargement), and is drawn over the picture. Inside, because frames that
// a layout puts edge to edge then show two borders side by side rather
// than one hiding the other, the frame's outline stays where the handles
// and snapping put it, and a frame at the canvas edge keeps its whole
// border in the export. Over the picture, because a border is a mat laid on
// the photo: it covers the photo's edge rather than shrinking the photo.
void CFrameRenderer::drawBorderAndOutline(const CPicInfo& frame, const CFrameDrawContext& context,
                                          const Geometry& g)
{
    QPainter& painter = *context.painter;
    painter.setWorldTransform(g.localToDevice);
    const qreal width = g.frame.width();
    const qreal height = g.frame.height();
    if (context.border.enabled && frame.drawsBorder() && context.border.width > 0.0f) {
        const qreal band = std::min<qreal>(context.border.width, std::min(width, height) / 2.0);
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        path.addRect(QRectF(-g.half.x(), -g.half.y(), width + 2 * g.half.x(), height + 2 * g.half.y()));
        path.addRect(QRectF(band, band, width - 2 * band, height - 2 * band));
        painter.fillPath(path, QColor::fromRgba(context.border.colour));
    }
    if (!showsPhoto(frame, context)) {
        painter.setPen(QPen(context.palette.frameBorder, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(0, 0, width, height));
    }
}

// ---------------------------------------------------------------------------
// Screen

bool CFrameRenderer::updateSource(FrameCache& cache, const CPicInfo& frame, const CFrameDrawContext& context,
                                  const Geometry& g)
{
    CPhotoItem& photo = *frame.photo();
    const bool invalid = frame.invalidParts() & kInvalidSource;
    const bool full = !context.dragged && context.fullResolution;
    const QSizeF imageSize = imageTargetOf(frame).size();
    const bool samePhoto = cache.sourcePhoto == &photo && cache.sourceFull == full
        && cache.sourceTurns == photo.quarterTurns() && !cache.source.isNull();

    if (full) {
        const QSize needed = atLeastOne(QSize(ceilToInt(imageSize.width() * g.picture.width() / g.frame.width()),
                                              ceilToInt(imageSize.height() * g.picture.height() / g.frame.height())));
        const QSize have = cache.source.size();
        const bool largeEnough = cache.sourceWhole || (have.width() >= needed.width() - 1 && have.height() >= needed.height() - 1);
        const bool notWasteful = have.width() * kSourceShrinkReuse <= needed.width() + 1
            || have.height() * kSourceShrinkReuse <= needed.height() + 1;
        if (samePhoto && !invalid && largeEnough && notWasteful)
            return false;
        const CSourceRequest request{photo.path(), photo.quarterTurns(), needed};
        std::optional<CDecodedPhoto> decoded;
        if (checkFile(photo))
            decoded = decodeSource(request);
        // A stand-in for a photo that cannot be read has nothing larger either.
        cache.sourceWhole = !decoded || decoded->image.size() == decoded->fullSize;
        cache.source = loadSource(photo, request, &decoded);
        cache.sourceRatio = QSizeF(1.0, 1.0);
        cache.sourceImageKey = 0;
    } else {
        const QImage working = m_images.GetWorkingCopy(photo);
        // While the image is resized with the mouse the copy follows it down
        // from its size when the drag began, so that the many rebuilds of
        // the drag work on fewer pixels; it is never made larger than the
        // working copy, and a settled frame always has it whole.
        QSizeF ratio(1.0, 1.0);
        if (context.dragged && !cache.settledImageSize.isEmpty() && !imageSize.isEmpty()) {
            ratio = QSizeF(std::min(1.0, imageSize.width() / cache.settledImageSize.width()),
                           std::min(1.0, imageSize.height() / cache.settledImageSize.height()));
        }
        if (!context.dragged)
            cache.settledImageSize = imageSize;
        if (samePhoto && !invalid && cache.sourceImageKey == working.cacheKey() && cache.sourceRatio == ratio)
            return false;
        if (ratio == QSizeF(1.0, 1.0) || working.isNull()) {
            cache.source = working; // shared until either side writes: a private copy at no cost
        } else {
            const QSize size = atLeastOne(QSize(int(std::lround(working.width() * ratio.width())),
                                                int(std::lround(working.height() * ratio.height()))));
            cache.source = working.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        }
        cache.sourceRatio = ratio;
        cache.sourceImageKey = working.cacheKey();
        cache.sourceWhole = false;
    }
    cache.sourcePhoto = &photo;
    cache.sourceFull = full;
    cache.sourceTurns = photo.quarterTurns();
    ++m_counts.sources;
    return true;
}

bool CFrameRenderer::updateAdjusted(FrameCache& cache, const CPicInfo& frame, bool sourceChanged)
{
    const CColourAdjustment adjustment = adjustmentOf(frame);
    const bool invalid = frame.invalidParts() & kInvalidAdjusted;
    if (cache.adjustedValid && !sourceChanged && !invalid && sameAdjustment(adjustment, cache.adjustedFor))
        return false;
    const bool wasAdjusted = !cache.adjusted.isNull();
    cache.adjusted = adjustment.isNeutral() || cache.source.isNull() ? QImage() : MakeAdjustedCopy(cache.source, adjustment);
    const bool changed = !cache.adjustedValid || wasAdjusted || !cache.adjusted.isNull()
        || !sameAdjustment(adjustment, cache.adjustedFor);
    cache.adjustedFor = adjustment;
    cache.adjustedValid = true;
    if (!cache.adjusted.isNull())
        ++m_counts.adjusted;
    return changed;
}

namespace {

// The frame picture's pixels inside `region` (picture pixels; the frame is
// (0, 0) to `g.picture`, the rest is margin): the image drawn into its
// place clipped to the frame, or the frame's own fill.
QImage renderRegion(const QRect& region, const QRectF& frame, QSize picture, const QImage* image,
                    const QRectF& imageTarget, QRgb frameBack, bool highQuality,
                    double straightFrom = kNearlyUnscaled)
{
    QImage out = RenderMemory::allocate(region.size(), kPictureFormat);
    if (out.isNull())
        return out;
    QPainter painter(&out);
    ApplyRenderQuality(painter, highQuality);
    painter.setWorldTransform(QTransform::fromTranslate(-frame.x(), -frame.y())
                              * QTransform::fromScale(picture.width() / frame.width(), picture.height() / frame.height())
                              * QTransform::fromTranslate(-region.x(), -region.y()));
    painter.setClipRect(frame);
    if (image && !image->isNull())
        drawSource(painter, imageTarget, *image, straightFrom);
    else
        painter.fillRect(frame, QColor::fromRgba(frameBack));
    return out;
}

// Where a picture drawn at `drawn` (the frame's own coordinates) under
// `toDevice` lands on the device's pixel grid, and the transform that draws
// it onto a bitmap of that box.
struct GridPlacement
{
    QRect box;
    QTransform local;
    // Only for pictures shown at about their size: one scaled up on the
    // screen would cost its scaled size in memory.
    bool worth = false;
};

GridPlacement gridPlacement(const QTransform& toDevice, const QRectF& drawn, QSize pictureSize)
{
    GridPlacement placement;
    placement.box = toDevice.mapRect(drawn).toAlignedRect();
    placement.local = toDevice * QTransform::fromTranslate(-placement.box.x(), -placement.box.y());
    placement.worth = !placement.box.isEmpty()
        && qint64(placement.box.width()) * placement.box.height()
            <= kAlignedAreaShare * qint64(pictureSize.width()) * pictureSize.height();
    return placement;
}

QImage onPixelGrid(const QImage& picture, const QRectF& drawn, const GridPlacement& placement,
                   QPainter::RenderHints hints)
{
    QImage aligned = RenderMemory::allocate(placement.box.size(), kPictureFormat);
    if (aligned.isNull())
        return aligned;
    QPainter painter(&aligned);
    painter.setRenderHints(hints);
    painter.setTransform(placement.local);
    painter.drawImage(drawn, picture);
    return aligned;
}

} // namespace

// A frame's picture and its shadow (when due) and the two composed as the
// screen draws them. Built apart from the frame and the renderer, so that
// the pictures of many frames can be built at once; the results go into
// the frame's cache on the user-interface thread.
struct CFrameRenderer::PictureJob
{
    FrameCache* cache = nullptr;
    CPicInfo* frame = nullptr;
    // Whether the picture is built anew, or the cached one composed again.
    bool rebuild = false;
    QRect region;
    QRectF frameRect;
    QSize pictureSize;
    int margin = 0;
    int shadowBand = 0;
    FrameCache::Content content;
    QImage image; // null: the frame's own fill
    QRectF imageTarget;
    float zoom = 1.0f;
    QPointF shift;
    // Whether the picture and shadow are composed, or `drawn` is the
    // cached composition, to be put on the pixel grid.
    bool compose = true;
    // With `align`, the composition is put on the device's pixel grid too.
    bool align = false;
    QTransform toDevice; // the frame's own coordinates to the device
    QPainter::RenderHints hints;
    Geometry geometry;

    QImage picture;
    QImage shadow;
    QImage drawn;
    int pad = 0;
    QImage aligned;
    QTransform alignedTransform;

    QRectF drawnInFrame() const
    {
        const int outside = margin + pad;
        return geometry.pictureToLocal(QRectF(-outside, -outside, drawn.width(), drawn.height()), pictureSize);
    }

    // Any thread.
    void run(CShadowMaskCache& masks)
    {
        if (compose)
            composeDrawn(masks);
        if (!align || drawn.isNull())
            return;
        const GridPlacement placement = gridPlacement(toDevice, drawnInFrame(), drawn.size());
        if (!placement.worth)
            return;
        aligned = onPixelGrid(drawn, drawnInFrame(), placement, hints);
        alignedTransform = placement.local;
    }

    void composeDrawn(CShadowMaskCache& masks)
    {
        if (rebuild) {
            picture = renderRegion(region, frameRect, pictureSize, content.showsPhoto ? &image : nullptr, imageTarget,
                                   content.frameBack, content.highQuality);
            shadow = content.shadow && !picture.isNull() ? masks.mask(picture, zoom, content.transparency) : QImage();
        }
        if (picture.isNull())
            return;
        if (shadow.isNull()) {
            drawn = picture;
            pad = 0;
        } else {
            pad = int(std::ceil(std::max(std::abs(shift.x()), std::abs(shift.y())))) + 1;
            drawn = composeShadow(picture, shadow, shift, pad);
        }
    }
};

std::optional<CFrameRenderer::PictureJob> CFrameRenderer::screenJob(FrameCache& cache, CPicInfo& frame,
                                                                    const CFrameDrawContext& context, const Geometry& g)
{
    const bool photoShown = showsPhoto(frame, context);
    bool sourceChanged = false;
    if (photoShown) {
        sourceChanged = updateSource(cache, frame, context, g);
    } else if (!cache.source.isNull()) {
        cache = FrameCache();
        sourceChanged = true;
    }
    const bool adjustedChanged = photoShown && updateAdjusted(cache, frame, sourceChanged);

    PictureJob job;
    job.cache = &cache;
    job.frame = &frame;
    job.imageTarget = imageTargetOf(frame);
    FrameCache::Content& content = job.content;
    content.imageInFrame = job.imageTarget.translated(-g.frame.topLeft());
    content.highQuality = g.highQuality;
    content.shadow = g.shadow;
    content.transparency = g.transparency;
    content.showsPhoto = photoShown;
    content.frameBack = context.palette.frameBack.rgba();
    if (g.shadow) {
        const CShadowBand band = ShadowBandFor(context.zoom, g.transparency);
        job.shadowBand = band.p * (1 << CShadowBand::kShift) + band.threshold;
    }

    const bool invalid = frame.invalidParts() & kInvalidPicture;
    const bool sameContent = !cache.picture.isNull() && cache.content == content && !invalid && !sourceChanged && !adjustedChanged;
    // What the zoom changes; a zoom under way keeps the picture as it is.
    const bool sameSize = cache.pictureSize == g.picture && cache.pictureMargin == g.margin && cache.shadowBand == job.shadowBand;
    job.rebuild = !(sameContent && (sameSize || context.renderFast));
    job.geometry = g;
    const QSize size = job.rebuild ? g.picture : cache.pictureSize;
    job.pictureSize = size;
    job.margin = job.rebuild ? g.margin : cache.pictureMargin;
    // The shadow's offset in picture pixels; it turns with the frame.
    job.shift = QPointF(g.shadowOffset.x() * size.width() / (g.frame.width() + 2 * g.half.x()),
                        g.shadowOffset.y() * size.height() / (g.frame.height() + 2 * g.half.y()));
    if (job.rebuild) {
        job.region = QRect(-g.margin, -g.margin, g.picture.width() + 2 * g.margin, g.picture.height() + 2 * g.margin);
        job.frameRect = g.frame;
        job.zoom = context.zoom;
        if (photoShown)
            job.image = cache.adjusted.isNull() ? cache.source : cache.adjusted;
        return job;
    }
    if (cache.drawn.isNull() || (!cache.shadow.isNull() && !context.renderFast && cache.drawnShift != job.shift)) {
        job.picture = cache.picture;
        job.shadow = cache.shadow;
        return job;
    }
    return std::nullopt;
}

bool CFrameRenderer::finishJob(PictureJob& job)
{
    FrameCache& cache = *job.cache;
    if (job.rebuild) {
        cache.picture = job.picture;
        cache.shadow = job.shadow;
        cache.pictureSize = job.pictureSize;
        cache.pictureMargin = job.margin;
        cache.shadowBand = job.shadowBand;
        cache.content = job.content;
        ++m_counts.pictures;
    }
    if (job.compose) {
        cache.drawn = job.drawn;
        cache.drawnPad = job.pad;
        cache.drawnShift = job.shift;
    }
    if (!job.aligned.isNull() && !cache.drawn.isNull()) {
        cache.aligned = job.aligned;
        cache.alignedFrom = cache.drawn.cacheKey();
        cache.alignedTransform = job.alignedTransform;
        cache.alignedHints = job.hints;
    }
    return !cache.drawn.isNull(); // no memory: the screen skips the frame
}

bool CFrameRenderer::drawsPicture(const CPicInfo& frame, const CFrameDrawContext& context) const
{
    const CCanvasRect& rect = frame.frameRect();
    return frame.isShown() && rect.width >= kMinFrameExtent && rect.height >= kMinFrameExtent
        && !(frame.isInPlanes(CPicInfo::kPlanePageSegments) && !frame.isInPlanes(CPicInfo::kPlanePhotos))
        && drawnBounds(frame, context).intersects(context.clip);
}

void CFrameRenderer::prepareScreen(const std::vector<CPicInfo*>& frames, const CFrameDrawContext& context)
{
    if (context.purpose != RenderPurpose::Canvas && context.purpose != RenderPurpose::Screen)
        return;
    // How draw() will set the painter up for each frame, so that the jobs
    // can put the pictures on the device's pixel grid as it will.
    QPainter& painter = *context.painter;
    const bool onGrid = painter.device() && painter.device()->devType() == QInternal::Image;
    const QTransform world = painter.worldTransform();
    const QPainter::RenderHints hints = painter.renderHints();
    std::vector<PictureJob> jobs;
    for (CPicInfo* frame : frames) {
        if (!drawsPicture(*frame, context))
            continue;
        FrameCache& cache = cacheFor(*frame, false);
        const Geometry g = geometryOf(*frame, context);
        std::optional<PictureJob> job = screenJob(cache, *frame, context, g);
        if (onGrid) {
            painter.setWorldTransform(g.localToDevice);
            if (g.highQuality)
                ApplyRenderQuality(painter, true);
            const QTransform toDevice = painter.combinedTransform();
            const QPainter::RenderHints frameHints = painter.renderHints();
            painter.setRenderHints(painter.renderHints(), false);
            painter.setRenderHints(hints, true);
            if (!job && !cache.drawn.isNull()) {
                // The composition stands; is its place on the grid the same?
                PictureJob realign;
                realign.cache = &cache;
                realign.frame = frame;
                realign.compose = false;
                realign.geometry = g;
                realign.pictureSize = cache.pictureSize;
                realign.margin = cache.pictureMargin;
                realign.pad = cache.drawnPad;
                realign.drawn = cache.drawn;
                const GridPlacement placement = gridPlacement(toDevice, realign.drawnInFrame(), cache.drawn.size());
                if (placement.worth
                    && (cache.alignedFrom != cache.drawn.cacheKey() || cache.alignedTransform != placement.local
                        || cache.alignedHints != frameHints || cache.aligned.isNull()))
                    job = std::move(realign);
            }
            if (job) {
                job->align = true;
                job->toDevice = toDevice;
                job->hints = frameHints;
            }
        }
        if (job)
            jobs.push_back(std::move(*job));
    }
    painter.setWorldTransform(world);
    if (jobs.size() == 1) {
        jobs.front().run(m_shadowMasks);
    } else if (jobs.size() > 1) {
        // Built on the global pool's threads, while this one waits. Qt's
        // raster engine hands each large draw out to that pool in stripes and
        // waits for them, unless it is drawing on one of the pool's own
        // threads: from any other thread the builders spent more of their time
        // handing stripes over and waiting than drawing.
        QtConcurrent::map(QThreadPool::globalInstance(), jobs, [this](PictureJob& job) { job.run(m_shadowMasks); })
            .waitForFinished();
    }
    for (PictureJob& job : jobs) {
        if (finishJob(job))
            job.frame->clearInvalid(kInvalidSource | kInvalidAdjusted | kInvalidPicture);
    }
}

CFrameRenderer::Result CFrameRenderer::drawScreen(CPicInfo& frame, const CFrameDrawContext& context, const Geometry& g)
{
    const bool oneOff = context.purpose == RenderPurpose::Preview;
    FrameCache& cache = cacheFor(frame, oneOff);
    if (std::optional<PictureJob> job = screenJob(cache, frame, context, g)) {
        job->run(m_shadowMasks);
        if (!finishJob(*job))
            return Result::NotDrawn;
    }
    if (!oneOff)
        frame.clearInvalid(kInvalidSource | kInvalidAdjusted | kInvalidPicture);

    const int outside = cache.pictureMargin + cache.drawnPad;
    QPainter& painter = *context.painter;
    painter.setWorldTransform(g.localToDevice);
    const QRectF drawn = g.pictureToLocal(QRectF(-outside, -outside, cache.drawn.width(), cache.drawn.height()),
                                          cache.pictureSize);
    if (!oneOff && blitAligned(cache, painter, drawn))
        return Result::Drawn;
    painter.drawImage(drawn, cache.drawn);
    return Result::Drawn;
}

// A picture drawn at a fraction of a pixel's offset or a touch larger than
// its size is sampled afresh by every repaint, and the painter hands that
// work to its threads in stripes. Drawn once into a bitmap on the device's
// pixel grid instead (the very same samples, over a transparent ground),
// a repaint copies it at a whole-pixel place.
bool CFrameRenderer::blitAligned(FrameCache& cache, QPainter& painter, const QRectF& drawn)
{
    if (!painter.device() || painter.device()->devType() != QInternal::Image)
        return false;
    const GridPlacement placement = gridPlacement(painter.combinedTransform(), drawn, cache.drawn.size());
    if (!placement.worth)
        return false;
    if (cache.aligned.isNull() || cache.alignedFrom != cache.drawn.cacheKey() || cache.alignedTransform != placement.local
        || cache.alignedHints != painter.renderHints()) {
        cache.aligned = onPixelGrid(cache.drawn, drawn, placement, painter.renderHints());
        if (cache.aligned.isNull())
            return false;
        cache.alignedFrom = cache.drawn.cacheKey();
        cache.alignedTransform = placement.local;
        cache.alignedHints = painter.renderHints();
    }
    painter.save();
    painter.resetTransform();
    const bool plain = painter.combinedTransform().isIdentity();
    if (plain)
        painter.drawImage(placement.box.topLeft(), cache.aligned);
    painter.restore();
    return plain;
}

// ---------------------------------------------------------------------------
// Output

CSourceRequest CFrameRenderer::outputRequest(const CPicInfo& frame, const Geometry& g) const
{
    const QSizeF image = imageTargetOf(frame).size();
    const QSize needed = atLeastOne(QSize(ceilToInt(image.width() * g.picture.width() / g.frame.width()),
                                          ceilToInt(image.height() * g.picture.height() / g.frame.height())));
    return CSourceRequest{frame.photo()->path(), frame.photo()->quarterTurns(), needed, PhotoDecoder::Fit::AtLeast};
}

QImage CFrameRenderer::loadSource(CPhotoItem& photo, const CSourceRequest& request,
                                  const std::optional<CDecodedPhoto>* decoded)
{
    std::optional<CDecodedPhoto> ownRead;
    if (!decoded) {
        if (checkFile(photo))
            ownRead = decodeSource(request);
        decoded = &ownRead;
    }
    if (*decoded) {
        const CDecodedPhoto& photoRead = **decoded;
        photo.recordDecoded(photoRead.hasTransparency, float(photoRead.fullSize.width()),
                            float(photoRead.fullSize.height()));
        return photoRead.image;
    }
    // The file has gone (what was last seen of it draws) or does not decode
    // (the placeholder draws); the photo's marks are set on the way.
    const QImage standIn = m_images.LoadFullImage(photo, true, true);
    photo.setFullImage(QImage());
    return standIn;
}

void CFrameRenderer::queueOutputSources(const std::vector<CPicInfo*>& frames, std::size_t needed,
                                        const CFrameDrawContext& context)
{
    m_readQueue.clear();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        CPicInfo* frame = frames[i];
        if (!needsOutputSource(*frame, context))
            continue;
        const CSourceRequest request = outputRequest(*frame, geometryOf(*frame, context));
        const qint64 bytes = qint64(request.needed.width()) * request.needed.height() * kBytesPerPixel;
        m_readQueue.push_back({frame, request, bytes, i < needed});
    }
    startReads();
}

void CFrameRenderer::startReads()
{
    const int threads = std::max(1, QThread::idealThreadCount());
    int reading = 0;
    qint64 held = 0;
    for (const auto& [frame, cache] : m_output) {
        if (cache->outputPrepared) {
            held += cache->outputImage.sizeInBytes();
        } else if (cache->prefetched.isValid()) { // not a missing file's stand-in
            ++reading;
            held += cache->prefetchBytes;
        }
    }
    // One read more than threads, so that a thread finishing its read
    // starts the next at once. The photos the draw under way needs may take
    // twice the memory of those read ahead: they are needed anyway, and the
    // frames the draw finishes make room as it goes.
    const auto fits = [&](const QueuedRead& read) {
        return reading == 0 || held + read.bytes <= (read.needed ? 2 : 1) * kOutputSourceBytes;
    };
    while (!m_readQueue.empty() && reading <= threads && fits(m_readQueue.front())) {
        const QueuedRead next = m_readQueue.front();
        m_readQueue.pop_front();
        FrameCache& cache = cacheFor(*next.frame, true);
        if (cache.outputPrepared || cache.prefetchDone)
            continue;
        cache.prefetchDone = true;
        if (!checkFile(*next.frame->photo()))
            continue; // loadSource() finds the stand-in
        cache.prefetched = QtConcurrent::run(&m_readers, [request = next.request] { return decodeSource(request); });
        cache.prefetchBytes = next.bytes;
        ++reading;
        held += next.bytes;
    }
}

bool CFrameRenderer::needsOutputSource(const CPicInfo& frame, const CFrameDrawContext& context) const
{
    if (!showsPhoto(frame, context))
        return false;
    const auto it = m_output.find(&frame);
    return it == m_output.end() || (!it->second->outputPrepared && !it->second->prefetchDone);
}

bool CFrameRenderer::prepareOutput(FrameCache& cache, const CPicInfo& frame, const CFrameDrawContext& context,
                                   const Geometry& g)
{
    cache.outputPrepared = true;
    const bool photoShown = showsPhoto(frame, context);
    quint8 uniformAlpha = kChannelMax;
    bool fillsFrame = true;
    if (photoShown) {
        const CSourceRequest request = outputRequest(frame, g);
        std::optional<CDecodedPhoto> read;
        if (cache.prefetched.isValid())
            read = cache.prefetched.result(); // runs the read here when no thread has taken it yet
        cache.prefetched = QFuture<std::optional<CDecodedPhoto>>();
        QImage image = loadSource(*frame.photo(), request, cache.prefetchDone ? &read : nullptr);
        startReads(); // this read's place goes to the next
        ++m_counts.outputSources;
        const QRectF target = imageTargetOf(frame);
        if (image.isNull() || target.isEmpty())
            return true; // nothing to show: an empty picture
        // Only the part of the image that shows in the frame is kept, when
        // leaving the rest saves enough to be worth the copy.
        const QRectF visible = target.intersected(g.frame);
        if (visible.isEmpty())
            return true;
        const double perUnitX = image.width() / target.width();
        const double perUnitY = image.height() / target.height();
        QRect crop = QRect(QPoint(floorToInt((visible.left() - target.left()) * perUnitX) - kSamplingSlack,
                                        floorToInt((visible.top() - target.top()) * perUnitY) - kSamplingSlack),
                                 QPoint(ceilToInt((visible.right() - target.left()) * perUnitX) + kSamplingSlack,
                                        ceilToInt((visible.bottom() - target.top()) * perUnitY) + kSamplingSlack))
                               .intersected(image.rect());
        if (qint64(crop.width()) * crop.height() < kCropWorthShare * qint64(image.width()) * image.height())
            image = image.copy(crop);
        else
            crop = image.rect();
        cache.outputTarget = QRectF(target.left() + crop.x() / perUnitX, target.top() + crop.y() / perUnitY,
                                    crop.width() / perUnitX, crop.height() / perUnitY);
        const CColourAdjustment adjustment = adjustmentOf(frame);
        const bool opaque = !image.hasAlphaChannel();
        if (!adjustment.isNeutral()) {
            image = MakeAdjustedCopy(image, adjustment);
            if (image.isNull())
                return false;
            uniformAlpha = CColourLookup(adjustment).alpha(kChannelMax);
        }
        cache.outputImage = image;
        fillsFrame = opaque && cache.outputTarget.contains(g.frame);
    }
    if (!g.shadow)
        return true;
    if (fillsFrame) {
        cache.plane = CShadowPlane::forRectangle(g.picture, g.margin, uniformAlpha, context.zoom, g.transparency);
    } else {
        const QRect padded(-g.margin, -g.margin, g.picture.width() + 2 * g.margin, g.picture.height() + 2 * g.margin);
        const QImage picture = renderRegion(padded, g.frame, g.picture, photoShown ? &cache.outputImage : nullptr,
                                            cache.outputTarget, context.palette.frameBack.rgba(), g.highQuality,
                                            kOutputStraightScale);
        if (picture.isNull())
            return false;
        cache.plane = CShadowPlane::fromPaddedPicture(picture, context.zoom, g.transparency);
    }
    return !cache.plane.isNull();
}

CFrameRenderer::Result CFrameRenderer::drawOutput(const CPicInfo& frame, const CFrameDrawContext& context,
                                                  const Geometry& g)
{
    FrameCache& cache = cacheFor(frame, true);
    if (!cache.outputPrepared && !prepareOutput(cache, frame, context, g))
        return Result::OutOfMemory;

    // The rows of the picture (and of its shadow) that land in the clip.
    bool invertible = false;
    const QTransform canvasToLocal = frame.placementTransform().inverted(&invertible);
    if (!invertible)
        return Result::NotDrawn;
    const QRectF onePixel(0, 0, 1.0 / g.pixelsPerUnitX, 1.0 / g.pixelsPerUnitY);
    const QRectF clipLocal = canvasToLocal.mapRect(
        context.clip.adjusted(-onePixel.width(), -onePixel.height(), onePixel.width(), onePixel.height()));
    const qreal rowHeight = (g.frame.height() + 2 * g.half.y()) / g.picture.height();
    const auto rowsFor = [&](qreal top, qreal bottom, int first, int last) {
        const int from = std::max(first, floorToInt((top + g.half.y()) / rowHeight) - kSamplingSlack);
        const int to = std::min(last, ceilToInt((bottom + g.half.y()) / rowHeight) + kSamplingSlack);
        return std::pair<int, int>(from, to);
    };
    // The columns likewise: a page of a print holds only its part of a frame
    // that spans several pages, not the whole width once per page.
    const qreal columnWidth = (g.frame.width() + 2 * g.half.x()) / g.picture.width();
    const int left = std::max(0, floorToInt((clipLocal.left() + g.half.x()) / columnWidth) - kSamplingSlack);
    const int right = std::min(g.picture.width(), ceilToInt((clipLocal.right() + g.half.x()) / columnWidth) + kSamplingSlack);

    QPainter& painter = *context.painter;
    painter.setWorldTransform(g.localToDevice);
    if (g.shadow && !cache.plane.isNull()) {
        const auto [from, to] = rowsFor(clipLocal.top() - g.shadowOffset.y(), clipLocal.bottom() - g.shadowOffset.y(),
                                        -g.margin, g.picture.height() + g.margin);
        const int shadowLeft = std::max(
            -g.margin, floorToInt((clipLocal.left() - g.shadowOffset.x() + g.half.x()) / columnWidth) - kSamplingSlack);
        const int shadowRight = std::min(g.picture.width() + g.margin,
                                         ceilToInt((clipLocal.right() - g.shadowOffset.x() + g.half.x()) / columnWidth)
                                             + kSamplingSlack);
        if (from < to && shadowLeft < shadowRight) {
            QImage rows = cache.plane.rows(from + g.margin, to - from);
            if (rows.isNull())
                return Result::OutOfMemory;
            if (shadowRight - shadowLeft < rows.width())
                rows = rows.copy(shadowLeft + g.margin, 0, shadowRight - shadowLeft, rows.height());
            const QRectF pixels(shadowLeft, from, shadowRight - shadowLeft, to - from);
            painter.drawImage(g.pictureToLocal(pixels, g.picture).translated(g.shadowOffset), rows);
        }
    }
    const auto [from, to] = rowsFor(clipLocal.top(), clipLocal.bottom(), 0, g.picture.height());
    if (from < to && left < right) {
        const QRect region(left, from, right - left, to - from);
        const bool photoShown = showsPhoto(frame, context);
        if (!photoShown || !cache.outputImage.isNull()) {
            const QImage strip = renderRegion(region, g.frame, g.picture, photoShown ? &cache.outputImage : nullptr,
                                              cache.outputTarget, context.palette.frameBack.rgba(), g.highQuality,
                                              kOutputStraightScale);
            if (strip.isNull())
                return Result::OutOfMemory;
            painter.drawImage(g.pictureToLocal(QRectF(region), g.picture), strip);
        }
    }
    return Result::Drawn;
}

// ---------------------------------------------------------------------------

void CFrameRenderer::releaseFrame(const CPicInfo& frame)
{
    m_screen.erase(&frame);
    m_output.erase(&frame);
    std::erase_if(m_readQueue, [&frame](const QueuedRead& read) { return read.frame == &frame; });
}

void CFrameRenderer::releaseOutputFrame(const CPicInfo& frame)
{
    m_output.erase(&frame);
    startReads(); // the memory it held may let the next read start
}

void CFrameRenderer::releaseScreenCaches() { m_screen.clear(); }

void CFrameRenderer::releaseOutputCaches()
{
    m_readQueue.clear();
    m_output.clear();
    // Reads of frames no longer wanted (a cancelled export) end here, not
    // after the export has returned.
    m_readers.waitForDone();
}

void CFrameRenderer::releaseAll()
{
    m_screen.clear();
    releaseOutputCaches();
}

CFrameRenderer::CacheView CFrameRenderer::screenCache(const CPicInfo& frame) const
{
    const auto it = m_screen.find(&frame);
    if (it == m_screen.end())
        return {};
    const FrameCache& cache = *it->second;
    return {cache.source, cache.adjusted, cache.picture, cache.shadow};
}

bool CFrameRenderer::hasOutputCache(const CPicInfo& frame) const { return m_output.count(&frame) != 0; }
