#include "crc32.h"

#include <QIODevice>

#include <array>

namespace Crc32 {

namespace {

constexpr quint32 kPolynomial = 0xEDB88320u;
constexpr qint64 kBlockSize = 4096;

constexpr std::array<quint32, 256> makeTable()
{
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? (kPolynomial ^ (c >> 1)) : (c >> 1);
        table[i] = c;
    }
    return table;
}

constexpr auto kTable = makeTable();

} // namespace

quint32 update(quint32 crc, const char* data, qint64 size)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    for (qint64 i = 0; i < size; ++i)
        crc = kTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

bool ofDevice(QIODevice& device, qint64 length, quint32* crc)
{
    if (!device.seek(0))
        return false;
    quint32 value = 0;
    char block[kBlockSize];
    qint64 left = length;
    while (left > 0) {
        const qint64 got = device.read(block, qMin(left, kBlockSize));
        if (got <= 0)
            return false;
        value = update(value, block, got);
        left -= got;
    }
    *crc = value;
    return true;
}

} // namespace Crc32
