// Printing over several pages: how the canvas is tiled into print regions,
// how oversized regions are split after a printer change, the checks before
// a print or a preview, the warning about photos with too few pixels, and
// the pages themselves, printed to a real PDF file and read back with
// poppler's pdftoppm, pdfinfo and pdfimages.

#include "renderfixture.h"

#include "collagedoc.h"
#include "messageanswers.h"
#include "photoitem.h"
#include "printcheck.h"
#include "printjob.h"
#include "printlayout.h"
#include "printresolution.h"
#include "progress.h"
#include "undo.h"

#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace {

using namespace RenderTest;

constexpr qreal kQuarterInchMm = 6.35;
constexpr qreal kDot = 1.0 / 300.0; // one printer dot at 300 dpi, inches

CPrinterSetup paperWithQuarterInchMargins(QPageSize::PageSizeId paper, int resolution = 300)
{
    CPrinterSetup setup;
    setup.paper = QPageSize(paper);
    setup.margins = QMarginsF(kQuarterInchMm, kQuarterInchMm, kQuarterInchMm, kQuarterInchMm);
    setup.resolution = resolution;
    return setup;
}

// US Letter less a quarter inch all round: 8 × 10.5 inches upright.
CPrintablePage letterPage() { return CPrintablePage::of(paperWithQuarterInchMargins(QPageSize::Letter), CanvasUnit::Inch); }

CCanvasRect rectOf(const CPicInfo& frame) { return frame.frameRect(); }

// ---------------------------------------------------------------------------
// Tiling

struct TilingCase
{
    const char* what;
    QSizeF canvas;
    bool landscape;
    QSize expected; // columns × rows
};

class Tiling : public ::testing::TestWithParam<TilingCase>
{
};

