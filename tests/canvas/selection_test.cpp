// The selection as the mouse and the navigation keys drive it: adding with
// its flags, clicks with and without Shift and Ctrl, the click that resolves
// on release, the bounding box and its plain-rectangle test, rubber bands,
// Tab and its relatives, frames that are deleted or hidden under it, and
// the legacy list of old projects.

#include "framefixture.h"

#include "frameops.h"
#include "selection.h"
#include "undo.h"

#include <vector>

namespace {

// Replays frame actions the way the document does, without a document.
class FrameReplayTarget : public CUndoTarget
{
public:
    explicit FrameReplayTarget(CPicInfoManager& frames)
        : m_frames(frames)
    {
    }
    bool ApplyUndo(CUndoItem& item, CArchive& snapshot, Direction) override
    {
        return CFrameOps(m_frames).replay(item, snapshot);
    }

private:
    CPicInfoManager& m_frames;
};

class SelectionTest : public FrameFixture
{
protected:
    SelectionTest()
    {
        manager.setUndo(&undo);
        undo.setTarget(&target);
        selection.setMarkListener([this](const CPicInfo& frame, bool selected) {
            marks.push_back({frame.id(), selected});
        });
    }
    ~SelectionTest() override { manager.setUndo(nullptr); }

    CPicInfo& shownFrame(const CCanvasRect& rect, quint32 id)
    {
        CPicInfo& frame = addFrame(rect, id);
        CUndoSuspend quiet(&undo);
        frame.setShown(true);
        return frame;
    }
    // A row of three 2 × 2 frames with a gap of 1 between them, and a fourth below the first.
    void makeRow()
    {
        a = &shownFrame({0.0f, 0.0f, 2.0f, 2.0f}, 1);
        b = &shownFrame({3.0f, 0.0f, 2.0f, 2.0f}, 2);
        c = &shownFrame({6.0f, 0.0f, 2.0f, 2.0f}, 3);
        d = &shownFrame({0.0f, 5.0f, 2.0f, 2.0f}, 4);
    }
    std::vector<quint32> selectedIds() const
    {
        std::vector<quint32> ids;
        for (const CPicInfo* frame : selection.frames())
            ids.push_back(frame->id());
        return ids;
    }
    size_t steps() const { return undo.undoList().size(); }

    struct Mark
    {
        quint32 id;
        bool selected;
    };

    CUndo undo;
    FrameReplayTarget target{manager};
    CSelection selection{undo, manager};
    std::vector<Mark> marks;
    CPicInfo* a = nullptr;
    CPicInfo* b = nullptr;
    CPicInfo* c = nullptr;
    CPicInfo* d = nullptr;
};

using Ids = std::vector<quint32>;

// --- Add, Remove, Clear

TEST_F(SelectionTest, APlainAddReplacesTheSelectionAndExtendAppendsInOrder)
{
    makeRow();
    EXPECT_TRUE(selection.Add(c, CSelection::AddAlone));
    EXPECT_TRUE(selection.Add(a, CSelection::AddExtend));
    EXPECT_FALSE(selection.Add(a, CSelection::AddExtend)) << "an already selected frame is not added twice";
    EXPECT_EQ(selectedIds(), (Ids{3, 1}));
    EXPECT_TRUE(selection.Add(b, CSelection::AddAlone));
    EXPECT_EQ(selectedIds(), (Ids{2}));
    EXPECT_TRUE(selection.IsSelected(b));
    EXPECT_FALSE(selection.IsSelected(c));
}

TEST_F(SelectionTest, TheToggleFlagRemovesAnAlreadySelectedFrame)
{
    makeRow();
    selection.Add(a, CSelection::AddExtend);
    selection.Add(b, CSelection::AddExtend);
    EXPECT_FALSE(selection.Add(a, CSelection::AddToggle));
    EXPECT_EQ(selectedIds(), (Ids{2}));
    EXPECT_TRUE(selection.Add(a, CSelection::AddToggle));
    EXPECT_EQ(selectedIds(), (Ids{2, 1}));
}

TEST_F(SelectionTest, HiddenFramesAndFramesOfAnotherCollectionAreRefused)
{
    makeRow();
    {
        CUndoSuspend quiet(&undo);
        b->setShown(false);
    }
    EXPECT_FALSE(selection.Add(b, CSelection::AddExtend));
    CPicInfo stray;
    stray.setShown(true);
    EXPECT_FALSE(selection.Add(&stray, CSelection::AddExtend));
    EXPECT_FALSE(selection.Add(nullptr, CSelection::AddExtend));
    EXPECT_TRUE(selection.IsEmpty());
}

TEST_F(SelectionTest, RemovingTheFocusFrameTakesTheFocusAwayAndTellsTheView)
{
    makeRow();
    selection.Add(a, CSelection::AddExtend);
    selection.Add(b, CSelection::AddExtend);
    EXPECT_FALSE(selection.setFocusFrame(c)) << "only a selected frame can carry the focus";
    EXPECT_TRUE(selection.setFocusFrame(b));
    marks.clear();
    EXPECT_TRUE(selection.Remove(b));
    EXPECT_FALSE(selection.Remove(b));
    EXPECT_EQ(selection.focusFrame(), nullptr);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].id, 2u);
    EXPECT_FALSE(marks[0].selected);
}

