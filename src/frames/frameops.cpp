#include "frameops.h"

#include "myphotos.h"
#include "photoitem.h"
#include "undo.h"

#include <QBuffer>

#include <algorithm>
#include <limits>

namespace {

QString latin1(const char* text) { return QString::fromLatin1(text); }

// A stored stacking index as a list position; anything beyond int is "on top".
int storedIndex(quint32 index) { return int(std::min<quint32>(index, quint32(std::numeric_limits<int>::max()))); }

// The context a frame kept in the history is read back with: always a
// project's layout (it was written so), the present lock and photos.
CFrameRecordContext snapshotContext(bool framesLocked, CMyPhotos* photos)
{
    CFrameRecordContext context;
    context.isTemplate = false;
    context.framesLocked = framesLocked;
    context.photos = photos;
    context.matchPhotoOrientation = false;
    return context;
}

// The photo-frame changes, by action key. Each replay reads the frame id and
// the old value(s) in the order the frame's record hook wrote them.
struct FrameReplay
{
    FrameChange change;
    enum class Payload { Byte, Float, TwoFloats, String, ByteAndIndex } payload;
};

const FrameReplay* frameReplayOf(const QString& kind)
{
    static const FrameReplay kReplays[] = {
        {FrameChange::DrawBorder, FrameReplay::Payload::Byte},
        {FrameChange::DrawShadow, FrameReplay::Payload::Byte},
        {FrameChange::ImageAlpha, FrameReplay::Payload::Float},
        {FrameChange::ImageBrightness, FrameReplay::Payload::Float},
        {FrameChange::ImageContrast, FrameReplay::Payload::Float},
        {FrameChange::ImageGamma, FrameReplay::Payload::Float},
        {FrameChange::ImageRotate, FrameReplay::Payload::Float},
        {FrameChange::ImageIntoFrame, FrameReplay::Payload::String},
        {FrameChange::RemoveImage, FrameReplay::Payload::String},
        {FrameChange::NewDesc, FrameReplay::Payload::String},
        {FrameChange::NewLink, FrameReplay::Payload::String},
        {FrameChange::ShowFrame, FrameReplay::Payload::ByteAndIndex},
        {FrameChange::FramePos, FrameReplay::Payload::TwoFloats},
        {FrameChange::FrameSize, FrameReplay::Payload::TwoFloats},
        {FrameChange::ImagePos, FrameReplay::Payload::TwoFloats},
        {FrameChange::ImageSize, FrameReplay::Payload::TwoFloats},
    };
    for (const FrameReplay& replay : kReplays) {
        if (kind == QLatin1String(actionKey(replay.change)))
            return &replay;
    }
    return nullptr;
}

} // namespace

CFrameOps::CFrameOps(CPicInfoManager& frames)
    : m_frames(frames)
{
}

// ---------------------------------------------------------------------------
// Creating and deleting

CPicInfo* CFrameOps::createFrame(const CCanvasRect& rect, quint32 planeNumber, bool shown, std::optional<quint32> id)
{
    const quint32 planes = CPicInfoManager::planesOf(planeNumber);
    if (planes == 0)
        return nullptr;
    if (id) {
        if (m_frames.findFrame(*id))
            return nullptr;
    } else {
        id = m_frames.newFrameId(planeNumber);
        if (!id)
            return nullptr;
    }

    auto created = std::make_unique<CPicInfo>();
    created->setId(*id);
    CPicInfo& frame = m_frames.appendFrame(std::move(created));

    CUndo* undo = m_frames.undo();
    CUndoRecord record(undo, latin1(kCreateFrame), latin1(kCreateFrameName));
    if (CArchive* ar = record.payload())
        ar->writeU32(*id);
    {
        // Undoing the creation deletes the frame whole: nothing set up here
        // needs a record of its own.
        CUndoSuspend suspend(undo);
        m_frames.holdRedraw();
        frame.setFramePos(rect.x, rect.y);
        frame.setFrameSize(rect.width, rect.height);
        frame.setPlanes(planes);
        frame.applyLock(m_frames.framesLocked());
        frame.setShown(shown);
        m_frames.releaseRedraw();
    }
    record.commit();
    return &frame;
}

bool CFrameOps::deleteFrame(CPicInfo& frame)
{
    const int index = m_frames.indexOf(&frame);
    if (index < 0)
        return false;
    std::unique_ptr<CPicInfo> taken = m_frames.takeFrame(frame);

    CUndoRecord record(m_frames.undo(), latin1(kDeleteFrame), latin1(kDeleteFrameName));
    if (CArchive* ar = record.payload()) {
        ar->writeU32(taken->id());
        ar->writeU32(quint32(index));
        ar->writeU32(taken->planes());
        m_frames.serializeFrameRecord(*ar, *taken);
        // The frame record leaves gamma out; the restored frame needs it.
        ar->writeF32(taken->attributes().gamma());
    }
    m_frames.announceRemoved(*taken);
    taken.reset();
    record.commit();
    return true;
}

