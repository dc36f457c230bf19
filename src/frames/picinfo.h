#pragma once
// One frame of the collage: an axis-aligned rectangle on the canvas that may
// show one photo of the collection, placed, rotated and toned inside it.
// Printer page segments are frames too, told apart by their planes.
//
// Owned by the frame collection (CPicInfoManager), which it tells about its
// changes; a frame outside a collection changes silently. The photo is a
// non-owning pointer into the photo collection, and the photo item counts
// this frame among its users for as long as the frame holds it, so the
// photo collection must outlive every frame.

#include "picinfoattr.h"

#include <QString>
#include <QTransform>

class CMyPhotos;
class CPhotoItem;
class CPicInfoManager;
class CUndo;

// The edits a frame's setters make, each named by the action that records
// it in the undo history.
enum class FrameChange {
    DrawBorder,
    DrawShadow,
    ImageAlpha,
    ImageBrightness,
    ImageContrast,
    ImageGamma,
    ImageRotate,
    ImageIntoFrame,
    RemoveImage,
    NewDesc,
    NewLink,
    ShowFrame,
    FramePos,
    FrameSize,
    ImagePos,
    ImageSize,
    PageLandscape,
};
// "DrawBorder", "ImageAlpha", ...: the undo action key of the change.
const char* actionKey(FrameChange change);
// "Change Border Setting", "Image Alpha", ...: its display name.
const char* displayName(FrameChange change);

// What a frame record needs besides the archive: whether the document is a
// template (a template's frames carry no photo, id or image rectangle), the
// document-wide lock a frame takes when it is read, and the photo collection
// its photo path is looked up in (without one, frames are read without
// their photos).
struct CFrameRecordContext
{
    bool isTemplate = false;
    bool framesLocked = false;
    CMyPhotos* photos = nullptr;
    // A frame read from a project whose photo turned out to have the other
    // orientation is fitted again; a frame the undo history brings back is
    // restored exactly as it was.
    bool matchPhotoOrientation = true;
};

// Installs a record context for the frames read or written while it lives.
// The archive creates frames itself when it reads a class-tagged frame list,
// so the context cannot travel as an argument; the frame collection installs
// its own for the length of its record. Scopes nest. With none installed,
// frames use a default context (a project, unlocked, no photo collection).
// Per thread.
class CFrameRecordScope
{
public:
    explicit CFrameRecordScope(const CFrameRecordContext& context);
    ~CFrameRecordScope();
    CFrameRecordScope(const CFrameRecordScope&) = delete;
    CFrameRecordScope& operator=(const CFrameRecordScope&) = delete;

    static const CFrameRecordContext& current();

private:
    const CFrameRecordContext* m_previous;
};

// The image rectangle that shows an image of the given natural size so that
// it covers `frame` completely, aspect ratio kept, centred on the frame in
// both directions (FitRect with cover). An image without size, or a frame
// without height, keeps the image's own size (centred).
CCanvasRect fitImageIntoFrame(float imageWidth, float imageHeight, const CCanvasRect& frame);

class CPicInfo : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CPicInfo)

