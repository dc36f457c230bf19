// The export dialog's values: pixel size and resolution kept in step with
// the canvas, the checks in the order the user hears of them, the
// extension rule and the quality words.

#include "exportsize.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

TEST(ExportSizeTest, ResolutionOnATenBySevenAndAHalfInchCanvasGivesThePixelSize)
{
    CExportSize size(10.0f, 7.5f);
    size.setResolution(100.0f);
    EXPECT_EQ(size.widthField(), 1000);
    EXPECT_EQ(size.heightField(), 750);
    EXPECT_EQ(size.resolutionField(), 100);
}

TEST(ExportSizeTest, EditingTheWidthCarriesTheHeightAndResolution)
{
    CExportSize size(10.0f, 7.5f);
    size.setWidthPixels(2000.0f);
    EXPECT_FLOAT_EQ(size.heightPixels(), 1500.0f);
    EXPECT_FLOAT_EQ(size.resolution(), 200.0f);
}

TEST(ExportSizeTest, EditingTheHeightKeepsItAndCarriesTheWidth)
{
    CExportSize size(10.0f, 7.5f);
    size.setHeightPixels(300.0f);
    EXPECT_EQ(size.heightField(), 300);
    EXPECT_FLOAT_EQ(size.widthPixels(), 400.0f);
    EXPECT_FLOAT_EQ(size.resolution(), 40.0f);

    // A proportion that is no exact float still shows the height typed.
    CExportSize odd(3.0f, 7.0f);
    odd.setHeightPixels(700.0f);
    EXPECT_EQ(odd.heightField(), 700);
    EXPECT_EQ(odd.widthField(), 300);
}

TEST(ExportSizeTest, SwitchingToCentimetresRecountsThePixelsPerCentimetre)
{
    CExportSize size(10.0f, 7.5f);
    size.setResolution(100.0f);
    size.setResolutionUnit(ResolutionUnit::PerCentimetre);
    EXPECT_EQ(size.resolutionLabel(), "Dots per cm:");
    EXPECT_EQ(size.widthField(), 2540); // 100 × 25.4 cm
    EXPECT_EQ(size.heightField(), 1905);
    EXPECT_EQ(size.resolutionField(), 100);
    EXPECT_FLOAT_EQ(size.dotsPerInch(), 254.0f);

    // Editing the resolution now counts the canvas in centimetres too.
    size.setResolution(10.0f);
    EXPECT_EQ(size.widthField(), 254);

    size.setResolutionUnit(ResolutionUnit::PerInch);
    EXPECT_EQ(size.resolutionLabel(), "Dots per Inch:");
    EXPECT_EQ(size.widthField(), 100);
    EXPECT_FLOAT_EQ(size.dotsPerInch(), 10.0f);
}

TEST(ExportSizeTest, SwitchingUnitsRoundsHalvesAwayFromZero)
{
    // Half a centimetre wide at 21 dots: 10.5 pixels become 11.
    CExportSize size(0.5f, 0.5f, CanvasUnit::Centimetre, ResolutionUnit::PerInch);
    size.setResolution(21.0f);
    size.setResolutionUnit(ResolutionUnit::PerCentimetre);
    EXPECT_FLOAT_EQ(size.widthPixels(), 11.0f);
    EXPECT_FLOAT_EQ(size.heightPixels(), 11.0f);
    // The resolution keeps the number the user sees.
    EXPECT_EQ(size.resolutionField(), 21);

    CExportSize odd(7.3f, 5.0f);
    odd.setResolution(96.0f);
    odd.setResolutionUnit(ResolutionUnit::PerCentimetre);
    EXPECT_EQ(odd.resolutionField(), 96);
    EXPECT_EQ(odd.widthField(), 1780); // 96 × 18.542
}

TEST(ExportSizeTest, CentimetreCanvasesCountInchesWhenAskedPerInch)
{
    CExportSize size(25.4f, 12.7f, CanvasUnit::Centimetre, ResolutionUnit::PerInch);
    size.setResolution(300.0f);
    EXPECT_EQ(size.widthField(), 3000);
    EXPECT_EQ(size.heightField(), 1500);
}

