// A macro's events as Qt and the journal each name them, and the pace and
// life of a playback, without a window.

#include "journalcodes.h"
#include "macro.h"

#include <gtest/gtest.h>

namespace {

using namespace JournalCodes;

struct KeyCase
{
    int key;
    bool shifted;
    quint32 vk;
};

class JournalKeys : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(JournalKeys, MapToTheirVirtualKeyAndBack)
{
    const KeyCase c = GetParam();
    EXPECT_EQ(virtualKey(c.key), c.vk);
    EXPECT_EQ(qtKey(c.vk, c.shifted), c.key);
}

INSTANTIATE_TEST_SUITE_P(Keys, JournalKeys,
                         ::testing::Values(KeyCase{Qt::Key_A, false, 0x41}, KeyCase{Qt::Key_Z, true, 0x5A},
                                           KeyCase{Qt::Key_7, false, 0x37}, KeyCase{Qt::Key_Exclam, true, 0x31},
                                           KeyCase{Qt::Key_F5, false, 0x74}, KeyCase{Qt::Key_Escape, false, 0x1B},
                                           KeyCase{Qt::Key_Period, false, 0xBE}, KeyCase{Qt::Key_Plus, true, 0xBB},
                                           KeyCase{Qt::Key_Delete, false, 0x2E}, KeyCase{Qt::Key_Left, false, 0x25},
                                           KeyCase{Qt::Key_Control, false, 0x11},
                                           KeyCase{Qt::Key_Backtab, true, 0x09}));

TEST(JournalRecords, KeysCarryTheirCodesAndAltMakesThemSystemKeys)
{
    const CJournalEvent down = *keyEvent(true, Qt::Key_A, false, false, 0x26, 77);
    EXPECT_EQ(down, (CJournalEvent{KeyDown, 0x00260041, 1, 77, 0}));
    EXPECT_EQ(keyEvent(false, Qt::Key_Q, false, true, 0, 0)->message, SysKeyUp);
    EXPECT_EQ(keyEvent(true, Qt::Key_Alt, false, false, 0, 0)->message, SysKeyDown);
    EXPECT_EQ(keyEvent(true, Qt::Key_Plus, true, false, 0, 0)->paramL, 0x6Bu); // the number pad's own +
    EXPECT_FALSE(keyEvent(true, Qt::Key_MediaPlay, false, false, 0, 0));

    const CInput input = *inputOf(down);
    EXPECT_EQ(input.type, QEvent::KeyPress);
    EXPECT_EQ(input.virtualKey, 0x41u);
    EXPECT_EQ(keyText(0x41, Qt::NoModifier), "a");
    EXPECT_EQ(keyText(0x41, Qt::ShiftModifier), "A");
    EXPECT_EQ(keyText(0xBE, Qt::NoModifier), ".");
    EXPECT_EQ(keyText(0x41, Qt::ControlModifier), "");
}

TEST(JournalRecords, MouseEventsKeepScreenPositionsEvenLeftOfTheScreen)
{
    const CJournalEvent press = *mouseEvent(QEvent::MouseButtonPress, Qt::RightButton, {-5, 700}, 9);
    EXPECT_EQ(press, (CJournalEvent{RightDown, 0xFFFFFFFB, 700, 9, 0}));
    const CInput input = *inputOf(press);
    EXPECT_EQ(input.type, QEvent::MouseButtonPress);
    EXPECT_EQ(input.button, Qt::RightButton);
    EXPECT_EQ(input.screen, QPoint(-5, 700));
    EXPECT_EQ(inputOf(*mouseEvent(QEvent::MouseMove, Qt::NoButton, {3, 4}, 0))->type, QEvent::MouseMove);
    // The window system makes a double click again from the two presses.
    EXPECT_FALSE(mouseEvent(QEvent::MouseButtonDblClick, Qt::LeftButton, {}, 0));
    EXPECT_FALSE(inputOf(CJournalEvent{0x0113, 0, 0, 0, 0})); // a timer message
}

TEST(JournalRecords, HeldKeysAndButtonsGiveTheModifiersOfLaterEvents)
{
    CInputState state;
    state.apply(*inputOf(*keyEvent(true, Qt::Key_Shift, false, false, 0, 0)));
    state.apply(*inputOf(*keyEvent(true, Qt::Key_Control, false, false, 0, 0)));
    state.apply(*inputOf(*mouseEvent(QEvent::MouseButtonPress, Qt::LeftButton, {}, 0)));
    EXPECT_EQ(state.modifiers(), Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(state.buttons(), Qt::LeftButton);
    state.apply(*inputOf(*keyEvent(false, Qt::Key_Shift, false, false, 0, 0)));
    state.apply(*inputOf(*mouseEvent(QEvent::MouseButtonRelease, Qt::LeftButton, {}, 0)));
    EXPECT_EQ(state.modifiers(), Qt::ControlModifier);
    EXPECT_EQ(state.buttons(), Qt::NoButton);
}

struct Heard : CMacroListener
{
    void OnPlaybackStarted() override { events << "playing"; }
    void OnRecordingStarted() override { events << "recording"; }
    void OnStopped() override { events << "stopped"; }
    QStringList events;
};

CJournalEvent at(quint32 time, quint32 message = MouseMove) { return {message, 1, 2, time, 0}; }

TEST(MacroPlayback, PlaysAtTheRecordedPaceAndANegativeGapAtOnce)
{
    CMacro macro("M");
    for (quint32 time : {1000u, 2500u, 2400u, 0xFFFFFF00u, 0x100u})
        macro.appendEvent(at(time));
    Heard heard;
    macro.setListener(&heard);
    ASSERT_TRUE(macro.StartPlayback());

    QList<quint32> delays{macro.pendingDelay()};
    QList<quint32> times{macro.currentEvent()->time};
    while (macro.Advance()) {
        delays << macro.pendingDelay();
        times << macro.currentEvent()->time;
    }
    // The tick count wrapped between the last two: still 512 ms apart.
    EXPECT_EQ(delays, (QList<quint32>{0, 1500, 0, 0, 512}));
    EXPECT_EQ(times.size(), 5);
    EXPECT_FALSE(macro.isPlaying());
    EXPECT_EQ(macro.currentEvent(), nullptr);
    EXPECT_EQ(heard.events, (QStringList{"playing", "stopped"}));
}

TEST(MacroPlayback, OneThingAtATimeAndNothingToPlayIsRefused)
{
    CMacro macro("M");
    EXPECT_FALSE(macro.StartPlayback());
    ASSERT_TRUE(macro.StartRecording());
    EXPECT_FALSE(macro.StartRecording());
    macro.appendEvent(at(5));
    EXPECT_FALSE(macro.StartPlayback());
    macro.Stop();
    ASSERT_TRUE(macro.StartPlayback());
    EXPECT_FALSE(macro.StartRecording());
    EXPECT_EQ(macro.events().size(), 1u);
}

TEST(MacroPlayback, TheShortcutThatStopsARecordingIsNotPartOfIt)
{
    CMacro macro("M");
    ASSERT_TRUE(macro.StartRecording());
    const auto key = [&macro](bool press, int qtKey) { macro.appendEvent(*keyEvent(press, qtKey, false, false, 0, 0)); };
    key(true, Qt::Key_Period);
    key(false, Qt::Key_Period);
    // Ctrl+Shift+R: the shortcut takes the R's press, its release comes through.
    key(true, Qt::Key_Control);
    key(true, Qt::Key_Shift);
    key(false, Qt::Key_R);
    key(false, Qt::Key_Shift);
    macro.Stop();
    ASSERT_EQ(macro.events().size(), 2u);
    EXPECT_EQ(macro.events().back()->event().message, KeyUp);
    EXPECT_EQ(macro.events().back()->event().paramL, 0xBEu);
}

TEST(MacroPlayback, AMacroDeletedWhilePlayingSaysItStopped)
{
    Heard heard;
    auto macro = std::make_unique<CMacro>("M");
    macro->appendEvent(at(1));
    macro->setListener(&heard);
    ASSERT_TRUE(macro->StartPlayback());
    macro.reset();
    EXPECT_EQ(heard.events, (QStringList{"playing", "stopped"}));
}

} // namespace
