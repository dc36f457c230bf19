// The shell's windows driven as a user would: the progress window follows
// a long operation and its Cancel button reaches the operation.
#include "progress.h"
#include "progresswindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

TEST(ProgressWindow, AppearsForARunShowsItsStateAndHidesAfterwards)
{
    CProgress progress;
    CProgressWindow window(progress);
    EXPECT_FALSE(window.isVisible());

    progress.setRange(0, 10);
    progress.setText("Saving...");
    progress.begin();
    EXPECT_TRUE(window.isVisible());
    progress.setPosition(4);
    progress.step(0);

    auto labels = window.findChildren<QLabel*>();
    const bool showsText = std::any_of(labels.begin(), labels.end(),
                                       [](QLabel* l) { return l->text() == "Saving..."; });
    EXPECT_TRUE(showsText);
    auto* bar = window.findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 10);
    EXPECT_EQ(bar->value(), 4);

    progress.end();
    EXPECT_FALSE(window.isVisible());
}

TEST(ProgressWindow, CancelButtonStopsTheRunningOperationAtItsNextStep)
{
    CProgress progress;
    CProgressWindow window(progress);
    progress.setRange(0, 1000);
    progress.begin();

    auto* cancel = window.findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    QTimer::singleShot(0, cancel, &QPushButton::click);

    int steps = 0;
    while (progress.step() && steps < 1000)
        ++steps;
    EXPECT_TRUE(progress.isCancelled());
    EXPECT_LT(steps, 1000);
    progress.end();
}

} // namespace
