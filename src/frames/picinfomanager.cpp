#include "picinfomanager.h"

#include "frameundorecords.h"
#include "propmanager.h"
#include "undo.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

OMBRAVELLE_IMPLEMENT_SERIAL(CPicInfoManager, CPicInfoManager::kSchema)

namespace {

// Document versions at which the collection's record grew.
constexpr int kVersionSecondList = 14;     // below: a legacy object list follows the frames
constexpr int kVersionBorder = 17;         // from here: the border record
constexpr int kVersionCanvasColour = 21;   // from here: canvas colour and shadow record
constexpr int kVersionJumbled = 22;        // from here: the jumbled flag
constexpr int kVersionResolution = 23;     // from here: resolution and canvas size mode

// The informative frame count is a u16; more frames than that are counted as the most it holds.
constexpr quint32 kMaxInformativeCount = 0xFFFF;
// Smallest possible object record in a list: its u16 tag.
constexpr quint64 kMinObjectRecordBytes = 2;

constexpr quint32 kPlaneBitCount = 32;
constexpr quint8 kOpaque = 255;

// The settings clear() reads, with the defaults they are registered with,
// used when the store lacks one.
struct SettingDefault
{
    const char* name;
    CPropValue value;
};
const SettingDefault kSysDpiX = {"SysDpiX", CPropValue::f32(96.0f)};
const SettingDefault kCanvasR = {"CanvasR", CPropValue::byte(234)};
const SettingDefault kCanvasG = {"CanvasG", CPropValue::byte(232)};
const SettingDefault kCanvasB = {"CanvasB", CPropValue::byte(216)};
const SettingDefault kHasBorder = {"HasBorder", CPropValue::boolean(true)};
const SettingDefault kHasShadow = {"HasShadow", CPropValue::boolean(true)};
const SettingDefault kBorderWidth = {"BorderWidth", CPropValue::f32(0.05f)};
const SettingDefault kBorderAlpha = {"BorderAlpha", CPropValue::byte(255)};
const SettingDefault kBorderR = {"BorderR", CPropValue::byte(255)};
const SettingDefault kBorderG = {"BorderG", CPropValue::byte(255)};
const SettingDefault kBorderB = {"BorderB", CPropValue::byte(255)};
const SettingDefault kColorToPrinter = {"ColorToPrinter", CPropValue::boolean(true)};
const SettingDefault kCenterOnPage = {"CenterOnPage", CPropValue::boolean(true)};

CPropValue setting(const CPropManager* store, const SettingDefault& wanted)
{
    if (store) {
        if (std::optional<CPropValue> value = store->getValue(QString::fromLatin1(wanted.name)))
            return *value;
    }
    return wanted.value;
}

QRgb argb(quint8 alpha, quint8 red, quint8 green, quint8 blue) { return qRgba(red, green, blue, alpha); }

// The resolution a dots-per-inch setting gives: truncated, or the default
// for a value no 32-bit count can hold.
quint32 resolutionFrom(float dotsPerInch)
{
    constexpr double kLimit = 4294967296.0;
    if (!(dotsPerInch >= 0.0f) || double(dotsPerInch) >= kLimit)
        return CPicInfoManager::kDefaultResolution;
    return static_cast<quint32>(std::trunc(dotsPerInch));
}

CCanvasRect united(const CCanvasRect& a, const CCanvasRect& b)
{
    const QRectF both = a.toRectF().united(b.toRectF());
    return {float(both.x()), float(both.y()), float(both.width()), float(both.height())};
}

} // namespace

void registerFrameClasses()
{
    CClassRegistry::add(CPicInfoManager::classInfo);
    CClassRegistry::add(CPicInfo::classInfo);
    CClassRegistry::add(CPicInfoAttr::classInfo);
    CClassRegistry::add(BorderInfo::classInfo);
    CClassRegistry::add(ShadowInfo::classInfo);
}

