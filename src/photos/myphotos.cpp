#include "myphotos.h"

#include "datapaths.h"
#include "imagetypes.h"
#include "messagecatalogue.h"
#include "photometadata.h"
#include "propmanager.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTransform>

#include <algorithm>

const CRuntimeClass CMyPhotos::classInfo = {"CMyPhotos", CMyPhotos::kSchema, nullptr};

namespace {

const QString kDescriptionSection = QStringLiteral("Description");
const QString kPhotosSection = QStringLiteral("Photos");
constexpr quint32 kSectionVersion = 1;

// The least a map entry can take in the file: a one-byte string length and
// a two-byte object tag.
constexpr quint64 kMinMapEntryBytes = 3;

// While the thumbnail worker renders a photo, a rotation waits this long,
// this many times, and then goes ahead.
constexpr int kRenderWaitPollMs = 100;
constexpr int kRenderWaitPolls = 5;

constexpr int kQuarterTurnDegrees = 90;

const QString kSearchDirSetting = QStringLiteral("RefreshSearchDir");
const QString kNoHiddenSetting = QStringLiteral("RefreshNoHidden");
const QString kLastUpdateSetting = QStringLiteral("LastPhotoUpdate");

const QString kPhotosLock = QStringLiteral("PhotosLock");
const QString kSureDelDB = QStringLiteral("SureDelDB");
const QString kDBNotThere = QStringLiteral("DBNotThere");

double oleDays(const QDateTime& dateTime) { return COleDate::fromDateTime(dateTime).days; }

// The file's creation time where the file system records one.
QDateTime creationTimeOf(const QFileInfo& file)
{
    const QDateTime birth = file.birthTime();
    return birth.isValid() ? birth : file.lastModified();
}

QImage turnedImage(const QImage& image, int clockwiseQuarterTurns)
{
    const int turns = CPhotoItem::normalisedTurns(clockwiseQuarterTurns);
    if (image.isNull() || turns == 0)
        return image;
    return image.transformed(QTransform().rotate(turns * kQuarterTurnDegrees));
}

QImage filledImage(QRgb colour)
{
    QImage image(CMyPhotos::kPlaceholderSide, CMyPhotos::kPlaceholderSide,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

bool sameName(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

bool olderFirst(const CPhotoItem* a, const CPhotoItem* b)
{
    const CSystemTime& pa = a->dateParts();
    const CSystemTime& pb = b->dateParts();
    // By day first, so that the search by day agrees with the order even
    // for a record whose parts and date disagree.
    if (pa.year != pb.year)
        return pa.year < pb.year;
    if (pa.month != pb.month)
        return pa.month < pb.month;
    if (pa.day != pb.day)
        return pa.day < pb.day;
    if (a->photoDate() != b->photoDate())
        return a->photoDate() < b->photoDate();
    return a->path() < b->path();
}

} // namespace

// ---------------------------------------------------------------------------
// Construction

CMyPhotos::CMyPhotos(CPropManager& settings, CMessageCatalogue& catalogue, CNotificationBus& bus,
                     CThumbnailCacheLink* thumbnails, const QString& folder)
    : m_catalogue(catalogue)
    , m_bus(bus)
    , m_thumbs(thumbnails)
    , m_folder(folder.isEmpty() ? DataPaths::photoDatabaseFolder() : folder)
    , m_searchDirs(settings, kSearchDirSetting, QStringLiteral("Folders searched for photos, separated by \";\""),
                   QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
    , m_noHidden(settings, kNoHiddenSetting, QStringLiteral("Skip hidden files and folders when searching for photos"),
                 true)
    , m_lastPhotoUpdate(settings, kLastUpdateSetting, QStringLiteral("Time of the last photo collection refresh"),
                        QString())
    , m_moments([this] { markDirty(); })
    , m_waitingPlaceholder(filledImage(kWaitingPlaceholderColour))
    , m_invalidPlaceholder(filledImage(kInvalidPlaceholderColour))
{
    CClassRegistry::add(CPhotoItem::classInfo);
    CClassRegistry::add(CPhotoPos::classInfo);
    m_bus.Register(this, Channel::MyPhotos);
    m_bus.Register(this, Channel::Application);
}

CMyPhotos::~CMyPhotos()
{
    m_bus.Unregister(this, Channel::MyPhotos);
    m_bus.Unregister(this, Channel::Application);
}

QString CMyPhotos::collectionPath() const { return m_folder + '/' + DataPaths::kCollectionFile; }

QString CMyPhotos::momentsPath() const { return m_folder + '/' + DataPaths::kMomentsFile; }

namespace {

// The photo of `path` as stored, else of its key: a collection written
// elsewhere may hold a path this program would spell differently (relative,
// or untidy); it is found as stored first, so that photo is never taken in
// a second time.
template <class PhotoMap>
auto lookUp(PhotoMap& photos, const QString& path, const QString& key)
{
    if (const auto it = photos.find(path); it != photos.end())
        return it;
    return photos.find(key);
}

} // namespace

QString CMyPhotos::keyFor(const QString& path)
{
    if (path.isEmpty())
        return path;
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// ---------------------------------------------------------------------------
// Loading and saving

CMyPhotos::LoadResult CMyPhotos::Load()
{
    if (m_loaded)
        return m_loadResult;
    m_loaded = true;
    QDir().mkpath(m_folder);

    m_dirty = false;
    if (!QFile::exists(collectionPath())) {
        m_loadResult = LoadResult::NoFile;
    } else if (readFile(collectionPath(), &CMyPhotos::serialize)) {
        m_loadResult = LoadResult::Loaded;
    } else {
        m_loadResult = LoadResult::Unreadable;
        m_dirty = true; // so the next save replaces the damaged file
    }
    if (m_loadResult != LoadResult::Loaded) {
        clearPhotos();
        if (m_thumbs)
            m_thumbs->resetThumbs();
    }

    if (QFile::exists(momentsPath()) && !readFile(momentsPath(), &CMyPhotos::serializeMoments)) {
        m_moments.clear();
        m_dirty = true;
    }
    return m_loadResult;
}

bool CMyPhotos::readFile(const QString& path, void (CMyPhotos::*read)(CArchive&))
{
    // Read whole (about 20 MB for 100,000 photos): the archive's bounds
    // checks ask the device for its size, which costs a system call per
    // string on a file and nothing on a buffer.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes;
    try {
        bytes = file.readAll();
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (bytes.size() != file.size())
        return false;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        CArchive ar(&buffer, CArchive::Mode::Load);
        (this->*read)(ar);
        return true;
    } catch (const CArchiveError&) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}

CMyPhotos::SaveResult CMyPhotos::Save()
{
    Load();
    if (m_thumbs)
        m_thumbs->commitThumbs();
    if (!m_dirty)
        return SaveResult::Unchanged;
    if (m_thumbs)
        m_thumbs->stopWorker();
    dropHiddenPhotos();
    m_lastUpdate = COleDate::fromDateTime(QDateTime::currentDateTime());

    QDir().mkpath(m_folder);
    if (!writeFile(collectionPath(), &CMyPhotos::serialize)
        || !writeFile(momentsPath(), &CMyPhotos::serializeMoments))
        return SaveResult::Failed;
    m_dirty = false;
    return SaveResult::Saved;
}

bool CMyPhotos::writeFile(const QString& path, void (CMyPhotos::*write)(CArchive&))
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    try {
        CArchive ar(&file, CArchive::Mode::Store);
        (this->*write)(ar);
        ar.flush();
    } catch (const CArchiveError&) {
        file.cancelWriting();
        return false;
    }
    // QSaveFile::commit does not notice a failed flush of its write buffer
    // and would put a cut-short file in place: flush first, commit only then.
    return file.flush() && file.commit();
}

void CMyPhotos::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.beginSection(kDescriptionSection, kSectionVersion);
        ar.writeString(m_description);
        ar.writeDate(m_lastUpdate);
        ar.endSection();
        ar.beginSection(kPhotosSection, kSectionVersion);
        writePhotoMap(ar);
        ar.endSection();
        ar.writeEndMarker();
        return;
    }

    // Read into locals, so a damaged file leaves nothing half-loaded.
    QString description;
    COleDate lastUpdate;
    PhotoMap photos;
    std::vector<CPhotoItem*> order;
    while (const auto header = ar.readSectionHeader()) {
        if (header->version == kSectionVersion && header->name == kDescriptionSection) {
            description = ar.readString();
            lastUpdate = ar.readDate();
        } else if (header->version == kSectionVersion && header->name == kPhotosSection) {
            readPhotoMap(ar, photos, order);
        }
        // Skips an unknown section, or what a known one left unread.
        ar.finishSection(*header);
    }

    clearPhotos();
    m_description = description;
    m_lastUpdate = lastUpdate;
    m_photos = std::move(photos);
    m_order.reserve(m_photos.size());
    for (CPhotoItem* photo : order)
        adopt(*photo, photo->m_path);
    m_byDateStale = true;
}

void CMyPhotos::readPhotoMap(CArchive& ar, PhotoMap& photos, std::vector<CPhotoItem*>& order)
{
    const quint32 count = ar.readCount();
    ar.checkCount(count, kMinMapEntryBytes);
    photos.reserve(photos.size() + count);
    order.reserve(order.size() + count);
    for (quint32 i = 0; i < count; ++i) {
        QString key = ar.readString();
        std::unique_ptr<CPhotoItem> photo = ar.readObject<CPhotoItem>();
        if (!photo)
            continue;
        photo->m_path = key;
        auto& slot = photos[std::move(key)];
        if (slot) {
            // A key the file repeats keeps its last record, at its first place.
            photo->m_orderIndex = slot->m_orderIndex;
            order[size_t(photo->m_orderIndex)] = photo.get();
        } else {
            photo->m_orderIndex = qsizetype(order.size());
            order.push_back(photo.get());
        }
        slot = std::move(photo);
    }
}

void CMyPhotos::writePhotoMap(CArchive& ar)
{
    compactOrder();
    ar.writeCount(quint32(m_order.size()));
    for (CPhotoItem* photo : m_order) {
        ar.writeString(photo->m_path);
        ar.writeObject(photo);
    }
}

void CMyPhotos::compactOrder()
{
    if (m_order.size() == m_photos.size())
        return;
    std::erase(m_order, nullptr);
    for (size_t i = 0; i < m_order.size(); ++i)
        m_order[i]->m_orderIndex = qsizetype(i);
}

void CMyPhotos::serializeMoments(CArchive& ar) { m_moments.serialize(ar); }

// ---------------------------------------------------------------------------
// Photos

void CMyPhotos::adopt(CPhotoItem& photo, const QString& path)
{
    photo.m_path = path;
    photo.m_owner = this;
    photo.m_orderIndex = qsizetype(m_order.size());
    m_order.push_back(&photo);
}

void CMyPhotos::photoUseChanged(CPhotoItem& photo, bool inUse)
{
    if (inUse) {
        ++m_photosInUse;
        return;
    }
    if (m_photosInUse > 0)
        --m_photosInUse;
}

void CMyPhotos::announce(const char* event, CPhotoItem* photo)
{
    m_bus.Broadcast(Channel::MyPhotos, event, photo);
}

CPhotoItem* CMyPhotos::FindPhoto(const QString& path, bool addIfMissing)
{
    Load();
    const QString key = keyFor(path);
    if (const auto it = lookUp(m_photos, path, key); it != m_photos.end())
        return it->second.get();
    if (!addIfMissing || key.isEmpty() || !ImageTypes::isImage(key))
        return nullptr;
    CPhotoItem* photo = AddPhoto(key);
    CheckFile(*photo);
    return photo;
}

CPhotoItem* CMyPhotos::AddPhoto(const QString& path)
{
    Load();
    const QString key = keyFor(path);
    if (const auto it = lookUp(m_photos, path, key); it != m_photos.end())
        return it->second.get();
    auto& slot = m_photos[key];
    if (!slot) {
        slot = std::make_unique<CPhotoItem>();
        adopt(*slot, key);
        m_byDateStale = true;
        markDirty();
    }
    return slot.get();
}

bool CMyPhotos::CheckFile(CPhotoItem& photo)
{
    Load();
    const QFileInfo file(photo.path());
    if (!file.isFile()) {
        if (photo.setFlag(CPhotoItem::kFlagMissing, true))
            markDirty();
        return false;
    }
    if (photo.setFlag(CPhotoItem::kFlagMissing, false))
        markDirty();
    if (changedSinceRead(photo, file)) {
        // What was rendered from an earlier state of the file no longer
        // shows it; a photo never read before has nothing to forget.
        if (photo.m_lastWriteTime != 0.0)
            forgetRenderings(photo);
        ReadPhotoInfo(photo, file);
    }
    return true;
}

bool CMyPhotos::ReadPhotoInfo(CPhotoItem& photo, const QFileInfo& file)
{
    Load();
    if (!file.isFile())
        return false;
    ReadPhotoDate(photo, file);
    photo.m_creationTime = oleDays(creationTimeOf(file));
    photo.m_lastWriteTime = oleDays(file.lastModified());
    photo.m_fileSize = quint32(qBound<qint64>(0, file.size(), std::numeric_limits<quint32>::max()));
    markDirty();
    return true;
}

bool CMyPhotos::ReadPhotoDate(CPhotoItem& photo, const QFileInfo& file)
{
    Load();
    if (!file.isFile())
        return false;
    const CPhotoMetadata meta = PhotoMetadata::read(photo.path());
    photo.setFlag(CPhotoItem::kFlagInvalid, !meta.decodes);
    if (meta.decodes) {
        const bool turnedSideways = CPhotoItem::normalisedTurns(photo.m_quarterTurns) % 2 != 0;
        const QSize size = turnedSideways ? meta.pixelSize.transposed() : meta.pixelSize;
        photo.m_pixelWidth = float(size.width());
        photo.m_pixelHeight = float(size.height());
        photo.setFlag(CPhotoItem::kFlagHasTransparency, meta.hasAlpha);
    }
    if (meta.metadataDate)
        setPhotoDate(photo, *meta.metadataDate, true);
    else
        setPhotoDate(photo, file.lastModified(), false);
    markDirty();
    return meta.metadataDate.has_value();
}

bool CMyPhotos::changedSinceRead(const CPhotoItem& photo, const QFileInfo& file)
{
    return photo.m_lastWriteTime != oleDays(file.lastModified());
}

void CMyPhotos::setPhotoDate(CPhotoItem& photo, const QDateTime& date, bool fromMetadata)
{
    photo.m_photoDate = oleDays(date);
    CSystemTime parts = CSystemTime::fromDateTime(date);
    if (!parts.date().isValid())
        parts = CSystemTime::fromDateTime(QDateTime::currentDateTime());
    photo.m_dateParts = parts;
    photo.setFlag(CPhotoItem::kFlagMetadataDate, fromMetadata);
    m_byDateStale = true;
}

void CMyPhotos::forgetRenderings(CPhotoItem& photo)
{
    if (m_thumbs)
        m_thumbs->dropThumbnail(photo);
    if (photo.m_thumbnailSlot != 0) {
        photo.m_thumbnailSlot = 0;
        markDirty();
    }
    QMutexLocker lock(&m_mutex);
    photo.resetImages();
}

bool CMyPhotos::RemovePhoto(const QString& path, bool permanently)
{
    Load();
    const auto it = m_photos.find(keyFor(path));
    if (it == m_photos.end())
        return false;
    CPhotoItem& photo = *it->second;
    if (permanently) {
        if (m_thumbs)
            m_thumbs->dropThumbnail(photo);
        detach(it);
        markDirty();
        return true;
    }
    if (photo.isInUse())
        return false;
    if (photo.setFlag(CPhotoItem::kFlagHidden, true))
        announce(Event::RenderComplete, &photo);
    markDirty();
    return true;
}

void CMyPhotos::detach(PhotoMap::iterator it)
{
    std::unique_ptr<CPhotoItem> photo = std::move(it->second);
    m_photos.erase(it);
    m_order[size_t(photo->m_orderIndex)] = nullptr;
    photo->m_orderIndex = -1;
    m_byDateStale = true;
    // Frames and the dropper point at it; it must outlive their hold.
    if (photo->isInUse())
        m_released.push_back(std::move(photo));
}

bool CMyPhotos::SetHidden(CPhotoItem& photo, bool hidden)
{
    Load();
    if (hidden && photo.isInUse())
        return false;
    if (photo.setFlag(CPhotoItem::kFlagHidden, hidden)) {
        markDirty();
        announce(Event::RenderComplete, &photo);
    }
    return true;
}

int CMyPhotos::SetQuarterTurns(CPhotoItem& photo, int quarterTurns)
{
    Load();
    const int previous = photo.m_quarterTurns;
    const int wanted = CPhotoItem::normalisedTurns(quarterTurns);
    if (wanted == previous)
        return previous;
    markDirty();
    // The worker turns the thumbnail it makes by the turns it read; changing
    // them under it would leave the thumbnail turned wrongly.
    for (int poll = 0; poll < kRenderWaitPolls && photo.isBeingRendered(); ++poll)
        QThread::msleep(kRenderWaitPollMs);

    const int delta = wanted - CPhotoItem::normalisedTurns(previous);
    {
        QMutexLocker lock(&m_mutex);
        if (m_thumbs && photo.m_thumbnailSlot != 0)
            m_thumbs->turnThumb(photo.m_thumbnailSlot, CPhotoItem::normalisedTurns(previous), wanted);
        photo.m_thumbnail = turnedImage(photo.m_thumbnail, delta);
        // With the thumbnail, under the lock: the worker turns what it makes
        // by the turns it finds here.
        photo.m_quarterTurns = quint16(wanted);
    }
    photo.releaseImages();
    if (delta % 2 != 0)
        std::swap(photo.m_pixelWidth, photo.m_pixelHeight);
    announce(Event::FlipPhoto, &photo);
    announce(Event::RenderComplete, &photo);
    return previous;
}

void CMyPhotos::setThumbnailSlot(CPhotoItem& photo, quint32 slot)
{
    if (photo.m_thumbnailSlot == slot)
        return;
    photo.m_thumbnailSlot = slot;
    markDirty();
}

void CMyPhotos::clearPhotos()
{
    std::vector<std::unique_ptr<CPhotoItem>> keep;
    for (auto& [key, photo] : m_photos) {
        if (photo->isInUse())
            keep.push_back(std::move(photo));
    }
    m_photos.clear();
    m_order.clear();
    for (auto& photo : keep) {
        photo->m_orderIndex = -1;
        m_released.push_back(std::move(photo));
    }
    m_byDate.clear();
    m_byDateStale = true;
}

void CMyPhotos::dropHiddenPhotos()
{
    for (auto it = m_photos.begin(); it != m_photos.end();) {
        if (!it->second->isHidden()) {
            ++it;
            continue;
        }
        if (m_thumbs)
            m_thumbs->dropThumbnail(*it->second);
        auto next = std::next(it);
        detach(it);
        it = next;
    }
    // Photos let go of earlier whose holders have all gone.
    std::erase_if(m_released, [](const auto& photo) { return !photo->isInUse(); });
}

// ---------------------------------------------------------------------------
// By date

const std::vector<CPhotoItem*>& CMyPhotos::ByDate()
{
    Load();
    if (m_byDateStale) {
        m_byDate.clear();
        m_byDate.reserve(m_photos.size());
        for (const auto& [key, photo] : m_photos)
            m_byDate.push_back(photo.get());
        std::sort(m_byDate.begin(), m_byDate.end(), olderFirst);
        m_byDateStale = false;
    }
    return m_byDate;
}

int CMyPhotos::PhotosOnDate(const QDate& day)
{
    const std::vector<CPhotoItem*>& index = ByDate();
    if (!day.isValid())
        return -1;
    const auto first = std::partition_point(index.begin(), index.end(), [&](const CPhotoItem* photo) {
        return photo->dateParts().compareDay(day) < 0;
    });
    if (first == index.end() || (*first)->dateParts().compareDay(day) != 0)
        return -1;
    return int(first - index.begin());
}

int CMyPhotos::photoCount()
{
    Load();
    return int(m_photos.size());
}

// ---------------------------------------------------------------------------
// Clearing the database

CMyPhotos::RemoveDbResult CMyPhotos::RemoveDatabase()
{
    Load();
    if (m_photosInUse > 0) {
        m_catalogue.show(kPhotosLock, MsgStyle::WarningOk);
        return RemoveDbResult::Refused;
    }
    if (m_catalogue.show(kSureDelDB, MsgStyle::QuestionYesNo) != MsgButton::Yes)
        return RemoveDbResult::Declined;
    // No worker may hold a photo that is about to be destroyed.
    if (m_thumbs)
        m_thumbs->stopWorker();
    clearPhotos();
    m_released.clear();
    m_description.clear();
    m_lastUpdate = COleDate();
    announce(Event::RemoveDB, nullptr);
    const bool deleted = QFile::remove(collectionPath());
    if (m_thumbs)
        m_thumbs->resetThumbs();
    m_dirty = false;
    if (!deleted) {
        m_catalogue.show(kDBNotThere, MsgStyle::InfoOk);
        return RemoveDbResult::NotThere;
    }
    return RemoveDbResult::Removed;
}

// ---------------------------------------------------------------------------
// Photo Moments

QString CMyPhotos::AddMoment(const QString& name, const QStringList& photos, const COleDate& date,
                             bool replaceExisting)
{
    Load();
    return m_moments.add(name, photos, date, replaceExisting);
}

QString CMyPhotos::RemoveMoment(const QString& name)
{
    Load();
    return m_moments.remove(name);
}

QString CMyPhotos::RenameMoment(const QString& oldName, const QString& newName, bool replaceExisting)
{
    Load();
    return m_moments.rename(oldName, newName, replaceExisting);
}

const CPhotoPos* CMyPhotos::FindMoment(const QString& name)
{
    Load();
    return m_moments.find(name);
}

QStringList CMyPhotos::MomentNames()
{
    Load();
    return m_moments.names();
}

// ---------------------------------------------------------------------------
// Notifications

bool CMyPhotos::OnNotify(const CNotifyMessage& message)
{
    if (sameName(message.channel, Channel::Application)) {
        if (sameName(message.event, Event::Closing) && m_thumbs) {
            m_thumbs->stopWorker();
            return true;
        }
        return false;
    }
    if (!sameName(message.channel, Channel::MyPhotos))
        return false;
    auto* photo = static_cast<CPhotoItem*>(message.parameter);
    if (sameName(message.event, Event::SaveThumb) && photo) {
        if (!m_thumbs || photo->m_thumbnailSlot != 0)
            return false;
        QImage thumbnail;
        {
            QMutexLocker lock(&m_mutex);
            thumbnail = photo->m_thumbnail;
        }
        if (thumbnail.isNull())
            return false;
        setThumbnailSlot(*photo, m_thumbs->allocateThumb(thumbnail));
        return true;
    }
    if (sameName(message.event, Event::ImageError) && photo) {
        if (photo->setFlag(CPhotoItem::kFlagInvalid, true))
            markDirty();
        return true;
    }
    if (sameName(message.event, Event::CacheError) || sameName(message.event, Event::MakeDirty)) {
        markDirty();
        return true;
    }
    return false;
}
