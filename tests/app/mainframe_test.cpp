// The main window as the user meets it: menus with their ids, texts and
// keys; enabled and checked states that come from whoever handles a
// command; placement and toolbar layout kept between runs; full screen;
// the recent-files list; photos dropped from the file manager; and opening
// projects that cannot be read.
#include "filesizelimit.h"
#include "mainframefixture.h"

#include "documenttarget.h"
#include "dropperbar.h"
#include "recentfiles.h"
#include "snapper.h"
#include "snapsettings.h"
#include "commandtable.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>
#include <QMimeData>
#include <QSet>
#include <QToolBar>
#include <QUrl>

namespace {

using namespace CommandId;

class MainFrame : public MainFrameFixture
{
protected:
    QMenu* menuTitled(const QString& title) const
    {
        for (QAction* top : window->menuBar()->actions()) {
            if (top->menu() && top->text().remove('&') == title)
                return top->menu();
        }
        return nullptr;
    }
    static QList<int> idsOf(const QMenu* menu)
    {
        QList<int> ids;
        for (QAction* act : menu->actions()) {
            if (act->data().isValid())
                ids << act->data().toInt();
        }
        return ids;
    }
    void dropFiles(const QStringList& files)
    {
        dropFilesOn(window.get(), QPoint(window->width() / 2, window->height() / 2), files);
    }
};

// --- Menus and routing

TEST_F(MainFrame, MenusCarryTheCommandIdsTextsAndKeys)
{
    QAction* split = window->action(SplitFrame);
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(split->text(), "Split Frame...\tT");
    EXPECT_TRUE(split->shortcuts().contains(QKeySequence("T")));
    EXPECT_TRUE(split->shortcuts().contains(QKeySequence("Alt+T")));
    EXPECT_EQ(window->action(FullScreen)->text(), "Full Screen\tCtrl+Shift+S");
    EXPECT_EQ(window->action(FullScreen)->shortcut(), QKeySequence("Ctrl+Shift+S"));
    EXPECT_EQ(window->action(SpinRight)->shortcut(), QKeySequence("."));
    EXPECT_EQ(window->action(Undo)->shortcuts(), (QList<QKeySequence>{QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}));
    EXPECT_EQ(window->action(ZoomIn)->text(), "Zoom In\t+ (Plus)");
    EXPECT_TRUE(window->action(ZoomIn)->shortcuts().isEmpty()) << "the view reads + itself";
    EXPECT_EQ(window->action(MagneticFrames)->text(), "Magnetic Frames");
    EXPECT_EQ(window->action(SoundEffects)->text(), "Sound Effects");
    EXPECT_EQ(window->action(GridSettings)->text(), "Grid Settings...");

    QMenu* view = menuTitled("View");
    ASSERT_NE(view, nullptr);
    QMenu* bars = nullptr;
    for (QAction* act : view->actions())
        if (act->menu() && act->text().remove('&') == "Toolbar")
            bars = act->menu();
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(idsOf(bars), (QList<int>{230, 228, 229, 226, 437, 227, 339, 273, 231, 232}));
    QStringList barTexts;
    for (QAction* act : bars->actions())
        if (!act->isSeparator())
            barTexts << act->text();
    EXPECT_EQ(barTexts, (QStringList{"Main", "Zoom", "Printing", "Frame", "View", "Add Pictures", "Output",
                                     "Image Palette", "Show All Toolbars", "Hide All Toolbars"}));

    // No two items of the menus send the same command, and every one has an action of its own.
    QSet<int> seen;
    for (QMenu* menu : window->menuBar()->findChildren<QMenu*>())
        for (int id : idsOf(menu)) {
            EXPECT_FALSE(seen.contains(id)) << id;
            seen.insert(id);
            EXPECT_EQ(window->action(id)->data().toInt(), id);
        }
    EXPECT_TRUE(seen.contains(New) && seen.contains(Undo) && seen.contains(ResizeCanvasToFit)
                && seen.contains(ResetInfoTips) && seen.contains(QuickTour) && seen.contains(Close));
    EXPECT_EQ(window->action(ShowInfoTips)->text(), "Show Info-Tips for First Time User");
    EXPECT_EQ(window->action(InfoTipsPlainLook)->text(), "My Info-Tips Look Funny");
}

TEST_F(MainFrame, NoTwoActionsShareAShortcutAndEveryMenuOpensWithALetterOfItsOwn)
{
    // Every key the window binds, and Alt with each menu title's letter.
    QMap<QString, QString> owner;
    const auto claim = [&](const QKeySequence& key, const QString& who) {
        const QString text = key.toString(QKeySequence::PortableText);
        EXPECT_FALSE(owner.contains(text)) << text.toStdString() << ": " << who.toStdString() << " and "
                                           << owner.value(text).toStdString();
        owner.insert(text, who);
    };
    for (const CCommandSpec& spec : CommandTable::all()) {
        QAction* act = window->action(spec.id);
        ASSERT_NE(act, nullptr) << spec.id;
        for (const QKeySequence& key : act->shortcuts())
            claim(key, act->text());
    }
    for (QAction* top : window->menuBar()->actions()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(top->text());
        ASSERT_FALSE(mnemonic.isEmpty()) << top->text().toStdString();
        claim(mnemonic, top->text());
    }
    EXPECT_EQ(owner.value("Alt+C"), window->action(CenterView)->text());
}

TEST_F(MainFrame, EveryMenuCommandHasAStatusTextAndATooltipNamingItsKey)
{
    for (QMenu* menu : window->menuBar()->findChildren<QMenu*>())
        for (QAction* act : menu->actions()) {
            if (!act->data().isValid() || !act->isVisible())
                continue; // unused recent-file entries
            EXPECT_FALSE(act->statusTip().isEmpty()) << act->data().toInt() << " " << act->text().toStdString();
            EXPECT_FALSE(act->toolTip().isEmpty()) << act->data().toInt();
        }
    EXPECT_EQ(window->action(ZadeDudaziz)->statusTip(),
              "Create a collage based on the images in the dropping area or re-arrange the images already on "
              "your canvas");
    EXPECT_FALSE(window->action(ZiraRadaru)->statusTip().isEmpty());
    EXPECT_EQ(window->action(CenterView)->toolTip(), "Center View (Alt+C)");
    EXPECT_EQ(window->action(ModeCrop)->toolTip(), "Crop Frame (J)");
    window->recentFiles().add(path("trip.Collage"));
    emit menuTitled("File")->aboutToShow();
    EXPECT_EQ(window->action(RecentFileFirst)->toolTip(), path("trip.Collage"));
    EXPECT_FALSE(window->action(RecentFileFirst)->statusTip().isEmpty());

    // Hovering a menu item puts its text in the status bar.
    window->show();
    window->action(SpinRight)->showStatusText(window.get());
    EXPECT_EQ(window->statusBar()->currentMessage(), window->action(SpinRight)->statusTip());
}

TEST_F(MainFrame, TheImagePaletteTogglesThePixDropperAndTheNextStartKeepsItSo)
{
    ASSERT_NE(window->dropperBar(), nullptr);
    EXPECT_EQ(window->dropperBar()->windowTitle(), "Pix Dropper");
    EXPECT_TRUE(window->action(ToolbarImagePalette)->isVisible());
    EXPECT_FALSE(window->dropperBar()->isHidden());
    EXPECT_TRUE(window->stateOf(ToolbarImagePalette).checked);

    window->show();
    window->runCommand(ToolbarImagePalette);
    EXPECT_TRUE(window->dropperBar()->isHidden());
    ASSERT_TRUE(window->close());
    restartProgram();
    EXPECT_TRUE(window->dropperBar()->isHidden());
    window->runCommand(ShowAllToolbars);
    EXPECT_FALSE(window->dropperBar()->isHidden());
}

TEST_F(MainFrame, TheTitleMarksUnsavedChanges)
{
    window->show();
    window->setProjectPath(path("Holiday.Collage"));
    window->updateCommandStates();
    EXPECT_FALSE(window->isWindowModified());
    addFrame({1, 1, 2, 2});
    doc->setModified(true);
    window->updateCommandStates();
    EXPECT_TRUE(window->isWindowModified());
    doc->setModified(false);
    window->updateCommandStates();
    EXPECT_FALSE(window->isWindowModified());
}

TEST_F(MainFrame, LockFramesIsACheckedCanvasCommandWithAPadlockInTheStatusBarAndOneUndoStep)
{
    window->show();
    QMenu* canvas = menuTitled("Canvas");
    ASSERT_NE(canvas, nullptr);
    EXPECT_TRUE(idsOf(canvas).contains(LockFrames));
    bool onToolbar = false;
    for (const CToolbarSpec& bar : ToolbarTable::all())
        onToolbar |= bar.commands.contains(LockFrames);
    EXPECT_TRUE(onToolbar);

    addFrame({1, 1, 2, 2});
    window->updateCommandStates();
    EXPECT_FALSE(window->action(LockFrames)->isChecked());
    EXPECT_FALSE(window->lockIndicator()->isVisible());

    window->action(LockFrames)->trigger();
    window->updateCommandStates();
    EXPECT_TRUE(services->frames().framesLocked());
    EXPECT_TRUE(window->action(LockFrames)->isChecked());
    EXPECT_TRUE(window->lockIndicator()->isVisible());
    EXPECT_EQ(services->undo().UndoName(), "Lock Frames");
    EXPECT_TRUE(doc->isModified());

    // The padlock unlocks.
    window->lockIndicator()->click();
    window->updateCommandStates();
    EXPECT_FALSE(services->frames().framesLocked());
    EXPECT_FALSE(window->lockIndicator()->isVisible());
    ASSERT_TRUE(doc->undoCommand());
    EXPECT_TRUE(services->frames().framesLocked());
}

TEST_F(MainFrame, TheZoomShowsInPercentInTheStatusBar)
{
    window->showZoom(1.0f);
    EXPECT_EQ(window->zoomIndicator()->text(), "100%");
    window->showZoom(0.667f);
    EXPECT_EQ(window->zoomIndicator()->text(), "67%");
}

TEST_F(MainFrame, AViewCommandIsDisabledUntilATargetAnswersForItAndTheFirstTargetWins)
{
    window->updateCommandStates();
    EXPECT_FALSE(window->action(ZoomIn)->isEnabled());
    EXPECT_FALSE(window->runCommand(ZoomIn));

    FakeViewTarget view, second;
    view.states[ZoomIn] = {true, false};
    view.states[QualityGood] = {true, true};
    second.states[ZoomIn] = {false, false};
    second.states[CenterView] = {true, false};
    window->addCommandTarget(&view);
    window->addCommandTarget(&second);
    window->updateCommandStates();

    EXPECT_TRUE(window->action(ZoomIn)->isEnabled());
    EXPECT_TRUE(window->action(QualityGood)->isChecked());
    EXPECT_FALSE(window->action(QualityFast)->isChecked());
    EXPECT_TRUE(window->action(CenterView)->isEnabled());

    window->action(ZoomIn)->trigger();
    window->action(CenterView)->trigger();
    EXPECT_EQ(view.ran, (std::vector<int>{ZoomIn}));
    EXPECT_EQ(second.ran, (std::vector<int>{CenterView}));

    // A menu asks again as it opens.
    view.states[ZoomIn] = {false, false};
    QMenu* viewMenu = menuTitled("View");
    emit viewMenu->aboutToShow();
    EXPECT_FALSE(window->action(ZoomIn)->isEnabled());

    window->removeCommandTarget(&view);
    window->removeCommandTarget(&second);
    window->updateCommandStates();
    EXPECT_FALSE(window->action(CenterView)->isEnabled());
}

TEST_F(MainFrame, UndoItemAndTooltipNameTheStepAndRedoFollowsAnUndo)
{
    window->updateCommandStates();
    EXPECT_EQ(window->action(Undo)->text(), "&Undo\tCtrl+Z");
    EXPECT_FALSE(window->action(Undo)->isEnabled());
    EXPECT_EQ(window->action(Undo)->toolTip(), "Undo - Nothing to Undo (Ctrl+Z)");

    addFrame({1, 1, 2, 2});
    window->updateCommandStates();
    EXPECT_EQ(window->action(Undo)->text(), "&Undo (Create image frame)\tCtrl+Z");
    EXPECT_TRUE(window->action(Undo)->isEnabled());
    EXPECT_EQ(window->action(Undo)->toolTip(), "Undo - Create image frame (Ctrl+Z)");

    window->action(Undo)->trigger();
    window->updateCommandStates();
    EXPECT_EQ(services->frames().frameCount(), 0);
    EXPECT_EQ(window->action(Redo)->text(), "&Redo (Create image frame)\tCtrl+Y");
    EXPECT_EQ(window->action(Undo)->text(), "&Undo\tCtrl+Z");
}

TEST_F(MainFrame, TheHighQualityButtonDescribesThePreviewQuality)
{
    const std::pair<int, const char*> cases[] = {
        {2, "Excellent Quality\n(High quality with slow software speed)"},
        {1, "Good Quality\n(High quality with fast software speed)"},
        {0, "Fast Quality\n(Low quality with fast software speed)"},
    };
    for (const auto& [quality, tip] : cases) {
        doc->setPreviewQuality(quality, false);
        window->updateCommandStates();
        EXPECT_EQ(window->action(HighQualityImages)->toolTip(), tip) << quality;
    }
}

TEST_F(MainFrame, MagneticFramesAndSoundEffectsToggleTheirSettingsAndShowAMark)
{
    CSnapSettings& snap = services->snapper().settings();
    ASSERT_TRUE(snap.snapToFrames.get());
    window->action(MagneticFrames)->trigger();
    window->updateCommandStates();
    EXPECT_FALSE(snap.snapToFrames.get());
    EXPECT_FALSE(window->action(MagneticFrames)->isChecked());
    EXPECT_FALSE(valueOf("SnapToFrames").toBool());

    const bool sound = snap.snapSound.get();
    window->action(SoundEffects)->trigger();
    window->updateCommandStates();
    EXPECT_EQ(snap.snapSound.get(), !sound);
    EXPECT_EQ(window->action(SoundEffects)->isChecked(), !sound);
}

// --- Placement, toolbars, full screen

TEST_F(MainFrame, ClosingOntoAFullDiskSaysTheSettingsWereNotSavedAndKeepsTheirFile)
{
    window->show();
    ASSERT_TRUE(window->close());
    const QByteArray before = readFile(services->settingsFile());
    ASSERT_FALSE(before.isEmpty());

    makeFrame();
    window->show();
    window->setGeometry(60, 70, window->width() + 20, window->height() + 10);
    {
        FileSizeLimit full(0);
        ASSERT_TRUE(window->close());
    }
    EXPECT_EQ(readFile(services->settingsFile()), before);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], services->catalogue().text("SettingsSaveFailed"));
    EXPECT_TRUE(services->settings().isChanged());
}

