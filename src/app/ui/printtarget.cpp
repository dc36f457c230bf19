#include "printtarget.h"

#include "changecanvassizedialog.h"
#include "collagedoc.h"
#include "commandids.h"
#include "imageexport.h"
#include "lowresolutionquestion.h"
#include "messagecatalogue.h"
#include "picinfomanager.h"
#include "printersetupdialog.h"
#include "printpreview.h"
#include "propmanager.h"
#include "services.h"

#include <QDockWidget>
#include <QFileInfo>
#include <QMainWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QToolBar>
#include <QTimer>

#include <algorithm>

using namespace CommandId;

namespace {

constexpr const char* kCentreSetting = "CenterOnPage";
constexpr const char* kCanvasColourSetting = "ColorToPrinter";
constexpr qreal kMillimetresPerInch = 25.4;
constexpr qreal kMillimetresPerCentimetre = 10.0;

// The margins of the upright sheet from those of a page that may be turned
// (the inverse of CPrinterSetup::pageLayout's turn).
QMarginsF uprightMargins(const QPageLayout& layout)
{
    const QMarginsF m = layout.margins(QPageLayout::Millimeter);
    return layout.orientation() == QPageLayout::Landscape ? QMarginsF(m.bottom(), m.left(), m.top(), m.right()) : m;
}

// The print dialog's printer, with what the user chose in it.
class CQtPrintOutput : public CPrintOutput
{
public:
    CQtPrintOutput(std::unique_ptr<QPrinter> printer, const CPrinterSetup& setup,
                   std::optional<std::pair<int, int>> range)
        : m_printer(std::move(printer))
        , m_setup(setup)
        , m_range(range)
    {
    }
    QPagedPaintDevice& device() override { return *m_printer; }
    CPrinterSetup setup() const override { return m_setup; }
    bool printsToFile() const override { return m_printer->outputFormat() == QPrinter::PdfFormat; }
    std::optional<std::pair<int, int>> pageRange() const override { return m_range; }
    void abort() override { m_printer->abort(); }

private:
    std::unique_ptr<QPrinter> m_printer;
    CPrinterSetup m_setup;
    std::optional<std::pair<int, int>> m_range;
};

QSizeF printableUnits(const CPrinterSetup& setup, CanvasUnit unit)
{
    const QSizeF millimetres = setup.printableMillimetres(false);
    const qreal perUnit = unit == CanvasUnit::Centimetre ? kMillimetresPerCentimetre : kMillimetresPerInch;
    return millimetres / perUnit;
}

} // namespace

QStringList installedPrinters() { return QPrinterInfo::availablePrinterNames(); }

std::optional<std::pair<CPrinterSetup, QSizeF>> askNewCollagePrinter(QWidget* parent, const CPrinterSetup& current,
                                                                     CanvasUnit unit)
{
    CPrinterSetupDialog dialog(current, installedPrinters(), false, false, parent);
    dialog.setCollageOptionsVisible(false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const CPrinterSetup chosen = dialog.setup();
    return std::make_pair(chosen, printableUnits(chosen, unit));
}

CPrintTarget::CPrintTarget(CCollageDoc& doc, CServices& services, QMainWindow* window)
    : QObject(window)
    , m_doc(doc)
    , m_services(services)
    , m_window(window)
    , m_commands(doc, *this)
{
}

CPrintTarget::~CPrintTarget() = default;

void CPrintTarget::setCommandSender(std::function<bool(int)> sender) { m_commands.setCommandSender(std::move(sender)); }

bool CPrintTarget::onCommand(int id)
{
    switch (id) {
    case Print:
        // A print from the preview ends it first.
        endPreview();
        m_commands.print();
        return true;
    case PrintPreview:
        if (!endPreview())
            startPreview();
        return true;
    case PrintSetup:
        m_commands.printSetup();
        return true;
    case ShowPageSegments:
        m_commands.toggleShowPlane();
        return true;
    case CanvasSize:
        changeCanvasSize();
        return true;
    default:
        return false;
    }
}

std::optional<CCommandState> CPrintTarget::commandState(int id) const
{
    switch (id) {
    case Print:
    case PrintSetup:
        return CCommandState{};
    case CanvasSize:
        return CCommandState{!inPreview(), false};
    case PrintPreview:
        return CCommandState{true, inPreview()};
    case ShowPageSegments:
        return CCommandState{!inPreview(), m_commands.pageSegmentsShown()};
    default:
        return std::nullopt;
    }
}

// ---------------------------------------------------------------------------
// Preview

bool CPrintTarget::startPreview()
{
    if (m_preview)
        return true;
    if (!m_commands.preparePreview())
        return false;
    m_preview = new CPrintPreviewWidget;
    m_preview->setPages(m_commands.job(), m_commands.pages());
    // Queued: the preview goes away in the handlers.
    connect(m_preview, &CPrintPreviewWidget::printRequested, this,
            [this] { QTimer::singleShot(0, this, [this] { onCommand(Print); }); });
    connect(m_preview, &CPrintPreviewWidget::closeRequested, this,
            [this] { QTimer::singleShot(0, this, [this] { endPreview(); }); });

    m_hiddenBars.clear();
    for (QWidget* bar : m_window->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly))
        m_hiddenBars << bar;
    for (QWidget* dock : m_window->findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly))
        m_hiddenBars << dock;
    m_hiddenBars.erase(std::remove_if(m_hiddenBars.begin(), m_hiddenBars.end(),
                                      [](QWidget* bar) { return bar->isHidden(); }),
                       m_hiddenBars.end());
    for (QWidget* bar : std::as_const(m_hiddenBars))
        bar->hide();
    m_canvas = m_window->takeCentralWidget();
    m_window->setCentralWidget(m_preview);
    m_preview->setFocus();
    return true;
}

