#include "exifheader.h"

#include <QtEndian>

namespace {

constexpr char kExifSignature[] = {'E', 'x', 'i', 'f', '\0', '\0'};
constexpr qsizetype kSignatureBytes = sizeof(kExifSignature);
constexpr qsizetype kTiffHeaderBytes = 8;
constexpr qsizetype kIfdEntryBytes = 12;
constexpr quint16 kTiffMagic = 42;
// More entries than any real IFD holds: a damaged count is not walked.
constexpr quint16 kMaxIfdEntries = 1000;

constexpr quint16 kOrientationTag = 0x0112;
constexpr quint16 kThumbnailOffsetTag = 0x0201; // JPEGInterchangeFormat
constexpr quint16 kThumbnailLengthTag = 0x0202; // JPEGInterchangeFormatLength
constexpr quint16 kTypeShort = 3;
constexpr quint16 kTypeLong = 4;
constexpr int kMaxOrientation = 8;

// Reads the TIFF block in its own byte order; every read is bounds-checked
// and a failed one reads 0 and marks the reader bad.
class TiffReader
{
public:
    explicit TiffReader(QByteArrayView tiff)
        : m_tiff(tiff)
    {
    }

    bool start()
    {
        if (m_tiff.size() < kTiffHeaderBytes)
            return false;
        if (m_tiff.startsWith("II"))
            m_littleEndian = true;
        else if (m_tiff.startsWith("MM"))
            m_littleEndian = false;
        else
            return false;
        return u16(2) == kTiffMagic && m_good;
    }

    bool good() const { return m_good; }
    qsizetype size() const { return m_tiff.size(); }

    quint16 u16(qsizetype at)
    {
        if (at < 0 || at + 2 > m_tiff.size()) {
            m_good = false;
            return 0;
        }
        const uchar* p = reinterpret_cast<const uchar*>(m_tiff.data()) + at;
        return m_littleEndian ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p);
    }

    quint32 u32(qsizetype at)
    {
        if (at < 0 || at + 4 > m_tiff.size()) {
            m_good = false;
            return 0;
        }
        const uchar* p = reinterpret_cast<const uchar*>(m_tiff.data()) + at;
        return m_littleEndian ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
    }

    // A SHORT or LONG entry's first value, which sits in the entry itself.
    quint32 entryValue(qsizetype entry)
    {
        const quint16 type = u16(entry + 2);
        if (type == kTypeShort)
            return u16(entry + 8);
        if (type == kTypeLong)
            return u32(entry + 8);
        return 0;
    }

private:
    QByteArrayView m_tiff;
    bool m_littleEndian = true;
    bool m_good = true;
};

} // namespace

namespace ExifHeader {

CExifHeader parse(QByteArrayView app1)
{
    CExifHeader header;
    if (app1.size() < kSignatureBytes || !app1.startsWith(QByteArrayView(kExifSignature, kSignatureBytes)))
        return header;
    TiffReader tiff(app1.sliced(kSignatureBytes));
    if (!tiff.start())
        return header;

    const quint32 ifd0 = tiff.u32(4);
    const quint16 count0 = tiff.u16(ifd0);
    if (!tiff.good() || count0 > kMaxIfdEntries)
        return header;
    for (quint16 i = 0; i < count0; ++i) {
        const qsizetype entry = qsizetype(ifd0) + 2 + i * kIfdEntryBytes;
        if (tiff.u16(entry) == kOrientationTag) {
            const quint32 value = tiff.entryValue(entry);
            if (tiff.good() && value >= 1 && value <= kMaxOrientation)
                header.orientation = int(value);
        }
    }

    // IFD1, the thumbnail's directory, follows IFD0's entries; an offset
    // back into IFD0 would be a loop, not a directory.
    const quint32 ifd1 = tiff.u32(qsizetype(ifd0) + 2 + count0 * kIfdEntryBytes);
    if (!tiff.good() || ifd1 == 0 || ifd1 <= ifd0)
        return header;
    const quint16 count1 = tiff.u16(ifd1);
    if (!tiff.good() || count1 > kMaxIfdEntries)
        return header;
    quint32 offset = 0;
    quint32 length = 0;
    for (quint16 i = 0; i < count1; ++i) {
        const qsizetype entry = qsizetype(ifd1) + 2 + i * kIfdEntryBytes;
        const quint16 tag = tiff.u16(entry);
        if (tag == kThumbnailOffsetTag)
            offset = tiff.entryValue(entry);
        else if (tag == kThumbnailLengthTag)
            length = tiff.entryValue(entry);
    }
    if (!tiff.good() || offset == 0 || length == 0 || qint64(offset) + length > tiff.size())
        return header;
    header.thumbnailOffset = kSignatureBytes + qsizetype(offset);
    header.thumbnailLength = qsizetype(length);
    return header;
}

} // namespace ExifHeader
