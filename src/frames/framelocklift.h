#pragma once
// Commands that move, resize, split, merge or duplicate frames do so
// whatever the document-wide lock: the lock is lifted for the command and
// put back at its end. Both changes are recorded in the command's undo
// group, so its undo and redo run with the frames unlocked as the command
// did. An unlocked document records nothing.

#include "picinfomanager.h"

class CFrameLockLift
{
public:
    explicit CFrameLockLift(CPicInfoManager& frames)
        : m_frames(frames)
        , m_wasLocked(frames.framesLocked())
    {
        if (m_wasLocked)
            m_frames.setFramesLocked(false);
    }
    ~CFrameLockLift()
    {
        if (m_wasLocked)
            m_frames.setFramesLocked(true);
    }
    CFrameLockLift(const CFrameLockLift&) = delete;
    CFrameLockLift& operator=(const CFrameLockLift&) = delete;

private:
    CPicInfoManager& m_frames;
    bool m_wasLocked;
};
