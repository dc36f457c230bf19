#pragma once
// Image file writers that take the picture a band of rows at a time, top to
// bottom, and hand the rows straight to libjpeg-turbo or libpng, so that the
// whole picture never has to be in memory at once.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

class QIODevice;

class CBandWriter
{
public:
    enum class Status {
        Ok,
        // The device refused the bytes (disk full, no permission...).
        DeviceError,
        // The encoder failed.
        EncoderError,
    };

    virtual ~CBandWriter() = default;

    // Starts a file of `size` pixels on `device` (open for writing) with
    // the resolution in dots per inch. `alpha` keeps transparency (PNG).
    virtual Status begin(QIODevice& device, QSize size, float dotsPerInch, int quality, bool alpha) = 0;
    // The next rows: the band's first `rows` rows, of the file's width, in
    // RGB32 (opaque) or premultiplied ARGB (with alpha).
    virtual Status writeRows(const QImage& band, int rows) = 0;
    // Ends the file; all rows must have been written.
    virtual Status finish() = 0;
};

namespace BandWriters {

// A writer for Qt's format name ("jpeg", "png"); null for other formats.
std::unique_ptr<CBandWriter> forFormat(const QByteArray& format);

} // namespace BandWriters
