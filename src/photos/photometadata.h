#pragma once
// What the photo collection learns from a photo file without decoding all of
// it: whether a decoder reads it, its upright pixel size, and the date the
// photo was taken from its EXIF data. The EXIF library's exceptions stay
// inside this boundary; every function here is safe on any bytes and from
// any thread.

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>

#include <optional>

// EXIF tags the collection reads.
namespace ExifTag {
inline constexpr quint16 DateTimeOriginal = 0x9003; // when the photo was taken
inline constexpr quint16 DateTime = 0x0132;         // when the file was last changed
inline constexpr quint16 Orientation = 0x0112;
} // namespace ExifTag

struct CPhotoMetadata
{
    // A decoder recognises the file and can read its header and size.
    bool decodes = false;
    // The size as the viewer sees it: for EXIF orientations 5 to 8 (stored
    // sideways) width and height are swapped. Empty when it does not decode.
    QSize pixelSize;
    // The decoder reports a pixel format with an alpha channel.
    bool hasAlpha = false;
    // EXIF orientation 1..8; 1 when absent or out of range.
    int orientation = 1;
    // The capture date (DateTimeOriginal) when it is a valid date, else the
    // DateTime tag when that is; local wall-clock time.
    std::optional<QDateTime> metadataDate;
};

namespace PhotoMetadata {

inline constexpr int kNormalOrientation = 1;
inline constexpr int kFirstSidewaysOrientation = 5;
inline constexpr int kLastOrientation = 8;

CPhotoMetadata read(const QString& path);

// The EXIF date text as the pattern "%d:%d:%d %d:%d:%d" reads it: year,
// month, day, hour, minute, second. A date only when all six numbers are
// there, the year is not 0 and they make a real calendar date and time
// (year 1 to 9999).
std::optional<QDateTime> parseExifDate(const QByteArray& text);

// Orientations 5 to 8 turn the stored image by a quarter turn.
inline bool isSideways(int orientation)
{
    return orientation >= kFirstSidewaysOrientation && orientation <= kLastOrientation;
}

} // namespace PhotoMetadata
