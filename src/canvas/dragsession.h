#pragma once
// One left-button drag over the selected frames, from the press to the
// release or Escape, kept as one undo step. From begin() to end() or
// cancel() the undo history is in pending mode and the session owns the
// pending step.
//
// Every move applies the whole movement since the press afresh from the
// frames' begin-drag snapshots. A later move may change what the first one
// left alone (a resize that goes across first and then down as well), so
// the pending step of the previous move is taken back before the frames are
// changed again: the step the release commits always runs from the press to
// where the frames end. Cancelling discards the step, which puts every frame
// back and leaves both undo lists as they were.
//
// No widget: the frame drag tool drives it, tests drive it directly. The
// history, the selection and the frame collection outlive it. User-interface
// thread only.

#include <QPointF>

class CPicInfo;
class CPicInfoManager;
class CSelection;
class CUndo;

class CDragSession
{
public:
    // What the drag works with, fixed at the press.
    struct Start
    {
        int mode = 0;              // DragMode
        int handle = 200;          // FrameHandle under the pointer
        QPointF point;             // canvas units
        CPicInfo* frame = nullptr; // the frame under the pointer, if any
        bool alt = false;          // a tone drag then changes the gamma
    };

    // What one move did.
    enum class Step {
        Unchanged, // nothing selected, or the pointer is at the start or where it was
        Applied,   // every selected frame follows the pointer
        Refused,   // a locked canvas keeps its frames: the caller cancels the drag
    };

    CDragSession(CUndo& undo, CSelection& selection, CPicInfoManager& frames);
    // A drag still under way is cancelled.
    ~CDragSession();
    CDragSession(const CDragSession&) = delete;
    CDragSession& operator=(const CDragSession&) = delete;

    // Starts pending mode and takes every selected frame's begin-drag snapshot.
    void begin(const Start& start);
    // Applies the movement from the start to `point` (canvas units, already
    // fine-tuned and snapped) to every selected frame in selection order.
    Step moveTo(const QPointF& point);
    // Commits the pending step as one undo step when the pointer moved;
    // a drag that never moved is a click and leaves nothing.
    void end();
    // Discards the pending step: every frame is as it was at begin().
    void cancel();

    bool isActive() const { return m_active; }
    bool hasMoved() const { return m_moved; }
    const Start& start() const { return m_start; }
    // The movement the frames were last given.
    QPointF delta() const { return m_last - m_start.point; }
    // The frame under the pointer at the press, while it is still in the collection.
    CPicInfo* frameAtStart() const;

private:
    bool lockedCanvasRefuses() const;
    void apply(CPicInfo& frame, const QPointF& point);

    CUndo& m_undo;
    CSelection& m_selection;
    CPicInfoManager& m_frames;

    bool m_active = false;
    bool m_moved = false;
    Start m_start;
    QPointF m_last;
    QPointF m_rotationCentre;
    float m_startAngle = 0.0f;
};
