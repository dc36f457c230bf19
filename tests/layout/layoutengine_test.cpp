// The layout engine on its own: its generator, its plans, its search within
// the time budget, the cells it makes and the photos it gives them; and the
// photo sets that the rules as first written hang on, divide by zero on or
// never lay out, each laid out now.
#include "layoutengine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>

namespace {

using Outcome = CLayoutEngine::Outcome;

std::vector<QSizeF> repeat(int count, QSizeF size) { return std::vector<QSizeF>(std::size_t(count), size); }

std::vector<QSizeF> operator+(std::vector<QSizeF> a, const std::vector<QSizeF>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A clock that moves on by a fixed step each time it is read.
CLayoutEngine::Clock steppingClock(qint64 stepMs)
{
    auto now = std::make_shared<qint64>(0);
    return [now, stepMs] {
        const qint64 reading = *now;
        *now += stepMs;
        return reading;
    };
}

CLayoutEngine::Options seeded(quint32 seed, bool asWritten = false)
{
    CLayoutEngine::Options options;
    options.seed = seed;
    options.asWritten = asWritten;
    // Ten milliseconds a try: 300 tries fill the budget, whatever the machine.
    options.clock = steppingClock(10);
    return options;
}

// A clock that never moves: after the first layout found, every grid that
// promises to cut less is tried.
CLayoutEngine::Options unhurried(quint32 seed, qint64 improveWithinMs = CLayoutEngine::kImproveWithinMs)
{
    CLayoutEngine::Options options;
    options.seed = seed;
    options.clock = [] { return qint64(0); };
    options.improveWithinMs = improveWithinMs;
    return options;
}

CLayoutEngine engineFor(double width, double height, const std::vector<QSizeF>& photos, quint32 seed = 1,
                        bool asWritten = false)
{
    return CLayoutEngine(QRectF(0, 0, width, height), photos, seeded(seed, asWritten));
}

const CLayoutPlacement* placementOf(const std::vector<CLayoutPlacement>& placements, int photo)
{
    for (const CLayoutPlacement& placement : placements) {
        if (placement.photo == photo)
            return &placement;
    }
    return nullptr;
}

// --- The generator

TEST(LayoutRandom, IsTheClassicLinearCongruentialGenerator)
{
    CLayoutRandom random(1);
    EXPECT_EQ(random.next(), 41);
    EXPECT_EQ(random.next(), 18467);
    EXPECT_EQ(random.next(), 6334);
}

TEST(LayoutRandom, WrapsAroundAtThirtyTwoBits)
{
    CLayoutRandom random(0xFFFFFFFFu);
    const quint32 expected = 0xFFFFFFFFu * 214013u + 2531011u;
    random.next();
    EXPECT_EQ(random.state(), expected);
}

// --- Planning

TEST(LayoutPlan, TwelvePortraitsAndThreeLandscapesAskForTwentyFourCells)
{
    CLayoutEngine engine = engineFor(10, 7.5, repeat(12, {3000, 4000}) + repeat(3, {4000, 3000}));
    const CLayoutPlan plan = engine.planBeforeGrid();
    EXPECT_TRUE(plan.portraitCells);
    EXPECT_FALSE(plan.landscapeCells);
    EXPECT_EQ(plan.horizontalPairs, 3);
    EXPECT_EQ(plan.verticalPairs, 0);
    EXPECT_EQ(plan.bigBlocks, 2);
    EXPECT_EQ(plan.cellsNeeded, 24);
    EXPECT_FLOAT_EQ(plan.targetAspect, 0.75f);
}

TEST(LayoutPlan, SixPhotosMakeNoFeatureBlockAndSevenMakeOne)
{
    EXPECT_EQ(engineFor(10, 7.5, repeat(6, {4000, 3000})).planBeforeGrid().bigBlocks, 0);
    EXPECT_EQ(engineFor(10, 7.5, repeat(7, {4000, 3000})).planBeforeGrid().bigBlocks, 1);
}

TEST(LayoutPlan, OneOrientationOnlySetsItsOwnFlagAndNoPairs)
{
    const CLayoutPlan landscapes = engineFor(10, 7.5, repeat(4, {4000, 3000})).planBeforeGrid();
    EXPECT_TRUE(landscapes.landscapeCells);
    EXPECT_FALSE(landscapes.portraitCells);
    EXPECT_EQ(landscapes.cellsNeeded, 4);
    const CLayoutPlan squares = engineFor(10, 7.5, repeat(3, {2000, 2000})).planBeforeGrid();
    EXPECT_TRUE(squares.portraitCells) << "a square photo counts as a portrait";
    EXPECT_EQ(squares.portraits, 3);
}

TEST(LayoutLayout, AWidePanoramaAmongMorePortraitsFillsAFourByOneBlock)
{
    const std::vector<QSizeF> photos = repeat(3, {3000, 4000}) + repeat(1, {3000, 1000}) + repeat(1, {3000, 4000});
    CLayoutEngine engine = engineFor(10, 7.5, photos);
    ASSERT_TRUE(engine.Run());
    EXPECT_EQ(engine.plan().widePanoramas, 1);
    const std::vector<CLayoutPlacement> placements = engine.Assign();
    const CLayoutPlacement* panorama = placementOf(placements, 3);
    ASSERT_NE(panorama, nullptr);
    EXPECT_TRUE(panorama->cell.wideSpecial);
    EXPECT_NEAR(panorama->cell.width, 4 * engine.plan().cellWidth, 1e-4);
    EXPECT_NEAR(panorama->cell.height, engine.plan().cellHeight, 1e-4);
}

// --- Search and assignment

TEST(LayoutSearch, TheSameSeedGivesTheSameLayoutAndAnotherSeedADifferentOne)
{
    std::mt19937 random(5);
    std::vector<QSizeF> photos;
    for (int i = 0; i < 20; ++i)
        photos.push_back(random() % 3 ? QSizeF(4000, 3000) : QSizeF(3000, 4000));
    auto layout = [&](quint32 seed) {
        CLayoutEngine engine = engineFor(10, 7.5, photos, seed);
        EXPECT_TRUE(engine.Run());
        std::vector<std::tuple<int, float, float, float, float>> cells;
        for (const CLayoutPlacement& p : engine.Assign())
            cells.emplace_back(p.photo, p.cell.x, p.cell.y, p.cell.width, p.cell.height);
        return cells;
    };
    EXPECT_EQ(layout(7), layout(7));
    EXPECT_NE(layout(7), layout(8));
}

TEST(LayoutSearch, EveryPhotoGetsExactlyOneCell)
{
    const std::vector<QSizeF> photos =
        repeat(9, {3000, 4000}) + repeat(5, {4000, 3000}) + repeat(2, {6000, 1000}) + repeat(1, {1000, 3000});
    CLayoutEngine engine = engineFor(10, 7.5, photos, 3);
    ASSERT_TRUE(engine.Run());
    const std::vector<CLayoutPlacement> placements = engine.Assign();
    ASSERT_EQ(placements.size(), photos.size());
    std::set<int> seen;
    for (const CLayoutPlacement& placement : placements)
        seen.insert(placement.photo);
    EXPECT_EQ(seen.size(), photos.size());
}

TEST(LayoutSearch, CellsGoToPhotosOfTheirOrientation)
{
    CLayoutEngine engine = engineFor(10, 7.5, repeat(8, {3000, 4000}) + repeat(4, {4000, 3000}), 4);
    ASSERT_TRUE(engine.Run());
    int mismatched = 0;
    const std::vector<QSizeF> photos = repeat(8, {3000, 4000}) + repeat(4, {4000, 3000});
    for (const CLayoutPlacement& p : engine.Assign()) {
        const bool photoLandscape = photos[std::size_t(p.photo)].width() > photos[std::size_t(p.photo)].height();
        mismatched += photoLandscape != (p.cell.width > p.cell.height) ? 1 : 0;
    }
    // The grid may have more cells of one orientation than photos of it;
    // never more mismatches than that surplus allows.
    int landscapeCells = 0;
    for (const CLayoutCell& cell : engine.cells())
        landscapeCells += cell.width > cell.height ? 1 : 0;
    EXPECT_EQ(mismatched, std::abs(landscapeCells - 4));
}

TEST(LayoutPlan, APanoramaHasItsOwnBlockAndIsNoPairAsWell)
{
    // Four portraits and one 3:1 panorama: portrait cells, the panorama in a
    // 4 x 1 block; a pair for it as well would be a landscape cell that only
    // a portrait is left to fill.
    const CLayoutPlan plan = engineFor(10, 7.5, repeat(4, {3000, 4000}) + repeat(1, {3000, 1000})).planBeforeGrid();
    EXPECT_TRUE(plan.portraitCells);
    EXPECT_EQ(plan.widePanoramas, 1);
    EXPECT_EQ(plan.horizontalPairs, 0);
    EXPECT_EQ(plan.cellsNeeded, 5 + 3);
}

// A landscape photo in a portrait cell or the reverse; a square cell (within
// a float step) suits both.
bool inCellOfOtherOrientation(const QSizeF& photo, const CLayoutCell& cell)
{
    const double cellAspect = double(cell.width) / cell.height;
    const bool cellLandscape = cellAspect > 1.0 + CLayoutEngine::kSquareTolerance;
    const bool cellPortrait = cellAspect < 1.0 - CLayoutEngine::kSquareTolerance;
    return (photo.width() > photo.height() && cellPortrait) || (photo.height() > photo.width() && cellLandscape);
}

struct OrientationCase
{
    const char* what;
    double width;
    double height;
    std::vector<QSizeF> photos;
};

void PrintTo(const OrientationCase& c, std::ostream* out) { *out << c.what; }

class LayoutOrientation : public ::testing::TestWithParam<OrientationCase>
{
};

TEST_P(LayoutOrientation, NoPhotoLandsInACellOfTheOtherOrientation)
{
    const OrientationCase& c = GetParam();
    for (quint32 seed = 1; seed <= 50; ++seed) {
        // The first layout found, and the one chosen among many.
        CLayoutEngine engine(QRectF(0, 0, c.width, c.height), c.photos, seed % 2 ? seeded(seed) : unhurried(seed));
        ASSERT_TRUE(engine.Run()) << "seed " << seed;
        const std::vector<CLayoutPlacement> placements = engine.Assign();
        ASSERT_EQ(placements.size(), c.photos.size());
        for (const CLayoutPlacement& p : placements) {
            EXPECT_FALSE(inCellOfOtherOrientation(c.photos[std::size_t(p.photo)], p.cell))
                << "seed " << seed << ": photo " << p.photo << " in a " << p.cell.width << " x " << p.cell.height
                << " cell";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sets, LayoutOrientation,
    ::testing::Values(
        OrientationCase{"four portraits and a 3:1 panorama", 10, 7.5, repeat(4, {3000, 4000}) + repeat(1, {3000, 1000})},
        OrientationCase{"six portraits, two landscapes and a panorama", 10, 7.5,
                        repeat(6, {3000, 4000}) + repeat(2, {4000, 3000}) + repeat(1, {3000, 1000})},
        // The grid has a cell to spare, which an extra pair takes up.
        OrientationCase{"three landscapes and two portraits", 10, 7.5, repeat(3, {4000, 3000}) + repeat(2, {3000, 4000})},
        // Cells of 2:1 make the portraits' pairs square.
        OrientationCase{"phone photos in square pairs", 24, 36, repeat(31, {1920, 1080}) + repeat(11, {1080, 1920})},
        OrientationCase{"four phone portraits and three phone landscapes", 10, 7.5,
                        repeat(4, {1080, 1920}) + repeat(3, {1920, 1080})},
        OrientationCase{"twelve phone portraits and five camera landscapes", 7.5, 10,
                        repeat(12, {1080, 1920}) + repeat(5, {4000, 3000})},
        OrientationCase{"seven portraits and three landscapes", 10, 7.5,
                        repeat(7, {3000, 4000}) + repeat(3, {6000, 4000})}),
    [](const auto& info) { return std::to_string(info.index); });

// --- Choosing among the layouts found

struct Cut
{
    int otherOrientation = 0;
    double share = 0; // summed over the photos
};

Cut cutOf(const std::vector<QSizeF>& photos, const std::vector<CLayoutPlacement>& placements)
{
    Cut cut;
    for (const CLayoutPlacement& p : placements) {
        const QSizeF& photo = photos[std::size_t(p.photo)];
        const double photoAspect = photo.width() / photo.height();
        const double cellAspect = double(p.cell.width) / p.cell.height;
        cut.share += 1.0 - std::min(photoAspect / cellAspect, cellAspect / photoAspect);
        cut.otherOrientation += inCellOfOtherOrientation(photo, p.cell) ? 1 : 0;
    }
    return cut;
}

std::vector<QSizeF> mixedSet(std::mt19937& random, int count)
{
    const QSizeF shapes[] = {{4000, 3000}, {3000, 4000}, {6000, 4000}, {4000, 6000},
                             {1920, 1080}, {1080, 1920}, {2000, 2000}, {4500, 1000}};
    std::vector<QSizeF> photos;
    for (int i = 0; i < count; ++i)
        photos.push_back(shapes[random() % 8]);
    return photos;
}

TEST(LayoutChoice, NeverCutsMoreThanTheFirstLayoutFound)
{
    // Summed over the sets, each set's mean share per photo.
    double firstShares = 0, chosenShares = 0;
    for (const int count : {5, 9, 16, 40, 150}) {
        for (const auto& [width, height] : {std::pair(10.0, 7.5), std::pair(24.0, 36.0)}) {
            for (quint32 seed = 1; seed <= 4; ++seed) {
                std::mt19937 random(seed * 977u + std::uint32_t(count));
                const std::vector<QSizeF> photos = mixedSet(random, count);
                CLayoutEngine first(QRectF(0, 0, width, height), photos, unhurried(seed, 0));
                CLayoutEngine chosen(QRectF(0, 0, width, height), photos, unhurried(seed));
                ASSERT_TRUE(first.Run());
                ASSERT_TRUE(chosen.Run());
                const std::vector<CLayoutPlacement> placements = chosen.Assign();
                ASSERT_EQ(placements.size(), photos.size());
                const Cut firstCut = cutOf(photos, first.Assign());
                const Cut chosenCut = cutOf(photos, placements);
                EXPECT_LE(chosenCut.otherOrientation, firstCut.otherOrientation) << count << " photos, seed " << seed;
                if (chosenCut.otherOrientation == firstCut.otherOrientation) {
                    EXPECT_LE(chosenCut.share, firstCut.share + 1e-9) << count << " photos, seed " << seed;
                    firstShares += firstCut.share / count;
                    chosenShares += chosenCut.share / count;
                }
            }
        }
    }
    EXPECT_LT(chosenShares, 0.9 * firstShares) << "the choice gains little";
}

TEST(LayoutChoice, APhoneLandscapeAmongPhonePortraitsSpansThreeCells)
{
    // In a pair of 9:16 cells a 16:9 photo would lose more than a third.
    const std::vector<QSizeF> photos = repeat(12, {1080, 1920}) + repeat(4, {1920, 1080});
    CLayoutEngine engine(QRectF(0, 0, 7.5, 10), photos, unhurried(3));
    ASSERT_TRUE(engine.Run());
    EXPECT_EQ(engine.plan().horizontalTriples, 4);
    for (const CLayoutPlacement& p : engine.Assign()) {
        if (p.photo >= 12) {
            EXPECT_NEAR(p.cell.width, 3 * engine.plan().cellWidth, 1e-4);
        }
    }
    EXPECT_LT(cutOf(photos, engine.Assign()).share / double(photos.size()), 0.15);
}

TEST(LayoutSearch, GivesUpWhenTheBudgetIsSpentShowingTheWaitCursorOnce)
{
    // As first written, seven phone portraits ask for more blocks than
    // photos: no try can succeed, so the whole budget is used.
    CLayoutEngine::Options options = seeded(1, true);
    int cursorShown = 0;
    options.showWaitCursor = [&] { ++cursorShown; };
    CLayoutEngine engine(QRectF(0, 0, 10, 7.5), repeat(7, {1080, 1920}), options);
    EXPECT_FALSE(engine.Run());
    EXPECT_EQ(engine.outcome(), Outcome::TimedOut);
    EXPECT_EQ(cursorShown, 1);
    // 10 ms a reading from 0: tries at 10 ... 2990.
    EXPECT_EQ(engine.tries(), 299);
    EXPECT_EQ(engine.plans(), 1 + 299 / CLayoutEngine::kTriesPerPlan);
    EXPECT_TRUE(engine.Assign().empty());
}

TEST(LayoutSearch, AClockPastTheBudgetStopsBeforeTheFirstTry)
{
    CLayoutEngine::Options options = seeded(1);
    auto readings = std::make_shared<int>(0);
    options.clock = [readings] { return (*readings)++ == 0 ? qint64(0) : CLayoutEngine::kTimeBudgetMs; };
    CLayoutEngine engine(QRectF(0, 0, 10, 7.5), repeat(5, {4000, 3000}), options);
    EXPECT_FALSE(engine.Run());
    EXPECT_EQ(engine.tries(), 0);
}

TEST(LayoutSearch, FewerThanTwoPhotosOrACanvasWithoutAreaAreNotLaidOut)
{
    EXPECT_FALSE(engineFor(10, 7.5, {}).Run());
    CLayoutEngine one = engineFor(10, 7.5, repeat(1, {4000, 3000}));
    EXPECT_FALSE(one.Run());
    EXPECT_EQ(one.outcome(), Outcome::NothingToLayOut);
    EXPECT_FALSE(engineFor(0, 7.5, repeat(3, {4000, 3000})).Run());
    EXPECT_FALSE(engineFor(10, std::nan(""), repeat(3, {4000, 3000})).Run());
}

TEST(LayoutSearch, PhotosWithoutAUsableSizeCountAsFourByThree)
{
    CLayoutEngine engine = engineFor(10, 7.5, {QSizeF(0, 0), QSizeF(std::nan(""), 5), QSizeF(-3, 2), QSizeF(3000, 4000)});
    ASSERT_TRUE(engine.Run());
    EXPECT_EQ(engine.plan().landscapes, 3);
    EXPECT_EQ(engine.Assign().size(), 4u);
}

// --- The faults of the rules as first written, and their mends

TEST(LayoutMends, ALoneOrdinaryPhotoBesideAPanoramaIsNotShuffledForEver)
{
    const std::vector<QSizeF> photos = {QSizeF(3000, 1000), QSizeF(1000, 1500)};
    CLayoutEngine literal = engineFor(10, 7.5, photos, 1, true);
    EXPECT_FALSE(literal.Run());
    EXPECT_EQ(literal.outcome(), Outcome::EndlessShuffle);

    CLayoutEngine engine = engineFor(10, 7.5, photos);
    ASSERT_TRUE(engine.Run());
    EXPECT_EQ(engine.Assign().size(), 2u);
}

struct GridCase
{
    const char* what;
    double width;
    double height;
    std::vector<QSizeF> photos;
    Outcome asWritten;
};

void PrintTo(const GridCase& c, std::ostream* out) { *out << c.what; }

class LayoutGridMends : public ::testing::TestWithParam<GridCase>
{
};

TEST_P(LayoutGridMends, KeepAtLeastOneColumnAndOneRowAndRoomForTheLargestBlock)
{
    const GridCase& c = GetParam();
    CLayoutEngine literal = engineFor(c.width, c.height, c.photos, 1, true);
    EXPECT_FALSE(literal.Run());
    EXPECT_EQ(literal.outcome(), c.asWritten);

    CLayoutEngine engine = engineFor(c.width, c.height, c.photos);
    ASSERT_TRUE(engine.Run());
    EXPECT_GE(engine.plan().columns, 1);
    EXPECT_GE(engine.plan().rows, 1);
    EXPECT_EQ(engine.Assign().size(), c.photos.size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutGridMends,
    ::testing::Values(
        GridCase{"two 3:2 landscapes on 4 x 6", 4, 6, repeat(2, {3000, 2000}), Outcome::NoColumns},
        GridCase{"two 16:9 landscapes on 7.5 x 10", 7.5, 10, repeat(2, {1920, 1080}), Outcome::NoColumns},
        GridCase{"two portraits on 24 x 3", 24, 3, repeat(2, {3000, 4000}), Outcome::EndlessGrid},
        GridCase{"a 4 x 1 panorama block on 4 x 6", 4, 6, repeat(2, {3000, 4000}) + repeat(1, {3000, 1000}),
                 Outcome::TimedOut}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(LayoutMends, TheGridIsWideEnoughForAFourByOnePanoramaBlock)
{
    CLayoutEngine engine = engineFor(4, 6, repeat(2, {3000, 4000}) + repeat(1, {3000, 1000}));
    ASSERT_TRUE(engine.Run());
    EXPECT_GE(engine.plan().columns, 4);
    const std::vector<CLayoutPlacement> placements = engine.Assign();
    const CLayoutPlacement* panorama = placementOf(placements, 2);
    ASSERT_NE(panorama, nullptr);
    EXPECT_TRUE(panorama->cell.wideSpecial);
    EXPECT_NEAR(panorama->cell.width, 4 * engine.plan().cellWidth, 1e-4);
}

TEST(LayoutMends, PhonePortraitsAreNotTallPanoramas)
{
    for (const std::vector<QSizeF>& photos :
         {repeat(7, {1080, 1920}), repeat(4, {1080, 1920}) + repeat(3, {1920, 1080})}) {
        CLayoutEngine literal = engineFor(10, 7.5, photos, 1, true);
        EXPECT_FALSE(literal.Run()) << "as written, more blocks than photos";

        CLayoutEngine engine = engineFor(10, 7.5, photos);
        ASSERT_TRUE(engine.Run());
        EXPECT_EQ(engine.plan().tallPanoramas, 0);
        EXPECT_LT(engine.tries(), CLayoutEngine::kTriesPerPlan) << "laid out on the first plan";
        EXPECT_EQ(engine.Assign().size(), photos.size());
    }
}

TEST(LayoutMends, APhotoTwiceAsHighAsWideIsStillATallPanorama)
{
    CLayoutEngine engine = engineFor(10, 7.5, repeat(1, {1000, 2000}) + repeat(3, {3000, 4000}));
    EXPECT_EQ(engine.planBeforeGrid().tallPanoramas, 1);
}

TEST(LayoutMends, APlanNeverAsksForMoreBlocksThanPhotos)
{
    // Seven wide panoramas: seven blocks, and a feature block on top would
    // be an eighth.
    CLayoutEngine engine = engineFor(10, 7.5, repeat(7, {3000, 1000}));
    const CLayoutPlan plan = engine.planBeforeGrid();
    EXPECT_LE(plan.bigBlocks + plan.widePanoramas + plan.tallPanoramas + plan.horizontalPairs + plan.verticalPairs, 7);
    ASSERT_TRUE(engine.Run());
    EXPECT_EQ(engine.Assign().size(), 7u);
}

TEST(LayoutMends, EachPanoramaBlockTakesThePanoramaShapedLikeIt)
{
    const std::vector<QSizeF> photos = repeat(1, {1000, 2000}) + repeat(1, {15000, 1000}) + repeat(6, {3000, 4000})
        + repeat(2, {4000, 3000});
    CLayoutEngine literal = engineFor(10, 7.5, photos, 2, true);
    if (literal.Run()) {
        const std::vector<CLayoutPlacement> literalPlacements = literal.Assign();
        const CLayoutPlacement* tall = placementOf(literalPlacements, 0);
        ASSERT_NE(tall, nullptr);
        EXPECT_TRUE(tall->cell.wideSpecial) << "as written, the 1:2 photo lands in the wide block";
    }

    CLayoutEngine engine = engineFor(10, 7.5, photos, 2);
    ASSERT_TRUE(engine.Run());
    const std::vector<CLayoutPlacement> placements = engine.Assign();
    const CLayoutPlacement* tall = placementOf(placements, 0);
    const CLayoutPlacement* wide = placementOf(placements, 1);
    ASSERT_TRUE(tall && wide);
    EXPECT_TRUE(tall->cell.tallSpecial);
    EXPECT_TRUE(wide->cell.wideSpecial);
}

// The largest distance between a cell's right (bottom) edge and the
// nearest left (top) edge of another cell or the canvas's far side.
float worstEdgeMismatch(const CLayoutEngine& engine, float right, float bottom)
{
    std::set<float> lefts = {right}, tops = {bottom};
    for (const CLayoutCell& cell : engine.cells()) {
        lefts.insert(cell.x);
        tops.insert(cell.y);
    }
    auto nearest = [](const std::set<float>& edges, float value) {
        auto at = edges.lower_bound(value);
        float best = std::numeric_limits<float>::infinity();
        if (at != edges.end())
            best = std::min(best, *at - value);
        if (at != edges.begin())
            best = std::min(best, value - *std::prev(at));
        return best;
    };
    float worst = 0;
    for (const CLayoutCell& cell : engine.cells()) {
        worst = std::max(worst, nearest(lefts, cell.x + cell.width));
        worst = std::max(worst, nearest(tops, cell.y + cell.height));
    }
    return worst;
}

TEST(LayoutMends, NeighbouringCellsShareTheirEdges)
{
    // A canvas offset and sizes that no float holds exactly.
    const std::vector<QSizeF> photos = repeat(170, {4000, 3000}) + repeat(90, {3000, 4000}) + repeat(8, {5000, 1000});
    const QRectF canvas(0.1, 0.1, 36.3, 24.7);
    CLayoutEngine literal(canvas, photos, seeded(6, true));
    ASSERT_TRUE(literal.Run());
    EXPECT_GT(worstEdgeMismatch(literal, float(canvas.right()), float(canvas.bottom())), 1e-6f)
        << "as written, cell sizes multiplied out drift apart";

    CLayoutEngine engine(canvas, photos, seeded(6));
    ASSERT_TRUE(engine.Run());
    float tightest = 0;
    for (const CLayoutCell& cell : engine.cells()) {
        // One float step at the far side of the canvas.
        tightest = std::max(tightest, std::nextafter(cell.x + cell.width, 100.0f) - (cell.x + cell.width));
        EXPECT_LE(cell.x + cell.width, float(canvas.right()));
    }
    EXPECT_LE(worstEdgeMismatch(engine, float(canvas.right()), float(canvas.bottom())), tightest);
}

// --- Coverage: the cells tile the canvas, whatever the set and canvas

struct CoverageCase
{
    int photos;
    double width;
    double height;
};

void PrintTo(const CoverageCase& c, std::ostream* out) { *out << c.photos << " photos on " << c.width << " x " << c.height; }

class LayoutCoverage : public ::testing::TestWithParam<CoverageCase>
{
};

TEST_P(LayoutCoverage, CellsCoverTheCanvasWithoutGapOrOverlap)
{
    const CoverageCase& c = GetParam();
    std::mt19937 random(std::uint32_t(c.photos * 131 + int(c.width)));
    // Camera, phone and square photos of both orientations, one in ten a
    // panorama of 2:1 to 6:1.
    const QSizeF shapes[] = {{4000, 3000}, {3000, 4000}, {6000, 4000}, {4000, 6000}, {1920, 1080}, {1080, 1920}, {2000, 2000}};
    std::vector<QSizeF> photos;
    for (int i = 0; i < c.photos; ++i) {
        if (random() % 10 == 0) {
            const double ratio = 2.0 + (random() % 400) / 100.0;
            photos.push_back(random() % 2 ? QSizeF(1000 * ratio, 1000) : QSizeF(1000, 1000 * ratio));
        } else {
            photos.push_back(shapes[random() % 7]);
        }
    }
    CLayoutEngine::Options options;
    options.seed = std::uint32_t(c.photos);
    CLayoutEngine engine(QRectF(0, 0, c.width, c.height), photos, options);
    ASSERT_TRUE(engine.Run());
    ASSERT_EQ(engine.cells().size(), photos.size());

    // Inside the canvas, and the areas add up to the canvas: with no
    // overlap that leaves no gap.
    double area = 0;
    const std::vector<CLayoutCell>& cells = engine.cells();
    for (const CLayoutCell& cell : cells) {
        EXPECT_GE(cell.x, 0.0f);
        EXPECT_GE(cell.y, 0.0f);
        EXPECT_LE(cell.x + cell.width, float(c.width));
        EXPECT_LE(cell.y + cell.height, float(c.height));
        area += double(cell.width) * cell.height;
    }
    EXPECT_NEAR(area, c.width * c.height, c.width * c.height * 1e-5);
    int overlaps = 0;
    for (std::size_t a = 0; a < cells.size(); ++a) {
        for (std::size_t b = a + 1; b < cells.size(); ++b) {
            const bool apart = cells[a].x + cells[a].width <= cells[b].x || cells[b].x + cells[b].width <= cells[a].x
                || cells[a].y + cells[a].height <= cells[b].y || cells[b].y + cells[b].height <= cells[a].y;
            overlaps += apart ? 0 : 1;
        }
    }
    EXPECT_EQ(overlaps, 0);
}

std::vector<CoverageCase> coverageCases()
{
    std::vector<CoverageCase> cases;
    const std::pair<double, double> canvases[] = {{4, 6}, {6, 4}, {10, 7.5}, {7.5, 10}, {24, 36}, {36, 24}};
    for (const auto& [width, height] : canvases) {
        for (int photos : {2, 3, 5, 7, 13, 40, 120, 300, 500})
            cases.push_back({photos, width, height});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Sets, LayoutCoverage, ::testing::ValuesIn(coverageCases()), [](const auto& info) {
    std::string name = std::to_string(info.param.photos) + "_on_" + std::to_string(int(info.param.width * 10)) + "x"
        + std::to_string(int(info.param.height * 10));
    return name;
});

} // namespace
