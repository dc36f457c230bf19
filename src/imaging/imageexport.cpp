#include "imageexport.h"

#include "bandwriter.h"
#include "collagerenderer.h"
#include "progress.h"
#include "rendermemory.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMetresPerInch = 0.0254;
// The rows of one band are at most this much memory.
constexpr qint64 kBandBytes = qint64(16) << 20;
constexpr int kBytesPerPixel = 4;
const char* const kMessageResTooHigh = "ResTooHigh";
const char* const kMessageInterrupt = "ExportInterrupt";
const char* const kMessageFailed = "ExportErr";
const char* const kMessageNoEncoder = "NoFileEncoder";

std::vector<CImageEncoder> findEncoders()
{
    std::vector<CImageEncoder> encoders;
    const QMimeDatabase mimeTypes;
    for (const QByteArray& mimeName : QImageWriter::supportedMimeTypes()) {
        const QMimeType mime = mimeTypes.mimeTypeForName(QString::fromLatin1(mimeName));
        const QList<QByteArray> formats = QImageWriter::imageFormatsForMimeType(mimeName);
        if (!mime.isValid() || formats.isEmpty() || mime.suffixes().isEmpty())
            continue;
        CImageEncoder encoder;
        encoder.mimeType = mimeName;
        encoder.format = formats.first();
        // The preferred suffix first: it is the one a name without one gets.
        encoder.extensions = mime.suffixes();
        const QString preferred = mime.preferredSuffix();
        if (!preferred.isEmpty()) {
            encoder.extensions.removeAll(preferred);
            encoder.extensions.prepend(preferred);
        }
        encoder.description = mime.comment();
        encoders.push_back(encoder);
    }
    return encoders;
}

// The canvas fills the picture: the page's zoom makes CX pixels of the
// canvas width at the bitmap's resolution.
CPageSetup pageFor(const CExportCanvas& canvas, int width)
{
    CPageSetup page;
    page.unit = canvas.unit;
    page.dpi = CPageSetup::kDefaultDpi;
    page.zoom = 1.0f;
    page.zoom = float(width / (canvas.width * page.pixelsPerUnit(page.dpi)));
    return page;
}

struct Target
{
    QSize size;
    QImage::Format format = QImage::Format_RGB32;
    QColor background;
    CPageSetup page;
    QRectF canvasRect;
};

CExportResult fromStatus(DrawStatus status)
{
    CExportResult result;
    if (status == DrawStatus::Cancelled)
        result.cancelled = true;
    else if (status == DrawStatus::OutOfMemory)
        result.messageKey = kMessageResTooHigh;
    return result;
}

CExportResult failed(const char* key)
{
    CExportResult result;
    result.messageKey = QString::fromLatin1(key);
    return result;
}

CExportResult renderWhole(CCollageRenderer& renderer, const Target& target, const CExportRequest& request,
                          const CImageEncoder& encoder, QSaveFile& file, CProgress* progress)
{
    QImage bitmap = RenderMemory::allocateOwnPages(target.size, target.format);
    if (bitmap.isNull())
        return failed(kMessageResTooHigh);
    bitmap.fill(target.background);
    {
        const std::unique_ptr<CSurface> surface = CreateSurfaceOnBitmap(bitmap, target.page);
        if (!surface)
            return failed(kMessageResTooHigh);
        const DrawStatus status = renderer.Draw(*surface, target.canvasRect, CFrameSelector::all(),
                                                CCollageRenderer::kKeepZoom, request.purpose, progress != nullptr);
        if (status != DrawStatus::Done)
            return fromStatus(status);
    }
    const int perMetre = int(std::lround(request.dotsPerInch / kMetresPerInch));
    bitmap.setDotsPerMeterX(perMetre);
    bitmap.setDotsPerMeterY(perMetre);
    if (progress)
        progress->setText(QString::fromLatin1(ExportTexts::kSaving));
    QImageWriter writer(&file, encoder.format);
    writer.setQuality(request.quality);
    if (!writer.write(bitmap))
        return failed(writer.error() == QImageWriter::DeviceError || file.error() != QFileDevice::NoError
                          ? kMessageInterrupt
                          : kMessageFailed);
    return {};
}

