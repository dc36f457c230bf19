#pragma once
// Shared by the rendering tests: a fresh set of services in a temporary
// home, photos written as real files, frames made through the frame
// operations, and renders onto bitmaps through the collage renderer.

#include "collagerenderer.h"
#include "frameops.h"
#include "imageexport.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "photoimage.h"
#include "services.h"
#include "surfaces.h"
#include "testhome.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

namespace RenderTest {

constexpr QRgb kCanvas = 0xFFFFFFFF;
constexpr float kCanvasWidth = 4.0f;
constexpr float kCanvasHeight = 3.0f;

// Mean colour of a region, channels 0..255.
inline QColor meanColour(const QImage& image, const QRect& region)
{
    qint64 sum[4] = {0, 0, 0, 0};
    qint64 count = 0;
    const QRect area = region & image.rect();
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = argb.pixel(x, y);
            sum[0] += qRed(p), sum[1] += qGreen(p), sum[2] += qBlue(p), sum[3] += qAlpha(p), ++count;
        }
    }
    if (count == 0)
        return {};
    return QColor(int(sum[0] / count), int(sum[1] / count), int(sum[2] / count), int(sum[3] / count));
}

struct PixelDifference
{
    int max = 0;
    double mean = 0.0;
    qint64 differing = 0;
};

inline PixelDifference compare(const QImage& a, const QImage& b)
{
    PixelDifference d;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    if (x.size() != y.size())
        return {255, 255.0, x.width() * qint64(x.height())};
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            int worst = 0;
            for (int shift : {0, 8, 16, 24})
                worst = std::max(worst, std::abs(int((p[col] >> shift) & 0xFF) - int((q[col] >> shift) & 0xFF)));
            sum += worst;
            d.max = std::max(d.max, worst);
            d.differing += worst > 0;
        }
    }
    d.mean = double(sum) / (double(x.width()) * x.height());
    return d;
}

class RenderFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        services = std::make_unique<CServices>(home.configHome() + "/Settings.DAT", home.path() + "/photodb");
        images = std::make_unique<CPhotoImage>(services->photos());
        renderer = std::make_unique<CCollageRenderer>(frames(), *images, &services->progress());
        frames().setCanvasColour(kCanvas);
        RenderQuality::SwapBilinear(true);
    }
    void TearDown() override
    {
        renderer.reset();
        images.reset();
        services.reset();
    }

    CPicInfoManager& frames() { return services->frames(); }
    QString path(const QString& name) const { return home.path() + '/' + name; }

    // A photo file: `image` saved losslessly unless the name says JPEG.
    QString writePhoto(const QString& name, const QImage& image)
    {
        const QString file = path(name);
        QDir().mkpath(QFileInfo(file).absolutePath());
        EXPECT_TRUE(image.save(file, nullptr, 95)) << file.toStdString();
        return file;
    }
    QString solidPhoto(const QString& name, QRgb colour, QSize size = QSize(120, 90))
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        return writePhoto(name, image);
    }

    // A frame on top with the photo of `file` (none when empty).
    CPicInfo& addFrame(const QRectF& rect, const QString& file = {})
    {
        CPicInfo* frame = CFrameOps(frames()).createFrame(
            CCanvasRect{float(rect.x()), float(rect.y()), float(rect.width()), float(rect.height())});
        EXPECT_NE(frame, nullptr);
        if (!file.isEmpty())
            frame->setPhoto(services->photos().FindPhoto(file, true));
        return *frame;
    }

    // The canvas drawn at `pixelsPerUnit` through the renderer's draw.
    QImage render(double pixelsPerUnit, int purpose = RenderPurpose::Screen,
                  const CFrameSelector& selector = CFrameSelector::all(), DrawStatus* status = nullptr,
                  float zoomOverride = CCollageRenderer::kKeepZoom, bool progress = false, bool force = false)
    {
        QImage bitmap(int(std::lround(kCanvasWidth * pixelsPerUnit)), int(std::lround(kCanvasHeight * pixelsPerUnit)),
                      QImage::Format_ARGB32_Premultiplied);
        bitmap.fill(kCanvas);
        CPageSetup page;
        page.dpi = CPageSetup::kDefaultDpi;
        page.zoom = float(pixelsPerUnit / page.dpi);
        const std::unique_ptr<CSurface> surface = CreateSurfaceOnBitmap(bitmap, page);
        const DrawStatus drawn = renderer->Draw(*surface, QRectF(0, 0, kCanvasWidth, kCanvasHeight), selector,
                                                zoomOverride, purpose, progress, force);
        if (status)
            *status = drawn;
        return bitmap;
    }

    CExportCanvas exportCanvas() { return {kCanvasWidth, kCanvasHeight, CanvasUnit::Inch, frames().canvasColour()}; }

    TestHome home;
    std::unique_ptr<CServices> services;
    std::unique_ptr<CPhotoImage> images;
    std::unique_ptr<CCollageRenderer> renderer;
};

} // namespace RenderTest
