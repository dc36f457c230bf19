#include "photoimage.h"

#include "fitrect.h"
#include "myphotos.h"
#include "photoitem.h"
#include "rendermemory.h"

#include <QFile>
#include <QImageReader>
#include <QMutexLocker>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kQuarterTurnDegrees = 90;
// A photo may take this much memory decoded (a 16,000-pixel square); Qt's
// own default would refuse photos above about 64 megapixels. Anything
// larger is refused like a damaged file.
constexpr int kWholeDecodeLimitMiB = 1024;
const QByteArray kJpegFormat = QByteArrayLiteral("jpeg");

// A read-only file that notices when its reader asks for bytes beyond the
// end. Qt's JPEG decoder answers a file cut short by inventing an end
// marker and grey-filling the rest; this is how that is told apart from a
// whole file, where the decoder stops at the real end marker.
class EndWatchingFile : public QIODevice
{
public:
    explicit EndWatchingFile(const QString& path)
        : m_file(path)
    {
    }

    bool openForReading()
    {
        return m_file.open(QIODevice::ReadOnly) && QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    // From now on, a read that finds nothing left counts.
    void watch() { m_watching = true; }
    bool ranOut() const { return m_ranOut; }

    qint64 size() const override { return m_file.size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && m_file.seek(pos); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = m_file.read(data, maxSize);
        if (count <= 0 && maxSize > 0 && m_watching)
            m_ranOut = true;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QFile m_file;
    bool m_watching = false;
    bool m_ranOut = false;
};

// A JPEG cut short before its picture data decodes to the decoder's fill,
// with at most a scrap in the first block (a block of the largest chroma
// subsampling is 16 pixels square, less in a reduced decode).
bool isFillOnly(const QImage& image, QSize fullSize)
{
    constexpr int kLargestBlock = 16;
    const int scrap = 1 + (kLargestBlock * image.width() + fullSize.width() - 1) / std::max(1, fullSize.width());
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const QRgb fill = pixels.pixel(pixels.width() - 1, pixels.height() - 1);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        const int from = y < scrap ? std::min(scrap, pixels.width()) : 0;
        if (std::any_of(line + from, line + pixels.width(), [fill](QRgb pixel) { return pixel != fill; }))
            return false;
    }
    return true;
}

// The size a JPEG of `stored` pixels decodes to at the smallest of the
// decoder's scales (eighths) that covers `wanted`: the scale Qt's reader
// picks for a size asked of it, and libjpeg's rounding up.
QSize dctReducedSize(QSize stored, QSize wanted)
{
    constexpr int kEighths = 8;
    int eighths = 1;
    while (eighths < kEighths
           && (qint64(stored.width()) * eighths < qint64(wanted.width()) * kEighths
               || qint64(stored.height()) * eighths < qint64(wanted.height()) * kEighths))
        ++eighths;
    return QSize(int((qint64(stored.width()) * eighths + kEighths - 1) / kEighths),
                 int((qint64(stored.height()) * eighths + kEighths - 1) / kEighths));
}

QImage turnedBy(const QImage& image, int quarterTurns)
{
    QImage turned = image;
    RotateQuarterTurns(&turned, nullptr, 0, quarterTurns);
    return turned;
}

// Bitmaps this program makes are premultiplied ARGB.
QImage asOwnBitmap(QImage image)
{
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}

} // namespace

// ---------------------------------------------------------------------------
// PhotoDecoder

namespace PhotoDecoder {

QSize fittedSize(QSize fullSize, QSize box)
{
    if (fullSize.width() <= box.width() && fullSize.height() <= box.height())
        return fullSize;
    QRectF fitted(QPointF(0, 0), QSizeF(fullSize));
    FitRect(fitted, QRectF(QPointF(0, 0), QSizeF(box)),
            FitOption::KeepInside | FitOption::MinimumSizeOne | FitOption::Centred);
    return QSize(std::max(1, int(std::lround(fitted.width()))), std::max(1, int(std::lround(fitted.height()))));
}

std::optional<CDecodedPhoto> decode(const QString& path, QSize fitInside, Fit fit)
{
    EndWatchingFile file(path);
    if (!file.openForReading())
        return std::nullopt;
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kWholeDecodeLimitMiB);
    const bool jpeg = reader.format() == kJpegFormat;
    // Orientations 5 to 8 store the picture on its side; the decoder's
    // sizes are the stored ones.
    const bool sideways = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize storedSize = reader.size();
    QSize fullSize = storedSize.isValid() ? (sideways ? storedSize.transposed() : storedSize) : QSize();

    const bool fitting = fitInside.isValid();
    QImage image;
    if (jpeg && fitting && fullSize.isValid()) {
        const QSize target = fittedSize(fullSize, fitInside);
        const QSize reduced = dctReducedSize(storedSize, sideways ? target.transposed() : target);
        // Asked for exactly the size of one of its scales, the decoder
        // writes into the bitmap given it rather than one of its own.
        if (reduced != storedSize)
            reader.setScaledSize(reduced);
        image = RenderMemory::allocateOwnPages(reduced, QImage::Format_RGB32, false);
    }

