// The printing commands on a document: the printer kept with the project,
// the orientation flip through save and reopen, Print with its questions
// (printed to real PDF files standing in for a printer), Show/Hide Page
// Segments and the canvas size.

#include "commandfixture.h"

#include "printcommands.h"
#include "printerchoice.h"
#include "propmanager.h"

#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>

#include <memory>

namespace {

CPrinterSetup letterSetup(const QString& printer = {})
{
    CPrinterSetup setup;
    setup.printerName = printer;
    setup.paper = QPageSize(QPageSize::Letter);
    setup.margins = QMarginsF(6.35, 6.35, 6.35, 6.35);
    setup.resolution = 150;
    return setup;
}

// A printer that is a PDF file per job: jobs can be counted and read back.
class PdfOutput : public CPrintOutput
{
public:
    PdfOutput(QString folder, CPrinterSetup setup, bool file)
        : m_folder(std::move(folder))
        , m_setup(std::move(setup))
        , m_file(file)
    {
    }
    QPagedPaintDevice& device() override
    {
        // A device whose job has ended starts the next one in a new file.
        if (!m_writer || m_writerUsed) {
            jobs << QString("%1/job%2.pdf").arg(m_folder).arg(jobs.size() + 1);
            m_writer = std::make_unique<QPdfWriter>(jobs.last());
            m_writer->setResolution(m_setup.resolution);
            m_writerUsed = false;
        }
        m_writerUsed = true;
        return *m_writer;
    }
    CPrinterSetup setup() const override { return m_setup; }
    bool printsToFile() const override { return m_file; }
    std::optional<std::pair<int, int>> pageRange() const override { return range; }
    void abort() override { ++aborts; }
    void finish() { m_writer.reset(); }

    QStringList jobs;
    std::optional<std::pair<int, int>> range;
    int aborts = 0;

private:
    QString m_folder;
    CPrinterSetup m_setup;
    bool m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    bool m_writerUsed = false;
};

class AnsweredPrintDialogs : public CPrintDialogs
{
public:
    bool outputAvailable() override { return available; }
    std::unique_ptr<CPrintOutput> askPrintOutput(const CPrinterSetup& current, int pageCount) override
    {
        ++printDialogs;
        offeredPages = pageCount;
        offeredSetup = current;
        if (!output)
            return nullptr;
        // The test keeps looking at the output after the print.
        struct Borrowed : CPrintOutput
        {
            PdfOutput& real;
            explicit Borrowed(PdfOutput& r) : real(r) {}
            QPagedPaintDevice& device() override { return real.device(); }
            CPrinterSetup setup() const override { return real.setup(); }
            bool printsToFile() const override { return real.printsToFile(); }
            std::optional<std::pair<int, int>> pageRange() const override { return real.pageRange(); }
            void abort() override { real.abort(); }
            ~Borrowed() override { real.finish(); }
        };
        return std::make_unique<Borrowed>(*output);
    }
    std::optional<CPrinterSetup> askPrinterSetup(const CPrinterSetup& current) override
    {
        offeredSetup = current;
        return setupAnswer;
    }
    bool askPrintAnyway(const QString& warning) override
    {
        warnings << warning;
        return printAnyway;
    }

    bool available = true;
    std::unique_ptr<PdfOutput> output;
    std::optional<CPrinterSetup> setupAnswer;
    bool printAnyway = false;
    int printDialogs = 0;
    int offeredPages = 0;
    CPrinterSetup offeredSetup;
    QStringList warnings;
};

int pdfPages(const QString& pdf)
{
    QProcess info;
    info.start("pdfinfo", {pdf});
    info.waitForFinished(30000);
    return QRegularExpression(R"(Pages:\s+(\d+))").match(QString::fromUtf8(info.readAllStandardOutput())).captured(1).toInt();
}

class PrintCommands : public CommandFixture
{
protected:
    void SetUp() override
    {
        CommandFixture::SetUp();
        doc->newDocument();
        services->printer().setSetup(letterSetup());
    }

