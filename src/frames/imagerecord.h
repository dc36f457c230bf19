#pragma once
// Images inside archives: a u32 byte length, then an encoded image file.
// PNG when asked or when the image has an alpha channel, else JPEG at the
// given quality; length 0 stands for no image.

#include <QImage>

class CArchive;

namespace ImageRecord {

inline constexpr int kDefaultJpegQuality = 90;

QByteArray encode(const QImage& image, int jpegQuality = kDefaultJpegQuality, bool forcePng = false);
// A null image for an empty or undecodable record.
QImage decode(const QByteArray& bytes);

void write(CArchive& ar, const QImage& image, int jpegQuality = kDefaultJpegQuality, bool forcePng = false);
QImage read(CArchive& ar);

} // namespace ImageRecord
