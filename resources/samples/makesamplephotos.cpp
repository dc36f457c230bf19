// Paints the photographs of the Quick Tour sample when Debian's wallpaper
// package is not installed: landscapes at camera proportions (4:3, 3:2, a
// portrait and a panorama), each under its own sky, so that the automatic
// layout has real choices to make and the sample looks like photos.
//
// Usage: make_sample_photos OUT_FOLDER   (writes Photo01.jpg ... Photo08.jpg)
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <cmath>
#include <cstdio>

namespace {

struct Scene
{
    QSize size;
    QColor skyTop, skyBottom, sun, far, near, water;
    bool hasWater;
};

// Pixel sizes of a small camera: big enough that the project's stored copies
// are reductions, small enough to paint in a moment.
const Scene kScenes[] = {
    {{1600, 1200}, {40, 90, 170}, {250, 200, 150}, {255, 240, 200}, {90, 110, 150}, {60, 110, 60}, {}, false},
    {{1800, 1200}, {20, 30, 80}, {240, 120, 80}, {255, 210, 120}, {70, 60, 90}, {40, 50, 40}, {60, 70, 120}, true},
    {{1200, 1600}, {120, 170, 220}, {220, 235, 245}, {255, 255, 240}, {130, 150, 170}, {80, 130, 70}, {}, false},
    {{2400, 1000}, {60, 120, 200}, {200, 220, 235}, {255, 250, 230}, {110, 130, 160}, {150, 140, 90}, {50, 100, 150}, true},
    {{1600, 1200}, {250, 150, 90}, {255, 220, 150}, {255, 245, 210}, {150, 90, 90}, {90, 70, 60}, {}, false},
    {{1800, 1200}, {90, 150, 210}, {235, 240, 245}, {255, 255, 245}, {160, 170, 190}, {70, 120, 90}, {70, 130, 160}, true},
    {{1200, 1600}, {30, 50, 110}, {180, 120, 160}, {250, 230, 200}, {80, 70, 110}, {50, 60, 70}, {}, false},
    {{1600, 1200}, {100, 160, 200}, {210, 230, 200}, {255, 250, 220}, {120, 140, 110}, {100, 140, 50}, {60, 110, 130}, true},
};

QPainterPath ridge(const QSize& size, double baseline, double height, int peaks, QRandomGenerator& random)
{
    QPainterPath path;
    path.moveTo(0, size.height());
    const int steps = peaks * 8;
    for (int i = 0; i <= steps; ++i) {
        const double x = size.width() * double(i) / steps;
        const double wave = std::sin(i * M_PI / 8.0) * 0.6 + std::sin(i * M_PI / 3.1) * 0.25;
        const double jitter = random.bounded(0.15);
        path.lineTo(x, baseline - height * (0.5 + 0.5 * wave + jitter));
    }
    path.lineTo(size.width(), size.height());
    path.closeSubpath();
    return path;
}

QImage paint(const Scene& scene, quint32 seed)
{
    QRandomGenerator random(seed);
    const QSize size = scene.size;
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, size.height() * 0.7);
    sky.setColorAt(0, scene.skyTop);
    sky.setColorAt(1, scene.skyBottom);
    p.fillRect(image.rect(), sky);

    const QPointF sunAt(size.width() * (0.2 + random.bounded(0.6)), size.height() * (0.15 + random.bounded(0.25)));
    const double sunRadius = std::min(size.width(), size.height()) * 0.07;
    QRadialGradient glow(sunAt, sunRadius * 4);
    glow.setColorAt(0, QColor(scene.sun.red(), scene.sun.green(), scene.sun.blue(), 160));
    glow.setColorAt(1, Qt::transparent);
    p.fillRect(image.rect(), glow);
    p.setPen(Qt::NoPen);
    p.setBrush(scene.sun);
    p.drawEllipse(sunAt, sunRadius, sunRadius);

    const double horizon = size.height() * (scene.hasWater ? 0.62 : 0.75);
    p.setBrush(scene.far);
    p.drawPath(ridge(size, horizon, size.height() * 0.25, 3, random));
    if (scene.hasWater) {
        QLinearGradient water(0, horizon, 0, size.height());
        water.setColorAt(0, scene.water.lighter(130));
        water.setColorAt(1, scene.water.darker(140));
        p.fillRect(QRectF(0, horizon, size.width(), size.height() - horizon), water);
        p.setPen(QPen(QColor(255, 255, 255, 60), 2));
        for (int i = 0; i < 40; ++i) {
            const double y = horizon + random.bounded(size.height() - horizon);
            const double x = random.bounded(size.width());
            p.drawLine(QPointF(x, y), QPointF(x + 20 + random.bounded(80.0), y));
        }
        p.setPen(Qt::NoPen);
    } else {
        QLinearGradient ground(0, horizon, 0, size.height());
        ground.setColorAt(0, scene.near.lighter(115));
        ground.setColorAt(1, scene.near.darker(150));
        p.setBrush(ground);
        p.drawPath(ridge(size, size.height() * 0.95, size.height() * 0.22, 2, random));
    }
    p.end();

    // A little sensor grain, so the pictures compress like photographs.
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int n = int(random.bounded(9)) - 4;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255), qBound(0, qBlue(c) + n, 255));
        }
    }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_photos OUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "make_sample_photos: cannot make %s\n", argv[1]);
        return 1;
    }
    constexpr int kJpegQuality = 88;
    int number = 1;
    for (const Scene& scene : kScenes) {
        const QString name = QStringLiteral("Photo%1.jpg").arg(number, 2, 10, QLatin1Char('0'));
        if (!paint(scene, quint32(number)).save(out.filePath(name), "JPEG", kJpegQuality)) {
            std::fprintf(stderr, "make_sample_photos: cannot write %s\n", qPrintable(out.filePath(name)));
            return 1;
        }
        ++number;
    }
    return 0;
}
