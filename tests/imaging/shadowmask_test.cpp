// The drop shadow: the zoom bands and their constants, the four smoothing
// passes checked against a plain column-by-column walk, and what the mask
// looks like around an opaque picture.

#include "shadowmask.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <vector>

namespace {

// The passes written out the slow, obvious way, one line at a time in its
// own direction.
QImage referenceMask(const QImage& picture, const CShadowBand& band)
{
    const int w = picture.width();
    const int h = picture.height();
    std::vector<std::vector<int>> a(h, std::vector<int>(w));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            a[y][x] = qAlpha(picture.pixel(x, y));
    const auto step = [&](int& v, int value) { v = (v * band.p + value * band.q) >> 15; };

    for (int y = 0; y < h; ++y) { // rows, right to left, with the threshold
        int v = a[y][w - 1];
        for (int x = w - 1; x >= 0; --x) {
            step(v, a[y][x]);
            a[y][x] = v >= band.threshold ? v - band.threshold : v;
        }
    }
    for (int x = 0; x < w; ++x) { // columns, top to bottom
        int v = a[0][x];
        for (int y = 0; y < h; ++y) {
            step(v, a[y][x]);
            a[y][x] = v;
        }
    }
    for (int y = 0; y < h; ++y) { // rows, left to right
        int v = a[y][0];
        for (int x = 0; x < w; ++x) {
            step(v, a[y][x]);
            a[y][x] = v;
        }
    }
    for (int x = 0; x < w; ++x) { // columns, bottom to top
        int v = a[h - 1][x];
        for (int y = h - 1; y >= 0; --y) {
            step(v, a[y][x]);
            a[y][x] = v;
        }
    }
    QImage mask(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            mask.setPixel(x, y, qRgba(0, 0, 0, a[y][x]));
    return mask;
}

// An opaque rectangle inside a transparent margin, the way a rotated or
// inset frame picture looks.
QImage framedPicture(int width, int height, int margin)
{
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    picture.fill(0);
    for (int y = margin; y < height - margin; ++y)
        for (int x = margin; x < width - margin; ++x)
            picture.setPixel(x, y, qRgb(200, 150, 100));
    return picture;
}

struct BandCase
{
    float zoom;
    bool transparent;
    int p, q, threshold;
};

class ShadowBandTest : public ::testing::TestWithParam<BandCase>
{
};

} // namespace

TEST_P(ShadowBandTest, ZoomAndTransparencyPickTheBand)
{
    const BandCase c = GetParam();
    const CShadowBand band = ShadowBandFor(c.zoom, c.transparent);
    EXPECT_EQ(band.p, c.p);
    EXPECT_EQ(band.q, c.q);
    EXPECT_EQ(band.threshold, c.threshold);
    EXPECT_EQ(band.p + band.q, 32767);
}

INSTANTIATE_TEST_SUITE_P(Bands, ShadowBandTest,
                         ::testing::Values(BandCase{8.0f, false, 26213, 6554, 74}, BandCase{4.0f, false, 26213, 6554, 74},
                                           BandCase{4.0f, true, 26213, 6554, 4}, BandCase{3.99f, false, 23592, 9175, 67},
                                           BandCase{3.0f, true, 23592, 9175, 12}, BandCase{2.99f, false, 20970, 11797, 65},
                                           BandCase{2.5f, true, 20970, 11797, 8}, BandCase{2.49f, false, 21626, 11141, 60},
                                           BandCase{2.0f, true, 21626, 11141, 4}, BandCase{1.99f, false, 20970, 11797, 50},
                                           BandCase{1.0f, true, 22281, 10486, 0}, BandCase{0.06f, false, 20970, 11797, 50}));

TEST(ShadowMaskTest, ASinglePixelCreepsDownOnceAPassAndLosesTheThresholdOnce)
{
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(qRgb(10, 20, 30));
    // 255 → 254, less 50, then 203, 202, 201 (32767 falls just short of 1 << 15).
    EXPECT_EQ(MakeShadowMask(dot, 1.0f, false).pixel(0, 0), qRgba(0, 0, 0, 201));
    // With transparency at a low zoom there is no threshold: 254, 253, 252, 251.
    EXPECT_EQ(MakeShadowMask(dot, 1.0f, true).pixel(0, 0), qRgba(0, 0, 0, 251));
}

TEST(ShadowMaskTest, PassesRunInTheirOwnDirectionsFromTheirOwnFirstBytes)
{
    QImage noise(37, 23, QImage::Format_ARGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgba(0, 0, 0, int(random.bounded(256))));
    for (const float zoom : {1.0f, 2.2f, 4.5f}) {
        for (const bool transparent : {false, true}) {
            const QImage mask = MakeShadowMask(noise, zoom, transparent);
            const QImage expected = referenceMask(noise, ShadowBandFor(zoom, transparent));
            ASSERT_EQ(mask.format(), QImage::Format_ARGB32_Premultiplied);
            ASSERT_EQ(mask, expected) << "zoom " << zoom << (transparent ? " transparent" : " opaque");
        }
    }
}

TEST(ShadowMaskTest, TheShadowIsBlackAndSpreadsIntoTheMarginOnEverySide)
{
    const QImage picture = framedPicture(60, 40, 10);
    const QImage mask = MakeShadowMask(picture, 1.0f, true);
    ASSERT_EQ(mask.size(), picture.size());
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            ASSERT_EQ(mask.pixel(x, y) & 0x00FFFFFF, 0u);

    const int inside = qAlpha(mask.pixel(30, 20));
    EXPECT_GT(inside, 200);
    // Blurred past each edge of the opaque block, fading with distance.
    for (const QPoint& justOutside : {QPoint(8, 20), QPoint(51, 20), QPoint(30, 8), QPoint(30, 31)})
        EXPECT_GT(qAlpha(mask.pixel(justOutside)), 0) << justOutside.x() << "," << justOutside.y();
    EXPECT_GT(qAlpha(mask.pixel(8, 20)), qAlpha(mask.pixel(4, 20)));
    EXPECT_LT(qAlpha(mask.pixel(0, 0)), 5);
}

TEST(ShadowMaskTest, OpaquePicturesAreThinnedByTheThreshold)
{
    const QImage picture = framedPicture(40, 40, 0);
    const int lowZoom = qAlpha(MakeShadowMask(picture, 1.0f, false).pixel(20, 20));
    const int highZoom = qAlpha(MakeShadowMask(picture, 5.0f, false).pixel(20, 20));
    const int transparent = qAlpha(MakeShadowMask(picture, 5.0f, true).pixel(20, 20));
    EXPECT_LT(highZoom, lowZoom);    // T 74 against T 50
    EXPECT_GT(transparent, highZoom); // T 4
}

TEST(ShadowMaskTest, DegenerateInputsGiveNothingOrAThinLine)
{
    EXPECT_TRUE(MakeShadowMask(QImage(), 1.0f, false).isNull());
    QImage line(300, 1, QImage::Format_ARGB32_Premultiplied);
    line.fill(0xFF000000);
    EXPECT_EQ(MakeShadowMask(line, 1.0f, false).size(), line.size());
    QImage column(1, 300, QImage::Format_ARGB32_Premultiplied);
    column.fill(0xFF000000);
    EXPECT_EQ(MakeShadowMask(column, 1.0f, false).size(), column.size());
}

TEST(ShadowMaskCacheTest, PicturesWithTheSameAlphaShareOneMaskAndOthersGetTheirOwn)
{
    CShadowMaskCache cache;
    QImage first = framedPicture(60, 40, 10);
    QImage second = framedPicture(60, 40, 10);
    second.fill(0);
    for (int y = 10; y < 30; ++y) // the same shape in another colour
        for (int x = 10; x < 50; ++x)
            second.setPixel(x, y, qRgb(10, 250, 30));

    const QImage shared = cache.mask(first, 1.0f, true);
    EXPECT_EQ(shared, MakeShadowMask(first, 1.0f, true));
    EXPECT_EQ(cache.mask(second, 1.0f, true).cacheKey(), shared.cacheKey());

    // One pixel of alpha, another band or another size: worked out afresh.
    second.setPixel(0, 0, qRgba(0, 0, 0, 1));
    const QImage oneAlphaPixel = cache.mask(second, 1.0f, true);
    EXPECT_NE(oneAlphaPixel.cacheKey(), shared.cacheKey());
    EXPECT_EQ(oneAlphaPixel, MakeShadowMask(second, 1.0f, true));
    EXPECT_EQ(cache.mask(first, 5.0f, true), MakeShadowMask(first, 5.0f, true));
    EXPECT_NE(cache.mask(first, 5.0f, true).cacheKey(), shared.cacheKey());
    const QImage wider = framedPicture(61, 40, 10);
    EXPECT_EQ(cache.mask(wider, 1.0f, true), MakeShadowMask(wider, 1.0f, true));
}

TEST(ShadowMaskCacheTest, KeepsOnlyTheMostRecentMasks)
{
    CShadowMaskCache cache;
    const QImage first = cache.mask(framedPicture(20, 20, 2), 1.0f, false);
    for (int i = 0; i < int(CShadowMaskCache::kEntries); ++i)
        cache.mask(framedPicture(21 + i, 20, 2), 1.0f, false);
    const QImage again = cache.mask(framedPicture(20, 20, 2), 1.0f, false);
    EXPECT_EQ(again, first);
    EXPECT_NE(again.cacheKey(), first.cacheKey());
}
