// The undoable primitives: what each records (kind, display name and the
// payload in its write order), that each round-trips through undo and redo,
// and the frame operations' own rules: creating, deleting, restacking,
// photos, and what the selection is told.

#include "undofixture.h"

#include "archivebytes.h"

#include <functional>

namespace {

using namespace ArchiveBytes;

QByteArray byte(quint8 v) { return QByteArray(1, char(v)); }

constexpr quint32 kBottomId = 3;
constexpr quint32 kFrameId = 7; // in the middle of three
constexpr quint32 kTopId = 9;
const CCanvasRect kFrameRect{1.0f, 2.0f, 3.0f, 4.0f};

class FrameOps : public UndoFixture
{
protected:
    void SetUp() override
    {
        UndoFixture::SetUp();
        widePath = makeImage("wide.png", 400, 200);
        tallPath = makeImage("tall.png", 100, 300);
        addFrame({0.0f, 0.0f, 2.0f, 2.0f}, kBottomId);
        CPicInfo& frame = addFrame(kFrameRect, kFrameId);
        addFrame({6.0f, 1.0f, 2.0f, 1.0f}, kTopId);

        // A frame whose every value differs from its default, set up unrecorded.
        CUndoSuspend quiet(&history());
        frame.setPhoto(photo(widePath));
        frame.setRotation(10.0f);
        frame.setAlpha(0.5f);
        frame.setBrightness(0.1f);
        frame.setContrast(1.5f);
        frame.setGamma(1.8f);
        frame.setDescription("old desc");
        frame.setLink("http://old.example");
        frame.setImagePos(0.5f, 1.5f);
        frame.setImageSize(4.0f, 2.0f);
        ASSERT_FALSE(history().CanUndo());
    }

    CPicInfo* framed() { return frames().findFrame(kFrameId); }

    // The frame's record as the history keeps a deleted frame.
    QByteArray recordOf(CPicInfo& frame)
    {
        return store([&](CArchive& ar) { frames().serializeFrameRecord(ar, frame); });
    }

