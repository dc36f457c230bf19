// The editor as a new user meets it: the main window with the real canvas
// view in it, driven with synthesized mouse events. A locked canvas says why
// a drag does nothing, a double click opens a picture's attributes, the
// status bar follows the zoom and drops the drag's help when the drag ends,
// and the wheel can be turned round from the View menu. Info-tips fade,
// show once where they should, step aside and come back.
#include "mainframefixture.h"

#include "application.h"
#include "collageview.h"
#include "infotipwindow.h"
#include "myphotos.h"
#include "selection.h"
#include "snapper.h"
#include "snapsettings.h"

#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

namespace {

using namespace CommandId;

class Editor : public MainFrameFixture
{
protected:
    void SetUp() override
    {
        MainFrameFixture::SetUp();
        showEditor();
        // Tips come and go at once, unless a test looks at their fading.
        services->settings().setValue("HelpTipsCompat", CPropValue::boolean(true));
        QObject::connect(view, &CCollageView::commandRequested, [this](int id) { requested << id; });
    }

    void drag(const QPointF& from, const QPointF& to)
    {
        send(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        for (int step = 1; step <= 3; ++step)
            send(QEvent::MouseMove, from + (to - from) * step / 3.0, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    CPicInfo* photoFrame(const CCanvasRect& rect)
    {
        CPicInfo* frame = addFrame(rect);
        frame->setPhoto(services->photos().FindPhoto(writeImage(QString("p%1.png").arg(frame->id()), 40, 30), true));
        services->undo().Clear();
        return frame;
    }
    CInfoTipWindow* tips() const { return view->findChild<CInfoTipWindow*>(); }
    void postTip(const char* key) { services->bus().Broadcast(Channel::Tip, key); }

    QList<int> requested;
};

TEST_F(Editor, ADragOnALockedCanvasSaysWhyAndHowToUnlock)
{
    CPicInfo* picture = photoFrame({1, 1, 2, 2});
    CPicInfo* empty = addFrame({5, 1, 2, 2});
    services->frames().setFramesLocked(true);
    services->undo().Clear();

    drag(pixelOf({2, 2}), pixelOf({3, 3}));
    EXPECT_FLOAT_EQ(picture->frameRect().x, 1.0f);
    EXPECT_EQ(window->statusBar()->currentMessage(), services->catalogue().text("LockedFramesStatus"));

    ASSERT_NE(tips(), nullptr);
    drag(pixelOf({6, 2}), pixelOf({6.5, 3}));
    EXPECT_FLOAT_EQ(empty->frameRect().x, 5.0f);
    EXPECT_EQ(tips()->shownKey(), "Tip::MoveLockFrame");
    EXPECT_TRUE(tips()->isVisible());

    // Don't show me this again.
    tips()->dismissButton()->click();
    EXPECT_FALSE(tips()->isVisible());
    EXPECT_FALSE(valueOf("Tip::MoveLockFrame").toBool());
    EXPECT_FALSE(tips()->showTip("Tip::MoveLockFrame", QPoint()));
    EXPECT_EQ(services->undo().undoList().size(), 0u);
}

TEST_F(Editor, TheFineTuneHelpLeavesTheStatusBarWhenTheDragEnds)
{
    CPicInfo* frame = photoFrame({1, 1, 2, 2});
    const QPointF from = pixelOf({2, 2});
    send(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPointF(30, 10), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith("Press SHIFT to fine-tune"));
    send(QEvent::MouseButtonRelease, from + QPointF(30, 10), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
    EXPECT_GT(frame->frameRect().x, 1.0f);
}

TEST_F(Editor, ADoubleClickOnAPictureOpensItsAttributes)
{
    photoFrame({1, 1, 2, 2});
    const QPointF at = pixelOf({1.6, 1.6});
    QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, at.toPoint());
    EXPECT_EQ(requested, QList<int>{AdjustImage});

    requested.clear();
    QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, pixelOf({8, 6}).toPoint());
    EXPECT_TRUE(requested.isEmpty()) << "the empty canvas has nothing to adjust";
}

TEST_F(Editor, TheStatusBarFollowsTheZoomInPercent)
{
    const auto percent = [this] { return QString("%1%").arg(qRound(view->coords().zoom() * 100.0f)); };
    EXPECT_EQ(window->zoomIndicator()->text(), percent());
    window->runCommand(ZoomIn);
    EXPECT_EQ(window->zoomIndicator()->text(), percent());
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Minus);
    EXPECT_EQ(window->zoomIndicator()->text(), percent());
}

TEST_F(Editor, TheStatusBarShowsWhereTheMousePointsAndTheSelectedFramesSize)
{
    CPicInfo* frame = addFrame({1, 1, 2.5, 1.5});
    send(QEvent::MouseMove, pixelOf({3, 4}), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window->pointerIndicator()->text(), "3.00, 4.00 in");
    services->selection().Add(frame, CSelection::AddAlone);
    window->updateCommandStates();
    EXPECT_EQ(window->selectionIndicator()->text(), "2.50 x 1.50 in");
}

TEST_F(Editor, TheWheelIsTurnedRoundFromTheViewMenu)
{
    const float before = view->coords().zoom();
    const QPointF at(400, 300);
    const auto roll = [&](int delta) {
        QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
    };
    roll(-120); // toward the user: in
    EXPECT_GT(view->coords().zoom(), before);
    window->updateCommandStates();
    EXPECT_FALSE(window->action(ReverseWheel)->isChecked());
    window->action(ReverseWheel)->trigger();
    window->updateCommandStates();
    EXPECT_TRUE(window->action(ReverseWheel)->isChecked());
    EXPECT_TRUE(valueOf("WheelRev").toBool());
    const float zoomed = view->coords().zoom();
    roll(-120);
    EXPECT_LT(view->coords().zoom(), zoomed) << "now toward the user zooms out";
}

TEST_F(Editor, TheProgramsHintsWaitTheirTurnWhileATipAnsweringTheUserComesFirst)
{
    CInfoTipWindow* tip = tips();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->showTip("Tip::PhotoBrowse", QPoint(100, 100), CInfoTipWindow::When::InTurn));
    EXPECT_FALSE(tip->showTip("Tip::EmailCollage", QPoint(100, 100), CInfoTipWindow::When::InTurn));
    // Asked for by a drag: it comes next, once the tip on screen had its second.
    EXPECT_FALSE(tip->showTip("Tip::MoveLockFrame", QPoint(100, 100)));
    EXPECT_EQ(tip->shownKey(), "Tip::PhotoBrowse");
    QTest::qWait(CInfoTipWindow::kMinShowMs + 200);
    EXPECT_EQ(tip->shownKey(), "Tip::MoveLockFrame");
    tip->hideTip();
    EXPECT_EQ(tip->shownKey(), "Tip::EmailCollage");
    services->settings().setValue("HelpTipsOn", CPropValue::boolean(false));
    tip->hideTip();
    EXPECT_FALSE(tip->showTip("Tip::Splitter", QPoint(100, 100)));
    EXPECT_FALSE(tip->isVisible());
}

TEST_F(Editor, AShowOnceTipIsShownTheFirstTimeOnlyAlsoAfterResettingTheTips)
{
    postTip("Tip::EmailCollage");
    EXPECT_EQ(tips()->shownKey(), "Tip::EmailCollage");
    tips()->hideTip();
    postTip("Tip::EmailCollage");
    EXPECT_TRUE(tips()->shownKey().isEmpty());

    window->runCommand(ResetInfoTips);
    postTip("Tip::EmailCollage");
    EXPECT_TRUE(tips()->shownKey().isEmpty());
}

TEST_F(Editor, ClosingTheProjectTakesItsTipsAwayAndThoseWaiting)
{
    postTip("Tip::PhotoBrowse");
    postTip("Tip::EmailCollage");
    window->runCommand(Close);
    EXPECT_FALSE(tips()->isVisible());
    EXPECT_TRUE(tips()->shownKey().isEmpty());
}

TEST_F(Editor, TipsFadeInAndOutUnlessThePlainLookIsChosen)
{
    CInfoTipWindow* tip = tips();
    window->runCommand(InfoTipsPlainLook);
    EXPECT_FALSE(valueOf("HelpTipsCompat").toBool());
    ASSERT_TRUE(tip->showTip("Tip::Splitter", QPoint(100, 100)));
    EXPECT_TRUE(tip->isVisible());
    EXPECT_TRUE(tip->isFading());
    EXPECT_LT(tip->windowOpacity(), 1.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tip->isFading(); }, 2000));
    EXPECT_DOUBLE_EQ(tip->windowOpacity(), 1.0);
    tip->hideTip();
    EXPECT_TRUE(tip->isVisible()) << "fading out";
    EXPECT_TRUE(QTest::qWaitFor([&] { return tip->isHidden(); }, 2000));
    EXPECT_TRUE(tip->shownKey().isEmpty());

    window->runCommand(InfoTipsPlainLook);
    window->updateCommandStates();
    EXPECT_TRUE(window->action(InfoTipsPlainLook)->isChecked());
    ASSERT_TRUE(tip->showTip("Tip::Splitter", QPoint(100, 100)));
    EXPECT_FALSE(tip->isFading());
    EXPECT_DOUBLE_EQ(tip->windowOpacity(), 1.0);
    tip->hideTip();
    EXPECT_FALSE(tip->isVisible());
    EXPECT_TRUE(tip->shownKey().isEmpty());
}

TEST_F(Editor, ATipStepsAsideWhileTheWindowIsDisabledAndGoesWithTipsSwitchedOff)
{
    ASSERT_TRUE(tips()->showTip("Tip::Splitter", QPoint(100, 100)));
    window->setEnabled(false);
    EXPECT_FALSE(tips()->isVisible());
    window->setEnabled(true);
    EXPECT_TRUE(tips()->isVisible());

    window->runCommand(ShowInfoTips);
    window->updateCommandStates();
    EXPECT_FALSE(window->action(ShowInfoTips)->isChecked());
    EXPECT_FALSE(tips()->isVisible());
    EXPECT_FALSE(tips()->showTip("Tip::Splitter", QPoint(100, 100)));
}

} // namespace
