// The mouse tools of the canvas view: the position pipeline (fine-tune and
// snapping), hover and handles, drags applied to every selected frame as
// one pending undo step, the rubber band and new frames, the wheel, the
// keys and the context menu.

#include "collageview.h"

#include "collagerenderer.h"
#include "commandids.h"
#include "commandtable.h"
#include "dragmode.h"
#include "framecommands.h"
#include "framedrag.h"
#include "framehandles.h"
#include "framehittest.h"
#include "frameops.h"
#include "messagecatalogue.h"
#include "propmanager.h"
#include "rubberband.h"
#include "rulers.h"
#include "selection.h"
#include "services.h"
#include "snapguides.h"
#include "snapper.h"
#include "snapsound.h"
#include "undo.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kStatusBarKeys = "StatusBarKeys";

// The frame commands the context menu offers for a selection, with their
// menu texts; 0 is a separator.
struct MenuItem
{
    int id;
    int minSelected; // shown when at least this many frames are selected
};
constexpr MenuItem kContextMenu[] = {
    {CommandId::SplitFrame, 1},       {CommandId::MergeFrames, 2},      {CommandId::SwapDimensions, 1},
    {CommandId::SnapUpright, 1},      {CommandId::SpinRight, 1},        {CommandId::SpinLeft, 1},
    {CommandId::SnapFrameToImage, 1}, {CommandId::SnapImageToFrame, 1}, {CommandId::DuplicateSelected, 1},
    {0, 1},                           {CommandId::RemoveSelected, 1},   {0, 0},
    {CommandId::SelectAll, 0},
};

// The split drag asks nothing: its counts come from the drag.
class CNoQuestions : public CFrameCommandQuestions
{
public:
    std::optional<CSplitCounts> askSplit() override { return std::nullopt; }
    bool askMerge() override { return false; }
};

Qt::CursorShape cursorShape(int cursorId)
{
    switch (cursorId) {
    case CursorId::OverFrame: return Qt::SizeAllCursor;
    case CursorId::LockedFrame: return Qt::ForbiddenCursor;
    case CursorId::PanImage: return Qt::OpenHandCursor;
    case CursorId::Rotate: return Qt::CrossCursor;
    case CursorId::Split: return Qt::SplitHCursor;
    case CursorId::DrawFrame: return Qt::CrossCursor;
    case CursorId::RubberBand: return Qt::PointingHandCursor;
    case CursorId::PanCanvas: return Qt::ClosedHandCursor;
    default: return Qt::ArrowCursor;
    }
}

bool isPhotoFrame(const CPicInfo* frame) { return frame && frame->isInPlanes(CPicInfo::kPlanePhotos); }

} // namespace

// ---------------------------------------------------------------------------
// Mouse position, hover and cursor

void CCollageView::updatePosition(const QPointF& pixel)
{
    m_pixel = pixel;
    const QPointF raw = m_coords.deviceToCanvas(pixel);
    if (!m_dragging) {
        m_fineTuned = raw;
    } else {
        QPointF movement = raw - m_raw;
        if (shiftHeld() && m_mode != DragMode::Rotate)
            movement /= kFineTuneDivisor;
        m_fineTuned += movement;
    }
    m_raw = raw;
    m_effective = m_fineTuned;
    if (m_snapper.settings().snapToFrames.get() != altHeld()) {
        const CSnapResult result = m_snapper.Snap(m_fineTuned);
        m_effective = result.point;
        if (result.popSound)
            m_sound->play();
    }
}

