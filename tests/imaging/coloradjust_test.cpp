// The tone adjustment: the colour matrix a frame's values make, the lookup
// tables that carry it out checked against the matrix itself for every
// byte, and adjusted copies of opaque, straight and premultiplied images.

#include "coloradjust.h"
#include "surfaces.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The row vector (r, g, b, a, 1) times the matrix, in doubles, every entry
// taking part: the reference the tables must reproduce.
std::array<double, 4> timesMatrix(const CColourMatrix& m, double r, double g, double b, double a)
{
    const double in[CColourMatrix::kSize] = {r, g, b, a, 1.0};
    std::array<double, 4> out{};
    for (int column = 0; column < 4; ++column) {
        double sum = 0.0;
        for (int row = 0; row < CColourMatrix::kSize; ++row)
            sum += in[row] * m.at(row, column);
        out[column] = sum;
    }
    return out;
}

int expectedByte(double value, double gamma)
{
    return int(std::lround(std::pow(std::clamp(value, 0.0, 1.0), gamma) * 255.0));
}

CColourAdjustment adjustment(float alpha, float brightness, float contrast, float gamma)
{
    CColourAdjustment a;
    a.alpha = alpha;
    a.brightness = brightness;
    a.contrast = contrast;
    a.gamma = gamma;
    return a;
}

// Every byte value in each channel: red runs along x, green down y, blue
// along the diagonal.
QImage allByteValues(QImage::Format format, int alpha = 255)
{
    QImage image(256, 256, QImage::Format_ARGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            image.setPixel(x, y, qRgba(x, y, (x + y) & 0xFF, alpha));
    return image.convertToFormat(format);
}

class ColourTablesTest : public ::testing::TestWithParam<CColourAdjustment>
{
};

} // namespace

TEST(ColourMatrixTest, AlphaAloneMakesANudgedNonIdentityMatrix)
{
    const CColourMatrix m = CColourMatrix::forAdjustment(adjustment(0.5f, 0.0f, 1.0f, 1.0f));
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 5; ++column) {
            float expected = 0.0f;
            if (row == column)
                expected = row == 3 ? 0.5f : 1.0f;
            else if (row == 4 && column < 3)
                expected = 0.00001f;
            EXPECT_EQ(m.at(row, column), expected) << "M[" << row << "][" << column << "]";
        }
    }
}

TEST(ColourMatrixTest, ContrastAndBrightnessMoveColoursAboutTheMiddle)
{
    const CColourMatrix m = CColourMatrix::forAdjustment(adjustment(1.0f, 0.1f, 2.0f, 1.0f));
    EXPECT_FLOAT_EQ(m.at(0, 0), 2.0f);
    EXPECT_FLOAT_EQ(m.at(4, 0), 0.1f - 0.5f); // no nudge: brightness is not 0
    // 2 × (0.25 − 0.5) + 0.5 + 0.1 = 0.1, for each colour channel.
    const auto out = timesMatrix(m, 0.25, 0.25, 0.25, 1.0);
    EXPECT_NEAR(out[0], 0.1, 1e-7);
    EXPECT_NEAR(out[1], 0.1, 1e-7);
    EXPECT_NEAR(out[2], 0.1, 1e-7);
    EXPECT_NEAR(out[3], 1.0, 1e-7);
}

TEST_P(ColourTablesTest, TablesGiveWhatTheMatrixAndGammaGiveForEveryByte)
{
    const CColourAdjustment a = GetParam();
    const CColourMatrix m = CColourMatrix::forAdjustment(a);
    const CColourLookup lookup(a);
    for (int value = 0; value <= 255; ++value) {
        const double channel = value / 255.0;
        // Each channel in turn carries the value while the others are 0, so
        // a table that leaked one channel into another would show.
        for (int c = 0; c < 3; ++c) {
            double in[3] = {0.0, 0.0, 0.0};
            in[c] = channel;
            const auto out = timesMatrix(m, in[0], in[1], in[2], 1.0);
            ASSERT_EQ(lookup.colour(value), expectedByte(out[c], a.gamma)) << "channel " << c << " value " << value;
        }
        const auto out = timesMatrix(m, 0.0, 0.0, 0.0, channel);
        ASSERT_EQ(lookup.alpha(value), expectedByte(out[3], 1.0)) << "alpha " << value;
    }
}

