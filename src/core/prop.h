#pragma once
// One named setting of the settings store, and the variant value it holds.
// Values keep the platform's variant type words, because the saved store
// carries them and must read back byte for byte at the next start.

#include "archive.h"

#include <QByteArray>
#include <QString>

// Variant type words of the saved value stream.
namespace PropType {
inline constexpr quint16 kEmpty = 0;   // no value
inline constexpr quint16 kNull = 1;    // no value, explicitly
inline constexpr quint16 kI16 = 2;
inline constexpr quint16 kI32 = 3;
inline constexpr quint16 kF32 = 4;
inline constexpr quint16 kString = 8;
inline constexpr quint16 kMissing = 10; // registered without a default
inline constexpr quint16 kBool = 11;
inline constexpr quint16 kByte = 17;
inline constexpr quint16 kArrayFlag = 0x2000;
inline constexpr quint16 kByteArray = kArrayFlag | kByte;
} // namespace PropType

// A setting's value: one of the variant types above, or an opaque value of a
// type this build does not know. Opaque values are the stream bytes exactly
// as read, written back unchanged, so a setting stored by a newer build
// survives a run of an older one.
//
// Stream form (the content of the value blob), little-endian:
//   u16 type word, then
//   i16 / bool: 2 bytes (a bool is 0 or -1); i32 / f32: 4 bytes; byte: 1 byte;
//   string: u32 byte length, then that many bytes of UTF-16LE text;
//   byte array: u32 element count, i32 lower bound (always 0), the bytes;
//   empty, null, missing: nothing more.
// A stream that does not parse exactly (unknown type, wrong length, an array
// with another lower bound) is kept opaque.
class CPropValue
{
public:
    CPropValue() = default; // empty

    static CPropValue missing();
    static CPropValue i16(qint16 v);
    static CPropValue i32(qint32 v);
    static CPropValue f32(float v);
    static CPropValue string(const QString& v);
    static CPropValue boolean(bool v);
    static CPropValue byte(quint8 v);
    static CPropValue bytes(const QByteArray& v);

    // The variant type word; for an opaque value, the word it was read with
    // (or empty if the stream was too short to hold one).
    quint16 type() const { return m_type; }
    bool isOpaque() const { return m_opaque; }
    bool hasValue() const;

    // Conversions for readers. Numbers convert among themselves (floats
    // round, out-of-range values saturate); a bool reads as -1 or 0 as a
    // number. Anything else reads as 0, false or empty.
    qint32 toInt() const;
    float toFloat() const;
    bool toBool() const;
    quint8 toByte() const;
    QString toString() const;
    QByteArray toBytes() const;

    QByteArray toStream() const;
    static CPropValue fromStream(const QByteArray& stream);

    // Floats compare by bit pattern: equal values are the ones that save to
    // the same bytes.
    friend bool operator==(const CPropValue& a, const CPropValue& b);

private:
    quint16 m_type = PropType::kEmpty;
    bool m_opaque = false;
    qint32 m_int = 0;    // i16, i32, bool (0 / -1), byte
    float m_float = 0.0f;
    QString m_text;
    QByteArray m_bytes;  // byte array, or the whole stream of an opaque value
};

// One setting: lower-cased name, description, declared type (the type of the
// default it was registered with), flags and current value. Owned by
// CPropManager, which is the only one that changes it.
class CProp : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CProp)

public:
    static constexpr quint16 kSchema = 1;
    // Stored as given at registration; the store itself gives it no meaning.
    static constexpr quint32 kFlagBit0 = 1u << 0;
    // Kept across starts; a setting without it is dropped when the store is
    // loaded and comes back with its default when registered again.
    static constexpr quint32 kFlagPersistent = 1u << 1;

    CProp() = default;
    CProp(const QString& name, const QString& description, quint16 declaredType, quint32 flags,
          const CPropValue& value);

    // The form names are kept and compared in.
    static QString keyFor(const QString& name) { return name.toLower(); }

    const QString& name() const { return m_name; }
    const QString& description() const { return m_description; }
    quint16 declaredType() const { return m_declaredType; }
    quint32 flags() const { return m_flags; }
    bool isPersistent() const { return (m_flags & kFlagPersistent) != 0; }
    const CPropValue& value() const { return m_value; }

    // Record: string name, string description, u16 declared type, u32 flags,
    // blob holding the value's stream form.
    void serialize(CArchive& ar) override;

private:
    friend class CPropManager;
    void setName(const QString& name) { m_name = keyFor(name); }
    void setValue(const CPropValue& value) { m_value = value; }

    QString m_name;
    QString m_description;
    quint16 m_declaredType = PropType::kEmpty;
    quint32 m_flags = 0;
    CPropValue m_value;
};
