// A drag over the selected frames, driven without a widget: every tool's drag
// is one undo step from the press, whatever the moves between changed, that
// undoes and redoes whole; Escape puts every frame back and leaves both undo
// lists as they were; a drag that never moved leaves nothing; a locked canvas
// keeps its photo frames.

#include "canvasfixture.h"

#include "dragmode.h"
#include "dragsession.h"
#include "framehandles.h"

#include <tuple>

namespace {

// What a drag may change on a frame.
using FrameState = std::tuple<CCanvasRect, CCanvasRect, float, float, float, float>;

FrameState stateOf(const CPicInfo& frame)
{
    const CPicInfoAttr& attr = frame.attributes();
    return {frame.frameRect(), frame.imageRect(), frame.rotation(), attr.brightness(), attr.contrast(), attr.gamma()};
}

class DragSessionTest : public CanvasFixture
{
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        session = std::make_unique<CDragSession>(undo(), selection(), frames());
        a = &frame(QRectF(1, 1, 2, 2), true);
        b = &frame(QRectF(4, 1, 2, 3), true);
        select({a, b});
    }
    void TearDown() override
    {
        session.reset();
        CanvasFixture::TearDown();
    }

    void begin(int mode, int handle, const QPointF& point, CPicInfo* under, bool alt = false)
    {
        CDragSession::Start start;
        start.mode = mode;
        start.handle = handle;
        start.point = point;
        start.frame = under;
        start.alt = alt;
        session->begin(start);
    }
    std::pair<FrameState, FrameState> states() const { return {stateOf(*a), stateOf(*b)}; }

    std::unique_ptr<CDragSession> session;
    CPicInfo* a = nullptr;
    CPicInfo* b = nullptr;
};

struct ToolDrag
{
    const char* name;
    int mode;
    int handle;
    QPointF press, across, down; // the drag goes across first, then down as well
    const char* stepName;
};

class EveryToolsDrag : public DragSessionTest, public ::testing::WithParamInterface<ToolDrag>
{
};

TEST_P(EveryToolsDrag, IsOneStepFromThePressThatUndoesAndRedoesWhole)
{
    const ToolDrag& drag = GetParam();
    const auto before = states();
    begin(drag.mode, drag.handle, drag.press, a);
    EXPECT_TRUE(undo().isPending());
    EXPECT_EQ(session->moveTo(drag.across), CDragSession::Step::Applied);
    EXPECT_EQ(session->moveTo(drag.down), CDragSession::Step::Applied);
    const auto after = states();
    session->end();
    ASSERT_NE(after.first, before.first);
    ASSERT_NE(after.second, before.second);
    EXPECT_FALSE(undo().isPending());
    ASSERT_EQ(steps(), 1u);
    EXPECT_EQ(undo().UndoName(), drag.stepName);

    ASSERT_TRUE(undo().Undo());
    EXPECT_EQ(states(), before);
    ASSERT_TRUE(undo().Redo());
    EXPECT_EQ(states(), after);
    EXPECT_EQ(steps(), 1u);
}

