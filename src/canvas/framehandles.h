#pragma once
// The handles of a frame under the mouse: their numbers, the order they are
// tested in, the edges each one moves, the tool each one selects on hover,
// their tooltips, and their shapes. The same shapes are drawn over the
// frame by the canvas render (drawFrameDecorations) and hit-tested here, so
// what the user sees is what the mouse finds.
//
// Shapes are laid out in the frame's own coordinates ((0, 0) to its size,
// canvas units, turned with the frame) and sized in screen pixels, so they
// keep their size at every zoom. All of them lie inside the frame's
// rectangle: the renderer draws a frame's decorations only where the frame
// itself is repainted.

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <array>
#include <vector>

class CPicInfo;
class QPainter;

namespace FrameHandle {
// Frame corners: top-left, top-right, bottom-left, bottom-right.
inline constexpr int FrameTopLeft = 0;
inline constexpr int FrameTopRight = 1;
inline constexpr int FrameBottomLeft = 2;
inline constexpr int FrameBottomRight = 3;
// Frame edges.
inline constexpr int FrameTop = 4;
inline constexpr int FrameBottom = 5;
inline constexpr int FrameLeft = 6;
inline constexpr int FrameRight = 7;
// Image corners, in the same order as the frame corners.
inline constexpr int ImageTopLeft = 8;
inline constexpr int ImageTopRight = 9;
inline constexpr int ImageBottomLeft = 10;
inline constexpr int ImageBottomRight = 11;
// Image pan handles: 12 and 13 pan across only, 14 and 15 up and down
// only, 17 both ways.
inline constexpr int PanLeft = 12;
inline constexpr int PanRight = 13;
inline constexpr int PanUp = 14;
inline constexpr int PanDown = 15;
inline constexpr int Rotate = 16;
inline constexpr int PanFree = 17;
inline constexpr int Split = 18;
inline constexpr int PageOrientation = 19;
inline constexpr int ImageTone = 20;
inline constexpr int None = 200;
inline constexpr int PageSample = 201;
inline constexpr int MissingOriginal = 202;

inline constexpr int kHandleCount = 21;
// The first handle in this order whose shape holds the point wins.
inline constexpr std::array<int, kHandleCount> kTestOrder = {16, 18, 20, 19, 8, 9, 10, 11, 12, 13, 14,
                                                             15, 0,  1,  2,  3, 4, 5, 6,  7,  17};
} // namespace FrameHandle

// Edge flags of the resize operations and the snapper.
namespace FrameEdge {
inline constexpr quint16 Left = 0x8000;
inline constexpr quint16 Right = 0x4000;
inline constexpr quint16 Top = 0x1000;
inline constexpr quint16 Bottom = 0x2000;
// What a resize without a handle moves: the right and top edges, with the
// image kept in proportion.
inline constexpr quint16 kResizeWithoutHandle = 0x5020;
} // namespace FrameEdge

// The edges a handle moves; 0 for a handle that is no corner or edge.
quint16 handleEdges(int handle);
// The edges a resize by that handle receives: kResizeWithoutHandle when none.
quint16 resizeEdges(int handle);
// Catalogue-free tooltip texts of the handles; empty for 200, 201 and 202,
// whose texts come from the frame or the catalogue.
QString handleToolTip(int handle);

struct CHandleShape
{
    enum class Kind { Square, Circle, Icon };
    int handle = FrameHandle::None;
    Kind kind = Kind::Square;
    QRectF rect; // frame coordinates
};

// What the layout of a frame's handles depends on besides the frame.
struct CHandleLayout
{
    // Handle side in screen pixels.
    static constexpr float kHandlePixels = 9.0f;
    // Icons (page orientation, page sample) in screen pixels.
    static constexpr float kIconPixels = 20.0f;
    // Pan handles sit this many handle sides from the frame's centre.
    static constexpr float kPanSpacing = 2.0f;

    // A turned frame's handles lie over its picture at an angle; they are
    // drawn see-through so the picture shows.
    static constexpr qreal kRotatedHandleOpacity = 0.4;

    QSizeF pixelSize{1.0 / 96.0, 1.0 / 96.0}; // one device pixel, canvas units
    bool selected = false;
    // The frame the keyboard commands start from: it carries the focus mark.
    bool focused = false;
};

// The shapes of the frame's handles in test order. A selected photo frame
// shows its resize, image, pan, rotate, split and tone handles (image
// handles only with a photo, image corners only where they lie inside the
// frame); a page segment shows its orientation and sample icons whether
// selected or not; an unselected photo frame shows none.
std::vector<CHandleShape> frameHandleShapes(const CPicInfo& frame, const CHandleLayout& layout);

// The handle under a canvas point: the first shape in test order that holds
// it, else 201 or 202 when the point lies on the page sample icon or the
// missing-original mark, else 200.
int handleAt(const CPicInfo& frame, const QPointF& canvasPoint, const CHandleLayout& layout);

// The mark of a frame whose photo file is missing (drawn from the copy kept
// in the project), in frame coordinates; empty when there is none.
QRectF missingOriginalMark(const CPicInfo& frame, const CHandleLayout& layout);

// Draws the selection outline, the focus mark, the handles and the marks
// with the painter in the frame's own coordinates. `splitPreview` (columns, rows) draws the
// dividing lines a split drag would make.
void drawFrameDecorations(QPainter& painter, const CPicInfo& frame, const CHandleLayout& layout,
                          QSize splitPreview = QSize());
