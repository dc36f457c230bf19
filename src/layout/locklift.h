#pragma once
// The layout commands move and resize frames whatever the document-wide
// lock, as split and merge do: the lock is lifted for the command and put
// back at its end. Both changes are recorded in the command's undo group,
// so its undo and redo run with the frames unlocked as the command did.
// An unlocked document records nothing.

#include "picinfomanager.h"

class CLayoutLockLift
{
public:
    explicit CLayoutLockLift(CPicInfoManager& frames)
        : m_frames(frames)
        , m_wasLocked(frames.framesLocked())
    {
        if (m_wasLocked)
            m_frames.setFramesLocked(false);
    }
    ~CLayoutLockLift()
    {
        if (m_wasLocked)
            m_frames.setFramesLocked(true);
    }
    CLayoutLockLift(const CLayoutLockLift&) = delete;
    CLayoutLockLift& operator=(const CLayoutLockLift&) = delete;

private:
    CPicInfoManager& m_frames;
    bool m_wasLocked;
};
