// Macros in the editor on a real X display (xvfb-run): input recorded as the
// window system delivers it and played back through the same path, at the
// recorded pace, after the undo history has brought the document back to
// where the recording began. Without a display these cases skip themselves.
// The macro dialog's questions need no display.
#include "mainframefixture.h"

#include "application.h"
#include "collageview.h"
#include "journalcodes.h"
#include "macrocommands.h"
#include "macrodialog.h"
#include "macromanager.h"
#include "messageanswers.h"
#include "myphotos.h"
#include "snapper.h"
#include "snapsettings.h"
#include "undo.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using namespace CommandId;
using namespace JournalCodes;

// The sections of two saved projects that differ, but for the description,
// which carries the time of saving, and the sections named.
QStringList differing(const QByteArray& a, const QByteArray& b, QStringList ignored = {})
{
    QStringList names;
    const auto x = parseSections(a), y = parseSections(b);
    if (x.size() != y.size())
        names << "(the number of sections)";
    ignored << "DocDescription";
    for (size_t i = 0; i < std::min(x.size(), y.size()); ++i)
        if (x[i].content != y[i].content && !ignored.contains(x[i].name))
            names << x[i].name;
    return names;
}

// Waits, handling events, until `done` holds or the time is up.
bool waitFor(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QTest::qWait(20);
    return done();
}

class Macros : public MainFrameFixture
{
protected:
    void SetUp() override
    {
        MainFrameFixture::SetUp();
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display (xvfb-run)";
        plugIn();
    }

    void plugIn()
    {
        view = CCollageApp::plugInCanvasView(*window, *doc, *services);
        commands = window->findChild<CMacroCommands*>();
        ASSERT_NE(commands, nullptr);
        commands->setBeeper([this] { ++beeps; });
        // The dialog's own cases are below; here the user names the macro "M".
        commands->setMacroPicker([this](bool record) {
            CMacroManager& macros = services->macros();
            if (record)
                macros.RemoveMacro(macros.FindMacro("M"));
            macros.setCurrentMacro(record ? macros.AddMacro(std::make_unique<CMacro>("M")) : macros.FindMacro("M"));
            return macros.currentMacro() != nullptr;
        });
        services->snapper().settings().snapToFrames.set(false);
        // The same place on the screen in every run: the macro's positions are the screen's.
        window->setGeometry(40, 40, 1000, 750);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        doc->updateAllViews(DocHint::FitToWindow);
    }

    // Two photo frames, saved and opened again.
    void openProject()
    {
        for (int i = 0; i < 2; ++i) {
            CPicInfo* frame = addFrame({1.0f + 4 * i, 1, 3, 2});
            frame->setPhoto(services->photos().FindPhoto(writeImage(QString("p%1.png").arg(i), 40, 30), true));
        }
        services->undo().Clear();
        saveAndRead("start.Collage");
        ASSERT_TRUE(window->openProject(path("start.Collage")));
        doc->updateAllViews(DocHint::FitToWindow);
    }

    QWindow* screenWindow() const { return window->windowHandle(); }
    QPoint inWindow(const QPointF& canvas) const
    {
        return view->mapTo(window.get(), view->coords().canvasToDevice(canvas).toPoint());
    }
    QPoint onScreen(const QPointF& canvas) const { return window->mapToGlobal(inWindow(canvas)); }

    // A drag as the display delivers it.
    void drag(const QPointF& from, const QPointF& to)
    {
        QTest::mouseMove(screenWindow(), inWindow(from));
        QTest::mousePress(screenWindow(), Qt::LeftButton, {}, inWindow(from), 30);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(screenWindow(), inWindow(from + (to - from) * step / 4.0), 30);
        QTest::mouseRelease(screenWindow(), Qt::LeftButton, {}, inWindow(to), 30);
    }