const char* actionKey(CollectionChange change)
{
    switch (change) {
    case CollectionChange::LockFrames: return "LockFrames";
    case CollectionChange::ShowPlane: return "ShowPlane";
    case CollectionChange::CanvasColor: return "CanvasColor";
    case CollectionChange::CanvasColorToPrinter: return "CanvasColorToPrinter";
    case CollectionChange::HasBorder: return "HasBorder";
    case CollectionChange::HasShadow: return "HasShadow";
    case CollectionChange::BorderWidth: return "BorderWidth";
    case CollectionChange::BorderColor: return "BorderColor";
    }
    return "";
}

namespace {

QString collectionChangeName(CollectionChange change, const BorderInfo& border, const ShadowInfo& shadow)
{
    switch (change) {
    case CollectionChange::LockFrames: return QStringLiteral("Lock Frames");
    case CollectionChange::ShowPlane: return QStringLiteral("Show/Hide Page Segments");
    case CollectionChange::CanvasColor: return QStringLiteral("Change Canvas Color");
    case CollectionChange::CanvasColorToPrinter: return QStringLiteral("Print canvas color");
    // Named after what the change does: a border that is on is being hidden.
    case CollectionChange::HasBorder: return border.enabled ? QStringLiteral("Hide Border") : QStringLiteral("Show Border");
    case CollectionChange::HasShadow: return shadow.enabled ? QStringLiteral("Hide Shadows") : QStringLiteral("Show Shadows");
    case CollectionChange::BorderWidth: return QStringLiteral("Change Border Width");
    case CollectionChange::BorderColor: return QStringLiteral("Change Border Color");
    }
    return QString();
}

} // namespace

// ---------------------------------------------------------------------------

CPicInfoManager::CPicInfoManager()
{
    // The collection's own defaults differ from a bare style record's: both styles are on.
    m_border.enabled = true;
    m_shadow.enabled = true;
    applyCanvasColour(kDefaultCanvasColour);
}

CPicInfoManager::CPicInfoManager(CPropManager* settings, CMyPhotos* photos)
    : CPicInfoManager()
{
    m_settings = settings;
    m_photos = photos;
}

CPicInfoManager::~CPicInfoManager()
{
    setBus(nullptr);
    destroyFrames();
}

void CPicInfoManager::destroyFrames()
{
    m_remembered[0] = m_remembered[1] = nullptr;
    m_droppedObjects.clear();
    // Frames let go of their photos as they are destroyed.
    std::vector<std::unique_ptr<CPicInfo>> frames;
    frames.swap(m_frames);
    for (auto& frame : frames)
        frame->m_manager = nullptr;
}

// ---------------------------------------------------------------------------
// Frames

CPicInfo* CPicInfoManager::frameAt(int index) const
{
    if (index < 0 || index >= frameCount())
        return nullptr;
    return m_frames[size_t(index)].get();
}

int CPicInfoManager::indexOf(const CPicInfo* frame) const
{
    for (size_t i = 0; i < m_frames.size(); ++i) {
        if (m_frames[i].get() == frame)
            return int(i);
    }
    return -1;
}

CPicInfo* CPicInfoManager::findFrame(quint32 id) const
{
    for (const auto& frame : m_frames) {
        if (frame->id() == id)
            return frame.get();
    }
    return nullptr;
}

std::vector<CPicInfo*> CPicInfoManager::framesInPlanes(quint32 planeMask) const
{
    std::vector<CPicInfo*> found;
    for (const auto& frame : m_frames) {
        if (frame->isInPlanes(planeMask))
            found.push_back(frame.get());
    }
    return found;
}

bool CPicInfoManager::isDrawn(const CPicInfo& frame) const
{
    return frame.isShown() && frame.isInPlanes(m_visiblePlanes);
}

std::optional<CPicInfoManager::PlaneIds> CPicInfoManager::planeIds(quint32 planeNumber) const
{
    if (planeNumber == kPlaneFromVisiblePlanes)
        planeNumber = m_visiblePlanes;
    if (planeNumber == 0)
        return std::nullopt;
    PlaneIds ids;
    ids.first = quint64(planeNumber - 1) * kIdsPerPlane;
    const quint64 end = quint64(planeNumber) * kIdsPerPlane;
    if (end - 1 > quint64(std::numeric_limits<quint32>::max()))
        return std::nullopt;

    ids.used.assign(kIdsPerPlane, false);
    for (const auto& frame : m_frames) {
        const quint64 id = frame->id();
        if (id >= ids.first && id < end)
            ids.used[size_t(id - ids.first)] = true;
    }
    return ids;
}

