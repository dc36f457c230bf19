// The start-up update rule as a table: what is asked, what is run, and the
// day stored in "PrevUpdate" afterwards.

#include "startupupdaterule.h"

#include <gtest/gtest.h>

namespace {

enum class Answer { NotAsked, Yes, No };

struct RuleCase
{
    const char* name;
    int timesRun;
    int today;
    int prevUpdate;
    bool online;
    Answer answer;      // what the user answers if asked
    bool checkRuns;     // whether the started check ran
    bool expectAsked;
    bool expectChecked;
    int expectPrevUpdate;
};

class StartupRule : public ::testing::TestWithParam<RuleCase>
{
};

} // namespace

TEST_P(StartupRule, AsksChecksAndStoresTheDayAsTheRuleSays)
{
    const RuleCase& c = GetParam();
    bool asked = false;
    bool checked = false;
    const StartupUpdateRule rule{c.timesRun, c.today, c.prevUpdate, c.online};

    const int stored = rule.apply(
        [&] {
            asked = true;
            return c.answer == Answer::Yes;
        },
        [&] {
            checked = true;
            return c.checkRuns;
        });

    EXPECT_EQ(asked, c.expectAsked);
    EXPECT_EQ(checked, c.expectChecked);
    EXPECT_EQ(stored, c.expectPrevUpdate);
}

INSTANTIATE_TEST_SUITE_P(
    StartupUpdate, StartupRule,
    ::testing::Values(
        // name, times run, today, PrevUpdate, on line, answer, check runs -> asked, checked, stored
        RuleCase{"across_new_year_the_distance_is_355_so_it_asks", 5, 5, 360, false, Answer::No, true, true, false, -7},
        RuleCase{"ten_days_after_nothing_happens", 5, 110, 100, false, Answer::Yes, true, false, false, 100},
        RuleCase{"ten_days_after_nothing_happens_on_line_either", 5, 110, 100, true, Answer::Yes, true, false, false, 100},
        RuleCase{"no_on_day_50_stores_38", 5, 50, 20, false, Answer::No, true, true, false, 38},
        RuleCase{"after_no_on_day_50_day_52_is_quiet", 6, 52, 38, false, Answer::No, true, false, false, 38},
        RuleCase{"after_no_on_day_50_day_53_asks_again", 6, 53, 38, false, Answer::Yes, true, true, true, 53},
        RuleCase{"yes_and_a_check_that_did_not_run_asks_again_later", 5, 80, 20, false, Answer::Yes, false, true, true, 68},
        RuleCase{"twenty_days_after_on_line_checks_without_asking", 5, 120, 100, true, Answer::No, true, false, true, 120},
        RuleCase{"on_line_a_check_that_did_not_run_keeps_the_day", 5, 120, 100, true, Answer::No, false, false, true, 100},
        RuleCase{"the_first_start_on_line_checks_at_once", 1, 3, 0, true, Answer::No, true, false, true, 3},
        RuleCase{"the_first_start_on_line_ignores_a_recent_day", 1, 110, 100, true, Answer::No, true, false, true, 110},
        RuleCase{"the_first_start_off_line_asks_after_fifteen_days", 1, 40, 0, false, Answer::Yes, true, true, true, 40},
        RuleCase{"the_first_start_off_line_within_fifteen_days_does_nothing", 1, 10, 0, false, Answer::Yes, true, false,
                 false, 0}),
    [](const auto& info) { return std::string(info.param.name); });