TEST_F(MainFrame, ClosingStoresThePlacementButNotWhileMinimized)
{
    services->settings().setValue("FrameMaximized", CPropValue::boolean(false));
    window->show();
    const QSize first = window->minimumSizeHint() + QSize(40, 30);
    window->setGeometry(40, 50, first.width(), first.height());
    ASSERT_TRUE(window->close());
    EXPECT_FALSE(valueOf("FrameMaximized").toBool());
    EXPECT_EQ(valueOf("FrameX").toInt(), window->pos().x());
    EXPECT_EQ(valueOf("FrameY").toInt(), window->pos().y());
    EXPECT_EQ(valueOf("FrameCX").toInt(), first.width());
    EXPECT_EQ(valueOf("FrameCY").toInt(), first.height());

    makeFrame();
    window->show();
    window->setGeometry(90, 90, first.width() + 50, first.height() + 50);
    window->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(window->close());
    EXPECT_EQ(valueOf("FrameCX").toInt(), first.width()) << "a minimized window keeps the placement stored before";
    EXPECT_EQ(valueOf("FrameCY").toInt(), first.height());

    makeFrame();
    window->showMaximized();
    ASSERT_TRUE(window->close());
    EXPECT_TRUE(valueOf("FrameMaximized").toBool());
    EXPECT_EQ(valueOf("FrameCX").toInt(), window->width()) << "with the maximized rectangle";
}