TEST_F(SelectionTest, ClearKeepsTheGivenFrameAndLeavesNoUndoStep)
{
    makeRow();
    for (CPicInfo* frame : {a, b, c})
        selection.Add(frame, CSelection::AddExtend);
    const size_t before = steps();
    selection.Clear(b);
    EXPECT_EQ(selectedIds(), (Ids{2}));
    selection.Clear();
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_EQ(steps(), before);
    EXPECT_EQ(undo.depth(), 0) << "every group Clear opens is closed again";
}

TEST_F(SelectionTest, IterationGoesOnAfterTheCurrentFrameIsRemoved)
{
    makeRow();
    for (CPicInfo* frame : {a, b, c})
        selection.Add(frame, CSelection::AddExtend);
    std::vector<quint32> seen;
    for (CPicInfo* frame = selection.First(); frame; frame = selection.Next()) {
        seen.push_back(frame->id());
        if (frame == a)
            selection.Remove(a);
    }
    EXPECT_EQ(seen, (Ids{1, 2, 3}));
}

// --- Clicks

TEST_F(SelectionTest, APlainClickSelectsTheFrameAloneAndOnTheCanvasClears)
{
    makeRow();
    selection.SelectAtPoint(CSelection::ClickPlain, {1.0, 1.0});
    EXPECT_EQ(selectedIds(), (Ids{1}));
    selection.SelectAtPoint(CSelection::ClickPlain, {4.0, 1.0});
    EXPECT_EQ(selectedIds(), (Ids{2}));
    selection.SelectAtPoint(CSelection::ClickPlain, {2.5, 1.0});
    EXPECT_TRUE(selection.IsEmpty());
}

TEST_F(SelectionTest, ClickingOneOfThreeKeepsAllForADragAndTheReleaseSelectsItAlone)
{
    makeRow();
    for (CPicInfo* frame : {a, b, c})
        selection.Add(frame, CSelection::AddExtend);

    selection.SelectAtPoint(CSelection::ClickPlain, {4.0, 1.0});
    EXPECT_EQ(selection.Count(), 3) << "the whole selection stays for a drag";
    EXPECT_TRUE(selection.hasPendingClick());
    selection.ResolveClick({4.5, 1.0}); // the pointer moved: it was a drag
    EXPECT_EQ(selection.Count(), 3);
    EXPECT_FALSE(selection.hasPendingClick());

    selection.SelectAtPoint(CSelection::ClickPlain, {4.0, 1.0});
    selection.ResolveClick({4.0, 1.0});
    EXPECT_EQ(selectedIds(), (Ids{2}));
}

