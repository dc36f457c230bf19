#include "archive.h"

#include <QIODevice>
#include <QtEndian>

#include <array>
#include <cstring>

namespace {

constexpr qint64 kBufferSize = 4096;

// Class-tag words of object records.
constexpr quint16 kNullTag = 0x0000;
constexpr quint16 kNewClassTag = 0xFFFF;
constexpr quint16 kClassTag = 0x8000;
constexpr quint16 kBigObjectTag = 0x7FFF;
constexpr quint32 kBigClassTag = 0x80000000u;
constexpr int kMaxClassNameLength = 255;
// No record of the program nests objects more than a few levels; a file
// that does is hostile and would otherwise exhaust the stack.
constexpr int kMaxObjectDepth = 64;

// String lengths: a byte, escalating to u16, u32 and u64 behind 0xFF.
constexpr quint8 kLengthEscape = 0xFF;
constexpr quint16 kWideMarker = 0xFFFE;
constexpr quint16 kLength16Escape = 0xFFFF;
constexpr quint32 kLength32Escape = 0xFFFFFFFFu;

constexpr quint16 kCountEscape = 0xFFFF;

const QString kEndMarker = QStringLiteral("Done");

// Windows-1252 differs from Latin-1 only in 0x80-0x9F. The five codes it
// leaves undefined map to the C1 control of the same value, as Windows does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        text[i] = QChar(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

} // namespace

// ---------------------------------------------------------------------------
// Class registry

namespace {
QHash<QByteArray, const CRuntimeClass*>& classTable()
{
    static QHash<QByteArray, const CRuntimeClass*> table;
    return table;
}
} // namespace

void CClassRegistry::add(const CRuntimeClass& cls) { classTable().insert(QByteArray(cls.name), &cls); }

const CRuntimeClass* CClassRegistry::find(const QByteArray& name) { return classTable().value(name, nullptr); }

// ---------------------------------------------------------------------------

CArchive::CArchive(QIODevice* device, Mode mode)
    : m_device(device)
    , m_mode(mode)
{
    m_loadMap.emplace_back(nullptr, nullptr); // index 0 is the null object
    if (isStoring())
        m_buffer.reserve(kBufferSize);
    else if (!m_device->isSequential())
        m_deviceSize = m_device->size(); // asked once: every length check needs it
}

CArchive::~CArchive()
{
    if (isStoring()) {
        try {
            flushStoreBuffer();
        } catch (const CArchiveError&) {
            // The writer saw no error because it never flushed; the file's
            // checksum or length test will catch the loss on the next read.
        }
    }
}

void CArchive::fail(const char* what) { throw CArchiveError(what); }

qint64 CArchive::position() const
{
    if (isStoring())
        return m_device->pos() + m_buffer.size();
    return m_device->pos() - (m_buffer.size() - m_readPos);
}

qint64 CArchive::remaining() const
{
    const qint64 buffered = m_buffer.size() - m_readPos;
    if (m_device->isSequential())
        return buffered + m_device->bytesAvailable();
    return m_deviceSize - position();
}

void CArchive::checkCount(quint64 count, quint64 minItemBytes) const
{
    const qint64 left = remaining();
    if (left < 0 || (minItemBytes != 0 && count > static_cast<quint64>(left) / minItemBytes))
        fail("a count larger than the data left");
}

void CArchive::flush()
{
    if (isStoring())
        flushStoreBuffer();
}

void CArchive::flushStoreBuffer()
{
    if (m_buffer.isEmpty())
        return;
    const qint64 size = m_buffer.size();
    const qint64 written = m_device->write(m_buffer);
    m_buffer.clear();
    if (written != size)
        fail("the file could not be written");
}

// ---------------------------------------------------------------------------
// Writing primitives

void CArchive::writeRaw(const char* data, qint64 size)
{
    if (size >= kBufferSize) {
        flushStoreBuffer();
        if (m_device->write(data, size) != size)
            fail("the file could not be written");
        return;
    }
    m_buffer.append(data, size);
    if (m_buffer.size() >= kBufferSize)
        flushStoreBuffer();
}

void CArchive::writeByte(quint8 v) { writeRaw(reinterpret_cast<const char*>(&v), 1); }

void CArchive::writeU16(quint16 v)
{
    char bytes[2];
    qToLittleEndian(v, bytes);
    writeRaw(bytes, 2);
}

void CArchive::writeU32(quint32 v)
{
    char bytes[4];
    qToLittleEndian(v, bytes);
    writeRaw(bytes, 4);
}

void CArchive::writeF32(float v)
{
    quint32 bits;
    std::memcpy(&bits, &v, 4);
    writeU32(bits);
}

void CArchive::writeF64(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, 8);
    char bytes[8];
    qToLittleEndian(bits, bytes);
    writeRaw(bytes, 8);
}