TEST_F(MainFrame, TheStoredPlacementIsUsedAtTheNextStart)
{
    services->settings().setValue("FrameMaximized", CPropValue::boolean(false));
    window->show();
    const QSize chosen = window->minimumSizeHint() + QSize(20, 10);
    window->setGeometry(30, 20, chosen.width(), chosen.height());
    ASSERT_TRUE(window->close());

    restartProgram();
    window->showPlaced();
    EXPECT_FALSE(window->isMaximized());
    EXPECT_EQ(window->height(), chosen.height());
    EXPECT_EQ(window->width(), std::max(chosen.width(), window->minimumSizeHint().width()));
}

TEST_F(MainFrame, TheFirstRunLaysOutEveryBarThenTheSavedLayoutIsUsed)
{
    EXPECT_FALSE(valueOf("AppOnce14").toBool());
    EXPECT_FALSE(valueOf(CMainFrame::kBarsSetting).toBytes().isEmpty());
    for (int id : {ToolbarMain, ToolbarZoom, ToolbarPrinting, ToolbarFrame, ToolbarView, ToolbarAddPictures,
                   ToolbarOutput}) {
        ASSERT_NE(window->toolBar(id), nullptr) << id;
        EXPECT_FALSE(window->toolBar(id)->isHidden()) << id;
    }
    EXPECT_EQ(window->toolBarArea(window->toolBar(ToolbarMain)), Qt::TopToolBarArea);
    EXPECT_EQ(window->toolBarArea(window->toolBar(ToolbarView)), Qt::LeftToolBarArea);

    // The user hides the zoom bar and moves the frame bar; the next start shows it so.
    window->show();
    window->action(ToolbarZoom)->trigger();
    window->addToolBar(Qt::BottomToolBarArea, window->toolBar(ToolbarFrame));
    window->updateCommandStates();
    EXPECT_FALSE(window->action(ToolbarZoom)->isChecked());
    ASSERT_TRUE(window->close());

    restartProgram();
    EXPECT_TRUE(window->toolBar(ToolbarZoom)->isHidden());
    EXPECT_EQ(window->toolBarArea(window->toolBar(ToolbarFrame)), Qt::BottomToolBarArea);
    window->runCommand(ShowAllToolbars);
    EXPECT_FALSE(window->toolBar(ToolbarZoom)->isHidden());
    window->runCommand(HideAllToolbars);
    window->updateCommandStates();
    EXPECT_FALSE(window->action(ToolbarMain)->isChecked());
}

