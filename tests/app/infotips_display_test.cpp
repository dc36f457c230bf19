// Info-tips about the program's other windows, on a real X display where
// windows take the activation from each other: the organizer's tips stand
// over the organizer while it is the active window, step aside while the
// main window is, leave with the organizer, and its introduction is shown
// once only; the start window explains the way to start the user picks.

#include "mainframefixture.h"

#include "application.h"
#include "collageview.h"
#include "infotipwindow.h"
#include "newcollagedialog.h"
#include "organizercommands.h"
#include "photoorganizer.h"

#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QTest>

namespace {

constexpr int kTipWithinMs = 3000;

class InfoTipsOnDisplay : public MainFrameFixture
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        MainFrameFixture::SetUp();
        services->settings().setValue("HelpTipsCompat", CPropValue::boolean(true));
        view = CCollageApp::plugInCanvasView(*window, *doc, *services);
        organizers = new COrganizerCommands(*services, window.get());
        window->resize(900, 700);
        window->show();
        activate(window.get());
    }
    static void activate(QWidget* widget)
    {
        widget->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget));
    }
    CInfoTipWindow& tips() const { return *view->infoTips(); }
    bool waitForTip(const char* key) const
    {
        return QTest::qWaitFor([&] { return tips().shownKey() == key && tips().isVisible(); }, kTipWithinMs);
    }

    CCollageView* view = nullptr;
    COrganizerCommands* organizers = nullptr;
};

TEST_F(InfoTipsOnDisplay, TheOrganizersTipStandsOverItWhileItIsActiveAndIsShownOnce)
{
    CPhotoOrganizer* organizer = organizers->openOrganizer();
    ASSERT_TRUE(QTest::qWaitForWindowActive(organizer));
    ASSERT_TRUE(waitForTip("Tip::PhotoOrganizer"));
    EXPECT_EQ(tips().tipWindow(), organizer);
    EXPECT_TRUE(organizer->frameGeometry().intersects(tips().frameGeometry()));

    activate(window.get());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tips().isVisible(); }, kTipWithinMs));
    EXPECT_EQ(tips().shownKey(), "Tip::PhotoOrganizer") << "out of sight, not forgotten";
    activate(organizer);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tips().isVisible(); }, kTipWithinMs));

    organizer->close();
    EXPECT_FALSE(tips().isVisible());
    EXPECT_TRUE(tips().shownKey().isEmpty()) << "the filter's tip waiting behind it went too";

    organizer = organizers->openOrganizer();
    ASSERT_TRUE(QTest::qWaitForWindowActive(organizer));
    ASSERT_TRUE(waitForTip("Tip::DropperShow"));
    EXPECT_TRUE(valueOf("Once::Tip::PhotoOrganizer").toBool());
    organizer->close();
}

TEST_F(InfoTipsOnDisplay, TheStartWindowExplainsTheWayToStartThatIsPickedAndAHugeCanvas)
{
    CNewCollageOptions options;
    options.bus = &services->bus();
    CNewCollageDialog start(options, window.get());
    start.show();
    activate(&start);
    EXPECT_TRUE(tips().shownKey().isEmpty());

    start.button(CNewCollageChoice::Kind::Grid)->click();
    ASSERT_TRUE(waitForTip("Tip::GridProj"));
    EXPECT_EQ(tips().tipWindow(), &start);
    tips().hideTip();

    start.widthBox()->setValue(50);
    start.heightBox()->setValue(40);
    EXPECT_TRUE(waitForTip("Tip::CanvasSizeWarning"));
}

} // namespace