std::optional<quint32> CPicInfoManager::newFrameId(quint32 planeNumber) const
{
    const std::optional<PlaneIds> ids = planeIds(planeNumber);
    if (!ids)
        return std::nullopt;
    const auto freeSlot = std::find(ids->used.begin(), ids->used.end(), false);
    if (freeSlot == ids->used.end())
        return std::nullopt;
    return quint32(ids->first + quint64(freeSlot - ids->used.begin()));
}

quint32 CPicInfoManager::freeFrameIds(quint32 planeNumber) const
{
    const std::optional<PlaneIds> ids = planeIds(planeNumber);
    return ids ? quint32(std::count(ids->used.begin(), ids->used.end(), false)) : 0;
}

quint32 CPicInfoManager::planeNumberOf(quint32 planes)
{
    for (quint32 bit = 0; bit < kPlaneBitCount; ++bit) {
        if (planes & (1u << bit))
            return bit + 1;
    }
    return kPhotoPlaneNumber;
}

quint32 CPicInfoManager::planesOf(quint32 planeNumber)
{
    if (planeNumber == 0 || planeNumber > kPlaneBitCount)
        return 0;
    return 1u << (planeNumber - 1);
}

CPicInfo& CPicInfoManager::appendFrame(std::unique_ptr<CPicInfo> frame)
{
    return insertFrame(frameCount(), std::move(frame));
}

CPicInfo& CPicInfoManager::insertFrame(int index, std::unique_ptr<CPicInfo> frame)
{
    Q_ASSERT(frame);
    index = std::clamp(index, 0, frameCount());
    CPicInfo& inserted = *frame;
    inserted.m_manager = this;
    m_frames.insert(m_frames.begin() + index, std::move(frame));
    frameChanged(inserted, inserted.frameRect());
    return inserted;
}

std::unique_ptr<CPicInfo> CPicInfoManager::takeFrame(CPicInfo& frame)
{
    const int index = indexOf(&frame);
    if (index < 0)
        return nullptr;
    std::unique_ptr<CPicInfo> taken = std::move(m_frames[size_t(index)]);
    m_frames.erase(m_frames.begin() + index);
    for (CPicInfo*& remembered : m_remembered) {
        if (remembered == taken.get())
            remembered = nullptr;
    }
    frameChanged(*taken, taken->frameRect());
    taken->m_manager = nullptr;
    return taken;
}

CPicInfo* CPicInfoManager::rememberedFrame(Remembered which) const { return m_remembered[int(which)]; }

void CPicInfoManager::setRememberedFrame(Remembered which, CPicInfo* frame) { m_remembered[int(which)] = frame; }

// ---------------------------------------------------------------------------
// Document-wide state

void CPicInfoManager::clear(quint32 canvasSizeMode)
{
    // Emptying the collection is never a step anyone undoes.
    CUndoSuspend suspend(m_undo);
    announceCleared();
    destroyFrames();
    m_pendingFrames.clear();
    m_previewPicture = QImage();
    m_visiblePlanes = kDefaultVisiblePlanes;
    m_framesLocked = false;
    m_jumbled = false;
    m_resolution = resolutionFrom(setting(m_settings, kSysDpiX).toFloat());
    m_canvasSizeMode = canvasSizeMode;
    setCanvasColour(argb(kOpaque, setting(m_settings, kCanvasR).toByte(), setting(m_settings, kCanvasG).toByte(),
                         setting(m_settings, kCanvasB).toByte()));
    m_border.enabled = setting(m_settings, kHasBorder).toBool();
    m_border.width = setting(m_settings, kBorderWidth).toFloat();
    m_border.colour = argb(setting(m_settings, kBorderAlpha).toByte(), setting(m_settings, kBorderR).toByte(),
                           setting(m_settings, kBorderG).toByte(), setting(m_settings, kBorderB).toByte());
    // The shadow style would otherwise carry over from the previous document
    // into one whose file is too old to store it.
    m_shadow = ShadowInfo();
    m_shadow.enabled = setting(m_settings, kHasShadow).toBool();
    m_printCanvasColour = setting(m_settings, kColorToPrinter).toBool();
    m_centreOnPage = setting(m_settings, kCenterOnPage).toBool();
    canvasChanged();
}

