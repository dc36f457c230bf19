#include "newcollagedialog.h"

#include "infotiprequest.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

using Kind = CNewCollageChoice::Kind;

struct KindText
{
    Kind kind;
    const char* title;
    const char* hint;
    const char* tip; // the info-tip picking it shows, or null
};

constexpr KindText kKindTexts[] = {
    {Kind::Template, "Template", "Start from a saved arrangement of empty frames.", "Tip::TemplateProj"},
    {Kind::ExistingProject, "Existing Project", "Open a collage you saved before.", nullptr},
    {Kind::FreeForm, "Free-Form Collage", "An empty canvas: drop photos anywhere.", nullptr},
    {Kind::Grid, "Grid Collage", "One frame covering the canvas, ready to be split.", "Tip::GridProj"},
    {Kind::ZadeDudaziz, "ZadeDudaziz", "Let the program arrange a set of photos for you.", "Tip::Quick"},
};

constexpr const char* kLargeCanvasTip = "Tip::CanvasSizeWarning";
constexpr double kCentimetresPerInch = 2.54;

constexpr const char* kPrinterInForce = "The printer set up for printing";

CNewCollageOptions sizedOptions(float width, float height, bool layoutAvailable)
{
    CNewCollageOptions options;
    options.canvas.width = width;
    options.canvas.height = height;
    options.layoutAvailable = layoutAvailable;
    return options;
}

} // namespace

QString CNewCollageDialog::kindText(Kind kind)
{
    for (const KindText& text : kKindTexts) {
        if (text.kind == kind)
            return QString::fromLatin1(text.title);
    }
    return {};
}

Kind CNewCollageDialog::kindFromText(const QString& text)
{
    for (const KindText& known : kKindTexts) {
        if (text == QLatin1String(known.title))
            return known.kind;
    }
    return Kind::FreeForm;
}

CNewCollageDialog::CNewCollageDialog(float width, float height, bool layoutAvailable, QWidget* parent)
    : CNewCollageDialog(sizedOptions(width, height, layoutAvailable), parent)
{
}

CNewCollageDialog::CNewCollageDialog(const CNewCollageOptions& options, QWidget* parent)
    : QDialog(parent)
    , m_options(options)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    m_kinds = new QButtonGroup(this);
    for (const KindText& text : kKindTexts) {
        auto* radio = new QRadioButton(QString::fromLatin1(text.title), this);
        radio->setToolTip(QString::fromLatin1(text.hint));
        m_kinds->addButton(radio, int(text.kind));
        layout->addWidget(radio);
        auto* hint = new QLabel(QString::fromLatin1(text.hint), this);
        hint->setIndent(radio->sizeHint().height());
        hint->setEnabled(false);
        layout->addWidget(hint);
    }
    button(Kind::ZadeDudaziz)->setEnabled(options.layoutAvailable);

    auto* sizeBox = new QGroupBox(tr("Canvas"), this);
    auto* sizeLayout = new QVBoxLayout(sizeBox);
    m_fields = new CCanvasSizeFields(options.canvas, options.unit, options.texts, options.presetSize, sizeBox);
    m_fields->setPrintablePage(options.printablePage);
    m_fields->setChoice(options.canvas);
    sizeLayout->addWidget(m_fields);
    if (options.choosePrinter) {
        auto* printerRow = new QHBoxLayout;
        m_printerLabel = new QLabel(tr(kPrinterInForce), sizeBox);
        m_printerButton = new QPushButton(tr("Printer..."), sizeBox);
        printerRow->addWidget(m_printerLabel, 1);
        printerRow->addWidget(m_printerButton);
        sizeLayout->addLayout(printerRow);
        connect(m_printerButton, &QPushButton::clicked, this, &CNewCollageDialog::choosePrinter);
    }
    layout->addWidget(sizeBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_kinds, &QButtonGroup::idToggled, this, &CNewCollageDialog::kindChanged);
    connect(m_kinds, &QButtonGroup::idClicked, this, &CNewCollageDialog::kindPicked);
    for (QDoubleSpinBox* box : {widthBox(), heightBox()})
        connect(box, &QDoubleSpinBox::valueChanged, this, &CNewCollageDialog::sizeChanged);
    setKind(Kind::FreeForm);
    setKind(options.previousKind);
    m_largeCanvas = false;
    sizeChanged();
}

void CNewCollageDialog::requestTip(const char* key, QWidget* about)
{
    if (m_options.bus)
        InfoTips::request(*m_options.bus, QString::fromLatin1(key), about);
}

void CNewCollageDialog::kindPicked(int id)
{
    for (const KindText& text : kKindTexts) {
        if (int(text.kind) == id && text.tip)
            requestTip(text.tip, button(text.kind));
    }
}

// Said as the canvas grows past the size, again only after it was smaller.
void CNewCollageDialog::sizeChanged()
{
    const CCanvasSizeChoice canvas = m_fields->choice();
    const double perInch = m_options.unit == CanvasUnit::Centimetre ? kCentimetresPerInch : 1.0;
    const double squareInches = double(canvas.width) * double(canvas.height) / (perInch * perInch);
    const bool large = squareInches > kLargeCanvasSquareInches;
    if (large && !m_largeCanvas)
        requestTip(kLargeCanvasTip, widthBox());
    m_largeCanvas = large;
}

QRadioButton* CNewCollageDialog::button(Kind kind) const
{
    return qobject_cast<QRadioButton*>(m_kinds->button(int(kind)));
}

QDoubleSpinBox* CNewCollageDialog::widthBox() const { return m_fields->widthBox(); }

QDoubleSpinBox* CNewCollageDialog::heightBox() const { return m_fields->heightBox(); }

Kind CNewCollageDialog::kind() const
{
    return Kind(m_kinds->checkedId());
}

void CNewCollageDialog::setKind(Kind kind)
{
    if (QRadioButton* radio = button(kind); radio && radio->isEnabled())
        radio->setChecked(true);
    kindChanged();
}

// The canvas belongs to the blank canvases only.
void CNewCollageDialog::kindChanged()
{
    const bool blank = kind() == Kind::FreeForm || kind() == Kind::Grid;
    m_fields->setEnabled(blank);
    if (m_printerButton)
        m_printerButton->setEnabled(blank);
}

void CNewCollageDialog::choosePrinter()
{
    if (!m_options.choosePrinter)
        return;
    const auto chosen = m_options.choosePrinter();
    if (!chosen)
        return;
    m_printer = chosen->first;
    m_fields->setPrintablePage(chosen->second);
    if (m_printerLabel) {
        const QString name = m_printer->output == CPrinterSetup::Output::PdfFile ? tr("PDF file")
            : m_printer->printerName.isEmpty()                                  ? tr("Default printer")
                                                                                 : m_printer->printerName;
        m_printerLabel->setText(tr("%1, %2").arg(name, m_printer->paper.name()));
    }
}

CNewCollageChoice CNewCollageDialog::choice() const
{
    CNewCollageChoice result;
    result.kind = kind();
    const CCanvasSizeChoice canvas = m_fields->choice();
    result.width = canvas.width;
    result.height = canvas.height;
    result.canvasSizeMode = canvas.mode;
    result.resolution = canvas.resolution;
    result.printer = m_printer;
    return result;
}
