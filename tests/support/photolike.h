#pragma once
// A picture with soft gradients and hard edges, like a photo: scalers,
// codecs and tone changes show their differences on it as on the real
// thing. The tests draw their photos with it, and so do the benchmarks when
// the real-photo corpus is absent.
//
// `seed` turns the hues of the blobs, so pictures of different seeds differ;
// `sensorNoise` adds noise like a camera sensor's, so that a JPEG of the
// picture carries about as much data as a camera's.

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

inline QImage photoLikePicture(QSize size, quint32 seed = 0, bool sensorNoise = false)
{
    constexpr int kBlobColumns = 4;
    constexpr int kBlobRows = 3;
    constexpr int kHueStep = 30;
    constexpr int kSeedTurn = 7; // hue steps a seed turns by: seeds 0 to 11 give twelve turns
    constexpr int kNoiseAmplitude = 8;

    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(30, 90, 200));
    sky.setColorAt(1, QColor(240, 200, 120));
    painter.fillRect(image.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < kBlobColumns * kBlobRows; ++i) {
        const int hue = (i + int(seed % 12) * kSeedTurn) * kHueStep % 360;
        const QPointF centre(size.width() * (i % kBlobColumns + 0.5) / kBlobColumns,
                             size.height() * (i / kBlobColumns + 0.5) / kBlobRows);
        QRadialGradient blob(centre, size.height() / 8.0);
        blob.setColorAt(0, QColor::fromHsv(hue, 200, 230));
        blob.setColorAt(1, QColor::fromHsv(hue + kHueStep / 2, 255, 60));
        painter.setBrush(blob);
        painter.setPen(QPen(Qt::black, size.width() / 400.0));
        painter.drawEllipse(centre, size.height() / 8.0, size.height() / 9.0);
    }
    painter.end();
    if (!sensorNoise)
        return image;
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int n = int(random.bounded(2 * kNoiseAmplitude + 1)) - kNoiseAmplitude;
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + n, 255), qBound(0, qGreen(p) + n, 255), qBound(0, qBlue(p) + n, 255));
        }
    }
    return image;
}
