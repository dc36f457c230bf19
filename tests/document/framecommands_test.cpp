// The Frame and Canvas menu commands on a real document: each is one undo
// step that one Undo takes back and one Redo puts back, a command that
// changes nothing leaves no step, and the questions are asked only when the
// command needs an answer.

#include "commandfixture.h"

#include "framehittest.h"
#include "photoitem.h"
#include "viewcoords.h"

#include <cmath>
#include <set>

namespace {

constexpr float kTolerance = 1e-4f;

using FrameCommands = CommandFixture;

std::vector<CCanvasRect> rectsOf(const CPicInfoManager& frames)
{
    std::vector<CCanvasRect> rects;
    for (const auto& frame : frames.frames())
        rects.push_back(frame->frameRect());
    return rects;
}

// Fills the photo frames' ids with frames of no size until `left` are free.
void takeFrameIdsLeaving(CPicInfoManager& frames, quint32 left)
{
    std::set<quint32> used;
    for (const auto& frame : frames.frames())
        used.insert(frame->id());
    for (quint32 id = 0; frames.freeFrameIds(CPicInfoManager::kPhotoPlaneNumber) > left; ++id) {
        if (used.count(id))
            continue;
        auto filler = std::make_unique<CPicInfo>();
        filler->setId(id);
        frames.appendFrame(std::move(filler));
    }
}

// --- Split

TEST_F(FrameCommands, SplittingAFourByThreeFrameIntoTwoColumnsAndThreeRowsGivesSixTwoByOnes)
{
    CPicInfo& big = frame({1.0f, 2.0f, 4.0f, 3.0f});
    big.setPhoto(photo("a.png", 40, 30));
    const CCanvasRect image = big.imageRect();
    const quint32 id = big.id();
    undo().Clear();
    select({&big});
    questions.splitAnswer = CSplitCounts{2, 3};

    ASSERT_TRUE(commands().split());
    EXPECT_EQ(questions.splitAsked, 1);
    ASSERT_EQ(frames().frameCount(), 6);
    const std::vector<CCanvasRect> expected = {{1, 2, 2, 1}, {3, 2, 2, 1}, {1, 3, 2, 1},
                                               {3, 3, 2, 1}, {1, 4, 2, 1}, {3, 4, 2, 1}};
    EXPECT_EQ(rectsOf(frames()), expected);
    EXPECT_EQ(frames().frameAt(0), &big);
    EXPECT_NE(big.photo(), nullptr);
    EXPECT_EQ(big.imageRect(), image) << "the first piece shows the top-left part of the picture";
    for (int i = 1; i < 6; ++i) {
        EXPECT_EQ(frames().frameAt(i)->photo(), nullptr);
        EXPECT_TRUE(frames().frameAt(i)->isShown());
    }
    EXPECT_EQ(steps(), 1u);
    EXPECT_TRUE(doc->isModified());

    ASSERT_TRUE(undo().Undo());
    ASSERT_EQ(frames().frameCount(), 1);
    EXPECT_EQ(frames().frameAt(0)->id(), id);
    EXPECT_EQ(frames().frameAt(0)->frameRect(), (CCanvasRect{1, 2, 4, 3}));
    EXPECT_NE(frames().frameAt(0)->photo(), nullptr);

    ASSERT_TRUE(undo().Redo());
    EXPECT_EQ(rectsOf(frames()), expected);
}

TEST_F(FrameCommands, AFrameRotatedThirtyDegreesSplitsIntoRotatedPiecesThatCoverItsOutline)
{
    CPicInfo& big = frame({2.0f, 2.0f, 6.0f, 4.0f});
    quietly([&] { big.setRotation(30.0f); });
    CPicInfo original; // the frame as it was, to test against
    original.setFramePos(2.0f, 2.0f);
    original.setFrameSize(6.0f, 4.0f);
    original.setRotation(30.0f);
    select({&big});

    ASSERT_TRUE(commands().split({3, 2}));
    ASSERT_EQ(frames().frameCount(), 6);
    double area = 0.0;
    for (const auto& piece : frames().frames()) {
        EXPECT_EQ(piece->rotation(), 30.0f);
        EXPECT_NEAR(piece->frameRect().width, 2.0f, kTolerance);
        EXPECT_NEAR(piece->frameRect().height, 2.0f, kTolerance);
        area += piece->frameRect().width * piece->frameRect().height;
        // Every corner of a piece lies on or inside the old outline.
        for (const QPointF& corner : frameOutline(*piece))
            EXPECT_TRUE(frameContainsPoint(original, corner)) << corner.x() << ", " << corner.y();
    }
    EXPECT_NEAR(area, 24.0, 1e-3);
    // And every point of the old outline lies in some piece.
    for (double u = 0.05; u < 1.0; u += 0.1) {
        for (double v = 0.05; v < 1.0; v += 0.1) {
            const QPointF point = original.placementTransform().map(QPointF(u * 6.0, v * 4.0));
            EXPECT_NE(frameAtPoint(frames(), point), nullptr) << u << ", " << v;
        }
    }
    EXPECT_EQ(steps(), 1u);
    ASSERT_TRUE(undo().Undo());
    ASSERT_EQ(frames().frameCount(), 1);
    EXPECT_EQ(frames().frameAt(0)->frameRect(), (CCanvasRect{2, 2, 6, 4}));
}

TEST_F(FrameCommands, SplitIntoOnePieceOrCancelledRecordsNothingAndCountsStopAtNine)
{
    CPicInfo& big = frame({0.0f, 0.0f, 4.0f, 3.0f});
    select({&big});
    questions.splitAnswer = std::nullopt;
    EXPECT_FALSE(commands().split());
    questions.splitAnswer = CSplitCounts{1, 1};
    EXPECT_FALSE(commands().split());
    EXPECT_FALSE(commands().split({0, -3})) << "counts below 2 are one piece";
    EXPECT_EQ(frames().frameCount(), 1);
    EXPECT_FALSE(undo().CanUndo());
    EXPECT_FALSE(doc->isModified());

    ASSERT_TRUE(commands().split({50, 1}));
    EXPECT_EQ(frames().frameCount(), 9) << "counts beyond nine are nine";
}

TEST_F(FrameCommands, SplitAndDuplicateRefuseAsAWholeWhenTooFewFrameIdsAreLeft)
{
    CPicInfo& a = frame({0.0f, 0.0f, 4.0f, 3.0f});
    CPicInfo& b = frame({5.0f, 0.0f, 2.0f, 2.0f});
    quietly([&] { takeFrameIdsLeaving(frames(), 1); });
    const int count = frames().frameCount();
    const std::vector<CCanvasRect> before = rectsOf(frames());
    const QString exhausted = services->catalogue().text("FrameIdsExhausted");
    select({&a, &b});

    EXPECT_FALSE(commands().split({2, 1})) << "two pieces more, one id left";
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], exhausted);
    EXPECT_FALSE(commands().duplicate(CViewCoords(96.0f, 96.0f)));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1], exhausted);
    EXPECT_EQ(frames().frameCount(), count);
    EXPECT_EQ(rectsOf(frames()), before) << "no frame is split half-way";
    EXPECT_EQ(steps(), 0u);
    EXPECT_EQ(selection().frames(), (std::vector<CPicInfo*>{&a, &b}));

    select({&a});
    ASSERT_TRUE(commands().split({2, 1})) << "the last id is enough for one piece";
    EXPECT_EQ(frames().frameCount(), count + 1);
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(FrameCommands, SplitWorksOnALockedCollageAndLeavesItLocked)
{
    CPicInfo& big = frame({0.0f, 0.0f, 4.0f, 2.0f});
    quietly([&] { frames().setFramesLocked(true); });
    select({&big});
    ASSERT_TRUE(commands().split({2, 1}));
    EXPECT_EQ(frames().frameCount(), 2);
    EXPECT_TRUE(frames().framesLocked());
    for (const auto& piece : frames().frames())
        EXPECT_FALSE(piece->hasPermission(CPicInfo::kPermissionMoveFrame)) << "the pieces are locked too";

    ASSERT_TRUE(undo().Undo());
    EXPECT_EQ(rectsOf(frames()), (std::vector<CCanvasRect>{{0, 0, 4, 2}}));
    EXPECT_TRUE(frames().framesLocked());
    ASSERT_TRUE(undo().Redo());
    EXPECT_EQ(frames().frameCount(), 2);
}

