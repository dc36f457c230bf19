#include "picdropper.h"

#include "frameops.h"
#include "imagetypes.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "photoitem.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "undo.h"

#include <QDir>
#include <QFileInfo>
#include <QPointF>
#include <QStringList>

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
    if (m_bus)
        m_bus->Register(this, QString::fromLatin1(Channel::MyPhotos));
}

CPicDropper::~CPicDropper()
{
    if (m_bus)
        m_bus->Unregister(this, QString::fromLatin1(Channel::MyPhotos));
    m_floatingFrame.reset();
    releaseAll();
}

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

void CPicDropper::StepCurrent(int steps)
{
    if (m_entries.empty())
        return;
    // A true modulus: a step of any size backwards wraps as far as it goes.
    const qint64 size = count();
    const qint64 next = ((qint64(m_currentIndex) + steps) % size + size) % size;
    m_currentIndex = static_cast<int>(next);
    refreshFloatingFrame();
    announce(Event::FocusPhoto, m_entries[m_currentIndex].photo);
}

bool CPicDropper::AddToDropper(const QString& path, const CPicInfoAttr* attributes)
{
    return insert(path, attributes, count());
}

bool CPicDropper::insert(const QString& path, const CPicInfoAttr* attributes, int position)
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

    if (!m_reading) {
        CUndoRecord record(m_undo, QString::fromLatin1(kNewPhotoKey), QString::fromLatin1(kNewPhotoName));
        if (CArchive* ar = record.payload())
            ar->writeString(path);
        record.commit();
    }

    CDropperEntry entry;
    entry.path = path;
    if (attributes)
        entry.attributes = *attributes;
    entry.photo = photo;
    photo->addUse();
    position = std::clamp(position, 0, count());
    m_entries.insert(m_entries.begin() + position, std::move(entry));
    if (position <= m_currentIndex && count() > 1)
        ++m_currentIndex; // the tool keeps holding the photo it held
    setCurrentIndex(m_currentIndex);
    markModified();
    announce(Event::NewPhoto, photo);
    refreshFloatingFrame();
    return true;
}

bool CPicDropper::RemoveFromDropper(const QString& path)
{
    const int position = indexOf(path);
    if (position < 0)
        return false;

    {
        CUndoRecord record(m_undo, QString::fromLatin1(kRemovePhotoKey), QString::fromLatin1(kRemovePhotoName));
        if (CArchive* ar = record.payload()) {
            ar->writeString(path);
            ar->writeI32(position);
            m_entries[position].attributes.serialize(*ar);
        }
        record.commit();
    }

    CDropperEntry entry = std::move(m_entries[position]);
    m_entries.erase(m_entries.begin() + position);
    if (position < m_currentIndex)
        --m_currentIndex;
    setCurrentIndex(m_currentIndex);
    markModified();
    announce(Event::RemovePhoto, entry.photo);
    if (entry.photo)
        entry.photo->releaseUse();

    if (m_toolMode) {
        if (m_entries.empty())
            SetToolMode(false);
        else
            refreshFloatingFrame();
    }
    return true;
}

void CPicDropper::EmptyDropper()
{
    SetToolMode(false);
    m_currentIndex = 0;
    if (m_entries.empty())
        return;
    CUndoGroup group(m_undo);
    PopulateBatch batch(*this);
    // From the back, so each recorded position is where an undo puts the
    // entry back while the ones before it are already there again.
    while (!m_entries.empty())
        RemoveFromDropper(m_entries.back().path);
}

QString CPicDropper::AddPhotos(const QStringList& paths)
{
    if (count() + paths.size() > kMaxPhotos)
        return QString::fromLatin1(kTooManyFiles);
    CUndoGroup group(m_undo);
    PopulateBatch batch(*this);
    for (const QString& path : paths)
        AddToDropper(path);
    return {};
}

QString CPicDropper::AddFolder(const QString& folder)
{
    QStringList images;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& file : files) {
        if (ImageTypes::isImage(file.fileName()))
            images << file.absoluteFilePath();
    }
    if (images.isEmpty())
        return QString::fromLatin1(kNoValidPhoto);
    return AddPhotos(images);
}

bool CPicDropper::PickUp(CPicInfo& frame)
{
    CPhotoItem* photo = frame.photo();
    if (!photo || !frame.hasPermission(CPicInfo::kPermissionSetPhoto))
        return false;
    CUndoGroup group(m_undo);
    const CPicInfoAttr attributes = frame.attributes();
    if (!AddToDropper(photo->path(), &attributes))
        return false;
    frame.removePhoto();
    return true;
}

// ---------------------------------------------------------------------------
// The tool

void CPicDropper::SetToolMode(bool on)
{
    on = on && !m_entries.empty();
    if (on == m_toolMode)
        return;
    m_toolMode = on;
    if (on)
        refreshFloatingFrame();
    else
        m_floatingFrame.reset();
}

void CPicDropper::moveFloatingFrame(const QPointF& centre)
{
    m_floatingCentre = centre;
    if (!m_floatingFrame)
        return;
    const CCanvasRect rect = dropRect(centre);
    const CCanvasRect old = m_floatingFrame->frameRect();
    m_floatingFrame->setFramePos(rect.x, rect.y);
    const CCanvasRect image = m_floatingFrame->imageRect();
    m_floatingFrame->setImagePos(image.x + rect.x - old.x, image.y + rect.y - old.y);
}