void CCollageView::hover()
{
    // A tool key held down keeps its tool wherever the mouse goes (the key
    // does not repeat its selection while it is held).
    const bool keyHolds = !m_autoMode && modeForHoldKey(m_modeKey) >= 0 && isHeld(m_modeKey);
    CPicInfo* frame = frameAtPoint(m_frames, m_effective);
    if (frame != m_hovered) {
        m_hovered = frame;
        m_handle = FrameHandle::None;
        if (!keyHolds) {
            m_mode = DragMode::kDefault;
            m_modeKey = 'P';
            m_autoMode = true;
        }
    }
    if (frame) {
        CHandleLayout layout;
        layout.pixelSize = m_coords.pixelSize();
        layout.selected = m_selection.IsSelected(frame);
        const int handle = handleAt(*frame, m_effective, layout);
        if (handle != m_handle) {
            m_handle = handle;
            const int mode = keyHolds ? -1 : hoverModeForHandle(handle, m_autoMode);
            if (mode >= 0) {
                m_mode = mode;
                m_autoMode = true;
            }
        }
    } else {
        m_handle = FrameHandle::None;
        if (m_autoMode)
            m_mode = DragMode::kDefault;
    }
    updateCursor();
}

void CCollageView::updateCursor()
{
    const bool onHandle = m_handle != FrameHandle::None;
    const CPicInfo* hovered = live(m_hovered);
    setCursor(cursorShape(cursorFor(m_mode, hovered != nullptr, isPhotoFrame(hovered), onHandle,
                                    m_frames.framesLocked())));
    QString tip = handleToolTip(m_handle);
    if (hovered && m_handle == FrameHandle::None) {
        const CPicInfoAttr& attr = hovered->attributes();
        if (!attr.description().isEmpty())
            tip += QStringLiteral("DESCRIPTION:\r") + attr.description() + QStringLiteral("\r");
        if (!attr.link().isEmpty())
            tip += QStringLiteral("LINK:\r") + attr.link() + QStringLiteral("\r");
        if (!tip.isEmpty())
            tip += QStringLiteral("\r(Alt+D to change)");
    } else if (m_handle == FrameHandle::PageSample) {
        tip = m_services.catalogue().text(QStringLiteral("PageSampleTip"));
    } else if (m_handle == FrameHandle::MissingOriginal) {
        tip = m_services.catalogue().text(QStringLiteral("MissingPhoto"));
    }
    tip.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setToolTip(tip);
}

// ---------------------------------------------------------------------------
// Drags

void CCollageView::mousePressEvent(QMouseEvent* event)
{
    m_modifiers = event->modifiers();
    if (event->button() == Qt::LeftButton) {
        leftPress(event->position());
    } else if (event->button() == Qt::MiddleButton) {
        if (m_dragging || m_pressed)
            return;
        updatePosition(event->position());
        hover();
        // As if W were held: hover must not take the tool back.
        m_mode = DragMode::PanCanvas;
        m_modeKey = 'W';
        m_autoMode = false;
        updateCursor();
        leftPress(event->position());
    } else if (event->button() == Qt::RightButton && !m_dragging) {
        updatePosition(event->position());
        hover();
        m_selection.SelectAtPoint(CSelection::ClickPlain, m_effective);
    }
}

void CCollageView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void CCollageView::leftPress(const QPointF& pixel)
{
    if (m_pressed)
        return;
    m_pressed = true;
    setFocus();
    updatePosition(pixel);
    hover();
    if (!m_keysDown.isEmpty() && isHeld('W')) {
        m_mode = DragMode::PanCanvas;
        m_handle = FrameHandle::None;
    } else if (!m_keysDown.isEmpty() && isHeld('E')) {
        m_mode = DragMode::ZoomDrag;
        m_handle = FrameHandle::None;
    }
    if (m_mode == DragMode::PanCanvas || m_mode == DragMode::ZoomDrag) {
        m_lastPixel = pixel;
        m_nudge = true;
    } else {
        CPicInfo* frame = frameAtPoint(m_frames, m_effective);
        if (m_mode == DragMode::DrawFrame || m_mode == DragMode::RubberBand || !frame) {
            startRubberBand(pixel.toPoint());
            return;
        }
        const unsigned flags = (shiftHeld() ? unsigned(CSelection::ClickShift) : 0u) | (ctrlHeld() ? unsigned(CSelection::ClickCtrl) : 0u);
        // Shift on a frame already selected keeps the selection as it is.
        if (!(shiftHeld() && m_selection.IsSelected(frame)))
            m_selection.SelectAtPoint(flags, m_effective);
        emit statusMessage(m_services.catalogue().text(QString::fromLatin1(kStatusBarKeys)));
    }
    m_dragStart = m_dragLast = m_effective;
    m_moved = false;
    beginDrag();
}

