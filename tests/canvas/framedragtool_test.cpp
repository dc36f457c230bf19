// The frame drag tool on a recording host instead of the view: a press
// selects and takes the pointer, the release commits one step and gives it
// back; a click on a handle asks for that handle's command; a split drag
// previews its divisions and splits on release only; a frame on a locked
// canvas says why it stays; the keys' help shows for the drag only.

#include "canvasfixture.h"

#include "bandtool.h"
#include "canvastoolhost.h"
#include "commandids.h"
#include "dragmode.h"
#include "framedragtool.h"
#include "framehandles.h"
#include "frametargets.h"
#include "snapper.h"
#include "viewcoords.h"

namespace {

class RecordingHost : public CCanvasToolHost
{
public:
    int mode() const override { return toolMode; }
    int handle() const override { return toolHandle; }
    const CViewCoords& coords() const override { return viewCoords; }
    void dragStarted() override { dragging = true; }
    void dragFinished() override { dragging = false; }
    void showInfoTip(const QString& key) override { tips << key; }
    void showStatusMessage(const QString& key) override
    {
        status = key;
        statuses << key;
    }
    void clearStatusMessage() override { status.clear(); }
    void requestCommand(int id) override { commands << id; }
    void setFramesDragged(const std::vector<CPicInfo*>&, bool) override {}
    void repaintFrame(const CPicInfo&) override {}
    int maxSplitCount() const override { return 9; }
    void splitSelectedFrames(const QSize& counts) override { splits << counts; }
    void panByPixels(const QPointF&) override {}
    void zoomByPixels(int) override {}
    void showBand(const QRect&) override {}
    void hideBand() override {}

    int toolMode = DragMode::Move;
    int toolHandle = FrameHandle::None;
    CViewCoords viewCoords;
    bool dragging = false;
    QStringList tips;
    QString status;      // the status text shown now, by its key
    QStringList statuses; // every status text shown, in order
    QList<int> commands;
    QList<QSize> splits;
};

class FrameDragToolTest : public CanvasFixture
{
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        tool = std::make_unique<CFrameDragTool>(host, undo(), selection(), frames(), services->snapper(), targets);
    }
    void TearDown() override
    {
        tool.reset();
        targets.release();
        CanvasFixture::TearDown();
    }

    static CToolPointer at(const QPointF& point) { return {point, QPointF(), Qt::NoModifier}; }

    RecordingHost host;
    CFrameSnapTargets targets;
    std::unique_ptr<CFrameDragTool> tool;
};

TEST_F(FrameDragToolTest, APressSelectsAndHoldsThePointerAndTheReleaseCommitsOneStep)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2));
    tool->pressed(at({2, 2}));
    EXPECT_TRUE(selection().IsSelected(&f));
    EXPECT_TRUE(host.dragging);
    tool->moved(at({2.5, 2}));
    tool->moved(at({3, 2.25}));
    EXPECT_EQ(host.status, CFrameDragTool::kStatusBarKeys);
    tool->released(at({3, 2.25}));
    EXPECT_FALSE(host.dragging);
    EXPECT_TRUE(host.status.isEmpty()) << "the keys' help goes with the drag";
    EXPECT_FALSE(services->snapper().isActive());
    EXPECT_FLOAT_EQ(f.frameRect().x, 2.0f);
    EXPECT_FLOAT_EQ(f.frameRect().y, 1.25f);
    ASSERT_EQ(steps(), 1u);
    ASSERT_TRUE(undo().Undo());
    EXPECT_FLOAT_EQ(f.frameRect().x, 1.0f);
    EXPECT_FLOAT_EQ(f.frameRect().y, 1.0f);
}

TEST_F(FrameDragToolTest, ADrawnFrameIsRefusedInTheStatusBarOnceEveryFrameIdIsTaken)
{
    CBandTool draw(CBandTool::Purpose::DrawFrame, host, undo(), selection(), frames());
    auto band = [&] {
        draw.pressed({QPointF(), QPointF(10, 10), Qt::NoModifier});
        draw.moved({QPointF(), QPointF(90, 70), Qt::NoModifier});
        draw.released({QPointF(), QPointF(90, 70), Qt::NoModifier});
    };
    {
        CUndoSuspend quiet(&undo());
        for (quint32 id = 1; id < CPicInfoManager::kIdsPerPlane; ++id) {
            auto filler = std::make_unique<CPicInfo>();
            filler->setId(id);
            frames().appendFrame(std::move(filler));
        }
    }
    band();
    EXPECT_EQ(frames().frameCount(), int(CPicInfoManager::kIdsPerPlane)) << "id 0 was still free";
    EXPECT_TRUE(host.statuses.isEmpty());
    EXPECT_EQ(steps(), 1u);

    band();
    EXPECT_EQ(frames().frameCount(), int(CPicInfoManager::kIdsPerPlane));
    EXPECT_EQ(host.statuses, QStringList{"FrameIdsExhausted"});
    EXPECT_EQ(steps(), 1u);
}

