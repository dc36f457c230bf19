#include "prop.h"

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>

OMBRAVELLE_IMPLEMENT_SERIAL(CProp, CProp::kSchema)

namespace {

constexpr qint16 kVariantTrue = -1; // all bits set, as the variant bool has it
constexpr qint32 kByteArrayLowerBound = 0;
constexpr quint8 kByteMax = std::numeric_limits<quint8>::max();

qint32 saturatedInt(float v)
{
    if (std::isnan(v))
        return 0;
    const double rounded = std::nearbyint(static_cast<double>(v));
    if (rounded <= std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    if (rounded >= std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(rounded);
}

bool isNumber(quint16 type)
{
    return type == PropType::kI16 || type == PropType::kI32 || type == PropType::kBool
        || type == PropType::kByte;
}

// Little-endian appenders and a bounds-checked reader for the value stream.
template <class T>
void append(QByteArray& out, T v)
{
    char bytes[sizeof(T)];
    qToLittleEndian(v, bytes);
    out.append(bytes, sizeof(T));
}

class StreamReader
{
public:
    explicit StreamReader(const QByteArray& data) : m_data(data) {}

    template <class T>
    bool read(T* v)
    {
        if (left() < qsizetype(sizeof(T)))
            return false;
        *v = qFromLittleEndian<T>(m_data.constData() + m_pos);
        m_pos += sizeof(T);
        return true;
    }
    bool readBytes(quint32 size, QByteArray* out)
    {
        if (quint64(left()) < size)
            return false;
        *out = m_data.mid(m_pos, size);
        m_pos += size;
        return true;
    }
    qsizetype left() const { return m_data.size() - m_pos; }
    bool atEnd() const { return left() == 0; }

private:
    const QByteArray& m_data;
    qsizetype m_pos = 0;
};

} // namespace

CPropValue CPropValue::missing()
{
    CPropValue v;
    v.m_type = PropType::kMissing;
    return v;
}

CPropValue CPropValue::i16(qint16 value)
{
    CPropValue v;
    v.m_type = PropType::kI16;
    v.m_int = value;
    return v;
}

CPropValue CPropValue::i32(qint32 value)
{
    CPropValue v;
    v.m_type = PropType::kI32;
    v.m_int = value;
    return v;
}

CPropValue CPropValue::f32(float value)
{
    CPropValue v;
    v.m_type = PropType::kF32;
    v.m_float = value;
    return v;
}

CPropValue CPropValue::string(const QString& value)
{
    CPropValue v;
    v.m_type = PropType::kString;
    v.m_text = value;
    return v;
}

CPropValue CPropValue::boolean(bool value)
{
    CPropValue v;
    v.m_type = PropType::kBool;
    v.m_int = value ? kVariantTrue : 0;
    return v;
}

CPropValue CPropValue::byte(quint8 value)
{
    CPropValue v;
    v.m_type = PropType::kByte;
    v.m_int = value;
    return v;
}

CPropValue CPropValue::bytes(const QByteArray& value)
{
    CPropValue v;
    v.m_type = PropType::kByteArray;
    v.m_bytes = value;
    return v;
}

bool CPropValue::hasValue() const
{
    if (m_opaque)
        return true;
    return m_type != PropType::kEmpty && m_type != PropType::kNull && m_type != PropType::kMissing;
}

qint32 CPropValue::toInt() const
{
    if (m_opaque)
        return 0;
    if (isNumber(m_type))
        return m_int;
    if (m_type == PropType::kF32)
        return saturatedInt(m_float);
    return 0;
}

float CPropValue::toFloat() const
{
    if (m_opaque)
        return 0.0f;
    if (m_type == PropType::kF32)
        return m_float;
    if (isNumber(m_type))
        return static_cast<float>(m_int);
    return 0.0f;
}

bool CPropValue::toBool() const
{
    if (m_opaque)
        return false;
    if (m_type == PropType::kF32)
        return m_float != 0.0f;
    return isNumber(m_type) && m_int != 0;
}

quint8 CPropValue::toByte() const
{
    const qint32 v = toInt();
    if (v < 0)
        return m_type == PropType::kBool ? kByteMax : 0; // true keeps all bits set
    return v > kByteMax ? kByteMax : static_cast<quint8>(v);
}

QString CPropValue::toString() const
{
    return !m_opaque && m_type == PropType::kString ? m_text : QString();
}

QByteArray CPropValue::toBytes() const
{
    return !m_opaque && m_type == PropType::kByteArray ? m_bytes : QByteArray();
}

QByteArray CPropValue::toStream() const
{
    if (m_opaque)
        return m_bytes;

    QByteArray out;
    append<quint16>(out, m_type);
    switch (m_type) {
    case PropType::kI16:
    case PropType::kBool:
        append<qint16>(out, static_cast<qint16>(m_int));
        break;
    case PropType::kI32:
        append<qint32>(out, m_int);
        break;
    case PropType::kF32: {
        quint32 bits;
        std::memcpy(&bits, &m_float, sizeof bits);
        append<quint32>(out, bits);
        break;
    }
    case PropType::kByte:
        out.append(static_cast<char>(static_cast<quint8>(m_int)));
        break;
    case PropType::kString: {
        append<quint32>(out, static_cast<quint32>(m_text.size() * sizeof(char16_t)));
        for (const QChar unit : m_text)
            append<quint16>(out, unit.unicode());
        break;
    }
    case PropType::kByteArray:
        append<quint32>(out, static_cast<quint32>(m_bytes.size()));
        append<qint32>(out, kByteArrayLowerBound);
        out.append(m_bytes);
        break;
    default: // empty, null, missing: the type word says it all
        break;
    }
    return out;
}

CPropValue CPropValue::fromStream(const QByteArray& stream)
{
    CPropValue opaque;
    opaque.m_opaque = true;
    opaque.m_bytes = stream;

    StreamReader in(stream);
    quint16 type = PropType::kEmpty;
    if (!in.read(&type))
        return opaque;
    opaque.m_type = type;

    CPropValue v;
    v.m_type = type;
    bool ok = false;
    switch (type) {
    case PropType::kEmpty:
    case PropType::kNull:
    case PropType::kMissing:
        ok = true;
        break;
    case PropType::kI16:
    case PropType::kBool: {
        qint16 x = 0;
        ok = in.read(&x);
        v.m_int = type == PropType::kBool ? (x != 0 ? kVariantTrue : 0) : x;
        break;
    }
    case PropType::kI32:
        ok = in.read(&v.m_int);
        break;
    case PropType::kF32: {
        quint32 bits = 0;
        ok = in.read(&bits);
        std::memcpy(&v.m_float, &bits, sizeof bits);
        break;
    }
    case PropType::kByte: {
        quint8 x = 0;
        ok = in.read(&x);
        v.m_int = x;
        break;
    }
    case PropType::kString: {
        quint32 byteLength = 0;
        QByteArray utf16;
        ok = in.read(&byteLength) && byteLength % sizeof(char16_t) == 0
            && in.readBytes(byteLength, &utf16);
        if (ok) {
            v.m_text.resize(utf16.size() / qsizetype(sizeof(char16_t)));
            for (qsizetype i = 0; i < v.m_text.size(); ++i)
                v.m_text[i] = QChar(qFromLittleEndian<quint16>(utf16.constData() + 2 * i));
        }
        break;
    }
    case PropType::kByteArray: {
        quint32 count = 0;
        qint32 lowerBound = 0;
        ok = in.read(&count) && in.read(&lowerBound) && lowerBound == kByteArrayLowerBound
            && in.readBytes(count, &v.m_bytes);
        break;
    }
    default:
        break;
    }
    return ok && in.atEnd() ? v : opaque;
}

bool operator==(const CPropValue& a, const CPropValue& b)
{
    if (a.m_opaque || b.m_opaque)
        return a.m_opaque == b.m_opaque && a.m_bytes == b.m_bytes;
    if (a.m_type != b.m_type)
        return false;
    switch (a.m_type) {
    case PropType::kF32:
        return std::memcmp(&a.m_float, &b.m_float, sizeof a.m_float) == 0;
    case PropType::kString:
        return a.m_text == b.m_text;
    case PropType::kByteArray:
        return a.m_bytes == b.m_bytes;
    default:
        return a.m_int == b.m_int;
    }
}

CProp::CProp(const QString& name, const QString& description, quint16 declaredType, quint32 flags,
             const CPropValue& value)
    : m_name(keyFor(name))
    , m_description(description)
    , m_declaredType(declaredType)
    , m_flags(flags)
    , m_value(value)
{
}

void CProp::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeString(m_name);
        ar.writeString(m_description);
        ar.writeU16(m_declaredType);
        ar.writeU32(m_flags);
        ar.writeBlob(m_value.toStream());
    } else {
        m_name = keyFor(ar.readString());
        m_description = ar.readString();
        m_declaredType = ar.readU16();
        m_flags = ar.readU32();
        m_value = CPropValue::fromStream(ar.readBlob());
    }
}