TEST_F(MainFrame, FullScreenTogglesTheSettingAndTheWindowsState)
{
    window->show();
    window->runCommand(FullScreen);
    window->updateCommandStates();
    EXPECT_TRUE(valueOf("EnlargeScreen").toBool());
    EXPECT_TRUE(window->windowState() & Qt::WindowFullScreen);
    EXPECT_TRUE(window->action(FullScreen)->isChecked());

    window->runCommand(FullScreen);
    EXPECT_FALSE(valueOf("EnlargeScreen").toBool());
    EXPECT_FALSE(window->windowState() & Qt::WindowFullScreen);

    // Full screen survives a restart.
    window->runCommand(FullScreen);
    ASSERT_TRUE(window->close());
    restartProgram();
    EXPECT_TRUE(valueOf("EnlargeScreen").toBool());
    window->showPlaced();
    EXPECT_TRUE(window->isEnlarged());
    EXPECT_TRUE(window->windowState() & Qt::WindowFullScreen) << window->windowState();
}

TEST_F(MainFrame, ShowsTheProjectNameInItsTitleAndComesBackFromMinimized)
{
    // "[*]" is where Qt shows the mark of unsaved changes.
    EXPECT_EQ(window->windowTitle(), "Tessary Ombravelle[*]");
    window->setProjectPath("/somewhere/Holiday.Collage");
    EXPECT_EQ(window->windowTitle(), "Holiday.Collage[*] - Tessary Ombravelle");

    window->showMinimized();
    window->bringToFront();
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(window->isVisible());
    EXPECT_GT(window->width(), 200);
}