    // Moves the first frame, selects the second and spins it right (the
    // "." key), while the macro "M" records.
    void recordEdits()
    {
        window->runCommand(MacroRecord);
        ASSERT_TRUE(waitFor([this] { return commands->isRecording(); }));
        drag({2.5f, 2}, {3, 3.5f});
        QTest::mouseClick(screenWindow(), Qt::LeftButton, {}, inWindow({6.5f, 2}), 30);
        // The menu items follow the selection a moment later, and with them
        // their keys; the pause is recorded and played back too.
        QTest::qWait(CMainFrame::kStateRefreshMs * 4);
        window->updateCommandStates();
        QTest::keyClick(screenWindow(), Qt::Key_Period, {}, 30);
        window->runCommand(MacroRecord);
        ASSERT_TRUE(waitFor([this] { return !commands->isRecording(); }));
    }

    void play()
    {
        QSignalSpy stopped(commands, &CMacroCommands::stopped);
        window->runCommand(MacroPlayback);
        ASSERT_TRUE(stopped.wait(15000));
    }

    CMacro* addMacro(const QString& name, std::initializer_list<CJournalEvent> events)
    {
        auto macro = std::make_unique<CMacro>(name);
        macro->setStartPosition(static_cast<quint32>(services->undo().undoList().size()));
        for (const CJournalEvent& event : events)
            macro->appendEvent(event);
        CMacro* added = services->macros().AddMacro(std::move(macro));
        services->macros().setCurrentMacro(added);
        return added;
    }

    CMacroCommands* commands = nullptr;
    int beeps = 0;
};

TEST_F(Macros, PlaybackFirstUndoesLaterEditsThenEndsAsTheRecordingDid)
{
    openProject();
    recordEdits();
    EXPECT_TRUE(waitFor([this] { return beeps == 3; })) << "one beep to start, two to stop";
    const CMacro* macro = services->macros().FindMacro("M");
    ASSERT_NE(macro, nullptr);
    EXPECT_EQ(macro->startPosition(), 0u);
    EXPECT_GT(macro->events().size(), 8u);
    EXPECT_EQ(services->undo().undoList().size(), 2u) << "the drag and the spin";
    const QByteArray recorded = saveAndRead("recorded.Collage");

    drag({6.5f, 2}, {6.5f, 5});
    ASSERT_NE(saveAndRead("edited.Collage"), recorded);

    // Record stays offered with a loaded macro; it is only barred during playback.
    EXPECT_TRUE(window->stateOf(MacroRecord).enabled);
    QSignalSpy stopped(commands, &CMacroCommands::stopped);
    window->runCommand(MacroPlayback);
    ASSERT_TRUE(waitFor([this] { return commands->isPlaying(); }));
    EXPECT_FALSE(window->stateOf(MacroRecord).enabled);
    ASSERT_TRUE(stopped.wait(15000));
    EXPECT_EQ(differing(saveAndRead("played.Collage"), recorded), QStringList());
}

TEST_F(Macros, TheMenuSaysStopWhileRecording)
{
    window->runCommand(MacroRecord);
    ASSERT_TRUE(waitFor([this] { return commands->isRecording(); }));
    EXPECT_TRUE(window->action(MacroRecord)->text().startsWith("&Stop!"));
    window->runCommand(MacroRecord);
    ASSERT_TRUE(waitFor([this] { return !commands->isRecording(); }));
    EXPECT_TRUE(window->action(MacroRecord)->text().startsWith("&Record..."));
}

TEST_F(Macros, EventsRecordedApartArePlayedApartAndANegativeGapAtOnce)
{
    const QPoint a = onScreen({2, 2}), b = onScreen({3, 3}), c = onScreen({4, 4});
    addMacro("Pace", {{MouseMove, quint32(a.x()), quint32(a.y()), 1000, 0},
                      {MouseMove, quint32(b.x()), quint32(b.y()), 2500, 0},
                      {MouseMove, quint32(c.x()), quint32(c.y()), 2000, 0}});
    QElapsedTimer clock;
    QList<qint64> delivered;
    struct Watch : QObject
    {
        std::function<void()> seen;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::MouseMove && event->spontaneous())
                seen();
            return false;
        }
    } watch;
    watch.seen = [&] { delivered << clock.elapsed(); };
    screenWindow()->installEventFilter(&watch);
    clock.start();
    play();
    screenWindow()->removeEventFilter(&watch);

    ASSERT_EQ(delivered.size(), 3);
    EXPECT_NEAR(delivered[1] - delivered[0], 1500, 250);
    EXPECT_LT(delivered[2] - delivered[1], 150);
}

