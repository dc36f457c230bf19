#pragma once
// When the editor checks for updates by itself at start-up, and what it
// remembers in "PrevUpdate" (a day of the year) afterwards:
//   - at any start but the first, nothing within 15 days of PrevUpdate;
//   - on line, check at once without asking; a check that ran stores today;
//   - otherwise, 15 days or more after PrevUpdate, ask first: No stores
//     today - 12 (the question comes back three days later); Yes checks,
//     storing today when the check ran and today - 12 when it did not.
// Day arithmetic is plain subtraction, so around New Year the distance is
// large and the question comes early.

#include <functional>

struct StartupUpdateRule
{
    static constexpr int kCheckIntervalDays = 15;
    static constexpr int kAskAgainDays = 3;

    int timesRun = 0;
    int today = 0;      // day of the year, 1-366
    int prevUpdate = 0; // "PrevUpdate"
    bool online = false;

    // Runs the rule: `ask` puts the question and returns Yes; `check` runs
    // the update check and returns whether it ran. Returns the new
    // "PrevUpdate".
    int apply(const std::function<bool()>& ask, const std::function<bool()>& check) const;
};