// --- Recent files

TEST_F(MainFrame, TheRecentFilesListKeepsTheFourteenNewestOnceEach)
{
    CRecentFiles& recent = window->recentFiles();
    for (int i = 1; i <= 16; ++i)
        recent.add(path(QStringLiteral("p%1.Collage").arg(i)));
    recent.add(path("p10.Collage"));
    ASSERT_EQ(recent.paths().size(), CRecentFiles::kCapacity);
    EXPECT_EQ(recent.paths().first(), path("p10.Collage"));
    EXPECT_EQ(recent.paths().count(path("p10.Collage")), 1);
    EXPECT_EQ(recent.paths().at(1), path("p16.Collage"));
    EXPECT_FALSE(recent.paths().contains(path("p1.Collage")));
    EXPECT_FALSE(recent.paths().contains(path("p2.Collage")));
    EXPECT_TRUE(recent.paths().contains(path("p3.Collage")));

    QMenu* file = menuTitled("File");
    emit file->aboutToShow();
    int shown = 0;
    for (int i = 0; i < RecentFileCount; ++i)
        shown += window->action(RecentFileFirst + i)->isVisible();
    EXPECT_EQ(shown, 14);
    EXPECT_EQ(window->action(RecentFileFirst)->text(), "&1 p10.Collage");

    restartProgram();
    EXPECT_EQ(window->recentFiles().paths().size(), 14) << "the list is kept with the settings";
}