TEST_F(FrameCommands, SplittingSeveralFramesIsOneStep)
{
    CPicInfo& left = frame({0.0f, 0.0f, 2.0f, 2.0f});
    CPicInfo& right = frame({3.0f, 0.0f, 2.0f, 2.0f});
    select({&left, &right});
    ASSERT_TRUE(commands().split({2, 2}));
    EXPECT_EQ(frames().frameCount(), 8);
    EXPECT_EQ(steps(), 1u);
    undo().Undo();
    EXPECT_EQ(frames().frameCount(), 2);
}

// --- Merge

TEST_F(FrameCommands, MergingFramesThatFormARectangleAsksNothing)
{
    CPicInfo& left = frame({1.0f, 1.0f, 2.0f, 3.0f});
    CPicInfo& right = frame({3.0f, 1.0f, 2.0f, 3.0f});
    left.setPhoto(photo("m.png", 20, 30));
    const CCanvasRect image = left.imageRect();
    const quint32 rightId = right.id();
    undo().Clear();
    select({&left, &right});

    ASSERT_TRUE(commands().merge());
    EXPECT_EQ(questions.mergeAsked, 0);
    ASSERT_EQ(frames().frameCount(), 1);
    EXPECT_EQ(left.frameRect(), (CCanvasRect{1, 1, 4, 3}));
    EXPECT_NE(left.photo(), nullptr);
    EXPECT_EQ(left.imageRect(), image);
    EXPECT_EQ(steps(), 1u);

    ASSERT_TRUE(undo().Undo());
    ASSERT_EQ(frames().frameCount(), 2);
    EXPECT_EQ(frames().frameAt(1)->id(), rightId);
    EXPECT_EQ(rectsOf(frames()), (std::vector<CCanvasRect>{{1, 1, 2, 3}, {3, 1, 2, 3}}));
}

