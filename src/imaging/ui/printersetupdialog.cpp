#include "printersetupdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// The papers offered; the set-up's own joins them when it is another.
constexpr QPageSize::PageSizeId kPapers[] = {QPageSize::A3,     QPageSize::A4,    QPageSize::A5,
                                             QPageSize::A6,     QPageSize::B5,    QPageSize::Letter,
                                             QPageSize::Legal,  QPageSize::Ledger, QPageSize::Executive};
constexpr const char* kMarginNames[] = {"Left:", "Top:", "Right:", "Bottom:"};
constexpr int kMarginDecimals = 2;
// Item data of the printer box: a printer's name, or one of these.
enum PrinterEntry { DefaultPrinter = 1, PdfFile = 2 };

} // namespace

CPrinterSetupDialog::CPrinterSetupDialog(const CPrinterSetup& current, const QStringList& printers, bool centreOnPage,
                                         bool printCanvasColour, QWidget* parent)
    : QDialog(parent)
    , m_initial(current)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    m_printer = new QComboBox(this);
    m_printer->addItem(tr(kDefaultPrinterText), int(DefaultPrinter));
    for (const QString& name : printers)
        m_printer->addItem(name, name);
    m_printer->addItem(tr(kPdfFileText), int(PdfFile));
    if (current.output == CPrinterSetup::Output::PdfFile)
        m_printer->setCurrentIndex(m_printer->count() - 1);
    else if (!current.printerName.isEmpty()) {
        if (m_printer->findData(current.printerName) < 0)
            m_printer->insertItem(1, current.printerName, current.printerName); // kept, though not installed
        m_printer->setCurrentIndex(m_printer->findData(current.printerName));
    }
    form->addRow(tr("Printer:"), m_printer);

    m_paper = new QComboBox(this);
    bool listed = false;
    for (const QPageSize::PageSizeId id : kPapers) {
        const QPageSize paper(id);
        m_paper->addItem(paper.name(), int(id));
        listed = listed || paper.isEquivalentTo(current.paper);
    }
    if (!listed)
        m_paper->addItem(current.paper.name(), -1);
    for (int i = 0; i < m_paper->count(); ++i) {
        const int id = m_paper->itemData(i).toInt();
        if (id < 0 || QPageSize(QPageSize::PageSizeId(id)).isEquivalentTo(current.paper))
            m_paper->setCurrentIndex(i);
    }
    form->addRow(tr("Paper:"), m_paper);

    m_resolution = new QComboBox(this);
    for (const int dpi : kResolutions)
        m_resolution->addItem(tr("%1 dpi").arg(dpi), dpi);
    if (m_resolution->findData(current.resolution) < 0)
        m_resolution->addItem(tr("%1 dpi").arg(current.resolution), current.resolution);
    m_resolution->setCurrentIndex(m_resolution->findData(current.resolution));
    form->addRow(tr("Resolution:"), m_resolution);

    auto* marginBox = new QGroupBox(tr("Margins (millimetres)"), this);
    auto* grid = new QGridLayout(marginBox);
    const qreal values[] = {current.margins.left(), current.margins.top(), current.margins.right(),
                            current.margins.bottom()};
    for (int i = 0; i < 4; ++i) {
        m_margins[i] = new QDoubleSpinBox(marginBox);
        m_margins[i]->setRange(0.0, kMaxMargin);
        m_margins[i]->setDecimals(kMarginDecimals);
        m_margins[i]->setValue(values[i]);
        grid->addWidget(new QLabel(tr(kMarginNames[i]), marginBox), i / 2, (i % 2) * 2);
        grid->addWidget(m_margins[i], i / 2, (i % 2) * 2 + 1);
    }
    layout->addWidget(marginBox);

    m_centre = new QCheckBox(tr("Center Collage on Printer Page"), this);
    m_centre->setChecked(centreOnPage);
    layout->addWidget(m_centre);
    m_canvasColour = new QCheckBox(tr("Print canvas color"), this);
    m_canvasColour->setChecked(printCanvasColour);
    layout->addWidget(m_canvasColour);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CPrinterSetup CPrinterSetupDialog::setup() const
{
    CPrinterSetup chosen = m_initial;
    const QVariant printer = m_printer->currentData();
    chosen.output = CPrinterSetup::Output::Printer;
    chosen.printerName.clear();
    if (printer.typeId() == QMetaType::QString)
        chosen.printerName = printer.toString();
    else if (printer.toInt() == PdfFile)
        chosen.output = CPrinterSetup::Output::PdfFile;
    const int paper = m_paper->currentData().toInt();
    if (paper >= 0)
        chosen.paper = QPageSize(QPageSize::PageSizeId(paper));
    chosen.resolution = m_resolution->currentData().toInt();
    chosen.margins = QMarginsF(m_margins[0]->value(), m_margins[1]->value(), m_margins[2]->value(),
                               m_margins[3]->value());
    return chosen;
}

bool CPrinterSetupDialog::centreOnPage() const { return m_centre->isChecked(); }

bool CPrinterSetupDialog::printCanvasColour() const { return m_canvasColour->isChecked(); }

void CPrinterSetupDialog::setCollageOptionsVisible(bool visible)
{
    m_centre->setVisible(visible);
    m_canvasColour->setVisible(visible);
}
