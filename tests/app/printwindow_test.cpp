// Printing in the main window as a user meets it: the print preview in the
// canvas's place, Print Setup, Print through the platform's print dialog to
// a PDF file, the canvas-size dialog and the New dialog's canvas and
// printer, each driven through its real dialog.
#include "mainframefixture.h"
#include "messageanswers.h"

#include "myphotos.h"

#include "changecanvassizedialog.h"
#include "newcollagedialog.h"
#include "printersetupdialog.h"
#include "printlayout.h"
#include "printpreview.h"
#include "printtarget.h"
#include "projectpicker.h"
#include "qtdocumentdialogs.h"
#include "undo.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

using Kind = CNewCollageChoice::Kind;

// Runs `answer` on the modal dialog of type T once it is up.
template <typename T, typename Answer>
void whenShown(Answer answer)
{
    QTimer::singleShot(0, [answer] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<T*>(widget); dialog && dialog->isVisible()) {
                answer(*dialog);
                return;
            }
        }
        ADD_FAILURE() << "no " << T::staticMetaObject.className() << " showed";
    });
}

CPrinterSetup letterSetup()
{
    CPrinterSetup setup;
    setup.paper = QPageSize(QPageSize::Letter);
    setup.margins = QMarginsF(6.35, 6.35, 6.35, 6.35); // 8 x 10.5 inches printable
    setup.resolution = 150;
    return setup;
}

int pdfPages(const QString& pdf)
{
    QProcess info;
    info.start("pdfinfo", {pdf});
    info.waitForFinished(30000);
    return QRegularExpression(R"(Pages:\s+(\d+))").match(QString::fromUtf8(info.readAllStandardOutput())).captured(1).toInt();
}

class PrintWindow : public MainFrameFixture
{
protected:
    void SetUp() override
    {
        MainFrameFixture::SetUp();
        doc->newDocument();
        services->printer().setSetup(letterSetup());
        window->show();
        canvasWidget = window->centralWidget();
    }

    CPrintTarget& target() { return window->printTarget(); }
    std::vector<CPicInfo*> regions() const
    {
        return CPrintRegions(services->frames(), QSizeF(doc->canvasWidth(), doc->canvasHeight())).regions();
    }
    QList<QToolBar*> visibleBars() const
    {
        QList<QToolBar*> bars;
        for (QToolBar* bar : window->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly))
            if (bar->isVisible())
                bars << bar;
        return bars;
    }
    // A 20 x 7.5 canvas with a frame along its top, printed on the canvas colour.
    void wideCollage(QRgb canvas = 0xFFC02020)
    {
        doc->setCanvasSize(20.0f, 7.5f, false);
        addFrame({0, 0, 20, 3});
        services->frames().setCanvasColour(canvas);
        services->frames().setPrintCanvasColour(true);
        services->undo().Clear();
    }

    QWidget* canvasWidget = nullptr;
};