void CCollageView::beginDrag()
{
    m_dragging = true;
    m_undo.StartPending();
    m_frameAtStart = live(m_hovered);
    if (!m_nudge) {
        for (CPicInfo* frame : m_selection.frames()) {
            frame->takeSnapshot();
            m_renderer.setDragged(*frame, true);
        }
    }
    if (modeSnaps(m_mode)) {
        m_frameTargets.rebuild(m_frames, m_snapper);
        for (const CPicInfo* frame : m_selection.frames())
            m_frameTargets.setFrameEnabled(frame->id(), false);
        m_snapper.Begin(handleEdges(m_handle), m_effective, m_selection.BoundingBox());
    }
    if (m_mode == DragMode::Rotate && m_frameAtStart) {
        m_rotationCentre = m_frameAtStart->frameRect().toRectF().center();
        m_startAngle = FrameDrag::angleAround(m_rotationCentre, m_effective);
    }
    m_altAtStart = altHeld();
    grabMouse();
}

void CCollageView::mouseMoveEvent(QMouseEvent* event)
{
    m_modifiers = event->modifiers();
    updatePosition(event->position());
    if (m_band) {
        stretchRubberBand(event->position().toPoint());
        return;
    }
    if (!m_dragging) {
        hover();
        update(QRect(0, 0, width(), CRulers::bandPixels(m_coords))); // the ruler markers
        update(QRect(0, 0, CRulers::bandPixels(m_coords), height()));
        return;
    }
    dragTo();
}

void CCollageView::dragTo()
{
    const QPointF delta = m_effective - m_dragStart;
    if (delta.x() != 0.0 || delta.y() != 0.0)
        m_moved = true;
    if (m_mode == DragMode::ZoomDrag) {
        startZoomPending();
        if (m_coords.zoomByDrag(int(std::lround(m_pixel.x() - m_lastPixel.x())))) {
            zoomChangedTo();
            setOrigin(m_coords.origin());
        }
        m_lastPixel = m_pixel;
        update();
        return;
    }
    if (m_mode == DragMode::PanCanvas) {
        panByPixels(m_pixel - m_lastPixel);
        m_lastPixel = m_pixel;
        return;
    }
    if (m_selection.IsEmpty() || !m_moved || m_effective == m_dragLast)
        return;
    if (lockedDragRefused())
        return;
    m_dragLast = m_effective;

    // The drag is applied afresh from the snapshots at every move, so the
    // pending step must hold the changes from the start of the drag to now
    // (a move may change what the first one did not): the step of the
    // previous move is taken back first.
    m_frames.holdRedraw();
    if (m_undo.isPending() && !m_undo.acceptsRecords() && m_undo.isRecording()) {
        m_undo.DiscardPending();
        m_undo.StartPending();
    }
    m_undo.Begin();
    for (CPicInfo* frame : std::vector<CPicInfo*>(m_selection.frames()))
        applyDrag(*frame, delta);
    m_undo.Term();
    m_frames.releaseRedraw();
    refreshGuides();
}

void CCollageView::refreshGuides()
{
    QRectF area;
    for (const CSnapGuide& guide : snapGuides(m_snapper, canvasRect()))
        area = area.united(QRectF(guide.line.p1(), guide.line.p2()).normalized());
    const qreal pen = CSnapGuidePen::kWidth * 2.0;
    area = area.adjusted(-pen, -pen, pen, pen);
    if (area != m_guideArea) {
        invalidateCanvasArea(m_guideArea);
        invalidateCanvasArea(area);
        m_guideArea = area;
    }
}