    QString widePath;
    QString tallPath;
};

struct PrimitiveCase
{
    const char* what;
    std::function<void()> act;
    QString kind;
    QString displayName;
    std::function<QByteArray()> payload; // taken before the act
};

TEST_F(FrameOps, EveryPrimitiveRecordsItsPayloadInOrderAndRoundTripsThroughUndoAndRedo)
{
    const QByteArray id = u32(kFrameId);
    const std::vector<PrimitiveCase> cases = {
        {"border flag", [&] { framed()->setDrawBorder(false); }, "DrawBorder", "Change Border Setting",
         [&] { return id + byte(1); }},
        {"shadow flag", [&] { framed()->setDrawShadow(false); }, "DrawShadow", "Change Shadow Setting",
         [&] { return id + byte(1); }},
        {"page orientation", [&] { framed()->setPageLandscape(true); }, "PageLandscape",
         "Flip Printer Page Orientation", [&] { return id + byte(0); }},
        {"alpha", [&] { framed()->setAlpha(0.25f); }, "ImageAlpha", "Image Alpha", [&] { return id + f32(0.5f); }},
        {"brightness", [&] { framed()->setBrightness(-0.3f); }, "ImageBrightness", "Image Brightness",
         [&] { return id + f32(0.1f); }},
        {"contrast", [&] { framed()->setContrast(2.0f); }, "ImageContrast", "Image Contrast",
         [&] { return id + f32(1.5f); }},
        {"gamma", [&] { framed()->setGamma(2.2f); }, "ImageGamma", "Image Gamma", [&] { return id + f32(1.8f); }},
        {"rotation", [&] { framed()->setRotation(45.0f); }, "ImageRotate", "Rotate Image",
         [&] { return id + f32(10.0f); }},
        {"photo", [&] { framed()->setPhoto(photo(tallPath)); }, "ImageIntoFrame", "Set Image Into Frame",
         [&] { return id + wide(widePath); }},
        {"photo removed", [&] { framed()->removePhoto(); }, "RemoveImage", "Remove image from frame",
         [&] { return id + wide(widePath); }},
        {"description", [&] { framed()->setDescription("new"); }, "NewDesc", "Update Image Description",
         [&] { return id + wide("old desc"); }},
        {"link", [&] { framed()->setLink("http://new.example"); }, "NewLink", "Update Image Link",
         [&] { return id + wide("http://old.example"); }},
        {"hidden", [&] { framed()->setShown(false); }, "ShowFrame", "Show Frame",
         [&] { return id + byte(1) + u32(1); }},
        {"frame moved", [&] { framed()->setFramePos(5.0f, 6.0f); }, "FramePos", "Move Image Frame",
         [&] { return id + f32(1.0f) + f32(2.0f); }},
        {"frame resized", [&] { framed()->setFrameSize(1.0f, 0.5f); }, "FrameSize", "Resize Image Frame",
         [&] { return id + f32(3.0f) + f32(4.0f); }},
        {"image moved", [&] { framed()->setImagePos(-1.0f, 0.0f); }, "ImagePos", "Reposition Image",
         [&] { return id + f32(0.5f) + f32(1.5f); }},
        {"image resized", [&] { framed()->setImageSize(8.0f, 4.0f); }, "ImageSize", "Resize Image",
         [&] { return id + f32(4.0f) + f32(2.0f); }},
        {"frame created", [&] { ops().createFrame({1, 1, 1, 1}, 1, true, 42); }, "CreateFrame", "Create image frame",
         [&] { return u32(42); }},
        {"frame deleted", [&] { ops().deleteFrame(*framed()); }, "DeleteFrame", "Remove selected frame",
         [&] { return id + u32(1) + u32(CPicInfo::kPlanePhotos) + recordOf(*framed()) + f32(1.8f); }},
        {"moved up", [&] { ops().moveUp(*framed()); }, "ImageZOrderChange", "Move Up in stack",
         [&] { return id + u32(1); }},
        {"moved down", [&] { ops().moveDown(*framed()); }, "ImageZOrderChange", "Move Down in stack",
         [&] { return id + u32(1); }},
        {"restacked", [&] { ops().changePosition(*framed(), 99); }, "ImageZOrderChange", "Change position in stack",
         [&] { return id + u32(1); }},
        {"photo turned", [&] { ops().spinImage(*framed()->photo(), 3); }, "SpinImage", "Flip Image",
         [&] { return wide(widePath) + u32(0); }},
        // Document-wide values carry no frame id.
        {"frames locked", [&] { frames().setFramesLocked(true); }, "LockFrames", "Lock Frames",
         [&] { return byte(0); }},
        {"planes shown", [&] { frames().setVisiblePlanes(0x2, 0x2); }, "ShowPlane", "Show/Hide Page Segments",
         [&] { return u32(0x10D); }},
        {"canvas colour", [&] { frames().setCanvasColour(0xFF102030); }, "CanvasColor", "Change Canvas Color",
         [&] { return u32(frames().canvasColour()); }},
        {"canvas colour printed", [&] { frames().setPrintCanvasColour(!frames().printsCanvasColour()); },
         "CanvasColorToPrinter", "Print canvas color", [&] { return byte(frames().printsCanvasColour()); }},
        {"border hidden", [&] { frames().setBorderEnabled(false); }, "HasBorder", "Hide Border",
         [&] { return byte(1); }},
        {"shadows hidden", [&] { frames().setShadowEnabled(false); }, "HasShadow", "Hide Shadows",
         [&] { return byte(1); }},
        {"border width", [&] { frames().setBorderWidth(0.25f); }, "BorderWidth", "Change Border Width",
         [&] { return f32(frames().border().width); }},
        {"border colour", [&] { frames().setBorderColour(0x80FF0000); }, "BorderColor", "Change Border Color",
         [&] { return u32(frames().border().colour); }},
        {"canvas size", [&] { doc->setCanvasSize(4.0f, 3.0f); }, "CanvasSize", "Change Canvas Size",
         [&] { return f32(10.0f) + f32(7.5f); }},
    };

    for (const PrimitiveCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray before = fingerprint();
        const QByteArray expectedPayload = c.payload();

        c.act();
        const QByteArray after = fingerprint();
        ASSERT_NE(after, before);
        ASSERT_EQ(history().undoList().size(), 1u);
        const CUndoItem& step = *undoHead();
        EXPECT_EQ(step.displayName(), c.displayName);
        // Photo changes record the attributes they reset before the photo
        // itself; the photo's leaf is the last one.
        const CUndoItem& leaf = *leavesOf(step).back();
        EXPECT_EQ(leaf.kind(), c.kind);
        EXPECT_EQ(leaf.displayName(), c.displayName);
        EXPECT_EQ(leaf.snapshot().toHex(' '), expectedPayload.toHex(' '));
        EXPECT_EQ(leaf.snapshotVersion(), CCollageDoc::kFileVersion);

        ASSERT_TRUE(history().Undo());
        EXPECT_EQ(fingerprint(), before);
        EXPECT_EQ(history().RedoName(), c.displayName);
        ASSERT_TRUE(history().Redo());
        EXPECT_EQ(fingerprint(), after);
        EXPECT_EQ(history().UndoName(), c.displayName);
        ASSERT_TRUE(history().Undo());
        EXPECT_EQ(fingerprint(), before);
        history().Clear();
    }
}

TEST_F(FrameOps, SettingAValueItAlreadyHasRecordsNothing)
{
    CPicInfo& frame = *framed();
    EXPECT_FALSE(frame.setAlpha(0.5f));
    EXPECT_FALSE(frame.setAlpha(frame.attributes().alpha()));
    EXPECT_FALSE(frame.setFramePos(kFrameRect.x, kFrameRect.y));
    EXPECT_FALSE(frame.setPhoto(frame.photo()));
    EXPECT_FALSE(frames().setFramesLocked(false));
    doc->setCanvasSize(doc->canvasWidth(), doc->canvasHeight());
    EXPECT_FALSE(history().CanUndo());
}

TEST_F(FrameOps, ANewStepEmptiesTheRedoListAndARedoDoesNot)
{
    framed()->setAlpha(0.1f);
    framed()->setAlpha(0.2f);
    ASSERT_TRUE(history().Undo());
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(history().redoList().size(), 2u);

    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(history().redoList().size(), 1u) << "a redo leaves the rest of the redo list";
    EXPECT_FLOAT_EQ(framed()->attributes().alpha(), 0.1f);

    framed()->setRotation(90.0f);
    EXPECT_FALSE(history().CanRedo());
    EXPECT_EQ(history().undoList().size(), 2u);
}

TEST_F(FrameOps, DeletingAndUndoingRestoresTheFrameWhole)
{
    CPicInfo& frame = *framed();
    CPhotoItem* shown = frame.photo();
    frame.setFrameSize(3.5f, 4.5f);
    const QByteArray before = fingerprint();
    const int usesBefore = shown->useCount();

    ASSERT_TRUE(ops().deleteFrame(frame));
    EXPECT_EQ(frames().findFrame(kFrameId), nullptr);
    EXPECT_EQ(shown->useCount(), usesBefore - 1);

    ASSERT_TRUE(history().Undo());
    CPicInfo* restored = frames().findFrame(kFrameId);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(frames().indexOf(restored), 1) << "back at its place in the stacking order";
    EXPECT_EQ(restored->photo(), shown);
    EXPECT_EQ(shown->useCount(), usesBefore);
    EXPECT_EQ(restored->frameRect(), (CCanvasRect{1.0f, 2.0f, 3.5f, 4.5f}));
    EXPECT_EQ(restored->imageRect(), (CCanvasRect{0.5f, 1.5f, 4.0f, 2.0f}));
    EXPECT_FLOAT_EQ(restored->rotation(), 10.0f);
    EXPECT_FLOAT_EQ(restored->attributes().gamma(), 1.8f) << "gamma travels beside the frame record";
    EXPECT_EQ(restored->attributes().description(), "old desc");
    EXPECT_EQ(restored->flags(), CPicInfo::kFlagShown | CPicInfo::kFlagAlpha | CPicInfo::kDefaultFlags);
    EXPECT_EQ(fingerprint(), before);

    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(frames().findFrame(kFrameId), nullptr);
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(fingerprint(), before);
    EXPECT_EQ(history().undoList().size(), 1u);
}

TEST_F(FrameOps, ADeletedFrameComesBackExactlyEvenWhenItsImageDoesNotMatchThePhotosOrientation)
{
    // Fitting a loaded frame to its photo's orientation is for opening a
    // project, not for undoing a deletion.
    framed()->setImageSize(2.0f, 4.0f);
    ASSERT_TRUE(ops().deleteFrame(*framed()));
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(framed()->imageRect(), (CCanvasRect{0.5f, 1.5f, 2.0f, 4.0f}));
}

TEST_F(FrameOps, ARestoredFrameTakesTheLockTheDocumentHasNow)
{
    ASSERT_TRUE(ops().deleteFrame(*framed()));
    frames().setFramesLocked(true);
    ASSERT_TRUE(history().Undo()); // the lock
    ASSERT_TRUE(history().Undo()); // the deletion
    EXPECT_TRUE(framed()->hasPermission(CPicInfo::kPermissionMoveFrame));

    ASSERT_TRUE(history().Redo());
    CUndoSuspend quiet(&history());
    frames().setFramesLocked(true);
    ASSERT_TRUE(history().Undo());
    EXPECT_FALSE(framed()->hasPermission(CPicInfo::kPermissionMoveFrame));
}

TEST_F(FrameOps, CreatingThenUndoingRemovesTheFrameAndRedoRecreatesItWithTheSameId)
{
    CPicInfo* created = ops().createFrame({2.0f, 2.0f, 1.0f, 1.0f});
    ASSERT_NE(created, nullptr);
    const quint32 id = created->id();
    EXPECT_EQ(frames().indexOf(created), 3) << "on top";
    EXPECT_TRUE(created->isShown());
    EXPECT_EQ(history().undoList().size(), 1u) << "its set-up is part of the creation";

    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(frames().findFrame(id), nullptr);
    EXPECT_EQ(frames().frameCount(), 3);
    ASSERT_TRUE(history().Redo());
    CPicInfo* again = frames().findFrame(id);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->frameRect(), (CCanvasRect{2.0f, 2.0f, 1.0f, 1.0f}));
    EXPECT_EQ(frames().indexOf(again), 3);
}

