#pragma once
// The photo collection: every photo file the program knows, keyed by its
// path exactly as the file system spells it (two paths that differ only in
// letter case are two photos), with the Photo Moments beside it. Stored per
// user in "Collection.DAT" and "Moments.DAT" in the photo database folder.
//
// One instance per process, owned by the services object; it takes the
// settings store, message catalogue and notification bus it works with, and
// an optional link to the thumbnail cache. It loads lazily: every operation
// reads the files first if this run has not read them yet. User-interface
// thread only, except mutex() and what CPhotoItem allows the worker.

#include "archive.h"
#include "notificationbus.h"
#include "photoitem.h"
#include "photomoments.h"
#include "photorefresh.h"
#include "propbinding.h"

#include <QDate>
#include <QFileInfo>
#include <QImage>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>
#include <unordered_map>
#include <vector>

class CMessageCatalogue;
class CPropManager;

// What the collection asks of the thumbnail cache and its worker. The cache
// implements it; the collection works without one (a null link).
class CThumbnailCacheLink
{
public:
    virtual ~CThumbnailCacheLink() = default;
    // Deletes the thumbnail store and starts an empty one.
    virtual void resetThumbs() = 0;
    // Writes pending thumbnail changes to the store.
    virtual void commitThumbs() = 0;
    // Stops the background worker and withdraws its pending notifications;
    // afterwards no thread holds a photo of the collection.
    virtual void stopWorker() = 0;
    // The photo's renderings are stale or it is leaving the collection:
    // delete its stored thumbnail (when it has a slot) and forget it in the
    // render queue and the memory list. Returns only once the worker no
    // longer holds the photo and no notification about it is pending, since
    // the photo may be destroyed next. The collection then sets the slot to
    // 0 and drops the photo's cached pictures.
    virtual void dropThumbnail(CPhotoItem& photo) = 0;
    // Stores a thumbnail in a new slot; 0 when it could not.
    virtual quint32 allocateThumb(const QImage& thumbnail) = 0;
    // Turns the thumbnail stored in `slot` from `fromTurns` to `toTurns`
    // clockwise quarter turns and stores it back.
    virtual void turnThumb(quint32 slot, int fromTurns, int toTurns) = 0;
};

class CMyPhotos : public CSerializable, public CNotifyListener
{
public:
    static constexpr quint16 kSchema = 1;
    // Never read as a tagged object, so never registered: it has no empty
    // instance to create (it needs its services).
    static const CRuntimeClass classInfo;
    const CRuntimeClass& runtimeClass() const override { return classInfo; }

    enum class LoadResult { Loaded, NoFile, Unreadable };
    enum class SaveResult { Unchanged, Saved, Failed };
    enum class RemoveDbResult { Refused, Declined, Removed, NotThere };

    static constexpr int kPlaceholderSide = 64;
    static constexpr QRgb kWaitingPlaceholderColour = 0xFFEAE8D9;
    static constexpr QRgb kInvalidPlaceholderColour = 0xFF800000;

    // `folder` holds the two database files; it is created when missing.
    CMyPhotos(CPropManager& settings, CMessageCatalogue& catalogue, CNotificationBus& bus,
              CThumbnailCacheLink* thumbnails = nullptr, const QString& folder = {});
    ~CMyPhotos() override;
    CMyPhotos(const CMyPhotos&) = delete;
    CMyPhotos& operator=(const CMyPhotos&) = delete;

    void setThumbnailCache(CThumbnailCacheLink* thumbnails) { m_thumbs = thumbnails; }

    QString folder() const { return m_folder; }
    QString collectionPath() const;
    QString momentsPath() const;

    // Reads both files, once per run. A "Collection.DAT" that cannot be
    // opened or read (truncated, wrong lengths, random bytes) leaves the
    // collection empty and resets the thumbnail store; an unreadable one
    // also marks the collection dirty so the next save replaces it. Unknown
    // sections and section versions are skipped by their length.
    LoadResult Load();
    bool isLoaded() const { return m_loaded; }

    // Commits the thumbnail store; when dirty, stops the thumbnail worker,
    // drops every hidden photo with its thumbnail, records the time as the
    // last update and writes both files. Each file is written beside the old
    // one and renamed into place, so a failed save leaves the old file and
    // the collection still dirty.
    SaveResult Save();
    bool isDirty() const { return m_dirty; }

    // The photo of that path, or null. When absent and `addIfMissing` is set
    // and the path names a supported image type, it is added and its file
    // checked. Constant time apart from that.
    CPhotoItem* FindPhoto(const QString& path, bool addIfMissing = false);
    // The photo of that path, created with every field zero when absent.
    CPhotoItem* AddPhoto(const QString& path);
    // Whether the file exists; updates the missing bit, and re-reads the
    // photo's information when the file's last-write time has changed.
    bool CheckFile(CPhotoItem& photo);
    // Reads date, size and times of the file into the photo. False when the
    // file does not exist. A file that does not decode sets the invalid bit.
    bool ReadPhotoInfo(CPhotoItem& photo, const QFileInfo& file);
    // Sets pixel size and photo date from the file: the capture date, else
    // the EXIF date-time, else the file's last-write time. Returns whether
    // the date came from the photo's metadata.
    bool ReadPhotoDate(CPhotoItem& photo, const QFileInfo& file);
    // Permanently: the photo leaves the collection with its thumbnail (a
    // photo still in use stays alive for its holders, outside the
    // collection). Otherwise the photo is tagged hidden, unless it is in use.
    // Returns whether the photo was removed or hidden.
    bool RemovePhoto(const QString& path, bool permanently);
    // Tags or untags the photo as hidden; a photo in use is never hidden.
    bool SetHidden(CPhotoItem& photo, bool hidden);
    // Turns the photo to `quarterTurns` clockwise quarter turns and returns
    // the turns it had, for the caller's undo record. Waits briefly while
    // the thumbnail worker is rendering the photo.
    int SetQuarterTurns(CPhotoItem& photo, int quarterTurns);
    // Records the thumbnail slot the cache stored the photo's thumbnail in.
    void setThumbnailSlot(CPhotoItem& photo, quint32 slot);

