#include "dragsession.h"

#include "dragmode.h"
#include "framedrag.h"
#include "framehandles.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "selection.h"
#include "undo.h"

#include <vector>

CDragSession::CDragSession(CUndo& undo, CSelection& selection, CPicInfoManager& frames)
    : m_undo(undo)
    , m_selection(selection)
    , m_frames(frames)
{
}

CDragSession::~CDragSession()
{
    if (m_active)
        cancel();
}

void CDragSession::begin(const Start& start)
{
    m_active = true;
    m_moved = false;
    m_start = start;
    m_last = start.point;
    m_undo.StartPending();
    for (CPicInfo* frame : m_selection.frames())
        frame->takeSnapshot();
    if (m_start.mode == DragMode::Rotate && m_start.frame) {
        m_rotationCentre = m_start.frame->frameRect().toRectF().center();
        m_startAngle = FrameDrag::angleAround(m_rotationCentre, m_start.point);
    }
}

CDragSession::Step CDragSession::moveTo(const QPointF& point)
{
    const QPointF delta = point - m_start.point;
    if (delta.x() != 0.0 || delta.y() != 0.0)
        m_moved = true;
    if (!m_active || m_selection.IsEmpty() || !m_moved || point == m_last)
        return Step::Unchanged;
    if (lockedCanvasRefuses())
        return Step::Refused;
    m_last = point;

    m_frames.holdRedraw();
    // Only the first step pushed in pending mode is kept; once it exists the
    // frames' setters record nothing more. Taking it back (which restores
    // every frame) and starting pending mode again lets this move record
    // the frames as they were at the press.
    if (m_undo.isPending() && !m_undo.acceptsRecords() && m_undo.isRecording()) {
        m_undo.DiscardPending();
        m_undo.StartPending();
    }
    m_undo.Begin();
    // A copy: a frame's change may take it out of the selection.
    for (CPicInfo* frame : std::vector<CPicInfo*>(m_selection.frames()))
        apply(*frame, point);
    m_undo.Term();
    m_frames.releaseRedraw();
    return Step::Applied;
}

void CDragSession::end()
{
    if (!m_active)
        return;
    m_active = false;
    if (m_moved)
        m_undo.CommitPending();
    else
        m_undo.DiscardPending();
    m_start.frame = nullptr;
}

void CDragSession::cancel()
{
    if (!m_active)
        return;
    m_active = false;
    m_undo.DiscardPending();
    m_start.frame = nullptr;
}

CPicInfo* CDragSession::frameAtStart() const
{
    // Compared, never followed: the frame may have been deleted since the press.
    return m_start.frame && m_frames.indexOf(m_start.frame) >= 0 ? m_start.frame : nullptr;
}

bool CDragSession::lockedCanvasRefuses() const
{
    const CPicInfo* frame = frameAtStart();
    if (!m_frames.framesLocked() || !frame || !frame->isInPlanes(CPicInfo::kPlanePhotos))
        return false;
    // What the lock keeps: the frames' places, sizes and angles, whichever
    // handle the drag started on. What happens inside a frame stays allowed.
    switch (m_start.mode) {
    case DragMode::ResizeWithImage:
    case DragMode::Crop:
    case DragMode::Move:
    case DragMode::MoveFrameOnly:
    case DragMode::Rotate: return true;
    default: return false;
    }
}

void CDragSession::apply(CPicInfo& frame, const QPointF& point)
{
    const QPointF delta = point - m_start.point;
    const int handle = m_start.handle;
    switch (m_start.mode) {
    case DragMode::ResizeWithImage: FrameDrag::resize(frame, delta, resizeEdges(handle), true); break;
    case DragMode::Crop: FrameDrag::resize(frame, delta, resizeEdges(handle), false); break;
    case DragMode::ResizeImage: FrameDrag::resizeImage(frame, delta, handleEdges(handle)); break;
    case DragMode::Move: FrameDrag::move(frame, delta, false); break;
    case DragMode::MoveFrameOnly: FrameDrag::move(frame, delta, true); break;
    case DragMode::PanImage: FrameDrag::panImage(frame, delta, handle); break;
    case DragMode::Rotate:
        FrameDrag::rotate(frame, m_startAngle - FrameDrag::angleAround(m_rotationCentre, point));
        break;
    case DragMode::ImageTone: FrameDrag::tone(frame, delta, m_start.alt); break;
    default: break; // a split drag only previews; the release splits
    }
}
