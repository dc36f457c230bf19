#pragma once
// Real photo files for the photo tests: JPEGs written by QImage, EXIF tags
// written into them with Exiv2, file times set as the test wants.

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <map>
#include <ostream>
#include <string>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <gtest/gtest.h>

// Readable test failures for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace PhotoFiles {

inline const char* const kDateTimeOriginal = "Exif.Photo.DateTimeOriginal"; // 0x9003
inline const char* const kDateTime = "Exif.Image.DateTime";                 // 0x0132
inline const char* const kOrientation = "Exif.Image.Orientation";           // 0x0112

struct Exif
{
    std::map<std::string, std::string> texts; // key -> ASCII value
    int orientation = 0;                      // 0: no tag
};

inline void makeFolderFor(const QString& path) { QDir().mkpath(QFileInfo(path).absolutePath()); }

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
inline void writeExif(const QString& path, const Exif& exif)
{
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
    ASSERT_TRUE(image.get());
    image->readMetadata();
    Exiv2::ExifData data = image->exifData();
    for (const auto& [key, value] : exif.texts)
        data[key] = value;
    if (exif.orientation != 0)
        data[kOrientation] = uint16_t(exif.orientation);
    image->setExifData(data);
    image->writeMetadata();
}
#pragma GCC diagnostic pop

// Puts `preview` into the file's EXIF block as the camera's own thumbnail,
// with the orientation tag when one is given.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
inline void writeExifPreview(const QString& path, const QImage& preview, int orientation = 0)
{
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
    ASSERT_TRUE(image.get());
    image->readMetadata();
    Exiv2::ExifData data = image->exifData();
    if (orientation != 0)
        data[kOrientation] = uint16_t(orientation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    preview.save(&buffer, "JPEG", 85);
    Exiv2::ExifThumb(data).setJpegThumbnail(reinterpret_cast<const Exiv2::byte*>(bytes.constData()),
                                            long(bytes.size()));
    image->setExifData(data);
    image->writeMetadata();
}
#pragma GCC diagnostic pop

// A JPEG of the given size; with EXIF tags when any are given.
inline void writeJpeg(const QString& path, QSize size = QSize(32, 24), const Exif& exif = {},
                      QRgb colour = 0xFF3080C0)
{
    makeFolderFor(path);
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "JPEG")) << path.toStdString();
    if (!exif.texts.empty() || exif.orientation != 0)
        writeExif(path, exif);
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    makeFolderFor(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void setModified(const QString& path, const QDateTime& time)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace PhotoFiles
