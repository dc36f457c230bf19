#include "dragmode.h"

#include "commandids.h"
#include "framehandles.h"

#include <array>

namespace {

struct ModeRow
{
    int mode;
    int key;
    int command;
};

constexpr std::array<ModeRow, 11> kModes = {{
    {DragMode::ResizeWithImage, 'S', CommandId::ModeResizeBoth},
    {DragMode::ResizeImage, 'I', CommandId::ModeResizeImage},
    {DragMode::Move, 'P', CommandId::ModeMove},
    {DragMode::PanImage, 'O', CommandId::ModePanImage},
    {DragMode::MoveFrameOnly, 'M', CommandId::ModeMoveFrameOnly},
    {DragMode::Crop, 'J', CommandId::ModeCrop},
    {DragMode::Rotate, 'R', CommandId::ModeRotate},
    {DragMode::DrawFrame, 'F', CommandId::ModeDrawFrame},
    {DragMode::RubberBand, 'B', CommandId::ModeRubberBand},
    {DragMode::PanCanvas, 'W', CommandId::ModePanCanvas},
    {DragMode::ZoomDrag, 'E', CommandId::ModeZoomDrag},
}};

} // namespace

int modeForHoldKey(int key)
{
    for (const ModeRow& row : kModes) {
        if (row.key == key)
            return row.mode;
    }
    return -1;
}

int holdKeyForMode(int mode)
{
    if (mode == DragMode::Split)
        return 'T';
    for (const ModeRow& row : kModes) {
        if (row.mode == mode)
            return row.key;
    }
    return 0;
}

int modeForCommand(int commandId)
{
    for (const ModeRow& row : kModes) {
        if (row.command == commandId)
            return row.mode;
    }
    return -1;
}

int commandForMode(int mode)
{
    for (const ModeRow& row : kModes) {
        if (row.mode == mode)
            return row.command;
    }
    return -1;
}

int hoverModeForHandle(int handle, bool autoMode)
{
    using namespace FrameHandle;
    if (handle >= FrameTopLeft && handle <= FrameRight)
        return DragMode::ResizeWithImage;
    if (handle >= ImageTopLeft && handle <= ImageBottomRight)
        return DragMode::ResizeImage;
    if ((handle >= PanLeft && handle <= PanDown) || handle == PanFree)
        return DragMode::PanImage;
    switch (handle) {
    case Rotate: return DragMode::Rotate;
    case Split: return DragMode::Split;
    case ImageTone: return DragMode::ImageTone;
    case None: return DragMode::Move;
    default: return autoMode ? DragMode::Move : -1;
    }
}

int modeCursor(int mode, bool overPhotoFrame)
{
    switch (mode) {
    case DragMode::PanImage: return overPhotoFrame ? CursorId::PanImage : -1;
    case DragMode::Rotate: return CursorId::Rotate;
    case DragMode::Split: return CursorId::Split;
    case DragMode::DrawFrame: return CursorId::DrawFrame;
    case DragMode::RubberBand: return CursorId::RubberBand;
    case DragMode::PanCanvas: return CursorId::PanCanvas;
    case DragMode::Crop: return CursorId::Crop;
    case DragMode::ZoomDrag: return CursorId::ZoomDrag;
    default: return -1;
    }
}

int cursorFor(int mode, bool overFrame, bool overPhotoFrame, bool onHandle, bool canvasLocked)
{
    const int own = modeCursor(mode, overPhotoFrame);
    if (own >= 0)
        return own;
    if (overFrame && !onHandle)
        return canvasLocked && overPhotoFrame ? CursorId::LockedFrame : CursorId::OverFrame;
    return CursorId::Default;
}

bool modeSnaps(int mode)
{
    return mode == DragMode::ResizeWithImage || mode == DragMode::Move || mode == DragMode::MoveFrameOnly ||
           mode == DragMode::Crop;
}
