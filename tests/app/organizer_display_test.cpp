// The organizer on a real X display: a folder of JPEG photos refreshed into
// the collection, a day picked in the date list, its tiles painted with the
// photos (not the grey placeholder) read back from the screen, and a photo
// spun whose tile then shows it turned.

#include "dropperhandover.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "photofiles.h"
#include "photoitem.h"
#include "photolistmodel.h"
#include "photoorganizer.h"
#include "phototiledelegate.h"
#include "refreshdialog.h"
#include "services.h"
#include "testhome.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace PhotoFiles;

namespace {

// How long the first screen of tiles may take to be painted on a loaded
// test machine; on a desktop it is a fraction of a second.
constexpr int kPaintedWithinMs = 10000;

struct Shot
{
    QString name;
    const char* taken;
    QRgb left, right;
};

// The photos of 5 May 2021, plus one of another day that must not be listed.
const Shot kShots[] = {
    {"DSC_0001.jpg", "2021:05:05 10:00:00", qRgb(220, 30, 30), qRgb(30, 30, 220)},
    {"DSC_0002.jpg", "2021:05:05 10:05:00", qRgb(30, 190, 30), qRgb(235, 235, 40)},
    {"DSC_0003.jpg", "2021:05:05 10:09:00", qRgb(240, 140, 20), qRgb(20, 190, 200)},
    {"DSC_0004.jpg", "2021:06:12 16:00:00", qRgb(120, 40, 200), qRgb(240, 240, 240)},
};

int distance(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
}

class OrganizerOnDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        for (const Shot& shot : kShots) {
            QImage image(2400, 1800, QImage::Format_RGB32);
            image.fill(shot.left);
            for (int y = 0; y < image.height(); ++y)
                std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)) + image.width() / 2, image.width() / 2,
                            shot.right);
            const QString path = home.path() + "/Pictures/" + shot.name;
            makeFolderFor(path);
            ASSERT_TRUE(image.save(path, "JPEG", 90));
            writeExif(path, Exif{{{kDateTimeOriginal, shot.taken}}});
        }
        services = std::make_unique<CServices>(home.configHome() + "/Settings.DAT");
        services->catalogue().setMessageBox([](const QString&, const QString&, unsigned) { return MsgButton::Ok; });
        handOver = std::make_unique<CPicDropperHandOver>(services->dropper());

        CRefreshDialog dialog(services->photos(), services->catalogue());
        dialog.folderEdit()->setText(home.path() + "/Pictures");
        QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
        ASSERT_EQ(dialog.lastResult().counters.imagesFound, 4);

        organizer = std::make_unique<CPhotoOrganizer>(*services, *handOver);
        organizer->setGeometry(40, 40, 1100, 700);
        organizer->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(organizer.get()));
    }
    void TearDown() override
    {
        organizer.reset();
        services.reset();
    }

    // The tile of `row` as the X server has it.
    QImage tileOnScreen(int row) const
    {
        QListView* view = organizer->view();
        const QRect tile = view->visualRect(organizer->model()->index(row));
        const QPoint corner = view->viewport()->mapToGlobal(tile.topLeft());
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, corner.x(), corner.y(), tile.width(),
                                                                          tile.height());
        return shot.toImage().convertToFormat(QImage::Format_RGB32);
    }

    // Where the photo's picture sits in its tile grab, for a picture of `size`.
    QRect pictureIn(const QImage& tile, QSize size) const
    {
        return organizer->delegate()->imageRect(tile.rect().adjusted(1, 1, -1, -1), size);
    }

    // Whether the tile shows the photo upright (left and right halves) or,
    // with `turned`, a quarter turn clockwise (the left half on top).
    bool shows(int row, const Shot& shot, bool turned) const
    {
        const QImage tile = tileOnScreen(row);
        const QSize picture = turned ? QSize(96, 128) : QSize(128, 96);
        const QRect r = pictureIn(tile, picture);
        if (r.isEmpty() || tile.isNull())
            return false;
        const QPoint first = turned ? QPoint(r.center().x(), r.top() + r.height() / 4)
                                    : QPoint(r.left() + r.width() / 4, r.center().y());
        const QPoint second = turned ? QPoint(r.center().x(), r.bottom() - r.height() / 4)
                                     : QPoint(r.right() - r.width() / 4, r.center().y());
        // Outside the picture: the tile's own background, not more picture.
        const QPoint beside = turned ? QPoint(r.left() - 3, r.center().y()) : QPoint(r.center().x(), r.top() - 3);
        return distance(tile.pixel(first), shot.left) < 60 && distance(tile.pixel(second), shot.right) < 60
            && distance(tile.pixel(beside), shot.left) > 60;
    }

    TestHome home;
    std::unique_ptr<CServices> services;
    std::unique_ptr<CPicDropperHandOver> handOver;
    std::unique_ptr<CPhotoOrganizer> organizer;
};

TEST_F(OrganizerOnDisplay, PaintsTheTilesOfAPickedDayAndTurnsASpunPhoto)
{
    organizer->setFilter(CPhotoViewFilter::SelectedDate);
    QTreeWidget* dates = organizer->dateList();
    dates->expandAll();
    QTreeWidgetItem* may5 = nullptr;
    for (QTreeWidgetItemIterator it(dates); *it; ++it) {
        if ((*it)->text(0).startsWith("Wed 5 (3)"))
            may5 = *it;
    }
    ASSERT_NE(may5, nullptr);
    QTest::mouseClick(dates->viewport(), Qt::LeftButton, {}, dates->visualItemRect(may5).center());
    ASSERT_EQ(organizer->model()->rowCount(), 3);

    // Painted, photo by photo, in the order of the day.
    const bool painted = QTest::qWaitFor(
        [&] {
            for (int row = 0; row < 3; ++row) {
                if (!shows(row, kShots[row], false))
                    return false;
            }
            return true;
        },
        kPaintedWithinMs);
    ASSERT_TRUE(painted) << "tiles still show placeholders";

    QListView* view = organizer->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(organizer->model()->index(1)).center());
    QPushButton* spinRight = nullptr;
    for (QPushButton* button : organizer->findChildren<QPushButton*>())
        if (button->text() == "Spin Right")
            spinRight = button;
    ASSERT_NE(spinRight, nullptr);
    QTest::mouseClick(spinRight, Qt::LeftButton);

    EXPECT_TRUE(QTest::qWaitFor([&] { return shows(1, kShots[1], true); }, kPaintedWithinMs))
        << "the spun photo's tile did not turn";
    EXPECT_TRUE(shows(0, kShots[0], false)) << "its neighbours stay as they were";
    EXPECT_TRUE(shows(2, kShots[2], false));

    // The button did not take the keyboard from the tiles: Up still grows them.
    ASSERT_EQ(organizer->focusWidget(), view);
    const float size = organizer->thumbSize();
    QTest::keyClick(organizer->focusWidget(), Qt::Key_Up);
    EXPECT_GT(organizer->thumbSize(), size);
}

} // namespace
