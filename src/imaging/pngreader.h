#pragma once
// PNG decoding straight through libpng, for the few places where starting
// Qt's image plugins (every one of them is loaded to find the PNG reader)
// would cost more than the picture itself: the file managers' thumbnailer.

#include <QByteArray>
#include <QImage>

namespace PngReader {

// The picture as straight ARGB32; null when the bytes are not a PNG, are
// damaged, or claim more than `maxPixels` pixels (so a forged header cannot
// make it allocate gigabytes).
QImage decode(const QByteArray& bytes, qint64 maxPixels);

} // namespace PngReader