TEST(ExportSizeTest, RangesAreTenToFiftyThousandPixelsAndTenToSixtyThousandDots)
{
    CExportSize square(1.0f, 1.0f);
    square.setWidthPixels(9.0f);
    EXPECT_FALSE(square.inRange());
    square.setWidthPixels(9.99f); // shows 9
    EXPECT_FALSE(square.inRange());
    square.setWidthPixels(10.0f);
    EXPECT_TRUE(square.inRange());
    square.setWidthPixels(50000.0f);
    EXPECT_TRUE(square.inRange());
    square.setHeightPixels(50001.0f);
    EXPECT_FALSE(square.inRange());

    CExportSize tiny(0.1f, 0.1f);
    tiny.setResolution(60000.0f);
    EXPECT_TRUE(tiny.inRange());
    tiny.setResolution(60001.0f);
    EXPECT_FALSE(tiny.inRange());

    // A wide canvas: the height falls short while the width is fine.
    CExportSize banner(100.0f, 1.0f);
    banner.setWidthPixels(900.0f);
    EXPECT_FALSE(banner.inRange());
}

TEST(ExportSizeTest, ValuesNoFieldCanShowAreRefusedNotWrappedAround)
{
    CExportSize size(10.0f, 7.5f);
    size.setResolution(std::numeric_limits<float>::infinity());
    EXPECT_FALSE(size.inRange());
    size.setResolution(std::numeric_limits<float>::quiet_NaN());
    EXPECT_FALSE(size.inRange());
    size.setWidthPixels(1e30f);
    EXPECT_FALSE(size.inRange());
    size.setWidthPixels(-1e30f);
    EXPECT_FALSE(size.inRange());

    CExportSize flat(10.0f, 0.0f);
    flat.setResolution(100.0f);
    EXPECT_FALSE(flat.inRange());
}

TEST(ExportRulesTest, ChecksComeInTheirOrder)
{
    QTemporaryDir dir;
    CExportSize good(10.0f, 7.5f);
    good.setResolution(100.0f);
    CExportSize bad(10.0f, 7.5f);
    bad.setWidthPixels(9.0f);

    EXPECT_EQ(ExportRules::validate("", "a:b", bad), "ExportMissingDir");
    EXPECT_EQ(ExportRules::validate(dir.path() + "/nowhere", "", bad), "ExportNoDir");
    EXPECT_EQ(ExportRules::validate(dir.path(), "", bad), "ExportNoName");
    EXPECT_EQ(ExportRules::validate(dir.path(), "a:b", bad), "ExportBadName");
    EXPECT_EQ(ExportRules::validate(dir.path(), "collage", bad), "ExportBadValues");
    EXPECT_EQ(ExportRules::validate(dir.path(), "collage", good), "");

    // A file where a folder should be is no folder.
    QFile file(dir.filePath("plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(ExportRules::validate(file.fileName(), "collage", good), "ExportNoDir");
}

TEST(ExportRulesTest, EachForbiddenCharacterMakesABadName)
{
    for (const char* name : {"a\\b", "a/b", "a:b", "a*b", "a?b", ":", "x?"})
        EXPECT_TRUE(ExportRules::isBadFileName(name)) << name;
    for (const char* name : {"My Collage (2)", "a.b.c", "a|b", "été", "a<b>"})
        EXPECT_FALSE(ExportRules::isBadFileName(QString::fromUtf8(name))) << name;
}

TEST(ExportRulesTest, TheTypesFirstExtensionIsAddedWhenTheNameHasNoneOfItsOwn)
{
    const QStringList jpeg = {"jpg", "jpeg"};
    EXPECT_EQ(ExportRules::withTypeExtension("collage", jpeg), "collage.jpg");
    EXPECT_EQ(ExportRules::withTypeExtension("collage.jpeg", jpeg), "collage.jpeg");
    EXPECT_EQ(ExportRules::withTypeExtension("collage.JPG", jpeg), "collage.JPG");
    EXPECT_EQ(ExportRules::withTypeExtension("collage.png", jpeg), "collage.png.jpg");
    EXPECT_EQ(ExportRules::withTypeExtension("2024.summer", jpeg), "2024.summer.jpg");
}

TEST(ExportRulesTest, QualityWordsChangeAtTheirBounds)
{
    const std::pair<int, const char*> cases[] = {
        {0, "Extremely poor quality, Extremely small size"},
        {9, "Extremely poor quality, Extremely small size"},
        {10, "Very poor quality, Small size"},
        {29, "Very poor quality, Small size"},
        {30, "Poor quality, Small size"},
        {49, "Poor quality, Small size"},
        {50, "Good quality, Small size"},
        {69, "Good quality, Small size"},
        {70, "High quality, Medium size"},
        {89, "High quality, Medium size"},
        {90, "Very high quality, Large size"},
        {100, "Very high quality, Large size"},
    };
    for (const auto& [quality, label] : cases)
        EXPECT_EQ(ExportRules::qualityLabel(quality), QString::fromLatin1(label)) << quality;
}
