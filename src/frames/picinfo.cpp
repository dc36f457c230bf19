#include "picinfo.h"

#include "fitrect.h"
#include "myphotos.h"
#include "photoitem.h"
#include "picinfomanager.h"
#include "undo.h"

#include <QFileInfo>
#include <QImage>
#include <QMutexLocker>

#include <cmath>

OMBRAVELLE_IMPLEMENT_SERIAL(CPicInfo, CPicInfo::kSchema)

namespace {

// Document versions at which the frame record changed.
constexpr int kVersionPhotoLookup = 13;      // below: shown frames embed their two pictures
constexpr int kVersionFullFlags = 14;        // below: only the shown flag is stored; a second description place
constexpr int kVersionPermissions = 15;      // from here: permissions, planes, description and link
constexpr int kVersionTone = 16;             // from here: alpha, brightness, contrast
constexpr int kVersionBorderShadowFlags = 23; // below: every frame draws border and shadow

thread_local const CFrameRecordContext* t_recordContext = nullptr;
const CFrameRecordContext kDefaultRecordContext;

// The remainder of division by a full turn; a value that is no angle reads as 0.
float normalisedRotation(float degrees)
{
    if (!std::isfinite(degrees))
        return 0.0f;
    return std::fmod(degrees, CPicInfo::kFullTurn);
}

bool allFinite(float a, float b) { return std::isfinite(a) && std::isfinite(b); }

// Landscape when width / height is at least 1.
bool isLandscape(float width, float height) { return width >= height; }

} // namespace

const char* actionKey(FrameChange change)
{
    switch (change) {
    case FrameChange::DrawBorder: return "DrawBorder";
    case FrameChange::DrawShadow: return "DrawShadow";
    case FrameChange::ImageAlpha: return "ImageAlpha";
    case FrameChange::ImageBrightness: return "ImageBrightness";
    case FrameChange::ImageContrast: return "ImageContrast";
    case FrameChange::ImageGamma: return "ImageGamma";
    case FrameChange::ImageRotate: return "ImageRotate";
    case FrameChange::ImageIntoFrame: return "ImageIntoFrame";
    case FrameChange::RemoveImage: return "RemoveImage";
    case FrameChange::NewDesc: return "NewDesc";
    case FrameChange::NewLink: return "NewLink";
    case FrameChange::ShowFrame: return "ShowFrame";
    case FrameChange::FramePos: return "FramePos";
    case FrameChange::FrameSize: return "FrameSize";
    case FrameChange::ImagePos: return "ImagePos";
    case FrameChange::ImageSize: return "ImageSize";
    case FrameChange::PageLandscape: return "PageLandscape";
    }
    return "";
}

const char* displayName(FrameChange change)
{
    switch (change) {
    case FrameChange::DrawBorder: return "Change Border Setting";
    case FrameChange::DrawShadow: return "Change Shadow Setting";
    case FrameChange::ImageAlpha: return "Image Alpha";
    case FrameChange::ImageBrightness: return "Image Brightness";
    case FrameChange::ImageContrast: return "Image Contrast";
    case FrameChange::ImageGamma: return "Image Gamma";
    case FrameChange::ImageRotate: return "Rotate Image";
    case FrameChange::ImageIntoFrame: return "Set Image Into Frame";
    case FrameChange::RemoveImage: return "Remove image from frame";
    case FrameChange::NewDesc: return "Update Image Description";
    case FrameChange::NewLink: return "Update Image Link";
    case FrameChange::ShowFrame: return "Show Frame";
    case FrameChange::FramePos: return "Move Image Frame";
    case FrameChange::FrameSize: return "Resize Image Frame";
    case FrameChange::ImagePos: return "Reposition Image";
    case FrameChange::ImageSize: return "Resize Image";
    case FrameChange::PageLandscape: return "Flip Printer Page Orientation";
    }
    return "";
}

// ---------------------------------------------------------------------------
// Record context

CFrameRecordScope::CFrameRecordScope(const CFrameRecordContext& context)
    : m_previous(t_recordContext)
{
    t_recordContext = &context;
}

CFrameRecordScope::~CFrameRecordScope() { t_recordContext = m_previous; }

