#pragma once
// A picture with soft gradients and hard edges, like a photo: scalers,
// codecs and tone changes show their differences on it as on the real thing.

#include <QImage>
#include <QPainter>

inline QImage photoLikePicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(30, 90, 200));
    sky.setColorAt(1, QColor(240, 200, 120));
    painter.fillRect(image.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 12; ++i) {
        const QPointF centre(size.width() * (i % 4 + 0.5) / 4.0, size.height() * (i / 4 + 0.5) / 3.0);
        QRadialGradient blob(centre, size.height() / 8.0);
        blob.setColorAt(0, QColor::fromHsv(i * 30, 200, 230));
        blob.setColorAt(1, QColor::fromHsv(i * 30 + 15, 255, 60));
        painter.setBrush(blob);
        painter.setPen(QPen(Qt::black, size.width() / 400.0));
        painter.drawEllipse(centre, size.height() / 8.0, size.height() / 9.0);
    }
    return image;
}