// Encodes bands on a thread of its own, one at a time and in order, while
// the caller renders the next band into the other of two buffers.
class BandEncoder
{
public:
    explicit BandEncoder(CBandWriter& writer)
        : m_writer(writer)
    {
        m_thread.setMaxThreadCount(1);
    }
    // Waits for the band under way: a buffer is never freed or reused while
    // the encoder reads it.
    ~BandEncoder() { wait(); }
    BandEncoder(const BandEncoder&) = delete;
    BandEncoder& operator=(const BandEncoder&) = delete;

    // The outcome of the band before, once it is written; the band's rows
    // are then being written.
    CBandWriter::Status write(const QImage& band, int rows)
    {
        const CBandWriter::Status before = wait();
        if (before != CBandWriter::Status::Ok)
            return before;
        // By address: a copy held by the task could outlive the wait and make
        // the next fill of this buffer copy it.
        const QImage* rowsOf = &band;
        m_pending = QtConcurrent::run(&m_thread, [this, rowsOf, rows] { return m_writer.writeRows(*rowsOf, rows); });
        return CBandWriter::Status::Ok;
    }
    // The outcome of the band under way, if any, once it is written.
    CBandWriter::Status wait()
    {
        if (!m_pending.isValid())
            return CBandWriter::Status::Ok;
        const CBandWriter::Status status = m_pending.result();
        m_pending = QFuture<CBandWriter::Status>();
        return status;
    }

private:
    CBandWriter& m_writer;
    QThreadPool m_thread;
    QFuture<CBandWriter::Status> m_pending;
};

CExportResult renderBands(CCollageRenderer& renderer, const Target& target, const CExportRequest& request,
                          CBandWriter& writer, QSaveFile& file, CProgress* progress)
{
    const int width = target.size.width();
    const int height = target.size.height();
    const qint64 rowsByMemory = kBandBytes / (qint64(width) * kBytesPerPixel);
    const int bandRows = int(std::clamp<qint64>(request.bandRows > 0 ? request.bandRows : rowsByMemory, 1, height));
    // Two bands: one being encoded, the next being rendered.
    QImage bands[2] = {RenderMemory::allocateOwnPages(QSize(width, bandRows), target.format),
                       RenderMemory::allocateOwnPages(QSize(width, bandRows), target.format)};
    if (bands[0].isNull() || bands[1].isNull())
        return failed(kMessageResTooHigh);
    const auto fromWriter = [&](CBandWriter::Status status) {
        return failed(status == CBandWriter::Status::DeviceError || file.error() != QFileDevice::NoError
                          ? kMessageInterrupt
                          : kMessageFailed);
    };
    const bool alpha = target.format != QImage::Format_RGB32;
    CBandWriter::Status status = writer.begin(file, target.size, request.dotsPerInch, request.quality, alpha);
    if (status != CBandWriter::Status::Ok)
        return fromWriter(status);

    const qreal pixelsPerUnitY = target.page.pixelsPerUnit(target.page.dpi);
    struct SessionScope
    {
        CCollageRenderer& renderer;
        explicit SessionScope(CCollageRenderer& r) : renderer(r) { renderer.beginOutputSession(); }
        ~SessionScope() { renderer.endOutputSession(); }
    } session(renderer);
    BandEncoder encoder(writer);
    for (int top = 0, index = 0; top < height; top += bandRows, ++index) {
        const int rows = std::min(bandRows, height - top);
        QImage& band = bands[index % 2];
        band.fill(target.background);
        {
            const std::unique_ptr<CSurface> surface = CreateSurfaceOnBitmap(band, target.page);
            if (!surface)
                return failed(kMessageResTooHigh);
            QPainter& painter = surface->painter();
            painter.setWorldTransform(painter.worldTransform() * QTransform::fromTranslate(0, -top));
            const QRectF bandRect(0, top / pixelsPerUnitY, target.canvasRect.width(), rows / pixelsPerUnitY);
            const QRectF clip = bandRect.intersected(target.canvasRect);
            if (!clip.isEmpty()) {
                const DrawStatus drawn = renderer.Draw(*surface, clip, CFrameSelector::all(), CCollageRenderer::kKeepZoom,
                                                       request.purpose, progress != nullptr);
                if (drawn != DrawStatus::Done)
                    return fromStatus(drawn);
            }
        }
        status = encoder.write(band, rows);
        if (status != CBandWriter::Status::Ok)
            return fromWriter(status);
    }
    status = encoder.wait();
    if (status != CBandWriter::Status::Ok)
        return fromWriter(status);
    if (progress)
        progress->setText(QString::fromLatin1(ExportTexts::kSaving));
    status = writer.finish();
    if (status != CBandWriter::Status::Ok)
        return fromWriter(status);
    return {};
}

} // namespace