void CArchive::writeString(const QString& s)
{
    writeByte(kLengthEscape);
    writeU16(kWideMarker);
    const auto length = static_cast<quint64>(s.size());
    if (length < kLengthEscape) {
        writeByte(static_cast<quint8>(length));
    } else if (length < kWideMarker) {
        writeByte(kLengthEscape);
        writeU16(static_cast<quint16>(length));
    } else {
        writeByte(kLengthEscape);
        writeU16(kLength16Escape);
        writeU32(static_cast<quint32>(length));
    }
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        writeRaw(reinterpret_cast<const char*>(s.utf16()), static_cast<qint64>(length) * 2);
    } else {
        for (QChar c : s)
            writeU16(c.unicode());
    }
}

void CArchive::writeDate(const COleDate& d)
{
    writeI32(d.status);
    writeF64(d.days);
}

void CArchive::writeBlob(const QByteArray& bytes)
{
    writeU32(static_cast<quint32>(bytes.size()));
    writeRaw(bytes.constData(), bytes.size());
}

void CArchive::writeCount(quint32 n)
{
    if (n < kCountEscape) {
        writeU16(static_cast<quint16>(n));
    } else {
        writeU16(kCountEscape);
        writeU32(n);
    }
}

// ---------------------------------------------------------------------------
// Reading primitives

void CArchive::ensureReadable(qint64 size)
{
    const qint64 buffered = m_buffer.size() - m_readPos;
    if (buffered >= size)
        return;
    m_buffer.remove(0, m_readPos);
    m_readPos = 0;
    const qint64 wanted = qMax(size - buffered, kBufferSize);
    const qsizetype oldSize = m_buffer.size();
    m_buffer.resize(oldSize + wanted);
    const qint64 got = m_device->read(m_buffer.data() + oldSize, wanted);
    m_buffer.resize(oldSize + qMax<qint64>(got, 0));
    if (m_buffer.size() < size)
        fail("unexpected end of data");
}

QByteArray CArchive::readRaw(qint64 size)
{
    if (size < 0)
        fail("a negative length");
    if (size <= kBufferSize) {
        ensureReadable(size);
        QByteArray bytes = m_buffer.mid(m_readPos, size);
        m_readPos += size;
        return bytes;
    }
    checkCount(static_cast<quint64>(size));
    QByteArray bytes = m_buffer.mid(m_readPos);
    m_buffer.clear();
    m_readPos = 0;
    const qsizetype have = bytes.size();
    bytes.resize(size);
    const qint64 got = m_device->read(bytes.data() + have, size - have);
    if (got != size - have)
        fail("unexpected end of data");
    return bytes;
}

void CArchive::skip(qint64 size)
{
    if (size < 0)
        fail("a negative length");
    const qint64 buffered = m_buffer.size() - m_readPos;
    if (size <= buffered) {
        m_readPos += size;
        return;
    }
    checkCount(static_cast<quint64>(size));
    const qint64 beyond = size - buffered;
    m_buffer.clear();
    m_readPos = 0;
    if (!m_device->isSequential()) {
        if (!m_device->seek(m_device->pos() + beyond))
            fail("unexpected end of data");
        return;
    }
    if (m_device->skip(beyond) != beyond)
        fail("unexpected end of data");
}

quint8 CArchive::readByte()
{
    ensureReadable(1);
    return static_cast<quint8>(m_buffer[m_readPos++]);
}

quint16 CArchive::readU16()
{
    ensureReadable(2);
    const auto v = qFromLittleEndian<quint16>(m_buffer.constData() + m_readPos);
    m_readPos += 2;
    return v;
}

quint32 CArchive::readU32()
{
    ensureReadable(4);
    const auto v = qFromLittleEndian<quint32>(m_buffer.constData() + m_readPos);
    m_readPos += 4;
    return v;
}

float CArchive::readF32()
{
    const quint32 bits = readU32();
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

double CArchive::readF64()
{
    ensureReadable(8);
    const auto bits = qFromLittleEndian<quint64>(m_buffer.constData() + m_readPos);
    m_readPos += 8;
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

quint64 CArchive::readStringLength(bool* wide)
{
    *wide = false;
    quint8 shortLength = readByte();
    if (shortLength < kLengthEscape)
        return shortLength;
    quint16 length16 = readU16();
    if (length16 == kWideMarker) {
        *wide = true;
        shortLength = readByte();
        if (shortLength < kLengthEscape)
            return shortLength;
        length16 = readU16();
    }
    if (length16 < kLength16Escape)
        return length16;
    const quint32 length32 = readU32();
    if (length32 < kLength32Escape)
        return length32;
    const quint64 low = readU32();
    const quint64 high = readU32();
    return (high << 32) | low;
}

QString CArchive::readString()
{
    bool wide = false;
    const quint64 length = readStringLength(&wide);
    checkCount(length, wide ? 2 : 1);
    if (!wide)
        return fromWindows1252(readRaw(static_cast<qint64>(length)));
    const QByteArray bytes = readRaw(static_cast<qint64>(length) * 2);
    QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 2 * i));
    return text;
}

COleDate CArchive::readDate()
{
    COleDate d;
    d.status = readI32();
    d.days = readF64();
    return d;
}

QByteArray CArchive::readBlob()
{
    const quint32 size = readU32();
    checkCount(size);
    return readRaw(size);
}

