// The photo organizer and the refresh dialog as the user meets them, on
// real JPEG files refreshed into a fresh collection: filters and dates,
// Photo Moments and their messages, Spin, Remove and Show Again, the hand-
// over to the dropper, the thumbnail size keys and wheel, and a refresh
// that completes, that is stopped, and that finds a folder missing.

#include "collagedoc.h"
#include "commandids.h"
#include "dropperhandover.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "organizercommands.h"
#include "photofiles.h"
#include "photoitem.h"
#include "photolistmodel.h"
#include "photoorganizer.h"
#include "phototiledelegate.h"
#include "picdropper.h"
#include "propmanager.h"
#include "refreshdialog.h"
#include "renderqueue.h"
#include "services.h"
#include "testhome.h"
#include "thumbnailcache.h"
#include "undo.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace PhotoFiles;

namespace {

// Two days of photos: three on 5 May 2021, two on 1 July 2022, and one with
// only a file date.
struct ShotSpec
{
    const char* name;
    const char* taken; // EXIF DateTimeOriginal, or null
    QRgb left, right;  // the two halves of the picture
};
const ShotSpec kShots[] = {
    {"may-a.jpg", "2021:05:05 10:00:00", qRgb(220, 30, 30), qRgb(30, 30, 220)},
    {"may-b.jpg", "2021:05:05 11:00:00", qRgb(30, 200, 30), qRgb(230, 230, 40)},
    {"may-c.jpg", "2021:05:05 12:00:00", qRgb(240, 140, 20), qRgb(20, 200, 200)},
    {"july-a.jpg", "2022:07:01 09:00:00", qRgb(150, 40, 200), qRgb(240, 240, 240)},
    {"july-b.jpg", "2022:07:01 09:30:00", qRgb(90, 90, 90), qRgb(200, 120, 160)},
    {"undated.jpg", nullptr, qRgb(10, 10, 10), qRgb(250, 250, 250)},
};

void writeShot(const QString& path, const ShotSpec& shot)
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(shot.left);
    for (int y = 0; y < image.height(); ++y)
        for (int x = image.width() / 2; x < image.width(); ++x)
            image.setPixel(x, y, shot.right);
    makeFolderFor(path);
    ASSERT_TRUE(image.save(path, "JPEG", 92));
    if (shot.taken)
        writeExif(path, Exif{{{kDateTimeOriginal, shot.taken}}});
}

class OrganizerTest : public ::testing::Test
{
protected:
    OrganizerTest()
    {
        for (const ShotSpec& shot : kShots)
            writeShot(pictures() + "/" + shot.name, shot);
        services = std::make_unique<CServices>(home.configHome() + "/Settings.DAT");
        services->catalogue().setMessageBox([this](const QString&, const QString& text, unsigned) {
            shown << keyOf(text);
            return answer;
        });
        handOver = std::make_unique<CPicDropperHandOver>(services->dropper());
    }
    ~OrganizerTest() override
    {
        organizer.reset();
        services.reset();
    }

    QString pictures() const { return home.path() + "/Pictures"; }

    // The box sees the text; the keys this window shows are told apart by it.
    QString keyOf(const QString& text)
    {
        for (const char* key : {"RefreshDone", "RefreshDirNotFound", "DropperSpinSelect", "DropperRemoveSelect",
                                "DropperTooManyFiles", "PhotoPosSelection", "PhotoPosNoName", "PhotoPosExists",
                                "PhotoPosRemoveNoName", "WrongPhotoPosName", "AskRemovePhotoPos", "PhotoPosRename",
                                "PhotoPosRangeError"})
            if (services->catalogue().text(key) == text)
                return key;
        return text;
    }

    // The refresh dialog, run as the user runs it.
    void refresh()
    {
        CRefreshDialog dialog(services->photos(), services->catalogue());
        dialog.folderEdit()->setText(pictures());
        QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
        ASSERT_EQ(dialog.lastResult().outcome, CRefreshResult::Outcome::Completed);
        shown.clear();
    }

