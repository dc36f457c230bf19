#include "framedragtool.h"

#include "canvastoolhost.h"
#include "commandids.h"
#include "dragmode.h"
#include "framehandles.h"
#include "framehittest.h"
#include "frametargets.h"
#include "picinfo.h"
#include "selection.h"
#include "snapper.h"
#include "undo.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

CFrameDragTool::CFrameDragTool(CCanvasToolHost& host, CUndo& undo, CSelection& selection, CPicInfoManager& frames,
                               CSnapper& snapper, CFrameSnapTargets& targets)
    : m_host(host)
    , m_undo(undo)
    , m_selection(selection)
    , m_frames(frames)
    , m_snapper(snapper)
    , m_targets(targets)
    , m_session(undo, selection, frames)
{
}

QSize CFrameDragTool::splitPreview(quint32 frameId) const
{
    const auto found = m_splitPreview.find(frameId);
    return found != m_splitPreview.end() ? found->second : QSize();
}

void CFrameDragTool::pressed(const CToolPointer& pointer)
{
    if (m_session.isActive())
        return;
    const bool shift = pointer.modifiers & Qt::ShiftModifier;
    const bool ctrl = pointer.modifiers & Qt::ControlModifier;
    CPicInfo* frame = frameAtPoint(m_frames, pointer.position);
    // Shift on a frame already selected keeps the selection as it is.
    if (!(shift && m_selection.IsSelected(frame))) {
        const unsigned flags = (shift ? unsigned(CSelection::ClickShift) : 0u) |
                               (ctrl ? unsigned(CSelection::ClickCtrl) : 0u);
        m_selection.SelectAtPoint(flags, pointer.position);
    }
    if (m_selection.IsSelected(frame))
        m_selection.setFocusFrame(frame);
    m_host.showStatusMessage(QString::fromLatin1(kStatusBarKeys));

    CDragSession::Start start;
    start.mode = m_host.mode();
    start.handle = m_host.handle();
    start.point = pointer.position;
    start.frame = frame;
    start.alt = pointer.modifiers & Qt::AltModifier;
    m_session.begin(start);
    m_host.setFramesDragged(m_selection.frames(), true);
    if (modeSnaps(start.mode)) {
        // The dragged frames must not snap to themselves.
        m_targets.rebuild(m_frames, m_snapper);
        for (const CPicInfo* selected : m_selection.frames())
            m_targets.setFrameEnabled(selected->id(), false);
        m_snapper.Begin(handleEdges(start.handle), pointer.position, m_selection.BoundingBox());
    }
    m_host.dragStarted();
}

void CFrameDragTool::moved(const CToolPointer& pointer)
{
    switch (m_session.moveTo(pointer.position)) {
    case CDragSession::Step::Unchanged: return;
    case CDragSession::Step::Refused: {
        // A frame with a picture says in the status bar why it stays, and
        // its picture is picked up to be carried to the dropper.
        const CPicInfo* frame = m_session.frameAtStart();
        const bool withPicture = frame && frame->photo();
        const quint32 frameId = frame ? frame->id() : 0;
        finish(true);
        if (withPicture) {
            m_host.showStatusMessage(QString::fromLatin1(kLockedStatus));
            m_host.pickUpImage(frameId);
        } else
            m_host.showInfoTip(QString::fromLatin1(kMoveLockFrameTip));
        return;
    }
    case CDragSession::Step::Applied:
        if (m_session.start().mode == DragMode::Split)
            previewSplit();
        return;
    }
}

void CFrameDragTool::previewSplit()
{
    const QPointF delta = m_session.delta();
    const int most = m_host.maxSplitCount();
    const QSize counts(std::clamp(int(std::fabs(kSplitsPerUnit * delta.x())), 1, most),
                       std::clamp(int(std::fabs(kSplitsPerUnit * delta.y())), 1, most));
    for (CPicInfo* frame : m_selection.frames()) {
        m_host.showInfoTip(QString::fromLatin1(kSplitterTip));
        QSize& shown = m_splitPreview[frame->id()];
        if (shown != counts) {
            shown = counts;
            m_host.repaintFrame(*frame);
        }
    }
}

void CFrameDragTool::released(const CToolPointer& pointer)
{
    if (!m_session.isActive())
        return;
    const bool moved = m_session.hasMoved();
    finish(false);
    if (!moved)
        click(pointer);
}

void CFrameDragTool::cancel()
{
    if (m_session.isActive())
        finish(true);
}

void CFrameDragTool::finish(bool cancelled)
{
    const int mode = m_session.start().mode;
    m_snapper.End();
    m_host.dragFinished();
    m_host.clearStatusMessage(); // the keys' help is for the drag only
    m_targets.enableAll();
    const std::unordered_map<quint32, QSize> split = std::exchange(m_splitPreview, {});
    if (cancelled)
        m_session.cancel();
    else
        m_session.end();
    m_host.setFramesDragged(m_selection.frames(), false);

    QSize counts(1, 1);
    for (const auto& [id, size] : split) {
        if (size.width() > 1 || size.height() > 1)
            counts = size;
    }
    if (!cancelled && mode == DragMode::Split && counts != QSize(1, 1))
        m_host.splitSelectedFrames(counts);
}

void CFrameDragTool::click(const CToolPointer& pointer)
{
    if (pointer.modifiers & (Qt::ShiftModifier | Qt::ControlModifier))
        return;
    switch (m_session.start().handle) {
    case FrameHandle::PageOrientation:
        if (m_flipOrientation) {
            m_undo.Begin();
            for (CPicInfo* frame : std::vector<CPicInfo*>(m_selection.frames()))
                m_flipOrientation(*frame);
            m_undo.Term();
        }
        break;
    case FrameHandle::Split: m_host.requestCommand(CommandId::SplitFrame); break;
    case FrameHandle::ImageTone: m_host.requestCommand(CommandId::AdjustImage); break;
    default: m_selection.ResolveClick(pointer.position); break;
    }
}