const CFrameRecordContext& CFrameRecordScope::current()
{
    return t_recordContext ? *t_recordContext : kDefaultRecordContext;
}

// ---------------------------------------------------------------------------

CCanvasRect fitImageIntoFrame(float imageWidth, float imageHeight, const CCanvasRect& frame)
{
    CCanvasRect image{0.0f, 0.0f, imageWidth, imageHeight};
    FitRect(image, frame, FitOption::Cover | FitOption::Centred);
    return image;
}

// ---------------------------------------------------------------------------

CPicInfo::CPicInfo() = default;

CPicInfo::~CPicInfo() { attachPhoto(nullptr); }

QString CPicInfo::photoPath() const { return m_photo ? m_photo->path() : QString(); }

QString CPicInfo::recordedPhotoPath() const { return m_photo ? m_photo->path() : m_unresolvedPath; }

QTransform CPicInfo::placementTransform() const
{
    const qreal halfWidth = m_frameRect.width / 2.0;
    const qreal halfHeight = m_frameRect.height / 2.0;
    QTransform transform;
    transform.translate(m_frameRect.x, m_frameRect.y);
    transform.translate(halfWidth, halfHeight);
    transform.rotate(m_rotation);
    transform.translate(-halfWidth, -halfHeight);
    return transform;
}

void CPicInfo::aboutToChange(FrameChange change)
{
    if (m_manager)
        m_manager->frameAboutToChange(*this, change);
}

void CPicInfo::changed(quint32 invalidBits, const CCanvasRect& oldFrameRect)
{
    m_invalid |= invalidBits;
    if (m_manager)
        m_manager->frameChanged(*this, oldFrameRect);
}

bool CPicInfo::setFlag(quint32 flag, bool on, FrameChange change, quint32 invalidBits)
{
    if (((m_flags & flag) != 0) == on)
        return false;
    aboutToChange(change);
    m_flags = on ? (m_flags | flag) : (m_flags & ~flag);
    changed(invalidBits, m_frameRect);
    return true;
}

bool CPicInfo::setShown(bool shown)
{
    if (!setFlag(kFlagShown, shown, FrameChange::ShowFrame, kInvalidShowHide))
        return false;
    if (!shown && m_manager)
        m_manager->frameHidden(*this);
    return true;
}

bool CPicInfo::setDrawBorder(bool on) { return setFlag(kFlagBorder, on, FrameChange::DrawBorder, kInvalidAttributes); }

bool CPicInfo::setDrawShadow(bool on) { return setFlag(kFlagShadow, on, FrameChange::DrawShadow, kInvalidAttributes); }

// The segment's outline and icons change; nothing cached is rebuilt.
bool CPicInfo::setPageLandscape(bool landscape)
{
    return setFlag(kFlagPageLandscape, landscape, FrameChange::PageLandscape, 0);
}

bool CPicInfo::setAlpha(float alpha)
{
    if (!std::isfinite(alpha))
        return false;
    const float clamped = CPicInfoAttr::clampAlpha(alpha);
    if (clamped == m_attr.alpha())
        return false;
    aboutToChange(FrameChange::ImageAlpha);
    m_attr.setAlpha(clamped);
    m_flags = clamped != CPicInfoAttr::kDefaultAlpha ? (m_flags | kFlagAlpha) : (m_flags & ~kFlagAlpha);
    changed(kInvalidAlphaChange, m_frameRect);
    return true;
}

bool CPicInfo::setBrightness(float brightness)
{
    if (!std::isfinite(brightness))
        return false;
    const float clamped = CPicInfoAttr::clampBrightness(brightness);
    if (clamped == m_attr.brightness())
        return false;
    aboutToChange(FrameChange::ImageBrightness);
    m_attr.setBrightness(clamped);
    changed(kInvalidToneChange, m_frameRect);
    return true;
}

bool CPicInfo::setContrast(float contrast)
{
    if (!std::isfinite(contrast))
        return false;
    const float clamped = CPicInfoAttr::clampContrast(contrast);
    if (clamped == m_attr.contrast())
        return false;
    aboutToChange(FrameChange::ImageContrast);
    m_attr.setContrast(clamped);
    changed(kInvalidToneChange, m_frameRect);
    return true;
}