    CPhotoOrganizer& open()
    {
        organizer = std::make_unique<CPhotoOrganizer>(*services, *handOver);
        organizer->show();
        return *organizer;
    }

    CPhotoItem* photo(const char* name) { return services->photos().FindPhoto(pictures() + "/" + name); }

    QStringList listedNames() const
    {
        QStringList names;
        for (const CPhotoItem* p : organizer->model()->photos())
            names << QFileInfo(p->path()).fileName();
        return names;
    }

    QPushButton* button(const QString& text) const
    {
        for (QPushButton* b : organizer->findChildren<QPushButton*>())
            if (b->text() == text)
                return b;
        return nullptr;
    }

    QTreeWidgetItem* dateItem(const CDateSelection& date) const
    {
        QTreeWidget* tree = organizer->dateList();
        tree->expandAll();
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            const int packed = (*it)->data(0, Qt::UserRole + 1).toInt();
            if (packed == (date.year * 100 + date.month) * 100 + date.day)
                return *it;
        }
        return nullptr;
    }

    void clickDate(const CDateSelection& date)
    {
        QTreeWidgetItem* item = dateItem(date);
        ASSERT_NE(item, nullptr);
        QTreeWidget* tree = organizer->dateList();
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    }

    void clickTile(int row, Qt::KeyboardModifiers modifiers = {})
    {
        QListView* view = organizer->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers,
                          view->visualRect(organizer->model()->index(row)).center());
    }

    TestHome home;
    std::unique_ptr<CServices> services;
    std::unique_ptr<CPicDropperHandOver> handOver;
    std::unique_ptr<CPhotoOrganizer> organizer;
    QStringList shown;
    int answer = MsgButton::Yes;
};

// ---------------------------------------------------------------------------
// The refresh dialog

TEST_F(OrganizerTest, RefreshFindsThePhotosOfTheFolderAndSaysSo)
{
    CRefreshDialog dialog(services->photos(), services->catalogue());
    EXPECT_EQ(dialog.folderEdit()->text(), services->photos().refreshSearchFolders().join(';'));
    dialog.folderEdit()->setText(pictures());
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.lastResult().counters.imagesFound, 6);
    EXPECT_EQ(shown, QStringList{"RefreshDone"});
    EXPECT_EQ(services->photos().photoCount(), 6);
    EXPECT_EQ(dialog.startButton()->text(), "&Refresh");
    EXPECT_EQ(services->settings().getValue("RefreshSearchDir")->toString(), pictures());
}

TEST_F(OrganizerTest, RefreshOfAMissingFolderSaysSoAndDoesNotStart)
{
    CRefreshDialog dialog(services->photos(), services->catalogue());
    dialog.folderEdit()->setText(pictures() + ";" + home.path() + "/gone");
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    EXPECT_EQ(shown, QStringList{"RefreshDirNotFound"});
    EXPECT_EQ(services->photos().photoCount(), 0);
}

TEST_F(OrganizerTest, StopEndsARunningRefreshWithoutRefreshDone)
{
    // Enough photos to read that the scan lets events through on the way.
    for (int i = 0; i < 400; ++i)
        writeJpeg(QStringLiteral("%1/many/p%2.jpg").arg(pictures()).arg(i), QSize(64, 48));
    CRefreshDialog dialog(services->photos(), services->catalogue());
    dialog.folderEdit()->setText(pictures());
    QString captionWhileRunning;
    // Pressed while the scan lets the window's events through.
    QTimer::singleShot(0, &dialog, [&] {
        captionWhileRunning = dialog.startButton()->text();
        EXPECT_FALSE(dialog.folderEdit()->isEnabled());
        QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    });
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    EXPECT_EQ(captionWhileRunning, "&Stop!");
    EXPECT_EQ(dialog.lastResult().outcome, CRefreshResult::Outcome::Stopped);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(dialog.startButton()->text(), "&Refresh");
    EXPECT_TRUE(dialog.folderEdit()->isEnabled());
}

