#pragma once
// The composite commands of the Frame and Canvas menus: split, merge, swap
// dimensions, snap upright, spin, snap frame to image, snap image to frame,
// duplicate and resize canvas to fit. Each acts on the current selection
// through the undoable frame primitives, inside one undo group, so one Undo
// takes the whole command back; a command that changes nothing leaves no
// step and does not mark the document modified.
//
// The questions a command asks the user (the "Split Frame" dialog, the
// "MergeWarning" question) go through CFrameCommandQuestions, which the
// window answers with its dialogs and a test answers directly. Made where
// it is needed; keeps no state. User-interface thread only.

#include <QRgb>
#include <QSizeF>
#include <QtGlobal>

#include <optional>
#include <vector>

class CCollageDoc;
class CMessageCatalogue;
class CPicInfo;
class CPicInfoManager;
class CSelection;
class CUndo;
class CViewCoords;

struct CSplitCounts
{
    int columns = 1;
    int rows = 1;
};

// The picture tone of the Adjust Image Attributes dialog.
struct CImageTone
{
    float brightness = 0.0f;
    float contrast = 1.0f;
    float gamma = 1.0f;
    float alpha = 1.0f; // 1 opaque, 0 fully transparent

    bool operator==(const CImageTone&) const = default;
};

// The collage-wide frame style of the Border and Shadow dialog.
struct CFrameStyle
{
    bool border = false;
    float borderWidth = 0.0f; // canvas units
    QRgb borderColour = 0xFFFFFFFF;
    bool shadow = false;

    bool operator==(const CFrameStyle&) const = default;
};

class CFrameCommandQuestions
{
public:
    virtual ~CFrameCommandQuestions() = default;
    // The "Split Frame" dialog, both counts starting at 1; nothing on Cancel.
    virtual std::optional<CSplitCounts> askSplit() = 0;
    // The "MergeWarning" question; true only for Yes.
    virtual bool askMerge() = 0;
};

// "MergeWarning" from the catalogue, with the question icon and Yes, No and
// Cancel: how the window answers askMerge().
bool askMergeWarning(CMessageCatalogue& catalogue);

class CFrameCommands
{
public:
    // Counts of the split dialog; a count below 2 is one piece that way.
    static constexpr int kMinSplitCount = 1;
    static constexpr int kMaxSplitCount = 9;
    // Spin Right and Spin Left turn by this many degrees.
    static constexpr float kSpinStep = 45.0f;
    // A duplicate lies this many screen pixels right of and below its source.
    static constexpr float kDuplicateOffsetPixels = 20.0f;

    CFrameCommands(CCollageDoc& doc, CFrameCommandQuestions& questions);

    // Each returns whether it changed anything (and so left one undo step).

    // Asks for the counts, then splits every selected frame into columns ×
    // rows pieces; the first piece is the frame itself with its photo, the
    // others are empty clones that lie where the (rotated) frame lay. Split
    // and Duplicate refuse as a whole, with "FrameIdsExhausted", when a
    // plane has too few frame ids left for the frames they would add.
    bool split();
    bool split(CSplitCounts counts);
    // Merges the selected frames into the first one, which takes their
    // bounding rectangle and stands upright. Asks first when the frames are
    // rotated or leave gaps inside that rectangle.
    bool merge();
    bool swapDimensions();
    bool snapUpright();
    bool spinRight();
    bool spinLeft();
    // Frames with a photo take the size of their image, which moves to the
    // frame's corner.
    bool snapFrameToImage();
    // The image of each frame with a photo is fitted to cover its frame.
    bool snapImageToFrame();
    // Copies the selected frames 20 screen pixels (at the view's zoom) right
    // and down; afterwards the copies, and only they, are selected.
    bool duplicate(const CViewCoords& view);
    // Moves every frame so that the drawn frames' bounds start at the
    // canvas's corner, and makes the canvas exactly that size.
    bool resizeCanvasToFit();
    // Deletes the selected frames.
    bool removeSelected();

    // The document-wide lock of the photo frames ("LockFrames").
    bool setFramesLocked(bool locked);
    // Whether the lock is why a command changed nothing: the canvas is
    // locked and some selected photo frame cannot move, resize or turn.
    bool lockHoldsSelection() const;

    // The tone of every selected frame that holds a photo; the dialog
    // starts from the first one's, or the defaults without one.
    bool setImageTone(const CImageTone& tone);
    CImageTone selectedImageTone() const;
    bool hasSelectedPhoto() const;
    // The collage's border and shadow.
    bool setFrameStyle(const CFrameStyle& style);
    CFrameStyle frameStyle() const;
    bool setCanvasColour(QRgb colour);

private:
    template <typename Body>
    bool run(Body body);
    bool spin(float degrees);
    void splitFrame(CPicInfo& frame, int columns, int rows);
    // Whether each plane has ids for `newFramesEach` new frames per source
    // in it; tells the user when not.
    bool haveFrameIds(const std::vector<CPicInfo*>& sources, quint32 newFramesEach);
    // Moves a frame and its image by the same offset, so that the frame
    // shows the same part of the picture.
    void moveWithImage(CPicInfo& frame, float x, float y);

    CCollageDoc& m_doc;
    CFrameCommandQuestions& m_questions;
    CPicInfoManager& m_frames;
    CSelection& m_selection;
    CUndo& m_undo;
};
