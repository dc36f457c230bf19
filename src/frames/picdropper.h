#pragma once
// The photo dropper: the tray of photos waiting to be placed on the canvas.
// Each entry keeps the image attributes the photo had in a frame, so that a
// photo picked up from a frame and dropped again keeps its crop and
// adjustments, and holds one use of its photo, so a refresh or clearing of
// the collection never hides it. Saved with the project in the "Dropper"
// section.
//
// One per document, owned by the services next to the photo collection it
// resolves paths through; destroy it before the collection. It listens on
// "MyPhotos": a photo turned or drawn anew while the tool floats it is
// floated again in its new proportions. User-interface thread only.

#include "archive.h"
#include "notificationbus.h"
#include "picinfoattr.h"

#include <QPointF>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class CMyPhotos;
class CPhotoItem;
class CPicInfo;
class CPicInfoManager;
class CUndo;
class CUndoItem;

struct CDropperEntry
{
    // Exactly as it was added or read: the collection's own spelling may
    // differ (it keys by the absolute, cleaned path) but the project keeps
    // what it stored.
    QString path;
    CPicInfoAttr attributes;
    CPhotoItem* photo = nullptr; // one use held while the entry exists
};

class CPicDropper : public CSerializable, private CNotifyListener
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

    static constexpr int kMaxPhotos = 200;

    // Undo action keys and names; their payloads are the dropper's own.
    static constexpr const char* kNewPhotoKey = "DropperNewPhoto";
    static constexpr const char* kNewPhotoName = "Add photo to Dropper";
    static constexpr const char* kRemovePhotoKey = "DropperRemovePhoto";
    static constexpr const char* kRemovePhotoName = "Remove photo from Dropper";

    static constexpr const char* kTooManyFiles = "DropperTooManyFiles";
    static constexpr const char* kNoValidPhoto = "DropperNoValidPhoto";
    static constexpr const char* kToolStatusText =
        "Press ESC or 'D' to close dropper tool; Right Click to \"pick up\" photo";

    // The longer side of a frame made for a photo that carries no image
    // rectangle of its own, in canvas units.
    static constexpr float kDropFrameSide = 3.0f;

    // `bus` may be null; then nothing is announced or heard.
    explicit CPicDropper(CMyPhotos& photos, CNotificationBus* bus = nullptr);
    ~CPicDropper() override;
    CPicDropper(const CPicDropper&) = delete;
    CPicDropper& operator=(const CPicDropper&) = delete;

    int count() const { return static_cast<int>(m_entries.size()); }
    const std::vector<CDropperEntry>& entries() const { return m_entries; }
    // Position of the entry with exactly that path, or -1.
    int indexOf(const QString& path) const;

    // Where additions and removals are recorded; null records nothing.
    void setUndo(CUndo* undo) { m_undo = undo; }

    // Kept inside 0 .. count - 1 (0 when empty).
    int currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(int index);
    // Moves the current index by `steps`, wrapping around both ends; the
    // floating frame shows the new entry.
    void StepCurrent(int steps);

    // Appends the photo with the given attributes (neutral ones when none).
    // Refused when the path, or the photo it names, is already in the
    // dropper, or the collection does not accept the path (not an image
    // type). Takes a use of the photo, marks the document modified,
    // announces "NewPhoto" on "Dropper" and records "DropperNewPhoto" (the
    // path).
    bool AddToDropper(const QString& path, const CPicInfoAttr* attributes = nullptr);
    // Records "DropperRemovePhoto" (path, position and the entry's
    // attributes, so an undo gives a picked-up photo its crop and tone
    // back), takes the entry out, gives its use back and announces
    // "RemovePhoto". The tool is left when the dropper became empty.
    bool RemoveFromDropper(const QString& path);
    // Leaves the tool, then removes every entry in one batch and one undo step.
    void EmptyDropper();

    // Adds the photos in list order as one batch and one undo step, a photo
    // already here skipped. Returns an empty key when they went in, else
    // the catalogue key saying why none did: "DropperTooManyFiles" when the
    // dropper would hold more than 200.
    QString AddPhotos(const QStringList& paths);
    // The image files directly inside `folder`, by name, as AddPhotos;
    // "DropperNoValidPhoto" when the folder holds none.
    QString AddFolder(const QString& folder);
    // Takes the frame's photo, with its attributes, into the dropper and
    // empties the frame, as one undo step. False when the frame has no
    // photo or the dropper already holds it.
    bool PickUp(CPicInfo& frame);

    // Nest a batch of changes; "BeginPopulate" and "EndPopulate" are
    // announced on "Dropper" only on the outermost pair.
    void BeginPopulate();
    void EndPopulate();
    int populateDepth() const { return m_populateDepth; }

    // The dropper tool. Entering it (only with entries) makes the floating
    // frame that shows the current entry; leaving deletes it.
    bool toolMode() const { return m_toolMode; }
    void SetToolMode(bool on);
    // Not part of any collection; drawn by the view over the canvas.
    const CPicInfo* floatingFrame() const { return m_floatingFrame.get(); }
    void moveFloatingFrame(const QPointF& centre);
    // Where the current entry's photo lands when dropped with its centre at
    // `centre`: its own image size when it carries one, else 3 units on the
    // longer side in the photo's proportions.
    CCanvasRect dropRect(const QPointF& centre) const;
    // Places the current entry on the canvas as one undo step: into
    // `target` when that is an empty photo frame, else into a new frame at
    // dropRect(centre); the entry leaves the dropper. Returns the frame, or
    // null when nothing was placed.
    CPicInfo* DropCurrent(CPicInfoManager& frames, const QPointF& centre, CPicInfo* target = nullptr);

    // The replay of "DropperNewPhoto" and "DropperRemovePhoto": reads the
    // whole payload, then restores what it recorded, recording the inverse.
    // False for another kind; a damaged payload throws CArchiveError.
    bool replay(const CUndoItem& item, CArchive& payload);

    // Current index (i32), the entry count, then per entry the path and the
    // attribute record. Files below version 20 hold only a list of paths,
    // read with neutral attributes and the current index 0. Loading reads
    // the whole record first; only then it empties the dropper and adds
    // every stored entry again in one populate batch. Entries the collection
    // refuses now (or repeats) are dropped and the current index is clamped
    // to what remains.
    void serialize(CArchive& ar) override;

private:
    bool OnNotify(const CNotifyMessage& message) override;
    void write(CArchive& ar);
    void read(CArchive& ar);
    void releaseAll();
    void announce(const char* event, CPhotoItem* photo = nullptr);
    void markModified();
    bool insert(const QString& path, const CPicInfoAttr* attributes, int position);
    void refreshFloatingFrame();
    static void placeEntry(CPicInfo& frame, const CDropperEntry& entry);

    CMyPhotos& m_photos;
    CNotificationBus* m_bus;
    std::vector<CDropperEntry> m_entries;
    int m_currentIndex = 0;
    quint16 m_populateDepth = 0;
    CUndo* m_undo = nullptr;
    bool m_toolMode = false;
    std::unique_ptr<CPicInfo> m_floatingFrame;
    QPointF m_floatingCentre;
    bool m_reading = false; // a load re-adds without marking or recording
};