TEST_F(FrameOps, CreatingTakesTheSmallestFreeIdOfThePlaneAndTheDocumentLock)
{
    frames().setFramesLocked(true);
    CPicInfo* photoFrame = ops().createFrame({0, 0, 1, 1});
    CPicInfo* segment = ops().createFrame({0, 0, 1, 1}, CPicInfoManager::kPageSegmentPlaneNumber, false);
    ASSERT_NE(photoFrame, nullptr);
    ASSERT_NE(segment, nullptr);
    EXPECT_EQ(photoFrame->id(), 0u);
    EXPECT_EQ(segment->id(), CPicInfoManager::kIdsPerPlane);
    EXPECT_FALSE(photoFrame->hasPermission(CPicInfo::kPermissionMoveFrame));
    EXPECT_TRUE(segment->hasPermission(CPicInfo::kPermissionMoveFrame)) << "the lock is for photo frames";
    EXPECT_EQ(segment->planes(), CPicInfo::kPlanePageSegments);
    EXPECT_FALSE(segment->isShown());
}

TEST_F(FrameOps, CreatingIsRefusedForATakenIdOrAPlaneThatIsNone)
{
    EXPECT_EQ(ops().createFrame({0, 0, 1, 1}, 1, true, kFrameId), nullptr);
    EXPECT_EQ(ops().createFrame({0, 0, 1, 1}, 0), nullptr);
    EXPECT_EQ(ops().createFrame({0, 0, 1, 1}, 33), nullptr);
    EXPECT_EQ(frames().frameCount(), 3);
    EXPECT_FALSE(history().CanUndo());
}