TEST_F(FrameCommands, MergingFramesThatLeaveAGapAsksAndNoLeavesEverythingAsItWas)
{
    CPicInfo& a = frame({0.0f, 0.0f, 2.0f, 2.0f});
    CPicInfo& b = frame({3.0f, 3.0f, 2.0f, 2.0f});
    select({&b, &a});
    questions.mergeAnswer = false;
    EXPECT_FALSE(commands().merge());
    EXPECT_EQ(questions.mergeAsked, 1);
    EXPECT_EQ(frames().frameCount(), 2);
    EXPECT_FALSE(undo().CanUndo());

    questions.mergeAnswer = true;
    ASSERT_TRUE(commands().merge());
    ASSERT_EQ(frames().frameCount(), 1);
    EXPECT_EQ(frames().frameAt(0), &b) << "the first selected frame survives";
    EXPECT_EQ(b.frameRect(), (CCanvasRect{0, 0, 5, 5}));
}

TEST_F(FrameCommands, MergingARotatedFrameAsksAndStandsTheResultUpright)
{
    CPicInfo& a = frame({0.0f, 0.0f, 2.0f, 2.0f});
    CPicInfo& b = frame({2.0f, 0.0f, 2.0f, 2.0f});
    quietly([&] { a.setRotation(15.0f); });
    select({&a, &b});
    questions.mergeAnswer = true;
    ASSERT_TRUE(commands().merge());
    EXPECT_EQ(questions.mergeAsked, 1);
    EXPECT_EQ(a.rotation(), 0.0f);
    undo().Undo();
    EXPECT_EQ(frames().findFrame(a.id())->rotation(), 15.0f);
}

TEST_F(FrameCommands, UndoingAMergeGivesTheMergedFramesBackTheirOwnImagePlacement)
{
    CPicInfo& a = frame({0.0f, 0.0f, 2.0f, 2.0f});
    CPicInfo& b = frame({2.0f, 0.0f, 2.0f, 2.0f});
    b.setPhoto(photo("landscape.png", 40, 20));
    // Squeezed by hand into a portrait shape: unusual, but the user's to choose.
    b.setImageSize(1.0f, 3.0f);
    const CCanvasRect image = b.imageRect();
    const quint32 id = b.id();
    undo().Clear();
    select({&a, &b});

    ASSERT_TRUE(commands().merge());
    ASSERT_TRUE(undo().Undo());
    const CPicInfo* restored = frames().findFrame(id);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->imageRect(), image);
}

TEST_F(FrameCommands, MergingOneFrameDoesNothing)
{
    CPicInfo& a = frame({0.0f, 0.0f, 2.0f, 2.0f});
    select({&a});
    EXPECT_FALSE(commands().merge());
    EXPECT_FALSE(undo().CanUndo());
}

// --- Rotation