TEST_F(PrintWindow, PreviewTakesTheCanvasPlaceWithoutToolbarsAndClosingTheWindowOnlyEndsIt)
{
    wideCollage();
    MessageAnswers answers(services->catalogue(), {"AutoPage", "NoPrinter"});
    const QList<QToolBar*> bars = visibleBars();
    ASSERT_FALSE(bars.isEmpty());

    // No regions yet: "AutoPage" first, and No shows nothing.
    answers.answer("AutoPage", MsgButton::No);
    window->runCommand(CommandId::PrintPreview);
    EXPECT_EQ(answers.shown(), QStringList{"AutoPage"});
    EXPECT_FALSE(target().inPreview());
    EXPECT_TRUE(regions().empty());

    // Yes makes them (two landscape pages need fewer sheets than three
    // upright ones) and the preview shows them.
    answers.answer("AutoPage", MsgButton::Yes);
    window->runCommand(CommandId::PrintPreview);
    ASSERT_TRUE(target().inPreview());
    CPrintPreviewWidget* preview = target().preview();
    EXPECT_EQ(window->centralWidget(), preview);
    EXPECT_EQ(preview->pageCount(), 2);
    EXPECT_EQ(regions().size(), 2u);
    EXPECT_TRUE(visibleBars().isEmpty());
    window->updateCommandStates();
    EXPECT_TRUE(window->action(CommandId::PrintPreview)->isChecked());
    EXPECT_FALSE(window->action(CommandId::CanvasSize)->isEnabled());

    // A landscape letter sheet with the left half of the canvas from the
    // quarter-inch margin on: canvas (5, 6) is in the canvas colour.
    const QImage sheet = preview->pagePicture(0, 20);
    EXPECT_EQ(sheet.size(), QSize(220, 170));
    EXPECT_EQ(QColor(sheet.pixel(5 + 5 * 20, 5 + 6 * 20)).rgb(), 0xFFC02020);
    EXPECT_EQ(QColor(sheet.pixel(2, 2)).rgb(), 0xFFFFFFFF) << "the margin stays paper";
    EXPECT_EQ(preview->pageText(), "Page 1 of 2");
    QTest::keyClick(preview, Qt::Key_PageDown);
    EXPECT_EQ(preview->pageText(), "Page 2 of 2");

    // The close box ends the preview, not the program.
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(target().inPreview());
    EXPECT_EQ(window->centralWidget(), canvasWidget);
    EXPECT_EQ(visibleBars(), bars);

    // With regions there is nothing to ask; Escape ends it too.
    answers.forget();
    window->runCommand(CommandId::PrintPreview);
    ASSERT_TRUE(target().inPreview());
    EXPECT_TRUE(answers.shown().isEmpty());
    QTest::keyClick(target().preview(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(target().inPreview());
    EXPECT_EQ(visibleBars(), bars);
}

TEST_F(PrintWindow, PrintSetupChoosesAPdfFileAndASmallerPaperAndSplitsThePagesThatNoLongerFit)
{
    wideCollage();
    CFrameOps(services->frames()).createFrame({0, 0, 8, 7.5f}, CPicInfoManager::kPageSegmentPlaneNumber);
    MessageAnswers answers(services->catalogue(), {"PageSizeChange"});
    answers.answer("PageSizeChange", MsgButton::Yes);
    whenShown<CPrinterSetupDialog>([](CPrinterSetupDialog& dialog) {
        EXPECT_EQ(dialog.paperBox()->currentText(), QPageSize(QPageSize::Letter).name());
        EXPECT_EQ(dialog.resolutionBox()->currentData().toInt(), 150);
        dialog.printerBox()->setCurrentIndex(dialog.printerBox()->findText(CPrinterSetupDialog::kPdfFileText));
        dialog.paperBox()->setCurrentIndex(dialog.paperBox()->findData(int(QPageSize::A5)));
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
            if (box->text() == "Center Collage on Printer Page")
                box->setChecked(true);
        dialog.accept();
    });
    window->runCommand(CommandId::PrintSetup);

    const std::optional<CPrinterSetup> chosen = services->printer().setup();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->output, CPrinterSetup::Output::PdfFile);
    EXPECT_TRUE(chosen->paper.isEquivalentTo(QPageSize(QPageSize::A5)));
    EXPECT_EQ(answers.shown(), QStringList{"PageSizeChange"});
    // 8 x 7.5 on A5's 5.33 x 7.77 inches: halved across only.
    EXPECT_EQ(regions().size(), 2u);
    EXPECT_TRUE(services->frames().centresOnPage());
    EXPECT_TRUE(valueOf("CenterOnPage").toBool());
    EXPECT_TRUE(doc->isModified());

    // Cancel changes nothing.
    whenShown<CPrinterSetupDialog>([](CPrinterSetupDialog& dialog) {
        dialog.paperBox()->setCurrentIndex(dialog.paperBox()->findData(int(QPageSize::A3)));
        dialog.reject();
    });
    window->runCommand(CommandId::PrintSetup);
    EXPECT_TRUE(services->printer().setup()->paper.isEquivalentTo(QPageSize(QPageSize::A5)));
}

TEST_F(PrintWindow, PrintGoesThroughThePlatformsPrintDialogToAPdfFileAfterTheLowResolutionQuestion)
{
    doc->setCanvasSize(8.0f, 10.0f, false);
    CPicInfo* framed = addFrame({1, 1, 6, 4});
    const QString small = writeImage("small.png", 300, 200); // 50 dpi at 6 x 4 inches
    framed->setPhoto(services->photos().FindPhoto(small, true));
    services->undo().Clear();
    const QString pdf = path("printed.pdf");
    QString warning;

    auto answerPrintDialog = [pdf](QPrintDialog& dialog) {
        // No print system here: the dialog offers the PDF file.
        EXPECT_EQ(dialog.printer()->outputFormat(), QPrinter::PdfFormat);
        for (QLineEdit* field : dialog.findChildren<QLineEdit*>())
            if (field->text().endsWith(".pdf"))
                field->setText(pdf);
        dialog.printer()->setOutputFileName(pdf);
        dialog.accept();
    };
    // "Cancel" at the warning prints nothing.
    whenShown<QPrintDialog>([&](QPrintDialog& dialog) {
        answerPrintDialog(dialog);
        whenShown<QMessageBox>([&](QMessageBox& box) {
            warning = box.text();
            box.button(QMessageBox::Cancel)->click();
        });
    });
    window->runCommand(CommandId::Print);
    EXPECT_TRUE(warning.contains(QFileInfo(small).fileName())) << warning.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    whenShown<QPrintDialog>([&](QPrintDialog& dialog) {
        answerPrintDialog(dialog);
        whenShown<QMessageBox>([](QMessageBox& box) {
            for (QAbstractButton* button : box.buttons())
                if (button->text() == "Print Anyway")
                    button->click();
        });
    });
    window->runCommand(CommandId::Print);
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(pdfPages(pdf), 1);
}

TEST_F(PrintWindow, TheCanvasSizeDialogFillsPresetsShowsThePageAndAppliesAsOneUndoStep)
{
    services->settings().setValue("DefEmailCX", CPropValue::f32(6.5f));
    services->settings().setValue("DefEmailCY", CPropValue::f32(4.5f));
    whenShown<CChangeCanvasSizeDlg>([](CChangeCanvasSizeDlg& dialog) {
        CCanvasSizeFields& fields = *dialog.fields();
        EXPECT_EQ(fields.pageLabel()->text(), "8  by 10.5");
        QComboBox& presets = *fields.presetBox();
        const int poster = presets.findData(3);
        ASSERT_GE(poster, 0);
        EXPECT_EQ(presets.itemText(poster), "For 36\" by 24\" poster");
        emit presets.activated(poster);
        EXPECT_DOUBLE_EQ(fields.widthBox()->value(), 36.0);
        EXPECT_DOUBLE_EQ(fields.heightBox()->value(), 24.0);
        emit presets.activated(presets.findText("Ideal for E-Mail"));
        EXPECT_DOUBLE_EQ(fields.widthBox()->value(), 6.5);
        EXPECT_DOUBLE_EQ(fields.heightBox()->value(), 4.5);

        // In pixels the size is pixels at the resolution.
        fields.modeBox()->setCurrentIndex(fields.modeBox()->findData(quint32(CCanvasSizeChoice::Pixels)));
        EXPECT_DOUBLE_EQ(fields.widthBox()->value(), 6.5 * 96);
        fields.resolutionBox()->setValue(200);
        fields.widthBox()->setValue(1000);
        fields.heightBox()->setValue(700);
        dialog.accept();
    });
    window->runCommand(CommandId::CanvasSize);
    EXPECT_FLOAT_EQ(doc->canvasWidth(), 5.0f);
    EXPECT_FLOAT_EQ(doc->canvasHeight(), 3.5f);
    EXPECT_EQ(services->frames().canvasSizeMode(), quint32(CCanvasSizeChoice::Pixels));
    EXPECT_EQ(services->frames().resolution(), 200u);
    ASSERT_TRUE(services->undo().Undo());
    EXPECT_FLOAT_EQ(doc->canvasWidth(), 10.0f);
    EXPECT_FLOAT_EQ(doc->canvasHeight(), 7.5f);

    // As the printer's page, turned the way the canvas lies.
    whenShown<CChangeCanvasSizeDlg>([](CChangeCanvasSizeDlg& dialog) {
        CCanvasSizeFields& fields = *dialog.fields();
        fields.modeBox()->setCurrentIndex(fields.modeBox()->findData(quint32(CCanvasSizeChoice::PrinterPage)));
        EXPECT_FALSE(fields.widthBox()->isEnabled());
        dialog.accept();
    });
    window->runCommand(CommandId::CanvasSize);
    EXPECT_FLOAT_EQ(doc->canvasWidth(), 10.5f);
    EXPECT_FLOAT_EQ(doc->canvasHeight(), 8.0f);

    // Without a chosen printer the page is the default printer's, which
    // prints to a PDF file at least.
    services->printer().clear();
    const QSizeF page = CPrintablePage::of(CPrinterSetup::systemDefault(), CanvasUnit::Inch).portrait;
    whenShown<CChangeCanvasSizeDlg>([page](CChangeCanvasSizeDlg& dialog) {
        EXPECT_EQ(dialog.fields()->pageLabel()->text(),
                  QString::asprintf(CCanvasSizeFields::kPageSizeFormat, page.width(), page.height()));
        dialog.reject();
    });
    window->runCommand(CommandId::CanvasSize);
}

TEST_F(PrintWindow, TheNewDialogHandsBackItsCanvasModeAndPrinterAndRemembersTheChoice)
{
    CQtDocumentDialogs real(*doc, *services, window.get());
    whenShown<CNewCollageDialog>([](CNewCollageDialog& dialog) {
        dialog.button(Kind::Grid)->click();
        CCanvasSizeFields& fields = *dialog.canvasFields();
        fields.modeBox()->setCurrentIndex(fields.modeBox()->findData(quint32(CCanvasSizeChoice::Pixels)));
        fields.resolutionBox()->setValue(300);
        fields.widthBox()->setValue(2400);
        fields.heightBox()->setValue(1800);
        whenShown<CPrinterSetupDialog>([](CPrinterSetupDialog& setup) {
            setup.paperBox()->setCurrentIndex(setup.paperBox()->findData(int(QPageSize::A4)));
            setup.accept();
        });
        dialog.printerButton()->click();
        EXPECT_TRUE(dialog.printerLabel()->text().contains(QPageSize(QPageSize::A4).name()));
        // The A4 page, printable 7.77 x 11.19 inches.
        EXPECT_TRUE(fields.pageLabel()->text().startsWith("7.77 by 11.2")) << fields.pageLabel()->text().toStdString();
        dialog.accept();
    });
    const std::optional<CNewCollageChoice> choice = real.askNewCollage(10.0f, 7.5f, true);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->kind, Kind::Grid);
    EXPECT_FLOAT_EQ(choice->width, 8.0f);
    EXPECT_FLOAT_EQ(choice->height, 6.0f);
    EXPECT_EQ(choice->canvasSizeMode, quint32(CCanvasSizeChoice::Pixels));
    EXPECT_EQ(choice->resolution, 300u);
    ASSERT_TRUE(choice->printer);
    EXPECT_TRUE(choice->printer->paper.isEquivalentTo(QPageSize(QPageSize::A4)));
    EXPECT_EQ(valueOf("PrevCanvas").toString(), "Grid Collage");

    // The next New dialog starts on the last choice.
    whenShown<CNewCollageDialog>([](CNewCollageDialog& dialog) {
        EXPECT_EQ(dialog.kind(), Kind::Grid);
        dialog.reject();
    });
    EXPECT_FALSE(real.askNewCollage(10.0f, 7.5f, true));

    // The window's New takes all of it.
    dialogs.newChoice = choice;
    window->runCommand(CommandId::New);
    EXPECT_FLOAT_EQ(doc->canvasWidth(), 8.0f);
    EXPECT_EQ(services->frames().canvasSizeMode(), quint32(CCanvasSizeChoice::Pixels));
    EXPECT_EQ(services->frames().resolution(), 300u);
    ASSERT_TRUE(services->printer().setup());
    EXPECT_TRUE(services->printer().setup()->paper.isEquivalentTo(QPageSize(QPageSize::A4)));
}