TEST_F(SelectionTest, AForgottenPendingClickSelectsNothingOnRelease)
{
    makeRow();
    selection.Add(a, CSelection::AddExtend);
    selection.Add(b, CSelection::AddExtend);
    selection.SelectAtPoint(CSelection::ClickPlain, {1.0, 1.0});
    selection.ForgetPendingClick();
    selection.ResolveClick({1.0, 1.0});
    EXPECT_EQ(selection.Count(), 2);
}

TEST_F(SelectionTest, CtrlClickTogglesAFrame)
{
    makeRow();
    selection.SelectAtPoint(CSelection::ClickPlain, {1.0, 1.0});
    selection.SelectAtPoint(CSelection::ClickCtrl, {7.0, 1.0});
    EXPECT_EQ(selectedIds(), (Ids{1, 3}));
    selection.SelectAtPoint(CSelection::ClickCtrl, {1.0, 1.0});
    EXPECT_EQ(selectedIds(), (Ids{3}));
    selection.SelectAtPoint(CSelection::ClickCtrl, {2.5, 1.0});
    EXPECT_EQ(selectedIds(), (Ids{3})) << "a Ctrl-click beside every frame changes nothing";
}

TEST_F(SelectionTest, ShiftClickSelectsEveryFrameInTheRectangleSpanningBoth)
{
    makeRow();
    selection.SelectAtPoint(CSelection::ClickPlain, {1.0, 1.0});
    selection.SelectAtPoint(CSelection::ClickShift, {7.0, 1.0});
    EXPECT_EQ(selectedIds(), (Ids{1, 2, 3})) << "b lies between a and c; d lies below";

    // The anchor stays: a second Shift-click spans from it again.
    selection.SelectAtPoint(CSelection::ClickShift, {1.0, 6.0});
    EXPECT_EQ(selectedIds(), (Ids{1, 4}));
}

TEST_F(SelectionTest, ShiftClickWithNothingSelectedSelectsTheFrameAndAnchorsOnIt)
{
    makeRow();
    selection.SelectAtPoint(CSelection::ClickShift, {4.0, 1.0});
    EXPECT_EQ(selectedIds(), (Ids{2}));
    EXPECT_EQ(selection.rangeRect(), QRectF(3.0, 0.0, 2.0, 2.0));
    selection.SelectAtPoint(CSelection::ClickShift, {7.0, 1.0});
    EXPECT_EQ(selectedIds(), (Ids{2, 3}));
    selection.SelectAtPoint(CSelection::ClickPlain, {7.0, 1.0});
    EXPECT_TRUE(selection.rangeRect().isEmpty()) << "a plain click drops the anchor";
}

// --- Bounding box

TEST_F(SelectionTest, FramesThatTileARectangleArePlainAndAGapIsNot)
{
    CPicInfo& left = shownFrame({0.0f, 0.0f, 2.0f, 3.0f}, 1);
    CPicInfo& right = shownFrame({2.0f, 0.0f, 2.0f, 3.0f}, 2);
    CPicInfo& far = shownFrame({5.0f, 0.0f, 2.0f, 3.0f}, 3);
    selection.Add(&left, CSelection::AddExtend);
    selection.Add(&right, CSelection::AddExtend);
    bool notPlain = true;
    EXPECT_EQ(selection.BoundingBox(&notPlain), QRectF(0.0, 0.0, 4.0, 3.0));
    EXPECT_FALSE(notPlain);

    selection.Add(&far, CSelection::AddExtend);
    EXPECT_EQ(selection.BoundingBox(&notPlain), QRectF(0.0, 0.0, 7.0, 3.0));
    EXPECT_TRUE(notPlain);
}