TEST_F(FrameCommands, SpinRightTwiceIsAQuarterTurnAndEightTimesIsUpright)
{
    CPicInfo& a = frame({0.0f, 0.0f, 2.0f, 2.0f});
    select({&a});
    commands().spinRight();
    commands().spinRight();
    EXPECT_EQ(a.rotation(), 90.0f);
    for (int i = 0; i < 6; ++i)
        commands().spinRight();
    EXPECT_EQ(a.rotation(), 0.0f);
    EXPECT_EQ(steps(), 8u);
    commands().spinLeft();
    EXPECT_EQ(a.rotation(), -45.0f);
}

TEST_F(FrameCommands, SnapUprightRecordsOnlyWhenAFrameIsTurned)
{
    CPicInfo& a = frame({0.0f, 0.0f, 2.0f, 2.0f});
    CPicInfo& b = frame({3.0f, 0.0f, 2.0f, 2.0f});
    select({&a, &b});
    EXPECT_FALSE(commands().snapUpright());
    EXPECT_FALSE(undo().CanUndo());
    quietly([&] {
        a.setRotation(10.0f);
        b.setRotation(-100.0f);
    });
    ASSERT_TRUE(commands().snapUpright());
    EXPECT_EQ(a.rotation(), 0.0f);
    EXPECT_EQ(b.rotation(), 0.0f);
    undo().Undo();
    EXPECT_EQ(a.rotation(), 10.0f);
    EXPECT_EQ(b.rotation(), -100.0f);
}

TEST_F(FrameCommands, LockedFramesAreNeitherSpunNorResized)
{
    CPicInfo& a = frame({0.0f, 0.0f, 4.0f, 2.0f});
    quietly([&] { frames().setFramesLocked(true); });
    select({&a});
    EXPECT_FALSE(commands().spinRight());
    EXPECT_FALSE(commands().swapDimensions());
    EXPECT_EQ(a.rotation(), 0.0f);
    EXPECT_EQ(a.frameRect(), (CCanvasRect{0, 0, 4, 2}));
    EXPECT_FALSE(undo().CanUndo());
    EXPECT_FALSE(doc->isModified());
}

// --- Sizes

TEST_F(FrameCommands, SwapDimensionsKeepsTheTopLeftCorner)
{
    CPicInfo& a = frame({1.0f, 2.0f, 4.0f, 3.0f});
    CPicInfo& square = frame({6.0f, 2.0f, 2.0f, 2.0f});
    select({&a, &square});
    ASSERT_TRUE(commands().swapDimensions());
    EXPECT_EQ(a.frameRect(), (CCanvasRect{1, 2, 3, 4}));
    EXPECT_EQ(steps(), 1u);
    undo().Undo();
    EXPECT_EQ(a.frameRect(), (CCanvasRect{1, 2, 4, 3}));
    select({&square});
    EXPECT_FALSE(commands().swapDimensions()) << "a square does not change";
}

TEST_F(FrameCommands, SnapFrameToImageShowsExactlyTheWholeImage)
{
    CPicInfo& a = frame({1.0f, 1.0f, 2.0f, 2.0f});
    CPicInfo& empty = frame({5.0f, 1.0f, 2.0f, 2.0f});
    a.setPhoto(photo("wide.png", 40, 20)); // covers the frame as 4 × 2
    undo().Clear();
    select({&a, &empty});

    ASSERT_TRUE(commands().snapFrameToImage());
    EXPECT_EQ(a.frameRect(), (CCanvasRect{1, 1, 4, 2}));
    EXPECT_EQ(a.imageRect(), (CCanvasRect{1, 1, 4, 2}));
    EXPECT_EQ(empty.frameRect(), (CCanvasRect{5, 1, 2, 2}));
    EXPECT_EQ(steps(), 1u);
    undo().Undo();
    EXPECT_EQ(a.frameRect(), (CCanvasRect{1, 1, 2, 2}));
    EXPECT_EQ(a.imageRect(), (CCanvasRect{0, 1, 4, 2}));
}

