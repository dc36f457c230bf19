#pragma once
// The checksum of project files: the common reflected CRC-32 table
// (polynomial 0xEDB88320), but started from 0 and never inverted, so it is
// not the zlib value of the same bytes.

#include <QtGlobal>

class QIODevice;

namespace Crc32 {

quint32 update(quint32 crc, const char* data, qint64 size);
// The plain one-table form of the same checksum; `update` must agree with it.
quint32 updateBytewise(quint32 crc, const char* data, qint64 size);

// Checksum of the first `length` bytes of `device` from its start, read in
// 4096-byte blocks. Leaves the device positioned after those bytes; returns
// false when fewer than `length` bytes could be read.
bool ofDevice(QIODevice& device, qint64 length, quint32* crc);

} // namespace Crc32