    // Every photo, older first (by day, then photo date, then path).
    const std::vector<CPhotoItem*>& ByDate();
    // Position in ByDate() of the first photo taken on `day`, or -1.
    int PhotosOnDate(const QDate& day);
    int photoCount();
    // Photos held by frames or the dropper.
    quint32 photosInUse() const { return m_photosInUse; }

    // Clears the collection after asking the user: refused with "PhotosLock"
    // while photos are in use, asks "SureDelDB", deletes "Collection.DAT"
    // and resets the thumbnail store; "DBNotThere" when there was no file to
    // delete. Announces "RemoveDB" on "MyPhotos".
    RemoveDbResult RemoveDatabase();

    // Photo Moments: see CPhotoMoments for what each returns.
    QString AddMoment(const QString& name, const QStringList& photos, const COleDate& date,
                      bool replaceExisting = false);
    QString RemoveMoment(const QString& name);
    QString RenameMoment(const QString& oldName, const QString& newName, bool replaceExisting = false);
    const CPhotoPos* FindMoment(const QString& name);
    QStringList MomentNames();

    // Scans the search folders: adds new images, re-reads changed ones,
    // hides photos whose files have gone. Stores the folders and the hidden
    // choice in the settings, and the time of a completed refresh in
    // "LastPhotoUpdate". Unchanged files are not opened.
    CRefreshResult Refresh(const CRefreshRequest& request);
    // The refresh dialog's defaults.
    QStringList refreshSearchFolders() const;
    bool refreshSkipsHidden() const { return m_noHidden.get(); }

    const QString& description() const { return m_description; }
    const COleDate& lastUpdate() const { return m_lastUpdate; }

    // Stand-ins for a thumbnail not rendered yet and for a photo that
    // cannot be decoded or found.
    const QImage& waitingPlaceholder() const { return m_waitingPlaceholder; }
    const QImage& invalidPlaceholder() const { return m_invalidPlaceholder; }

    // Guards the render queue and every photo's cached thumbnail; shared
    // with the thumbnail worker.
    QMutex& mutex() { return m_mutex; }

    // "Collection.DAT": sections "Description" and "Photos", then "Done".
    // Loading replaces the collection only when the whole file was read.
    void serialize(CArchive& ar) override;
    // "Moments.DAT": the moments map alone.
    void serializeMoments(CArchive& ar);

    // "MyPhotos": "SaveThumb", "ImageError", "CacheError", "MakeDirty";
    // "Application": "Closing".
    bool OnNotify(const CNotifyMessage& message) override;

private:
    friend class CPhotoItem;
    using PhotoMap = std::unordered_map<QString, std::unique_ptr<CPhotoItem>>;

    void photoUseChanged(CPhotoItem& photo, bool inUse);
    void markDirty() { m_dirty = true; }
    void announce(const char* event, CPhotoItem* photo);

    bool writeFile(const QString& path, void (CMyPhotos::*write)(CArchive&));
    bool readFile(const QString& path, void (CMyPhotos::*read)(CArchive&));
    void readPhotoMap(CArchive& ar, PhotoMap& photos, std::vector<CPhotoItem*>& order);
    void writePhotoMap(CArchive& ar);
    void compactOrder();

    void adopt(CPhotoItem& photo, const QString& path);
    // Takes the photo out of the map; one still in use is kept alive apart.
    void detach(PhotoMap::iterator it);
    void clearPhotos();
    void dropHiddenPhotos();
    void forgetRenderings(CPhotoItem& photo);
    void setPhotoDate(CPhotoItem& photo, const QDateTime& date, bool fromMetadata);
    // Whether the file's last-write time differs from the one last read.
    static bool changedSinceRead(const CPhotoItem& photo, const QFileInfo& file);
    // A refresh's examination of an image file the scan found: adds it, or
    // re-reads it when it changed.
    void refreshFile(const QFileInfo& file);
    // The path as the collection keys it: absolute and without "." or ".."
    // steps or doubled separators, letter case untouched.
    static QString keyFor(const QString& path);

    CMessageCatalogue& m_catalogue;
    CNotificationBus& m_bus;
    CThumbnailCacheLink* m_thumbs;
    QString m_folder;

    CStringProp m_searchDirs;
    CBoolProp m_noHidden;
    CStringProp m_lastPhotoUpdate;

    QString m_description;
    COleDate m_lastUpdate;
    PhotoMap m_photos;
    // The photos in the order they came: file order, then additions. The
    // file is written in this order, so reading a file and writing it again
    // gives back the same bytes, whichever program wrote it. Removed photos
    // leave null holes until the next write.
    std::vector<CPhotoItem*> m_order;
    CPhotoMoments m_moments;
    // Photos that left the collection while frames still held them.
    std::vector<std::unique_ptr<CPhotoItem>> m_released;
    std::vector<CPhotoItem*> m_byDate;
    bool m_byDateStale = true;

    bool m_loaded = false;
    LoadResult m_loadResult = LoadResult::NoFile;
    bool m_dirty = false;
    quint32 m_photosInUse = 0;

    QImage m_waitingPlaceholder;
    QImage m_invalidPlaceholder;
    QMutex m_mutex;
};
