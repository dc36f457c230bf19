#pragma once
// The frame collection: every frame of the document in stacking order (the
// first is drawn first, lowest), with the document-wide border and shadow
// styles, the canvas colour, the printing choices, the document-wide lock,
// the visible planes and the low-resolution preview picture.
//
// One instance for the process; it lives as long as the application and is
// emptied, not destroyed, when a document closes. It owns its frames. It
// reads settings from the store it is given (clear()) and finds photos in
// the photo collection it is given; both must outlive it, and the photo
// collection must outlive every frame (frames count themselves as users of
// their photos). User-interface thread only.

#include "borderinfo.h"
#include "notificationbus.h"
#include "picinfo.h"
#include "shadowinfo.h"

#include <QBrush>
#include <QHash>
#include <QImage>
#include <QRgb>

#include <memory>
#include <optional>
#include <vector>

class CMyPhotos;
class CPropManager;
class CUndo;

// Registers the five frame-model classes with the class registry, so that
// archives can create them from their class tags. Idempotent.
void registerFrameClasses();

// What the views implement to learn which parts of the canvas to repaint.
// While the collection's redraw is held, requests are collected and come
// when the hold ends.
class CFrameObserver
{
public:
    virtual ~CFrameObserver() = default;
    // A frame changed how or where it is drawn, or came or went. `oldArea`
    // is where it was before; its present area is that of the frame with
    // that id, if there still is one.
    virtual void frameChanged(quint32 frameId, const CCanvasRect& oldArea) = 0;
    // Something that concerns the whole canvas changed.
    virtual void canvasChanged() = 0;
};

// What the selection (and whoever else keeps frame references) implements
// to learn that frames are going away or stop being drawn. Every call comes
// after the change, while the frame object still exists.
class CFrameListListener
{
public:
    virtual ~CFrameListListener() = default;
    // The frame was deleted: it is out of the collection and is destroyed
    // when the call returns.
    virtual void frameRemoved(CPicInfo& frame) = 0;
    // The frame was hidden (its shown flag cleared); it stays in the collection.
    virtual void frameHidden(CPicInfo& frame) = 0;
    // Every frame is about to be destroyed: the collection is being cleared
    // or its frames are being replaced by a load.
    virtual void framesCleared() = 0;
};

// The edits of the collection's own setters, named by their undo action.
enum class CollectionChange {
    LockFrames,
    ShowPlane,
    CanvasColor,
    CanvasColorToPrinter,
    HasBorder,
    HasShadow,
    BorderWidth,
    BorderColor,
};
const char* actionKey(CollectionChange change);

class CPicInfoManager : public CSerializable, private CNotifyListener
{
    OMBRAVELLE_DECLARE_SERIAL(CPicInfoManager)

public:
    static constexpr quint16 kSchema = 7;
    static constexpr QRgb kDefaultCanvasColour = 0;
    static constexpr quint32 kDefaultCanvasSizeMode = 0;
    static constexpr quint32 kDefaultResolution = 96; // dots per inch of canvas size mode 2
    // What a cleared document draws: page segments (bit 1) start hidden.
    static constexpr quint32 kDefaultVisiblePlanes = 0x10D;
    // Ids of plane p lie in [(p - 1) * kIdsPerPlane, p * kIdsPerPlane).
    static constexpr quint32 kIdsPerPlane = 10000;
    static constexpr quint32 kPhotoPlaneNumber = 1;
    static constexpr quint32 kPageSegmentPlaneNumber = 2;
    // newFrameId(): take the visible-planes value as the plane number.
    static constexpr quint32 kPlaneFromVisiblePlanes = 0;

    // The two frames the collection remembers for the view; deleting a frame
    // forgets it in both, clearing forgets both.
    enum class Remembered { First, Second };

    // An empty collection without settings or photos, as the class registry
    // makes it; give it both before use.
    CPicInfoManager();
    CPicInfoManager(CPropManager* settings, CMyPhotos* photos);
    ~CPicInfoManager() override;
    CPicInfoManager(const CPicInfoManager&) = delete;
    CPicInfoManager& operator=(const CPicInfoManager&) = delete;

