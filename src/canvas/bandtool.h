#pragma once
// The rubber band: a press on empty canvas, or any press with the band or
// draw-frame tool, stretches a band from the press to the pointer. A
// selecting band keeps the frames inside it selected as it moves (with Ctrl
// it toggles them against what was selected at the press); a drawing band
// makes a new empty frame of its size on release, when it is at least a few
// pixels each way; when the collage holds all the photo frames it can, the
// status bar says so ("FrameIdsExhausted") instead.
//
// Owned by the view, which draws the band; the history, the selection and
// the frames outlive it.

#include "canvastool.h"

#include <QRect>

#include <vector>

class CCanvasToolHost;
class CPicInfo;
class CPicInfoManager;
class CSelection;
class CUndo;

class CBandTool : public CCanvasTool
{
public:
    enum class Purpose { Select, DrawFrame };
    // A band smaller than this in either direction draws no frame.
    static constexpr int kMinNewFramePixels = 5;

    CBandTool(Purpose purpose, CCanvasToolHost& host, CUndo& undo, CSelection& selection, CPicInfoManager& frames);

    void pressed(const CToolPointer& pointer) override;
    void moved(const CToolPointer& pointer) override;
    void released(const CToolPointer& pointer) override;
    void cancel() override;

private:
    void selectInBand(bool toggle);

    Purpose m_purpose;
    CCanvasToolHost& m_host;
    CUndo& m_undo;
    CSelection& m_selection;
    CPicInfoManager& m_frames;
    bool m_active = false;
    QPoint m_anchor;
    QRect m_band; // device pixels, corner to corner
    std::vector<const CPicInfo*> m_base; // selected at the press
};
