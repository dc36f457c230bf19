#pragma once
// Camera-like test photos for the benchmarks when the real-photo corpus is
// absent: a gradient sky with random blobs, and, when asked, sensor-like
// noise so a JPEG carries about as much data as a camera's.

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

inline QImage photoLikeImage(QSize size, quint32 seed, bool sensorNoise = false)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(40, 90, 180));
    sky.setColorAt(1, QColor(230, 190, 120));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(seed);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 60; ++i) {
        painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 180, 200));
        painter.drawEllipse(QPointF(random.bounded(size.width()), random.bounded(size.height())),
                            random.bounded(size.width() / 8) + 4.0, random.bounded(size.height() / 8) + 4.0);
    }
    painter.end();
    if (!sensorNoise)
        return image;
    for (int y = 0; y < size.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int n = int(random.bounded(17)) - 8;
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + n, 255), qBound(0, qGreen(p) + n, 255), qBound(0, qBlue(p) + n, 255));
        }
    }
    return image;
}