void CPicInfoManager::applyCanvasColour(QRgb colour)
{
    m_canvasColour = colour;
    m_canvasBrush = QBrush(QColor::fromRgba(colour));
}

bool CPicInfoManager::setCanvasColour(QRgb colour)
{
    if (colour == m_canvasColour)
        return false;
    aboutToChange(CollectionChange::CanvasColor);
    applyCanvasColour(colour);
    canvasChanged();
    return true;
}

bool CPicInfoManager::setPrintCanvasColour(bool on)
{
    if (on == m_printCanvasColour)
        return false;
    aboutToChange(CollectionChange::CanvasColorToPrinter);
    m_printCanvasColour = on;
    return true;
}

bool CPicInfoManager::setCentreOnPage(bool on)
{
    if (on == m_centreOnPage)
        return false;
    m_centreOnPage = on;
    return true;
}

bool CPicInfoManager::setBorderEnabled(bool on)
{
    if (on == m_border.enabled)
        return false;
    aboutToChange(CollectionChange::HasBorder);
    m_border.enabled = on;
    canvasChanged();
    return true;
}

bool CPicInfoManager::setBorderWidth(float width)
{
    if (!std::isfinite(width) || width == m_border.width)
        return false;
    aboutToChange(CollectionChange::BorderWidth);
    m_border.width = width;
    canvasChanged();
    return true;
}

bool CPicInfoManager::setBorderColour(QRgb colour)
{
    if (colour == m_border.colour)
        return false;
    aboutToChange(CollectionChange::BorderColor);
    m_border.colour = colour;
    canvasChanged();
    return true;
}

bool CPicInfoManager::setShadowEnabled(bool on)
{
    if (on == m_shadow.enabled)
        return false;
    aboutToChange(CollectionChange::HasShadow);
    m_shadow.enabled = on;
    canvasChanged();
    return true;
}

bool CPicInfoManager::setFramesLocked(bool locked)
{
    if (locked == m_framesLocked)
        return false;
    aboutToChange(CollectionChange::LockFrames);
    m_framesLocked = locked;
    for (const auto& frame : m_frames) {
        if (frame->applyLock(locked))
            frameChanged(*frame, frame->frameRect());
    }
    return true;
}

bool CPicInfoManager::setJumbled(bool jumbled)
{
    if (jumbled == m_jumbled)
        return false;
    m_jumbled = jumbled;
    return true;
}

bool CPicInfoManager::setCanvasSizeMode(quint32 mode)
{
    if (mode == m_canvasSizeMode)
        return false;
    m_canvasSizeMode = mode;
    return true;
}

bool CPicInfoManager::setResolution(quint32 dotsPerInch)
{
    if (dotsPerInch == m_resolution)
        return false;
    m_resolution = dotsPerInch;
    return true;
}

bool CPicInfoManager::setVisiblePlanes(quint32 mask, quint32 value)
{
    const quint32 planes = (m_visiblePlanes & ~mask) | value;
    if (planes == m_visiblePlanes)
        return false;
    aboutToChange(CollectionChange::ShowPlane);
    m_visiblePlanes = planes;
    canvasChanged();
    return true;
}

// ---------------------------------------------------------------------------
// Change seams and repainting

void CPicInfoManager::aboutToChange(CollectionChange change)
{
    CUndoRecord record(m_undo, QString::fromLatin1(actionKey(change)),
                       collectionChangeName(change, m_border, m_shadow));
    CArchive* ar = record.payload();
    if (!ar)
        return;
    FrameUndoRecords::writeCollectionChange(*ar, *this, change);
    record.commit();
}