void CCollageView::applyDrag(CPicInfo& frame, const QPointF& delta)
{
    switch (m_mode) {
    case DragMode::ResizeWithImage: FrameDrag::resize(frame, delta, resizeEdges(m_handle), true); break;
    case DragMode::Crop: FrameDrag::resize(frame, delta, resizeEdges(m_handle), false); break;
    case DragMode::ResizeImage: FrameDrag::resizeImage(frame, delta, handleEdges(m_handle)); break;
    case DragMode::Move: FrameDrag::move(frame, delta, false); break;
    case DragMode::MoveFrameOnly: FrameDrag::move(frame, delta, true); break;
    case DragMode::PanImage: FrameDrag::panImage(frame, delta, m_handle); break;
    case DragMode::Rotate:
        FrameDrag::rotate(frame, m_startAngle - FrameDrag::angleAround(m_rotationCentre, m_effective));
        break;
    case DragMode::Split: {
        emit infoTipRequested(QString::fromLatin1(kSplitterTip));
        const QSize counts(std::clamp(int(std::fabs(kSplitsPerUnit * delta.x())), 1, CFrameCommands::kMaxSplitCount),
                           std::clamp(int(std::fabs(kSplitsPerUnit * delta.y())), 1, CFrameCommands::kMaxSplitCount));
        if (m_splitPreview[frame.id()] != counts) {
            m_splitPreview[frame.id()] = counts;
            invalidateCanvasArea(frameArea(frame));
        }
        break;
    }
    case DragMode::ImageTone: FrameDrag::tone(frame, delta, m_altAtStart); break;
    default: break;
    }
}

bool CCollageView::lockedDragRefused()
{
    const int h = m_handle;
    const bool lockedHandle = (h >= FrameHandle::FrameTopLeft && h <= FrameHandle::FrameRight) ||
                              h == FrameHandle::Rotate || h == FrameHandle::None;
    m_frameAtStart = live(m_frameAtStart);
    if (!m_frames.framesLocked() || !m_frameAtStart || !isPhotoFrame(m_frameAtStart) || !lockedHandle)
        return false;
    if (m_mode == DragMode::PanImage || m_mode == DragMode::ImageTone || m_mode == DragMode::ResizeImage)
        return false;
    // A locked canvas keeps its frames. (Picking the image up and carrying it
    // to the photo organiser needs the organiser.)
    if (!m_frameAtStart->photo())
        emit infoTipRequested(QString::fromLatin1(kMoveLockFrameTip));
    endDrag(true);
    return true;
}

void CCollageView::endDrag(bool cancelled)
{
    releaseMouse();
    if (m_nudge) {
        markDirty();
        update();
    }
    m_dragging = false;
    m_nudge = false;
    m_snapper.End();
    refreshGuides();
    m_frameTargets.enableAll();
    const int mode = m_mode;
    const std::unordered_map<quint32, QSize> split = std::exchange(m_splitPreview, {});
    if (!cancelled && m_moved)
        m_undo.CommitPending();
    else
        m_undo.DiscardPending();
    m_frameAtStart = nullptr;
    if (m_band)
        return;
    if (m_zoomPending)
        settleZoom();
    if (mode == DragMode::ZoomDrag)
        return;
    m_frames.holdRedraw();
    for (CPicInfo* frame : m_selection.frames()) {
        m_renderer.setDragged(*frame, false);
        frame->markInvalid(CPicInfo::kInvalidAttributes); // rebuilt at full quality
        invalidateCanvasArea(frameArea(*frame));
    }
    m_renderer.clearDragged();
    m_frames.releaseRedraw();

    bool splitting = false;
    CSplitCounts counts;
    for (const auto& [id, size] : split) {
        splitting = splitting || size.width() > 1 || size.height() > 1;
        counts = {size.width(), size.height()};
    }
    if (!cancelled && splitting && mode == DragMode::Split) {
        CNoQuestions none;
        CFrameCommands(m_doc, none).split(counts);
    }
}