TEST_F(SelectionTest, AnLShapeOrARotatedFrameIsNotAPlainRectangle)
{
    CPicInfo& top = shownFrame({0.0f, 0.0f, 4.0f, 2.0f}, 1);
    CPicInfo& below = shownFrame({0.0f, 2.0f, 2.0f, 2.0f}, 2);
    selection.Add(&top, CSelection::AddExtend);
    selection.Add(&below, CSelection::AddExtend);
    bool notPlain = false;
    selection.BoundingBox(&notPlain);
    EXPECT_TRUE(notPlain);

    selection.Clear();
    selection.Add(&top, CSelection::AddExtend);
    selection.BoundingBox(&notPlain);
    EXPECT_FALSE(notPlain);
    {
        CUndoSuspend quiet(&undo);
        top.setRotation(30.0f);
    }
    selection.BoundingBox(&notPlain);
    EXPECT_TRUE(notPlain);
}

TEST_F(SelectionTest, OverlappingFramesThatFillTheirBoxArePlain)
{
    CPicInfo& wide = shownFrame({0.0f, 0.0f, 4.0f, 2.0f}, 1);
    CPicInfo& tall = shownFrame({3.0f, 0.0f, 1.0f, 4.0f}, 2);
    CPicInfo& fill = shownFrame({0.0f, 1.5f, 3.5f, 2.5f}, 3);
    for (CPicInfo* frame : {&wide, &tall, &fill})
        selection.Add(frame, CSelection::AddExtend);
    bool notPlain = true;
    EXPECT_EQ(selection.BoundingBox(&notPlain), QRectF(0.0, 0.0, 4.0, 4.0));
    EXPECT_FALSE(notPlain);
}

// --- Rubber band

TEST_F(SelectionTest, SelectInRectAddsFramesInsideAndDropsOthersUnlessExtending)
{
    makeRow();
    selection.Add(d, CSelection::AddExtend);
    selection.SelectInRect(QRectF(-0.5, -0.5, 6.0, 3.0), CSelection::AddRubberBand);
    EXPECT_EQ(selectedIds(), (Ids{1, 2})) << "d lies outside and is dropped; c only touches";

    selection.Add(d, CSelection::AddExtend);
    selection.SelectInRect(QRectF(5.5, -1.0, 3.0, 4.0), CSelection::AddRubberBand | CSelection::AddExtend);
    EXPECT_EQ(selectedIds(), (Ids{1, 2, 4, 3}));
}

// --- Navigation

TEST_F(SelectionTest, TabOnTheLastFrameSelectsTheFirst)
{
    makeRow();
    selection.Add(d, CSelection::AddAlone);
    EXPECT_TRUE(selection.SelectNext());
    EXPECT_EQ(selectedIds(), (Ids{1}));
    EXPECT_TRUE(selection.SelectNext());
    EXPECT_EQ(selectedIds(), (Ids{2}));
}

TEST_F(SelectionTest, ShiftTabOnTheFirstFrameSelectsTheLast)
{
    makeRow();
    selection.Add(b, CSelection::AddAlone);
    selection.SelectPrevious();
    EXPECT_EQ(selectedIds(), (Ids{1}));
    selection.SelectPrevious();
    EXPECT_EQ(selectedIds(), (Ids{4}));
}

TEST_F(SelectionTest, TabFollowsTheFirstSelectedFrameAndPassesOverHiddenOnes)
{
    makeRow();
    {
        CUndoSuspend quiet(&undo);
        b->setShown(false);
    }
    selection.Add(a, CSelection::AddExtend);
    selection.Add(d, CSelection::AddExtend);
    selection.SelectNext();
    EXPECT_EQ(selectedIds(), (Ids{3}));
}

TEST_F(SelectionTest, TabWithNothingSelectedStartsAtEitherEnd)
{
    makeRow();
    selection.SelectNext();
    EXPECT_EQ(selectedIds(), (Ids{1}));
    selection.Clear();
    selection.SelectPrevious();
    EXPECT_EQ(selectedIds(), (Ids{4}));
    selection.SelectFirst();
    EXPECT_EQ(selectedIds(), (Ids{1}));
    selection.SelectLast();
    EXPECT_EQ(selectedIds(), (Ids{4}));
}

