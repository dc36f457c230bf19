// Pictures inside archives (a length, then a JPEG or PNG file), and the
// thumbnailer's own PNG decoder on the same bytes.
#include "archive.h"
#include "fuzzsupport.h"
#include "imagerecord.h"
#include "pngreader.h"

#include <QBuffer>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray record = Fuzz::bytes(data, size);
    QBuffer buffer(&record);
    buffer.open(QIODevice::ReadOnly);
    try {
        CArchive ar(&buffer, CArchive::Mode::Load);
        ImageRecord::read(ar);
    } catch (const CArchiveError&) {
    }
    constexpr qint64 kMaxPixels = 1 << 22;
    const QImage png = PngReader::decode(record.mid(4), kMaxPixels);
    Fuzz::require(png.isNull() || qint64(png.width()) * png.height() <= kMaxPixels);
    return 0;
}