    void setSettings(CPropManager* settings) { m_settings = settings; }
    void setPhotoCollection(CMyPhotos* photos) { m_photos = photos; }
    // Listens on "MyPhotos": a photo turned or drawn anew ("FlipPhoto",
    // "RenderComplete") has every frame showing it rebuild its pictures and
    // repaint. Null stops listening. The bus must outlive the
    // collection or be let go first.
    void setBus(CNotificationBus* bus);
    CMyPhotos* photoCollection() const { return m_photos; }
    void setObserver(CFrameObserver* observer) { m_observer = observer; }
    // The history every setter records its old value into; none records nothing.
    void setUndo(CUndo* undo) { m_undo = undo; }
    CUndo* undo() const { return m_undo; }
    // Listeners are not owned; remove one before it is destroyed.
    void addListListener(CFrameListListener* listener);
    void removeListListener(CFrameListListener* listener);
    // Tells the listeners that `frame` was deleted; the frame operations call
    // it once the frame is out of the list and recorded.
    void announceRemoved(CPicInfo& frame);

    // Whether the document being read or written is a template. The document
    // sets it from its flags before it streams the collection: a template's
    // frames carry no photo, id or image rectangle, and every frame read from
    // a template is given a fresh id of its plane as it is read.
    void setTemplate(bool isTemplate) { m_template = isTemplate; }
    bool isTemplate() const { return m_template; }

    // Frames, in stacking order.
    const std::vector<std::unique_ptr<CPicInfo>>& frames() const { return m_frames; }
    int frameCount() const { return int(m_frames.size()); }
    CPicInfo* frameAt(int index) const;
    // Position in the stacking order, counting from 0 at the bottom; -1 when absent.
    int indexOf(const CPicInfo* frame) const;
    // The first frame with that id, or null.
    CPicInfo* findFrame(quint32 id) const;
    // The frames that share a bit with `planeMask`, in stacking order.
    std::vector<CPicInfo*> framesInPlanes(quint32 planeMask) const;
    // Shown and in one of the visible planes.
    bool isDrawn(const CPicInfo& frame) const;

    // The smallest id of plane p not used by any frame, or nothing when all
    // of the plane's ids are taken (the caller refuses to create the frame)
    // or the plane's range lies beyond 32 bits.
    std::optional<quint32> newFrameId(quint32 planeNumber) const;
    // How many more frames plane p can take: its ids that no frame uses (0
    // for a plane whose range lies beyond 32 bits). Commands that create
    // frames ask first and refuse as a whole rather than stop half-way.
    quint32 freeFrameIds(quint32 planeNumber) const;
    // The plane number of a planes word: the lowest bit set, counted from 1;
    // a word without bits counts as photo frames.
    static quint32 planeNumberOf(quint32 planes);
    // The planes word of plane number p (1 ... 32); 0 for any other number.
    static quint32 planesOf(quint32 planeNumber);

    // The list operations frame creation, deletion and restacking are built
    // on. They record nothing; each asks for the frame's area to be repainted.
    CPicInfo& appendFrame(std::unique_ptr<CPicInfo> frame);
    // An index beyond the end appends.
    CPicInfo& insertFrame(int index, std::unique_ptr<CPicInfo> frame);
    // Removes the frame from the list, forgetting it where it is remembered;
    // null when it is not in the list.
    std::unique_ptr<CPicInfo> takeFrame(CPicInfo& frame);

    CPicInfo* rememberedFrame(Remembered which) const;
    void setRememberedFrame(Remembered which, CPicInfo* frame);

    // Empties the collection for a new, opened or closed document: destroys
    // every frame and takes the document defaults from the settings (canvas
    // colour, border, shadow on/off, printing choices, resolution from
    // "SysDpiX"); `canvasSizeMode` is the document's current mode. A
    // setting the store lacks takes its registered default.
    void clear(quint32 canvasSizeMode);

    QRgb canvasColour() const { return m_canvasColour; }
    const QBrush& canvasBrush() const { return m_canvasBrush; }
    bool printsCanvasColour() const { return m_printCanvasColour; }
    bool centresOnPage() const { return m_centreOnPage; }
    const BorderInfo& border() const { return m_border; }
    const ShadowInfo& shadow() const { return m_shadow; }
    bool framesLocked() const { return m_framesLocked; }
    bool isJumbled() const { return m_jumbled; }
    quint32 canvasSizeMode() const { return m_canvasSizeMode; }
    quint32 resolution() const { return m_resolution; }
    quint32 visiblePlanes() const { return m_visiblePlanes; }
    const QImage& preview() const { return m_previewPicture; }

