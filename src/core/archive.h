#pragma once
// The one binary archive every persistent record goes through: the project
// file, the photo database files, undo snapshots and the saved settings.
// Little-endian, no padding; strings in the length-prefixed UTF-16 form;
// objects of run-time identified classes through the class-tag scheme.

#include "oledate.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

class QIODevice;
class CArchive;

// Thrown by a loading archive for a short read, an unreadable string, an
// unknown class or an impossible count. Callers catch it at the load
// boundary and turn it into a status; it never escapes to the user.
class CArchiveError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class CSerializable;

// The run-time record of a serialisable class: its name as written in the
// file, its schema number, and how to make an empty instance for loading.
struct CRuntimeClass
{
    const char* name;
    quint16 schema;
    CSerializable* (*create)();
};

class CSerializable
{
public:
    virtual ~CSerializable() = default;
    virtual const CRuntimeClass& runtimeClass() const = 0;
    virtual void serialize(CArchive& ar) = 0;
};

// Declares the run-time class of a serialisable class; pair it with
// OMBRAVELLE_IMPLEMENT_SERIAL in the .cpp and register the class with
// CClassRegistry before anything of that class is loaded.
#define OMBRAVELLE_DECLARE_SERIAL(Class)                                        \
public:                                                                         \
    static const CRuntimeClass classInfo;                                       \
    const CRuntimeClass& runtimeClass() const override { return classInfo; }