void CPicInfoManager::frameAboutToChange(CPicInfo& frame, FrameChange change)
{
    CUndoRecord record(m_undo, QString::fromLatin1(actionKey(change)), QString::fromLatin1(displayName(change)));
    CArchive* ar = record.payload();
    if (!ar)
        return;
    FrameUndoRecords::writeFrameChange(*ar, frame, change);
    record.commit();
}

// ---------------------------------------------------------------------------
// Listeners

void CPicInfoManager::addListListener(CFrameListListener* listener)
{
    if (listener && std::find(m_listListeners.begin(), m_listListeners.end(), listener) == m_listListeners.end())
        m_listListeners.push_back(listener);
}

void CPicInfoManager::removeListListener(CFrameListListener* listener)
{
    m_listListeners.erase(std::remove(m_listListeners.begin(), m_listListeners.end(), listener),
                          m_listListeners.end());
}

// Listeners may remove themselves while they are told: walk a copy.
void CPicInfoManager::announceRemoved(CPicInfo& frame)
{
    for (CFrameListListener* listener : std::vector<CFrameListListener*>(m_listListeners))
        listener->frameRemoved(frame);
}

void CPicInfoManager::frameHidden(CPicInfo& frame)
{
    for (CFrameListListener* listener : std::vector<CFrameListListener*>(m_listListeners))
        listener->frameHidden(frame);
}

void CPicInfoManager::announceCleared()
{
    for (CFrameListListener* listener : std::vector<CFrameListListener*>(m_listListeners))
        listener->framesCleared();
}

void CPicInfoManager::frameChanged(const CPicInfo& frame, const CCanvasRect& oldArea)
{
    if (isRedrawHeld()) {
        // Nothing was drawn since the hold began, so the first old area and
        // the final one are all that need repainting; union them all anyway,
        // in case an id was reused meanwhile.
        const auto pending = m_pendingFrames.constFind(frame.id());
        m_pendingFrames.insert(frame.id(), pending == m_pendingFrames.constEnd() ? oldArea : united(*pending, oldArea));
        return;
    }
    if (m_observer)
        m_observer->frameChanged(frame.id(), oldArea);
}

void CPicInfoManager::canvasChanged()
{
    if (isRedrawHeld()) {
        m_pendingCanvas = true;
        return;
    }
    if (m_observer)
        m_observer->canvasChanged();
}

void CPicInfoManager::holdRedraw() { ++m_redrawHold; }

void CPicInfoManager::releaseRedraw()
{
    if (m_redrawHold == 0)
        return; // an unbalanced release must not make later holds leak
    if (--m_redrawHold > 0)
        return;
    const QHash<quint32, CCanvasRect> frames = std::exchange(m_pendingFrames, {});
    const bool canvas = std::exchange(m_pendingCanvas, false);
    if (!m_observer)
        return;
    if (canvas) {
        m_observer->canvasChanged();
        return;
    }
    for (auto it = frames.constBegin(); it != frames.constEnd(); ++it)
        m_observer->frameChanged(it.key(), it.value());
}

void CPicInfoManager::setBus(CNotificationBus* bus)
{
    if (m_bus)
        m_bus->Unregister(this, QString::fromLatin1(Channel::MyPhotos));
    m_bus = bus;
    if (m_bus)
        m_bus->Register(this, QString::fromLatin1(Channel::MyPhotos));
}

bool CPicInfoManager::OnNotify(const CNotifyMessage& message)
{
    const bool turned = message.event.compare(QLatin1String(Event::FlipPhoto), Qt::CaseInsensitive) == 0;
    const bool redrawn = message.event.compare(QLatin1String(Event::RenderComplete), Qt::CaseInsensitive) == 0;
    if (!message.parameter || !(turned || redrawn))
        return false;
    // The parameter is only compared: a photo no frame shows may be gone.
    bool acted = false;
    for (const auto& frame : m_frames) {
        if (static_cast<const void*>(frame->photo()) != message.parameter)
            continue;
        const CCanvasRect before = frame->frameRect();
        frame->markInvalid(CPicInfo::kInvalidAll);
        frameChanged(*frame, before);
        acted = true;
    }
    return acted;
}

