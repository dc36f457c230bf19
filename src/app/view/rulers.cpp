#include "rulers.h"

#include "viewcoords.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

int CRulers::bandPixels(const CViewCoords& coords)
{
    return std::max(kMinBandPixels, int(std::ceil(kThickness * coords.pixelsPerUnitY())));
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
    // The numbers fill most of the band: the font is nearly as tall as the band is thick.
    font.setPixelSize(std::max(1, int(kFontSize * coords.pixelsPerUnitY() * 0.6)));
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(kTickColour));

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
            if (quarter == 0)
                painter.drawText(QPointF(x + 2, band * 0.7), QString::asprintf("%d", int(k / 4)));
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
            if (quarter == 0)
                painter.drawText(QPointF(1, y - 2), QString::asprintf("%d", int(k / 4)));
        }
    }
    const QPointF at = coords.canvasToDevice(marker);
    painter.setPen(QColor::fromRgba(kMarkerColour));
    painter.drawLine(QPointF(at.x(), 0), QPointF(at.x(), band));
    painter.drawLine(QPointF(0, at.y()), QPointF(band, at.y()));
    painter.restore();
}
