// Draws the toolbar icons of the editor as PNG files named after their
// resources (IDR_TB_*.png). One hand, one palette: slate outlines of even
// weight on a 24-unit grid, white paper for frames and canvases, and one
// orange accent for the part of the picture that says what the command
// does. The mouse tools' cursors (IDC_*.png) are drawn by the same hand on
// a 32-pixel grid, with a white halo so they show on dark photos and light
// canvases alike; every cursor's hot spot is its centre. Run by
// paint-icons.sh; the PNGs are committed and compiled in.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <map>

namespace {

constexpr int kPixels = 48; // drawn on a 24-unit grid at twice the scale
constexpr double kGrid = 24.0;
const QColor kInk(0x2F, 0x3B, 0x4C);
const QColor kAccent(0xE0, 0x7A, 0x2E);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kSky(0xA9, 0xC8, 0xE8);
const QColor kHill(0x6F, 0x9E, 0x5A);

using Painter = std::function<void(QPainter&)>;

QPen ink(double width = 1.75) { return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }
QPen accent(double width = 2.0) { return QPen(kAccent, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void frame(QPainter& p, const QRectF& r)
{
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawRoundedRect(r, 1.0, 1.0);
}

// A small landscape: the program's sign for "a photo".
void photo(QPainter& p, const QRectF& r)
{
    p.setPen(ink());
    p.setBrush(kSky);
    p.drawRoundedRect(r, 1.0, 1.0);
    QPainterPath hill;
    hill.moveTo(r.left(), r.bottom());
    hill.lineTo(r.left() + r.width() * 0.35, r.top() + r.height() * 0.5);
    hill.lineTo(r.left() + r.width() * 0.6, r.top() + r.height() * 0.75);
    hill.lineTo(r.left() + r.width() * 0.75, r.top() + r.height() * 0.6);
    hill.lineTo(r.right(), r.bottom());
    hill.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kHill);
    p.drawPath(hill);
    p.setPen(ink());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 1.0, 1.0);
}

void arrowHead(QPainter& p, QPointF tip, double angleDegrees, const QPen& pen, double size = 3.0)
{
    const double a = qDegreesToRadians(angleDegrees);
    const QPointF back(-std::cos(a) * size, -std::sin(a) * size);
    const QPointF side(-std::sin(a) * size * 0.7, std::cos(a) * size * 0.7);
    p.setPen(pen);
    p.drawPolyline(QPolygonF{tip + back + side, tip, tip + back - side});
}

void arrow(QPainter& p, QPointF from, QPointF to, const QPen& pen)
{
    p.setPen(pen);
    p.drawLine(from, to);
    arrowHead(p, to, qRadiansToDegrees(std::atan2(to.y() - from.y(), to.x() - from.x())), pen);
}

// A circular arrow around (cx, cy) from `start` through `span` degrees
// (counter-clockwise positive, as QPainter counts).
void turn(QPainter& p, QPointF c, double radius, double start, double span, const QPen& pen)
{
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    p.drawArc(box, int(start * 16), int(span * 16));
    const double end = qDegreesToRadians(start + span);
    const QPointF tip(c.x() + radius * std::cos(end), c.y() - radius * std::sin(end));
    const double tangent = span > 0 ? -(start + span) - 90 : -(start + span) + 90;
    arrowHead(p, tip, tangent, pen);
}

void magnifier(QPainter& p, QPointF c, double r)
{
    p.setPen(ink(2.0));
    p.setBrush(kPaper);
    p.drawEllipse(c, r, r);
    p.drawLine(c + QPointF(r * 0.72, r * 0.72), c + QPointF(r * 1.7, r * 1.7));
}

void fourWay(QPainter& p, QPointF c, double r, const QPen& pen)
{
    for (int angle : {0, 90, 180, 270}) {
        const double a = qDegreesToRadians(double(angle));
        arrow(p, c, c + QPointF(std::cos(a) * r, std::sin(a) * r), pen);
    }
}

std::map<QString, Painter> icons()
{
    std::map<QString, Painter> all;
    all["IDR_TB_NEW"] = [](QPainter& p) {
        QPainterPath page;
        page.moveTo(5, 3); page.lineTo(14, 3); page.lineTo(19, 8); page.lineTo(19, 21); page.lineTo(5, 21);
        page.closeSubpath();
        p.setPen(ink()); p.setBrush(kPaper); p.drawPath(page);
        p.drawPolyline(QPolygonF{{14, 3}, {14, 8}, {19, 8}});
        p.setPen(accent()); p.drawLine(QPointF(12, 12), QPointF(12, 18)); p.drawLine(QPointF(9, 15), QPointF(15, 15));
    };
    all["IDR_TB_OPEN"] = [](QPainter& p) {
        p.setPen(ink()); p.setBrush(kPaper);
        p.drawPolygon(QPolygonF{{3, 6}, {9, 6}, {11, 8}, {20, 8}, {20, 19}, {3, 19}});
        p.setBrush(kAccent);
        p.drawPolygon(QPolygonF{{3, 19}, {6, 11}, {22, 11}, {20, 19}});
    };
    all["IDR_TB_SAVE"] = [](QPainter& p) {
        p.setPen(ink()); p.setBrush(kPaper);
        p.drawPolygon(QPolygonF{{4, 13}, {4, 20}, {20, 20}, {20, 13}});
        arrow(p, {12, 3}, {12, 15}, accent());
    };
    all["IDR_TB_UNDO"] = [](QPainter& p) { turn(p, {12, 14}, 7, 0, 150, accent(2.2)); p.setPen(ink()); p.drawLine(QPointF(5, 21), QPointF(19, 21)); };
    all["IDR_TB_REDO"] = [](QPainter& p) { turn(p, {12, 14}, 7, 180, -150, accent(2.2)); p.setPen(ink()); p.drawLine(QPointF(5, 21), QPointF(19, 21)); };
    all["IDR_TB_ZOOMIN"] = [](QPainter& p) {
        magnifier(p, {10, 10}, 6);
        p.setPen(accent()); p.drawLine(QPointF(7, 10), QPointF(13, 10)); p.drawLine(QPointF(10, 7), QPointF(10, 13));
    };
    all["IDR_TB_ZOOMOUT"] = [](QPainter& p) {
        magnifier(p, {10, 10}, 6);
        p.setPen(accent()); p.drawLine(QPointF(7, 10), QPointF(13, 10));
    };
    all["IDR_TB_ZOOMFIT"] = [](QPainter& p) {
        frame(p, {7, 8, 10, 8});
        p.setPen(accent());
        for (const auto& corner : {QPolygonF{{3, 7}, {3, 4}, {6, 4}}, QPolygonF{{18, 4}, {21, 4}, {21, 7}},
                                   QPolygonF{{21, 17}, {21, 20}, {18, 20}}, QPolygonF{{6, 20}, {3, 20}, {3, 17}}})
            p.drawPolyline(corner);
    };
    all["IDR_TB_CENTER"] = [](QPainter& p) {
        frame(p, {4, 5, 16, 14});
        p.setPen(accent()); p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 3.5, 3.5);
        p.drawLine(QPointF(12, 5), QPointF(12, 8)); p.drawLine(QPointF(12, 16), QPointF(12, 19));
        p.drawLine(QPointF(4, 12), QPointF(8, 12)); p.drawLine(QPointF(16, 12), QPointF(20, 12));
    };
    all["IDR_TB_PRINT"] = [](QPainter& p) {
        p.setPen(ink()); p.setBrush(kPaper); p.drawRect(QRectF(7, 3, 10, 6));
        p.setBrush(kInk); p.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
        p.setBrush(kPaper); p.drawRect(QRectF(7, 14, 10, 7));
        p.setPen(accent(1.5)); p.drawLine(QPointF(9, 17), QPointF(15, 17));
    };
    all["IDR_TB_PREVIEW"] = [](QPainter& p) {
        frame(p, {4, 3, 12, 17});
        magnifier(p, {13, 13}, 4);
        p.setPen(accent(1.5)); p.drawLine(QPointF(11, 13), QPointF(15, 13));
    };
    all["IDR_TB_PAGESEGMENTS"] = [](QPainter& p) {
        photo(p, {2, 5, 20, 14});
        QPen page = accent(1.6); page.setDashPattern({2.0, 1.2});
        p.setPen(page); p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3.5, 6.5, 8, 11)); p.drawRect(QRectF(12.5, 6.5, 8, 11));
    };
    all["IDR_TB_SPLIT"] = [](QPainter& p) {
        photo(p, {3, 5, 18, 14});
        QPen cut = accent(2.0); cut.setDashPattern({1.5, 1.5});
        p.setPen(cut); p.drawLine(QPointF(12, 3), QPointF(12, 21));
    };
    all["IDR_TB_MERGE"] = [](QPainter& p) {
        frame(p, {2, 6, 8, 12}); frame(p, {14, 6, 8, 12});
        arrow(p, {6, 12}, {11, 12}, accent()); arrow(p, {18, 12}, {13, 12}, accent());
    };
    all["IDR_TB_SPINRIGHT"] = [](QPainter& p) {
        p.save(); p.translate(12, 13); p.rotate(20); photo(p, {-6, -4.5, 12, 9}); p.restore();
        turn(p, {12, 12}, 9.5, 135, -90, accent());
    };
    all["IDR_TB_SPINLEFT"] = [](QPainter& p) {
        p.save(); p.translate(12, 13); p.rotate(-20); photo(p, {-6, -4.5, 12, 9}); p.restore();
        turn(p, {12, 12}, 9.5, 45, 90, accent());
    };
    all["IDR_TB_UPRIGHT"] = [](QPainter& p) {
        p.save(); p.translate(12, 12); p.rotate(25);
        QPen ghost = ink(1.2); ghost.setDashPattern({1.5, 1.5}); p.setPen(ghost); p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(-6, -7, 12, 14)); p.restore();
        photo(p, {6, 5, 12, 14});
        arrow(p, {12, 22}, {12, 18}, accent(1.5));
    };
    all["IDR_TB_SWAP"] = [](QPainter& p) {
        frame(p, {3, 7, 18, 10});
        arrow(p, {8, 16}, {16, 8}, accent(1.5)); arrow(p, {16, 8}, {8, 16}, accent(1.5));
    };
    all["IDR_TB_FRAMETOIMAGE"] = [](QPainter& p) {
        photo(p, {6, 6, 12, 12});
        QPen dashed = ink(1.2); dashed.setDashPattern({1.5, 1.5}); p.setPen(dashed); p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2, 3, 20, 18));
        arrow(p, {3.5, 4.5}, {6.5, 7.0}, accent(1.5)); arrow(p, {20.5, 19.5}, {17.5, 17.0}, accent(1.5));
    };
    all["IDR_TB_IMAGETOFRAME"] = [](QPainter& p) {
        frame(p, {2, 3, 20, 18});
        photo(p, {7, 8, 10, 8});
        arrow(p, {7, 8}, {4, 5}, accent(1.5)); arrow(p, {17, 16}, {20, 19}, accent(1.5));
    };
    all["IDR_TB_DUPLICATE"] = [](QPainter& p) {
        frame(p, {3, 3, 12, 10});
        photo(p, {9, 10, 12, 10});
        p.setPen(accent()); p.drawLine(QPointF(15, 15), QPointF(15, 15));
    };
    all["IDR_TB_MOVE"] = [](QPainter& p) { fourWay(p, {12, 12}, 9, ink(2.0)); p.setPen(Qt::NoPen); p.setBrush(kAccent); p.drawEllipse(QPointF(12, 12), 2.5, 2.5); };
    all["IDR_TB_RESIZE"] = [](QPainter& p) { photo(p, {3, 3, 12, 10}); arrow(p, {13, 11}, {21, 20}, accent()); };
    all["IDR_TB_RESIZEIMAGE"] = [](QPainter& p) {
        frame(p, {2, 2, 20, 20}); photo(p, {5, 5, 9, 8}); arrow(p, {13, 12}, {19, 19}, accent());
    };
    all["IDR_TB_CROP"] = [](QPainter& p) {
        p.setPen(ink(2.0)); p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF{{6, 2}, {6, 18}, {22, 18}});
        p.setPen(accent(2.0)); p.drawPolyline(QPolygonF{{2, 6}, {18, 6}, {18, 22}});
    };
    all["IDR_TB_MOVEFRAME"] = [](QPainter& p) {
        QPen dashed = ink(1.5); dashed.setDashPattern({1.5, 1.5}); p.setPen(dashed); p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 3, 12, 10));
        p.setPen(accent(2.0)); p.drawRect(QRectF(9, 11, 12, 10));
    };
    all["IDR_TB_PANIMAGE"] = [](QPainter& p) { photo(p, {2, 4, 20, 16}); fourWay(p, {12, 12}, 6, QPen(kPaper, 3.2, Qt::SolidLine, Qt::RoundCap)); fourWay(p, {12, 12}, 6, accent(1.6)); };
    all["IDR_TB_ROTATE"] = [](QPainter& p) { photo(p, {7, 8, 10, 8}); turn(p, {12, 12}, 9, 200, -300, accent()); };
    all["IDR_TB_DRAWFRAME"] = [](QPainter& p) {
        QPen dashed = ink(1.5); dashed.setDashPattern({1.5, 1.5}); p.setPen(dashed); p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 7, 14, 12));
        p.setPen(accent(2.2)); p.drawLine(QPointF(12, 14), QPointF(20, 4));
        p.setPen(ink(1.5)); p.drawLine(QPointF(12, 14), QPointF(11, 16));
    };
    all["IDR_TB_RUBBERBAND"] = [](QPainter& p) {
        QPen dashed = accent(1.6); dashed.setDashPattern({2, 1.5}); p.setPen(dashed); p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 3, 14, 12));
        p.setPen(ink(1.2)); p.setBrush(kInk);
        p.drawPolygon(QPolygonF{{13, 11}, {13, 22}, {16, 19}, {18.5, 23}, {20, 22}, {17.5, 18}, {21, 18}});
    };
    all["IDR_TB_PANCANVAS"] = [](QPainter& p) {
        p.setPen(ink(1.0)); p.setBrush(kPaper); p.drawRect(QRectF(2, 2, 20, 20));
        fourWay(p, {12, 12}, 8, accent(2.0));
    };
    all["IDR_TB_ZOOMDRAG"] = [](QPainter& p) {
        magnifier(p, {10, 10}, 6);
        arrow(p, {10, 9}, {10, 6}, accent(1.5)); arrow(p, {10, 11}, {10, 14}, accent(1.5));
    };
    auto quality = [](bool on) {
        return [on](QPainter& p) {
            p.setPen(ink()); p.setBrush(on ? kAccent : kPaper);
            p.drawPolygon(QPolygonF{{12, 2}, {21, 9}, {12, 22}, {3, 9}});
            p.drawPolyline(QPolygonF{{3, 9}, {21, 9}});
            p.drawPolyline(QPolygonF{{8, 9}, {12, 2}, {16, 9}, {12, 22}, {8, 9}});
        };
    };
    all["IDR_TB_FULLRES"] = quality(false);
    all["IDR_TB_FULLRES_ON"] = quality(true);
    all["IDR_TB_FULLSCREEN"] = [](QPainter& p) {
        frame(p, {5, 6, 14, 12});
        arrow(p, {8, 9}, {3, 4}, accent(1.6)); arrow(p, {16, 9}, {21, 4}, accent(1.6));
        arrow(p, {8, 15}, {3, 20}, accent(1.6)); arrow(p, {16, 15}, {21, 20}, accent(1.6));
    };
    all["IDR_TB_MAGNET"] = [](QPainter& p) {
        QPainterPath u;
        u.moveTo(5, 3); u.lineTo(5, 12); u.arcTo(QRectF(5, 5, 14, 14), 180, 180); u.lineTo(19, 3);
        p.setPen(QPen(kInk, 5.0, Qt::SolidLine, Qt::FlatCap)); p.setBrush(Qt::NoBrush); p.drawPath(u);
        p.setPen(QPen(kAccent, 5.0, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(5, 3), QPointF(5, 7)); p.drawLine(QPointF(19, 3), QPointF(19, 7));
    };
    all["IDR_TB_GRID"] = [](QPainter& p) {
        p.setPen(ink()); p.setBrush(kPaper); p.drawRect(QRectF(3, 3, 18, 18));
        p.setPen(accent(1.4));
        for (double v : {9.0, 15.0}) { p.drawLine(QPointF(v, 3), QPointF(v, 21)); p.drawLine(QPointF(3, v), QPointF(21, v)); }
    };
    all["IDR_TB_ADDPICTURES"] = [](QPainter& p) {
        photo(p, {2, 6, 15, 12});
        p.setPen(Qt::NoPen); p.setBrush(kAccent); p.drawEllipse(QPointF(18, 6), 5, 5);
        p.setPen(QPen(kPaper, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18, 3.5), QPointF(18, 8.5)); p.drawLine(QPointF(15.5, 6), QPointF(20.5, 6));
    };
    all["IDR_TB_RELOAD"] = [](QPainter& p) {
        photo(p, {7, 8, 10, 8});
        turn(p, {12, 12}, 9, 100, 140, accent()); turn(p, {12, 12}, 9, 280, 140, accent());
    };
    all["IDR_TB_LOCK"] = [](QPainter& p) {
        p.setPen(ink(2.0)); p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(7, 3, 10, 12), 0, 180 * 16);
        p.drawLine(QPointF(7, 9), QPointF(7, 11)); p.drawLine(QPointF(17, 9), QPointF(17, 11));
        p.setPen(ink()); p.setBrush(kAccent); p.drawRoundedRect(QRectF(4, 11, 16, 11), 1.5, 1.5);
        p.setPen(Qt::NoPen); p.setBrush(kPaper); p.drawEllipse(QPointF(12, 15.5), 1.6, 1.6);
        p.drawRect(QRectF(11.4, 16, 1.2, 3));
    };
    all["IDR_TB_ADJUST"] = [](QPainter& p) {
        photo(p, {2, 4, 14, 12});
        p.setPen(ink()); p.setBrush(kPaper); p.drawEllipse(QPointF(16, 15), 6, 6);
        QPainterPath half;
        half.moveTo(16, 9); half.arcTo(QRectF(10, 9, 12, 12), 90, 180); half.closeSubpath();
        p.setPen(Qt::NoPen); p.setBrush(kAccent); p.drawPath(half);
    };
    all["IDR_TB_BORDER"] = [](QPainter& p) {
        p.setPen(Qt::NoPen); p.setBrush(QColor(0, 0, 0, 60)); p.drawRoundedRect(QRectF(6, 6, 16, 15), 1.0, 1.0);
        p.setPen(QPen(kAccent, 2.5)); p.setBrush(kPaper); p.drawRect(QRectF(3, 3, 16, 15));
        photo(p, {6, 6, 10, 9});
    };
    all["IDR_TB_CANVASCOLOR"] = [](QPainter& p) {
        p.setPen(ink()); p.setBrush(kAccent); p.drawRoundedRect(QRectF(3, 4, 18, 15), 1.0, 1.0);
        p.setBrush(kPaper); p.drawRect(QRectF(7, 8, 7, 6));
        p.setBrush(kSky); p.drawEllipse(QPointF(18, 19), 3.5, 3.5);
    };
    all["IDR_TB_CANVASSIZE"] = [](QPainter& p) {
        QPen dashed = ink(1.2); dashed.setDashPattern({1.5, 1.5}); p.setPen(dashed); p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2, 2, 20, 20));
        p.setPen(ink()); p.setBrush(kPaper); p.drawRect(QRectF(2, 2, 12, 12));
        arrow(p, {13, 13}, {20, 20}, accent());
    };
    all["IDR_TB_EXPORT"] = [](QPainter& p) {
        photo(p, {2, 7, 14, 13});
        arrow(p, {12, 12}, {21, 3}, accent(2.2));
    };
    return all;
}

