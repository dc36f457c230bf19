// Draws the application icon into a hicolor icon tree, at the sizes a
// desktop asks for: OUT_ROOT/hicolor/NxN/apps/ombravelle.png. Built and run
// at build time. The toolbar icons' hand and palette (slate ink, white
// paper, sky and hill for "a photo", one orange accent): a canvas tile with
// three photos laid on it, the back two turned, as a collage is made.
//
// Usage: paint_app_icon OUT_ROOT SIZE...
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

constexpr double kGrid = 64.0;
const QColor kInk(0x2F, 0x3B, 0x4C);
const QColor kAccent(0xE0, 0x7A, 0x2E);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kSky(0xA9, 0xC8, 0xE8);
const QColor kHill(0x6F, 0x9E, 0x5A);
const QColor kCanvas(0xEA, 0xE8, 0xD8);

// A bordered photo of a small landscape, centred on the origin.
void photo(QPainter& p, double width, double height, bool sun)
{
    const QRectF paper(-width / 2, -height / 2, width, height);
    p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kPaper);
    p.drawRoundedRect(paper, 1.5, 1.5);
    const QRectF picture = paper.adjusted(3, 3, -3, -3);
    p.setPen(Qt::NoPen);
    p.setBrush(kSky);
    p.drawRect(picture);
    if (sun) {
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(picture.right() - picture.width() * 0.25, picture.top() + picture.height() * 0.3),
                      picture.height() * 0.14, picture.height() * 0.14);
    }
    QPainterPath hill;
    hill.moveTo(picture.bottomLeft());
    hill.lineTo(picture.left() + picture.width() * 0.35, picture.top() + picture.height() * 0.45);
    hill.lineTo(picture.left() + picture.width() * 0.6, picture.top() + picture.height() * 0.72);
    hill.lineTo(picture.left() + picture.width() * 0.78, picture.top() + picture.height() * 0.58);
    hill.lineTo(picture.bottomRight());
    hill.closeSubpath();
    p.setBrush(kHill);
    p.drawPath(hill);
}

void placed(QPainter& p, QPointF centre, double degrees, double width, double height, bool sun)
{
    p.save();
    p.translate(centre);
    p.rotate(degrees);
    photo(p, width, height, sun);
    p.restore();
}

QImage paint(int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixels / kGrid, pixels / kGrid);

    // The canvas tile.
    p.setPen(QPen(kInk, 2.0));
    p.setBrush(kCanvas);
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);

    placed(p, {24, 24}, -12, 28, 22, false);
    placed(p, {42, 27}, 9, 22, 28, false);
    placed(p, {32, 42}, 0, 34, 24, true);
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: paint_app_icon OUT_ROOT SIZE...\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size < 1) {
            std::fprintf(stderr, "paint_app_icon: bad size %s\n", argv[i]);
            return 2;
        }
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        const QString file = root.filePath(folder + QStringLiteral("/ombravelle.png"));
        if (!root.mkpath(folder) || !paint(size).save(file, "PNG")) {
            std::fprintf(stderr, "paint_app_icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
