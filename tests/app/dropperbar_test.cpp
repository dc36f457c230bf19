// The Pix Dropper bar in the editor, used as a user would: photos dragged in
// from the file manager, a tile dragged onto the canvas, the dropper tool
// started from a tile, dropping, picking up and leaving it, and undo.
#include "mainframefixture.h"

#include "application.h"
#include "collageview.h"
#include "dropperbar.h"
#include "myphotos.h"
#include "organizercommands.h"
#include "photoorganizer.h"
#include "phototilewindow.h"
#include "picdropper.h"
#include "snapper.h"
#include "snapsettings.h"
#include "zadedudazizsheet.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

namespace {

using namespace CommandId;

class DropperBar : public MainFrameFixture
{
protected:
    void SetUp() override
    {
        MainFrameFixture::SetUp();
        showEditor();
    }

    CDropperBar& bar() { return *window->dropperBar(); }
    CPicDropper& dropper() { return services->dropper(); }
    int tiles() { return bar().tiles().model()->rowCount(); }
    void dropFiles(const QStringList& files) { dropFilesOn(bar().tiles().viewport(), QPoint(10, 10), files); }
    QPoint tileCentre(int row)
    {
        return bar().tiles().visualRect(bar().tiles().model()->index(row, 0)).center();
    }
    void click(const QPointF& canvas, Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseMove, pixelOf(canvas), Qt::NoButton, Qt::NoButton);
        send(QEvent::MouseButtonPress, pixelOf(canvas), button, button);
        send(QEvent::MouseButtonRelease, pixelOf(canvas), button, Qt::NoButton);
    }
    std::vector<CPicInfo*> photoFrames()
    {
        std::vector<CPicInfo*> list;
        for (const auto& frame : services->frames().frames())
            if (frame->photo())
                list.push_back(frame.get());
        return list;
    }
};

TEST_F(DropperBar, ATileDraggedOntoTheCanvasBecomesAFrameAndOneUndoPutsThePhotoBack)
{
    const QString a = writeImage("a.png", 40, 30);
    const QString b = writeImage("b.png", 30, 40);
    dropFiles({a, b});
    ASSERT_EQ(dropper().count(), 2);
    EXPECT_EQ(tiles(), 2);

    std::unique_ptr<QMimeData> data(CPhotoTileWindow::mimeDataFor(*dropper().entries()[1].photo));
    const QPoint onCanvas = view->mapTo(window.get(), pixelOf({4, 3}).toPoint());
    dropOn(window.get(), onCanvas, *data);

    ASSERT_EQ(photoFrames().size(), 1u);
    CPicInfo* frame = photoFrames()[0];
    EXPECT_EQ(frame->photoPath(), b);
    EXPECT_NEAR(frame->frameRect().x + frame->frameRect().width / 2, 4.0, 0.05);
    EXPECT_EQ(tiles(), 1);
    EXPECT_TRUE(doc->isModified());

    ASSERT_TRUE(window->runCommand(Undo));
    EXPECT_TRUE(services->frames().frames().empty());
    ASSERT_EQ(dropper().count(), 2);
    EXPECT_EQ(dropper().entries()[1].path, b);
    EXPECT_EQ(tiles(), 2);
}