// ---------------------------------------------------------------------------
// Listing

TEST_F(OrganizerTest, ListsByFilterAndDateAndRemembersTheChoice)
{
    refresh();
    open();
    EXPECT_EQ(listedNames(), QStringList({"may-a.jpg", "may-b.jpg", "may-c.jpg", "july-a.jpg", "july-b.jpg",
                                          "undated.jpg"}))
        << "all photos, older first (the undated one has today's file date)";
    ASSERT_NE(dateItem({2021, 5, 5}), nullptr);
    EXPECT_NE(dateItem({2022, 7, 1})->text(0).indexOf("(2)"), -1);

    organizer->setFilter(CPhotoViewFilter::SelectedDate);
    clickDate({2022, 7, 1});
    EXPECT_EQ(listedNames(), QStringList({"july-a.jpg", "july-b.jpg"}));
    clickDate({2021, 0, 0});
    EXPECT_EQ(listedNames(), QStringList({"may-a.jpg", "may-b.jpg", "may-c.jpg"})) << "a whole year";

    organizer->setFilter(CPhotoViewFilter::FileDate);
    EXPECT_EQ(listedNames(), QStringList{"undated.jpg"});
    organizer->setFilter(CPhotoViewFilter::Today);
    EXPECT_EQ(listedNames(), QStringList{"undated.jpg"});

    EXPECT_EQ(services->settings().getValue("DropperShow")->toInt(), int(CPhotoViewFilter::Today));
    EXPECT_EQ(services->settings().getValue("DropperYear")->toInt(), 2021);
    EXPECT_EQ(services->settings().getValue("DropperMonth")->toInt(), 0);
}

TEST_F(OrganizerTest, ShowsTheSelectedPhotosPreviewDateSizeAndState)
{
    refresh();
    open();
    clickTile(0);
    EXPECT_EQ(organizer->selectedPhotos(), QList<CPhotoItem*>{photo("may-a.jpg")});
    const QPixmap preview = organizer->previewLabel()->pixmap();
    EXPECT_EQ(preview.width(), 125);
    EXPECT_NEAR(preview.height(), 94, 1);
    EXPECT_EQ(organizer->stateLabel()->text(), "Normal");
}

// ---------------------------------------------------------------------------
// Buttons

TEST_F(OrganizerTest, SpinAndRemoveWantASelectionAndRemoveHidesUntilShownAgain)
{
    refresh();
    open();
    organizer->spinSelected(1);
    organizer->removeSelected();
    EXPECT_EQ(shown, QStringList({"DropperSpinSelect", "DropperRemoveSelect"}));

    clickTile(1);
    clickTile(2, Qt::ControlModifier);
    QTest::mouseClick(button("Remove"), Qt::LeftButton);
    EXPECT_FALSE(listedNames().contains("may-b.jpg"));
    EXPECT_TRUE(photo("may-b.jpg")->isHidden());
    EXPECT_EQ(photo("may-c.jpg")->stateText(), "Photo is tagged to be hidden");

    organizer->setFilter(CPhotoViewFilter::RemovedPhotos);
    EXPECT_EQ(listedNames(), QStringList({"may-b.jpg", "may-c.jpg"}));
    clickTile(0);
    QTest::mouseClick(button("Show Again"), Qt::LeftButton);
    EXPECT_EQ(listedNames(), QStringList{"may-c.jpg"});
    EXPECT_FALSE(photo("may-b.jpg")->isHidden());
}

