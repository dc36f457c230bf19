// The document commands as the menus run them, with the dialogs answered
// by the test: the five ways of starting a new collage, saving and opening
// again with the edits and the undo names intact, the frame commands'
// questions, and the grid settings.
#include "mainframefixture.h"

#include "documenttarget.h"
#include "myphotos.h"
#include "photoitem.h"
#include "recentfiles.h"
#include "selection.h"
#include "snapper.h"
#include "snapsettings.h"

#include <QStatusBar>

namespace {

using namespace CommandId;
using Kind = CNewCollageChoice::Kind;

using DocumentCommands = MainFrameFixture;

CNewCollageChoice chosen(Kind kind, float width = 0, float height = 0, const QString& path = {})
{
    CNewCollageChoice choice;
    choice.kind = kind;
    choice.width = width;
    choice.height = height;
    choice.path = path;
    return choice;
}

TEST_F(DocumentCommands, ANewFreeFormCollageIsAnEmptyUntitledCanvasOfTheChosenSize)
{
    addFrame({1, 1, 2, 2});
    doc->setPath(path("old.Collage"));
    dialogs.newChoice = chosen(Kind::FreeForm, 12.0f, 9.0f);

    ASSERT_TRUE(window->runCommand(New));
    EXPECT_EQ(services->frames().frameCount(), 0);
    EXPECT_FLOAT_EQ(doc->canvasWidth(), 12.0f);
    EXPECT_FLOAT_EQ(doc->canvasHeight(), 9.0f);
    EXPECT_TRUE(doc->path().isEmpty());
    EXPECT_FALSE(services->undo().CanUndo());
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(window->windowTitle(), "Tessary Ombravelle[*]");
}

TEST_F(DocumentCommands, ANewGridCollageIsOneLockedSelectedFrameCoveringTheCanvasWithNothingToUndo)
{
    dialogs.newChoice = chosen(Kind::Grid, 8.0f, 6.0f);
    window->runCommand(New);
    ASSERT_EQ(services->frames().frameCount(), 1);
    EXPECT_EQ(services->frames().frameAt(0)->frameRect(), (CCanvasRect{0, 0, 8, 6}));
    EXPECT_TRUE(services->frames().framesLocked());
    EXPECT_TRUE(services->selection().IsSelected(services->frames().frameAt(0)));
    EXPECT_FALSE(services->undo().CanUndo());
    EXPECT_FALSE(doc->isModified());
}

TEST_F(DocumentCommands, CancellingNewOrAnsweringCancelToSaveChangesKeepsTheDocument)
{
    addFrame({1, 1, 2, 2});
    doc->setModified(true);
    dialogs.newChoice.reset();
    window->runCommand(New);
    EXPECT_EQ(services->frames().frameCount(), 1);

    dialogs.newChoice = chosen(Kind::FreeForm, 5.0f, 5.0f);
    answer = MsgButton::Cancel;
    window->runCommand(New);
    EXPECT_EQ(services->frames().frameCount(), 1);
    EXPECT_TRUE(doc->isModified());
}

TEST_F(DocumentCommands, ATemplateChosenInTheNewDialogOpensAsAnUntitledProject)
{
    addFrame({1, 1, 2, 2});
    dialogs.saveChoices.push_back({path("layout.Collage"), ProjectType::Template, "two rows"});
    ASSERT_TRUE(window->runCommand(SaveAsTemplate));
    ASSERT_TRUE(QFile::exists(path("layout.Collage")));
    EXPECT_TRUE(window->recentFiles().paths().contains(path("layout.Collage")));

    dialogs.newChoice = chosen(Kind::Template, 0, 0, path("layout.Collage"));
    doc->setModified(false);
    window->runCommand(New);
    EXPECT_EQ(services->frames().frameCount(), 1);
    EXPECT_EQ(doc->flags(), 0);
    EXPECT_TRUE(doc->path().isEmpty());
    EXPECT_EQ(window->windowTitle(), "Tessary Ombravelle[*]");
}

TEST_F(DocumentCommands, OpenEditSaveAndReopenKeepTheEditsAndTheUndoNames)
{
    CPicInfo* frame = addFrame({1, 1, 3, 2});
    dialogs.saveChoices.push_back({path("trip.Collage"), ProjectType::Project, "our trip"});
    ASSERT_TRUE(window->runCommand(Save));
    EXPECT_EQ(window->windowTitle(), "trip.Collage[*] - Tessary Ombravelle");

    // Reopen from the picker, edit, save under the same name.
    doc->newDocument();
    dialogs.openPath = path("trip.Collage");
    window->runCommand(Open);
    ASSERT_EQ(services->frames().frameCount(), 1);
    frame = services->frames().frameAt(0);
    services->undo().Begin();
    frame->setFramePos(4.0f, 2.5f);
    services->undo().Term();
    doc->setModified(true);
    window->updateCommandStates();
    const QString undoText = window->action(Undo)->text();
    ASSERT_NE(undoText, "&Undo\tCtrl+Z");
    window->runCommand(Save);
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(dialogs.saveTitles.size(), 1) << "a titled project saves without asking";

    // A new start of the program opens it from the recent-files list.
    restartProgram();
    ASSERT_EQ(window->recentFiles().paths().value(0), path("trip.Collage"));
    window->runCommand(RecentFileFirst);
    ASSERT_EQ(services->frames().frameCount(), 1);
    EXPECT_EQ(services->frames().frameAt(0)->frameRect(), (CCanvasRect{4.0f, 2.5f, 3, 2}));
    EXPECT_EQ(doc->description(), "our trip");
    window->updateCommandStates();
    EXPECT_EQ(window->action(Undo)->text(), undoText);

    window->runCommand(Undo);
    EXPECT_EQ(services->frames().frameAt(0)->frameRect(), (CCanvasRect{1, 1, 3, 2}));
    window->updateCommandStates();
    EXPECT_EQ(window->action(Redo)->text(), QString(undoText).replace("&Undo", "&Redo").replace("Ctrl+Z", "Ctrl+Y"));
}

TEST_F(DocumentCommands, SplitAsksForTheCountsAndCancelLeavesTheFrameAlone)
{
    CPicInfo* frame = addFrame({0, 0, 4, 2});
    services->undo().Clear();
    services->selection().Add(frame, CSelection::AddAlone);
    window->updateCommandStates();
    EXPECT_TRUE(window->action(SplitFrame)->isEnabled());
    EXPECT_FALSE(window->action(MergeFrames)->isEnabled()) << "merging needs two frames";

    dialogs.split.reset();
    window->runCommand(SplitFrame);
    EXPECT_EQ(services->frames().frameCount(), 1);

    dialogs.split = CSplitCounts{2, 1};
    window->runCommand(SplitFrame);
    EXPECT_EQ(services->frames().frameCount(), 2);
    EXPECT_EQ(services->undo().undoList().size(), 1u);
}

TEST_F(DocumentCommands, MergeAsksBeforeLeavingGapsAndNoKeepsTheFrames)
{
    CPicInfo* a = addFrame({0, 0, 1, 1});
    CPicInfo* b = addFrame({3, 3, 1, 1});
    services->selection().Add(a, CSelection::AddAlone);
    services->selection().Add(b, CSelection::AddExtend);
    dialogs.mergeAnswer = false;
    window->runCommand(MergeFrames);
    EXPECT_EQ(dialogs.mergeAsked, 1);
    EXPECT_EQ(services->frames().frameCount(), 2);
}

TEST_F(DocumentCommands, GridSettingsShowTheCurrentValuesAndStoreAllFour)
{
    dialogs.gridChoice = CGridChoice{true, true, 0.5f, 0.75f};
    window->runCommand(GridSettings);
    EXPECT_FALSE(dialogs.gridShown.showGrid);
    EXPECT_FLOAT_EQ(dialogs.gridShown.width, 1.0f);
    const CSnapSettings& grid = services->snapper().settings();
    EXPECT_TRUE(grid.showGrid.get());
    EXPECT_TRUE(grid.drawGridLines.get());
    EXPECT_FLOAT_EQ(grid.gridWidth.get(), 0.5f);
    EXPECT_FLOAT_EQ(grid.gridHeight.get(), 0.75f);

    dialogs.gridChoice.reset();
    window->runCommand(GridSettings);
    EXPECT_TRUE(dialogs.gridShown.drawGridLines);
    EXPECT_FLOAT_EQ(dialogs.gridShown.height, 0.75f);
}

TEST_F(DocumentCommands, BringingBackInfoTipsSwitchesEveryDismissedTipOn)
{
    services->settings().setValue("Tip::Splitter", CPropValue::boolean(false));
    window->runCommand(ResetInfoTips);
    EXPECT_TRUE(services->settings().getValue("Tip::Splitter")->toBool());
}

TEST_F(DocumentCommands, TheQuickTourOpensTheSampleProject)
{
    addFrame({1, 1, 2, 2});
    addFrame({4, 1, 2, 2});
    QDir().mkpath(path("samples"));
    ASSERT_EQ(doc->saveDocument(path("samples/QuickStart.Collage")), CCollageDoc::SaveResult::Saved);
    doc->newDocument();
    window->documentTarget().setSampleFolder(path("samples"));
    window->updateCommandStates();
    ASSERT_TRUE(window->action(QuickTour)->isEnabled());
    window->runCommand(QuickTour);
    EXPECT_EQ(services->frames().frameCount(), 2);
    EXPECT_TRUE(doc->isQuickStart());
}

TEST_F(DocumentCommands, AddPicturesPlacesTheChosenPhotosInTheCanvasCentre)
{
    dialogs.pictures = {writeImage("one.png", 30, 30)};
    window->runCommand(AddPictures);
    ASSERT_EQ(services->frames().frameCount(), 1);
    const QRectF placed = services->frames().frameAt(0)->frameRect().toRectF();
    EXPECT_NEAR(placed.center().x(), doc->canvasWidth() / 2, 1e-3);
    EXPECT_NEAR(placed.center().y(), doc->canvasHeight() / 2, 1e-3);
}

TEST_F(DocumentCommands, ZadeDudazizFromTheNewDialogLaysThePhotosOutAsOneStep)
{
    dialogs.pictures = {writeImage("wide.png", 40, 30), writeImage("tall.png", 30, 40), writeImage("pano.png", 90, 30)};
    window->runCommand(AddPictures);
    ASSERT_EQ(services->frames().frameCount(), 3);
    const int stepsBefore = int(services->undo().undoList().size());

    dialogs.newChoice = chosen(Kind::ZadeDudaziz);
    window->runCommand(New);
    EXPECT_TRUE(dialogs.layoutOffered);

    // The frames now tile the canvas: their areas add up to the canvas's.
    double area = 0.0;
    for (const auto& frame : services->frames().frames())
        area += double(frame->frameRect().width) * frame->frameRect().height;
    EXPECT_NEAR(area, double(doc->canvasWidth()) * doc->canvasHeight(), 1e-3);
    EXPECT_EQ(int(services->undo().undoList().size()), stepsBefore + 1);

    ASSERT_TRUE(window->stateOf(ZiraRadaru).enabled);
    window->runCommand(ZiraRadaru);
    EXPECT_EQ(int(services->undo().undoList().size()), stepsBefore + 2);
    EXPECT_TRUE(services->frames().isJumbled());
}

TEST_F(DocumentCommands, OnAGridCollageAddPicturesFillsTheSelectedEmptyFramesInSelectionOrderAsOneStep)
{
    dialogs.newChoice = chosen(Kind::Grid, 8.0f, 6.0f);
    window->runCommand(New);
    dialogs.split = CSplitCounts{2, 2};
    window->runCommand(SplitFrame);
    ASSERT_EQ(services->frames().frameCount(), 4);
    CPicInfo* topRight = services->frames().frameAt(1);
    CPicInfo* bottomLeft = services->frames().frameAt(2);
    services->selection().Clear();
    services->selection().Add(bottomLeft, CSelection::AddExtend);
    services->selection().Add(topRight, CSelection::AddExtend);
    const CCanvasRect cell = bottomLeft->frameRect();
    const size_t stepsBefore = services->undo().undoList().size();

    dialogs.pictures = {writeImage("first.png", 40, 30), writeImage("second.png", 30, 40),
                        writeImage("third.png", 30, 30)};
    window->runCommand(AddPictures);

    ASSERT_NE(bottomLeft->photo(), nullptr);
    EXPECT_TRUE(bottomLeft->photo()->path().endsWith("first.png")) << "selection order, not stacking order";
    ASSERT_NE(topRight->photo(), nullptr);
    EXPECT_TRUE(topRight->photo()->path().endsWith("second.png"));
    EXPECT_EQ(bottomLeft->frameRect(), cell) << "the cell stays as it was";
    EXPECT_TRUE(bottomLeft->imageRect().toRectF().adjusted(-1e-4, -1e-4, 1e-4, 1e-4).contains(cell.toRectF()))
        << "the photo is fitted to cover its cell";
    EXPECT_EQ(services->frames().frameCount(), 5) << "the third photo, with no empty frame left, gets its own";
    EXPECT_EQ(services->undo().undoList().size(), stepsBefore + 1);

    ASSERT_TRUE(doc->undoCommand());
    EXPECT_EQ(bottomLeft->photo(), nullptr);
    EXPECT_EQ(topRight->photo(), nullptr);
    EXPECT_EQ(services->frames().frameCount(), 4);
}

TEST_F(DocumentCommands, RemoveSelectedDeletesTheSelectedFramesAsOneStep)
{
    CPicInfo* a = addFrame({1, 1, 2, 2});
    addFrame({4, 1, 2, 2});
    CPicInfo* c = addFrame({1, 4, 2, 2});
    services->selection().Clear();
    services->selection().Add(a, CSelection::AddExtend);
    services->selection().Add(c, CSelection::AddExtend);
    window->updateCommandStates();
    ASSERT_TRUE(window->action(RemoveSelected)->isEnabled());
    window->runCommand(RemoveSelected);
    EXPECT_EQ(services->frames().frameCount(), 1);
    EXPECT_TRUE(services->selection().IsEmpty());
    ASSERT_TRUE(doc->undoCommand());
    EXPECT_EQ(services->frames().frameCount(), 3);
}

TEST_F(DocumentCommands, SpinRightOnALockedCanvasSaysWhyAndHowToUnlock)
{
    CPicInfo* frame = addFrame({1, 1, 2, 2});
    services->frames().setFramesLocked(true);
    services->selection().Add(frame, CSelection::AddAlone);
    window->runCommand(SpinRight);
    EXPECT_EQ(frame->rotation(), 0.0f);
    EXPECT_EQ(window->statusBar()->currentMessage(), services->catalogue().text("LockedFramesStatus"));

    window->runCommand(LockFrames);
    window->statusBar()->clearMessage();
    window->runCommand(SpinRight);
    EXPECT_EQ(frame->rotation(), 45.0f);
    EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
}

TEST_F(DocumentCommands, ToneBorderShadowAndCanvasColourHaveMenuCommandsWithDialogs)
{
    CPicInfo* frame = addFrame({1, 1, 2, 2});
    frame->setPhoto(services->photos().FindPhoto(writeImage("p.png", 40, 30), true));
    frame->setBrightness(0.25f);
    services->selection().Add(frame, CSelection::AddAlone);
    services->undo().Clear();

    dialogs.tone = CImageTone{0.5f, 1.2f, 0.9f, 0.6f};
    window->runCommand(AdjustImage);
    EXPECT_FLOAT_EQ(dialogs.toneShown.brightness, 0.25f) << "the dialog starts from the picture's tone";
    EXPECT_FLOAT_EQ(frame->attributes().brightness(), 0.5f);
    EXPECT_FLOAT_EQ(frame->attributes().contrast(), 1.2f);
    EXPECT_FLOAT_EQ(frame->attributes().gamma(), 0.9f);
    EXPECT_FLOAT_EQ(frame->attributes().alpha(), 0.6f);
    EXPECT_EQ(services->undo().undoList().size(), 1u);

    dialogs.style = CFrameStyle{true, 0.08f, 0xFF203040, false};
    window->runCommand(BorderAndShadow);
    EXPECT_TRUE(services->frames().border().enabled);
    EXPECT_FLOAT_EQ(services->frames().border().width, 0.08f);
    EXPECT_EQ(services->frames().border().colour, 0xFF203040u);
    EXPECT_FALSE(services->frames().shadow().enabled);

    dialogs.canvasColour = 0xFF112233;
    window->runCommand(CanvasColour);
    EXPECT_EQ(services->frames().canvasColour(), 0xFF112233u);

    EXPECT_EQ(services->undo().undoList().size(), 3u) << "each one step";
    for (int id : {AdjustImage, BorderAndShadow, CanvasColour, CanvasSize, LockFrames})
        EXPECT_FALSE(window->action(id)->statusTip().isEmpty()) << id;
}

TEST_F(DocumentCommands, ExportSaysInTheStatusBarWhereItWroteTheImage)
{
    dialogs.exportWritten = path("Collage.jpg");
    window->runCommand(ExportImage);
    EXPECT_TRUE(window->statusBar()->currentMessage().contains(path("Collage.jpg")));
}

} // namespace
