#pragma once
// How one frame is drawn: its photo through the colour adjustment into a
// frame picture, the soft shadow under it, the border over it.
//
// On the screen a frame keeps three cached pictures that are rebuilt only
// when its invalid parts or what they were made from say so: the source
// copy (the photo's working copy, or for high-quality work the photo read
// at the size the frame shows it), the adjusted copy (the source through
// the frame's tone adjustment) and the frame picture (the frame at the
// current zoom, at most 700 pixels on a side, with its shadow mask, kept
// composed as the screen draws it). Output renders (export, printing,
// images for sending) keep only the photo, read at the size the output
// needs, and the frame's shadow while the frame is being drawn, and build
// the part of the frame picture the output region needs, so a poster can be
// drawn in bands; their caches go once the frame is drawn.
//
// Owned by the collage renderer. User-interface thread only; the photo
// decodes and picture builds it hands to its worker threads work on copies.

#include "borderinfo.h"
#include "coloradjust.h"
#include "photoimage.h"
#include "shadowmask.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QThreadPool>
#include <QTransform>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class CMyPhotos;
class CPhotoImage;
class CPhotoItem;
class CPicInfo;
class QPainter;

// What a render is for. Set by the frame collection for the length of one
// render.
namespace RenderPurpose {
// The normal canvas render: selection decorations are drawn too.
inline constexpr int Canvas = 0;
// Other screen renders: no decorations.
inline constexpr int Screen = 1;
// The project's preview picture: screen sources, one-off caches.
inline constexpr int Preview = 2;
// From here on renders are for output: full resolution, highest quality,
// never capped, caches released afterwards.
inline constexpr int Export = 3;
inline constexpr int Print = 4;
inline constexpr int Send = 5;

inline bool isOutput(int purpose) { return purpose >= Export; }
} // namespace RenderPurpose

// The renderer's own named brushes and pens (the "FrameBack" brush and the
// "FrameBorder" pen): how a frame without a photo looks, and how a printer
// page segment is outlined on the screen.
struct CRenderPalette
{
    QColor frameBack = QColor(0xD8, 0xD6, 0xCC);
    QColor frameBorder = QColor(0x80, 0x80, 0x80);
    QColor pageSegment = QColor(0x30, 0x60, 0xC0);
};

// Everything the drawing of one frame depends on besides the frame.
struct CFrameDrawContext
{
    QPainter* painter = nullptr;
    // Canvas units to device pixels: the surface's page set-up with the
    // view's translation. No rotation.
    QTransform canvasToDevice;
    // The page scale; picks the shadow's softness.
    float zoom = 1.0f;
    int purpose = RenderPurpose::Canvas;
    // The document draws frames from full-resolution photos (preview
    // quality Excellent or "High Quality Images").
    bool fullResolution = false;
    // A zoom is under way: a cached picture is reused at the new size
    // rather than rebuilt.
    bool renderFast = false;
    // The frame is being moved or resized with the mouse.
    bool dragged = false;
    // The part of the canvas being drawn, canvas units.
    QRectF clip;
    // Document-wide styles.
    BorderInfo border;
    bool shadowEnabled = true;
    // Frames drawn as in a template: no photos.
    bool asTemplate = false;
    CRenderPalette palette;
    // Selection decorations, called at purpose Canvas after the frame with
    // the painter in the frame's own coordinates ((0, 0) to its size,
    // canvas units, turned by its rotation).
    std::function<void(QPainter&, const CPicInfo&)> decorate;
};

// A photo read for drawing at (about) the pixel size the frame shows it:
// upright, turned by the photo's quarter turns.
struct CSourceRequest
{
    QString path;
    int quarterTurns = 0;
    // The size wanted, in the turned orientation; the file is read at its
    // own size when that is smaller.
    QSize needed;
    // Output draws take a JPEG at the decoder's reduced size.
    PhotoDecoder::Fit fit = PhotoDecoder::Fit::Exactly;
};

class CFrameRenderer
{
public:
    // The screen cap: a frame picture for the screen measures at most this
    // many pixels on its larger side.
    static constexpr int kScreenPictureCap = 700;
    // The shadow lies this many canvas units right of and below the picture
    // on the page, whatever the frame's rotation.
    static constexpr float kShadowOffset = 0.015f;
    // A frame narrower or lower than this is never drawn.
    static constexpr float kMinFrameExtent = 1.19209290e-07f;
    // The picture is drawn this many device pixels larger on every side so
    // that neighbouring frames leave no hairline between them.
    static constexpr qreal kEnlargementPixels = 0.5;

    // The frame's invalid parts as this renderer reads them.
    static constexpr quint32 kInvalidSource = 0x001;
    static constexpr quint32 kInvalidAdjusted = 0x10000 | 0x20000; // tone, alpha
    static constexpr quint32 kInvalidPicture = 0x100 | 0x200 | 0x20000;

    enum class Result { Drawn, NotDrawn, OutOfMemory };

    // `photos` is the collection that checks photo files (and marks them
    // missing); without one files are read as they are. Both must outlive
    // the renderer.
    CFrameRenderer(CPhotoImage& images, CMyPhotos* photos);
    ~CFrameRenderer();
    CFrameRenderer(const CFrameRenderer&) = delete;
    CFrameRenderer& operator=(const CFrameRenderer&) = delete;

    // Draws the frame: nothing when it is hidden, has no area, or lies
    // outside the clip. OutOfMemory when an output render could not make a
    // picture it needed (a screen render skips the frame instead).
    // Screen renders clear the invalid parts they rebuilt; the other
    // renders leave them for the screen's caches.
    Result draw(CPicInfo& frame, const CFrameDrawContext& context);