// ---------------------------------------------------------------------------

namespace ImageEncoders {

const std::vector<CImageEncoder>& ListEncoders()
{
    static const std::vector<CImageEncoder> encoders = findEncoders();
    return encoders;
}

std::optional<CImageEncoder> FindEncoder(const QString& type)
{
    const QString wanted = type.trimmed().toLower();
    if (wanted.isEmpty())
        return std::nullopt;
    for (const CImageEncoder& encoder : ListEncoders()) {
        if (encoder.extensions.contains(wanted, Qt::CaseInsensitive) || QString::fromLatin1(encoder.format) == wanted
            || QString::fromLatin1(encoder.mimeType) == wanted)
            return encoder;
    }
    return std::nullopt;
}

std::optional<CImageEncoder> EncoderForFileName(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    if (suffix.isEmpty())
        return std::nullopt;
    for (const CImageEncoder& encoder : ListEncoders()) {
        if (encoder.extensions.contains(suffix, Qt::CaseInsensitive))
            return encoder;
    }
    return std::nullopt;
}

QStringList FileDialogFilters()
{
    QStringList all;
    QStringList filters;
    for (const CImageEncoder& encoder : ListEncoders()) {
        QStringList patterns;
        for (const QString& extension : encoder.extensions)
            patterns << QStringLiteral("*.") + extension;
        all << patterns;
        filters << QStringLiteral("%1 (%2)").arg(encoder.description, patterns.join(' '));
    }
    filters.prepend(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(kAllImageTypes), all.join(' ')));
    return filters;
}

} // namespace ImageEncoders

CExportResult ExportImage(CCollageRenderer& renderer, const CExportCanvas& canvas, const CExportRequest& request,
                          CProgress* progress)
{
    const std::optional<CImageEncoder> encoder = ImageEncoders::FindEncoder(request.type);
    if (!encoder)
        return failed(kMessageNoEncoder);
    if (request.width < 1 || request.height < 1 || !(canvas.width > 0.0f) || !(canvas.height > 0.0f)
        || request.path.isEmpty())
        return failed(kMessageFailed);

    Target target;
    target.size = QSize(request.width, request.height);
    const bool transparent = request.transparentCanvas && encoder->format == "png";
    target.format = transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    // An opaque picture has no use for a see-through canvas colour.
    target.background = transparent ? QColor(Qt::transparent) : QColor::fromRgb(canvas.colour | 0xFF000000);
    target.page = pageFor(canvas, request.width);
    target.canvasRect = QRectF(0, 0, canvas.width, canvas.height);

    if (progress) {
        progress->reset();
        progress->setText(QString::fromLatin1(ExportTexts::kProcessing));
        int framesWithPhotos = 0;
        for (const auto& frame : renderer.frames().frames())
            framesWithPhotos += frame->photo() && renderer.frames().isDrawn(*frame) ? 1 : 0;
        progress->setRange(0, framesWithPhotos);
        progress->begin();
    }
    CExportResult result;
    {
        RenderQuality::CHighQualityScope highQuality(true);
        QSaveFile file(request.path);
        if (!file.open(QIODevice::WriteOnly)) {
            result = failed(kMessageInterrupt);
        } else {
            const std::unique_ptr<CBandWriter> bands = BandWriters::forFormat(encoder->format);
            result = bands ? renderBands(renderer, target, request, *bands, file, progress)
                           : renderWhole(renderer, target, request, *encoder, file, progress);
            // QSaveFile::commit does not notice a failed flush of its write
            // buffer and would put a cut-short file in place.
            if (result.ok() && (!file.flush() || !file.commit()))
                result = failed(kMessageInterrupt);
            // Otherwise the temporary file goes with `file`.
        }
    }
    if (progress)
        progress->end();
    return result;
}
