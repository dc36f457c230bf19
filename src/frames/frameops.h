#pragma once
// The undoable frame operations beyond one frame's own setters: creating and
// deleting frames, moving a frame in the stacking order, fitting an image
// into its frame and turning a photo; and the replay of every frame and
// collection action the history records, which the document's undo target
// forwards here. Composite commands (split, merge, layouts) are sequences of
// these and of the frame setters inside one undo group.
//
// A light handle on the frame collection, made where it is needed; the
// collection's history (CPicInfoManager::setUndo) is where everything is
// recorded. User-interface thread only.

#include "picinfomanager.h"

#include <QString>

#include <optional>

class CArchive;
class CPhotoItem;
class CUndo;
class CUndoItem;

class CFrameOps
{
public:
    // Undo action keys of the operations here.
    static constexpr const char* kCreateFrame = "CreateFrame";
    static constexpr const char* kDeleteFrame = "DeleteFrame";
    static constexpr const char* kZOrderChange = "ImageZOrderChange";
    static constexpr const char* kSpinImage = "SpinImage";
    static constexpr const char* kLockFrame = "LockFrame"; // replayed (as nothing) for older histories

    static constexpr const char* kCreateFrameName = "Create image frame";
    static constexpr const char* kDeleteFrameName = "Remove selected frame";
    static constexpr const char* kMoveUpName = "Move Up in stack";
    static constexpr const char* kMoveDownName = "Move Down in stack";
    static constexpr const char* kChangePositionName = "Change position in stack";
    static constexpr const char* kSpinImageName = "Flip Image";

    // The visible planes a "ShowPlane" replay restores: bits 0-3 and 8.
    static constexpr quint32 kShowPlaneReplayMask = 0x10F;

    explicit CFrameOps(CPicInfoManager& frames);

    // A new frame on top of the stacking order, with the rectangle, the
    // planes of `planeNumber` (1 photo frames, 2 page segments), the
    // document's lock and the shown flag; its id is `id` when given, else
    // the plane's smallest free id. Records "CreateFrame". Null, with
    // nothing recorded, when the plane number names no plane, the plane has
    // no free id left, or `id` is taken.
    CPicInfo* createFrame(const CCanvasRect& rect, quint32 planeNumber = CPicInfoManager::kPhotoPlaneNumber,
                          bool shown = true, std::optional<quint32> id = std::nullopt);
    // Takes the frame out of the collection, records it whole ("DeleteFrame":
    // id, stacking index, planes, its record, then its gamma, which the
    // record lacks), tells the list listeners and destroys it; `frame`
    // dangles afterwards. False when the frame is not in the collection.
    bool deleteFrame(CPicInfo& frame);

    // Stacking order ("ImageZOrderChange" with the index before the move).
    // Each needs the stacking permission; a move that would not change the
    // index (the top frame up, the bottom one down) records nothing.
    bool moveUp(CPicInfo& frame);
    bool moveDown(CPicInfo& frame);
    // Counting from 0 at the bottom; an index beyond the top puts it on top.
    bool changePosition(CPicInfo& frame, int index);

    // The photo's image covering the frame, centred; nothing without a photo.
    bool fitImageIntoFrame(CPicInfo& frame);

    // Turns a photo file's orientation to `quarterTurns` clockwise quarter
    // turns (any integer; taken modulo 4), recording "SpinImage" with the
    // path and the turns it had. False when it already has them.
    bool spinImage(CPhotoItem& photo, int quarterTurns);

    // Reads the leaf's payload and calls the operation that recorded it with
    // the stored value, which records the value it overwrites: so an undone
    // action becomes a redo action and the reverse. The whole payload is
    // read before anything changes; a damaged one throws CArchiveError. A
    // frame id that no longer exists makes the leaf a no-op. False for a
    // kind this does not replay.
    bool replay(const CUndoItem& item, CArchive& payload);

    // A history read from an older file holds "DeleteFrame" snapshots that
    // embed frame records in that file's layout; saved again they would be
    // read back in the current one. Rewrites them in the current layout.
    // A snapshot that does not parse is left as it is (its replay fails).
    static void upgradeSnapshots(CUndo& history);

private:
    bool restack(CPicInfo& frame, int index, const char* displayName);
    void replayDeleteFrame(CArchive& payload);

    CPicInfoManager& m_frames;
};