    CPrintCommands commands() { return CPrintCommands(*doc, dialogs); }
    // Shown frames whose photos print well (a 3000 × 2000 photo in a 3 × 2 frame).
    CPicInfo& photoFrame(const CCanvasRect& rect, int pixelsWide = 3000)
    {
        CPicInfo& made = frame(rect);
        quietly([&] { made.setPhoto(photo(QString("p%1.png").arg(made.id()), pixelsWide, pixelsWide * 2 / 3)); });
        return made;
    }
    std::vector<CPicInfo*> regions() { return CPrintRegions(frames(), commands().canvas()).regions(); }
    void expectShown(const QStringList& keys)
    {
        QStringList texts;
        for (const QString& key : keys)
            texts << services->catalogue().text(key);
        EXPECT_EQ(shown, texts);
        shown.clear();
    }
    PdfOutput& printTo(bool file)
    {
        dialogs.output = std::make_unique<PdfOutput>(home.path(), letterSetup(), file);
        return *dialogs.output;
    }

    AnsweredPrintDialogs dialogs;
};

// ---------------------------------------------------------------------------
// Kept with the project

TEST_F(PrintCommands, TheOrientationFlipUndoesAndRedoesAlsoAfterSavingAndReopening)
{
    doc->setCanvasSize(20.0f, 7.5f, false);
    CPicInfo* region = CFrameOps(frames()).createFrame({0, 0, 10, 7.5f}, CPicInfoManager::kPageSegmentPlaneNumber);
    ASSERT_NE(region, nullptr);
    const quint32 id = region->id();
    undo().Clear();
    ASSERT_TRUE(CPrintRegions::flipOrientation(*region));
    ASSERT_TRUE(CPrintRegions::flipOrientation(*region));
    ASSERT_TRUE(CPrintRegions::flipOrientation(*region));
    ASSERT_TRUE(undo().Undo()); // one flip waits on the redo list
    EXPECT_FALSE(region->isPageLandscape());

    saveAndRead("flipped.Collage");
    restart();
    ASSERT_EQ(doc->openDocument(path("flipped.Collage")), CCollageDoc::OpenResult::Opened);
    CPicInfo* reopened = frames().findFrame(id);
    ASSERT_NE(reopened, nullptr);
    EXPECT_TRUE(reopened->isPageSegment());
    EXPECT_FALSE(reopened->isPageLandscape());
    EXPECT_EQ(undo().UndoName(), QString(CPrintRegions::kFlipName));
    EXPECT_EQ(undo().RedoName(), QString(CPrintRegions::kFlipName));

    ASSERT_TRUE(undo().Redo());
    EXPECT_TRUE(reopened->isPageLandscape());
    ASSERT_TRUE(undo().Undo());
    ASSERT_TRUE(undo().Undo());
    EXPECT_TRUE(reopened->isPageLandscape());
    ASSERT_TRUE(undo().Undo());
    EXPECT_FALSE(reopened->isPageLandscape());
    EXPECT_FALSE(undo().CanUndo());
    ASSERT_TRUE(undo().Redo());
    EXPECT_TRUE(reopened->isPageLandscape());
}

TEST_F(PrintCommands, TheChosenPrinterTravelsWithTheProjectAndAProjectWithoutOneOpensWithNone)
{
    const CPrinterSetup office = letterSetup("Office Laser");
    services->printer().setSetup(office);
    saveAndRead("with.Collage");
    services->printer().clear();
    saveAndRead("without.Collage");

    restart();
    ASSERT_EQ(doc->openDocument(path("with.Collage")), CCollageDoc::OpenResult::Opened);
    ASSERT_TRUE(services->printer().setup());
    EXPECT_EQ(*services->printer().setup(), office);
    ASSERT_EQ(doc->openDocument(path("without.Collage")), CCollageDoc::OpenResult::Opened);
    EXPECT_FALSE(services->printer().hasPrinter()) << "the previous project's printer is let go";
    EXPECT_EQ(commands().setup(), CPrinterSetup::systemDefault());
}

// ---------------------------------------------------------------------------
// Print

TEST_F(PrintCommands, PrintStopsToShowTheNewPagesThenPrintsThemAsOneJobOrOneJobEach)
{
    doc->setCanvasSize(20.0f, 7.5f, false); // two landscape letter pages
    photoFrame({1, 1, 3, 2});
    photoFrame({12, 1, 3, 2});
    answer = MsgButton::Yes; // NeedPages
    EXPECT_FALSE(commands().print());
    expectShown({"NeedPages"});
    EXPECT_TRUE(commands().pageSegmentsShown()) << "the new pages are shown to the user first";
    ASSERT_EQ(regions().size(), 2u);
    EXPECT_TRUE(regions()[0]->isPageLandscape());
    EXPECT_EQ(dialogs.printDialogs, 0);

    PdfOutput& oneJob = printTo(false);
    answer = MsgButton::No; // PrintJobs: all pages in one job
    EXPECT_TRUE(commands().print());
    expectShown({"PrintJobs"});
    EXPECT_EQ(dialogs.offeredPages, 2);
    ASSERT_EQ(oneJob.jobs.size(), 1);
    EXPECT_EQ(pdfPages(oneJob.jobs[0]), 2);

    PdfOutput& jobEach = printTo(false);
    answer = MsgButton::Yes;
    EXPECT_TRUE(commands().print());
    ASSERT_EQ(jobEach.jobs.size(), 2);
    EXPECT_EQ(pdfPages(jobEach.jobs[0]), 1);
    EXPECT_EQ(pdfPages(jobEach.jobs[1]), 1);

    PdfOutput& cancelled = printTo(false);
    answer = MsgButton::Cancel;
    shown.clear();
    EXPECT_FALSE(commands().print());
    EXPECT_TRUE(cancelled.jobs.isEmpty());

    PdfOutput& file = printTo(true);
    shown.clear();
    EXPECT_TRUE(commands().print());
    EXPECT_TRUE(shown.isEmpty()) << "a file is one job: nothing to ask";
    ASSERT_EQ(file.jobs.size(), 1);
    EXPECT_EQ(pdfPages(file.jobs[0]), 2);

    PdfOutput& second = printTo(true);
    second.range = std::make_pair(2, 9);
    EXPECT_TRUE(commands().print());
    ASSERT_EQ(second.jobs.size(), 1);
    EXPECT_EQ(pdfPages(second.jobs[0]), 1) << "pages 2 to the end";
}

TEST_F(PrintCommands, PhotosWithTooFewPixelsAreNamedBeforeAnythingPrints)
{
    CPicInfo& blurry = photoFrame({1, 1, 6, 4}, 600); // 100 dpi
    photoFrame({7.5f, 1, 2, 1.5f});
    PdfOutput& output = printTo(true);
    dialogs.printAnyway = false;
    EXPECT_FALSE(commands().print());
    ASSERT_EQ(dialogs.warnings.size(), 1);
    EXPECT_TRUE(dialogs.warnings[0].contains(QString("Frame %1: p%1.png, 100 dpi").arg(blurry.id())))
        << qPrintable(dialogs.warnings[0]);
    EXPECT_TRUE(output.jobs.isEmpty());

    dialogs.printAnyway = true;
    EXPECT_TRUE(commands().print());
    EXPECT_EQ(output.jobs.size(), 1);
}

TEST_F(PrintCommands, AnotherPrinterInThePrintDialogBecomesTheProjectsAndSplitsWhatNoLongerFits)
{
    doc->setCanvasSize(10.0f, 7.5f, false);
    photoFrame({1, 1, 3, 2});
    EXPECT_FALSE(commands().print()) << "one landscape region made; the dialog was cancelled";
    shown.clear();
    ASSERT_EQ(regions().size(), 1u);

    CPrinterSetup smaller = letterSetup("Label Printer");
    smaller.paper = QPageSize(QPageSize::A6);
    dialogs.output = std::make_unique<PdfOutput>(home.path(), smaller, true);
    answer = MsgButton::Yes; // PageSizeChange
    EXPECT_TRUE(commands().print());
    expectShown({"PageSizeChange"});
    ASSERT_TRUE(services->printer().setup());
    EXPECT_EQ(services->printer().setup()->printerName, QString("Label Printer"));
    EXPECT_GT(regions().size(), 1u);
    EXPECT_TRUE(CPrintRegions(frames(), commands().canvas()).regionsFit(commands().printablePage()));
    EXPECT_EQ(pdfPages(dialogs.output->jobs.value(0)), int(regions().size()));
    EXPECT_TRUE(doc->isModified());
}

TEST_F(PrintCommands, WithoutAnyOutputPrintSaysNoPrinterAndChangesNothing)
{
    photoFrame({1, 1, 3, 2});
    dialogs.available = false;
    EXPECT_FALSE(commands().print());
    expectShown({"NoPrinter"});
    EXPECT_TRUE(regions().empty());
    EXPECT_EQ(dialogs.printDialogs, 0);
}

// ---------------------------------------------------------------------------
// Page segments, set-up and canvas size

TEST_F(PrintCommands, ShowingPageSegmentsOnACanvasWithoutThemMakesThemInTheSameStep)
{
    doc->setCanvasSize(20.0f, 7.5f, false);
    undo().Clear();
    EXPECT_FALSE(commands().pageSegmentsShown());
    ASSERT_TRUE(commands().toggleShowPlane());
    EXPECT_TRUE(commands().pageSegmentsShown());
    EXPECT_EQ(regions().size(), 2u);
    EXPECT_EQ(steps(), 1u);
    ASSERT_TRUE(undo().Undo());
    EXPECT_FALSE(commands().pageSegmentsShown());
    EXPECT_TRUE(regions().empty());
    ASSERT_TRUE(undo().Redo());
    ASSERT_TRUE(commands().toggleShowPlane());
    EXPECT_FALSE(commands().pageSegmentsShown());
    EXPECT_EQ(regions().size(), 2u) << "hiding keeps them";
}

TEST_F(PrintCommands, PrintSetupTakesTheNewPrinterOnlyWhenItChanged)
{
    dialogs.setupAnswer = std::nullopt;
    EXPECT_FALSE(commands().printSetup());
    dialogs.setupAnswer = letterSetup();
    EXPECT_FALSE(commands().printSetup()) << "the same set-up";
    EXPECT_FALSE(doc->isModified());
    dialogs.setupAnswer = letterSetup("Photo");
    EXPECT_TRUE(commands().printSetup());
    EXPECT_EQ(services->printer().setup()->printerName, QString("Photo"));
    EXPECT_TRUE(doc->isModified());
}

TEST_F(PrintCommands, TheCanvasSizeIsOneStepAndTheModeAndResolutionAreRemembered)
{
    CCanvasSizeChoice choice;
    choice.width = 36.0f;
    choice.height = 24.0f;
    choice.mode = CCanvasSizeChoice::Pixels;
    choice.resolution = 200;
    ASSERT_TRUE(commands().changeCanvasSize(choice));
    EXPECT_EQ(doc->canvasWidth(), 36.0f);
    EXPECT_EQ(frames().canvasSizeMode(), quint32(CCanvasSizeChoice::Pixels));
    EXPECT_EQ(frames().resolution(), 200u);
    EXPECT_EQ(undo().UndoName(), QString("Change Canvas Size"));
    EXPECT_FALSE(commands().changeCanvasSize(choice)) << "nothing new";
    choice.width = -1.0f;
    EXPECT_FALSE(commands().changeCanvasSize(choice));
    ASSERT_TRUE(undo().Undo());
    EXPECT_EQ(doc->canvasWidth(), 10.0f);
}

TEST_F(PrintCommands, PresetsGiveTheirSizesAndTheEmailOneComesFromTheSettings)
{
    EXPECT_EQ(commands().presetSize(1), QSizeF(10, 7.5));
    EXPECT_EQ(commands().presetSize(4), QSizeF(24, 36));
    services->settings().setValue("DefEmailCX", CPropValue::f32(6.0f));
    services->settings().setValue("DefEmailCY", CPropValue::f32(4.5f));
    EXPECT_EQ(commands().presetSize(CanvasPresets::kEmailPresetId), QSizeF(6, 4.5));
    EXPECT_TRUE(commands().presetSize(99).isEmpty());
}

} // namespace