TEST_F(PrintWindow, TheNewDialogLooksForATemplateWhereTheLastOneWas)
{
    QDir().mkpath(path("templates"));
    addFrame({1, 1, 2, 2});
    doc->setFlags(CCollageDoc::TemplateFlag);
    ASSERT_EQ(doc->saveDocument(path("templates/blank.Collage")), CCollageDoc::SaveResult::Saved);

    auto chooseTemplate = [this](const QString& expectedFolder) {
        whenShown<CNewCollageDialog>([this, expectedFolder](CNewCollageDialog& dialog) {
            dialog.button(Kind::Template)->click();
            whenShown<CProjectPickerDialog>([this, expectedFolder](CProjectPickerDialog& picker) {
                if (!expectedFolder.isEmpty()) {
                    EXPECT_EQ(picker.folder(), expectedFolder);
                }
                picker.setFolder(path("templates"));
                picker.fileList()->setCurrentRow(0);
                picker.accept();
            });
            dialog.accept();
        });
    };
    {
        CQtDocumentDialogs first(*doc, *services, window.get());
        chooseTemplate({});
        const std::optional<CNewCollageChoice> choice = first.askNewCollage(10.0f, 7.5f, true);
        ASSERT_TRUE(choice);
        EXPECT_EQ(choice->path, path("templates/blank.Collage"));
    }
    EXPECT_EQ(valueOf("PrevTemplate").toString(), path("templates/blank.Collage"));
    EXPECT_EQ(valueOf("PrevCanvas").toString(), "Template");

    // Another session of the dialogs starts in the template's folder.
    CQtDocumentDialogs second(*doc, *services, window.get());
    chooseTemplate(path("templates"));
    EXPECT_TRUE(second.askNewCollage(10.0f, 7.5f, true));
}

} // namespace
