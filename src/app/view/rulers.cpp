#include "rulers.h"

#include "viewcoords.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

int CRulers::bandPixels(const CViewCoords& coords)
{
    return std::max(kMinBandPixels, int(std::ceil(kThickness * coords.pixelsPerUnitY())));
}

int CRulers::numberPixels(const CViewCoords& coords)
{
    return std::max(1, int(std::lround(kFontSize * coords.pixelsPerUnitY())));
}

void CRulers::draw(QPainter& painter, const CViewCoords& coords, const QRect& client, const QPointF& marker)
{
    const int band = bandPixels(coords);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(client.left(), client.top(), client.width(), band), QColor::fromRgba(kBandColour));
    painter.fillRect(QRect(client.left(), client.top() + band, band, client.height() - band),
                     QColor::fromRgba(kBandColour));

    QFont font = painter.font();
    font.setPixelSize(numberPixels(coords));
    painter.setFont(font);
    // Digits stand on a baseline that centres them in the band.
    const qreal digitHeight = QFontMetricsF(font).capHeight();
    const qreal baseline = (band + digitHeight) / 2.0;
    const QPen tickPen(QColor::fromRgba(kTickColour));
    const QPen numberPen(QColor::fromRgba(kNumberColour));
    painter.setPen(tickPen);

    const qreal unitX = coords.pixelsPerUnitX();
    const qreal unitY = coords.pixelsPerUnitY();
    const qreal tickStepX = kTickStep * unitX;
    const qreal tickStepY = kTickStep * unitY;
    // Ticks closer than two pixels would only smear the band.
    if (tickStepX >= 2.0) {
        const long first = long(std::floor(coords.deviceToCanvas(QPointF(client.left(), 0)).x() / kTickStep));
        const long last = long(std::ceil(coords.deviceToCanvas(QPointF(client.right(), 0)).x() / kTickStep));
        for (long k = first; k <= last; ++k) {
            const qreal x = coords.canvasToDevice(QPointF(k * kTickStep, 0)).x();
            const int quarter = int(((k % 4) + 4) % 4);
            painter.drawLine(QPointF(x, band), QPointF(x, band - kTickLengths[quarter] / kThickness * band));
            if (quarter == 0) {
                painter.setPen(numberPen);
                painter.drawText(QPointF(x + 2, baseline), QString::asprintf("%d", int(k / 4)));
                painter.setPen(tickPen);
            }
        }
    }
    if (tickStepY >= 2.0) {
        const long first = long(std::floor(coords.deviceToCanvas(QPointF(0, client.top())).y() / kTickStep));
        const long last = long(std::ceil(coords.deviceToCanvas(QPointF(0, client.bottom())).y() / kTickStep));
        for (long k = first; k <= last; ++k) {
            const qreal y = coords.canvasToDevice(QPointF(0, k * kTickStep)).y();
            if (y < band)
                continue;
            const int quarter = int(((k % 4) + 4) % 4);
            painter.drawLine(QPointF(band, y), QPointF(band - kTickLengths[quarter] / kThickness * band, y));
            if (quarter == 0) {
                // Turned to run along the band, as wide numbers would not fit across it.
                painter.save();
                painter.setPen(numberPen);
                painter.translate(baseline, y - 2);
                painter.rotate(-90.0);
                painter.drawText(QPointF(0, 0), QString::asprintf("%d", int(k / 4)));
                painter.restore();
            }
        }
    }
    const QPointF at = coords.canvasToDevice(marker);
    painter.setPen(QColor::fromRgba(kMarkerColour));
    painter.drawLine(QPointF(at.x(), 0), QPointF(at.x(), band));
    painter.drawLine(QPointF(0, at.y()), QPointF(band, at.y()));
    painter.restore();
}
