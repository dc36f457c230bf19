#include "pngreader.h"

#include <QSysInfo>

#include <png.h>

namespace PngReader {

QImage decode(const QByteArray& bytes, qint64 maxPixels)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    // Freeing twice is harmless: libpng clears what it freed.
    struct Release
    {
        png_image& png;
        ~Release() { png_image_free(&png); }
    } release{png};
    if (!png_image_begin_read_from_memory(&png, bytes.constData(), size_t(bytes.size())))
        return {};
    if (qint64(png.width) * qint64(png.height) > maxPixels)
        return {};
    // ARGB32 words, in the byte order this machine keeps them in memory.
    png.format = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    QImage image(int(png.width), int(png.height), QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    if (!png_image_finish_read(&png, nullptr, image.bits(), png_int_32(image.bytesPerLine()), nullptr))
        return {};
    return image;
}

} // namespace PngReader
