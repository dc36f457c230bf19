#pragma once
// The snap lines of the frames: every frame on show offers its four edges,
// as two targets (left and top edges; right and bottom edges) of frame
// line type. Kept by frame id and rebuilt from the frame collection when
// the view asks (after anything changed the frames' geometry), not tracked
// frame by frame.
//
// Owned by the view; the targets are registered with the snapper while they live.

#include <QtGlobal>

#include <memory>
#include <vector>

class CPicInfoManager;
class CSnapper;
class CSnapTarget;

class CFrameSnapTargets
{
public:
    struct Entry
    {
        quint32 frameId = 0;
        std::unique_ptr<CSnapTarget> nearEdges; // left, top
        std::unique_ptr<CSnapTarget> farEdges;  // right, bottom
    };

    CFrameSnapTargets();
    ~CFrameSnapTargets();
    CFrameSnapTargets(const CFrameSnapTargets&) = delete;
    CFrameSnapTargets& operator=(const CFrameSnapTargets&) = delete;

    // Drops the old targets and makes targets for every frame the collection
    // draws, in stacking order, registered with `snapper`. A frame whose
    // rectangle is not made of finite numbers offers nothing.
    void rebuild(const CPicInfoManager& frames, CSnapper& snapper);
    void release();

    int count() const { return int(m_entries.size()); }
    const std::vector<Entry>& entries() const { return m_entries; }
    // The targets of the first frame with that id, or null.
    const Entry* find(quint32 frameId) const;

    // A dragged frame must not snap to itself: the view turns the frame's
    // lines off for the drag (every entry of the id). Returns whether a
    // frame with that id has targets.
    bool setFrameEnabled(quint32 frameId, bool enabled);
    void enableAll();

private:
    std::vector<Entry> m_entries;
};