// ---------------------------------------------------------------------------
// Stacking order

bool CFrameOps::moveUp(CPicInfo& frame)
{
    const int index = m_frames.indexOf(&frame);
    return index >= 0 && restack(frame, index + 1, kMoveUpName);
}

bool CFrameOps::moveDown(CPicInfo& frame)
{
    const int index = m_frames.indexOf(&frame);
    return index > 0 && restack(frame, index - 1, kMoveDownName);
}

bool CFrameOps::changePosition(CPicInfo& frame, int index) { return restack(frame, index, kChangePositionName); }

bool CFrameOps::restack(CPicInfo& frame, int index, const char* displayName)
{
    const int from = m_frames.indexOf(&frame);
    if (from < 0 || !frame.hasPermission(CPicInfo::kPermissionStacking))
        return false;
    const int to = std::clamp(index, 0, m_frames.frameCount() - 1);
    if (to == from)
        return false;

    CUndoRecord record(m_frames.undo(), latin1(kZOrderChange), latin1(displayName));
    if (CArchive* ar = record.payload()) {
        ar->writeU32(frame.id());
        ar->writeU32(quint32(from));
    }
    // Taking the frame out forgets where the view remembers it; it is not
    // going away, so it is remembered again.
    using Remembered = CPicInfoManager::Remembered;
    const bool first = m_frames.rememberedFrame(Remembered::First) == &frame;
    const bool second = m_frames.rememberedFrame(Remembered::Second) == &frame;
    m_frames.insertFrame(to, m_frames.takeFrame(frame));
    if (first)
        m_frames.setRememberedFrame(Remembered::First, &frame);
    if (second)
        m_frames.setRememberedFrame(Remembered::Second, &frame);
    record.commit();
    return true;
}

// ---------------------------------------------------------------------------

bool CFrameOps::fitImageIntoFrame(CPicInfo& frame) { return frame.fitImageIntoFrame(); }

bool CFrameOps::spinImage(CPhotoItem& photo, int quarterTurns)
{
    CMyPhotos* photos = m_frames.photoCollection();
    if (!photos || CPhotoItem::normalisedTurns(quarterTurns) == CPhotoItem::normalisedTurns(photo.quarterTurns()))
        return false;
    CUndoRecord record(m_frames.undo(), latin1(kSpinImage), latin1(kSpinImageName));
    if (CArchive* ar = record.payload()) {
        ar->writeString(photo.path());
        ar->writeI32(photo.quarterTurns());
    }
    photos->SetQuarterTurns(photo, quarterTurns);
    record.commit();
    return true;
}

// ---------------------------------------------------------------------------
// Replay

bool CFrameOps::replay(const CUndoItem& item, CArchive& payload)
{
    const QString& kind = item.kind();
    if (frameReplayOf(kind))
        return replayFrame(kind, payload);
    if (kind == QLatin1String(kCreateFrame)) {
        const quint32 id = payload.readU32();
        if (CPicInfo* frame = m_frames.findFrame(id))
            deleteFrame(*frame);
        return true;
    }
    if (kind == QLatin1String(kDeleteFrame)) {
        replayDeleteFrame(payload);
        return true;
    }
    if (kind == QLatin1String(kZOrderChange)) {
        const quint32 id = payload.readU32();
        const quint32 index = payload.readU32();
        if (CPicInfo* frame = m_frames.findFrame(id))
            changePosition(*frame, storedIndex(index));
        return true;
    }
    if (kind == QLatin1String(kSpinImage)) {
        const QString path = payload.readString();
        const qint32 turns = payload.readI32();
        CMyPhotos* photos = m_frames.photoCollection();
        if (CPhotoItem* photo = photos ? photos->FindPhoto(path) : nullptr)
            spinImage(*photo, turns);
        return true;
    }
    if (kind == QLatin1String(kLockFrame))
        return true; // older histories record it; there is nothing to restore
    return replayCollection(kind, payload);
}

