// Export to image files, read back with Qt's decoders: size, resolution,
// content and transparency per type, bands against the one-piece render,
// photos read at reduced size against a full read, the failures and what
// they leave on disk, and photos that cannot be read.

#include "photolike.h"
#include "renderfixture.h"

#include "photoitem.h"
#include "progress.h"

#include <QFile>
#include <QImageReader>
#include <QLinearGradient>
#include <QRadialGradient>

using namespace RenderTest;

namespace {

constexpr QRgb kRed = 0xFFD02020;
constexpr QRgb kGreen = 0xFF20B040;
constexpr double kMetresPerInch = 0.0254;

QImage photoWithAlpha(QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QRadialGradient fade(QPointF(size.width() / 2.0, size.height() / 2.0), size.width() / 2.0);
    fade.setColorAt(0, QColor(40, 160, 60, 255));
    fade.setColorAt(1, QColor(40, 160, 60, 0));
    painter.fillRect(image.rect(), fade);
    return image;
}

class Export : public RenderFixture
{
protected:
    CExportResult exportAs(const QString& name, const QString& type, QSize size, CExportRequest request = {})
    {
        request.path = path(name);
        request.type = type;
        request.width = size.width();
        request.height = size.height();
        return ExportImage(*renderer, exportCanvas(), request, &services->progress());
    }

