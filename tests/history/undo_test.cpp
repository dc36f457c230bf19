// The undo history's behaviour, driven through the document and its frames:
// groups and their names, the disable count, the list rules, drags in
// pending mode, failed replays, moving to a position, the Edit menu texts,
// and the history saved with a project and replayed after reopening it.

#include "undofixture.h"

#include "archivebytes.h"
#include "propmanager.h"

namespace {

using namespace ArchiveBytes;

class History : public UndoFixture
{
protected:
    void SetUp() override
    {
        UndoFixture::SetUp();
        addFrame({1.0f, 1.0f, 2.0f, 2.0f}, 1);
        addFrame({4.0f, 1.0f, 2.0f, 2.0f}, 2);
        addFrame({7.0f, 1.0f, 2.0f, 2.0f}, 3);
    }

    CPicInfo& frame(quint32 id) { return *frames().findFrame(id); }
    QPointF posOf(quint32 id) { return {frame(id).frameRect().x, frame(id).frameRect().y}; }

    // What the view does on a drag: every mouse move runs one group over
    // the selected frames, setting start position plus the offset so far.
    void dragBy(const std::vector<quint32>& ids, const std::vector<QPointF>& moves)
    {
        for (quint32 id : ids)
            frame(id).takeSnapshot();
        history().StartPending();
        for (const QPointF& offset : moves) {
            CUndoGroup group(&history());
            for (quint32 id : ids) {
                const CCanvasRect& start = frame(id).snapshotFrameRect();
                frame(id).setFramePos(start.x + float(offset.x()), start.y + float(offset.y()));
            }
        }
    }