bool CFrameOps::replayFrame(const QString& kind, CArchive& payload)
{
    const FrameReplay& replay = *frameReplayOf(kind);
    const quint32 id = payload.readU32();
    bool flag = false;
    float a = 0.0f;
    float b = 0.0f;
    QString text;
    switch (replay.payload) {
    case FrameReplay::Payload::Byte: flag = payload.readBool(); break;
    case FrameReplay::Payload::Float: a = payload.readF32(); break;
    case FrameReplay::Payload::TwoFloats:
        a = payload.readF32();
        b = payload.readF32();
        break;
    case FrameReplay::Payload::String: text = payload.readString(); break;
    case FrameReplay::Payload::ByteAndIndex:
        flag = payload.readBool();
        payload.readU32(); // where the frame stood; showing it again does not move it
        break;
    }

    CPicInfo* frame = m_frames.findFrame(id);
    if (!frame)
        return true;
    switch (replay.change) {
    case FrameChange::DrawBorder: frame->setDrawBorder(flag); break;
    case FrameChange::DrawShadow: frame->setDrawShadow(flag); break;
    case FrameChange::ImageAlpha: frame->setAlpha(a); break;
    case FrameChange::ImageBrightness: frame->setBrightness(a); break;
    case FrameChange::ImageContrast: frame->setContrast(a); break;
    case FrameChange::ImageGamma: frame->setGamma(a); break;
    case FrameChange::ImageRotate: frame->setRotation(a); break;
    case FrameChange::ImageIntoFrame:
    case FrameChange::RemoveImage: frame->restorePhoto(text, replay.change); break;
    case FrameChange::NewDesc: frame->setDescription(text); break;
    case FrameChange::NewLink: frame->setLink(text); break;
    case FrameChange::ShowFrame: frame->setShown(flag); break;
    case FrameChange::FramePos: frame->setFramePos(a, b); break;
    case FrameChange::FrameSize: frame->setFrameSize(a, b); break;
    case FrameChange::ImagePos: frame->setImagePos(a, b); break;
    case FrameChange::ImageSize: frame->setImageSize(a, b); break;
    }
    return true;
}

bool CFrameOps::replayCollection(const QString& kind, CArchive& payload)
{
    auto is = [&kind](CollectionChange change) { return kind == QLatin1String(actionKey(change)); };
    if (is(CollectionChange::LockFrames)) {
        m_frames.setFramesLocked(payload.readBool());
    } else if (is(CollectionChange::ShowPlane)) {
        m_frames.setVisiblePlanes(kShowPlaneReplayMask, payload.readU32() & kShowPlaneReplayMask);
    } else if (is(CollectionChange::CanvasColor)) {
        m_frames.setCanvasColour(payload.readU32());
    } else if (is(CollectionChange::CanvasColorToPrinter)) {
        m_frames.setPrintCanvasColour(payload.readBool());
    } else if (is(CollectionChange::HasBorder)) {
        m_frames.setBorderEnabled(payload.readBool());
    } else if (is(CollectionChange::HasShadow)) {
        m_frames.setShadowEnabled(payload.readBool());
    } else if (is(CollectionChange::BorderWidth)) {
        m_frames.setBorderWidth(payload.readF32());
    } else if (is(CollectionChange::BorderColor)) {
        m_frames.setBorderColour(payload.readU32());
    } else {
        return false;
    }
    return true;
}

void CFrameOps::replayDeleteFrame(CArchive& payload)
{
    const quint32 id = payload.readU32();
    const quint32 index = payload.readU32();
    const quint32 planes = payload.readU32();
    auto restored = std::make_unique<CPicInfo>();
    restored->serializeRecord(payload, snapshotContext(m_frames.framesLocked(), m_frames.photoCollection()));
    // Histories of older programs end with the record.
    if (payload.remaining() >= qint64(sizeof(float)))
        restored->setGamma(payload.readF32());

    if (m_frames.findFrame(id))
        return; // the id is taken: the frame is not coming back twice
    restored->setId(id);
    restored->setPlanes(planes);
    restored->applyLock(m_frames.framesLocked());

    CUndoRecord record(m_frames.undo(), latin1(kCreateFrame), latin1(kCreateFrameName));
    if (CArchive* ar = record.payload())
        ar->writeU32(id);
    m_frames.insertFrame(storedIndex(index), std::move(restored));
    record.commit();
}

// ---------------------------------------------------------------------------

void CFrameOps::upgradeSnapshots(CUndo& history)
{
    history.forEachLeaf([](CUndoItem& leaf) {
        if (leaf.kind() != QLatin1String(kDeleteFrame) || leaf.snapshotVersion() >= CUndoItem::kCurrentSnapshotVersion)
            return;
        QByteArray upgraded;
        try {
            CArchive& in = leaf.openSnapshotReader();
            const quint32 id = in.readU32();
            const quint32 index = in.readU32();
            const quint32 planes = in.readU32();
            // Without a photo collection the path is kept as it was read.
            CPicInfo frame;
            frame.serializeRecord(in, snapshotContext(false, nullptr));
            const QByteArray rest = in.readRaw(in.remaining());

            QBuffer buffer(&upgraded);
            buffer.open(QIODevice::WriteOnly);
            CArchive out(&buffer, CArchive::Mode::Store);
            out.setDocumentVersion(CUndoItem::kCurrentSnapshotVersion);
            out.writeU32(id);
            out.writeU32(index);
            out.writeU32(planes);
            frame.serializeRecord(out, snapshotContext(false, nullptr));
            out.writeRaw(rest.constData(), rest.size());
            out.flush();
        } catch (const CArchiveError&) {
            leaf.closeSnapshot();
            return;
        }
        leaf.closeSnapshot();
        leaf.setSnapshot(upgraded, CUndoItem::kCurrentSnapshotVersion);
    });
}
