#include "thumbnailmaker.h"

#include "exifheader.h"

#include <QFile>
#include <QImageReader>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <csetjmp>

#include <jpeglib.h>
#include <jerror.h>

namespace {

constexpr int kQuarterTurnDegrees = 90;
constexpr int kTurnsPerCircle = 4;
// The same ceiling the imaging layer decodes photos under, so a photo the
// canvas shows is never marked undecodable here.
constexpr int kDecodeLimitMiB = 1024;
// Rows decoded between two looks at the abort flag.
constexpr int kRowsPerBand = 16;
// DCT scales libjpeg-turbo has fast paths for, as eighths: 1/8, 1/4, 1/2, 1.
constexpr int kDctEighths[] = {1, 2, 4, 8};
constexpr int kDctDenominator = 8;
constexpr int kApp1Marker = JPEG_APP0 + 1;
constexpr unsigned kMaxMarkerBytes = 0xFFFF;
// A JPEG larger than this is left to Qt's reader, which reads it a piece
// at a time; a thread keeps a read buffer up to the second size between
// photos.
constexpr qint64 kMaxJpegFileBytes = 256LL * 1024 * 1024;
constexpr qint64 kKeptBufferBytes = 32LL * 1024 * 1024;
// The camera's preview sits in the first segments; this much covers them.
constexpr qint64 kHeaderBytes = 256 * 1024;

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_BGRA; // 0xAARRGGBB words, alpha 0xFF
#else
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_ARGB;
#endif

bool isSideways(int orientation) { return orientation >= 5 && orientation <= 8; }

// libjpeg reports errors by calling back; this turns them into a jump back
// to the decode, and notices a file that ends before its image data does.
struct JpegErrors
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool ranOut = false;
};

[[noreturn]] void jumpOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

void noteWarning(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<JpegErrors*>(info->err)->ranOut = true;
}

// All state of one JPEG decode. It lives in the caller's frame, so the
// jump back from an error skips no destructor (runJpeg keeps only trivial
// locals).
//
// The file is read whole, in one call, rather than through a small buffer:
// the Huffman decoder's fast path wants several kilobytes in hand at every
// MCU and takes the slow path at each buffer refill otherwise. The buffer
// is the thread's own and is kept between photos, so it costs no page
// faults after the first (mapping the file costs one per page).
struct JpegJob
{
    // Reads at most `limit` bytes of the file: all of it to decode, the
    // start to read the header.
    JpegJob(const QString& path, qint64 limit)
    {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = jumpOnError;
        errors.manager.emit_message = noteWarning;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const qint64 size = qMin(file.size(), limit);
        tooLarge = file.size() > kMaxJpegFileBytes;
        if (size <= 0 || tooLarge)
            return;
        thread_local QByteArray buffer;
        if (buffer.size() < size)
            buffer.resize(size);
        if (file.read(buffer.data(), size) != size)
            return;
        bytes = reinterpret_cast<const uchar*>(buffer.constData());
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
        jpeg_save_markers(&info, kApp1Marker, kMaxMarkerBytes);
        // An exceptionally large photo does not keep its memory.
        if (size > kKeptBufferBytes)
            release = &buffer;
    }
    ~JpegJob()
    {
        if (bytes)
            jpeg_destroy_decompress(&info);
        if (release)
            *release = QByteArray();
    }
    JpegJob(const JpegJob&) = delete;
    JpegJob& operator=(const JpegJob&) = delete;

    bool isOpen() const { return bytes != nullptr; }

    const uchar* bytes = nullptr;
    QByteArray* release = nullptr;
    bool tooLarge = false;
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    QSize box;
    const std::atomic<bool>* abort = nullptr;
    // Set by the decode:
    QSize storedSize;
    int orientation = 1;
    CExifHeader exif;
    bool otherColourModel = false; // CMYK and the like: left to Qt
    bool aborted = false;
    QImage stored; // at the DCT scale, as stored (not yet upright)
};

void readExif(JpegJob* job)
{
    for (jpeg_saved_marker_ptr marker = job->info.marker_list; marker; marker = marker->next) {
        if (marker->marker != kApp1Marker)
            continue;
        job->exif = ExifHeader::parse(
            QByteArrayView(reinterpret_cast<const char*>(marker->data), qsizetype(marker->data_length)));
        job->orientation = job->exif.orientation;
        return;
    }
}

