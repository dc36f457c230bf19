#pragma once
// What the canvas tools ask of the view they work in: its tool state and
// coordinates, holding the pointer for a drag, and what only the view (a
// window, the renderer, the document above) can do. The view implements it.

#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class CPicInfo;
class CViewCoords;

class CCanvasToolHost
{
public:
    virtual ~CCanvasToolHost() = default;

    // The drag mode and the handle under the pointer, as hover left them.
    virtual int mode() const = 0;
    virtual int handle() const = 0;
    virtual const CViewCoords& coords() const = 0;

    // A drag holds the pointer from dragStarted() to dragFinished(): the
    // view captures the mouse and, meanwhile, fine-tunes the pointer and
    // leaves hover and the tool keys alone.
    virtual void dragStarted() = 0;
    virtual void dragFinished() = 0;

    // An info-tip by its key; a status-bar text by its catalogue key, until
    // it is cleared.
    virtual void showInfoTip(const QString& key) = 0;
    virtual void showStatusMessage(const QString& catalogueKey) = 0;
    virtual void clearStatusMessage() = 0;
    // A command the tools leave to the program (Split Frame, Adjust Image Attributes).
    virtual void requestCommand(int id) = 0;

    // Dragged frames are drawn fast until the drag ends, then at full quality.
    virtual void setFramesDragged(const std::vector<CPicInfo*>& frames, bool dragged) = 0;
    // Something drawn over the frame (the split preview) changed.
    virtual void repaintFrame(const CPicInfo& frame) = 0;
    // The most columns or rows a split makes; splits the selected frames.
    virtual int maxSplitCount() const = 0;
    virtual void splitSelectedFrames(const QSize& columnsAndRows) = 0;

    // The view drags: the canvas follows the pointer, or the zoom changes
    // by its movement across.
    virtual void panByPixels(const QPointF& pixels) = 0;
    virtual void zoomByPixels(int pixels) = 0;

    // The rubber band over the view, device pixels, until hideBand().
    virtual void showBand(const QRect& band) = 0;
    virtual void hideBand() = 0;

    // A drag on a locked canvas that cannot move the frame picks its photo
    // up instead: the view carries it until the button is let go, and a
    // release over the dropper puts it there.
    virtual void pickUpImage(quint32 frameId) { Q_UNUSED(frameId); }
};