    static std::unique_ptr<CUndoItem> moveLeaf(quint32 id, float x, float y)
    {
        auto leaf = std::make_unique<CUndoItem>("FramePos", "Move Image Frame");
        leaf->snapshotWriter()->writeU32(id);
        leaf->snapshotWriter()->writeF32(x);
        leaf->snapshotWriter()->writeF32(y);
        return leaf;
    }
    static std::unique_ptr<CUndoItem> groupOf(const QString& name, std::vector<std::unique_ptr<CUndoItem>> items)
    {
        auto group = std::make_unique<CUndoItem>();
        group->setDisplayName(name);
        for (auto& item : items)
            group->addSubItem(std::move(item));
        return group;
    }
    template <class... Items>
    static std::vector<std::unique_ptr<CUndoItem>> items(Items... list)
    {
        std::vector<std::unique_ptr<CUndoItem>> v;
        (v.push_back(std::move(list)), ...);
        return v;
    }
};

// ---------------------------------------------------------------------------
// Groups

TEST_F(History, BeginBeginRecordTermTermPushesOneStepNamedAfterTheRecord)
{
    history().Begin();
    history().Begin();
    frame(1).setAlpha(0.5f);
    EXPECT_FALSE(history().Term()) << "the inner Term pushes nothing";
    EXPECT_FALSE(history().CanUndo());
    EXPECT_TRUE(history().Term());

    ASSERT_EQ(history().undoList().size(), 1u);
    EXPECT_EQ(history().UndoName(), "Image Alpha");
    EXPECT_TRUE(undoHead()->isCompound());
    EXPECT_EQ(undoHead()->subItems().size(), 1u);
}

TEST_F(History, OnlyTheOutermostGroupNameCountsAndNamedGroupsKeepTheirName)
{
    for (const char* name : {CUndo::kZadeDudazizGroup, CUndo::kZiraRadaruGroup, CUndo::kDropImageGroup}) {
        CUndoGroup outer(&history(), name);
        CUndoGroup inner(&history(), "ignored");
        frame(1).setRotation(frame(1).rotation() + 10.0f);
        frame(2).setFramePos(0.0f, frame(2).frameRect().y + 1.0f);
    }
    ASSERT_EQ(history().undoList().size(), 3u);
    EXPECT_EQ(history().undoList()[0]->displayName(), "Drop Image");
    EXPECT_EQ(history().undoList()[1]->displayName(), "ZiraRadaru");
    EXPECT_EQ(history().undoList()[2]->displayName(), "ZadeDudaziz");
    EXPECT_EQ(history().undoList()[0]->subItems().size(), 2u) << "nested groups are one group";
}

TEST_F(History, AGroupThatRecordedNothingLeavesNoStep)
{
    history().Begin("ZadeDudaziz");
    frame(1).setAlpha(1.0f); // its value already
    EXPECT_FALSE(history().Term());
    EXPECT_FALSE(history().CanUndo());
    EXPECT_FALSE(history().Term()) << "an unbalanced Term is harmless";
    EXPECT_EQ(history().depth(), 0);
}

TEST_F(History, NothingIsRecordedWhileAnyDisableIsInForce)
{
    history().DisableRecording();
    history().DisableRecording();
    frame(1).setAlpha(0.1f);
    history().EnableRecording();
    frame(1).setAlpha(0.2f);
    EXPECT_FALSE(history().CanUndo());
    history().EnableRecording();
    history().EnableRecording(); // one too many changes nothing
    frame(1).setAlpha(0.3f);
    ASSERT_EQ(history().undoList().size(), 1u);
    ASSERT_TRUE(history().Undo());
    EXPECT_FLOAT_EQ(frame(1).attributes().alpha(), 0.2f);
}

// ---------------------------------------------------------------------------
// Undo and redo

TEST_F(History, UndoAndRedoAreAnnouncedOnTheUndoChannelAndOnEmptyListsDoNothing)
{
    UndoChannelListener listener(services->bus());
    const QByteArray before = fingerprint();
    EXPECT_FALSE(history().Undo());
    EXPECT_FALSE(history().Redo());
    EXPECT_FALSE(doc->undoCommand());
    EXPECT_FALSE(doc->redoCommand());
    EXPECT_EQ(fingerprint(), before);
    EXPECT_TRUE(listener.events.isEmpty());
    EXPECT_FALSE(doc->isModified());

    frame(1).setAlpha(0.5f);
    ASSERT_TRUE(history().Undo());
    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(listener.events, QStringList({"Begin", "Term", "Begin", "Term"}));
}

TEST_F(History, UndoThenRedoOfAMultiFrameMoveRestoresTheFramesAndLeavesOneStepOfTheSameName)
{
    const QByteArray before = fingerprint();
    {
        CUndoGroup group(&history());
        for (quint32 id : {1u, 2u, 3u})
            frame(id).setFramePos(frame(id).frameRect().x, 5.0f);
    }
    const QByteArray after = fingerprint();

    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(fingerprint(), before);
    EXPECT_FALSE(history().CanUndo());
    ASSERT_EQ(history().redoList().size(), 1u);
    EXPECT_EQ(history().RedoName(), "Move Image Frame");
    EXPECT_EQ(history().redoList().front()->subItems().size(), 3u);

    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(fingerprint(), after);
    EXPECT_FALSE(history().CanRedo());
    ASSERT_EQ(history().undoList().size(), 1u);
    EXPECT_EQ(history().UndoName(), "Move Image Frame");
}

TEST_F(History, TheInverseOfAStepTakesTheStepsNamesNotTheNamesOfWhatItDoes)
{
    frames().setBorderEnabled(false);
    EXPECT_EQ(history().UndoName(), "Hide Border");
    ASSERT_TRUE(history().Undo());
    EXPECT_TRUE(frames().border().enabled);
    EXPECT_EQ(history().RedoName(), "Hide Border") << "redo hides it again";

    CPicInfo* created = ops().createFrame({0, 0, 1, 1});
    ASSERT_NE(created, nullptr);
    ASSERT_TRUE(history().Undo());
    ASSERT_EQ(history().redoList().size(), 1u);
    EXPECT_EQ(history().redoList().front()->kind(), "DeleteFrame");
    EXPECT_EQ(history().RedoName(), "Create image frame");
}

TEST_F(History, UndoAndRedoAreRefusedWhileAGroupIsOpenOrADragIsOn)
{
    frame(1).setAlpha(0.5f);
    history().Begin();
    EXPECT_FALSE(history().Undo());
    history().Term();
    history().StartPending();
    EXPECT_FALSE(history().Undo());
    history().CommitPending();
    EXPECT_TRUE(history().Undo());
}

TEST_F(History, MovingToAPositionUndoesOrRedoesUpToIt)
{
    std::vector<QByteArray> states{fingerprint()};
    for (int i = 1; i <= 4; ++i) {
        frame(1).setRotation(float(i * 10));
        states.push_back(fingerprint());
    }
    history().MoveTo(1);
    EXPECT_EQ(history().undoList().size(), 1u);
    EXPECT_EQ(fingerprint(), states[1]);
    history().MoveTo(3);
    EXPECT_EQ(fingerprint(), states[3]);
    history().MoveTo(99);
    EXPECT_EQ(fingerprint(), states[4]);
    history().MoveTo(-1);
    EXPECT_EQ(fingerprint(), states[0]);
    EXPECT_EQ(history().redoList().size(), 4u);
}

TEST_F(History, TermAndUndoTakesTheGroupBackAndKeepsTheRedoList)
{
    frame(3).setAlpha(0.5f);
    ASSERT_TRUE(history().Undo());
    const QByteArray before = fingerprint();

    history().Begin("ZadeDudaziz");
    frame(1).setFramePos(9.0f, 9.0f);
    ops().deleteFrame(frame(2));
    EXPECT_TRUE(history().TermAndUndo());
    EXPECT_EQ(fingerprint(), before);
    EXPECT_FALSE(history().CanUndo());
    EXPECT_EQ(history().RedoName(), "Image Alpha");

    history().Begin();
    EXPECT_FALSE(history().TermAndUndo()) << "nothing recorded, nothing to take back";
}

TEST_F(History, AGroupLeftByAnExceptionTakesBackWhatItChanged)
{
    const QByteArray before = fingerprint();
    try {
        CUndoGroup group(&history(), CUndo::kZadeDudazizGroup);
        frame(1).setFramePos(9.0f, 9.0f);
        ops().createFrame({0, 0, 1, 1});
        throw std::runtime_error("layout failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(fingerprint(), before);
    EXPECT_FALSE(history().CanUndo());
    EXPECT_EQ(history().depth(), 0);
}

TEST_F(History, ClearEmptiesEverythingAndEndsNestingPendingModeAndDisables)
{
    frame(1).setAlpha(0.5f);
    frame(1).setAlpha(0.4f);
    history().Undo();
    history().Begin();
    history().StartPending();
    history().DisableRecording();
    history().Clear();
    EXPECT_FALSE(history().CanUndo());
    EXPECT_FALSE(history().CanRedo());
    EXPECT_EQ(history().depth(), 0);
    EXPECT_FALSE(history().isPending());
    EXPECT_TRUE(history().isRecording());
    frame(1).setAlpha(0.3f);
    EXPECT_EQ(history().undoList().size(), 1u);
}

// ---------------------------------------------------------------------------
// Drags

TEST_F(History, ADragOfManyMovesIsOneWrapperStepAndItsUndoIsOneToo)
{
    const QByteArray before = fingerprint();
    dragBy({1, 2}, {{0.5, 0}, {1.0, 0.5}, {2.0, 1.0}});
    EXPECT_FALSE(history().CanUndo()) << "nothing lands before the release";
    history().CommitPending();
    const QByteArray after = fingerprint();
    EXPECT_EQ(posOf(1), QPointF(3.0, 2.0));

    ASSERT_EQ(history().undoList().size(), 1u);
    EXPECT_TRUE(undoHead()->isWrapper());
    EXPECT_EQ(history().UndoName(), "Move Image Frame");
    EXPECT_EQ(leavesOf(*undoHead()).size(), 2u) << "only the state before the first movement is kept";

    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(fingerprint(), before);
    ASSERT_EQ(history().redoList().size(), 1u);
    EXPECT_TRUE(history().redoList().front()->isWrapper());
    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(fingerprint(), after);
    EXPECT_TRUE(undoHead()->isWrapper());
}

TEST_F(History, EscapeDuringADragRestoresTheFramesAndLeavesBothListsAsTheyWere)
{
    frame(3).setAlpha(0.5f);
    frame(3).setAlpha(0.25f);
    ASSERT_TRUE(history().Undo());
    const QByteArray before = fingerprint();

    dragBy({1, 2, 3}, {{1, 1}, {2, 2}});
    history().DiscardPending();

    EXPECT_EQ(fingerprint(), before);
    EXPECT_FALSE(history().isPending());
    ASSERT_EQ(history().undoList().size(), 1u);
    EXPECT_EQ(history().UndoName(), "Image Alpha");
    ASSERT_EQ(history().redoList().size(), 1u);
    EXPECT_EQ(history().RedoName(), "Image Alpha");
    ASSERT_TRUE(history().Redo());
    EXPECT_FLOAT_EQ(frame(3).attributes().alpha(), 0.25f);
}

TEST_F(History, APressWithoutMovementLeavesNoStep)
{
    history().StartPending();
    history().CommitPending();
    history().StartPending();
    history().DiscardPending();
    EXPECT_FALSE(history().CanUndo());
    EXPECT_FALSE(history().CanRedo());
}

// ---------------------------------------------------------------------------
// Failed replays

TEST_F(History, AStepWithAnUnknownKindIsDroppedAndWhatItHadReplayedIsTakenBack)
{
    // Replayed last to first: the good moves land first, then the unknown
    // record fails.
    history().Push(groupOf("Broken", items(std::make_unique<CUndoItem>("NoSuchKind", "?"), moveLeaf(1, 0.0f, 0.0f),
                                            groupOf("", items(moveLeaf(3, 0.0f, 0.0f))))));
    frame(2).setAlpha(0.5f);
    ASSERT_TRUE(history().Undo());
    const QByteArray before = fingerprint();
    UndoChannelListener listener(services->bus());

    EXPECT_FALSE(history().Undo());
    EXPECT_EQ(fingerprint(), before);
    EXPECT_FALSE(history().CanUndo()) << "the step is dropped";
    ASSERT_EQ(history().redoList().size(), 1u) << "and nothing lands on the redo list";
    EXPECT_EQ(history().RedoName(), "Image Alpha");
    EXPECT_EQ(history().depth(), 0);
    EXPECT_TRUE(history().isRecording());
    EXPECT_EQ(listener.events, QStringList({"Begin", "Term"}));
}

TEST_F(History, ATruncatedSnapshotFailsCleanlyInsideAGroupOrADrag)
{
    auto truncated = [] {
        auto leaf = std::make_unique<CUndoItem>("FrameSize", "Resize Image Frame");
        leaf->snapshotWriter()->writeU32(2);
        leaf->snapshotWriter()->writeF32(1.0f); // the height is missing
        return leaf;
    };
    frame(3).setAlpha(0.5f);
    ASSERT_TRUE(history().Undo());
    const QByteArray before = fingerprint();

    history().Push(CUndoItem::wrap(groupOf("", items(truncated(), moveLeaf(1, 0.0f, 0.0f), moveLeaf(2, 0.0f, 0.0f)))));
    history().Push(groupOf("G", items(truncated(), moveLeaf(3, 0.0f, 0.0f))));
    history().Push(truncated());
    EXPECT_FALSE(history().CanRedo());

    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(history().Undo());
        EXPECT_EQ(fingerprint(), before);
        EXPECT_FALSE(history().CanRedo());
        EXPECT_FALSE(history().isPending());
    }
    EXPECT_FALSE(history().CanUndo());
}

// ---------------------------------------------------------------------------
// The document's side

TEST_F(History, MenuTextsAndTooltipNameTheStepOrSayThereIsNone)
{
    EXPECT_EQ(doc->undoMenuText(), "&Undo\tCtrl+Z");
    EXPECT_EQ(doc->redoMenuText(), "&Redo\tCtrl+Y");
    EXPECT_EQ(doc->undoToolTip(), "\nUndo - Nothing to Undo (Ctrl+Z)");

    frame(1).setFramePos(0.0f, 0.0f);
    EXPECT_EQ(doc->undoMenuText(), "&Undo (Move Image Frame)\tCtrl+Z");
    EXPECT_EQ(doc->undoToolTip(), "\nUndo - Move Image Frame (Ctrl+Z)");
    ASSERT_TRUE(doc->undoCommand());
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(doc->undoMenuText(), "&Undo\tCtrl+Z");
    EXPECT_EQ(doc->redoMenuText(), "&Redo (Move Image Frame)\tCtrl+Y");
    ASSERT_TRUE(doc->redoCommand());
    EXPECT_EQ(posOf(1), QPointF(0, 0));
}

TEST_F(History, ClearingTheDocumentRecordsNothingAndLeavesRecordingOn)
{
    frame(1).setAlpha(0.5f);
    services->settings().setValue("CanvasR", CPropValue::byte(1)); // clearing changes the canvas colour
    doc->newDocument();
    EXPECT_FALSE(history().CanUndo());
    EXPECT_TRUE(history().isRecording());
    ops().createFrame({0, 0, 1, 1});
    EXPECT_EQ(history().undoList().size(), 1u);
}

TEST_F(History, SavingDoesNotTouchTheHistory)
{
    frames().setVisiblePlanes(0x2, 0x2); // page segments shown, recorded
    frame(1).setAlpha(0.5f);
    ASSERT_TRUE(history().Undo());
    ASSERT_EQ(doc->saveDocument(path("p.Collage")), CCollageDoc::SaveResult::Saved);
    EXPECT_EQ(frames().visiblePlanes() & 0x2, 0u) << "saving hides the page segments";
    EXPECT_EQ(history().undoList().size(), 1u);
    EXPECT_EQ(history().RedoName(), "Image Alpha");
}

// ---------------------------------------------------------------------------
// Saved with the project

TEST_F(History, AReopenedProjectOffersTheSameNamesAndReplaysEveryStep)
{
    history().Clear();
    const QString photoPath = makeImage("wide.png", 400, 200);
    std::vector<QByteArray> states{fingerprint()};
    auto step = [&](const std::function<void()>& act) {
        act();
        states.push_back(fingerprint());
    };
    step([&] { ops().createFrame({2.0f, 3.0f, 2.0f, 2.0f}, 1, true, 50); });
    step([&] { frames().findFrame(50)->setPhoto(photo(photoPath)); });
    step([&] {
        dragBy({1, 50}, {{1, 1}, {2, 0.5}});
        history().CommitPending();
    });
    step([&] { frames().setBorderColour(0xFF00FF00); });
    step([&] { doc->setCanvasSize(12.0f, 9.0f); });
    step([&] { ops().deleteFrame(*frames().findFrame(50)); });
    step([&] { frame(2).setAlpha(0.5f); });
    ASSERT_TRUE(history().Undo());
    ASSERT_TRUE(history().Undo());
    ASSERT_EQ(fingerprint(), states[5]);
    const QString undoName = history().UndoName();
    const QString redoName = history().RedoName();
    ASSERT_EQ(undoName, "Change Canvas Size");
    ASSERT_EQ(redoName, "Remove selected frame");
    ASSERT_EQ(doc->saveDocument(path("history.Collage")), CCollageDoc::SaveResult::Saved);

    restart();
    ASSERT_EQ(doc->openDocument(path("history.Collage")), CCollageDoc::OpenResult::Opened);
    EXPECT_EQ(history().UndoName(), undoName);
    EXPECT_EQ(history().RedoName(), redoName);
    EXPECT_EQ(history().undoList().size(), 5u);
    EXPECT_EQ(history().redoList().size(), 2u);
    ASSERT_EQ(fingerprint(), states[5]);

    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(fingerprint(), states[6]);
    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(fingerprint(), states[7]);
    for (int i = 6; i >= 0; --i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(history().Undo());
        EXPECT_EQ(fingerprint(), states[size_t(i)]);
    }
    EXPECT_FALSE(history().CanUndo());
}

class DamagedHistory : public History
{
protected:
    // A project whose "Undo" section holds `steps`, on top of what the
    // document is now.
    QString projectWith(std::vector<std::unique_ptr<CUndoItem>> steps)
    {
        history().Clear();
        for (auto it = steps.rbegin(); it != steps.rend(); ++it)
            history().Push(std::move(*it));
        saveAndRead("damaged.Collage");
        return path("damaged.Collage");
    }
};

TEST_F(DamagedHistory, AStepWithATruncatedSnapshotOrAnUnknownKindIsDroppedAndTheDocumentIsUnchanged)
{
    auto truncatedLeaf = std::make_unique<CUndoItem>("FramePos", "Move Image Frame");
    truncatedLeaf->snapshotWriter()->writeU32(1);
    const QString file = projectWith(items(
        groupOf("Truncated", items(std::move(truncatedLeaf), moveLeaf(2, 0.0f, 0.0f))),
        groupOf("Unknown", items(std::make_unique<CUndoItem>("NoSuchKind", "?"), moveLeaf(3, 0.0f, 0.0f))),
        moveLeaf(1, 0.0f, 0.0f)));

    restart();
    ASSERT_EQ(doc->openDocument(file), CCollageDoc::OpenResult::Opened);
    const QByteArray opened = fingerprint();
    ASSERT_EQ(history().undoList().size(), 3u);

    EXPECT_FALSE(history().Undo());
    EXPECT_EQ(fingerprint(), opened) << "truncated";
    EXPECT_FALSE(history().Undo());
    EXPECT_EQ(fingerprint(), opened) << "unknown kind";
    EXPECT_FALSE(history().CanRedo());
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(posOf(1), QPointF(0, 0));
}

TEST_F(DamagedHistory, EditUndoOfAStepThatCannotBeReplayedSaysSoAndLeavesTheDocumentAsItWas)
{
    auto truncatedLeaf = std::make_unique<CUndoItem>("FramePos", "Move Image Frame");
    truncatedLeaf->snapshotWriter()->writeU32(1);
    const QString file = projectWith(items(groupOf("Truncated", items(std::move(truncatedLeaf), moveLeaf(2, 0.0f, 0.0f))),
                                           moveLeaf(1, 0.0f, 0.0f)));
    restart();
    ASSERT_EQ(doc->openDocument(file), CCollageDoc::OpenResult::Opened);
    const QByteArray opened = fingerprint();

    EXPECT_TRUE(doc->undoCommand()) << "the user is told, so no beep";
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], services->catalogue().text("UndoStepFailed"));
    EXPECT_FALSE(shown[0].isEmpty());
    EXPECT_EQ(styles[0], MsgStyle::WarningOk);
    EXPECT_EQ(fingerprint(), opened);
    EXPECT_FALSE(doc->isModified());
    EXPECT_FALSE(history().CanRedo());
    EXPECT_EQ(history().undoList().size(), 1u);