    // Setters return whether the value changed; equal values change nothing.
    bool setCanvasColour(QRgb colour);
    bool setPrintCanvasColour(bool on);
    bool setCentreOnPage(bool on);
    bool setBorderEnabled(bool on);
    bool setBorderWidth(float width);
    bool setBorderColour(QRgb colour);
    bool setShadowEnabled(bool on);
    // Photo frames lose (locked) or regain the rotate, move and resize
    // permissions; every frame that changed is repainted.
    bool setFramesLocked(bool locked);
    bool setJumbled(bool jumbled);
    bool setCanvasSizeMode(quint32 mode);
    bool setResolution(quint32 dotsPerInch);
    // New planes = (old AND NOT mask) OR value.
    bool setVisiblePlanes(quint32 mask, quint32 value);
    void setPreview(const QImage& picture) { m_previewPicture = picture; }

    // Nesting hold of repainting while many frames change; the requests made
    // meanwhile are delivered when the outermost hold is released.
    void holdRedraw();
    void releaseRedraw();
    bool isRedrawHeld() const { return m_redrawHold > 0; }
    // Marks every frame entirely invalid and repaints the canvas.
    void invalidateAll();

    // Record: u16 number of frames (informative), byte frames locked, the
    // frame list through the class-tag scheme, [below version 14, outside
    // templates: a legacy object list, read and dropped], border record,
    // u32 canvas colour, shadow record, byte jumbled, u32 resolution, u32
    // canvas size mode. Reading branches on the archive's document version;
    // what an older version does not store keeps the value clear() gave it,
    // so read into a cleared collection. The frames read replace the list.
    void serialize(CArchive& ar) override;
    // One frame's record on its own (the undo history keeps deleted frames
    // this way), with this collection's lock and photos, always laid out as
    // in a project: a deleted frame keeps its id and photo even while the
    // document is a template.
    void serializeFrameRecord(CArchive& ar, CPicInfo& frame);

private:
    friend class CPicInfo;

    // The id range of a plane and which of its ids frames use.
    struct PlaneIds
    {
        quint64 first = 0;
        std::vector<bool> used;
    };
    // Nothing for a plane number that names no range within 32 bits.
    std::optional<PlaneIds> planeIds(quint32 planeNumber) const;

    // Called before a setter changes anything, with the old value still in
    // place: each records the old value as an undo leaf of its action.
    void aboutToChange(CollectionChange change);
    void frameAboutToChange(CPicInfo& frame, FrameChange change);
    void frameHidden(CPicInfo& frame);
    void announceCleared();
    // Repaint requests, held back while redraw is held.
    void frameChanged(const CPicInfo& frame, const CCanvasRect& oldArea);
    void canvasChanged();

    bool OnNotify(const CNotifyMessage& message) override;

    CFrameRecordContext recordContext() const;
    void writeRecord(CArchive& ar);
    void readRecord(CArchive& ar);
    void readLegacyList(CArchive& ar);
    void adoptReadFrames(std::vector<std::unique_ptr<CPicInfo>> frames);
    void destroyFrames();
    void applyCanvasColour(QRgb colour);

    CPropManager* m_settings = nullptr;
    CMyPhotos* m_photos = nullptr;
    CFrameObserver* m_observer = nullptr;
    CNotificationBus* m_bus = nullptr;
    CUndo* m_undo = nullptr;
    std::vector<CFrameListListener*> m_listListeners;
    bool m_template = false;

    std::vector<std::unique_ptr<CPicInfo>> m_frames;
    CPicInfo* m_remembered[2] = {nullptr, nullptr};
    QRgb m_canvasColour = kDefaultCanvasColour;
    QBrush m_canvasBrush;
    bool m_printCanvasColour = false;
    bool m_centreOnPage = false;
    BorderInfo m_border;
    ShadowInfo m_shadow;
    bool m_framesLocked = false;
    bool m_jumbled = false;
    quint32 m_canvasSizeMode = kDefaultCanvasSizeMode;
    quint32 m_resolution = kDefaultResolution;
    quint32 m_visiblePlanes = kDefaultVisiblePlanes;
    QImage m_previewPicture;

    // Objects of a legacy list, kept until the next clear; see readLegacyList().
    std::vector<std::unique_ptr<CSerializable>> m_droppedObjects;

    int m_redrawHold = 0;
    QHash<quint32, CCanvasRect> m_pendingFrames;
    bool m_pendingCanvas = false;
};