TEST_F(FrameOps, StackingMovesAtTheEndsRecordNothing)
{
    CPicInfo& top = *frames().findFrame(kTopId);
    CPicInfo& bottom = *frames().findFrame(kBottomId);
    EXPECT_FALSE(ops().moveUp(top));
    EXPECT_FALSE(ops().moveDown(bottom));
    EXPECT_FALSE(ops().changePosition(top, 2));
    EXPECT_FALSE(ops().changePosition(top, 1000));
    EXPECT_FALSE(history().CanUndo());
}

TEST_F(FrameOps, StackingMovesChangePlacesAndNeedTheirPermission)
{
    CPicInfo& frame = *framed();
    ASSERT_TRUE(ops().moveUp(frame));
    EXPECT_EQ(frames().indexOf(&frame), 2);
    ASSERT_TRUE(ops().changePosition(frame, 0));
    EXPECT_EQ(frames().indexOf(&frame), 0);
    EXPECT_FALSE(ops().changePosition(frame, -5)) << "below the bottom is the bottom";

    frame.setPermissions(CPicInfo::kAllPermissions & ~CPicInfo::kPermissionStacking);
    EXPECT_FALSE(ops().moveUp(frame));
    EXPECT_EQ(frames().indexOf(&frame), 0);

    frame.setPermissions(CPicInfo::kAllPermissions);
    ASSERT_TRUE(history().Undo());
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(frames().indexOf(&frame), 1);
}