public:
    static constexpr quint16 kSchema = 7;

    // Flags
    static constexpr quint32 kFlagShown = 0x01;
    static constexpr quint32 kFlagAlpha = 0x04;   // alpha differs from 1.0
    static constexpr quint32 kFlagBorder = 0x10;  // draw the document's border
    static constexpr quint32 kFlagShadow = 0x20;  // draw the document's shadow
    // A printer page segment printed on a landscape page; photo frames never
    // carry it.
    static constexpr quint32 kFlagPageLandscape = 0x40;
    static constexpr quint32 kDefaultFlags = kFlagBorder | kFlagShadow;

    // Permissions: an operation is allowed while any of the bits it tests is set.
    static constexpr quint32 kPermissionRotateImage = 0x1;
    static constexpr quint32 kPermissionMoveFrame = 0x2;
    static constexpr quint32 kPermissionResizeFrame = 0x4;
    static constexpr quint32 kPermissionMoveImage = 0x10;
    static constexpr quint32 kPermissionResizeImage = 0x20;
    static constexpr quint32 kPermissionCrop = 0x40;        // tested by the view's crop drag
    static constexpr quint32 kPermissionSetPhoto = 0x80;
    static constexpr quint32 kPermissionAlpha = 0x100;
    static constexpr quint32 kPermissionViewEdit = 0x200;   // tested by a further drag of the view
    static constexpr quint32 kPermissionStacking = 0x800;
    static constexpr quint32 kPermissionDescription = 0x1000;
    static constexpr quint32 kPermissionBrightness = 0x2000;
    static constexpr quint32 kPermissionContrast = 0x4000;
    static constexpr quint32 kPermissionGamma = 0x8000;
    static constexpr quint32 kPermissionMoveResizeFrame = kPermissionMoveFrame | kPermissionResizeFrame;
    static constexpr quint32 kPermissionMoveResizeImage = kPermissionMoveImage | kPermissionResizeImage;
    static constexpr quint32 kAllPermissions = 0xFFFFFFFF;
    // What the document-wide lock takes away from photo frames.
    static constexpr quint32 kLockedPermissions = kPermissionRotateImage | kPermissionMoveFrame | kPermissionResizeFrame;

    // Planes
    static constexpr quint32 kPlanePhotos = 0x1;
    static constexpr quint32 kPlanePageSegments = 0x2;
    static constexpr quint32 kDefaultPlanes = kPlanePhotos;

    // Invalid parts: which cached renderings must be rebuilt. Setters set
    // them; the renderer clears what it rebuilt.
    static constexpr quint32 kInvalidAll = 0xFFFFFFFF;
    static constexpr quint32 kInvalidAttributes = 0x200;
    static constexpr quint32 kInvalidTone = 0x10000;
    static constexpr quint32 kInvalidAlpha = 0x20000;
    static constexpr quint32 kInvalidShowHide = 0x10F;
    static constexpr quint32 kInvalidToneChange = kInvalidAttributes | kInvalidTone;
    static constexpr quint32 kInvalidAlphaChange = kInvalidToneChange | kInvalidAlpha;
    static constexpr quint32 kInvalidInitial = kInvalidAll & ~kInvalidTone;

    // Rotation is kept as the remainder of division by this.
    static constexpr float kFullTurn = 360.0f;

    CPicInfo();
    ~CPicInfo() override;
    CPicInfo(const CPicInfo&) = delete;
    CPicInfo& operator=(const CPicInfo&) = delete;

    quint32 id() const { return m_id; }
    const CCanvasRect& frameRect() const { return m_frameRect; }
    const CCanvasRect& imageRect() const { return m_attr.imageRect(); }
    float rotation() const { return m_rotation; }
    const CPicInfoAttr& attributes() const { return m_attr; }
    quint32 flags() const { return m_flags; }
    bool isShown() const { return (m_flags & kFlagShown) != 0; }
    bool drawsBorder() const { return (m_flags & kFlagBorder) != 0; }
    bool drawsShadow() const { return (m_flags & kFlagShadow) != 0; }
    quint32 permissions() const { return m_permissions; }
    bool hasPermission(quint32 bits) const { return (m_permissions & bits) != 0; }
    quint32 planes() const { return m_planes; }
    bool isInPlanes(quint32 mask) const { return (m_planes & mask) != 0; }
    // A printer page segment: of the segments' plane and not of the photos'.
    bool isPageSegment() const { return isInPlanes(kPlanePageSegments) && !isInPlanes(kPlanePhotos); }
    bool isPageLandscape() const { return (m_flags & kFlagPageLandscape) != 0; }
    CPhotoItem* photo() const { return m_photo; }
    // The photo's full path, or empty without a photo.
    QString photoPath() const;
    // The path the frame's record carries: the photo's, or, for a frame
    // whose photo could not be found when it was read, the path it was read
    // with, kept so that saving the project again does not lose it.
    QString recordedPhotoPath() const;
    CPicInfoManager* manager() const { return m_manager; }

    quint32 invalidParts() const { return m_invalid; }
    void markInvalid(quint32 bits) { m_invalid |= bits; }
    void clearInvalid(quint32 bits) { m_invalid &= ~bits; }

    // Maps a point given relative to the unrotated frame to the canvas:
    // translated to the frame, turned by the rotation about its centre.
    QTransform placementTransform() const;

    // The frame primitives. Each compares the new value with the current
    // one and does nothing when they are equal (after clamping); otherwise
    // it announces the change, applies it, marks the invalid parts and asks
    // for a repaint of the frame. Non-finite numbers are refused. Each
    // returns whether it changed anything.
    bool setShown(bool shown);
    bool setDrawBorder(bool on);
    bool setDrawShadow(bool on);
    // The orientation of the page a printer page segment is printed on.
    bool setPageLandscape(bool landscape);
    // Clamped to 0 ... 1; keeps kFlagAlpha.
    bool setAlpha(float alpha);
    // At most 1.0.
    bool setBrightness(float brightness);
    // At least 0.0001.
    bool setContrast(float contrast);
    bool setGamma(float gamma);
    // Kept as the remainder of division by 360 (so within -360 ... 360).
    bool setRotation(float degrees);
    bool setDescription(const QString& text);
    bool setLink(const QString& link);
    // Moving needs kPermissionMoveFrame, resizing kPermissionResizeFrame;
    // a frame without it is left alone.
    bool setFramePos(float x, float y);
    bool setFrameSize(float width, float height);
    bool setImagePos(float x, float y);
    bool setImageSize(float width, float height);
    // Sets a photo into the frame: the old one is let go, the current
    // attributes go back to their defaults and the image is fitted to cover
    // the frame. Null is the same as removePhoto().
    bool setPhoto(CPhotoItem* photo);
    // Lets the photo go; the image rectangle becomes empty.
    bool removePhoto();
    // The replay of a recorded photo change: the frame takes the photo of
    // `path` (none when empty; a path the collection cannot find is kept for
    // the record, as when a project is read). Only the photo changes: the
    // image attributes stay as they are.
    bool restorePhoto(const QString& path, FrameChange change);
    // Fits the photo's image to cover the frame, centred; nothing without a photo.
    bool fitImageIntoFrame();

    // Model set-up that records nothing of its own: frame creation sets id,
    // planes and permissions inside the action that creates the frame.
    void setId(quint32 id) { m_id = id; }
    void setPlanes(quint32 planes) { m_planes = planes; }
    void setPermissions(quint32 permissions) { m_permissions = permissions; }
    // Takes the document-wide lock state: photo frames lose or regain the
    // rotate, move and resize permissions. Other planes are not affected.
    // Returns whether the permissions changed.
    bool applyLock(bool locked);

    // The begin-drag snapshot: interactive edits set snapshot value plus the
    // accumulated change through the setters above.
    void takeSnapshot();
    const CPicInfoAttr& snapshotAttributes() const { return m_snapshotAttr; }
    float snapshotRotation() const { return m_snapshotRotation; }
    const CCanvasRect& snapshotFrameRect() const { return m_snapshotFrameRect; }

    // Record, in this order: f32 rotation; f32 alpha, brightness, contrast;
    // frame rectangle; u32 flags; u32 permissions, u32 planes; string
    // description, link; then, outside templates, string photo path, u32 id
    // and the image rectangle. Reading branches on the archive's document
    // version for the layouts of older files, takes the lock of the context,
    // finds the photo in the context's collection and leaves the frame
    // entirely invalid. Gamma is not part of the record: it reads as 1.0.
    void serializeRecord(CArchive& ar, const CFrameRecordContext& context);
    // The record with the context of the innermost CFrameRecordScope.
    void serialize(CArchive& ar) override;

