#pragma once
// One photo of the collection: where its file is, when the photo was taken,
// how big it is, how it is turned, its state bits and its thumbnail slot.
// Owned by CMyPhotos; frames and the dropper hold non-owning pointers and
// count themselves in the use count while they do.
//
// Threading: the user-interface thread owns every field. The thumbnail
// worker reads a queued photo's path and size and sets the being-rendered
// bit, so the flags word is atomic; the cached thumbnail is guarded by the
// collection's lock (CMyPhotos::mutex()).

#include "archive.h"

#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <atomic>

class CMyPhotos;

// A date broken into its parts, laid out as the 16-byte system-time record:
// eight 16-bit fields. Day of week counts from Sunday = 0.
struct CSystemTime
{
    quint16 year = 0;
    quint16 month = 0;
    quint16 dayOfWeek = 0;
    quint16 day = 0;
    quint16 hour = 0;
    quint16 minute = 0;
    quint16 second = 0;
    quint16 milliseconds = 0;

    static constexpr int kRecordSize = 16;

    static CSystemTime fromDateTime(const QDateTime& dateTime);
    // The calendar day, invalid when the parts are not a real date.
    QDate date() const;
    // Orders by year, month and day only.
    int compareDay(const QDate& day) const;

    void serialize(CArchive& ar);
    friend bool operator==(const CSystemTime&, const CSystemTime&) = default;
};

class CPhotoItem : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CPhotoItem)

public:
    static constexpr quint16 kSchema = 1;

    // State bits, the low byte of the flags word.
    static constexpr quint32 kFlagHidden = 0x01;           // tagged to be hidden ("Removed Photos")
    static constexpr quint32 kFlagSeen = 0x02;             // found by the running refresh; transient
    static constexpr quint32 kFlagMetadataDate = 0x04;     // the photo date came from the photo itself
    static constexpr quint32 kFlagMissing = 0x08;          // the file was not found
    static constexpr quint32 kFlagInvalid = 0x10;          // the file exists but does not decode
    static constexpr quint32 kFlagHasTransparency = 0x20;  // the image has an alpha channel
    static constexpr quint32 kFlagBeingRendered = 0x80;    // the thumbnail worker holds the photo

    // Bytes of the stored record: three dates, the date parts, size, flags,
    // pixel width and height, thumbnail slot and quarter turns.
    static constexpr int kRecordSize = 8 + 8 + CSystemTime::kRecordSize + 8 + 4 + 4 + 4 + 4 + 4 + 2;

    static constexpr int kQuarterTurnsPerTurn = 4;
    // Any count of clockwise quarter turns as 0 to 3.
    static constexpr int normalisedTurns(int quarterTurns)
    {
        const int turns = quarterTurns % kQuarterTurnsPerTurn;
        return turns < 0 ? turns + kQuarterTurnsPerTurn : turns;
    }

    CPhotoItem() = default;
    ~CPhotoItem() override;
    CPhotoItem(const CPhotoItem&) = delete;
    CPhotoItem& operator=(const CPhotoItem&) = delete;

    // The file path exactly as the file system spells it; also the key.
    const QString& path() const { return m_path; }

    // OLE day counts (days since 30 December 1899, local time).
    double photoDate() const { return m_photoDate; }
    double creationTime() const { return m_creationTime; }
    double lastWriteTime() const { return m_lastWriteTime; }
    const CSystemTime& dateParts() const { return m_dateParts; }
    quint32 fileSize() const { return m_fileSize; }
    float pixelWidth() const { return m_pixelWidth; }
    float pixelHeight() const { return m_pixelHeight; }
    quint32 thumbnailSlot() const { return m_thumbnailSlot; }
    int quarterTurns() const { return m_quarterTurns; }

    quint32 flags() const { return m_flags.load(std::memory_order_acquire); }
    bool hasFlag(quint32 bit) const { return (flags() & bit) != 0; }
    bool isHidden() const { return hasFlag(kFlagHidden); }
    bool isMissing() const { return hasFlag(kFlagMissing); }
    bool isInvalid() const { return hasFlag(kFlagInvalid); }
    bool hasMetadataDate() const { return hasFlag(kFlagMetadataDate); }
    bool isBeingRendered() const { return hasFlag(kFlagBeingRendered); }

    // Set and cleared by the thumbnail worker around its work on the photo.
    void setBeingRendered(bool on) { setFlag(kFlagBeingRendered, on); }

    // What the organizer shows about the photo.
    QString stateText() const;
    // "Tuesday, May 05, 2020", with " (File Date)" appended when the date is
    // the file's rather than the photo's own. Empty when the parts are no date.
    QString dateText() const;
    QString sizeText() const;

    // Frames and dropper entries that hold the photo. A photo in use is
    // never hidden, and stays alive while held even when the collection
    // lets go of it. User-interface thread.
    int useCount() const { return m_useCount; }
    bool isInUse() const { return m_useCount > 0; }
    void addUse();
    void releaseUse();

    // Cached pictures; not stored. The full image and working copy are the
    // imaging layer's, the thumbnail and preview the thumbnail cache's.
    // The imaging layer's record of a decode of the file: it decodes, with or
    // without an alpha channel, at this pixel size after the quarter turns
    // (clears the invalid bit); or it does not decode (sets it). The
    // collection is told when a stored field changes.
    void recordDecoded(bool hasTransparency, float pixelWidth, float pixelHeight);
    void recordUndecodable();

    const QImage& thumbnail() const { return m_thumbnail; }
    void setThumbnail(const QImage& image) { m_thumbnail = image; }
    const QImage& preview() const { return m_preview; }
    void setPreview(const QImage& image) { m_preview = image; }
    const QImage& fullImage() const { return m_fullImage; }
    void setFullImage(const QImage& image) { m_fullImage = image; }
    const QImage& workingCopy() const { return m_workingCopy; }
    void setWorkingCopy(const QImage& image);
    bool isWorkingCopyDirty() const { return m_workingCopyDirty; }
    // Drops the full image and the working copy (file, rotation or state
    // changed, or memory is wanted back); the working copy is rebuilt on use.
    void releaseImages();
    // Drops every cached picture, the thumbnail and preview too.
    void resetImages();

    // The record, in this order: creation time (f64), last-write time (f64),
    // date parts (16 bytes), photo date (f64), file size (u32), flags (u32),
    // pixel width (f32), pixel height (f32), thumbnail slot (u32), quarter
    // turns (u16). The path is not in it: the collection's key carries it.
    // The being-rendered bit belongs to this run only and is never stored.
    void serialize(CArchive& ar) override;

private:
    friend class CMyPhotos;

    // Returns whether the bit changed.
    bool setFlag(quint32 bit, bool on);

    QString m_path;
    double m_photoDate = 0.0;
    double m_creationTime = 0.0;
    double m_lastWriteTime = 0.0;
    CSystemTime m_dateParts;
    quint32 m_fileSize = 0;
    std::atomic<quint32> m_flags{0};
    float m_pixelWidth = 0.0f;
    float m_pixelHeight = 0.0f;
    quint32 m_thumbnailSlot = 0;
    quint16 m_quarterTurns = 0;

    int m_useCount = 0;
    CMyPhotos* m_owner = nullptr; // told when the photo comes into or goes out of use
    qsizetype m_orderIndex = -1;  // place in the collection's file order

    QImage m_thumbnail;
    QImage m_preview;
    QImage m_fullImage;
    QImage m_workingCopy;
    bool m_workingCopyDirty = true;
};
