#include "ziraradaru.h"

#include "collagedoc.h"
#include "framelocklift.h"
#include "frameops.h"
#include "layoutrandom.h"
#include "picinfomanager.h"
#include "undo.h"

CLayoutRandom& CZiraRadaru::sharedRandom()
{
    static CLayoutRandom random;
    return random;
}

void CZiraRadaru::seedRandom(quint32 seed) { sharedRandom() = CLayoutRandom(seed); }

CZiraRadaru::CZiraRadaru(CCollageDoc& doc)
    : CZiraRadaru(doc, sharedRandom())
{
}

CZiraRadaru::CZiraRadaru(CCollageDoc& doc, CLayoutRandom& random)
    : m_doc(doc)
    , m_random(random)
{
}

bool CZiraRadaru::run()
{
    CPicInfoManager& frames = m_doc.services().frames;
    CUndo& undo = m_doc.services().undo;
    // Photo frames only: page segments must stay upright to print.
    const std::vector<CPicInfo*> collected = frames.framesInPlanes(CPicInfo::kPlanePhotos);
    if (collected.empty())
        return false;

    undo.Begin(QString::fromLatin1(CUndo::kZiraRadaruGroup));
    frames.setVisiblePlanes(CPicInfo::kPlanePageSegments, 0);
    frames.holdRedraw();
    {
        // A layout leaves the frames locked; the enlargement moves them all the same.
        CFrameLockLift lift(frames);
        CFrameOps operations(frames);
        const bool enlarge = !frames.isJumbled();
        for (CPicInfo* frame : collected) {
            if (enlarge) {
                const CCanvasRect rect = frame->frameRect();
                frame->setFramePos(rect.x - kEnlargement, rect.y - kEnlargement);
                frame->setFrameSize(rect.width + 2 * kEnlargement, rect.height + 2 * kEnlargement);
                operations.fitImageIntoFrame(*frame);
            }
            frame->setRotation(float(m_random.next() % kTiltRange - kTiltOffset));
        }
    }
    frames.releaseRedraw();
    m_doc.updateAllViews(DocHint::EverythingChanged);
    const bool changed = undo.Term();
    if (changed)
        m_doc.setModified(true);
    frames.setJumbled(true);
    return changed;
}