CCanvasRect CPicDropper::dropRect(const QPointF& centre) const
{
    if (m_entries.empty())
        return {};
    const CDropperEntry& entry = m_entries[m_currentIndex];
    float width = entry.attributes.imageRect().width;
    float height = entry.attributes.imageRect().height;
    if (entry.attributes.imageRect().isEmpty()) {
        float pixelWidth = entry.photo ? entry.photo->pixelWidth() : 0.0f;
        float pixelHeight = entry.photo ? entry.photo->pixelHeight() : 0.0f;
        if (!(pixelWidth > 0.0f) || !(pixelHeight > 0.0f)) {
            pixelWidth = 4.0f; // a photo not read yet is taken as a 4:3 landscape
            pixelHeight = 3.0f;
        }
        const float scale = kDropFrameSide / std::max(pixelWidth, pixelHeight);
        width = pixelWidth * scale;
        height = pixelHeight * scale;
    }
    return {float(centre.x()) - width / 2, float(centre.y()) - height / 2, width, height};
}

// The floating photo turned or drawn anew: it floats again in its new
// proportions, and the view hears of it as the photo held.
bool CPicDropper::OnNotify(const CNotifyMessage& message)
{
    const bool turned = message.event.compare(QLatin1String(Event::FlipPhoto), Qt::CaseInsensitive) == 0;
    const bool redrawn = message.event.compare(QLatin1String(Event::RenderComplete), Qt::CaseInsensitive) == 0;
    if (!(turned || redrawn) || !m_floatingFrame || m_entries.empty())
        return false;
    CPhotoItem* held = m_entries[m_currentIndex].photo;
    if (static_cast<const void*>(held) != message.parameter)
        return false;
    refreshFloatingFrame();
    announce(Event::FocusPhoto, held);
    return true;
}

void CPicDropper::refreshFloatingFrame()
{
    if (!m_toolMode || m_entries.empty())
        return;
    m_floatingFrame = std::make_unique<CPicInfo>();
    const CCanvasRect rect = dropRect(m_floatingCentre);
    m_floatingFrame->setFramePos(rect.x, rect.y);
    m_floatingFrame->setFrameSize(rect.width, rect.height);
    placeEntry(*m_floatingFrame, m_entries[m_currentIndex]);
}

void CPicDropper::placeEntry(CPicInfo& frame, const CDropperEntry& entry)
{
    frame.setPhoto(entry.photo);
    const CPicInfoAttr& attributes = entry.attributes;
    frame.setAlpha(attributes.alpha());
    frame.setBrightness(attributes.brightness());
    frame.setContrast(attributes.contrast());
    frame.setGamma(attributes.gamma());
    frame.setDescription(attributes.description());
    frame.setLink(attributes.link());
    // A picked-up image keeps its scale; it is centred in its new frame.
    const CCanvasRect& image = attributes.imageRect();
    if (!image.isEmpty()) {
        const CCanvasRect& box = frame.frameRect();
        frame.setImageSize(image.width, image.height);
        frame.setImagePos(box.x + (box.width - image.width) / 2, box.y + (box.height - image.height) / 2);
    }
}

CPicInfo* CPicDropper::DropCurrent(CPicInfoManager& frames, const QPointF& centre, CPicInfo* target)
{
    if (m_entries.empty())
        return nullptr;
    const CDropperEntry entry = m_entries[m_currentIndex];
    const bool fills = target && target->manager() == &frames && !target->photo() &&
                       target->isInPlanes(CPicInfoManager::planesOf(CPicInfoManager::kPhotoPlaneNumber)) &&
                       target->hasPermission(CPicInfo::kPermissionSetPhoto);
    CUndoGroup group(frames.undo());
    CPicInfo* frame = fills ? target : CFrameOps(frames).createFrame(dropRect(centre));
    if (!frame)
        return nullptr;
    placeEntry(*frame, entry);
    RemoveFromDropper(entry.path);
    return frame;
}

// ---------------------------------------------------------------------------
// Undo

bool CPicDropper::replay(const CUndoItem& item, CArchive& payload)
{
    if (item.kind() == QLatin1String(kNewPhotoKey)) {
        const QString path = payload.readString();
        RemoveFromDropper(path);
        return true;
    }
    if (item.kind() == QLatin1String(kRemovePhotoKey)) {
        const QString path = payload.readString();
        const qint32 position = payload.readI32();
        // A payload of only path and position gives the photo neutral attributes.
        CPicInfoAttr attributes;
        if (payload.remaining() > 0)
            attributes.serialize(payload);
        insert(path, &attributes, position);
        return true;
    }
    return false;
}

void CPicDropper::markModified()
{
    if (m_bus && !m_reading)
        m_bus->Broadcast(QString::fromLatin1(Channel::Doc), QString::fromLatin1(Event::HasMods),
                         CNotifyMessage::valueParameter(1));
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

    // The history of the project being read describes these entries; the
    // dropper records nothing, and the document is as stored.
    SetToolMode(false);
    PopulateBatch batch(*this);
    releaseAll();
    m_reading = true;
    for (const StoredEntry& entry : stored)
        AddToDropper(entry.path, &entry.attributes);
    m_reading = false;
    setCurrentIndex(storedIndex);
}