TEST_F(OrganizerTest, SpinTurnsTheSelectedPhotosAsOneUndoStep)
{
    CCollageDoc document(services->docServices()); // replays the history
    refresh();
    open();
    clickTile(0);
    clickTile(3, Qt::ControlModifier);
    QTest::mouseClick(button("Spin Right"), Qt::LeftButton);
    EXPECT_EQ(photo("may-a.jpg")->quarterTurns(), 1);
    EXPECT_EQ(photo("july-a.jpg")->quarterTurns(), 1);
    EXPECT_EQ(organizer->previewLabel()->pixmap().height(), 125) << "the preview turned too";
    QTest::mouseClick(button("Spin Left"), Qt::LeftButton);
    QTest::mouseClick(button("Spin Left"), Qt::LeftButton);
    EXPECT_EQ(photo("may-a.jpg")->quarterTurns(), 3);
    services->undo().Undo();
    EXPECT_EQ(photo("may-a.jpg")->quarterTurns(), 0);
    EXPECT_EQ(photo("july-a.jpg")->quarterTurns(), 0);
}

TEST_F(OrganizerTest, HandsTheSelectionToTheDropperUnlessItWouldHoldMoreThan200)
{
    refresh();
    open();
    clickTile(0);
    clickTile(4, Qt::ControlModifier);
    QTest::mouseClick(button("Add to Pix Dropper"), Qt::LeftButton);
    ASSERT_EQ(services->dropper().count(), 2);
    EXPECT_EQ(services->dropper().entries()[0].photo, photo("may-a.jpg"));

    for (int i = 0; i < 198; ++i) {
        const QString path = QStringLiteral("%1/tray/%2.jpg").arg(home.path()).arg(i);
        writeJpeg(path, QSize(8, 8));
        services->dropper().AddToDropper(path);
    }
    clickTile(1);
    QTest::mouseClick(button("Add to Pix Dropper"), Qt::LeftButton);
    EXPECT_EQ(shown, QStringList{"DropperTooManyFiles"});
    EXPECT_EQ(services->dropper().count(), 200);
}

TEST_F(OrganizerTest, KeepsPhotoMomentsWithTheirMessages)
{
    refresh();
    open();
    organizer->addMoment("Birthday");
    clickTile(0);
    clickTile(1, Qt::ControlModifier);
    organizer->addMoment("  ");
    organizer->addMoment("Birthday");
    EXPECT_EQ(shown, QStringList({"PhotoPosSelection", "PhotoPosNoName"}));
    ASSERT_NE(services->photos().FindMoment("Birthday"), nullptr);
    EXPECT_EQ(services->photos().FindMoment("Birthday")->photos().size(), 2);

    shown.clear();
    clickTile(2);
    answer = MsgButton::Yes;
    organizer->addMoment("Birthday");
    EXPECT_EQ(shown, QStringList{"PhotoPosExists"});
    EXPECT_EQ(services->photos().FindMoment("Birthday")->photos(), QStringList{photo("may-c.jpg")->path()});

    shown.clear();
    organizer->removeMoment("");
    organizer->removeMoment("Wedding");
    answer = MsgButton::No;
    organizer->removeMoment("Birthday");
    EXPECT_EQ(shown, QStringList({"PhotoPosRemoveNoName", "WrongPhotoPosName", "AskRemovePhotoPos"}));
    EXPECT_NE(services->photos().FindMoment("Birthday"), nullptr);

    organizer->renameMoment("Birthday", "Party");
    EXPECT_EQ(services->photos().MomentNames(), QStringList{"Party"});
    EXPECT_EQ(organizer->momentBox()->currentText(), "Party");
}

TEST_F(OrganizerTest, ShowingAMomentOutsideTheViewSwitchesToAllPhotos)
{
    refresh();
    open();
    clickTile(0);
    clickTile(4, Qt::ControlModifier);
    organizer->addMoment("Trip");
    organizer->setFilter(CPhotoViewFilter::SelectedDate);
    clickDate({2021, 5, 5});
    organizer->showMoment("Trip");
    EXPECT_EQ(shown, QStringList{"PhotoPosRangeError"});
    EXPECT_EQ(organizer->filter(), CPhotoViewFilter::AllPhotos);
    EXPECT_EQ(organizer->selectedPhotos(), (QList<CPhotoItem*>{photo("may-a.jpg"), photo("july-b.jpg")}));
}

