#pragma once
// The tool of every drag that changes the selected frames (move, resize,
// crop, resize or pan the image, rotate, split, tone) and of the click on a
// frame. A press selects the frame under the pointer and starts a drag
// session in the mode hover chose; moves apply the drag; the release
// commits it as one undo step, or, when the pointer never moved, acts as a
// click on the handle under it. The frame pressed becomes the selection's
// focus frame. A locked canvas refuses to move, resize or turn its photo
// frames and says why: an info-tip for a frame without a picture, a status
// text for one with a picture.
//
// Owned by the view, which it reaches through its host; the history, the
// selection, the frames, the snapper and the frame snap targets outlive it.

#include "canvastool.h"
#include "dragsession.h"

#include <QSize>

#include <functional>
#include <unordered_map>

class CCanvasToolHost;
class CFrameSnapTargets;
class CPicInfo;
class CPicInfoManager;
class CSelection;
class CSnapper;
class CUndo;

class CFrameDragTool : public CCanvasTool
{
public:
    static constexpr const char* kStatusBarKeys = "StatusBarKeys";
    static constexpr const char* kMoveLockFrameTip = "Tip::MoveLockFrame";
    static constexpr const char* kLockedStatus = "LockedFramesStatus";
    static constexpr const char* kSplitterTip = "Tip::Splitter";
    // Four split divisions per canvas unit dragged.
    static constexpr float kSplitsPerUnit = 4.0f;

    CFrameDragTool(CCanvasToolHost& host, CUndo& undo, CSelection& selection, CPicInfoManager& frames,
                   CSnapper& snapper, CFrameSnapTargets& targets);

    void pressed(const CToolPointer& pointer) override;
    void moved(const CToolPointer& pointer) override;
    void released(const CToolPointer& pointer) override;
    void cancel() override;

    // The click on a printer page's orientation icon turns each selected
    // page with this, inside one undo group; with none it does nothing.
    void setPageOrientationFlipper(std::function<bool(CPicInfo&)> flip) { m_flipOrientation = std::move(flip); }
    // The columns and rows a split drag shows over the frame; empty when none.
    QSize splitPreview(quint32 frameId) const;
    const CDragSession& session() const { return m_session; }

private:
    void finish(bool cancelled);
    void previewSplit();
    void click(const CToolPointer& pointer);

    CCanvasToolHost& m_host;
    CUndo& m_undo;
    CSelection& m_selection;
    CPicInfoManager& m_frames;
    CSnapper& m_snapper;
    CFrameSnapTargets& m_targets;
    CDragSession m_session;
    std::unordered_map<quint32, QSize> m_splitPreview;
    std::function<bool(CPicInfo&)> m_flipOrientation;
};