// --- Drops from the file manager

TEST_F(MainFrame, DroppingTwoPhotosAndATextFileMakesTwoFramesInOneStepAndSaysSoOnce)
{
    const QString wide = writeImage("wide.png", 200, 100);
    const QString tall = writeImage("tall.png", 50, 100);
    const QString text = path("notes.txt");
    writeFile(text, "not a photo");
    window->show();

    dropFiles({wide, text, tall});

    ASSERT_EQ(services->frames().frameCount(), 2);
    const CPicInfo* first = services->frames().frameAt(0);
    ASSERT_NE(first->photo(), nullptr);
    EXPECT_NEAR(first->frameRect().width / first->frameRect().height, 2.0, 1e-3) << "shaped like its photo";
    EXPECT_NE(services->frames().frameAt(1)->photo(), nullptr);
    EXPECT_EQ(services->undo().undoList().size(), 1u);
    EXPECT_EQ(services->undo().UndoName(), "Drop Image");
    EXPECT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.value(0).contains("notes.txt"));
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(services->selection().Count(), 2);

    ASSERT_TRUE(doc->undoCommand());
    EXPECT_EQ(services->frames().frameCount(), 0);
}

TEST_F(MainFrame, DroppingOnlyFilesThatAreNotPhotosAddsNothingAndSaysSo)
{
    writeFile(path("a.txt"), "x");
    writeFile(path("broken.jpg"), "not really a jpeg");
    window->show();
    dropFiles({path("a.txt"), path("broken.jpg")});
    EXPECT_EQ(services->frames().frameCount(), 0);
    EXPECT_FALSE(services->undo().CanUndo());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], services->catalogue().text("DropperNoValidPhoto"));
}