TEST_F(SelectionTest, SelectAllTakesEveryDrawnFrameInStackingOrder)
{
    makeRow();
    {
        CUndoSuspend quiet(&undo);
        c->setShown(false);
    }
    selection.Add(d, CSelection::AddAlone);
    EXPECT_TRUE(selection.SelectAll());
    EXPECT_EQ(selectedIds(), (Ids{1, 2, 4}));
}

TEST_F(SelectionTest, NavigationOnAnEmptyCanvasSelectsNothingAndPushesNoStep)
{
    EXPECT_FALSE(selection.SelectAll());
    EXPECT_FALSE(selection.SelectNext());
    EXPECT_FALSE(selection.SelectPrevious());
    EXPECT_FALSE(selection.SelectFirst());
    EXPECT_FALSE(selection.SelectLast());
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_FALSE(undo.CanUndo());
    EXPECT_EQ(undo.depth(), 0);
}

// --- Frames going away

TEST_F(SelectionTest, DeletedAndHiddenFramesLeaveTheSelection)
{
    makeRow();
    for (CPicInfo* frame : {a, b, c})
        selection.Add(frame, CSelection::AddExtend);
    selection.setFocusFrame(b);
    CFrameOps(manager).deleteFrame(*b);
    EXPECT_EQ(selectedIds(), (Ids{1, 3}));
    EXPECT_EQ(selection.focusFrame(), nullptr);

    c->setShown(false);
    EXPECT_EQ(selectedIds(), (Ids{1}));

    // Undoing the deletion brings the frame back, not its selection.
    EXPECT_TRUE(undo.Undo());
    EXPECT_TRUE(undo.Undo());
    EXPECT_EQ(manager.frameCount(), 4);
    EXPECT_EQ(selectedIds(), (Ids{1}));
}

TEST_F(SelectionTest, ClearingTheCollectionEmptiesTheSelection)
{
    makeRow();
    selection.SelectAll();
    manager.clear(kDocumentCanvasSizeMode);
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_FALSE(selection.BoundingBox().isValid());
}

TEST_F(SelectionTest, ADetachedSelectionSelectsNothing)
{
    makeRow();
    selection.Add(a, CSelection::AddExtend);
    selection.attach(nullptr);
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_FALSE(selection.Add(b, CSelection::AddExtend));
    selection.SelectAtPoint(CSelection::ClickPlain, {1.0, 1.0});
    EXPECT_FALSE(selection.SelectAll());
    CFrameOps(manager).deleteFrame(*a); // no longer listening: nothing to tell
    EXPECT_TRUE(selection.IsEmpty());
}

// --- The "Selection" section

TEST(SelectionSection, OldProjectsCarryAListThatIsReadAndDropped)
{
    CUndo undo;
    CSelection selection(undo);
    const QByteArray list = store([](CArchive& ar) {
        ar.writeCount(3);
        for (quint32 id : {7u, 8u, 9u})
            ar.writeU32(id);
        ar.writeU32(0xDEADBEEF); // what follows the list
    });
    EXPECT_EQ(load(list, 13, [&](CArchive& ar) { selection.serialize(ar); }), 4);
    EXPECT_EQ(load(list, 14, [&](CArchive& ar) { selection.serialize(ar); }), list.size())
        << "from version 14 the section is empty";
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_TRUE(store([&](CArchive& ar) { selection.serialize(ar); }).isEmpty());
}

TEST(SelectionSection, ALegacyListLongerThanTheFileIsRefused)
{
    CUndo undo;
    CSelection selection(undo);
    const QByteArray list = store([](CArchive& ar) {
        ar.writeCount(1000000);
        ar.writeU32(1);
    });
    EXPECT_THROW(load(list, 12, [&](CArchive& ar) { selection.serialize(ar); }), CArchiveError);
}

} // namespace