bool CPicInfo::setGamma(float gamma)
{
    if (!std::isfinite(gamma))
        return false;
    const float clamped = CPicInfoAttr::clampGamma(gamma);
    if (clamped == m_attr.gamma())
        return false;
    aboutToChange(FrameChange::ImageGamma);
    m_attr.setGamma(clamped);
    changed(kInvalidToneChange, m_frameRect);
    return true;
}

bool CPicInfo::setRotation(float degrees)
{
    if (!std::isfinite(degrees))
        return false;
    const float rotation = normalisedRotation(degrees);
    if (rotation == m_rotation)
        return false;
    aboutToChange(FrameChange::ImageRotate);
    m_rotation = rotation;
    changed(kInvalidAttributes, m_frameRect);
    return true;
}

bool CPicInfo::setDescription(const QString& text)
{
    if (text == m_attr.description())
        return false;
    aboutToChange(FrameChange::NewDesc);
    m_attr.setDescription(text);
    changed(kInvalidAttributes, m_frameRect);
    return true;
}

bool CPicInfo::setLink(const QString& link)
{
    if (link == m_attr.link())
        return false;
    aboutToChange(FrameChange::NewLink);
    m_attr.setLink(link);
    changed(kInvalidAttributes, m_frameRect);
    return true;
}

bool CPicInfo::setFramePos(float x, float y)
{
    if (!allFinite(x, y) || !hasPermission(kPermissionMoveFrame))
        return false;
    if (x == m_frameRect.x && y == m_frameRect.y)
        return false;
    aboutToChange(FrameChange::FramePos);
    const CCanvasRect old = m_frameRect;
    m_frameRect.x = x;
    m_frameRect.y = y;
    // The picture is drawn in the frame's own coordinates: moving the frame
    // leaves it as it is (the renderer compares where the image sits in it).
    changed(0, old);
    return true;
}

bool CPicInfo::setFrameSize(float width, float height)
{
    if (!allFinite(width, height) || !hasPermission(kPermissionResizeFrame))
        return false;
    if (width == m_frameRect.width && height == m_frameRect.height)
        return false;
    aboutToChange(FrameChange::FrameSize);
    const CCanvasRect old = m_frameRect;
    m_frameRect.width = width;
    m_frameRect.height = height;
    changed(kInvalidAttributes, old);
    return true;
}

bool CPicInfo::setImagePos(float x, float y)
{
    CCanvasRect rect = m_attr.imageRect();
    if (!allFinite(x, y) || (x == rect.x && y == rect.y))
        return false;
    aboutToChange(FrameChange::ImagePos);
    rect.x = x;
    rect.y = y;
    m_attr.setImageRect(rect);
    changed(0, m_frameRect); // as for the frame's place
    return true;
}

bool CPicInfo::setImageSize(float width, float height)
{
    CCanvasRect rect = m_attr.imageRect();
    if (!allFinite(width, height) || (width == rect.width && height == rect.height))
        return false;
    aboutToChange(FrameChange::ImageSize);
    rect.width = width;
    rect.height = height;
    m_attr.setImageRect(rect);
    changed(kInvalidAttributes, m_frameRect);
    return true;
}

CUndo* CPicInfo::undo() const { return m_manager ? m_manager->undo() : nullptr; }

bool CPicInfo::setPhoto(CPhotoItem* photo)
{
    if (!photo)
        return removePhoto();
    return putPhoto(photo, QString(), FrameChange::ImageIntoFrame, AttributeRule::Reset);
}

bool CPicInfo::removePhoto() { return putPhoto(nullptr, QString(), FrameChange::RemoveImage, AttributeRule::Reset); }

bool CPicInfo::restorePhoto(const QString& path, FrameChange change)
{
    CPhotoItem* photo = nullptr;
    CMyPhotos* photos = m_manager ? m_manager->photoCollection() : nullptr;
    if (!path.isEmpty() && photos)
        photo = photos->FindPhoto(path, QFileInfo::exists(path));
    // Only the photo changes hands: the attributes it once reset have
    // records of their own in the same step, and attributes it left alone
    // must stay as they are now.
    return putPhoto(photo, photo ? QString() : path, change, AttributeRule::Keep);
}

