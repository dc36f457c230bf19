#pragma once
// What the photo organizer lists: the collection by date through one of
// five view filters, and the years, months and days that have photos.
// Plain functions over the collection's by-date index, so the organizer's
// rules are tested without a window.

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class CPhotoItem;

// The "DropperShow" setting's values, in the order the organizer lists them.
enum class CPhotoViewFilter : int {
    AllPhotos = 0,
    SelectedDate = 1,
    Today = 2,
    RemovedPhotos = 3,
    FileDate = 4,
};

// The date picked in the organizer's date list: a year, a month of it or a
// day of that. 0 stands for "all" below the level picked; a year of 0 is
// no date at all.
struct CDateSelection
{
    int year = 0;
    int month = 0;
    int day = 0;

    bool isEmpty() const { return year == 0; }
    bool contains(const QDate& date) const;
    friend bool operator==(const CDateSelection&, const CDateSelection&) = default;
};

// One day that has photos, with how many.
struct CDayCount
{
    QDate day;
    int count = 0;
};

namespace PhotoView {

inline constexpr int kFilterCount = 5;

// "All Photos", "Only photos on selected date", "Photos from today",
// "Removed Photos", "Photos with file date".
QStringList filterNames();
CPhotoViewFilter filterFromSetting(int value);

// Whether the photo belongs in the list. Hidden photos show only under
// "Removed Photos", and there only they.
bool matches(const CPhotoItem& photo, CPhotoViewFilter filter, const CDateSelection& selected, const QDate& today);

// The photos that match, in the by-date order given.
std::vector<CPhotoItem*> select(const std::vector<CPhotoItem*>& byDate, CPhotoViewFilter filter,
                                const CDateSelection& selected, const QDate& today);

// The days of the photos that are not hidden, older first.
std::vector<CDayCount> days(const std::vector<CPhotoItem*>& byDate);

// Position in `listed` (in by-date order) of the first photo inside the
// selection, or -1.
int firstRowOn(const std::vector<CPhotoItem*>& listed, const CDateSelection& selected);

} // namespace PhotoView
