// Where frames lie: the frame under a point (topmost first, rotated frames
// by their turned outline, hidden frames never), the outline's bounds, and
// whether a frame lies in a rectangle.

#include "framefixture.h"
#include "framehittest.h"

#include <cmath>
#include <limits>

namespace {

class FrameHitTest : public FrameFixture
{
protected:
    CPicInfo& shownFrame(const CCanvasRect& rect, quint32 id, float rotation = 0.0f)
    {
        CPicInfo& frame = addFrame(rect, id);
        frame.setShown(true);
        frame.setRotation(rotation);
        return frame;
    }
};

TEST_F(FrameHitTest, ThePointInsideAnUprightFrameFindsIt)
{
    CPicInfo& frame = shownFrame({1.0f, 2.0f, 4.0f, 3.0f}, 1);
    EXPECT_EQ(frameAtPoint(manager, {3.0, 3.5}), &frame);
    EXPECT_EQ(frameAtPoint(manager, {1.0, 2.0}), &frame) << "the edge belongs to the frame";
    EXPECT_EQ(frameAtPoint(manager, {5.0, 5.0}), &frame);
    EXPECT_EQ(frameAtPoint(manager, {5.1, 3.0}), nullptr);
    EXPECT_EQ(frameAtPoint(manager, {0.9, 3.0}), nullptr);
}

TEST_F(FrameHitTest, TheTopmostOfOverlappingFramesWins)
{
    shownFrame({0.0f, 0.0f, 4.0f, 4.0f}, 1);
    CPicInfo& upper = shownFrame({2.0f, 2.0f, 4.0f, 4.0f}, 2);
    EXPECT_EQ(frameAtPoint(manager, {3.0, 3.0}), &upper);
    EXPECT_EQ(frameAtPoint(manager, {1.0, 1.0})->id(), 1u);
}

TEST_F(FrameHitTest, HiddenFramesAndHiddenPlanesAreNeverHit)
{
    CPicInfo& lower = shownFrame({0.0f, 0.0f, 4.0f, 4.0f}, 1);
    CPicInfo& upper = shownFrame({0.0f, 0.0f, 4.0f, 4.0f}, 2);
    upper.setShown(false);
    EXPECT_EQ(frameAtPoint(manager, {1.0, 1.0}), &lower);

    CPicInfo& segment = addFrame({0.0f, 0.0f, 4.0f, 4.0f}, 10000, CPicInfo::kPlanePageSegments);
    segment.setShown(true);
    EXPECT_EQ(frameAtPoint(manager, {1.0, 1.0}), &lower) << "page segments start hidden";
    manager.setVisiblePlanes(CPicInfo::kPlanePageSegments, CPicInfo::kPlanePageSegments);
    EXPECT_EQ(frameAtPoint(manager, {1.0, 1.0}), &segment);
    EXPECT_FALSE(isFrameSelectable(manager, upper));
    EXPECT_TRUE(isFrameSelectable(manager, segment));
}

TEST_F(FrameHitTest, ARotatedFrameIsHitByItsTurnedOutline)
{
    // A 4 × 2 frame centred on (2, 1), turned a quarter: it now stands 2 wide
    // and 4 tall around the same centre, from (1, -1) to (3, 3).
    CPicInfo& frame = shownFrame({0.0f, 0.0f, 4.0f, 2.0f}, 1, 90.0f);
    EXPECT_EQ(frameAtPoint(manager, {2.0, 2.8}), &frame);
    EXPECT_EQ(frameAtPoint(manager, {2.0, -0.8}), &frame);
    EXPECT_EQ(frameAtPoint(manager, {0.2, 1.0}), nullptr) << "the unrotated rectangle no longer covers this";
    EXPECT_EQ(frameAtPoint(manager, {3.8, 1.0}), nullptr);

    const QRectF bounds = frameOutlineBounds(frame);
    EXPECT_NEAR(bounds.left(), 1.0, 1e-5);
    EXPECT_NEAR(bounds.top(), -1.0, 1e-5);
    EXPECT_NEAR(bounds.width(), 2.0, 1e-5);
    EXPECT_NEAR(bounds.height(), 4.0, 1e-5);
}

TEST_F(FrameHitTest, AFrameTurnedFortyFiveDegreesMissesItsOldCorners)
{
    CPicInfo& frame = shownFrame({0.0f, 0.0f, 2.0f, 2.0f}, 1, 45.0f);
    EXPECT_EQ(frameAtPoint(manager, {0.05, 0.05}), nullptr);
    EXPECT_EQ(frameAtPoint(manager, {1.0, -0.35}), &frame) << "the top tip now reaches above the old edge";
    const QRectF bounds = frameOutlineBounds(frame);
    EXPECT_NEAR(bounds.width(), 2.0 * std::sqrt(2.0), 1e-5);
}

TEST_F(FrameHitTest, FramesWithoutAreaAndPointsThatAreNoNumbersHitNothing)
{
    shownFrame({1.0f, 1.0f, 0.0f, 3.0f}, 1);
    shownFrame({5.0f, 5.0f, -2.0f, -2.0f}, 2);
    EXPECT_EQ(frameAtPoint(manager, {1.0, 2.0}), nullptr);
    EXPECT_EQ(frameAtPoint(manager, {4.0, 4.0}), nullptr);
    shownFrame({0.0f, 0.0f, 9.0f, 9.0f}, 3);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(frameAtPoint(manager, {nan, 1.0}), nullptr);
    EXPECT_EQ(frameAtPoint(manager, {std::numeric_limits<double>::infinity(), 1.0}), nullptr);
}

TEST_F(FrameHitTest, AFrameLiesInARectangleThatHoldsItsWholeRectangle)
{
    CPicInfo& frame = shownFrame({1.0f, 1.0f, 2.0f, 2.0f}, 1);
    EXPECT_TRUE(frameLiesInRect(frame, QRectF(1.0, 1.0, 2.0, 2.0)));
    EXPECT_TRUE(frameLiesInRect(frame, QRectF(3.0, 3.0, -2.5, -2.5))) << "a rectangle drawn backwards counts too";
    EXPECT_FALSE(frameLiesInRect(frame, QRectF(1.5, 0.0, 5.0, 5.0)));
    EXPECT_FALSE(frameLiesInRect(frame, QRectF(0.0, 0.0, 2.9, 5.0)));
    // A rectangle built from sums of floats still holds the frame it was built from.
    const float x = 0.1f + 0.2f;
    CPicInfo& odd = shownFrame({x, 0.7f, 0.3f, 0.1f}, 2);
    EXPECT_TRUE(frameLiesInRect(odd, QRectF(double(0.3f), double(0.7f), 0.3, 0.1)));
}

} // namespace