bool CPrintTarget::endPreview()
{
    if (!m_preview)
        return false;
    QWidget* preview = m_window->takeCentralWidget();
    m_preview = nullptr;
    if (preview)
        preview->deleteLater();
    if (m_canvas) {
        m_window->setCentralWidget(m_canvas);
        m_canvas->show();
        m_canvas->setFocus();
    }
    for (QWidget* bar : std::as_const(m_hiddenBars))
        bar->show();
    m_hiddenBars.clear();
    return true;
}

// ---------------------------------------------------------------------------
// Dialogs

bool CPrintTarget::outputAvailable()
{
    // Qt writes PDF itself, so there is always somewhere to print to.
    QPrinter pdf;
    pdf.setOutputFormat(QPrinter::PdfFormat);
    return pdf.isValid() || !installedPrinters().isEmpty();
}

std::unique_ptr<CPrintOutput> CPrintTarget::askPrintOutput(const CPrinterSetup& setup, int pageCount)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (setup.output == CPrinterSetup::Output::PdfFile || installedPrinters().isEmpty()) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        const QString folder = m_doc.path().isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
            : QFileInfo(m_doc.path()).absolutePath();
        printer->setOutputFileName(folder + QLatin1Char('/') + m_doc.title() + QStringLiteral(".pdf"));
    } else if (!setup.printerName.isEmpty()) {
        printer->setPrinterName(setup.printerName);
    }
    printer->setPageLayout(setup.pageLayout(false));
    printer->setDocName(m_doc.title());
    printer->setFromTo(1, pageCount);

    QPrintDialog dialog(printer.get(), m_window);
    dialog.setMinMax(1, pageCount);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange
                      | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;

    CPrinterSetup chosen = setup;
    chosen.output = printer->outputFormat() == QPrinter::PdfFormat ? CPrinterSetup::Output::PdfFile
                                                                    : CPrinterSetup::Output::Printer;
    chosen.printerName = chosen.output == CPrinterSetup::Output::Printer ? printer->printerName() : QString();
    const QPageLayout layout = printer->pageLayout();
    chosen.paper = layout.pageSize();
    chosen.margins = uprightMargins(layout);
    printer->setResolution(chosen.resolution);
    std::optional<std::pair<int, int>> range;
    if (dialog.printRange() == QAbstractPrintDialog::PageRange)
        range = std::make_pair(dialog.fromPage(), dialog.toPage());
    return std::make_unique<CQtPrintOutput>(std::move(printer), chosen, range);
}

std::optional<CPrinterSetup> CPrintTarget::askPrinterSetup(const CPrinterSetup& current)
{
    CPicInfoManager& frames = m_services.frames();
    CPrinterSetupDialog dialog(current, installedPrinters(), frames.centresOnPage(), frames.printsCanvasColour(),
                               m_window);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    // The collage's two printing choices: the canvas colour is an edit of
    // the collage, centring a preference; both become the next collage's too.
    if (frames.setPrintCanvasColour(dialog.printCanvasColour()))
        m_doc.setModified(true);
    frames.setCentreOnPage(dialog.centreOnPage());
    m_services.settings().setValue(QString::fromLatin1(kCentreSetting), CPropValue::boolean(dialog.centreOnPage()));
    m_services.settings().setValue(QString::fromLatin1(kCanvasColourSetting),
                                   CPropValue::boolean(dialog.printCanvasColour()));
    return dialog.setup();
}

bool CPrintTarget::askPrintAnyway(const QString& warning)
{
    return askLowResolutionAnyway(m_window, warning, QObject::tr("Print Anyway"));
}

void CPrintTarget::changeCanvasSize()
{
    CPicInfoManager& frames = m_services.frames();
    const CCanvasSizeChoice current{m_doc.canvasWidth(), m_doc.canvasHeight(), frames.canvasSizeMode(),
                                    frames.resolution()};
    CMessageCatalogue& catalogue = m_services.catalogue();
    const CCanvasSizeFields::Texts texts{catalogue.text(QStringLiteral("PresetSizes")),
                                         catalogue.text(QStringLiteral("Tip::CanvasSizePresets"))};
    // The page a print goes on: the project's printer's, or the default
    // printer's, which is at least a PDF file.
    const std::optional<QSizeF> printable =
        outputAvailable() ? std::optional<QSizeF>(m_commands.printablePage().portrait) : std::nullopt;
    CChangeCanvasSizeDlg dialog(current, m_doc.exportCanvas().unit, texts,
                                [this](int id) { return m_commands.presetSize(id); }, printable, m_window);
    if (dialog.exec() == QDialog::Accepted)
        m_commands.changeCanvasSize(dialog.choice());
}
