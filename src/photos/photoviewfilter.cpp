#include "photoviewfilter.h"

#include "photoitem.h"

#include <algorithm>

bool CDateSelection::contains(const QDate& date) const
{
    if (isEmpty() || !date.isValid() || date.year() != year)
        return false;
    if (month != 0 && date.month() != month)
        return false;
    return day == 0 || date.day() == day;
}

namespace PhotoView {

QStringList filterNames()
{
    return {QStringLiteral("All Photos"), QStringLiteral("Only photos on selected date"),
            QStringLiteral("Photos from today"), QStringLiteral("Removed Photos"),
            QStringLiteral("Photos with file date")};
}

CPhotoViewFilter filterFromSetting(int value)
{
    return value >= 0 && value < kFilterCount ? CPhotoViewFilter(value) : CPhotoViewFilter::AllPhotos;
}

bool matches(const CPhotoItem& photo, CPhotoViewFilter filter, const CDateSelection& selected, const QDate& today)
{
    if (filter == CPhotoViewFilter::RemovedPhotos)
        return photo.isHidden();
    if (photo.isHidden())
        return false;
    switch (filter) {
    case CPhotoViewFilter::AllPhotos: return true;
    case CPhotoViewFilter::SelectedDate: return selected.contains(photo.dateParts().date());
    case CPhotoViewFilter::Today: return photo.dateParts().date() == today;
    case CPhotoViewFilter::FileDate: return !photo.hasMetadataDate();
    case CPhotoViewFilter::RemovedPhotos: break;
    }
    return false;
}

std::vector<CPhotoItem*> select(const std::vector<CPhotoItem*>& byDate, CPhotoViewFilter filter,
                                const CDateSelection& selected, const QDate& today)
{
    std::vector<CPhotoItem*> listed;
    listed.reserve(filter == CPhotoViewFilter::AllPhotos ? byDate.size() : 0);
    for (CPhotoItem* photo : byDate) {
        if (matches(*photo, filter, selected, today))
            listed.push_back(photo);
    }
    return listed;
}

std::vector<CDayCount> days(const std::vector<CPhotoItem*>& byDate)
{
    std::vector<CDayCount> counts;
    for (const CPhotoItem* photo : byDate) {
        if (photo->isHidden())
            continue;
        const QDate day = photo->dateParts().date();
        if (!day.isValid())
            continue;
        if (counts.empty() || counts.back().day != day)
            counts.push_back({day, 0});
        ++counts.back().count;
    }
    return counts;
}

int firstRowOn(const std::vector<CPhotoItem*>& listed, const CDateSelection& selected)
{
    if (selected.isEmpty())
        return -1;
    // The list is in date order, so the first photo on or after the
    // selection's start is where it begins.
    const QDate start(selected.year, qMax(1, selected.month), qMax(1, selected.day));
    const auto first = std::partition_point(listed.begin(), listed.end(), [&](const CPhotoItem* photo) {
        return photo->dateParts().compareDay(start) < 0;
    });
    if (first == listed.end() || !selected.contains((*first)->dateParts().date()))
        return -1;
    return int(first - listed.begin());
}

} // namespace PhotoView
