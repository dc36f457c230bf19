#pragma once
// The drags that move the view rather than the frames: panning the canvas
// with the pointer, and zooming by dragging across (one thousandth per
// pixel). Neither changes the collage, so neither records anything.
//
// Owned by the view, which it moves through its host.

#include "canvastool.h"

class CCanvasToolHost;

class CViewDragTool : public CCanvasTool
{
public:
    enum class Kind { Pan, Zoom };

    CViewDragTool(Kind kind, CCanvasToolHost& host);

    void pressed(const CToolPointer& pointer) override;
    void moved(const CToolPointer& pointer) override;
    void released(const CToolPointer& pointer) override;
    void cancel() override;

private:
    Kind m_kind;
    CCanvasToolHost& m_host;
    bool m_active = false;
    QPointF m_lastPixel;
};
