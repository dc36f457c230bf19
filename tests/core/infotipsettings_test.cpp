// Which info-tips may show, as the settings store keeps it: the global
// switch, tips switched off one by one, show-once tips, and bringing every
// tip back.

#include "infotipsettings.h"
#include "propmanager.h"

#include <gtest/gtest.h>

namespace {

class InfoTipSettings : public ::testing::Test
{
protected:
    bool value(const char* name) const { return settings.getValue(name).value_or(CPropValue()).toBool(); }

    CPropManager settings;
    CInfoTipSettings tips{settings};
};

// Shows the tip if it may, as the tip window does.
bool show(CInfoTipSettings& tips, const QString& key)
{
    if (!tips.mayShow(key))
        return false;
    tips.markShown(key);
    return true;
}

TEST_F(InfoTipSettings, AShowOnceTipIsShownTheFirstTimeOnlyAlsoAfterAReset)
{
    ASSERT_TRUE(CInfoTipSettings::isShownOnce("Tip::EmailCollage"));
    EXPECT_TRUE(show(tips, "Tip::EmailCollage"));
    EXPECT_FALSE(show(tips, "Tip::EmailCollage"));
    EXPECT_FALSE(show(tips, "TIP::EMAILCOLLAGE")) << "keys ignore case";
    EXPECT_TRUE(value("Once::Tip::EmailCollage"));

    tips.resetAll();
    EXPECT_FALSE(show(tips, "Tip::EmailCollage"));
    EXPECT_TRUE(value("Tip::EmailCollage"));
}

TEST_F(InfoTipSettings, AnOrdinaryTipRepeatsUntilDismissedAndComesBackWithTheReset)
{
    ASSERT_FALSE(CInfoTipSettings::isShownOnce("Tip::Splitter"));
    EXPECT_TRUE(show(tips, "Tip::Splitter"));
    EXPECT_TRUE(show(tips, "Tip::Splitter"));
    EXPECT_EQ(settings.find("Once::Tip::Splitter"), nullptr);

    tips.dismiss("Tip::Splitter");
    EXPECT_FALSE(show(tips, "Tip::Splitter"));
    settings.registerProp("Tipping", {}, true, CPropValue::boolean(false));
    tips.resetAll();
    EXPECT_TRUE(show(tips, "Tip::Splitter"));
    EXPECT_FALSE(value("Tipping")) << "only tips are brought back";
}

TEST_F(InfoTipSettings, WithTipsOffNothingShowsAndNoTipIsSpent)
{
    tips.setTipsOn(false);
    const int before = settings.count();
    EXPECT_FALSE(show(tips, "Tip::EmailCollage"));
    EXPECT_FALSE(show(tips, "Tip::Splitter"));
    EXPECT_EQ(settings.count(), before);

    tips.setTipsOn(true);
    EXPECT_TRUE(show(tips, "Tip::EmailCollage"));
}

TEST_F(InfoTipSettings, ADismissedShowOnceTipStaysUnspent)
{
    tips.dismiss("Tip::NewProj");
    EXPECT_FALSE(show(tips, "Tip::NewProj"));
    EXPECT_FALSE(value("Once::Tip::NewProj"));
    tips.resetAll();
    EXPECT_TRUE(show(tips, "Tip::NewProj"));
}

} // namespace