TEST_F(DropperBar, FilesThatAreNotPhotosAreSaidAndNothingIsAdded)
{
    QFile text(path("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("words");
    text.close();
    dropFiles({path("notes.txt")});
    EXPECT_EQ(dropper().count(), 0);
    EXPECT_EQ(shown, QStringList({services->catalogue().text("DropperNoValidPhoto")}));
}

TEST_F(DropperBar, TheToolDropsWhereClickedPicksUpWithTheRightButtonAndLeavesWithD)
{
    dropFiles({writeImage("a.png", 40, 30), writeImage("b.png", 40, 30)});
    QTest::mouseClick(bar().tiles().viewport(), Qt::LeftButton, {}, tileCentre(0));
    ASSERT_TRUE(dropper().toolMode());
    EXPECT_EQ(window->statusBar()->currentMessage(), CPicDropper::kToolStatusText);

    send(QEvent::MouseMove, pixelOf({3, 3}), Qt::NoButton, Qt::NoButton);
    ASSERT_NE(dropper().floatingFrame(), nullptr);
    EXPECT_NEAR(dropper().floatingFrame()->frameRect().x + CPicDropper::kDropFrameSide / 2, 3.0, 0.05);

    click({3, 3});
    ASSERT_EQ(photoFrames().size(), 1u);
    EXPECT_EQ(dropper().count(), 1);
    EXPECT_TRUE(dropper().toolMode());

    click({3, 3}, Qt::RightButton);
    EXPECT_EQ(dropper().count(), 2);
    EXPECT_TRUE(photoFrames().empty());

    QTest::keyClick(view, Qt::Key_D);
    EXPECT_FALSE(dropper().toolMode());
    click({6, 2});
    EXPECT_EQ(dropper().count(), 2); // a plain click again
}

TEST_F(DropperBar, DroppingTheLastPhotoEndsTheToolAndUndoStopsItFirst)
{
    dropFiles({writeImage("a.png", 40, 30)});
    QTest::mouseClick(bar().tiles().viewport(), Qt::LeftButton, {}, tileCentre(0));
    click({2, 2});
    EXPECT_FALSE(dropper().toolMode());
    EXPECT_EQ(dropper().floatingFrame(), nullptr);

    ASSERT_TRUE(window->runCommand(Undo));
    QTest::mouseClick(bar().tiles().viewport(), Qt::LeftButton, {}, tileCentre(0));
    ASSERT_TRUE(dropper().toolMode());
    ASSERT_TRUE(window->runCommand(Redo));
    EXPECT_FALSE(dropper().toolMode());
    EXPECT_EQ(photoFrames().size(), 1u);
}

TEST_F(DropperBar, OnALockedCanvasAPhotoDraggedOntoTheDropperLeavesItsFrameAsOneDropImageStep)
{
    CPicInfo* frame = addFrame({1, 1, 3, 2});
    frame->setPhoto(services->photos().FindPhoto(writeImage("p.png", 40, 30), true));
    services->frames().setFramesLocked(true);
    services->undo().Clear();
    const CCanvasRect before = frame->frameRect();

    const QPointF from = pixelOf({2, 2});
    const QPoint overBar = bar().mapToGlobal(bar().rect().center());
    const QPointF release = view->mapFromGlobal(QPointF(overBar));
    send(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPointF(20, 20), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(view->isCarryingImage());
    QMouseEvent up(QEvent::MouseButtonRelease, release, QPointF(overBar), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &up);

    EXPECT_FALSE(view->isCarryingImage());
    EXPECT_EQ(frame->photo(), nullptr);
    EXPECT_EQ(frame->frameRect(), before);
    ASSERT_EQ(dropper().count(), 1);
    EXPECT_EQ(services->undo().UndoName(), "Drop Image");
    ASSERT_TRUE(window->runCommand(Undo));
    EXPECT_NE(frame->photo(), nullptr);
    EXPECT_EQ(dropper().count(), 0);

    // Let go over the photo organizer, it goes into the dropper as well.
    COrganizerCommands organizerCommands(*services, window.get());
    CPhotoOrganizer* organizer = organizerCommands.openOrganizer();
    ASSERT_NE(organizer, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(organizer));
    const QPoint overOrganizer = organizer->mapToGlobal(organizer->rect().center());
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPointF(20, 20), Qt::NoButton, Qt::LeftButton);
    QMouseEvent there(QEvent::MouseButtonRelease, view->mapFromGlobal(QPointF(overOrganizer)), QPointF(overOrganizer),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &there);
    EXPECT_EQ(frame->photo(), nullptr);
    EXPECT_EQ(dropper().count(), 1);
    organizer->close();
    ASSERT_TRUE(window->runCommand(Undo));

    // Let go over the canvas, the photo stays where it was.
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPointF(20, 20), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from + QPointF(20, 20), Qt::LeftButton, Qt::NoButton);
    EXPECT_NE(frame->photo(), nullptr);
    EXPECT_EQ(dropper().count(), 0);
    EXPECT_FALSE(services->undo().CanUndo());
    EXPECT_EQ(services->undo().RedoName(), "Drop Image");
}

TEST_F(DropperBar, TheWizardOnAnEmptyCanvasTakesAFolderOfPhotosToATiledCollage)
{
    QDir(home.path()).mkpath("holiday");
    for (int i = 0; i < 6; ++i)
        writeImage(QString("holiday/p%1.png").arg(i), i % 3 ? 40 : 30, i % 3 ? 30 : 40);
    dropFiles({writeImage("stale.png", 40, 30)});
    window->runCommand(Undo); // the canvas holds nothing; the dropper neither

    dialogs.wizard = [this]() -> std::optional<bool> {
        CZadeDudazizSheet sheet(*doc, *services, window.get());
        sheet.show();
        sheet.next();
        CQuickPhotosPage& photos = sheet.photosPage();
        photos.setFolder(path("holiday"));
        EXPECT_EQ(photos.folderTiles().model()->rowCount(), 6);
        photos.folderTiles().selectionModel()->select(photos.folderTiles().model()->index(0, 0),
                                                      QItemSelectionModel::Select);
        sheet.next();
        EXPECT_EQ(shown, QStringList({services->catalogue().text("QuickNoPics")}));
        EXPECT_EQ(sheet.currentPage(), &photos);
        photos.folderTiles().selectAll();
        sheet.next();
        EXPECT_EQ(sheet.currentPage(), &sheet.optionsPage());
        EXPECT_EQ(dropper().count(), 6);
        sheet.optionsPage().sizeChoice()->setCurrentIndex(2); // 7 x 5
        sheet.accept();
        return sheet.jumbleChosen();
    };
    ASSERT_TRUE(window->runCommand(ZadeDudaziz));
    EXPECT_EQ(dialogs.wizardRuns, 1);
    EXPECT_EQ(dropper().count(), 0);
    EXPECT_FLOAT_EQ(doc->canvasWidth(), 7.0f);
    EXPECT_FLOAT_EQ(doc->canvasHeight(), 5.0f);

    const std::vector<CPicInfo*> laidOut = photoFrames();
    ASSERT_EQ(laidOut.size(), 6u);
    double area = 0;
    for (const CPicInfo* frame : laidOut) {
        const QRectF rect = frame->frameRect().toRectF();
        EXPECT_TRUE(QRectF(0, 0, 7, 5).adjusted(-1e-3, -1e-3, 1e-3, 1e-3).contains(rect));
        for (const CPicInfo* other : laidOut) {
            const QRectF overlap = rect.intersected(other->frameRect().toRectF());
            if (other != frame) {
                EXPECT_LT(overlap.width() * overlap.height(), 1e-4);
            }
        }
        area += rect.width() * rect.height();
    }
    EXPECT_NEAR(area, 35.0, 1e-2);
}

TEST_F(DropperBar, ACancelledWizardEmptiesTheDropperAndArrangesNothing)
{
    QDir(home.path()).mkpath("few");
    writeImage("few/a.png", 40, 30);
    dialogs.wizard = [this]() -> std::optional<bool> {
        CZadeDudazizSheet sheet(*doc, *services, window.get());
        sheet.next();
        sheet.photosPage().setFolder(path("few"));
        sheet.photosPage().folderTiles().selectAll();
        sheet.photosPage().addSelected();
        EXPECT_EQ(dropper().count(), 1);
        sheet.reject();
        return std::nullopt;
    };
    ASSERT_TRUE(window->runCommand(ZadeDudaziz));
    EXPECT_EQ(dialogs.wizardRuns, 1);
    EXPECT_EQ(dropper().count(), 0);
    EXPECT_TRUE(services->frames().frames().empty());
    EXPECT_TRUE(shown.isEmpty());
}

} // namespace
