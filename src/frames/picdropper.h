#pragma once
// The photo dropper: the tray of photos waiting to be placed on the canvas.
// Each entry keeps the image attributes the photo had in a frame, so that a
// photo picked up from a frame and dropped again keeps its crop and
// adjustments, and holds one use of its photo, so a refresh or clearing of
// the collection never hides it. Saved with the project in the "Dropper"
// section.
//
// One per document, owned by the services next to the photo collection it
// resolves paths through; destroy it before the collection. User-interface
// thread only.

#include "archive.h"
#include "picinfoattr.h"

#include <QString>

#include <vector>

class CMyPhotos;
class CNotificationBus;
class CPhotoItem;

struct CDropperEntry
{
    // Exactly as it was added or read: the collection's own spelling may
    // differ (it keys by the absolute, cleaned path) but the project keeps
    // what it stored.
    QString path;
    CPicInfoAttr attributes;
    CPhotoItem* photo = nullptr; // one use held while the entry exists
};

class CPicDropper : public CSerializable
{
public:
    static constexpr quint16 kSchema = 1;
    // Written as the "Dropper" section's content, never as a tagged object,
    // so it is not registered: it has no empty instance to make (it needs
    // its collection).
    static const CRuntimeClass classInfo;
    const CRuntimeClass& runtimeClass() const override { return classInfo; }

    // Files before this document version store only the list of paths.
    static constexpr int kEntryRecordVersion = 20;

    // `bus` may be null; then nothing is announced.
    explicit CPicDropper(CMyPhotos& photos, CNotificationBus* bus = nullptr);
    ~CPicDropper() override;
    CPicDropper(const CPicDropper&) = delete;
    CPicDropper& operator=(const CPicDropper&) = delete;

    int count() const { return static_cast<int>(m_entries.size()); }
    const std::vector<CDropperEntry>& entries() const { return m_entries; }
    // Position of the entry with exactly that path, or -1.
    int indexOf(const QString& path) const;

    // Kept inside 0 .. count - 1 (0 when empty).
    int currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(int index);

    // Appends the photo with the given attributes (neutral ones when none).
    // Refused when the path, or the photo it names, is already in the
    // dropper, or the collection does not accept the path (not an image
    // type). Takes a use of the photo and announces "NewPhoto" on "Dropper".
    bool AddToDropper(const QString& path, const CPicInfoAttr* attributes = nullptr);

    // Nest a batch of changes; "BeginPopulate" and "EndPopulate" are
    // announced on "Dropper" only on the outermost pair.
    void BeginPopulate();
    void EndPopulate();
    int populateDepth() const { return m_populateDepth; }

    // Takes every photo out, in one populate batch, announcing each removal.
    void RemoveAll();

    // Current index (i32), the entry count, then per entry the path and the
    // attribute record. Files below version 20 hold only a list of paths,
    // read with neutral attributes and the current index 0. Loading reads
    // the whole record first; only then it empties the dropper and adds
    // every stored entry again in one populate batch. Entries the collection
    // refuses now (or repeats) are dropped and the current index is clamped
    // to what remains.
    void serialize(CArchive& ar) override;

private:
    void write(CArchive& ar);
    void read(CArchive& ar);
    void releaseAll();
    void announce(const char* event, CPhotoItem* photo = nullptr);

    CMyPhotos& m_photos;
    CNotificationBus* m_bus;
    std::vector<CDropperEntry> m_entries;
    int m_currentIndex = 0;
    quint16 m_populateDepth = 0;
};
