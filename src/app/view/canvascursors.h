#pragma once
// The canvas's cursors by the program's cursor numbers (CursorId): each
// mouse tool shows its own picture, drawn by the same hand as the toolbar
// images (":/cursors/IDC_*.png", hot spot in the middle). The default
// cursor is the desktop's arrow.

#include <QCursor>

namespace CanvasCursors {

// The resource name of a cursor number, or null for the desktop's arrow.
const char* resourceName(int cursorId);
QCursor cursor(int cursorId);

} // namespace CanvasCursors
