#include "startupupdaterule.h"

#include <cstdlib>

int StartupUpdateRule::apply(const std::function<bool()>& ask, const std::function<bool()>& check) const
{
    const int distance = std::abs(today - prevUpdate);
    const int askAgainDay = today - (kCheckIntervalDays - kAskAgainDays);
    if (timesRun != 1 && distance < kCheckIntervalDays)
        return prevUpdate;
    if (online)
        return check() ? today : prevUpdate;
    if (distance < kCheckIntervalDays)
        return prevUpdate;
    if (!ask())
        return askAgainDay;
    return check() ? today : askAgainDay;
}
