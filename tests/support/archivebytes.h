#pragma once
// Byte helpers for record tests: write or read a record through an archive
// over memory, and the primitive encodings assembled by hand.

#include "archive.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <cstring>
#include <functional>

namespace ArchiveBytes {

inline constexpr int kCurrentVersion = 23;

inline QByteArray store(const std::function<void(CArchive&)>& write, int version = kCurrentVersion)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::Mode::Store);
    ar.setDocumentVersion(version);
    write(ar);
    ar.flush();
    return bytes;
}

// Reads with `read` and returns how many bytes were left unread.
inline qint64 load(QByteArray bytes, const std::function<void(CArchive&)>& read, int version = kCurrentVersion)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::Mode::Load);
    ar.setDocumentVersion(version);
    read(ar);
    return ar.remaining();
}

// The wide string form of a text shorter than 255 code units.
inline QByteArray wide(const QString& text)
{
    QByteArray bytes("\xFF\xFE\xFF", 3);
    bytes.append(char(text.size()));
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

inline QByteArray u32(quint32 v)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(v, bytes.data());
    return bytes;
}

inline QByteArray f32(float v)
{
    quint32 bits;
    std::memcpy(&bits, &v, 4);
    return u32(bits);
}

} // namespace ArchiveBytes