TEST_F(FrameOps, RestackingKeepsTheFramesTheViewRemembers)
{
    CPicInfo& frame = *framed();
    frames().setRememberedFrame(CPicInfoManager::Remembered::First, &frame);
    ASSERT_TRUE(ops().moveUp(frame));
    EXPECT_EQ(frames().rememberedFrame(CPicInfoManager::Remembered::First), &frame);
    ASSERT_TRUE(ops().deleteFrame(frame));
    EXPECT_EQ(frames().rememberedFrame(CPicInfoManager::Remembered::First), nullptr);
}

TEST_F(FrameOps, RemovingAPhotoAndUndoingBringsBackThePhotoWhereItWas)
{
    CPicInfo& frame = *framed();
    const QByteArray before = fingerprint();
    ASSERT_TRUE(frame.removePhoto());
    EXPECT_EQ(frame.photo(), nullptr);
    EXPECT_TRUE(frame.imageRect().isEmpty());
    EXPECT_FLOAT_EQ(frame.attributes().alpha(), 0.5f) << "only the photo and its rectangle go";

    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(fingerprint(), before);
    EXPECT_EQ(frame.imageRect(), (CCanvasRect{0.5f, 1.5f, 4.0f, 2.0f}));
}

TEST_F(FrameOps, FittingAnImageIsOneStepThatCoversTheFrame)
{
    CPicInfo& frame = *framed();
    ASSERT_TRUE(ops().fitImageIntoFrame(frame));
    // 400 × 200 covering 3 × 4: 8 wide, 4 tall, centred on the frame.
    EXPECT_EQ(frame.imageRect(), (CCanvasRect{-1.5f, 2.0f, 8.0f, 4.0f}));
    EXPECT_EQ(history().undoList().size(), 1u);
    EXPECT_FALSE(ops().fitImageIntoFrame(frame));
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(frame.imageRect(), (CCanvasRect{0.5f, 1.5f, 4.0f, 2.0f}));

    CUndoSuspend quiet(&history());
    frame.removePhoto();
    EXPECT_FALSE(ops().fitImageIntoFrame(frame));
}

TEST_F(FrameOps, SpinningAPhotoEightTimesComesBackToItsStartAndEachTurnUndoes)
{
    CPhotoItem& turned = *framed()->photo();
    for (int i = 1; i <= 8; ++i)
        ASSERT_TRUE(ops().spinImage(turned, turned.quarterTurns() + 1));
    EXPECT_EQ(turned.quarterTurns(), 0);
    EXPECT_FALSE(ops().spinImage(turned, 4)) << "four turns is where it is";
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(turned.quarterTurns(), 3);
    EXPECT_EQ(turned.pixelWidth(), 200);
    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(turned.quarterTurns(), 0);
    EXPECT_EQ(turned.pixelWidth(), 400);
}