TEST_F(Macros, EscapeStopsPlaybackHalfWayAndKeepsWhatWasPlayed)
{
    openProject();
    const QPoint frame = onScreen({2.5f, 2});
    const quint32 x = frame.x(), y = frame.y();
    const quint32 period = *virtualKey(Qt::Key_Period);
    addMacro("Spins", {{LeftDown, x, y, 0, 0},
                       {LeftUp, x, y, 50, 0},
                       {KeyDown, period, 1, 100, 0},
                       {KeyUp, period, 1, 150, 0},
                       {KeyDown, period, 1, 3000, 0},
                       {KeyUp, period, 1, 3050, 0}});
    window->runCommand(MacroPlayback);
    ASSERT_TRUE(waitFor([this] { return services->undo().undoList().size() == 1; }));
    const QByteArray afterOneSpin = saveAndRead("one.Collage");

    QTest::keyClick(screenWindow(), Qt::Key_Escape);
    EXPECT_FALSE(commands->isPlaying());
    QTest::qWait(3500);
    EXPECT_EQ(services->undo().undoList().size(), 1u);
    EXPECT_EQ(differing(saveAndRead("one.Collage"), afterOneSpin), QStringList());
}

TEST_F(Macros, AMacroSavedWithTheProjectPlaysTheSameAfterReopening)
{
    openProject();
    recordEdits();
    saveAndRead("macro.Collage");

    restartProgram();
    plugIn();
    ASSERT_TRUE(window->openProject(path("macro.Collage")));
    doc->updateAllViews(DocHint::FitToWindow);
    // What the recording made, as the project brings it back.
    const QByteArray recorded = saveAndRead("reopened.Collage");
    // The selection is no part of the history: the frame the macro moves
    // is left unselected, as it was when the recording began.
    drag({6.5f, 2}, {6.5f, 5});
    window->runCommand(MacroOpen);
    ASSERT_NE(services->macros().currentMacro(), nullptr);
    play();
    // The low-resolution pictures are rendered anew for a project read from its file.
    EXPECT_EQ(differing(saveAndRead("again.Collage"), recorded, {"LowResPics"}), QStringList());
}

// --- The dialog

class MacroDialogs : public DocumentFixture
{
protected:
    CMacro* stored(const QString& name, int events)
    {
        auto macro = std::make_unique<CMacro>(name);
        for (int i = 0; i < events; ++i)
            macro->appendEvent({MouseMove, 1, 2, quint32(i), 0});
        return services->macros().AddMacro(std::move(macro));
    }
    CPropValue valueOf(const char* name) const
    {
        return services->settings().getValue(QString::fromLatin1(name)).value_or(CPropValue());
    }
    bool accepted(CMacroDialog::Mode mode, const QString& name)
    {
        CMacroDialog dialog(services->macros(), services->catalogue(), services->settings(), mode);
        dialog.nameField()->setText(name);
        dialog.accept();
        return dialog.result() == QDialog::Accepted;
    }
};

TEST_F(MacroDialogs, RecordingOverANameAsksAndNoKeepsTheOldMacro)
{
    MessageAnswers answers(services->catalogue(), {"MacroNoName", "MacroNameExists", "MacroNoExist"});
    CMacro* old = stored("Split", 3);

    EXPECT_FALSE(accepted(CMacroDialog::Mode::Record, "  "));
    answers.answer("MacroNameExists", MsgButton::No);
    EXPECT_FALSE(accepted(CMacroDialog::Mode::Record, "Split"));
    EXPECT_EQ(services->macros().FindMacro("Split"), old);
    EXPECT_EQ(old->events().size(), 3u);

    answers.answer("MacroNameExists", MsgButton::Yes);
    EXPECT_TRUE(accepted(CMacroDialog::Mode::Record, "Split"));
    ASSERT_EQ(services->macros().macroCount(), 1);
    EXPECT_TRUE(services->macros().currentMacro()->events().empty());
    EXPECT_EQ(services->macros().currentMacro()->name(), "Split");

    EXPECT_FALSE(accepted(CMacroDialog::Mode::Open, "Missing"));
    EXPECT_EQ(answers.shown(), (QStringList{"MacroNoName", "MacroNameExists", "MacroNameExists", "MacroNoExist"}));
}