TEST_P(ColourTablesTest, AnOpaqueImageComesOutAsTheTablesSay)
{
    const CColourAdjustment a = GetParam();
    const CColourLookup lookup(a);
    const QImage adjusted = MakeAdjustedCopy(allByteValues(QImage::Format_RGB32), a);
    ASSERT_EQ(adjusted.format(), QImage::Format_ARGB32_Premultiplied);
    const QImage straight = adjusted.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const QRgb pixel = adjusted.pixel(x, y);
            ASSERT_EQ(qAlpha(pixel), lookup.alpha(255));
            if (lookup.alpha(255) == 255) {
                ASSERT_EQ(pixel, qRgb(lookup.colour(x), lookup.colour(y), lookup.colour((x + y) & 0xFF)))
                    << x << "," << y;
            } else if (lookup.alpha(255) > 0) {
                // Premultiplied storage keeps the colour to within a step
                // of the alpha's resolution.
                const int tolerance = 255 / lookup.alpha(255) + 1;
                const QRgb s = straight.pixel(x, y);
                ASSERT_NEAR(qRed(s), lookup.colour(x), tolerance);
                ASSERT_NEAR(qGreen(s), lookup.colour(y), tolerance);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Adjustments, ColourTablesTest,
                         ::testing::Values(adjustment(1.0f, 0.0f, 1.0f, 1.0f),     // neutral values, nudged
                                           adjustment(1.0f, 0.1f, 2.0f, 1.0f),     // contrast and brightness
                                           adjustment(1.0f, -0.3f, 0.5f, 1.0f),    // darker, flatter
                                           adjustment(1.0f, 0.0f, 1.0f, 2.2f),     // gamma darkens mid-tones
                                           adjustment(1.0f, 0.05f, 1.3f, 0.45f),   // gamma lightens
                                           adjustment(0.5f, 0.0f, 1.0f, 1.0f),     // half transparent
                                           adjustment(0.0f, 0.0f, 1.0f, 1.0f),     // invisible
                                           adjustment(1.0f, 1.0f, 0.0001f, 0.0001f), // the clamps' extremes
                                           adjustment(1.0f, -5.0f, 40.0f, 3.0f)));

TEST(ColourAdjustTest, ContrastTwoAndBrightnessATenthTurnAQuarterIntoATenth)
{
    // 64 is the byte nearest 0.25: 2 × (64/255 − 0.5) + 0.6 = 0.102 → 26.
    const CColourLookup lookup(adjustment(1.0f, 0.1f, 2.0f, 1.0f));
    EXPECT_EQ(lookup.colour(64), 26);
    EXPECT_EQ(lookup.colour(0), 0);     // −0.4 clamps to black
    EXPECT_EQ(lookup.colour(255), 255); // 1.6 clamps to white
}

TEST(ColourAdjustTest, GammaIsAnExponentOnColoursOnly)
{
    const CColourLookup lookup(adjustment(1.0f, 0.0f, 1.0f, 2.0f));
    EXPECT_EQ(lookup.colour(128), 64); // (128/255)² × 255 = 64.25
    EXPECT_EQ(lookup.alpha(128), 128);
    EXPECT_EQ(lookup.colour(255), 255);
}

TEST(ColourAdjustTest, HalfAlphaHalvesOpacityAndKeepsColours)
{
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(200, 100, 50));
    image.setPixel(1, 0, qRgb(255, 255, 255));
    const QImage adjusted = MakeAdjustedCopy(image, adjustment(0.5f, 0.0f, 1.0f, 1.0f));
    const QRgb first = adjusted.pixel(0, 0);
    EXPECT_EQ(qAlpha(first), 128); // 127.5 rounds up
    EXPECT_EQ(adjusted.pixel(1, 0), qPremultiply(qRgba(255, 255, 255, 128)));
    EXPECT_EQ(first, qPremultiply(qRgba(200, 100, 50, 128)));
}

TEST(ColourAdjustTest, StraightAndPremultipliedSourcesAdjustAlike)
{
    const CColourAdjustment a = adjustment(0.8f, 0.2f, 1.5f, 0.8f);
    const CColourLookup lookup(a);
    const QImage straight = allByteValues(QImage::Format_ARGB32, 200);
    const QImage fromStraight = MakeAdjustedCopy(straight, a);
    const QImage fromPremultiplied = MakeAdjustedCopy(straight.convertToFormat(QImage::Format_ARGB32_Premultiplied), a);
    for (int y = 0; y < 256; y += 5) {
        for (int x = 0; x < 256; x += 3) {
            const QRgb s = fromStraight.pixel(x, y);
            const QRgb p = fromPremultiplied.pixel(x, y);
            ASSERT_EQ(qAlpha(s), lookup.alpha(200));
            ASSERT_EQ(qAlpha(p), qAlpha(s));
            // Premultiplying the source first loses a little of each colour.
            ASSERT_NEAR(qRed(p), qRed(s), 2) << x << "," << y;
            ASSERT_NEAR(qGreen(p), qGreen(s), 2) << x << "," << y;
            ASSERT_EQ(qRed(s), qRed(qPremultiply(qRgba(lookup.colour(x), 0, 0, qAlpha(s)))));
        }
    }
}

TEST(ColourAdjustTest, TransparentPixelsStayTransparent)
{
    QImage image(1, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    const QImage adjusted = MakeAdjustedCopy(image, adjustment(1.0f, 0.5f, 1.0f, 1.0f));
    EXPECT_EQ(adjusted.pixel(0, 0), 0u);
}

TEST(ColourAdjustTest, OtherFormatsAreAdjustedToo)
{
    QImage grey(4, 4, QImage::Format_Grayscale8);
    grey.fill(64);
    const QImage adjusted = MakeAdjustedCopy(grey, adjustment(1.0f, 0.1f, 2.0f, 1.0f));
    ASSERT_EQ(adjusted.size(), grey.size());
    EXPECT_EQ(adjusted.pixel(3, 3), qRgb(26, 26, 26));
    EXPECT_TRUE(MakeAdjustedCopy(QImage(), adjustment(0.5f, 0, 1, 1)).isNull());
}

TEST(ColourAdjustTest, DrawingAdjustedMatchesDrawingTheAdjustedCopy)
{
    QImage source(8, 8, QImage::Format_RGB32);
    source.fill(qRgb(64, 128, 192));
    const CColourAdjustment a = adjustment(1.0f, 0.1f, 2.0f, 1.0f);

    QImage canvas(8, 8, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(0);
    {
        QPainter painter(&canvas);
        DrawImageAdjusted(painter, source, QRectF(0, 0, 8, 8), a);
    }
    EXPECT_EQ(canvas.pixel(4, 4), MakeAdjustedCopy(source, a).pixel(4, 4));

    canvas.fill(0);
    {
        QPainter painter(&canvas);
        DrawImageAdjusted(painter, source, QRectF(0, 0, 8, 8), CColourAdjustment());
    }
    EXPECT_EQ(canvas.pixel(4, 4), source.pixel(4, 4));
}