bool readJpegHeader(JpegJob* job)
{
    if (setjmp(job->errors.jump))
        return false;
    if (jpeg_read_header(&job->info, TRUE) != JPEG_HEADER_OK)
        return false;
    job->storedSize = QSize(int(job->info.image_width), int(job->info.image_height));
    readExif(job);
    return true;
}

// The smallest power-of-two DCT scale whose picture covers `target`.
int dctEighthsFor(QSize stored, QSize target)
{
    for (int eighths : kDctEighths) {
        const qint64 width = (qint64(stored.width()) * eighths + kDctDenominator - 1) / kDctDenominator;
        const qint64 height = (qint64(stored.height()) * eighths + kDctDenominator - 1) / kDctDenominator;
        if (width >= target.width() && height >= target.height())
            return eighths;
    }
    return kDctDenominator;
}

// Only trivially destructible locals here: errors jump back to the setjmp.
bool decodeJpegScaled(JpegJob* job, QSize storedTarget)
{
    if (setjmp(job->errors.jump))
        return false;
    jpeg_decompress_struct& info = job->info;
    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        break;
    default:
        job->otherColourModel = true;
        return false;
    }
    info.out_color_space = kRgb32Space;
    info.scale_num = unsigned(dctEighthsFor(job->storedSize, storedTarget));
    info.scale_denom = kDctDenominator;
    // The picture is scaled down further anyway: the fast transform and
    // plain upsampling lose nothing visible at thumbnail size.
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    if (!jpeg_start_decompress(&info))
        return false;
    job->stored = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    if (job->stored.isNull()) {
        jpeg_abort_decompress(&info);
        return false;
    }
    JSAMPROW rows[kRowsPerBand];
    while (info.output_scanline < info.output_height) {
        if (job->abort && job->abort->load(std::memory_order_relaxed)) {
            job->aborted = true;
            jpeg_abort_decompress(&info);
            return false;
        }
        const int first = int(info.output_scanline);
        const int count = std::min<int>(kRowsPerBand, int(info.output_height) - first);
        for (int i = 0; i < count; ++i)
            rows[i] = job->stored.scanLine(first + i);
        if (jpeg_read_scanlines(&info, rows, JDIMENSION(count)) == 0)
            return false;
        if (job->errors.ranOut)
            break;
    }
    if (job->errors.ranOut) {
        jpeg_abort_decompress(&info);
        return false;
    }
    jpeg_finish_decompress(&info);
    return !job->errors.ranOut;
}

bool looksLikeJpeg(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.read(3);
    return start.size() == 3 && uchar(start[0]) == 0xFF && uchar(start[1]) == 0xD8 && uchar(start[2]) == 0xFF;
}

QImage asOwnFormat(QImage image)
{
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return image;
}

CRenderedThumbnail renderWithJpegTurbo(const QString& path, QSize box, const std::atomic<bool>* abort,
                                       bool* tryOtherReader)
{
    CRenderedThumbnail result;
    JpegJob job(path, kMaxJpegFileBytes);
    job.box = box;
    job.abort = abort;
    *tryOtherReader = job.tooLarge;
    if (!job.isOpen() || !readJpegHeader(&job) || job.storedSize.isEmpty())
        return result;
    const bool sideways = isSideways(job.orientation);
    result.fullSize = sideways ? job.storedSize.transposed() : job.storedSize;
    const QSize target = ThumbnailMaker::fittedSize(result.fullSize, box);
    const QSize storedTarget = sideways ? target.transposed() : target;
    if (!decodeJpegScaled(&job, storedTarget)) {
        if (job.aborted)
            result.outcome = CRenderedThumbnail::Outcome::Aborted;
        *tryOtherReader = job.otherColourModel;
        return result;
    }
    QImage image = job.stored.size() == storedTarget
        ? job.stored
        : job.stored.scaled(storedTarget, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image = ThumbnailMaker::oriented(image, job.orientation);
    if (image.isNull())
        return result;
    result.image = image;
    result.outcome = CRenderedThumbnail::Outcome::Rendered;
    return result;
}

CRenderedThumbnail renderWithQt(const QString& path, QSize box)
{
    CRenderedThumbnail result;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kDecodeLimitMiB);
    const bool sideways = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize stored = reader.size();
    if (stored.isValid() && !stored.isEmpty()) {
        result.fullSize = sideways ? stored.transposed() : stored;
        const QSize target = ThumbnailMaker::fittedSize(result.fullSize, box);
        reader.setScaledSize(sideways ? target.transposed() : target);
    }
    QImage image = reader.read();
    if (image.isNull())
        return result;
    if (!result.fullSize.isValid())
        result.fullSize = image.size(); // this reader tells the size only by decoding
    image = asOwnFormat(ThumbnailMaker::fitted(image, box));
    if (image.isNull())
        return result;
    result.image = image;
    result.outcome = CRenderedThumbnail::Outcome::Rendered;
    return result;
}

} // namespace