private:
    friend class CPicInfoManager;

    // Every setter calls this before it changes anything, while the old
    // value is still in place: the seam where the change is recorded.
    void aboutToChange(FrameChange change);
    CUndo* undo() const;
    // Setting, removing and restoring a photo. The attributes it resets are
    // recorded before the photo change itself, all in one group.
    // Setting a photo resets the image attributes and fits the image; a
    // replayed photo change keeps them (their own records restore them).
    enum class AttributeRule { Reset, Keep };
    bool putPhoto(CPhotoItem* photo, const QString& missingPath, FrameChange change, AttributeRule rule);
    void recordAttributeChanges(const CPicInfoAttr& next);
    // Marks the invalid parts and asks for the old and new area to be repainted.
    void changed(quint32 invalidBits, const CCanvasRect& oldFrameRect);
    bool setFlag(quint32 flag, bool on, FrameChange change, quint32 invalidBits);

    void writeRecord(CArchive& ar, const CFrameRecordContext& context) const;
    void readRecord(CArchive& ar, const CFrameRecordContext& context);
    void readPhoto(CArchive& ar, const QString& path, const CFrameRecordContext& context);
    void takeEmbeddedPictures(const QByteArray& reducedCopy, const QByteArray& thumbnail,
                              const CFrameRecordContext& context);
    // Holds `photo` (or none), telling the items concerned.
    void attachPhoto(CPhotoItem* photo);
    // After loading: a shown frame whose photo turned out to have the other
    // orientation than its stored image rectangle is fitted again.
    void matchPhotoOrientation();

    quint32 m_id = 0;
    CPicInfoAttr m_attr;
    CPicInfoAttr m_snapshotAttr;
    float m_snapshotRotation = 0.0f;
    CCanvasRect m_snapshotFrameRect;
    CPhotoItem* m_photo = nullptr;
    quint32 m_flags = kDefaultFlags;
    quint32 m_permissions = kAllPermissions;
    quint32 m_planes = kDefaultPlanes;
    CCanvasRect m_frameRect;
    float m_rotation = 0.0f;
    quint32 m_invalid = kInvalidInitial;
    QString m_unresolvedPath;             // see recordedPhotoPath()
    CPicInfoManager* m_manager = nullptr; // set while the collection holds the frame
};
