#pragma once
// Photo files as bitmaps. A photo of the collection keeps two bitmaps from
// this layer: the full image (the file decoded at its own size, kept only
// while a caller needs it) and the working copy (at most 500 × 500 pixels,
// kept while the photo is in use), which is what the canvas, thumbnails and
// layout draw from so that they never touch full-size photos.
//
// Every bitmap is upright: a camera's EXIF orientation is applied when the
// file is decoded. The photo's own quarter turns come on top, where asked.

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>

class CMyPhotos;
class CPhotoItem;

inline constexpr int kWorkingCopyMaxSide = 500;

struct CDecodedPhoto
{
    // Upright. RGB32 when the file has no alpha channel, else premultiplied
    // ARGB.
    QImage image;
    // The whole image upright in pixels, before any reduction.
    QSize fullSize;
    // The decoder reports an alpha channel.
    bool hasTransparency = false;
};

namespace PhotoDecoder {

// Decodes a photo file. With `fitInside` valid, an image larger than it in
// either direction comes back fitted inside it (aspect kept, each side
// rounded and at least 1) as a full decode followed by the high-quality
// downscale would make it; a JPEG is then decoded at a reduced DCT scale,
// so a 12 MP photo is never decoded whole for a small copy.
// Empty when the file cannot be opened or does not decode: not an image,
// damaged, too large to allocate, or a JPEG whose data ends before any of
// the picture. A JPEG that ends part-way gives what was decoded, the rest
// grey.
// Safe from any thread.
//
// With `Fit::AtLeast`, an image that decodes to at most kDecoderStepSlack
// times the fitted size (a JPEG at the decoder's reduced scale, typically)
// comes back at that size, never smaller than the fitted one: for a caller
// that resamples it anyway as it draws, which then does in one step what the
// downscale would do first, without the downscale's pass and copy.
enum class Fit { Exactly, AtLeast };
inline constexpr double kDecoderStepSlack = 4.0 / 3.0;
std::optional<CDecodedPhoto> decode(const QString& path, QSize fitInside = {}, Fit fit = Fit::Exactly);

// `fullSize` fitted inside `box` when it is larger in either direction,
// else unchanged.
QSize fittedSize(QSize fullSize, QSize box);

} // namespace PhotoDecoder

// Turns by (to − from) clockwise quarter turns, the difference reduced to
// −3..3 with the sign of the dividend: 1 or −3 turn 90° clockwise, ±2 turn
// 180°, 3 or −1 turn 270°. The image is turned in place; the rectangle
// swaps width and height on a 90° or 270° turn. Either may be null.
void RotateQuarterTurns(QImage* image, QRectF* rect, int from, int to);

// The imaging operations on the photos of one collection. User-interface
// thread (they change the photo's cached bitmaps and marks); the decoder
// above is what a worker thread uses.
class CPhotoImage
{
public:
    explicit CPhotoImage(CMyPhotos& photos);

    // The cached full image, or when there is none or `forceReload` is set,
    // the file decoded again. The file's existence is checked first (which
    // sets or clears the photo's missing mark). A missing file yields the
    // best picture the photo still has in memory (working copy, preview,
    // thumbnail), else the placeholder; an undecodable one the placeholder,
    // and marks the photo invalid. A good decode clears the invalid mark and
    // records transparency and pixel size (after the quarter turns).
    // The cache holds the image untouched; `turned` returns it turned by the
    // photo's quarter turns.
    QImage LoadFullImage(CPhotoItem& photo, bool forceReload, bool turned);

    // The cached working copy unless `force` is set or it is marked dirty;
    // a photo marked missing keeps the copy it has. A rebuild fits the
    // image into 500 × 500 when larger (high-quality downscale), turns it
    // by the quarter turns, caches it and lets go of the full image. Built
    // straight from the file at reduced scale when no full image is cached.
    QImage GetWorkingCopy(CPhotoItem& photo, bool force = false);

private:
    // The photo upright, not turned: decoded (fitted inside `fitInside` when
    // valid) or its stand-in.
    QImage loadUpright(CPhotoItem& photo, QSize fitInside);
    // What is left of a photo whose file has gone, upright.
    QImage lastSeenImage(const CPhotoItem& photo);

    CMyPhotos& m_photos;
};
