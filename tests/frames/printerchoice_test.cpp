// The printer choice's two blocks as this platform fills them: the page
// set-up survives its own encoding, blocks that are not ours stand for the
// default printer without being lost, and the printable page turns with the
// orientation.

#include "printerchoice.h"

#include <QRectF>

#include <gtest/gtest.h>

namespace {

constexpr qreal kMillimetresPerInch = 25.4;

CPrinterSetup letterOnPhotoPrinter()
{
    CPrinterSetup setup;
    setup.printerName = QStringLiteral("Fotodrucker Küche");
    setup.paper = QPageSize(QPageSize::Letter);
    setup.margins = QMarginsF(5.0, 7.5, 5.0, 12.0);
    setup.resolution = 600;
    return setup;
}

TEST(PrinterSetup, RoundTripsThroughItsBlocks)
{
    const CPrinterSetup setup = letterOnPhotoPrinter();
    const QByteArray names = setup.encodeNames();
    const QByteArray mode = setup.encodeMode();
    EXPECT_EQ(names, QStringLiteral("Fotodrucker Küche").toUtf8());
    EXPECT_TRUE(mode.startsWith(QByteArray(CPrinterSetup::kModeHeader) + '\n'));
    EXPECT_TRUE(mode.contains("\npaper=Letter\n"));
    EXPECT_TRUE(mode.contains("\nmargins=5,7.5,5,12\n"));

    const std::optional<CPrinterSetup> read = CPrinterSetup::decode(names, mode);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, setup);
    EXPECT_EQ(read->paper.id(), QPageSize::Letter);
    EXPECT_EQ(read->printerName, setup.printerName);
}

TEST(PrinterSetup, APdfFileHasNoPrinterName)
{
    CPrinterSetup setup = letterOnPhotoPrinter();
    setup.output = CPrinterSetup::Output::PdfFile;
    EXPECT_TRUE(setup.encodeNames().isEmpty());
    const std::optional<CPrinterSetup> read = CPrinterSetup::decode("stray name", setup.encodeMode());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->output, CPrinterSetup::Output::PdfFile);
    EXPECT_TRUE(read->printerName.isEmpty());
}

TEST(PrinterSetup, APaperQtDoesNotKnowIsReadBySize)
{
    const QByteArray mode = QByteArray(CPrinterSetup::kModeHeader)
        + "\npaper=Banner\nsize=300x900\nfuture=whatever\nmargins=0,0,0,0\nresolution=150\noutput=printer\n";
    const std::optional<CPrinterSetup> read = CPrinterSetup::decode({}, mode);
    ASSERT_TRUE(read);
    EXPECT_NEAR(read->paperMillimetres().width(), 300.0, 0.01);
    EXPECT_NEAR(read->paperMillimetres().height(), 900.0, 0.01);
    EXPECT_EQ(read->resolution, 150);
}

struct ForeignBlock
{
    const char* what;
    QByteArray mode;
};

class PrinterSetupRefuses : public ::testing::TestWithParam<ForeignBlock>
{
};

TEST_P(PrinterSetupRefuses, ABlockItCannotRead)
{
    EXPECT_FALSE(CPrinterSetup::decode("HP", GetParam().mode));
}

const QByteArray kHeader = QByteArray(CPrinterSetup::kModeHeader) + '\n';

INSTANTIATE_TEST_SUITE_P(
    Blocks, PrinterSetupRefuses,
    ::testing::Values(
        ForeignBlock{"empty", QByteArray()},
        // The start of a Windows DEVMODE: the device name in UTF-16.
        ForeignBlock{"windows", QByteArray::fromHex("48005000200044006500730006040000dc00")},
        ForeignBlock{"another header", "Ombravelle page set-up 2\npaper=A4\n"},
        ForeignBlock{"no paper", kHeader + "resolution=300\n"},
        ForeignBlock{"a line without a value", kHeader + "paper=A4\nresolution\n"},
        ForeignBlock{"resolution out of range", kHeader + "paper=A4\nresolution=5\n"},
        ForeignBlock{"three margins", kHeader + "paper=A4\nmargins=1,2,3\n"},
        ForeignBlock{"negative margin", kHeader + "paper=A4\nmargins=1,-2,3,4\n"},
        ForeignBlock{"margins eat the paper", kHeader + "paper=A4\nmargins=105,0,105,0\n"},
        ForeignBlock{"unknown output", kHeader + "paper=A4\noutput=fax\n"},
        ForeignBlock{"bad size", kHeader + "paper=Banner\nsize=300 by 900\n"}),
    [](const ::testing::TestParamInfo<ForeignBlock>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(PrinterChoice, KeepsBlocksItCannotReadAndUsesTheDefaultPrinterForThem)
{
    CPrinterChoice choice;
    const QByteArray windowsMode = QByteArray::fromHex("48005000200044006500730006040000dc00");
    choice.setPrinter("\\\\server\\HP", windowsMode);
    EXPECT_TRUE(choice.hasPrinter());
    EXPECT_FALSE(choice.setup());
    EXPECT_EQ(choice.effectiveSetup(), CPrinterSetup::systemDefault());
    EXPECT_EQ(choice.devMode(), windowsMode);

    choice.setSetup(letterOnPhotoPrinter());
    ASSERT_TRUE(choice.setup());
    EXPECT_EQ(*choice.setup(), letterOnPhotoPrinter());
}

TEST(PrinterSetup, ThePrintablePageTurnsWithTheOrientation)
{
    CPrinterSetup setup;
    setup.paper = QPageSize(QPageSize::Letter);
    const qreal quarterInch = kMillimetresPerInch / 4;
    setup.margins = QMarginsF(quarterInch, quarterInch, quarterInch, quarterInch);
    const QSizeF portrait = setup.printableMillimetres(false) / kMillimetresPerInch;
    const QSizeF landscape = setup.printableMillimetres(true) / kMillimetresPerInch;
    EXPECT_NEAR(portrait.width(), 8.0, 1e-9);
    EXPECT_NEAR(portrait.height(), 10.5, 1e-9);
    EXPECT_NEAR(landscape.width(), 10.5, 1e-9);
    EXPECT_NEAR(landscape.height(), 8.0, 1e-9);

    // Uneven margins travel with the sheet.
    setup.margins = QMarginsF(1.0, 2.0, 3.0, 4.0);
    for (const bool turned : {false, true}) {
        const QPageLayout layout = setup.pageLayout(turned);
        EXPECT_EQ(layout.orientation(), turned ? QPageLayout::Landscape : QPageLayout::Portrait);
        const QSizeF paint = layout.paintRect(QPageLayout::Millimeter).size();
        EXPECT_NEAR(paint.width(), setup.printableMillimetres(turned).width(), 1e-6) << turned;
        EXPECT_NEAR(paint.height(), setup.printableMillimetres(turned).height(), 1e-6) << turned;
    }
}

} // namespace
