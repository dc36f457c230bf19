#include "viewdragtool.h"

#include "canvastoolhost.h"

#include <cmath>

CViewDragTool::CViewDragTool(Kind kind, CCanvasToolHost& host)
    : m_kind(kind)
    , m_host(host)
{
}

void CViewDragTool::pressed(const CToolPointer& pointer)
{
    if (m_active)
        return;
    m_active = true;
    m_lastPixel = pointer.pixel;
    m_host.dragStarted();
}

void CViewDragTool::moved(const CToolPointer& pointer)
{
    if (!m_active)
        return;
    if (m_kind == Kind::Pan)
        m_host.panByPixels(pointer.pixel - m_lastPixel);
    else
        m_host.zoomByPixels(int(std::lround(pointer.pixel.x() - m_lastPixel.x())));
    m_lastPixel = pointer.pixel;
}

void CViewDragTool::released(const CToolPointer&) { cancel(); }

void CViewDragTool::cancel()
{
    if (!m_active)
        return;
    m_active = false;
    m_host.dragFinished();
}