struct HandleClick
{
    int handle;
    int command;
};

class AClickOnAHandle : public FrameDragToolTest, public ::testing::WithParamInterface<HandleClick>
{
};

TEST_P(AClickOnAHandle, AsksForItsCommandAndChangesNothing)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2), true);
    const CCanvasRect rect = f.frameRect();
    host.toolHandle = GetParam().handle;
    tool->pressed(at({2, 2}));
    tool->released(at({2, 2}));
    EXPECT_EQ(host.commands, QList<int>{GetParam().command});
    EXPECT_EQ(f.frameRect(), rect);
    EXPECT_EQ(steps(), 0u);
}

INSTANTIATE_TEST_SUITE_P(FrameDragTool, AClickOnAHandle,
                         ::testing::Values(HandleClick{FrameHandle::Split, CommandId::SplitFrame},
                                           HandleClick{FrameHandle::ImageTone, CommandId::AdjustImage}));

TEST_F(FrameDragToolTest, ASplitDragPreviewsItsDivisionsAndSplitsOnlyOnRelease)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2), true);
    host.toolMode = DragMode::Split;
    host.toolHandle = FrameHandle::Split;
    // Four divisions per unit: 0.6 across is two columns, 0.3 down one row.
    tool->pressed(at({2, 2}));
    tool->moved(at({2.6, 2.3}));
    EXPECT_EQ(tool->splitPreview(f.id()), QSize(2, 1));
    EXPECT_TRUE(host.tips.contains(CFrameDragTool::kSplitterTip));
    tool->cancel();
    EXPECT_TRUE(host.splits.isEmpty()) << "Escape splits nothing";
    EXPECT_EQ(tool->splitPreview(f.id()), QSize());

    tool->pressed(at({2, 2}));
    tool->moved(at({2.6, 2.8}));
    tool->released(at({2.6, 2.8}));
    EXPECT_EQ(host.splits, QList<QSize>{QSize(2, 3)});
}

TEST_F(FrameDragToolTest, AnImagelessFrameOnALockedCanvasSaysWhyItStaysAndEndsTheDrag)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2));
    frames().setFramesLocked(true);
    undo().Clear();
    tool->pressed(at({2, 2}));
    tool->moved(at({3, 3}));
    EXPECT_FALSE(host.dragging);
    EXPECT_TRUE(host.tips.contains(CFrameDragTool::kMoveLockFrameTip));
    EXPECT_FLOAT_EQ(f.frameRect().x, 1.0f);
    tool->released(at({3, 3}));
    EXPECT_EQ(steps(), 0u);
    EXPECT_FALSE(undo().isPending());
}

TEST_F(FrameDragToolTest, AFrameWithAPictureOnALockedCanvasSaysWhyInTheStatusBar)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2), true);
    frames().setFramesLocked(true);
    undo().Clear();
    tool->pressed(at({2, 2}));
    tool->moved(at({3, 3}));
    EXPECT_FALSE(host.dragging);
    EXPECT_EQ(host.status, CFrameDragTool::kLockedStatus) << "not the keys' help of a drag that ended";
    EXPECT_TRUE(host.tips.isEmpty());
    EXPECT_FLOAT_EQ(f.frameRect().x, 1.0f);
    tool->released(at({3, 3}));
    EXPECT_EQ(steps(), 0u);
}

TEST_F(FrameDragToolTest, TheFramePressedAmongSeveralCarriesTheFocus)
{
    CPicInfo& a = frame(QRectF(1, 1, 2, 2));
    CPicInfo& b = frame(QRectF(4, 1, 2, 2));
    select({&a, &b});
    tool->pressed(at({5, 2}));
    tool->released(at({5, 2.5}));
    EXPECT_EQ(selection().focusFrame(), &b);
    EXPECT_EQ(selection().Count(), 2) << "the drag moved both";
    tool->pressed(at({2, 2}));
    tool->cancel();
    EXPECT_EQ(selection().focusFrame(), &a);
}

} // namespace