#define OMBRAVELLE_IMPLEMENT_SERIAL(Class, schemaNumber)                        \
    const CRuntimeClass Class::classInfo = {                                    \
        #Class, schemaNumber, []() -> CSerializable* { return new Class; }};

// Process-wide table from class name to run-time class, read when an archive
// meets a new-class tag. Registration is explicit (not static initialisers)
// because static libraries drop objects nobody references.
class CClassRegistry
{
public:
    static void add(const CRuntimeClass& cls);
    static const CRuntimeClass* find(const QByteArray& name);
};

class CArchive
{
public:
    enum class Mode { Load, Store };

    // Loading reads the device from its current position; storing writes
    // through a 4096-byte buffer. The device must stay open and, for
    // sections, seekable. A storing archive flushes when it is destroyed.
    CArchive(QIODevice* device, Mode mode);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool isLoading() const { return m_mode == Mode::Load; }
    bool isStoring() const { return m_mode == Mode::Store; }

    // The document version of the file being read or written. Records whose
    // layout changed between versions branch on it, never on the schema.
    int documentVersion() const { return m_documentVersion; }
    void setDocumentVersion(int version) { m_documentVersion = version; }
    // Schema word of the class tag read last; informative only.
    quint16 lastSchema() const { return m_lastSchema; }

    // Position in the underlying stream, counting buffered bytes.
    qint64 position() const;
    // Bytes left to read; for a sequential device, what it has available.
    qint64 remaining() const;
    void flush();

    // Primitives
    void writeByte(quint8 v);
    void writeBool(bool v) { writeByte(v ? 1 : 0); }
    void writeU16(quint16 v);
    void writeI16(qint16 v) { writeU16(static_cast<quint16>(v)); }
    void writeU32(quint32 v);
    void writeI32(qint32 v) { writeU32(static_cast<quint32>(v)); }
    void writeF32(float v);
    void writeF64(double v);
    void writeString(const QString& s);
    void writeDate(const COleDate& d);
    void writeBlob(const QByteArray& bytes);
    void writeCount(quint32 n);
    void writeRaw(const char* data, qint64 size);

    quint8 readByte();
    bool readBool() { return readByte() != 0; }
    quint16 readU16();
    qint16 readI16() { return static_cast<qint16>(readU16()); }
    quint32 readU32();
    qint32 readI32() { return static_cast<qint32>(readU32()); }
    float readF32();
    double readF64();
    QString readString();
    COleDate readDate();
    QByteArray readBlob();
    quint32 readCount();
    QByteArray readRaw(qint64 size);
    void skip(qint64 size);

    // Objects through the class-tag scheme. A null pointer writes the null
    // tag; an object written before writes only its index.
    void writeObject(const CSerializable* object);
    // Reads an object that the caller will own. A back-reference to an
    // object already read is a format error here, since two owners would
    // follow (and the object it names may be gone: its owner may have
    // dropped it); a class other than T is one too.
    template <class T>
    std::unique_ptr<T> readObject()
    {
        bool isNew = false;
        CSerializable* object = readObjectRecord(&isNew, [](const CSerializable* o) {
            return dynamic_cast<const T*>(o) != nullptr;
        }, References::Refused);
        return std::unique_ptr<T>(static_cast<T*>(object));
    }
    // Reads an object record, new or a back-reference; *isNew tells which.
    // Only a new object belongs to the caller. `accepts`, when given, vets a
    // new object's class before its record is read, so a file cannot steer
    // the reader into a class it does not expect.
    using ClassCheck = bool (*)(const CSerializable*);
    enum class References { Allowed, Refused };
    CSerializable* readObjectRecord(bool* isNew, ClassCheck accepts = nullptr,
                                    References references = References::Allowed);

    // Object lists: a count, then that many object records in order.
    template <class T>
    void writeObjectList(const std::vector<std::unique_ptr<T>>& list)
    {
        writeCount(static_cast<quint32>(list.size()));
        for (const auto& object : list)
            writeObject(object.get());
    }
    template <class T>
    std::vector<std::unique_ptr<T>> readObjectList()
    {
        const quint32 count = readCount();
        checkCount(count, 2);
        std::vector<std::unique_ptr<T>> list;
        list.reserve(count);
        for (quint32 i = 0; i < count; ++i)
            list.push_back(readObject<T>());
        return list;
    }

    // Sections: name, version, content length, content. beginSection writes
    // a zero length and endSection patches it once the content is known.
    void beginSection(const QString& name, quint32 version);
    void endSection();
    void writeEndMarker();

    struct SectionHeader
    {
        QString name;
        quint32 version = 0;
        quint32 length = 0;
        qint64 contentStart = 0;
    };
    // The next section's header, or nothing at the end marker "Done".
    std::optional<SectionHeader> readSectionHeader();
    void skipSection(const SectionHeader& header);
    // After a section's content was read: moves to the section's end when
    // the reader stopped short; reading past it is a format error.
    void finishSection(const SectionHeader& header);

    // Fails when `count` items of at least `minItemBytes` each cannot fit in
    // what is left, so a corrupt count never causes a huge allocation.
    void checkCount(quint64 count, quint64 minItemBytes = 1) const;
    [[noreturn]] static void fail(const char* what);

private:
    void ensureReadable(qint64 size);
    void flushStoreBuffer();
    void patchU32(qint64 position, quint32 value);
    quint64 readStringLength(bool* wide);
    void writeIndexTag(quint32 index, bool isClass);

    QIODevice* m_device;
    Mode m_mode;
    int m_documentVersion = 0;
    quint16 m_lastSchema = 0;

    qint64 m_deviceSize = 0; // load: size of a seekable device
    QByteArray m_buffer;     // store: pending bytes; load: bytes read ahead
    qint64 m_readPos = 0;  // load: next unread byte of m_buffer

    // One counter numbers classes and objects alike, from 1.
    quint32 m_mapCount = 1;
    QHash<const void*, quint32> m_storeMap;                // store: class or object -> index
    std::vector<std::pair<const CRuntimeClass*, CSerializable*>> m_loadMap; // load: index -> class or object
    QHash<const CRuntimeClass*, quint16> m_classSchemas;                    // load: schema read with each class

    std::vector<qint64> m_openSections; // store: positions of the length words
    int m_objectDepth = 0;              // load: objects being read inside each other
};