TEST_F(MainFrame, ADropOutsideTheCanvasPlacesNothing)
{
    const QString photo = writeImage("p.png", 10, 10);
    window->setCanvasPointMapper([](const QPoint&) { return QPointF(-3, 2); });
    window->setCanvas(new QWidget);
    window->show();
    dropFiles({photo});
    EXPECT_EQ(services->frames().frameCount(), 0);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], services->catalogue().text("DropInsideCanvas"));
}

TEST_F(MainFrame, ADropOfMorePhotosThanFrameIdsLeftPlacesNoneAndSaysWhy)
{
    const QString one = writeImage("one.png", 20, 10);
    const QString two = writeImage("two.png", 10, 20);
    {
        CUndoSuspend quiet(&services->undo());
        for (quint32 id = 1; id < CPicInfoManager::kIdsPerPlane; ++id) {
            auto filler = std::make_unique<CPicInfo>();
            filler->setId(id);
            services->frames().appendFrame(std::move(filler));
        }
    }
    const int count = services->frames().frameCount();
    window->show();

    dropFiles({one, two});
    EXPECT_EQ(services->frames().frameCount(), count) << "one id left for two photos";
    EXPECT_FALSE(services->undo().CanUndo());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], services->catalogue().text("FrameIdsExhausted"));

    dropFiles({one});
    EXPECT_EQ(services->frames().frameCount(), count + 1);
    EXPECT_EQ(shown.size(), 1);
}

// --- Closing

TEST_F(MainFrame, FileCloseAsksAboutChangesThenLeavesTheWindowWithAnEmptyUntitledCanvas)
{
    addFrame({1, 1, 2, 2});
    ASSERT_EQ(doc->saveDocument(path("Kept.Collage")), CCollageDoc::SaveResult::Saved);
    doc->setModified(true);
    window->show();

    answer = MsgButton::Cancel;
    ASSERT_TRUE(window->runCommand(Close));
    EXPECT_EQ(services->frames().frameCount(), 1);
    EXPECT_FALSE(doc->path().isEmpty());

    answer = MsgButton::No;
    window->runCommand(Close);
    EXPECT_EQ(shown, (QStringList{"Save changes to Kept.Collage?", "Save changes to Kept.Collage?"}));
    EXPECT_EQ(services->frames().frameCount(), 0);
    EXPECT_TRUE(doc->path().isEmpty());
    EXPECT_FALSE(doc->isModified());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Tessary Ombravelle[*]");
}

TEST_F(MainFrame, ClosingTheWindowTellsTheApplicationOnlyOnceTheUserLetsItClose)
{
    class ClosingListener : public CNotifyListener
    {
    public:
        bool OnNotify(const CNotifyMessage& message) override
        {
            events << message.event;
            return true;
        }
        QStringList events;
    } listener;
    services->bus().Register(&listener, "application");
    doc->setModified(true);
    window->show();

    answer = MsgButton::Cancel;
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(listener.events.isEmpty());
    answer = MsgButton::No;
    EXPECT_TRUE(window->close());
    EXPECT_EQ(listener.events, QStringList{"Closing"});
    services->bus().Unregister(&listener, "application");
}

// --- A project handed over by another start

TEST_F(MainFrame, AHandedOverProjectOpensOnlyAfterTheQuestionAboutUnsavedChanges)
{
    const QString handed = path("Handed.Collage");
    ASSERT_EQ(doc->saveDocument(handed), CCollageDoc::SaveResult::Saved);
    doc->setPath({});
    doc->newDocument();
    doc->setModified(true);

    answer = MsgButton::Cancel;
    EXPECT_FALSE(window->openHandedOverProject(handed));
    EXPECT_EQ(shown, QStringList{"Save changes to Untitled?"});
    EXPECT_TRUE(window->isVisible()) << "the window came to the front to ask";
    EXPECT_TRUE(doc->path().isEmpty());
    EXPECT_TRUE(doc->isModified());

    answer = MsgButton::No;
    EXPECT_TRUE(window->openHandedOverProject(handed));
    EXPECT_EQ(doc->path(), handed);
    EXPECT_EQ(window->windowTitle(), "Handed.Collage[*] - Tessary Ombravelle");

    writeFile(path("Damaged.Collage"), "not a project");
    EXPECT_FALSE(window->openHandedOverProject(path("Damaged.Collage")));
    EXPECT_EQ(shown.last(), services->catalogue().text("CorruptProject"));
    EXPECT_EQ(doc->path(), handed);
}