TEST_P(Tiling, GivesColumnsAndRows)
{
    const TilingCase& c = GetParam();
    const CPrintablePage page = letterPage();
    EXPECT_EQ(CPrintRegions::tiling(c.canvas, page.size(c.landscape), page.devicePixel), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    LetterPages, Tiling,
    ::testing::Values(TilingCase{"landscape letter canvas on landscape", {10, 7.5}, true, {1, 1}},
                      TilingCase{"landscape letter canvas on portrait", {10, 7.5}, false, {2, 1}},
                      TilingCase{"exactly one page wide", {8, 5}, false, {1, 1}},
                      TilingCase{"two dots wider than a page", {8 + 2 * kDot, 5}, false, {2, 1}},
                      TilingCase{"exactly two pages each way", {16, 21}, false, {2, 2}},
                      TilingCase{"a poster", {36, 24}, true, {4, 3}},
                      TilingCase{"a sliver", {0.01, 0.01}, false, {1, 1}},
                      TilingCase{"no width", {0, 5}, false, {0, 1}}),
    [](const ::testing::TestParamInfo<TilingCase>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

// ---------------------------------------------------------------------------

class PrintFixture : public RenderFixture
{
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        // The document replays what the history recorded.
        doc = std::make_unique<CCollageDoc>(services->docServices());
        doc->releaseUpdates();
        services->undo().Clear();
    }
    void TearDown() override
    {
        doc.reset();
        RenderFixture::TearDown();
    }

    CUndo& undo() { return services->undo(); }
    std::vector<CPicInfo*> regions(const QSizeF& canvas = {}) { return CPrintRegions(frames(), canvas).regions(); }

    CPicInfo& addRegion(const QRectF& rect, bool landscape = false)
    {
        CPicInfo* region = CFrameOps(frames()).createFrame(
            CCanvasRect{float(rect.x()), float(rect.y()), float(rect.width()), float(rect.height())},
            CPicInfoManager::kPageSegmentPlaneNumber);
        EXPECT_NE(region, nullptr);
        region->setPageLandscape(landscape);
        return *region;
    }

    std::unique_ptr<CCollageDoc> doc;
};

using PrintRegionsTest = PrintFixture;

TEST_F(PrintRegionsTest, ALetterSizedCanvasOnALandscapePageMakesOneLandscapeRegion)
{
    CPrintRegions printRegions(frames(), QSizeF(10, 7.5));
    EXPECT_EQ(printRegions.CreateRegions(letterPage(), false, true), 2);
    EXPECT_EQ(printRegions.CreateRegions(letterPage(), true, true), 1);
    EXPECT_TRUE(printRegions.regions().empty()) << "a dry run makes nothing";
    ASSERT_TRUE(printRegions.landscapeNeedsFewerPages(letterPage()));

    EXPECT_EQ(printRegions.CreateRegions(letterPage(), true, false), 1);
    const std::vector<CPicInfo*> made = printRegions.regions();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_TRUE(made[0]->isPageLandscape());
    EXPECT_TRUE(made[0]->isPageSegment());
    EXPECT_EQ(made[0]->id(), CPicInfoManager::kIdsPerPlane) << "the first id of the segments' plane";
    EXPECT_EQ(rectOf(*made[0]).width, 10.0f);
    EXPECT_EQ(rectOf(*made[0]).height, 7.5f);
}

TEST_F(PrintRegionsTest, RegionsTileTheCanvasRowByRowAsOneUndoStep)
{
    CPrintRegions printRegions(frames(), QSizeF(20, 12));
    ASSERT_EQ(printRegions.CreateRegions(letterPage(), false, false), 6); // 3 × 2 upright pages
    const std::vector<CPicInfo*> made = printRegions.regions();
    ASSERT_EQ(made.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(made[i]->isPageLandscape());
        EXPECT_FLOAT_EQ(rectOf(*made[i]).x, float(i % 3) * 20.0f / 3.0f);
        EXPECT_FLOAT_EQ(rectOf(*made[i]).y, float(i / 3) * 6.0f);
        EXPECT_FLOAT_EQ(rectOf(*made[i]).width, 20.0f / 3.0f);
        EXPECT_FLOAT_EQ(rectOf(*made[i]).height, 6.0f);
    }
    ASSERT_EQ(undo().undoList().size(), 1u);
    ASSERT_TRUE(undo().Undo());
    EXPECT_TRUE(printRegions.regions().empty());
    ASSERT_TRUE(undo().Redo());
    EXPECT_EQ(printRegions.regions().size(), 6u);
}

TEST_F(PrintRegionsTest, ARegionTwiceThePageEachWayBecomesFourAfterPageSizeChange)
{
    addRegion({0, 0, 16, 21});
    addRegion({16, 0, 8, 10}); // fits already
    undo().Clear();
    MessageAnswers user(services->catalogue(), {"PageSizeChange"});
    user.answer("PageSizeChange", MsgButton::Yes);

    CPrintRegions printRegions(frames(), QSizeF(24, 21));
    EXPECT_FALSE(printRegions.regionsFit(letterPage()));
    ASSERT_TRUE(printRegions.FitRegionsToPage(letterPage(), true, services->catalogue()));
    EXPECT_EQ(user.shown(), QStringList{"PageSizeChange"});
    EXPECT_TRUE(printRegions.regionsFit(letterPage()));

    std::vector<QRectF> pieces;
    for (const CPicInfo* region : printRegions.regions()) {
        if (rectOf(*region).x < 16.0f)
            pieces.push_back(QRectF(rectOf(*region).x, rectOf(*region).y, rectOf(*region).width, rectOf(*region).height));
    }
    ASSERT_EQ(pieces.size(), 4u);
    for (const QRectF& expected : {QRectF(0, 0, 8, 10.5), QRectF(8, 0, 8, 10.5), QRectF(0, 10.5, 8, 10.5),
                                   QRectF(8, 10.5, 8, 10.5)})
        EXPECT_NE(std::find(pieces.begin(), pieces.end(), expected), pieces.end());

    ASSERT_EQ(undo().undoList().size(), 1u) << "the split is one step";
    ASSERT_TRUE(undo().Undo());
    EXPECT_EQ(printRegions.regions().size(), 2u);
    EXPECT_FLOAT_EQ(rectOf(*printRegions.regions()[0]).width, 16.0f);
}

TEST_F(PrintRegionsTest, OnlyTheOversizedDirectionIsHalvedAndEachPieceKeepsItsOrientation)
{
    addRegion({0, 0, 20, 7}, true); // landscape page 10.5 × 8: too wide only
    CPrintRegions printRegions(frames(), QSizeF(20, 7));
    ASSERT_TRUE(printRegions.FitRegionsToPage(letterPage(), false, services->catalogue()));
    const std::vector<CPicInfo*> pieces = printRegions.regions();
    ASSERT_EQ(pieces.size(), 2u);
    for (const CPicInfo* piece : pieces) {
        EXPECT_TRUE(piece->isPageLandscape());
        EXPECT_FLOAT_EQ(rectOf(*piece).width, 10.0f);
        EXPECT_FLOAT_EQ(rectOf(*piece).height, 7.0f);
    }
}

TEST_F(PrintRegionsTest, NoToPageSizeChangeLeavesEveryRegionAsItWas)
{
    addRegion({0, 0, 16, 21});
    addRegion({0, 21, 16, 21});
    undo().Clear();
    MessageAnswers user(services->catalogue(), {"PageSizeChange"});
    user.answer("PageSizeChange", MsgButton::No);
    CPrintRegions printRegions(frames(), QSizeF(16, 42));
    EXPECT_FALSE(printRegions.FitRegionsToPage(letterPage(), true, services->catalogue()));
    EXPECT_EQ(user.shown(), QStringList{"PageSizeChange"}) << "asked once for all regions";
    EXPECT_EQ(printRegions.regions().size(), 2u);
    EXPECT_FALSE(undo().CanUndo());
}

TEST_F(PrintRegionsTest, FlippingTurnsOnlyPageSegments)
{
    CPicInfo& region = addRegion({0, 0, 8, 10});
    CPicInfo& photoFrame = addFrame({1, 1, 2, 2});
    EXPECT_TRUE(CPrintRegions::flipOrientation(region));
    EXPECT_TRUE(region.isPageLandscape());
    EXPECT_FALSE(CPrintRegions::flipOrientation(photoFrame));
    EXPECT_FALSE(photoFrame.isPageLandscape());
    EXPECT_EQ(undo().UndoName(), QString("Flip Printer Page Orientation"));
}

// ---------------------------------------------------------------------------
// Checks before printing

struct CheckCase
{
    const char* what;
    QSizeF canvas;
    bool withFrame = true;
    bool outputAvailable = true;
    CPrintCheckRequest::Purpose purpose = CPrintCheckRequest::Purpose::Print;
    bool confirm = true;
    bool segmentsVisible = false;
    bool withRegion = false;
    QHash<QString, int> answers;
    QStringList expectedShown;
    CPrintCheck::Outcome expected;
    bool expectedTip = false;
    int expectedRegions = 0;
};

class CheckBeforePrintTest : public PrintFixture, public ::testing::WithParamInterface<CheckCase>
{
};

TEST_P(CheckBeforePrintTest, AsksWhatItMustAndMakesRegionsOnlyWhenItMay)
{
    const CheckCase& c = GetParam();
    if (c.withFrame)
        addFrame({1, 1, 3, 2});
    if (c.withRegion)
        addRegion({0, 0, c.canvas.width(), c.canvas.height()});
    frames().setVisiblePlanes(CPicInfo::kPlanePageSegments, c.segmentsVisible ? CPicInfo::kPlanePageSegments : 0);
    undo().Clear();
    MessageAnswers user(services->catalogue(), {"NoPrinter", "NoPrintable", "NeedPages", "AutoPage"});
    for (auto it = c.answers.begin(); it != c.answers.end(); ++it)
        user.answer(it.key(), it.value());

    CPrintCheckRequest request;
    request.purpose = c.purpose;
    request.outputAvailable = c.outputAvailable;
    request.confirm = c.confirm;
    const CPrintCheck check = CheckBeforePrint(frames(), c.canvas, letterPage(), services->catalogue(), request);

    EXPECT_EQ(user.shown(), c.expectedShown);
    EXPECT_EQ(check.outcome, c.expected);
    EXPECT_EQ(check.previewAutoPageTip, c.expectedTip);
    EXPECT_EQ(int(regions().size()), c.expectedRegions);
    if (!c.withRegion) {
        EXPECT_EQ(undo().CanUndo(), c.expectedRegions > 0) << "regions made are one step; none made, none";
    }
}

using Outcome = CPrintCheck::Outcome;
using Purpose = CPrintCheckRequest::Purpose;
const QSizeF kFourPages(20, 12); // 2 × 2 landscape letter pages, 3 × 2 upright
const QSizeF kOnePage(10, 7.5);

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckBeforePrintTest,
    ::testing::Values(
        CheckCase{"no printer and no pdf", kFourPages, true, false, Purpose::Print, true, false, false, {},
                  {"NoPrinter"}, Outcome::Stop},
        CheckCase{"nothing to print", kFourPages, false, true, Purpose::Print, true, false, false, {},
                  {"NoPrintable"}, Outcome::Stop},
        CheckCase{"several pages refused", kFourPages, true, true, Purpose::Print, true, false, false,
                  {{"NeedPages", MsgButton::No}}, {"NeedPages"}, Outcome::Stop},
        CheckCase{"several hidden pages are shown first", kFourPages, true, true, Purpose::Print, true, false,
                  false, {{"NeedPages", MsgButton::Yes}}, {"NeedPages"}, Outcome::ShowPageSegments, false, 4},
        CheckCase{"several visible pages print", kFourPages, true, true, Purpose::Print, false, true, false, {}, {},
                  Outcome::Print, false, 4},
        CheckCase{"one page prints at once", kOnePage, true, true, Purpose::Print, true, false, false, {}, {},
                  Outcome::Print, false, 1},
        CheckCase{"regions there already", kFourPages, true, true, Purpose::Print, true, false, true, {}, {},
                  Outcome::Print, false, 1},
        CheckCase{"preview without a printer", kFourPages, true, false, Purpose::Preview, true, false, false, {},
                  {"NoPrinter"}, Outcome::Stop},
        CheckCase{"preview declines regions", kFourPages, true, true, Purpose::Preview, true, false, false,
                  {{"AutoPage", MsgButton::No}}, {"AutoPage"}, Outcome::Stop},
        CheckCase{"preview makes hidden regions", kFourPages, true, true, Purpose::Preview, true, false, false,
                  {{"AutoPage", MsgButton::Yes}}, {"AutoPage"}, Outcome::Print, true, 4}),
    [](const ::testing::TestParamInfo<CheckCase>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST_F(PrintRegionsTest, ThePreviewShowsNoPrinterAsAnError)
{
    addFrame({1, 1, 3, 2});
    MessageAnswers user(services->catalogue(), {"NoPrinter"});
    CPrintCheckRequest request;
    request.purpose = Purpose::Preview;
    request.outputAvailable = false;
    CheckBeforePrint(frames(), kOnePage, letterPage(), services->catalogue(), request);
    ASSERT_EQ(user.shown(), QStringList{"NoPrinter"});
    EXPECT_EQ(user.styleOf(0) & MsgStyle::IconMask, MsgStyle::IconError);
}

// ---------------------------------------------------------------------------
// Photos with too few pixels

TEST_F(PrintRegionsTest, PhotosBelowTheMinimumAreNamedAtTheirPrintedSize)
{
    const QString small = solidPhoto("small.png", 0xFF3060A0, QSize(300, 200));
    const QString large = solidPhoto("large.png", 0xFFA06030, QSize(1200, 800));
    CPicInfo& blurry = addFrame({0, 0, 3, 2}, small); // 100 dpi
    addFrame({4, 0, 3, 2}, large);                    // 400 dpi
    CPicInfo& tiny = addFrame({8, 0, 1, 0.5}, small); // the image covers 1 × 0.67: 300 dpi

    const std::vector<CPrintedArea> whole = {{QRectF(0, 0, 10, 4), 1.0}};
    std::vector<CLowResolutionFrame> low = PrintResolution::findLowResolutionFrames(frames(), whole, CanvasUnit::Inch);
    ASSERT_EQ(low.size(), 1u);
    EXPECT_EQ(low[0].id, blurry.id());
    EXPECT_NEAR(low[0].dotsPerInch, 100.0, 0.5);

    // A page that prints the canvas at half size doubles the resolution.
    low = PrintResolution::findLowResolutionFrames(frames(), {{QRectF(0, 0, 10, 4), 0.5}}, CanvasUnit::Inch);
    EXPECT_TRUE(low.empty());
    // A frame outside every printed area is not printed.
    low = PrintResolution::findLowResolutionFrames(frames(), {{QRectF(5, 0, 5, 4), 1.0}}, CanvasUnit::Inch);
    EXPECT_TRUE(low.empty());
    // Centimetres: the same frame is 2.54 times smaller on paper.
    low = PrintResolution::findLowResolutionFrames(frames(), whole, CanvasUnit::Centimetre);
    EXPECT_TRUE(low.empty());
    // The export's own resolution is the minimum when it is lower.
    low = PrintResolution::findLowResolutionFrames(frames(), whole, CanvasUnit::Inch, 96.0);
    EXPECT_TRUE(low.empty());

    const QString text = PrintResolution::warningText(
        services->catalogue(), {{tiny.id(), small, 97.6}, {blurry.id(), QString("/x/100%1.jpg"), 80}});
    EXPECT_TRUE(text.contains(QString("Frame %1: small.png, 97 dpi").arg(tiny.id()))) << qPrintable(text);
    EXPECT_TRUE(text.contains("Frame " + QString::number(blurry.id()) + ": 100%1.jpg, 80 dpi")) << qPrintable(text);
    EXPECT_TRUE(text.contains("150")) << qPrintable(text);
}

// ---------------------------------------------------------------------------
// Pages

TEST_F(PrintRegionsTest, APageSheetIsThePaperWithTheRegionOnItsPrintableArea)
{
    // A6 less a quarter inch: 3.63 × 5.33 inches upright.
    const CPrinterSetup setup = paperWithQuarterInchMargins(QPageSize::A6);
    frames().setCanvasColour(0xFF20A040);
    frames().setPrintCanvasColour(true);
    CPrintOptions options = CPrintOptions::of(frames(), QSizeF(3, 2), CanvasUnit::Inch);
    options.centreOnPage = false;
    const CPrintPage page{QRectF(0, 0, 3, 2), true};
    const QImage sheet = CPrintJob(*renderer, setup, options).renderPage(page, 100);
    ASSERT_EQ(sheet.size(), QSize(583, 413)) << "A6 turned, at 100 dpi";
    EXPECT_EQ(meanColour(sheet, QRect(0, 0, 20, 20)), QColor(Qt::white)) << "the margin is paper";
    EXPECT_EQ(meanColour(sheet, QRect(30, 30, 260, 180)), QColor(0x20, 0xA0, 0x40)) << "the canvas colour";
    EXPECT_EQ(meanColour(sheet, QRect(330, 30, 200, 180)), QColor(Qt::white)) << "beside the region";

    options.centreOnPage = true;
    const QImage centred = CPrintJob(*renderer, setup, options).renderPage(page, 100);
    const CPagePlacement placement = CPrintJob(*renderer, setup, options).placementOf(page);
    EXPECT_NEAR(placement.offset.x(), (setup.printableMillimetres(true).width() / 25.4 - 3) / 2, 1e-6);
    EXPECT_EQ(meanColour(centred, QRect(30, 30, 20, 20)), QColor(Qt::white)) << "centred away from the corner";
    EXPECT_EQ(meanColour(centred, QRect(292 - 100, 207 - 60, 200, 120)), QColor(0x20, 0xA0, 0x40));

    options.printCanvasColour = false;
    const QImage plain = CPrintJob(*renderer, setup, options).renderPage(page, 100);
    EXPECT_EQ(meanColour(plain, QRect(292 - 100, 207 - 60, 200, 120)), QColor(Qt::white));
}

// ---------------------------------------------------------------------------
// A several-page print to a PDF file, read back with poppler

class PdfPrint : public PrintFixture
{
protected:
    // The printer's resolution: the pages and the export are drawn alike.
    static constexpr int kRasterDpi = 200;
    static constexpr int kMarginPixels = kRasterDpi / 4; // a quarter inch

    void SetUp() override
    {
        PrintFixture::SetUp();
        for (const char* tool : {"pdftoppm", "pdfinfo", "pdfimages"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty()) << tool << " (poppler-utils) is needed";
    }

    // A photo of smooth waves, so that the page and the export may sample
    // it a little differently without disagreeing; the frames' hard edges
    // show any misplacement.
    QString wavePhoto(const QString& name, QSize size, QRgb tint)
    {
        QImage image(size, QImage::Format_RGB32);
        constexpr double kWaves = 6.0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const double across = std::sin(kWaves * M_PI * x / size.width());
                const double down = std::cos(kWaves * M_PI * y / size.height());
                image.setPixel(x, y, qRgb(std::clamp(int(qRed(tint) + 50 * across), 0, 255),
                                          std::clamp(int(qGreen(tint) + 50 * down), 0, 255),
                                          std::clamp(int(qBlue(tint) + 40 * across * down), 0, 255)));
            }
        }
        return writePhoto(name, image);
    }

    // The largest difference between a pixel and its neighbours up to two
    // pixels away.
    static int localContrast(const QImage& image, int x, int y)
    {
        constexpr int kReach = 2;
        const QRgb centre = image.pixel(x, y);
        int most = 0;
        for (int dy = -kReach; dy <= kReach; ++dy) {
            for (int dx = -kReach; dx <= kReach; ++dx) {
                const QPoint p(x + dx, y + dy);
                if (!image.rect().contains(p))
                    continue;
                const QRgb other = image.pixel(p);
                most = std::max({most, std::abs(qRed(other) - qRed(centre)), std::abs(qGreen(other) - qGreen(centre)),
                                 std::abs(qBlue(other) - qBlue(centre))});
            }
        }
        return most;
    }

    QString run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // Each page's size in points, from pdfinfo.
    std::vector<QSizeF> pageSizes(const QString& pdf, int pages)
    {
        const QString info = run("pdfinfo", {"-f", "1", "-l", QString::number(pages), pdf});
        std::vector<QSizeF> sizes;
        const QRegularExpression line(R"(Page\s+\d+\s+size:\s+([\d.]+)\s+x\s+([\d.]+)\s+pts)");
        for (auto it = line.globalMatch(info); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
        }
        return sizes;
    }

    int pageCount(const QString& pdf)
    {
        const QRegularExpression line(R"(Pages:\s+(\d+))");
        return line.match(run("pdfinfo", {pdf})).captured(1).toInt();
    }

    QImage rasterPage(const QString& pdf, int page)
    {
        const QString prefix = path(QString("page%1").arg(page));
        run("pdftoppm", {"-r", QString::number(kRasterDpi), "-png", "-f", QString::number(page), "-l",
                         QString::number(page), "-singlefile", pdf, prefix});
        return QImage(prefix + ".png").convertToFormat(QImage::Format_RGB32);
    }

    QString printPdf(const CPrinterSetup& setup, const QSizeF& canvas, const std::vector<CPrintPage>& pages,
                     CProgress* progress = nullptr, CPrintResult* outcome = nullptr)
    {
        const QString pdf = path("print.pdf");
        QPdfWriter writer(pdf);
        writer.setResolution(setup.resolution);
        CPrintOptions options = CPrintOptions::of(frames(), canvas, CanvasUnit::Inch);
        options.centreOnPage = false;
        const CPrintResult result = CPrintJob(*renderer, setup, options).print(writer, pages, progress);
        EXPECT_TRUE(result.ok() || outcome) << result.messageKey.toStdString();
        if (outcome)
            *outcome = result;
        return pdf;
    }

    QImage exportCanvas(const QSizeF& canvas)
    {
        CExportRequest request;
        request.path = path("canvas.png");
        request.type = "png";
        request.width = int(canvas.width() * kRasterDpi);
        request.height = int(canvas.height() * kRasterDpi);
        request.dotsPerInch = kRasterDpi;
        const CExportResult result = ExportImage(
            *renderer, {float(canvas.width()), float(canvas.height()), CanvasUnit::Inch, frames().canvasColour()},
            request);
        EXPECT_TRUE(result.ok()) << result.messageKey.toStdString();
        return QImage(request.path).convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(PdfPrint, ThePagesOfASeveralPagePrintJoinIntoTheCanvas)
{
    // A6 less a quarter inch: a 9 × 5 canvas tiles into three 3 × 5 upright pages.
    const CPrinterSetup setup = paperWithQuarterInchMargins(QPageSize::A6, kRasterDpi);
    const QSizeF canvas(9, 5);
    frames().setCanvasColour(0xFFF0E8C0);
    frames().setPrintCanvasColour(true);
    addFrame({0.5, 0.5, 5, 3.5}, wavePhoto("left.jpg", {2400, 1700}, qRgb(200, 40, 40)));
    addFrame({4, 1, 4.5, 3.5}, wavePhoto("right.jpg", {1800, 1400}, qRgb(40, 60, 220)));
    addFrame({2.5, 4.2, 4, 0.6}); // an empty frame across a seam

    CPrintRegions printRegions(frames(), canvas);
    const CPrintablePage printable = CPrintablePage::of(setup, CanvasUnit::Inch);
    ASSERT_FALSE(printRegions.landscapeNeedsFewerPages(printable));
    ASSERT_EQ(printRegions.CreateRegions(printable, false, false), 3);
    const std::vector<CPrintPage> pages = printRegions.pages();

    const int readsBefore = renderer->frameRenderer().buildCounts().outputSources;
    const QString pdf = printPdf(setup, canvas, pages);
    // Each photo is read once, though both span two pages.
    EXPECT_EQ(renderer->frameRenderer().buildCounts().outputSources - readsBefore, 2);
    ASSERT_EQ(pageCount(pdf), 3);
    for (const QSizeF& size : pageSizes(pdf, 3)) {
        EXPECT_NEAR(size.width(), 297.6, 1.0) << "A6 upright, whole points";
        EXPECT_NEAR(size.height(), 419.5, 1.0);
    }

    const QImage whole = exportCanvas(canvas);
    const QSize regionPixels(3 * kRasterDpi, 5 * kRasterDpi);
    ASSERT_EQ(whole.size(), QSize(9 * kRasterDpi, 5 * kRasterDpi));
    constexpr int kSeamBand = 2; // pixels either side of a page edge
    constexpr int kInsideTolerance = 40;
    constexpr int kSeamTolerance = 100;
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        const QImage sheet = rasterPage(pdf, page + 1);
        ASSERT_GE(sheet.width(), kMarginPixels + regionPixels.width());
        ASSERT_GE(sheet.height(), kMarginPixels + regionPixels.height());
        qint64 sum = 0;
        for (int y = 0; y < regionPixels.height(); ++y) {
            const QRgb* printed = reinterpret_cast<const QRgb*>(sheet.constScanLine(kMarginPixels + y)) + kMarginPixels;
            const QRgb* exported = reinterpret_cast<const QRgb*>(whole.constScanLine(y)) + page * regionPixels.width();
            for (int x = 0; x < regionPixels.width(); ++x) {
                const int diff = std::max({std::abs(qRed(printed[x]) - qRed(exported[x])),
                                           std::abs(qGreen(printed[x]) - qGreen(exported[x])),
                                           std::abs(qBlue(printed[x]) - qBlue(exported[x]))});
                sum += diff;
                const bool seam = x < kSeamBand || x >= regionPixels.width() - kSeamBand || y < kSeamBand
                    || y >= regionPixels.height() - kSeamBand;
                // A hard edge (a frame's) may fall a pixel apart between a
                // PDF viewer and the export; what differs there is at most
                // the edge's own contrast.
                if (diff <= kInsideTolerance)
                    continue;
                const int allowed = seam ? kSeamTolerance
                                         : kInsideTolerance + localContrast(whole, page * regionPixels.width() + x, y);
                ASSERT_LE(diff, allowed) << "at " << x << ", " << y;
            }
        }
        EXPECT_LT(double(sum) / (regionPixels.width() * regionPixels.height()), 3.0);
        // Beyond the region the sheet is blank paper.
        EXPECT_EQ(meanColour(sheet, QRect(kMarginPixels + regionPixels.width() + 5, kMarginPixels, 50,
                                          regionPixels.height())),
                  QColor(Qt::white));
    }

    // The photos went in at the printer's resolution, not the screen's.
    const QString images = run("pdfimages", {"-list", pdf});
    int widest = 0;
    int bestPpi = 0;
    for (const QString& line : images.split('\n').mid(2)) {
        const QStringList cells = line.simplified().split(' ');
        if (cells.size() > 13 && cells[3].toInt() > widest) {
            widest = cells[3].toInt();
            bestPpi = cells[12].toInt();
        }
    }
    EXPECT_NEAR(bestPpi, setup.resolution, 5) << qPrintable(images);
    // A page holds its own part of a frame, not the frame's whole width.
    EXPECT_LE(widest, regionPixels.width() + 8) << qPrintable(images);
}

TEST_F(PdfPrint, EachPageTakesItsRegionsOrientation)
{
    const CPrinterSetup setup = paperWithQuarterInchMargins(QPageSize::A6);
    const QSizeF canvas(9, 5);
    addFrame({0.5, 0.5, 8, 4}, wavePhoto("wide.jpg", {800, 400}, qRgb(60, 160, 90)));
    CPrintRegions printRegions(frames(), canvas);
    ASSERT_EQ(printRegions.CreateRegions(CPrintablePage::of(setup, CanvasUnit::Inch), false, false), 3);
    ASSERT_TRUE(CPrintRegions::flipOrientation(*printRegions.regions()[1]));

    const QString pdf = printPdf(setup, canvas, printRegions.pages());
    const std::vector<QSizeF> sizes = pageSizes(pdf, 3);
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_LT(sizes[0].width(), sizes[0].height());
    EXPECT_GT(sizes[1].width(), sizes[1].height()) << "the flipped page is landscape";
    EXPECT_LT(sizes[2].width(), sizes[2].height());

    // The 3 × 5 region does not fit the 5.33 × 3.63 page: it is scaled down
    // to the page's height, its picture intact.
    const QImage sheet = rasterPage(pdf, 2);
    EXPECT_GT(sheet.width(), sheet.height());
    const qreal scale = (setup.printableMillimetres(true).height() / 25.4) / 5.0;
    const QImage whole = exportCanvas(canvas);
    // The region's middle: 1.5 × 2.5 inches into it, 4.5 × 2.5 on the canvas.
    const QPoint middleOnCanvas(int(4.5 * kRasterDpi), int(2.5 * kRasterDpi));
    const QPoint middleOnSheet(kMarginPixels + int(1.5 * kRasterDpi * scale), kMarginPixels + int(2.5 * kRasterDpi * scale));
    const QColor printed = meanColour(sheet, QRect(middleOnSheet - QPoint(3, 3), QSize(6, 6)));
    const QColor exported = meanColour(whole, QRect(middleOnCanvas - QPoint(3, 3), QSize(6, 6)));
    EXPECT_NEAR(printed.red(), exported.red(), 25);
    EXPECT_NEAR(printed.green(), exported.green(), 25);
    EXPECT_NEAR(printed.blue(), exported.blue(), 25);
}

TEST_F(PdfPrint, ACancelStopsAfterThePageUnderWayAndAbortsTheJob)
{
    const CPrinterSetup setup = paperWithQuarterInchMargins(QPageSize::A6);
    addFrame({0.5, 0.5, 8, 4}, wavePhoto("wide.jpg", {800, 400}, qRgb(60, 160, 90)));
    CPrintRegions printRegions(frames(), QSizeF(9, 5));
    printRegions.CreateRegions(CPrintablePage::of(setup, CanvasUnit::Inch), false, false);

    CProgress& progress = services->progress();
    QObject::connect(&progress, &CProgress::positionChanged, &progress, [&](int position) {
        if (position == 1)
            progress.cancel();
    });
    int aborted = 0;
    const QString pdf = path("cancelled.pdf");
    CPrintResult result;
    {
        QPdfWriter writer(pdf);
        writer.setResolution(setup.resolution);
        CPrintOptions options = CPrintOptions::of(frames(), QSizeF(9, 5), CanvasUnit::Inch);
        result = CPrintJob(*renderer, setup, options).print(writer, printRegions.pages(), &progress, [&] { ++aborted; });
    }
    EXPECT_EQ(result.status, CPrintResult::Status::Cancelled);
    EXPECT_EQ(result.pagesPrinted, 1);
    EXPECT_EQ(aborted, 1);
    EXPECT_FALSE(progress.isActive());
}

} // namespace
