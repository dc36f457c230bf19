#include "imagerecord.h"

#include "archive.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

namespace ImageRecord {

QByteArray encode(const QImage& image, int jpegQuality, bool forcePng)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool png = forcePng || image.hasAlphaChannel();
    QImageWriter writer(&buffer, png ? "png" : "jpeg");
    if (!png)
        writer.setQuality(jpegQuality);
    if (!writer.write(image))
        return {};
    return bytes;
}

QImage decode(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.read();
}

void write(CArchive& ar, const QImage& image, int jpegQuality, bool forcePng)
{
    ar.writeBlob(encode(image, jpegQuality, forcePng));
}

QImage read(CArchive& ar) { return decode(ar.readBlob()); }

} // namespace ImageRecord
