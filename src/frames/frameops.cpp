#include "frameops.h"

#include "frameundorecords.h"
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

// The records of the operations here. Each transfers its fields in their
// stored order, which writes the record to a storing archive and reads it
// from a loading one.

// "CreateFrame": the frame a replay deletes.
struct CreatedFrameRecord
{
    quint32 id = 0;
    void transfer(CArchive& ar) { FrameUndoRecords::transfer(ar, id); }
};

// "DeleteFrame" starts with this; the frame's record follows, then its
// gamma, which the record lacks (histories of older programs end before it).
struct DeletedFrameHead
{
    quint32 id = 0;
    quint32 index = 0;
    quint32 planes = 0;
    void transfer(CArchive& ar) { FrameUndoRecords::transfer(ar, id, index, planes); }
};

// "ImageZOrderChange": the frame and its stacking index before the move.
struct RestackRecord
{
    quint32 id = 0;
    quint32 index = 0;
    void transfer(CArchive& ar) { FrameUndoRecords::transfer(ar, id, index); }
};

// "SpinImage": the photo file and the quarter turns it had.
struct SpinRecord
{
    QString path;
    qint32 quarterTurns = 0;
    void transfer(CArchive& ar) { FrameUndoRecords::transfer(ar, path, quarterTurns); }
};

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
        CreatedFrameRecord{*id}.transfer(*ar);
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
        DeletedFrameHead{taken->id(), quint32(index), taken->planes()}.transfer(*ar);
        m_frames.serializeFrameRecord(*ar, *taken);
        float gamma = taken->attributes().gamma();
        FrameUndoRecords::transfer(*ar, gamma);
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
    if (CArchive* ar = record.payload())
        RestackRecord{frame.id(), quint32(from)}.transfer(*ar);
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
    if (CArchive* ar = record.payload())
        SpinRecord{photo.path(), photo.quarterTurns()}.transfer(*ar);
    photos->SetQuarterTurns(photo, quarterTurns);
    record.commit();
    return true;
}

// ---------------------------------------------------------------------------
// Replay

bool CFrameOps::replay(const CUndoItem& item, CArchive& payload)
{
    const QString& kind = item.kind();
    if (FrameUndoRecords::replayFrameChange(kind, payload, m_frames))
        return true;
    if (kind == QLatin1String(kCreateFrame)) {
        CreatedFrameRecord created;
        created.transfer(payload);
        if (CPicInfo* frame = m_frames.findFrame(created.id))
            deleteFrame(*frame);
        return true;
    }
    if (kind == QLatin1String(kDeleteFrame)) {
        replayDeleteFrame(payload);
        return true;
    }
    if (kind == QLatin1String(kZOrderChange)) {
        RestackRecord restacked;
        restacked.transfer(payload);
        if (CPicInfo* frame = m_frames.findFrame(restacked.id))
            changePosition(*frame, storedIndex(restacked.index));
        return true;
    }
    if (kind == QLatin1String(kSpinImage)) {
        SpinRecord spun;
        spun.transfer(payload);
        CMyPhotos* photos = m_frames.photoCollection();
        if (CPhotoItem* photo = photos ? photos->FindPhoto(spun.path) : nullptr)
            spinImage(*photo, spun.quarterTurns);
        return true;
    }
    if (kind == QLatin1String(kLockFrame))
        return true; // older histories record it; there is nothing to restore
    return FrameUndoRecords::replayCollectionChange(kind, payload, m_frames);
}

void CFrameOps::replayDeleteFrame(CArchive& payload)
{
    DeletedFrameHead head;
    head.transfer(payload);
    auto restored = std::make_unique<CPicInfo>();
    restored->serializeRecord(payload, snapshotContext(m_frames.framesLocked(), m_frames.photoCollection()));
    if (payload.remaining() >= qint64(sizeof(float))) {
        float gamma = 0.0f;
        FrameUndoRecords::transfer(payload, gamma);
        restored->setGamma(gamma);
    }

    if (m_frames.findFrame(head.id))
        return; // the id is taken: the frame is not coming back twice
    restored->setId(head.id);
    restored->setPlanes(head.planes);
    restored->applyLock(m_frames.framesLocked());

    CUndoRecord record(m_frames.undo(), latin1(kCreateFrame), latin1(kCreateFrameName));
    if (CArchive* ar = record.payload())
        CreatedFrameRecord{head.id}.transfer(*ar);
    m_frames.insertFrame(storedIndex(head.index), std::move(restored));
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
            DeletedFrameHead head;
            head.transfer(in);
            // Without a photo collection the path is kept as it was read.
            CPicInfo frame;
            frame.serializeRecord(in, snapshotContext(false, nullptr));
            const QByteArray rest = in.readRaw(in.remaining());

            QBuffer buffer(&upgraded);
            buffer.open(QIODevice::WriteOnly);
            CArchive out(&buffer, CArchive::Mode::Store);
            out.setDocumentVersion(CUndoItem::kCurrentSnapshotVersion);
            head.transfer(out);
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