    EXPECT_TRUE(doc->undoCommand());
    EXPECT_EQ(shown.size(), 1) << "a sound step replays without a word";
    EXPECT_EQ(posOf(1), QPointF(0, 0));
    EXPECT_TRUE(doc->isModified());
}

TEST_F(DamagedHistory, AHistoryNamingFramesThatAreGoneReplaysAsNothing)
{
    const QString file = projectWith(items(moveLeaf(777, 0.0f, 0.0f), moveLeaf(1, 0.0f, 0.0f)));
    restart();
    ASSERT_EQ(doc->openDocument(file), CCollageDoc::OpenResult::Opened);
    const QByteArray opened = fingerprint();
    EXPECT_TRUE(history().Undo());
    EXPECT_EQ(fingerprint(), opened);
    EXPECT_TRUE(history().Undo());
    EXPECT_EQ(posOf(1), QPointF(0, 0));
}

// A deleted frame kept by a history of an older file is laid out as that
// file's version had it; it must come back right after the history has
// been saved again under the current version.
TEST_F(History, OlderDeletedFrameSnapshotsAreRewrittenInTheCurrentLayout)
{
    constexpr int kVersionWithoutTone = 15;
    const QByteArray oldRecord = f32(30.0f)                                   // rotation (no alpha, brightness, contrast)
        + f32(1.0f) + f32(2.0f) + f32(3.0f) + f32(4.0f)                 // frame rectangle
        + u32(CPicInfo::kFlagShown) + u32(CPicInfo::kAllPermissions) + u32(CPicInfo::kPlanePhotos)
        + wide("desc") + wide("link") + wide("") + u32(60) + f32(0) + f32(0) + f32(3) + f32(4);
    CUndo loaded;
    auto leaf = std::make_unique<CUndoItem>("DeleteFrame", "Remove selected frame");
    leaf->setSnapshot(u32(60) + u32(0) + u32(CPicInfo::kPlanePhotos) + oldRecord, kVersionWithoutTone);
    loaded.Push(std::move(leaf));

    CFrameOps::upgradeSnapshots(loaded);
    const QByteArray resaved = store([&](CArchive& ar) { loaded.serialize(ar); });
    load(resaved, [&](CArchive& ar) { history().serialize(ar); });
    ASSERT_TRUE(history().Undo());
    CPicInfo* restored = frames().findFrame(60);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(frames().indexOf(restored), 0);
    EXPECT_EQ(restored->frameRect(), (CCanvasRect{1.0f, 2.0f, 3.0f, 4.0f}));
    EXPECT_FLOAT_EQ(restored->rotation(), 30.0f);
    EXPECT_EQ(restored->attributes().link(), "link");
    EXPECT_FLOAT_EQ(restored->attributes().alpha(), 1.0f);
}

} // namespace
