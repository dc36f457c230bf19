// Surfaces and render quality: the page set-up in inches and centimetres,
// the quality table and the process-wide flags, and images drawn smaller at
// each interpolation; bitmaps on pages of their own.

#include "rendermemory.h"
#include "surfaces.h"

#include <gtest/gtest.h>

namespace {

// Leaves the process-wide flags as it found them.
class SurfacesTest : public ::testing::Test
{
protected:
    SurfacesTest()
        : m_highQuality(RenderQuality::isHighQuality())
        , m_bilinear(RenderQuality::isBilinear())
    {
    }
    ~SurfacesTest() override
    {
        RenderQuality::SetHighQuality(m_highQuality);
        RenderQuality::SwapBilinear(m_bilinear);
    }

private:
    bool m_highQuality;
    bool m_bilinear;
};

// Every fourth column black, the rest white: a quarter black on average,
// while sampling between two white columns sees only white.
QImage thinLines(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x % 4 == 0 ? 0xFF000000 : 0xFFFFFFFF);
    return image;
}

// The grey level of the middle of a 40 × 40 image drawn 10 × 10.
int greyDrawnQuarterSize(bool highQuality, bool bilinear)
{
    RenderQuality::SwapBilinear(bilinear);
    RenderQuality::SetHighQuality(highQuality);
    QImage target(10, 10, QImage::Format_ARGB32_Premultiplied);
    target.fill(0xFF808080);
    CPageSetup page;
    page.dpi = 10.0; // one canvas inch is ten pixels
    {
        const auto surface = CreateSurfaceOnBitmap(target, page);
        EXPECT_TRUE(surface);
        DrawImageScaled(surface->painter(), QRectF(0, 0, 1, 1), thinLines(40, 40));
    }
    return qRed(target.pixel(5, 5));
}

} // namespace

TEST_F(SurfacesTest, OneCanvasInchIsZoomTimesTheDevicesDotsPerInch)
{
    CPageSetup page;
    page.zoom = 1.5f;
    EXPECT_EQ(page.pageUnitCode(), PageUnit::Inch);
    EXPECT_DOUBLE_EQ(page.pageScale(), 1.5);
    EXPECT_DOUBLE_EQ(page.pixelsPerUnit(96.0), 144.0);

    QImage bitmap(200, 100, QImage::Format_ARGB32_Premultiplied);
    const auto surface = CreateSurfaceOnBitmap(bitmap, page);
    ASSERT_TRUE(surface);
    EXPECT_DOUBLE_EQ(surface->pixelsPerUnitX(), 1.5 * bitmap.logicalDpiX());
    EXPECT_EQ(surface->painter().worldTransform().map(QPointF(1, 1)),
              QPointF(surface->pixelsPerUnitX(), surface->pixelsPerUnitY()));
}

TEST_F(SurfacesTest, ACentimetreCanvasDrawsInMillimetresWithTenTimesTheScale)
{
    CPageSetup page;
    page.unit = canvasUnitFromPageUnit(PageUnit::Millimetre);
    page.zoom = 2.0f;
    page.dpi = 254.0;
    EXPECT_EQ(page.unit, CanvasUnit::Centimetre);
    EXPECT_EQ(page.pageUnitCode(), PageUnit::Millimetre);
    EXPECT_DOUBLE_EQ(page.pageScale(), 20.0);
    // 254 dots per inch are 10 per millimetre, 100 per centimetre, doubled.
    const auto surface = CreateMeasuringSurface(page);
    ASSERT_TRUE(surface);
    EXPECT_DOUBLE_EQ(surface->pixelsPerUnitX(), 200.0);
    EXPECT_DOUBLE_EQ(surface->pixelSize().width(), 0.005);

    EXPECT_EQ(canvasUnitFromPageUnit(PageUnit::Inch), CanvasUnit::Inch);
    EXPECT_EQ(canvasUnitFromPageUnit(99), CanvasUnit::Inch);
}

TEST_F(SurfacesTest, SurfacesThatCannotMapAnythingAreNotMade)
{
    QImage none;
    EXPECT_FALSE(CreateSurfaceOnBitmap(none, CPageSetup()));
    CPageSetup flat;
    flat.zoom = 0.0f;
    EXPECT_FALSE(CreateMeasuringSurface(flat));
}

