#include "bandtool.h"

#include "canvastoolhost.h"
#include "framehittest.h"
#include "frameops.h"
#include "picinfomanager.h"
#include "selection.h"
#include "undo.h"
#include "viewcoords.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr const char* kFrameIdsExhausted = "FrameIdsExhausted";
}

CBandTool::CBandTool(Purpose purpose, CCanvasToolHost& host, CUndo& undo, CSelection& selection,
                     CPicInfoManager& frames)
    : m_purpose(purpose)
    , m_host(host)
    , m_undo(undo)
    , m_selection(selection)
    , m_frames(frames)
{
}

void CBandTool::pressed(const CToolPointer& pointer)
{
    if (!(pointer.modifiers & (Qt::ShiftModifier | Qt::ControlModifier)))
        m_selection.Clear();
    m_base.assign(m_selection.frames().begin(), m_selection.frames().end());
    m_anchor = pointer.pixel.toPoint();
    m_band = QRect(m_anchor, QSize(0, 0));
    m_active = true;
    m_host.showBand(m_band);
}

void CBandTool::moved(const CToolPointer& pointer)
{
    if (!m_active)
        return;
    // Corner to corner: a band from x to x + 4 is four pixels wide.
    const QPoint to = pointer.pixel.toPoint();
    m_band = QRect(QPoint(std::min(m_anchor.x(), to.x()), std::min(m_anchor.y(), to.y())),
                   QSize(std::abs(to.x() - m_anchor.x()), std::abs(to.y() - m_anchor.y())));
    m_host.showBand(m_band);
    if (m_purpose == Purpose::Select)
        selectInBand(pointer.modifiers & Qt::ControlModifier);
}

void CBandTool::selectInBand(bool toggle)
{
    const QRectF band = m_host.coords().deviceToCanvas(QRectF(m_band));
    for (const auto& owned : m_frames.frames()) {
        CPicInfo* frame = owned.get();
        if (!isFrameSelectable(m_frames, *frame))
            continue;
        const bool inBase = std::find(m_base.begin(), m_base.end(), frame) != m_base.end();
        const bool inside = frameLiesInRect(*frame, band);
        const bool wanted = toggle ? inBase != inside : inBase || inside;
        if (wanted && !m_selection.IsSelected(frame))
            m_selection.Add(frame, CSelection::AddExtend | CSelection::AddRubberBand);
        else if (!wanted && m_selection.IsSelected(frame))
            m_selection.Remove(frame);
    }
}

void CBandTool::released(const CToolPointer&)
{
    if (!m_active)
        return;
    cancel();
    if (m_purpose != Purpose::DrawFrame || m_band.width() < kMinNewFramePixels ||
        m_band.height() < kMinNewFramePixels)
        return;
    if (m_frames.freeFrameIds(CPicInfoManager::kPhotoPlaneNumber) == 0) {
        m_host.showStatusMessage(QString::fromLatin1(kFrameIdsExhausted));
        return;
    }
    const QRectF rect = m_host.coords().deviceToCanvas(QRectF(m_band));
    m_undo.Begin();
    CFrameOps(m_frames).createFrame({float(rect.x()), float(rect.y()), float(rect.width()), float(rect.height())});
    m_undo.Term();
}

void CBandTool::cancel()
{
    if (!m_active)
        return;
    m_active = false;
    m_base.clear();
    m_host.hideBand();
}
