#pragma once
// Image files dropped onto the canvas from the file manager: each photo
// becomes a new frame holding it, the frames cascading from the drop point,
// and the whole drop is one undo step ("Drop Image"). Files that are not
// usable photos are skipped and reported to the caller, which tells the
// user once for the whole drop. No widgets: the window calls it with the
// canvas point the view computed.

#include <QPointF>
#include <QStringList>

class CCollageDoc;
class CMessageCatalogue;

struct CImageDropResult
{
    int framesAdded = 0;
    // Files that are not photos the program can use, in drop order.
    QStringList refused;
    // The drop point lies off the canvas: nothing was placed.
    bool outsideCanvas = false;
    // The photo frames have too few ids left for every photo: nothing was
    // placed ("FrameIdsExhausted").
    bool frameIdsExhausted = false;
};

class CImageDrop
{
public:
    // The longer side of a dropped frame, canvas units; the other side
    // follows the photo's aspect ratio.
    static constexpr float kFrameLongSide = 3.0f;
    // Each further photo of one drop lies this much right of and below the
    // one before, so none hides another completely.
    static constexpr float kCascadeStep = 0.25f;

    explicit CImageDrop(CCollageDoc& doc);

    // `canvasPoint` is where the first frame's centre goes; frames are kept
    // inside the canvas where they fit.
    CImageDropResult drop(const QStringList& paths, const QPointF& canvasPoint);

    // The message for a drop that refused files: empty when nothing was
    // refused.
    static QString refusalText(CMessageCatalogue& catalogue, const CImageDropResult& result);

private:
    CCollageDoc& m_doc;
};