void CCollageView::cancel()
{
    m_pressed = false;
    m_keysDown.clear();
    m_selection.ForgetPendingClick();
    if (m_band) {
        delete m_band;
        m_band = nullptr;
    }
    if (m_dragging)
        endDrag(true);
    else
        m_selection.Clear();
    m_mode = DragMode::kDefault;
    m_modeKey = 'P';
    m_autoMode = true;
    updateCursor();
}

void CCollageView::mouseReleaseEvent(QMouseEvent* event)
{
    m_modifiers = event->modifiers();
    if (event->button() == Qt::LeftButton || (event->button() == Qt::MiddleButton && m_mode == DragMode::PanCanvas))
        leftRelease(event->position());
}

void CCollageView::leftRelease(const QPointF& pixel)
{
    if (!m_pressed)
        return;
    m_pressed = false;
    m_snapper.End();
    updatePosition(pixel);
    const bool wasBand = m_band != nullptr;
    const bool wasDragging = m_dragging;
    if (m_dragging)
        endDrag(false);
    if (wasBand) {
        finishRubberBand();
    } else if (wasDragging && !m_moved && m_mode != DragMode::PanCanvas && m_mode != DragMode::ZoomDrag) {
        click();
    }
    if (m_mode == DragMode::PanCanvas && m_modeKey == 'W' && !isHeld('W')) {
        m_mode = DragMode::kDefault;
        m_modeKey = 'P';
        m_autoMode = true;
    }
    hover();
}

void CCollageView::click()
{
    if (shiftHeld() || ctrlHeld())
        return;
    switch (m_handle) {
    case FrameHandle::PageOrientation:
        if (m_flipOrientation) {
            m_undo.Begin();
            for (CPicInfo* frame : std::vector<CPicInfo*>(m_selection.frames()))
                m_flipOrientation(*frame);
            m_undo.Term();
        }
        break;
    case FrameHandle::Split: emit commandRequested(CommandId::SplitFrame); break;
    case FrameHandle::ImageTone: emit commandRequested(CommandId::AdjustImage); break;
    default: m_selection.ResolveClick(m_effective); break;
    }
}

// ---------------------------------------------------------------------------
// Rubber band and new frames

void CCollageView::startRubberBand(const QPoint& pixel)
{
    if (!shiftHeld() && !ctrlHeld())
        m_selection.Clear();
    m_bandBase.assign(m_selection.frames().begin(), m_selection.frames().end());
    m_band = new CRubberBand(pixel, this);
}

void CCollageView::stretchRubberBand(const QPoint& pixel)
{
    m_band->stretchTo(pixel);
    if (m_mode == DragMode::DrawFrame)
        return;
    const QRectF band = m_coords.deviceToCanvas(QRectF(m_band->band()));
    for (const auto& owned : m_frames.frames()) {
        CPicInfo* frame = owned.get();
        if (!isFrameSelectable(m_frames, *frame))
            continue;
        const bool inBase = std::find(m_bandBase.begin(), m_bandBase.end(), frame) != m_bandBase.end();
        const bool inside = frameLiesInRect(*frame, band);
        const bool wanted = ctrlHeld() ? inBase != inside : inBase || inside;
        if (wanted && !m_selection.IsSelected(frame))
            m_selection.Add(frame, CSelection::AddExtend | CSelection::AddRubberBand);
        else if (!wanted && m_selection.IsSelected(frame))
            m_selection.Remove(frame);
    }
}

void CCollageView::finishRubberBand()
{
    const QRect band = m_band->band();
    delete m_band;
    m_band = nullptr;
    m_bandBase.clear();
    if (m_mode == DragMode::DrawFrame && band.width() >= kMinNewFramePixels && band.height() >= kMinNewFramePixels) {
        const QRectF rect = m_coords.deviceToCanvas(QRectF(band));
        m_undo.Begin();
        CFrameOps(m_frames).createFrame({float(rect.x()), float(rect.y()), float(rect.width()), float(rect.height())});
        m_undo.Term();
    }
    m_mode = DragMode::kDefault;
    m_modeKey = 'P';
    m_autoMode = true;
}

