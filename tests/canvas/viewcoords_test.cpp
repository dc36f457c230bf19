// The view's coordinate state without a view: zoom clamping, the size of a
// pixel in either canvas unit, and the mapping between device pixels and
// canvas points with the canvas origin.

#include "viewcoords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kTolerance = 1e-4;

TEST(ViewCoords, ZoomIsClampedAndALimitStepChangesNothing)
{
    CViewCoords coords;
    EXPECT_TRUE(coords.setZoom(20.0f));
    EXPECT_EQ(coords.zoom(), 8.0f);
    EXPECT_FALSE(coords.setZoom(9.0f)) << "a step beyond the limit must not count as a change";
    EXPECT_TRUE(coords.setZoom(0.0f));
    EXPECT_EQ(coords.zoom(), 0.06f);
    EXPECT_FALSE(coords.setZoom(-3.0f));
    EXPECT_FALSE(coords.setZoom(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(coords.zoom(), 0.06f);
    EXPECT_TRUE(coords.setZoom(std::numeric_limits<float>::infinity()));
    EXPECT_EQ(coords.zoom(), 8.0f);
}

TEST(ViewCoords, RepeatedZoomInStopsAtEightAndZoomOutAtTheMinimum)
{
    CViewCoords coords;
    int changes = 0;
    for (int i = 0; i < 200; ++i)
        changes += coords.setZoom(coords.steppedZoom(CViewCoords::ZoomDirection::In, false)) ? 1 : 0;
    EXPECT_EQ(coords.zoom(), 8.0f);
    EXPECT_LT(changes, 200);
    for (int i = 0; i < 400; ++i)
        coords.setZoom(coords.steppedZoom(CViewCoords::ZoomDirection::Out, true));
    EXPECT_EQ(coords.zoom(), 0.06f);
}

TEST(ViewCoords, AZoomStepIsSixAndTwoThirdsPercentOrTwoAndAHalfWithShift)
{
    CViewCoords coords;
    coords.setZoom(3.0f);
    EXPECT_NEAR(coords.steppedZoom(CViewCoords::ZoomDirection::In, false), 3.0 * (1.0 + 0.4 / 6.0), kTolerance);
    EXPECT_NEAR(coords.steppedZoom(CViewCoords::ZoomDirection::Out, false), 3.0 * (1.0 - 0.4 / 6.0), kTolerance);
    EXPECT_NEAR(coords.steppedZoom(CViewCoords::ZoomDirection::In, true), 3.0 * 1.025, kTolerance);
}

TEST(ViewCoords, CentimetresAreDrawnInMillimetresAtTenTimesTheScale)
{
    CViewCoords coords;
    coords.setZoom(2.0f);
    EXPECT_TRUE(coords.setUnit(CanvasUnit::Centimetre));
    EXPECT_EQ(coords.pageUnitCode(), 6);
    EXPECT_FLOAT_EQ(coords.pageScale(), 20.0f);
    // One centimetre at zoom 2 on a 96 dpi screen: 2 × 96 ÷ 2.54 pixels.
    EXPECT_NEAR(coords.pixelsPerUnitX(), 2.0 * 96.0 / 2.54, kTolerance);
    EXPECT_FALSE(coords.setUnit(CanvasUnit::Centimetre));
}

TEST(ViewCoords, AResolutionThatIsNoPositiveNumberFallsBackToTheDefault)
{
    const CViewCoords coords(0.0f, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(coords.dotsPerInchX(), 96.0f);
    EXPECT_EQ(coords.dotsPerInchY(), 96.0f);
    EXPECT_TRUE(std::isfinite(coords.pixelWidth()));
}

TEST(ViewCoords, OriginRefusesNonFiniteValues)
{
    CViewCoords coords;
    EXPECT_TRUE(coords.setOrigin(1.0f, -2.0f));
    EXPECT_FALSE(coords.setOrigin(1.0f, -2.0f));
    EXPECT_FALSE(coords.setOrigin(std::numeric_limits<float>::infinity(), 0.0f));
    EXPECT_EQ(coords.origin(), QPointF(1.0, -2.0));
}

// --- The pixel size and the mapping at a table of zooms, units and screens

struct MappingCase
{
    CanvasUnit unit;
    float zoom;
    float dpiX;
    float dpiY;
    double expectedPixelWidth; // canvas units per device pixel
    double expectedPixelHeight;
};

class ViewCoordsMapping : public ::testing::TestWithParam<MappingCase>
{
protected:
    CViewCoords coordsFor(const MappingCase& c)
    {
        CViewCoords coords(c.dpiX, c.dpiY);
        coords.setUnit(c.unit);
        coords.setZoom(c.zoom);
        coords.setOrigin(0.25f, 0.5f);
        return coords;
    }
};

TEST_P(ViewCoordsMapping, PixelSizeIsTheInverseOfZoomTimesResolution)
{
    const MappingCase c = GetParam();
    const CViewCoords coords = coordsFor(c);
    EXPECT_NEAR(coords.pixelWidth(), c.expectedPixelWidth, c.expectedPixelWidth * 1e-5);
    EXPECT_NEAR(coords.pixelHeight(), c.expectedPixelHeight, c.expectedPixelHeight * 1e-5);
    // One pixel further on the screen is one pixel size further on the canvas.
    const QPointF a = coords.deviceToCanvas(QPointF(100.0, 100.0));
    const QPointF b = coords.deviceToCanvas(QPointF(101.0, 101.0));
    EXPECT_NEAR(b.x() - a.x(), c.expectedPixelWidth, c.expectedPixelWidth * 1e-4);
    EXPECT_NEAR(b.y() - a.y(), c.expectedPixelHeight, c.expectedPixelHeight * 1e-4);
}

TEST_P(ViewCoordsMapping, TheCanvasCornerLiesAtTheOriginAndMappingRoundTrips)
{
    const MappingCase c = GetParam();
    const CViewCoords coords = coordsFor(c);
    const QPointF corner = coords.canvasToDevice(QPointF(0.0, 0.0));
    EXPECT_NEAR(corner.x(), 0.25 / c.expectedPixelWidth, 1e-2);
    EXPECT_NEAR(corner.y(), 0.5 / c.expectedPixelHeight, 1e-2);

    const QPointF canvas(3.75, -1.5);
    const QPointF back = coords.deviceToCanvas(coords.canvasToDevice(canvas));
    EXPECT_NEAR(back.x(), canvas.x(), kTolerance);
    EXPECT_NEAR(back.y(), canvas.y(), kTolerance);
}

TEST_P(ViewCoordsMapping, RectanglesMapBothCornersAndComeBackNormalised)
{
    const MappingCase c = GetParam();
    const CViewCoords coords = coordsFor(c);
    const QRectF flipped(4.0, 3.0, -2.0, -1.0); // the rectangle (2, 2, 2, 1) given from its far corner
    const QRectF device = coords.canvasToDevice(flipped);
    EXPECT_GT(device.width(), 0.0);
    EXPECT_NEAR(device.width(), 2.0 / c.expectedPixelWidth, 1e-2);
    EXPECT_NEAR(device.height(), 1.0 / c.expectedPixelHeight, 1e-2);
    const QRectF canvas = coords.deviceToCanvas(device);
    EXPECT_NEAR(canvas.x(), 2.0, kTolerance);
    EXPECT_NEAR(canvas.y(), 2.0, kTolerance);
    EXPECT_NEAR(canvas.width(), 2.0, kTolerance);

    const QRectF grown = coords.grownByOnePixel(QRectF(1.0, 1.0, 2.0, 2.0));
    EXPECT_NEAR(grown.width() - 2.0, c.expectedPixelWidth, 1e-6);
    EXPECT_EQ(grown.topLeft(), QPointF(1.0, 1.0));
}

INSTANTIATE_TEST_SUITE_P(
    ZoomsUnitsAndScreens, ViewCoordsMapping,
    ::testing::Values(MappingCase{CanvasUnit::Inch, 1.0f, 96.0f, 96.0f, 1.0 / 96.0, 1.0 / 96.0},
                      MappingCase{CanvasUnit::Inch, 2.0f, 96.0f, 96.0f, 1.0 / 192.0, 1.0 / 192.0},
                      MappingCase{CanvasUnit::Inch, 0.06f, 96.0f, 96.0f, 1.0 / (0.06 * 96.0), 1.0 / (0.06 * 96.0)},
                      MappingCase{CanvasUnit::Inch, 8.0f, 144.0f, 72.0f, 1.0 / 1152.0, 1.0 / 576.0},
                      MappingCase{CanvasUnit::Centimetre, 1.0f, 96.0f, 96.0f, 2.54 / 96.0, 2.54 / 96.0},
                      MappingCase{CanvasUnit::Centimetre, 0.5f, 120.0f, 120.0f, 2.54 / 60.0, 2.54 / 60.0}));

} // namespace

namespace {

// --- The view's arithmetic: back buffer steps, anchored zoom, fit and centre

struct BufferCase
{
    QSize client;
    QSize expected;
};

class BackBufferSize : public ::testing::TestWithParam<BufferCase>
{
};

TEST_P(BackBufferSize, GrowsInFourHundredPixelStepsStrictlyAboveTheClient)
{
    EXPECT_EQ(CViewCoords::backBufferSize(GetParam().client), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ClientSizes, BackBufferSize,
                         ::testing::Values(BufferCase{{400, 300}, {800, 400}}, BufferCase{{401, 399}, {800, 400}},
                                           BufferCase{{799, 1}, {800, 400}}, BufferCase{{800, 800}, {1200, 1200}},
                                           BufferCase{{1920, 1080}, {2000, 1200}}, BufferCase{{0, 500}, {}},
                                           BufferCase{{500, -3}, {}}));

struct AnchorCase
{
    float zoom;
    bool zoomIn;
    bool fine;
    QPointF anchor;   // canvas units, may lie outside the canvas
    QPointF expected; // the canvas point that must keep its place on the screen
};

class AnchoredZoom : public ::testing::TestWithParam<AnchorCase>
{
};

TEST_P(AnchoredZoom, TheCanvasPointUnderTheCursorStaysPut)
{
    const AnchorCase c = GetParam();
    CViewCoords coords(96.0f, 96.0f);
    coords.setZoom(c.zoom);
    coords.setOrigin(0.7f, -1.3f);
    const QSizeF canvas(10.0, 7.5);
    const QPointF before = coords.canvasToDevice(c.expected);
    const auto direction = c.zoomIn ? CViewCoords::ZoomDirection::In : CViewCoords::ZoomDirection::Out;
    ASSERT_TRUE(coords.zoomAround(coords.steppedZoom(direction, c.fine), c.anchor, canvas));
    const QPointF after = coords.canvasToDevice(c.expected);
    EXPECT_NEAR(after.x(), before.x(), 1e-2);
    EXPECT_NEAR(after.y(), before.y(), 1e-2);
}

INSTANTIATE_TEST_SUITE_P(
    AnchorsAndSteps, AnchoredZoom,
    ::testing::Values(AnchorCase{1.0f, true, false, {5.0, 3.0}, {5.0, 3.0}},
                      AnchorCase{1.0f, false, false, {0.25, 7.0}, {0.25, 7.0}},
                      AnchorCase{2.5f, true, true, {9.9, 0.1}, {9.9, 0.1}},
                      AnchorCase{0.1f, false, true, {3.3, 3.3}, {3.3, 3.3}},
                      // Outside the canvas the nearest edge or corner keeps its place.
                      AnchorCase{1.0f, true, false, {-4.0, 3.0}, {0.0, 3.0}},
                      AnchorCase{1.0f, true, false, {14.0, 12.0}, {10.0, 7.5}},
                      AnchorCase{3.0f, false, false, {5.0, -2.0}, {5.0, 0.0}}));

TEST(ViewArithmetic, AZoomStepAtTheLimitChangesNeitherZoomNorOrigin)
{
    CViewCoords coords;
    coords.setZoom(CViewCoords::kMaxZoom);
    coords.setOrigin(1.0f, 2.0f);
    EXPECT_FALSE(coords.zoomAround(coords.steppedZoom(CViewCoords::ZoomDirection::In, false), {3, 3}, {10, 7.5}));
    EXPECT_EQ(coords.origin(), QPointF(1.0, 2.0));
    coords.setZoom(CViewCoords::kMinZoom);
    EXPECT_FALSE(coords.zoomAround(coords.steppedZoom(CViewCoords::ZoomDirection::Out, true), {3, 3}, {10, 7.5}));
}

struct FitCase
{
    QSize client;
    QSizeF canvas;
    float zoom;
    double expected;
};

class ResetZoom : public ::testing::TestWithParam<FitCase>
{
};

TEST_P(ResetZoom, FitsTheCanvasWithItsMarginIntoTheClientArea)
{
    const FitCase c = GetParam();
    CViewCoords coords(96.0f, 96.0f);
    coords.setZoom(c.zoom);
    EXPECT_NEAR(coords.fitZoom(c.client, c.canvas), c.expected, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(
    ClientsAndCanvases, ResetZoom,
    ::testing::Values(
        // 10.4 × 7.9 inches with the margins; 960 px across is the tighter.
        FitCase{{960, 960}, {10.0, 7.5}, 1.0f, 960.0 / (10.4 * 96.0)},
        // The result does not depend on the zoom it starts from.
        FitCase{{960, 960}, {10.0, 7.5}, 3.0f, 960.0 / (10.4 * 96.0)},
        FitCase{{2000, 500}, {10.0, 7.5}, 1.0f, 500.0 / (7.9 * 96.0)},
        // A canvas without width: that direction counts 100 %, the other decides.
        FitCase{{800, 600}, {0.0, 7.5}, 1.0f, 600.0 / (7.9 * 96.0)},
        FitCase{{800, 6000}, {0.0, 7.5}, 2.0f, 2.0},
        // No client pixels: the zoom stays.
        FitCase{{0, 0}, {10.0, 7.5}, 1.5f, 1.5}));

TEST(ViewArithmetic, CenterViewPutsTheCanvasInTheMiddleOfTheClientArea)
{
    CViewCoords coords(96.0f, 96.0f);
    coords.setZoom(2.0f);
    const QPointF origin = coords.centredOrigin(QSize(1920, 960), QSizeF(4.0, 3.0));
    // 1920 px at 192 px per inch is 10 inches: (10 − 4) ÷ 2 + 0.1.
    EXPECT_NEAR(origin.x(), 3.1, 1e-5);
    EXPECT_NEAR(origin.y(), 1.1, 1e-5);
}

TEST(ViewArithmetic, AZoomDragKeepsTheCanvasCornerWhereItIs)
{
    CViewCoords coords(96.0f, 96.0f);
    coords.setOrigin(0.5f, 0.25f);
    const QPointF corner = coords.canvasToDevice(QPointF(0, 0));
    ASSERT_TRUE(coords.zoomByDrag(250));
    EXPECT_NEAR(coords.zoom(), 1.25, 1e-5);
    EXPECT_NEAR(coords.canvasToDevice(QPointF(0, 0)).x(), corner.x(), 1e-2);
    EXPECT_NEAR(coords.canvasToDevice(QPointF(0, 0)).y(), corner.y(), 1e-2);
    EXPECT_FALSE(coords.zoomByDrag(0));
}

TEST(ViewArithmetic, PanningMovesTheCanvasByWholePixelsOnTheScreen)
{
    CViewCoords coords(96.0f, 96.0f);
    coords.setZoom(0.5f);
    const QPointF before = coords.canvasToDevice(QPointF(1, 1));
    const QPointF origin = coords.pannedOrigin(QPointF(15, -5));
    coords.setOrigin(float(origin.x()), float(origin.y()));
    EXPECT_NEAR(coords.canvasToDevice(QPointF(1, 1)).x() - before.x(), 15.0, 1e-3);
    EXPECT_NEAR(coords.canvasToDevice(QPointF(1, 1)).y() - before.y(), -5.0, 1e-3);
}

} // namespace