    file.watch();
    if (!reader.read(&image))
        return std::nullopt;
    if (!fullSize.isValid())
        fullSize = image.size(); // this decoder could not tell the size before decoding
    // A camera card pulled too early leaves the top of the photo: it is
    // shown with the rest grey, as the decoder fills it.
    if (jpeg && file.ranOut() && isFillOnly(image, fullSize))
        return std::nullopt;

    CDecodedPhoto decoded;
    decoded.fullSize = fullSize;
    decoded.hasTransparency = image.hasAlphaChannel();
    image.convertTo(decoded.hasTransparency ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (fitting) {
        const QSize target = fittedSize(fullSize, fitInside);
        const bool nearEnough = fit == Fit::AtLeast && image.width() >= target.width()
            && image.height() >= target.height() && image.width() <= kDecoderStepSlack * target.width()
            && image.height() <= kDecoderStepSlack * target.height();
        if (image.size() != target && !nearEnough)
            image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (image.isNull())
        return std::nullopt; // the conversion or the scaling ran out of memory
    decoded.image = image;
    return decoded;
}

} // namespace PhotoDecoder

// ---------------------------------------------------------------------------
// Quarter turns

void RotateQuarterTurns(QImage* image, QRectF* rect, int from, int to)
{
    const int turns = (to - from) % CPhotoItem::kQuarterTurnsPerTurn;
    if (turns == 0)
        return;
    const int clockwise = CPhotoItem::normalisedTurns(turns);
    if (image && !image->isNull()) {
        // Exact right angles: Qt moves the pixels without resampling.
        *image = image->transformed(QTransform().rotate(clockwise * kQuarterTurnDegrees));
    }
    if (rect && clockwise % 2 != 0)
        rect->setSize(rect->size().transposed());
}

// ---------------------------------------------------------------------------
// CPhotoImage

CPhotoImage::CPhotoImage(CMyPhotos& photos)
    : m_photos(photos)
{
}

QImage CPhotoImage::LoadFullImage(CPhotoItem& photo, bool forceReload, bool turned)
{
    if (forceReload || photo.fullImage().isNull()) {
        photo.setFullImage(QImage()); // let go of the old one before decoding the new
        photo.setFullImage(loadUpright(photo, QSize()));
    }
    return turned ? turnedBy(photo.fullImage(), photo.quarterTurns()) : photo.fullImage();
}

QImage CPhotoImage::GetWorkingCopy(CPhotoItem& photo, bool force)
{
    if (!photo.workingCopy().isNull()) {
        if (!force && !photo.isWorkingCopyDirty())
            return photo.workingCopy();
        if (photo.isMissing())
            return photo.workingCopy();
    }

    const QSize box(kWorkingCopyMaxSide, kWorkingCopyMaxSide);
    const QImage upright = (force || photo.fullImage().isNull()) ? loadUpright(photo, box) : photo.fullImage();
    const QSize size = PhotoDecoder::fittedSize(upright.size(), box);
    // Scaled before it is converted, so a full image is not copied whole.
    QImage copy = upright.size() == size ? upright : upright.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    copy = asOwnBitmap(copy);
    RotateQuarterTurns(&copy, nullptr, 0, photo.quarterTurns());
    photo.setWorkingCopy(copy);
    photo.setFullImage(QImage());
    return copy;
}

QImage CPhotoImage::loadUpright(CPhotoItem& photo, QSize fitInside)
{
    if (!m_photos.CheckFile(photo))
        return lastSeenImage(photo);
    const std::optional<CDecodedPhoto> decoded = PhotoDecoder::decode(photo.path(), fitInside);
    if (!decoded) {
        photo.recordUndecodable();
        return m_photos.invalidPlaceholder(); // shared until written to, so the caller's own
    }
    const bool sideways = CPhotoItem::normalisedTurns(photo.quarterTurns()) % 2 != 0;
    const QSize turnedSize = sideways ? decoded->fullSize.transposed() : decoded->fullSize;
    photo.recordDecoded(decoded->hasTransparency, float(turnedSize.width()), float(turnedSize.height()));
    return decoded->image;
}

QImage CPhotoImage::lastSeenImage(const CPhotoItem& photo)
{
    // The photo's cached pictures are held turned; the caller wants the
    // picture as the file would give it.
    if (!photo.workingCopy().isNull())
        return turnedBy(photo.workingCopy(), -photo.quarterTurns());
    if (!photo.preview().isNull())
        return turnedBy(photo.preview(), -photo.quarterTurns());
    QImage thumbnail;
    {
        QMutexLocker lock(&m_photos.mutex());
        thumbnail = photo.thumbnail();
    }
    if (!thumbnail.isNull())
        return turnedBy(thumbnail, -photo.quarterTurns());
    return m_photos.invalidPlaceholder();
}