TEST_F(MacroDialogs, OpenPicksFromTheListAndRemoveAsksFirst)
{
    MessageAnswers answers(services->catalogue(), {"MacroAskRemove"});
    stored("First", 1);
    CMacro* second = stored("Second", 2);
    CMacroDialog dialog(services->macros(), services->catalogue(), services->settings(), CMacroDialog::Mode::Open);
    ASSERT_EQ(dialog.macroList()->count(), 2);

    dialog.macroList()->setCurrentRow(0);
    answers.answer("MacroAskRemove", MsgButton::No);
    dialog.removeButton()->click();
    EXPECT_EQ(services->macros().macroCount(), 2);
    answers.answer("MacroAskRemove", MsgButton::Yes);
    dialog.removeButton()->click();
    EXPECT_EQ(services->macros().FindMacro("First"), nullptr);
    EXPECT_EQ(answers.shown(), (QStringList{"MacroAskRemove", "MacroAskRemove"}));

    dialog.macroList()->setCurrentRow(0);
    EXPECT_EQ(dialog.nameField()->text(), "Second");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(services->macros().currentMacro(), second);
}

TEST_F(MacroDialogs, TheListPositionAndTheWideEditorComeBackAndEditingCutsEvents)
{
    for (int i = 0; i < 40; ++i)
        stored(QString("Macro %1").arg(i, 2, 10, QChar('0')), 3);
    {
        CMacroDialog dialog(services->macros(), services->catalogue(), services->settings(), CMacroDialog::Mode::Open);
        dialog.show();
        EXPECT_FALSE(dialog.isWide());
        dialog.macroList()->setCurrentRow(20);
        dialog.macroList()->scrollToItem(dialog.macroList()->item(20), QAbstractItemView::PositionAtTop);
        ASSERT_EQ(dialog.macroList()->indexAt(QPoint(1, 1)).row(), 20);
        dialog.editButton()->click();
        ASSERT_TRUE(dialog.eventList()->isVisible());
        ASSERT_EQ(dialog.eventList()->count(), 3);
        EXPECT_EQ(dialog.eventList()->item(1)->text(), "+1 ms\tMouse to (1, 2)");
        dialog.eventList()->item(0)->setSelected(true);
        dialog.eventList()->item(2)->setSelected(true);
        dialog.cutEventsButton()->click();
        EXPECT_EQ(dialog.eventList()->count(), 1);
        EXPECT_TRUE(dialog.changedMacros());
        dialog.reject();
    }
    const CMacro* cut = services->macros().FindMacro("Macro 20");
    ASSERT_EQ(cut->events().size(), 1u);
    EXPECT_EQ(cut->events()[0]->event().time, 1u);
    EXPECT_TRUE(valueOf("MacroDlgBig").toBool());
    EXPECT_EQ(valueOf("MacroListPosS").toInt(), 20);
    EXPECT_EQ(valueOf("MacroListTop").toInt(), 20);

    CMacroDialog again(services->macros(), services->catalogue(), services->settings(), CMacroDialog::Mode::Open);
    again.show();
    EXPECT_TRUE(again.isWide());
    EXPECT_TRUE(again.eventList()->isVisible());
    EXPECT_EQ(again.macroList()->currentRow(), 20);
    EXPECT_EQ(again.nameField()->text(), "Macro 20");
    EXPECT_EQ(again.macroList()->indexAt(QPoint(1, 1)).row(), 20) << "the same row at the top";
}

} // namespace