TEST_F(SurfacesTest, ResetTransformDropsTranslationAndClip)
{
    QImage bitmap(50, 50, QImage::Format_ARGB32_Premultiplied);
    const auto surface = CreateSurfaceOnBitmap(bitmap, CPageSetup());
    ASSERT_TRUE(surface);
    surface->painter().translate(3, 4);
    surface->painter().setClipRect(QRectF(0, 0, 0.1, 0.1));
    surface->resetTransform();
    EXPECT_FALSE(surface->painter().hasClipping());
    EXPECT_EQ(surface->painter().worldTransform().map(QPointF(0, 0)), QPointF(0, 0));
}

TEST_F(SurfacesTest, FlagsFollowThePreviewQualityAndSwapBackTheirOldValue)
{
    RenderQuality::setPreviewQuality(RenderQuality::Fast);
    EXPECT_FALSE(RenderQuality::isBilinear());
    RenderQuality::setPreviewQuality(RenderQuality::Good);
    EXPECT_TRUE(RenderQuality::isBilinear());
    EXPECT_FALSE(RenderQuality::previewUsesFullImage(RenderQuality::Good));
    EXPECT_TRUE(RenderQuality::previewUsesFullImage(RenderQuality::Excellent));
    EXPECT_TRUE(RenderQuality::SwapBilinear(false));
    EXPECT_FALSE(RenderQuality::SwapBilinear(true));

    RenderQuality::SetHighQuality(false);
    {
        RenderQuality::CHighQualityScope output;
        EXPECT_TRUE(RenderQuality::isHighQuality());
        QImage bitmap(4, 4, QImage::Format_ARGB32_Premultiplied);
        const auto surface = CreateSurfaceOnBitmap(bitmap, CPageSetup());
        EXPECT_EQ(InterpolationOf(surface->painter()), Interpolation::HighQualityBicubic);
    }
    EXPECT_FALSE(RenderQuality::isHighQuality());

    EXPECT_EQ(RenderQuality::previewQualityTip(RenderQuality::Good),
              "Good Quality\r(High quality with fast software speed)");
    EXPECT_TRUE(RenderQuality::previewQualityTip(3).isEmpty());
}

TEST_F(SurfacesTest, HighQualityAveragesWhatItShrinksWhereSamplingSkipsLines)
{
    // A quarter black: 191 averaged; sampling between white columns: 255.
    EXPECT_NEAR(greyDrawnQuarterSize(true, false), 191, 3);
    EXPECT_EQ(greyDrawnQuarterSize(false, true), 255);
    const int nearest = greyDrawnQuarterSize(false, false);
    EXPECT_TRUE(nearest == 0 || nearest == 255) << nearest;
}

// A bitmap on pages of its own starts as one from the heap does, and its
// pages stay until the last copy of it goes.
TEST(RenderMemoryTest, ABitmapOnItsOwnPagesIsClearedSharedAndDetachedAsAnyOther)
{
    const QSize size(1500, 1000); // large enough for a mapping of its own
    for (const QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
        const QImage fromHeap = RenderMemory::allocate(size, format);
        QImage own = RenderMemory::allocateOwnPages(size, format);
        ASSERT_FALSE(own.isNull());
        EXPECT_EQ(own.format(), format);
        EXPECT_EQ(own.pixel(0, 0), fromHeap.pixel(0, 0));
        EXPECT_EQ(own.pixel(size.width() - 1, size.height() - 1), fromHeap.pixel(0, 0));

        own.setPixel(10, 10, 0xFF123456);
        QImage copy = own;
        own.setPixel(10, 10, 0xFF654321); // the copy keeps what it had
        own = QImage();
        EXPECT_EQ(copy.pixel(10, 10), 0xFF123456u);
        EXPECT_EQ(copy.pixel(size.width() - 1, size.height() - 1), fromHeap.pixel(0, 0));
    }
    EXPECT_TRUE(RenderMemory::allocateOwnPages(QSize(100000, 100000), QImage::Format_RGB32).isNull());
}