TEST_F(FrameCommands, SnapImageToFrameFitsTheImageAgain)
{
    CPicInfo& a = frame({0.0f, 0.0f, 2.0f, 2.0f});
    CPicInfo& empty = frame({5.0f, 1.0f, 2.0f, 2.0f});
    a.setPhoto(photo("tall.png", 10, 30));
    a.setImagePos(0.5f, 0.5f);
    a.setImageSize(1.0f, 3.0f);
    undo().Clear();
    select({&a, &empty});

    ASSERT_TRUE(commands().snapImageToFrame());
    EXPECT_EQ(a.imageRect(), (CCanvasRect{0, -2, 2, 6}));
    EXPECT_EQ(steps(), 1u);
    EXPECT_FALSE(commands().snapImageToFrame()) << "a fitted image stays as it is";
    undo().Undo();
    EXPECT_EQ(a.imageRect(), (CCanvasRect{0.5f, 0.5f, 1.0f, 3.0f}));
}

// --- Duplicate

TEST_F(FrameCommands, DuplicateAtZoomOneShiftsTheCopyByTwentyPixelsOfANinetySixDpiScreen)
{
    CPicInfo& a = frame({1.0f, 1.0f, 2.0f, 2.0f});
    CPicInfo& b = frame({4.0f, 1.0f, 2.0f, 2.0f});
    a.setPhoto(photo("d.png", 20, 20));
    a.setAlpha(0.5f);
    a.setDescription(QStringLiteral("sea"));
    quietly([&] { a.setRotation(45.0f); });
    undo().Clear();
    select({&a, &b});
    const CViewCoords view(96.0f, 96.0f);

    ASSERT_TRUE(commands().duplicate(view));
    ASSERT_EQ(frames().frameCount(), 4);
    CPicInfo& copy = *frames().frameAt(2);
    const float d = 20.0f / 96.0f;
    EXPECT_NEAR(copy.frameRect().x, 1.0f + d, kTolerance);
    EXPECT_NEAR(copy.frameRect().y, 1.0f + d, kTolerance);
    EXPECT_EQ(copy.photo(), a.photo());
    EXPECT_EQ(copy.attributes().alpha(), 0.5f);
    EXPECT_EQ(copy.attributes().description(), QStringLiteral("sea"));
    EXPECT_EQ(copy.rotation(), 45.0f);
    EXPECT_NEAR(copy.imageRect().x, a.imageRect().x + d, kTolerance) << "the image travels with its frame";
    EXPECT_NE(copy.id(), a.id());

    ASSERT_EQ(selection().Count(), 2);
    EXPECT_EQ(selection().frames()[0], &copy);
    EXPECT_EQ(selection().frames()[1], frames().frameAt(3));
    EXPECT_EQ(steps(), 1u);

    ASSERT_TRUE(undo().Undo());
    EXPECT_EQ(frames().frameCount(), 2);
    EXPECT_TRUE(selection().IsEmpty()) << "the copies went, and with them the selection";
    ASSERT_TRUE(undo().Redo());
    ASSERT_EQ(frames().frameCount(), 4);
    EXPECT_EQ(frames().frameAt(2)->attributes().description(), QStringLiteral("sea"));
    EXPECT_EQ(frames().frameAt(2)->photo(), frames().frameAt(0)->photo());
}

TEST_F(FrameCommands, DuplicateFollowsTheZoom)
{
    CPicInfo& a = frame({1.0f, 1.0f, 2.0f, 2.0f});
    select({&a});
    CViewCoords view(96.0f, 96.0f);
    view.setZoom(2.0f);
    ASSERT_TRUE(commands().duplicate(view));
    EXPECT_NEAR(frames().frameAt(1)->frameRect().x, 1.0f + 20.0f / 192.0f, kTolerance);
}

// --- Resize canvas to fit collage

TEST_F(FrameCommands, ResizeCanvasToFitMovesTheFramesToTheCornerAndShrinksTheCanvas)
{
    CPicInfo& a = frame({1.0f, 2.0f, 2.0f, 1.0f});
    CPicInfo& b = frame({4.0f, 3.0f, 2.0f, 2.0f});
    a.setPhoto(photo("r.png", 20, 10));
    const CCanvasRect image = a.imageRect();
    undo().Clear();

    ASSERT_TRUE(commands().resizeCanvasToFit());
    EXPECT_EQ(a.frameRect(), (CCanvasRect{0, 0, 2, 1}));
    EXPECT_EQ(b.frameRect(), (CCanvasRect{3, 1, 2, 2}));
    EXPECT_EQ(a.imageRect(), (CCanvasRect{image.x - 1, image.y - 2, image.width, image.height}));
    EXPECT_EQ(doc->canvasWidth(), 5.0f);
    EXPECT_EQ(doc->canvasHeight(), 3.0f);
    EXPECT_EQ(steps(), 1u);
    EXPECT_FALSE(commands().resizeCanvasToFit()) << "a fitted canvas stays as it is";

    ASSERT_TRUE(undo().Undo());
    EXPECT_EQ(a.frameRect(), (CCanvasRect{1, 2, 2, 1}));
    EXPECT_EQ(doc->canvasWidth(), 10.0f);
    EXPECT_EQ(doc->canvasHeight(), 7.5f);
}