    // A collage with what can go wrong between bands: rotation, crop,
    // alpha, tone, a photo with its own transparency, shadows and borders.
    void busyCollage()
    {
        frames().setBorderEnabled(true);
        frames().setBorderWidth(0.04f);
        const QString photo = writePhoto("photo.png", photoLikePicture(QSize(400, 300)));
        addFrame({0.2, 0.2, 1.6, 1.2}, photo).setRotation(17.0f);
        CPicInfo& toned = addFrame({2.1, 0.3, 1.5, 1.1}, photo);
        toned.setAlpha(0.7f);
        toned.setContrast(1.4f);
        CPicInfo& cropped = addFrame({0.4, 1.6, 1.4, 1.2}, photo);
        cropped.setImageSize(2.4f, 1.8f);
        addFrame({2.0, 1.5, 1.6, 1.3}, writePhoto("alpha.png", photoWithAlpha(QSize(200, 200)))).setRotation(-8.0f);
    }
};

TEST_F(Export, TheEncodersAreQtsWithAllImageTypesFirstInTheFilters)
{
    ASSERT_TRUE(ImageEncoders::FindEncoder("JPG"));
    EXPECT_EQ(ImageEncoders::FindEncoder("JPG")->mimeType, "image/jpeg");
    EXPECT_EQ(ImageEncoders::FindEncoder("image/png")->extensions.first(), "png");
    EXPECT_EQ(ImageEncoders::EncoderForFileName("a.b.PNG")->format, "png");
    EXPECT_FALSE(ImageEncoders::FindEncoder("doc"));
    const QStringList filters = ImageEncoders::FileDialogFilters();
    ASSERT_EQ(filters.size(), int(ImageEncoders::ListEncoders().size()) + 1);
    EXPECT_TRUE(filters.first().startsWith("All Image Types (") && filters.first().contains("*.jpg"));
}

class ExportTypes : public Export, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(ExportTypes, ThePictureHasTheSizeTheResolutionAndTheFrames)
{
    frames().setCanvasColour(0xFF808080);
    addFrame({1, 1, 2, 1}, solidPhoto("a.png", kRed));
    CExportRequest request;
    request.dotsPerInch = 123.0f;
    const QString name = QString("out.") + GetParam();
    ASSERT_TRUE(exportAs(name, GetParam(), QSize(400, 300), request).ok());
    const QImage read(path(name));
    ASSERT_EQ(read.size(), QSize(400, 300));
    EXPECT_NEAR(read.dotsPerMeterX(), 123.0 / kMetresPerInch, 1.0);
    EXPECT_NEAR(read.dotsPerMeterY(), 123.0 / kMetresPerInch, 1.0);
    const QColor frame = meanColour(read, QRect(150, 130, 100, 40));
    EXPECT_NEAR(frame.red(), qRed(kRed), 6);
    EXPECT_NEAR(frame.green(), qGreen(kRed), 6);
    EXPECT_NEAR(meanColour(read, QRect(5, 5, 20, 20)).red(), 0x80, 4);
    EXPECT_EQ(QDir(home.path()).entryList({"out*"}, QDir::Files), QStringList{name}) << "no temporary left";
}

INSTANTIATE_TEST_SUITE_P(Types, ExportTypes, ::testing::Values("jpg", "png", "bmp", "tif"));

TEST_F(Export, OnlyPngLeavesTheCanvasTransparent)
{
    addFrame({1, 1, 2, 1}, solidPhoto("a.png", kRed));
    CExportRequest request;
    request.transparentCanvas = true;
    ASSERT_TRUE(exportAs("clear.png", "png", QSize(400, 300), request).ok());
    const QImage png(path("clear.png"));
    EXPECT_EQ(qAlpha(png.pixel(5, 5)), 0);
    EXPECT_EQ(qAlpha(png.pixel(200, 150)), 255);
    ASSERT_TRUE(exportAs("opaque.jpg", "jpg", QSize(400, 300), request).ok());
    EXPECT_GT(qRed(QImage(path("opaque.jpg")).pixel(5, 5)), 240) << "the canvas colour";
}

TEST_F(Export, BandsGiveTheOnePieceRender)
{
    busyCollage();
    CExportRequest request;
    request.bandRows = 37;
    ASSERT_TRUE(exportAs("bands.png", "png", QSize(800, 600), request).ok());
    const QImage bands(path("bands.png"));

    QImage whole(800, 600, QImage::Format_RGB32);
    whole.fill(kCanvas);
    CPageSetup page;
    page.dpi = CPageSetup::kDefaultDpi;
    page.zoom = float(200.0 / page.dpi);
    {
        RenderQuality::CHighQualityScope highQuality;
        const auto surface = CreateSurfaceOnBitmap(whole, page);
        ASSERT_EQ(renderer->Draw(*surface, QRectF(0, 0, kCanvasWidth, kCanvasHeight), CFrameSelector::all(),
                                 CCollageRenderer::kKeepZoom, RenderPurpose::Export),
                  DrawStatus::Done);
    }
    // Drawing a band moves every coordinate by its top, so a few smoothed
    // edge pixels round the other way by a level or two; the seam rows are
    // no worse than any others.
    const PixelDifference d = compare(bands, whole);
    EXPECT_LE(d.max, 2);
    EXPECT_LT(d.differing, 800) << "of 480,000 pixels";
    double seamDiffering = 0, otherDiffering = 0;
    int seamRows = 0;
    for (int y = 0; y < whole.height(); ++y) {
        const PixelDifference row = compare(bands.copy(0, y, 800, 1), whole.copy(0, y, 800, 1));
        const bool seam = y % request.bandRows == 0 || y % request.bandRows == request.bandRows - 1;
        (seam ? seamDiffering : otherDiffering) += double(row.differing);
        seamRows += seam;
    }
    EXPECT_LE(seamDiffering / seamRows, 2.0 * otherDiffering / (whole.height() - seamRows) + 0.5);
}

TEST_F(Export, AJpegReadAtTheSizeShownLooksLikeAFullReadScaledDown)
{
    frames().setShadowEnabled(false);
    frames().setBorderEnabled(false);
    const QString jpeg = path("big.jpg");
    ASSERT_TRUE(photoLikePicture(QSize(3000, 2000)).save(jpeg, "JPEG", 92));
    // The same pixels as read whole: a PNG is always read whole, then reduced.
    const QString whole = writePhoto("big.png", QImage(jpeg));
    CPicInfo& frame = addFrame({0.5, 0.5, 3, 2}, jpeg);
    ASSERT_TRUE(exportAs("reduced.png", "png", QSize(400, 300)).ok());
    frame.setPhoto(services->photos().FindPhoto(whole, true));
    ASSERT_TRUE(exportAs("whole.png", "png", QSize(400, 300)).ok());
    const PixelDifference d = compare(QImage(path("reduced.png")), QImage(path("whole.png")));
    EXPECT_LT(d.mean, 1.0);
    EXPECT_LT(d.max, 40);
}

TEST_F(Export, A50000PixelSquareIsTooMuchForOnePieceAndLeavesNoFile)
{
    addFrame({1, 1, 2, 1}, solidPhoto("a.png", kRed));
    const CExportResult result = exportAs("huge.bmp", "bmp", QSize(50000, 50000));
    EXPECT_EQ(result.messageKey, "ResTooHigh");
    EXPECT_TRUE(QDir(home.path()).entryList({"huge*"}, QDir::Files).isEmpty());
}

TEST_F(Export, FailuresNameTheirMessageAndLeaveAnOlderFileAsItWas)
{
    addFrame({1, 1, 2, 1}, solidPhoto("a.png", kRed));
    QFile old(path("old.webp"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older picture");
    old.close();
    CExportRequest request;
    request.path = path("old.webp");
    request.type = "webp";
    request.width = 20000; // beyond what WebP can hold
    request.height = 20;
    EXPECT_EQ(ExportImage(*renderer, {1000.0f, 1.0f, CanvasUnit::Inch, kCanvas}, request).messageKey, "ExportErr");
    QFile kept(path("old.webp"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "older picture");

    EXPECT_EQ(exportAs("no such folder/out.jpg", "jpg", QSize(100, 75)).messageKey, "ExportInterrupt");
    EXPECT_EQ(exportAs("out.xyz", "xyz", QSize(100, 75)).messageKey, "NoFileEncoder");
}

TEST_F(Export, ProgressShowsTheStepsAndACancelLeavesNothing)
{
    addFrame({1, 1, 2, 1}, solidPhoto("a.png", kRed));
    QObject scope;
    QStringList texts;
    QObject::connect(&services->progress(), &CProgress::textChanged, &scope, [&](const QString& text) { texts << text; });
    ASSERT_TRUE(exportAs("steps.jpg", "jpg", QSize(400, 300)).ok());
    EXPECT_EQ(texts, (QStringList{ExportTexts::kProcessing, "a.png", ExportTexts::kSaving}));
    EXPECT_FALSE(services->progress().isActive());

    QObject::connect(&services->progress(), &CProgress::textChanged, &scope, [&](const QString& text) {
        if (text == "a.png")
            services->progress().cancel();
    });
    const CExportResult result = exportAs("cancelled.jpg", "jpg", QSize(400, 300));
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.messageKey.isEmpty());
    EXPECT_FALSE(QFile::exists(path("cancelled.jpg")));
}

TEST_F(Export, PhotosThatCannotBeReadDrawTheirStandInsAndTheExportSucceeds)
{
    frames().setShadowEnabled(false);
    frames().setBorderEnabled(false);
    const QString gone = solidPhoto("gone.png", kGreen);
    CPicInfo& remembered = addFrame({0.1, 0.1, 1.8, 1.3}, gone);
    images->GetWorkingCopy(*remembered.photo()); // what was last seen of it
    ASSERT_TRUE(QFile::remove(gone));
    QFile garbage(path("garbage.jpg"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(5000, '\x5A'));
    garbage.close();
    CPicInfo& broken = addFrame({2.1, 0.1, 1.8, 1.3}, path("garbage.jpg"));
    QFile(path("empty.jpg")).open(QIODevice::WriteOnly);
    addFrame({0.1, 1.6, 1.8, 1.3}, path("empty.jpg"));

    ASSERT_TRUE(exportAs("standins.png", "png", QSize(400, 300)).ok());
    const QImage out(path("standins.png"));
    EXPECT_NEAR(meanColour(out, QRect(60, 40, 60, 40)).green(), qGreen(kGreen), 4);
    EXPECT_EQ(QColor(out.pixel(300, 70)).rgb(), CMyPhotos::kInvalidPlaceholderColour);
    EXPECT_TRUE(remembered.photo()->isMissing());
    EXPECT_TRUE(broken.photo()->isInvalid());
}

} // namespace
