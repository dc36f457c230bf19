// A small project drawn for output and for the screen, compared with stored
// reference pictures: rotation, crop, alpha, tone, shadows, borders, an
// empty frame and a hidden printer page segment.
//
// The references are regenerated only on purpose, by scripts/regenerate-golden
// (which sets OMBRAVELLE_REGENERATE_GOLDEN); look at them before committing.

#include "renderfixture.h"

#include <QLinearGradient>

using namespace RenderTest;

namespace {

// Smoothing differs a little between Qt builds and processors.
constexpr int kPixelTolerance = 10;
constexpr double kMaxMeanDifference = 0.6;
constexpr double kMaxShareOverTolerance = 0.002;

QImage stripes(QSize size, QColor a, QColor b)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient ramp(0, 0, size.width(), 0);
    ramp.setColorAt(0, a);
    ramp.setColorAt(1, b);
    painter.fillRect(image.rect(), ramp);
    for (int y = 0; y < size.height(); y += size.height() / 6)
        painter.fillRect(QRect(0, y, size.width(), size.height() / 24), Qt::black);
    painter.fillRect(QRect(size.width() / 3, size.height() / 3, size.width() / 6, size.height() / 6), Qt::white);
    return image;
}

class Golden : public RenderFixture
{
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        frames().setCanvasColour(0xFFEAE8D8);
        frames().setBorderEnabled(true);
        frames().setBorderWidth(0.04f);
        frames().setBorderColour(0xFFF8F8F0);
        frames().setShadowEnabled(true);
        const QString warm = writePhoto("warm.png", stripes(QSize(320, 240), QColor(220, 120, 40), QColor(250, 220, 90)));
        const QString cool = writePhoto("cool.png", stripes(QSize(240, 320), QColor(30, 80, 200), QColor(90, 210, 220)));
        addFrame({0.25, 0.3, 1.6, 1.2}, warm).setRotation(-12.0f);
        CPicInfo& cropped = addFrame({2.1, 0.25, 1.6, 1.3}, cool);
        cropped.setImageSize(2.4f, 3.2f);
        cropped.setImagePos(1.7f, -0.6f);
        CPicInfo& faded = addFrame({1.3, 1.0, 1.4, 1.1}, warm);
        faded.setAlpha(0.6f);
        faded.setBrightness(0.1f);
        faded.setRotation(90.0f);
        addFrame({0.3, 1.9, 0.9, 0.8}); // no photo
        CFrameOps(frames()).createFrame(CCanvasRect{0.0f, 0.0f, 2.0f, 3.0f}, 2); // page segments stay hidden
    }

    void expectMatchesReference(const QImage& picture, const QString& name)
    {
        const QString reference = QStringLiteral(GOLDEN_DIR "/") + name;
        if (qEnvironmentVariableIsSet("OMBRAVELLE_REGENERATE_GOLDEN")) {
            ASSERT_TRUE(picture.save(reference, "PNG"));
            GTEST_SKIP() << "wrote " << reference.toStdString();
        }
        const QImage stored(reference);
        ASSERT_FALSE(stored.isNull()) << "no reference " << reference.toStdString();
        ASSERT_EQ(stored.size(), picture.size());
        const QImage a = picture.convertToFormat(QImage::Format_ARGB32);
        const QImage b = stored.convertToFormat(QImage::Format_ARGB32);
        qint64 over = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                const int worst = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                            std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
                over += worst > kPixelTolerance;
            }
        }
        EXPECT_LT(compare(a, b).mean, kMaxMeanDifference);
        EXPECT_LE(double(over) / (a.width() * double(a.height())), kMaxShareOverTolerance);
    }
};

TEST_F(Golden, TheExportedPictureMatchesItsReference)
{
    CExportRequest request;
    request.path = path("golden.png");
    request.type = "png";
    request.width = 480;
    request.height = 360;
    ASSERT_TRUE(ExportImage(*renderer, exportCanvas(), request).ok());
    expectMatchesReference(QImage(request.path), "export.png");
}

TEST_F(Golden, TheCanvasRenderMatchesItsReference)
{
    RenderQuality::setPreviewQuality(RenderQuality::Good);
    expectMatchesReference(render(110.0, RenderPurpose::Canvas), "canvas.png");
}

} // namespace
