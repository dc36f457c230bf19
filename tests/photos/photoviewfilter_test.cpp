// The organizer's listing rules without a window: which photos each view
// filter lists, the days that have photos, and where a picked date starts.

#include "messagecatalogue.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "photofiles.h"
#include "photoviewfilter.h"
#include "propmanager.h"
#include "testhome.h"

#include <gtest/gtest.h>

using namespace PhotoFiles;

namespace {

class PhotoViewTest : public ::testing::Test
{
protected:
    PhotoViewTest()
    {
        add("a.jpg", "2020:02:29 08:00:00");
        add("b.jpg", "2020:02:29 09:00:00");
        add("c.jpg", "2020:03:01 10:00:00");
        add("d.jpg", "2021:01:01 00:00:01");
        add("e.jpg", nullptr); // the file's date: today
        photos.RemovePhoto(path("b.jpg"), false);
    }

    QString path(const QString& name) const { return home.path() + "/" + name; }
    void add(const QString& name, const char* taken)
    {
        writeJpeg(path(name), QSize(8, 8), taken ? Exif{{{kDateTimeOriginal, taken}}} : Exif{});
        photos.FindPhoto(path(name), true);
    }
    QStringList names(CPhotoViewFilter filter, const CDateSelection& date = {})
    {
        QStringList list;
        for (const CPhotoItem* photo : PhotoView::select(photos.ByDate(), filter, date, QDate::currentDate()))
            list << QFileInfo(photo->path()).fileName();
        return list;
    }

    TestHome home;
    CPropManager settings;
    CMessageCatalogue catalogue;
    CNotificationBus bus;
    CMyPhotos photos{settings, catalogue, bus};
};

TEST_F(PhotoViewTest, ListsWhatEachFilterShowsAndHiddenPhotosOnlyUnderRemoved)
{
    EXPECT_EQ(names(CPhotoViewFilter::AllPhotos), QStringList({"a.jpg", "c.jpg", "d.jpg", "e.jpg"}));
    EXPECT_EQ(names(CPhotoViewFilter::SelectedDate, {2020, 2, 29}), QStringList{"a.jpg"});
    EXPECT_EQ(names(CPhotoViewFilter::SelectedDate, {2020, 0, 0}), QStringList({"a.jpg", "c.jpg"}));
    EXPECT_EQ(names(CPhotoViewFilter::SelectedDate, {2020, 3, 0}), QStringList{"c.jpg"});
    EXPECT_TRUE(names(CPhotoViewFilter::SelectedDate, {}).isEmpty());
    EXPECT_EQ(names(CPhotoViewFilter::Today), QStringList{"e.jpg"});
    EXPECT_EQ(names(CPhotoViewFilter::RemovedPhotos), QStringList{"b.jpg"});
    EXPECT_EQ(names(CPhotoViewFilter::FileDate), QStringList{"e.jpg"});
    EXPECT_EQ(PhotoView::filterFromSetting(7), CPhotoViewFilter::AllPhotos);
    EXPECT_EQ(PhotoView::filterNames().size(), PhotoView::kFilterCount);
}

TEST_F(PhotoViewTest, CountsTheDaysOfThePhotosNotHidden)
{
    const std::vector<CDayCount> days = PhotoView::days(photos.ByDate());
    ASSERT_EQ(days.size(), 4u);
    EXPECT_EQ(days[0].day, QDate(2020, 2, 29));
    EXPECT_EQ(days[0].count, 1) << "b.jpg is hidden";
    EXPECT_EQ(days[3].day, QDate::currentDate());
}

TEST_F(PhotoViewTest, FindsWhereAPickedDateStartsInTheList)
{
    const std::vector<CPhotoItem*> all =
        PhotoView::select(photos.ByDate(), CPhotoViewFilter::AllPhotos, {}, QDate::currentDate());
    EXPECT_EQ(PhotoView::firstRowOn(all, {2020, 3, 1}), 1);
    EXPECT_EQ(PhotoView::firstRowOn(all, {2020, 0, 0}), 0);
    EXPECT_EQ(PhotoView::firstRowOn(all, {2021, 1, 0}), 2);
    EXPECT_EQ(PhotoView::firstRowOn(all, {2020, 2, 28}), -1) << "no photo that day";
    EXPECT_EQ(PhotoView::firstRowOn(all, {}), -1);
}

} // namespace