// --- Cursors: 32 pixels, hot spot at (16, 16).

constexpr int kCursorPixels = 32;
const QPointF kHotSpot(16, 16);

// Strokes the path with a white halo under the ink, so it reads on any
// background.
void haloed(QPainter& p, const QPainterPath& path, const QColor& colour = kInk, double width = 1.6)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kPaper, width + 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

QPainterPath arrowPath(QPointF from, QPointF to, double head = 3.5)
{
    QPainterPath path;
    path.moveTo(from);
    path.lineTo(to);
    const double a = std::atan2(to.y() - from.y(), to.x() - from.x());
    const QPointF back(-std::cos(a) * head, -std::sin(a) * head);
    const QPointF side(-std::sin(a) * head * 0.8, std::cos(a) * head * 0.8);
    path.moveTo(to + back + side);
    path.lineTo(to);
    path.lineTo(to + back - side);
    return path;
}

QPainterPath fourWayPath(QPointF c, double inner, double outer)
{
    QPainterPath path;
    for (int angle : {0, 90, 180, 270}) {
        const double a = qDegreesToRadians(double(angle));
        const QPointF d(std::cos(a), std::sin(a));
        path.addPath(arrowPath(c + d * inner, c + d * outer));
    }
    return path;
}

// A small mark at the hot spot, so the point that acts is plain to see.
void hotSpotMark(QPainter& p)
{
    p.setPen(QPen(kPaper, 1.0));
    p.setBrush(kInk);
    p.drawEllipse(kHotSpot, 1.8, 1.8);
}