TEST_F(FrameOps, TheSelectionHearsOfDeletedAndHiddenFramesAndOfClearing)
{
    RecordingListListener selection;
    frames().addListListener(&selection);
    framed()->setShown(false);
    framed()->setShown(true);
    ASSERT_TRUE(ops().deleteFrame(*frames().findFrame(kTopId)));
    EXPECT_EQ(selection.hidden, std::vector<quint32>{kFrameId});
    EXPECT_EQ(selection.removed, std::vector<quint32>{kTopId});

    history().Undo(); // the deletion: nothing to tell
    history().Undo(); // showing again
    history().Undo(); // hiding undone shows it
    EXPECT_EQ(selection.hidden.size(), 2u) << "undoing the showing hides the frame again";

    doc->newDocument();
    EXPECT_GE(selection.cleared, 1);
    frames().removeListListener(&selection);
}

TEST_F(FrameOps, AReplayWhoseFrameIsGoneDoesNothing)
{
    framed()->setFramePos(8.0f, 8.0f);
    {
        CUndoSuspend quiet(&history());
        ops().deleteFrame(*framed());
    }
    const QByteArray before = fingerprint();
    EXPECT_TRUE(history().Undo());
    EXPECT_EQ(fingerprint(), before);
    EXPECT_FALSE(history().CanUndo());
    EXPECT_FALSE(history().CanRedo()) << "nothing was overwritten, so nothing can be redone";
}

TEST_F(FrameOps, ShowPlaneReplayRestoresOnlyTheDrawnPlaneBits)
{
    auto leaf = std::make_unique<CUndoItem>("ShowPlane", "Show/Hide Page Segments");
    leaf->snapshotWriter()->writeU32(0xFFFFFFFF);
    history().Push(std::move(leaf));
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(frames().visiblePlanes(), CFrameOps::kShowPlaneReplayMask);
    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(frames().visiblePlanes(), CPicInfoManager::kDefaultVisiblePlanes);
}

TEST_F(FrameOps, CanvasPositionIsReplayedThoughNoEditRecordsIt)
{
    doc->setCanvasPos(2.0f, 3.0f);
    EXPECT_FALSE(history().CanUndo());

    auto leaf = std::make_unique<CUndoItem>("CanvasPos", "Move Canvas");
    leaf->snapshotWriter()->writeF32(0.5f);
    leaf->snapshotWriter()->writeF32(0.25f);
    history().Push(std::move(leaf));
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(doc->canvasLeft(), 0.5f);
    EXPECT_EQ(doc->canvasTop(), 0.25f);
    EXPECT_EQ(history().RedoName(), "Move Canvas");
    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(doc->canvasLeft(), 2.0f);
    EXPECT_EQ(doc->canvasTop(), 3.0f);
}

TEST_F(FrameOps, AnOldLockFrameRecordReplaysAsNothing)
{
    history().Push(std::make_unique<CUndoItem>("LockFrame", "Lock Frame"));
    const QByteArray before = fingerprint();
    EXPECT_TRUE(history().Undo());
    EXPECT_EQ(fingerprint(), before);
}

TEST_F(FrameOps, NonNumbersInAReplayedPayloadChangeNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const char* kind : {"FramePos", "FrameSize", "ImagePos", "ImageSize"}) {
        auto leaf = std::make_unique<CUndoItem>(kind, kind);
        leaf->snapshotWriter()->writeU32(kFrameId);
        leaf->snapshotWriter()->writeF32(nan);
        leaf->snapshotWriter()->writeF32(inf);
        history().Push(std::move(leaf));
    }
    for (const char* kind : {"CanvasSize", "CanvasPos"}) {
        auto leaf = std::make_unique<CUndoItem>(kind, kind);
        leaf->snapshotWriter()->writeF32(inf);
        leaf->snapshotWriter()->writeF32(nan);
        history().Push(std::move(leaf));
    }
    const QByteArray before = fingerprint();
    while (history().CanUndo())
        history().Undo();
    EXPECT_EQ(fingerprint(), before);
}

} // namespace
