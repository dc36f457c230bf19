#include "picdropper.h"

#include "myphotos.h"
#include "notificationbus.h"
#include "photoitem.h"

#include <algorithm>
#include <utility>

const CRuntimeClass CPicDropper::classInfo = {"CPicDropper", CPicDropper::kSchema, nullptr};

namespace {

// Smallest stored entry: a path string (an empty narrow string is one
// length byte) and, from version 20, the attribute record of eight floats
// and two strings.
constexpr quint64 kMinStringBytes = 1;
constexpr quint64 kAttributeFloats = 8;
constexpr quint64 kMinPathBytes = kMinStringBytes;
constexpr quint64 kMinEntryBytes = kMinPathBytes + kAttributeFloats * 4 + 2 * kMinStringBytes;

// Keeps a populate batch balanced when a load is interrupted.
class PopulateBatch
{
public:
    explicit PopulateBatch(CPicDropper& dropper)
        : m_dropper(dropper)
    {
        m_dropper.BeginPopulate();
    }
    ~PopulateBatch() { m_dropper.EndPopulate(); }
    PopulateBatch(const PopulateBatch&) = delete;
    PopulateBatch& operator=(const PopulateBatch&) = delete;

private:
    CPicDropper& m_dropper;
};

} // namespace

CPicDropper::CPicDropper(CMyPhotos& photos, CNotificationBus* bus)
    : m_photos(photos)
    , m_bus(bus)
{
}

CPicDropper::~CPicDropper() { releaseAll(); }

int CPicDropper::indexOf(const QString& path) const
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&path](const CDropperEntry& entry) { return entry.path == path; });
    return it == m_entries.end() ? -1 : static_cast<int>(it - m_entries.begin());
}

void CPicDropper::setCurrentIndex(int index)
{
    m_currentIndex = m_entries.empty() ? 0 : std::clamp(index, 0, count() - 1);
}

bool CPicDropper::AddToDropper(const QString& path, const CPicInfoAttr* attributes)
{
    if (path.isEmpty() || indexOf(path) >= 0)
        return false;
    CPhotoItem* photo = m_photos.FindPhoto(path, true);
    if (!photo)
        return false;
    // Two spellings of one file are one photo.
    const bool held = std::any_of(m_entries.begin(), m_entries.end(),
                                  [photo](const CDropperEntry& entry) { return entry.photo == photo; });
    if (held)
        return false;

    CDropperEntry entry;
    entry.path = path;
    if (attributes)
        entry.attributes = *attributes;
    entry.photo = photo;
    photo->addUse();
    m_entries.push_back(std::move(entry));
    announce(Event::NewPhoto, photo);
    return true;
}

void CPicDropper::BeginPopulate()
{
    if (m_populateDepth++ == 0)
        announce(Event::BeginPopulate);
}

void CPicDropper::EndPopulate()
{
    if (m_populateDepth == 0)
        return;
    if (--m_populateDepth == 0)
        announce(Event::EndPopulate);
}

void CPicDropper::announce(const char* event, CPhotoItem* photo)
{
    if (m_bus)
        m_bus->Broadcast(QString::fromLatin1(Channel::Dropper), QString::fromLatin1(event), photo);
}

void CPicDropper::RemoveAll()
{
    if (m_entries.empty())
        return;
    PopulateBatch batch(*this);
    std::vector<CDropperEntry> entries = std::exchange(m_entries, {});
    m_currentIndex = 0;
    for (CDropperEntry& entry : entries) {
        announce(Event::RemovePhoto, entry.photo);
        if (entry.photo)
            entry.photo->releaseUse();
    }
}

void CPicDropper::releaseAll()
{
    // Taken out first: releasing a use may call back into the collection.
    std::vector<CDropperEntry> entries = std::exchange(m_entries, {});
    for (CDropperEntry& entry : entries) {
        if (entry.photo)
            entry.photo->releaseUse();
    }
    m_currentIndex = 0;
}

void CPicDropper::serialize(CArchive& ar)
{
    if (ar.isStoring())
        write(ar);
    else
        read(ar);
}

void CPicDropper::write(CArchive& ar)
{
    ar.writeI32(m_currentIndex);
    ar.writeCount(static_cast<quint32>(m_entries.size()));
    for (CDropperEntry& entry : m_entries) {
        ar.writeString(entry.path);
        entry.attributes.serialize(ar);
    }
}

void CPicDropper::read(CArchive& ar)
{
    struct StoredEntry
    {
        QString path;
        CPicInfoAttr attributes;
    };
    std::vector<StoredEntry> stored;
    qint32 storedIndex = 0;

    const bool pathsOnly = ar.documentVersion() < kEntryRecordVersion;
    if (!pathsOnly)
        storedIndex = ar.readI32();
    const quint32 entryCount = ar.readCount();
    ar.checkCount(entryCount, pathsOnly ? kMinPathBytes : kMinEntryBytes);
    stored.reserve(entryCount);
    for (quint32 i = 0; i < entryCount; ++i) {
        StoredEntry entry;
        entry.path = ar.readString();
        if (!pathsOnly)
            entry.attributes.serialize(ar);
        stored.push_back(std::move(entry));
    }

    PopulateBatch batch(*this);
    releaseAll();
    for (const StoredEntry& entry : stored)
        AddToDropper(entry.path, &entry.attributes);
    setCurrentIndex(storedIndex);
}