namespace ThumbnailMaker {

QSize fittedSize(QSize size, QSize box)
{
    if (size.isEmpty() || box.isEmpty())
        return {};
    const double scale = std::min(double(box.width()) / size.width(), double(box.height()) / size.height());
    return QSize(std::max(1, int(std::lround(size.width() * scale))),
                 std::max(1, int(std::lround(size.height() * scale))));
}

QImage fitted(const QImage& image, QSize box)
{
    const QSize size = fittedSize(image.size(), box);
    if (image.isNull() || size == image.size())
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage turned(const QImage& image, int quarterTurns)
{
    const int turns = ((quarterTurns % kTurnsPerCircle) + kTurnsPerCircle) % kTurnsPerCircle;
    if (image.isNull() || turns == 0)
        return image;
    // Exact right angles: Qt moves the pixels without resampling.
    return image.transformed(QTransform().rotate(turns * kQuarterTurnDegrees));
}

QImage oriented(const QImage& image, int orientation)
{
    // As the EXIF standard lists them, and as Qt's readers apply them: a
    // mirror or flip first, then a quarter turn clockwise.
    switch (orientation) {
    case 2: return image.mirrored(true, false);
    case 3: return turned(image, 2);
    case 4: return image.mirrored(false, true);
    case 5: return turned(image.mirrored(false, true), 1);
    case 6: return turned(image, 1);
    case 7: return turned(image.mirrored(true, false), 1);
    case 8: return turned(image, 3);
    default: return image;
    }
}

CRenderedThumbnail render(const QString& path, QSize box, const std::atomic<bool>* abort)
{
    if (looksLikeJpeg(path)) {
        bool tryOtherReader = false;
        CRenderedThumbnail result = renderWithJpegTurbo(path, box, abort, &tryOtherReader);
        if (!tryOtherReader)
            return result;
    }
    return renderWithQt(path, box);
}

QImage embedded(const QString& path, QSize box)
{
    JpegJob job(path, kHeaderBytes);
    if (!job.isOpen() || !readJpegHeader(&job) || !job.exif.hasThumbnail() || job.storedSize.isEmpty())
        return {};
    QByteArray bytes;
    for (jpeg_saved_marker_ptr marker = job.info.marker_list; marker; marker = marker->next) {
        if (marker->marker == kApp1Marker) {
            bytes = QByteArray(reinterpret_cast<const char*>(marker->data) + job.exif.thumbnailOffset,
                               job.exif.thumbnailLength);
            break;
        }
    }
    const QImage preview = QImage::fromData(bytes, "JPEG");
    if (preview.isNull())
        return {};
    // Cameras fit the preview into a fixed 4:3 box and pad the rest; keep
    // the middle part that has the photo's proportions.
    QSize photoArea = job.storedSize.scaled(preview.size(), Qt::KeepAspectRatio);
    photoArea = photoArea.boundedTo(preview.size()).expandedTo(QSize(1, 1));
    const QRect crop(QPoint((preview.width() - photoArea.width()) / 2, (preview.height() - photoArea.height()) / 2),
                     photoArea);
    const QSize target = fittedSize(job.storedSize, isSideways(job.orientation) ? box.transposed() : box);
    if (crop.width() < target.width() || crop.height() < target.height())
        return {};
    QImage image = preview.copy(crop).scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return asOwnFormat(oriented(image, job.orientation));
}

} // namespace ThumbnailMaker