bool CPicInfo::putPhoto(CPhotoItem* photo, const QString& missingPath, FrameChange change, AttributeRule rule)
{
    if (photo == m_photo && (photo || missingPath == m_unresolvedPath))
        return false;

    CPicInfoAttr next = m_attr;
    if (rule == AttributeRule::Reset) {
        if (change == FrameChange::ImageIntoFrame) {
            next.reset();
            if (photo)
                next.setImageRect(::fitImageIntoFrame(photo->pixelWidth(), photo->pixelHeight(), m_frameRect));
        } else if (!photo && missingPath.isEmpty()) {
            next.setImageRect(CCanvasRect());
        }
    }

    // The attributes this resets are recorded on their own, before the
    // photo: undo then puts the photo back first and the attributes after.
    CUndoGroup group(undo(), QString::fromLatin1(displayName(change)));
    recordAttributeChanges(next);
    aboutToChange(change);
    attachPhoto(photo);
    m_unresolvedPath = photo ? QString() : missingPath;
    m_attr = next;
    m_flags = m_attr.alpha() != CPicInfoAttr::kDefaultAlpha ? (m_flags | kFlagAlpha) : (m_flags & ~kFlagAlpha);
    changed(kInvalidAlphaChange, m_frameRect);
    return true;
}

void CPicInfo::recordAttributeChanges(const CPicInfoAttr& next)
{
    if (next.alpha() != m_attr.alpha())
        aboutToChange(FrameChange::ImageAlpha);
    if (next.brightness() != m_attr.brightness())
        aboutToChange(FrameChange::ImageBrightness);
    if (next.contrast() != m_attr.contrast())
        aboutToChange(FrameChange::ImageContrast);
    if (next.gamma() != m_attr.gamma())
        aboutToChange(FrameChange::ImageGamma);
    if (next.description() != m_attr.description())
        aboutToChange(FrameChange::NewDesc);
    if (next.link() != m_attr.link())
        aboutToChange(FrameChange::NewLink);
    const CCanvasRect& from = m_attr.imageRect();
    const CCanvasRect& to = next.imageRect();
    if (to.x != from.x || to.y != from.y)
        aboutToChange(FrameChange::ImagePos);
    if (to.width != from.width || to.height != from.height)
        aboutToChange(FrameChange::ImageSize);
}

bool CPicInfo::fitImageIntoFrame()
{
    if (!m_photo)
        return false;
    const CCanvasRect fitted = ::fitImageIntoFrame(m_photo->pixelWidth(), m_photo->pixelHeight(), m_frameRect);
    CUndoGroup group(undo());
    const bool moved = setImagePos(fitted.x, fitted.y);
    const bool resized = setImageSize(fitted.width, fitted.height);
    return moved || resized;
}

bool CPicInfo::applyLock(bool locked)
{
    if (!isInPlanes(kPlanePhotos))
        return false;
    const quint32 permissions = locked ? (m_permissions & ~kLockedPermissions) : (m_permissions | kLockedPermissions);
    if (permissions == m_permissions)
        return false;
    m_permissions = permissions;
    return true;
}

void CPicInfo::takeSnapshot()
{
    m_snapshotAttr = m_attr;
    m_snapshotRotation = m_rotation;
    m_snapshotFrameRect = m_frameRect;
}

void CPicInfo::attachPhoto(CPhotoItem* photo)
{
    if (photo == m_photo)
        return;
    if (m_photo)
        m_photo->releaseUse();
    m_photo = photo;
    if (m_photo)
        m_photo->addUse();
}

void CPicInfo::matchPhotoOrientation()
{
    if (!isShown() || !m_photo)
        return;
    const float photoWidth = m_photo->pixelWidth();
    const float photoHeight = m_photo->pixelHeight();
    if (!(photoWidth > 0.0f && photoHeight > 0.0f))
        return; // never decoded: its orientation is not known yet
    const CCanvasRect& rect = m_attr.imageRect();
    if (isLandscape(photoWidth, photoHeight) != isLandscape(rect.width, rect.height))
        m_attr.setImageRect(::fitImageIntoFrame(photoWidth, photoHeight, m_frameRect));
}