    // Screen renders: brings the cached pictures of those frames that the
    // context's clip meets up to date, building the pictures due on all
    // cores at once, so that the draws that follow only copy them. Optional;
    // draw() builds what is missing itself.
    void prepareScreen(const std::vector<CPicInfo*>& frames, const CFrameDrawContext& context);

    // Output renders: the frames whose photos the next draws will need, in
    // the order they will need them, the first `needed` by the draw under
    // way. Their photos are read on worker threads, a few at a time (bounded
    // by count and by memory), each read starting as an earlier one is
    // drawn or its frame let go; a call replaces the last one's list.
    // Optional; draw() reads what is missing itself.
    void queueOutputSources(const std::vector<CPicInfo*>& frames, std::size_t needed, const CFrameDrawContext& context);
    // Whether an output draw of the frame would read its photo first.
    bool needsOutputSource(const CPicInfo& frame, const CFrameDrawContext& context) const;

    // The area the frame's drawing can touch (outline, enlargement, border
    // and shadow), canvas units.
    QRectF drawnBounds(const CPicInfo& frame, const CFrameDrawContext& context) const;

    void releaseFrame(const CPicInfo& frame);
    void releaseOutputFrame(const CPicInfo& frame);
    void releaseScreenCaches();
    void releaseOutputCaches();
    void releaseAll();

    // What a frame's screen cache holds; for tests and the view's memory
    // accounting. Null pictures where nothing is cached. The picture and
    // the shadow carry the shadow's margin around the frame, if it has one.
    struct CacheView
    {
        QImage source;
        QImage adjusted;
        QImage picture;
        QImage shadow;
    };
    CacheView screenCache(const CPicInfo& frame) const;
    bool hasOutputCache(const CPicInfo& frame) const;
    // How many pictures the caches have built so far: sources, adjusted
    // copies, frame pictures, and the photos read for output renders.
    // Counts up only.
    struct BuildCounts
    {
        int sources = 0;
        int adjusted = 0;
        int pictures = 0;
        int outputSources = 0;
    };
    BuildCounts buildCounts() const { return m_counts; }

    // The photo read for drawing (see CSourceRequest), turned, with its
    // full size in the turned orientation. Safe from any thread; empty
    // when the file does not decode.
    static std::optional<CDecodedPhoto> decodeSource(const CSourceRequest& request);

private:
    struct FrameCache;
    struct Geometry;
    struct PictureJob;

    FrameCache& cacheFor(const CPicInfo& frame, bool output);
    Geometry geometryOf(const CPicInfo& frame, const CFrameDrawContext& context) const;
    bool showsPhoto(const CPicInfo& frame, const CFrameDrawContext& context) const;

    // Screen: the three cached pictures, each rebuilt only when needed.
    Result drawScreen(CPicInfo& frame, const CFrameDrawContext& context, const Geometry& geometry);
    bool updateSource(FrameCache& cache, const CPicInfo& frame, const CFrameDrawContext& context,
                      const Geometry& geometry);
    bool updateAdjusted(FrameCache& cache, const CPicInfo& frame, bool sourceChanged);
    // Updates the source and adjusted copies; the picture work due, if any.
    std::optional<PictureJob> screenJob(FrameCache& cache, CPicInfo& frame, const CFrameDrawContext& context,
                                        const Geometry& geometry);
    // Copies the frame's drawn picture kept on the device's pixel grid;
    // false when the painter's device does not allow it.
    bool blitAligned(FrameCache& cache, QPainter& painter, const QRectF& drawn);
    // Puts a job's results in its cache; false when there is nothing to draw.
    bool finishJob(PictureJob& job);
    // Whether draw() would draw the frame's picture (rather than nothing or
    // a page segment).
    bool drawsPicture(const CPicInfo& frame, const CFrameDrawContext& context) const;

    // Output: the photo at the size the output needs, the frame picture
    // built for the region being drawn.
    Result drawOutput(const CPicInfo& frame, const CFrameDrawContext& context, const Geometry& geometry);
    bool prepareOutput(FrameCache& cache, const CPicInfo& frame, const CFrameDrawContext& context,
                       const Geometry& geometry);
    CSourceRequest outputRequest(const CPicInfo& frame, const Geometry& geometry) const;
    void startReads();

    // The photo read at a size, or what stands in for it when its file has
    // gone or does not decode. `decoded` is a read done beforehand, if any.
    QImage loadSource(CPhotoItem& photo, const CSourceRequest& request,
                      const std::optional<CDecodedPhoto>* decoded);

    void drawBorderAndOutline(const CPicInfo& frame, const CFrameDrawContext& context, const Geometry& geometry);

    // Whether the photo's file is there (marking it missing when not).
    bool checkFile(CPhotoItem& photo);

    struct QueuedRead
    {
        CPicInfo* frame = nullptr;
        CSourceRequest request;
        qint64 bytes = 0;
        bool needed = false; // by the draw under way
    };

    CPhotoImage& m_images;
    CMyPhotos* m_photos;
    // Declared before the caches, so that it outlives their reads.
    QThreadPool m_readers;
    std::deque<QueuedRead> m_readQueue;
    std::unordered_map<const CPicInfo*, std::unique_ptr<FrameCache>> m_screen;
    std::unordered_map<const CPicInfo*, std::unique_ptr<FrameCache>> m_output;
    BuildCounts m_counts;
    CShadowMaskCache m_shadowMasks; // screen pictures only
};