quint32 CArchive::readCount()
{
    const quint16 n = readU16();
    if (n != kCountEscape)
        return n;
    return readU32();
}

// ---------------------------------------------------------------------------
// Objects

void CArchive::writeIndexTag(quint32 index, bool isClass)
{
    if (index < kBigObjectTag) {
        writeU16(static_cast<quint16>(isClass ? (kClassTag | index) : index));
    } else {
        writeU16(kBigObjectTag);
        writeU32(isClass ? (kBigClassTag | index) : index);
    }
}

void CArchive::writeObject(const CSerializable* object)
{
    if (!object) {
        writeU16(kNullTag);
        return;
    }
    if (const auto known = m_storeMap.constFind(object); known != m_storeMap.constEnd()) {
        writeIndexTag(*known, false);
        return;
    }
    const CRuntimeClass& cls = object->runtimeClass();
    if (const auto known = m_storeMap.constFind(&cls); known != m_storeMap.constEnd()) {
        writeIndexTag(*known, true);
    } else {
        const auto nameLength = static_cast<quint16>(std::strlen(cls.name));
        writeU16(kNewClassTag);
        writeU16(cls.schema);
        writeU16(nameLength);
        writeRaw(cls.name, nameLength);
        m_storeMap.insert(&cls, m_mapCount++);
    }
    m_storeMap.insert(object, m_mapCount++);
    const_cast<CSerializable*>(object)->serialize(*this);
}

CSerializable* CArchive::readObjectRecord(bool* isNew, ClassCheck accepts, References references)
{
    *isNew = false;
    const quint16 tag = readU16();
    if (tag == kNullTag)
        return nullptr;

    const CRuntimeClass* cls = nullptr;
    if (tag == kNewClassTag) {
        m_lastSchema = readU16();
        const quint16 nameLength = readU16();
        if (nameLength == 0 || nameLength > kMaxClassNameLength)
            fail("a class name of impossible length");
        const QByteArray name = readRaw(nameLength);
        cls = CClassRegistry::find(name);
        if (!cls)
            fail("an object of an unknown class");
        m_loadMap.emplace_back(cls, nullptr);
        m_classSchemas.insert(cls, m_lastSchema);
        ++m_mapCount;
    } else {
        const quint32 objectTag = tag == kBigObjectTag
            ? readU32()
            : (static_cast<quint32>(tag & kClassTag) << 16) | (tag & ~kClassTag);
        const quint32 index = objectTag & ~kBigClassTag;
        if (index == 0 || index >= m_loadMap.size())
            fail("a reference to an object or class not yet read");
        const auto& [knownClass, knownObject] = m_loadMap[index];
        if (objectTag & kBigClassTag) {
            if (!knownClass)
                fail("a class reference naming an object");
            cls = knownClass;
            m_lastSchema = m_classSchemas.value(cls);
        } else {
            if (!knownObject)
                fail("an object reference naming a class");
            if (references == References::Refused)
                fail("an owned object is referenced twice");
            if (accepts && !accepts(knownObject))
                fail("an object of an unexpected class");
            return knownObject;
        }
    }

    std::unique_ptr<CSerializable> object(cls->create());
    if (accepts && !accepts(object.get()))
        fail("an object of an unexpected class");
    if (m_objectDepth >= kMaxObjectDepth)
        fail("objects nested too deeply");
    m_loadMap.emplace_back(nullptr, object.get());
    ++m_mapCount;
    ++m_objectDepth;
    object->serialize(*this);
    --m_objectDepth;
    *isNew = true;
    return object.release();
}

// ---------------------------------------------------------------------------
// Sections

void CArchive::beginSection(const QString& name, quint32 version)
{
    writeString(name);
    writeU32(version);
    m_openSections.push_back(position());
    writeU32(0);
}

void CArchive::endSection()
{
    if (m_openSections.empty())
        fail("a section ended that was never begun");
    const qint64 lengthPos = m_openSections.back();
    m_openSections.pop_back();
    const qint64 length = position() - (lengthPos + 4);
    patchU32(lengthPos, static_cast<quint32>(length));
}

void CArchive::patchU32(qint64 position, quint32 value)
{
    flushStoreBuffer();
    const qint64 end = m_device->pos();
    char bytes[4];
    qToLittleEndian(value, bytes);
    if (!m_device->seek(position) || m_device->write(bytes, 4) != 4 || !m_device->seek(end))
        fail("the file could not be written");
}

void CArchive::writeEndMarker() { writeString(kEndMarker); }

std::optional<CArchive::SectionHeader> CArchive::readSectionHeader()
{
    SectionHeader header;
    header.name = readString();
    if (header.name == kEndMarker)
        return std::nullopt;
    header.version = readU32();
    header.length = readU32();
    header.contentStart = position();
    checkCount(header.length);
    return header;
}

void CArchive::skipSection(const SectionHeader& header) { finishSection(header); }

void CArchive::finishSection(const SectionHeader& header)
{
    const qint64 end = header.contentStart + header.length;
    const qint64 here = position();
    if (here > end)
        fail("a record ran past the end of its section");
    skip(end - here);
}