// The tone drag is the telling one: across changes only the brightness, so
// the contrast the later move changes was not in the first move's record.
INSTANTIATE_TEST_SUITE_P(
    DragSession, EveryToolsDrag,
    ::testing::Values(
        ToolDrag{"Move", DragMode::Move, FrameHandle::None, {2, 2}, {2.5, 2}, {2.5, 2.7}, "Move Image Frame"},
        ToolDrag{"Resize", DragMode::ResizeWithImage, FrameHandle::FrameBottomRight, {3, 3}, {3.4, 3}, {3.4, 3.5},
                 "Resize Image Frame"},
        ToolDrag{"PanImage", DragMode::PanImage, FrameHandle::PanFree, {2, 2}, {2.2, 2}, {2.2, 2.3},
                 "Reposition Image"},
        ToolDrag{"Rotate", DragMode::Rotate, FrameHandle::Rotate, {2.8, 2}, {2.5, 2.5}, {2, 2.8}, "Rotate Image"},
        ToolDrag{"Tone", DragMode::ImageTone, FrameHandle::ImageTone, {2, 2}, {2.6, 2}, {2.6, 2.9},
                 "Image Brightness"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DragSessionTest, EscapePutsEveryFrameBackAndLeavesBothListsAsTheyWere)
{
    // A step on the redo list, which a push would empty.
    begin(DragMode::Move, FrameHandle::None, {2, 2}, a);
    session->moveTo({2.5, 2.5});
    session->end();
    ASSERT_TRUE(undo().Undo());
    ASSERT_EQ(undo().redoList().size(), 1u);

    const auto before = states();
    begin(DragMode::ResizeWithImage, FrameHandle::FrameBottomRight, {3, 3}, a);
    session->moveTo({3.4, 3.2});
    session->moveTo({3.6, 2.8});
    ASSERT_NE(states(), before);
    session->cancel();
    EXPECT_EQ(states(), before);
    EXPECT_FALSE(session->isActive());
    EXPECT_FALSE(undo().isPending());
    EXPECT_FALSE(undo().CanUndo()) << "nothing to undo";
    EXPECT_EQ(undo().redoList().size(), 1u);
    EXPECT_EQ(undo().RedoName(), "Move Image Frame");
}

TEST_F(DragSessionTest, ADragThatNeverLeavesItsStartIsAClickAndLeavesNoStep)
{
    const auto before = states();
    begin(DragMode::Move, FrameHandle::None, {2, 2}, a);
    EXPECT_EQ(session->moveTo({2, 2}), CDragSession::Step::Unchanged);
    session->end();
    EXPECT_FALSE(session->hasMoved());
    EXPECT_EQ(states(), before);
    EXPECT_EQ(steps(), 0u);
    EXPECT_FALSE(undo().isPending());
}

TEST_F(DragSessionTest, ALockedCanvasRefusesToMoveItsPhotoFramesButLetsTheirImagesBeToned)
{
    frames().setFramesLocked(true);
    undo().Clear();
    const auto before = states();
    begin(DragMode::Move, FrameHandle::None, {2, 2}, a);
    EXPECT_EQ(session->moveTo({2.5, 2.5}), CDragSession::Step::Refused);
    session->cancel();
    EXPECT_EQ(states(), before);
    EXPECT_EQ(steps(), 0u);

    begin(DragMode::ImageTone, FrameHandle::ImageTone, {2, 2}, a);
    EXPECT_EQ(session->moveTo({2.6, 2}), CDragSession::Step::Applied);
    session->end();
    EXPECT_GT(a->attributes().brightness(), 0.0f);
    EXPECT_EQ(steps(), 1u);
}

struct LockedDrag
{
    int mode;
    int handle;
    bool refused;
};

class ALockedCanvas : public DragSessionTest, public ::testing::WithParamInterface<LockedDrag>
{
};

// Whichever handle the drag starts on: a tool chosen in the toolbar need
// not start on a frame handle.
TEST_P(ALockedCanvas, RefusesEveryToolThatMovesResizesOrTurnsAFrameAndNoOther)
{
    frames().setFramesLocked(true);
    undo().Clear();
    const LockedDrag& drag = GetParam();
    const auto before = states();
    begin(drag.mode, drag.handle, {2, 2}, a);
    const CDragSession::Step step = session->moveTo({2.4, 2.3});
    EXPECT_EQ(step, drag.refused ? CDragSession::Step::Refused : CDragSession::Step::Applied);
    session->cancel();
    EXPECT_EQ(states(), before);
}

INSTANTIATE_TEST_SUITE_P(
    DragSession, ALockedCanvas,
    ::testing::Values(LockedDrag{DragMode::Move, FrameHandle::None, true},
                      LockedDrag{DragMode::Move, FrameHandle::PanFree, true},
                      LockedDrag{DragMode::Rotate, FrameHandle::PanFree, true},
                      LockedDrag{DragMode::Crop, FrameHandle::None, true},
                      LockedDrag{DragMode::ResizeWithImage, FrameHandle::FrameRight, true},
                      LockedDrag{DragMode::MoveFrameOnly, FrameHandle::ImageTopLeft, true},
                      LockedDrag{DragMode::PanImage, FrameHandle::PanFree, false},
                      LockedDrag{DragMode::ResizeImage, FrameHandle::ImageBottomRight, false},
                      LockedDrag{DragMode::ImageTone, FrameHandle::ImageTone, false}));

TEST_F(DragSessionTest, ADragStillUnderWayWhenItsSessionGoesIsDiscarded)
{
    const auto before = states();
    begin(DragMode::Move, FrameHandle::None, {2, 2}, a);
    session->moveTo({3, 2.5});
    ASSERT_NE(states(), before);
    session.reset();
    EXPECT_EQ(states(), before);
    EXPECT_EQ(steps(), 0u);
    EXPECT_FALSE(undo().isPending());
}

} // namespace