TEST_F(FrameCommands, ResizeCanvasToFitCountsRotatedOutlinesAndSkipsHiddenAndThinFrames)
{
    CPicInfo& turned = frame({2.0f, 2.0f, 4.0f, 2.0f});
    CPicInfo& hidden = frame({-5.0f, -5.0f, 1.0f, 1.0f});
    CPicInfo& thin = frame({-3.0f, 0.0f, 0.0f, 9.0f});
    quietly([&] {
        turned.setRotation(90.0f); // stands from (3, 1) to (5, 5)
        hidden.setShown(false);
    });
    ASSERT_TRUE(commands().resizeCanvasToFit());
    EXPECT_NEAR(turned.frameRect().x, -1.0f, kTolerance);
    EXPECT_NEAR(turned.frameRect().y, 1.0f, kTolerance);
    EXPECT_NEAR(doc->canvasWidth(), 2.0f, kTolerance);
    EXPECT_NEAR(doc->canvasHeight(), 4.0f, kTolerance);
    EXPECT_NEAR(hidden.frameRect().x, -8.0f, kTolerance) << "every frame moves with the collage";
    EXPECT_NEAR(thin.frameRect().x, -6.0f, kTolerance);
}

TEST_F(FrameCommands, ResizeCanvasToFitMovesALockedCollageAndOnAnEmptyCanvasDoesNothing)
{
    EXPECT_FALSE(commands().resizeCanvasToFit());
    CPicInfo& a = frame({1.0f, 1.0f, 2.0f, 2.0f});
    quietly([&] { frames().setFramesLocked(true); });
    ASSERT_TRUE(commands().resizeCanvasToFit());
    EXPECT_EQ(a.frameRect(), (CCanvasRect{0, 0, 2, 2}));
    EXPECT_TRUE(frames().framesLocked());
    undo().Undo();
    EXPECT_EQ(a.frameRect(), (CCanvasRect{1, 1, 2, 2}));
    EXPECT_TRUE(frames().framesLocked());
}

// --- Across the commands

TEST_F(FrameCommands, EveryCommandWithNothingSelectedLeavesNoStep)
{
    frame({1.0f, 1.0f, 2.0f, 2.0f});
    questions.splitAnswer = CSplitCounts{3, 3};
    questions.mergeAnswer = true;
    CFrameCommands c = commands();
    EXPECT_FALSE(c.split());
    EXPECT_FALSE(c.merge());
    EXPECT_FALSE(c.swapDimensions());
    EXPECT_FALSE(c.snapUpright());
    EXPECT_FALSE(c.spinRight());
    EXPECT_FALSE(c.spinLeft());
    EXPECT_FALSE(c.snapFrameToImage());
    EXPECT_FALSE(c.snapImageToFrame());
    EXPECT_FALSE(c.duplicate(CViewCoords()));
    EXPECT_FALSE(undo().CanUndo());
    EXPECT_EQ(undo().depth(), 0);
    EXPECT_FALSE(doc->isModified());
}

TEST_F(FrameCommands, TheMergeQuestionComesFromTheCatalogueAndOnlyYesGoesOn)
{
    answer = MsgButton::Yes;
    EXPECT_TRUE(askMergeWarning(services->catalogue()));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("The merge you have requested may cause frames to overlap;")));
    EXPECT_EQ(styles[0], MsgStyle::QuestionYesNoCancel);
    answer = MsgButton::Cancel;
    EXPECT_FALSE(askMergeWarning(services->catalogue()));
}

TEST_F(FrameCommands, ClearingTheDocumentEmptiesTheSelection)
{
    CPicInfo& a = frame({1.0f, 1.0f, 2.0f, 2.0f});
    select({&a});
    doc->newDocument();
    EXPECT_TRUE(selection().IsEmpty());
    EXPECT_EQ(frames().frameCount(), 0);
}

} // namespace
