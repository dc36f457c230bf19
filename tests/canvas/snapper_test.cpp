// Snapping a dragged box to frame edges and grid markers: which edge meets a
// line first, sticky snaps and the pop, which lines count, the grid, the
// frames' lines and the guides.

#include "frametargets.h"
#include "gridtargets.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "propmanager.h"
#include "snapguides.h"
#include "snapper.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <ostream>
#include <vector>

namespace {

constexpr float kPixel = 1.0f / 96.0f;
constexpr float kTolerance = 1e-5f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kFarAway = 100.0f;

class SnapperTest : public ::testing::Test
{
protected:
    SnapperTest() { snapper.SetSnapDistance(CSnapper::snapDistanceForPixelSize(kPixel)); }

    CPropManager store;
    CSnapper snapper{store};
};

// One axis of a drag: a box held at `start` moves towards a line.
// Written for x; every case runs on y as well, with top and bottom for left
// and right.
struct EdgeCase
{
    const char* name;
    quint16 edges; // kEdgeLeft / kEdgeRight, or 0
    float boxNear, boxFar, start;
    float via; // an earlier pointer position, or NaN
    float to;
    float line;
    float expected;
};

void PrintTo(const EdgeCase& c, std::ostream* os) { *os << c.name; }

class SnapEdges : public SnapperTest, public ::testing::WithParamInterface<std::pair<EdgeCase, SnapAxis>>
{
};

TEST_P(SnapEdges, PointerPutsTheFirstEdgeInReachOnTheLine)
{
    const auto& [c, axis] = GetParam();
    const bool onX = axis == SnapAxis::X;
    const auto along = [&](float v) { return onX ? QPointF(v, 5.5) : QPointF(5.5, v); };
    quint16 edges = c.edges;
    if (!onX)
        edges = ((edges & CSnapper::kEdgeLeft) ? CSnapper::kEdgeTop : 0)
            | ((edges & CSnapper::kEdgeRight) ? CSnapper::kEdgeBottom : 0);

    CSnapTarget target(onX ? c.line : kFarAway, onX ? kFarAway : c.line);
    snapper.Register(target);
    const QRectF box = onX ? QRectF(QPointF(c.boxNear, 5), QPointF(c.boxFar, 6))
                           : QRectF(QPointF(5, c.boxNear), QPointF(6, c.boxFar));
    snapper.Begin(edges, along(c.start), box);
    if (!std::isnan(c.via))
        snapper.Snap(along(c.via));
    const QPointF out = snapper.Snap(along(c.to)).point;
    EXPECT_NEAR(onX ? out.x() : out.y(), c.expected, kTolerance) << c.name;
    EXPECT_EQ(onX ? out.y() : out.x(), 5.5) << "the other axis has no line in reach";
}

constexpr quint16 L = CSnapper::kEdgeLeft;
constexpr quint16 R = CSnapper::kEdgeRight;
const EdgeCase kEdgeCases[] = {
    {"right edge meets a line ahead", L | R, 1, 2, 1.5, kNaN, 2.46f, 3, 2.5f},
    {"left edge meets a line behind", L | R, 1, 2, 1.5, kNaN, 0.53f, 0, 0.5f},
    {"left edge snaps moving right when the right is out of reach", L | R, 1, 2, 1.5, kNaN, 3.12f, 2.6f, 3.1f},
    {"no edges given means all four", 0, 1, 2, 1.5, kNaN, 2.46f, 3, 2.5f},
    {"an edge not given does not snap", L, 1, 2, 1.5, kNaN, 2.46f, 3, 2.46f},
    {"seven pixels and a bit is out of reach", L | R, 1, 2, 1.5, kNaN, 2.5f - 7.5f * kPixel, 3, 2.5f - 7.5f * kPixel},
    {"moving right tries the right edge first", L | R, 1, 1.1f, 1.05f, kNaN, 2, 2, 1.95f},
    {"moving left tries the left edge first", L | R, 1, 1.1f, 1.05f, 3, 2, 2, 2.05f},
    {"standing still counts as moving right", L | R, 1.95f, 2.05f, 2, kNaN, 2, 2, 1.95f},
};

std::vector<std::pair<EdgeCase, SnapAxis>> bothAxes()
{
    std::vector<std::pair<EdgeCase, SnapAxis>> cases;
    for (const EdgeCase& c : kEdgeCases)
        for (SnapAxis axis : {SnapAxis::X, SnapAxis::Y})
            cases.emplace_back(c, axis);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, SnapEdges, ::testing::ValuesIn(bothAxes()));

TEST_F(SnapperTest, EdgesWithinSevenPixelsCoincideWithOnePopAndStayTogether)
{
    CSnapTarget otherFramesRightEdge(3.0f, kFarAway);
    snapper.Register(otherFramesRightEdge);
    snapper.Begin(0, QPointF(4.5, 0.5), QRectF(4, 0, 1, 1));

    int pops = 0;
    const auto drag = [&](double x) {
        const CSnapResult r = snapper.Snap(QPointF(x, 0.5));
        pops += r.popSound ? 1 : 0;
        return snapper.snappedBox().left();
    };
    EXPECT_NEAR(drag(3.5 + 6 * kPixel), 3.0, kTolerance);
    EXPECT_NEAR(drag(3.5 + 2 * kPixel), 3.0, kTolerance);
    EXPECT_NEAR(drag(3.5 - 5 * kPixel), 3.0, kTolerance) << "the snap holds on both sides of the line";
    EXPECT_EQ(pops, 1);
    EXPECT_EQ(snapper.currentSnap(SnapAxis::X).target, &otherFramesRightEdge);

    EXPECT_NEAR(drag(3.3), 2.8, kTolerance) << "out of reach the snap lets go";
    EXPECT_EQ(snapper.currentSnap(SnapAxis::X).snapped, CSnapper::kNoSnap);
    drag(3.5 + 3 * kPixel);
    EXPECT_EQ(pops, 2) << "coming back is a new snap";
}

TEST_F(SnapperTest, FirstRegisteredLineWinsAndAHeldSnapOutlastsANearerLine)
{
    CSnapTarget first(3.0f, kFarAway), second(2.98f, kFarAway);
    snapper.Register(first);
    snapper.Register(second);
    snapper.Begin(CSnapper::kEdgeLeft, QPointF(4.5, 0.5), QRectF(4, 0, 1, 1));
    EXPECT_NEAR(snapper.Snap(QPointF(3.49, 0.5)).point.x(), 3.5, kTolerance);
    EXPECT_EQ(snapper.currentSnap(SnapAxis::X).target, &first);
    EXPECT_NEAR(snapper.Snap(QPointF(3.47, 0.5)).point.x(), 3.5, kTolerance)
        << "still within reach of the held line, though the other is nearer";
}

struct LineCase
{
    const char* name;
    quint32 type;
    bool enabled, registered;
    quint32 activeTypes;
    bool snaps;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class SnapLines : public SnapperTest, public ::testing::WithParamInterface<LineCase>
{
};

TEST_P(SnapLines, OnlyEnabledRegisteredActiveLinesCount)
{
    const LineCase& c = GetParam();
    CSnapTarget target(3.0f, kFarAway, c.type);
    target.setEnabled(c.enabled);
    if (c.registered)
        snapper.Register(target);
    snapper.SetActiveTypes(c.activeTypes);
    snapper.Begin(0, QPointF(1.5, 0.5), QRectF(1, 0, 1, 1));
    EXPECT_EQ(snapper.Snap(QPointF(2.48, 0.5)).newSnaps, c.snaps ? 1 : 0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Table, SnapLines,
                         ::testing::Values(LineCase{"frame line", 1, true, true, 1, true},
                                           LineCase{"disabled", 1, false, true, 1, false},
                                           LineCase{"not registered", 1, true, false, 1, false},
                                           LineCase{"frame line, frames inactive", 1, true, true, 0, false},
                                           LineCase{"always-active line", 2, true, true, 0, true}));

TEST_F(SnapperTest, HeldTargetDisabledOrDestroyedMidDragIsLetGoAndTargetsMayOutliveTheSnapper)
{
    auto target = std::make_unique<CSnapTarget>(3.0f, 3.0f);
    snapper.Register(*target);
    snapper.Begin(0, QPointF(1.5, 1.5), QRectF(1, 1, 1, 1));
    snapper.Snap(QPointF(2.49, 2.49));
    target->setLineEnabled(SnapAxis::X, false);
    EXPECT_EQ(snapper.Snap(QPointF(2.48, 2.48)).point, QPointF(2.48, 2.5));
    target.reset();
    EXPECT_EQ(snapper.candidateCount(), 0);
    EXPECT_EQ(snapper.currentSnap(SnapAxis::Y).target, nullptr);
    EXPECT_EQ(snapper.Snap(QPointF(2.47, 2.47)).point, QPointF(2.47, 2.47));

    CSnapTarget survivor(1, 1);
    {
        CSnapper shortLived(store);
        shortLived.Register(survivor);
    }
    EXPECT_FALSE(survivor.isRegistered()) << "a target may outlive its snapper";
}

TEST_F(SnapperTest, OnlyADragSnapsAndASecondBeginIsIgnored)
{
    CSnapTarget target(3.0f, kFarAway);
    snapper.Register(target);
    EXPECT_EQ(snapper.Snap(QPointF(2.48, 0.5)).point, QPointF(2.48, 0.5)) << "no drag yet";
    snapper.Begin(CSnapper::kEdgeRight, QPointF(1.5, 0.5), QRectF(1, 0, 1, 1));
    snapper.Begin(CSnapper::kEdgeLeft, QPointF(0, 0), QRectF(0, 0, 5, 5));
    EXPECT_EQ(snapper.activeEdges(), CSnapper::kEdgeRight);
    EXPECT_NEAR(snapper.Snap(QPointF(2.48, 0.5)).point.x(), 2.5, kTolerance);
    snapper.End();
    EXPECT_FALSE(snapper.isActive());
    EXPECT_EQ(snapper.Snap(QPointF(2.47, 0.5)).point, QPointF(2.47, 0.5));
}

TEST_F(SnapperTest, PopNeedsSoundAllowedAndSnapSoundReadAtTheSnap)
{
    CSnapTarget target(3.0f, kFarAway);
    snapper.Register(target);
    const auto snapOnce = [&] {
        snapper.End();
        snapper.Begin(0, QPointF(1.5, 0.5), QRectF(1, 0, 1, 1));
        return snapper.Snap(QPointF(2.48, 0.5));
    };
    EXPECT_TRUE(snapOnce().popSound);
    store.setValue("snapsound", CPropValue::boolean(false)); // as the menu toggle writes it
    const CSnapResult silent = snapOnce();
    EXPECT_EQ(silent.newSnaps, 1);
    EXPECT_FALSE(silent.popSound);
    store.setValue("SnapSound", CPropValue::boolean(true));
    snapper.setSoundAllowed(false);
    EXPECT_FALSE(snapOnce().popSound);
}

TEST_F(SnapperTest, RegistersItsSettingsWithDefaultsAndDescriptions)
{
    const struct { const char* name; CPropValue value; const char* description; } expected[] = {
        {"SnapToFrames", CPropValue::boolean(true), "Snap frames to other frames while dragging"},
        {"ShowGrid", CPropValue::boolean(false), "Enable the snapping grid"},
        {"DrawGridLines", CPropValue::boolean(false), "Draw lines at each grid marker"},
        {"SnapSound", CPropValue::boolean(true), "Make a pop sound when frames snap into each other"},
        {"GridWidth", CPropValue::f32(1.0f), "Horizontal grid marker spacing"},
        {"GridHeight", CPropValue::f32(1.0f), "Vertical grid marker spacing"},
    };
    for (const auto& e : expected) {
        const CProp* prop = store.find(e.name);
        ASSERT_NE(prop, nullptr) << e.name;
        EXPECT_EQ(prop->value(), e.value) << e.name;
        EXPECT_EQ(prop->description(), QString::fromLatin1(e.description));
    }
}

TEST_F(SnapperTest, DistanceRefusesNonsenseAndLinesStaySortedPerAxis)
{
    EXPECT_FALSE(snapper.SetSnapDistance(-1.0f));
    EXPECT_FALSE(snapper.SetSnapDistance(kNaN));
    EXPECT_FLOAT_EQ(snapper.snapDistance(), 7.0f / 96.0f);

    CSnapTarget a(3, 1), b(kNaN, 3), c(1, 2);
    for (CSnapTarget* t : {&a, &b, &c})
        snapper.Register(*t);
    const auto coordinates = [&](SnapAxis axis) {
        std::vector<float> out;
        for (const CSnapLine* line : snapper.candidateLines(axis))
            out.push_back(line->coordinate());
        return out;
    };
    EXPECT_EQ(coordinates(SnapAxis::Y), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(coordinates(SnapAxis::X).front(), 1);
    EXPECT_TRUE(std::isnan(coordinates(SnapAxis::X).back())) << "a damaged coordinate sorts last";
    a.setCoordinates(0, 5);
    snapper.Unregister(b);
    EXPECT_EQ(coordinates(SnapAxis::X), (std::vector<float>{0, 1}));
    EXPECT_EQ(coordinates(SnapAxis::Y), (std::vector<float>{2, 5}));
}

TEST_F(SnapperTest, GuidesRunAlongTheHeldLinePastTheBox)
{
    CSnapTarget target(3.0f, kFarAway);
    snapper.Register(target);
    snapper.Begin(0, QPointF(1.5, 0.5), QRectF(1, 0, 1, 1));
    snapper.Snap(QPointF(2.48, 0.5));
    const auto guides = snapGuides(snapper, QRectF(0, 0, 10, 10));
    ASSERT_EQ(guides.size(), 1u);
    EXPECT_EQ(guides[0].line, QLineF(3, -0.125, 3, 1.125));
    EXPECT_TRUE(snapGuides(snapper, QRectF(5, 5, 1, 1)).empty()) << "outside the clip";
    snapper.End();
    EXPECT_TRUE(snapGuides(snapper, QRectF(0, 0, 10, 10)).empty());
}

struct GridCase
{
    float width, height, gridWidth, gridHeight;
    int markers;
    float lastX, lastY; // NaN: that axis is off
};

void PrintTo(const GridCase& c, std::ostream* os)
{
    *os << c.width << " x " << c.height << " at " << c.gridWidth << " x " << c.gridHeight;
}

class GridMarkers : public SnapperTest, public ::testing::WithParamInterface<GridCase>
{
};

TEST_P(GridMarkers, MarkersRunWhileEitherLineIsOnTheCanvas)
{
    const GridCase& c = GetParam();
    CGridTargets grid;
    grid.rebuild(snapper, true, QSizeF(c.width, c.height), c.gridWidth, c.gridHeight);
    ASSERT_EQ(grid.count(), c.markers);
    EXPECT_EQ(snapper.candidateCount(), c.markers);
    if (c.markers == 0)
        return;
    const CSnapTarget& last = *grid.targets().back();
    EXPECT_EQ(last.vertical().isEnabled(), !std::isnan(c.lastX));
    EXPECT_EQ(last.horizontal().isEnabled(), !std::isnan(c.lastY));
    if (!std::isnan(c.lastX)) {
        EXPECT_FLOAT_EQ(last.vertical().coordinate(), c.lastX);
    }
    if (!std::isnan(c.lastY)) {
        EXPECT_FLOAT_EQ(last.horizontal().coordinate(), c.lastY);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, GridMarkers,
                         ::testing::Values(GridCase{10, 7.5f, 1, 1, 10, 10, 10},
                                           GridCase{10, 7.5f, 2, 0.5f, 15, 30, 7.5f},
                                           GridCase{10, 7.5f, 0, 1, 7, kNaN, 7},
                                           GridCase{10, 7.5f, kNaN, -1, 0, kNaN, kNaN},
                                           GridCase{10, 7.5f, 1e-6f, 1, CGridTargets::kMaxMarkers, 0.01f, 10000},
                                           GridCase{-1, kNaN, 1, 1, 0, kNaN, kNaN}));

TEST_F(SnapperTest, GridIsRebuiltFromScratchSnapsWithFramesOffAndDrawsOnlyOnTheCanvas)
{
    CGridTargets grid;
    grid.rebuild(snapper, true, QSizeF(10, 7.5), 1, 1);
    grid.rebuild(snapper, true, QSizeF(10, 7.5), 1, 1);
    EXPECT_EQ(snapper.candidateCount(), 10) << "the old markers were released";
    EXPECT_EQ(grid.markerLines(QSizeF(10, 7.5)).size(), 17u);

    snapper.SetActiveTypes(0);
    snapper.Begin(0, QPointF(0.5, 0.5), QRectF(0, 0, 1, 1));
    EXPECT_NEAR(snapper.Snap(QPointF(1.52, 0.7)).point.x(), 1.5, kTolerance);
    snapper.End();

    grid.rebuild(snapper, false, QSizeF(10, 7.5), 1, 1);
    EXPECT_EQ(grid.count(), 0);
    EXPECT_EQ(snapper.candidateCount(), 0);
}

TEST_F(SnapperTest, FramesOnShowOfferTheirEdgesAndADraggedFrameCanBeSwitchedOff)
{
    CPicInfoManager frames(&store, nullptr);
    const auto add = [&](quint32 id, float x, float y, bool shown) {
        auto frame = std::make_unique<CPicInfo>();
        frame->setId(id);
        frame->setFramePos(x, y);
        frame->setFrameSize(2, 1);
        frame->setShown(shown);
        frames.appendFrame(std::move(frame));
    };
    add(7, 1, 3, true);
    add(8, 5, 5, false);
    add(9, 4, 0, true);

    CFrameSnapTargets targets;
    targets.rebuild(frames, snapper);
    ASSERT_EQ(targets.count(), 2) << "the hidden frame offers nothing";
    EXPECT_EQ(snapper.candidateCount(), 4);
    const CFrameSnapTargets::Entry* seven = targets.find(7);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven->nearEdges->vertical().coordinate(), 1);
    EXPECT_EQ(seven->nearEdges->horizontal().coordinate(), 3);
    EXPECT_EQ(seven->farEdges->vertical().coordinate(), 3);
    EXPECT_EQ(seven->farEdges->horizontal().coordinate(), 4);

    EXPECT_TRUE(targets.setFrameEnabled(9, false));
    EXPECT_FALSE(targets.setFrameEnabled(8, false));
    snapper.Begin(0, QPointF(5, 0.5), QRectF(4, 0, 2, 1));
    EXPECT_EQ(snapper.Snap(QPointF(5.02, 0.5)).newSnaps, 0) << "the dragged frame's own edges are off";
    targets.rebuild(frames, snapper);
    EXPECT_EQ(snapper.candidateCount(), 4);
}

} // namespace

TEST(SnapGuideShape, EndsInAnArrowWhoseTipIsTheGuidesEndAndTheShaftStopsAtItsBase)
{
    const CSnapGuide down{QLineF(2.0, 1.0, 2.0, 3.0)};
    const QPolygonF arrow = snapGuideArrow(down);
    ASSERT_EQ(arrow.size(), 3);
    EXPECT_EQ(arrow[0], QPointF(2.0, 3.0));
    const qreal length = CSnapGuidePen::kWidth * kSnapArrowLength;
    const qreal width = CSnapGuidePen::kWidth * kSnapArrowWidth;
    EXPECT_NEAR(arrow[1].y(), 3.0 - length, 1e-6);
    EXPECT_NEAR(std::abs(arrow[1].x() - arrow[2].x()), width, 1e-6);
    const QLineF shaft = snapGuideShaft(down);
    EXPECT_EQ(shaft.p1(), down.line.p1());
    EXPECT_NEAR(shaft.p2().y(), 3.0 - length, 1e-6);

    const CSnapGuide across{QLineF(0.0, 1.0, 4.0, 1.0)};
    EXPECT_EQ(snapGuideArrow(across)[0], QPointF(4.0, 1.0));
    EXPECT_NEAR(snapGuideArrow(across)[1].x(), 4.0 - length, 1e-6);
}
