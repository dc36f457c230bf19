#include "oledate.h"

#include <cmath>

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;

} // namespace

// Before the epoch the integer part counts days backwards while the
// fraction still runs forwards from midnight: -1.25 is 29 Dec 1899 06:00.
COleDate COleDate::fromDateTime(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return {Invalid, 0.0};
    const qint64 day = kEpoch.daysTo(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / kMsPerDay;
    const double days = day >= 0 ? day + fraction : day - fraction;
    return {Valid, days};
}

QDateTime COleDate::toDateTime() const
{
    if (status != Valid || !std::isfinite(days) || std::fabs(days) > 3e6)
        return {};
    const double whole = std::trunc(days);
    double fraction = std::fabs(days - whole);
    qint64 ms = std::llround(fraction * kMsPerDay);
    qint64 day = static_cast<qint64>(whole);
    if (ms >= static_cast<qint64>(kMsPerDay)) { // rounding reached the next midnight
        ms = 0;
        day += 1;
    }
    return QDateTime(kEpoch.addDays(day), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}