// --- Opening what cannot be read

class OpeningBadProjects : public MainFrame
{
protected:
    void SetUp() override
    {
        MainFrame::SetUp();
        addFrame({1, 1, 3, 2});
        ASSERT_EQ(doc->saveDocument(path("good.Collage")), CCollageDoc::SaveResult::Saved);
        addFrame({5, 1, 1, 1});
        doc->setModified(true);
        shown.clear();
    }
    void expectPreviousDocumentKept()
    {
        EXPECT_EQ(services->frames().frameCount(), 2);
        EXPECT_EQ(doc->path(), QFileInfo(path("good.Collage")).absoluteFilePath());
        EXPECT_TRUE(doc->isModified());
        EXPECT_EQ(window->windowTitle(), "good.Collage[*] - Tessary Ombravelle");
    }
};

TEST_F(OpeningBadProjects, ACorruptProjectShowsTheMessageAndKeepsThePreviousDocument)
{
    window->setProjectPath(doc->path());
    QByteArray bytes = readFile(path("good.Collage"));
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x5A);
    writeFile(path("bad.Collage"), bytes);

    EXPECT_FALSE(window->openProject(path("bad.Collage")));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], services->catalogue().text("CorruptProject"));
    expectPreviousDocumentKept();
    EXPECT_FALSE(window->recentFiles().paths().contains(path("bad.Collage")));
}

TEST_F(OpeningBadProjects, AProjectFromANewerProgramShowsTheMessageAndKeepsThePreviousDocument)
{
    window->setProjectPath(doc->path());
    std::vector<RawSection> sections = parseSections(readFile(path("good.Collage")));
    ASSERT_EQ(sections[0].name, "Version");
    sections[0].content[0] = char(CCollageDoc::kFileVersion + 1);
    writeFile(path("newer.Collage"), buildFile(sections));

    EXPECT_FALSE(window->openProject(path("newer.Collage")));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], services->catalogue().text("WrongDocVersion"));
    expectPreviousDocumentKept();
}

TEST_F(OpeningBadProjects, AMissingRecentProjectLeavesTheList)
{
    window->recentFiles().add(path("gone.Collage"));
    doc->setModified(false);
    window->runCommand(RecentFileFirst);
    EXPECT_FALSE(window->recentFiles().paths().contains(path("gone.Collage")));
    EXPECT_EQ(services->frames().frameCount(), 2);
}

} // namespace

namespace {

TEST_F(MainFrame, EveryToolbarButtonHasItsOwnImageAndHighQualityShowsItsState)
{
    for (const CToolbarSpec& bar : ToolbarTable::all())
        for (int id : bar.commands) {
            if (id == 0)
                continue;
            EXPECT_FALSE(window->action(id)->icon().isNull()) << id;
            const CCommandSpec* spec = CommandTable::find(id);
            ASSERT_NE(spec, nullptr);
            EXPECT_TRUE(QFile::exists(QStringLiteral(":/icons/%1.png").arg(spec->icon))) << spec->icon;
        }
    FakeViewTarget view;
    view.states[HighQualityImages] = {true, false};
    window->addCommandTarget(&view);
    window->updateCommandStates();
    const QImage off = window->action(HighQualityImages)->icon().pixmap(24, 24).toImage();
    view.states[HighQualityImages] = {true, true};
    window->updateCommandStates();
    const QImage on = window->action(HighQualityImages)->icon().pixmap(24, 24).toImage();
    EXPECT_NE(off, on) << "IDR_TB_FULLRES_ON while on";
    window->removeCommandTarget(&view);
}

} // namespace