// ---------------------------------------------------------------------------
// Record

void CPicInfo::serialize(CArchive& ar) { serializeRecord(ar, CFrameRecordScope::current()); }

void CPicInfo::serializeRecord(CArchive& ar, const CFrameRecordContext& context)
{
    if (ar.isStoring())
        writeRecord(ar, context);
    else
        readRecord(ar, context);
}

void CPicInfo::writeRecord(CArchive& ar, const CFrameRecordContext& context) const
{
    ar.writeF32(m_rotation);
    ar.writeF32(m_attr.alpha());
    ar.writeF32(m_attr.brightness());
    ar.writeF32(m_attr.contrast());
    m_frameRect.write(ar);
    ar.writeU32(m_flags);
    ar.writeU32(m_permissions);
    ar.writeU32(m_planes);
    ar.writeString(m_attr.description());
    ar.writeString(m_attr.link());
    if (context.isTemplate)
        return;
    ar.writeString(recordedPhotoPath());
    ar.writeU32(m_id);
    m_attr.imageRect().write(ar);
}

void CPicInfo::readRecord(CArchive& ar, const CFrameRecordContext& context)
{
    const int version = ar.documentVersion();
    attachPhoto(nullptr);
    m_unresolvedPath.clear();
    // Whatever this version does not store keeps its default; gamma is never stored.
    CPicInfoAttr attr;

    m_rotation = normalisedRotation(ar.readF32());
    if (version >= kVersionTone) {
        attr.setAlpha(ar.readF32());
        attr.setBrightness(ar.readF32());
        attr.setContrast(ar.readF32());
    }
    m_frameRect = CCanvasRect::read(ar);

    quint32 flags = ar.readU32();
    if (version < kVersionFullFlags)
        flags &= kFlagShown;
    if (version < kVersionBorderShadowFlags)
        flags |= kFlagBorder | kFlagShadow;
    m_flags = flags;

    m_permissions = kAllPermissions;
    m_planes = kDefaultPlanes;
    if (version >= kVersionPermissions) {
        m_permissions = ar.readU32();
        m_planes = ar.readU32();
    }
    applyLock(context.framesLocked);

    if (version >= kVersionPermissions) {
        attr.setDescription(ar.readString());
        attr.setLink(ar.readString());
    }

    if (!context.isTemplate) {
        const QString path = ar.readString();
        if (version < kVersionFullFlags)
            attr.setDescription(ar.readString());
        m_id = ar.readU32();
        attr.setImageRect(CCanvasRect::read(ar));
        m_attr = attr;
        readPhoto(ar, path, context);
    } else {
        m_attr = attr;
    }
    m_invalid = kInvalidAll;
}

void CPicInfo::readPhoto(CArchive& ar, const QString& path, const CFrameRecordContext& context)
{
    if (path.isEmpty())
        return;
    CPhotoItem* photo = nullptr;
    if (context.photos)
        photo = context.photos->FindPhoto(path, QFileInfo::exists(path));
    if (photo) {
        attachPhoto(photo);
        if (context.matchPhotoOrientation)
            matchPhotoOrientation();
    } else {
        m_unresolvedPath = path;
    }
    // Older files embed the photo's two pictures, but only for shown frames.
    // A hidden frame still gets its photo above, or the next save loses it.
    if (ar.documentVersion() < kVersionPhotoLookup && isShown()) {
        const QByteArray reducedCopy = ar.readBlob();
        const QByteArray thumbnail = ar.readBlob();
        takeEmbeddedPictures(reducedCopy, thumbnail, context);
    }
}

void CPicInfo::takeEmbeddedPictures(const QByteArray& reducedCopy, const QByteArray& thumbnail,
                                    const CFrameRecordContext& context)
{
    if (!m_photo)
        return;
    if (!reducedCopy.isEmpty()) {
        const QImage image = QImage::fromData(reducedCopy);
        if (!image.isNull())
            m_photo->setWorkingCopy(image);
    }
    if (!thumbnail.isEmpty()) {
        const QImage image = QImage::fromData(thumbnail);
        if (!image.isNull() && context.photos) {
            QMutexLocker lock(&context.photos->mutex());
            m_photo->setThumbnail(image);
        }
    }
}
