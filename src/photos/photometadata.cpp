#include "photometadata.h"

#include <QFile>
#include <QImageReader>
#include <QPixelFormat>

#include <mutex>

// Exiv2 0.27 hands out std::auto_ptr; the deprecation is its own business.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

namespace {

constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;
// Larger than any field of a date; keeps the digit loop from overflowing.
constexpr long long kNumberCap = 1'000'000'000LL;

const char* const kDateKeys[] = {
    "Exif.Photo.DateTimeOriginal", // ExifTag::DateTimeOriginal
    "Exif.Image.DateTime",         // ExifTag::DateTime
};
const char* const kOrientationKey = "Exif.Image.Orientation";

// Reads text the way the C library's scanf reads "%d" and literal characters.
class ScanReader
{
public:
    explicit ScanReader(const QByteArray& text)
        : m_pos(text.constData())
        , m_end(text.constData() + text.size())
    {
    }

    // "%d": white space skipped, an optional sign, at least one digit.
    bool readNumber(long long* out)
    {
        skipSpace();
        bool negative = false;
        if (m_pos < m_end && (*m_pos == '+' || *m_pos == '-'))
            negative = *m_pos++ == '-';
        if (m_pos >= m_end || !isDigit(*m_pos))
            return false;
        long long value = 0;
        while (m_pos < m_end && isDigit(*m_pos)) {
            value = qMin(value * 10 + (*m_pos - '0'), kNumberCap);
            ++m_pos;
        }
        *out = negative ? -value : value;
        return true;
    }

    // An ordinary pattern character must match exactly.
    bool readLiteral(char c)
    {
        if (m_pos >= m_end || *m_pos != c)
            return false;
        ++m_pos;
        return true;
    }

    // A space in the pattern matches any run of white space, even none.
    void skipSpace()
    {
        while (m_pos < m_end && isSpace(*m_pos))
            ++m_pos;
    }

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    const char* m_pos;
    const char* m_end;
};

struct ExifFacts
{
    std::optional<QDateTime> date;
    int orientation = PhotoMetadata::kNormalOrientation;
};

void initialiseExiv2Once()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Damaged files are expected here; their warnings are no use to the user.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        // Makes the XMP parser safe to use from several threads.
        Exiv2::XmpParser::initialize();
    });
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
ExifFacts readExif(const QString& path)
{
    initialiseExiv2Once();
    ExifFacts facts;
    try {
        // A plain file object, never the factory's path guessing, which would
        // treat names like "http://..." or "-" as a URL or standard input.
        Exiv2::BasicIo::AutoPtr io(new Exiv2::FileIo(QFile::encodeName(path).toStdString()));
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(io);
        if (!image.get())
            return facts;
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        for (const char* key : kDateKeys) {
            const auto it = exif.findKey(Exiv2::ExifKey(key));
            if (it == exif.end())
                continue;
            if (auto date = PhotoMetadata::parseExifDate(QByteArray::fromStdString(it->toString()))) {
                facts.date = date;
                break;
            }
        }
        const auto orientation = exif.findKey(Exiv2::ExifKey(kOrientationKey));
        if (orientation != exif.end() && orientation->count() > 0) {
            const long value = orientation->toLong();
            if (value >= PhotoMetadata::kNormalOrientation && value <= PhotoMetadata::kLastOrientation)
                facts.orientation = int(value);
        }
    } catch (const std::exception&) {
        // Not a format Exiv2 knows, or damaged metadata: no EXIF facts.
    } catch (...) {
    }
    return facts;
}
#pragma GCC diagnostic pop

bool formatHasAlpha(QImage::Format format)
{
    if (format == QImage::Format_Invalid)
        return false;
    return QImage::toPixelFormat(format).alphaUsage() == QPixelFormat::UsesAlpha;
}

} // namespace

namespace PhotoMetadata {

std::optional<QDateTime> parseExifDate(const QByteArray& text)
{
    ScanReader reader(text);
    long long year, month, day, hour, minute, second;
    const bool allSix = reader.readNumber(&year) && reader.readLiteral(':') && reader.readNumber(&month)
        && reader.readLiteral(':') && reader.readNumber(&day) && (reader.skipSpace(), true)
        && reader.readNumber(&hour) && reader.readLiteral(':') && reader.readNumber(&minute)
        && reader.readLiteral(':') && reader.readNumber(&second);
    if (!allSix || year < kMinYear || year > kMaxYear)
        return std::nullopt;
    const QDate date(int(year), int(qBound(0LL, month, 13LL)), int(qBound(0LL, day, 32LL)));
    const QTime time(int(qBound(-1LL, hour, 24LL)), int(qBound(-1LL, minute, 60LL)),
                     int(qBound(-1LL, second, 60LL)));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

CPhotoMetadata read(const QString& path)
{
    CPhotoMetadata meta;
    QImageReader reader(path);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return meta;
    QSize size = reader.size();
    if (size.isValid() && !size.isEmpty()) {
        meta.hasAlpha = formatHasAlpha(reader.imageFormat());
    } else {
        // This decoder cannot tell the size from the header alone.
        const QImage image = reader.read();
        if (image.isNull())
            return meta;
        size = image.size();
        meta.hasAlpha = image.hasAlphaChannel();
    }
    meta.decodes = true;

    const ExifFacts exif = readExif(path);
    meta.orientation = exif.orientation;
    meta.metadataDate = exif.date;
    meta.pixelSize = isSideways(exif.orientation) ? size.transposed() : size;
    return meta;
}

} // namespace PhotoMetadata