void CPicInfoManager::invalidateAll()
{
    for (const auto& frame : m_frames)
        frame->markInvalid(CPicInfo::kInvalidAll);
    canvasChanged();
}

// ---------------------------------------------------------------------------
// Record

CFrameRecordContext CPicInfoManager::recordContext() const
{
    CFrameRecordContext context;
    context.isTemplate = m_template;
    context.framesLocked = m_framesLocked;
    context.photos = m_photos;
    return context;
}

void CPicInfoManager::serializeFrameRecord(CArchive& ar, CPicInfo& frame)
{
    CFrameRecordContext context = recordContext();
    context.isTemplate = false;
    frame.serializeRecord(ar, context);
}

void CPicInfoManager::serialize(CArchive& ar)
{
    if (ar.isStoring())
        writeRecord(ar);
    else
        readRecord(ar);
}

void CPicInfoManager::writeRecord(CArchive& ar)
{
    ar.writeU16(quint16(std::min<size_t>(m_frames.size(), kMaxInformativeCount)));
    ar.writeBool(m_framesLocked);
    {
        const CFrameRecordContext context = recordContext();
        CFrameRecordScope scope(context);
        ar.writeObjectList(m_frames);
    }
    m_border.serialize(ar);
    ar.writeU32(m_canvasColour);
    m_shadow.serialize(ar);
    ar.writeBool(m_jumbled);
    ar.writeU32(m_resolution);
    ar.writeU32(m_canvasSizeMode);
}

void CPicInfoManager::readRecord(CArchive& ar)
{
    const int version = ar.documentVersion();
    ar.readU16(); // the frame count again; the list carries its own
    m_framesLocked = ar.readBool();
    announceCleared();
    destroyFrames();
    {
        const CFrameRecordContext context = recordContext();
        CFrameRecordScope scope(context);
        std::vector<std::unique_ptr<CPicInfo>> frames = ar.readObjectList<CPicInfo>();
        if (version < kVersionSecondList && !m_template)
            readLegacyList(ar);
        adoptReadFrames(std::move(frames));
    }
    if (version >= kVersionBorder)
        m_border.serialize(ar);
    if (version >= kVersionCanvasColour) {
        applyCanvasColour(ar.readU32());
        m_shadow.serialize(ar);
    }
    if (version >= kVersionJumbled)
        m_jumbled = ar.readBool();
    if (version >= kVersionResolution) {
        m_resolution = ar.readU32();
        m_canvasSizeMode = ar.readU32();
    }
    canvasChanged();
}

void CPicInfoManager::readLegacyList(CArchive& ar)
{
    // Older files list some of the frames a second time; nothing uses the
    // list any more. Entries may point back at frames already read, which
    // stay. Objects first met here are dropped, but only at the next clear:
    // later records of the same archive may still refer back to them.
    const quint32 count = ar.readCount();
    ar.checkCount(count, kMinObjectRecordBytes);
    for (quint32 i = 0; i < count; ++i) {
        bool isNew = false;
        CSerializable* object = ar.readObjectRecord(&isNew);
        if (!isNew)
            continue;
        std::unique_ptr<CSerializable> dropped(object);
        if (auto* frame = dynamic_cast<CPicInfo*>(object))
            frame->attachPhoto(nullptr); // a dropped frame uses no photo
        m_droppedObjects.push_back(std::move(dropped));
    }
}

void CPicInfoManager::adoptReadFrames(std::vector<std::unique_ptr<CPicInfo>> frames)
{
    m_frames.reserve(frames.size());
    for (auto& frame : frames) {
        if (!frame)
            continue; // a null entry holds no frame
        if (m_template) {
            // Templates store no ids; the document needs distinct ones.
            const std::optional<quint32> id = newFrameId(planeNumberOf(frame->planes()));
            if (!id)
                CArchive::fail("more frames in one plane than it has ids");
            frame->setId(*id);
        }
        frame->m_manager = this;
        frame->m_invalid = CPicInfo::kInvalidAll;
        m_frames.push_back(std::move(frame));
    }
}
