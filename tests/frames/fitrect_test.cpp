// Fitting one rectangle into another: keeping inside, covering, shrinking
// only, the minimum size and the alignments, in the floats the model keeps.

#include "fitrect.h"
#include "picinfoattr.h"

#include <gtest/gtest.h>

namespace {

constexpr FitOptions kWorkingCopyFit = FitOption::KeepInside | FitOption::MinimumSizeOne | FitOption::Centred;

QRectF fitted(QRectF inner, const QRectF& outer, FitOptions options)
{
    FitRect(inner, outer, options);
    return inner;
}

} // namespace

TEST(FitRectTest, KeepInsideBoundsAWideRectangleByTheOuterWidth)
{
    const QRectF result = fitted(QRectF(0, 0, 501, 200), QRectF(0, 0, 500, 500), kWorkingCopyFit);
    EXPECT_FLOAT_EQ(result.width(), 500.0f);
    EXPECT_FLOAT_EQ(result.height(), 200.0f * (500.0f / 501.0f)); // 199.6
    EXPECT_FLOAT_EQ(result.y(), (500.0f - result.height()) / 2.0f);
}

TEST(FitRectTest, KeepInsideBoundsATallRectangleByTheOuterHeight)
{
    const QRectF result = fitted(QRectF(0, 0, 300, 3000), QRectF(0, 0, 500, 500), kWorkingCopyFit);
    EXPECT_FLOAT_EQ(result.height(), 500.0f);
    EXPECT_FLOAT_EQ(result.width(), 50.0f);
    EXPECT_FLOAT_EQ(result.x(), 225.0f);
    EXPECT_FLOAT_EQ(result.y(), 0.0f);
}

TEST(FitRectTest, CoverFillsTheOuterRectangleAndOverhangsOnOneSide)
{
    // A 4:3 image covering a square frame is bounded by the frame's height.
    const QRectF result = fitted(QRectF(0, 0, 400, 300), QRectF(1, 2, 3, 3), FitOption::Cover | FitOption::Centred);
    EXPECT_FLOAT_EQ(result.height(), 3.0f);
    EXPECT_FLOAT_EQ(result.width(), 4.0f);
    EXPECT_FLOAT_EQ(result.x(), 0.5f);
    EXPECT_FLOAT_EQ(result.y(), 2.0f);

    const QRectF tall = fitted(QRectF(0, 0, 300, 400), QRectF(0, 0, 6, 3), FitOption::Cover | FitOption::Centred);
    EXPECT_FLOAT_EQ(tall.width(), 6.0f);
    EXPECT_FLOAT_EQ(tall.height(), 8.0f);
    EXPECT_FLOAT_EQ(tall.y(), -2.5f);
}

TEST(FitRectTest, EqualAspectTakesTheOuterSizeExactly)
{
    EXPECT_EQ(fitted(QRectF(5, 5, 8, 6), QRectF(0, 0, 4, 3), FitOption::KeepInside), QRectF(5, 5, 4, 3));
    EXPECT_EQ(fitted(QRectF(5, 5, 8, 6), QRectF(0, 0, 4, 3), FitOption::Cover), QRectF(5, 5, 4, 3));
}

TEST(FitRectTest, NoAspectRatioMeansNoScalingButTheAlignmentStillApplies)
{
    EXPECT_EQ(fitted(QRectF(0, 0, 0, 10), QRectF(0, 0, 100, 100), FitOption::KeepInside | FitOption::Centred),
              QRectF(50, 45, 0, 10));
    EXPECT_EQ(fitted(QRectF(0, 0, 10, 0), QRectF(0, 0, 100, 100), FitOption::KeepInside), QRectF(0, 0, 10, 0));
    // An outer height of 0 would divide by zero.
    EXPECT_EQ(fitted(QRectF(0, 0, 10, 20), QRectF(0, 0, 100, 0), FitOption::Cover), QRectF(0, 0, 10, 20));
}

TEST(FitRectTest, MinimumSizeRaisesASliverToOnePixel)
{
    const QRectF result = fitted(QRectF(0, 0, 10000, 2), QRectF(0, 0, 500, 500), kWorkingCopyFit);
    EXPECT_FLOAT_EQ(result.width(), 500.0f);
    EXPECT_FLOAT_EQ(result.height(), 1.0f); // 0.1 raised
    EXPECT_FLOAT_EQ(result.y(), 249.5f);    // centred at its raised size

    const QRectF without = fitted(QRectF(0, 0, 10000, 2), QRectF(0, 0, 500, 500), FitOption::KeepInside);
    EXPECT_FLOAT_EQ(without.height(), 0.1f);
}

TEST(FitRectTest, ShrinkOnlyLeavesASmallerRectangleWhereItIs)
{
    const FitOptions shrink = FitOption::KeepInside | FitOption::ShrinkOnly | FitOption::Centred;
    EXPECT_EQ(fitted(QRectF(7, 8, 40, 20), QRectF(0, 0, 500, 500), shrink), QRectF(7, 8, 40, 20));
    EXPECT_EQ(fitted(QRectF(7, 8, 500, 500), QRectF(0, 0, 500, 500), shrink), QRectF(7, 8, 500, 500));
    // Larger in one direction only is not smaller.
    EXPECT_EQ(fitted(QRectF(0, 0, 1000, 20), QRectF(0, 0, 500, 500), shrink), QRectF(0, 245, 500, 10));
}

TEST(FitRectTest, AlignmentsPlaceTheResultAgainstEachEdge)
{
    const QRectF outer(10, 20, 100, 50);
    const QRectF inner(0, 0, 20, 10);
    EXPECT_EQ(fitted(inner, outer, FitOption::AlignLeft | FitOption::AlignTop), QRectF(10, 20, 20, 10));
    EXPECT_EQ(fitted(inner, outer, FitOption::AlignRight | FitOption::AlignBottom), QRectF(90, 60, 20, 10));
    EXPECT_EQ(fitted(inner, outer, FitOption::Centred), QRectF(50, 40, 20, 10));
    EXPECT_EQ(fitted(inner, outer, FitOption::AlignHCentre), QRectF(50, 0, 20, 10));
}

TEST(FitRectTest, CanvasRectanglesFitInTheirOwnFloats)
{
    CCanvasRect image{0.0f, 0.0f, 4000.0f, 3000.0f};
    const CCanvasRect frame{1.25f, 0.5f, 2.0f, 3.0f};
    FitRect(image, frame, FitOption::Cover | FitOption::Centred);
    EXPECT_EQ(image.height, 3.0f);
    EXPECT_EQ(image.width, 4000.0f * (3.0f / 3000.0f));
    EXPECT_EQ(image.x, 1.25f + (2.0f - image.width) / 2.0f);
    EXPECT_EQ(image.y, 0.5f);
}