std::map<QString, Painter> cursors()
{
    std::map<QString, Painter> all;
    all["IDC_MOVE"] = [](QPainter& p) { haloed(p, fourWayPath(kHotSpot, 2.5, 13)); hotSpotMark(p); };
    all["IDC_PANCANVAS"] = [](QPainter& p) {
        QPainterPath sheet;
        sheet.addRect(QRectF(8, 8, 16, 16));
        haloed(p, sheet, kInk, 1.2);
        haloed(p, fourWayPath(kHotSpot, 2.5, 14), kAccent);
        hotSpotMark(p);
    };
    all["IDC_PANIMAGE"] = [](QPainter& p) {
        p.setPen(QPen(kPaper, 2.0)); p.setBrush(kSky); p.drawRect(QRectF(5, 8, 22, 16));
        QPainterPath hill;
        hill.moveTo(5, 24); hill.lineTo(13, 15); hill.lineTo(19, 21); hill.lineTo(22, 18); hill.lineTo(27, 24);
        hill.closeSubpath();
        p.setPen(Qt::NoPen); p.setBrush(kHill); p.drawPath(hill);
        p.setPen(QPen(kInk, 1.2)); p.setBrush(Qt::NoBrush); p.drawRect(QRectF(5, 8, 22, 16));
        haloed(p, fourWayPath(kHotSpot, 2.0, 10), kAccent);
    };
    all["IDC_ROTATE"] = [](QPainter& p) {
        QPainterPath turn;
        const QRectF box(5, 5, 22, 22);
        turn.arcMoveTo(box, 200);
        turn.arcTo(box, 200, -290);
        QPointF end;
        {
            QPainterPath probe;
            probe.arcMoveTo(box, 200 - 290);
            end = probe.currentPosition();
        }
        // The head points along the turn at its end (clockwise on the screen).
        const double a = qDegreesToRadians(200.0 - 290.0);
        const QPointF tangent(std::sin(a), std::cos(a));
        turn.addPath(arrowPath(end - tangent * 4.0, end, 4.0));
        haloed(p, turn, kAccent, 2.0);
        hotSpotMark(p);
    };
    all["IDC_SPLIT"] = [](QPainter& p) {
        QPainterPath cut;
        cut.moveTo(16, 3); cut.lineTo(16, 29);
        haloed(p, cut, kAccent, 1.8);
        haloed(p, arrowPath({14, 16}, {4, 16}));
        haloed(p, arrowPath({18, 16}, {28, 16}));
    };
    all["IDC_DRAWFRAME"] = [](QPainter& p) {
        QPainterPath cross;
        cross.moveTo(16, 4); cross.lineTo(16, 13); cross.moveTo(16, 19); cross.lineTo(16, 28);
        cross.moveTo(4, 16); cross.lineTo(13, 16); cross.moveTo(19, 16); cross.lineTo(28, 16);
        haloed(p, cross);
        QPainterPath corner;
        corner.moveTo(20, 30); corner.lineTo(20, 20); corner.lineTo(30, 20);
        haloed(p, corner, kAccent, 1.8);
    };
    all["IDC_RUBBERBAND"] = [](QPainter& p) {
        QPainterPath cross;
        cross.moveTo(16, 9); cross.lineTo(16, 23); cross.moveTo(9, 16); cross.lineTo(23, 16);
        haloed(p, cross);
        p.setPen(QPen(kAccent, 1.4, Qt::DashLine)); p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(18, 18, 11, 9));
    };
    all["IDC_CROP"] = [](QPainter& p) {
        QPainterPath fixed, moving;
        fixed.moveTo(11, 2); fixed.lineTo(11, 21); fixed.lineTo(30, 21);
        moving.moveTo(2, 11); moving.lineTo(21, 11); moving.lineTo(21, 30);
        haloed(p, fixed, kInk, 2.0);
        haloed(p, moving, kAccent, 2.0);
        hotSpotMark(p);
    };
    all["IDC_ZOOM"] = [](QPainter& p) {
        QPainterPath lens;
        lens.addEllipse(kHotSpot, 8, 8);
        lens.moveTo(kHotSpot + QPointF(5.8, 5.8));
        lens.lineTo(kHotSpot + QPointF(13, 13));
        haloed(p, lens, kInk, 2.2);
        QPainterPath arrows = arrowPath({16, 14}, {16, 10}, 2.5);
        arrows.addPath(arrowPath({16, 18}, {16, 22}, 2.5));
        haloed(p, arrows, kAccent, 1.4);
    };
    all["IDC_PICKUP"] = [](QPainter& p) {
        p.setPen(QPen(kPaper, 2.0)); p.setBrush(kSky); p.drawRect(QRectF(6, 14, 20, 14));
        p.setPen(QPen(kInk, 1.2)); p.setBrush(Qt::NoBrush); p.drawRect(QRectF(6, 14, 20, 14));
        haloed(p, arrowPath({16, 22}, {16, 3}, 4.0), kAccent, 2.2);
        QPainterPath shackle;
        shackle.addRoundedRect(QRectF(20, 3, 9, 8), 1.5, 1.5);
        haloed(p, shackle, kInk, 1.4);
    };
    return all;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    for (const auto& [name, paint] : icons()) {
        QImage image(kPixels, kPixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(kPixels / kGrid, kPixels / kGrid);
        paint(painter);
        painter.end();
        if (!image.save(QDir(folder).filePath(name + QStringLiteral(".png"))))
            return 1;
    }
    for (const auto& [name, paint] : cursors()) {
        QImage image(kCursorPixels, kCursorPixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter);
        painter.end();
        if (!image.save(QDir(folder).filePath(name + QStringLiteral(".png"))))
            return 1;
    }
    return 0;
}
