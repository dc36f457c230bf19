#pragma once
// The tools of the canvas (drag modes): the key that selects each while it
// is held, the command that selects it, the cursor it shows and the tool a
// handle selects when the mouse hovers over it. A plain table, so the view
// stays a thin dispatcher and the table is tested on its own.

#include <QtGlobal>

namespace DragMode {
inline constexpr int NoTool = 0; // a non-tool key (Shift, arrows, ...) is held
inline constexpr int ResizeWithImage = 1;
inline constexpr int ResizeImage = 2;
inline constexpr int Move = 3; // the default
inline constexpr int PanImage = 4;
inline constexpr int MoveFrameOnly = 5;
inline constexpr int Crop = 6;
inline constexpr int Rotate = 7;
inline constexpr int Split = 10;
inline constexpr int DrawFrame = 11;
inline constexpr int RubberBand = 12;
inline constexpr int PanCanvas = 13;
inline constexpr int ZoomDrag = 14;
inline constexpr int ImageTone = 15;
inline constexpr int kDefault = Move;
} // namespace DragMode

// The program's cursor resources, by number.
namespace CursorId {
inline constexpr int Default = 283;
inline constexpr int OverFrame = 281;
inline constexpr int LockedFrame = 309;
inline constexpr int PanImage = 292;
inline constexpr int Rotate = 105;
inline constexpr int Split = 104;
inline constexpr int DrawFrame = 275;
inline constexpr int RubberBand = 311;
inline constexpr int PanCanvas = 443;
// The program's own additions: cropping and zooming show what they do too.
inline constexpr int Crop = 444;
inline constexpr int ZoomDrag = 445;
} // namespace CursorId

// The mode a held key selects ('S', 'I', ... as upper-case letters), or -1.
int modeForHoldKey(int key);
// The hold key of a mode ('P' for the default), or 0.
int holdKeyForMode(int mode);
// The mode a command selects, or -1.
int modeForCommand(int commandId);
int commandForMode(int mode);

// The mode hovering over `handle` selects: handles 0-18, 20 and the frame
// body always; handle 19 and the others only while the mode was set
// automatically. -1 when the mode stays.
int hoverModeForHandle(int handle, bool autoMode);

// The cursor a mode shows: its own, or -1 when the mode has none and the
// general rules apply (see cursorFor).
int modeCursor(int mode, bool overPhotoFrame);
// The cursor under the general rules: over a frame with no handle under
// the mouse, 309 on a locked canvas for a photo frame, else 281; elsewhere 283.
int cursorFor(int mode, bool overFrame, bool overPhotoFrame, bool onHandle, bool canvasLocked);

// Modes whose drags are snapped (the snapper starts with the selection's box).
bool modeSnaps(int mode);
