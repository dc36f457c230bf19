// The mouse of the canvas view: the position pipeline (fine-tune and
// snapping), hover and handles, handing each press to its tool and being
// the tools' host, the wheel, the keys and the context menu.

#include "collageview.h"

#include "canvascursors.h"
#include "collagerenderer.h"
#include "commandids.h"
#include "commandtable.h"
#include "dragmode.h"
#include "framecommands.h"
#include "framehandles.h"
#include "framehittest.h"
#include "messagecatalogue.h"
#include "photoitem.h"
#include "picdropper.h"
#include "propmanager.h"
#include "rubberband.h"
#include "rulers.h"
#include "selection.h"
#include "services.h"
#include "snapguides.h"
#include "snapper.h"
#include "snapsound.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

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
    emit pointerMoved(m_effective);
}

void CCollageView::hover()
{
    // A tool chosen with its command, or with its key held down, stays
    // wherever the mouse goes: a crop started on an edge handle crops.
    // Only the automatic tool follows the handles.
    const bool chosen = !m_autoMode;
    CPicInfo* frame = frameAtPoint(m_frames, m_effective);
    if (frame != m_hovered) {
        m_hovered = frame;
        m_handle = FrameHandle::None;
        if (!chosen) {
            m_mode = DragMode::kDefault;
            m_modeKey = 'P';
        }
    }
    if (frame) {
        CHandleLayout layout;
        layout.pixelSize = m_coords.pixelSize();
        layout.selected = m_selection.IsSelected(frame);
        const int handle = handleAt(*frame, m_effective, layout);
        if (handle != m_handle) {
            m_handle = handle;
            const int mode = chosen ? -1 : hoverModeForHandle(handle, m_autoMode);
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
    setCursor(CanvasCursors::cursor(cursorFor(m_mode, hovered != nullptr, isPhotoFrame(hovered), onHandle,
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
    if (dropperPress(event))
        return;
    if (event->button() == Qt::LeftButton) {
        leftPress(event->position());
    } else if (event->button() == Qt::MiddleButton) {
        if (m_dragging || m_pressed)
            return;
        updatePosition(event->position());
        hover();
        // The tool chosen before comes back when the button does.
        m_toolBeforeMiddlePan = ChosenTool{m_mode, m_modeKey, m_autoMode};
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

void CCollageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click on a picture opens its attributes; anywhere else it is
    // one more press.
    m_modifiers = event->modifiers();
    if (event->button() == Qt::LeftButton && !m_dragging && !m_pressed) {
        updatePosition(event->position());
        CPicInfo* frame = frameAtPoint(m_frames, m_effective);
        if (frame && frame->photo()) {
            if (!m_selection.IsSelected(frame))
                m_selection.Add(frame, CSelection::AddAlone);
            emit commandRequested(CommandId::AdjustImage);
            return;
        }
    }
    mousePressEvent(event);
}

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
    m_activeTool = &toolForPress(frameAtPoint(m_frames, m_effective));
    m_activeTool->pressed(pointer());
}

CCanvasTool& CCollageView::toolForPress(const CPicInfo* frameUnderPointer)
{
    switch (m_mode) {
    case DragMode::PanCanvas: return m_panTool;
    case DragMode::ZoomDrag: return m_zoomTool;
    case DragMode::DrawFrame: return m_drawFrameTool;
    case DragMode::RubberBand: return m_selectBandTool;
    default: return frameUnderPointer ? static_cast<CCanvasTool&>(m_frameTool) : m_selectBandTool;
    }
}

void CCollageView::mouseMoveEvent(QMouseEvent* event)
{
    m_modifiers = event->modifiers();
    updatePosition(event->position());
    CPicDropper& dropper = m_services.dropper();
    if (dropper.toolMode() && !m_activeTool) {
        const QRectF before = floatingFrameArea();
        dropper.moveFloatingFrame(m_effective);
        update(before.united(floatingFrameArea()).toAlignedRect());
        return;
    }
    if (m_activeTool) {
        m_activeTool->moved(pointer());
        refreshGuides();
        return;
    }
    hover();
    update(QRect(0, 0, width(), CRulers::bandPixels(m_coords))); // the ruler markers
    update(QRect(0, 0, CRulers::bandPixels(m_coords), height()));
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
    // The release lands where the pointer is: snapping ended with the drag.
    m_snapper.End();
    updatePosition(pixel);
    if (CCanvasTool* tool = std::exchange(m_activeTool, nullptr)) {
        tool->released(pointer());
        if (tool == &m_selectBandTool || tool == &m_drawFrameTool)
            returnToDefaultMode();
    }
    finishCarry(mapToGlobal(pixel).toPoint(), false);
    if (const std::optional<ChosenTool> before = std::exchange(m_toolBeforeMiddlePan, std::nullopt)) {
        m_mode = before->mode;
        m_modeKey = before->key;
        m_autoMode = before->autoMode;
    } else if (m_mode == DragMode::PanCanvas && m_modeKey == 'W' && !isHeld('W')) {
        returnToDefaultMode();
    }
    hover();
}

void CCollageView::cancel()
{
    m_pressed = false;
    m_toolBeforeMiddlePan.reset();
    m_keysDown.clear();
    m_selection.ForgetPendingClick();
    const bool dragging = m_dragging;
    if (CCanvasTool* tool = std::exchange(m_activeTool, nullptr))
        tool->cancel();
    finishCarry({}, true);
    if (!dragging)
        m_selection.Clear();
    returnToDefaultMode();
    updateCursor();
}

// The tool mode is cancelled (ESC, the Cancel command): the dropper tool
// is left; any other tool drops its gesture.
void CCollageView::cancelMode()
{
    if (m_services.dropper().toolMode())
        leaveDropperTool();
    else
        cancel();
}

void CCollageView::returnToDefaultMode()
{
    m_mode = DragMode::kDefault;
    m_modeKey = 'P';
    m_autoMode = true;
}

// ---------------------------------------------------------------------------
// The tools' host

void CCollageView::dragStarted()
{
    m_dragging = true;
    grabMouse();
}

void CCollageView::dragFinished()
{
    releaseMouse();
    if (m_nudge) {
        markDirty();
        update();
    }
    m_dragging = false;
    m_nudge = false;
    m_activeTool = nullptr; // later moves hover again, even with the button down
    refreshGuides();
    if (m_zoomPending)
        settleZoom();
}

void CCollageView::showStatusMessage(const QString& catalogueKey)
{
    emit statusMessage(m_services.catalogue().text(catalogueKey).simplified());
}

void CCollageView::clearStatusMessage() { emit statusMessage(QString()); }

void CCollageView::setFramesDragged(const std::vector<CPicInfo*>& frames, bool dragged)
{
    if (dragged) {
        for (const CPicInfo* frame : frames)
            m_renderer.setDragged(*frame, true);
        return;
    }
    m_frames.holdRedraw();
    for (CPicInfo* frame : frames) {
        m_renderer.setDragged(*frame, false);
        frame->markInvalid(CPicInfo::kInvalidAttributes); // rebuilt at full quality
        invalidateCanvasArea(frameArea(*frame));
    }
    m_renderer.clearDragged();
    m_frames.releaseRedraw();
}

int CCollageView::maxSplitCount() const { return CFrameCommands::kMaxSplitCount; }

void CCollageView::splitSelectedFrames(const QSize& columnsAndRows)
{
    CNoQuestions none;
    CFrameCommands(m_doc, none).split({columnsAndRows.width(), columnsAndRows.height()});
}

void CCollageView::showBand(const QRect& band)
{
    if (!m_band)
        m_band = new CRubberBand(this);
    m_band->setBand(band);
}

void CCollageView::hideBand()
{
    delete m_band;
    m_band = nullptr;
}

// ---------------------------------------------------------------------------
// Wheel, keys and the context menu

void CCollageView::wheelEvent(QWheelEvent* event)
{
    m_modifiers = event->modifiers();
    int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    if (wheelReversed())
        delta = -delta;
    updatePosition(event->position());
    // Touchpads and fine wheels send a notch in many small parts: the parts
    // add up to one step. Turning the other way starts afresh.
    if ((delta > 0) != (m_wheelDelta > 0))
        m_wheelDelta = 0;
    m_wheelDelta += delta;
    while (std::abs(m_wheelDelta) >= kWheelStep) {
        // Rolling toward the user (a negative delta) zooms in.
        zoomStep(m_wheelDelta < 0);
        m_wheelDelta -= m_wheelDelta < 0 ? -kWheelStep : kWheelStep;
    }
}

bool CCollageView::wheelReversed() const
{
    const auto reversed = m_services.settings().getValue(QString::fromLatin1(kWheelReversedSetting));
    return reversed && reversed->toInt() != 0;
}

void CCollageView::keyPressEvent(QKeyEvent* event)
{
    m_modifiers = event->modifiers();
    const int key = event->key();
    if (event->isAutoRepeat() && m_keysDown.contains(key) && modeForHoldKey(key) >= 0)
        return;
    m_keysDown.insert(key);
    if (m_services.dropper().toolMode() && key == Qt::Key_D) {
        leaveDropperTool();
        return;
    }
    if (key == Qt::Key_Escape) {
        onCommand(CommandId::Cancel);
        return;
    }
    if (m_dragging || (m_modifiers & Qt::AltModifier))
        return;
    // Shift and Ctrl shape the click and the drag to come (extend the
    // selection, fine-tune); the tool stays as it is.
    if (key == Qt::Key_Shift || key == Qt::Key_Control)
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
    // The right button picks photos up while the dropper tool is on.
    if (m_services.dropper().toolMode())
        return;
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

// ---------------------------------------------------------------------------
// The dropper tool

bool CCollageView::dropperPress(QMouseEvent* event)
{
    CPicDropper& dropper = m_services.dropper();
    if (m_dragging || m_pressed || (!dropper.toolMode() && event->button() != Qt::RightButton))
        return false;
    updatePosition(event->position());
    CPicInfo* frame = frameAtPoint(m_frames, m_effective);
    if (event->button() == Qt::RightButton) {
        // Right click picks a photo up, only while the tool is on.
        if (!dropper.toolMode() || !frame || !frame->photo())
            return false;
        if (dropper.PickUp(*frame))
            m_doc.setModified(true);
        update();
        return true;
    }
    if (event->button() != Qt::LeftButton)
        return false;
    // The dropper says what changed; its floating frame is repainted then.
    if (m_dropperDrop) {
        m_dropperDrop(dropper.entries()[dropper.currentIndex()].path, m_effective);
    } else if (dropper.DropCurrent(m_frames, m_effective, frame)) {
        m_doc.setModified(true);
    }
    if (!dropper.toolMode())
        emit statusMessage(QString());
    return true;
}

void CCollageView::leaveDropperTool()
{
    const QRectF before = floatingFrameArea();
    m_services.dropper().SetToolMode(false);
    update(before.toAlignedRect());
    emit statusMessage(QString());
}

QRectF CCollageView::floatingFrameArea() const
{
    const CPicInfo* frame = m_services.dropper().floatingFrame();
    if (!frame)
        return {};
    return m_coords.canvasToDevice(frame->frameRect().toRectF()).adjusted(-2, -2, 2, 2);
}

void CCollageView::drawFloatingFrame(QPainter& painter)
{
    const CPicInfo* frame = m_services.dropper().floatingFrame();
    if (!frame) {
        m_floatingDrawn = {};
        return;
    }
    const QRectF area = m_coords.canvasToDevice(frame->frameRect().toRectF());
    painter.save();
    painter.setOpacity(kFloatingFrameOpacity);
    const QImage& thumbnail = frame->photo() ? frame->photo()->thumbnail() : QImage();
    if (!thumbnail.isNull())
        painter.drawImage(area, thumbnail);
    else
        painter.fillRect(area, QColor::fromRgba(kFloatingFrameFill));
    painter.setOpacity(1.0);
    painter.setPen(QPen(QColor::fromRgba(kFloatingFrameBorder), 1, Qt::DashLine));
    painter.drawRect(area);
    painter.restore();
    m_floatingDrawn = area.adjusted(-2, -2, 2, 2);
}

// ---------------------------------------------------------------------------
// Carrying a photo out of a locked frame

void CCollageView::pickUpImage(quint32 frameId)
{
    if (!m_imageDropTarget || m_carriedImage)
        return;
    m_carriedImage = frameId;
    m_services.undo().Begin(QString::fromLatin1(CUndo::kDropImageGroup));
    setCursor(Qt::DragCopyCursor);
}

void CCollageView::finishCarry(const QPoint& global, bool cancelled)
{
    const std::optional<quint32> carried = std::exchange(m_carriedImage, std::nullopt);
    if (!carried)
        return;
    CPicInfo* frame = m_frames.findFrame(*carried);
    if (!cancelled && frame && frame->photo() && m_imageDropTarget(global, *frame)) {
        m_services.undo().Term();
        m_doc.setModified(true);
    } else {
        m_services.undo().TermAndUndo();
    }
    updateCursor();
}
