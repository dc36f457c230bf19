// Draws PrevNext.png, the navigation strip of the photo sections and pages:
// "Previous Photo" over x 0-20, "To Collage" over 20-44, "Next Photo" over
// 44-64, on a 65 x 20 picture.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QImage image(65, 20, QImage::Format_RGB32);
    image.fill(QColor(0xEA, 0xE8, 0xD9));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.setBrush(QColor(0xF8, 0xF6, 0xEE));
    for (const QRectF box : {QRectF(1.5, 1.5, 17, 17), QRectF(22.5, 1.5, 20, 17), QRectF(46.5, 1.5, 17, 17)})
        painter.drawRoundedRect(box, 3, 3);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x40, 0x60, 0x90));
    QPainterPath left;
    left.moveTo(5, 10);
    left.lineTo(14, 4.5);
    left.lineTo(14, 15.5);
    left.closeSubpath();
    painter.drawPath(left);
    QPainterPath right;
    right.moveTo(60, 10);
    right.lineTo(51, 4.5);
    right.lineTo(51, 15.5);
    right.closeSubpath();
    painter.drawPath(right);
    // A little collage: four tiles.
    for (const QRectF tile : {QRectF(26, 5, 5.5, 4.5), QRectF(33, 5, 5.5, 4.5), QRectF(26, 11, 5.5, 4.5),
                              QRectF(33, 11, 5.5, 4.5)})
        painter.drawRect(tile);
    painter.end();
    return image.save(argc > 1 ? argv[1] : "PrevNext.png") ? 0 : 1;
}