TEST_F(OrganizerTest, AsksThumbnailsOnlyForTheTilesOnScreen)
{
    for (int i = 0; i < 3000; ++i)
        services->photos().AddPhoto(QStringLiteral("%1/many/IMG_%2.jpg").arg(home.path()).arg(i));
    services->thumbnails().setSynchronous(true); // requests wait in the queue
    open();
    organizer->resize(700, 500);
    QApplication::processEvents();
    organizer->view()->viewport()->repaint();
    const int queued = services->thumbnails().queuedCount();
    EXPECT_GT(queued, 0);
    EXPECT_LE(queued, 40) << "a window of 700 × 500 shows a few dozen tiles of 3,006";
}

// More tiles on screen than the render queue holds: each still gets its
// thumbnail, and none is let go while it shows.
TEST_F(OrganizerTest, FillsAScreenOfMoreTilesThanTheQueueHolds)
{
    for (int i = 0; i < 300; ++i)
        writeJpeg(QStringLiteral("%1/small/IMG_%2.jpg").arg(pictures()).arg(i), QSize(16, 12));
    refresh();
    services->thumbnails().setSynchronous(true);
    open();
    organizer->setThumbSize(1.0f);
    organizer->resize(790, 590); // inside the offscreen screen, which paints only what it covers
    QApplication::processEvents();
    // Only what the window does by itself: the first paint, then repaints
    // of the tiles whose thumbnails arrive.
    for (int round = 0; round < 50; ++round) {
        QApplication::processEvents();
        if (services->thumbnails().renderQueued() == 0)
            break;
        QApplication::processEvents();
    }
    int onScreen = 0;
    const QRect visible = organizer->view()->viewport()->rect();
    for (int row = 0; row < organizer->model()->rowCount(); ++row) {
        if (!organizer->view()->visualRect(organizer->model()->index(row)).intersects(visible))
            continue;
        ++onScreen;
        EXPECT_FALSE(organizer->model()->photoAt(row)->thumbnail().isNull()) << row;
    }
    EXPECT_GT(onScreen, CRenderQueue::kCap + 1);
    EXPECT_GE(services->thumbnails().memoryListSize(), onScreen);
}

// ---------------------------------------------------------------------------
// Keys, wheel and size

TEST_F(OrganizerTest, ArrowKeysAndTheWheelChangeTheThumbnailSizeWithinOneTo55)
{
    refresh();
    open();
    organizer->setThumbSize(20.0f);
    QListView* view = organizer->view();
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_FLOAT_EQ(organizer->thumbSize(), 22.5f);
    QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(organizer->thumbSize(), 12.5f);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(organizer->thumbSize(), 1.0f);

    const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(10, 10);
        QWheelEvent event(at, view->viewport()->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    };
    wheel(120, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(organizer->thumbSize(), 3.5f);
    wheel(120, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(organizer->thumbSize(), 4.25f);
    EXPECT_EQ(organizer->delegate()->imageSide(), CPhotoOrganizer::imageSideFor(4.25f));
    EXPECT_EQ(services->settings().getValue("OrganizerThumbSize")->toFloat(), 4.25f);

    organizer->setThumbSize(55.0f);
    EXPECT_FALSE(organizer->setThumbSize(60.0f));
    EXPECT_EQ(CPhotoOrganizer::imageSideFor(55.0f), 128) << "the largest shows the thumbnail at its own size";
}

TEST_F(OrganizerTest, OpensFromThePhotosMenuCommands)
{
    QWidget window;
    COrganizerCommands commands(*services, &window);
    EXPECT_TRUE(commands.commandState(CommandId::PhotoOrganizer).has_value());
    EXPECT_FALSE(commands.commandState(CommandId::Save).has_value());
    ASSERT_TRUE(commands.onCommand(CommandId::PhotoOrganizer));
    ASSERT_NE(commands.organizer(), nullptr);
    EXPECT_TRUE(commands.organizer()->isVisible());
    EXPECT_TRUE(commands.organizer()->isWindow());
}

} // namespace