// ---------------------------------------------------------------------------
// Wheel, keys and the context menu

void CCollageView::wheelEvent(QWheelEvent* event)
{
    m_modifiers = event->modifiers();
    int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const auto reversed = m_services.settings().getValue(QString::fromLatin1(kWheelReversedSetting));
    if (reversed && reversed->toInt() != 0)
        delta = -delta;
    updatePosition(event->position());
    // Rolling toward the user (a negative delta) zooms in.
    zoomStep(delta < 0);
}

void CCollageView::keyPressEvent(QKeyEvent* event)
{
    m_modifiers = event->modifiers();
    const int key = event->key();
    if (event->isAutoRepeat() && m_keysDown.contains(key) && modeForHoldKey(key) >= 0)
        return;
    m_keysDown.insert(key);
    if (key == Qt::Key_Escape) {
        onCommand(CommandId::Cancel);
        return;
    }
    if (m_dragging || (m_modifiers & Qt::AltModifier))
        return;
    const int holdMode = modeForHoldKey(key);
    const int pan = (m_modifiers & Qt::ShiftModifier) ? kFineArrowPanPixels : kArrowPanPixels;
    if (holdMode >= 0) {
        m_mode = holdMode;
        m_modeKey = key;
        m_autoMode = false;
        updateCursor();
        return;
    }
    bool toolKey = true;
    switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoomStep(true); break;
    case Qt::Key_Minus: zoomStep(false); break;
    case Qt::Key_Shift:
    case Qt::Key_Control: break;
    case Qt::Key_Delete: emit commandRequested(CommandId::RemoveSelected); break;
    case Qt::Key_Home: m_selection.SelectFirst(); break;
    case Qt::Key_End: m_selection.SelectLast(); break;
    case Qt::Key_Tab: m_selection.SelectNext(); break;
    case Qt::Key_Backtab: m_selection.SelectPrevious(); break;
    case Qt::Key_Left: panByPixels(QPointF(pan, 0)); break;
    case Qt::Key_Right: panByPixels(QPointF(-pan, 0)); break;
    case Qt::Key_Up: panByPixels(QPointF(0, pan)); break;
    case Qt::Key_Down: panByPixels(QPointF(0, -pan)); break;
    default: toolKey = false; break;
    }
    if (toolKey)
        m_mode = DragMode::NoTool;
    else
        m_autoMode = true;
}

void CCollageView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    m_modifiers = event->modifiers();
    const int key = event->key();
    m_keysDown.remove(key);
    if (key == m_modeKey && modeForHoldKey(key) >= 0) {
        if (!m_dragging) {
            m_mode = DragMode::kDefault;
            m_modeKey = 'P';
        }
        m_autoMode = true;
    } else if (m_mode == DragMode::NoTool && !m_dragging) {
        m_mode = DragMode::kDefault;
        m_autoMode = true;
    }
    if (m_nudge && !m_dragging) {
        m_nudge = false;
        markDirty();
        update();
    }
    if (!m_dragging)
        hover();
}

bool CCollageView::focusNextPrevChild(bool)
{
    return false; // Tab and Shift+Tab step through the frames instead
}

void CCollageView::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_dragging)
        return;
    QMenu menu(this);
    const int selected = m_selection.Count();
    bool separatorDue = false;
    for (const MenuItem& item : kContextMenu) {
        if (selected < item.minSelected)
            continue;
        if (item.id == 0) {
            separatorDue = !menu.isEmpty();
            continue;
        }
        if (separatorDue)
            menu.addSeparator();
        separatorDue = false;
        QAction* action = menu.addAction(QString::fromLatin1(CommandTable::find(item.id)->text));
        action->setData(item.id);
    }
    if (QAction* chosen = menu.exec(event->globalPos())) {
        const int id = chosen->data().toInt();
        if (!onCommand(id))
            emit commandRequested(id);
    }
}
