#pragma once
// One mouse tool of the canvas: what a press, the moves with the button down
// and the release do, and how a gesture is abandoned. The view keeps the
// pointer pipeline (pixels to canvas units, fine-tune, snapping) and the
// drag mode, picks the tool for each press and forwards the gesture to it;
// a tool sees no widget, only its host (CCanvasToolHost), so a drag can be
// driven from a test.

#include <QPointF>
#include <QtCore/qnamespace.h>

// The pointer as a tool sees it.
struct CToolPointer
{
    QPointF position; // canvas units, fine-tuned and snapped
    QPointF pixel;    // the view's device pixels: bands and view drags work in them
    Qt::KeyboardModifiers modifiers;
};

class CCanvasTool
{
public:
    virtual ~CCanvasTool() = default;

    virtual void pressed(const CToolPointer& pointer) = 0;
    virtual void moved(const CToolPointer& pointer) = 0;
    virtual void released(const CToolPointer& pointer) = 0;
    // Escape, or the view is reset: the gesture under way, if any, is
    // abandoned and leaves nothing behind.
    virtual void cancel() = 0;
};
