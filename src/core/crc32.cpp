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

// Slicing-by-8: table k advances a byte through k further zero bytes, so
// eight bytes are folded per step with eight independent look-ups.
constexpr std::array<std::array<quint32, 256>, 8> makeSlicedTables()
{
    std::array<std::array<quint32, 256>, 8> tables{};
    tables[0] = makeTable();
    for (int k = 1; k < 8; ++k)
        for (int i = 0; i < 256; ++i)
            tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
    return tables;
}

constexpr auto kTables = makeSlicedTables();

} // namespace

quint32 updateBytewise(quint32 crc, const char* data, qint64 size)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    for (qint64 i = 0; i < size; ++i)
        crc = kTables[0][(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

quint32 update(quint32 crc, const char* data, qint64 size)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    while (size >= 8) {
        const quint32 low = crc ^ (quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16
                                   | quint32(bytes[3]) << 24);
        const quint32 high = quint32(bytes[4]) | quint32(bytes[5]) << 8 | quint32(bytes[6]) << 16
            | quint32(bytes[7]) << 24;
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF]
            ^ kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF]
            ^ kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
        bytes += 8;
        size -= 8;
    }
    return updateBytewise(crc, reinterpret_cast<const char*>(bytes), size);
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
