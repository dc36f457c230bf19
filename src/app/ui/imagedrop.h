#pragma once
// Image files dropped onto the canvas from the file manager or added with
// Add Pictures: each photo becomes a new frame holding it, the frames
// cascading from the drop point, and the whole drop is one undo step
// ("Drop Image"). Added pictures first fill the selected empty frames. Files that are not
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
    // Selected empty frames that took a photo.
    int framesFilled = 0;
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

    enum class Target {
        NewFrames,           // every photo gets a frame of its own
        SelectedEmptyFrames, // the selected frames without a photo first, in selection order
    };

    explicit CImageDrop(CCollageDoc& doc);

    // `canvasPoint` is where the first new frame's centre goes; frames are
    // kept inside the canvas where they fit. A photo set into an empty frame
    // is fitted to cover it. Afterwards the frames that took the photos are
    // selected.
    CImageDropResult drop(const QStringList& paths, const QPointF& canvasPoint, Target target = Target::NewFrames);

    // The message for a drop that refused files: empty when nothing was
    // refused.
    static QString refusalText(CMessageCatalogue& catalogue, const CImageDropResult& result);

private:
    CCollageDoc& m_doc;
};
