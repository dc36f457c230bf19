#pragma once
// The two facts the thumbnail maker wants from a JPEG's EXIF block, read
// straight from the APP1 segment it already has in memory: the orientation
// and where the camera's own small preview (the IFD1 thumbnail) lies. Safe
// on any bytes: every offset is checked against the block.

#include <QByteArrayView>

struct CExifHeader
{
    // EXIF orientation 1..8; 1 when absent or out of range.
    int orientation = 1;
    // The embedded JPEG thumbnail inside the block, counted from the start
    // of the block given to parse; empty when there is none.
    qsizetype thumbnailOffset = 0;
    qsizetype thumbnailLength = 0;

    bool hasThumbnail() const { return thumbnailLength > 0; }
};

namespace ExifHeader {

// `app1` is the APP1 segment's content: "Exif\0\0", then the TIFF block.
// Anything else, or a damaged block, gives the defaults.
CExifHeader parse(QByteArrayView app1);

} // namespace ExifHeader
